// `melodex stats`: the collection figures on standard output.
#pragma once

#include <QStringList>

namespace melodex {

/// Runs `melodex stats [--filter EXPR]` on the open data directory and returns the exit code:
/// 0 printed, 1 a file could not be read, 2 a filter that does not compile (the message says
/// why).
int runStatsCommand(const QString &filter);

} // namespace melodex
