#include "platform/pgstore/pgbulk.h"

#include "platform/store/collation.h"
#include "platform/store/errors.h"
#include "platform/store/keyedfile.h"

#include <QtEndian>

#include <libpq-fe.h>

namespace melodex::pgstore {

using store::Value;

namespace {

// COPY's binary form: a signature, flags and the length of a header extension, then the rows,
// then -1 as a field count.
constexpr char CopySignature[] = "PGCOPY\n\377\r\n";

template <typename T> void put(QByteArray &out, T value)
{
    const T big = qToBigEndian(value);
    out.append(reinterpret_cast<const char *>(&big), sizeof big);
}

void putBytes(QByteArray &out, const QByteArray &bytes)
{
    put<qint32>(out, qint32(bytes.size()));
    out.append(bytes);
}

Param numberParam(qint64 n)
{
    return {QByteArray::number(n), false};
}

} // namespace

BulkWriter::BulkWriter(Catalog &catalog, store::KeyedFile &file, std::shared_ptr<void> owner)
    : m_owner(std::move(owner)), m_catalog(catalog), m_file(file), m_table(catalog, file.buffer())
{
    static int serial = 0;
    ++serial;
    m_stage = QStringLiteral("pg_temp.mdx_stage_%1_%2").arg(file.layout().fileName).arg(serial);
    m_mapPrefix = QStringLiteral("pg_temp.mdx_map_%1_%2_").arg(file.layout().fileName).arg(serial);
}

BulkWriter::~BulkWriter()
{
    finish();
}

int BulkWriter::lostStage()
{
    m_lost = true;
    store::setDriverError(-1,
                          QStringLiteral("The connection to the catalogue server was lost while "
                                         "records were being added; none of them were kept."),
                          m_table.name());
    return store::FileSystemErr;
}

int BulkWriter::stageKept()
{
    if (m_lost || m_catalog.session() != m_session)
        return lostStage();
    return 0;
}

int BulkWriter::failed(int code)
{
    // A statement that met the connection lost, or that found the stage gone because the
    // connection was made again, leaves nothing of the stage.
    if (m_catalog.session() != m_session || m_catalog.lost())
        return lostStage();
    return code;
}

int BulkWriter::start()
{
    if (m_started)
        return 0;
    if (!m_file.isOpen() || m_catalog.inTransaction()) {
        store::setError(store::NotOpenErr, m_table.name());
        return store::NotOpenErr;
    }
    const store::FileLayout &l = m_file.layout();
    QStringList cols{QStringLiteral("_n bigint")};
    for (size_t i = 0; i < l.fields.size(); ++i)
        cols << m_table.columnName(int(i)) +
                    (l.fields[i].isText() ? QStringLiteral(" text") : QStringLiteral(" bigint"));
    for (size_t i = 0; i < l.fields.size(); ++i)
        if (m_table.hasSortColumn(int(i)))
            cols << m_table.sortColumnName(int(i)) + QStringLiteral(" bytea");
    // The stage is never vacuumed or read by another connection: no statistics, no WAL.
    if (const int code = m_catalog.execText(
            QStringLiteral("DROP TABLE IF EXISTS %1; CREATE TEMPORARY TABLE %1(%2) "
                           "WITH (autovacuum_enabled = false)")
                .arg(m_stage, cols.join(u','))))
        return code;
    m_session = m_catalog.session();
    m_started = true;
    m_lost = false;
    m_staged = m_sent = 0;
    m_rows.clear();
    store::clearError();
    return 0;
}

int BulkWriter::clearMerged()
{
    if (!m_merged)
        return 0;
    if (m_catalog.inTransaction()) {
        store::setError(store::IsLockedErr, m_table.name());
        return store::IsLockedErr;
    }
    m_merged = false;
    m_sent = 0;
    if (const int code = m_catalog.execText(QStringLiteral("TRUNCATE %1").arg(m_stage)))
        return failed(code);
    return 0;
}

int BulkWriter::beginStep()
{
    if (!m_started || m_inStep)
        return 0;
    if (const int code = stageKept())
        return code;
    if (const int code = clearMerged())
        return code;
    m_inStep = true;
    m_stepStart = m_staged;
    m_stepBytes = m_rows.size();
    return 0;
}

int BulkWriter::endStep(bool keep)
{
    if (!m_inStep)
        return 0;
    m_inStep = false;
    if (keep) {
        if (const int code = stageKept())
            return code;
        return m_rows.size() >= FlushBytes && !m_catalog.inTransaction() ? flush() : 0;
    }
    // The rows of the step are dropped wherever they are.
    m_staged = m_stepStart;
    if (m_sent <= m_stepStart) {
        m_rows.truncate(m_stepBytes);
        return 0;
    }
    m_rows.clear();
    m_sent = m_stepStart;
    if (const int code = m_catalog.exec(QStringLiteral("DELETE FROM %1 WHERE _n > $1").arg(m_stage),
                                        {numberParam(m_stepStart)}))
        return failed(code);
    return 0;
}

int BulkWriter::stage()
{
    if (!m_started) {
        store::setError(store::NotOpenErr, m_table.name());
        return store::NotOpenErr;
    }
    if (const int code = stageKept())
        return code;
    if (const int code = m_inStep ? 0 : clearMerged())
        return code;
    const store::FileLayout &l = m_file.layout();
    std::vector<Value> values;
    values.reserve(l.fields.size());
    for (size_t i = 0; i < l.fields.size(); ++i) {
        Value v = m_file.storedValue(int(i));
        const store::FieldDef &f = l.fields[i];
        if (f.type == store::FieldType::Decimal &&
            (v.toLongLong() > f.decimalLimit() || v.toLongLong() < -f.decimalLimit())) {
            store::setDriverError(
                -1, QStringLiteral("Value out of range for %1").arg(l.qualifiedName(int(i))),
                m_table.name());
            return store::FileSystemErr;
        }
        values.push_back(std::move(v));
    }
    qint16 columns = qint16(1 + values.size());
    for (size_t i = 0; i < values.size(); ++i)
        if (m_table.hasSortColumn(int(i)))
            ++columns;
    put<qint16>(m_rows, columns);
    put<qint32>(m_rows, 8);
    put<qint64>(m_rows, m_staged + 1);
    for (size_t i = 0; i < values.size(); ++i) {
        if (l.fields[i].isText()) {
            putBytes(m_rows, values[i].toString().toUtf8());
        } else {
            put<qint32>(m_rows, 8);
            put<qint64>(m_rows, values[i].toLongLong());
        }
    }
    for (size_t i = 0; i < values.size(); ++i)
        if (m_table.hasSortColumn(int(i)))
            putBytes(m_rows, store::keySortBytes(values[i].toString()));
    ++m_staged;
    // Copied outside any transaction only: rows copied inside one would go with its rollback.
    if (m_rows.size() >= FlushBytes && !m_catalog.inTransaction())
        return flush();
    store::clearError();
    return 0;
}

int BulkWriter::flush()
{
    if (m_rows.isEmpty())
        return 0;
    QByteArray data(CopySignature, sizeof CopySignature);
    put<qint32>(data, 0); // flags
    put<qint32>(data, 0); // header extension
    data.append(m_rows);
    put<qint16>(data, -1);
    if (const int code = m_catalog.copyIn(
            QStringLiteral("COPY %1 FROM STDIN (FORMAT binary)").arg(m_stage), data))
        return failed(code);
    m_sent = m_staged;
    m_rows.clear();
    m_stepBytes = 0;
    store::clearError();
    return 0;
}

void BulkWriter::setExpression(int field, const QString &sql)
{
    m_expressions.insert(field, sql);
}

int BulkWriter::mapValues(int field, const std::vector<std::pair<Value, Value>> &map)
{
    if (map.empty())
        return 0;
    if (!m_started) {
        store::setError(store::NotOpenErr, m_table.name());
        return store::NotOpenErr;
    }
    if (const int code = stageKept())
        return code;
    const store::FieldDef &f = m_file.layout().fields[size_t(field)];
    const QString type = f.isText() ? QStringLiteral("text") : QStringLiteral("bigint");
    const QString table = m_mapPrefix + QString::number(field);
    // Made again when a rolled-back transaction took it away.
    if (const int code = m_catalog.execText(
            QStringLiteral("CREATE TEMPORARY TABLE IF NOT EXISTS %1(given %2 PRIMARY KEY, "
                           "stored %2, stored_key bytea)")
                .arg(table, type)))
        return failed(code);
    const QString sql =
        QStringLiteral("INSERT INTO %1 VALUES($1, $2, $3) ON CONFLICT (given) DO UPDATE SET "
                       "stored = excluded.stored, stored_key = excluded.stored_key")
            .arg(table);
    const auto param = [&f](const Value &v) {
        if (!f.isText())
            return numberParam(v.toLongLong());
        QByteArray text = v.toString().toUtf8();
        return Param{text.isNull() ? QByteArray("") : text, false};
    };
    for (const auto &[given, stored] : map) {
        Param key{QByteArray(), true};
        if (m_table.hasSortColumn(field))
            key.bytes = store::keySortBytes(stored.toString());
        if (const int code = m_catalog.exec(sql, {param(given), param(stored), key}))
            return failed(code);
    }
    m_maps.insert(field, table);
    m_expressions.insert(field, mapExpression(field));
    store::clearError();
    return 0;
}

QString BulkWriter::mapExpression(int field) const
{
    return QStringLiteral("coalesce(m%1.stored, s.%2)").arg(field).arg(m_table.columnName(field));
}

int BulkWriter::merge()
{
    if (!m_started || m_staged == 0)
        return 0;
    if (!m_catalog.inTransaction()) {
        store::setError(store::NotOpenErr, m_table.name());
        return store::NotOpenErr;
    }
    if (const int code = stageKept())
        return code;
    const store::FileLayout &l = m_file.layout();
    QStringList cols, exprs, joins;
    for (size_t i = 0; i < l.fields.size(); ++i) {
        cols << m_table.columnName(int(i));
        const auto it = m_expressions.constFind(int(i));
        exprs << (it != m_expressions.cend() ? *it
                                             : QStringLiteral("s.") + m_table.columnName(int(i)));
    }
    for (size_t i = 0; i < l.fields.size(); ++i) {
        if (!m_table.hasSortColumn(int(i)))
            continue;
        cols << m_table.sortColumnName(int(i));
        const QString sortCol = QStringLiteral("s.") + m_table.sortColumnName(int(i));
        if (m_maps.contains(int(i)) && m_expressions.value(int(i)) == mapExpression(int(i))) {
            exprs << QStringLiteral("coalesce(m%1.stored_key, %2)").arg(i).arg(sortCol);
        } else if (m_expressions.contains(int(i))) {
            // Only the program computes sort keys: a text computed by the server has none.
            store::setDriverError(
                -1,
                QStringLiteral("%1 cannot be computed on the server.").arg(l.qualifiedName(int(i))),
                m_table.name());
            return store::FileSystemErr;
        } else {
            exprs << sortCol;
        }
    }
    for (auto it = m_maps.cbegin(); it != m_maps.cend(); ++it)
        joins << QStringLiteral("LEFT JOIN %1 AS m%2 ON m%2.given = s.%3")
                     .arg(it.value())
                     .arg(it.key())
                     .arg(m_table.columnName(it.key()));
    const QString insert =
        QStringLiteral("INSERT INTO %1(%2) SELECT %3 FROM %4 AS s %5 ORDER BY s._n")
            .arg(m_table.tableName(), cols.join(u','), exprs.join(u','), m_stage, joins.join(u' '));
    // One step inside the caller's transaction: a failure undoes only the merge, and the rows
    // copied for it go back to the program, so the records stay staged.
    qint64 added = 0;
    const int code = m_catalog.guarded([&]() -> int {
        if (!m_rows.isEmpty()) {
            QByteArray data(CopySignature, sizeof CopySignature);
            put<qint32>(data, 0);
            put<qint32>(data, 0);
            data.append(m_rows);
            put<qint16>(data, -1);
            if (const int c = m_catalog.copyIn(
                    QStringLiteral("COPY %1 FROM STDIN (FORMAT binary)").arg(m_stage), data))
                return c;
        }
        // The sort by staging order fits in memory rather than going to disk.
        if (const int c = m_catalog.execText(QStringLiteral("SET LOCAL work_mem = '64MB'")))
            return c;
        Result r;
        if (const int c = m_catalog.execText(insert, &r))
            return c;
        added = QByteArray(PQcmdTuples(r.get())).toLongLong();
        // The kept count last: other stations adding queue on its row only until the commit.
        return m_catalog.exec(QStringLiteral("UPDATE %1.files SET records = records + $1 "
                                             "WHERE name = $2")
                                  .arg(m_catalog.quotedSchema()),
                              {numberParam(added), Param{l.fileName.toUtf8(), false}});
    });
    if (code != 0) {
        if (code == store::DupKeyErr || code == store::IsLockedErr)
            store::setError(code, m_table.name());
        return failed(code);
    }
    m_sent = m_staged;
    m_rows.clear();
    // Emptied only once the transaction has ended.
    m_merged = true;
    m_staged = 0;
    m_expressions.clear();
    m_maps.clear();
    store::clearError();
    return 0;
}

void BulkWriter::finish()
{
    if (!m_started)
        return;
    m_started = false;
    m_inStep = false;
    m_rows.clear();
    m_expressions.clear();
    m_maps.clear();
    if (m_lost || m_catalog.session() != m_session || !m_catalog.isOpen())
        return;
    // The maps of every field that was ever mapped, and the stage; a transaction still open is
    // the caller's, and what it drops goes with its commit.
    QStringList tables{m_stage};
    for (size_t i = 0; i < m_file.layout().fields.size(); ++i)
        tables << m_mapPrefix + QString::number(i);
    const store::ErrorState saved = store::lastError();
    m_catalog.execText(QStringLiteral("DROP TABLE IF EXISTS %1").arg(tables.join(u',')));
    if (saved.code == store::FileSystemErr)
        store::setDriverError(saved.driverCode, saved.driverText, saved.fileName);
    else if (saved.code != 0)
        store::setError(saved.code, saved.fileName);
}

} // namespace melodex::pgstore
