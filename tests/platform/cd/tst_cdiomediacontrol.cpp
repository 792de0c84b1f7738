// Tests of the libcdio device on disc images the test writes: commands, replies and damage.
#include "discimage.h"

#include "platform/cd/cdiomediacontrol.h"
#include "platform/cd/musicbrainzdiscid.h"

#include <QCryptographicHash>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace melodex;
using namespace melodex::cd;
using melodex::test::DiscImage;

namespace {

class CdioMediaControlTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString dir() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

MciResult ok(const QString &reply)
{
    return {0, reply};
}

TEST_F(CdioMediaControlTest, AnswersTheReadersCommandsFromAnImage)
{
    // Lengths chosen to exercise the frames: 3:25.00, 0:04.74 (the shortest track there is),
    // 61:00.01.
    const DiscImage image{{(3 * 60 + 25) * 75, 4 * 75 + 74, 61 * 60 * 75 + 1}, {}, {}, {}, {}, {}};
    CdioMediaControl device(image.write(dir()));

    EXPECT_EQ(device.command(QStringLiteral("open cdaudio shareable")), ok(QStringLiteral("1")));
    EXPECT_EQ(device.command(QStringLiteral("open cdaudio shareable")).code, MciDeviceOpen);
    EXPECT_EQ(device.command(QStringLiteral("status cdaudio ready")), ok(QStringLiteral("true")));
    EXPECT_EQ(device.command(QStringLiteral("status cdaudio mode")), ok(QStringLiteral("stopped")));
    EXPECT_EQ(device.command(QStringLiteral("Status  CDAudio number of tracks")),
              ok(QStringLiteral("3")));
    EXPECT_EQ(device.command(QStringLiteral("status cdaudio length")),
              ok(QStringLiteral("64:30:00")));
    EXPECT_EQ(device.command(QStringLiteral("close cdaudio")), ok(QString()));

    // Naming the closed device opens it for the one command.
    EXPECT_EQ(device.command(QStringLiteral("status cdaudio length track 1")),
              ok(QStringLiteral("03:25:00")));
    EXPECT_EQ(device.command(QStringLiteral("status cdaudio length track 2")),
              ok(QStringLiteral("00:04:74")));
    EXPECT_EQ(device.command(QStringLiteral("status cdaudio length track 3")),
              ok(QStringLiteral("61:00:01")));
    for (const char *bad : {"status cdaudio length track 0", "status cdaudio length track 4",
                            "status cdaudio length track x"})
        EXPECT_EQ(device.command(QString::fromLatin1(bad)).code, MciOutOfRange) << bad;
    EXPECT_EQ(device.command(QStringLiteral("play cdaudio")).code, MciUnrecognizedCommand);
    EXPECT_EQ(device.command(QStringLiteral("status")).code, MciUnrecognizedCommand);
    EXPECT_EQ(device.command(QStringLiteral("open waveaudio")).code, MciInvalidDeviceName);
}

TEST_F(CdioMediaControlTest, ReadsEveryTrackOfDiscsFromOneToNinetyNineTracks)
{
    for (const int count : {1, 2, 3, 12, 99}) {
        SCOPED_TRACE(count);
        DiscImage image;
        for (int i = 0; i < count; ++i)
            image.frames.push_back((30 + i) * 75 + i % 75);
        const CdioMediaControl::State state =
            CdioMediaControl::examine(image.write(dir(), QStringLiteral("d%1").arg(count)));
        ASSERT_EQ(state.code, 0) << state.detail.toStdString();
        ASSERT_TRUE(state.toc);
        EXPECT_EQ(state.toc->trackCount(), count);
        EXPECT_EQ(state.toc->offsets.front(), 150);
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(state.toc->trackFrames(i), image.frames[size_t(i)]) << i;
        EXPECT_EQ(state.toc->discFrames(), image.totalFrames());
        EXPECT_FALSE(state.toc->hasText());
    }
}

TEST_F(CdioMediaControlTest, ReadsCdTextAndDataTracksFromTheCueSheet)
{
    DiscImage image = DiscImage::ofSeconds({200, 180, 600});
    image.data = {false, false, true};
    image.discTitle = QStringLiteral("Tuesday Night");
    image.discPerformer = QStringLiteral("Various Artists");
    image.titles = {QStringLiteral("Überall"), {}, QStringLiteral("Extras")};
    image.performers = {QStringLiteral("Anna Blume"), QStringLiteral("Björk")};
    const CdioMediaControl::State state = CdioMediaControl::examine(image.write(dir()));
    ASSERT_TRUE(state.toc);
    EXPECT_EQ(state.toc->disc.title, QStringLiteral("Tuesday Night"));
    EXPECT_EQ(state.toc->disc.performer, QStringLiteral("Various Artists"));
    ASSERT_EQ(state.toc->trackText.size(), 3u);
    EXPECT_EQ(state.toc->trackText[0].title, QStringLiteral("Überall"));
    EXPECT_EQ(state.toc->trackText[0].performer, QStringLiteral("Anna Blume"));
    EXPECT_EQ(state.toc->trackText[1].title, QString());
    EXPECT_EQ(state.toc->trackText[1].performer, QStringLiteral("Björk"));
    EXPECT_EQ(state.toc->dataTrack, (std::vector<bool>{false, false, true}));

    // An older cue sheet in ISO-8859-1.
    QFile latin1(QDir(dir()).filePath(QStringLiteral("latin1.cue")));
    ASSERT_TRUE(latin1.open(QIODevice::WriteOnly));
    latin1.write("FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    PERFORMER \"Bj\xf6rk\"\n"
                 "    INDEX 01 00:00:00\n");
    latin1.close();
    const CdioMediaControl::State old = CdioMediaControl::examine(latin1.fileName());
    ASSERT_TRUE(old.toc);
    EXPECT_EQ(old.toc->trackText.at(0).performer, QStringLiteral("Björk"));
}

TEST_F(CdioMediaControlTest, AnImageThatCannotBeReadIsNoPlayerAndSaysWhy)
{
    const DiscImage image = DiscImage::ofSeconds({200, 180, 240});

    const QString missing = QDir(dir()).filePath(QStringLiteral("none.cue"));
    CdioMediaControl noImage(missing);
    EXPECT_EQ(noImage.command(QStringLiteral("open cdaudio shareable")).code, MciInvalidDeviceName);
    EXPECT_EQ(noImage.failureDetail(), missing + QStringLiteral(" does not exist."));
    EXPECT_EQ(noImage.command(QStringLiteral("status cdaudio ready")).code, MciInvalidDeviceName);

    const QString noBin = image.write(dir(), QStringLiteral("nobin"));
    QFile::remove(QDir(dir()).filePath(QStringLiteral("nobin.bin")));
    CdioMediaControl binMissing(noBin);
    EXPECT_NE(binMissing.command(QStringLiteral("open cdaudio shareable")).code, 0);
    EXPECT_TRUE(binMissing.failureDetail().contains(QStringLiteral("nobin.bin")))
        << binMissing.failureDetail().toStdString();

    // libcdio itself would look for "Renamed.bin"; the sheet's own FILE line counts.
    const QString renamed = QDir(dir()).filePath(QStringLiteral("Renamed (2019).cue"));
    ASSERT_TRUE(QFile::rename(image.write(dir(), QStringLiteral("orig")), renamed));
    const CdioMediaControl::State moved = CdioMediaControl::examine(renamed);
    ASSERT_TRUE(moved.toc) << moved.detail.toStdString();
    EXPECT_EQ(moved.toc->trackCount(), 3);

    // The data file ends inside track 2: track 3 would end before it starts.
    const QString truncated = image.write(dir(), QStringLiteral("short"), 250 * 75);
    CdioMediaControl damaged(truncated);
    EXPECT_EQ(damaged.command(QStringLiteral("open cdaudio shareable")).code, MciHardware);
    EXPECT_TRUE(damaged.failureDetail().contains(QStringLiteral("damaged")))
        << damaged.failureDetail().toStdString();
    EXPECT_FALSE(damaged.tableOfContents());

    QFile garbage(QDir(dir()).filePath(QStringLiteral("garbage.cue")));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("this is no cue sheet\n\x01\x02");
    garbage.close();
    CdioMediaControl unreadable(garbage.fileName());
    EXPECT_NE(unreadable.command(QStringLiteral("open cdaudio shareable")).code, 0);
    EXPECT_FALSE(unreadable.failureDetail().isEmpty());
}

TEST(DiscToc, WritesLengthsAsMinutesSecondsAndFrames)
{
    EXPECT_EQ(DiscToc::msf(0), QStringLiteral("00:00:00"));
    EXPECT_EQ(DiscToc::msf(74), QStringLiteral("00:00:74"));
    EXPECT_EQ(DiscToc::msf(75 * 60 * 61 + 75 * 5 + 3), QStringLiteral("61:05:03"));
    EXPECT_EQ(DiscToc::msf(75 * 60 * 100), QStringLiteral("100:00:00"));
    EXPECT_EQ(DiscToc::msf(-5), QStringLiteral("00:00:00"));
}

// The disc ID as MusicBrainz defines it: SHA-1 over the first and last track numbers and the
// 100 offsets (lead-out first) in upper-case hex, in base64 with ".", "_" and "-".
QString referenceDiscId(int first, int last, int leadout, const std::vector<int> &offsets)
{
    QByteArray text = QByteArray::number(first, 16).toUpper().rightJustified(2, '0') +
                      QByteArray::number(last, 16).toUpper().rightJustified(2, '0');
    for (int i = 0; i < 100; ++i) {
        const int value = i == 0 ? leadout : (size_t(i) <= offsets.size() ? offsets[i - 1] : 0);
        text += QByteArray::number(value, 16).toUpper().rightJustified(8, '0');
    }
    QByteArray id = QCryptographicHash::hash(text, QCryptographicHash::Sha1).toBase64();
    id.replace('+', '.').replace('/', '_').replace('=', '-');
    return QString::fromLatin1(id);
}

TEST(MusicBrainzDiscId, IsTheShaOfTheTableOfContentsLeavingOutAnEnhancedCdsDataTrack)
{
    DiscToc toc;
    toc.offsets = {150, 15525, 31800};
    toc.dataTrack = {false, false, false};
    toc.leadout = 45150;
    const MusicBrainzDiscId id = MusicBrainzDiscId::of(toc);
    EXPECT_EQ(id.id, referenceDiscId(1, 3, 45150, toc.offsets));
    EXPECT_EQ(id.id.size(), 28);
    EXPECT_TRUE(id.url.startsWith(QStringLiteral("https://musicbrainz.org/")));
    EXPECT_TRUE(id.url.contains(id.id));

    // Audio in the first session, data in the second: the ID is that of the audio session.
    DiscToc enhanced = toc;
    enhanced.offsets.push_back(60000);
    enhanced.dataTrack.push_back(true);
    enhanced.leadout = 90000;
    EXPECT_EQ(MusicBrainzDiscId::of(enhanced).id,
              referenceDiscId(1, 3, 60000 - 11400, toc.offsets));

    EXPECT_TRUE(MusicBrainzDiscId::of(DiscToc{}).id.isEmpty());
}

} // namespace
