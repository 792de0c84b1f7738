// The data directory a run is given: on the command line, in the preferences, or the user's own.
#pragma once

#include <QString>

namespace melodex {

/// The data directory of a run started without `--data-dir`: the key `DataDirectory` of section
/// `[Settings]` in SGLDX97.INI when it names one, else the user's data location
/// (`$XDG_DATA_HOME/melodex`, by default `~/.local/share/melodex`).
QString defaultDataDirectory();

/// Whether the default data directory is the user's data location, not a preference.
bool defaultDataDirectoryIsUsers();

/// Settles the data directory of a command: an empty `directory` becomes the default one, and the
/// user's data location is created when missing. When the directory given (or preferred) does not
/// exist, or the user's cannot be made, says so on standard error ("melodex: the data directory …
/// does not exist") and returns false; the command then ends with status 2.
bool resolveCommandDataDirectory(QString &directory);

} // namespace melodex
