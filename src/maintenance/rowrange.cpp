// Stepping through a data file in stored order, a range of rows at a time, sized to a time budget.
#include "maintenance/rowrange.h"

#include "platform/store/errors.h"
#include "platform/store/store.h"

#include <sqlite3.h>

#include <algorithm>

namespace melodex {

bool RowRange::next(int rows, qint64 &high, qint64 &count, bool &failed)
{
    failed = false;
    const int size = std::max(1, std::min(rows, m_size));
    sqlite3_stmt *st = m_file.statement(
        QStringLiteral(
            "SELECT max(_id),count(*) FROM (SELECT _id FROM %1 WHERE _id>? ORDER BY _id LIMIT ?)")
            .arg(m_file.tableName()));
    if (!st) {
        failed = true;
        return false;
    }
    sqlite3_bind_int64(st, 1, m_low);
    sqlite3_bind_int64(st, 2, size);
    const int rc = sqlite3_step(st);
    const bool found = rc == SQLITE_ROW && sqlite3_column_type(st, 0) != SQLITE_NULL;
    if (found) {
        high = sqlite3_column_int64(st, 0);
        count = sqlite3_column_int64(st, 1);
    }
    sqlite3_reset(st);
    if (rc != SQLITE_ROW) {
        store::Store::instance().fail(rc, m_file.name());
        failed = true;
        return false;
    }
    return found;
}

void RowRange::done(qint64 high, qint64 rows, qint64 elapsedMs)
{
    m_low = high;
    m_rowsDone += rows;
    // Twice the rows when the range took under half the budget, half when it took over twice.
    if (elapsedMs * 2 < BudgetMs)
        m_size = std::min(m_size * 2, 1 << 20);
    else if (elapsedMs > BudgetMs * 2)
        m_size = std::max(m_size / 2, 64);
}

} // namespace melodex
