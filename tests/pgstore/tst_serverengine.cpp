// The store's own files (KeyedFile, Store) with the catalogue on a server: the callers' code is
// the same as on the SQLite engine.
#include "data/records.h"
#include "pgserver.h"
#include "platform/pgstore/pgfile.h"
#include "platform/pgstore/serverengine.h"
#include "platform/store/engine.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"
#include "platform/store/view.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace melodex;
using namespace melodex::pgstore;

namespace {

QString uri()
{
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    return test::ThrowawayServer::shared().uri(
        QStringLiteral("e_%1").arg(QString::fromLatin1(info->name()).toLower()));
}

QString why()
{
    const store::ErrorState &e = store::lastError();
    return QStringLiteral("%1 %2 %3").arg(e.code).arg(e.text, e.driverText);
}

int addSong(const QString &artist, const QString &title, qint32 id)
{
    MUS.clear();
    MUS.Artist = artist;
    MUS.Title = title;
    MUS.ID = id;
    return Songlore.add();
}

} // namespace

class ServerEngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_POSTGRESQL();
        Catalog admin;
        ASSERT_EQ(admin.open(test::ThrowawayServer::shared().uri(QStringLiteral("admin"))), 0);
        const QString schema = uri().section(QStringLiteral("melodex_schema="), 1);
        ASSERT_EQ(
            admin.execText(QStringLiteral("DROP SCHEMA IF EXISTS \"%1\" CASCADE").arg(schema)), 0);
        auto engine = ServerEngine::connect(uri());
        ASSERT_TRUE(engine) << why().toStdString();
        store::useEngine(engine);
    }
    void TearDown() override { store::useEngine(nullptr); }
};

TEST_F(ServerEngineTest, FilesOpenAndWriteThroughTheStoresOwnInterface)
{
    store::FileUse songs(Songlore);
    ASSERT_TRUE(songs.ok()) << why().toStdString();
    EXPECT_TRUE(Songlore.name().endsWith(QStringLiteral(".sgldata")));
    ASSERT_EQ(addSong(QStringLiteral("Sade"), QStringLiteral("Smooth Operator"), 1), 0);
    ASSERT_EQ(addSong(QStringLiteral("sade "), QStringLiteral("By Your Side"), 2), 0);
    EXPECT_EQ(addSong(QStringLiteral("Other"), QStringLiteral("Other"), 2), store::DupKeyErr);
    EXPECT_EQ(Songlore.records(), 2);

    // Walks and positioned reads, as on the SQLite engine.
    QStringList titles;
    Songlore.set(SongloreRecord::SongsByArtist);
    while (Songlore.next() == 0)
        titles << MUS.Title;
    EXPECT_EQ(titles,
              (QStringList{QStringLiteral("By Your Side"), QStringLiteral("Smooth Operator")}));
    MUS.clear();
    MUS.ID = 1;
    ASSERT_EQ(Songlore.get(SongloreRecord::KeyID), 0);
    MUS.Album = QStringLiteral("Diamond Life");
    ASSERT_EQ(Songlore.put(), 0);
    EXPECT_EQ(Songlore.position().version, 2);

    // A change by another station is refused with 89 and nothing is written; re-read, it goes.
    Catalog other;
    ASSERT_EQ(other.open(uri()), 0);
    SongloreRecord theirs;
    File theirSongs(other, theirs);
    ASSERT_EQ(theirSongs.open(), 0);
    theirs.ID = 1;
    ASSERT_EQ(theirSongs.get(SongloreRecord::KeyID), 0);
    theirs.Rating = QStringLiteral("5");
    ASSERT_EQ(theirSongs.put(), 0);
    MUS.Album = QStringLiteral("Promise");
    EXPECT_EQ(Songlore.put(), store::RecordChangedErr);
    ASSERT_EQ(Songlore.reget(Songlore.position()), 0);
    EXPECT_EQ(MUS.Rating, QStringLiteral("5"));
    MUS.Album = QStringLiteral("Promise");
    EXPECT_EQ(Songlore.put(), 0);

    // Views read the server's rows; the change above is seen.
    store::View view(Songlore);
    view.setOrder(SongloreRecord::SongsByArtist);
    ASSERT_EQ(view.open(), 0) << why().toStdString();
    ASSERT_EQ(view.next(), 0) << why().toStdString();
    EXPECT_EQ(MUS.Title, QStringLiteral("By Your Side"));
    ASSERT_EQ(view.next(), 0);
    EXPECT_EQ(MUS.Album, QStringLiteral("Promise"));
    EXPECT_EQ(view.next(), store::NoRecErr);
}

TEST_F(ServerEngineTest, ATransactionCoversEveryFileOnTheServer)
{
    store::FileUse songs(Songlore), categories(Categories);
    ASSERT_TRUE(songs.ok() && categories.ok()) << why().toStdString();
    store::Store &s = store::Store::instance();

    ASSERT_EQ(s.logout({&Songlore, &Categories}), 0) << why().toStdString();
    ASSERT_EQ(addSong(QStringLiteral("Fela Kuti"), QStringLiteral("Zombie"), 1), 0);
    CAT.CategoryID = 1;
    CAT.Category = QStringLiteral("Afrobeat");
    ASSERT_EQ(Categories.add(), 0);
    ASSERT_EQ(s.rollback(), 0);
    EXPECT_EQ(Songlore.records(), 0);
    EXPECT_EQ(Categories.records(), 0);

    ASSERT_EQ(s.logout({&Songlore, &Categories}), 0);
    ASSERT_EQ(addSong(QStringLiteral("Fela Kuti"), QStringLiteral("Zombie"), 1), 0);
    ASSERT_EQ(Categories.add(), 0);
    ASSERT_EQ(s.commit(), 0);

    // Batched writes commit together at the outermost flush.
    ASSERT_EQ(s.stream(), 0);
    ASSERT_EQ(addSong(QStringLiteral("Tony Allen"), QStringLiteral("Asiko"), 2), 0);
    ASSERT_EQ(s.stream(), 0);
    ASSERT_EQ(addSong(QStringLiteral("Tony Allen"), QStringLiteral("Road Rage"), 3), 0);
    ASSERT_EQ(s.flush(), 0);
    ASSERT_EQ(s.flush(), 0);

    Catalog other;
    ASSERT_EQ(other.open(uri()), 0);
    SongloreRecord theirs;
    File theirSongs(other, theirs);
    ASSERT_EQ(theirSongs.open(), 0);
    EXPECT_EQ(theirSongs.records(), 3);
    EXPECT_EQ(Categories.records(), 1);
}

TEST_F(ServerEngineTest, BackOnTheSqliteEngineTheDataDirectoryIsUsedAgain)
{
    QTemporaryDir dir;
    store::useEngine(nullptr);
    store::Store::instance().setDataDirectory(dir.path());
    store::FileUse songs(Songlore);
    ASSERT_TRUE(songs.ok()) << why().toStdString();
    ASSERT_EQ(addSong(QStringLiteral("Local"), QStringLiteral("Only"), 1), 0);
    EXPECT_TRUE(QFileInfo::exists(dir.path() + QStringLiteral("/sgldata.db")));
    EXPECT_EQ(Songlore.records(), 1);
}
