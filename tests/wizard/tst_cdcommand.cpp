// Tests of "melodex cd": what it prints for a disc image, and its exit codes.
#include "cdfixture.h"
#include "discimage.h"

#include "cli/frontdoor.h"
#include "wizard/cdcommand.h"

using namespace melodex;
using melodex::test::CdTest;
using melodex::test::DiscImage;

namespace {

class CdCommandTest : public CdTest
{
protected:
    void SetUp() override
    {
        CdTest::SetUp();
        cd::MediaControl::setInstance(nullptr);
    }
    std::optional<int> run(const QStringList &arguments, QString *out, QString *err)
    {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        // Through the command line's dispatch, as main() calls it.
        const std::optional<int> code = cli::runCommand(arguments);
        *out = QString::fromStdString(testing::internal::GetCapturedStdout());
        *err = QString::fromStdString(testing::internal::GetCapturedStderr());
        return code;
    }
};

TEST_F(CdCommandTest, PrintsTheTrackTableIdentifierDiscIdAndCdText)
{
    DiscImage image = DiscImage::ofSeconds({205, 217, 3660});
    image.data = {false, false, true};
    image.discTitle = QStringLiteral("Night Shift");
    image.discPerformer = QStringLiteral("The Owls");
    image.titles = {QStringLiteral("Dusk"), {}, QStringLiteral("The Long One")};
    image.performers = {QStringLiteral("Anna")};
    const QString cue = image.write(dir());

    QString out, err;
    ASSERT_EQ(run({QStringLiteral("cd"), QStringLiteral("--cd-device"), cue}, &out, &err), 0)
        << err.toStdString();
    const QStringList lines = out.split(u'\n');
    ASSERT_GE(lines.size(), 10) << out.toStdString();
    EXPECT_EQ(
        lines.mid(0, 4),
        (QStringList{QStringLiteral("Track  Length  Title"),
                     QStringLiteral("    1    3:25  Dusk - Anna"), QStringLiteral("    2    3:37"),
                     QStringLiteral("    3   61:00  The Long One (data track)")}));
    EXPECT_TRUE(out.contains(QStringLiteral("\nTracks:              3\n")));
    EXPECT_TRUE(out.contains(QStringLiteral("\nDisc length:         68:02\n")));
    EXPECT_TRUE(
        out.contains(QStringLiteral("\nCD identifier:       \" 34082012050121701366001\"\n")))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("\nMusicBrainz disc ID: ")));
    EXPECT_TRUE(out.contains(QStringLiteral("\nMusicBrainz page:    https://musicbrainz.org/")));
    EXPECT_TRUE(out.contains(QStringLiteral("\nCD-Text:             Night Shift - The Owls\n")));
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();

    // The option may come first, and as one word.
    ASSERT_EQ(run({QStringLiteral("--cd-device=") + cue, QStringLiteral("cd")}, &out, &err), 0);
    EXPECT_TRUE(out.startsWith(QStringLiteral("Track  Length  Title\n")));
}

TEST_F(CdCommandTest, FailsWithTheMessageWhenThereIsNoDiscAndRefusesWrongArguments)
{
    QString out, err;
    const QString missing = QDir(dir()).filePath(QStringLiteral("none.cue"));
    EXPECT_EQ(run({QStringLiteral("cd"), QStringLiteral("--cd-device"), missing}, &out, &err), 1);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_EQ(err, QStringLiteral("CD player not available.\n\n") + missing +
                       QStringLiteral(" does not exist.\n"));

    for (const QStringList &args :
         {QStringList{QStringLiteral("cd"), QStringLiteral("--cd-device")},
          QStringList{QStringLiteral("cd"), QStringLiteral("--cd-device=")},
          QStringList{QStringLiteral("cd"), QStringLiteral("--loud")},
          QStringList{QStringLiteral("cd"), QStringLiteral("extra")}}) {
        EXPECT_EQ(run(args, &out, &err), 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(err.startsWith(QStringLiteral("melodex"))) << err.toStdString();
    }
    EXPECT_EQ(run({QStringLiteral("cd"), QStringLiteral("--help")}, &out, &err), 0);
    EXPECT_TRUE(out.startsWith(QStringLiteral("Usage: melodex cd")));
}

TEST(CdDeviceOption, IsTakenOutOfTheProgramsArguments)
{
    QStringList args = {QStringLiteral("--data-dir"), QStringLiteral("/d"),
                        QStringLiteral("--cd-device"), QStringLiteral("/dev/sr1")};
    ASSERT_TRUE(takeCdDeviceOption(args));
    EXPECT_EQ(args, (QStringList{QStringLiteral("--data-dir"), QStringLiteral("/d")}));
    EXPECT_EQ(cdDeviceSource(), QStringLiteral("/dev/sr1"));
    args = {QStringLiteral("--cd-device=/x/disc.cue")};
    ASSERT_TRUE(takeCdDeviceOption(args));
    EXPECT_TRUE(args.isEmpty());
    EXPECT_EQ(cdDeviceSource(), QStringLiteral("/x/disc.cue"));
    args = {QStringLiteral("--cd-device")};
    EXPECT_FALSE(takeCdDeviceOption(args));
    EXPECT_EQ(args.size(), 1);
    setCdDeviceOverride({});
}

} // namespace
