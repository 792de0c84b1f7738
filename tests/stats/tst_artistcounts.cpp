// Tests of the per-artist song counts: grouping as the artist key does, through the table's growth.
#include "stats/artistcounts.h"

#include "platform/store/collation.h"

#include <gtest/gtest.h>

#include <QMap>

#include <algorithm>

using namespace melodex;

namespace {

void add(ArtistCounts &counts, const QString &artist)
{
    const QByteArray utf8 = artist.toUtf8();
    counts.add(utf8.constData(), int(utf8.size()));
}

// Many more artists than the first table holds, each under several spellings, in a scrambled
// order: every count survives the table's growth, and the top ten agree with a plain count.
TEST(ArtistCountsTest, CountsSurviveGrowthAndAgreeWithAPlainCount)
{
    ArtistCounts counts;
    QMap<QString, qint64> want; // by the folded, trimmed name
    const int artists = 20000;
    for (int round = 0; round < 7; ++round)
        for (int i = 0; i < artists; ++i) {
            const int artist = int((qint64(i) * 7919 + round * 104729) % artists);
            if (artist % 7 < round)
                continue; // artists get from 1 to 7 songs
            QString name = QStringLiteral("Ärtist %1").arg(artist);
            if (round % 2)
                name = name.toUpper();
            if (round % 3 == 2)
                name += QStringLiteral("  ");
            add(counts, name);
            ++want[QStringLiteral("ärtist %1").arg(artist)];
        }
    add(counts, QString());
    add(counts, QStringLiteral("   "));
    EXPECT_EQ(counts.artists(), qint64(want.size()));

    std::vector<NamedCount> all;
    for (auto it = want.cbegin(); it != want.cend(); ++it)
        all.push_back({it.key(), it.value()});
    std::stable_sort(all.begin(), all.end(),
                     [](const NamedCount &a, const NamedCount &b) { return a.songs > b.songs; });
    const std::vector<NamedCount> top = counts.top(10);
    ASSERT_EQ(top.size(), 10u);
    for (size_t i = 0; i < top.size(); ++i) {
        EXPECT_EQ(top[i].songs, all[i].songs) << i;
        EXPECT_EQ(want.value(top[i].name.toLower()), top[i].songs) << top[i].name.toStdString();
        EXPECT_FALSE(top[i].name.endsWith(u' '));
        if (i > 0 && top[i].songs == top[i - 1].songs) {
            EXPECT_LT(store::compareKeyText(top[i - 1].name, top[i].name), 0);
        }
    }
    EXPECT_TRUE(counts.top(0).empty());
    EXPECT_EQ(ArtistCounts().top(10).size(), 0u);
}

} // namespace
