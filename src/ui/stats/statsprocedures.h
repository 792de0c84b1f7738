// Registers the Statistics window's procedure and the songs list's way to it.
#pragma once

namespace melodex {

/// "BrowseStatistics" (Browse > Statistics) and the songs list's "Statistics of These Songs".
void registerStatsProcedures();

} // namespace melodex
