// The program's commands with the catalogue on a server (--database): the same output as from
// the data directory's files; what works only on those files says so instead of running.
#include "chinookloader.h"
#include "cli/frontdoor.h"
#include "data/records.h"
#include "pgserver.h"
#include "platform/pgstore/pgcatalog.h"
#include "platform/pgstore/serverengine.h"
#include "platform/store/engine.h"
#include "platform/store/errors.h"
#include "platform/store/fileuses.h"
#include "platform/store/store.h"
#include "stats/statsquery.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace melodex;

namespace {

QString why()
{
    const store::ErrorState &e = store::lastError();
    return QStringLiteral("%1 %2 %3").arg(e.code).arg(e.text, e.driverText);
}

struct Printed
{
    std::optional<int> code;
    QString out;
    QString err;
};

Printed run(const QStringList &arguments)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Printed p;
    p.code = cli::runCommand(arguments);
    p.out = QString::fromStdString(testing::internal::GetCapturedStdout());
    p.err = QString::fromStdString(testing::internal::GetCapturedStderr());
    return p;
}

} // namespace

TEST(PgCommands, ExportGivesTheSameLinesFromTheServer)
{
    REQUIRE_POSTGRESQL();
    pgstore::installServerSupport();
    const QString uri = test::ThrowawayServer::shared().uri(QStringLiteral("commands"));
    {
        pgstore::Catalog admin;
        ASSERT_EQ(admin.open(test::ThrowawayServer::shared().uri(QStringLiteral("admin"))), 0);
        ASSERT_EQ(admin.execText(QStringLiteral("DROP SCHEMA IF EXISTS commands CASCADE")), 0);
    }
    QTemporaryDir dir;
    store::Store::instance().setDataDirectory(dir.path());
    for (const bool server : {false, true}) {
        if (server) {
            ASSERT_EQ(store::useDatabase(uri), 0) << store::databaseError().toStdString();
        }
        store::FileUse songs(Songlore), categories(Categories), media(Media);
        ASSERT_TRUE(songs.ok() && categories.ok() && media.ok()) << why().toStdString();
        ASSERT_EQ(test::loadChinookSongs(), 3503);
    }
    // The statistics read the SQLite files with SQL of their own: on the server they say so.
    StatsQuery stats;
    EXPECT_FALSE(stats.run());
    EXPECT_TRUE(stats.error().contains(QStringLiteral("server"))) << stats.error().toStdString();
    store::Store::instance().closeAll();
    store::useDatabase(QString());

    const QStringList base{QStringLiteral("export"), QStringLiteral("-"), QStringLiteral("-q"),
                           QStringLiteral("--data-dir"), dir.path()};
    const QStringList server{QStringLiteral("--database"), uri};
    for (const QStringList &extra :
         {QStringList{}, QStringList{QStringLiteral("--order"), QStringLiteral("SongsByTitle")},
          QStringList{QStringLiteral("--order"), QStringLiteral("SongsByAlbum"),
                      QStringLiteral("--filter"),
                      QStringLiteral("MUS:TrackNumber > 3 AND INSTRING('LOVE', "
                                     "UPPER(MUS:Title), 1, 1) > 0")}}) {
        const Printed local = run(base + extra);
        const Printed remote = run(base + extra + server);
        ASSERT_EQ(local.code, 0) << local.err.toStdString();
        ASSERT_EQ(remote.code, 0) << remote.err.toStdString();
        EXPECT_GT(local.out.count(u'\n'), 20);
        EXPECT_EQ(remote.out, local.out) << extra.join(u' ').toStdString();
    }
    EXPECT_EQ(store::currentEngine(), nullptr); // the run leaves the catalogue where it was

    // The file maintenance and the backup run on the server's catalogue too.
    const QStringList data{QStringLiteral("--data-dir"), dir.path()};
    for (const QStringList &command :
         {QStringList{QStringLiteral("check")},
          QStringList{QStringLiteral("build"), QStringLiteral("Songlore")},
          QStringList{QStringLiteral("pack"), QStringLiteral("--all")}}) {
        const Printed p = run(command + data + server);
        EXPECT_EQ(p.code, 0) << command.join(u' ').toStdString() << ": " << p.out.toStdString()
                             << p.err.toStdString();
    }
    const QString archive = dir.filePath(QStringLiteral("server.tar"));
    const Printed backup =
        run(QStringList{QStringLiteral("backup"), archive, QStringLiteral("-q")} + data + server);
    EXPECT_EQ(backup.code, 0) << backup.err.toStdString();
    EXPECT_GT(QFileInfo(archive).size(), 0);
    EXPECT_EQ(store::currentEngine(), nullptr);

    // A server that cannot be reached: one clear message, nothing written.
    const Printed bad =
        run(base + QStringList{QStringLiteral("--database"),
                               QStringLiteral("postgresql:///x?host=/nonexistent")});
    EXPECT_EQ(bad.code, 1);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("cannot be used"))) << bad.err.toStdString();
    EXPECT_TRUE(bad.out.isEmpty());
}
