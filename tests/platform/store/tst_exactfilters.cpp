// Exact text comparisons in view filters select exactly what the evaluator selects, in every
// shape SQLite may rewrite, on every indexed text column, and page queries keep their index.
#include "filterprobe.h"

#include "data/records.h"
#include "platform/expr/compiler.h"
#include "platform/store/store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace melodex;
using namespace Qt::StringLiterals;

namespace {

// Text columns that some key indexes.
QStringList indexedTextColumns()
{
    const store::FileLayout &layout = SongloreRecord::fileLayout();
    QStringList names;
    for (const store::KeyDef &key : layout.keys) {
        for (int f : key.fields) {
            const store::FieldDef &def = layout.fields[size_t(f)];
            if (def.isText() && !names.contains(def.name))
                names << def.name;
        }
    }
    return names;
}

// Shapes that SQLite turns into IN lookups, ranges or transitive constraints; %1 is the column.
const QStringList &shapes()
{
    static const QStringList list = {
        u"MUS:%1='' OR MUS:%1='ABBA'"_s,
        u"MUS:%1='ABBA' OR MUS:%1='abba' OR MUS:%1='É'"_s,
        u"''=MUS:%1 OR 'ABBA'=MUS:%1"_s,
        u"MUS:%1>='ABBA' AND MUS:%1<='ABBA'"_s,
        u"MUS:%1>='Abba' AND MUS:%1<'abba'"_s,
        u"NOT (MUS:%1<>'ABBA' AND MUS:%1<>'ärzte')"_s,
        u"(MUS:%1='ABBA' OR MUS:%1='Ärzte') AND MUS:ChartNumber>=0"_s,
        u"MUS:%1=MUS:Artist OR MUS:%1=MUS:Title"_s,
        u"MUS:Artist=MUS:%1 AND MUS:%1='abba'"_s,
        u"MUS:%1=BRW1::Sort3:Reset:MED:Media OR MUS:%1='CD'"_s,
    };
    return list;
}

TEST(ExactFilters, EveryShapeOnEveryIndexedTextColumnMatchesTheEvaluator)
{
    fuzz::FilterProbe probe;
    ASSERT_TRUE(probe.isReady()) << probe.setupError().toStdString();
    const int keys = int(SongloreRecord::fileLayout().keys.size());
    for (const QString &column : indexedTextColumns()) {
        for (const QString &shape : shapes()) {
            const QString filter = shape.arg(column);
            for (int key = -1; key < keys; ++key) {
                const QString problem = probe.check(filter, key);
                EXPECT_TRUE(problem.isEmpty())
                    << filter.toStdString() << " by key " << key << ": " << problem.toStdString();
            }
        }
    }
}

// The plan of a page query as the cursor writes it, over `key` with `filter`.
QString pagePlan(int key, const QString &filter)
{
    const store::FileLayout &layout = SongloreRecord::fileLayout();
    QStringList cols;
    for (int f : layout.keys[size_t(key)].fields)
        cols << Songlore.columnName(f);
    cols << u"_id"_s;
    const expr::CompiledFilter compiled =
        expr::compile(filter, [&layout](const QString &upper) -> std::optional<expr::Binding> {
            const int f = layout.fieldIndex(upper);
            if (f < 0)
                return std::nullopt;
            return expr::Column{Songlore.columnName(f), expr::ValueType::Text, 0};
        });
    EXPECT_TRUE(compiled.ok()) << filter.toStdString();
    QString marks = u"?"_s.repeated(cols.size());
    for (qsizetype i = marks.size() - 1; i > 0; --i)
        marks.insert(i, u',');
    // A key that leaves out empty values is a partial index, used when the query repeats its
    // condition, as the cursor does.
    const QString empty = Songlore.emptyKeyCondition(key);
    const QByteArray sql = u"EXPLAIN QUERY PLAN SELECT _id FROM %1 WHERE (%2) > (%3) AND (%4) "
                           u"AND (%5) ORDER BY %2 LIMIT ?"_s
                               .arg(Songlore.tableName(), cols.join(u','), marks, compiled.sql,
                                    empty.isEmpty() ? u"1"_s : empty)
                               .toUtf8();
    sqlite3 *db = store::Store::instance().db();
    sqlite3_stmt *stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db) << " in " << sql.constData();
    QString plan;
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW)
        plan +=
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 3))) + u'\n';
    sqlite3_finalize(stmt);
    return plan;
}

TEST(ExactFilters, PageQueriesStillWalkTheirKeyIndex)
{
    fuzz::FilterProbe probe;
    ASSERT_TRUE(probe.isReady());
    const store::FileLayout &layout = SongloreRecord::fileLayout();
    for (int key = 0; key < int(layout.keys.size()); ++key) {
        const store::FieldDef &first = layout.fields[size_t(layout.keys[size_t(key)].fields[0])];
        if (!first.isText())
            continue;
        for (const QString &filter :
             {u"MUS:%1='' OR MUS:%1='ABBA'"_s, u"UPPER(MUS:%1)=UPPER('abba')"_s}) {
            const QString plan = pagePlan(key, filter.arg(first.name));
            const std::string where = layout.keys[size_t(key)].name.toStdString() + " with " +
                                      filter.arg(first.name).toStdString() + ":\n" +
                                      plan.toStdString();
            EXPECT_TRUE(plan.contains(u"INDEX "_s + layout.keys[size_t(key)].name)) << where;
            EXPECT_FALSE(plan.contains(u"TEMP B-TREE"_s)) << where;
        }
    }
}

} // namespace
