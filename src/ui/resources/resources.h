// The program's built-in pictures and help pages.
#pragma once

namespace melodex {

/// Makes the built-in icons (":/icons") and help pages (":/help") available. Resources in a
/// static library are linked only when code refers to them, so every window that uses them
/// calls this; calling it again does nothing.
void initResources();

} // namespace melodex
