// The procedures "Import" and "Export" that the File menu and the songs list start.
#pragma once

#include <QString>

namespace melodex {

/// Registers "Import" and "Export" (see procedures.h).
void registerInterchangeProcedures();

/// Opens the songs and categories files and the import file (asked for with the open dialog),
/// then shows the "Assign fields for Import..." window; ends quietly when no file is opened.
void Import();

/// Shows the "Choose Fields for Export..." window; with the songs list's `search`, it offers to
/// write only the songs that search shows.
void Export(const QString &search = {});

} // namespace melodex
