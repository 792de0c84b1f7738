// Moving a catalogue to a server and back: everything or nothing, compared at the end.
#include "data/records.h"
#include "pgserver.h"
#include "platform/pgstore/migration.h"
#include "platform/pgstore/pgcatalog.h"
#include "platform/pgstore/pgfile.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace melodex;
using namespace melodex::pgstore;

namespace {

QString schemaFor()
{
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    return QStringLiteral("m_%1").arg(QString::fromLatin1(info->name()).toLower());
}

QString serverUri()
{
    return test::ThrowawayServer::shared().uri(schemaFor());
}

// A small catalogue: songs with accents, case and blanks in their keys, and their categories.
void makeCatalogue(const QString &dir)
{
    store::Store &s = store::Store::instance();
    s.setDataDirectory(dir);
    for (store::KeyedFile *f : {&Songlore, &Categories}) {
        ASSERT_EQ(f->create(), 0);
        ASSERT_EQ(f->open(), 0);
    }
    const QStringList artists{QStringLiteral("Ärzte"),       QStringLiteral("arzte"),
                              QStringLiteral("Café Tacvba"), QStringLiteral("cafe tacvba"),
                              QStringLiteral("ZZ Top"),      QStringLiteral("")};
    for (int i = 0; i < 60; ++i) {
        MUS.clear();
        MUS.Artist = artists[i % artists.size()];
        MUS.Title = QStringLiteral("Song %1").arg(59 - i);
        MUS.ID = i + 1;
        MUS.CategoryID = i % 3;
        MUS.Notes = QStringLiteral("line one\nline \"two\"");
        ASSERT_EQ(Songlore.add(), 0);
    }
    for (int i = 1; i <= 3; ++i) {
        CAT.clear();
        CAT.CategoryID = i;
        CAT.Category = QStringLiteral("Category %1").arg(i);
        ASSERT_EQ(Categories.add(), 0);
    }
    s.closeAll();
}

// Every record of the songs file in the order of each key.
std::vector<std::vector<store::Value>> songsInEveryOrder(const QString &dir)
{
    store::Store::instance().setDataDirectory(dir);
    std::vector<std::vector<store::Value>> out;
    if (Songlore.open() != 0)
        return out;
    for (int key = -1; key < int(MUS.layout().keys.size()); ++key) {
        Songlore.set(key);
        while (Songlore.next() == 0)
            out.push_back(MUS.values());
    }
    store::Store::instance().closeAll();
    return out;
}

MigrationOptions options(const QString &to)
{
    MigrationOptions o;
    o.to = to;
    o.files = {&Songlore, &Categories};
    return o;
}

} // namespace

class Migration : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_POSTGRESQL();
        Catalog admin;
        ASSERT_EQ(admin.open(test::ThrowawayServer::shared().uri(QStringLiteral("admin"))), 0);
        ASSERT_EQ(
            admin.execText(QStringLiteral("DROP SCHEMA IF EXISTS \"%1\" CASCADE").arg(schemaFor())),
            0);
        ASSERT_TRUE(m_dir.isValid());
        makeCatalogue(source());
    }
    void TearDown() override { store::Store::instance().closeAll(); }
    QString source() const { return m_dir.path() + QStringLiteral("/source"); }
    QString back() const { return m_dir.path() + QStringLiteral("/back"); }

    QTemporaryDir m_dir;

public:
    Migration() { QDir().mkpath(m_dir.path() + QStringLiteral("/source")); }
};

TEST_F(Migration, ACatalogueGoesToTheServerAndBackUnchanged)
{
    MigrationOptions o = options(serverUri());
    o.dataDirectory = source();
    const MigrationResult there = migrate(o);
    ASSERT_TRUE(there.ok) << there.error.toStdString();
    ASSERT_EQ(there.report.size(), 2);
    EXPECT_TRUE(there.report[0].startsWith(QStringLiteral("sgldata: 60 records")));

    // On the server, the keys find what they found locally.
    Catalog c;
    ASSERT_EQ(c.open(serverUri()), 0);
    File songs(c, MUS);
    ASSERT_EQ(songs.open(), 0);
    EXPECT_EQ(songs.records(), 60);
    MUS.clear();
    MUS.Artist = QStringLiteral("ARZTE");
    MUS.Title = QStringLiteral("song 4");
    ASSERT_EQ(songs.get(SongloreRecord::SongsByArtist), 0);
    EXPECT_EQ(MUS.Artist, QStringLiteral("arzte"));
    // An accent is not a case: "Ärzte" is another key than "arzte".
    MUS.Artist = QStringLiteral("ARZTE");
    MUS.Title = QStringLiteral("song 5");
    EXPECT_EQ(songs.get(SongloreRecord::SongsByArtist), store::RecordNotFoundErr);
    MUS.Artist = QStringLiteral("ÄRZTE ");
    ASSERT_EQ(songs.get(SongloreRecord::SongsByArtist), 0);
    EXPECT_EQ(MUS.Artist, QStringLiteral("Ärzte"));

    // Back into a directory of its own: the same records in every order.
    MigrationOptions b = options(back());
    b.database = serverUri();
    const MigrationResult home = migrate(b);
    ASSERT_TRUE(home.ok) << home.error.toStdString();
    EXPECT_EQ(home.report, there.report);
    const auto original = songsInEveryOrder(source());
    ASSERT_FALSE(original.empty());
    EXPECT_EQ(songsInEveryOrder(back()), original);
}

TEST_F(Migration, ATargetWithRecordsIsReplacedOnlyWhenAsked)
{
    const auto before = songsInEveryOrder(source());
    MigrationOptions o = options(serverUri());
    o.dataDirectory = source();
    ASSERT_TRUE(migrate(o).ok);
    const MigrationResult again = migrate(o);
    EXPECT_FALSE(again.ok);
    EXPECT_TRUE(again.error.contains(QStringLiteral("--replace"))) << again.error.toStdString();
    o.replace = true;
    const MigrationResult replaced = migrate(o);
    ASSERT_TRUE(replaced.ok) << replaced.error.toStdString();
    EXPECT_TRUE(replaced.report[0].startsWith(QStringLiteral("sgldata: 60 records")));

    // A directory with files in it is refused too, and kept as it was.
    MigrationOptions b = options(source());
    b.database = serverUri();
    EXPECT_FALSE(migrate(b).ok);
    EXPECT_EQ(songsInEveryOrder(source()), before);
}

TEST_F(Migration, AnInterruptedMigrationLeavesTheTargetAsItWas)
{
    // Cancelled after the songs were copied, before the categories: nothing reaches the server.
    MigrationOptions o = options(serverUri());
    o.dataDirectory = source();
    int steps = 0;
    o.progress = [&](const QString &) { return ++steps < 2; };
    const MigrationResult cancelled = migrate(o);
    EXPECT_FALSE(cancelled.ok);
    Catalog c;
    ASSERT_EQ(c.open(serverUri()), 0);
    File songs(c, MUS);
    EXPECT_EQ(songs.open(), store::NoFileErr);

    // The same on the way back: the target directory is never made.
    o.progress = {};
    ASSERT_TRUE(migrate(o).ok);
    MigrationOptions b = options(back());
    b.database = serverUri();
    steps = 0;
    b.progress = [&](const QString &) { return ++steps < 3; };
    EXPECT_FALSE(migrate(b).ok);
    EXPECT_FALSE(QFileInfo::exists(back()));
    EXPECT_TRUE(
        QDir(m_dir.path()).entryList({QStringLiteral("back*")}, QDir::AllEntries).isEmpty());
}
