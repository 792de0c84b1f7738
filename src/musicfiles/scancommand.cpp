// The scan command: options, the headless run and what it prints.
#include "musicfiles/scancommand.h"

#include "data/commanddatadirectory.h"
#include "data/fileopen.h"
#include "musicfiles/musicscan.h"
#include "platform/store/store.h"
#include "services/consoleprogress.h"
#include "services/messageservice.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <memory>

namespace melodex::musicfiles {

namespace {

constexpr const char *Usage =
    "Usage: melodex scan DIR... [--media NAME] [--dry-run] [--delete-gone] [--batch N]\n"
    "                    [--quiet] [--data-dir DIR]\n"
    "Adds the music files under the folders DIR... as songs and albums, read with their tags,\n"
    "and keeps songs added before in step with their files.\n"
    "  --media NAME    the media format of the songs added (default: File)\n"
    "  --dry-run       read everything and say what would be done, writing nothing\n"
    "  --delete-gone   delete the songs of files that are gone (listed otherwise)\n"
    "  --batch N       files written in one transaction (default 2000)\n"
    "  --quiet         print no progress and no summary\n"
    "  --data-dir DIR  the catalogue's data directory\n"
    "Exit status: 0 done, 1 failed, 2 wrong arguments, 3 some files could not be read.\n";

void print(std::FILE *out, const QString &line)
{
    std::fputs((line + u'\n').toLocal8Bit().constData(), out);
}

} // namespace

int runScanCommand(const ScanOptions &options)
{
    // Cover images are read with Qt's image plugins, which want an application object.
    std::unique_ptr<QCoreApplication> app;
    static int argc = 1;
    static char name[] = "melodex";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);

    if (!options.dataDirectory.isEmpty())
        store::Store::instance().setDataDirectory(options.dataDirectory);
    installFileOpener();
    ConsoleMessageService console;
    MessageService *previous = MessageService::setInstance(&console);

    ScanSettings settings;
    settings.folders = options.folders;
    settings.media = options.media;
    settings.dryRun = options.dryRun;
    settings.batchFiles = options.batchFiles;
    MusicScan scan(settings);
    if (!scan.start()) {
        print(stderr, QStringLiteral("melodex scan: ") + scan.error());
        MessageService::setInstance(previous);
        return 1;
    }
    {
        ConsoleProgress progress(QStringLiteral("Scanning Music Files"), options.quiet);
        while (scan.step(200) == MusicScan::State::Running)
            progress.update(scan.percent(), scan.filesRead());
        progress.finish();
    }
    MessageService::setInstance(previous);
    if (scan.state() == MusicScan::State::Failed) {
        print(stderr, QStringLiteral("melodex scan: ") + scan.error() +
                          QStringLiteral(". The batches written before it are kept."));
        return 1;
    }
    if (!options.quiet)
        for (const QString &line : scan.summary())
            print(stdout, line);
    for (const QString &line : scan.details())
        print(stdout, line);
    if (options.deleteGone && !scan.gone().empty() && !options.dryRun) {
        std::vector<qint32> ids;
        for (const GoneFile &g : scan.gone())
            ids.push_back(g.songId);
        const MusicScan::Removal removal = MusicScan::deleteGoneSongs(ids);
        if (!removal.error.isEmpty()) {
            print(stderr, QStringLiteral("melodex scan: ") + removal.error);
            return 1;
        }
        if (!options.quiet)
            print(stdout, QStringLiteral("%1 songs of gone files deleted").arg(removal.deleted));
    }
    return scan.unreadable().empty() ? 0 : 3;
}

std::optional<int> runScanArguments(const QStringList &arguments)
{
    if (arguments.isEmpty() || arguments.first() != QLatin1String("scan"))
        return std::nullopt;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption media(QStringLiteral("media"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"));
    const QCommandLineOption deleteGone(QStringLiteral("delete-gone"));
    const QCommandLineOption batch(QStringLiteral("batch"), QString(), QStringLiteral("N"));
    const QCommandLineOption quiet(QStringLiteral("quiet"));
    const QCommandLineOption dataDir(QStringLiteral("data-dir"), QString(), QStringLiteral("DIR"));
    parser.addOptions({help, media, dryRun, deleteGone, batch, quiet, dataDir});
    QStringList line = arguments;
    line.first() = QStringLiteral("melodex scan");
    if (!parser.parse(line)) {
        print(stderr, QStringLiteral("melodex scan: ") + parser.errorText());
        std::fputs(Usage, stderr);
        return 2;
    }
    if (parser.isSet(help)) {
        std::fputs(Usage, stdout);
        return 0;
    }
    ScanOptions options;
    options.folders = parser.positionalArguments();
    if (options.folders.isEmpty()) {
        print(stderr, QStringLiteral("melodex scan: name at least one folder"));
        std::fputs(Usage, stderr);
        return 2;
    }
    if (parser.isSet(media)) {
        options.media = parser.value(media).trimmed();
        if (options.media.isEmpty()) {
            print(stderr, QStringLiteral("melodex scan: --media needs a name"));
            return 2;
        }
    }
    if (parser.isSet(batch)) {
        bool ok = false;
        options.batchFiles = parser.value(batch).toInt(&ok);
        if (!ok || options.batchFiles < 1 || options.batchFiles > 100000) {
            print(stderr, QStringLiteral("melodex scan: --batch takes a number from 1 to 100000"));
            return 2;
        }
    }
    options.dryRun = parser.isSet(dryRun);
    options.deleteGone = parser.isSet(deleteGone);
    options.quiet = parser.isSet(quiet);
    options.dataDirectory = parser.value(dataDir);
    if (!resolveCommandDataDirectory(options.dataDirectory))
        return 2;
    return runScanCommand(options);
}

} // namespace melodex::musicfiles
