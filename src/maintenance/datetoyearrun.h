// ConvertDateToYear and ConvertAlbumDateToYear: release dates turned into bare years.
#pragma once

#include "interchange/batchrun.h"
#include "maintenance/rowrange.h"
#include "platform/store/fileuses.h"

#include <memory>

namespace melodex {

/// Replaces every release date (a day number, any value above 3000) by its year, in the songs
/// file or the album file. Years and zeros stay as they are; only records that change are
/// written. The file is gone through in stored order, a range of rows a step, each range
/// converted by one statement in a transaction of its own: a step takes about the time budget
/// of a tick, Cancel keeps the ranges done, and no other writer waits for more than a step.
class DateToYearRun : public BatchRun
{
public:
    /// ConvertDateToYear: the songs' release dates.
    static std::unique_ptr<DateToYearRun> songs();
    /// ConvertAlbumDateToYear: the albums' release dates.
    static std::unique_ptr<DateToYearRun> albums();
    ~DateToYearRun() override;

    /// The year that `value` converts to; `value` itself when it is no date.
    static qint32 converted(qint64 value);
    /// The same conversion as an SQL expression of the column `column`.
    static QString convertedSql(const QString &column);

    QString caption() const override { return QStringLiteral("Processing Records"); }
    QString subtitle() const override { return m_subtitle; }
    /// Time bounds a step; the count is only a ceiling.
    int recordsPerTick() const override { return 100000; }

    bool start() override;
    State step(int records) override;
    void cancel() override;
    int percent() const override;
    qint64 recordsDone() const override { return m_rows.rowsDone(); }
    State state() const override { return m_state; }

    qint64 recordsRead() const { return m_rows.rowsDone(); }
    qint64 recordsWritten() const { return m_written; }

private:
    DateToYearRun(store::KeyedFile &file, const QString &subtitle);
    void finish(State state);

    store::KeyedFile &m_file;
    QString m_subtitle;
    int m_field;
    store::FileUses m_uses;
    RowRange m_rows;
    State m_state = State::Failed;
    bool m_started = false;
    qint64 m_total = 0;
    qint64 m_written = 0;
};

} // namespace melodex
