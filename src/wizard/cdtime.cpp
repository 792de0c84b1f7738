// Conversions between the CD player's length replies, time values and the track list's text.
#include "wizard/cdtime.h"

#include "platform/picture/calendar.h"

#include <QRegularExpression>

namespace melodex {

std::optional<qint32> CDTimeToTime(const QString &reply)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,3}):(\\d\\d):(\\d\\d)$"));
    const QRegularExpressionMatch m = form.match(reply.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    int minutes = m.captured(1).toInt();
    int seconds = m.captured(2).toInt();
    const int frames = m.captured(3).toInt();
    // The player's way of saying "one frame short of the next second" rounds up.
    if (frames == 99)
        ++seconds;
    else if (frames >= 75)
        return std::nullopt;
    if (seconds > 60)
        return std::nullopt;
    if (seconds == 60) {
        seconds = 0;
        ++minutes;
    }
    const qint32 value = picture::timeValue(minutes / 60, minutes % 60, seconds);
    if (value == picture::NoTime)
        return std::nullopt;
    return value;
}

QString TimeToMinSec(qint32 time)
{
    const std::optional<picture::TimeParts> parts = picture::timeParts(time);
    if (!parts)
        return QString(5, u' ');
    const qint64 minutes = qint64(parts->hours) * 60 + parts->minutes;
    return QStringLiteral("%1:%2").arg(minutes, 2).arg(parts->seconds, 2, 10, QLatin1Char('0'));
}

} // namespace melodex
