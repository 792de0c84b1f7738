// The procedures "Preferences" and "FileManager" that the File menu starts.
#pragma once

namespace melodex {

/// Registers "Preferences" (the Setup dialog) and "FileManager".
void registerMaintenanceProcedures();

} // namespace melodex
