// "melodex backup" and "melodex restore": the catalogue into one archive and back.
#include "data/backupcommand.h"

#include "data/catalogbackup.h"

#include <cstdio>

namespace melodex {

namespace {

void print(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace

int runBackupCommand(bool backup, const QString &file, bool quiet, const QString &dataDirectory)
{
    const BackupOutcome outcome =
        backup ? backupCatalog(dataDirectory, file) : restoreCatalog(dataDirectory, file);
    if (!outcome.ok) {
        print(QStringLiteral("melodex: ") + outcome.error);
        return 1;
    }
    if (!quiet) {
        if (backup)
            print(QStringLiteral("Process Completed: %1 files written to %2.")
                      .arg(outcome.files.size())
                      .arg(file));
        else
            print(QStringLiteral("Process Completed: %1 files restored from %2; the catalogue "
                                 "before it is kept in %3.")
                      .arg(outcome.files.size() - 1)
                      .arg(file, outcome.keptArchive));
    }
    return 0;
}

} // namespace melodex
