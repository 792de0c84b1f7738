// The procedures "Preferences" and "FileManager" of the File menu, and "UpgradeFiles" at start-up.
#pragma once

class QWidget;

namespace melodex {

class BatchProgressWindow;

/// Moves the songs of the earlier version's file into the songs file under a progress window
/// beside `parent`. Null, showing nothing, when there is nothing to move.
BatchProgressWindow *UpgradeFiles(QWidget *parent);

/// Registers "Preferences" (the Setup dialog), "FileManager" and "UpgradeFiles".
void registerMaintenanceProcedures();

} // namespace melodex
