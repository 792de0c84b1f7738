// A maintenance run that reads one file through in a key's order and rewrites records as it goes.
#pragma once

#include "interchange/batchrun.h"
#include "platform/store/cursor.h"
#include "platform/store/fileuses.h"
#include "platform/store/keyedfile.h"
#include "platform/store/view.h"

#include <deque>
#include <memory>
#include <vector>

namespace melodex {

/// Reads `file` in the order of a key (-1: stored order) a batch at a time and hands every record
/// to handle(). The writes of one batch share one transaction; a message about a failure is
/// shown only after that transaction has ended. A read error ends the run with message 35 for
/// the file, a refused write with message 31 ("Put", "Process:View"). Cancel keeps every batch
/// done so far.
class RecordScanRun : public BatchRun
{
public:
    ~RecordScanRun() override;

    QString caption() const override { return QStringLiteral("Processing Records"); }
    QString subtitle() const override { return m_subtitle; }
    /// Records cost little each here; a batch this size stays well within a timer tick.
    int recordsPerTick() const override { return 1000; }

    bool start() override;
    State step(int records) override;
    void cancel() override;
    int percent() const override;
    State state() const override { return m_state; }

    qint64 recordsRead() const { return m_read; }
    qint64 recordsWritten() const { return m_written; }

protected:
    /// `others` are the files handle() reads or writes besides `file`.
    RecordScanRun(store::KeyedFile &file, int order, QString subtitle,
                  std::vector<store::KeyedFile *> others = {});

    /// What became of one record.
    enum class Outcome { Done, ReadFailed, WriteFailed };
    /// Called once the files are open, before the first record.
    virtual bool prepare() { return true; }
    /// Handles one record. A ReadFailed outcome names its file in m_failedFile.
    virtual Outcome handle(const store::Cursor::Row &row) = 0;

    /// Writes `row` back with the values in `values` (only those that differ are written).
    /// The file's buffer is used for the write and is put back by the run afterwards.
    Outcome rewrite(const store::Cursor::Row &row, std::vector<store::Value> values);

    store::KeyedFile &m_file;
    QString m_failedFile;

private:
    void finish(State state);

    /// How long one tick may spend on records, so that the windows stay responsive.
    static constexpr qint64 TickBudgetMs = 20;

    int m_order;
    QString m_subtitle;
    std::vector<store::KeyedFile *> m_files;
    store::FileUses m_uses;
    std::unique_ptr<store::View> m_view;
    std::deque<store::Cursor::Row> m_pending; ///< read but not yet handled
    bool m_readAll = false;
    State m_state = State::Failed;
    bool m_started = false;
    qint64 m_total = 0;
    qint64 m_read = 0;
    qint64 m_written = 0;
};

} // namespace melodex
