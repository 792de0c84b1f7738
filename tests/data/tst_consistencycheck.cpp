// The check of every data file and the links between them, and `melodex check` that runs it.
#include "../platform/store/storetestfixture.h"

#include "data/consistencycheck.h"
#include "cli/frontdoor.h"
#include "platform/store/collation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <unistd.h>

using namespace melodex;
using namespace melodex::store;
using melodex::test::StoreTest;

namespace {

class ConsistencyCheckTest : public StoreTest
{
protected:
    /// Two categories, an album, and three songs that name them.
    void SetUp() override
    {
        StoreTest::SetUp();
        openFile(Songlore);
        openFile(Categories);
        openFile(Album);
        for (int id : {1, 2}) {
            CAT.CategoryID = id;
            CAT.Category = QStringLiteral("Category %1").arg(id);
            ASSERT_EQ(Categories.add(), 0);
        }
        ALB.clear();
        ALB.AlbumID = 5;
        ALB.Album = QStringLiteral("Arrival");
        ALB.CategoryID = 2;
        ASSERT_EQ(Album.add(), 0);
        ASSERT_EQ(addSong(QStringLiteral("ABBA"), QStringLiteral("SOS"), 1, 1), 0);
        ASSERT_EQ(addSong(QStringLiteral("ABBA"), QStringLiteral("Fernando"), 2, 2), 0);
        MUS.AlbumID = 5;
        ASSERT_EQ(Songlore.put(), 0);
        ASSERT_EQ(addSong(QStringLiteral("Blondie"), QStringLiteral("Atomic"), 3), 0);
        Store::instance().closeAll();
    }

    void runSql(const QString &file, const char *sql)
    {
        sqlite3 *db = nullptr;
        const QString path = dir() + u'/' + file;
        ASSERT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr),
                  SQLITE_OK);
        registerKeyCollation(db);
        ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db);
        sqlite3_close(db);
    }

    // "file: text", the order of the findings.
    static QStringList findings()
    {
        QStringList out;
        for (const CheckFinding &f : checkConsistency(FileCheck::Depth::Full))
            out << QFileInfo(f.file).fileName() + QStringLiteral(": ") + f.text;
        return out;
    }

    int runCheck()
    {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const std::optional<int> code =
            cli::runCommand({QStringLiteral("check"), QStringLiteral("--data-dir"), dir()});
        printed = QString::fromStdString(testing::internal::GetCapturedStdout());
        summary = QString::fromStdString(testing::internal::GetCapturedStderr());
        return code.value_or(-1);
    }
    QString printed, summary;

    /// Copies the files into `to` as a process ended in the middle of a change leaves them: the
    /// songs file written ahead of its commit, its journal beside it, and no lock held.
    void leaveUnfinishedChange(const QString &to)
    {
        sqlite3 *db = nullptr;
        const QString songs = dir() + QStringLiteral("/sgldata.db");
        ASSERT_EQ(sqlite3_open_v2(songs.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr),
                  SQLITE_OK);
        registerKeyCollation(db);
        ASSERT_EQ(sqlite3_exec(db,
                               "PRAGMA cache_size=2; BEGIN;"
                               "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n "
                               "WHERE i<300) INSERT INTO rec(Title, ID) SELECT "
                               "printf('%0300d', i), 100+i FROM n",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK)
            << sqlite3_errmsg(db);
        for (const QString &name : QDir(dir()).entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(dir() + u'/' + name, to + u'/' + name));
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    static QByteArray readAll(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(ConsistencyCheckTest, SoundFilesHaveNoFindingAndNothingIsCreated)
{
    EXPECT_EQ(findings(), QStringList());
    EXPECT_FALSE(QFile::exists(dir() + QStringLiteral("/sglfont.db")));
    EXPECT_EQ(runCheck(), 0);
    EXPECT_EQ(printed, QString());
    EXPECT_EQ(summary, QStringLiteral("Check Completed: no fault found.\n"));
}

TEST_F(ConsistencyCheckTest, BrokenLinksAndDoubledSongNumbersAreFound)
{
    runSql(QStringLiteral("SGLCAT.db"), "DELETE FROM rec WHERE CategoryID=2");
    // A unique key that lost its index lets a number be given twice.
    runSql(QStringLiteral("sgldata.db"),
           "DROP INDEX KeyID; UPDATE rec SET ID=1 WHERE "
           "Title='Atomic'; UPDATE rec SET AlbumID=9 WHERE AlbumID=5");
    EXPECT_EQ(findings(),
              (QStringList{
                  QStringLiteral("sgldata.db: has keys other than its layout's; rebuild its keys"),
                  QStringLiteral("sgldata.db: 1 song numbers are given to more than one song"),
                  QStringLiteral("sgldata.db: 1 songs name a category that does not exist"),
                  QStringLiteral("sgldata.db: 1 songs name an album that does not exist"),
                  QStringLiteral("sglalbum.db: 1 albums name a category that does not exist")}));

    // Without a categories file every category a song names is missing.
    ASSERT_TRUE(QFile::remove(dir() + QStringLiteral("/SGLCAT.db")));
    EXPECT_TRUE(findings().contains(
        QStringLiteral("sgldata.db: 2 songs name a category that does not exist")))
        << findings().join(u'|').toStdString();

    EXPECT_EQ(runCheck(), 1);
    EXPECT_TRUE(printed.contains(dir() + QStringLiteral("/sgldata.db: 1 song numbers")));
    EXPECT_TRUE(summary.startsWith(QStringLiteral("Check Completed: 5 faults found.")))
        << summary.toStdString();
}

// An emptied file is said to be empty, and the songs and albums that name its records are counted
// as for a missing one (not a read fault of the songs file).
TEST_F(ConsistencyCheckTest, AnEmptiedFileIsNamedAndWhatNamesItIsCounted)
{
    ASSERT_TRUE(QFile::resize(dir() + QStringLiteral("/SGLCAT.db"), 0));
    EXPECT_EQ(
        findings(),
        (QStringList{QStringLiteral("SGLCAT.db: is empty (0 bytes); restore it from a backup"),
                     QStringLiteral("sgldata.db: 2 songs name a category that does not exist"),
                     QStringLiteral("sglalbum.db: 1 albums name a category that does not exist")}));
    EXPECT_EQ(QFileInfo(dir() + QStringLiteral("/SGLCAT.db")).size(), 0);
}

// The files as a process ended in the middle of a change leaves them: the songs file written
// ahead of its commit, its journal beside it. The check rolls the change back, says so on
// standard error, and finds no fault.
TEST_F(ConsistencyCheckTest, TheCommandRollsBackAnUnfinishedChangeAndSaysSo)
{
    QTemporaryDir ended;
    ASSERT_TRUE(ended.isValid());
    leaveUnfinishedChange(ended.path());
    ASSERT_TRUE(QFile::exists(ended.filePath(QStringLiteral("sgldata.db-journal"))));

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const std::optional<int> code = cli::runCommand(
        {QStringLiteral("check"), QStringLiteral("--data-dir"), ended.path()});
    printed = QString::fromStdString(testing::internal::GetCapturedStdout());
    summary = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_EQ(code, 0) << printed.toStdString();
    EXPECT_EQ(printed, QString());
    EXPECT_TRUE(summary.contains(ended.filePath(QStringLiteral("sgldata.db")) +
                                 QStringLiteral(": a change left unfinished")))
        << summary.toStdString();
    EXPECT_TRUE(summary.endsWith(QStringLiteral("Check Completed: no fault found.\n")));
}

// A user who may only read the files cannot roll the change back: the check rolls back a copy
// instead, checks that, says so, and leaves the files as they are.
TEST_F(ConsistencyCheckTest, AReaderWhoMayNotWriteChecksTheFilesAsTheyWillBeRolledBack)
{
    if (geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        GTEST_SKIP() << "needs root and setpriv to run the check as an unprivileged user";
    QTemporaryDir ended;
    ASSERT_TRUE(ended.isValid());
    leaveUnfinishedChange(ended.path());
    const QString journal = ended.filePath(QStringLiteral("sgldata.db-journal"));
    const QByteArray before = readAll(journal);
    ASSERT_FALSE(before.isEmpty());
    const auto readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    for (const QString &name : QDir(ended.path()).entryList(QDir::Files))
        QFile::setPermissions(ended.filePath(name), readOnly);
    QFile::setPermissions(ended.path(), readOnly | QFile::ExeOwner | QFile::ExeGroup |
                                            QFile::ExeOther | QFile::WriteOwner);
    if (!QFileInfo(QFileInfo(ended.path()).absolutePath()).permissions().testFlag(QFile::ExeOther))
        GTEST_SKIP() << "the scratch directory's parent is not reachable by an unprivileged user";

    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    env.insert(QStringLiteral("TMPDIR"), QStringLiteral("/tmp"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("setpriv"),
            {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
             QStringLiteral("--clear-groups"), QStringLiteral(MELODEX_BINARY),
             QStringLiteral("check"), QStringLiteral("--data-dir"), ended.path()});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 0) << out.toStdString() << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("sgldata.db: holds a change left unfinished")))
        << err.toStdString();
    EXPECT_EQ(readAll(journal), before);
}

} // namespace
