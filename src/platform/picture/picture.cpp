// Display pictures: the parsed form of texts such as "@s40", "@n-10.2", "@d17b" and "@t4".
#include "platform/picture/picture.h"

#include <optional>

namespace melodex::picture {

namespace {

constexpr int MaxTextWidth = 65535;
constexpr int MaxNumberWidth = 64;
// 10^18 still fits a qint64, so a scaled value with 18 places keeps at least one integer digit.
constexpr int MaxPlaces = 18;
constexpr int DateForms = 18;
constexpr int TimeForms = 6;

// Walks a picture text; every read is bounds-checked so that no input can read past the end.
class Cursor
{
public:
    explicit Cursor(QStringView text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_text.at(m_pos); }
    void advance() { ++m_pos; }
    bool take(char c)
    {
        if (atEnd() || m_text.at(m_pos).toLower() != QLatin1Char(c))
            return false;
        ++m_pos;
        return true;
    }
    // Reads a run of ASCII digits; nothing when there is none or it exceeds `limit`.
    std::optional<int> number(int limit)
    {
        qsizetype start = m_pos;
        qint64 value = 0;
        while (!atEnd() && m_text.at(m_pos) >= QLatin1Char('0') &&
               m_text.at(m_pos) <= QLatin1Char('9')) {
            value = value * 10 + (m_text.at(m_pos).unicode() - '0');
            if (value > limit)
                return std::nullopt;
            ++m_pos;
        }
        if (m_pos == start)
            return std::nullopt;
        return int(value);
    }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

bool isSeparatorModifier(QChar c)
{
    return c == QLatin1Char('.') || c == QLatin1Char('-') || c == QLatin1Char('_') ||
           c == QLatin1Char('/') || c == QLatin1Char(':');
}

} // namespace

Picture Picture::parse(QStringView text)
{
    Picture p;
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    p.m_text = text.toString();

    auto fail = [&p](const QString &why) {
        p.m_kind = Kind::Invalid;
        p.m_error = why;
        return p;
    };

    if (text.isEmpty() || text.front() != QLatin1Char('@'))
        return fail(QStringLiteral("A picture must begin with \"@\"."));
    if (text.size() < 2)
        return fail(QStringLiteral("The picture has no type letter after \"@\"."));
    p.m_letter = text.at(1).toUpper();

    Cursor in(text.mid(2));
    switch (p.m_letter.unicode()) {
    case 'S': {
        const auto width = in.number(MaxTextWidth);
        if (!width || *width == 0)
            return fail(
                QStringLiteral("A text picture needs a width from 1 to %1.").arg(MaxTextWidth));
        p.m_width = *width;
        p.m_kind = Kind::Text;
        break;
    }
    case 'N': {
        p.m_signed = in.take('-');
        if (in.take('_'))
            p.m_fill = QLatin1Char(' ');
        else if (in.take('0'))
            p.m_fill = QLatin1Char('0');
        p.m_grouping = in.take(',');
        const auto width = in.number(MaxNumberWidth);
        if (!width || *width == 0)
            return fail(
                QStringLiteral("A number picture needs a width from 1 to %1.").arg(MaxNumberWidth));
        p.m_width = *width;
        if (in.take('.')) {
            const auto places = in.number(MaxPlaces);
            if (!places)
                return fail(
                    QStringLiteral("A number picture may have 0 to %1 places.").arg(MaxPlaces));
            p.m_places = *places;
        }
        if (p.m_places > 0 && p.m_width < p.m_places + 2)
            return fail(QStringLiteral("The width leaves no room for the decimal places."));
        p.m_blank = in.take('b');
        p.m_kind = Kind::Number;
        break;
    }
    case 'D':
    case 'T': {
        const bool date = p.m_letter == QLatin1Char('D');
        const int forms = date ? DateForms : TimeForms;
        const auto form = in.number(forms);
        if (!form || *form == 0)
            return fail(date ? QStringLiteral("A date picture needs a form from 1 to 18.")
                             : QStringLiteral("A time picture needs a form from 1 to 6."));
        p.m_form = *form;
        // Separator and blank flag may come in either order, each at most once.
        for (int i = 0; i < 2 && !in.atEnd(); ++i) {
            if (!p.m_blank && in.take('b')) {
                p.m_blank = true;
            } else if (p.m_separator.isNull() && isSeparatorModifier(in.peek())) {
                p.m_separator = in.peek() == QLatin1Char('_') ? QLatin1Char(' ') : in.peek();
                in.advance();
            }
        }
        p.m_kind = date ? Kind::Date : Kind::Time;
        break;
    }
    default:
        return fail(QStringLiteral("\"%1\" is not a picture type (s, n, d or t).").arg(text.at(1)));
    }

    if (!in.atEnd())
        return fail(QStringLiteral("Unexpected \"%1\" in the picture.").arg(in.peek()));
    return p;
}

bool isDatePicture(QStringView picture)
{
    return picture.size() >= 2 && picture.at(0) == QLatin1Char('@') &&
           picture.at(1).toLower() == QLatin1Char('d');
}

QString withDateFormat(QStringView picture, QStringView preference)
{
    const Picture original = Picture::parse(picture);
    if (original.kind() != Picture::Kind::Date)
        return picture.toString();

    QStringView wanted = preference.trimmed();
    if (wanted.startsWith(QLatin1Char('@')))
        wanted = wanted.mid(1);
    QString text = QLatin1Char('@') + wanted.toString();
    Picture replacement = Picture::parse(text);
    if (replacement.kind() != Picture::Kind::Date && replacement.kind() != Picture::Kind::Number)
        return picture.toString();

    if (original.blankWhenZero() && !replacement.blankWhenZero()) {
        text += QLatin1Char('b');
        replacement = Picture::parse(text);
        if (!replacement.isValid())
            return picture.toString();
    }
    return replacement.text();
}

} // namespace melodex::picture
