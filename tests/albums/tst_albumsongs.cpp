// The album form's work on songs without its window: assigning by file number, linking by id,
// the album's songs in track order, copies and the delete question.
#include "../platform/store/storetestfixture.h"

#include "albums/albumentry.h"
#include "albums/albumsongs.h"
#include "platform/store/collation.h"

#include <sqlite3.h>

using namespace melodex;

namespace {

class AlbumSongsTest : public test::StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        openFile(Songlore);
        openFile(Album);
    }
    static qint32 song(qint32 id, const char *title, const char *media, const char *fileNumber,
                       qint32 album = 0, int track = 0)
    {
        MUS.clear();
        MUS.ID = id;
        MUS.Title = QLatin1String(title);
        MUS.Artist = QStringLiteral("Artist");
        MUS.Media = QLatin1String(media);
        MUS.FileNumber = QLatin1String(fileNumber);
        MUS.AlbumID = album;
        MUS.TrackNumber = quint8(track);
        EXPECT_EQ(Songlore.add(), 0);
        return id;
    }
    // A trigger of the songs file, added through a connection of its own, to make writes fail.
    void injectIntoSongs(const char *sql)
    {
        store::Store::instance().closeAll();
        sqlite3 *db = nullptr;
        const QByteArray path = (dir() + QStringLiteral("/sgldata.db")).toUtf8();
        ASSERT_EQ(sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr),
                  SQLITE_OK);
        store::registerKeyCollation(db);
        const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
        sqlite3_close(db);
        ASSERT_EQ(rc, SQLITE_OK);
        openFile(Songlore);
        openFile(Album);
    }
    static qint32 albumOf(qint32 songId)
    {
        MUS.clear();
        MUS.ID = songId;
        return Songlore.get(SongloreRecord::KeyID) == 0 ? MUS.AlbumID : -1;
    }
    static AlbumRecord album(qint32 id, const char *media, const char *fileNumber)
    {
        AlbumRecord a;
        a.AlbumID = id;
        a.Album = QStringLiteral("Live");
        a.Media = QLatin1String(media);
        a.FileNumber = QLatin1String(fileNumber);
        return a;
    }
};

TEST_F(AlbumSongsTest, AssigningTakesTheFileNumberInAnyCaseAndStopsAtAnotherMedia)
{
    song(1, "One", "CD", "A12");
    song(2, "Two", "CD", "a12");
    song(3, "Three", "CD", "A12 ");
    song(4, "Other number", "CD", "A13");
    song(5, "Tape", "Tape", "A12");
    const auto a = AlbumSongs::assignByFileNumber(album(7, "CD", "A12"));
    EXPECT_EQ(a.assigned, 3);
    EXPECT_EQ(a.stop, AlbumSongs::Stop::OtherFileNumber);
    EXPECT_EQ(albumOf(1), 7);
    EXPECT_EQ(albumOf(2), 7);
    EXPECT_EQ(albumOf(3), 7);
    EXPECT_EQ(albumOf(4), 0);
    EXPECT_EQ(albumOf(5), 0);
    EXPECT_EQ(
        AlbumSongs::assignmentMessage(a),
        std::make_pair(QStringLiteral("Process complete."), QStringLiteral("3 songs assigned.")));

    // The scan starts at the album's media and file number and stops at the next media.
    const auto b = AlbumSongs::assignByFileNumber(album(8, "CD", "Z9"));
    EXPECT_EQ(b.assigned, 0);
    EXPECT_EQ(b.stop, AlbumSongs::Stop::OtherMedia);
    EXPECT_EQ(AlbumSongs::assignmentMessage(b).second,
              QStringLiteral("No songs with that media type were found."));
    const auto c = AlbumSongs::assignByFileNumber(album(8, "Vinyl", "A12"));
    EXPECT_EQ(c.stop, AlbumSongs::Stop::EndOfFile);
    EXPECT_EQ(AlbumSongs::assignmentMessage(c),
              std::make_pair(
                  QStringLiteral("Process failed."),
                  QStringLiteral("No songs with that media type and file number were found.")));
    const auto d = AlbumSongs::assignByFileNumber(album(8, "CD", "A1"));
    EXPECT_EQ(AlbumSongs::assignmentMessage(d).second,
              QStringLiteral("No songs with that file number were found."));
}

TEST_F(AlbumSongsTest, AFailedWriteNamesTheSongAndKeepsTheOnesWrittenBefore)
{
    song(1, "One", "CD", "A1");
    song(2, "Two", "CD", "A1");
    song(3, "Three", "CD", "A1");
    injectIntoSongs("CREATE TRIGGER fail BEFORE UPDATE ON rec WHEN OLD.\"ID\" = 2 "
                    "BEGIN SELECT RAISE(ABORT, 'injected'); END");
    const auto a = AlbumSongs::assignByFileNumber(album(4, "CD", "A1"));
    // The scan goes by title within the file number: One, Three, then Two fails.
    EXPECT_EQ(a.stop, AlbumSongs::Stop::WriteError);
    EXPECT_EQ(a.assigned, 2);
    EXPECT_EQ(a.song, QStringLiteral("\"Two\" by Artist"));
    const auto [caption, text] = AlbumSongs::assignmentMessage(a);
    EXPECT_EQ(caption, QStringLiteral("Error"));
    EXPECT_TRUE(text.startsWith(u"Error updating song database - ")) << text.toStdString();
    EXPECT_TRUE(text.contains(u"\"Two\" by Artist"));
    EXPECT_TRUE(text.contains(u"2 songs assigned before it."));
    EXPECT_EQ(albumOf(1), 4);
    EXPECT_EQ(albumOf(2), 0);
    EXPECT_EQ(albumOf(3), 4);
    int error = 0;
    EXPECT_EQ(AlbumSongs::linkSong(2, 4, &error), AlbumSongs::Link::Failed);
    EXPECT_NE(error, 0);
}

TEST_F(AlbumSongsTest, OnlySongsThatExistAreLinked)
{
    song(10, "Here", "CD", "1");
    EXPECT_EQ(AlbumSongs::linkSong(10, 3), AlbumSongs::Link::Linked);
    EXPECT_EQ(albumOf(10), 3);
    // A dropped number whose song was deleted meanwhile, or no number at all, writes nothing.
    EXPECT_EQ(AlbumSongs::linkSong(11, 3), AlbumSongs::Link::NotFound);
    EXPECT_EQ(AlbumSongs::linkSong(0, 3), AlbumSongs::Link::NotFound);
    EXPECT_EQ(Songlore.records(), 1);
    // The songs buffer is given back as it was.
    MUS.clear();
    MUS.Title = QStringLiteral("kept");
    AlbumSongs::linkSong(10, 4);
    EXPECT_EQ(MUS.Title, QStringLiteral("kept"));
}

TEST_F(AlbumSongsTest, AnAlbumsSongsComeInTrackOrderAndNoOthers)
{
    song(1, "Third", "CD", "", 5, 3);
    song(2, "First", "CD", "", 5, 1);
    song(3, "Elsewhere", "CD", "", 6, 2);
    song(4, "Second", "CD", "", 5, 2);
    song(5, "Loose", "CD", "", 0, 1);
    EXPECT_EQ(AlbumSongs::songsOf(5), (std::vector<qint32>{2, 4, 1}));
    EXPECT_TRUE(AlbumSongs::songsOf(0).empty());
    EXPECT_EQ(AlbumEntry::songCount(6), 1);
    AlbumRecord a = album(5, "CD", "");
    a.Album = QStringLiteral("Live  ");
    EXPECT_EQ(AlbumEntry::deleteQuestion(a, 3),
              QStringLiteral("Delete the album \"Live\" and its 3 songs?"));
    EXPECT_EQ(AlbumEntry::deleteQuestion(a, 1),
              QStringLiteral("Delete the album \"Live\" and its 1 song?"));
    EXPECT_EQ(AlbumSongs::assignQuestion(album(5, "CD ", "A12  ")),
              QStringLiteral("Do you want to assign all songs with file number \"A12\" and "
                             "media type \"CD\" to this album?"));
}

TEST(AlbumEntry, OnlyANewTitleOrArtistOfAnAlbumWithSongsAsksAboutTheSongs)
{
    AlbumRecord before;
    before.Album = QStringLiteral("Live ");
    before.Artist = QStringLiteral("Band");
    AlbumRecord after = before;
    after.Media = QStringLiteral("LP");
    EXPECT_EQ(AlbumEntry::songTextsQuestion(before, after, 5), QString());
    after.Album = QStringLiteral("Alive");
    EXPECT_EQ(AlbumEntry::songTextsQuestion(before, after, 0), QString());
    EXPECT_EQ(AlbumEntry::songTextsQuestion(before, after, 5),
              QStringLiteral("The album's title changed from \"Live\" by Band to \"Alive\" by "
                             "Band.\n\nUpdate its 5 songs to match?"));
    after.Artist = QStringLiteral("The Band");
    EXPECT_TRUE(AlbumEntry::songTextsQuestion(before, after, 1)
                    .contains(QStringLiteral("title and artist")));
    EXPECT_TRUE(AlbumEntry::songTextsQuestion(before, after, 1).endsWith(u"its song to match?"));
    // A new case is a new name.
    after = before;
    after.Artist = QStringLiteral("BAND");
    EXPECT_TRUE(
        AlbumEntry::songTextsQuestion(before, after, 2).startsWith(u"The album's artist changed"));
}

TEST(AlbumEntry, ACopyLosesItsIdMemosAndCdIdentifier)
{
    AlbumRecord a;
    a.AlbumID = 4;
    a.Album = QString(38, u'x');
    a.CDIdentifier = QStringLiteral("8A0B7C0D");
    a.Notes = a.Recording = a.Performance = QStringLiteral("memo");
    AlbumEntry::prepareCopy(a);
    EXPECT_EQ(a.AlbumID, 0);
    EXPECT_TRUE(a.Notes.isEmpty() && a.Recording.isEmpty() && a.Performance.isEmpty());
    AlbumEntry::markAsCopy(a);
    EXPECT_EQ(a.Album, QString(38, u'x') + QStringLiteral(" -"));
    EXPECT_TRUE(a.CDIdentifier.isEmpty());
    AlbumRecord blank;
    blank.CDIdentifier = QStringLiteral("kept");
    AlbumEntry::markAsCopy(blank);
    EXPECT_TRUE(blank.Album.isEmpty());
    EXPECT_EQ(blank.CDIdentifier, QStringLiteral("kept"));
}

} // namespace
