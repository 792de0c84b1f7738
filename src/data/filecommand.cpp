// The "build" and "pack" commands: the File Manager's work on named data files, without a window.
#include "data/filecommand.h"

#include "data/commanddatadirectory.h"
#include "data/filemaintenance.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"

#include <QFileInfo>

#include <cstdio>
#include <vector>

namespace melodex {

namespace {

const char Usage[] = "usage: melodex build NAME... | --all [--data-dir DIR]\n"
                     "       melodex pack NAME... | --all [--data-dir DIR]\n"
                     "NAME is a data file's label (Songlore, Album, ...) or file name (sgldata, "
                     "sglalbum, ...).\n"
                     "build rebuilds every key of the files; pack gives their free space back.\n"
                     "A file in use by a window or another program is left as it is.\n";

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

std::optional<int> runFileCommand(const QStringList &arguments)
{
    // The command is the first word that is not an option or the data directory.
    qsizetype at = -1;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--data-dir")) {
            ++i;
            continue;
        }
        if (!arguments[i].startsWith(u'-')) {
            at = i;
            break;
        }
    }
    if (at < 0)
        return std::nullopt;
    const QString command = arguments[at];
    if (command != QLatin1String("build") && command != QLatin1String("pack"))
        return std::nullopt;
    const FileAction action =
        command == QLatin1String("build") ? FileAction::Build : FileAction::Pack;

    QString dataDir;
    bool all = false;
    QStringList names;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (i == at)
            continue;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (a == QLatin1String("--all")) {
            all = true;
        } else if (a == QLatin1String("--data-dir") && i + 1 < arguments.size()) {
            dataDir = arguments[++i];
        } else if (a.startsWith(QLatin1String("--data-dir="))) {
            dataDir = a.mid(11);
        } else if (a.startsWith(u'-')) {
            print(stderr, QStringLiteral("melodex: unknown option %1").arg(a));
            std::fputs(Usage, stderr);
            return 2;
        } else {
            names << a;
        }
    }
    if (all == !names.isEmpty()) {
        print(stderr,
              QStringLiteral("melodex: %1 needs the names of data files, or --all").arg(command));
        std::fputs(Usage, stderr);
        return 2;
    }
    if (!resolveCommandDataDirectory(dataDir))
        return 2;

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

    store::Store::instance().setDataDirectory(dataDir);
    int exitCode = 0;
    for (store::KeyedFile *f : files) {
        const QString file = QFileInfo(f->name()).fileName();
        const qint64 before = QFileInfo(f->name()).size();
        switch (runFileAction(*f, action)) {
        case FileActionResult::Done:
            if (action == FileAction::Build)
                print(stdout, QStringLiteral("%1 (%2): keys rebuilt").arg(f->label(), file));
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
