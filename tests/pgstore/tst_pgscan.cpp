// The music folder scan with the catalogue on a server: the same songs, albums and kept files as
// on the SQLite engine, and a second scan of the unchanged folder adds nothing.
#include "data/externalids.h"
#include "data/records.h"
#include "musicfilemaker.h"
#include "musicfiles/musicscan.h"
#include "pgserver.h"
#include "platform/pgstore/serverengine.h"
#include "platform/store/engine.h"
#include "platform/store/errors.h"
#include "platform/store/fileuses.h"
#include "platform/store/store.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace melodex;

namespace {

QString why()
{
    const store::ErrorState &e = store::lastError();
    return QStringLiteral("%1 %2 %3").arg(e.code).arg(e.text, e.driverText);
}

std::unique_ptr<musicfiles::MusicScan> scan(const QString &folder)
{
    musicfiles::ScanSettings settings;
    settings.folders = {folder};
    settings.batchFiles = 2;
    auto run = std::make_unique<musicfiles::MusicScan>(settings);
    EXPECT_TRUE(run->start()) << run->error().toStdString();
    while (run->step(3) == BatchRun::State::Running) {
    }
    EXPECT_EQ(run->state(), BatchRun::State::Completed) << run->error().toStdString();
    return run;
}

// Every record of the files a scan writes, in the order of every key.
std::vector<std::vector<store::Value>> everything()
{
    store::FileUses uses{&Songlore, &Album, &Categories, &Media, &ExternalIds};
    EXPECT_TRUE(uses.ok()) << why().toStdString();
    std::vector<std::vector<store::Value>> out;
    for (store::KeyedFile *file : {&Songlore, &Album, &Categories, &Media, &ExternalIds})
        for (int key = -1; key < int(file->layout().keys.size()); ++key) {
            file->set(key);
            while (file->next() == 0)
                out.push_back(file->buffer().values());
            out.push_back({store::Value(file->layout().fileName)});
        }
    return out;
}

} // namespace

TEST(PgScan, AFolderScannedOntoTheServerGivesTheSameRecords)
{
    REQUIRE_POSTGRESQL();
    const QString uri = test::ThrowawayServer::shared().uri(QStringLiteral("scan"));
    {
        pgstore::Catalog admin;
        ASSERT_EQ(admin.open(uri), 0) << why().toStdString();
        ASSERT_EQ(
            admin.execText(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(admin.quotedSchema())), 0);
    }
    QTemporaryDir music, data;
    // Two albums, one song with accents, one without album.
    const struct
    {
        const char *path, *artist, *album, *title, *genre;
    } files[] = {{"A/1.wav", "Björk", "Homogenic", "Jóga", "Pop"},
                 {"A/2.wav", "Björk", "Homogenic", "Bachelorette", "Pop"},
                 {"B/1.wav", "Can", "Tago Mago", "Halleluhwah", "Krautrock"},
                 {"loose.wav", "Nobody", "", "Alone", ""}};
    for (const auto &f : files) {
        const QString path = music.filePath(QString::fromUtf8(f.path));
        ASSERT_TRUE(test::writeFile(path, test::silentWav(300)));
        ASSERT_TRUE(
            test::tagWithTagLib(path, {{QStringLiteral("ARTIST"), {QString::fromUtf8(f.artist)}},
                                       {QStringLiteral("ALBUM"), {QString::fromUtf8(f.album)}},
                                       {QStringLiteral("TITLE"), {QString::fromUtf8(f.title)}},
                                       {QStringLiteral("GENRE"), {QString::fromUtf8(f.genre)}}}));
    }

    store::Store::instance().setDataDirectory(data.path());
    EXPECT_EQ(scan(music.path())->songsAdded(), 4);
    const auto local = everything();
    store::Store::instance().closeAll();

    auto engine = pgstore::ServerEngine::connect(uri);
    ASSERT_TRUE(engine) << why().toStdString();
    store::useEngine(engine);
    EXPECT_EQ(scan(music.path())->songsAdded(), 4);
    const auto server = everything();
    ASSERT_EQ(server.size(), local.size());
    for (size_t i = 0; i < local.size(); ++i)
        EXPECT_EQ(server[i], local[i]) << "row " << i;

    // The kept files are read back from the server: nothing is read or added again.
    const auto again = scan(music.path());
    EXPECT_EQ(again->songsAdded(), 0);
    EXPECT_EQ(again->unchanged(), 4);
    EXPECT_EQ(again->filesRead(), 0);
    store::useEngine(nullptr);
}
