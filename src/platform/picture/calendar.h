// Day numbers and time values: the one place that maps them to and from calendar dates and clocks.
#pragma once

#include <QDate>
#include <QTime>
#include <QtGlobal>

#include <optional>

namespace melodex::picture {

/// The stored "no date"; also what every conversion gives for a date it cannot represent.
inline constexpr qint32 NoDate = 0;
/// Day number of 29 December 1800, the first representable day (day 4 is 1 January 1801).
inline constexpr qint32 FirstDayNumber = 1;
/// Day number of 31 December 9999: beyond it a year no longer has four digits.
inline constexpr qint32 LastDayNumber = 2994626;

/// The stored "no time". A real time of 00:00:00 is 1.
inline constexpr qint32 NoTime = 0;
/// Hundredths of a second in a day; a clock time value is below this plus one.
inline constexpr qint32 HundredthsPerDay = 8640000;

/// Day number of `date`; NoDate when `date` is invalid or outside FirstDayNumber..LastDayNumber.
qint32 dayNumber(const QDate &date);

/// The calendar date of day number `day`; an invalid QDate for NoDate or any day out of range.
QDate dateFromDayNumber(qint32 day);

/// Day number of the local calendar's today.
qint32 todayDayNumber();

/// The four-digit year meant by a two-digit year `twoDigitYear` (0..99): the one year with those
/// last digits among the hundred years that end twenty years after `referenceYear`. Music is
/// mostly dated in the past, so "59" near 2025 means 1959 and "30" means 2030.
int expandTwoDigitYear(int twoDigitYear, int referenceYear);

/// A time value split into its parts. `hours` is not limited to a day: running times may be long.
struct TimeParts
{
    qint32 hours = 0;
    int minutes = 0;
    int seconds = 0;
    int hundredths = 0;

    friend bool operator==(const TimeParts &, const TimeParts &) = default;
};

/// The time value of a clock reading or duration; NoTime when a part is out of range (minutes or
/// seconds outside 0..59, hundredths outside 0..99, negative hours) or the value would not fit.
qint32 timeValue(qint64 hours, int minutes, int seconds, int hundredths = 0);

/// The parts of time value `value`; nothing for NoTime or a negative value.
std::optional<TimeParts> timeParts(qint32 value);

/// The time value of a clock time; NoTime for an invalid QTime. Milliseconds are truncated to
/// hundredths.
qint32 timeValue(const QTime &time);

/// The clock time of `value`; an invalid QTime for NoTime, negative values and durations of a day
/// or more, which are not clock readings.
QTime clockTime(qint32 value);

/// The time value of the local clock now.
qint32 currentTimeValue();

} // namespace melodex::picture
