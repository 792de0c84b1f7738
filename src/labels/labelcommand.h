// Printing a label to PDF from the command line: `melodex report PrintLabel --label ID ...`.
#pragma once

#include <QStringList>

#include <optional>

namespace melodex {

/// Runs `melodex report PrintLabel|PrintCassetteLabel --label ID --pdf FILE [--copies N]
/// [--data-dir DIR]` (`arguments` without the program's name): the label printed to FILE
/// (N pages, one a copy), no window. PrintLabel prints a label in the layout of its type,
/// PrintCassetteLabel always as a cassette J-card.
///
/// Returns nothing when the arguments are not a label print. Otherwise the exit code: 0
/// written, 1 failed (no such label, the file cannot be written; FILE is left as it was),
/// 2 wrong arguments.
std::optional<int> runLabelCommand(const QStringList &arguments);

} // namespace melodex
