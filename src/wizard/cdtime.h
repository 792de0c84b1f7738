// Track lengths: the CD player's minutes:seconds:frames replies as time values, and back as text.
#pragma once

#include <QString>

#include <optional>

namespace melodex {

/// The time value of a length reply "mm:ss:ff" (minutes of two or more digits, two-digit seconds
/// and frames). Frames are dropped, never rounded, except that frames "99" count as one more
/// second, and 60 seconds carry into the minutes. Nothing when the reply is not a length (an
/// error code, a word, an empty reply, more than 60 seconds, frames from 75 to 98), so that a
/// failed query never passes for a time.
std::optional<qint32> CDTimeToTime(const QString &reply);

/// A track length as the wizard's track list shows it: minutes (hours included) right-aligned
/// in two places, a colon and two-digit seconds (" 3:25", "61:00"); five blanks for no time.
QString TimeToMinSec(qint32 time);

} // namespace melodex
