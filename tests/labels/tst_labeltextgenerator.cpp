// Label texts generated from an album, a file number or an album name.
#include "../platform/store/storetestfixture.h"

#include "labels/labeltextgenerator.h"
#include "platform/picture/calendar.h"

using namespace melodex;

namespace {

const QString CrLf = QStringLiteral("\r\n");

qint32 duration(int h, int m, int s)
{
    return picture::timeValue(h, m, s);
}

class LabelTexts : public test::StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        openFile(Songlore);
        openFile(Album);
    }

    struct Song
    {
        const char *title;
        int track = 0;
        const char *side = "";
        qint32 time = 0;
        const char *artist = "Nina Simone";
        const char *info = "";
    };

    static void addSongs(const QList<Song> &songs, qint32 albumId,
                         const QString &album = QStringLiteral("Pastel Blues"),
                         const QString &fileNumber = QString())
    {
        static qint32 nextId = 1;
        for (const Song &s : songs) {
            MUS.clear();
            MUS.ID = nextId++;
            MUS.Title = QString::fromUtf8(s.title);
            MUS.Artist = QString::fromUtf8(s.artist);
            MUS.Album = album;
            MUS.Media = QStringLiteral("CD");
            MUS.FileNumber = fileNumber;
            MUS.AlbumID = albumId;
            MUS.TrackNumber = quint8(s.track);
            MUS.Side = QString::fromLatin1(s.side);
            MUS.Time = s.time;
            MUS.AdditionalInformation1 = QString::fromLatin1(s.info);
            ASSERT_EQ(Songlore.add(), 0);
        }
    }

    static AlbumRecord album(qint32 id, const QString &artist, const QString &name,
                             const QString &image = QString())
    {
        AlbumRecord a;
        a.AlbumID = id;
        a.Artist = artist;
        a.Album = name;
        a.AssociatedImage = image;
        return a;
    }

    static QStringList lines(const QString &text) { return text.split(CrLf); }

    LabelTextGenerator titleFirst{QStringLiteral("1"), QStringLiteral(".")};
    LabelTextGenerator artistFirst{QStringLiteral("Artist - Title"), QStringLiteral(".")};
};

TEST(LabelTextSuffix, runningTimesDropHoursAndAdditionalTimesNeedAColon)
{
    EXPECT_EQ(LabelTextGenerator::runningTimeSuffix(duration(0, 3, 5), {}), u" (3:05)");
    EXPECT_EQ(LabelTextGenerator::runningTimeSuffix(duration(0, 12, 40), {}), u" (12:40)");
    EXPECT_EQ(LabelTextGenerator::runningTimeSuffix(duration(1, 2, 3), {}), u" (2:03)");
    EXPECT_EQ(LabelTextGenerator::runningTimeSuffix(duration(0, 0, 0), {}), u" (0:00)");
    // With no time, a time written in the additional information is used unless it is zero.
    EXPECT_EQ(LabelTextGenerator::runningTimeSuffix(0, QStringLiteral("4:21   ")), u" (4:21)");
    EXPECT_EQ(LabelTextGenerator::runningTimeSuffix(0, QStringLiteral("00:00")), u"");
    EXPECT_EQ(LabelTextGenerator::runningTimeSuffix(0, QStringLiteral("live")), u"");
    EXPECT_EQ(LabelTextGenerator::runningTimeSuffix(duration(0, 3, 5), QStringLiteral("9:99")),
              u" (3:05)");
}

TEST(LabelTextDelimiter, followsTheTrackNumberWithOneBlankAndDefaultsToAPoint)
{
    const LabelTextGenerator::Entry e{QString(), 7, QStringLiteral("Song")};
    EXPECT_EQ(LabelTextGenerator(QString(), QStringLiteral("-")).entryText(e), u"  7- Song");
    EXPECT_EQ(LabelTextGenerator(QString(), QStringLiteral(" ")).entryText(e), u"  7. Song");
    EXPECT_EQ(LabelTextGenerator(QString(), QString()).entryText(e), u"  7. Song");
    const LabelTextGenerator::Entry wide{QString(), 123, QStringLiteral("X")};
    EXPECT_EQ(LabelTextGenerator(QString(), QStringLiteral(":")).entryText(wide), u"123: X");
    EXPECT_TRUE(LabelTextGenerator(QStringLiteral("artist"), {}).artistFirst());
    EXPECT_FALSE(LabelTextGenerator(QStringLiteral("1"), {}).artistFirst());
}

TEST_F(LabelTexts, anAlbumGivesHeadingsSongLinesAndItsPicture)
{
    addSongs({{"Be My Husband", 1, "", duration(0, 2, 57)},
              {"Sinnerman", 10, "", duration(0, 10, 21)},
              {"Nobody Knows You", 2}},
             7);
    addSongs({{"Elsewhere", 1}}, 8);
    LabelsRecord label;
    const int found = titleFirst.fromAlbum(label, album(7, QStringLiteral("Nina Simone  "),
                                                        QStringLiteral("Pastel Blues "),
                                                        QStringLiteral("p.png")));
    EXPECT_EQ(found, 3);
    EXPECT_EQ(label.LabelDescription, u"Pastel Blues - Nina Simone");
    EXPECT_EQ(label.CDSpine, u"Pastel Blues - Nina Simone");
    EXPECT_EQ(label.CDTitle, label.CDSpine);
    EXPECT_EQ(label.CassetteFlap,
              QStringLiteral("Pastel Blues") + CrLf + QStringLiteral("Nina Simone"));
    EXPECT_EQ(label.CassetteTitle, label.CassetteFlap);
    EXPECT_EQ(label.AlbumID, 7);
    EXPECT_EQ(label.ImageName, u"p.png");
    const QStringList expected{QStringLiteral("  1. Be My Husband (2:57)"),
                               QStringLiteral("  2. Nobody Knows You"),
                               QStringLiteral(" 10. Sinnerman (10:21)")};
    EXPECT_EQ(lines(label.CDCoverText), expected);
    EXPECT_EQ(label.CDInsideText, label.CDCoverText);
    // Songs on no side all go to Side A.
    EXPECT_EQ(label.CassetteContentsA, label.CDCoverText);
    EXPECT_EQ(label.CassetteContentsB, u"");
}

TEST_F(LabelTexts, artistFirstOrderTurnsHeadingsAndVariousLines)
{
    addSongs({{"Round Midnight", 1, "", 0, "Thelonious Monk"}, {"Naima", 2, "", 0, "Coltrane"}}, 3,
             QStringLiteral("Jazz Hits"));
    LabelsRecord label;
    artistFirst.fromAlbum(label, album(3, QStringLiteral("various"), QStringLiteral("Jazz Hits")));
    EXPECT_EQ(label.LabelDescription, u"various - Jazz Hits");
    // A various-artists album names only itself on spine, title and flap.
    EXPECT_EQ(label.CDSpine, u"Jazz Hits");
    EXPECT_EQ(label.CDTitle, u"Jazz Hits");
    EXPECT_EQ(label.CassetteFlap, u"Jazz Hits");
    EXPECT_EQ(label.CassetteTitle, u"Jazz Hits");
    EXPECT_EQ(lines(label.CDCoverText),
              (QStringList{QStringLiteral("  1. Thelonious Monk - Round Midnight"),
                           QStringLiteral("  2. Coltrane - Naima")}));

    titleFirst.fromAlbum(label, album(3, QStringLiteral("Various"), QStringLiteral("Jazz Hits")));
    EXPECT_EQ(lines(label.CDCoverText).first(), u"  1. Round Midnight - Thelonious Monk");

    addSongs({{"Feeling Good", 1}}, 9, QStringLiteral("I Put a Spell on You"));
    artistFirst.fromAlbum(
        label, album(9, QStringLiteral("Nina Simone"), QStringLiteral("I Put a Spell on You")));
    EXPECT_EQ(label.CDSpine, u"Nina Simone - I Put a Spell on You");
    EXPECT_EQ(label.CassetteFlap,
              QStringLiteral("Nina Simone") + CrLf + QStringLiteral("I Put a Spell on You"));
    EXPECT_EQ(label.CDCoverText, u"  1. Feeling Good");
}

TEST_F(LabelTexts, eachSongGoesToTheSideItIsOnAndBothCdTextsListEverySong)
{
    addSongs({{"B two", 2, "2"}, {"A one", 1, "1"}, {"No side", 1, ""}, {"B one", 1, "2"}}, 5);
    LabelsRecord label;
    titleFirst.fromAlbum(label, album(5, QStringLiteral("X"), QStringLiteral("Y")));
    // Sorted by side, then track: the blank side comes first.
    EXPECT_EQ(lines(label.CDCoverText),
              (QStringList{QStringLiteral("  1. No side"), QStringLiteral("  1. A one"),
                           QStringLiteral("  1. B one"), QStringLiteral("  2. B two")}));
    EXPECT_EQ(label.CDInsideText, label.CDCoverText);
    EXPECT_EQ(lines(label.CassetteContentsA),
              (QStringList{QStringLiteral("  1. No side"), QStringLiteral("  1. A one")}));
    EXPECT_EQ(lines(label.CassetteContentsB),
              (QStringList{QStringLiteral("  1. B one"), QStringLiteral("  2. B two")}));

    // The song form stores sides as the letters A and B as well as the disc numbers 1 and 2.
    addSongs({{"Letter B2", 2, "B"}, {"Letter A1", 1, "A"}, {"Letter B1", 1, "b"}}, 15);
    titleFirst.fromAlbum(label, album(15, QStringLiteral("X"), QStringLiteral("Cassette")));
    EXPECT_EQ(label.CassetteContentsA, u"  1. Letter A1");
    EXPECT_EQ(lines(label.CassetteContentsB),
              (QStringList{QStringLiteral("  1. Letter B1"), QStringLiteral("  2. Letter B2")}));
    EXPECT_EQ(lines(label.CDCoverText),
              (QStringList{QStringLiteral("  1. Letter A1"), QStringLiteral("  1. Letter B1"),
                           QStringLiteral("  2. Letter B2")}));
}

TEST_F(LabelTexts, tracksNumberedZeroTakeTheirPlaceInTheReadingOrder)
{
    // Read in track order (0, 0, 0, 2, 5): the unnumbered songs become 1, 2 and 3 by their
    // place before sorting, so "Third" (3) sorts after the song numbered 2.
    addSongs({{"Fifth", 5}, {"First", 0}, {"Second", 0}, {"Third", 0}, {"Numbered two", 2}}, 6);
    LabelsRecord label;
    titleFirst.fromAlbum(label, album(6, QStringLiteral("X"), QStringLiteral("Y")));
    const QStringList got = lines(label.CDCoverText);
    ASSERT_EQ(got.size(), 5);
    EXPECT_EQ(got.at(0), u"  1. First");
    EXPECT_EQ(got.at(1), u"  2. Numbered two");
    EXPECT_EQ(got.at(2), u"  2. Second");
    EXPECT_EQ(got.at(3), u"  3. Third");
    EXPECT_EQ(got.at(4), u"  5. Fifth");
}

TEST_F(LabelTexts, atMostFiftySongsAreRead)
{
    QList<Song> many;
    for (int i = 0; i < 60; ++i)
        many.append({"Song", i + 1});
    addSongs(many, 11);
    LabelsRecord label;
    EXPECT_EQ(titleFirst.fromAlbum(label, album(11, QStringLiteral("X"), QStringLiteral("Y"))),
              LabelTextGenerator::maxEntries);
    const QStringList got = lines(label.CDCoverText);
    EXPECT_EQ(got.size(), 50);
    EXPECT_EQ(got.last(), u" 50. Song");
}

TEST_F(LabelTexts, noSongsChangeHeadingsButKeepSongTextsAndPicture)
{
    LabelsRecord label;
    label.CDCoverText = QStringLiteral("kept");
    label.CassetteContentsA = QStringLiteral("kept A");
    label.ImageName = QStringLiteral("old.png");
    EXPECT_EQ(titleFirst.fromAlbum(label, album(12, QStringLiteral("Art"), QStringLiteral("Alb"),
                                                QStringLiteral("new.png"))),
              0);
    EXPECT_EQ(label.LabelDescription, u"Alb - Art");
    EXPECT_EQ(label.CDSpine, u"Alb - Art");
    EXPECT_EQ(label.CDCoverText, u"kept");
    EXPECT_EQ(label.CassetteContentsA, u"kept A");
    EXPECT_EQ(label.ImageName, u"old.png");
    // Songs on no album are not the songs of an album that has id 0.
    addSongs({{"Loose", 1}}, 0);
    EXPECT_EQ(titleFirst.fromAlbum(label, album(0, QStringLiteral("A"), QStringLiteral("B"))), 0);
}

TEST_F(LabelTexts, aFileNumberCollectsItsSongsWhateverTheirAlbum)
{
    addSongs({{"Tape two", 0, "2", duration(0, 4, 0), "Other"}}, 0, QStringLiteral("Mix"),
             QStringLiteral("T-12"));
    addSongs({{"Tape one", 0, "1"}}, 4, QStringLiteral("Mix"), QStringLiteral("t-12  "));
    addSongs({{"Not on it", 1}}, 4, QStringLiteral("Mix"), QStringLiteral("T-13"));
    ALB = album(4, QStringLiteral("Someone"), QStringLiteral("Mix"), QStringLiteral("mix.jpg"));
    ASSERT_EQ(Album.add(), 0);
    ALB = album(99, QStringLiteral("Last read"), QStringLiteral("Elsewhere"),
                QStringLiteral("wrong.jpg"));

    SongloreRecord current;
    current.Media = QStringLiteral("CD");
    current.FileNumber = QStringLiteral("T-12 ");
    current.Album = QStringLiteral("Mix");
    current.Artist = QStringLiteral("Nina Simone");
    current.AlbumID = 4;
    LabelsRecord label;
    label.AlbumID = 17;
    EXPECT_EQ(titleFirst.fromSong(label, current), 2);
    EXPECT_EQ(label.AlbumID, 0);
    EXPECT_EQ(label.LabelDescription, u"File Number T-12");
    EXPECT_EQ(label.CDSpine, u"File Number T-12 Mix - Nina Simone");
    EXPECT_EQ(label.CassetteFlap, QStringLiteral("File Number T-12") + CrLf +
                                      QStringLiteral("Mix") + CrLf + QStringLiteral("Nina Simone"));
    EXPECT_EQ(lines(label.CDCoverText),
              (QStringList{QStringLiteral("  1. Tape one - Nina Simone"),
                           QStringLiteral("  2. Tape two - Other (4:00)")}));
    // The picture is that of the song's own album, not of the album buffer's last record, and
    // the album buffer is left as it was.
    EXPECT_EQ(label.ImageName, u"mix.jpg");
    EXPECT_EQ(ALB.AssociatedImage, u"wrong.jpg");

    artistFirst.fromSong(label, current);
    EXPECT_EQ(label.CDSpine, u"File Number T-12 Nina Simone - Mix");
    EXPECT_EQ(label.CassetteFlap,
              QStringLiteral("File Number T-12") + CrLf + QStringLiteral("Nina Simone - Mix"));
    EXPECT_EQ(lines(label.CDCoverText).first(), u"  1. Nina Simone - Tape one");
}

TEST_F(LabelTexts, theSongBufferItselfCollectsExactlyItsFileNumberInTrackOrder)
{
    // Text order puts "1", "10" and "100" before "4", and "A-101" and "W-1" after it.
    for (const char *other : {"1", "10", "100", "A-101", "W-1"})
        addSongs({{"Elsewhere", 1, "", 0, "AC/DC"}}, 0, QStringLiteral("Other"),
                 QString::fromLatin1(other));
    addSongs({{"Whole Lotta Rosie", 8, "", 0, "AC/DC"},
              {"Go Down", 1, "", 0, "AC/DC"},
              {"Bad Boy Boogie", 4, "", 0, "AC/DC"}},
             0, QStringLiteral("Let There Be Rock"), QStringLiteral("4"));
    // A song of the same file number on another media is not on this one.
    MUS.clear();
    MUS.ID = 900;
    MUS.Title = QStringLiteral("Tape copy");
    MUS.Media = QStringLiteral("Cassette");
    MUS.FileNumber = QStringLiteral("4");
    ASSERT_EQ(Songlore.add(), 0);

    // The picker leaves the chosen song in the song buffer and the wizard passes that buffer.
    MUS.clear();
    MUS.Media = QStringLiteral("CD");
    MUS.FileNumber = QStringLiteral("4");
    Songlore.setFromBuffer(SongloreRecord::SongsByMedia);
    ASSERT_EQ(Songlore.next(), 0);
    ASSERT_EQ(MUS.Title, u"Bad Boy Boogie");
    LabelsRecord label;
    EXPECT_EQ(artistFirst.fromSong(label, MUS), 3);
    EXPECT_EQ(lines(label.CDCoverText),
              (QStringList{QStringLiteral("  1. AC/DC - Go Down"),
                           QStringLiteral("  4. AC/DC - Bad Boy Boogie"),
                           QStringLiteral("  8. AC/DC - Whole Lotta Rosie")}));
    EXPECT_EQ(MUS.Title, u"Bad Boy Boogie");

    // So does the album name when the song has no file number.
    addSongs({{"Loose two", 2}, {"Loose one", 1}}, 0, QStringLiteral("Loose"));
    addSongs({{"Not it", 1}}, 0, QStringLiteral("Zebra"));
    MUS.clear();
    MUS.Album = QStringLiteral("Loose");
    Songlore.setFromBuffer(SongloreRecord::SongsByAlbum);
    ASSERT_EQ(Songlore.next(), 0);
    EXPECT_EQ(titleFirst.fromSong(label, MUS), 2);
    EXPECT_EQ(lines(label.CDCoverText),
              (QStringList{QStringLiteral("  1. Loose one"), QStringLiteral("  2. Loose two")}));
}

TEST_F(LabelTexts, anAlbumNameCollectsTheSongsOfThatAlbumAndArtist)
{
    addSongs({{"Side two", 1, "2"}, {"Opener", 1, "1"}}, 0, QStringLiteral("Loose Tapes"));
    addSongs({{"Someone else's", 1, "1", 0, "Other"}}, 0, QStringLiteral("Loose Tapes"));
    SongloreRecord current;
    current.Album = QStringLiteral("loose tapes");
    current.Artist = QStringLiteral("Nina Simone");
    current.Title = QStringLiteral("Side two");
    LabelsRecord label;
    label.ImageName = QStringLiteral("kept.png");
    EXPECT_EQ(titleFirst.fromSong(label, current), 2);
    EXPECT_EQ(label.LabelDescription, u"loose tapes - Nina Simone");
    EXPECT_EQ(label.CDTitle, u"loose tapes - Nina Simone");
    EXPECT_EQ(label.CassetteTitle,
              QStringLiteral("loose tapes") + CrLf + QStringLiteral("Nina Simone"));
    EXPECT_EQ(label.CassetteContentsA, u"  1. Opener");
    EXPECT_EQ(label.CassetteContentsB, u"  1. Side two");
    // A song on no album leaves the picture alone.
    EXPECT_EQ(label.ImageName, u"kept.png");
    // The song buffer is left as the caller had it.
    MUS.Title = QStringLiteral("mine");
    titleFirst.fromSong(label, current);
    EXPECT_EQ(MUS.Title, u"mine");

    artistFirst.fromSong(label, current);
    EXPECT_EQ(label.LabelDescription, u"Nina Simone - loose tapes");
    EXPECT_EQ(label.CassetteFlap,
              QStringLiteral("Nina Simone") + CrLf + QStringLiteral("loose tapes"));
}

} // namespace
