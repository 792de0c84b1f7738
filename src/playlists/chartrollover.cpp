// The chart week rollover: last week's position tags, written a few entries per step.
#include "playlists/chartrollover.h"

#include "data/records.h"
#include "data/standardwarning.h"
#include "platform/store/cliptext.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"
#include "playlists/playlistentries.h"
#include "services/messageservice.h"

#include <QRegularExpression>

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
    return true;
}

BatchRun::State ChartRollover::step(int records)
{
    if (m_state != State::Running)
        return m_state;
    store::Store &st = store::Store::instance();
    if (st.logout({&PlaylistDetails}) != 0) {
        StandardWarning(StandardMessage::ProcessError, QStringLiteral("Put"),
                        QStringLiteral("Process:View"));
        return m_state = State::Failed;
    }
    // Each step finds its place again from the last sequence done, so that whatever read the
    // file between steps does not matter.
    PLA.clear();
    PLA.PlaylistID = m_playlist;
    PLA.PlaylistSeq = m_lastSeq + 1;
    int rc = PlaylistDetails.setFromBuffer(PlaylistDetailsRecord::KeyPlaylistID);
    qint64 doneHere = 0;
    for (int i = 0; i < records && rc == 0; ++i) {
        rc = PlaylistDetails.next();
        if (rc != 0 || PLA.PlaylistID != m_playlist) {
            rc = store::NoRecErr;
            break;
        }
        const QString notes = withLastWeek(PLA.PlaylistNotes, PLA.PlaylistSeq);
        m_lastSeq = PLA.PlaylistSeq;
        ++doneHere;
        if (notes == PLA.PlaylistNotes)
            continue;
        PLA.PlaylistNotes = notes;
        if (PlaylistDetails.put() != 0) {
            saveError();
            st.rollback();
            StandardWarning(StandardMessage::ProcessError, QStringLiteral("Put"),
                            QStringLiteral("Process:View"));
            return m_state = State::Failed;
        }
    }
    if (rc != 0 && rc != store::NoRecErr) {
        saveError();
        st.rollback();
        StandardWarning(StandardMessage::ProcessError, QStringLiteral("Put"),
                        QStringLiteral("Process:View"));
        return m_state = State::Failed;
    }
    if (st.commit() != 0) {
        saveError();
        StandardWarning(StandardMessage::ProcessError, QStringLiteral("Put"),
                        QStringLiteral("Process:View"));
        return m_state = State::Failed;
    }
    m_done += doneHere;
    if (rc == store::NoRecErr)
        m_state = State::Completed;
    return m_state;
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
