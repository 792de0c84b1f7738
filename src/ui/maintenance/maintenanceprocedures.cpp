// The procedures "Preferences", "FileManager", "BackupCatalog" and "RestoreCatalog" of the File
// menu, and
// "UpgradeFiles" at start-up.
#include "ui/maintenance/maintenanceprocedures.h"

#include "browse/waitcursor.h"
#include "data/catalogbackup.h"
#include "maintenance/upgradefiles.h"
#include "platform/store/store.h"
#include "services/dialogservice.h"
#include "services/messageservice.h"
#include "ui/interchange/batchprogresswindow.h"
#include "ui/layout/windowplacement.h"
#include "ui/maintenance/filemanagerwindow.h"
#include "ui/maintenance/preferencesdialog.h"
#include "ui/procedures.h"

#include "app/globals.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QMdiArea>

namespace melodex {

namespace {

/// The window a dialog of the frame is modal to: the frame itself when it is open.
QWidget *frameWindow()
{
    if (QMdiArea *area = frameArea())
        return area->window();
    return QApplication::activeWindow();
}

} // namespace

void BackupCatalog()
{
    const QString suggested =
        QDir::home().filePath(QStringLiteral("melodex-%1.tar")
                                  .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))));
    const QString file = DialogService::instance().getSaveFileName(
        QStringLiteral("Back Up Catalogue"), suggested, QStringLiteral("Archives (*.tar)"));
    if (file.isEmpty())
        return;
    BackupOutcome outcome;
    {
        const WaitCursor wait;
        outcome = backupCatalog(store::Store::instance().dataDirectory(), file);
    }
    MessageService::instance().show(
        outcome.ok ? MessageRequest{QStringLiteral("Back Up Catalogue"),
                                    QStringLiteral("The catalogue was written to %1 (%2 files).")
                                        .arg(file)
                                        .arg(outcome.files.size())}
                   : MessageRequest{QStringLiteral("Back Up Catalogue"),
                                    QStringLiteral("The catalogue could not be backed up: ") +
                                        outcome.error,
                                    MessageRequest::Error});
}

void RestoreCatalog()
{
    const QString caption = QStringLiteral("Restore Catalogue");
    // The windows of the catalogue hold its records; they go before the files are replaced.
    if (QMdiArea *area = frameArea(); area && !area->subWindowList().isEmpty()) {
        MessageService::instance().show(
            {caption,
             QStringLiteral("Close every window of the catalogue before restoring it from an "
                            "archive."),
             MessageRequest::Warning});
        return;
    }
    const QString file = DialogService::instance().getOpenFileName(
        caption, QDir::homePath(), QStringLiteral("Archives (*.tar)"));
    if (file.isEmpty())
        return;
    const int answer = MessageService::instance().show(
        {caption,
         QStringLiteral("The whole catalogue and its settings are replaced by those of %1. The "
                        "catalogue as it is now is kept as a dated archive in the data folder.\n\n"
                        "Restore the catalogue?")
             .arg(QDir::toNativeSeparators(file)),
         MessageRequest::Question, MessageRequest::Yes | MessageRequest::No, MessageRequest::No});
    if (answer != MessageRequest::Yes)
        return;
    BackupOutcome outcome;
    {
        const WaitCursor wait;
        store::Store::instance().closeAll();
        outcome = restoreCatalog(store::Store::instance().dataDirectory(), file);
    }
    if (!outcome.ok) {
        MessageService::instance().show(
            {caption, QStringLiteral("The catalogue was not restored: ") + outcome.error,
             MessageRequest::Error});
        return;
    }
    // The settings read at start-up are those of the catalogue before: the program starts anew.
    MessageService::instance().show(
        {caption,
         QStringLiteral("The catalogue was restored from %1 (%2 files); the catalogue before it "
                        "is kept in %3.\n\nMelodex closes now; start it again to work with the "
                        "restored catalogue.")
             .arg(QDir::toNativeSeparators(file))
             .arg(outcome.files.size() - 1)
             .arg(QDir::toNativeSeparators(outcome.keptArchive))});
    if (QWidget *frame = frameWindow())
        QMetaObject::invokeMethod(frame, &QWidget::close, Qt::QueuedConnection);
}

BatchProgressWindow *UpgradeFiles(QWidget *parent)
{
    auto *window = new BatchProgressWindow(std::make_unique<UpgradeFilesRun>(), parent);
    window->setWindowFlag(Qt::Dialog);
    QObject::connect(window, &BatchProgressWindow::finished, window, &QObject::deleteLater);
    if (!window->start()) {
        delete window;
        return nullptr;
    }
    return window;
}

void registerMaintenanceProcedures()
{
    registerProcedure(QStringLiteral("Preferences"),
                      [] { PreferencesDialog::Setup(frameWindow()); });
    registerProcedure(QStringLiteral("UpgradeFiles"), [] { UpgradeFiles(frameWindow()); });
    registerProcedure(QStringLiteral("BackupCatalog"), [] { BackupCatalog(); });
    registerProcedure(QStringLiteral("RestoreCatalog"), [] { RestoreCatalog(); });
    registerProcedure(QStringLiteral("FileManager"), [] {
        auto *window = new FileManagerWindow; // deleted by the frame when it closes
        showInFrame(window);
        keepWindowPlacement(window, WindowStateIni, QStringLiteral("FileManager"));
    });
}

} // namespace melodex
