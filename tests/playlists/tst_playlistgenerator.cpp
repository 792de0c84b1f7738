// Random playlists: numbering, the bounds of the draw loop, the filters and the weightings.
#include "playliststest.h"

#include "platform/picture/calendar.h"
#include "platform/store/store.h"
#include "playlists/playlistgenerator.h"

#include <set>

using namespace melodex;
using W = PlaylistGenerator::Weighting;
using Outcome = PlaylistGenerator::Outcome;

namespace {

const qint32 today = picture::dayNumber(QDate(2026, 12, 7));

class GeneratorTest : public test::PlaylistsTest
{
protected:
    PlaylistGenerator::Result generate(int size, W weighting = W::None, qint32 from = 0,
                                       qint32 to = 0, const QString &category = {})
    {
        PlaylistGenerator g(random, today);
        return g.generate({size, from, to, category, weighting});
    }
    /// Songs 1..n, added in number order.
    static void songs(int n, qint32 released = 0)
    {
        store::Store::instance().stream();
        for (int i = 1; i <= n; ++i)
            addSong(i, released);
        store::Store::instance().flush();
    }
    QRandomGenerator random{20261207};
};

} // namespace

TEST_F(GeneratorTest, anEmptySongsFileMakesNoPlaylist)
{
    EXPECT_EQ(generate(10).outcome, Outcome::NoSongs);
    ASSERT_EQ(messages.requests().size(), 1);
    EXPECT_EQ(messages.requests().front().caption, QStringLiteral("Error"));
    EXPECT_EQ(messages.requests().front().text,
              QStringLiteral("There are no songs to select from"));
    EXPECT_EQ(PlaylistMaster.records(), 0);
}

TEST_F(GeneratorTest, theFirstPlaylistIsNumberOneAndSizeZeroMakesItEmpty)
{
    songs(3);
    const auto r = generate(0);
    EXPECT_EQ(r.outcome, Outcome::Created);
    EXPECT_EQ(r.playlistId, 1);
    EXPECT_EQ(r.draws, 0);
    PLD.clear();
    PLD.PlaylistID = 1;
    ASSERT_EQ(PlaylistMaster.get(PlaylistMasterRecord::KeyPlaylistID), 0);
    EXPECT_EQ(PLD.PlaylistDescription, QStringLiteral("Play List #1"));
    EXPECT_EQ(PLD.LastEditDate, today);
    EXPECT_EQ(PlaylistDetails.records(), 0);
}

TEST_F(GeneratorTest, theNumberGoesUpUntilNumberAndDescriptionAreBothFree)
{
    songs(3);
    addPlaylist(3, QStringLiteral("Summer"));
    addPlaylist(1, QStringLiteral("Play List #4"));
    addPlaylist(2, QStringLiteral("Play List #5"));
    const auto r = generate(2);
    EXPECT_EQ(r.playlistId, 6);
    PLD.clear();
    PLD.PlaylistID = 6;
    ASSERT_EQ(PlaylistMaster.get(PlaylistMasterRecord::KeyPlaylistID), 0);
    EXPECT_EQ(PLD.PlaylistDescription, QStringLiteral("Play List #6"));
    EXPECT_EQ(songsOf(6).size(), 2u);
}

TEST_F(GeneratorTest, nothingToFindStopsAfterExactly1001Draws)
{
    songs(50, 1990);
    const auto r = generate(99);
    EXPECT_EQ(r.added, 99);
    EXPECT_EQ(r.draws, 99);
    // A date range that no song meets.
    const auto none = generate(99, W::RecentAddition, picture::dayNumber(QDate(2001, 1, 1)));
    EXPECT_EQ(none.outcome, Outcome::Created);
    EXPECT_EQ(none.added, 0);
    EXPECT_EQ(none.draws, PlaylistGenerator::MaxDraws);
    EXPECT_TRUE(songsOf(none.playlistId).empty());
    // The size is capped where the window caps it.
    EXPECT_EQ(generate(500).added, PlaylistGenerator::MaxSize);
}

TEST_F(GeneratorTest, datesAndCategoryNarrowTheDraw)
{
    test::PlaylistsTest::addSong(1, 0, 2);                                     // no date
    test::PlaylistsTest::addSong(2, picture::dayNumber(QDate(1999, 5, 1)), 2); // inside
    test::PlaylistsTest::addSong(3, picture::dayNumber(QDate(2010, 5, 1)), 2); // after
    test::PlaylistsTest::addSong(4, picture::dayNumber(QDate(1999, 6, 1)), 3); // other category
    CAT.clear();
    CAT.CategoryID = 2;
    CAT.Category = QStringLiteral("Soul");
    ASSERT_EQ(Categories.add(), 0);
    const qint32 from = picture::dayNumber(QDate(1999, 1, 1));
    const qint32 to = picture::dayNumber(QDate(2000, 1, 1));
    const auto bounded = generate(30, W::None, from, to, QStringLiteral("soul"));
    for (qint64 s : songsOf(bounded.playlistId))
        EXPECT_EQ(s, 2);
    EXPECT_EQ(bounded.added, 30);
    // Without a starting date a song without a date passes.
    std::set<qint64> seen;
    for (qint64 s : songsOf(generate(40, W::None, 0, to).playlistId))
        seen.insert(s);
    EXPECT_EQ(seen, (std::set<qint64>{1, 2, 4}));

    const qint64 playlists = PlaylistMaster.records();
    EXPECT_EQ(generate(5, W::None, 0, 0, QStringLiteral("Polka")).outcome, Outcome::NoCategory);
    EXPECT_EQ(PlaylistMaster.records(), playlists);
}

TEST_F(GeneratorTest, deletedSongsAreDrawnAgainNeverAddedInTheirPlace)
{
    songs(10);
    for (qint32 id = 2; id <= 9; ++id) {
        MUS.clear();
        MUS.ID = id;
        ASSERT_EQ(Songlore.get(SongloreRecord::KeyID), 0);
        ASSERT_EQ(Songlore.deleteRecord(), 0);
    }
    const auto r = generate(40);
    EXPECT_EQ(r.added, 40);
    EXPECT_GT(r.redraws, 0);
    std::set<qint64> seen;
    for (qint64 s : songsOf(r.playlistId))
        seen.insert(s);
    EXPECT_EQ(seen, (std::set<qint64>{1, 10}));
}

TEST_F(GeneratorTest, oneSongAndTheOlderHalfStillDrawsIt)
{
    songs(1);
    const auto r = generate(5, W::OlderAddition);
    EXPECT_EQ(songsOf(r.playlistId), (std::vector<qint64>(5, 1)));
}

TEST_F(GeneratorTest, aFailingWriteLeavesNoHalfPlaylist)
{
    songs(20);
    ASSERT_EQ(store::Store::instance().exec(
                  "CREATE TEMP TRIGGER failing BEFORE INSERT ON \"PlaylistDetails\".rec "
                  "WHEN NEW.PlaylistSeq = 3 BEGIN SELECT RAISE(ABORT, 'disk full'); END"),
              0);
    const auto r = generate(10);
    ASSERT_EQ(store::Store::instance().exec("DROP TRIGGER temp.failing"), 0);
    EXPECT_EQ(r.outcome, Outcome::Failed);
    EXPECT_EQ(PlaylistMaster.records(), 0);
    EXPECT_EQ(PlaylistDetails.records(), 0);
    ASSERT_EQ(messages.requests().size(), 1);
    EXPECT_TRUE(
        messages.requests().front().text.startsWith(QStringLiteral("There was an error (")));
    EXPECT_TRUE(messages.requests().front().text.endsWith(
        QStringLiteral(") adding to the Play List Details file")));
    EXPECT_FALSE(store::Store::instance().inTransaction());
}

// The weightings, measured over many draws of one seed: each bias moves about half of the draws.
TEST_F(GeneratorTest, additionWeightingsFavourTheirHalfOfTheFile)
{
    songs(1000);
    auto newerShare = [&](W w) {
        int newer = 0, total = 0;
        for (int run = 0; run < 20; ++run)
            for (qint64 s : songsOf(generate(99, w).playlistId)) {
                newer += s > 500;
                ++total;
            }
        return double(newer) / total;
    };
    EXPECT_NEAR(newerShare(W::None), 0.50, 0.04);
    EXPECT_NEAR(newerShare(W::RecentAddition), 0.75, 0.04);
    EXPECT_NEAR(newerShare(W::OlderAddition), 0.25, 0.04);
}

TEST_F(GeneratorTest, releaseWeightingsFavourRecentOrOlderReleases)
{
    // Odd songs came out last week, even ones years ago.
    store::Store::instance().stream();
    for (int i = 1; i <= 400; ++i)
        addSong(i, i % 2 ? today - 7 : today - 2000);
    store::Store::instance().flush();
    auto recentShare = [&](W w) {
        int recent = 0, total = 0;
        for (int run = 0; run < 20; ++run)
            for (qint64 s : songsOf(generate(99, w).playlistId)) {
                recent += s % 2;
                ++total;
            }
        return double(recent) / total;
    };
    EXPECT_NEAR(recentShare(W::None), 0.50, 0.04);
    EXPECT_NEAR(recentShare(W::RecentRelease), 2.0 / 3, 0.04);
    EXPECT_NEAR(recentShare(W::OlderRelease), 1.0 / 3, 0.04);
}

TEST_F(GeneratorTest, releaseBiasBoundaries)
{
    PlaylistGenerator g(random, today);
    const W recent = W::RecentRelease, older = W::OlderRelease;
    // Ninety days ago is still recent; a day before is not.
    EXPECT_TRUE(g.releasePasses(recent, today - 90, true));
    EXPECT_FALSE(g.releasePasses(recent, today - 91, true));
    EXPECT_FALSE(g.releasePasses(older, today - 90, true));
    EXPECT_TRUE(g.releasePasses(older, today - 91, true));
    // Below 3000 a release date is a year; this year counts as recent.
    EXPECT_TRUE(g.releasePasses(recent, 2026, true));
    EXPECT_FALSE(g.releasePasses(recent, 2025, true));
    EXPECT_FALSE(g.releasePasses(older, 2026, true));
    EXPECT_FALSE(g.releasePasses(older, 2999, true));  // a year to come
    EXPECT_FALSE(g.releasePasses(recent, 3000, true)); // a day in 1809
    // No date is never held back, and without the coin nothing is.
    EXPECT_TRUE(g.releasePasses(recent, 0, true));
    EXPECT_TRUE(g.releasePasses(older, 0, true));
    EXPECT_TRUE(g.releasePasses(recent, 2025, false));
    EXPECT_TRUE(g.releasePasses(W::None, 2025, true));
}
