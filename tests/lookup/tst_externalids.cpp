// An album's identifiers from outside: they follow the album's number, go with the album, and
// the check finds any left without one.
#include "recordchangefixture.h"

#include "data/consistencycheck.h"
#include "data/externalids.h"
#include "platform/store/collation.h"

#include <sqlite3.h>

using namespace melodex;
using melodex::test::RecordChangeTest;

namespace {

std::vector<QString> idsOf(qint32 album)
{
    const store::FileUse use(ExternalIds);
    std::vector<QString> out;
    for (const ExternalId &id : externalIdsOf(album))
        out.push_back(id.source + u'=' + id.identifier);
    return out;
}

void keep(qint32 album, const std::vector<ExternalId> &ids)
{
    const store::FileUse use(ExternalIds);
    ASSERT_EQ(addExternalIds(album, ids), 0);
}

} // namespace

TEST_F(RecordChangeTest, ExternalIdsFollowTheAlbumAndGoWithIt)
{
    addAlbum(7, QStringLiteral("Seven"));
    addAlbum(8, QStringLiteral("Eight"));
    addSongOf(1, QStringLiteral("A"), 0, QStringLiteral("CD"), 7, 1);
    keep(7, {{ExternalSource::MusicBrainzRelease, QStringLiteral("rel-7")},
             {ExternalSource::Barcode, QStringLiteral("777")}});
    // Kept twice, an identifier is there once.
    keep(7, {{ExternalSource::Barcode, QStringLiteral("777")}});
    keep(8, {{ExternalSource::MusicBrainzRelease, QStringLiteral("rel-8")}});
    EXPECT_EQ(idsOf(7), (std::vector<QString>{QStringLiteral("Barcode=777"),
                                              QStringLiteral("MusicBrainzRelease=rel-7")}));

    ASSERT_EQ(loadAlbum(7), 0);
    RIRemember_Album();
    ALB.AlbumID = 9;
    ASSERT_EQ(RIUpdate_Album(true), RIDone);
    EXPECT_TRUE(idsOf(7).empty());
    EXPECT_EQ(idsOf(9).size(), 2u);

    ASSERT_EQ(loadAlbum(9), 0);
    ASSERT_EQ(RIDelete_Album(), RIDone);
    EXPECT_TRUE(idsOf(9).empty());
    EXPECT_EQ(idsOf(8), (std::vector<QString>{QStringLiteral("MusicBrainzRelease=rel-8")}));
    EXPECT_TRUE(messages.requests().isEmpty());
    store::Store::instance().closeAll();
    EXPECT_TRUE(checkConsistency(store::FileCheck::Depth::Quick).empty());
}

TEST_F(RecordChangeTest, CheckFindsIdentifiersOfAnAlbumThatDoesNotExist)
{
    addAlbum(1, QStringLiteral("One"));
    keep(1, {{ExternalSource::MusicBrainzRelease, QStringLiteral("r1")}});
    keep(42, {{ExternalSource::MusicBrainzRelease, QStringLiteral("r42")},
              {ExternalSource::MusicBrainzDisc, QStringLiteral("d42")}});
    store::Store::instance().closeAll();
    const std::vector<store::CheckFinding> findings =
        checkConsistency(store::FileCheck::Depth::Full);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].text,
              QStringLiteral("2 external identifiers name an album that does not exist"));
    EXPECT_TRUE(findings[0].file.endsWith(QStringLiteral("sglextid.db")));
}

TEST_F(RecordChangeTest, IdentifiersOfTheEarlierLayoutAreCarriedOverAsTheAlbums)
{
    keep(3, {{ExternalSource::MusicBrainzRelease, QStringLiteral("rel-3")}});
    store::Store::instance().closeAll();
    // The earlier layout had neither songs nor music files.
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(qPrintable(ExternalIds.name()), &db), SQLITE_OK);
        store::registerKeyCollation(db);
        EXPECT_EQ(
            sqlite3_exec(db,
                         "DROP INDEX KeySong; DROP INDEX KeyIdentifier; DROP INDEX KeyAlbumSource;"
                         "ALTER TABLE rec DROP COLUMN SongID; ALTER TABLE rec DROP COLUMN "
                         "Size; ALTER TABLE rec DROP COLUMN Modified; ALTER TABLE rec DROP "
                         "COLUMN Stamp; PRAGMA user_version=1",
                         nullptr, nullptr, nullptr),
            SQLITE_OK)
            << sqlite3_errmsg(db);
        sqlite3_close(db);
    }
    EXPECT_EQ(idsOf(3), (std::vector<QString>{QStringLiteral("MusicBrainzRelease=rel-3")}));
    // A song's identifier sits beside the album's without being taken for it.
    {
        const store::FileUse use(ExternalIds);
        EXT.clear();
        EXT.AlbumID = 3;
        EXT.SongID = 30;
        EXT.Source = ExternalSource::MusicFile;
        EXT.Identifier = QStringLiteral("/music/a song.flac");
        EXT.Size = 5'000'000'000LL;
        ASSERT_EQ(ExternalIds.add(), 0);
        EXT.clear();
        EXT.Source = ExternalSource::MusicFile;
        EXT.Identifier = QStringLiteral("/music/a song.flac");
        ASSERT_EQ(ExternalIds.setFromBuffer(ExternalIdRecord::KeyIdentifier), 0);
        ASSERT_EQ(ExternalIds.next(), 0);
        EXPECT_EQ(EXT.Identifier, QStringLiteral("/music/a song.flac"));
        EXPECT_EQ(EXT.SongID, 30);
        EXPECT_EQ(EXT.Size, 5'000'000'000LL);
    }
    EXPECT_EQ(idsOf(3).size(), 1u);
}
