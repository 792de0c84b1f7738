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

/// "Restore Catalogue...": with no window of the catalogue open, asks for an archive and for
/// confirmation (default No), restores it (see restoreCatalog) and, when done, closes the
/// program so that it starts again on the restored catalogue and settings.
void RestoreCatalog();

/// Registers "Preferences" (the Setup dialog), "FileManager", "BackupCatalog", "RestoreCatalog"
/// and "UpgradeFiles".
void registerMaintenanceProcedures();

} // namespace melodex
