// Tests of key rebuilding and packing: contents kept, space given back, files in use left alone.
#include "chinookloader.h"
#include "interchangefixture.h"

#include "data/filemaintenance.h"
#include "platform/store/collation.h"

#include <QFileInfo>
#include <QProcess>

#include <optional>

#include <sqlite3.h>

using namespace melodex;
using melodex::test::InterchangeTest;

namespace {

class FileMaintenanceTest : public InterchangeTest
{
protected:
    void loadSamples()
    {
        store::FileUse songs(Songlore), categories(Categories), media(Media);
        ASSERT_GT(test::loadChinookSongs(), 3000);
    }
    QString songsPath() const { return Songlore.name(); }
    /// Runs the program's command line; returns its exit code, its output in `out`.
    int melodex(const QStringList &arguments, QString *out = nullptr)
    {
        QProcess p;
        p.start(QStringLiteral(MELODEX_BINARY),
                arguments + QStringList{QStringLiteral("--data-dir"), dataDir()});
        if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit)
            return -1;
        if (out)
            *out = QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
        return p.exitCode();
    }
};

TEST_F(FileMaintenanceTest, PackGivesBackTheSpaceOfDeletedSongsAndKeepsTheRest)
{
    loadSamples();
    {
        // Delete four songs in five.
        store::FileUse use(Songlore);
        store::Store::instance().stream();
        Songlore.set(SongloreRecord::KeyID);
        while (Songlore.next() == 0) {
            if (MUS.ID % 5 != 0) {
                ASSERT_EQ(Songlore.deleteRecord(), 0);
            }
        }
        ASSERT_EQ(store::Store::instance().flush(), 0);
    }
    const QList<QStringList> before = songs();
    const qint64 sizeBefore = QFileInfo(songsPath()).size();
    ASSERT_GT(before.size(), 600);

    EXPECT_EQ(runFileAction(Songlore, FileAction::Pack), FileActionResult::Done);
    const qint64 sizeAfter = QFileInfo(songsPath()).size();
    EXPECT_LT(sizeAfter, sizeBefore / 2);
    EXPECT_EQ(songs(), before);
}

TEST_F(FileMaintenanceTest, BuildMakesEveryKeyAgain)
{
    loadSamples();
    const QList<QStringList> before = songs();
    store::Store::instance().closeAll();
    // A key lost: the file cannot be opened as it is.
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(qPrintable(songsPath()), &db), SQLITE_OK);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT name FROM sqlite_master WHERE type='index' AND sql IS NOT NULL",
                           -1, &st, nullptr);
        ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
        const QByteArray drop =
            "DROP INDEX \"" +
            QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))) + '"';
        sqlite3_finalize(st);
        ASSERT_EQ(sqlite3_exec(db, drop.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    EXPECT_NE(Songlore.open(), 0);

    EXPECT_EQ(runFileAction(Songlore, FileAction::Build), FileActionResult::Done);
    ASSERT_EQ(Songlore.open(), 0);
    Songlore.close();
    EXPECT_EQ(songs(), before);
}

TEST_F(FileMaintenanceTest, AFileInUseIsLeftAsItIs)
{
    loadSamples();
    store::FileUse use(Songlore);
    EXPECT_EQ(runFileAction(Songlore, FileAction::Pack), FileActionResult::Busy);
    EXPECT_EQ(runFileAction(Categories, FileAction::Build), FileActionResult::Done);
    EXPECT_EQ(runFileAction(Album, FileAction::Build), FileActionResult::Missing);
}

TEST_F(FileMaintenanceTest, TheProgramsOwnHoldOnAFileIsNoUserOfIt)
{
    // The main window keeps the songs file open between lists; that alone does not make it
    // busy. The hold is let go for the work and taken again after.
    loadSamples();
    std::optional<store::FileUse> hold(std::in_place, Songlore);
    int released = 0, retaken = 0;
    setIdleHolds(
        [&] {
            ++released;
            hold.reset();
        },
        [&] {
            ++retaken;
            hold.emplace(Songlore);
        });
    EXPECT_EQ(runFileAction(Songlore, FileAction::Pack), FileActionResult::Done);
    EXPECT_EQ(released, 1);
    EXPECT_EQ(retaken, 1);
    EXPECT_TRUE(Songlore.isOpen());
    EXPECT_EQ(Songlore.useCount, 1);
    EXPECT_EQ(songs().size(), 3503);

    // A list that uses the file is a user: the file is left as it is, the hold kept.
    {
        store::FileUse list(Songlore);
        EXPECT_EQ(runFileAction(Songlore, FileAction::Build), FileActionResult::Busy);
        EXPECT_EQ(Songlore.useCount, 2);
    }
    setIdleHolds({}, {});
    EXPECT_EQ(runFileAction(Songlore, FileAction::Build), FileActionResult::Busy);
}

TEST_F(FileMaintenanceTest, FilesAreFoundByLabelOrFileName)
{
    EXPECT_EQ(dataFileNamed(QStringLiteral("songlore")), &Songlore);
    EXPECT_EQ(dataFileNamed(QStringLiteral("SGLDATA")), &Songlore);
    EXPECT_EQ(dataFileNamed(QStringLiteral("sglalbum.db")), &Album);
    EXPECT_EQ(dataFileNamed(QStringLiteral("nothing")), nullptr);
    QStringList names;
    for (const MaintainedFile &f : maintainedFiles())
        names << f.displayName;
    EXPECT_EQ(names,
              (QStringList{QStringLiteral("Albums"), QStringLiteral("Categories"),
                           QStringLiteral("Configuration"), QStringLiteral("Media"),
                           QStringLiteral("Playlist Database"), QStringLiteral("PlaylistDetails"),
                           QStringLiteral("Song Database")}));
}

TEST_F(FileMaintenanceTest, TheCommandLineSaysWhatItDidAndFailsOnBusyOrDamagedFiles)
{
    loadSamples();
    store::Store::instance().closeAll();
    QString out;
    EXPECT_EQ(
        melodex({QStringLiteral("build"), QStringLiteral("Songlore"), QStringLiteral("sglcat")},
                &out),
        0);
    EXPECT_TRUE(out.contains(QStringLiteral("Songlore (sgldata.db): keys rebuilt")))
        << qPrintable(out);
    EXPECT_TRUE(out.contains(QStringLiteral("Categories (SGLCAT.db): keys rebuilt")));
    EXPECT_EQ(melodex({QStringLiteral("pack"), QStringLiteral("--all")}, &out), 0);
    EXPECT_TRUE(out.contains(QStringLiteral("Songlore (sgldata.db): packed"))) << qPrintable(out);

    // Held open by this process: the other process must leave it alone.
    {
        store::FileUse use(Songlore);
        const QList<QStringList> before = songs();
        EXPECT_EQ(melodex({QStringLiteral("pack"), QStringLiteral("sgldata")}, &out), 1);
        EXPECT_TRUE(out.contains(QStringLiteral("in use"))) << qPrintable(out);
        EXPECT_EQ(songs(), before);
    }

    // Damaged: pages of nonsense in the middle of the file.
    {
        QFile f(Categories.name());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.seek(4096));
        f.write(QByteArray(8192, '\x5a'));
    }
    EXPECT_EQ(melodex({QStringLiteral("build"), QStringLiteral("Categories")}, &out), 1);
    EXPECT_TRUE(out.contains(QStringLiteral("could not be worked on"))) << qPrintable(out);

    EXPECT_EQ(melodex({QStringLiteral("build")}, &out), 2);
    EXPECT_EQ(melodex({QStringLiteral("pack"), QStringLiteral("nosuchfile")}, &out), 2);
}

// Only this program's data files are worked on: another program's database and an empty file
// are refused as they are, and a failure says what failed (never "not an error").
TEST_F(FileMaintenanceTest, ForeignEmptyAndUnbuildableFilesAreRefusedWithTheirReason)
{
    auto sql = [](const QString &path, const char *statements) {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(qPrintable(path), &db), SQLITE_OK);
        store::registerKeyCollation(db);
        EXPECT_EQ(sqlite3_exec(db, statements, nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db);
        sqlite3_close(db);
    };
    sql(Album.name(), "PRAGMA journal_mode=WAL; CREATE TABLE notes(x TEXT);"
                      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<500)"
                      " INSERT INTO notes SELECT hex(randomblob(100)) FROM n;"
                      "DELETE FROM notes WHERE rowid % 2 = 0; PRAGMA wal_checkpoint(TRUNCATE)");
    {
        QFile empty(Media.name());
        ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    }
    const QByteArray foreign = contents(Album.name());
    for (const FileAction action : {FileAction::Pack, FileAction::Build}) {
        EXPECT_EQ(runFileAction(Album, action), FileActionResult::Failed);
        EXPECT_EQ(store::lastError().code, store::NotStoreFileErr);
        EXPECT_EQ(contents(Album.name()), foreign);
        EXPECT_EQ(runFileAction(Media, action), FileActionResult::Failed);
        EXPECT_EQ(store::lastError().code, store::NotStoreFileErr);
        EXPECT_EQ(QFileInfo(Media.name()).size(), 0);
    }

    // Two categories of one number: the unique key cannot be made again.
    {
        store::FileUse use(Categories);
    }
    store::Store::instance().closeAll();
    sql(Categories.name(), "DROP INDEX \"KeyCategoryID\";"
                           "INSERT INTO rec(CategoryID, Category) VALUES(4,'Rock'),(4,'Jazz')");
    EXPECT_EQ(runFileAction(Categories, FileAction::Build), FileActionResult::Failed);
    EXPECT_EQ(store::lastError().code, store::FileSystemErr);
    EXPECT_TRUE(store::lastError().driverText.contains(QStringLiteral("UNIQUE")))
        << store::lastError().driverText.toStdString();

    QString out;
    EXPECT_EQ(
        melodex({QStringLiteral("pack"), QStringLiteral("sglalbum"), QStringLiteral("sglmedia")},
                &out),
        1);
    EXPECT_TRUE(out.contains(QStringLiteral("sglalbum.db) could not be worked on: it is not a "
                                            "data file of this program")))
        << qPrintable(out);
    EXPECT_TRUE(out.contains(QStringLiteral("sglmedia.db) could not be worked on: it is empty")));
    EXPECT_FALSE(out.contains(QStringLiteral("not an error")));
    EXPECT_FALSE(out.contains(QStringLiteral("packed")));
}

} // namespace
