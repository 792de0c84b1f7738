// Scanning music folders: every format with its tags, albums and covers, and later scans that
// follow edited, renamed, deleted and new files without duplicates.
#include "musicscanfixture.h"

#include "platform/picture/calendar.h"

#include <QBuffer>
#include <QDate>
#include <QImage>
#include <QRandomGenerator>

#include <cmath>

#include <algorithm>

using namespace melodex;
using namespace melodex::test;

namespace {

const QStringList Tools{QStringLiteral("flac"),    QStringLiteral("metaflac"),
                        QStringLiteral("lame"),    QStringLiteral("id3v2"),
                        QStringLiteral("oggenc"),  QStringLiteral("vorbiscomment"),
                        QStringLiteral("opusenc"), QStringLiteral("AtomicParsley")};

QString missingTools()
{
    QStringList missing;
    for (const QString &t : Tools)
        if (!haveTool(t))
            missing << t;
    return missing.join(QStringLiteral(", "));
}

#define NEED_TOOLS()                                                                               \
    if (const QString missing = missingTools(); !missing.isEmpty())                                \
    GTEST_SKIP() << "missing tools (scripts/setup.sh installs them): " << missing.toStdString()

// A FLAC file of silence with Vorbis comments written by metaflac.
void makeFlac(const QString &path, const QStringList &tags, int ms = 1000)
{
    const QString wav = path + QStringLiteral(".src.wav");
    ASSERT_TRUE(writeFile(wav, silentWav(ms)));
    ASSERT_TRUE(runTool(QStringLiteral("flac"), {QStringLiteral("-s"), QStringLiteral("-f"),
                                                 QStringLiteral("-o"), path, wav}));
    QFile::remove(wav);
    QStringList args{QStringLiteral("--remove-all-tags")};
    for (const QString &t : tags)
        args << QStringLiteral("--set-tag=") + t;
    ASSERT_TRUE(runTool(QStringLiteral("metaflac"), args << path));
}

// An image of about `bytes` bytes as PNG (noise does not compress).
QByteArray noisePng(int bytes)
{
    const int side = int(std::sqrt(bytes / 3.0)) + 1;
    QImage image(side, side, QImage::Format_RGB888);
    QRandomGenerator random(7);
    for (int y = 0; y < side; ++y) {
        uchar *line = image.scanLine(y);
        for (int x = 0; x < side * 3; ++x)
            line[x] = uchar(random.bounded(256));
    }
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out;
}

} // namespace

TEST_F(MusicScanTest, ReadsEachFormatWithTheTagsOfTagLibAndOfTheFormatsOwnTools)
{
    NEED_TOOLS();
    // WAV, made here and tagged by TagLib (an ID3v2 chunk) with every field a song takes.
    ASSERT_TRUE(writeFile(file(QStringLiteral("wave.wav")), silentWav(1500)));
    ASSERT_TRUE(tagWithTagLib(file(QStringLiteral("wave.wav")),
                              {{QStringLiteral("TITLE"), {QStringLiteral("Wave")}},
                               {QStringLiteral("ARTIST"), {QStringLiteral("Raw")}},
                               {QStringLiteral("ALBUM"), {QStringLiteral("Formats")}},
                               {QStringLiteral("GENRE"), {QStringLiteral("Ambient")}},
                               {QStringLiteral("DATE"), {QStringLiteral("2001-05-03")}},
                               {QStringLiteral("TRACKNUMBER"), {QStringLiteral("4/9")}},
                               {QStringLiteral("DISCNUMBER"), {QStringLiteral("2/2")}},
                               {QStringLiteral("COMPOSER"), {QStringLiteral("Cage")}},
                               {QStringLiteral("BPM"), {QStringLiteral("120")}},
                               {QStringLiteral("COMMENT"), {QStringLiteral("quiet")}}}));
    // FLAC by flac and metaflac.
    makeFlac(file(QStringLiteral("flac.flac")),
             {QStringLiteral("TITLE=Lossless"), QStringLiteral("ARTIST=Flac Band"),
              QStringLiteral("GENRE=Rock"), QStringLiteral("DATE=1979")});
    // MP3 by lame, tagged by id3v2: ID3v2.3 with a Latin-1 text.
    const QString wav = file(QStringLiteral("src.wav"));
    ASSERT_TRUE(writeFile(wav, silentWav(2000)));
    ASSERT_TRUE(runTool(QStringLiteral("lame"),
                        {QStringLiteral("--quiet"), wav, file(QStringLiteral("latin.mp3"))}));
    ASSERT_TRUE(runTool(QStringLiteral("sh"),
                        {QStringLiteral("-c"),
                         QStringLiteral("id3v2 -a \"$(printf 'Bj\\366rk')\" -t Latin -g 17 \"$0\""),
                         file(QStringLiteral("latin.mp3"))}));
    // MP3 tagged by TagLib: ID3v2.4 in UTF-8.
    ASSERT_TRUE(runTool(QStringLiteral("lame"),
                        {QStringLiteral("--quiet"), wav, file(QStringLiteral("utf8.mp3"))}));
    ASSERT_TRUE(tagWithTagLib(file(QStringLiteral("utf8.mp3")),
                              {{QStringLiteral("TITLE"), {QStringLiteral("Überall ✓")}},
                               {QStringLiteral("ARTIST"), {QStringLiteral("Ünïcode")}}}));
    // Ogg Vorbis by oggenc, with a second ARTIST added by vorbiscomment.
    ASSERT_TRUE(runTool(QStringLiteral("oggenc"),
                        {QStringLiteral("-Q"), QStringLiteral("-a"), QStringLiteral("First"),
                         QStringLiteral("-t"), QStringLiteral("Duet"), QStringLiteral("-o"),
                         file(QStringLiteral("duet.ogg")), wav}));
    ASSERT_TRUE(runTool(QStringLiteral("vorbiscomment"),
                        {QStringLiteral("-a"), QStringLiteral("-t"),
                         QStringLiteral("ARTIST=Second"), file(QStringLiteral("duet.ogg"))}));
    // Opus by opusenc, tagged by TagLib.
    ASSERT_TRUE(runTool(QStringLiteral("opusenc"),
                        {QStringLiteral("--quiet"), wav, file(QStringLiteral("opus.opus"))}));
    ASSERT_TRUE(tagWithTagLib(file(QStringLiteral("opus.opus")),
                              {{QStringLiteral("TITLE"), {QStringLiteral("Opus Song")}},
                               {QStringLiteral("ARTIST"), {QStringLiteral("Opus Band")}}}));
    // M4A written here, tagged by TagLib (MP4 atoms) and AtomicParsley.
    ASSERT_TRUE(writeFile(file(QStringLiteral("aac.m4a")), silentM4a(3000)));
    ASSERT_TRUE(tagWithTagLib(file(QStringLiteral("aac.m4a")),
                              {{QStringLiteral("TITLE"), {QStringLiteral("Atoms")}},
                               {QStringLiteral("ARTIST"), {QStringLiteral("Mp4 Band")}}}));
    ASSERT_TRUE(runTool(QStringLiteral("AtomicParsley"),
                        {file(QStringLiteral("aac.m4a")), QStringLiteral("--composer"),
                         QStringLiteral("Parsley"), QStringLiteral("--overWrite")}));
    QFile::remove(wav);

    const auto run = scan();
    EXPECT_EQ(run->songsAdded(), 7);
    EXPECT_TRUE(run->unreadable().empty());
    const std::vector<SongloreRecord> all = songs();
    ASSERT_EQ(all.size(), 7u);
    for (const SongloreRecord &s : all) {
        EXPECT_GT(s.Time, 1) << s.Title.toStdString(); // every file's length was read
        EXPECT_EQ(s.Media, QStringLiteral("File"));
    }

    const SongloreRecord *wave = byTitle(all, QStringLiteral("Wave"));
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->Artist, QStringLiteral("Raw"));
    EXPECT_EQ(wave->Album, QStringLiteral("Formats"));
    EXPECT_EQ(categoryOf(wave->CategoryID), QStringLiteral("Ambient"));
    EXPECT_EQ(wave->ReleaseDate, picture::dayNumber(QDate(2001, 5, 3)));
    EXPECT_EQ(wave->TrackNumber, 4);
    EXPECT_EQ(wave->Side, QStringLiteral("2"));
    EXPECT_EQ(wave->Composer, QStringLiteral("Cage"));
    EXPECT_EQ(wave->BeatsPerMinute, 120);
    EXPECT_EQ(wave->Notes, QStringLiteral("quiet"));
    EXPECT_EQ(wave->Time, 151); // 1.5 s in hundredths, plus one

    const SongloreRecord *flac = byTitle(all, QStringLiteral("Lossless"));
    ASSERT_TRUE(flac);
    EXPECT_EQ(flac->Artist, QStringLiteral("Flac Band"));
    EXPECT_EQ(categoryOf(flac->CategoryID), QStringLiteral("Rock"));
    EXPECT_EQ(flac->ReleaseDate, picture::dayNumber(QDate(1979, 1, 1)));
    const SongloreRecord *latin = byTitle(all, QStringLiteral("Latin"));
    ASSERT_TRUE(latin);
    EXPECT_EQ(latin->Artist, QStringLiteral("Björk"));
    EXPECT_EQ(latin->CategoryID, flac->CategoryID); // genre 17 is "Rock": one category
    const SongloreRecord *utf8 = byTitle(all, QStringLiteral("Überall ✓"));
    ASSERT_TRUE(utf8);
    EXPECT_EQ(utf8->Artist, QStringLiteral("Ünïcode"));
    const SongloreRecord *duet = byTitle(all, QStringLiteral("Duet"));
    ASSERT_TRUE(duet);
    EXPECT_EQ(duet->Artist, QStringLiteral("First & Second"));
    const SongloreRecord *opus = byTitle(all, QStringLiteral("Opus Song"));
    ASSERT_TRUE(opus);
    EXPECT_EQ(opus->Artist, QStringLiteral("Opus Band"));
    const SongloreRecord *m4a = byTitle(all, QStringLiteral("Atoms"));
    ASSERT_TRUE(m4a);
    EXPECT_EQ(m4a->Artist, QStringLiteral("Mp4 Band"));
    EXPECT_EQ(m4a->Composer, QStringLiteral("Parsley"));
    EXPECT_EQ(m4a->Time, 301);

    const std::map<QString, qint32> kept = keptFiles();
    EXPECT_EQ(kept.size(), 7u);
    EXPECT_EQ(kept.count(file(QStringLiteral("wave.wav"))), 1u);
}

TEST_F(MusicScanTest, ReadsWindowsMediaFilesAndListsOneCutShort)
{
    // A WMA header written here, a copy tagged again by TagLib (which rebuilds the header), and
    // a copy cut inside its header.
    const QByteArray wma =
        silentWma(2500, QStringLiteral("Windows Song"), QStringLiteral("Media Player"),
                  {{QStringLiteral("WM/AlbumTitle"), QStringLiteral("Redmond")},
                   {QStringLiteral("WM/AlbumArtist"), QStringLiteral("Various")},
                   {QStringLiteral("WM/TrackNumber"), QStringLiteral("3")},
                   {QStringLiteral("WM/Year"), QStringLiteral("1999")}});
    ASSERT_TRUE(writeFile(file(QStringLiteral("wma/song.wma")), wma));
    ASSERT_TRUE(writeFile(file(QStringLiteral("wma/tagged.wma")), wma));
    ASSERT_TRUE(tagWithTagLib(file(QStringLiteral("wma/tagged.wma")),
                              {{QStringLiteral("TITLE"), {QStringLiteral("Retagged")}},
                               {QStringLiteral("GENRE"), {QStringLiteral("Ambient")}}}));
    ASSERT_TRUE(writeFile(file(QStringLiteral("wma/cut.wma")), wma.left(150)));
    ASSERT_TRUE(writeFile(file(QStringLiteral("wma/wave.wav")), silentWav(300)));

    const auto run = scan();
    EXPECT_EQ(run->songsAdded(), 3);
    ASSERT_EQ(run->unreadable().size(), 1u);
    EXPECT_EQ(run->unreadable()[0].first, file(QStringLiteral("wma/cut.wma")));
    const std::vector<SongloreRecord> all = songs();
    const SongloreRecord *song = byTitle(all, QStringLiteral("Windows Song"));
    ASSERT_TRUE(song);
    EXPECT_EQ(song->Artist, QStringLiteral("Media Player"));
    EXPECT_EQ(song->Album, QStringLiteral("Redmond"));
    EXPECT_EQ(song->TrackNumber, 3);
    EXPECT_EQ(song->ReleaseDate, picture::dayNumber(QDate(1999, 1, 1)));
    EXPECT_EQ(song->Time, 251);
    const SongloreRecord *retagged = byTitle(all, QStringLiteral("Retagged"));
    ASSERT_TRUE(retagged);
    EXPECT_EQ(retagged->Artist, QStringLiteral("Media Player"));
    EXPECT_EQ(categoryOf(retagged->CategoryID), QStringLiteral("Ambient"));
    EXPECT_EQ(retagged->AlbumID, song->AlbumID); // one album artist and album: one album
    EXPECT_TRUE(byTitle(all, QStringLiteral("wave")));
}

TEST_F(MusicScanTest, GathersAlbumsWithTheirCovers)
{
    NEED_TOOLS();
    // A double album in two folders, its cover (5 MB) embedded in the first disc's file.
    makeFlac(file(QStringLiteral("Band/CD1/01.flac")),
             {QStringLiteral("ALBUMARTIST=Band"), QStringLiteral("ARTIST=Band"),
              QStringLiteral("ALBUM=Double"), QStringLiteral("TITLE=One"),
              QStringLiteral("DISCNUMBER=1")});
    makeFlac(file(QStringLiteral("Band/CD2/01.flac")),
             {QStringLiteral("ALBUMARTIST=Band"), QStringLiteral("ARTIST=Guest"),
              QStringLiteral("ALBUM=Double"), QStringLiteral("TITLE=Two"),
              QStringLiteral("DISCNUMBER=2")});
    const QString png = file(QStringLiteral("big.png"));
    const QByteArray cover = noisePng(5 * 1024 * 1024);
    ASSERT_GT(cover.size(), 5 * 1000 * 1000);
    ASSERT_TRUE(writeFile(png, cover));
    ASSERT_TRUE(
        runTool(QStringLiteral("metaflac"), {QStringLiteral("--import-picture-from=3||||") + png,
                                             file(QStringLiteral("Band/CD1/01.flac"))}));
    QFile::remove(png);
    // A compilation: one album, whatever its artists.
    makeFlac(
        file(QStringLiteral("Mix/a.flac")),
        {QStringLiteral("ARTIST=Alpha"), QStringLiteral("ALBUM=Mix"), QStringLiteral("TITLE=A")});
    makeFlac(
        file(QStringLiteral("Mix/b.flac")),
        {QStringLiteral("ARTIST=Beta"), QStringLiteral("ALBUM=Mix"), QStringLiteral("TITLE=B")});
    // Files without tags: titles from their names, the album from the folder, the cover beside.
    ASSERT_TRUE(writeFile(file(QStringLiteral("Home Tapes/Side One.wav")), silentWav(500)));
    ASSERT_TRUE(writeFile(file(QStringLiteral("Home Tapes/Side Two.wav")), silentWav(700)));
    QImage small(40, 40, QImage::Format_RGB32);
    small.fill(Qt::red);
    ASSERT_TRUE(small.save(file(QStringLiteral("Home Tapes/Folder.png")), "PNG"));

    const auto run = scan({}, 2); // several batches: an album goes on over them
    EXPECT_EQ(run->songsAdded(), 6);
    EXPECT_EQ(run->albumsAdded(), 3);
    const std::vector<AlbumRecord> all = albums();
    ASSERT_EQ(all.size(), 3u);
    const auto album = [&](const QString &title) -> const AlbumRecord * {
        for (const AlbumRecord &a : all)
            if (a.Album == title)
                return &a;
        return nullptr;
    };
    const AlbumRecord *twice = album(QStringLiteral("Double"));
    const AlbumRecord *mix = album(QStringLiteral("Mix"));
    const AlbumRecord *tapes = album(QStringLiteral("Home Tapes"));
    ASSERT_TRUE(twice && mix && tapes);
    EXPECT_EQ(twice->Artist, QStringLiteral("Band"));
    EXPECT_EQ(twice->Media, QStringLiteral("File"));
    EXPECT_EQ(twice->TotalTime, 201); // two seconds over two discs
    QFile stored(twice->AssociatedImage);
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly)) << twice->AssociatedImage.toStdString();
    EXPECT_EQ(stored.readAll(), cover);
    EXPECT_TRUE(twice->AssociatedImage.startsWith(dir() + QStringLiteral("/images/")));
    EXPECT_TRUE(mix->AssociatedImage.isEmpty());
    EXPECT_TRUE(QImage(tapes->AssociatedImage).size() == QSize(40, 40));

    const std::vector<SongloreRecord> tracks = songs();
    for (const SongloreRecord &s : tracks) {
        if (s.Title == QStringLiteral("One") || s.Title == QStringLiteral("Two"))
            EXPECT_EQ(s.AlbumID, twice->AlbumID);
        else if (s.Title.startsWith(QStringLiteral("Side")))
            EXPECT_EQ(s.AlbumID, tapes->AlbumID);
        else
            EXPECT_EQ(s.AlbumID, mix->AlbumID);
    }
    const SongloreRecord *sideOne = byTitle(tracks, QStringLiteral("Side One"));
    ASSERT_TRUE(sideOne);
    EXPECT_EQ(sideOne->Album, QStringLiteral("Home Tapes"));
    EXPECT_EQ(byTitle(tracks, QStringLiteral("Two"))->Side, QStringLiteral("2"));
}

TEST_F(MusicScanTest, LaterScansFollowEditedMovedDeletedAndNewFiles)
{
    NEED_TOOLS();
    for (const char *name : {"a", "b", "c", "d"})
        makeFlac(file(QStringLiteral("Album/%1.flac").arg(QLatin1String(name))),
                 {QStringLiteral("TITLE=%1").arg(QString::fromLatin1(name).toUpper()),
                  QStringLiteral("ARTIST=Band"), QStringLiteral("ALBUM=Album")});
    {
        const auto first = scan();
        EXPECT_EQ(first->songsAdded(), 4);
    }
    {
        const auto again = scan();
        EXPECT_EQ(again->songsAdded(), 0);
        EXPECT_EQ(again->unchanged(), 4);
        EXPECT_EQ(again->filesRead(), 0); // an unchanged folder reads no tags
    }
    const std::map<QString, qint32> before = keptFiles();
    const qint32 songB = before.at(file(QStringLiteral("Album/b.flac")));
    const qint32 songC = before.at(file(QStringLiteral("Album/c.flac")));

    // The user changes b's artist in the catalogue; its file then gets a new title and artist.
    {
        const store::FileUse use(Songlore);
        MUS.clear();
        MUS.ID = songB;
        ASSERT_EQ(Songlore.get(SongloreRecord::KeyID), 0);
        MUS.Artist = QStringLiteral("Users Band");
        ASSERT_EQ(Songlore.put(), 0);
    }
    ASSERT_TRUE(runTool(
        QStringLiteral("metaflac"),
        {QStringLiteral("--remove-tag=TITLE"), QStringLiteral("--remove-tag=ARTIST"),
         QStringLiteral("--set-tag=TITLE=B Two"), QStringLiteral("--set-tag=ARTIST=Band Renamed"),
         QStringLiteral("--set-tag=COMMENT=a longer tag, so the size changes"),
         file(QStringLiteral("Album/b.flac"))}));
    ASSERT_TRUE(QFile::rename(file(QStringLiteral("Album/c.flac")),
                              file(QStringLiteral("Album/c moved.flac"))));
    ASSERT_TRUE(QFile::remove(file(QStringLiteral("Album/d.flac"))));
    makeFlac(
        file(QStringLiteral("Album/e.flac")),
        {QStringLiteral("TITLE=E"), QStringLiteral("ARTIST=Band"), QStringLiteral("ALBUM=Album")},
        1200);

    const auto run = scan();
    EXPECT_EQ(run->songsAdded(), 1);
    EXPECT_EQ(run->songsUpdated(), 1);
    EXPECT_EQ(run->moved(), 1);
    EXPECT_EQ(run->unchanged(), 1);
    ASSERT_EQ(run->keptEdits().size(), 1u);
    EXPECT_EQ(run->keptEdits()[0].field, QStringLiteral("Artist"));
    EXPECT_EQ(run->keptEdits()[0].kept, QStringLiteral("Users Band"));
    EXPECT_EQ(run->keptEdits()[0].fileSays, QStringLiteral("Band Renamed"));
    ASSERT_EQ(run->gone().size(), 1u);
    EXPECT_EQ(run->gone()[0].file, file(QStringLiteral("Album/d.flac")));
    EXPECT_EQ(run->gone()[0].song, QStringLiteral("\"D\" by Band"));

    std::vector<SongloreRecord> all = songs();
    EXPECT_EQ(all.size(), 5u);
    const SongloreRecord *b = byTitle(all, QStringLiteral("B Two"));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->ID, songB);
    EXPECT_EQ(b->Artist, QStringLiteral("Users Band"));
    EXPECT_EQ(b->Notes, QStringLiteral("a longer tag, so the size changes"));
    const SongloreRecord *e = byTitle(all, QStringLiteral("E"));
    ASSERT_TRUE(e);
    EXPECT_EQ(e->AlbumID, b->AlbumID); // the album the scan made before
    EXPECT_EQ(albums().size(), 1u);
    std::map<QString, qint32> kept = keptFiles();
    EXPECT_EQ(kept.size(), 5u);
    EXPECT_EQ(kept.at(file(QStringLiteral("Album/c moved.flac"))), songC);
    EXPECT_EQ(kept.count(file(QStringLiteral("Album/c.flac"))), 0u);

    // The user deletes the songs of the gone files; the next scan finds everything in step.
    const musicfiles::MusicScan::Removal removal =
        musicfiles::MusicScan::deleteGoneSongs({run->gone()[0].songId});
    EXPECT_TRUE(removal.error.isEmpty()) << removal.error.toStdString();
    EXPECT_EQ(removal.deleted, 1);
    EXPECT_EQ(songs().size(), 4u);
    EXPECT_EQ(keptFiles().size(), 4u);
    const auto last = scan();
    EXPECT_EQ(last->unchanged(), 4);
    EXPECT_TRUE(last->gone().empty());
    EXPECT_TRUE(last->keptEdits().empty());
    EXPECT_EQ(last->songsAdded() + last->songsUpdated() + last->moved(), 0);
}
