// The entries of one playlist: numbering, adding, counting and the total time.
#include "playliststest.h"

#include "platform/picture/calendar.h"
#include "playlists/playlistentries.h"

using namespace melodex;

namespace {
using EntriesTest = test::PlaylistsTest;
}

TEST_F(EntriesTest, newEntriesFollowTheHighestSequenceOfTheirOwnPlaylist)
{
    EXPECT_EQ(PlaylistEntries::nextSequence(1), 1);
    addEntry(2, 8, 1);
    addEntry(0, 3, 1);
    EXPECT_EQ(PlaylistEntries::nextSequence(1), 1);
    for (qint64 song : {11, 12, 13})
        ASSERT_EQ(PlaylistEntries::add(1, song), 0);
    EXPECT_EQ(songsOf(1), (std::vector<qint64>{11, 12, 13}));
    // Deleting the second does not free its number for the next one.
    PLA.clear();
    PLA.PlaylistID = 1;
    PLA.PlaylistSeq = 2;
    ASSERT_EQ(PlaylistDetails.get(PlaylistDetailsRecord::KeyPlaylistID), 0);
    ASSERT_EQ(PlaylistDetails.deleteRecord(), 0);
    ASSERT_EQ(PlaylistEntries::add(1, 14), 0);
    EXPECT_EQ(PLA.PlaylistSeq, 4);
    EXPECT_EQ(PlaylistEntries::nextSequence(2), 9);
    EXPECT_EQ(PlaylistEntries::count(1), 3);
    EXPECT_EQ(PlaylistEntries::count(3), 0);
}

TEST_F(EntriesTest, anAddThatKeepsFailingAsksAndGivesUpOnCancel)
{
    PlaylistDetails.close();
    messages.answer(MessageRequest::Cancel);
    EXPECT_NE(PlaylistEntries::add(1, 5), 0);
    ASSERT_EQ(messages.requests().size(), 1);
    EXPECT_EQ(messages.requests().front().caption, QStringLiteral("Auto Increment Error"));
}

TEST_F(EntriesTest, totalTimeAddsTheSongsThatHaveOne)
{
    const auto t = [](int h, int m, int s) { return picture::timeValue(h, m, s); };
    addSong(1, 0, 0, t(0, 3, 30));
    addSong(2, 0, 0, t(0, 4, 45));
    addSong(3); // no time
    addEntry(1, 1, 1);
    addEntry(1, 2, 2);
    addEntry(1, 3, 1);
    addEntry(1, 4, 3);
    addEntry(1, 5, 99); // a song that is gone
    addEntry(2, 1, 2);
    EXPECT_EQ(PlaylistEntries::totalTime(1), (3 * 60 + 30 + 4 * 60 + 45 + 3 * 60 + 30) * 100);
    EXPECT_EQ(PlaylistEntries::timeText(PlaylistEntries::totalTime(1)), QStringLiteral("0:11:45"));
    EXPECT_EQ(PlaylistEntries::timeText(0), QStringLiteral("0:00:00"));
    const auto entries = PlaylistEntries::load(1);
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(PlaylistEntries::totalTime(entries), PlaylistEntries::totalTime(1));
    EXPECT_EQ(entries[1].title, QStringLiteral("Song 2"));
    EXPECT_EQ(entries[4].songId, 99);
    EXPECT_TRUE(entries[4].title.isEmpty());
    // A playlist may last longer than a day.
    EXPECT_EQ(PlaylistEntries::timeText(qint64(26 * 3600 + 61) * 100 + 99),
              QStringLiteral("26:01:01"));
    EXPECT_TRUE(PlaylistEntries::songExists(2));
    EXPECT_FALSE(PlaylistEntries::songExists(99));
    EXPECT_FALSE(PlaylistEntries::songExists(0));
    EXPECT_FALSE(PlaylistEntries::songExists(qint64(1) << 40));
}
