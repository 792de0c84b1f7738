// Splitting one line of a comma-delimited file into its fields.
#include "interchange/csvlinesplitter.h"

namespace melodex {

void CsvLineSplitter::setLine(QStringView line)
{
    m_line = line;
    m_pos = 0;
    m_unterminated = false;
    m_stray = false;
}

std::optional<CsvField> CsvLineSplitter::nextField()
{
    const qsizetype size = m_line.size();
    qsizetype pos = m_pos;
    while (pos < size && m_line[pos] == u' ')
        ++pos;
    if (pos >= size) {
        m_pos = size;
        return std::nullopt;
    }

    CsvField field;
    if (m_line[m_pos] == u'"') {
        field.quoted = true;
        qsizetype i = m_pos + 1;
        for (;;) {
            const qsizetype quote = m_line.indexOf(u'"', i);
            if (quote < 0) {
                field.text += m_line.mid(i);
                m_unterminated = true;
                m_pos = size;
                return field;
            }
            field.text += m_line.mid(i, quote - i);
            if (quote + 1 < size && m_line[quote + 1] == u'"') {
                field.text += u'"';
                i = quote + 2;
                continue;
            }
            // Whatever follows the closing quote is the separator, even when it is not a comma.
            if (quote + 1 < size && m_line[quote + 1] != u',' &&
                !m_line.mid(quote + 1).trimmed().isEmpty())
                m_stray = true;
            m_pos = std::min(quote + 2, size);
            return field;
        }
    }

    const qsizetype comma = m_line.indexOf(u',', m_pos);
    if (comma < 0) {
        field.text = m_line.mid(m_pos).toString();
        m_pos = size;
    } else {
        field.text = m_line.mid(m_pos, comma - m_pos).toString();
        m_pos = comma + 1;
    }
    return field;
}

QList<CsvField> CsvLineSplitter::split(QStringView line, bool *unterminatedQuote, bool *strayQuote)
{
    CsvLineSplitter splitter(line);
    QList<CsvField> fields;
    while (std::optional<CsvField> field = splitter.nextField())
        fields.append(std::move(*field));
    if (unterminatedQuote)
        *unterminatedQuote = splitter.unterminatedQuote();
    if (strayQuote)
        *strayQuote = splitter.strayQuote();
    return fields;
}

} // namespace melodex
