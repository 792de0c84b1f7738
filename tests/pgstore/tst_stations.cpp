// Several stations in processes of their own on one catalogue, and a server restart among them.
#include "data/records.h"
#include "pgserver.h"
#include "platform/pgstore/pgcatalog.h"
#include "platform/pgstore/pgfile.h"
#include "platform/store/errors.h"

#include <QProcess>
#include <QThread>
#include <libpq-fe.h>

#include <gtest/gtest.h>

#include <memory>

using namespace melodex;
using namespace melodex::pgstore;

namespace {

QString uri()
{
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    return test::ThrowawayServer::shared().uri(
        QStringLiteral("s_%1").arg(QString::fromLatin1(info->name()).toLower()));
}

std::unique_ptr<QProcess> station(const QStringList &args)
{
    auto p = std::make_unique<QProcess>();
    p->start(QStringLiteral(PGSTATION), QStringList{uri()} + args);
    p->waitForStarted();
    return p;
}

void finish(QProcess &p)
{
    ASSERT_TRUE(p.waitForFinished(300000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
}

} // namespace

class Stations : public ::testing::Test
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
        ASSERT_EQ(m_catalog.open(uri()), 0);
        ASSERT_EQ(m_songs.create(), 0);
        ASSERT_EQ(m_songs.open(), 0);
    }

    Catalog m_catalog;
    SongloreRecord m_song;
    File m_songs{m_catalog, m_song};
};

// Four stations add and browse at once while the server restarts under them: every song is
// there once, and the kept count is the number of rows.
TEST_F(Stations, AddingStationsSurviveAServerRestartWithNothingLostOrDoubled)
{
    std::vector<std::unique_ptr<QProcess>> stations;
    for (int s = 0; s < 4; ++s)
        stations.push_back(
            station({QStringLiteral("add"), QString::number(1 + 1000 * s), QStringLiteral("150")}));
    QThread::msleep(300);
    ASSERT_TRUE(test::ThrowawayServer::shared().restart());
    int lost = 0;
    for (auto &p : stations) {
        finish(*p);
        lost += QString::fromLatin1(p->readAllStandardOutput())
                    .section(QStringLiteral("lost="), 1)
                    .section(u' ', 0, 0)
                    .toInt();
    }
    std::printf("changes met by the restart and made again: %d\n", lost);

    EXPECT_EQ(m_songs.records(), 600);
    Result r;
    ASSERT_EQ(m_catalog.exec(QStringLiteral("SELECT count(*), count(DISTINCT \"ID\") FROM %1")
                                 .arg(m_songs.tableName()),
                             {}, &r),
              0);
    EXPECT_EQ(QByteArray(PQgetvalue(r.get(), 0, 0)), "600");
    EXPECT_EQ(QByteArray(PQgetvalue(r.get(), 0, 1)), "600");
}

// Four stations raise one counter in one record: a change made by one is refused to the others
// and redone after re-reading, so no raise is lost.
TEST_F(Stations, NoChangeIsLostBetweenStationsWritingOneRecord)
{
    m_song.ID = 1;
    m_song.Title = QStringLiteral("Shared");
    ASSERT_EQ(m_songs.add(), 0);
    std::vector<std::unique_ptr<QProcess>> stations;
    for (int s = 0; s < 4; ++s)
        stations.push_back(
            station({QStringLiteral("increment"), QStringLiteral("1"), QStringLiteral("50")}));
    int refused = 0;
    for (auto &p : stations) {
        finish(*p);
        refused += QString::fromLatin1(p->readAllStandardOutput())
                       .section(QStringLiteral("changed="), 1)
                       .trimmed()
                       .toInt();
    }
    m_song.clear();
    m_song.ID = 1;
    ASSERT_EQ(m_songs.get(SongloreRecord::KeyID), 0);
    EXPECT_EQ(m_song.BeatsPerMinute, 200);
    EXPECT_EQ(m_songs.position().version, 201);
    std::printf("changes refused as made by another station: %d\n", refused);
}

// An import through the bulk writer meets a server restart (while staging, merging or
// committing) beside a station adding songs: the import is either all there or not at all, and
// done again whole; the kept count is the number of rows.
TEST_F(Stations, AnImportMeetingAServerRestartIsAddedWholeOnce)
{
    auto importing =
        station({QStringLiteral("bulk"), QStringLiteral("100000"), QStringLiteral("20000")});
    auto adding = station({QStringLiteral("add"), QStringLiteral("1"), QStringLiteral("100")});
    QThread::msleep(700);
    ASSERT_TRUE(test::ThrowawayServer::shared().restart());
    finish(*importing);
    finish(*adding);
    std::printf("import: %s", importing->readAllStandardOutput().constData());

    Result r;
    // Read again on a connection made anew: the restart broke the test's own.
    ASSERT_EQ(m_catalog.read(QStringLiteral("SELECT count(*), count(DISTINCT \"ID\") FROM %1 "
                                            "WHERE \"ID\" >= 100000")
                                 .arg(m_songs.tableName()),
                             {}, &r),
              0);
    EXPECT_EQ(QByteArray(PQgetvalue(r.get(), 0, 0)), "20000");
    EXPECT_EQ(QByteArray(PQgetvalue(r.get(), 0, 1)), "20000");
    EXPECT_EQ(m_songs.records(), 20100);
}
