// `melodex check`: the integrity and consistency checks of the data files, from the command line.
#pragma once

#include <QStringList>

namespace melodex {

/// Runs `melodex check [--quick]` on the open data directory: checks every data file and the
/// links between them (`quick` leaves out matching every key entry to its record), prints each
/// fault to standard output and a summary to standard error. Returns the exit code: 0 no fault,
/// 1 faults found.
int runCheckCommand(bool quick);

} // namespace melodex
