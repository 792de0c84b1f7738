// Tests of day numbers, time values and two-digit years.
#include "platform/picture/calendar.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

#include <limits>

using namespace melodex::picture;

TEST(Calendar, DayNumberAnchors)
{
    const struct
    {
        QDate date;
        qint32 day;
    } cases[] = {
        {QDate(1800, 12, 29), 1},     {QDate(1801, 1, 1), 4},
        {QDate(1900, 3, 1), 36222},   {QDate(2000, 1, 1), 72687},
        {QDate(1999, 12, 31), 72686}, {QDate(9999, 12, 31), LastDayNumber},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.date.toString(Qt::ISODate).toStdString());
        EXPECT_EQ(dayNumber(c.date), c.day);
        EXPECT_EQ(dateFromDayNumber(c.day), c.date);
    }
}

TEST(Calendar, LeapYears)
{
    // 1900 is not a leap year, 2000 is: the day after 28 February differs.
    EXPECT_EQ(dayNumber(QDate(1900, 3, 1)) - dayNumber(QDate(1900, 2, 28)), 1);
    EXPECT_EQ(dayNumber(QDate(2000, 3, 1)) - dayNumber(QDate(2000, 2, 28)), 2);
    EXPECT_EQ(dateFromDayNumber(dayNumber(QDate(2000, 2, 28)) + 1), QDate(2000, 2, 29));
    EXPECT_EQ(dayNumber(QDate(1900, 2, 29)), NoDate);
}

TEST(Calendar, DayNumbersAreConsecutiveDays)
{
    // Through 2348: every day number maps to the next calendar day and back.
    QDate expected(1800, 12, 29);
    for (qint32 day = FirstDayNumber; day < 200000; ++day) {
        const QDate date = dateFromDayNumber(day);
        ASSERT_EQ(date, expected) << "day " << day;
        ASSERT_EQ(dayNumber(date), day);
        expected = expected.addDays(1);
    }
}

TEST(Calendar, DaysOutsideTheRangeAreNoDate)
{
    for (const QDate &date :
         {QDate(), QDate(1800, 12, 28), QDate(1700, 6, 1), QDate(10000, 1, 1), QDate(-5, 1, 1)})
        EXPECT_EQ(dayNumber(date), NoDate) << date.toString(Qt::ISODate).toStdString();
    for (qint32 day : {NoDate, -1, LastDayNumber + 1, std::numeric_limits<qint32>::min(),
                       std::numeric_limits<qint32>::max()})
        EXPECT_FALSE(dateFromDayNumber(day).isValid()) << day;
}

TEST(Calendar, Today)
{
    const QDate before = QDate::currentDate();
    const QDate today = dateFromDayNumber(todayDayNumber());
    EXPECT_TRUE(today == before || today == QDate::currentDate());
}

TEST(Calendar, TwoDigitYearsFallInTheHundredYearsEndingTwentyAfterTheReference)
{
    const struct
    {
        int twoDigits, reference, expected;
    } cases[] = {
        {59, 2025, 1959}, {45, 2025, 2045}, {46, 2025, 1946}, {0, 2025, 2000},  {99, 2025, 1999},
        {0, 1980, 2000},  {1, 1980, 1901},  {80, 1980, 1980}, {20, 2000, 2020}, {21, 2000, 1921},
    };
    for (const auto &c : cases)
        EXPECT_EQ(expandTwoDigitYear(c.twoDigits, c.reference), c.expected)
            << c.twoDigits << " near " << c.reference;
}

TEST(Calendar, TimeValueAnchors)
{
    const struct
    {
        qint64 h;
        int m, s, hs;
        qint32 value;
    } cases[] = {
        {0, 0, 0, 0, 1},
        {0, 3, 45, 0, 22501},
        {1, 2, 3, 0, 372301},
        {23, 59, 59, 99, HundredthsPerDay},
        {24, 0, 0, 0, HundredthsPerDay + 1},
        {100, 0, 0, 0, 36000001},
        {0, 0, 0, 50, 51},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(timeValue(c.h, c.m, c.s, c.hs), c.value);
        const auto parts = timeParts(c.value);
        ASSERT_TRUE(parts);
        EXPECT_EQ(*parts, (TimeParts{qint32(c.h), c.m, c.s, c.hs}));
    }
}

TEST(Calendar, TimePartsOutOfRangeGiveNoTime)
{
    const struct
    {
        qint64 h;
        int m, s, hs;
    } cases[] = {
        {0, 60, 0, 0},   {0, 0, 60, 0},
        {0, 0, 0, 100},  {-1, 0, 0, 0},
        {0, -1, 0, 0},   {0, 0, -1, 0},
        {6000, 0, 0, 0}, {std::numeric_limits<qint64>::max(), 0, 0, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(timeValue(c.h, c.m, c.s, c.hs), NoTime) << c.h << ":" << c.m << ":" << c.s;
    // The largest hour that fits still works.
    EXPECT_EQ(timeValue(5965, 0, 0), 5965 * 360000 + 1);
    EXPECT_FALSE(timeParts(NoTime));
    EXPECT_FALSE(timeParts(-22501));
}

TEST(Calendar, TimePartsRoundTrip)
{
    for (qint32 value = 1; value < 4 * HundredthsPerDay; value += 4999) {
        const auto parts = timeParts(value);
        ASSERT_TRUE(parts);
        ASSERT_EQ(timeValue(parts->hours, parts->minutes, parts->seconds, parts->hundredths),
                  value);
    }
}

TEST(Calendar, ClockTimes)
{
    EXPECT_EQ(clockTime(1), QTime(0, 0));
    EXPECT_EQ(clockTime(22501), QTime(0, 3, 45));
    EXPECT_EQ(clockTime(HundredthsPerDay), QTime(23, 59, 59, 990));
    EXPECT_FALSE(clockTime(HundredthsPerDay + 1).isValid()) << "a day or more is no clock time";
    EXPECT_FALSE(clockTime(NoTime).isValid());
    EXPECT_FALSE(clockTime(-1).isValid());

    EXPECT_EQ(timeValue(QTime(0, 3, 45)), 22501);
    EXPECT_EQ(timeValue(QTime(12, 0, 0, 999)), timeValue(12, 0, 0, 99));
    EXPECT_EQ(timeValue(QTime()), NoTime);

    const qint32 now = currentTimeValue();
    EXPECT_GE(now, 1);
    EXPECT_LE(now, HundredthsPerDay);
}
