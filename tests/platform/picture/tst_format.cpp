// Tests of format and deformat for every kind of picture, including round trips.
#include "platform/picture/calendar.h"
#include "platform/picture/format.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

#include <limits>

using namespace melodex::picture;

namespace {

constexpr qint64 Min64 = std::numeric_limits<qint64>::min();
constexpr qint64 Max64 = std::numeric_limits<qint64>::max();
constexpr std::optional<qint64> Refused = std::nullopt;

// Every case reads two-digit years near 2025, so the expectations do not age.
const Context C{QLocale::c(), 2025};
const Context US{QLocale(QLocale::English, QLocale::UnitedStates), 2025};
const Context DE{QLocale(QLocale::German, QLocale::Germany), 2025};

QString s(const char16_t *text)
{
    return QString::fromUtf16(text);
}

qint64 day(int y, int m, int d)
{
    return dayNumber(QDate(y, m, d));
}

qint64 hms(qint64 h, int m, int sec)
{
    return timeValue(h, m, sec);
}

std::string str(const QString &text)
{
    return text.toStdString();
}

} // namespace

TEST(Format, Text)
{
    const struct
    {
        Value value;
        const char16_t *picture;
        Layout layout;
        const char16_t *expected;
    } cases[] = {
        {s(u"Abba"), u"@s10", Layout::Trimmed, u"Abba"},
        {s(u"Abba"), u"@s10", Layout::Fixed, u"Abba      "},
        {s(u"Abba   "), u"@s10", Layout::Trimmed, u"Abba"},
        {s(u"  Abba"), u"@s10", Layout::Trimmed, u"  Abba"},
        {s(u"Long title"), u"@S4", Layout::Trimmed, u"Long"},
        {s(u""), u"@s3", Layout::Fixed, u"   "},
        {qint64(42), u"@s5", Layout::Trimmed, u"42"},
        // Width counts characters: a character outside the BMP is never cut in half.
        {s(u"a\U0001F600b"), u"@s2", Layout::Trimmed, u"a\U0001F600"},
        {s(u"a\U0001F600b"), u"@s4", Layout::Fixed, u"a\U0001F600b "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(str(s(c.picture)));
        EXPECT_EQ(format(c.value, s(c.picture), c.layout, C), s(c.expected));
    }
}

TEST(Format, Numbers)
{
    const struct
    {
        qint64 value;
        const char16_t *picture;
        const char16_t *trimmed, *fixed;
    } cases[] = {
        {5, u"@n3", u"5", u"  5"},
        {999, u"@n3", u"999", u"999"},
        {1000, u"@n3", u"###", u"###"}, // too wide: never cut to a wrong number
        {0, u"@n_4b", u"", u"    "},
        {120, u"@n_4b", u"120", u" 120"},
        {1234, u"@n-10.2", u"12.34", u"     12.34"},
        {-1234, u"@n-10.2", u"-12.34", u"    -12.34"},
        {-5, u"@n-10.2", u"-0.05", u"     -0.05"},
        {0, u"@n-10.2", u"0.00", u"      0.00"},
        {999999999, u"@n-10.2", u"9999999.99", u"9999999.99"},
        {-99999999, u"@n-10.2", u"-999999.99", u"-999999.99"},
        {-999999999, u"@n-10.2", u"##########", u"##########"},
        {-5, u"@n3", u"-5", u" -5"}, // a minus is never hidden, even without "-"
        {-100, u"@n3", u"###", u"###"},
        {42, u"@n05", u"00042", u"00042"},
        {-42, u"@n-05", u"-0042", u"-0042"},
        {1234567, u"@n,10", u"1,234,567", u" 1,234,567"},
        {123456789, u"@n-,14.2", u"1,234,567.89", u"  1,234,567.89"},
        {Min64, u"@n-20", u"-9223372036854775808", u"-9223372036854775808"},
        {123456789, u"@N30.9", u"0.123456789", u"                   0.123456789"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(str(s(c.picture)) + " " + std::to_string(c.value));
        EXPECT_EQ(format(c.value, s(c.picture), Layout::Trimmed, C), s(c.trimmed));
        EXPECT_EQ(format(c.value, s(c.picture), Layout::Fixed, C), s(c.fixed));
    }
}

TEST(Format, Dates)
{
    const qint64 eve = day(1999, 12, 31);
    const qint64 october = day(1959, 10, 5);
    const struct
    {
        qint64 value;
        const char16_t *picture, *expected;
    } cases[] = {
        {eve, u"@d1", u"12/31/99"},
        {eve, u"@d2", u"12/31/1999"},
        {eve, u"@d3", u"DEC 31,1999"},
        {eve, u"@d4", u"December 31, 1999"},
        {eve, u"@d5", u"31/12/99"},
        {eve, u"@d6", u"31/12/1999"},
        {eve, u"@d7", u"31 DEC 99"},
        {eve, u"@d8", u"31 DEC 1999"},
        {eve, u"@d9", u"99/12/31"},
        {eve, u"@d10", u"1999/12/31"},
        {eve, u"@d11", u"991231"},
        {eve, u"@d12", u"19991231"},
        {eve, u"@d13", u"12/99"},
        {eve, u"@d14", u"12/1999"},
        {eve, u"@d15", u"99/12"},
        {eve, u"@d16", u"1999/12"},
        {october, u"@d3", u"OCT 05,1959"},
        {october, u"@d4", u"October 5, 1959"},
        {eve, u"@d6.", u"31.12.1999"},
        {eve, u"@d2-", u"12-31-1999"},
        {eve, u"@d10_", u"1999 12 31"},
        {4, u"@d2", u"01/01/1801"},
        {LastDayNumber, u"@d2", u"12/31/9999"},
        {NoDate, u"@d2", u""}, // there is no date 0 to show, "b" or not
        {NoDate, u"@d17b", u""},
        {-1, u"@d2", u"########"},
        {LastDayNumber + 1, u"@d2", u"########"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(str(s(c.picture)) + " " + std::to_string(c.value));
        EXPECT_EQ(format(c.value, s(c.picture), Layout::Trimmed, C), s(c.expected));
        EXPECT_EQ(format(c.value, s(c.picture), Layout::Fixed, C), s(c.expected));
    }
}

TEST(Format, LocaleDates)
{
    const qint64 eve = day(1999, 12, 31);
    const struct
    {
        const Context *context;
        qint64 value;
        const char16_t *picture, *expected;
    } cases[] = {
        // The short form keeps four year digits, so no date loses its century.
        {&US, eve, u"@d17", u"12/31/1999"},  {&US, day(1959, 10, 5), u"@d17", u"10/5/1959"},
        {&US, eve, u"@d17-", u"12-31-1999"}, {&US, eve, u"@d18", u"Friday, December 31, 1999"},
        {&DE, eve, u"@d17", u"31.12.1999"},  {&DE, eve, u"@d18", u"Freitag, 31. Dezember 1999"},
        {&DE, eve, u"@d3", u"DEC 31,1999"}, // the fixed forms stay English
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(str(c.context->locale.name()) + " " + str(s(c.picture)));
        EXPECT_EQ(format(c.value, s(c.picture), Layout::Trimmed, *c.context), s(c.expected));
    }
}

TEST(Format, Times)
{
    const struct
    {
        qint64 value;
        const char16_t *picture, *expected;
    } cases[] = {
        {22501, u"@t4", u"00:03:45"},
        {1, u"@t4", u"00:00:00"},
        {NoTime, u"@t4", u""}, // never confused with midnight
        {NoTime, u"@t4b", u""},
        {hms(1, 2, 3), u"@t4", u"01:02:03"},
        {hms(25, 0, 0), u"@t4", u"25:00:00"},
        {timeValue(0, 3, 59, 99), u"@t4", u"00:03:59"}, // not rounded up to a minute not reached
        {hms(1, 2, 3), u"@t1", u"01:02"},
        {hms(1, 2, 3), u"@t2", u"0102"},
        {hms(1, 2, 3), u"@t5", u"010203"},
        {hms(13, 5, 0), u"@t3", u"01:05PM"},
        {1, u"@t3", u"12:00AM"},
        {hms(12, 0, 0), u"@t3", u"12:00PM"},
        {hms(11, 40, 46), u"@t6", u"11:40:46AM"},
        {hms(24, 0, 0), u"@t3", u"########"}, // not a time of day
        {-1, u"@t4", u"########"},
        {22501, u"@t4.", u"00.03.45"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(str(s(c.picture)) + " " + std::to_string(c.value));
        EXPECT_EQ(format(c.value, s(c.picture), Layout::Trimmed, C), s(c.expected));
    }
}

TEST(Format, MismatchedValuesAndPictures)
{
    // Text under a number picture is read first; text that is no number is shown, not hidden.
    EXPECT_EQ(format(s(u"12.34"), s(u"@n-10.2"), Layout::Fixed, C), s(u"     12.34"));
    EXPECT_EQ(format(s(u"abc"), s(u"@n3"), Layout::Trimmed, C), s(u"abc"));
    EXPECT_EQ(format(s(u"1999-12-31"), s(u"@d6"), Layout::Trimmed, C), s(u"31/12/1999"));
    // An invalid picture shows the plain value.
    EXPECT_EQ(format(qint64(-5), Picture(), Layout::Fixed, C), s(u"-5"));
    EXPECT_EQ(format(s(u"x "), s(u"@q9"), Layout::Fixed, C), s(u"x "));
    EXPECT_FALSE(deformat(u"5", Picture(), C));
}

TEST(Deformat, Text)
{
    EXPECT_EQ(deformat(u"Abba   ", Picture::parse(u"@s10"), C), Value(s(u"Abba")));
    EXPECT_EQ(deformat(u"Long title", Picture::parse(u"@s4"), C), Value(s(u"Long")));
    EXPECT_EQ(deformat(u"", Picture::parse(u"@s4"), C), Value(QString()));
    EXPECT_FALSE(deformatNumber(u"12", Picture::parse(u"@s4"), C));
}

TEST(Deformat, Numbers)
{
    const struct
    {
        const char16_t *text, *picture;
        std::optional<qint64> expected;
    } cases[] = {
        {u"", u"@n-10.2", 0},
        {u"12.34", u"@n-10.2", 1234},
        {u"  12.34  ", u"@n-10.2", 1234},
        {u"-12.34", u"@n-10.2", -1234},
        {u"12.34-", u"@n-10.2", -1234},
        {u"+5", u"@n-10.2", 500},
        {u"1,234.50", u"@n-10.2", 123450},
        {u"12.345", u"@n-10.2", 1235}, // half away from zero
        {u"-12.345", u"@n-10.2", -1235},
        {u".5", u"@n-10.2", 50},
        {u"0.005", u"@n-10.2", 1},
        {u"12.5", u"@n3", 13},
        {u"00042", u"@n05", 42},
        {u"-0", u"@n3", 0},
        {u"9223372036854775807", u"@n-20", Max64},
        {u"-9223372036854775808", u"@n-20", Min64},
        // Refused, never quietly turned into 0 or into another number.
        {u"12a", u"@n-10.2", Refused},
        {u"abc", u"@n3", Refused},
        {u"1,5", u"@n-10.2", Refused}, // a decimal comma, not fifteen
        {u"12,345,67", u"@n-13", Refused},
        {u"1 234", u"@n-13", Refused},
        {u"1.2.3", u"@n-10.2", Refused},
        {u"--5", u"@n-10.2", Refused},
        {u"-5-", u"@n-10.2", Refused},
        {u".", u"@n-10.2", Refused},
        {u"###", u"@n3", Refused},
        {u"1000", u"@n3", Refused}, // wider than the picture
        {u"-5", u"@n3", Refused},   // no sign under an unsigned picture
        {u"9223372036854775808", u"@n-20", Refused},
        {u"99999999999999999999999999", u"@n-30", Refused},
        {u"\u0661\u0662", u"@n3", Refused}, // only ASCII digits
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(str(s(c.text)) + " under " + str(s(c.picture)));
        EXPECT_EQ(deformatNumber(s(c.text), Picture::parse(s(c.picture)), C), c.expected);
    }
}

TEST(Deformat, Dates)
{
    const qint64 eve = day(1999, 12, 31);
    const struct
    {
        const char16_t *text, *picture;
        std::optional<qint64> expected;
    } cases[] = {
        {u"", u"@d2", NoDate},
        {u"12/31/1999", u"@d2", eve},
        {u"12/31/99", u"@d2", eve},
        {u"12-31-1999", u"@d2", eve},
        {u" 12 / 31 / 1999 ", u"@d2", eve},
        {u"1/5/1999", u"@d2", day(1999, 1, 5)},
        {u"123199", u"@d1", eve},
        {u"12311999", u"@d2", eve},
        {u"1999-12-31", u"@d2", eve}, // a four-digit year first is read year-month-day
        {u"31/12/1999", u"@d6", eve},
        {u"31.12.99", u"@d5", eve},
        {u"Dec 31, 1999", u"@d2", eve},
        {u"DEC 31,1999", u"@d3", eve},
        {u"Sept 30, 1959", u"@d4", day(1959, 9, 30)},
        {u"Friday, December 31, 1999", u"@d4", eve},
        {u"31 dec 99", u"@d7", eve},
        {u"1999/12/31", u"@d10", eve},
        {u"991231", u"@d11", eve},
        {u"19991231", u"@d12", eve},
        {u"12/1999", u"@d14", day(1999, 12, 1)},
        {u"Dec 1999", u"@d14", day(1999, 12, 1)},
        {u"99/12", u"@d15", day(1999, 12, 1)},
        {u"199912", u"@d16", day(1999, 12, 1)},
        {u"12/31/45", u"@d1", day(2045, 12, 31)}, // two-digit years near 2025
        {u"12/31/46", u"@d1", day(1946, 12, 31)},
        {u"1/1/0", u"@d2", day(2000, 1, 1)},
        {u"02/29/2000", u"@d2", day(2000, 2, 29)},
        {u"12/29/1800", u"@d2", 1},
        {u"12/31/9999", u"@d2", LastDayNumber},
        // Refused.
        {u"02/29/1900", u"@d2", Refused},
        {u"02/31/1999", u"@d2", Refused},
        {u"13/01/1999", u"@d2", Refused},
        {u"12/28/1800", u"@d2", Refused}, // day 0 would read back as no date
        {u"12/31/1799", u"@d2", Refused},
        {u"12/31/199", u"@d2", Refused},
        {u"12/31", u"@d2", Refused},
        {u"1/2/3/4", u"@d2", Refused},
        {u"1231999", u"@d2", Refused},
        {u"12/31/1999x", u"@d2", Refused},
        {u"Dec Jan 1999", u"@d4", Refused},
        {u"Ju 4, 1999", u"@d4", Refused}, // too short to name a month
        {u"########", u"@d2", Refused},
        {u"99999999999999999999", u"@d12", Refused},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(str(s(c.text)) + " under " + str(s(c.picture)));
        EXPECT_EQ(deformatNumber(s(c.text), Picture::parse(s(c.picture)), C), c.expected);
    }
}

TEST(Deformat, LocaleDates)
{
    const qint64 eve = day(1999, 12, 31);
    const struct
    {
        const Context *context;
        const char16_t *text, *picture;
        std::optional<qint64> expected;
    } cases[] = {
        {&US, u"12/31/1999", u"@d17", eve},
        {&US, u"12/31/99", u"@d17", eve},
        {&US, u"Dec 31, 1999", u"@d17", eve},
        {&US, u"Friday, December 31, 1999", u"@d18", eve},
        {&US, u"12-31-1999", u"@d17-", eve},
        {&US, u"31/12/1999", u"@d17", Refused},
        {&DE, u"31.12.1999", u"@d17", eve},
        {&DE, u"31.12.99", u"@d17", eve},
        {&DE, u"31. Dezember 1999", u"@d17", eve},
        {&DE, u"Freitag, 31. Dezember 1999", u"@d18", eve},
        {&DE, u"31. Dez. 1999", u"@d18", eve},
        {&DE, u"1. M\u00e4rz 2000", u"@d18", day(2000, 3, 1)},
        {&DE, u"31 Dec 1999", u"@d8", eve}, // English names work everywhere
        {&DE, u"31 Dez 1999", u"@d8", eve}, // and the locale's under the fixed forms too
        {&DE, u"12/31/1999", u"@d17", Refused},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(str(c.context->locale.name()) + " " + str(s(c.text)));
        EXPECT_EQ(deformatNumber(s(c.text), Picture::parse(s(c.picture)), *c.context), c.expected);
    }
}

TEST(Deformat, Times)
{
    const struct
    {
        const char16_t *text, *picture;
        std::optional<qint64> expected;
    } cases[] = {
        {u"", u"@t4", NoTime},
        {u"3:45", u"@t4", 22501}, // a running time: minutes and seconds
        {u"00:03:45", u"@t4", 22501},
        {u"3.45", u"@t4", 22501},
        {u"345", u"@t4", 22501},
        {u"45", u"@t4", 4501},
        {u"1:02:03", u"@t4", hms(1, 2, 3)},
        {u"10203", u"@t4", hms(1, 2, 3)},
        {u"0:00", u"@t4", 1},
        {u"75:00", u"@t4", hms(1, 15, 0)},
        {u"99", u"@t4", hms(0, 1, 39)},
        {u"25:00:00", u"@t4", hms(25, 0, 0)},
        {u"100:00:07", u"@t4", hms(100, 0, 7)},
        {u"9", u"@t1", hms(9, 0, 0)},
        {u"930", u"@t1", hms(9, 30, 0)},
        {u"1:02:03", u"@t1", hms(1, 2, 3)},
        {u"10030", u"@t2", hms(100, 30, 0)},
        {u"010203", u"@t5", hms(1, 2, 3)},
        {u"9:30PM", u"@t3", hms(21, 30, 0)},
        {u"9:30 pm", u"@t3", hms(21, 30, 0)},
        {u"9pm", u"@t6", hms(21, 0, 0)},
        {u"12:00AM", u"@t3", 1},
        {u"23:00", u"@t3", hms(23, 0, 0)},
        {u"11:40:46AM", u"@t6", hms(11, 40, 46)},
        {u"3:45 PM", u"@t4", hms(15, 45, 0)},
        // Refused.
        {u"1:60:00", u"@t4", Refused},
        {u"9:75", u"@t1", Refused},
        {u"3:045", u"@t4", Refused},
        {u"1:2:3:4", u"@t4", Refused},
        {u"3:45x", u"@t4", Refused},
        {u"pm", u"@t3", Refused},
        {u"13:00PM", u"@t3", Refused},
        {u"0:30AM", u"@t3", Refused},
        {u"25:00", u"@t3", Refused}, // not a time of day
        {u"-3:45", u"@t4", Refused},
        {u"6000:00:00", u"@t4", Refused}, // does not fit a time value
        {u"99999999999:00", u"@t4", Refused},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(str(s(c.text)) + " under " + str(s(c.picture)));
        EXPECT_EQ(deformatNumber(s(c.text), Picture::parse(s(c.picture)), C), c.expected);
    }
}

TEST(RoundTrip, Numbers)
{
    const char16_t *pictures[] = {u"@n3",    u"@n_5",     u"@n_4b",    u"@n-13",  u"@n-10.2",
                                  u"@N30.9", u"@n05",     u"@n-05",    u"@n4b",   u"@n-,14.2",
                                  u"@n-20",  u"@n,27.3b", u"@n-30.18", u"@n0,12", u"@n-0,14.2",
                                  u"@n0,30", u"@n0,7"};
    std::vector<qint64> values{0, Min64, Max64, Min64 + 1};
    // Up to 10^17, so that 10 * p - 1 cannot overflow.
    for (qint64 p = 1; p <= Max64 / 10; p *= 10) {
        for (qint64 v : {p, p - 1, p + 1, 10 * p - 1, 5 * p})
            values.insert(values.end(), {v, -v});
    }
    for (const char16_t *text : pictures) {
        const Picture picture = Picture::parse(s(text));
        ASSERT_TRUE(picture.isValid()) << str(s(text));
        int fitted = 0;
        for (qint64 value : values) {
            for (Layout layout : {Layout::Trimmed, Layout::Fixed}) {
                const QString shown = format(value, picture, layout, C);
                if (layout == Layout::Fixed) {
                    ASSERT_EQ(shown.size(), picture.width());
                }
                if (shown.contains(QLatin1Char('#'))) {
                    // Too wide for the picture, and then deformat refuses it too.
                    EXPECT_FALSE(deformatNumber(shown, picture, C));
                    continue;
                }
                if (value < 0 && !picture.isSigned()) {
                    EXPECT_FALSE(deformatNumber(shown, picture, C)) << str(shown);
                    continue;
                }
                ++fitted;
                ASSERT_EQ(deformatNumber(shown, picture, C), value)
                    << str(shown) << " under " << str(s(text));
            }
        }
        EXPECT_GT(fitted, 4) << str(s(text));
    }
}

TEST(RoundTrip, Dates)
{
    // Forms with two-digit years read the year back within the pivot window; month-year forms
    // give the first of the month. Everything else comes back exactly.
    const Context *contexts[] = {&US, &DE};
    const Context en_GB{QLocale(QLocale::English, QLocale::UnitedKingdom), 2025};
    const Context fr{QLocale(QLocale::French, QLocale::France), 2025};
    const Context ja{QLocale(QLocale::Japanese, QLocale::Japan), 2025};
    for (const Context *context : {contexts[0], contexts[1], &en_GB, &fr, &ja}) {
        for (int form = 1; form <= 18; ++form) {
            const Picture picture = Picture::parse(QStringLiteral("@d%1").arg(form));
            const bool twoDigitYear = QList<int>{1, 5, 7, 9, 11, 13, 15}.contains(form);
            const bool monthOnly = form >= 13 && form <= 16;
            if (context != &US && form < 17)
                continue; // the fixed forms do not depend on the locale
            for (qint64 d = day(1801, 1, 1); d <= day(2100, 12, 31); d += 97) {
                const QDate date = dateFromDayNumber(qint32(d));
                QDate expected(twoDigitYear ? expandTwoDigitYear(date.year() % 100, 2025)
                                            : date.year(),
                               date.month(), monthOnly ? 1 : date.day());
                if (!expected.isValid()) // 29 February in a year of the other century
                    continue;
                const QString shown = format(d, picture, Layout::Trimmed, *context);
                ASSERT_EQ(deformatNumber(shown, picture, *context), dayNumber(expected))
                    << str(shown) << " under @d" << form << " in " << str(context->locale.name());
            }
        }
    }
}

TEST(RoundTrip, Times)
{
    std::vector<qint64> values{1,
                               100,
                               6001,
                               22501,
                               hms(1, 2, 3),
                               hms(23, 59, 59),
                               hms(24, 0, 0),
                               hms(99, 59, 59),
                               hms(123, 4, 5),
                               hms(5965, 0, 0)};
    for (qint64 v = 1; v < 3 * qint64(HundredthsPerDay); v += 7919)
        values.push_back(v);
    for (int form = 1; form <= 6; ++form) {
        const Picture picture = Picture::parse(QStringLiteral("@t%1").arg(form));
        const bool seconds = form >= 4;
        const bool clock = form == 3 || form == 6;
        for (qint64 value : values) {
            const QString shown = format(value, picture, Layout::Trimmed, C);
            if (clock && value > HundredthsPerDay) {
                EXPECT_EQ(shown, QStringLiteral("########"));
                continue;
            }
            // What the form shows comes back; what it does not show is dropped.
            const TimeParts parts = *timeParts(qint32(value));
            const qint64 expected =
                timeValue(parts.hours, parts.minutes, seconds ? parts.seconds : 0);
            ASSERT_EQ(deformatNumber(shown, picture, C), expected)
                << str(shown) << " under @t" << form;
        }
    }
}

TEST(RoundTrip, Text)
{
    const Picture picture = Picture::parse(u"@s20");
    for (const char16_t *text :
         {u"", u"Abba", u"  leading", u"Caf\u00e9 \U0001F3B5", u"12345678901234567890"}) {
        for (Layout layout : {Layout::Trimmed, Layout::Fixed})
            EXPECT_EQ(deformat(format(s(text), picture, layout, C), picture, C), Value(s(text)));
    }
}

TEST(RoundTrip, MonthFormsOfTheFirstRepresentableMonth)
{
    // December 1800 has day numbers only from the 29th on; its month reads back as that day.
    for (int form : {14, 16}) { // the month-year forms with four-digit years
        const Picture picture = Picture::parse(QStringLiteral("@d%1").arg(form));
        for (qint64 d : {1, 2, 3}) {
            const QString shown = format(d, picture, Layout::Trimmed, C);
            EXPECT_EQ(deformatNumber(shown, picture, C), 1) << str(shown) << " under @d" << form;
        }
        EXPECT_EQ(deformatNumber(format(4, picture, Layout::Trimmed, C), picture, C), 4);
    }
}
