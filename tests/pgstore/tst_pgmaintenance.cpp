// Keeping a catalogue on a server: File Manager's Build and Pack, the consistency check and the
// backup, through the same functions as on the SQLite engine.
#include "data/catalogbackup.h"
#include "data/consistencycheck.h"
#include "data/externalids.h"
#include "data/filemaintenance.h"
#include "data/records.h"
#include "pgserver.h"
#include "platform/pgstore/serverengine.h"
#include "platform/profile/profile.h"
#include "platform/store/engine.h"
#include "platform/store/errors.h"
#include "platform/store/fileuses.h"
#include "platform/store/store.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <libpq-fe.h>

using namespace melodex;
using namespace melodex::pgstore;

namespace {

QString why()
{
    const store::ErrorState &e = store::lastError();
    return QStringLiteral("%1 %2 %3").arg(e.code).arg(e.text, e.driverText);
}

QString schemaFor()
{
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    return QStringLiteral("m_%1").arg(QString::fromLatin1(info->name()).toLower());
}

QStringList texts(const std::vector<store::CheckFinding> &findings)
{
    QStringList out;
    for (const store::CheckFinding &f : findings)
        out << QFileInfo(f.file).fileName() + QStringLiteral(": ") + f.text;
    return out;
}

} // namespace

class PgMaintenance : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_POSTGRESQL();
        ASSERT_EQ(m_admin.open(test::ThrowawayServer::shared().uri(schemaFor())), 0)
            << why().toStdString();
        ASSERT_EQ(m_admin.execText(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE; CREATE "
                                                  "SCHEMA %1")
                                       .arg(m_admin.quotedSchema())),
                  0);
        setProfileDirectory(m_dir.filePath(QStringLiteral("config")));
        store::Store::instance().setDataDirectory(m_dir.filePath(QStringLiteral("data")));
        QDir().mkpath(m_dir.filePath(QStringLiteral("data")));
        m_engine = ServerEngine::connect(test::ThrowawayServer::shared().uri(schemaFor()));
        ASSERT_TRUE(m_engine) << why().toStdString();
        store::useEngine(m_engine);
    }
    void TearDown() override
    {
        store::useEngine(nullptr);
        setProfileDirectory({});
    }

    // Three songs in two categories.
    void addSongs()
    {
        store::FileUses uses{&Songlore, &Categories};
        ASSERT_TRUE(uses.ok()) << why().toStdString();
        for (int i = 1; i <= 2; ++i) {
            CAT.clear();
            CAT.CategoryID = i;
            CAT.Category = QStringLiteral("Category %1").arg(i);
            ASSERT_EQ(Categories.add(), 0) << why().toStdString();
        }
        const QStringList artists{QStringLiteral("Björk"), QStringLiteral("ABBA"),
                                  QStringLiteral("Sade")};
        for (int i = 0; i < artists.size(); ++i) {
            MUS.clear();
            MUS.ID = i + 1;
            MUS.Artist = artists[i];
            MUS.Title = QStringLiteral("Song %1").arg(i + 1);
            MUS.CategoryID = 1 + i % 2;
            ASSERT_EQ(Songlore.add(), 0) << why().toStdString();
        }
    }
    int sql(const QString &statement)
    {
        return m_admin.execText(
            QString(statement).replace(QStringLiteral("$S"), m_admin.quotedSchema()));
    }

    QTemporaryDir m_dir;
    Catalog m_admin;
    std::shared_ptr<ServerEngine> m_engine;
};

TEST_F(PgMaintenance, BuildAndPackReachTheServer)
{
    addSongs();
    // A tool other than Melodex wrote a text without its sort key: Build computes it again.
    ASSERT_EQ(sql(QStringLiteral("UPDATE $S.sgldata SET \"Artist\" = 'Zappa' WHERE \"ID\" = 2")),
              0);
    EXPECT_EQ(runFileAction(Songlore, FileAction::Build), FileActionResult::Done)
        << why().toStdString();
    EXPECT_EQ(runFileAction(Songlore, FileAction::Pack), FileActionResult::Done)
        << why().toStdString();
    QStringList artists;
    {
        store::FileUse use(Songlore);
        Songlore.set(SongloreRecord::SongsByArtist);
        while (Songlore.next() == 0)
            artists << MUS.Artist;
    }
    EXPECT_EQ(artists, (QStringList{QStringLiteral("Björk"), QStringLiteral("Sade"),
                                    QStringLiteral("Zappa")}));
    // A file not made yet is left alone, as on the SQLite engine.
    EXPECT_EQ(runFileAction(PlaylistMaster, FileAction::Pack), FileActionResult::Missing);
    // A file this process has open is busy.
    store::FileUse use(Songlore);
    EXPECT_EQ(runFileAction(Songlore, FileAction::Build), FileActionResult::Busy);
}

TEST_F(PgMaintenance, CheckFindsTheFaultsOfAServerCatalogue)
{
    addSongs();
    std::vector<store::CheckFinding> notes;
    EXPECT_EQ(texts(checkConsistency(store::FileCheck::Depth::Full, &notes)), QStringList{});

    // Faults only a tool other than Melodex can make on the server.
    ASSERT_EQ(sql(QStringLiteral("UPDATE $S.files SET records = 7 WHERE name = 'SGLCAT'")), 0);
    ASSERT_EQ(sql(QStringLiteral("UPDATE $S.sgldata SET \"CategoryID\" = 9 WHERE \"ID\" = 3")), 0);
    ASSERT_EQ(sql(QStringLiteral("UPDATE $S.sgldata SET \"Artist\" = 'Zappa' WHERE \"ID\" = 1")),
              0);
    const QStringList full = texts(checkConsistency(store::FileCheck::Depth::Full));
    EXPECT_EQ(full.size(), 3) << full.join(u'\n').toStdString();
    EXPECT_TRUE(full.join(u'\n').contains(QStringLiteral("keeps a record count of 7 but holds 2")));
    EXPECT_TRUE(
        full.join(u'\n').contains(QStringLiteral("1 songs name a category that does not exist")));
    EXPECT_TRUE(full.join(u'\n').contains(QStringLiteral("keys do not match their texts")));
    // The quick check leaves the keys out.
    EXPECT_EQ(texts(checkConsistency(store::FileCheck::Depth::Quick)).size(), 2);
}

TEST_F(PgMaintenance, BackupCopiesTheServerIntoAnArchiveThatRestoresLocally)
{
    addSongs();
    const QString archive = m_dir.filePath(QStringLiteral("catalogue.tar"));
    {
        // A window holding a file keeps it: the backup asks for the windows to be closed.
        store::FileUse held(Categories);
        const BackupOutcome refused =
            backupCatalog(store::Store::instance().dataDirectory(), archive);
        EXPECT_FALSE(refused.ok);
        EXPECT_TRUE(refused.error.contains(QStringLiteral("Close every window")));
        EXPECT_TRUE(Categories.isOpen());
        EXPECT_FALSE(QFileInfo::exists(archive));
    }
    const BackupOutcome backup = backupCatalog(store::Store::instance().dataDirectory(), archive);
    ASSERT_TRUE(backup.ok) << backup.error.toStdString();
    EXPECT_TRUE(backup.files.contains(QStringLiteral("data/sgldata.db")));
    // The catalogue is still on the server after the copy.
    ASSERT_EQ(store::currentEngine(), m_engine.get());
    {
        store::FileUse use(Songlore);
        ASSERT_TRUE(use.ok()) << why().toStdString();
        EXPECT_EQ(Songlore.records(), 3);
    }
    // Restoring into the server's place is refused with the way to do it.
    const BackupOutcome refused = restoreCatalog(store::Store::instance().dataDirectory(), archive);
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.error.contains(QStringLiteral("migrate")));

    // The archive restores into a local data directory on the SQLite engine.
    store::useEngine(nullptr);
    const QString local = m_dir.filePath(QStringLiteral("local"));
    QDir().mkpath(local);
    const BackupOutcome restored = restoreCatalog(local, archive);
    ASSERT_TRUE(restored.ok) << restored.error.toStdString();
    store::Store::instance().setDataDirectory(local);
    store::FileUses uses{&Songlore, &Categories};
    ASSERT_TRUE(uses.ok()) << why().toStdString();
    EXPECT_EQ(Songlore.records(), 3);
    EXPECT_EQ(Categories.records(), 2);
    MUS.clear();
    MUS.ID = 1;
    ASSERT_EQ(Songlore.get(SongloreRecord::KeyID), 0);
    EXPECT_EQ(MUS.Artist, QStringLiteral("Björk"));
}

TEST_F(PgMaintenance, MigrateCarriesTheExternalIdentifiersToo)
{
    // A local catalogue with a song and an identifier of its album.
    store::useEngine(nullptr);
    const QString local = m_dir.filePath(QStringLiteral("local"));
    QDir().mkpath(local);
    store::Store::instance().setDataDirectory(local);
    {
        store::FileUses uses{&Songlore, &ExternalIds};
        ASSERT_TRUE(uses.ok()) << why().toStdString();
        MUS.clear();
        MUS.ID = 1;
        MUS.AlbumID = 5;
        ASSERT_EQ(Songlore.add(), 0);
        ASSERT_EQ(addExternalIds(5, {{ExternalSource::Barcode, QStringLiteral("0602517")}}), 0)
            << why().toStdString();
    }
    store::Store::instance().closeAll();

    QProcess melodex;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("xdg")));
    melodex.setProcessEnvironment(env);
    melodex.start(QStringLiteral(MELODEX_BINARY),
                  {QStringLiteral("migrate"), QStringLiteral("--to"),
                   test::ThrowawayServer::shared().uri(schemaFor()), QStringLiteral("--data-dir"),
                   local, QStringLiteral("--replace"), QStringLiteral("--quiet")});
    ASSERT_TRUE(melodex.waitForFinished(120000));
    ASSERT_EQ(melodex.exitCode(), 0) << melodex.readAllStandardError().toStdString();

    Result r;
    ASSERT_EQ(
        m_admin.execText(
            QStringLiteral("SELECT \"Identifier\" FROM %1.sglextid").arg(m_admin.quotedSchema()),
            &r),
        0)
        << why().toStdString();
    ASSERT_EQ(PQntuples(r.get()), 1);
    EXPECT_EQ(QByteArray(PQgetvalue(r.get(), 0, 0)), "0602517");
}
