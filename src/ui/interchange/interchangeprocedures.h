// The procedures "Import" and "Export" that the File menu and the songs list start.
#pragma once

namespace melodex {

/// Registers "Import" and "Export" (see procedures.h).
void registerInterchangeProcedures();

/// Opens the songs and categories files and the import file (asked for with the open dialog),
/// then shows the "Assign fields for Import..." window; ends quietly when no file is opened.
void Import();

/// Shows the "Choose Fields for Export..." window.
void Export();

} // namespace melodex
