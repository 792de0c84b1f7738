// Tests of the CD reader's conversions: replies, time values, list text and the identifier.
#include "tablemediacontrol.h"

#include "platform/picture/calendar.h"
#include "wizard/cdidentifier.h"
#include "wizard/cdtime.h"
#include "wizard/sendcdcommand.h"

#include <gtest/gtest.h>

using namespace melodex;

namespace {

qint32 hms(int h, int m, int s)
{
    return picture::timeValue(h, m, s);
}

TEST(CDTimeToTime, DropsFramesCountsNinetyNineAsASecondAndCarriesIntoHours)
{
    const struct
    {
        const char *reply;
        qint32 expected;
    } cases[] = {
        {"04:59:99", hms(0, 5, 0)}, {"04:59:74", hms(0, 4, 59)},  {"04:59:00", hms(0, 4, 59)},
        {"00:00:00", hms(0, 0, 0)}, {"03:25:37", hms(0, 3, 25)},  {"59:59:99", hms(1, 0, 0)},
        {"61:00:00", hms(1, 1, 0)}, {"79:59:74", hms(1, 19, 59)}, {"100:00:00", hms(1, 40, 0)},
        {"04:60:00", hms(0, 5, 0)}, {" 04:00:00 ", hms(0, 4, 0)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CDTimeToTime(QString::fromLatin1(c.reply)), c.expected) << c.reply;

    // What a failing query or an odd player answers is no time at all.
    for (const char *reply : {"", "282", "1", "open", "4:59", "04:59:7", "04:5a:00", "04:99:00",
                              "04:61:00", "04:59:75", "-1:00:00", "04:59:00:00", "1000:00:00"})
        EXPECT_EQ(CDTimeToTime(QString::fromLatin1(reply)), std::nullopt) << reply;
}

TEST(TimeToMinSec, ShowsMinutesWithHoursRightAlignedAndBlanksForNoTime)
{
    EXPECT_EQ(TimeToMinSec(hms(0, 3, 25)), QStringLiteral(" 3:25"));
    EXPECT_EQ(TimeToMinSec(hms(0, 0, 4)), QStringLiteral(" 0:04"));
    EXPECT_EQ(TimeToMinSec(hms(0, 12, 0)), QStringLiteral("12:00"));
    EXPECT_EQ(TimeToMinSec(hms(1, 1, 0)), QStringLiteral("61:00"));
    EXPECT_EQ(TimeToMinSec(picture::timeValue(0, 3, 25, 99)), QStringLiteral(" 3:25"));
    EXPECT_EQ(TimeToMinSec(0), QStringLiteral("     "));
    EXPECT_EQ(TimeToMinSec(-7), QStringLiteral("     "));
    EXPECT_EQ(TimeToMinSec(*CDTimeToTime(QStringLiteral("61:00:00"))), QStringLiteral("61:00"));
}

TEST(CDIdentifier, CountsAndTheFirstThreeTracksAtMostCutToTwentyFourCharacters)
{
    const qint32 disc = hms(0, 47, 12);
    ASSERT_EQ(disc, 283201);
    EXPECT_EQ(CDIdentifier(1, disc, {20501}), QStringLiteral(" 128320120501"));
    EXPECT_EQ(CDIdentifier(2, disc, {20501, 30001}), QStringLiteral(" 22832012050130001"));
    EXPECT_EQ(CDIdentifier(3, disc, {1, 2, 3}), QStringLiteral(" 3283201123"));
    // Never more than three tracks, never more than the disc has.
    EXPECT_EQ(CDIdentifier(12, disc, {1, 2, 3, 4}), QStringLiteral("12283201123"));
    EXPECT_EQ(CDIdentifier(1, disc, {7, 8}), QStringLiteral(" 12832017"));
    EXPECT_EQ(CDIdentifier(9, 0, {}), QStringLiteral(" 90"));
    const QString longest = CDIdentifier(99, hms(1, 19, 59), {hms(1, 0, 0), 480001, 480001});
    EXPECT_EQ(longest, QStringLiteral("99479901360001480001480001").left(24));
    EXPECT_EQ(longest.size(), 24);
}

TEST(SendCDCommand, NormalisesRepliesAndReturnCodes)
{
    test::TableMediaControl device;
    const struct
    {
        const char *command;
        int code;
        const char *reply;
        const char *expected;
    } cases[] = {
        {"open cdaudio shareable", 0, "1", "1"},
        {"open cdaudio shareable", 0, "2", "1"},
        {"open cdaudio shareable", cd::MciDeviceOpen, "", "1"},
        {"open cdaudio shareable", cd::MciInvalidDeviceName, "", "263"},
        {"status cdaudio ready", 0, "true", "1"},
        {"status cdaudio ready", 0, "false", ""},
        {"status cdaudio mode", 0, "open", "open"},
        {"status cdaudio number of tracks", 0, "12", "12"},
        // A disc of two tracks stays a disc of two tracks.
        {"status cdaudio number of tracks", 0, "2", "2"},
        {"status cdaudio number of tracks", 0, "1", "1"},
        {"status cdaudio length track 9", cd::MciOutOfRange, "", "282"},
        {"status cdaudio length", 0, "47:12:00", "47:12:00"},
    };
    for (const auto &c : cases) {
        device.answers[QString::fromLatin1(c.command)] = {c.code, QString::fromLatin1(c.reply)};
        EXPECT_EQ(SendCDCommand(device, QString::fromLatin1(c.command)),
                  QString::fromLatin1(c.expected))
            << c.command << " " << c.code << " " << c.reply;
    }

    cd::MediaControl *previous = cd::MediaControl::setInstance(&device);
    device.answer(QStringLiteral("status cdaudio mode"), QStringLiteral("open"));
    EXPECT_EQ(SendCDCommand(), QStringLiteral("open"));
    EXPECT_EQ(device.sent.back(), QStringLiteral("status cdaudio mode"));
    cd::MediaControl::setInstance(previous);
}

} // namespace
