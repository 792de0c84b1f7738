// `melodex stats`: the collection figures on standard output.
#pragma once

#include <QStringList>

namespace melodex {

/// Runs `melodex stats [--filter EXPR] [--data-dir DIR]` (`arguments` without the program's
/// name) and returns the exit code: 0 printed, 1 a file could not be read, 2 wrong arguments or
/// a filter that does not compile (the message says why).
int runStatsCommand(const QStringList &arguments);

} // namespace melodex
