// ConvertDateToYear and ConvertAlbumDateToYear: release dates turned into bare years.
#include "maintenance/datetoyearrun.h"

#include "data/records.h"
#include "platform/picture/calendar.h"

namespace melodex {

namespace {

/// Values up to this are taken for years already.
constexpr qint64 HighestYear = 3000;

} // namespace

std::unique_ptr<DateToYearRun> DateToYearRun::songs()
{
    return std::unique_ptr<DateToYearRun>(new DateToYearRun(
        Songlore, SongloreRecord::KeyID, QStringLiteral("Converting Song Dates")));
}

std::unique_ptr<DateToYearRun> DateToYearRun::albums()
{
    return std::unique_ptr<DateToYearRun>(
        new DateToYearRun(Album, -1, QStringLiteral("Converting Album Dates")));
}

DateToYearRun::DateToYearRun(store::KeyedFile &file, int order, const QString &subtitle)
    : RecordScanRun(file, order, subtitle),
      m_field(file.layout().fieldIndex(QStringLiteral("ReleaseDate")))
{
}

qint32 DateToYearRun::converted(qint64 value)
{
    if (value <= HighestYear || value > picture::LastDayNumber)
        return qint32(value);
    const QDate date = picture::dateFromDayNumber(qint32(value));
    return date.isValid() && date.year() > 0 ? qint32(date.year()) : qint32(value);
}

RecordScanRun::Outcome DateToYearRun::handle(const store::Cursor::Row &row)
{
    const qint64 value = row.values[size_t(m_field)].toLongLong();
    const qint32 year = converted(value);
    if (year == value)
        return Outcome::Done;
    std::vector<store::Value> values = row.values;
    values[size_t(m_field)] = store::Value(year);
    return rewrite(row, std::move(values));
}

} // namespace melodex
