// UpgradeFiles: songs kept in the earlier version's layout moved into the songs file.
#include "maintenance/upgradefiles.h"

#include "data/records.h"
#include "data/standardwarning.h"
#include "interchange/bufferguard.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"

#include <algorithm>

namespace melodex {

UpgradeFilesRun::UpgradeFilesRun() = default;

UpgradeFilesRun::~UpgradeFilesRun()
{
    if (m_state == State::Running)
        finish(State::Cancelled);
}

bool UpgradeFilesRun::start()
{
    if (m_started)
        return m_state == State::Running;
    if (!m_uses.open({&Songlore, &OldSonglore}) || OldSonglore.records() <= 0) {
        m_uses.clear();
        return false;
    }
    m_started = true;
    m_state = State::Running;
    m_total = OldSonglore.records();
    OldSonglore.send(QStringLiteral("QUICKSCAN=on"));
    m_view = std::make_unique<store::View>(OldSonglore);
    if (m_view->open() != 0 || m_view->set() != 0) {
        StandardWarning(StandardMessage::ViewOpenError);
        finish(State::Failed);
        return false;
    }
    return true;
}

UpgradeFilesRun::State UpgradeFilesRun::step(int records)
{
    if (m_state != State::Running)
        return m_state;
    std::vector<store::Cursor::Row> rows;
    if (m_view->fetch(true, records, rows) != 0) {
        StandardWarning(StandardMessage::RecordRetrievalError, OldSonglore.label());
        finish(State::Failed);
        return m_state;
    }
    bool deleteFailed = false;
    qint64 movedNow = 0;
    store::ErrorState failure;
    {
        const BufferGuard songs(Songlore);
        const BufferGuard old(OldSonglore);
        store::Store &st = store::Store::instance();
        st.stream();
        for (const store::Cursor::Row &row : rows) {
            ++m_read;
            OldSonglore.loadValues(row.id, row.version, row.values);
            MUS.clear();
            MUS.Artist = M1.Artist;
            MUS.Title = M1.Title;
            MUS.Album = M1.Album;
            MUS.Media = M1.Media;
            MUS.FileNumber = M1.FileNumber;
            MUS.ReleaseDate = M1.ReleaseDate;
            MUS.Notes = M1.Notes;
            if (Songlore.add() != 0) {
                ++m_kept;
                continue;
            }
            if (OldSonglore.deleteRecord() != 0) {
                failure = store::lastError();
                deleteFailed = true;
                // The old record stays, so its song must go again: the next start moves it
                // once more. When even that fails, nothing of this batch is kept.
                if (Songlore.deleteRecord() != 0) {
                    st.rollback();
                    m_moved -= movedNow;
                }
                break;
            }
            ++m_moved;
            ++movedNow;
        }
        if (st.flush() != 0 && !deleteFailed) {
            failure = store::lastError();
            deleteFailed = true;
        }
    }
    if (deleteFailed) {
        store::setError(failure.code, failure.fileName);
        StandardWarning(StandardMessage::ProcessError, QStringLiteral("Delete"),
                        QStringLiteral("Process:ViewDelete"));
        finish(State::Failed);
    } else if (int(rows.size()) < records) {
        finish(State::Completed);
    }
    return m_state;
}

void UpgradeFilesRun::cancel()
{
    if (m_state == State::Running)
        finish(State::Cancelled);
}

int UpgradeFilesRun::percent() const
{
    if (m_state == State::Completed)
        return 100;
    return m_total > 0 ? int(std::min<qint64>(100, m_read * 100 / m_total)) : 0;
}

void UpgradeFilesRun::finish(State state)
{
    m_state = state;
    m_view.reset();
    if (m_uses.ok())
        OldSonglore.send(QStringLiteral("QUICKSCAN=off"));
    m_uses.clear();
}

} // namespace melodex
