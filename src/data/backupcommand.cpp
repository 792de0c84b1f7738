// "melodex backup" and "melodex restore": the catalogue into one archive and back.
#include "data/backupcommand.h"

#include "data/catalogbackup.h"
#include "data/commanddatadirectory.h"

#include <cstdio>

namespace melodex {

namespace {

const char Usage[] =
    "Usage: melodex backup FILE [--quiet] [--data-dir DIR]\n"
    "       melodex restore FILE [--quiet] [--data-dir DIR]\n"
    "\n"
    "backup   writes one archive (tar) of the catalogue: a consistent copy of every data file,\n"
    "         taken while the program may be running, the settings files, the images folder,\n"
    "         and a manifest with each file's size, checksum and record count.\n"
    "restore  checks the archive whole first (manifest, checksums, each data file's integrity)\n"
    "         and changes nothing when it is damaged or not a catalogue's; refuses while another\n"
    "         program uses the data; keeps the current catalogue as\n"
    "         melodex-before-restore-YYYYMMDD-HHMMSS.tar in the data directory; then puts the\n"
    "         archive's files in place.\n"
    "\n"
    "Exit status: 0 done, 1 failed, 2 wrong arguments.\n";

void print(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace

std::optional<int> runBackupCommand(const QStringList &arguments)
{
    if (arguments.isEmpty() || (arguments.first() != QLatin1String("backup") &&
                                arguments.first() != QLatin1String("restore")))
        return std::nullopt;
    const bool backup = arguments.first() == QLatin1String("backup");
    QString file, dataDirectory;
    bool quiet = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (a == QLatin1String("-q") || a == QLatin1String("--quiet")) {
            quiet = true;
        } else if (a == QLatin1String("--data-dir") && i + 1 < arguments.size()) {
            dataDirectory = arguments[++i];
        } else if (a.startsWith(QLatin1String("--data-dir="))) {
            dataDirectory = a.mid(11);
        } else if (a.startsWith(u'-') || !file.isEmpty()) {
            print(a == QLatin1String("--data-dir")
                      ? QStringLiteral("melodex: --data-dir needs a directory")
                      : QStringLiteral("melodex: unexpected argument %1").arg(a));
            std::fputs(Usage, stderr);
            return 2;
        } else {
            file = a;
        }
    }
    if (file.isEmpty()) {
        print(QStringLiteral("melodex: %1 needs a FILE").arg(arguments.first()));
        std::fputs(Usage, stderr);
        return 2;
    }
    if (!resolveCommandDataDirectory(dataDirectory))
        return 2;

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
