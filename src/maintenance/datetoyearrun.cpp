// ConvertDateToYear and ConvertAlbumDateToYear: release dates turned into bare years.
#include "maintenance/datetoyearrun.h"

#include "data/records.h"
#include "data/standardwarning.h"
#include "platform/picture/calendar.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"

#include <sqlite3.h>

#include <algorithm>

namespace melodex {

namespace {

/// Values up to this are taken for years already.
constexpr qint64 HighestYear = 3000;
/// The Julian day of day number 0.
constexpr qint64 JulianDayOfDayZero = 2378858;

} // namespace

std::unique_ptr<DateToYearRun> DateToYearRun::songs()
{
    return std::unique_ptr<DateToYearRun>(
        new DateToYearRun(Songlore, QStringLiteral("Converting Song Dates")));
}

std::unique_ptr<DateToYearRun> DateToYearRun::albums()
{
    return std::unique_ptr<DateToYearRun>(
        new DateToYearRun(Album, QStringLiteral("Converting Album Dates")));
}

DateToYearRun::DateToYearRun(store::KeyedFile &file, const QString &subtitle)
    : m_file(file), m_subtitle(subtitle),
      m_field(file.layout().fieldIndex(QStringLiteral("ReleaseDate"))), m_rows(file)
{
}

DateToYearRun::~DateToYearRun()
{
    if (m_state == State::Running)
        finish(State::Cancelled);
}

qint32 DateToYearRun::converted(qint64 value)
{
    if (value <= HighestYear || value > picture::LastDayNumber)
        return qint32(value);
    const QDate date = picture::dateFromDayNumber(qint32(value));
    return date.isValid() && date.year() > 0 ? qint32(date.year()) : qint32(value);
}

QString DateToYearRun::convertedSql(const QString &column)
{
    // SQLite's calendar is the proleptic Gregorian one of the day numbers; a Julian day number
    // names the day's noon, so the year is that of the day itself.
    return QStringLiteral("CASE WHEN %1>%2 AND %1<=%3 THEN CAST(strftime('%Y',%4+%1) AS INTEGER) "
                          "ELSE %1 END")
        .arg(column)
        .arg(HighestYear)
        .arg(picture::LastDayNumber)
        .arg(JulianDayOfDayZero);
}

bool DateToYearRun::start()
{
    if (m_started)
        return m_state == State::Running;
    if (!m_uses.open({&m_file}))
        return false;
    m_started = true;
    m_state = State::Running;
    m_total = m_file.records();
    return true;
}

DateToYearRun::State DateToYearRun::step(int records)
{
    if (m_state != State::Running)
        return m_state;
    QElapsedTimer clock;
    clock.start();
    qint64 high = 0, count = 0;
    bool failed = false;
    if (!m_rows.next(records, high, count, failed)) {
        if (failed) {
            StandardWarning(StandardMessage::RecordRetrievalError, m_file.label());
            finish(State::Failed);
        } else {
            finish(State::Completed);
        }
        return m_state;
    }
    store::Store &st = store::Store::instance();
    const QString column = m_file.columnName(m_field);
    qint64 workMs = 0;
    int rc = st.logout({&m_file});
    if (rc == 0) {
        sqlite3_stmt *update = m_file.statement(
            QStringLiteral("UPDATE %1 SET %2=%3,_ver=_ver+1 WHERE _id>? AND _id<=? AND %2>%4 "
                           "AND %2<=%5")
                .arg(m_file.tableName(), column, convertedSql(column))
                .arg(HighestYear)
                .arg(picture::LastDayNumber));
        if (!update) {
            rc = store::errorCode();
        } else {
            sqlite3_bind_int64(update, 1, m_rows.low());
            sqlite3_bind_int64(update, 2, high);
            const int result = sqlite3_step(update);
            sqlite3_reset(update);
            if (result == SQLITE_DONE)
                m_written += sqlite3_changes(st.db());
            else
                rc = st.fail(sqlite3_extended_errcode(st.db()), m_file.name());
        }
        // The message names the error met, not what the end of the transaction left behind.
        const store::ErrorState failure = store::lastError();
        // The range's size follows the work alone: the commit's wait for the disk is much the
        // same whatever the range, so larger ranges make fewer of them.
        workMs = clock.elapsed();
        if (rc == 0) {
            rc = st.commit();
        } else {
            st.rollback();
            if (failure.code == store::FileSystemErr)
                store::setDriverError(failure.driverCode, failure.driverText, failure.fileName);
            else
                store::setError(failure.code, failure.fileName);
        }
    }
    if (rc != 0) {
        StandardWarning(StandardMessage::ProcessError, QStringLiteral("Put"),
                        QStringLiteral("Process:View"));
        finish(State::Failed);
        return m_state;
    }
    m_rows.done(high, count, workMs);
    if (m_rows.rowsDone() >= m_total) {
        // Rows another window added meanwhile are looked for before the run ends.
        qint64 more = 0;
        if (!m_rows.next(1, high, more, failed) && !failed)
            finish(State::Completed);
    }
    return m_state;
}

void DateToYearRun::cancel()
{
    if (m_state == State::Running)
        finish(State::Cancelled);
}

int DateToYearRun::percent() const
{
    if (m_state == State::Completed)
        return 100;
    if (m_total <= 0)
        return 0;
    return int(std::min<qint64>(100, m_rows.rowsDone() * 100 / m_total));
}

void DateToYearRun::finish(State state)
{
    m_state = state;
    m_uses.clear();
}

} // namespace melodex
