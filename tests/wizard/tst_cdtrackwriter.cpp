// Tests of what a CD read writes: the wizard's scratch tracks, the album's songs, the messages.
#include "cdfixture.h"
#include "discimage.h"

#include "platform/store/collation.h"
#include "platform/store/errors.h"
#include "wizard/cdtime.h"
#include "wizard/cdtrackwriter.h"
#include "wizard/readcdinformation.h"

#include <sqlite3.h>

using namespace melodex;
using melodex::test::CdTest;
using melodex::test::DiscImage;

namespace {

class CdWriteTest : public CdTest
{
protected:
    /// A reading of tracks of the given lengths in seconds.
    static CdReading readingOf(const QList<int> &seconds)
    {
        CdReading r;
        r.trackCount = int(seconds.size());
        for (qsizetype i = 0; i < seconds.size(); ++i)
            r.tracks << CdTrack{int(i) + 1, time(seconds[i] / 60, seconds[i] % 60), false, {}};
        return r;
    }

    /// The scratch tracks of `instance` as "track|artist|title|m:ss".
    static QStringList scratch(qint64 instance)
    {
        const store::FileUse use(AddWizard);
        QStringList out;
        AddWizard.set(AddWizardRecord::KeyInstance);
        while (AddWizard.next() == 0) {
            if (AW.Instance == instance)
                out << QStringLiteral("%1|%2|%3|%4")
                           .arg(AW.Track)
                           .arg(AW.Artist, AW.Title, minSec(AW.Time));
        }
        return out;
    }
    static QString minSec(qint32 t);

    /// The songs by ID as "id|album id|track|artist|title|album|media|m:ss".
    static QStringList songs()
    {
        const store::FileUse use(Songlore);
        QStringList out;
        Songlore.set(SongloreRecord::KeyID);
        while (Songlore.next() == 0)
            out << QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
                       .arg(MUS.ID)
                       .arg(MUS.AlbumID)
                       .arg(MUS.TrackNumber)
                       .arg(MUS.Artist, MUS.Title, MUS.Album, MUS.Media, minSec(MUS.Time));
        return out;
    }

    static void addSong(qint32 id, qint32 albumId, int track, const QString &title)
    {
        const store::FileUse use(Songlore);
        MUS.clear();
        MUS.ID = id;
        MUS.AlbumID = albumId;
        MUS.TrackNumber = quint8(track);
        MUS.Title = title;
        MUS.Artist = QStringLiteral("Someone");
        ASSERT_EQ(Songlore.add(), 0);
    }

    /// Makes every insert into `fileName` whose `column` equals `value` fail.
    void failInsertsWhere(store::KeyedFile &file, const QString &column, int value)
    {
        {
            const store::FileUse use(file); // creates the file
        }
        store::Store::instance().closeAll();
        sqlite3 *db = nullptr;
        const QByteArray path = store::Store::instance().pathOf(file.layout().fileName).toUtf8();
        ASSERT_EQ(sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr),
                  SQLITE_OK);
        store::registerKeyCollation(db);
        const QString sql = QStringLiteral("CREATE TRIGGER fail_add BEFORE INSERT ON rec WHEN "
                                           "new.\"%1\" = %2 BEGIN SELECT RAISE(ABORT, "
                                           "'injected'); END")
                                .arg(column)
                                .arg(value);
        const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
        ASSERT_EQ(rc, SQLITE_OK);
    }

    void setUpAlbum()
    {
        ALB.clear();
        ALB.AlbumID = 4;
        ALB.Artist = QStringLiteral("The Owls");
        ALB.Album = QStringLiteral("Night Shift");
        ALB.Media = QStringLiteral("CD");
        ALB.FileNumber = QStringLiteral("F-12");
        ALB.ReleaseDate = 80000;
        ALB.CategoryID = 3;
    }
};

QString CdWriteTest::minSec(qint32 t)
{
    return TimeToMinSec(t).trimmed();
}

TEST_F(CdWriteTest, ReadingTwiceIntoTheWizardKeepsWhatTheUserTypedAndRefreshesTimes)
{
    // Another wizard's track must stay as it is.
    ASSERT_EQ(CdTrackWriter::toWizard(readingOf({100}), 8, QStringLiteral("Else")), 0);

    ASSERT_EQ(CdTrackWriter::toWizard(readingOf({200, 180, 240}), 7, QString()), 0);
    EXPECT_EQ(scratch(7), (QStringList{QStringLiteral("1|Various|Track 1|3:20"),
                                       QStringLiteral("2|Various|Track 2|3:00"),
                                       QStringLiteral("3|Various|Track 3|4:00")}));
    {
        const store::FileUse use(AddWizard);
        AW.clear();
        AW.Instance = 7;
        AW.Track = 2;
        ASSERT_EQ(AddWizard.get(AddWizardRecord::KeyInstance), 0);
        AW.Title = QStringLiteral("Moonrise");
        AW.Artist = QStringLiteral("Anna");
        ASSERT_EQ(AddWizard.put(), 0);
    }

    AW.clear();
    AW.Title = QStringLiteral("in the editor");
    CdReading again = readingOf({201, 181, 241, 300, 59});
    again.tracks[4].text = {QStringLiteral("Dawn"), QStringLiteral("The Larks")};
    const QString longArtist = QStringLiteral("An Artist Whose Name Is Longer Than Thirty");
    ASSERT_EQ(CdTrackWriter::toWizard(again, 7, longArtist), 0);
    EXPECT_EQ(AW.Title, QStringLiteral("in the editor")); // the buffer is the editor's
    EXPECT_EQ(scratch(7),
              (QStringList{
                  QStringLiteral("1|Various|Track 1|3:21"), QStringLiteral("2|Anna|Moonrise|3:01"),
                  QStringLiteral("3|Various|Track 3|4:01"),
                  QStringLiteral("4|") + longArtist.left(30) + QStringLiteral("|Track 4|5:00"),
                  QStringLiteral("5|The Larks|Dawn|0:59")}));
    EXPECT_EQ(scratch(8), QStringList{QStringLiteral("1|Else|Track 1|1:40")});
}

TEST_F(CdWriteTest, ReadingIntoAnAlbumUpdatesItsSongsAndAddsTheMissingOnes)
{
    setUpAlbum();
    for (int track = 1; track <= 5; ++track)
        addSong(9 + track, 4, track, QStringLiteral("Song %1").arg(track));
    addSong(40, 5, 1, QStringLiteral("Elsewhere"));
    MUS.clear();
    MUS.Title = QStringLiteral("on the form");

    CdReading reading = readingOf({61, 62, 63, 64, 65, 66, 67, 68});
    reading.tracks[6].text.title = QStringLiteral("Seventh Heaven");
    ASSERT_EQ(CdTrackWriter::toAlbumSongs(reading, ALB), 0);
    EXPECT_EQ(MUS.Title, QStringLiteral("on the form"));
    QStringList expected;
    for (int track = 1; track <= 5; ++track)
        expected << QStringLiteral("%1|4|%2|Someone|Song %2|||1:0%3")
                        .arg(9 + track)
                        .arg(track)
                        .arg(track);
    expected << QStringLiteral("40|5|1|Someone|Elsewhere|||")
             << QStringLiteral("41|4|6|The Owls|Track 6|Night Shift|CD|1:06")
             << QStringLiteral("42|4|7|The Owls|Seventh Heaven|Night Shift|CD|1:07")
             << QStringLiteral("43|4|8|The Owls|Track 8|Night Shift|CD|1:08");
    EXPECT_EQ(songs(), expected);

    const store::FileUse use(Songlore);
    MUS.clear();
    MUS.ID = 42;
    ASSERT_EQ(Songlore.get(SongloreRecord::KeyID), 0);
    EXPECT_EQ(MUS.FileNumber, QStringLiteral("F-12"));
    EXPECT_EQ(MUS.ReleaseDate, 80000);
    EXPECT_EQ(MUS.CategoryID, 3);
}

TEST_F(CdWriteTest, AnEmptySongsFileStartsAtIdOne)
{
    setUpAlbum();
    ASSERT_EQ(CdTrackWriter::toAlbumSongs(readingOf({61, 62}), ALB), 0);
    EXPECT_EQ(songs(), (QStringList{QStringLiteral("1|4|1|The Owls|Track 1|Night Shift|CD|1:01"),
                                    QStringLiteral("2|4|2|The Owls|Track 2|Night Shift|CD|1:02")}));
}

TEST_F(CdWriteTest, AWriteThatFailsHalfWayLeavesNothingWritten)
{
    ASSERT_EQ(CdTrackWriter::toWizard(readingOf({100}), 7, QString()), 0);
    failInsertsWhere(AddWizard, QStringLiteral("Track"), 3);
    EXPECT_NE(CdTrackWriter::toWizard(readingOf({200, 180, 240, 300}), 7, QString()), 0);
    EXPECT_EQ(store::lastError().code, store::FileSystemErr);
    EXPECT_TRUE(store::lastError().driverText.contains(QStringLiteral("injected")));
    EXPECT_EQ(scratch(7), QStringList{QStringLiteral("1|Various|Track 1|1:40")});

    setUpAlbum();
    addSong(1, 4, 1, QStringLiteral("Kept"));
    failInsertsWhere(Songlore, QStringLiteral("TrackNumber"), 3);
    EXPECT_NE(CdTrackWriter::toAlbumSongs(readingOf({61, 62, 63}), ALB), 0);
    EXPECT_EQ(songs(), QStringList{QStringLiteral("1|4|1|Someone|Kept|||")});
}

class ReadCDInformationTest : public CdWriteTest
{
protected:
    void SetUp() override
    {
        CdWriteTest::SetUp();
        device.insertDisc({QStringLiteral("03:20:00"), QStringLiteral("03:00:00")},
                          QStringLiteral("06:20:00"));
        GLO.ThreadInstance = 3;
    }
};

TEST_F(ReadCDInformationTest, IdentifyingOnlySetsTheIdentifierAndWritesNothing)
{
    setUpAlbum();
    ASSERT_TRUE(ReadCDInformation(true, false));
    EXPECT_EQ(ALB.CDIdentifier, QStringLiteral(" 2380012000118001"));
    EXPECT_TRUE(songs().isEmpty());
    EXPECT_TRUE(scratch(3).isEmpty());
    EXPECT_TRUE(messages.requests().isEmpty());
    EXPECT_EQ(device.sent.back(), QStringLiteral("close cdaudio"));
}

TEST_F(ReadCDInformationTest, TheWizardsReadFillsItsTracksAndNoAlbumsSongs)
{
    setUpAlbum(); // left in the album buffer by some earlier album form
    CdReading reading;
    ASSERT_TRUE(ReadCDInformation(false, true, &reading));
    EXPECT_EQ(scratch(3), (QStringList{QStringLiteral("1|The Owls|Track 1|3:20"),
                                       QStringLiteral("2|The Owls|Track 2|3:00")}));
    EXPECT_TRUE(songs().isEmpty());
    EXPECT_EQ(reading.tracks.size(), 2);
    EXPECT_EQ(reading.identifier, ALB.CDIdentifier);

    // The album form's read writes the songs of its album, and none without an album.
    ASSERT_TRUE(ReadCDInformation(false, false));
    EXPECT_EQ(songs().size(), 2);
    ALB.AlbumID = 0;
    ASSERT_TRUE(ReadCDInformation(false, false));
    EXPECT_EQ(songs().size(), 2);
    EXPECT_TRUE(messages.requests().isEmpty());
}

TEST_F(ReadCDInformationTest, ShowsEachFailureAndWritesNothing)
{
    device.answer(QStringLiteral("status cdaudio mode"), QStringLiteral("open"));
    EXPECT_FALSE(ReadCDInformation(false, true));
    device.answer(QStringLiteral("status cdaudio mode"), QStringLiteral("stopped"));
    device.fail(QStringLiteral("status cdaudio length track 2"), cd::MciHardware);
    EXPECT_FALSE(ReadCDInformation(false, true));
    device.answer(QStringLiteral("status cdaudio ready"), QStringLiteral("false"));
    EXPECT_FALSE(ReadCDInformation(false, true));
    device.fail(QStringLiteral("open cdaudio shareable"), cd::MciInvalidDeviceName);
    EXPECT_FALSE(ReadCDInformation(true, false));
    EXPECT_EQ(messageTexts(),
              (QStringList{QStringLiteral("Error: CD player door open."),
                           QStringLiteral("Error: The CD player did not give the length of "
                                          "track 2 (it answered \"262\")."),
                           QStringLiteral("Error: CD player not ready."),
                           QStringLiteral("Error: CD player not available.")}));
    for (const MessageRequest &r : messages.requests())
        EXPECT_EQ(r.icon, MessageRequest::Error);
    EXPECT_TRUE(scratch(3).isEmpty());
}

TEST_F(ReadCDInformationTest, AFailedWriteIsReportedAndTheReadFails)
{
    failInsertsWhere(AddWizard, QStringLiteral("Track"), 2);
    EXPECT_FALSE(ReadCDInformation(false, true));
    ASSERT_EQ(messages.requests().size(), 1);
    EXPECT_EQ(messages.requests()[0].caption, QStringLiteral("Error"));
    EXPECT_TRUE(messages.requests()[0].text.startsWith(
        QStringLiteral("The tracks read from the CD could not be written to the wizard's track "
                       "list:\n")));
    EXPECT_TRUE(scratch(3).isEmpty());
}

TEST_F(ReadCDInformationTest, ReadsTheDriveOrImageOfThePreferenceUnlessTheCommandLineNamesOne)
{
    cd::MediaControl::setInstance(nullptr);
    const QString preferred =
        DiscImage::ofSeconds({100, 200, 300}).write(dir(), QStringLiteral("p"));
    ASSERT_TRUE(Profile::writeString(PreferencesIni, QStringLiteral("Settings"),
                                     QStringLiteral("CDDevice"), preferred));
    CdReading reading;
    ASSERT_TRUE(ReadCDInformation(true, false, &reading));
    EXPECT_EQ(reading.trackCount, 3);

    setCdDeviceOverride(DiscImage::ofSeconds({100}).write(dir(), QStringLiteral("o")));
    ASSERT_TRUE(ReadCDInformation(true, false, &reading));
    EXPECT_EQ(reading.trackCount, 1);

    setCdDeviceOverride(QDir(dir()).filePath(QStringLiteral("none.cue")));
    EXPECT_FALSE(ReadCDInformation(true, false, &reading));
    EXPECT_TRUE(messageTexts().back().contains(QStringLiteral("none.cue does not exist.")));
}

} // namespace
