// Seeding the media formats: only into an empty file, all in order, or nothing at all.
#include "app/mediaseed.h"

#include "../platform/store/storetestfixture.h"

#include <gtest/gtest.h>

using namespace melodex;

namespace {

class MediaSeedTest : public test::StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        openFile(Media);
    }

    static QStringList storedFormats()
    {
        QStringList out;
        Media.set(-1);
        while (Media.next() == 0)
            out << MED.Media;
        return out;
    }
};

TEST_F(MediaSeedTest, EmptyFileGetsTheTwelveFormatsInOrder)
{
    ASSERT_EQ(seedMediaFormats(), 0);
    QStringList expected;
    // A media name holds 20 characters, so the prerecorded cassette is stored shortened.
    for (const QString &f : defaultMediaFormats())
        expected << f.left(20);
    EXPECT_EQ(storedFormats(), expected);
    EXPECT_EQ(expected.size(), 12);
    EXPECT_EQ(expected[3], QStringLiteral("7\" Single"));
    EXPECT_EQ(expected[10], QStringLiteral("Cassette (Prerecorde"));

    // A second start adds nothing.
    ASSERT_EQ(seedMediaFormats(), 0);
    EXPECT_EQ(Media.records(), 12);
}

TEST_F(MediaSeedTest, FileWithAnyRecordIsLeftAlone)
{
    MED.clear();
    MED.Media = QStringLiteral("MiniDisc");
    ASSERT_EQ(Media.add(), 0);
    ASSERT_EQ(seedMediaFormats(), 0);
    EXPECT_EQ(storedFormats(), QStringList{QStringLiteral("MiniDisc")});
}

TEST_F(MediaSeedTest, FailureHalfwayLeavesTheFileEmptyAndReportsIt)
{
    // The duplicate makes the fourth add fail after three have been written.
    const QStringList formats{QStringLiteral("CD"), QStringLiteral("LP"), QStringLiteral("EP"),
                              QStringLiteral("cd")};
    EXPECT_EQ(seedMediaFormats(formats), store::DupKeyErr);
    EXPECT_EQ(store::errorCode(), store::DupKeyErr);
    EXPECT_FALSE(store::Store::instance().inTransaction());
    EXPECT_EQ(Media.records(), 0);
    EXPECT_TRUE(storedFormats().isEmpty());

    // The next start succeeds.
    ASSERT_EQ(seedMediaFormats(), 0);
    EXPECT_EQ(Media.records(), 12);
}

} // namespace
