// The whole-file checks: SQLite's page and key check, the kept count, and the collation extension
// that lets standard tools run them.
#include "storetestfixture.h"

#include "platform/store/collation.h"
#include "platform/store/filecheck.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <sqlite3.h>

using namespace melodex;
using namespace melodex::store;
using melodex::test::StoreTest;

namespace {

class FileCheckTest : public StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        openFile(Songlore);
        Store::instance().stream();
        for (int i = 1; i <= 600; ++i)
            ASSERT_EQ(addSong(QStringLiteral("Ärzte %1").arg(i % 37),
                              QStringLiteral("Song %1 ").arg(i) + QString(80, u'x'), i),
                      0);
        ASSERT_EQ(Store::instance().flush(), 0);
        Store::instance().closeAll();
    }

    QString songsPath() const { return dir() + QStringLiteral("/sgldata.db"); }

    static void runSql(const QString &path, const char *sql)
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr),
                  SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db);
        sqlite3_close(db);
    }

    static QStringList check(const KeyedFile &file, FileCheck::Depth depth)
    {
        FileCheck c;
        c.checkFile(file, depth);
        QStringList texts;
        for (const CheckFinding &f : c.findings())
            texts << f.text;
        return texts;
    }
};

TEST_F(FileCheckTest, SoundFileHasNoFindingAndAMissingOneIsNeitherAFaultNorCreated)
{
    EXPECT_EQ(check(Songlore, FileCheck::Depth::Full), QStringList());
    EXPECT_EQ(check(Songlore, FileCheck::Depth::Quick), QStringList());
    EXPECT_EQ(check(Categories, FileCheck::Depth::Full), QStringList());
    EXPECT_FALSE(QFile::exists(dir() + QStringLiteral("/SGLCAT.db")));
}

TEST_F(FileCheckTest, WrongKeptCountDamagedPagesAndForeignFilesAreFound)
{
    runSql(songsPath(), "UPDATE meta SET records=records+3");
    EXPECT_EQ(check(Songlore, FileCheck::Depth::Quick),
              QStringList{QStringLiteral("keeps a record count of 603 but holds 600 records")});

    {
        QFile f(songsPath());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.seek(f.size() / 4096 / 2 * 4096));
        f.write(QByteArray(4096, '\x5A'));
    }
    // Whatever the check met first, it names the damage and nothing else.
    const QStringList damaged = check(Songlore, FileCheck::Depth::Full);
    ASSERT_FALSE(damaged.isEmpty());
    for (const QString &text : damaged)
        EXPECT_TRUE(text.startsWith(QStringLiteral("is damaged: "))) << text.toStdString();

    {
        QFile f(songsPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(4096, 'x'));
    }
    EXPECT_EQ(check(Songlore, FileCheck::Depth::Full),
              QStringList{QStringLiteral("is not a data file of this program")});
}

// A writer killed while its transaction had written pages leaves them in the file and their
// committed versions in its journal; the check plays the journal back and finds the file sound.
TEST_F(FileCheckTest, AJournalAKilledWriterLeftIsPlayedBackBeforeTheCheck)
{
    sqlite3 *writer = nullptr;
    ASSERT_EQ(sqlite3_open(songsPath().toUtf8().constData(), &writer), SQLITE_OK);
    registerKeyCollation(writer);
    // A small cache makes the transaction write its pages to the file before it commits.
    ASSERT_EQ(sqlite3_exec(writer,
                           "PRAGMA cache_size=5; BEGIN; DELETE FROM rec WHERE _id % 2 = 0;"
                           "UPDATE meta SET records = 0",
                           nullptr, nullptr, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(writer);
    // The files as the kill leaves them: no process holds them any more.
    const QString killed = dir() + QStringLiteral("/killed");
    ASSERT_TRUE(QDir().mkpath(killed));
    for (const QString &name : {QStringLiteral("sgldata.db"), QStringLiteral("sgldata.db-journal")})
        ASSERT_TRUE(QFile::copy(dir() + u'/' + name, killed + u'/' + name)) << name.toStdString();
    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(writer);

    Store::instance().setDataDirectory(killed);
    EXPECT_EQ(check(Songlore, FileCheck::Depth::Full), QStringList());
    EXPECT_FALSE(QFile::exists(killed + QStringLiteral("/sgldata.db-journal")));
    openFile(Songlore);
    EXPECT_EQ(Songlore.records(), 600);
}

TEST_F(FileCheckTest, StandardToolsCheckTheFilesWithTheCollationExtension)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(songsPath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    auto integrity = [&] {
        sqlite3_stmt *st = nullptr;
        QString verdict;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr) != SQLITE_OK)
            verdict = QString::fromUtf8(sqlite3_errmsg(db));
        else if (sqlite3_step(st) == SQLITE_ROW)
            verdict = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        return verdict;
    };
    EXPECT_TRUE(integrity().contains(QStringLiteral("no such collation sequence: MDX")));
    sqlite3_enable_load_extension(db, 1);
    char *error = nullptr;
    ASSERT_EQ(sqlite3_load_extension(db, COLLATION_EXTENSION, nullptr, &error), SQLITE_OK)
        << (error ? error : "");
    EXPECT_EQ(integrity(), QStringLiteral("ok"));
    // The extension's order is the program's: a key walk through it meets the same titles.
    sqlite3_stmt *st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT count(*) FROM rec WHERE Artist = 'ärzte 5'", -1, &st,
                                 nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(st, 0), 17); // 5, 42, ..., 597
    sqlite3_finalize(st);
    sqlite3_close(db);

    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty())
        GTEST_SKIP() << "the sqlite3 shell is not installed";
    QString library = QStringLiteral(COLLATION_EXTENSION);
    library.chop(3); // ".so": the shell adds it, as a user types it
    QProcess p;
    p.start(shell, {songsPath(), QStringLiteral(".load ") + library,
                    QStringLiteral("PRAGMA integrity_check")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.readAllStandardOutput().trimmed(), QByteArray("ok"))
        << p.readAllStandardError().toStdString();
}

} // namespace
