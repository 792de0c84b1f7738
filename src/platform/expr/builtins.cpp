// The built-in functions of the filter language: their names and arities, and the text and date
// operations behind them, shared by the SQLite functions and the direct evaluator.
#include "platform/expr/builtins.h"

#include <QList>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace melodex::expr {

namespace {

constexpr FunctionInfo kFunctions[] = {
    {Function::Upper, u"UPPER", 1, 1},       {Function::Lower, u"LOWER", 1, 1},
    {Function::Clip, u"CLIP", 1, 1},         {Function::Sub, u"SUB", 3, 3},
    {Function::InString, u"INSTRING", 2, 4}, {Function::Len, u"LEN", 1, 1},
    {Function::Left, u"LEFT", 2, 2},         {Function::Right, u"RIGHT", 2, 2},
    {Function::Int, u"INT", 1, 1},           {Function::Abs, u"ABS", 1, 1},
    {Function::Val, u"VAL", 1, 1},           {Function::Numeric, u"NUMERIC", 1, 1},
    {Function::Month, u"MONTH", 1, 1},       {Function::Day, u"DAY", 1, 1},
    {Function::Year, u"YEAR", 1, 1},         {Function::Date, u"DATE", 3, 3},
    {Function::Today, u"TODAY", 0, 0},
};

// Positions far beyond any text; clamping to it keeps the position arithmetic from overflowing.
constexpr qint64 kFar = qint64(1) << 40;

qint64 clampPosition(qint64 v)
{
    return std::clamp(v, -kFar, kFar);
}

bool hasSurrogates(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isSurrogate(); });
}

std::u16string_view utf16View(QStringView text)
{
    return {text.utf16(), size_t(text.size())};
}

std::u32string toUtf32(QStringView text)
{
    const QList<uint> ucs4 = text.toUcs4();
    return std::u32string(ucs4.begin(), ucs4.end());
}

// 0-based offset and count of the characters SUB selects from a text of n characters.
std::pair<qint64, qint64> subWindow(qint64 n, qint64 start, qint64 count)
{
    start = clampPosition(start);
    count = clampPosition(count);
    if (count < 1)
        return {0, 0};
    qint64 from = start < 0 ? n + start + 1 : start;
    qint64 to = from + count;
    from = std::max<qint64>(from, 1);
    to = std::min<qint64>(to, n + 1);
    if (from >= to)
        return {0, 0};
    return {from - 1, to - from};
}

QString subOf(QStringView text, qint64 start, qint64 count)
{
    if (!hasSurrogates(text)) {
        const auto [offset, size] = subWindow(text.size(), start, count);
        return text.sliced(offset, size).toString();
    }
    const std::u32string chars = toUtf32(text);
    const auto [offset, size] = subWindow(qint64(chars.size()), start, count);
    return QString::fromUcs4(chars.data() + offset, size);
}

template <typename View> qint64 inStringOf(View needle, View text, qint64 step, qint64 start)
{
    const qint64 m = qint64(needle.size());
    const qint64 n = qint64(text.size());
    step = clampPosition(step);
    start = clampPosition(start);
    if (m == 0 || step == 0 || m > n)
        return 0;
    const qint64 last = n - m + 1; // last position where the needle still fits
    qint64 p = start;
    if (step > 0) {
        if (p < 1)
            p += (1 - p + step - 1) / step * step;
        if (step == 1) {
            if (p > last)
                return 0;
            const auto at = text.find(needle, size_t(p - 1));
            return at == View::npos ? 0 : qint64(at) + 1;
        }
        for (; p <= last; p += step) {
            if (text.substr(size_t(p - 1), size_t(m)) == needle)
                return p;
        }
    } else {
        const qint64 back = -step;
        if (p > last)
            p -= (p - last + back - 1) / back * back;
        for (; p >= 1; p -= back) {
            if (text.substr(size_t(p - 1), size_t(m)) == needle)
                return p;
        }
    }
    return 0;
}

qsizetype clippedSize(QByteArrayView bytes)
{
    qsizetype n = bytes.size();
    while (n > 0 && bytes[n - 1] == ' ')
        --n;
    return n;
}

const QDate kDayZero(1800, 12, 28);
const QDate kFirstDate(1801, 1, 1);
const QDate kLastDate(9999, 12, 31);

} // namespace

const FunctionInfo *findFunction(QStringView upperName)
{
    for (const FunctionInfo &info : kFunctions) {
        if (info.name == upperName)
            return &info;
    }
    return nullptr;
}

const FunctionInfo &functionInfo(Function id)
{
    for (const FunctionInfo &info : kFunctions) {
        if (info.id == id)
            return info;
    }
    return kFunctions[0];
}

QString upper(QStringView text)
{
    return text.toString().toUpper();
}

QString lower(QStringView text)
{
    return text.toString().toLower();
}

QString clip(QStringView text)
{
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == u' ')
        --n;
    return text.first(n).toString();
}

qint64 length(QStringView text)
{
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == u' ')
        --n;
    qint64 count = 0;
    for (qsizetype i = 0; i < n; ++i, ++count) {
        if (text[i].isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate())
            ++i;
    }
    return count;
}

QString sub(QStringView text, qint64 start, qint64 count)
{
    return subOf(text, start, count);
}

QString left(QStringView text, qint64 count)
{
    return subOf(text, 1, count);
}

QString right(QStringView text, qint64 count)
{
    if (count < 1)
        return QString();
    count = clampPosition(count);
    return subOf(text, -count, count);
}

qint64 inString(QStringView needle, QStringView text, qint64 step, qint64 start)
{
    if (!hasSurrogates(needle) && !hasSurrogates(text))
        return inStringOf(utf16View(needle), utf16View(text), step, start);
    const std::u32string n32 = toUtf32(needle);
    const std::u32string t32 = toUtf32(text);
    return inStringOf(std::u32string_view(n32), std::u32string_view(t32), step, start);
}

int compareText(QByteArrayView a, QByteArrayView b)
{
    const qsizetype na = clippedSize(a);
    const qsizetype nb = clippedSize(b);
    const qsizetype common = std::min(na, nb);
    if (common > 0) {
        if (const int c = std::memcmp(a.data(), b.data(), size_t(common)))
            return c < 0 ? -1 : 1;
    }
    return na < nb ? -1 : (na > nb ? 1 : 0);
}

int compareText(QStringView a, QStringView b)
{
    return compareText(QByteArrayView(a.toUtf8()), QByteArrayView(b.toUtf8()));
}

qint64 dayNumber(QDate date)
{
    return kDayZero.daysTo(date);
}

QDate dateOfDay(qint64 day)
{
    if (day < dayNumber(kFirstDate) || day > dayNumber(kLastDate))
        return QDate();
    return kDayZero.addDays(day);
}

qint64 monthOf(qint64 day)
{
    const QDate date = dateOfDay(day);
    return date.isValid() ? date.month() : 0;
}

qint64 dayOf(qint64 day)
{
    const QDate date = dateOfDay(day);
    return date.isValid() ? date.day() : 0;
}

qint64 yearOf(qint64 day)
{
    const QDate date = dateOfDay(day);
    return date.isValid() ? date.year() : 0;
}

qint64 makeDate(qint64 month, qint64 day, qint64 year)
{
    if (month < 1 || month > 12 || day < 1 || day > 31 || year < 1801 || year > 9999)
        return 0;
    const QDate date{int(year), int(month), int(day)};
    return date.isValid() ? dayNumber(date) : 0;
}

qint64 today()
{
    return dayNumber(QDate::currentDate());
}

} // namespace melodex::expr
