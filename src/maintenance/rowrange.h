// Stepping through a data file in stored order, a range of rows at a time, sized to a time budget.
#pragma once

#include "platform/store/keyedfile.h"

#include <QElapsedTimer>

namespace melodex {

/// The rows of a file in stored order, handed out as ranges of row numbers: each range covers
/// at most the rows a step asks for, and the ranges grow or shrink so that handling one takes
/// about the budget, whatever a row costs.
class RowRange
{
public:
    explicit RowRange(store::KeyedFile &file) : m_file(file) {}

    /// The next range (after the last one handed out) of at most `rows` rows: its highest row
    /// number in `high` and its rows in `count`; false at the end of the file or on a read
    /// error (`failed`).
    bool next(int rows, qint64 &high, qint64 &count, bool &failed);
    /// The lowest row number of the range handed out last is above this.
    qint64 low() const { return m_low; }
    /// Takes the range as handled (its rows counted in `rows`) after `elapsedMs`.
    void done(qint64 high, qint64 rows, qint64 elapsedMs);
    qint64 rowsDone() const { return m_rowsDone; }

    /// How long handling one range should take, so that the windows stay responsive and no
    /// other writer waits for more than a moment.
    static constexpr qint64 BudgetMs = 50;

private:
    store::KeyedFile &m_file;
    qint64 m_low = 0;
    qint64 m_rowsDone = 0;
    int m_size = 2048;
};

} // namespace melodex
