// Walks on the server for Cursor, View and ColumnIndex: blocks of rows in the order of a key or
// of a column index, from a position, in either direction, narrowed by a view's filter.
#include "platform/pgstore/pgfile.h"
#include "platform/pgstore/pgfilter.h"
#include "platform/store/collation.h"
#include "platform/store/errors.h"

#include <libpq-fe.h>

namespace melodex::pgstore {

using store::Value;

namespace {

Param numberParam(qint64 n)
{
    return {QByteArray::number(n), false};
}

QString indexTable(const QString &name)
{
    return QStringLiteral("pg_temp.\"%1\"").arg(name);
}

// Replaces the filter's parameter marks with $first, $first+1, ...
QString numbered(const QString &sql, int first)
{
    QString out;
    out.reserve(sql.size() + 16);
    int n = first;
    for (const QChar c : sql) {
        if (c == QChar(0x1F))
            out += u'$' + QString::number(n++);
        else
            out += c;
    }
    return out;
}

// How the page query sees a value of the filter: texts as UTF-8, exact numbers scaled.
Param filterParam(const expr::Value &v)
{
    if (v.kind == expr::Value::Kind::Text) {
        QByteArray b = v.text.toUtf8();
        if (b.isNull())
            b = QByteArray("");
        return {b, false};
    }
    return numberParam(v.kind == expr::Value::Kind::Number ? v.scaled : expr::toInteger(v));
}

} // namespace

store::Cursor::Row File::rowAt(const Result &r, int row) const
{
    pg_result *res = r.get();
    const auto &fields = layout().fields;
    store::Cursor::Row out;
    out.id = QByteArray(PQgetvalue(res, row, 0)).toLongLong();
    out.version = QByteArray(PQgetvalue(res, row, 1)).toLongLong();
    out.values.reserve(fields.size());
    auto valueAt = [&](int col, const store::FieldDef &def) {
        const char *v = PQgetvalue(res, row, col);
        return def.isText() ? Value(QString::fromUtf8(v, PQgetlength(res, row, col)))
                            : Value(QByteArray(v).toLongLong());
    };
    for (size_t i = 0; i < fields.size(); ++i)
        out.values.push_back(valueAt(int(i) + 2, fields[i]));
    return out;
}

int File::fetchBlock(const store::WalkPage &page, std::vector<store::Cursor::Row> &rows)
{
    const auto *filter = static_cast<const ServerFilter *>(page.filter);
    const QString dir = page.forward ? QString() : QStringLiteral(" DESC");
    const QString op = page.forward ? QStringLiteral(">") : QStringLiteral("<");
    Params params;
    QStringList conditions;
    QString sql;
    if (page.indexField >= 0) {
        const store::FieldDef &def = layout().fields[size_t(page.indexField)];
        if (page.positioned) {
            const Value v = page.keyValues.empty() ? Value() : page.keyValues.front();
            params.push_back(def.type == store::FieldType::Text
                                 ? Param{store::keySortBytes(v.toString()), true}
                             : def.isText() ? Param{v.toString().toUtf8(), true}
                                            : numberParam(v.toLongLong()));
            params.push_back(numberParam(page.id));
            conditions << QStringLiteral("(o._ok, o._oid) %1 ($1, $2)").arg(op);
        }
        QStringList cols;
        for (size_t i = 0; i < layout().fields.size(); ++i)
            cols << QStringLiteral("t.") + columnName(int(i));
        sql = QStringLiteral("SELECT t._id, t._ver, %1, o._ov FROM %2 o JOIN %3 t ON t._id = "
                             "o._oid %5 ORDER BY o._ok%4, o._oid%4 LIMIT $%6")
                  .arg(cols.join(u','), indexTable(page.indexName), tableName(), dir);
    } else {
        const bool unique = page.key >= 0 && layout().keys[size_t(page.key)].unique;
        QStringList keyCols;
        if (page.key >= 0)
            for (int f : layout().keys[size_t(page.key)].fields)
                keyCols << (hasSortColumn(f) ? sortColumnName(f) : columnName(f));
        if (page.positioned) {
            QStringList marks;
            if (page.key >= 0) {
                const auto &fields = layout().keys[size_t(page.key)].fields;
                for (size_t i = 0; i < fields.size(); ++i) {
                    const int f = fields[i];
                    const Value v = i < page.keyValues.size() ? page.keyValues[i] : Value();
                    params.push_back(hasSortColumn(f)
                                         ? Param{store::keySortBytes(v.toString()), true}
                                         : (layout().fields[size_t(f)].isText()
                                                ? Param{v.toString().toUtf8(), false}
                                                : numberParam(v.toLongLong())));
                    marks << u'$' + QString::number(params.size());
                }
            }
            params.push_back(numberParam(page.id));
            const QString idMark = u'$' + QString::number(params.size());
            if (unique) {
                // The key's index holds no identity: position on the key, and let the identity
                // decide only among equal values (at most one record).
                const QString k = keyCols.join(u',');
                const QString m = marks.join(u',');
                conditions << QStringLiteral("(%1) %2= (%3)").arg(k, op, m)
                           << QStringLiteral("((%1) %2 (%3) OR _id %2 %4)").arg(k, op, m, idMark);
            } else {
                conditions << QStringLiteral("(%1) %2 (%3)")
                                  .arg((keyCols + QStringList{QStringLiteral("_id")}).join(u','),
                                       op, (marks + QStringList{idMark}).join(u','));
            }
        }
        const QString empty = emptyKeyCondition(page.key);
        if (!empty.isEmpty())
            conditions << empty;
        QStringList order;
        for (const QString &c : keyCols)
            order << c + dir;
        if (!unique)
            order << QStringLiteral("_id") + dir;
        sql = QStringLiteral("SELECT _id, _ver, %1 FROM %2 %3 ORDER BY %4 LIMIT $%5")
                  .arg(m_selectList, tableName(), QStringLiteral("%5"), order.join(u','),
                       QStringLiteral("%6"));
    }
    if (filter && !filter->sql().isEmpty()) {
        conditions << numbered(filter->sql(), int(params.size()) + 1);
        for (const expr::Value &v : filter->paramValues())
            params.push_back(filterParam(v));
    }
    params.push_back(numberParam(page.limit));
    sql = sql.arg(conditions.isEmpty()
                      ? QString()
                      : QStringLiteral("WHERE ") + conditions.join(QStringLiteral(" AND ")))
              .arg(params.size());
    Result r;
    if (const int code = m_catalog.read(sql, params, &r))
        return code;
    const int n = PQntuples(r.get());
    const bool indexed = page.indexField >= 0;
    const int indexCol = int(layout().fields.size()) + 2;
    for (int i = 0; i < n; ++i) {
        store::Cursor::Row row = rowAt(r, i);
        if (indexed) {
            const store::FieldDef &def = layout().fields[size_t(page.indexField)];
            const char *v = PQgetvalue(r.get(), i, indexCol);
            row.indexValue = def.isText()
                                 ? Value(QString::fromUtf8(v, PQgetlength(r.get(), i, indexCol)))
                                 : Value(QByteArray(v).toLongLong());
        }
        rows.push_back(std::move(row));
    }
    return 0;
}

int File::fetchRows(const store::WalkPage &page, std::vector<store::Cursor::Row> &rows)
{
    if (!m_open) {
        store::setError(store::NotOpenErr, name());
        return store::NotOpenErr;
    }
    const auto *filter = static_cast<const ServerFilter *>(page.filter);
    if (!filter || filter->exact()) {
        const int code = fetchBlock(page, rows);
        if (code == 0)
            store::clearError();
        return code;
    }
    // The program tests what the server could not: read on, block by block, until the page is
    // full or the order ends. The next walk goes on after the last row kept.
    const QHash<QString, expr::Value> bound = filter->boundValues();
    store::WalkPage at = page;
    // A first block a little larger than the page (most filters keep most rows), growing while
    // the filter leaves rows out.
    at.limit = page.limit + page.limit / 2 + 8;
    int kept = 0;
    for (;; at.limit = std::min(at.limit * 2, 2000)) {
        std::vector<store::Cursor::Row> block;
        if (const int code = fetchBlock(at, block))
            return code;
        // Where the next block starts, taken before the rows kept are moved out.
        const bool more = int(block.size()) == at.limit;
        if (more) {
            const store::Cursor::Row &last = block.back();
            at.positioned = true;
            at.id = last.id;
            at.keyValues.clear();
            if (at.indexField >= 0)
                at.keyValues.push_back(last.indexValue);
            else if (at.key >= 0)
                for (int f : layout().keys[size_t(at.key)].fields)
                    at.keyValues.push_back(last.values[size_t(f)]);
        }
        for (store::Cursor::Row &row : block) {
            if (!filter->selects(row, bound))
                continue;
            rows.push_back(std::move(row));
            if (++kept == page.limit) {
                store::clearError();
                return 0;
            }
        }
        if (!more)
            break;
    }
    store::clearError();
    return 0;
}

std::shared_ptr<store::WalkFilter>
File::makeFilter(const expr::Node &root, const store::FilterResolver &resolver, QString &error)
{
    return ServerFilter::make(
        root, resolver, layout(), [this](int field) { return columnName(field); }, error);
}

// --- column indexes -----------------------------------------------------------------------

int File::buildColumnIndex(int field, const QString &name)
{
    const store::FieldDef &def = layout().fields[size_t(field)];
    const QString table = indexTable(name);
    const bool text = def.isText();
    int code = m_catalog.execText(
        QStringLiteral("DROP TABLE IF EXISTS %1; CREATE TEMP TABLE %1("
                       "_ok %2 NOT NULL, _oid bigint NOT NULL, _ov %3 "
                       "NOT NULL, PRIMARY KEY(_ok, _oid))")
            .arg(table, text ? QStringLiteral("bytea") : QStringLiteral("bigint"),
                 text ? QStringLiteral("text") : QStringLiteral("bigint")));
    if (code != 0)
        return code;
    const QString col = columnName(field);
    if (!text || def.type == store::FieldType::Memo || hasSortColumn(field)) {
        // The server has the order already: numbers, a memo's bytes (as the SQLite engine's
        // plain text order) or the sort key a key keeps.
        const QString key = !text ? col
                            : hasSortColumn(field)
                                ? sortColumnName(field)
                                : QStringLiteral("convert_to(%1, 'UTF8')").arg(col);
        return m_catalog.execText(QStringLiteral("INSERT INTO %1(_ok, _oid, _ov) SELECT %2, _id, "
                                                 "%3 FROM %4")
                                      .arg(table, key, col, tableName()));
    }
    // A text no key orders: its sort keys come from the program, in slices by identity.
    constexpr int slice = 500;
    const QString select =
        QStringLiteral("SELECT _id, %1 FROM %2 WHERE _id > $1 ORDER BY _id LIMIT %3")
            .arg(col, tableName())
            .arg(slice);
    qint64 after = 0;
    for (;;) {
        Result r;
        if ((code = m_catalog.read(select, {numberParam(after)}, &r)) != 0)
            return code;
        const int n = PQntuples(r.get());
        if (n == 0)
            return 0;
        Params params;
        QStringList rowsSql;
        for (int i = 0; i < n; ++i) {
            const char *v = PQgetvalue(r.get(), i, 1);
            const int len = PQgetlength(r.get(), i, 1);
            after = QByteArray(PQgetvalue(r.get(), i, 0)).toLongLong();
            params.push_back({store::keySortBytes(v, len), true});
            params.push_back(numberParam(after));
            params.push_back({QByteArray(v, len), false});
            const int at = int(params.size()) - 2;
            rowsSql << QStringLiteral("($%1::bytea, $%2::bigint, $%3::text)")
                           .arg(at)
                           .arg(at + 1)
                           .arg(at + 2);
        }
        if ((code = m_catalog.exec(QStringLiteral("INSERT INTO %1(_ok, _oid, _ov) VALUES %2")
                                       .arg(table, rowsSql.join(u',')),
                                   params)) != 0)
            return code;
        if (n < slice)
            return 0;
    }
}

void File::dropColumnIndex(const QString &name)
{
    if (m_catalog.isOpen())
        m_catalog.execText(QStringLiteral("DROP TABLE IF EXISTS %1").arg(indexTable(name)));
}

std::optional<Value> File::columnIndexValue(const QString &name, int field, qint64 id)
{
    Result r;
    if (m_catalog.read(QStringLiteral("SELECT _ov FROM %1 WHERE _oid = $1").arg(indexTable(name)),
                       {numberParam(id)}, &r) != 0 ||
        PQntuples(r.get()) == 0)
        return std::nullopt;
    const char *v = PQgetvalue(r.get(), 0, 0);
    if (layout().fields[size_t(field)].isText())
        return Value(QString::fromUtf8(v, PQgetlength(r.get(), 0, 0)));
    return Value(QByteArray(v).toLongLong());
}

qint64 File::dataVersion()
{
    // The server's count of rows written to the table (by every station) and the kept count.
    Result r;
    if (m_catalog.read(QStringLiteral("SELECT COALESCE((SELECT n_tup_ins + n_tup_upd + n_tup_del "
                                      "FROM pg_stat_all_tables WHERE relid = $1::regclass), 0)"),
                       {{tableName().toUtf8(), false}}, &r) != 0 ||
        PQntuples(r.get()) == 0)
        return -1;
    return QByteArray(PQgetvalue(r.get(), 0, 0)).toLongLong() * 1000003 + records();
}

} // namespace melodex::pgstore
