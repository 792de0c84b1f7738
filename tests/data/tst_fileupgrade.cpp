// Tests of upgrading a data file written in an earlier layout of its records.
#include "interchangefixture.h"

#include "data/fileopen.h"
#include "platform/store/collation.h"

#include <QDir>

#include <sqlite3.h>

#include <csignal>
#include <sys/resource.h>

using namespace melodex;
using melodex::test::InterchangeTest;

namespace {

class FileUpgradeTest : public InterchangeTest
{
protected:
    /// Songs written by today's layout, then turned into the layout of a version that had
    /// neither ratings nor recording notes.
    void makeOlderSongsFile(int songs)
    {
        {
            store::FileUse use(Songlore);
            store::Store::instance().stream();
            for (int i = 1; i <= songs; ++i) {
                MUS.clear();
                MUS.ID = i;
                MUS.Artist = QStringLiteral("Ärzte %1").arg(i % 3);
                MUS.Title = QStringLiteral("Song %1").arg(i);
                MUS.Notes = QStringLiteral("notes %1").arg(i);
                ASSERT_EQ(Songlore.add(), 0);
            }
            ASSERT_EQ(store::Store::instance().flush(), 0);
        }
        store::Store::instance().closeAll();
        exec(Songlore.name(), "ALTER TABLE rec DROP COLUMN Rating;"
                              "ALTER TABLE rec DROP COLUMN Recording;"
                              "PRAGMA user_version=12345");
    }
    static void exec(const QString &path, const char *sql)
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(qPrintable(path), &db), SQLITE_OK);
        store::registerKeyCollation(db);
        EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db);
        sqlite3_close(db);
    }
    QStringList backups() const
    {
        return QDir(dataDir()).entryList({QStringLiteral("sgldata-before-upgrade-*.db")});
    }
};

TEST_F(FileUpgradeTest, AnOlderLayoutIsBackedUpCarriedOverAndOpened)
{
    makeOlderSongsFile(500);
    EXPECT_EQ(Songlore.open(), store::BadRecDeclErr);

    {
        store::FileUse use(Songlore); // the opening algorithm upgrades it
        ASSERT_TRUE(use.ok());
        EXPECT_EQ(Songlore.records(), 500);
        MUS.clear();
        MUS.ID = 321;
        ASSERT_EQ(Songlore.get(SongloreRecord::KeyID), 0);
        EXPECT_EQ(MUS.Title, QStringLiteral("Song 321"));
        EXPECT_EQ(MUS.Notes, QStringLiteral("notes 321"));
        EXPECT_EQ(MUS.Rating, QString());
        // Written in today's layout from now on.
        MUS.Rating = QStringLiteral("*****");
        EXPECT_EQ(Songlore.put(), 0);
        MUS.clear();
        MUS.Artist = QStringLiteral("ärzte 1"); // keys work, letter case and accents folded
        ASSERT_EQ(Songlore.setFromBuffer(SongloreRecord::SongsByArtist), 0);
        ASSERT_EQ(Songlore.next(), 0);
        EXPECT_EQ(MUS.Artist, QStringLiteral("Ärzte 1"));
    }
    EXPECT_TRUE(messages.requests().isEmpty());

    // The backup holds the file as it was.
    ASSERT_EQ(backups().size(), 1);
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(qPrintable(QDir(dataDir()).filePath(backups().first())), &db),
              SQLITE_OK);
    sqlite3_stmt *st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(
                  db, "SELECT count(*), (SELECT user_version FROM pragma_user_version) FROM rec",
                  -1, &st, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(st, 0), 500);
    EXPECT_EQ(sqlite3_column_int(st, 1), 12345);
    sqlite3_finalize(st);
    sqlite3_close(db);

    // A second start finds nothing to upgrade.
    store::Store::instance().closeAll();
    store::FileUse again(Songlore);
    EXPECT_TRUE(again.ok());
    EXPECT_EQ(backups().size(), 1);
}

TEST_F(FileUpgradeTest, WhatIsNoEarlierLayoutIsLeftAlone)
{
    makeOlderSongsFile(3);
    // A field this program does not know: not an earlier layout of its songs.
    exec(Songlore.name(), "ALTER TABLE rec ADD COLUMN Mystery TEXT NOT NULL DEFAULT ''");
    const QByteArray before = contents(Songlore.name());
    EXPECT_FALSE(upgradeFile(Songlore));
    EXPECT_EQ(contents(Songlore.name()), before);
    EXPECT_TRUE(backups().isEmpty());

    // Another program's file.
    exec(Album.name().replace(QStringLiteral("sglalbum"), QStringLiteral("sglalbum")),
         "CREATE TABLE rec(_id INTEGER PRIMARY KEY, _ver INTEGER, Album TEXT)");
    EXPECT_FALSE(upgradeFile(Album));
}

TEST_F(FileUpgradeTest, RecordsThatBreakAKeyOfTheNewLayoutLeaveTheFileAsItWas)
{
    // Two categories of one name: today's unique key refuses them.
    {
        store::FileUse use(Categories);
    }
    store::Store::instance().closeAll();
    exec(Categories.name(), "DROP INDEX IF EXISTS k1;"
                            "PRAGMA user_version=1");
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(qPrintable(Categories.name()), &db), SQLITE_OK);
    // Every index dropped, so that duplicates can be written the way an old version allowed.
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='index' AND sql IS NOT NULL",
                       -1, &st, nullptr);
    QStringList indexes;
    while (sqlite3_step(st) == SQLITE_ROW)
        indexes << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    for (const QString &i : indexes)
        exec(Categories.name(), qPrintable(QStringLiteral("DROP INDEX \"%1\"").arg(i)));
    exec(Categories.name(), "INSERT INTO rec(CategoryID, Category) VALUES(1,'Rock'),(1,'Rock')");
    const QByteArray before = contents(Categories.name());

    EXPECT_FALSE(upgradeFile(Categories));
    EXPECT_EQ(contents(Categories.name()), before);
    // It got as far as the copy, which stays.
    EXPECT_EQ(QDir(dataDir()).entryList({QStringLiteral("SGLCAT-before-upgrade-*.db")}).size(), 1);
}

// The backup appears under its name only when whole: a copy that could not be finished (here the
// process may write no file past 16 KB) leaves neither a backup nor its temporary, and the next
// upgrade writes the one backup.
TEST_F(FileUpgradeTest, ABackupThatCouldNotBeFinishedLeavesNothingBehind)
{
    makeOlderSongsFile(500);
    const QByteArray before = contents(Songlore.name());
    ASSERT_GT(before.size(), 32 * 1024);
    {
        struct sigaction ignore
        {
        }, previous{};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGXFSZ, &ignore, &previous);
        rlimit limit{}, saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        limit = saved;
        limit.rlim_cur = 16 * 1024;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
        const bool upgraded = upgradeFile(Songlore);
        setrlimit(RLIMIT_FSIZE, &saved);
        sigaction(SIGXFSZ, &previous, nullptr);
        EXPECT_FALSE(upgraded);
    }
    EXPECT_TRUE(backups().isEmpty());
    EXPECT_TRUE(QDir(dataDir()).entryList({QStringLiteral("*.new-*")}).isEmpty());
    EXPECT_EQ(contents(Songlore.name()), before);

    EXPECT_TRUE(upgradeFile(Songlore));
    ASSERT_EQ(backups().size(), 1);
    EXPECT_FALSE(backups().front().contains(QStringLiteral("-2.db")));
}

} // namespace
