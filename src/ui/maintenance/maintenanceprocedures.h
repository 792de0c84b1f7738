// The procedures "Preferences", "FileManager" and "BackupCatalog" of the File menu, and
// "UpgradeFiles" at start-up.
#pragma once

class QWidget;

namespace melodex {

class BatchProgressWindow;

/// Moves the songs of the earlier version's file into the songs file under a progress window
/// beside `parent`. Null, showing nothing, when there is nothing to move.
BatchProgressWindow *UpgradeFiles(QWidget *parent);

/// Asks for an archive through the dialog service and backs the catalogue up into it, saying
/// how it went.
void BackupCatalog();

/// Registers "Preferences" (the Setup dialog), "FileManager", "BackupCatalog" and "UpgradeFiles".
void registerMaintenanceProcedures();

} // namespace melodex
