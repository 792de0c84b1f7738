// Building one line of a comma-delimited file, each field written as its picture says.
#include "interchange/csvlinebuilder.h"

#include "platform/picture/format.h"

namespace melodex {

namespace {

// A text that reads back as the same whole number when written without quotes.
bool isPlainInteger(QStringView text)
{
    qsizetype i = text.startsWith(u'-') ? 1 : 0;
    if (i >= text.size() || text.size() - i > 18)
        return false;
    for (; i < text.size(); ++i) {
        if (!text[i].isDigit() || text[i].unicode() > '9')
            return false;
    }
    return true;
}

bool startsFormula(QChar c)
{
    return c == u'=' || c == u'+' || c == u'-' || c == u'@' || c == u'\t' || c == u'\r';
}

} // namespace

void CsvLineBuilder::start()
{
    m_line.clear();
    m_first = true;
}

void CsvLineBuilder::separate()
{
    if (!m_first)
        m_line += u',';
    m_first = false;
}

void CsvLineBuilder::appendQuoted(QStringView text)
{
    m_line += u'"';
    if (m_neutralises && !text.isEmpty() && startsFormula(text.front()))
        m_line += u'\'';
    qsizetype from = 0;
    for (qsizetype q = text.indexOf(u'"'); q >= 0; q = text.indexOf(u'"', from)) {
        m_line += text.mid(from, q - from + 1);
        m_line += u'"';
        from = q + 1;
    }
    m_line += text.mid(from);
    m_line += u'"';
}

void CsvLineBuilder::addText(QStringView text)
{
    separate();
    appendQuoted(text);
}

void CsvLineBuilder::addValue(const store::Value &value, const picture::Picture &picture)
{
    separate();
    const bool isText = value.typeId() == QMetaType::QString;
    switch (picture.letter().unicode()) {
    case 'S':
        appendQuoted(isText ? value.toString() : QString::number(value.toLongLong()));
        return;
    case 'N':
        if (!isText) {
            m_line += QString::number(value.toLongLong());
            return;
        }
        // A text under a number picture goes out bare only when it is a plain number; anything
        // else unquoted could hold a comma and shift every later field of the line.
        if (const QString text = value.toString().trimmed(); isPlainInteger(text)) {
            m_line += text;
            return;
        }
        appendQuoted(value.toString());
        return;
    default: {
        const picture::Value v =
            isText ? picture::Value(value.toString()) : picture::Value(value.toLongLong());
        appendQuoted(picture::format(v, picture));
        return;
    }
    }
}

void CsvLineBuilder::addHeaderName(const QString &name)
{
    separate();
    QString text = name.left(50);
    if (text.contains(u'[')) {
        text.replace(u',', u'_');
        text.replace(u'[', u'_');
        text.replace(u']', u' ');
    }
    m_line += u'"';
    m_line += text;
    m_line += u'"';
}

} // namespace melodex
