// File > Add Music Folder...: the folder asked for, the scan with its window, its results.
#include "ui/musicfiles/musicfileprocedures.h"

#include "app/globals.h"
#include "platform/profile/profile.h"
#include "services/dialogservice.h"
#include "services/messageservice.h"
#include "ui/interchange/batchprogresswindow.h"
#include "ui/musicfiles/scanprogresswindow.h"
#include "ui/musicfiles/scanresultdialog.h"
#include "ui/procedures.h"

#include <QDir>

namespace melodex {

namespace {

const QString Section = QStringLiteral("Settings");

// The last lines of a long list are left out of a message box.
QString shortened(const QStringList &lines)
{
    constexpr qsizetype Most = 25;
    if (lines.size() <= Most)
        return lines.join(u'\n');
    return lines.mid(0, Most).join(u'\n') +
           QStringLiteral("\n... and %1 more").arg(lines.size() - Most);
}

} // namespace

QString musicFileMedia()
{
    const QString media =
        Profile::readString(PreferencesIni, Section, QStringLiteral("MusicFileMedia"));
    return media.isEmpty() ? QStringLiteral("File") : media;
}

void AddMusicFolder()
{
    const QString last = Profile::readString(PreferencesIni, Section, QStringLiteral("MusicFolder"),
                                             QDir::homePath());
    const QString folder =
        DialogService::instance().getExistingDirectory(QStringLiteral("Add Music Folder"), last);
    if (folder.isEmpty())
        return;
    Profile::writeString(PreferencesIni, Section, QStringLiteral("MusicFolder"), folder);

    musicfiles::ScanSettings settings;
    settings.folders = {folder};
    settings.media = musicFileMedia();
    auto *window = new ScanProgressWindow(std::make_unique<musicfiles::MusicScan>(settings));
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    QObject::connect(
        window, &ScanProgressWindow::finished, window, [window](BatchRun::State state) {
            musicfiles::MusicScan &scan = window->scan();
            if (state == BatchRun::State::Failed) {
                MessageService::instance().show(MessageRequest{
                    QStringLiteral("Add Music Folder"),
                    scan.error() + QStringLiteral(". The songs written before it are kept."),
                    MessageRequest::Error});
            } else {
                QStringList unreadable;
                for (const auto &[file, reason] : scan.unreadable())
                    unreadable << file + QStringLiteral(": ") + reason;
                BatchProgressWindow::showSummary(
                    QStringLiteral("Add Music Folder"), scan, state,
                    unreadable.isEmpty() ? QString()
                                         : QStringLiteral("Not read:\n") + shortened(unreadable));
                if (ScanResultDialog::hasAnything(scan))
                    (new ScanResultDialog(scan.keptEdits(), scan.gone()))->show();
            }
            window->deleteLater();
        });
    if (!window->start()) {
        MessageService::instance().show(MessageRequest{
            QStringLiteral("Add Music Folder"), window->scan().error(), MessageRequest::Error});
        delete window;
    }
}

void registerMusicFileProcedures()
{
    registerProcedure(QStringLiteral("AddMusicFolder"), [] { AddMusicFolder(); });
}

} // namespace melodex
