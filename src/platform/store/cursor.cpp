#include "platform/store/cursor.h"

#include "platform/store/columnindex.h"
#include "platform/store/engine.h"
#include "platform/store/errors.h"
#include "platform/store/keyedfile.h"
#include "platform/store/sqlvalue.h"
#include "platform/store/store.h"

#include <sqlite3.h>

#include <limits>

namespace melodex::store {

Cursor::Cursor(KeyedFile &file) : m_file(file) {}

void Cursor::forgetSql()
{
    for (auto &byDirection : m_sql)
        for (QString &sql : byDirection)
            sql.clear();
}

void Cursor::setOrder(int key)
{
    if (key != m_key) {
        m_key = key;
        forgetSql();
    }
    toStart();
}

void Cursor::setColumnIndex(ColumnIndex *index)
{
    if (index != m_index) {
        m_index = index;
        forgetSql();
    }
    toStart();
}

void Cursor::setDescending(bool descending)
{
    m_descending = descending;
    toStart();
}

std::vector<int> Cursor::orderFields() const
{
    if (m_index)
        return {m_index->field()};
    if (m_key < 0)
        return {};
    return m_file.layout().keys[static_cast<size_t>(m_key)].fields;
}

void Cursor::setFilter(const QString &sql, Binder binder)
{
    m_filter = sql;
    m_binder = std::move(binder);
    forgetSql();
    dropBlock();
}

void Cursor::setEngineFilter(std::shared_ptr<const WalkFilter> filter)
{
    m_engineFilter = std::move(filter);
    dropBlock();
}

void Cursor::dropBlock()
{
    m_block.clear();
    m_blockPos = 0;
    m_blockAtEnd = false;
    m_blockSize = 0;
}

void Cursor::toStart()
{
    m_positioned = false;
    m_keyValues.clear();
    dropBlock();
}

void Cursor::toValue(const std::vector<Value> &keyValues)
{
    m_positioned = true;
    m_keyValues = keyValues;
    m_idForward = 0;
    m_idBackward = std::numeric_limits<qint64>::max();
    dropBlock();
}

void Cursor::toRecord(const std::vector<Value> &keyValues, qint64 id)
{
    m_positioned = true;
    m_keyValues = keyValues;
    // The record stands in the index where its value was when the index was built.
    if (m_index)
        if (std::optional<Value> indexed = m_index->valueOf(id))
            m_keyValues = {*indexed};
    m_idForward = id - 1;
    m_idBackward = id + 1;
    dropBlock();
}

std::vector<Value> Cursor::keyValuesOf(const std::vector<Value> &values) const
{
    std::vector<Value> out;
    for (int f : orderFields())
        out.push_back(values[static_cast<size_t>(f)]);
    return out;
}

void Cursor::advanceTo(const Row &row)
{
    m_positioned = true;
    m_keyValues = m_index ? std::vector<Value>{row.indexValue} : keyValuesOf(row.values);
    m_idForward = row.id;
    m_idBackward = row.id;
}

QString Cursor::sqlFor(bool forward, bool positioned) const
{
    if (m_index) {
        // The index table leads the join (CROSS JOIN keeps that order), so a page reads a few
        // index entries and looks each record up by its number.
        const QString dir = forward ? QString() : QStringLiteral(" DESC");
        QString where = QStringLiteral("1");
        if (positioned)
            where += QStringLiteral(" AND (o._ov,o._oid) %1 (?,?)")
                         .arg(forward ? QStringLiteral(">") : QStringLiteral("<"));
        if (!m_filter.isEmpty())
            where += QStringLiteral(" AND (") + m_filter + u')';
        return QStringLiteral(
                   "SELECT _id,_ver,%1,o._ov FROM %2 AS o CROSS JOIN %3 ON %3._id=o._oid "
                   "WHERE %4 ORDER BY o._ov%5,o._oid%5 LIMIT ?")
            .arg(m_file.selectList(), m_index->tableName(), m_file.tableName(), where, dir);
    }
    const FileLayout &l = m_file.layout();
    QString cols;
    QString order;
    const QString dir = forward ? QString() : QStringLiteral(" DESC");
    if (m_key >= 0) {
        for (int f : l.keys[static_cast<size_t>(m_key)].fields) {
            cols += m_file.columnName(f) + u',';
            order += m_file.columnName(f) + dir + u',';
        }
    }
    cols += QStringLiteral("_id");
    order += QStringLiteral("_id") + dir;

    QString where = QStringLiteral("1");
    if (m_key >= 0) {
        const QString empty = m_file.emptyKeyCondition(m_key);
        if (!empty.isEmpty())
            where += QStringLiteral(" AND (") + empty + u')';
    }
    if (positioned) {
        QString marks;
        const int n = m_key >= 0 ? int(l.keys[static_cast<size_t>(m_key)].fields.size()) : 0;
        for (int i = 0; i < n; ++i)
            marks += QStringLiteral("?,");
        marks += u'?';
        where += QStringLiteral(" AND (%1) %2 (%3)")
                     .arg(cols, forward ? QStringLiteral(">") : QStringLiteral("<"), marks);
    }
    if (!m_filter.isEmpty())
        where += QStringLiteral(" AND (") + m_filter + u')';
    return QStringLiteral("SELECT _id,_ver,%1 FROM %2 WHERE %3 ORDER BY %4 LIMIT ?")
        .arg(m_file.selectList(), m_file.tableName(), where, order);
}

int Cursor::fill(bool forward, int n, std::vector<Row> &rows)
{
    // Descending, the walk's forward is the table's backward.
    const bool ahead = forward != m_descending;
    if (FileEngine *engine = fileEngineOf(m_file)) {
        WalkPage page;
        page.key = m_key;
        if (m_index) {
            page.indexField = m_index->field();
            page.indexName = m_index->name();
        }
        page.forward = ahead;
        page.positioned = m_positioned;
        if (m_positioned) {
            page.keyValues = m_keyValues;
            page.id = ahead ? m_idForward : m_idBackward;
        }
        page.limit = n;
        page.filter = m_engineFilter.get();
        return engine->fetchRows(page, rows);
    }
    QString &sql = m_sql[ahead][m_positioned];
    if (sql.isEmpty())
        sql = sqlFor(ahead, m_positioned);
    sqlite3_stmt *st = m_file.statement(sql);
    if (!st)
        return errorCode();
    int idx = 1;
    if (m_positioned) {
        for (const Value &v : m_keyValues)
            bindValue(st, idx++, v);
        sqlite3_bind_int64(st, idx++, ahead ? m_idForward : m_idBackward);
    }
    if (m_binder)
        idx = m_binder(st, idx);
    sqlite3_bind_int(st, idx, n);

    const size_t fields = m_file.layout().fields.size();
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        Row row;
        row.id = sqlite3_column_int64(st, 0);
        row.version = sqlite3_column_int64(st, 1);
        row.values.reserve(fields);
        for (size_t i = 0; i < fields; ++i)
            row.values.push_back(columnValue(st, int(i) + 2, m_file.layout().fields[i]));
        if (m_index)
            row.indexValue = columnValue(
                st, int(fields) + 2, m_file.layout().fields[static_cast<size_t>(m_index->field())]);
        rows.push_back(std::move(row));
    }
    sqlite3_reset(st);
    if (rc != SQLITE_DONE)
        return Store::instance().fail(rc, m_file.name());
    return 0;
}

int Cursor::step(bool forward, Row &row)
{
    const bool fetched = m_blockSize > 0;
    const bool current =
        fetched && m_blockForward == forward && m_blockGen == m_file.writeGeneration();
    if (!current || (m_blockPos >= m_block.size() && !m_blockAtEnd)) {
        // The first read of a walk fetches one row (a lookup wants no more); a walk that goes on
        // fetches a page's worth, then larger blocks.
        const int most = m_file.quickScan() ? 512 : 128;
        const int size = !current ? 1 : m_blockSize == 1 ? 24 : std::min(m_blockSize * 4, most);
        m_block.clear();
        m_blockPos = 0;
        m_blockForward = forward;
        m_blockSize = size;
        m_blockGen = m_file.writeGeneration();
        if (const int err = fill(forward, size, m_block); err != 0) {
            dropBlock();
            return err;
        }
        m_blockAtEnd = int(m_block.size()) < size;
    }
    if (m_blockPos >= m_block.size()) {
        setError(NoRecErr, m_file.name());
        return NoRecErr;
    }
    row = std::move(m_block[m_blockPos++]);
    advanceTo(row);
    return 0;
}

int Cursor::fetch(bool forward, int n, std::vector<Row> &rows)
{
    dropBlock();
    const size_t before = rows.size();
    const int err = fill(forward, n, rows);
    if (err == 0 && rows.size() > before)
        advanceTo(rows.back());
    return err;
}

namespace {

int notAvailable(const QString &name)
{
    setDriverError(-1, QStringLiteral("This is not available yet with the catalogue on a server."),
                   name);
    return FileSystemErr;
}

} // namespace

// What an engine does not provide says so.
int FileEngine::fetchRows(const WalkPage &, std::vector<Cursor::Row> &)
{
    return notAvailable(QString());
}

std::shared_ptr<WalkFilter> FileEngine::makeFilter(const expr::Node &, const FilterResolver &,
                                                   QString &error)
{
    error = QStringLiteral("This is not available yet with the catalogue on a server.");
    return nullptr;
}

int FileEngine::buildColumnIndex(int, const QString &)
{
    return notAvailable(QString());
}

void FileEngine::dropColumnIndex(const QString &) {}

std::optional<Value> FileEngine::columnIndexValue(const QString &, int, qint64)
{
    return std::nullopt;
}

qint64 FileEngine::dataVersion()
{
    return -1;
}

} // namespace melodex::store
