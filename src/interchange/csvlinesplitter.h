// Splitting one line of a comma-delimited file into its fields.
#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace melodex {

/// One field of a comma-delimited line.
struct CsvField
{
    QString text;
    /// The field began with a double quote (a text); otherwise it is taken as a number.
    bool quoted = false;

    friend bool operator==(const CsvField &, const CsvField &) = default;
};

/// Reads the fields of one line, one at a time.
///
/// - Fields are separated by commas; there is no escape character outside quotes.
/// - A field that begins with a double quote ends at the next double quote not followed by a
///   second one; inside it two double quotes stand for one. The character after the closing
///   quote is skipped whatever it is (normally the comma). A quote that is never closed runs to
///   the end of the line, and unterminatedQuote() tells.
/// - Any other field runs to the next comma or the end of the line, untrimmed.
/// - When the rest of the line is blank there are no more fields, so a blank line has none.
class CsvLineSplitter
{
public:
    explicit CsvLineSplitter(QStringView line = {}) : m_line(line) {}

    /// Starts over on `line`, which must outlive the reading of its fields.
    void setLine(QStringView line);

    /// The next field; nothing when the rest of the line is blank.
    std::optional<CsvField> nextField();

    /// Whether a field read so far began with a quote that the line never closed.
    bool unterminatedQuote() const { return m_unterminated; }
    /// Whether a closing quote read so far was followed by something other than a comma or the
    /// end of the line (a quote in the middle of a text, most likely, not a closing one).
    bool strayQuote() const { return m_stray; }

    /// Every field of `line`.
    static QList<CsvField> split(QStringView line, bool *unterminatedQuote = nullptr,
                                 bool *strayQuote = nullptr);

private:
    QStringView m_line;
    qsizetype m_pos = 0;
    bool m_unterminated = false;
    bool m_stray = false;
};

} // namespace melodex
