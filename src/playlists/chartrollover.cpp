// The chart week rollover: last week's position tags, written a range of entries per step.
#include "playlists/chartrollover.h"

#include "data/records.h"
#include "data/standardwarning.h"
#include "platform/store/cliptext.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"
#include "playlists/playlistentries.h"
#include "services/messageservice.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <sqlite3.h>

#include <algorithm>

namespace melodex {

namespace {

constexpr int NotesSize = 40;

} // namespace

ChartRollover::ChartRollover(qint32 playlist) : m_playlist(playlist) {}

QString ChartRollover::withLastWeek(const QString &notes, qint64 position)
{
    static const QRegularExpression tag(QStringLiteral(" *LW:[0-9]*"));
    QString text = notes;
    text.replace(tag, QString());
    text = store::clipped(std::move(text));
    // A tag at the start leaves the blank that followed it.
    while (text.startsWith(u' ') && !notes.startsWith(u' '))
        text.remove(0, 1);
    // The text before a tag the user wrote in the middle keeps its blank to the text after it.
    const QString mark = QStringLiteral("LW:") + QString::number(position);
    const qsizetype room = NotesSize - mark.size() - 1;
    if (text.size() > room) {
        text.truncate(std::max<qsizetype>(room, 0));
        text = store::clipped(std::move(text));
    }
    return text.isEmpty() ? mark : text + u' ' + mark;
}

bool ChartRollover::confirm()
{
    return MessageService::instance().show(
               {QStringLiteral("Warning"),
                QStringLiteral("This will copy the current chart standings into the notes field "
                               "to be used as \"last week's chart positions\"."),
                MessageRequest::Warning, MessageRequest::Ok | MessageRequest::Cancel,
                MessageRequest::Ok}) == MessageRequest::Ok;
}

bool ChartRollover::start()
{
    m_total = PlaylistEntries::count(m_playlist);
    m_done = 0;
    m_lastSeq = -PlaylistDetailsRecord::fileLayout().fields[1].decimalLimit() - 1;
    m_state = State::Running;
    // Registered once: registering a function makes every prepared statement be prepared anew.
    if (!lastWeekFunction()) {
        saveError();
        StandardWarning(StandardMessage::ProcessError, QStringLiteral("Put"),
                        QStringLiteral("Process:View"));
        m_state = State::Failed;
        return false;
    }
    return true;
}

BatchRun::State ChartRollover::step(int records)
{
    if (m_state != State::Running)
        return m_state;
    QElapsedTimer clock;
    clock.start();
    store::Store &st = store::Store::instance();
    auto failed = [&] {
        saveError();
        st.rollback();
        StandardWarning(StandardMessage::ProcessError, QStringLiteral("Put"),
                        QStringLiteral("Process:View"));
        return m_state = State::Failed;
    };
    if (st.logout({&PlaylistDetails}) != 0) {
        StandardWarning(StandardMessage::ProcessError, QStringLiteral("Put"),
                        QStringLiteral("Process:View"));
        return m_state = State::Failed;
    }
    // The next range of entries by sequence, from the last one done: whatever read or wrote
    // the file between steps does not matter. One statement tags the whole range.
    const qint64 size = std::max(1, std::min(records, m_size));
    const QString table = PlaylistDetails.tableName();
    // The key leaves out entries whose number and sequence are both 0; saying so lets the
    // statements use it.
    const QString keyed = PlaylistDetails.emptyKeyCondition(PlaylistDetailsRecord::KeyPlaylistID);
    sqlite3_stmt *range = PlaylistDetails.statement(
        QStringLiteral("SELECT max(PlaylistSeq),count(*) FROM (SELECT PlaylistSeq FROM %1 WHERE "
                       "PlaylistID=? AND PlaylistSeq>? AND (%2) ORDER BY PlaylistSeq LIMIT ?)")
            .arg(table, keyed));
    if (!range)
        return failed();
    sqlite3_bind_int64(range, 1, m_playlist);
    sqlite3_bind_int64(range, 2, m_lastSeq);
    sqlite3_bind_int64(range, 3, size);
    int rc = sqlite3_step(range);
    const qint64 high = rc == SQLITE_ROW ? sqlite3_column_int64(range, 0) : 0;
    const qint64 count = rc == SQLITE_ROW ? sqlite3_column_int64(range, 1) : 0;
    sqlite3_reset(range);
    if (rc != SQLITE_ROW) {
        st.fail(sqlite3_extended_errcode(st.db()), PlaylistDetails.name());
        return failed();
    }
    if (count > 0) {
        sqlite3_stmt *update = PlaylistDetails.statement(
            QStringLiteral("UPDATE %1 SET PlaylistNotes=melodex_last_week(PlaylistNotes,"
                           "PlaylistSeq),_ver=_ver+1 WHERE PlaylistID=? AND PlaylistSeq>? AND "
                           "PlaylistSeq<=? AND (%2) AND PlaylistNotes IS NOT "
                           "melodex_last_week(PlaylistNotes,PlaylistSeq)")
                .arg(table, keyed));
        if (!update)
            return failed();
        sqlite3_bind_int64(update, 1, m_playlist);
        sqlite3_bind_int64(update, 2, m_lastSeq);
        sqlite3_bind_int64(update, 3, high);
        rc = sqlite3_step(update);
        sqlite3_reset(update);
        if (rc != SQLITE_DONE) {
            st.fail(sqlite3_extended_errcode(st.db()), PlaylistDetails.name());
            return failed();
        }
    }
    // The range's size follows the work alone: the commit's wait for the disk is much the same
    // whatever the range, so larger ranges make fewer of them.
    const qint64 elapsed = clock.elapsed();
    if (st.commit() != 0) {
        saveError();
        StandardWarning(StandardMessage::ProcessError, QStringLiteral("Put"),
                        QStringLiteral("Process:View"));
        return m_state = State::Failed;
    }
    m_done += count;
    if (count > 0)
        m_lastSeq = high;
    if (count < size)
        m_state = State::Completed;
    // The next range takes about the budget of a step, whatever an entry costs.
    if (elapsed * 2 < StepBudgetMs)
        m_size = std::min(m_size * 2, 1 << 20);
    else if (elapsed > StepBudgetMs * 2)
        m_size = std::max(m_size / 2, 25);
    return m_state;
}

bool ChartRollover::lastWeekFunction()
{
    // The tag as withLastWeek() writes it, for the statement that tags a range of entries.
    const auto tag = [](sqlite3_context *context, int, sqlite3_value **args) {
        const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(args[0]));
        const QString notes = QString::fromUtf8(text ? text : "");
        const QByteArray out = withLastWeek(notes, sqlite3_value_int64(args[1])).toUtf8();
        sqlite3_result_text(context, out.constData(), int(out.size()), SQLITE_TRANSIENT);
    };
    store::Store &st = store::Store::instance();
    // A catalogue on a server has no SQLite connection to add the function to.
    if (!st.db()) {
        store::setDriverError(-1,
                              QStringLiteral("This is not available yet with the catalogue on a "
                                             "server."),
                              PlaylistDetails.name());
        return false;
    }
    if (sqlite3_create_function_v2(st.db(), "melodex_last_week", 2,
                                   SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, tag, nullptr,
                                   nullptr, nullptr) == SQLITE_OK)
        return true;
    st.fail(sqlite3_extended_errcode(st.db()), PlaylistDetails.name());
    return false;
}

void ChartRollover::cancel()
{
    if (m_state == State::Running)
        m_state = State::Cancelled;
}

int ChartRollover::percent() const
{
    if (m_total <= 0)
        return m_state == State::Completed ? 100 : 0;
    return int(std::min<qint64>(100, m_done * 100 / m_total));
}

} // namespace melodex
