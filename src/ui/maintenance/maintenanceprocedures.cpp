// The procedures "Preferences" and "FileManager" of the File menu, and "UpgradeFiles" at start-up.
#include "ui/maintenance/maintenanceprocedures.h"

#include "maintenance/upgradefiles.h"
#include "ui/interchange/batchprogresswindow.h"
#include "ui/layout/windowplacement.h"
#include "ui/maintenance/filemanagerwindow.h"
#include "ui/maintenance/preferencesdialog.h"
#include "ui/procedures.h"

#include "app/globals.h"

#include <QApplication>
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
    registerProcedure(QStringLiteral("FileManager"), [] {
        auto *window = new FileManagerWindow; // deleted by the frame when it closes
        showInFrame(window);
        keepWindowPlacement(window, WindowStateIni, QStringLiteral("FileManager"));
    });
}

} // namespace melodex
