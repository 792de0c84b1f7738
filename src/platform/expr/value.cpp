// Values of the filter language: their kinds, how fields map onto them, and conversions.
#include "platform/expr/value.h"

#include "platform/expr/builtins.h"

#include <QDate>

#include <cmath>
#include <limits>

namespace melodex::expr {

namespace {

constexpr qint64 kMaxInt = std::numeric_limits<qint64>::max();
constexpr qint64 kMinInt = std::numeric_limits<qint64>::min();

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// The parts of a number written in a text, after leading blanks and an optional sign.
struct NumberSpan
{
    bool negative = false;
    QStringView integerDigits;
    QStringView fractionDigits;
    qsizetype end = 0; // index just past the number
    bool found = false;
};

NumberSpan scanNumber(QStringView text)
{
    NumberSpan span;
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        span.negative = text[i] == u'-';
        ++i;
    }
    const qsizetype intStart = i;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
        ++i;
    span.integerDigits = text.sliced(intStart, i - intStart);
    if (i < text.size() && text[i] == u'.') {
        const qsizetype fracStart = i + 1;
        qsizetype j = fracStart;
        while (j < text.size() && text[j] >= u'0' && text[j] <= u'9')
            ++j;
        span.fractionDigits = text.sliced(fracStart, j - fracStart);
        if (!span.integerDigits.isEmpty() || !span.fractionDigits.isEmpty())
            i = j;
    }
    span.found = !span.integerDigits.isEmpty() || !span.fractionDigits.isEmpty();
    span.end = i;
    return span;
}

double spanToDouble(const NumberSpan &span)
{
    // QString::toDouble always reads the C locale, whatever locale the program runs in.
    QString digits =
        span.integerDigits.isEmpty() ? QStringLiteral("0") : span.integerDigits.toString();
    if (!span.fractionDigits.isEmpty())
        digits += u'.' + span.fractionDigits.toString();
    const double value = digits.toDouble();
    return span.negative ? -value : value;
}

// Exact value of the span at `places` decimals, rounding half away from zero.
std::optional<qint64> spanToScaled(const NumberSpan &span, int places)
{
    qint64 value = 0;
    auto push = [&value](QChar digit) {
        return !__builtin_mul_overflow(value, qint64(10), &value) &&
               !__builtin_add_overflow(value, qint64(digit.unicode() - u'0'), &value);
    };
    for (QChar c : span.integerDigits) {
        if (!push(c))
            return std::nullopt;
    }
    for (qsizetype i = 0; i < places; ++i) {
        if (!push(i < span.fractionDigits.size() ? span.fractionDigits[i] : QChar(u'0')))
            return std::nullopt;
    }
    if (places < span.fractionDigits.size() && span.fractionDigits[places] >= u'5') {
        if (__builtin_add_overflow(value, qint64(1), &value))
            return std::nullopt;
    }
    return span.negative ? -value : value;
}

qint64 saturatingRound(double real)
{
    if (std::isnan(real))
        return 0;
    return realToInteger(std::round(real));
}

} // namespace

Value Value::fromText(QString text)
{
    Value v;
    v.kind = Kind::Text;
    v.text = std::move(text);
    return v;
}

Value Value::fromNumber(qint64 scaled, int scale)
{
    Value v;
    v.kind = Kind::Number;
    v.scaled = scaled;
    v.scale = scale;
    return v;
}

Value Value::fromReal(double real)
{
    Value v;
    v.kind = Kind::Real;
    v.real = real;
    return v;
}

qint64 powerOfTen(int n)
{
    qint64 result = 1;
    for (int i = 0; i < n && i < 18; ++i)
        result *= 10;
    return result;
}

ValueType typeOf(const QVariant &v)
{
    switch (v.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return ValueType::Integer;
    case QMetaType::Float:
    case QMetaType::Double:
        return ValueType::Real;
    case QMetaType::QDate:
        return ValueType::Date;
    default:
        return ValueType::Text;
    }
}

Value fromVariant(const QVariant &v, ValueType type, int places)
{
    if (type == ValueType::Unknown) {
        type = typeOf(v);
        places = 0;
    }
    const int id = v.metaType().id();
    const bool isTextual =
        id == QMetaType::QString || id == QMetaType::QByteArray || id == QMetaType::QChar;
    const bool isFloating = id == QMetaType::Double || id == QMetaType::Float;
    switch (type) {
    case ValueType::Text:
        return Value::fromText(clip(v.toString()));
    case ValueType::Real:
        return Value::fromReal(isTextual ? textToNumber(v.toString()) : v.toDouble());
    case ValueType::Decimal: {
        places = qBound(0, places, 18);
        if (isTextual) {
            const QString text = v.toString();
            const NumberSpan span = scanNumber(text);
            if (!span.found)
                return Value::fromNumber(0, places);
            if (const auto exact = spanToScaled(span, places))
                return Value::fromNumber(*exact, places);
            return Value::fromNumber(saturatingRound(spanToDouble(span) * powerOfTen(places)),
                                     places);
        }
        if (isFloating)
            return Value::fromNumber(saturatingRound(v.toDouble() * powerOfTen(places)), places);
        return Value::fromNumber(v.toLongLong(), places);
    }
    case ValueType::Date:
        if (id == QMetaType::QDate) {
            const QDate date = v.toDate();
            return Value::fromNumber(date.isValid() ? dayNumber(date) : 0);
        }
        [[fallthrough]];
    case ValueType::Integer:
    case ValueType::Time:
    case ValueType::Unknown:
        if (isTextual)
            return Value::fromNumber(realToInteger(textToNumber(v.toString())));
        if (isFloating)
            return Value::fromNumber(realToInteger(v.toDouble()));
        return Value::fromNumber(v.toLongLong());
    }
    return Value::fromText(QString());
}

double textToNumber(QStringView text)
{
    const NumberSpan span = scanNumber(text);
    return span.found ? spanToDouble(span) : 0.0;
}

bool isNumericText(QStringView text)
{
    const NumberSpan span = scanNumber(text);
    if (!span.found)
        return false;
    for (qsizetype i = span.end; i < text.size(); ++i) {
        if (!isBlank(text[i]))
            return false;
    }
    return true;
}

std::optional<Value> parseNumberLiteral(QStringView digits)
{
    NumberSpan span = scanNumber(digits);
    if (!span.found || span.end != digits.size())
        return std::nullopt;
    while (!span.fractionDigits.isEmpty() && span.fractionDigits.size() > kMaxScale &&
           span.fractionDigits.endsWith(u'0'))
        span.fractionDigits.chop(1);
    const int scale = int(span.fractionDigits.size());
    if (scale <= kMaxScale) {
        if (const auto exact = spanToScaled(span, scale))
            return Value::fromNumber(*exact, scale);
    }
    const double real = spanToDouble(span);
    if (!std::isfinite(real))
        return std::nullopt;
    return Value::fromReal(real);
}

QString numberToText(qint64 scaled, int scale)
{
    const bool negative = scaled < 0;
    // The magnitude of the smallest int64 does not fit an int64.
    const quint64 magnitude = negative ? quint64(0) - quint64(scaled) : quint64(scaled);
    QString digits = QString::number(magnitude);
    if (scale > 0) {
        if (digits.size() <= scale)
            digits.prepend(QString(scale + 1 - digits.size(), u'0'));
        digits.insert(digits.size() - scale, u'.');
    }
    if (negative)
        digits.prepend(u'-');
    return digits;
}

QString realToText(double real)
{
    if (real == 0 || std::isnan(real))
        return QStringLiteral("0");
    return QString::number(real, 'g', 15);
}

qint64 saturatingAdd(qint64 a, qint64 b)
{
    qint64 result = 0;
    if (__builtin_add_overflow(a, b, &result))
        return b < 0 ? kMinInt : kMaxInt;
    return result;
}

qint64 saturatingSub(qint64 a, qint64 b)
{
    qint64 result = 0;
    if (__builtin_sub_overflow(a, b, &result))
        return b > 0 ? kMinInt : kMaxInt;
    return result;
}

qint64 saturatingMul(qint64 a, qint64 b)
{
    qint64 result = 0;
    if (__builtin_mul_overflow(a, b, &result))
        return (a < 0) != (b < 0) ? kMinInt : kMaxInt;
    return result;
}

int compareScaled(qint64 a, int aPlaces, qint64 b, int bPlaces)
{
    // 10^18 times any int64 fits in 128 bits.
    __extension__ typedef __int128 Wide;
    const Wide lhs = Wide(a) * powerOfTen(aPlaces);
    const Wide rhs = Wide(b) * powerOfTen(bPlaces);
    return lhs < rhs ? -1 : (lhs > rhs ? 1 : 0);
}

qint64 realToInteger(double real)
{
    if (std::isnan(real))
        return 0;
    if (real >= 9223372036854775807.0)
        return kMaxInt;
    if (real <= -9223372036854775808.0)
        return kMinInt;
    return qint64(real);
}

QString toText(const Value &v)
{
    switch (v.kind) {
    case Value::Kind::Text:
        return v.text;
    case Value::Kind::Number:
        return numberToText(v.scaled, v.scale);
    case Value::Kind::Real:
        return realToText(v.real);
    }
    return QString();
}

double toReal(const Value &v)
{
    switch (v.kind) {
    case Value::Kind::Text:
        return textToNumber(v.text);
    case Value::Kind::Number:
        return v.scale == 0 ? double(v.scaled) : double(v.scaled) / double(powerOfTen(v.scale));
    case Value::Kind::Real:
        return v.real;
    }
    return 0;
}

qint64 toInteger(const Value &v)
{
    switch (v.kind) {
    case Value::Kind::Text:
        return realToInteger(textToNumber(v.text));
    case Value::Kind::Number:
        return v.scale == 0 ? v.scaled : v.scaled / powerOfTen(v.scale);
    case Value::Kind::Real:
        return realToInteger(v.real);
    }
    return 0;
}

bool isTrue(const Value &v)
{
    switch (v.kind) {
    case Value::Kind::Text:
        for (QChar c : v.text) {
            if (c != u' ')
                return true;
        }
        return false;
    case Value::Kind::Number:
        return v.scaled != 0;
    case Value::Kind::Real:
        return v.real != 0;
    }
    return false;
}

} // namespace melodex::expr
