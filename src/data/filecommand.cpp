// The "build" and "pack" commands: the File Manager's work on named data files, without a window.
#include "data/filecommand.h"

#include "data/filemaintenance.h"
#include "platform/store/engine.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"

#include <QFileInfo>

#include <cstdio>
#include <vector>

namespace melodex {

namespace {

void print(FILE *to, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fputc('\n', to);
}

// Why a file could not be worked on, in words that say what is wrong with it.
QString failureText(const store::KeyedFile &file)
{
    const store::ErrorState &e = store::lastError();
    if (e.code == store::NotStoreFileErr)
        return QFileInfo(file.name()).size() == 0
                   ? QStringLiteral("it is empty (0 bytes); restore it from a backup")
                   : QStringLiteral("it is not a data file of this program; left as it is");
    if (e.code == store::FileSystemErr && !e.driverText.isEmpty())
        return QStringLiteral("%1 (%2)").arg(e.driverText).arg(e.driverCode);
    return QStringLiteral("%1 (%2)").arg(e.text).arg(e.code);
}

} // namespace

int runFileCommand(FileAction action, const QStringList &names, bool all)
{
    std::vector<store::KeyedFile *> files;
    if (all) {
        files = store::Store::instance().files();
    } else {
        for (const QString &n : names) {
            store::KeyedFile *f = dataFileNamed(n);
            if (!f) {
                print(stderr, QStringLiteral("melodex: no data file is called %1").arg(n));
                return 2;
            }
            files.push_back(f);
        }
    }

    int exitCode = 0;
    for (store::KeyedFile *f : files) {
        const QString file = QFileInfo(f->name()).fileName();
        const qint64 before = QFileInfo(f->name()).size();
        switch (runFileAction(*f, action)) {
        case FileActionResult::Done:
            if (action == FileAction::Build)
                print(stdout, QStringLiteral("%1 (%2): keys rebuilt").arg(f->label(), file));
            else if (store::currentEngine())
                print(stdout, QStringLiteral("%1 (%2): packed").arg(f->label(), file));
            else
                print(stdout, QStringLiteral("%1 (%2): packed, %3 bytes, was %4")
                                  .arg(f->label(), file)
                                  .arg(QFileInfo(f->name()).size())
                                  .arg(before));
            break;
        case FileActionResult::Missing:
            print(stdout,
                  QStringLiteral("%1 (%2): not there yet, nothing to do").arg(f->label(), file));
            break;
        case FileActionResult::Busy:
            print(stderr, QStringLiteral("melodex: %1 (%2) is in use by another program; left "
                                         "as it is")
                              .arg(f->label(), file));
            exitCode = 1;
            break;
        case FileActionResult::Failed:
            print(stderr, QStringLiteral("melodex: %1 (%2) could not be worked on: %3")
                              .arg(f->label(), file, failureText(*f)));
            exitCode = 1;
            break;
        }
    }
    return exitCode;
}

} // namespace melodex
