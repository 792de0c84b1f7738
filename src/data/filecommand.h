// The "build" and "pack" commands: the File Manager's work on named data files, without a window.
#pragma once

#include "data/filemaintenance.h"

#include <QStringList>

namespace melodex {

/// Runs "melodex build NAME... | --all" or the same with "pack" on the open data directory
/// (`names` are labels or file names of data files), saying on standard output what was done to
/// each file. Returns the exit code: 0 when every file was done (or is not there yet), 1 when a
/// file was busy or could not be worked on, 2 for a name that is no data file.
int runFileCommand(FileAction action, const QStringList &names, bool all);

} // namespace melodex
