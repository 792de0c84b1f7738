// The "build" and "pack" commands: the File Manager's work on named data files, without a window.
#pragma once

#include <QStringList>

#include <optional>

namespace melodex {

/// Runs "melodex build NAME... | --all [--data-dir DIR]" or the same with "pack", saying on
/// standard output what was done to each file. Returns nothing when the arguments are no such
/// command; otherwise the exit code: 0 when every file was done (or is not there yet), 1 when a
/// file was busy or could not be worked on, 2 for a wrong command line.
std::optional<int> runFileCommand(const QStringList &arguments);

} // namespace melodex
