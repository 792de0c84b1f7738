// Start-up of the program: the globals, the help file and the registration of the data files.
#pragma once

#include <QString>
#include <QStringList>

namespace melodex {

/// Runs the start-up steps that precede the main frame: initialises the globals, names the
/// help file and registers the driver and every data file with the file manager. Opens no file.
void startProgram();

/// What the command line asked for.
struct CommandLine
{
    enum Action { RunProgram, ShowHelp, ShowVersion, Error };
    Action action = RunProgram;
    QString dataDirectory; ///< empty: the default data directory (see defaultDataDirectory())
    QString message;       ///< help, version or error text to print
    QString database;      ///< --database: the catalogue server; empty: see preferredDatabase()
};

/// Reads the program's arguments (without the program name).
CommandLine parseCommandLine(const QStringList &arguments);

} // namespace melodex
