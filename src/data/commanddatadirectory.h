// The data directory a run is given: on the command line, in the preferences, or the user's own.
#pragma once

#include <QString>

namespace melodex {

/// The data directory of a run started without `--data-dir`: the key `DataDirectory` of section
/// `[Settings]` in SGLDX97.INI when it names one, else the user's data location
/// (`$XDG_DATA_HOME/melodex`, by default `~/.local/share/melodex`).
QString defaultDataDirectory();

/// Sets `directory` to the default data directory, making the user's data location when it is
/// missing. When the preferred directory does not exist, or the user's cannot be made, says so
/// on standard error and returns false; the run then ends with status 2.
bool settleDefaultDataDirectory(QString &directory);

/// Checks the data directory a command was given with `--data-dir` and finishes a restore that
/// was stopped there. Empty means the store's directory as it stands (the program's front door
/// has put the default one on the command line). When `directory` does not exist, says so on
/// standard error ("melodex: the data directory … does not exist") and returns false; the
/// command then ends with status 2.
bool resolveCommandDataDirectory(QString &directory);

/// The catalogue server of a run started without `--database`: the key `Database` of section
/// `[Settings]` in SGLDX97.INI; empty for the data directory's own files.
QString preferredDatabase();

/// Puts the catalogue of a run on the server `given` names (--database), else on the one the
/// preferences name, else leaves it on the data directory's files. An address with a password
/// in the preferences is refused (the password belongs in ~/.pgpass, a service file or
/// PGPASSWORD). False with `error` set when the server cannot be used; `database` is the
/// address used (empty: none).
bool settleDatabase(const QString &given, QString &database, QString &error);

} // namespace melodex
