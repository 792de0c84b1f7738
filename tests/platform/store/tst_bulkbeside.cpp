// A bulk write that builds the merged songs file beside the file and puts it in place, seen by
// other processes: their reads, their writes, and the process killed at each moment.
#include "storetestfixture.h"

#include "platform/store/bulkwriter.h"
#include "platform/store/filecheck.h"

#include <QDir>
#include <QProcess>

using namespace melodex;
using namespace melodex::store;
using melodex::test::StoreTest;

namespace {

class BulkBesideTest : public StoreTest
{
protected:
    void TearDown() override
    {
        BulkWriter::setMomentHook({});
        BulkWriter::setBesideMinimum(50000);
        StoreTest::TearDown();
    }

    int runChild(const QStringList &args, QString *output = nullptr)
    {
        QProcess p;
        p.start(QStringLiteral(STORECHILD), QStringList{dir()} + args);
        EXPECT_TRUE(p.waitForFinished(60000));
        if (output)
            *output = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
        return p.exitStatus() == QProcess::CrashExit ? -1 : p.exitCode();
    }

    /// Ten songs numbered 1 to 10 and category 1.
    void makeFiles()
    {
        openFile(Songlore);
        openFile(Categories);
        for (int i = 1; i <= 10; ++i)
            ASSERT_EQ(addSong(QStringLiteral("A"), QStringLiteral("old %1").arg(i), i, 1), 0);
        CAT.CategoryID = 1;
        CAT.Category = QStringLiteral("Old");
        ASSERT_EQ(Categories.add(), 0);
    }

    QStringList leftovers() const
    {
        return QDir(dir()).entryList({QStringLiteral("*.new*")}, QDir::Files | QDir::Hidden);
    }

    static void expectSound()
    {
        for (const KeyedFile *file : {&Songlore, &Categories}) {
            FileCheck check;
            EXPECT_TRUE(check.checkFile(*file, FileCheck::Depth::Full))
                << check.findings().front().text.toStdString();
        }
        // No song without its category.
        Songlore.set(SongloreRecord::KeyID);
        while (Songlore.next() == 0) {
            CAT.CategoryID = MUS.CategoryID;
            ASSERT_EQ(Categories.get(CategoriesRecord::KeyCategoryID), 0) << MUS.ID;
        }
    }
};

TEST_F(BulkBesideTest, OtherProcessesReadMeanwhileAndNoWriteGoesToTheReplacedFile)
{
    makeFiles();
    // Processes that have the songs file open from before the merge: one reads and writes
    // after it, one has a transaction open across it.
    const auto startReady = [this](QProcess &p, const QString &command) {
        p.start(QStringLiteral(STORECHILD), {dir(), command});
        QByteArray out;
        while (!out.contains("ready") && p.waitForReadyRead(30000))
            out += p.readAllStandardOutput();
        return out;
    };
    QProcess follower;
    QProcess reading;
    const QByteArray followed = startReady(follower, QStringLiteral("follow"));
    ASSERT_TRUE(followed.contains("ready"));
    ASSERT_TRUE(startReady(reading, QStringLiteral("readwrite")).contains("ready"));

    BulkWriter::setBesideMinimum(100);
    QString readMeanwhile, refusedMeanwhile;
    int readResult = -1, writeMeanwhile = -1, writeBeforePlaced = -1;
    BulkWriter::setMomentHook([&](BulkWriter::Moment m) {
        if (m == BulkWriter::Moment::Built) {
            readResult = runChild({QStringLiteral("read")}, &readMeanwhile);
            writeMeanwhile =
                runChild({QStringLiteral("add"), QStringLiteral("meanwhile")}, &refusedMeanwhile);
        } else if (m == BulkWriter::Moment::Committed) {
            writeBeforePlaced = runChild({QStringLiteral("add"), QStringLiteral("too early")});
        }
    });
    BulkWriter writer(Songlore);
    ASSERT_EQ(writer.start(), 0);
    for (int i = 0; i < 300; ++i) {
        MUS.clear();
        MUS.Title = QStringLiteral("bulk %1").arg(i);
        MUS.ID = 11 + i;
        MUS.CategoryID = 2;
        ASSERT_EQ(writer.stage(), 0);
    }
    ASSERT_EQ(Store::instance().logout({&Songlore, &Categories}), 0);
    CAT.CategoryID = 2;
    CAT.Category = QStringLiteral("New");
    ASSERT_EQ(Categories.add(), 0);
    ASSERT_EQ(writer.merge(), 0);
    EXPECT_TRUE(writer.mergedBeside());
    ASSERT_EQ(Store::instance().commit(), 0);
    writer.finish();

    // While the merged file was built, another process read the file as it was, without waiting.
    EXPECT_EQ(readResult, 0);
    EXPECT_EQ(readMeanwhile, QStringLiteral("10 10"));
    // A writer waited its two seconds and was told plainly why.
    EXPECT_EQ(writeMeanwhile, IsLockedErr);
    EXPECT_TRUE(refusedMeanwhile.contains(QStringLiteral("An import in another program")))
        << refusedMeanwhile.toStdString();
    // One that got the files after the commit, with the old file still under its name, wrote
    // nothing: its song would have been lost with that file.
    EXPECT_EQ(writeBeforePlaced, IsLockedErr);
    EXPECT_EQ(Songlore.records(), 310);

    // A transaction begun before the file was replaced cannot write to it.
    reading.write("go\n");
    ASSERT_TRUE(reading.waitForFinished(30000));
    EXPECT_EQ(reading.exitCode(), IsLockedErr);
    // The process that had the old file open reads the new one and writes to it.
    follower.write("go\n");
    ASSERT_TRUE(follower.waitForFinished(30000));
    EXPECT_EQ(follower.exitCode(), 0);
    EXPECT_TRUE(follower.readAllStandardOutput().startsWith("310")) << followed.toStdString();
    ASSERT_EQ(runChild({QStringLiteral("add"), QStringLiteral("after")}), 0);
    EXPECT_EQ(Songlore.records(), 313);
    const QStringList titles = walk(SongloreRecord::SongsByTitle);
    for (const char *title : {"own", "batch", "after", "bulk 299", "old 1"})
        EXPECT_TRUE(titles.contains(QLatin1String(title))) << title;
    EXPECT_EQ(leftovers(), QStringList());
    expectSound();
}

TEST_F(BulkBesideTest, KilledAtEachMomentOfPuttingTheFileInPlaceKeepsWholeSteps)
{
    struct Case
    {
        BulkWriter::Moment moment;
        qint64 songs;
        qint64 categories;
    };
    // Killed after the commit and before the rename, the new category stays, unused.
    for (const Case c :
         {Case{BulkWriter::Moment::Built, 10, 1}, Case{BulkWriter::Moment::Committed, 10, 2},
          Case{BulkWriter::Moment::Placed, 310, 2}}) {
        SCOPED_TRACE(int(c.moment));
        Store::instance().closeAll();
        for (const QString &name : QDir(dir()).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(dir() + u'/' + name);
        makeFiles();
        Store::instance().closeAll();

        EXPECT_EQ(runChild({QStringLiteral("bulk"), QStringLiteral("300"),
                            QString::number(int(c.moment))}),
                  -1);
        openFile(Songlore);
        openFile(Categories);
        EXPECT_EQ(Songlore.records(), c.songs);
        EXPECT_EQ(Categories.records(), c.categories);
        expectSound();
        // The merged copy is gone once a process opens the files, and writing goes on.
        EXPECT_EQ(leftovers(), QStringList());
        ASSERT_EQ(addSong(QStringLiteral("A"), QStringLiteral("later")), 0);
        EXPECT_EQ(Songlore.records(), c.songs + 1);
    }
}

} // namespace
