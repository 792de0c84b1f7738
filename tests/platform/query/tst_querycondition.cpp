// The filter text that conditions and whole queries become: every operator for every kind of
// field, hostile text, dates and times, refused values, AND and OR, the length limit, and
// generated filters run against a song table.
#include "songtable.h"

#include "platform/expr/parser.h"
#include "platform/picture/calendar.h"
#include "platform/query/queryconditionlist.h"
#include "platform/query/querywizardtexts.h"

#include <gtest/gtest.h>

using namespace melodex;
using namespace melodex::query;
using namespace Qt::StringLiterals;

namespace {

using Op = QueryOperator;

QueryField field(const QString &bound, const QString &picture, FieldKind kind = FieldKind::Number)
{
    QueryField f;
    f.name = bound.mid(4);
    f.field = bound;
    f.picture = picture;
    f.kind = kind;
    f.size = kind == FieldKind::Text ? 40 : 4;
    return f;
}

const QueryField Artist = field(u"MUS:Artist"_s, u"@s40"_s, FieldKind::Text);
const QueryField Title = field(u"MUS:Title"_s, u"@s40"_s, FieldKind::Text);
const QueryField Media = field(u"MUS:Media"_s, u"@s20"_s, FieldKind::Text);
const QueryField Chart = field(u"MUS:ChartNumber"_s, u"@n3"_s);
const QueryField Price = field(u"MUS:Price"_s, u"@n-10.2"_s);
const QueryField Released = field(u"MUS:Released"_s, u"@d2"_s);
const QueryField Time = field(u"MUS:Time"_s, u"@t4"_s);

QueryCondition when(const QueryField &f, Op op, const QString &value, Joiner joiner = Joiner::And)
{
    QueryCondition c;
    c.joiner = joiner;
    c.field = f;
    c.op = op;
    c.value = value;
    return c;
}

ConditionContext dates(const QString &format)
{
    return ConditionContext{format, {}, {}};
}

FilterText generate(const QueryField &f, Op op, const QString &value,
                    const ConditionContext &context = dates(u"d6"_s))
{
    return when(f, op, value).expression(context);
}

class QueryConditionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        installQueryWizardTexts();
        list.setContext(dates(u"d6"_s));
    }
    QueryConditionList list;
};

TEST_F(QueryConditionTest, EveryOperatorOnEveryKindOfField)
{
    const qint64 newYearsEve = picture::dayNumber(QDate(1979, 12, 31));
    const qint64 threeFortyFive = picture::timeValue(0, 3, 45);
    const struct
    {
        const QueryField &field;
        Op op;
        QString value;
        QString expected;
    } cases[] = {
        {Artist, Op::IsEqualTo, u"abba"_s, u"UPPER(MUS:Artist) = UPPER('abba')"_s},
        {Artist, Op::IsNotEqualTo, u"abba"_s, u"UPPER(MUS:Artist) <> UPPER('abba')"_s},
        {Artist, Op::IsGreaterThan, u"m"_s, u"UPPER(MUS:Artist) > UPPER('m')"_s},
        {Artist, Op::IsLessThan, u"m"_s, u"UPPER(MUS:Artist) < UPPER('m')"_s},
        {Artist, Op::IsGreaterThanOrEqualTo, u"m"_s, u"UPPER(MUS:Artist) >= UPPER('m')"_s},
        {Artist, Op::IsLessThanOrEqualTo, u"m"_s, u"UPPER(MUS:Artist) <= UPPER('m')"_s},
        {Artist, Op::BeginsWith, u"ab"_s, u"INSTRING(UPPER('ab'),UPPER(MUS:Artist),1,1) = 1"_s},
        {Artist, Op::Contains, u"bb"_s, u"INSTRING(UPPER('bb'),UPPER(MUS:Artist),1,1) > 0"_s},
        {Chart, Op::IsEqualTo, u" 10 "_s, u"MUS:ChartNumber = 10"_s},
        {Chart, Op::IsNotEqualTo, u"10"_s, u"MUS:ChartNumber <> 10"_s},
        {Chart, Op::IsGreaterThan, u"10"_s, u"MUS:ChartNumber > 10"_s},
        {Chart, Op::IsLessThan, u"10"_s, u"MUS:ChartNumber < 10"_s},
        {Chart, Op::IsGreaterThanOrEqualTo, u"10"_s, u"MUS:ChartNumber >= 10"_s},
        {Chart, Op::IsLessThanOrEqualTo, u"10"_s, u"MUS:ChartNumber <= 10"_s},
        {Chart, Op::IsEqualTo, u""_s, u"MUS:ChartNumber = 0"_s},
        {Price, Op::IsLessThan, u"12.5"_s, u"MUS:Price < 12.50"_s},
        {Price, Op::IsGreaterThan, u"-1,000"_s, u"MUS:Price > -1000.00"_s},
        {Released, Op::IsEqualTo, u"31/12/1979"_s, u"MUS:Released = %1"_s.arg(newYearsEve)},
        {Released, Op::IsGreaterThan, u""_s, u"MUS:Released > 0"_s},
        {Time, Op::IsGreaterThanOrEqualTo, u"3:45"_s, u"MUS:Time >= %1"_s.arg(threeFortyFive)},
        {Time, Op::IsLessThanOrEqualTo, u"0:03:45"_s, u"MUS:Time <= %1"_s.arg(threeFortyFive)},
    };
    for (const auto &c : cases) {
        const FilterText result = generate(c.field, c.op, c.value);
        EXPECT_TRUE(result.ok()) << result.error.toStdString();
        EXPECT_EQ(result.text, c.expected) << c.expected.toStdString();
        EXPECT_TRUE(expr::parse(result.text).ok()) << result.text.toStdString();
    }
}

TEST_F(QueryConditionTest, DatesFollowTheUsersDatePicture)
{
    const qint64 day = picture::dayNumber(QDate(1979, 12, 31));
    EXPECT_EQ(generate(Released, Op::IsEqualTo, u"12/31/1979"_s, dates(u"d2"_s)).text,
              u"MUS:Released = %1"_s.arg(day));
    EXPECT_EQ(generate(Released, Op::IsEqualTo, u"1979/12/31"_s, dates(u"d10"_s)).text,
              u"MUS:Released = %1"_s.arg(day));
    // A year-only preference compares with the bare years that old release dates hold.
    EXPECT_EQ(generate(Released, Op::IsEqualTo, u"1985"_s, dates(u"n4"_s)).text,
              u"MUS:Released = 1985"_s);
}

// Whatever is typed stays inside its literal: the generated text selects exactly the records
// whose field holds the typed value.
TEST_F(QueryConditionTest, HostileTextStaysALiteral)
{
    const QStringList hostile = {
        u"'); DROP TABLE rec; --"_s, u"O'Brien"_s, u"'"_s,       u"''"_s,      u"' OR 1=1 OR '"_s,
        u"\" OR \"\" = \""_s,        u"%1%2 %3"_s, u"a\nb\tc"_s, u") OR (1"_s, u"\\'"_s,
        u"UPPER(MUS:Artist)"_s,
    };
    for (const QString &value : hostile) {
        for (QueryOperator op : {Op::IsEqualTo, Op::Contains}) {
            const FilterText result = generate(Artist, op, value);
            ASSERT_TRUE(result.ok()) << value.toStdString();
            const expr::ParseResult parsed = expr::parse(result.text);
            ASSERT_TRUE(parsed.ok()) << result.text.toStdString();
            const auto artistIs = [&](const QString &artist) {
                return expr::evaluate(*parsed.root,
                                      [&](const QString &name) {
                                          return name == u"MUS:ARTIST"
                                                     ? std::optional(expr::Value::fromText(artist))
                                                     : std::nullopt;
                                      })
                    .selects();
            };
            EXPECT_TRUE(artistIs(value)) << result.text.toStdString();
            EXPECT_FALSE(artistIs(u"Queen"_s)) << result.text.toStdString();
        }
    }
}

TEST_F(QueryConditionTest, ChoicesStandForWhatTheFieldStores)
{
    QueryField side = field(u"MUS:Side"_s, u"@s1"_s, FieldKind::Text);
    side.size = 1;
    side.input = InputStyle::ChoiceList;
    side.choices = QStringList{u" (N/A)"_s, u"A"_s};
    EXPECT_EQ(generate(side, Op::IsEqualTo, u" (N/A)"_s).text, u"UPPER(MUS:Side) = UPPER(' ')"_s);
    EXPECT_EQ(generate(side, Op::IsEqualTo, u"A"_s).text, u"UPPER(MUS:Side) = UPPER('A')"_s);
}

TEST_F(QueryConditionTest, RefusesValuesThatAreNotValuesOfTheField)
{
    const struct
    {
        const QueryField &field;
        Op op;
        QString value;
        QString inMessage;
    } cases[] = {
        {Chart, Op::IsEqualTo, u"ten"_s, u"\"ten\" is not a valid value for ChartNumber."_s},
        {Chart, Op::IsEqualTo, u"-1"_s, u"ChartNumber"_s}, // no sign in @n3
        {Chart, Op::IsEqualTo, u"5 OR 1=1"_s, u"ChartNumber"_s},
        {Released, Op::IsEqualTo, u"31/02/1979"_s, u"Type a date such as"_s},
        {Time, Op::IsEqualTo, u"3:75"_s, u"Type a time such as 00:03:45."_s},
        {Chart, Op::Contains, u"1"_s, u"\"Contains\" cannot be used with ChartNumber."_s},
        {Artist, Op::Contains, u""_s, u"Enter a value to complete your expression."_s},
        {Artist, Op::BeginsWith, u""_s, u"Enter a value to complete your expression."_s},
    };
    for (const auto &c : cases) {
        const FilterText result = generate(c.field, c.op, c.value);
        EXPECT_FALSE(result.ok()) << c.value.toStdString();
        EXPECT_TRUE(result.text.isEmpty());
        EXPECT_TRUE(result.error.contains(c.inMessage)) << result.error.toStdString();
    }
}

TEST_F(QueryConditionTest, TypedConditionsMustParseOnTheirOwn)
{
    EXPECT_EQ(QueryCondition::typed(u"  MUS:ChartNumber < 10 "_s).expression({}).text,
              u"MUS:ChartNumber < 10"_s);
    for (const QString &text :
         {u"MUS:Artist ="_s, u"1) OR (1"_s, u"'unclosed"_s, u"   "_s, u"MUS:Artist = 'a' )"_s}) {
        const FilterText result = QueryCondition::typed(text).expression({});
        EXPECT_FALSE(result.ok()) << text.toStdString();
        EXPECT_TRUE(result.error.startsWith(u"The query you have designed is invalid."_s));
    }
    // With a field list, a typed condition may name only its fields.
    const ConditionContext fields{{}, {}, {u"MUS:ChartNumber"_s, u"MUS:Artist"_s}};
    EXPECT_TRUE(QueryCondition::typed(u"mus:chartnumber < 10 OR UPPER(MUS:Artist) = 'X'"_s)
                    .expression(fields)
                    .ok());
    const FilterText typo = QueryCondition::typed(u"MUS:Artst = 'x'"_s).expression(fields);
    EXPECT_TRUE(typo.error.endsWith(u"MUS:Artst is not a field of this query."_s))
        << typo.error.toStdString();
}

TEST_F(QueryConditionTest, RefusedEditsLeaveTheListAsItWas)
{
    EXPECT_TRUE(list.filterText().ok());
    EXPECT_TRUE(list.filterText().text.isEmpty());
    ASSERT_TRUE(list.append(when(Artist, Op::IsEqualTo, u"ABBA"_s)).isEmpty());
    ASSERT_TRUE(list.append(when(Chart, Op::IsLessThan, u"10"_s, Joiner::Or)).isEmpty());
    EXPECT_FALSE(list.append(when(Chart, Op::IsEqualTo, u"x"_s)).isEmpty());
    EXPECT_FALSE(list.replace(0, QueryCondition::typed(u"MUS:Artist = "_s)).isEmpty());
    EXPECT_FALSE(list.replace(5, when(Artist, Op::IsEqualTo, u"x"_s)).isEmpty());
    EXPECT_FALSE(list.move(0, 2));
    EXPECT_EQ(list.filterText().text,
              u"UPPER(MUS:Artist) = UPPER('ABBA') OR MUS:ChartNumber < 10"_s);

    // The first condition's joiner never counts, wherever the condition came from.
    EXPECT_TRUE(list.move(1, 0));
    EXPECT_EQ(list.description(0), u"ChartNumber Is Less Than 10"_s);
    EXPECT_EQ(list.filterText().text,
              u"MUS:ChartNumber < 10 AND UPPER(MUS:Artist) = UPPER('ABBA')"_s);

    // An existing filter comes back as one typed condition; one that cannot be used, not at all.
    EXPECT_TRUE(list.setFilter(u"MUS:ChartNumber = 1"_s).isEmpty());
    ASSERT_EQ(list.count(), 1);
    EXPECT_TRUE(list.at(0).manual);
    EXPECT_FALSE(list.setFilter(u"MUS:ChartNumber = "_s).isEmpty());
    EXPECT_EQ(list.count(), 0);
}

TEST_F(QueryConditionTest, RefusesAQueryLongerThanTheFilterHolds)
{
    // "UPPER(MUS:Artist) = UPPER('" and "')" take 29 characters around the value.
    const QString fits(QueryConditionList::MaxFilterLength - 29, u'x');
    ASSERT_TRUE(list.append(when(Artist, Op::IsEqualTo, fits)).isEmpty());
    EXPECT_EQ(list.filterText().text.size(), QueryConditionList::MaxFilterLength);

    const QString why = list.append(when(Artist, Op::IsEqualTo, u"y"_s));
    EXPECT_TRUE(why.contains(u"1024"_s)) << why.toStdString();
    EXPECT_EQ(list.count(), 1);
    EXPECT_FALSE(list.replace(0, when(Artist, Op::IsEqualTo, fits + u'x')).isEmpty());
    // Quotes double inside the literal: 600 of them cannot pass as 600 characters.
    EXPECT_FALSE(list.replace(0, when(Artist, Op::IsEqualTo, QString(600, u'\''))).isEmpty());
    EXPECT_EQ(list.at(0).value, fits);
}

// Generated filters, compiled as a record view compiles them, select the right songs.
TEST_F(QueryConditionTest, GeneratedFiltersSelectTheRightSongs)
{
    expr::test::SongTable table;
    const std::vector<expr::test::Song> songs = {
        {1, u"ABBA"_s, u"Waterloo"_s, u"CD"_s, 1, 1999, picture::dayNumber(QDate(1974, 4, 6)), 0},
        {2, u"abba "_s, u"I Love It"_s, u"LP"_s, 12, 500, picture::dayNumber(QDate(1980, 1, 1)), 0},
        {3, u"Die Ärzte"_s, u"Männer sind Schweine"_s, u"CD"_s, 40, 0, 0, 0},
        {4, u"O'Brien"_s, u"LOVE me'); DROP TABLE rec; --"_s, u"Cassette"_s, 0, 1250, 0, 0},
        {5, u"Queen"_s, u"Bohemian Rhapsody"_s, u"CD"_s, 2, 1250,
         picture::dayNumber(QDate(1975, 10, 31)), 0},
    };
    for (const auto &s : songs)
        table.insert(s);

    const struct
    {
        std::vector<QueryCondition> conditions;
        std::vector<qint64> ids;
    } cases[] = {
        {{when(Artist, Op::IsEqualTo, u"Abba"_s)}, {1, 2}},
        {{when(Artist, Op::BeginsWith, u"die ä"_s)}, {3}},
        {{when(Title, Op::Contains, u"love"_s)}, {2, 4}},
        {{when(Title, Op::Contains, u"'); DROP TABLE"_s)}, {4}},
        {{when(Artist, Op::IsEqualTo, u"o'brien"_s)}, {4}},
        {{when(Artist, Op::IsLessThan, u"b"_s)}, {1, 2}},
        {{when(Chart, Op::IsGreaterThan, u"10"_s)}, {2, 3}},
        {{when(Chart, Op::IsEqualTo, u""_s)}, {4}},
        {{when(Price, Op::IsEqualTo, u"12.5"_s)}, {4, 5}},
        {{when(Released, Op::IsLessThan, u"01/01/1976"_s),
          when(Released, Op::IsGreaterThan, u""_s)},
         {1, 5}},
        // AND binds tighter than OR: (CD AND chart < 10) OR title contains love.
        {{when(Media, Op::IsEqualTo, u"cd"_s), when(Chart, Op::IsLessThan, u"10"_s),
          when(Title, Op::Contains, u"LOVE"_s, Joiner::Or)},
         {1, 2, 4, 5}},
        {{when(Title, Op::Contains, u"love"_s), when(Chart, Op::IsEqualTo, u"0"_s, Joiner::Or),
          when(Artist, Op::BeginsWith, u"o"_s)},
         {2, 4}},
        {{QueryCondition::typed(u"MUS:ChartNumber = 1 OR MUS:ChartNumber = 2"_s),
          when(Artist, Op::IsEqualTo, u"queen"_s)},
         {5}},
    };
    for (const auto &c : cases) {
        list.clear();
        for (const QueryCondition &condition : c.conditions)
            ASSERT_TRUE(list.append(condition).isEmpty());
        const FilterText text = list.filterText();
        ASSERT_TRUE(text.ok()) << text.error.toStdString();
        const expr::CompiledFilter compiled = expr::compile(text.text, table.resolver());
        ASSERT_TRUE(compiled.ok()) << compiled.error.message.toStdString();
        EXPECT_EQ(table.select(compiled), c.ids) << text.text.toStdString();
    }
    EXPECT_EQ(table.count(), qint64(songs.size()));
}

} // namespace
