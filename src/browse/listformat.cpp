// Reading and writing list format strings, and their saved copies.
#include "browse/listformat.h"

#include "platform/picture/picture.h"
#include "platform/profile/profile.h"

namespace melodex {

namespace {

constexpr int MaxHeader = 25;
constexpr int MaxFormat = 1024;

class Scanner
{
public:
    explicit Scanner(QStringView text) : m_text(text) {}
    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_text.at(m_pos); }
    bool take(QChar c)
    {
        if (peek() != c)
            return false;
        ++m_pos;
        return true;
    }
    std::optional<int> number()
    {
        qsizetype start = m_pos;
        while (!atEnd() && peek().isDigit() && peek().unicode() < 128)
            ++m_pos;
        if (m_pos == start || m_pos - start > 6)
            return std::nullopt;
        return m_text.mid(start, m_pos - start).toInt();
    }
    std::optional<QChar> justification()
    {
        const QChar c = peek().toUpper();
        if (c != u'L' && c != u'R' && c != u'C' && c != u'D')
            return std::nullopt;
        ++m_pos;
        return c;
    }
    // "(n)" or nothing; false for a malformed indent.
    bool indent(int &out)
    {
        if (!take(u'('))
            return true;
        const auto n = number();
        if (!n || !take(u')'))
            return false;
        out = *n;
        return true;
    }
    std::optional<QString> upTo(QChar end)
    {
        const qsizetype at = m_text.indexOf(end, m_pos);
        if (at < 0)
            return std::nullopt;
        QString out = m_text.mid(m_pos, at - m_pos).toString();
        m_pos = at + 1;
        return out;
    }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

} // namespace

std::optional<ListFormat> ListFormat::parse(QStringView text)
{
    ListFormat out;
    Scanner s(text.trimmed());
    while (!s.atEnd()) {
        ListColumn c;
        const auto width = s.number();
        const auto just = width ? s.justification() : std::nullopt;
        if (!width || !just || !s.indent(c.indent) || !s.take(u'~'))
            return std::nullopt;
        c.width = *width;
        c.justification = *just;
        const auto header = s.upTo(u'~');
        const auto headerJust = header ? s.justification() : std::nullopt;
        if (!headerJust || !s.indent(c.headerIndent) || s.peek() != u'@')
            return std::nullopt;
        c.header = *header;
        c.headerJustification = *headerJust;
        s.take(u'@');
        const auto picture = s.upTo(u'@');
        if (!picture || picture->isEmpty())
            return std::nullopt;
        c.picture = u'@' + *picture;
        if (s.take(u'#')) {
            const auto n = s.number();
            if (!n || !s.take(u'#'))
                return std::nullopt;
            c.number = *n;
        }
        for (bool more = true; more;) {
            if (s.take(u'F'))
                c.fixed = true;
            else if (s.take(u'_'))
                c.underline = true;
            else if (s.take(u'M'))
                c.resizable = true;
            else if (s.take(u'|'))
                c.border = true;
            else
                more = false;
        }
        out.columns.push_back(std::move(c));
    }
    return out;
}

QString ListFormat::toString() const
{
    QString out;
    for (const ListColumn &c : columns) {
        out += QString::number(c.width) + c.justification;
        if (c.indent != 0)
            out += u'(' + QString::number(c.indent) + u')';
        QString header = c.header;
        header.remove(u'~');
        while (header.endsWith(u' '))
            header.chop(1);
        out += u'~' + header.left(MaxHeader) + u'~' + c.headerJustification;
        if (c.headerIndent != 0)
            out += u'(' + QString::number(c.headerIndent) + u')';
        out += (c.picture.isEmpty() ? QStringLiteral("@S20") : c.picture) + u'@';
        if (c.number != 0)
            out += u'#' + QString::number(c.number) + u'#';
        if (c.fixed)
            out += u'F';
        if (c.underline)
            out += u'_';
        if (c.resizable)
            out += u'M';
        if (c.border)
            out += u'|';
    }
    return out;
}

void ListFormat::applyDateFormat(QStringView preference)
{
    for (ListColumn &c : columns)
        if (picture::isDatePicture(c.picture))
            c.picture = picture::withDateFormat(c.picture, preference);
}

QString ListFormat::withDateFormat(const QString &format, QStringView preference)
{
    auto parsed = parse(format);
    if (!parsed)
        return format;
    parsed->applyDateFormat(preference);
    return parsed->toString();
}

QString ListFormat::restore(const QString &iniFile, const QString &section, const QString &listName,
                            const QString &designed)
{
    const QString originalKey = QStringLiteral("SRCFOriginal") + listName;
    if (Profile::readString(iniFile, section, originalKey) != designed) {
        Profile::writeString(iniFile, section, originalKey, designed);
        return designed;
    }
    const QString saved = Profile::readString(iniFile, section, QStringLiteral("SRCF") + listName);
    if (saved.isEmpty() || saved.size() > MaxFormat || !parse(saved))
        return designed;
    return saved;
}

void ListFormat::save(const QString &iniFile, const QString &section, const QString &listName,
                      const QString &format)
{
    Profile::writeString(iniFile, section, QStringLiteral("SRCF") + listName, format);
}

} // namespace melodex
