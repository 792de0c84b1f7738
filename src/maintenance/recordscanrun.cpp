// A maintenance run that reads one file through in a key's order and rewrites records as it goes.
#include "maintenance/recordscanrun.h"

#include "data/standardwarning.h"
#include "interchange/bufferguard.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"

#include <QElapsedTimer>

#include <algorithm>
#include <list>

namespace melodex {

RecordScanRun::RecordScanRun(store::KeyedFile &file, int order, QString subtitle,
                             std::vector<store::KeyedFile *> others)
    : m_file(file), m_order(order), m_subtitle(std::move(subtitle)), m_files{&file}
{
    for (store::KeyedFile *f : others)
        m_files.push_back(f);
}

RecordScanRun::~RecordScanRun()
{
    if (m_state == State::Running)
        finish(State::Cancelled);
}

bool RecordScanRun::start()
{
    if (m_started)
        return m_state == State::Running;
    // One file at a time: a file that cannot be opened may have ended the program already.
    if (!m_uses.open(m_files))
        return false;
    m_started = true;
    m_state = State::Running;
    if (!prepare()) {
        if (!m_failedFile.isEmpty())
            StandardWarning(StandardMessage::RecordRetrievalError, m_failedFile);
        finish(State::Failed);
        return false;
    }
    m_total = m_file.records();
    m_view = std::make_unique<store::View>(m_file);
    m_view->setOrder(m_order);
    if (m_view->open() != 0 || m_view->set() != 0) {
        StandardWarning(StandardMessage::RecordRetrievalError, m_file.label());
        finish(State::Failed);
        return false;
    }
    return true;
}

RecordScanRun::State RecordScanRun::step(int records)
{
    if (m_state != State::Running)
        return m_state;
    if (m_pending.empty() && !m_readAll) {
        std::vector<store::Cursor::Row> rows;
        if (m_view->fetch(true, records, rows) != 0) {
            StandardWarning(StandardMessage::RecordRetrievalError, m_file.label());
            finish(State::Failed);
            return m_state;
        }
        m_readAll = int(rows.size()) < records;
        m_pending.assign(std::make_move_iterator(rows.begin()),
                         std::make_move_iterator(rows.end()));
    }

    Outcome outcome = Outcome::Done;
    store::ErrorState failure;
    {
        // The windows keep their buffers whatever the batch reads and writes.
        std::list<BufferGuard> guards;
        for (store::KeyedFile *f : m_files)
            guards.emplace_back(*f);
        store::Store &st = store::Store::instance();
        st.stream();
        // Records that make albums cost far more than others: a tick ends on time as well as
        // on count, and the rest of the batch waits for the next one.
        QElapsedTimer clock;
        clock.start();
        int handled = 0;
        while (!m_pending.empty() && handled < records && clock.elapsed() < TickBudgetMs) {
            outcome = handle(m_pending.front());
            if (outcome != Outcome::Done) {
                failure = store::lastError();
                break;
            }
            m_pending.pop_front();
            ++handled;
            ++m_read;
        }
        if (st.flush() != 0 && outcome == Outcome::Done) {
            outcome = Outcome::WriteFailed;
            failure = store::lastError();
        }
    }
    // The message names the error met, not what the end of the transaction left behind.
    if (outcome != Outcome::Done) {
        if (failure.code == store::FileSystemErr)
            store::setDriverError(failure.driverCode, failure.driverText, failure.fileName);
        else
            store::setError(failure.code, failure.fileName);
    }

    switch (outcome) {
    case Outcome::ReadFailed:
        StandardWarning(StandardMessage::RecordRetrievalError, m_failedFile);
        finish(State::Failed);
        break;
    case Outcome::WriteFailed:
        StandardWarning(StandardMessage::ProcessError, QStringLiteral("Put"),
                        QStringLiteral("Process:View"));
        finish(State::Failed);
        break;
    case Outcome::Done:
        if (m_readAll && m_pending.empty())
            finish(State::Completed);
        break;
    }
    return m_state;
}

RecordScanRun::Outcome RecordScanRun::rewrite(const store::Cursor::Row &row,
                                              std::vector<store::Value> values)
{
    if (values == row.values)
        return Outcome::Done;
    m_file.loadValues(row.id, row.version, row.values);
    m_file.buffer().setValues(values);
    if (m_file.put() != 0)
        return Outcome::WriteFailed;
    ++m_written;
    return Outcome::Done;
}

void RecordScanRun::cancel()
{
    if (m_state == State::Running)
        finish(State::Cancelled);
}

int RecordScanRun::percent() const
{
    if (m_state == State::Completed)
        return 100;
    if (m_total <= 0)
        return 0;
    return int(std::min<qint64>(100, m_read * 100 / m_total));
}

void RecordScanRun::finish(State state)
{
    m_state = state;
    m_pending.clear();
    m_view.reset();
    // Closed in the reverse order of opening.
    m_uses.clear();
}

} // namespace melodex
