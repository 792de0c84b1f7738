// Ordered walks over a file by one of its keys, read ahead in small blocks.
#pragma once

#include "platform/store/layout.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

struct sqlite3_stmt;

namespace melodex::store {

class ColumnIndex;
class KeyedFile;
class WalkFilter;

/// A position in the order of a key and the walk from it in either direction. Rows are read
/// ahead in blocks that grow while a walk goes on, and every block's statement is reset at once,
/// so no read lock is held between calls and other processes can write. A block is thrown away
/// when the file is written through this process, and the walk resumes after the last record
/// read, in the key order as it was read.
class Cursor
{
public:
    struct Row
    {
        qint64 id = 0;
        qint64 version = 0;
        std::vector<Value> values;
        /// The value a column index ordered the row by (it may be older than the record's).
        Value indexValue;
    };
    /// Binds a filter's parameters from index `first`; returns the next free index.
    using Binder = std::function<int(sqlite3_stmt *, int first)>;

    explicit Cursor(KeyedFile &file);

    void setOrder(int key);
    int order() const { return m_key; }
    /// Orders by the field of `index` instead of a key (nullptr: back to the key). The index
    /// must outlive its use here and be built before a walk reads.
    void setColumnIndex(ColumnIndex *index);
    /// Walks the order from its end: next reads towards the smallest values.
    void setDescending(bool descending);
    /// The fields whose values position a walk: the key's components, or the indexed field.
    std::vector<int> orderFields() const;
    /// An extra SQL condition over the file's columns (a view's filter); empty for none.
    void setFilter(const QString &sql, Binder binder);
    /// The same filter as the file's engine runs it (when the file is on one).
    void setEngineFilter(std::shared_ptr<const WalkFilter> filter);

    /// Before the first record (for next) and after the last (for previous).
    void toStart();
    /// At a key value: next reads the first record at or after it, previous the last at or before.
    void toValue(const std::vector<Value> &keyValues);
    /// At a record: next or previous reads that record first.
    void toRecord(const std::vector<Value> &keyValues, qint64 id);

    /// Reads the next row in the given direction; 0, 33 past the end, or an error code.
    int step(bool forward, Row &row);
    /// Reads up to `n` rows in one statement; returns 0 or an error code (33 is never returned:
    /// fewer rows simply means the end was reached).
    int fetch(bool forward, int n, std::vector<Row> &rows);

    /// Values of a row's order fields.
    std::vector<Value> keyValuesOf(const std::vector<Value> &values) const;

private:
    int fill(bool forward, int n, std::vector<Row> &rows);
    QString sqlFor(bool forward, bool positioned) const;
    void advanceTo(const Row &row);
    void dropBlock();
    void forgetSql();

    KeyedFile &m_file;
    int m_key = -1;
    ColumnIndex *m_index = nullptr;
    bool m_descending = false;
    QString m_filter;
    Binder m_binder;
    std::shared_ptr<const WalkFilter> m_engineFilter;

    bool m_positioned = false;
    std::vector<Value> m_keyValues;
    qint64 m_idForward = 0;  ///< next reads rows strictly after (values, id)
    qint64 m_idBackward = 0; ///< previous reads rows strictly before (values, id)

    std::vector<Row> m_block;
    size_t m_blockPos = 0;
    bool m_blockForward = true;
    bool m_blockAtEnd = false;
    quint64 m_blockGen = 0;
    int m_blockSize = 0;
    QString m_sql[2][2]; ///< by [forward in the table][positioned], once per order and filter
};

} // namespace melodex::store
