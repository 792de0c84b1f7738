// Tests of the built-in text, number and date operations and the value conversions.
#include "platform/expr/builtins.h"
#include "platform/expr/value.h"

#include <gtest/gtest.h>

#include <limits>

using namespace melodex::expr;
using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kMax = std::numeric_limits<qint64>::max();
constexpr qint64 kMin = std::numeric_limits<qint64>::min();

const QString kEmoji = QString::fromUtf8("\xF0\x9F\x98\x80"); // one character, two UTF-16 units

TEST(Builtins, UpperAndLowerCoverEveryAlphabet)
{
    const struct
    {
        const char *text;
        const char *upper;
        const char *lower;
    } cases[] = {
        {"abc", "ABC", "abc"},
        {"été", "ÉTÉ", "été"},
        {"straße", "STRASSE", "straße"},
        {"Ärzte", "ÄRZTE", "ärzte"},
        {"σοφία", "ΣΟΦΊΑ", "σοφία"},
        {"Москва", "МОСКВА", "москва"},
        {"\xF0\x90\x90\xA8", "\xF0\x90\x90\x80",
         "\xF0\x90\x90\xA8"}, // Deseret, beyond UTF-16's BMP
        {"a1 ;'", "A1 ;'", "a1 ;'"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(upper(QString::fromUtf8(c.text)), QString::fromUtf8(c.upper)) << c.text;
        EXPECT_EQ(lower(QString::fromUtf8(c.text)), QString::fromUtf8(c.lower)) << c.text;
    }
}

TEST(Builtins, SubSelectsByCharacterAndToleratesAnyBounds)
{
    const struct
    {
        qint64 start;
        qint64 count;
        const char *expected;
    } cases[] = {
        {1, 3, "abc"},          {2, 3, "bcd"}, {5, 10, "ef"},    {6, 1, "f"},  {7, 1, ""},
        {100, 2, ""},           {0, 3, "ab"},  {-2, 2, "ef"},    {-1, 5, "f"}, {-6, 1, "a"},
        {-10, 12, "abcdef"},    {-10, 2, ""},  {2, 0, ""},       {2, -1, ""},  {kMax, kMax, ""},
        {kMin, kMax, "abcdef"}, {1, kMin, ""}, {kMin, kMin, ""},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(sub(u"abcdef", c.start, c.count), QString::fromUtf8(c.expected))
            << c.start << "," << c.count;
    }
    const QString withEmoji = u"a"_s + kEmoji + u"b"_s;
    EXPECT_EQ(sub(withEmoji, 2, 1), kEmoji);
    EXPECT_EQ(sub(withEmoji, 3, 1), u"b"_s);
    EXPECT_EQ(sub(withEmoji, -2, 2), kEmoji + u"b"_s);
}

TEST(Builtins, LeftAndRight)
{
    EXPECT_EQ(left(u"abcdef", 2), u"ab"_s);
    EXPECT_EQ(left(u"abc", 10), u"abc"_s);
    EXPECT_EQ(left(u"abc", -1), QString());
    EXPECT_EQ(right(u"abcdef", 2), u"ef"_s);
    EXPECT_EQ(right(u"abc", 10), u"abc"_s);
    EXPECT_EQ(right(u"abc", 0), QString());
    EXPECT_EQ(right(u"abc", kMax), u"abc"_s);
    EXPECT_EQ(right(u"x"_s + kEmoji, 1), kEmoji);
}

TEST(Builtins, InStringTriesOnlyTheStepsFromStart)
{
    const struct
    {
        const char *needle;
        const char *text;
        qint64 step;
        qint64 start;
        qint64 expected;
    } cases[] = {
        {"b", "abcabc", 1, 1, 2},
        {"b", "abcabc", 1, 3, 5},
        {"b", "abcabc", 1, 6, 0},
        {"abc", "abcabc", 1, 2, 4},
        {"c", "abcabc", 3, 1, 0},
        {"c", "abcabc", 3, 3, 3},
        {"c", "abcabc", 3, 4, 0},
        {"abc", "abcabc", 3, 2, 0},
        {"abc", "abcabc", 3, 1, 1},
        {"a", "abcabc", 2, 2, 4},
        {"bc", "abcabc", 3, 2, 2},
        {"x", "abcabc", 1, 1, 0},
        {"", "abc", 1, 1, 0},
        {"a", "", 1, 1, 0},
        {"abcd", "abc", 1, 1, 0},
        {"a", "abc", 0, 1, 0},
        {"a", "abc", 1, 10, 0},
        {"a", "abcabc", 1, -5, 1},
        {"c", "abcabc", 2, -4, 6},
        {"b", "abcabc", 2, -4, 2},
        {"a", "abcabc", -1, 6, 4},
        {"a", "abcabc", -1, 3, 1},
        {"a", "abcabc", -3, 6, 0},
        {"c", "abcabc", -3, 6, 6},
        {"c", "abcabc", -1, 100, 6},
        {"ab", "abcabc", -1, 6, 4},
        {"a", "abc", kMax, kMin, 0},
        {"a", "abc", kMin, kMax, 0},
        {"a", "abc", 1, kMin, 1},
        {"LOVE", "I LOVE YOU", 1, 1, 3},
        {"love", "I LOVE YOU", 1, 1, 0},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(inString(QString::fromUtf8(c.needle), QString::fromUtf8(c.text), c.step, c.start),
                  c.expected)
            << c.needle << " in " << c.text << " step " << c.step << " from " << c.start;
    }
    const QString text = u"a"_s + kEmoji + u"b"_s + kEmoji;
    EXPECT_EQ(inString(kEmoji, text, 1, 1), 2);
    EXPECT_EQ(inString(kEmoji, text, 1, 3), 4);
    EXPECT_EQ(inString(u"b", text, 1, 1), 3);
}

TEST(Builtins, LengthAndClipIgnoreOnlyTrailingBlanks)
{
    EXPECT_EQ(length(u"abc  "), 3);
    EXPECT_EQ(length(u"  abc"), 5);
    EXPECT_EQ(length(u"   "), 0);
    EXPECT_EQ(length(u""), 0);
    EXPECT_EQ(length(u"a b "), 3);
    EXPECT_EQ(length(u"a"_s + kEmoji), 2);
    EXPECT_EQ(clip(u"ab  "), u"ab"_s);
    EXPECT_EQ(clip(u"  ab"), u"  ab"_s);
    EXPECT_EQ(clip(u"a\t "), u"a\t"_s);
}

TEST(Builtins, TextComparisonIsExactButBlindToTrailingBlanks)
{
    const struct
    {
        const char *a;
        const char *b;
        int expected;
    } cases[] = {
        {"abc", "abc   ", 0}, {"", "   ", 0},      {"abc", "abd", -1}, {"A", "a", -1},
        {"ab", "abc", -1},    {"ab ", "abc", -1},  {"é", "f", 1},      {"É", "é", -1},
        {"b", "a ", 1},       {"a\tb", "a b", -1},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(compareText(QString::fromUtf8(c.a), QString::fromUtf8(c.b)), c.expected)
            << c.a << " vs " << c.b;
        EXPECT_EQ(compareText(QString::fromUtf8(c.b), QString::fromUtf8(c.a)), -c.expected);
    }
    // Bytes after a NUL still count.
    EXPECT_LT(compareText(QByteArrayView("a\0b", 3), QByteArrayView("a\0c", 3)), 0);
}

TEST(Builtins, DayNumbersStartAt1801)
{
    EXPECT_EQ(dayNumber(QDate(1801, 1, 1)), 4);
    EXPECT_EQ(dayNumber(QDate(1800, 12, 28)), 0);
    EXPECT_EQ(dateOfDay(4), QDate(1801, 1, 1));
    EXPECT_FALSE(dateOfDay(3).isValid());
    EXPECT_FALSE(dateOfDay(kMax).isValid());
    EXPECT_FALSE(dateOfDay(kMin).isValid());

    const QDate samples[] = {QDate(1801, 1, 1), QDate(1900, 2, 28), QDate(2000, 2, 29),
                             QDate(2024, 12, 31), QDate(9999, 12, 31)};
    for (const QDate &date : samples) {
        const qint64 day = dayNumber(date);
        EXPECT_EQ(yearOf(day), date.year());
        EXPECT_EQ(monthOf(day), date.month());
        EXPECT_EQ(dayOf(day), date.day());
        EXPECT_EQ(makeDate(date.month(), date.day(), date.year()), day);
    }
    // No date (0) has no parts rather than a December of 1800.
    EXPECT_EQ(monthOf(0), 0);
    EXPECT_EQ(yearOf(0), 0);
    EXPECT_EQ(makeDate(2, 29, 1900), 0);
    EXPECT_EQ(makeDate(13, 1, 2000), 0);
    EXPECT_EQ(makeDate(1, 1, 10000), 0);
    EXPECT_EQ(makeDate(kMax, kMin, kMax), 0);
    EXPECT_EQ(today(), dayNumber(QDate::currentDate()));
}

TEST(Values, TextToNumberReadsTheLeadingNumber)
{
    const struct
    {
        const char *text;
        double value;
        bool numeric;
    } cases[] = {
        {"12", 12, true},  {" 12 ", 12, true}, {"-2.5", -2.5, true},   {"+7", 7, true},
        {".5", 0.5, true}, {"5.", 5, true},    {"3.5abc", 3.5, false}, {"abc", 0, false},
        {"", 0, false},    {"-", 0, false},    {".", 0, false},        {"1,5", 1, false},
        {"1e3", 1, false}, {"\t4", 4, true},
    };
    for (const auto &c : cases) {
        EXPECT_DOUBLE_EQ(textToNumber(QString::fromUtf8(c.text)), c.value) << c.text;
        EXPECT_EQ(isNumericText(QString::fromUtf8(c.text)), c.numeric) << c.text;
    }
}

TEST(Values, NumbersPrintWithTheirDecimals)
{
    EXPECT_EQ(numberToText(1050, 2), u"10.50"_s);
    EXPECT_EQ(numberToText(-5, 2), u"-0.05"_s);
    EXPECT_EQ(numberToText(0, 0), u"0"_s);
    EXPECT_EQ(numberToText(7, 0), u"7"_s);
    EXPECT_EQ(numberToText(kMin, 0), u"-9223372036854775808"_s);
    EXPECT_EQ(realToText(0.5), u"0.5"_s);
    EXPECT_EQ(realToText(-0.0), u"0"_s);
    EXPECT_EQ(realToText(3.0), u"3"_s);
}

TEST(Values, RealToIntegerTruncatesAndSaturates)
{
    EXPECT_EQ(realToInteger(2.9), 2);
    EXPECT_EQ(realToInteger(-2.9), -2);
    EXPECT_EQ(realToInteger(1e300), kMax);
    EXPECT_EQ(realToInteger(-1e300), kMin);
    EXPECT_EQ(realToInteger(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(realToInteger(std::numeric_limits<double>::infinity()), kMax);
}

TEST(Values, BoundVariantsBecomeValuesOfTheirType)
{
    const struct
    {
        const char *name;
        QVariant variant;
        ValueType type;
        int places;
        Value::Kind kind;
        qint64 scaled;
        QString text;
    } cases[] = {
        {"padded text", QVariant(u"CD    "_s), ValueType::Text, 0, Value::Kind::Text, 0, u"CD"_s},
        {"null text", QVariant(), ValueType::Text, 0, Value::Kind::Text, 0, QString()},
        {"number as text", QVariant(12), ValueType::Text, 0, Value::Kind::Text, 0, u"12"_s},
        {"null integer", QVariant(), ValueType::Integer, 0, Value::Kind::Number, 0, {}},
        {"double integer", QVariant(3.9), ValueType::Integer, 0, Value::Kind::Number, 3, {}},
        {"text integer", QVariant(u" 42"_s), ValueType::Integer, 0, Value::Kind::Number, 42, {}},
        {"scaled decimal", QVariant(1050), ValueType::Decimal, 2, Value::Kind::Number, 1050, {}},
        {"double decimal", QVariant(10.5), ValueType::Decimal, 2, Value::Kind::Number, 1050, {}},
        {"text decimal",
         QVariant(u"10.505"_s),
         ValueType::Decimal,
         2,
         Value::Kind::Number,
         1051,
         {}},
        {"negative text decimal",
         QVariant(u"-0.5"_s),
         ValueType::Decimal,
         2,
         Value::Kind::Number,
         -50,
         {}},
        {"huge text decimal",
         QVariant(u"99999999999999999999"_s),
         ValueType::Decimal,
         2,
         Value::Kind::Number,
         kMax,
         {}},
        {"date", QVariant(QDate(1801, 1, 2)), ValueType::Date, 0, Value::Kind::Number, 5, {}},
        {"unknown text", QVariant(u"42"_s), ValueType::Unknown, 0, Value::Kind::Text, 0, u"42"_s},
        {"unknown number", QVariant(42), ValueType::Unknown, 0, Value::Kind::Number, 42, {}},
        {"unknown bool", QVariant(true), ValueType::Unknown, 0, Value::Kind::Number, 1, {}},
    };
    for (const auto &c : cases) {
        const Value v = fromVariant(c.variant, c.type, c.places);
        EXPECT_EQ(v.kind, c.kind) << c.name;
        if (c.kind == Value::Kind::Text) {
            EXPECT_EQ(v.text, c.text) << c.name;
        } else {
            EXPECT_EQ(v.scaled, c.scaled) << c.name;
            EXPECT_EQ(v.scale, c.type == ValueType::Decimal ? c.places : 0) << c.name;
        }
    }
}

TEST(Values, ConversionsBetweenKinds)
{
    EXPECT_EQ(toText(Value::fromNumber(1050, 2)), u"10.50"_s);
    EXPECT_DOUBLE_EQ(toReal(Value::fromNumber(1050, 2)), 10.5);
    EXPECT_EQ(toInteger(Value::fromNumber(-1099, 2)), -10);
    EXPECT_EQ(toInteger(Value::fromText(u"7.9x"_s)), 7);
    EXPECT_TRUE(isTrue(Value::fromText(u" x "_s)));
    EXPECT_FALSE(isTrue(Value::fromText(u"   "_s)));
    EXPECT_FALSE(isTrue(Value::fromNumber(0, 2)));
    EXPECT_TRUE(isTrue(Value::fromReal(0.001)));
}

} // namespace
