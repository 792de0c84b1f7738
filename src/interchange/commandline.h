// Import and export from the command line, for scripts: no window opens.
#pragma once

#include <QStringList>

#include <functional>
#include <optional>

namespace melodex {

/// Runs `melodex import FILE [--strip-header] [--data-dir DIR]` or
/// `melodex export FILE [--fields NAME,NAME,...] [--no-header] [--data-dir DIR]` (`arguments`
/// without the program's name). Import assigns the file's fields as the window's "A&uto" does,
/// from a first line of field names; export writes the given fields (all 24 by default) as the
/// window does. Progress and every message go to standard error.
///
/// `melodex check` runs the checks of the data files (see checkcommand.h).
///
/// Returns nothing when the arguments are not an import, export or check command. Otherwise the
/// exit code: 0 done, 1 failed (the message says why; songs imported before the failure stay), 2
/// wrong arguments, 3 imported but with lines that could not be imported (listed).
std::optional<int> runInterchangeCommand(const QStringList &arguments);

/// What `melodex import` passes on for another program's collection or an albums file.
struct CollectionImportRequest
{
    QString file;
    QString from; ///< --from NAME
    bool dryRun = false;
    bool albums = false;
    bool quiet = false;
};

/// The import of other programs' collections and of albums files (which lives beside this
/// folder), set once at start-up: it returns the exit status, or nothing when the file is a
/// songs file for the song import. Without it, import takes songs files only.
using CollectionImport = std::function<std::optional<int>(const CollectionImportRequest &)>;
void setCollectionImport(CollectionImport run);

} // namespace melodex
