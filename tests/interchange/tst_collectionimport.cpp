// Tests of the collection import: the Discogs reader, the media formats' table, the plan, the
// batched writer (a second import adds nothing, a killed import keeps whole batches) and albums
// as CSV both ways.
#include "cli/frontdoor.h"
#include "data/consistencycheck.h"
#include "data/externalids.h"
#include "importers/collectionimport.h"
#include "importers/collectionwriter.h"
#include "importers/discogsreader.h"
#include "importers/importplan.h"
#include "importers/mediaformatmap.h"
#include "importers/sourceformats.h"
#include "interchange/albumcsv.h"
#include "interchangefixture.h"
#include "platform/picture/calendar.h"
#include "platform/store/fileuses.h"

#include <QBuffer>
#include <QImage>

#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

using namespace melodex;
using namespace melodex::importers;

namespace {

class CollectionImportTest : public test::InterchangeTest
{
protected:
    static std::vector<AlbumRecord> albums()
    {
        store::FileUse use(Album);
        std::vector<AlbumRecord> out;
        Album.set(AlbumRecord::KeyAlbumID);
        while (Album.next() == 0)
            out.push_back(ALB);
        return out;
    }
    static std::vector<SongloreRecord> songsOf(qint32 albumId)
    {
        store::FileUse use(Songlore);
        std::vector<SongloreRecord> out;
        Songlore.set(SongloreRecord::KeyID);
        while (Songlore.next() == 0)
            if (MUS.AlbumID == albumId)
                out.push_back(MUS);
        return out;
    }
    static QString categoryName(qint64 id)
    {
        store::FileUse use(Categories);
        CAT.clear();
        CAT.CategoryID = id;
        return Categories.get(CategoriesRecord::KeyCategoryID) == 0 ? CAT.Category : QString();
    }
    /// The record of an identifier, or one with AlbumID -1 when there is none.
    static ExternalIdRecord identifier(const QString &source, const QString &text)
    {
        store::FileUse use(ExternalIds);
        EXT.clear();
        EXT.Source = source;
        EXT.Identifier = text;
        ExternalIds.setFromBuffer(ExternalIdRecord::KeyIdentifier);
        if (ExternalIds.next() == 0 && EXT.Source == source && EXT.Identifier == text)
            return EXT;
        ExternalIdRecord none;
        none.AlbumID = -1;
        return none;
    }
    static qint64 count(store::KeyedFile &file)
    {
        store::FileUse use(file);
        return file.records();
    }
    static BatchRun::State write(const SourceCollection &source, ImportPlan *planOut = nullptr,
                                 const std::function<void(int)> &hook = {},
                                 int batchAlbums = CollectionWriteRun::BatchAlbums)
    {
        const ImportPlan plan = planImport(source, MediaFormatMap::defaults());
        if (planOut)
            *planOut = plan;
        CollectionWriteRun run(source, plan);
        run.setBeforeCommit(hook);
        if (!run.start())
            return BatchRun::State::Failed;
        return runToEnd(run, batchAlbums);
    }
    static QByteArray png()
    {
        QImage image(4, 3, QImage::Format_RGB32);
        image.fill(Qt::red);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }
    // Two albums, one of two discs with identifiers and a cover, and a song without album.
    static SourceCollection twoAlbums()
    {
        SourceCollection c;
        c.format = QStringLiteral("test");
        SourceAlbum a;
        a.artist = QStringLiteral("Miles Davis");
        a.title = QStringLiteral("Bitches Brew");
        a.mediaFormat = QStringLiteral("2xCD, Album");
        a.category = QStringLiteral("Jazz");
        a.released.year = 1970;
        a.purchased.date = QDate(2001, 2, 3);
        a.purchasePriceCents = 1999;
        a.rating = QStringLiteral("5");
        a.label = QStringLiteral("Columbia");
        a.coverImage = png();
        a.ids.push_back({ExternalSource::MusicBrainzRelease, QStringLiteral("mbid-release")});
        for (int disc = 1; disc <= 2; ++disc)
            for (int track = 1; track <= 2; ++track) {
                SourceSong s;
                s.title = QStringLiteral("Disc %1 Track %2").arg(disc).arg(track);
                s.disc = disc;
                s.track = track;
                s.lengthSeconds = 60 * track + disc;
                if (disc == 2 && track == 2)
                    s.ids.push_back({ExternalSource::MusicBrainzRecording, QStringLiteral("rec")});
                a.songs.push_back(s);
            }
        c.albums.push_back(a);
        SourceAlbum b;
        b.artist = QStringLiteral("Can");
        b.title = QStringLiteral("Tago Mago");
        b.mediaFormat = QStringLiteral("Vinyl");
        b.category = QStringLiteral("krautrock");
        SourceSong s;
        s.title = QStringLiteral("Halleluhwah");
        s.artist = QStringLiteral("The Can");
        s.category = QStringLiteral("Jazz");
        b.songs.push_back(s);
        c.albums.push_back(b);
        SourceSong lone;
        lone.artist = QStringLiteral("Nobody");
        lone.title = QStringLiteral("Alone");
        lone.mediaFormat = QStringLiteral("Cass");
        c.songsWithoutAlbum.push_back(lone);
        return c;
    }
};

TEST_F(CollectionImportTest, DiscogsExportIsReadWithItsQuirks)
{
    const QString path = test::sampleDataFile(QStringLiteral("importers/discogs-quirks.csv"));
    ASSERT_NE(recogniseSource(path), nullptr);
    EXPECT_EQ(recogniseSource(path)->name, QStringLiteral("discogs"));
    EXPECT_EQ(recogniseSource(test::sampleDataFile(QStringLiteral("chinook_songs.csv"))), nullptr);

    const SourceCollection c = readDiscogs(path);
    ASSERT_TRUE(c.error.isEmpty());
    ASSERT_EQ(c.albums.size(), 6u);
    const SourceAlbum &nirvana = c.albums[0];
    EXPECT_EQ(nirvana.artist, QStringLiteral("Nirvana"));
    EXPECT_EQ(nirvana.title, QStringLiteral("Nevermind"));
    EXPECT_EQ(nirvana.mediaFormat, QStringLiteral("LP, Album, RE"));
    EXPECT_EQ(nirvana.released.year, 1991);
    EXPECT_FALSE(nirvana.released.date.isValid());
    EXPECT_EQ(nirvana.purchased.date, QDate(2019, 3, 14));
    EXPECT_EQ(nirvana.rating, QStringLiteral("5"));
    EXPECT_EQ(nirvana.category, QStringLiteral("Grunge"));
    EXPECT_TRUE(nirvana.notes.contains(QStringLiteral("Sleeve condition: Very Good Plus (VG+)")));
    EXPECT_TRUE(nirvana.notes.contains(QStringLiteral("Notes: First copy, from \"Rough Trade\"")));
    EXPECT_TRUE(nirvana.notes.contains(QStringLiteral("Purchase Price: 12.99")));
    ASSERT_EQ(nirvana.ids.size(), 1u);
    EXPECT_EQ(nirvana.ids[0].source, ExternalSource::DiscogsRelease);
    EXPECT_EQ(nirvana.ids[0].identifier, QStringLiteral("367113"));

    const SourceAlbum &prince = c.albums[1];
    EXPECT_EQ(prince.artist, QStringLiteral("Prince And The Revolution"));
    EXPECT_EQ(prince.label, QStringLiteral("Warner Bros. Records, Inc."));
    EXPECT_EQ(prince.released.date, QDate(1984, 6, 25));
    EXPECT_TRUE(prince.category.isEmpty()); // Discogs' own "Uncategorized"

    const SourceAlbum &single = c.albums[2];
    EXPECT_EQ(single.mediaFormat, QStringLiteral("7\", Single"));
    EXPECT_TRUE(single.released.isEmpty()); // "0"
    EXPECT_TRUE(single.rating.isEmpty());   // "0"
    EXPECT_TRUE(single.notes.contains(QStringLiteral("Notes: Two lines\nof notes")));

    // The line numbers count the note's second line.
    EXPECT_EQ(c.albums[3].artist, QStringLiteral("Björk"));
    EXPECT_EQ(c.albums[3].line, 6);
    EXPECT_EQ(c.albums[3].released.year, 1997); // "1997-09-00": the year is what is known
    EXPECT_FALSE(c.albums[3].released.date.isValid());
    EXPECT_EQ(c.albums[3].category, QStringLiteral("Électronique"));
    EXPECT_EQ(c.albums[4].artist, QStringLiteral("Mötley Crüe"));
    EXPECT_EQ(c.albums[5].artist, QStringLiteral("Unknown & Friend"));
    EXPECT_EQ(c.albums[5].mediaFormat, QStringLiteral("12\""));
    EXPECT_TRUE(c.albums[5].ids.empty());
    EXPECT_TRUE(c.albums[5].notes.endsWith(QStringLiteral("\nDiscogs release: notanumber")));
    ASSERT_EQ(c.problems.size(), 1u);
    EXPECT_EQ(c.problems[0].line, 10); // a row of commas only is passed over in silence

    EXPECT_EQ(cleanDiscogsArtist(QStringLiteral("Nirvana (2), Foo (13)* & Bar*")),
              QStringLiteral("Nirvana, Foo & Bar"));
    EXPECT_EQ(cleanDiscogsArtist(QStringLiteral("Take 6 (Live)")), QStringLiteral("Take 6 (Live)"));

    // No Artist column: refused as a whole.
    EXPECT_FALSE(
        readDiscogsText(QStringLiteral("Catalog#,Name,release_id\n1,2,3\n")).error.isEmpty());
}

TEST_F(CollectionImportTest, MediaFormatsAreMappedByTheTableTheUserCanChange)
{
    MediaFormatMap map = MediaFormatMap::defaults();
    EXPECT_EQ(map.map(QStringLiteral("2xCD, Comp")), QStringLiteral("CD"));
    EXPECT_EQ(map.map(QStringLiteral("LP")), QStringLiteral("LP"));
    EXPECT_EQ(map.map(QStringLiteral("7\", EP")), QStringLiteral("7\" Single"));
    EXPECT_EQ(map.map(QStringLiteral("Cass, Album")), QStringLiteral("Cassette (Prerecorde"));
    EXPECT_EQ(map.map(QStringLiteral("Minidisc, Album")), QStringLiteral("Minidisc"));
    EXPECT_EQ(map.map(QString()), QString());

    map.set(QStringLiteral("cass"), QStringLiteral("Cassette (Dolby B)"));
    map.set(QStringLiteral("Minidisc"), QStringLiteral("Other"));
    map.set(QStringLiteral("Vinyl"), QString());
    const MediaFormatMap back = MediaFormatMap::fromText(map.toText());
    EXPECT_EQ(back.entries(), map.entries());
    EXPECT_EQ(back.map(QStringLiteral("Cass, Album")), QStringLiteral("Cassette (Dolby B)"));
    EXPECT_EQ(back.map(QStringLiteral("Minidisc")), QStringLiteral("Other"));
    EXPECT_EQ(back.map(QStringLiteral("Vinyl, LP")), QStringLiteral("Vinyl"));

    ASSERT_TRUE(back.save());
    EXPECT_EQ(MediaFormatMap::load().entries(), back.entries());
}

TEST_F(CollectionImportTest, AlbumsAndSongsAreWrittenOnceWithTheirLinksIdentifiersAndCover)
{
    const SourceCollection source = twoAlbums();
    ImportPlan plan;
    ASSERT_EQ(write(source, &plan), BatchRun::State::Completed)
        << captions().join(u'|').toStdString();
    EXPECT_EQ(plan.albumsToAdd.size(), 2u);
    EXPECT_EQ(plan.songsToAdd, 6);
    EXPECT_EQ(plan.newCategories,
              (QStringList{QStringLiteral("Jazz"), QStringLiteral("krautrock")}));
    EXPECT_TRUE(plan.newMedia.isEmpty()); // CD, LP and the cassette are the catalogue's own
    EXPECT_FALSE(plan.leavesOut());

    const std::vector<AlbumRecord> stored = albums();
    ASSERT_EQ(stored.size(), 2u);
    const AlbumRecord &brew = stored[0];
    EXPECT_EQ(brew.Album, QStringLiteral("Bitches Brew"));
    EXPECT_EQ(brew.Media, QStringLiteral("CD"));
    EXPECT_EQ(categoryName(brew.CategoryID), QStringLiteral("Jazz"));
    EXPECT_EQ(brew.ReleaseDate, picture::dayNumber(QDate(1970, 1, 1)));
    EXPECT_EQ(brew.PurchaseDate, picture::dayNumber(QDate(2001, 2, 3)));
    EXPECT_EQ(brew.PurPrice, 1999);
    EXPECT_EQ(brew.Rating, QStringLiteral("5"));
    EXPECT_TRUE(brew.Notes.contains(QStringLiteral("Label: Columbia")));
    EXPECT_EQ(brew.TotalTime, picture::timeValue(0, 6, 6));
    EXPECT_TRUE(QFile::exists(brew.AssociatedImage)) << brew.AssociatedImage.toStdString();
    EXPECT_TRUE(brew.AssociatedImage.startsWith(dataDir()));

    const std::vector<SongloreRecord> songs = songsOf(brew.AlbumID);
    ASSERT_EQ(songs.size(), 4u);
    EXPECT_EQ(songs[2].Title, QStringLiteral("Disc 2 Track 1"));
    EXPECT_EQ(songs[2].Side, QStringLiteral("2"));
    EXPECT_EQ(songs[2].TrackNumber, 1);
    EXPECT_EQ(songs[2].Artist, QStringLiteral("Miles Davis"));
    EXPECT_EQ(songs[2].Album, QStringLiteral("Bitches Brew"));
    EXPECT_EQ(songs[2].Time, picture::timeValue(0, 1, 2));
    EXPECT_EQ(songs[2].CategoryID, brew.CategoryID);

    const std::vector<SongloreRecord> can = songsOf(stored[1].AlbumID);
    ASSERT_EQ(can.size(), 1u);
    EXPECT_EQ(can[0].Artist, QStringLiteral("The Can"));
    EXPECT_EQ(categoryName(can[0].CategoryID), QStringLiteral("Jazz"));
    EXPECT_EQ(categoryName(stored[1].CategoryID), QStringLiteral("krautrock"));
    EXPECT_EQ(stored[1].Media, QStringLiteral("LP"));
    ASSERT_EQ(songsOf(0).size(), 1u);
    EXPECT_EQ(songsOf(0)[0].Media, QStringLiteral("Cassette (Prerecorde"));

    {
        store::FileUse use(ExternalIds);
        const std::vector<ExternalId> ids = externalIdsOf(brew.AlbumID);
        ASSERT_EQ(ids.size(), 1u);
        EXPECT_EQ(ids[0].identifier, QStringLiteral("mbid-release"));
        const ExternalIdRecord rec =
            identifier(ExternalSource::MusicBrainzRecording, QStringLiteral("rec"));
        EXPECT_EQ(rec.SongID, songs[3].ID);
        EXPECT_EQ(rec.AlbumID, brew.AlbumID);
    }

    // A cover that is no image is left out and said so; the album comes in without it.
    SourceCollection broken;
    SourceAlbum noImage;
    noImage.artist = QStringLiteral("Broken");
    noImage.title = QStringLiteral("Cover");
    noImage.coverImage = QByteArray("GIF89a, but no more");
    broken.albums.push_back(noImage);
    {
        const ImportPlan brokenPlan = planImport(broken, MediaFormatMap::defaults());
        CollectionWriteRun run(broken, brokenPlan);
        ASSERT_TRUE(run.start());
        ASSERT_EQ(runToEnd(run), BatchRun::State::Completed);
        EXPECT_TRUE(run.summary().join(u'|').contains(QStringLiteral("no cover for \"Cover\"")));
    }
    ASSERT_EQ(albums().size(), 3u);
    EXPECT_TRUE(albums()[2].AssociatedImage.isEmpty());

    // The same source again adds nothing.
    const qint64 songCount = count(Songlore);
    ImportPlan again;
    ASSERT_EQ(write(source, &again), BatchRun::State::Completed);
    EXPECT_TRUE(again.albumsToAdd.empty());
    EXPECT_EQ(again.albumsPresent.size(), 2u);
    EXPECT_EQ(again.loneSongsPresent, 1);
    EXPECT_EQ(again.songsToAdd, 0);
    EXPECT_EQ(albums().size(), 3u);
    EXPECT_EQ(count(Songlore), songCount);
    EXPECT_TRUE(checkConsistency(store::FileCheck::Depth::Full).empty());
}

TEST_F(CollectionImportTest, TheSameAlbumOnAnotherMediaFormatIsLeftOutAndSaidSo)
{
    SourceCollection c;
    SourceAlbum a;
    a.artist = QStringLiteral("Kraftwerk");
    a.title = QStringLiteral("Computerwelt");
    a.mediaFormat = QStringLiteral("LP");
    a.line = 2;
    c.albums.push_back(a);
    a.artist = QStringLiteral("KRAFTWERK  "); // the key ignores letter case and trailing blanks
    a.line = 3;
    c.albums.push_back(a);
    a.mediaFormat = QStringLiteral("CD");
    a.line = 4;
    c.albums.push_back(a);
    ImportPlan plan;
    ASSERT_EQ(write(c, &plan), BatchRun::State::Completed);
    EXPECT_EQ(plan.albumsToAdd.size(), 1u);
    EXPECT_EQ(plan.albumsPresent.size(), 1u);
    ASSERT_EQ(plan.problems.size(), 1u);
    EXPECT_EQ(plan.problems[0].line, 4);
    EXPECT_TRUE(plan.leavesOut());
    EXPECT_TRUE(plan.lines().join(u'\n').contains(QStringLiteral("line 4:")));
    EXPECT_EQ(albums().size(), 1u);

    // A plan made while a form shows a record leaves the form its record: values and the
    // current record, which the form's next write goes to.
    store::FileUse use(Categories);
    CAT.clear();
    CAT.CategoryID = 41;
    CAT.Category = QStringLiteral("Electro");
    ASSERT_EQ(Categories.add(), 0);
    CAT.clear();
    CAT.CategoryID = 40;
    CAT.Category = QStringLiteral("Shown");
    ASSERT_EQ(Categories.add(), 0);
    ASSERT_EQ(Categories.get(CategoriesRecord::KeyCategoryID), 0);
    CAT.Category = QStringLiteral("Typed in the form");
    const store::Position shown = Categories.position();
    SourceCollection other;
    SourceAlbum b;
    b.artist = QStringLiteral("Someone");
    b.title = QStringLiteral("Else");
    b.category = QStringLiteral("Electro");
    other.albums.push_back(b);
    EXPECT_TRUE(planImport(other, MediaFormatMap::defaults()).newCategories.isEmpty());
    EXPECT_EQ(CAT.Category, QStringLiteral("Typed in the form"));
    EXPECT_EQ(Categories.position(), shown);
    ASSERT_EQ(Categories.put(), 0);
}

TEST_F(CollectionImportTest, TheCommandImportsADiscogsExportOnceAndAnEmptyOneCleanly)
{
    CollectionImportOptions o;
    o.file = test::sampleDataFile(QStringLiteral("importers/discogs-quirks.csv"));
    o.quiet = true;
    EXPECT_FALSE(isSongImport(o));
    o.dryRun = true;
    EXPECT_EQ(runCollectionImport(o), 3); // the row without artist and title
    EXPECT_EQ(count(Album), 0);
    o.dryRun = false;
    EXPECT_EQ(runCollectionImport(o), 3);
    EXPECT_EQ(count(Album), 6);
    EXPECT_EQ(runCollectionImport(o), 3);
    EXPECT_EQ(count(Album), 6);
    EXPECT_GT(identifier(ExternalSource::DiscogsRelease, QStringLiteral("249504")).AlbumID, 0);

    o.file = test::sampleDataFile(QStringLiteral("importers/discogs-empty.csv"));
    EXPECT_EQ(runCollectionImport(o), 0);
    EXPECT_EQ(count(Album), 6);
    o.from = QStringLiteral("nosuchformat");
    EXPECT_EQ(runCollectionImport(o), 2);
    o.from = QStringLiteral("songs");
    EXPECT_TRUE(isSongImport(o));
}

TEST_F(CollectionImportTest, AlbumsGoOutAndComeBackWithEveryField)
{
    {
        store::FileUses use{&Album, &Categories};
        CAT.clear();
        CAT.CategoryID = 7;
        CAT.Category = QStringLiteral("Soul");
        ASSERT_EQ(Categories.add(), 0);
        ALB.clear();
        ALB.AlbumID = 12;
        ALB.Artist = QStringLiteral("Aretha Franklin");
        ALB.Album = QStringLiteral("Lady Soul, \"live\"");
        ALB.Media = QStringLiteral("LP");
        ALB.FileNumber = QStringLiteral("A-17");
        ALB.ReleaseDate = picture::dayNumber(QDate(1968, 1, 22));
        ALB.CategoryID = 7;
        ALB.AssociatedWAVFile = QStringLiteral("/music/lady.wav");
        ALB.AssociatedImage = QStringLiteral("/music/lady.jpg");
        ALB.CDIdentifier = QStringLiteral("ABCDEF12");
        ALB.XCCD = QStringLiteral("x-ccd");
        ALB.Playlist = QStringLiteral("Sunday");
        ALB.TotalTime = picture::timeValue(0, 29, 5);
        ALB.Rating = QStringLiteral("**");
        ALB.PurPrice = 1250;
        ALB.PurchaseDate = picture::dayNumber(QDate(1999, 12, 31));
        ALB.Value = -300;
        ALB.Recording = QStringLiteral("Atlantic studios");
        ALB.Performance = QStringLiteral("=SUM(A1)");
        ALB.Notes = QStringLiteral("Two\nlines, \"quoted\"");
        ASSERT_EQ(Album.add(), 0);
        ALB.clear();
        ALB.AlbumID = 3;
        ALB.Artist = QStringLiteral("Ça va");
        ALB.Album = QStringLiteral("Été");
        ALB.Media = QStringLiteral("CD");
        ASSERT_EQ(Album.add(), 0);
    }
    const std::vector<AlbumRecord> before = albums();
    const QString out = path(QStringLiteral("albums.csv"));
    {
        AlbumExportRun run(albumExportableFields(), true, out);
        ASSERT_TRUE(run.start());
        ASSERT_EQ(runToEnd(run), BatchRun::State::Completed);
        EXPECT_EQ(run.albumsWritten(), 2);
    }
    const QByteArray first = contents(out);
    EXPECT_TRUE(first.startsWith("\"ALB:AlbumID\",\"ALB:Artist\""));

    // Into an empty catalogue: every field as it was, numbers and category too.
    store::Store::instance().closeAll();
    const QString other = path(QStringLiteral("other"));
    ASSERT_TRUE(QDir().mkpath(other));
    store::Store::instance().setDataDirectory(other);
    CollectionImportOptions o;
    o.file = out;
    o.quiet = true;
    EXPECT_FALSE(isSongImport(o));
    ASSERT_EQ(runCollectionImport(o), 0);
    const std::vector<AlbumRecord> after = albums();
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i)
        for (int f = 0; f < AlbumRecord::fieldCount; ++f)
            EXPECT_EQ(after[i].value(f), before[i].value(f))
                << AlbumRecord::fileLayout().qualifiedName(f).toStdString();
    EXPECT_EQ(categoryName(after[1].CategoryID), QStringLiteral("Soul"));
    const QString again = path(QStringLiteral("again.csv"));
    {
        AlbumExportRun run(albumExportableFields(), true, again);
        ASSERT_TRUE(run.start());
        ASSERT_EQ(runToEnd(run), BatchRun::State::Completed);
    }
    EXPECT_EQ(contents(again), first);
    // A second import adds nothing.
    EXPECT_EQ(runCollectionImport(o), 0);
    EXPECT_EQ(albums().size(), 2u);

    // A file of no rows imports nothing, cleanly.
    o.file = put("\"ALB:Artist\",\"ALB:Album\"\n", QStringLiteral("none.csv"));
    EXPECT_EQ(runCollectionImport(o), 0);
    // A value that does not fit is a problem of its line.
    o.file = put("\"ALB:Artist\",\"ALB:Album\",\"ALB:ReleaseDate\"\n\"X\",\"Y\",\"31/31/31\"\n",
                 QStringLiteral("bad.csv"));
    EXPECT_EQ(runCollectionImport(o), 3);
    EXPECT_EQ(albums().size(), 2u);
}

// The command line's way in: what the dispatcher passes on, and what it refuses.
TEST_F(CollectionImportTest, TheCommandLineTakesCollectionsAndAlbumsFiles)
{
    store::Store::instance().closeAll();
    const QString discogs = test::sampleDataFile(QStringLiteral("importers/discogs-quirks.csv"));
    const auto run = [this](QStringList args) {
        args << QStringLiteral("--data-dir") << dataDir() << QStringLiteral("--quiet");
        return cli::runCommand(args).value_or(-1);
    };
    EXPECT_EQ(run({QStringLiteral("import"), discogs, QStringLiteral("--dry-run")}), 3);
    EXPECT_EQ(count(Album), 0);
    // Read as what --from says: an albums file without album fields adds nothing.
    EXPECT_EQ(run({QStringLiteral("import"), discogs, QStringLiteral("--from"),
                   QStringLiteral("albums")}),
              3);
    EXPECT_EQ(count(Album), 0);
    EXPECT_EQ(run({QStringLiteral("import"), discogs, QStringLiteral("--from=nothing")}), 2);
    EXPECT_EQ(run({QStringLiteral("import"), discogs}), 3);
    EXPECT_EQ(count(Album), 6);

    const QString out = path(QStringLiteral("albums.csv"));
    EXPECT_EQ(
        run({QStringLiteral("export"), QStringLiteral("--albums"), out, QStringLiteral("--fields"),
             QStringLiteral("ALB:Artist,CAT:Category"), QStringLiteral("--order"),
             QStringLiteral("KeyAlbum"), QStringLiteral("--filter"),
             QStringLiteral("CAT:Category = 'Singles'"), QStringLiteral("--no-header")}),
        0);
    EXPECT_EQ(contents(out), QByteArray("\"Unknown & Friend\",\"Singles\"\n"
                                        "\"Sonic Youth\",\"Singles\"\n"));
    EXPECT_EQ(run({QStringLiteral("export"), QStringLiteral("--albums"), out,
                   QStringLiteral("--fields"), QStringLiteral("MUS:Title")}),
              2);
    EXPECT_EQ(run({QStringLiteral("export"), QStringLiteral("--albums"), out,
                   QStringLiteral("--order"), QStringLiteral("SongsByArtist")}),
              2);
    // A songs file takes none of the collection options.
    const QString songs = put("\"MUS:Artist\",\"MUS:Title\"\n\"A\",\"B\"\n");
    EXPECT_EQ(run({QStringLiteral("import"), songs, QStringLiteral("--dry-run")}), 2);
    EXPECT_EQ(run({QStringLiteral("import"), songs}), 0);
    EXPECT_EQ(count(Songlore), 1);
}

// A process killed inside the transaction of its second batch keeps the first batch whole and
// nothing of the second; the next import adds the rest and nothing twice.
TEST_F(CollectionImportTest, AKilledImportKeepsWholeBatchesOnly)
{
    SourceCollection c;
    constexpr int Batch = 100;
    const int total = Batch * 2 + 10;
    for (int i = 0; i < total; ++i) {
        SourceAlbum a;
        a.artist = QStringLiteral("Artist %1").arg(i % 37);
        a.title = QStringLiteral("Album %1").arg(i);
        a.mediaFormat = QStringLiteral("CD");
        a.category = QStringLiteral("Cat %1").arg(i % 3);
        for (int t = 1; t <= 3; ++t) {
            SourceSong s;
            s.title = QStringLiteral("Song %1").arg(t);
            s.track = t;
            a.songs.push_back(s);
        }
        c.albums.push_back(a);
    }
    {
        // Made before the fork, so that the child only writes.
        store::FileUses use{&Album, &Songlore, &Categories, &Media, &ExternalIds};
        ASSERT_TRUE(use.ok());
    }
    store::Store::instance().closeAll();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        write(
            c, nullptr,
            [](int batch) {
                if (batch == 2)
                    ::kill(::getpid(), SIGKILL);
            },
            Batch);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));

    EXPECT_EQ(count(Album), Batch);
    EXPECT_EQ(count(Songlore), Batch * 3);
    EXPECT_EQ(count(Categories), 3);
    EXPECT_TRUE(checkConsistency(store::FileCheck::Depth::Full).empty());

    ImportPlan plan;
    ASSERT_EQ(write(c, &plan, {}, Batch), BatchRun::State::Completed);
    EXPECT_EQ(plan.albumsPresent.size(), size_t(Batch));
    EXPECT_EQ(count(Album), total);
    EXPECT_EQ(count(Songlore), total * 3);
    EXPECT_EQ(count(Categories), 3);
    QHash<qint32, int> perAlbum;
    {
        store::FileUse use(Songlore);
        Songlore.set(SongloreRecord::KeyID);
        while (Songlore.next() == 0)
            ++perAlbum[MUS.AlbumID];
    }
    for (const AlbumRecord &a : albums())
        ASSERT_EQ(perAlbum.value(a.AlbumID), 3) << a.Album.toStdString();
    EXPECT_TRUE(checkConsistency(store::FileCheck::Depth::Full).empty());
}

} // namespace

// A library that points at its covers (beets) has them read at write time, one at a time; a
// cover that is gone leaves the album without an image.
TEST_F(CollectionImportTest, CoversTheSourcePointsAtAreReadWhenWritten)
{
    const QString art = path(QStringLiteral("art/cover.png"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(art).absolutePath()));
    {
        QFile f(art);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(png());
    }
    SourceCollection c;
    c.format = QStringLiteral("test");
    for (const QString &file : {art, path(QStringLiteral("art/gone.jpg"))}) {
        SourceAlbum a;
        a.artist = QStringLiteral("Can");
        a.title = QFileInfo(file).baseName();
        a.mediaFormat = QStringLiteral("CD");
        a.coverFile = file;
        c.albums.push_back(a);
    }
    ASSERT_EQ(write(c), BatchRun::State::Completed);
    const std::vector<AlbumRecord> stored = albums();
    ASSERT_EQ(stored.size(), 2u);
    const auto cover = std::find_if(stored.cbegin(), stored.cend(), [](const AlbumRecord &a) {
        return a.Album == QStringLiteral("cover");
    });
    ASSERT_NE(cover, stored.cend());
    EXPECT_TRUE(cover->AssociatedImage.startsWith(dataDir()))
        << cover->AssociatedImage.toStdString();
    EXPECT_TRUE(QFile::exists(cover->AssociatedImage));
    const auto gone = cover == stored.cbegin() ? stored.cbegin() + 1 : stored.cbegin();
    EXPECT_TRUE(gone->AssociatedImage.isEmpty());
}
