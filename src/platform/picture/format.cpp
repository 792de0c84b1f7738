// Showing values through pictures (format) and reading typed or imported text back.
#include "platform/picture/format.h"

#include "platform/picture/datetimetext.h"

#include <limits>

namespace melodex::picture {

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The first `count` characters of `text`, counting a surrogate pair as the one character it is,
// so that cutting never leaves half a character behind; `taken` receives the characters kept.
QStringView leftCharacters(QStringView text, int count, int *taken)
{
    qsizetype i = 0;
    int n = 0;
    while (i < text.size() && n < count) {
        const bool pair =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        i += pair ? 2 : 1;
        ++n;
    }
    *taken = n;
    return text.left(i);
}

QString plainText(const Value &value)
{
    if (const QString *text = std::get_if<QString>(&value))
        return *text;
    return QString::number(std::get<qint64>(value));
}

QString formatText(const Value &value, const Picture &picture, Layout layout)
{
    const QString whole = plainText(value);
    int taken = 0;
    QStringView shown = leftCharacters(whole, picture.width(), &taken);
    if (layout == Layout::Fixed)
        return shown.toString() + QString(picture.width() - taken, QLatin1Char(' '));
    while (!shown.isEmpty() && shown.back() == QLatin1Char(' '))
        shown.chop(1);
    return shown.toString();
}

// The number without blank padding (zero fill included); nothing when it does not fit the width.
std::optional<QString> numberText(qint64 value, const Picture &picture)
{
    // Through quint64, so that the magnitude of the most negative qint64 is representable.
    const quint64 magnitude = value < 0 ? quint64(0) - quint64(value) : quint64(value);
    QString digits = QString::number(magnitude);
    const int places = picture.places();
    if (places > 0) {
        if (digits.size() <= places)
            digits.prepend(QString(places + 1 - digits.size(), QLatin1Char('0')));
        digits.insert(digits.size() - places, QLatin1Char('.'));
    }
    if (picture.groupsThousands()) {
        const qsizetype wholeDigits = digits.size() - (places > 0 ? places + 1 : 0);
        for (qsizetype at = wholeDigits - 3; at > 0; at -= 3)
            digits.insert(at, QLatin1Char(','));
    }
    QString text = value < 0 ? QLatin1Char('-') + digits : digits;
    if (text.size() > picture.width())
        return std::nullopt;
    if (picture.fill() == QLatin1Char('0'))
        text.insert(value < 0 ? 1 : 0, QString(picture.width() - text.size(), QLatin1Char('0')));
    return text;
}

QString formatNumber(qint64 value, const Picture &picture, Layout layout)
{
    if (value == 0 && picture.blankWhenZero())
        return layout == Layout::Fixed ? QString(picture.width(), QLatin1Char(' ')) : QString();
    const std::optional<QString> text = numberText(value, picture);
    if (!text)
        return QString(picture.width(), QLatin1Char('#'));
    if (layout == Layout::Fixed)
        return QString(picture.width() - text->size(), QLatin1Char(' ')) + *text;
    return *text;
}

// "," is accepted only between groups of three digits, so "1,5" (a decimal comma) is refused
// instead of being read as fifteen. Zeros that fill the width come before the first group
// ("00000096,000" under "@n0,12"), so they do not count in its length.
bool validGrouping(QStringView whole)
{
    const QList<QStringView> groups = whole.split(QLatin1Char(','));
    for (qsizetype i = 0; i < groups.size(); ++i) {
        QStringView group = groups.at(i);
        if (i == 0) {
            while (group.size() > 3 && group.front() == QLatin1Char('0'))
                group = group.mid(1);
        }
        const qsizetype n = group.size();
        if (i == 0 ? (n < 1 || n > 3) : n != 3)
            return false;
    }
    return true;
}

std::optional<qint64> readNumber(QStringView text, const Picture &picture)
{
    QStringView s = text.trimmed();
    if (s.isEmpty())
        return 0;

    bool negative = false;
    if (s.front() == QLatin1Char('-') || s.front() == QLatin1Char('+')) {
        negative = s.front() == QLatin1Char('-');
        s = s.mid(1).trimmed();
    } else if (s.back() == QLatin1Char('-') || s.back() == QLatin1Char('+')) {
        negative = s.back() == QLatin1Char('-');
        s = s.chopped(1).trimmed();
    }

    const qsizetype point = s.indexOf(QLatin1Char('.'));
    const QStringView whole = point < 0 ? s : s.left(point);
    const QStringView fraction = point < 0 ? QStringView() : s.mid(point + 1);
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    for (QChar c : whole) {
        if (!isAsciiDigit(c) && c != QLatin1Char(','))
            return std::nullopt;
    }
    for (QChar c : fraction) {
        if (!isAsciiDigit(c))
            return std::nullopt;
    }
    if (whole.contains(QLatin1Char(',')) && !validGrouping(whole))
        return std::nullopt;

    quint64 magnitude = 0;
    bool overflow = false;
    auto push = [&](int digit) {
        if (magnitude > (std::numeric_limits<quint64>::max() - quint64(digit)) / 10)
            overflow = true;
        else
            magnitude = magnitude * 10 + quint64(digit);
    };
    for (QChar c : whole) {
        if (c != QLatin1Char(','))
            push(c.unicode() - '0');
    }
    const int places = picture.places();
    for (int i = 0; i < places; ++i)
        push(i < fraction.size() ? fraction.at(i).unicode() - '0' : 0);
    // Rounding on the magnitude rounds half away from zero for either sign.
    if (fraction.size() > places && fraction.at(places) >= QLatin1Char('5')) {
        if (magnitude == std::numeric_limits<quint64>::max())
            overflow = true;
        else
            ++magnitude;
    }
    if (overflow)
        return std::nullopt;

    const quint64 limit = quint64(std::numeric_limits<qint64>::max()) + (negative ? 1 : 0);
    if (magnitude > limit)
        return std::nullopt;
    if (negative && magnitude != 0 && !picture.isSigned())
        return std::nullopt;
    const qint64 value = negative ? qint64(quint64(0) - magnitude) : qint64(magnitude);
    if (!numberText(value, picture))
        return std::nullopt;
    return value;
}

} // namespace

QString format(const Value &value, const Picture &picture, Layout layout, const Context &context)
{
    if (!picture.isValid())
        return plainText(value);
    if (picture.kind() == Picture::Kind::Text)
        return formatText(value, picture, layout);

    qint64 number = 0;
    if (const QString *text = std::get_if<QString>(&value)) {
        const std::optional<qint64> read = deformatNumber(*text, picture, context);
        if (!read)
            return *text;
        number = *read;
    } else {
        number = std::get<qint64>(value);
    }

    switch (picture.kind()) {
    case Picture::Kind::Number:
        return formatNumber(number, picture, layout);
    case Picture::Kind::Date:
        return detail::formatDate(number, picture, context);
    case Picture::Kind::Time:
        return detail::formatTime(number, picture);
    case Picture::Kind::Text:
    case Picture::Kind::Invalid:
        break;
    }
    return plainText(value);
}

QString format(const Value &value, QStringView picture, Layout layout, const Context &context)
{
    return format(value, Picture::parse(picture), layout, context);
}

std::optional<Value> deformat(QStringView text, const Picture &picture, const Context &context)
{
    if (picture.kind() == Picture::Kind::Text) {
        int taken = 0;
        QStringView kept = leftCharacters(text, picture.width(), &taken);
        while (!kept.isEmpty() && kept.back() == QLatin1Char(' '))
            kept.chop(1);
        return Value(kept.toString());
    }
    if (const std::optional<qint64> number = deformatNumber(text, picture, context))
        return Value(*number);
    return std::nullopt;
}

std::optional<qint64> deformatNumber(QStringView text, const Picture &picture,
                                     const Context &context)
{
    switch (picture.kind()) {
    case Picture::Kind::Number:
        return readNumber(text, picture);
    case Picture::Kind::Date:
        return detail::deformatDate(text, picture, context);
    case Picture::Kind::Time:
        return detail::deformatTime(text, picture);
    case Picture::Kind::Text:
    case Picture::Kind::Invalid:
        break;
    }
    return std::nullopt;
}

} // namespace melodex::picture
