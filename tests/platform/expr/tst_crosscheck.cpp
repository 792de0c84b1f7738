// Cross-checks compiled SQL against direct evaluation: random songs, random filters, same rows.
#include "songtable.h"

#include "platform/expr/parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

using namespace melodex::expr;
using namespace melodex::expr::test;
using namespace Qt::StringLiterals;

namespace {

// Pieces of text chosen to trip up case, accents, blanks, quotes, digits and multi-unit characters.
const QStringList &textPieces()
{
    static const QStringList pieces = {
        u"ABBA"_s,
        u"abba"_s,
        u"Abba "_s,
        u"Ärzte"_s,
        u"ärzte"_s,
        u"straße"_s,
        u"STRASSE"_s,
        u"O'Brien"_s,
        u"say \"hi\""_s,
        u"love"_s,
        u"LOVE"_s,
        u"Lové"_s,
        u""_s,
        u" "_s,
        u"a b"_s,
        QString::fromUtf8("\xF0\x9F\x98\x80"),
        u"日本"_s,
        u"x  "_s,
        u"  lead"_s,
        u"12"_s,
        u"3.5"_s,
        u"-7"_s,
        u"12abc"_s,
        u"0"_s,
        u"é"_s,
        u"É"_s,
        QString(QChar(u'\0')),
        u"CD"_s,
        u"cd"_s,
        u";--"_s,
    };
    return pieces;
}

class Random
{
public:
    explicit Random(unsigned seed) : m_engine(seed) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_engine); }
    int between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_engine); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T> const T &pick(const QList<T> &list)
    {
        return list[below(int(list.size()))];
    }

    QString text()
    {
        QString result;
        for (int n = below(4); n > 0; --n)
            result += pick(textPieces());
        return result;
    }

private:
    std::mt19937 m_engine;
};

Song randomSong(Random &random, qint64 id)
{
    Song song;
    song.id = id;
    song.artist = random.text();
    song.title = random.text();
    song.media = random.chance(50) ? random.pick(QStringList{u"CD"_s, u"cd"_s, u"LP"_s, u"Cd  "_s})
                                   : random.text();
    song.chart = random.between(-5, 60);
    song.priceCents = random.between(-2000, 100000);
    song.released = random.chance(10) ? 0 : random.between(1, 90000);
    song.rate = random.between(-400, 400) / 8.0;
    return song;
}

// Writes random filters. Every compound part is parenthesised, so any mix of kinds parses;
// operator precedence has its own tests.
class FilterWriter
{
public:
    explicit FilterWriter(Random &random) : m_random(random) {}

    QString expression(int depth)
    {
        if (depth <= 0 || m_random.chance(20))
            return leaf();
        switch (m_random.below(9)) {
        case 0:
        case 1:
            return u'(' + expression(depth - 1) + u' ' +
                   m_random.pick(QStringList{u"="_s, u"<>"_s, u"<"_s, u">"_s, u"<="_s, u">="_s,
                                             u"~="_s, u"=<"_s, u"=>"_s}) +
                   u' ' + expression(depth - 1) + u')';
        case 2: {
            QStringList terms;
            for (int n = m_random.between(2, 3); n > 0; --n)
                terms << expression(depth - 1);
            return u'(' + terms.join(u' ' + keyword() + u' ') + u')';
        }
        case 3:
            return u'(' + m_random.pick(QStringList{u"NOT "_s, u"not "_s, u"~"_s}) +
                   expression(depth - 1) + u')';
        case 4:
            return u'(' + expression(depth - 1) + u' ' +
                   m_random.pick(QStringList{u"+"_s, u"-"_s, u"*"_s, u"/"_s}) + u' ' +
                   expression(depth - 1) + u')';
        case 5:
            return u'(' + expression(depth - 1) + u" & "_s + expression(depth - 1) + u')';
        case 6:
            return u"(-"_s + expression(depth - 1) + u')';
        default:
            return call(depth - 1);
        }
    }

    /// A comparison or a logical combination of comparisons, as conditions usually are.
    QString condition(int depth)
    {
        if (depth > 1 && m_random.chance(30)) {
            return u'(' + condition(depth - 1) + u' ' + keyword() + u' ' + condition(depth - 1) +
                   u')';
        }
        return expression(depth - 1) + u' ' +
               m_random.pick(QStringList{u"="_s, u"<>"_s, u"<"_s, u">"_s, u"<="_s, u">="_s}) +
               u' ' + expression(depth - 1);
    }

private:
    QString keyword()
    {
        const QString word = m_random.chance(50) ? u"AND"_s : u"OR"_s;
        return m_random.chance(30) ? word.toLower() : word;
    }

    QString leaf()
    {
        static const QStringList names = {
            u"MUS:Artist"_s,     u"mus:ARTIST"_s,      u"MUS:Title"_s,
            u"MUS:Media"_s,      u"MUS:ChartNumber"_s, u"MUS:Price"_s,
            u"MUS:Released"_s,   u"MUS:Rate"_s,        u"BRW1::Sort3:Reset:MED:Media"_s,
            u"ThreadInstance"_s, u"Report:Budget"_s,
        };
        switch (m_random.below(4)) {
        case 0:
        case 1:
            return m_random.pick(names);
        case 2: {
            QString text = m_random.text();
            const QChar quote = m_random.chance(80) ? u'\'' : u'"';
            text.replace(quote, QString(2, quote));
            return quote + text + quote;
        }
        default:
            return m_random.pick(QStringList{u"0"_s, u"1"_s, u"2"_s, u"3"_s, u"12"_s, u"40"_s,
                                             u"2.5"_s, u"0.05"_s, u"10.50"_s, u"1234.5678"_s,
                                             u"250"_s, u".5"_s});
        }
    }

    QString call(int depth)
    {
        auto arg = [this, depth] { return expression(depth); };
        auto small = [this, depth] {
            return m_random.chance(60) ? QString::number(m_random.between(-3, 8))
                                       : expression(depth);
        };
        switch (m_random.below(16)) {
        case 0:
            return u"UPPER("_s + arg() + u')';
        case 1:
            return u"lower("_s + arg() + u')';
        case 2:
            return u"CLIP("_s + arg() + u')';
        case 3:
            return u"SUB("_s + arg() + u", "_s + small() + u", "_s + small() + u')';
        case 4:
            return u"INSTRING("_s + arg() + u", "_s + arg() + u", "_s + small() + u", "_s +
                   small() + u')';
        case 5:
            return u"INSTRING("_s + arg() + u", "_s + arg() + u')';
        case 6:
            return u"LEN("_s + arg() + u')';
        case 7:
            return u"LEFT("_s + arg() + u", "_s + small() + u')';
        case 8:
            return u"RIGHT("_s + arg() + u", "_s + small() + u')';
        case 9:
            return u"INT("_s + arg() + u')';
        case 10:
            return u"ABS("_s + arg() + u')';
        case 11:
            return u"VAL("_s + arg() + u')';
        case 12:
            return u"NUMERIC("_s + arg() + u')';
        case 13:
            return m_random.pick(QStringList{u"MONTH("_s, u"DAY("_s, u"YEAR("_s}) + arg() + u')';
        case 14:
            return u"DATE("_s + small() + u", "_s + small() + u", "_s +
                   QString::number(m_random.between(1790, 2100)) + u')';
        default:
            return u"(Sub("_s + arg() + u", 1, "_s + small() + u") = "_s + arg() + u')';
        }
    }

    Random &m_random;
};

class CrossCheck : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Random random(20240611);
        for (qint64 id = 1; id <= 300; ++id) {
            songs.push_back(randomSong(random, id));
            table.insert(songs.back());
        }
    }

    // Checks that SQL and direct evaluation select the same songs; false when the filter was
    // refused, which must then be for its nesting.
    bool agree(const QString &text)
    {
        const ParseResult parsed = parse(text);
        EXPECT_TRUE(parsed.ok()) << text.toStdString() << ": "
                                 << parsed.error.describe().toStdString();
        if (!parsed.ok())
            return false;
        const CompiledFilter filter = compile(*parsed.root, table.resolver());
        if (!filter.ok()) {
            EXPECT_TRUE(filter.error.message.contains(u"nested"_s))
                << text.toStdString() << ": " << filter.error.message.toStdString();
            return false;
        }
        const std::optional<std::vector<qint64>> bySql = table.select(filter);
        EXPECT_TRUE(bySql.has_value()) << text.toStdString();
        if (!bySql)
            return false;

        std::vector<qint64> byEvaluation;
        for (const Song &song : songs) {
            const Evaluation evaluation = evaluate(*parsed.root, table.getter(song));
            EXPECT_TRUE(evaluation.ok()) << text.toStdString();
            if (evaluation.selects())
                byEvaluation.push_back(song.id);
        }
        if (*bySql != byEvaluation) {
            std::vector<qint64> differing;
            std::set_symmetric_difference(bySql->begin(), bySql->end(), byEvaluation.begin(),
                                          byEvaluation.end(), std::back_inserter(differing));
            const Song &song = songs[size_t(differing.front() - 1)];
            ADD_FAILURE() << "SQL and evaluation differ on " << differing.size() << " songs for "
                          << text.toStdString() << "\n  first: id " << song.id << " artist '"
                          << song.artist.toStdString() << "' title '" << song.title.toStdString()
                          << "' media '" << song.media.toStdString() << "' chart " << song.chart
                          << " price " << song.priceCents << " released " << song.released
                          << " rate " << song.rate << "\n  SQL: " << filter.sql.toStdString();
        }
        m_selected += bySql->size();
        if (!bySql->empty() && bySql->size() < songs.size())
            ++m_discriminating;
        return true;
    }

    SongTable table;
    std::vector<Song> songs;
    size_t m_selected = 0;
    int m_discriminating = 0;
};

TEST_F(CrossCheck, ChosenFiltersAgree)
{
    table.media = u"cd   "_s;
    table.instance = 12;
    table.budget = 15000;
    const char *filters[] = {
        "UPPER(MUS:Media) = UPPER(BRW1::Sort3:Reset:MED:Media)",
        "MUS:Media = BRW1::Sort3:Reset:MED:Media",
        "MUS:ChartNumber = ThreadInstance",
        "INSTRING(UPPER('love'),UPPER(MUS:Title),1,1)",
        "(MUS:ChartNumber >= 1 AND MUS:ChartNumber <= 40) OR NOT MUS:Artist = 'ABBA'",
        "SUB(UPPER(MUS:Artist), 1, 2) = 'AB'",
        "INSTRING('a', MUS:Title, 2, 1) > 0",
        "INSTRING('a', MUS:Title, -1, 10) > 3",
        "MUS:Price >= Report:Budget",
        "MUS:Price * MUS:Rate > 1000",
        "MUS:Price * 2.5 > MUS:ChartNumber * 40",
        "MUS:Price * 0.05 * Report:Budget > 1000",
        "INT(MUS:Price) > 500",
        "SUB(MUS:Title, MUS:Price / 100, 2.5) = SUB(MUS:Artist, 1.5, 2)",
        "MUS:Price / MUS:ChartNumber < 10",
        "MUS:Rate = 0.125 OR MUS:Rate = -2.5",
        "MUS:Artist < MUS:Title",
        "MUS:Artist = MUS:Title",
        "LEN(MUS:Artist) > LEN(MUS:Title)",
        "MUS:Artist & MUS:Title = 'ABBAabba'",
        "YEAR(MUS:Released) >= 1950 AND MONTH(MUS:Released) = 6",
        "MUS:Released > DATE(6, 15, 1950)",
        "VAL(MUS:Title) > 3",
        "NUMERIC(MUS:Artist)",
        "MUS:Title = 12",
        "MUS:Artist",
        "MUS:Rate",
        "-MUS:Price < -500.5",
        "RIGHT(MUS:Artist, 2) = 'ba'",
        "LOWER(MUS:Artist) = 'ärzte'",
        "UPPER(MUS:Artist) = 'STRASSE'",
        "CLIP(MUS:Title) & '|' = MUS:Title & '|'",
    };
    for (const char *filter : filters)
        EXPECT_TRUE(agree(QString::fromUtf8(filter))) << filter;
    EXPECT_GT(m_discriminating, 20);
}

TEST_F(CrossCheck, ExactArithmeticSaturatesAtTheLimitsInBoth)
{
    table.budget = 15000;
    const char *filters[] = {
        "MUS:ChartNumber+9223372036854775807>9223372036854775807",
        "MUS:ChartNumber+9223372036854775807=9223372036854775807",
        "MUS:ChartNumber-9223372036854775807-9 < -9223372036854775807",
        "-(MUS:ChartNumber-9223372036854775807-2) = 9223372036854775807",
        "ABS(MUS:ChartNumber-9223372036854775807-9) = 9223372036854775807",
        "MUS:ChartNumber*9223372036854775807 > 9000000000000000000",
        "(MUS:ChartNumber+9223372036854775807)*2 = 9223372036854775807",
        "MUS:Price = 922337203685477580",
        "MUS:Price < 922337203685477580 AND MUS:Price > -922337203685477580",
        "MUS:ChartNumber*100000000 > MUS:Price*0.000001",
        "MUS:Price+9223372036854775807 > 92233720368547758.07",
        "(MUS:ChartNumber+9223372036854775807)/1 > 9223372036854775807",
        "Report:Budget*92233720368547758 > 9223372036854775807",
    };
    for (const char *filter : filters)
        EXPECT_TRUE(agree(QString::fromUtf8(filter))) << filter;

    // Saturation, not floating point: nothing is greater than the largest int64.
    const auto count = [this](const char *filter) {
        const CompiledFilter compiled = compile(QString::fromUtf8(filter), table.resolver());
        return table.select(compiled).value_or(std::vector<qint64>{99}).size();
    };
    EXPECT_EQ(count(filters[0]), 0u);
    EXPECT_EQ(count("MUS:ChartNumber+9223372036854775807=9223372036854775807"),
              size_t(std::count_if(songs.begin(), songs.end(),
                                   [](const Song &song) { return song.chart >= 0; })));
}

TEST_F(CrossCheck, RandomFiltersAgree)
{
    Random random(7);
    FilterWriter writer(random);
    int checked = 0;
    const int runs = 3000;
    for (int i = 0; i < runs; ++i) {
        // Bound values change between runs, as a browse's range does.
        table.media = random.chance(80) ? QVariant(random.text() + u"   "_s) : QVariant();
        table.instance = random.chance(80) ? QVariant(random.between(-5, 60)) : QVariant();
        table.budget = random.between(-100000, 100000);
        const int depth = random.between(1, 4);
        if (agree(random.chance(60) ? writer.condition(depth + 1) : writer.expression(depth)))
            ++checked;
    }
    // The filters must mostly run, and must tell songs apart rather than take all or none.
    EXPECT_GT(checked, runs * 95 / 100);
    EXPECT_GT(m_discriminating, runs / 4);
}

} // namespace
