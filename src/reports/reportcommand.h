// Printing a report to PDF from the command line, for scripts: no window opens.
#pragma once

#include <QStringList>

#include <optional>

namespace melodex::reports {

/// Runs `melodex report NAME --pdf FILE [--filter EXPR] [--style Standard|Brief]
/// [--selected TEXT] [--font FAMILY,SIZE] [--copies N] [--data-dir DIR]` (`arguments` without
/// the program's name): the report NAME (its procedure name, "PrintMUS:SongsByArtist") printed
/// to FILE as a criteria report would print without a preview. Progress and every message go
/// to standard error.
///
/// Returns nothing when the arguments are not a report command. Otherwise the exit code: 0
/// written, 1 failed or nothing to print (the message says why; FILE is left as it was), 2
/// wrong arguments (an unknown report among them).
std::optional<int> runReportCommand(const QStringList &arguments);

} // namespace melodex::reports
