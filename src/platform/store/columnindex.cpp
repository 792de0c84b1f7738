// The temporary index of one field's values that a walk by an unkeyed field pages over.
#include "platform/store/columnindex.h"

#include "platform/store/engine.h"
#include "platform/store/errors.h"
#include "platform/store/keyedfile.h"
#include "platform/store/sqlvalue.h"
#include "platform/store/store.h"

#include <sqlite3.h>

#include <atomic>

namespace melodex::store {

namespace {

std::atomic<quint64> nextIndexNumber{1};

} // namespace

ColumnIndex::ColumnIndex(KeyedFile &file, int field)
    : m_file(file), m_field(field),
      m_name(QStringLiteral("mdx_order_%1").arg(nextIndexNumber.fetch_add(1)))
{
}

ColumnIndex::~ColumnIndex()
{
    if (Store::alive())
        drop();
}

QString ColumnIndex::tableName() const
{
    return QStringLiteral("temp.") + m_name;
}

void ColumnIndex::drop()
{
    if (!m_built)
        return;
    m_built = false;
    if (FileEngine *engine = fileEngineOf(m_file)) {
        engine->dropColumnIndex(m_name);
        return;
    }
    // A closed file may mean a closed connection, which took its temporary tables with it.
    if (m_file.isOpen())
        Store::instance().exec(
            QStringLiteral("DROP TABLE IF EXISTS %1").arg(tableName()).toUtf8().constData());
}

qint64 ColumnIndex::dataVersion() const
{
    if (FileEngine *engine = fileEngineOf(m_file))
        return engine->dataVersion();
    // Another process's commit changes the file's data version; this process's own writes are
    // counted by the file itself.
    const QString schema = m_file.tableName().chopped(4); // the "label" of "label".rec
    sqlite3_stmt *st = m_file.statement(QStringLiteral("PRAGMA %1.data_version").arg(schema));
    if (!st)
        return -1;
    const qint64 version = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
    sqlite3_reset(st);
    return version;
}

int ColumnIndex::build()
{
    drop();
    if (FileEngine *engine = fileEngineOf(m_file)) {
        m_builtVersion = engine->dataVersion();
        m_builtGeneration = m_file.writeGeneration();
        if (const int rc = engine->buildColumnIndex(m_field, m_name); rc != 0)
            return rc;
        m_built = true;
        clearError();
        return 0;
    }
    const FieldDef &def = m_file.layout().fields[static_cast<size_t>(m_field)];
    const QString type = def.type == FieldType::Text   ? QStringLiteral("TEXT COLLATE MDX")
                         : def.type == FieldType::Memo ? QStringLiteral("TEXT")
                                                       : QStringLiteral("INTEGER");
    // The value and the record number make the primary key of a table without row ids, so
    // that a page query positions on both; an index on the row id alone would position on the
    // value only and read through every equal value before it. The rows go in sorted.
    const QString sql =
        QStringLiteral("SAVEPOINT mdx_order;"
                       "CREATE TABLE %1(_ov %2 NOT NULL, _oid INTEGER NOT NULL,"
                       " PRIMARY KEY(_ov, _oid)) WITHOUT ROWID;"
                       "INSERT INTO %1(_ov, _oid) SELECT %3, _id FROM %4 ORDER BY 1, 2;"
                       "CREATE UNIQUE INDEX %1_id ON %5(_oid);")
            .arg(tableName(), type, m_file.columnName(m_field), m_file.tableName(), m_name);
    Store &store = Store::instance();
    if (const int rc = store.exec(sql.toUtf8().constData()); rc != SQLITE_OK) {
        store.exec("ROLLBACK TO mdx_order; RELEASE mdx_order");
        return store.fail(rc, m_file.name());
    }
    // Read inside the same read of the file, so that the version is the one the index holds.
    m_builtVersion = dataVersion();
    m_builtGeneration = m_file.writeGeneration();
    if (const int rc = store.exec("RELEASE mdx_order"); rc != SQLITE_OK) {
        store.exec("ROLLBACK TO mdx_order; RELEASE mdx_order");
        return store.fail(rc, m_file.name());
    }
    m_built = true;
    clearError();
    return 0;
}

bool ColumnIndex::isCurrent()
{
    return m_built && m_builtGeneration == m_file.writeGeneration() &&
           m_builtVersion == dataVersion();
}

std::optional<Value> ColumnIndex::valueOf(qint64 id)
{
    if (!m_built)
        return std::nullopt;
    if (FileEngine *engine = fileEngineOf(m_file))
        return engine->columnIndexValue(m_name, m_field, id);
    sqlite3_stmt *st =
        m_file.statement(QStringLiteral("SELECT _ov FROM %1 WHERE _oid=?").arg(tableName()));
    if (!st)
        return std::nullopt;
    sqlite3_bind_int64(st, 1, id);
    std::optional<Value> out;
    if (sqlite3_step(st) == SQLITE_ROW)
        out = columnValue(st, 0, m_file.layout().fields[static_cast<size_t>(m_field)]);
    sqlite3_reset(st);
    return out;
}

} // namespace melodex::store
