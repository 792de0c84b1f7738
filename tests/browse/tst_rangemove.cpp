// Moving a record within its numbered range: swaps, shifts, both ends, gaps and failures.
#include "../platform/store/storetestfixture.h"

#include "browse/rangemove.h"
#include "scriptedmessageservice.h"

using namespace melodex;
using Direction = RangeMove::Direction;
using Outcome = RangeMove::Outcome;

namespace {

class RangeMoveTest : public test::StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        openFile(PlaylistDetails);
        openFile(AddWizard);
        m_previous = MessageService::setInstance(&messages);
    }
    void TearDown() override
    {
        MessageService::setInstance(m_previous);
        StoreTest::TearDown();
    }

    /// Adds entries numbered `seqs` to playlist `playlist`; each entry's song is 100 + seq.
    static void entries(qint32 playlist, std::initializer_list<qint64> seqs)
    {
        for (qint64 s : seqs) {
            PLA.clear();
            PLA.PlaylistID = playlist;
            PLA.PlaylistSeq = s;
            PLA.ID = 100 + s;
            ASSERT_EQ(PlaylistDetails.add(), 0);
        }
    }
    /// "seq:song" of playlist `playlist` in sequence order.
    static QStringList order(qint32 playlist)
    {
        QStringList out;
        PlaylistDetails.set(PlaylistDetailsRecord::KeyPlaylistID);
        while (PlaylistDetails.next() == 0)
            if (PLA.PlaylistID == playlist)
                out << QStringLiteral("%1:%2").arg(PLA.PlaylistSeq).arg(PLA.ID);
        return out;
    }
    static store::Position entry(qint32 playlist, qint64 seq)
    {
        PLA.clear();
        PLA.PlaylistID = playlist;
        PLA.PlaylistSeq = seq;
        EXPECT_EQ(PlaylistDetails.get(PlaylistDetailsRecord::KeyPlaylistID), 0);
        return PlaylistDetails.position();
    }
    static RangeMove mover()
    {
        return RangeMove(PlaylistDetails, PlaylistDetailsRecord::KeyPlaylistID, 1,
                         QStringLiteral("PlaylistDetails"));
    }

    ScriptedMessageService messages;

private:
    MessageService *m_previous = nullptr;
};

} // namespace

TEST_F(RangeMoveTest, oneStepMovesSwapTwoNumbers)
{
    entries(1, {1, 2, 3});
    RangeMove m = mover();
    EXPECT_EQ(m.move(entry(1, 2), Direction::UpOne), Outcome::Moved);
    EXPECT_EQ(order(1), (QStringList{"1:102", "2:101", "3:103"}));
    EXPECT_EQ(m.move(entry(1, 2), Direction::DownOne), Outcome::Moved);
    EXPECT_EQ(order(1), (QStringList{"1:102", "2:103", "3:101"}));
    // The moved record is where the list should highlight it.
    ASSERT_EQ(PlaylistDetails.get(m.position()), 0);
    EXPECT_EQ(PLA.ID, 101);
    EXPECT_EQ(m.writes(), 3);
}

TEST_F(RangeMoveTest, movesToAnEndShiftEveryPassedRecord)
{
    entries(1, {1, 2, 3, 4, 5});
    RangeMove m = mover();
    EXPECT_EQ(m.move(entry(1, 2), Direction::ToBottom), Outcome::Moved);
    EXPECT_EQ(order(1), (QStringList{"1:101", "2:103", "3:104", "4:105", "5:102"}));
    EXPECT_EQ(m.move(entry(1, 4), Direction::ToTop), Outcome::Moved);
    EXPECT_EQ(order(1), (QStringList{"1:105", "2:101", "3:103", "4:104", "5:102"}));
}

TEST_F(RangeMoveTest, theEndsOfTheRangeStayPutAndOtherRangesAreUntouched)
{
    entries(1, {1, 2});
    entries(2, {1, 2});
    entries(3, {7});
    RangeMove m = mover();
    EXPECT_EQ(m.move(entry(2, 1), Direction::UpOne), Outcome::Unchanged);
    EXPECT_EQ(m.move(entry(2, 1), Direction::ToTop), Outcome::Unchanged);
    EXPECT_EQ(m.move(entry(2, 2), Direction::DownOne), Outcome::Unchanged);
    EXPECT_EQ(m.move(entry(2, 2), Direction::ToBottom), Outcome::Unchanged);
    EXPECT_EQ(m.move(entry(3, 7), Direction::ToBottom), Outcome::Unchanged);
    EXPECT_EQ(order(1), (QStringList{"1:101", "2:102"}));
    EXPECT_EQ(order(2), (QStringList{"1:101", "2:102"}));
    EXPECT_EQ(order(3), (QStringList{"7:107"}));
    EXPECT_TRUE(messages.requests().isEmpty());
    EXPECT_FALSE(store::Store::instance().inTransaction());
}

TEST_F(RangeMoveTest, numbersWithGapsKeepTheirSet)
{
    entries(1, {1, 4, 9});
    RangeMove m = mover();
    EXPECT_EQ(m.move(entry(1, 9), Direction::ToTop), Outcome::Moved);
    EXPECT_EQ(order(1), (QStringList{"1:109", "4:101", "9:104"}));
    EXPECT_EQ(m.move(entry(1, 4), Direction::DownOne), Outcome::Moved);
    EXPECT_EQ(order(1), (QStringList{"1:109", "4:104", "9:101"}));
}

TEST_F(RangeMoveTest, aGoneRecordMovesNothing)
{
    entries(1, {1, 2});
    const store::Position gone = entry(1, 2);
    ASSERT_EQ(PlaylistDetails.deleteRecord(), 0);
    EXPECT_EQ(mover().move(gone, Direction::UpOne), Outcome::Unchanged);
    EXPECT_EQ(order(1), (QStringList{"1:101"}));
}

TEST_F(RangeMoveTest, aFailingStepNamesItAndLeavesEveryNumber)
{
    entries(1, {1, 2, 3});
    const store::Position moved = entry(1, 3);
    // The second shift of the move fails as a full disk would.
    store::Store &st = store::Store::instance();
    ASSERT_EQ(st.exec("CREATE TEMP TRIGGER failing BEFORE UPDATE ON \"PlaylistDetails\".rec "
                      "WHEN OLD.PlaylistSeq = 1 AND NEW.PlaylistSeq = 2 "
                      "BEGIN SELECT RAISE(ABORT, 'disk full'); END"),
              0);
    EXPECT_EQ(mover().move(moved, Direction::ToTop), Outcome::Failed);
    ASSERT_EQ(st.exec("DROP TRIGGER temp.failing"), 0);
    EXPECT_FALSE(st.inTransaction());
    ASSERT_EQ(messages.requests().size(), 1);
    const MessageRequest r = messages.requests().front();
    EXPECT_EQ(r.caption, QStringLiteral("Error!"));
    EXPECT_TRUE(r.text.startsWith(QStringLiteral("Record swap error: \n")));
    EXPECT_TRUE(r.text.contains(QStringLiteral("\nPlaylistDetails, PLA:KeyPlaylistID\n")));
    EXPECT_TRUE(r.text.contains(QStringLiteral("Key Field PLA:PlaylistSeq = ")));
    EXPECT_TRUE(r.text.contains(QStringLiteral("disk full")));
    EXPECT_TRUE(
        r.text.endsWith(QStringLiteral("Key Field PLA:PlaylistSeq = 2\nSection = Put Swap.")));
    EXPECT_EQ(order(1), (QStringList{"1:101", "2:102", "3:103"}));
}

TEST_F(RangeMoveTest, theWizardsTrackListMovesWithinItsInstance)
{
    // The same mover over another file: the instance is the range, the track the number.
    for (qint64 instance : {4, 5})
        for (qint64 track = 1; track <= 5; ++track) {
            AW.clear();
            AW.Instance = instance;
            AW.Track = track;
            AW.Title = QStringLiteral("T%1").arg(track);
            ASSERT_EQ(AddWizard.add(), 0);
        }
    AW.clear();
    AW.Instance = 4;
    AW.Track = 2;
    ASSERT_EQ(AddWizard.get(AddWizardRecord::KeyInstance), 0);
    RangeMove m(AddWizard, AddWizardRecord::KeyInstance, 1, QStringLiteral("AddWizard"));
    EXPECT_EQ(m.move(AddWizard.position(), Direction::ToBottom), Outcome::Moved);
    QStringList four, five;
    AddWizard.set(AddWizardRecord::KeyInstance);
    while (AddWizard.next() == 0)
        (AW.Instance == 4 ? four : five) << QStringLiteral("%1:%2").arg(AW.Track).arg(AW.Title);
    EXPECT_EQ(four, (QStringList{"1:T1", "2:T3", "3:T4", "4:T5", "5:T2"}));
    EXPECT_EQ(five, (QStringList{"1:T1", "2:T2", "3:T3", "4:T4", "5:T5"}));
}
