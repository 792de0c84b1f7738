// Tests of the CD reader: the device conversation, its failures, the identifier and the lengths.
#include "cdfixture.h"
#include "discimage.h"

#include "wizard/cdidentifier.h"
#include "wizard/cdreader.h"
#include "wizard/cdtime.h"

using namespace melodex;
using melodex::test::CdTest;
using melodex::test::DiscImage;

namespace {

const QString Open = QStringLiteral("open cdaudio shareable");
const QString Ready = QStringLiteral("status cdaudio ready");
const QString Mode = QStringLiteral("status cdaudio mode");
const QString Close = QStringLiteral("close cdaudio");
const QString Count = QStringLiteral("status cdaudio number of tracks");
const QString DiscLength = QStringLiteral("status cdaudio length");

QString lengthOf(int track)
{
    return QStringLiteral("status cdaudio length track %1").arg(track);
}

class CdReaderTest : public CdTest
{
protected:
    CdReader reader{device};
};

TEST_F(CdReaderTest, StopsAtEachOfTheThreeDeviceFailuresAsTheDeviceExpects)
{
    device.insertDisc({QStringLiteral("03:00:00")}, QStringLiteral("03:00:00"));

    device.fail(Open, cd::MciInvalidDeviceName);
    EXPECT_FALSE(reader.read(false));
    EXPECT_EQ(reader.failure(), CdReader::Failure::NotAvailable);
    EXPECT_EQ(reader.message(), QStringLiteral("CD player not available."));
    EXPECT_EQ(device.sent, QStringList{Open});
    device.detail = QStringLiteral("/x/disc.cue does not exist.");
    EXPECT_FALSE(reader.read(false));
    EXPECT_EQ(reader.message(),
              QStringLiteral("CD player not available.\n\n/x/disc.cue does not exist."));

    // Not ready leaves the device open; the next open finds it open, and that is success.
    device.sent.clear();
    device.fail(Open, cd::MciDeviceOpen);
    device.answer(Ready, QStringLiteral("false"));
    EXPECT_FALSE(reader.read(false));
    EXPECT_EQ(reader.failure(), CdReader::Failure::NotReady);
    EXPECT_EQ(reader.message(), QStringLiteral("CD player not ready."));
    EXPECT_EQ(device.sent, (QStringList{Open, Ready}));

    device.sent.clear();
    device.answer(Ready, QStringLiteral("true"));
    device.answer(Mode, QStringLiteral("open"));
    EXPECT_FALSE(reader.read(true));
    EXPECT_EQ(reader.failure(), CdReader::Failure::DoorOpen);
    EXPECT_EQ(reader.message(), QStringLiteral("CD player door open."));
    EXPECT_EQ(device.sent, (QStringList{Open, Ready, Mode, Close}));
    EXPECT_TRUE(reader.reading().identifier.isEmpty());

    device.answer(Mode, QStringLiteral("stopped"));
    EXPECT_TRUE(reader.read(false));
    EXPECT_EQ(reader.failure(), CdReader::Failure::None);
    EXPECT_TRUE(reader.message().isEmpty());
}

TEST_F(CdReaderTest, AsksForTheFirstThreeLengthsAtMostForTheIdentifier)
{
    const QStringList lengths = {QStringLiteral("03:25:10"), QStringLiteral("04:00:99"),
                                 QStringLiteral("02:10:00"), QStringLiteral("05:00:00")};
    for (int n = 1; n <= 4; ++n) {
        SCOPED_TRACE(n);
        device.answers.clear();
        device.sent.clear();
        device.insertDisc(lengths.mid(0, n), QStringLiteral("14:36:00"));
        ASSERT_TRUE(reader.read(true));
        QStringList expected = {Open, Ready, Mode, Count, DiscLength};
        QList<qint32> first;
        for (int i = 1; i <= std::min(n, 3); ++i) {
            expected << lengthOf(i);
            first << *CDTimeToTime(lengths[i - 1]);
        }
        expected << Close;
        EXPECT_EQ(device.sent, expected);
        EXPECT_EQ(reader.reading().identifier, CDIdentifier(n, time(14, 36), first));
        EXPECT_TRUE(reader.reading().tracks.isEmpty());
    }
    EXPECT_EQ(reader.reading().identifier, QStringLiteral(" 487601205012410113001"));

    // The full read measures every track once more, with the device closed.
    device.sent.clear();
    ASSERT_TRUE(reader.read(false));
    EXPECT_EQ(device.sent.mid(device.sent.indexOf(Close)),
              (QStringList{Close, lengthOf(1), lengthOf(2), lengthOf(3), lengthOf(4), DiscLength}));
    ASSERT_EQ(reader.reading().tracks.size(), 4);
    EXPECT_EQ(reader.reading().tracks[1].length, time(4, 1));
    EXPECT_EQ(reader.reading().tracks[3].number, 4);
}

TEST_F(CdReaderTest, AQueryThatFailsIsAnErrorNeverAGarbageTime)
{
    device.insertDisc({QStringLiteral("03:00:00"), QStringLiteral("03:00:00"),
                       QStringLiteral("03:00:00"), QStringLiteral("03:00:00")},
                      QStringLiteral("12:00:00"));

    const struct
    {
        QString command;
        cd::MciResult answer;
        QString message;
    } cases[] = {
        {Count,
         {cd::MciDeviceNotReady, {}},
         QStringLiteral("The CD player did not give the number of tracks (it answered \"276\").")},
        {Count,
         {0, QStringLiteral("0")},
         QStringLiteral("The CD player did not give the number of tracks (it answered \"0\").")},
        {Count,
         {0, QStringLiteral("100")},
         QStringLiteral("The CD player did not give the number of tracks (it answered \"100\").")},
        {DiscLength,
         {0, QStringLiteral("twelve")},
         QStringLiteral("The CD player did not give the length of the disc (it answered "
                        "\"twelve\").")},
        {lengthOf(2),
         {cd::MciOutOfRange, {}},
         QStringLiteral("The CD player did not give the length of track 2 (it answered "
                        "\"282\").")},
        // Track 4 is measured only by the full read.
        {lengthOf(4),
         {cd::MciHardware, {}},
         QStringLiteral("The CD player did not give the length of track 4 (it answered "
                        "\"262\").")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        const cd::MciResult kept = device.answers.value(c.command);
        device.answers[c.command] = c.answer;
        device.sent.clear();
        EXPECT_FALSE(reader.read(false));
        EXPECT_EQ(reader.failure(), CdReader::Failure::BadReply);
        EXPECT_EQ(reader.message(), c.message);
        EXPECT_TRUE(reader.reading().tracks.isEmpty());
        // The device is never left open by a failed read.
        EXPECT_EQ(device.sent.count(Open), 1);
        EXPECT_EQ(device.sent.count(Close), 1);
        device.answers[c.command] = kept;
    }
    EXPECT_TRUE(reader.read(true)); // identifying needs no track 4
}

TEST(DifferenceCumulativeLengths, OnlyLengthsThatRunToTheEndOfTheDiscAreDifferenced)
{
    const auto t = [](int minutes, int seconds, int hundredths = 0) {
        return picture::timeValue(minutes / 60, minutes % 60, seconds, hundredths);
    };
    // Cumulative lengths summing to exactly 80 minutes stay as reported ...
    QList<qint32> exact = {320000, 160000};
    EXPECT_FALSE(CdReader::differenceCumulativeLengths(exact, 320000));
    EXPECT_EQ(exact, (QList<qint32>{320000, 160000}));
    // ... and one hundredth more is differenced; the last track keeps its length.
    QList<qint32> over = {320001, 160000};
    EXPECT_TRUE(CdReader::differenceCumulativeLengths(over, 320001));
    EXPECT_EQ(over, (QList<qint32>{160002, 160000}));

    // Each length to the end of a 70-minute disc: 30, 25 and 15 minutes on their own.
    QList<qint32> cumulative = {t(70, 0), t(40, 0), t(15, 0)};
    EXPECT_TRUE(CdReader::differenceCumulativeLengths(cumulative, t(70, 0, 50)));
    EXPECT_EQ(cumulative, (QList<qint32>{t(30, 0), t(25, 0), t(15, 0)}));
    EXPECT_EQ(TimeToMinSec(cumulative[0]), QStringLiteral("30:00"));

    // A 90-minute disc reported track by track is left alone, even in falling order.
    QList<qint32> longDisc;
    for (int i = 0; i < 15; ++i)
        longDisc << t(6, 59 - i);
    const QList<qint32> asRead = longDisc;
    EXPECT_FALSE(CdReader::differenceCumulativeLengths(longDisc, t(89, 15)));
    EXPECT_EQ(longDisc, asRead);
    // Rising somewhere: not cumulative.
    QList<qint32> rising = {t(70, 0), t(71, 0), t(15, 0)};
    EXPECT_FALSE(CdReader::differenceCumulativeLengths(rising, t(70, 0)));
    QList<qint32> one = {t(99, 0)};
    EXPECT_FALSE(CdReader::differenceCumulativeLengths(one, t(99, 0)));
}

TEST_F(CdReaderTest, APlayerReportingLengthsToTheEndOfTheDiscGetsThemDifferenced)
{
    device.insertDisc(
        {QStringLiteral("70:00:00"), QStringLiteral("40:00:00"), QStringLiteral("15:00:00")},
        QStringLiteral("70:00:00"));
    ASSERT_TRUE(reader.read(false));
    EXPECT_TRUE(reader.reading().differenced);
    QList<qint32> lengths;
    for (const CdTrack &t : reader.reading().tracks)
        lengths << t.length;
    EXPECT_EQ(lengths, (QList<qint32>{time(30, 0), time(25, 0), time(15, 0)}));
    // The identifier keeps the lengths as reported.
    EXPECT_EQ(reader.reading().identifier,
              CDIdentifier(3, time(70, 0), {time(70, 0), time(40, 0), time(15, 0)}));
}

TEST_F(CdReaderTest, ReadsDiscImagesOfOneToNinetyNineTracks)
{
    for (const int count : {1, 2, 3, 12, 99}) {
        SCOPED_TRACE(count);
        DiscImage image;
        for (int i = 0; i < count; ++i)
            image.frames.push_back((40 + i % 20) * 75 + 74); // 99 tracks: 82 minutes
        useImage(image.write(dir(), QStringLiteral("d%1").arg(count)));
        CdReader fromImage(cd::MediaControl::instance());
        ASSERT_TRUE(fromImage.read(false)) << fromImage.message().toStdString();
        const CdReading &r = fromImage.reading();
        EXPECT_EQ(r.trackCount, count);
        ASSERT_EQ(r.tracks.size(), count);
        QList<qint32> first;
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(r.tracks[i].length, time(0, 40 + i % 20)) << i; // frames dropped
            EXPECT_FALSE(r.tracks[i].data);
            if (i < 3)
                first << r.tracks[i].length;
        }
        EXPECT_EQ(r.identifier, CDIdentifier(count, r.discLength, first));
        EXPECT_EQ(r.musicBrainzId.size(), 28);
        EXPECT_FALSE(r.differenced);
    }
}

TEST_F(CdReaderTest, KeepsTheTrueLengthsOfADiscOverEightyMinutes)
{
    // 15 tracks of six minutes and more: 95 minutes, reported track by track.
    DiscImage image;
    for (int i = 0; i < 15; ++i)
        image.frames.push_back((6 * 60 + 30 - i) * 75);
    useImage(image.write(dir()));
    CdReader fromImage(cd::MediaControl::instance());
    ASSERT_TRUE(fromImage.read(false));
    EXPECT_FALSE(fromImage.reading().differenced);
    EXPECT_EQ(fromImage.reading().tracks.front().length, time(6, 30));
    EXPECT_EQ(fromImage.reading().tracks.back().length, time(6, 16));
    EXPECT_EQ(TimeToMinSec(fromImage.reading().discLength), QStringLiteral("95:45"));
}

TEST_F(CdReaderTest, CarriesCdTextAndDataTracksFromTheImage)
{
    DiscImage image = DiscImage::ofSeconds({200, 180, 900});
    image.data = {false, false, true};
    image.discTitle = QStringLiteral("Night Shift");
    image.discPerformer = QStringLiteral("The Owls");
    image.titles = {QStringLiteral("Dusk"), QStringLiteral("Midnight")};
    useImage(image.write(dir()));
    CdReader fromImage(cd::MediaControl::instance());
    ASSERT_TRUE(fromImage.read(false));
    const CdReading &r = fromImage.reading();
    EXPECT_EQ(r.disc.title, QStringLiteral("Night Shift"));
    EXPECT_EQ(r.disc.performer, QStringLiteral("The Owls"));
    ASSERT_EQ(r.tracks.size(), 3);
    EXPECT_EQ(r.titleOf(r.tracks[0]), QStringLiteral("Dusk"));
    EXPECT_EQ(r.titleOf(r.tracks[1]), QStringLiteral("Midnight"));
    EXPECT_EQ(r.titleOf(r.tracks[2]), QStringLiteral("Track 3"));
    EXPECT_TRUE(r.tracks[2].data);
    EXPECT_EQ(r.tracks[2].length, time(15, 0));
}

TEST_F(CdReaderTest, ImagesThatCannotBeReadGiveAClearMessage)
{
    const DiscImage image = DiscImage::ofSeconds({200, 180, 240});
    const QString missing = QDir(dir()).filePath(QStringLiteral("gone.cue"));
    const QString noBin = image.write(dir(), QStringLiteral("nobin"));
    QFile::remove(QDir(dir()).filePath(QStringLiteral("nobin.bin")));
    const QString truncated = image.write(dir(), QStringLiteral("short"), 300 * 75);

    for (const QString &path : {missing, noBin, truncated}) {
        SCOPED_TRACE(path.toStdString());
        useImage(path);
        CdReader fromImage(cd::MediaControl::instance());
        EXPECT_FALSE(fromImage.read(false));
        EXPECT_EQ(fromImage.failure(), CdReader::Failure::NotAvailable);
        EXPECT_TRUE(fromImage.message().startsWith(QStringLiteral("CD player not available.\n\n")));
        EXPECT_TRUE(fromImage.message().contains(QFileInfo(path).fileName()));
    }
}

} // namespace
