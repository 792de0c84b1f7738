// Reading a whole comma-separated file as other programs write it: quoted fields with doubled
// quotes and line breaks, any line ends, a UTF-8 byte-order mark.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace melodex::importers {

/// One record of a comma-separated file and the line it starts on (counting from 1).
struct CsvRecord
{
    QStringList fields;
    int line = 0;
    bool unterminatedQuote = false; ///< a quoted field ran to the end of the file
};

/// The text of `bytes`: UTF-8 (a byte-order mark is dropped), or Latin-1 when it is not valid
/// UTF-8, with its line ends as they are.
QString decodeText(const QByteArray &bytes);

/// Splits `text` into records in the RFC 4180 way: fields separated by commas, a field in
/// double quotes may hold commas, line breaks and doubled quotes; CR LF, LF and CR end records.
/// Blank lines give no record.
std::vector<CsvRecord> splitCsv(const QString &text);

} // namespace melodex::importers
