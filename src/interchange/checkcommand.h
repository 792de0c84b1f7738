// `melodex check`: the integrity and consistency checks of the data files, from the command line.
#pragma once

#include <QStringList>

namespace melodex {

/// Runs `melodex check [--quick] [--data-dir DIR]` (`arguments` without the program's name):
/// checks every data file and the links between them, prints each fault to standard output and a
/// summary to standard error. Returns the exit code: 0 no fault, 1 faults found, 2 wrong
/// arguments.
int runCheckCommand(const QStringList &arguments);

} // namespace melodex
