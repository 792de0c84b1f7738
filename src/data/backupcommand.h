// "melodex backup" and "melodex restore": the catalogue into one archive and back.
#pragma once

#include <QString>

namespace melodex {

/// Runs `melodex backup FILE` (`backup`) or `melodex restore FILE` on the data directory
/// `dataDirectory`, returning its exit status: 0 done, 1 failed (the reason on standard error).
/// `quiet` leaves out the closing summary.
int runBackupCommand(bool backup, const QString &file, bool quiet, const QString &dataDirectory);

} // namespace melodex
