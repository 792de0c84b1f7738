// Printing a label to PDF from the command line: `melodex report PrintLabel --label ID ...`.
#pragma once

#include <QString>

#include <optional>

namespace melodex {

/// `melodex report PrintLabel|PrintCassetteLabel --label ID --pdf FILE [--copies N]`.
struct LabelPrintOptions
{
    QString report; ///< the report's name
    QString label;  ///< the label number, 1 to 999999
    QString pdf;
    QString copies; ///< 1 to 99; empty: 1
};

/// Prints the label to the PDF file (N pages, one a copy) from the open data directory, no
/// window. PrintLabel prints a label in the layout of its type, PrintCassetteLabel always as a
/// cassette J-card.
///
/// Returns nothing when the report is not a label print. Otherwise the exit code: 0 written, 1
/// failed (no such label, the file cannot be written; FILE is left as it was), 2 wrong arguments
/// (a report name people take for a label's among them).
std::optional<int> runLabelCommand(const LabelPrintOptions &options);

} // namespace melodex
