// A release turned into an album and its songs, and their one transaction in the data files.
#include "../wizard/cdfixture.h"

#include "lookup/draftwriter.h"
#include "lookup/releasemapping.h"
#include "lookup/releasexml.h"
#include "platform/store/fileuses.h"

#include "recordedanswers.h"

#include <QFile>

using namespace melodex;
using namespace melodex::lookup;
using melodex::test::recordedAnswer;

namespace {

Release recorded(const char *id)
{
    const auto parsed = parseReleaseAnswer(
        recordedAnswer(QString::fromLatin1(id) + QStringLiteral("-recordings.xml")));
    EXPECT_TRUE(parsed.ok()) << parsed.error.toStdString();
    return parsed.value;
}

Track track(int position, const QString &title, const QString &artist = {}, qint64 ms = 200000,
            const QString &number = {})
{
    Track t;
    t.position = position;
    t.number = number.isEmpty() ? QString::number(position) : number;
    t.title = title;
    t.artist = artist;
    t.lengthMs = ms;
    return t;
}

// Two CDs of a compilation; the second one's disc ID is "disc-two".
Release compilation()
{
    Release r;
    r.id = QStringLiteral("rel-1");
    r.title = QStringLiteral("Summer Hits");
    r.artist = QStringLiteral("Various Artists");
    r.date = QStringLiteral("1999-06");
    r.barcode = QStringLiteral("1234567890123");
    r.labels.push_back({QStringLiteral("Hit Label"), QStringLiteral("HL 42")});
    Medium one;
    one.position = 1;
    one.format = QStringLiteral("CD");
    one.tracks = {track(1, QStringLiteral("Sun"), QStringLiteral("Ann")),
                  track(2, QStringLiteral("Sea"), QStringLiteral("Bob"))};
    Medium two;
    two.position = 2;
    two.format = QStringLiteral("CD");
    two.title = QStringLiteral("Bonus");
    two.discs.push_back({QStringLiteral("disc-two"), 0, {}});
    two.tracks = {track(1, QStringLiteral("Sand"), QStringLiteral("Cy"), 100000),
                  track(2, QStringLiteral("Wind"), QStringLiteral("Di"), 100000),
                  track(3, QStringLiteral("Rain"), QStringLiteral("Ed"), -1)};
    r.media = {one, two};
    return r;
}

class DraftWriterTest : public melodex::test::CdTest
{
protected:
    std::vector<SongloreRecord> songsOf(qint32 albumId)
    {
        std::vector<SongloreRecord> out;
        const store::FileUse use(Songlore);
        MUS.clear();
        MUS.AlbumID = albumId;
        Songlore.setFromBuffer(SongloreRecord::KeyAlbumID);
        while (Songlore.next() == 0 && MUS.AlbumID == albumId)
            out.push_back(MUS);
        return out;
    }
    qint64 count(store::KeyedFile &file)
    {
        const store::FileUse use(file);
        return use.ok() ? file.records() : -1;
    }
};

} // namespace

TEST(ReleaseMapping, RecordedReleaseWithAPregapTrack)
{
    const Release sea = recorded(melodex::test::SeaOfCowards);
    const std::optional<AlbumDraft> d = mapRelease(sea);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->album, QStringLiteral("Sea of Cowards"));
    EXPECT_EQ(d->media, QString()); // the answer gives no format
    EXPECT_EQ(picture::dateFromDayNumber(d->releaseDate), QDate(2010, 5, 10));
    ASSERT_EQ(d->songs.size(), 12u);
    EXPECT_EQ(d->songs[0].track, 0);
    EXPECT_EQ(d->songs[0].title, QStringLiteral("[untitled]"));
    EXPECT_EQ(d->songs[0].time, picture::timeValue(0, 0, 35));
    EXPECT_EQ(d->songs[1].track, 1);
    EXPECT_EQ(d->songs[1].time, picture::timeValue(0, 3, 22, 30));
    EXPECT_EQ(d->songs[1].side, QString());
    ASSERT_EQ(d->ids.size(), 2u);
    EXPECT_EQ(d->ids[0].identifier, QLatin1String(melodex::test::SeaOfCowards));
    EXPECT_EQ(d->ids[1].source, ExternalSource::Barcode);
}

TEST(ReleaseMapping, CompilationDiscChoiceSidesAndMedia)
{
    const Release r = compilation();
    // Chosen without a disc: every medium, Side the medium's number.
    const std::optional<AlbumDraft> all = mapRelease(r);
    ASSERT_TRUE(all);
    EXPECT_TRUE(all->compilation);
    EXPECT_EQ(all->artist, QStringLiteral("Various"));
    EXPECT_EQ(all->notes, QStringLiteral("Label: Hit Label, HL 42"));
    EXPECT_EQ(picture::dateFromDayNumber(all->releaseDate), QDate(1999, 6, 1));
    EXPECT_EQ(all->media, QStringLiteral("CD"));
    ASSERT_EQ(all->songs.size(), 5u);
    EXPECT_EQ(all->songs[0].side, QStringLiteral("1"));
    EXPECT_EQ(all->songs[0].artist, QStringLiteral("Ann"));
    EXPECT_EQ(all->songs[4].side, QStringLiteral("2"));
    EXPECT_EQ(all->songs[4].track, 3);
    EXPECT_EQ(all->songs[4].time, 0);

    // Read from the second disc: only its medium, no side, its ID kept.
    MappingOptions disc;
    disc.discId = QStringLiteral("disc-two");
    disc.discTimes = {picture::timeValue(0, 1, 40, 50), picture::timeValue(0, 1, 43), 0};
    const std::optional<AlbumDraft> second = mapRelease(r, disc);
    ASSERT_TRUE(second);
    ASSERT_EQ(second->songs.size(), 3u);
    EXPECT_EQ(second->songs[0].title, QStringLiteral("Sand"));
    EXPECT_EQ(second->songs[0].side, QString());
    // Within a second the service's length is taken; beyond it the disc's stays and is told.
    EXPECT_EQ(second->songs[0].time, picture::timeValue(0, 1, 40));
    EXPECT_EQ(second->songs[1].time, picture::timeValue(0, 1, 43));
    ASSERT_EQ(second->lengthDifferences.size(), 1);
    EXPECT_EQ(second->lengthDifferences[0],
              QStringLiteral("Track 2: the disc gives 1:43, MusicBrainz 1:40"));
    EXPECT_EQ(second->ids[1].source, ExternalSource::MusicBrainzDisc);
    EXPECT_EQ(mediumCaption(r, r.media[1]), QStringLiteral("disc 2 of 2: Bonus"));

    disc.discId = QStringLiteral("another");
    EXPECT_FALSE(mapRelease(r, disc));
    // A single medium whose answer lists no disc IDs is the disc's.
    Release single = r;
    single.media.erase(single.media.begin() + 1);
    const std::optional<AlbumDraft> one = mapRelease(single, disc);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->songs.size(), 2u);
    EXPECT_EQ(one->ids[1].identifier, QStringLiteral("another"));
    single.media[0].discs.push_back({QStringLiteral("listed"), 0, {}});
    EXPECT_FALSE(mapRelease(single, disc));
}

TEST(ReleaseMapping, ArtistsVinylSidesAndFieldLengths)
{
    Release lp;
    lp.id = QStringLiteral("lp");
    lp.title = QString(60, u'T');
    lp.artist = QStringLiteral("The Band");
    Medium m;
    m.position = 1;
    m.format = QStringLiteral("12\" Vinyl");
    // A title whose 40th character is the first half of an emoji is cut before it.
    m.tracks = {
        track(1, QString(39, u'x') + QStringLiteral("😀 tail"), {}, 1000, QStringLiteral("A1")),
        track(2, QStringLiteral("Guest Spot"), QStringLiteral("The Band feat. Zed"), 1000,
              QStringLiteral("A2")),
        track(3, QStringLiteral("Flip"), QStringLiteral("The Band"), 1000, QStringLiteral("B3"))};
    lp.media = {m};
    const std::optional<AlbumDraft> d = mapRelease(lp);
    ASSERT_TRUE(d);
    EXPECT_FALSE(d->compilation); // one track of three by someone else
    EXPECT_EQ(d->artist, QStringLiteral("The Band"));
    EXPECT_EQ(d->album.size(), 40);
    EXPECT_EQ(d->media, QStringLiteral("LP"));
    EXPECT_EQ(d->songs[0].title, QString(39, u'x'));
    EXPECT_EQ(d->songs[0].side, QStringLiteral("A"));
    EXPECT_EQ(d->songs[0].track, 1);
    EXPECT_EQ(d->songs[0].artist, QStringLiteral("The Band"));
    EXPECT_EQ(d->songs[1].artist, QStringLiteral("The Band feat. Zed"));
    EXPECT_EQ(d->songs[2].side, QStringLiteral("B"));
    EXPECT_EQ(d->songs[2].track, 3);

    // Most tracks by others make the album "Various" even without the service saying so.
    lp.media[0].tracks[0].artist = QStringLiteral("Someone");
    lp.media[0].tracks[2].artist = QStringLiteral("Else");
    EXPECT_EQ(mapRelease(lp)->artist, QStringLiteral("Various"));

    MappingOptions own;
    own.media = QStringLiteral("Cassette (Dolby B)");
    EXPECT_EQ(mapRelease(lp, own)->media, QStringLiteral("Cassette (Dolby B)"));
    EXPECT_EQ(mediaOfFormat(QStringLiteral("Enhanced CD")), QStringLiteral("CD"));
    EXPECT_EQ(mediaOfFormat(QStringLiteral("7\" Vinyl")), QStringLiteral("7\" Single"));
    EXPECT_EQ(mediaOfFormat(QStringLiteral("Cassette")), QStringLiteral("Cassette (Prerecorded)"));
    EXPECT_EQ(dayOfReleaseDate(QStringLiteral("2006")), picture::dayNumber(QDate(2006, 1, 1)));
    EXPECT_EQ(dayOfReleaseDate(QStringLiteral("200x")), 0);
    EXPECT_EQ(dayOfReleaseDate(QStringLiteral("2006-13-01")), 0);
}

TEST_F(DraftWriterTest, AddsAlbumSongsAndIdentifiersInOneTransaction)
{
    std::optional<AlbumDraft> d = mapRelease(compilation());
    ASSERT_TRUE(d);
    d->cdIdentifier = QStringLiteral(" 0212345");
    const DraftWriteResult r = addDraftAsAlbum(*d);
    ASSERT_TRUE(r.ok()) << r.message.toStdString();
    EXPECT_EQ(r.albumId, 1);
    EXPECT_EQ(r.songs, 5);
    {
        const store::FileUse use(Album);
        ALB.clear();
        ALB.AlbumID = r.albumId;
        ASSERT_EQ(Album.get(AlbumRecord::KeyAlbumID), 0);
        EXPECT_EQ(ALB.Album, QStringLiteral("Summer Hits"));
        EXPECT_EQ(ALB.Artist, QStringLiteral("Various"));
        EXPECT_EQ(ALB.Notes, QStringLiteral("Label: Hit Label, HL 42"));
        EXPECT_EQ(ALB.CDIdentifier, QStringLiteral(" 0212345"));
    }
    const std::vector<SongloreRecord> songs = songsOf(r.albumId);
    ASSERT_EQ(songs.size(), 5u);
    for (const SongloreRecord &s : songs) {
        EXPECT_EQ(s.Album, QStringLiteral("Summer Hits"));
        EXPECT_NE(s.ID, 0);
    }
    {
        const store::FileUse use(ExternalIds);
        const std::vector<ExternalId> ids = externalIdsOf(r.albumId);
        ASSERT_EQ(ids.size(), 2u);
    }

    // Identifiers that cannot be written leave no album and no song behind.
    store::Store::instance().closeAll();
    QFile broken(store::Store::instance().pathOf(QStringLiteral("sglextid")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write(QByteArray(4096, 'x'));
    broken.close();
    const qint64 albums = count(Album), songsBefore = count(Songlore);
    halts.clear();
    const DraftWriteResult failed = addDraftAsAlbum(*d);
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(count(Album), albums);
    EXPECT_EQ(count(Songlore), songsBefore);
}

TEST_F(DraftWriterTest, FillingAnAlbumReplacesAddsOrKeepsItsSongs)
{
    std::optional<AlbumDraft> d = mapRelease(compilation(), {QStringLiteral("disc-two"), {}, {}});
    ASSERT_TRUE(d);
    // An album typed by hand with two of the three tracks, one with its own time.
    {
        const store::FileUses use{&Album, &Songlore};
        ALB.clear();
        ALB.AlbumID = 7;
        ALB.Album = QStringLiteral("Hits 2");
        ASSERT_EQ(Album.add(), 0);
        for (int t = 1; t <= 2; ++t) {
            MUS.clear();
            MUS.ID = t;
            MUS.AlbumID = 7;
            MUS.Album = QStringLiteral("Hits 2");
            MUS.TrackNumber = quint8(t);
            MUS.Title = QStringLiteral("Track %1").arg(t);
            MUS.Time = t == 1 ? picture::timeValue(0, 9, 9) : 0;
            ASSERT_EQ(Songlore.add(), 0);
        }
    }
    const DraftWriteResult keep = fillAlbumFromDraft(7, *d, ExistingSongs::Keep);
    ASSERT_TRUE(keep.ok()) << keep.message.toStdString();
    EXPECT_EQ(songsOf(7).size(), 2u);
    EXPECT_EQ(songsOf(7)[0].Title, QStringLiteral("Track 1"));

    const DraftWriteResult missing = fillAlbumFromDraft(7, *d, ExistingSongs::AddMissing);
    ASSERT_TRUE(missing.ok()) << missing.message.toStdString();
    EXPECT_EQ(missing.songs, 1);
    std::vector<SongloreRecord> songs = songsOf(7);
    ASSERT_EQ(songs.size(), 3u);
    EXPECT_EQ(songs[0].Title, QStringLiteral("Track 1"));
    EXPECT_EQ(songs[2].Title, QStringLiteral("Rain"));
    EXPECT_EQ(songs[2].Album, QStringLiteral("Summer Hits"));

    const DraftWriteResult replace = fillAlbumFromDraft(7, *d, ExistingSongs::ReplaceTitles);
    ASSERT_TRUE(replace.ok()) << replace.message.toStdString();
    EXPECT_EQ(replace.changed, 3);
    EXPECT_EQ(replace.songs, 0);
    songs = songsOf(7);
    ASSERT_EQ(songs.size(), 3u);
    EXPECT_EQ(songs[0].Title, QStringLiteral("Sand"));
    EXPECT_EQ(songs[0].Artist, QStringLiteral("Cy"));
    EXPECT_EQ(songs[0].Time, picture::timeValue(0, 9, 9)); // the user's own time stays
    EXPECT_EQ(songs[1].Time, picture::timeValue(0, 1, 40));
    const store::FileUse use(ExternalIds);
    EXPECT_EQ(externalIdsOf(7).size(), 3u); // release, disc, barcode, each once
}
