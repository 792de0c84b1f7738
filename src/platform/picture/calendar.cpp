// Day numbers and time values: the one place that maps them to and from calendar dates and clocks.
#include "platform/picture/calendar.h"

#include <limits>

namespace melodex::picture {

namespace {

// Julian day of 28 December 1800, day number 0. Keeping it as a constant (not computed from QDate
// at start-up) lets LastDayNumber be a compile-time constant too; the tests pin both.
constexpr qint64 JulianDayOfDayZero = 2378858;

constexpr qint64 HundredthsPerSecond = 100;
constexpr qint64 HundredthsPerMinute = 60 * HundredthsPerSecond;
constexpr qint64 HundredthsPerHour = 60 * HundredthsPerMinute;

} // namespace

qint32 dayNumber(const QDate &date)
{
    if (!date.isValid())
        return NoDate;
    const qint64 day = date.toJulianDay() - JulianDayOfDayZero;
    if (day < FirstDayNumber || day > LastDayNumber)
        return NoDate;
    return qint32(day);
}

QDate dateFromDayNumber(qint32 day)
{
    if (day < FirstDayNumber || day > LastDayNumber)
        return {};
    return QDate::fromJulianDay(JulianDayOfDayZero + day);
}

qint32 todayDayNumber()
{
    return dayNumber(QDate::currentDate());
}

int expandTwoDigitYear(int twoDigitYear, int referenceYear)
{
    const int lastYear = referenceYear + 20;
    const int back = ((lastYear - twoDigitYear) % 100 + 100) % 100;
    return lastYear - back;
}

qint32 timeValue(qint64 hours, int minutes, int seconds, int hundredths)
{
    if (hours < 0 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59 || hundredths < 0 ||
        hundredths > 99)
        return NoTime;
    // Checked before multiplying so that an absurd hour count cannot overflow qint64 either.
    constexpr qint64 maxValue = std::numeric_limits<qint32>::max();
    if (hours > maxValue / HundredthsPerHour)
        return NoTime;
    const qint64 value = hours * HundredthsPerHour + minutes * HundredthsPerMinute +
                         seconds * HundredthsPerSecond + hundredths + 1;
    if (value > maxValue)
        return NoTime;
    return qint32(value);
}

std::optional<TimeParts> timeParts(qint32 value)
{
    if (value <= NoTime)
        return std::nullopt;
    qint64 rest = qint64(value) - 1;
    TimeParts parts;
    parts.hours = qint32(rest / HundredthsPerHour);
    rest %= HundredthsPerHour;
    parts.minutes = int(rest / HundredthsPerMinute);
    rest %= HundredthsPerMinute;
    parts.seconds = int(rest / HundredthsPerSecond);
    parts.hundredths = int(rest % HundredthsPerSecond);
    return parts;
}

qint32 timeValue(const QTime &time)
{
    if (!time.isValid())
        return NoTime;
    return timeValue(time.hour(), time.minute(), time.second(), time.msec() / 10);
}

QTime clockTime(qint32 value)
{
    const std::optional<TimeParts> parts = timeParts(value);
    if (!parts || parts->hours > 23)
        return {};
    return QTime(parts->hours, parts->minutes, parts->seconds, parts->hundredths * 10);
}

qint32 currentTimeValue()
{
    return timeValue(QTime::currentTime());
}

} // namespace melodex::picture
