// The scan command: options, the headless run and what it prints.
#include "musicfiles/scancommand.h"

#include "data/fileopen.h"
#include "musicfiles/musicscan.h"
#include "platform/store/store.h"
#include "services/consoleprogress.h"
#include "services/messageservice.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

namespace melodex::musicfiles {

namespace {

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

} // namespace melodex::musicfiles
