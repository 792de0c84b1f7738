// Tests of filters compiled to SQLite: results, exact text semantics, hostile text, bound values.
#include "songtable.h"

#include "platform/expr/parser.h"

#include <QRegularExpression>

#include <stdexcept>

#include <gtest/gtest.h>

using namespace melodex::expr;
using namespace melodex::expr::test;
using namespace Qt::StringLiterals;

namespace {

const QString kHostileArtist = u"'); DROP TABLE rec; --"_s;

class CompiledFilters : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const Song songs[] = {
            {1, u"ABBA"_s, u"Waterloo"_s, u"CD"_s, 1, 1050, dayNumber(QDate(1974, 4, 6)), 4.5},
            {2, u"abba"_s, u"Dancing Queen"_s, u"cd"_s, 12, 999, dayNumber(QDate(1976, 8, 16)), 3},
            {3, u"Ärzte"_s, u"Männer"_s, u"LP"_s, 0, 0, 0, 0},
            {4, u"ärzte"_s, u"Love Songs"_s, u"Cassette (DBX)"_s, 45, 2000,
             dayNumber(QDate(1990, 1, 1)), 1.25},
            {5, u"O'Brien"_s, u"I LOVE you"_s, u"7\" Single"_s, 40, 150,
             dayNumber(QDate(2001, 9, 11)), -2.5},
            {6, u"Strauß"_s, u"Walzer"_s, u"CD"_s, 3, 10050, dayNumber(QDate(1850, 5, 5)), 10},
            {7, kHostileArtist, u"hostile"_s, u"Cd"_s, 41, 1, dayNumber(QDate(2020, 2, 29)), 0.5},
            {8, QString(), u"Lové"_s, QString(), 100, -500, dayNumber(QDate(2023, 12, 31)), 7.75},
        };
        for (const Song &song : songs)
            table.insert(song);
    }

    CompiledFilter compiled(const QString &text)
    {
        CompiledFilter filter = compile(text, table.resolver());
        EXPECT_TRUE(filter.ok()) << text.toStdString() << ": "
                                 << filter.error.describe().toStdString();
        return filter;
    }

    std::vector<qint64> run(const QString &text)
    {
        const CompiledFilter filter = compiled(text);
        if (!filter.ok())
            return {};
        EXPECT_EQ(qsizetype(filter.params.size()), filter.sql.count(u'?')) << text.toStdString();
        return table.select(filter).value_or(std::vector<qint64>{-1});
    }

    SongTable table;
};

struct SelectCase
{
    const char *filter;
    std::vector<qint64> ids;
};

const SelectCase kSelectCases[] = {
    {"UPPER(MUS:Media) = UPPER(BRW1::Sort3:Reset:MED:Media)", {1, 2, 6, 7}},
    {"MUS:Media = BRW1::Sort3:Reset:MED:Media", {1, 6}},
    {"MUS:Artist = 'abba'", {2}},
    {"MUS:Artist = 'ABBA   '", {1}},
    {"MUS:Artist <> 'ABBA'", {2, 3, 4, 5, 6, 7, 8}},
    {"MUS:Artist < 'B'", {1, 7, 8}},
    {"MUS:Title > 'W'", {1, 6, 7}},
    {"UPPER(MUS:Artist) = 'ÄRZTE'", {3, 4}},
    {"LOWER(MUS:Artist) = 'ärzte'", {3, 4}},
    {"UPPER(MUS:Artist) = 'STRAUSS'", {6}},
    {"INSTRING(UPPER('love'),UPPER(MUS:Title),1,1)", {4, 5}},
    {"INSTRING('LOVE', MUS:Title, 1, 1)", {5}},
    {"INSTRING('o', MUS:Title, 2, 2) = 8", {1}},
    {"(MUS:ChartNumber >= 1 AND MUS:ChartNumber <= 40) OR NOT MUS:Artist = 'ABBA'",
     {1, 2, 3, 4, 5, 6, 7, 8}},
    {"(MUS:ChartNumber >= 1 AND MUS:ChartNumber <= 40) AND NOT MUS:Artist = 'ABBA'", {2, 5, 6}},
    {"MUS:ChartNumber = ThreadInstance", {2}},
    {"MUS:Price > 10.5", {4, 6}},
    {"MUS:Price = 10.50", {1}},
    {"MUS:Price = 10.5", {1}},
    {"MUS:Price * 2 = 21", {1}},
    {"MUS:Price * 0.5 = 5.25", {1}},
    {"INT(MUS:Price) = 10", {1}},
    {"LEFT(MUS:Title, 2.9) = 'Wa'", {1, 6}},
    {"MUS:Price + 0.005 > 10.5", {1, 4, 6}},
    {"MUS:Price < 0", {8}},
    {"MUS:Price >= Report:Budget", {4, 6}},
    {"MUS:Price / 0 = 0", {1, 2, 3, 4, 5, 6, 7, 8}},
    {"MUS:ChartNumber / 8 = 1.5", {2}},
    {"SUB(MUS:Title, 1, 4) = 'Love'", {4}},
    {"SUB(MUS:Title, -3, 3) = 'you'", {5}},
    {"LEFT(MUS:Artist, 1) = 'A'", {1}},
    {"RIGHT(MUS:Title, 3) = 'you'", {5}},
    {"LEN(MUS:Artist) = 0", {8}},
    {"LEN(MUS:Title) = 4", {8}},
    {"MUS:Artist", {1, 2, 3, 4, 5, 6, 7}},
    {"NOT MUS:Artist", {8}},
    {"MUS:ChartNumber", {1, 2, 4, 5, 6, 7, 8}},
    {"YEAR(MUS:Released) = 1974", {1}},
    {"MONTH(MUS:Released) = 2 AND DAY(MUS:Released) = 29", {7}},
    {"YEAR(MUS:Released) = 0", {3}},
    {"MUS:Released >= DATE(1, 1, 2000)", {5, 7, 8}},
    {"MUS:Rate > 4", {1, 6, 8}},
    {"ABS(MUS:Rate) = 2.5", {5}},
    {"INT(MUS:Rate) = 1", {4}},
    {"-MUS:ChartNumber < -40", {4, 7, 8}},
    {"MUS:Artist & '-' & MUS:Title = 'ABBA-Waterloo'", {1}},
    {"CLIP(MUS:Media) & 'x' = 'CDx'", {1, 6}},
    {"MUS:ChartNumber & '' = '12'", {2}},
    {"MUS:Price & '' = '-5.00'", {8}},
    {"MUS:ChartNumber = '12'", {2}},
    {"VAL('12abc') = MUS:ChartNumber", {2}},
    {"NUMERIC(MUS:Title)", {}},
    {"NUMERIC(MUS:ChartNumber & '') AND MUS:ChartNumber > 40", {4, 7, 8}},
    {"MUS:Title = \"I LOVE you\"", {5}},
    {"MUS:Artist = 'O''Brien'", {5}},
    {"MUS:Media = '7\" Single'", {5}},
    {"MUS:Artist = '''); DROP TABLE rec; --'", {7}},
    {"mus:artist = 'abba' or MUS:ARTIST = 'ABBA'", {1, 2}},
    {"~(MUS:ChartNumber ~= 12)", {2}},
    {"(MUS:ChartNumber = 1) = (MUS:Artist = 'ABBA')", {1, 2, 3, 4, 5, 6, 7, 8}},
    {"(MUS:ChartNumber > 10) + (MUS:Price > 10) = 2", {4}},
};

TEST_F(CompiledFilters, SelectTheExpectedSongs)
{
    table.instance = 12;
    table.budget = 1500; // 15.00
    for (const SelectCase &c : kSelectCases) {
        const QString text = QString::fromUtf8(c.filter);
        if (text.startsWith(u"UPPER(MUS:Media)"))
            table.media = u"cd   "_s;
        else
            table.media = u"CD    "_s;
        EXPECT_EQ(run(text), c.ids) << c.filter;
    }
}

TEST_F(CompiledFilters, BlankFilterSelectsEverything)
{
    for (const QString &text : {QString(), u"  \n\t"_s}) {
        const CompiledFilter filter = compile(text, table.resolver());
        ASSERT_TRUE(filter.ok());
        EXPECT_TRUE(filter.matchesAll);
        EXPECT_TRUE(filter.params.empty());
        EXPECT_EQ(table.select(filter)->size(), 8u);
    }
}

TEST_F(CompiledFilters, ErrorsNameTheCulpritAndProduceNoSql)
{
    const struct
    {
        const char *filter;
        const char *message;
        qsizetype position;
    } cases[] = {
        {"MUS:Artist = 'x' AND MUS:Nothing = 1", "Unknown name MUS:Nothing", 21},
        {"UPPER(Mus:Typo)", "Unknown name Mus:Typo", 6},
        {"BOGUS(MUS:Artist)", "Unknown function BOGUS", 0},
        {"MUS:Artist = 'x", "no closing", 13},
    };
    for (const auto &c : cases) {
        const CompiledFilter filter = compile(QString::fromUtf8(c.filter), table.resolver());
        EXPECT_FALSE(filter.ok()) << c.filter;
        EXPECT_TRUE(filter.sql.isEmpty()) << c.filter;
        EXPECT_TRUE(filter.params.empty()) << c.filter;
        EXPECT_TRUE(filter.error.message.contains(QString::fromUtf8(c.message)))
            << c.filter << ": " << filter.error.message.toStdString();
        EXPECT_EQ(filter.error.position, c.position) << c.filter;
    }
    EXPECT_FALSE(compile(u"x = 1"_s, Resolver()).ok());
}

TEST_F(CompiledFilters, UnusableTypesAreRefused)
{
    const Resolver resolver = [](const QString &name) -> std::optional<Binding> {
        if (name == u"A")
            return Column{u"x"_s, ValueType::Unknown};
        if (name == u"B")
            return Column{u"x"_s, ValueType::Decimal, 40};
        if (name == u"C")
            return Bound{{}, ValueType::Decimal, -1};
        return std::nullopt;
    };
    for (const QString &text : {u"A = 1"_s, u"B = 1"_s, u"C = 1"_s})
        EXPECT_FALSE(compile(text, resolver).ok()) << text.toStdString();
}

TEST_F(CompiledFilters, ResolverIsAskedOnceForEachNameInUpperCase)
{
    QStringList asked;
    const Resolver base = table.resolver();
    const Resolver counting = [&](const QString &name) {
        asked << name;
        return base(name);
    };
    ASSERT_TRUE(
        compile(u"mus:Artist = 'a' OR MUS:ARTIST = 'b' OR Mus:Title = 'c'"_s, counting).ok());
    EXPECT_EQ(asked, QStringList({u"MUS:ARTIST"_s, u"MUS:TITLE"_s}));
}

// Hostile texts, in literals and in bound values, must reach SQLite only as parameter values.
const QString kHostile[] = {
    kHostileArtist,
    u"' OR '1'='1"_s,
    u"x' OR 1=1 --"_s,
    u"/* comment"_s,
    u"*/"_s,
    u"--"_s,
    u";"_s,
    u"?"_s,
    u"?1"_s,
    u":name"_s,
    u"@name"_s,
    u"$name"_s,
    u"\""_s,
    u"\\"_s,
    u"' || (SELECT sqlite_version()) || '"_s,
    u"\nDROP TABLE rec"_s,
    u"`x`"_s,
    u"[x]"_s,
    u"a"_s + QChar(u'\0') + u"'; DELETE FROM rec; --"_s,
    QString(QChar(u'\0')),
    u"\x1a\x7f"_s,
};

QString quoted(const QString &text, QChar quote)
{
    QString doubled = text;
    doubled.replace(quote, QString(2, quote));
    return quote + doubled + quote;
}

// The SQL with the store's column references taken out may only hold our own keywords,
// function names, operators and the empty text ''.
void expectOnlyOurSql(QString sql)
{
    sql.remove(QRegularExpression(u"\"Songlore\"\\.rec\\.\"[A-Za-z]+\""_s));
    sql.remove(u"''"_s);
    static const QRegularExpression allowed(u"^[A-Za-z0-9_ (),?<>=|*/+.-]*$"_s);
    EXPECT_TRUE(allowed.match(sql).hasMatch()) << sql.toStdString();
}

TEST_F(CompiledFilters, HostileLiteralsNeverReachTheSqlText)
{
    const QString shape = u"UPPER(MUS:Artist) = UPPER(%1) OR INSTRING(%1, MUS:Title, 1, 1)"
                          u" OR MUS:Artist & %1 = %1"_s;
    const CompiledFilter harmless = compiled(shape.arg(u"'x'"_s));
    for (const QString &hostile : kHostile) {
        for (const QChar quote : {QChar(u'\''), QChar(u'"')}) {
            const CompiledFilter filter = compiled(shape.arg(quoted(hostile, quote)));
            ASSERT_TRUE(filter.ok());
            EXPECT_EQ(filter.sql, harmless.sql);
            expectOnlyOurSql(filter.sql);
            ASSERT_EQ(filter.params.size(), harmless.params.size());
            int texts = 0;
            for (const Param &p : filter.params) {
                if (p.constant.kind == Value::Kind::Text) {
                    EXPECT_EQ(p.constant.text, hostile);
                    ++texts;
                }
            }
            EXPECT_EQ(texts, 4);
            EXPECT_TRUE(table.select(filter).has_value());
        }
    }
    EXPECT_EQ(table.count(), 8);
    EXPECT_EQ(run(u"MUS:Artist = "_s + quoted(kHostileArtist, u'\'')), std::vector<qint64>{7});
}

TEST_F(CompiledFilters, HostileBoundValuesAreOnlyParameters)
{
    const CompiledFilter filter = compiled(u"MUS:Artist = BRW1::Sort3:Reset:MED:Media"_s);
    expectOnlyOurSql(filter.sql);
    for (const QString &hostile : kHostile) {
        table.media = hostile;
        const auto ids = table.select(filter);
        ASSERT_TRUE(ids.has_value());
        EXPECT_EQ(*ids, hostile == kHostileArtist ? std::vector<qint64>{7} : std::vector<qint64>{});
    }
    EXPECT_EQ(table.count(), 8);
}

TEST_F(CompiledFilters, TextsWithNulCharactersMatchWholly)
{
    const QString withNul = u"nul"_s + QChar(u'\0') + u"inside"_s;
    table.insert({9, withNul, u"t"_s, u"m"_s, 0, 0, 0, 0});
    EXPECT_EQ(run(u"MUS:Artist = "_s + quoted(withNul, u'\'')), std::vector<qint64>{9});
    EXPECT_EQ(run(u"MUS:Artist = 'nul'"_s), std::vector<qint64>{});
    EXPECT_EQ(run(u"LEN(MUS:Artist) = 10"_s), std::vector<qint64>{9});
    EXPECT_EQ(run(u"INSTRING('inside', MUS:Artist, 1, 1) = 5"_s), std::vector<qint64>{9});
}

TEST_F(CompiledFilters, BoundValuesAreReadAgainAtEachBind)
{
    int reads = 0;
    QVariant current = u"CD"_s;
    const Resolver resolver = [&](const QString &name) -> std::optional<Binding> {
        if (name == u"RANGE")
            return Bound{[&] {
                             ++reads;
                             return current;
                         },
                         ValueType::Text};
        return table.resolver()(name);
    };
    const CompiledFilter filter = compile(u"MUS:Media = Range"_s, resolver);
    ASSERT_TRUE(filter.ok());
    ASSERT_EQ(filter.params.size(), 1u);
    EXPECT_TRUE(filter.params[0].isBound());

    const QByteArray sql =
        (u"SELECT ID FROM \"Songlore\".rec WHERE "_s + filter.sql + u" ORDER BY ID"_s).toUtf8();
    sqlite3_stmt *stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(table.db(), sql.constData(), -1, &stmt, nullptr), SQLITE_OK);
    const int readsBefore = reads;
    EXPECT_EQ(table.rows(stmt, filter), std::vector<qint64>({1, 6}));
    current = u"cd  "_s;
    EXPECT_EQ(table.rows(stmt, filter), std::vector<qint64>({2}));
    current = QVariant();
    EXPECT_EQ(table.rows(stmt, filter), std::vector<qint64>({8}));
    sqlite3_finalize(stmt);
    EXPECT_EQ(reads - readsBefore, 3);
}

TEST_F(CompiledFilters, RangeAndSearchAreCompiledApart)
{
    table.media = u"cd"_s;
    const QString range = u"UPPER(MUS:Media) = UPPER(BRW1::Sort3:Reset:MED:Media)"_s;
    const QString escape = u"1) OR (1"_s;
    // Joined as texts, an unbalanced search undoes the range.
    EXPECT_EQ(run(u'(' + range + u") AND ("_s + escape + u')'), run(u"1"_s));

    const CompiledFilter refused = compileAll({range, escape}, table.resolver());
    EXPECT_FALSE(refused.ok());
    EXPECT_EQ(refused.errorPart, 1);
    EXPECT_EQ(refused.error.position, 1);

    const CompiledFilter both =
        compileAll({range, u"INSTRING('a', MUS:Title, 1, 1)"_s}, table.resolver());
    ASSERT_TRUE(both.ok());
    EXPECT_EQ(table.select(both), std::vector<qint64>({1, 2, 6}));
    const CompiledFilter rangeOnly = compileAll({range, u"  "_s}, table.resolver());
    EXPECT_EQ(table.select(rangeOnly), std::vector<qint64>({1, 2, 6, 7}));
    EXPECT_TRUE(compileAll({QString(), u" "_s}, table.resolver()).matchesAll);
}

TEST_F(CompiledFilters, FailingLookupsBecomeErrors)
{
    const Resolver throwing = [](const QString &) -> std::optional<Binding> {
        throw std::runtime_error("lookup failed");
    };
    EXPECT_FALSE(compile(u"MUS:Artist = 'x'"_s, throwing).ok());

    const Resolver failingValue = [](const QString &) -> std::optional<Binding> {
        return Bound{[]() -> QVariant { throw std::runtime_error("buffer gone"); },
                     ValueType::Text};
    };
    const CompiledFilter filter = compile(u"X = 'x'"_s, failingValue);
    ASSERT_TRUE(filter.ok());
    sqlite3_stmt *stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(table.db(), "SELECT ?", -1, &stmt, nullptr), SQLITE_OK);
    EXPECT_EQ(bind(stmt, 1, filter.params), SQLITE_ERROR);
    sqlite3_finalize(stmt);
}

TEST_F(CompiledFilters, NullBoundValuesBindAsEmptyOrZero)
{
    table.media = QVariant();
    table.instance = QVariant();
    EXPECT_EQ(run(u"MUS:Media = BRW1::Sort3:Reset:MED:Media"_s), std::vector<qint64>{8});
    EXPECT_EQ(run(u"MUS:ChartNumber = ThreadInstance"_s), std::vector<qint64>{3});
}

TEST_F(CompiledFilters, BoundValuesOfUnknownTypeTakeTheTypeOfTheirValue)
{
    QVariant current = 12;
    const Resolver resolver = [&](const QString &name) -> std::optional<Binding> {
        if (name == u"ANY")
            return Bound{[&] { return current; }, ValueType::Unknown};
        return table.resolver()(name);
    };
    const CompiledFilter numeric = compile(u"MUS:ChartNumber = Any"_s, resolver);
    ASSERT_TRUE(numeric.ok());
    EXPECT_EQ(table.select(numeric), std::vector<qint64>{2});
    current = u"Walzer"_s;
    const CompiledFilter text = compile(u"MUS:Title = Any"_s, resolver);
    ASSERT_TRUE(text.ok());
    EXPECT_EQ(table.select(text), std::vector<qint64>{6});
}

TEST_F(CompiledFilters, ParametersBindAfterTheStoresOwn)
{
    const CompiledFilter filter = compiled(u"MUS:Artist = 'abba' OR MUS:ChartNumber = 3"_s);
    const QByteArray sql =
        (u"SELECT ID FROM \"Songlore\".rec WHERE ID > ? AND "_s + filter.sql).toUtf8();
    sqlite3_stmt *stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(table.db(), sql.constData(), -1, &stmt, nullptr), SQLITE_OK);
    sqlite3_bind_int64(stmt, 1, 2);
    ASSERT_EQ(bind(stmt, 2, filter.params), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int64(stmt, 0), 6);
    EXPECT_EQ(sqlite3_step(stmt), SQLITE_DONE);
    // Binding past the statement's parameters is reported, not ignored.
    sqlite3_reset(stmt);
    EXPECT_EQ(bind(stmt, 3, filter.params), SQLITE_RANGE);
    sqlite3_finalize(stmt);
}

TEST_F(CompiledFilters, TodayIsReadWhenBound)
{
    const CompiledFilter filter = compiled(u"MUS:Released < TODAY()"_s);
    ASSERT_EQ(filter.params.size(), 1u);
    EXPECT_TRUE(filter.params[0].isBound());
    EXPECT_EQ(filter.params[0].current().scaled, today());
    EXPECT_EQ(table.select(filter), std::vector<qint64>({1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(CompiledFilters, FunctionsWorkWithAnUntrustedSchema)
{
    table.exec("PRAGMA trusted_schema=OFF");
    table.exec("CREATE VIEW \"Songlore\".loud AS SELECT mdx_upper(Artist) AS a,"
               " mdx_instring('a', Title, 1, 1) AS i FROM rec WHERE Artist = 'abba'"
               " COLLATE MDXEXACT");
    table.exec("CREATE INDEX \"Songlore\".byUpper ON rec(mdx_upper(Artist))");
    sqlite3_stmt *stmt = nullptr;
    ASSERT_EQ(
        sqlite3_prepare_v2(table.db(), "SELECT a, i FROM \"Songlore\".loud", -1, &stmt, nullptr),
        SQLITE_OK)
        << sqlite3_errmsg(table.db());
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)), "ABBA");
    EXPECT_EQ(sqlite3_column_int64(stmt, 1), 2);
    sqlite3_finalize(stmt);
}

TEST_F(CompiledFilters, SqlFunctionsSurviveArgumentsOfAnyType)
{
    sqlite3_stmt *stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(table.db(),
                                 "SELECT mdx_upper(NULL), mdx_sub(x'00ff', 'a', NULL),"
                                 " mdx_instring(1.5, NULL, 'x', -9223372036854775808),"
                                 " mdx_abs(-9223372036854775807 - 1), mdx_text('a', 99),"
                                 " mdx_num(x'31'), mdx_int(1e300), mdx_month('x'),"
                                 " mdx_date(NULL, 2, 3), mdx_isnum(NULL), mdx_len(x'c3'),"
                                 " mdx_plus(NULL, 'x'), mdx_times(9223372036854775807, -2),"
                                 " mdx_cmp(1.5, 99, x'00', -3), mdx_minus(0, 1e300)",
                                 -1, &stmt, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)), "");
    EXPECT_EQ(sqlite3_column_int64(stmt, 3), std::numeric_limits<qint64>::max());
    EXPECT_DOUBLE_EQ(sqlite3_column_double(stmt, 5), 1.0);
    EXPECT_EQ(sqlite3_column_int64(stmt, 6), std::numeric_limits<qint64>::max());
    EXPECT_EQ(sqlite3_column_int64(stmt, 9), 0);
    EXPECT_EQ(sqlite3_column_int64(stmt, 10), 1);
    EXPECT_EQ(sqlite3_column_int64(stmt, 11), 0);
    EXPECT_EQ(sqlite3_column_int64(stmt, 12), std::numeric_limits<qint64>::min());
    EXPECT_EQ(sqlite3_column_int64(stmt, 13), 1);
    EXPECT_EQ(sqlite3_column_int64(stmt, 14), -std::numeric_limits<qint64>::max());
    sqlite3_finalize(stmt);
}

QString repeat(const QString &piece, int times)
{
    QString result;
    for (int i = 0; i < times; ++i)
        result += piece;
    return result;
}

// Every filter the compiler accepts must also be accepted by SQLite inside a page query, however
// it nests; the compiler refuses the rest with its own message.
TEST_F(CompiledFilters, AcceptedNestingAlwaysPreparesInSqlite)
{
    struct Shape
    {
        const char *name;
        QString open;
        QString core;
        QString close;
        QString tail;
    };
    const Shape shapes[] = {
        {"parentheses", u"("_s, u"MUS:Artist = 'x'"_s, u")"_s, {}},
        {"not", u"NOT "_s, u"MUS:ChartNumber = 1"_s, {}, {}},
        {"not in parentheses", u"NOT ("_s, u"MUS:ChartNumber = 1"_s, u")"_s, {}},
        {"upper", u"UPPER("_s, u"MUS:Artist"_s, u")"_s, u" = 'X'"_s},
        {"sub", u"SUB("_s, u"MUS:Artist"_s, u", 1, 2)"_s, u" = 'x'"_s},
        {"sub start", u"SUB('abc', "_s, u"MUS:ChartNumber"_s, u", 2)"_s, u" = 'x'"_s},
        {"instring", u"INSTRING('a', "_s, u"MUS:Artist"_s, u", 1, 1)"_s, {}},
        {"right-nested sums", u"1 + ("_s, u"MUS:Price"_s, u")"_s, u" > 0"_s},
        {"left-nested sums", u"("_s, u"MUS:Price"_s, u" + 1)"_s, u" > 0"_s},
        {"divisions", u"1 / ("_s, u"MUS:Rate"_s, u")"_s, u" > 0"_s},
        {"concatenation", u"'a' & ("_s, u"MUS:Artist"_s, u")"_s, u" = 'x'"_s},
        {"minus", u"-("_s, u"MUS:Price"_s, u")"_s, u" > 0"_s},
        {"comparisons", u"(MUS:ChartNumber = "_s, u"1"_s, u")"_s, {}},
        {"and", u"MUS:ChartNumber = 1 AND ("_s, u"MUS:ChartNumber = 2"_s, u")"_s, {}},
        {"mixed", u"NOT (UPPER(SUB("_s, u"MUS:Artist"_s, u", 1, 1)) = 'A')"_s, {}},
        {"abs of decimals", u"ABS(1.5 * "_s, u"MUS:Price"_s, u")"_s, u" > 1"_s},
    };
    for (const Shape &s : shapes) {
        int deepestAccepted = 0;
        for (int depth = 1; depth <= kMaxNesting; ++depth) {
            const QString text = repeat(s.open, depth) + s.core + repeat(s.close, depth) + s.tail;
            const CompiledFilter filter = compile(text, table.resolver());
            if (!filter.ok()) {
                EXPECT_TRUE(filter.error.message.contains(u"nested"_s))
                    << s.name << " " << depth << ": " << filter.error.message.toStdString();
                continue;
            }
            deepestAccepted = depth;
            EXPECT_EQ(table.preparePage(filter.sql), QString()) << s.name << " at depth " << depth;
        }
        // Deeper than any filter a person or the query wizard writes.
        EXPECT_GE(deepestAccepted, 5) << s.name;
    }
}

TEST_F(CompiledFilters, LongConditionListsStayShallow)
{
    QStringList conditions;
    for (int i = 0; i < 600; ++i)
        conditions
            << u"(UPPER(MUS:Artist) = UPPER('a%1') AND INSTRING('x', MUS:Title, 1, 1))"_s.arg(i);
    conditions << u"MUS:ChartNumber = 12"_s;
    const CompiledFilter filter = compiled(conditions.join(u" OR "_s));
    ASSERT_TRUE(filter.ok());
    EXPECT_EQ(table.preparePage(filter.sql), QString());
    EXPECT_EQ(table.select(filter), std::vector<qint64>{2});

    QString concatenation = u"MUS:Artist"_s;
    for (int i = 0; i < 3000; ++i)
        concatenation += u" & 'x'"_s;
    EXPECT_EQ(run(concatenation + u" = 'ABBA"_s + repeat(u"x"_s, 3000) + u"'"_s),
              std::vector<qint64>{1});
}

TEST_F(CompiledFilters, ConstantsAreScaledAtCompileTime)
{
    // A literal compared with a money column becomes a parameter at the column's scale, so the
    // column stays bare and an index on it remains usable.
    const CompiledFilter filter = compiled(u"MUS:Price = 10.5"_s);
    EXPECT_EQ(filter.sql, u"(\"Songlore\".rec.\"Price\" = ?)"_s);
    ASSERT_EQ(filter.params.size(), 1u);
    EXPECT_EQ(filter.params[0].constant.scaled, 1050);
}

} // namespace
