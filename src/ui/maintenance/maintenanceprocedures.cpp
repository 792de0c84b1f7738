// The procedures "Preferences", "FileManager" and "BackupCatalog" of the File menu, and
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
    registerProcedure(QStringLiteral("FileManager"), [] {
        auto *window = new FileManagerWindow; // deleted by the frame when it closes
        showInFrame(window);
        keepWindowPlacement(window, WindowStateIni, QStringLiteral("FileManager"));
    });
}

} // namespace melodex
