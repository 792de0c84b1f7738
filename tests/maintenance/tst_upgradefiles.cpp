// Tests of moving the earlier version's songs into the songs file.
#include "interchangefixture.h"

#include "maintenance/upgradefiles.h"

#include <sqlite3.h>

using namespace melodex;
using melodex::test::InterchangeTest;

namespace {

class UpgradeFilesTest : public InterchangeTest
{
protected:
    static void addOldSongs(int count, int first = 1)
    {
        store::FileUse use(OldSonglore);
        store::Store::instance().stream();
        for (int i = first; i < first + count; ++i) {
            M1.clear();
            M1.Artist = QStringLiteral("Artist %1").arg(i % 7);
            M1.Title = QStringLiteral("Title %1").arg(i);
            M1.Album = QStringLiteral("Album with a thirty-char name");
            M1.Media = QStringLiteral("LP");
            M1.FileNumber = QStringLiteral("A-%1").arg(i);
            M1.ReleaseDate = 60000 + i;
            M1.Notes = QStringLiteral("notes of %1").arg(i);
            ASSERT_EQ(OldSonglore.add(), 0);
        }
        ASSERT_EQ(store::Store::instance().flush(), 0);
    }
    static qint64 count(store::KeyedFile &f)
    {
        store::FileUse use(f);
        return f.records();
    }
};

TEST_F(UpgradeFilesTest, NothingToMoveShowsNothing)
{
    UpgradeFilesRun missing;
    EXPECT_FALSE(missing.start()); // the old file is made empty
    EXPECT_TRUE(QFile::exists(OldSonglore.name()));
    UpgradeFilesRun empty;
    EXPECT_FALSE(empty.start());
    EXPECT_TRUE(messages.requests().isEmpty());
}

TEST_F(UpgradeFilesTest, TwentyFiveHundredOldSongsMoveInThreeTicks)
{
    addOldSongs(2500);
    UpgradeFilesRun run;
    ASSERT_TRUE(run.start());
    QList<int> percents;
    int ticks = 0;
    while (run.state() == BatchRun::State::Running) {
        run.step(run.recordsPerTick());
        percents << run.percent();
        ++ticks;
    }
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(percents, (QList<int>{40, 80, 100}));
    EXPECT_EQ(run.state(), BatchRun::State::Completed);
    EXPECT_EQ(run.songsMoved(), 2500);
    EXPECT_EQ(count(OldSonglore), 0);
    EXPECT_EQ(count(Songlore), 2500);

    store::FileUse use(Songlore);
    MUS.clear();
    MUS.Title = QStringLiteral("Title 17");
    ASSERT_EQ(Songlore.setFromBuffer(SongloreRecord::SongsByTitle), 0);
    ASSERT_EQ(Songlore.next(), 0);
    ASSERT_EQ(MUS.Title, QStringLiteral("Title 17"));
    EXPECT_EQ(MUS.Artist, QStringLiteral("Artist 3"));
    EXPECT_EQ(MUS.Album, QStringLiteral("Album with a thirty-char name"));
    EXPECT_EQ(MUS.Media, QStringLiteral("LP"));
    EXPECT_EQ(MUS.FileNumber, QStringLiteral("A-17"));
    EXPECT_EQ(MUS.ReleaseDate, 60017);
    EXPECT_EQ(MUS.Notes, QStringLiteral("notes of 17"));
    EXPECT_EQ(MUS.ID, 0);
    EXPECT_EQ(MUS.CategoryID, 0);
}

TEST_F(UpgradeFilesTest, CancelLeavesTheRestForTheNextStart)
{
    addOldSongs(30);
    {
        UpgradeFilesRun run;
        ASSERT_TRUE(run.start());
        run.step(10);
        run.cancel();
    }
    EXPECT_EQ(count(OldSonglore), 20);
    EXPECT_EQ(count(Songlore), 10);
    UpgradeFilesRun next;
    ASSERT_TRUE(next.start());
    EXPECT_EQ(runToEnd(next), BatchRun::State::Completed);
    EXPECT_EQ(count(OldSonglore), 0);
    EXPECT_EQ(count(Songlore), 30);
}

TEST_F(UpgradeFilesTest, AnOldSongWhoseAddFailsIsKept)
{
    addOldSongs(3);
    {
        store::FileUse use(Songlore);
    }
    store::Store::instance().closeAll();
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(qPrintable(Songlore.name()), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TRIGGER refuse BEFORE INSERT ON rec WHEN NEW.Title = 'Title 2' "
                           "BEGIN SELECT RAISE(ABORT, 'refused'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);

    UpgradeFilesRun run;
    ASSERT_TRUE(run.start());
    EXPECT_EQ(runToEnd(run), BatchRun::State::Completed);
    EXPECT_EQ(run.songsMoved(), 2);
    EXPECT_EQ(run.songsKept(), 1);
    store::FileUse use(OldSonglore);
    ASSERT_EQ(OldSonglore.records(), 1);
    OldSonglore.set();
    ASSERT_EQ(OldSonglore.next(), 0);
    EXPECT_EQ(M1.Title, QStringLiteral("Title 2"));
}

TEST_F(UpgradeFilesTest, AnOldSongThatCannotBeDeletedIsNotMovedTwice)
{
    addOldSongs(3);
    store::Store::instance().closeAll();
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(qPrintable(OldSonglore.name()), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TRIGGER refuse BEFORE DELETE ON rec WHEN OLD.Title = 'Title 2' "
                           "BEGIN SELECT RAISE(ABORT, 'refused'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);

    UpgradeFilesRun run;
    ASSERT_TRUE(run.start());
    EXPECT_EQ(runToEnd(run), BatchRun::State::Failed);
    EXPECT_EQ(run.songsMoved(), 1);
    // Every song is in exactly one of the two files: the next start moves the rest once.
    auto titles = [](store::KeyedFile &file, const QString &(*title)()) {
        store::FileUse use(file);
        QStringList out;
        file.set();
        while (file.next() == 0)
            out << title();
        out.sort();
        return out;
    };
    const QStringList moved = titles(Songlore, []() -> const QString & { return MUS.Title; });
    const QStringList kept = titles(OldSonglore, []() -> const QString & { return M1.Title; });
    EXPECT_EQ(moved, QStringList{QStringLiteral("Title 1")});
    EXPECT_EQ(kept, (QStringList{QStringLiteral("Title 2"), QStringLiteral("Title 3")}));
}

} // namespace
