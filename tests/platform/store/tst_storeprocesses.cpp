// The store shared with another process: changes, locks, kills mid-transaction, no permission.
#include "storetestfixture.h"

#include "platform/store/collation.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>

#include <sqlite3.h>
#include <unistd.h>

using namespace melodex;
using namespace melodex::store;
using melodex::test::StoreTest;

namespace {

class StoreProcessTest : public StoreTest
{
protected:
    int runChild(const QStringList &args, QString *output = nullptr)
    {
        QProcess p;
        p.start(QStringLiteral(STORECHILD), QStringList{dir()} + args);
        EXPECT_TRUE(p.waitForFinished(60000));
        if (output)
            *output = QString::fromUtf8(p.readAllStandardOutput());
        return p.exitCode();
    }
};

TEST_F(StoreProcessTest, PutAfterAnotherProcessChangedTheRecordIsRefused)
{
    openFile(Songlore);
    ASSERT_EQ(addSong(QStringLiteral("ABBA"), QStringLiteral("Waterloo"), 1), 0);
    MUS.ID = 1;
    ASSERT_EQ(Songlore.get(SongloreRecord::KeyID), 0);

    ASSERT_EQ(runChild({QStringLiteral("change"), QStringLiteral("1"), QStringLiteral("Fernando")}),
              0);

    MUS.Title = QStringLiteral("SOS");
    EXPECT_EQ(Songlore.put(), RecordChangedErr);
    ASSERT_EQ(Songlore.reget(Songlore.position()), 0);
    EXPECT_EQ(MUS.Title, QStringLiteral("Fernando"));
}

TEST_F(StoreProcessTest, TransactionWaitsForAnotherProcessThenGivesUp)
{
    openFile(Songlore);
    openFile(Categories);
    QProcess holder;
    holder.start(QStringLiteral(STORECHILD),
                 {dir(), QStringLiteral("hold"), QStringLiteral("3.5")});
    ASSERT_TRUE(holder.waitForReadyRead(30000));
    ASSERT_TRUE(holder.readAllStandardOutput().startsWith("locked"));

    EXPECT_EQ(Store::instance().logout({&Songlore, &Categories}, 2), IsLockedErr);
    EXPECT_FALSE(Store::instance().inTransaction());

    ASSERT_TRUE(holder.waitForFinished(30000));
    EXPECT_EQ(holder.exitCode(), 0);
    ASSERT_EQ(Store::instance().logout({&Songlore, &Categories}, 2), 0);
    EXPECT_EQ(Songlore.records(), 1); // the holder's song, committed
    EXPECT_EQ(Store::instance().commit(), 0);
}

// Every file passes SQLite's full integrity check (with our collation, which the keys use).
void expectIntact(const QString &path)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr),
              SQLITE_OK);
    registerKeyCollation(db);
    sqlite3_stmt *st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)), "ok")
        << path.toStdString();
    sqlite3_finalize(st);
    sqlite3_close(db);
}

TEST_F(StoreProcessTest, KillingAWriterMidTransactionLeavesEveryFileAsBefore)
{
    {
        FileUse a(Songlore), b(Categories);
    }
    Store::instance().closeAll();
    for (int round = 0; round < 8; ++round) {
        QProcess churn;
        churn.start(QStringLiteral(STORECHILD), {dir(), QStringLiteral("churn")});
        ASSERT_TRUE(churn.waitForReadyRead(30000));
        QThread::msleep(40 + QRandomGenerator::global()->bounded(300));
        churn.kill();
        churn.waitForFinished(30000);

        expectIntact(dir() + QStringLiteral("/sgldata.db"));
        expectIntact(dir() + QStringLiteral("/SGLCAT.db"));
        openFile(Songlore);
        openFile(Categories);
        // Each transaction added one category and one song of it: both or neither survive.
        ASSERT_EQ(Songlore.records(), Categories.records()) << "round " << round;
        Songlore.set(SongloreRecord::KeyID);
        while (Songlore.next() == 0) {
            CAT.CategoryID = MUS.CategoryID;
            ASSERT_EQ(Categories.get(CategoriesRecord::KeyCategoryID), 0) << MUS.ID;
        }
        Store::instance().closeAll();
    }
}

// --- creating the files -----------------------------------------------------------------------

TEST_F(StoreProcessTest, FileThatAnotherProcessCreatedMeanwhileIsKept)
{
    QProcess late;
    late.start(QStringLiteral(STORECHILD),
               {dir(), QStringLiteral("create"), QStringLiteral("800"), QStringLiteral("late")});
    ASSERT_TRUE(late.waitForReadyRead(30000));
    ASSERT_TRUE(late.readAllStandardOutput().startsWith("missing"));
    // The other process found the file missing and stalls before creating it; this one creates it
    // meanwhile and writes to it.
    openFile(Songlore);
    ASSERT_EQ(addSong(QStringLiteral("A"), QStringLiteral("early"), 1), 0);
    ASSERT_TRUE(late.waitForFinished(30000));
    EXPECT_EQ(late.exitCode(), 0);

    Store::instance().closeAll();
    openFile(Songlore);
    QStringList titles = walk(SongloreRecord::SongsByTitle);
    EXPECT_EQ(titles, (QStringList{QStringLiteral("early"), QStringLiteral("late")}));
    EXPECT_EQ(QDir(dir()).entryList({QStringLiteral("*.new*")}, QDir::Files | QDir::Hidden),
              QStringList());
}

TEST_F(StoreProcessTest, TwoProcessesCreatingTheFilesAtOnceBothKeepTheirSongs)
{
    for (int round = 0; round < 8; ++round) {
        const QString data = dir() + QStringLiteral("/round%1").arg(round);
        ASSERT_TRUE(QDir().mkpath(data));
        QProcess a, b;
        a.start(QStringLiteral(STORECHILD),
                {data, QStringLiteral("create"), QStringLiteral("0"), QStringLiteral("a")});
        b.start(QStringLiteral(STORECHILD),
                {data, QStringLiteral("create"), QStringLiteral("0"), QStringLiteral("b")});
        ASSERT_TRUE(a.waitForFinished(30000));
        ASSERT_TRUE(b.waitForFinished(30000));
        EXPECT_EQ(a.exitCode(), 0) << "round " << round;
        EXPECT_EQ(b.exitCode(), 0) << "round " << round;

        Store::instance().setDataDirectory(data);
        openFile(Songlore);
        EXPECT_EQ(Songlore.records(), 2) << "round " << round;
        Store::instance().closeAll();
    }
}

// --- writers waiting for each other -------------------------------------------------------------

TEST_F(StoreProcessTest, TwoImportsIntoTheSameFilesBothComplete)
{
    {
        FileUse songs(Songlore), categories(Categories);
    }
    Store::instance().closeAll();
    QProcess a, b;
    // Each batch reads the highest song number before it adds: the pattern of an import.
    for (QProcess *p : {&a, &b})
        p->start(QStringLiteral(STORECHILD),
                 {dir(), QStringLiteral("import"), QStringLiteral("2000"), QStringLiteral("50"),
                  p == &a ? QStringLiteral("a") : QStringLiteral("b")});
    ASSERT_TRUE(a.waitForFinished(60000));
    ASSERT_TRUE(b.waitForFinished(60000));
    EXPECT_EQ(a.exitCode(), 0);
    EXPECT_EQ(b.exitCode(), 0);

    openFile(Songlore);
    EXPECT_EQ(Songlore.records(), 4000);
    MUS.clear();
    MUS.ID = 4000;
    EXPECT_EQ(Songlore.get(SongloreRecord::KeyID), 0); // numbered 1 to 4000 without a clash
}

TEST_F(StoreProcessTest, BatchThatCannotBeginRefusesItsWritesAndKeepsNothing)
{
    openFile(Songlore);
    openFile(Categories);
    QProcess holder;
    holder.start(QStringLiteral(STORECHILD),
                 {dir(), QStringLiteral("hold"), QStringLiteral("3.5")});
    ASSERT_TRUE(holder.waitForReadyRead(30000));
    ASSERT_TRUE(holder.readAllStandardOutput().startsWith("locked"));

    Store &store = Store::instance();
    EXPECT_EQ(store.stream(), IsLockedErr); // after waiting two seconds
    EXPECT_EQ(addSong(QStringLiteral("A"), QStringLiteral("refused")), IsLockedErr);
    EXPECT_EQ(lastError().fileName, Songlore.name());
    EXPECT_EQ(store.flush(), IsLockedErr);

    ASSERT_TRUE(holder.waitForFinished(30000));
    EXPECT_EQ(Songlore.records(), 1); // the holder's song only
    EXPECT_EQ(store.stream(), 0);
    EXPECT_EQ(addSong(QStringLiteral("A"), QStringLiteral("kept")), 0);
    EXPECT_EQ(store.flush(), 0);
    EXPECT_EQ(Songlore.records(), 2);
}

TEST_F(StoreProcessTest, DirectoryWithoutWritePermissionIsReportedNotCrashed)
{
    if (geteuid() != 0 && QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        GTEST_SKIP() << "needs setpriv to run the second process as an unprivileged user";
    {
        FileUse use(Songlore);
        ASSERT_TRUE(use.ok());
        ASSERT_EQ(addSong(QStringLiteral("A"), QStringLiteral("B"), 1), 0);
    }
    Store::instance().closeAll();
    QFile::remove(dir() + QStringLiteral("/sglmain.db"));
    QFile::setPermissions(dir(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                     QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    auto runAsNobody = [&](const QString &label) {
        QProcess p;
        // A sanitizer build cannot run its leak check as another user; nothing else changes.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        p.setProcessEnvironment(env);
        if (geteuid() == 0)
            p.start(QStringLiteral("setpriv"),
                    {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                     QStringLiteral("--clear-groups"), QStringLiteral(STORECHILD), dir(),
                     QStringLiteral("open"), label});
        else
            p.start(QStringLiteral(STORECHILD), {dir(), QStringLiteral("open"), label});
        EXPECT_TRUE(p.waitForFinished(30000));
        return p.exitCode();
    };
    const QString parent = QFileInfo(dir()).absolutePath();
    if (geteuid() == 0 && !QFileInfo(parent).permissions().testFlag(QFile::ExeOther))
        GTEST_SKIP() << "the scratch directory's parent is not reachable by an unprivileged user";
    // Missing file in a directory that cannot be written: creating it is refused.
    EXPECT_EQ(runAsNobody(QStringLiteral("Media")), NoAccessErr);
    // An existing file that cannot be written still opens for reading.
    EXPECT_EQ(runAsNobody(QStringLiteral("Songlore")), 0);
    QFile::setPermissions(dir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(QFile::exists(dir() + QStringLiteral("/sglmedia.db")));
}

} // namespace
