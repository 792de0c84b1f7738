// The data directory a command without a window is given.
#pragma once

#include <QString>

namespace melodex {

/// Whether `directory` (empty: the usual one) can hold a command's data files. When it names no
/// directory, says so on standard error ("melodex: the data directory … does not exist"); the
/// command then ends with status 2.
bool commandDataDirectoryExists(const QString &directory);

} // namespace melodex
