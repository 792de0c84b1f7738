// The chart week rollover: the "LW:" tag rules and the run over a playlist.
#include "playliststest.h"

#include "platform/store/store.h"
#include "playlists/chartrollover.h"

using namespace melodex;

namespace {

struct TagCase
{
    const char *notes;
    qint64 position;
    const char *expected;
};

class LastWeekTag : public ::testing::TestWithParam<TagCase>
{
};

TEST_P(LastWeekTag, replacesEveryWholeTag)
{
    const TagCase &c = GetParam();
    const QString out = ChartRollover::withLastWeek(QString::fromUtf8(c.notes), c.position);
    EXPECT_EQ(out, QString::fromUtf8(c.expected));
    EXPECT_LE(out.size(), 40);
    // A second rollover at the same position changes nothing.
    EXPECT_EQ(ChartRollover::withLastWeek(out, c.position), out);
}

INSTANTIATE_TEST_SUITE_P(
    Notes, LastWeekTag,
    ::testing::Values(TagCase{"Great single LW:7", 3, "Great single LW:3"}, TagCase{"", 3, "LW:3"},
                      TagCase{"   ", 12, "LW:12"},
                      // All digits go with the tag, not only two of them.
                      TagCase{"LW:123", 4, "LW:4"}, TagCase{"Hit LW:", 1, "Hit LW:1"},
                      TagCase{"new LW:5 entry", 2, "new entry LW:2"},
                      TagCase{"LW:9 LW:8 twice", 6, "twice LW:6"},
                      TagCase{"lw:4 is not a tag", 5, "lw:4 is not a tag LW:5"},
                      // Long notes give way to the tag, which must stay whole.
                      TagCase{"1234567890123456789012345678901234567890", 17,
                              "1234567890123456789012345678901234 LW:17"},
                      TagCase{"A long note that ends at forty charact LW:99", 100,
                              "A long note that ends at forty ch LW:100"}));

class RolloverTest : public test::PlaylistsTest
{
protected:
    static QStringList notesOf(qint32 playlist)
    {
        QStringList out;
        PlaylistDetails.set(PlaylistDetailsRecord::KeyPlaylistID);
        while (PlaylistDetails.next() == 0)
            if (PLA.PlaylistID == playlist)
                out << QStringLiteral("%1|%2").arg(PLA.PlaylistSeq).arg(PLA.PlaylistNotes);
        return out;
    }
    static BatchRun::State run(ChartRollover &r)
    {
        EXPECT_TRUE(r.start());
        BatchRun::State s = BatchRun::State::Running;
        for (int i = 0; i < 100 && s == BatchRun::State::Running; ++i)
            s = r.step(25);
        return s;
    }
};

} // namespace

TEST_F(RolloverTest, everyEntryOfThePlaylistGetsItsPositionAsLastWeek)
{
    for (int seq = 1; seq <= 60; ++seq)
        addEntry(2, seq, seq, seq == 3 ? QStringLiteral("Great single LW:7") : QString());
    addEntry(1, 1, 5, QStringLiteral("keep"));
    addEntry(3, 1, 5);
    ChartRollover r(2);
    EXPECT_EQ(r.caption(), QStringLiteral("Processing Records"));
    EXPECT_EQ(r.subtitle(), QStringLiteral("Updating Chart"));
    ASSERT_TRUE(r.start());
    EXPECT_EQ(r.step(25), BatchRun::State::Running);
    EXPECT_EQ(r.percent(), 41);
    EXPECT_EQ(r.step(25), BatchRun::State::Running);
    EXPECT_EQ(r.step(25), BatchRun::State::Completed);
    EXPECT_EQ(r.percent(), 100);
    const QStringList notes = notesOf(2);
    ASSERT_EQ(notes.size(), 60);
    EXPECT_EQ(notes[0], QStringLiteral("1|LW:1"));
    EXPECT_EQ(notes[2], QStringLiteral("3|Great single LW:3"));
    EXPECT_EQ(notes[59], QStringLiteral("60|LW:60"));
    EXPECT_EQ(notesOf(1), QStringList{QStringLiteral("1|keep")});
    EXPECT_EQ(notesOf(3), QStringList{QStringLiteral("1|")});
    // Rolled over twice, the tags stay single.
    ChartRollover again(2);
    EXPECT_EQ(run(again), BatchRun::State::Completed);
    EXPECT_EQ(notesOf(2), notes);
}

TEST_F(RolloverTest, anEmptyPlaylistCompletesAndCancelKeepsWhatWasDone)
{
    ChartRollover empty(9);
    EXPECT_EQ(run(empty), BatchRun::State::Completed);
    EXPECT_EQ(empty.percent(), 100);

    for (int seq = 1; seq <= 30; ++seq)
        addEntry(1, seq, seq);
    ChartRollover r(1);
    ASSERT_TRUE(r.start());
    EXPECT_EQ(r.step(25), BatchRun::State::Running);
    r.cancel();
    EXPECT_EQ(r.step(25), BatchRun::State::Cancelled);
    const QStringList notes = notesOf(1);
    EXPECT_EQ(notes[24], QStringLiteral("25|LW:25"));
    EXPECT_EQ(notes[25], QStringLiteral("26|"));
}

TEST_F(RolloverTest, theQuestionAndAFailingWrite)
{
    messages.answer(MessageRequest::Cancel);
    EXPECT_FALSE(ChartRollover::confirm());
    EXPECT_TRUE(ChartRollover::confirm());
    ASSERT_EQ(messages.requests().size(), 2);
    const MessageRequest q = messages.requests().front();
    EXPECT_EQ(q.caption, QStringLiteral("Warning"));
    EXPECT_EQ(q.buttons, MessageRequest::Ok | MessageRequest::Cancel);
    EXPECT_EQ(q.defaultButton, MessageRequest::Ok);
    messages.clear();

    for (int seq = 1; seq <= 40; ++seq)
        addEntry(1, seq, seq);
    ASSERT_EQ(store::Store::instance().exec(
                  "CREATE TEMP TRIGGER failing BEFORE UPDATE ON \"PlaylistDetails\".rec "
                  "WHEN NEW.PlaylistSeq = 30 BEGIN SELECT RAISE(ABORT, 'disk full'); END"),
              0);
    ChartRollover r(1);
    EXPECT_EQ(run(r), BatchRun::State::Failed);
    ASSERT_EQ(store::Store::instance().exec("DROP TRIGGER temp.failing"), 0);
    ASSERT_EQ(messages.requests().size(), 1);
    EXPECT_EQ(messages.requests().front().caption, QStringLiteral("Process PUT Error"));
    EXPECT_TRUE(messages.requests().front().text.contains(QStringLiteral("Process:View")));
    // The first step stays; the failing one left nothing half done.
    const QStringList notes = notesOf(1);
    EXPECT_EQ(notes[24], QStringLiteral("25|LW:25"));
    EXPECT_EQ(notes[25], QStringLiteral("26|"));
    EXPECT_FALSE(store::Store::instance().inTransaction());
}
