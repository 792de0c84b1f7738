// Record changes while another copy of the program works on the same files.
#include "recordchangefixture.h"

#include <QElapsedTimer>
#include <QProcess>

using namespace melodex;
using namespace melodex::store;
using melodex::test::RecordChangeTest;

namespace {

class OtherProcess : public RecordChangeTest
{
protected:
    void SetUp() override
    {
        RecordChangeTest::SetUp();
        addCategory(5, QStringLiteral("Rock"));
        addMedia(QStringLiteral("CD"));
        addSongOf(1, QStringLiteral("A"), 5);
        addSongOf(2, QStringLiteral("B"), 5);
    }
    void TearDown() override
    {
        if (m_holder.state() != QProcess::NotRunning) {
            m_holder.kill();
            m_holder.waitForFinished(30000);
        }
        RecordChangeTest::TearDown();
    }

    int runChild(const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral(RICHILD), QStringList{dir()} + args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return p.exitCode();
    }

    /// Starts a child that holds the files in a write transaction for `seconds`.
    void holdFiles(double seconds)
    {
        m_holder.start(QStringLiteral(RICHILD),
                       {dir(), QStringLiteral("hold"), QString::number(seconds)});
        ASSERT_TRUE(m_holder.waitForReadyRead(30000));
        ASSERT_TRUE(m_holder.readAllStandardOutput().startsWith("locked"));
    }

    QProcess m_holder;
};

TEST_F(OtherProcess, AChangeAfterTheOtherStationsChangeShowsItsVersion)
{
    ASSERT_EQ(loadCategory(5), 0);
    RIRemember_Categories();
    ASSERT_EQ(runChild({QStringLiteral("rename-category"), QStringLiteral("5"),
                        QStringLiteral("Rock (station 2)")}),
              0);

    CAT.CategoryID = 8;
    CAT.Category = QStringLiteral("Rock (station 1)");
    EXPECT_EQ(RIUpdate_Categories(true), RIChangedByOthers);
    ASSERT_EQ(captions(), QStringList{"Record Was Not Updated"});
    EXPECT_EQ(CAT.Category, QStringLiteral("Rock (station 2)"));
    EXPECT_EQ(CAT.CategoryID, 5);
    EXPECT_EQ(songField("CategoryID"), (QStringList{"1:5", "2:5"}));
}

struct Held
{
    const char *what;
    int (*procedure)();
    const char *text;
};

void PrintTo(const Held &h, std::ostream *os)
{
    *os << h.what;
}

class HeldByOtherProcess : public OtherProcess, public ::testing::WithParamInterface<Held>
{
};

TEST_P(HeldByOtherProcess, FailsAfterTheWaitWithNothingWritten)
{
    const Held &h = GetParam();
    ASSERT_EQ(loadCategory(5), 0);
    RIRemember_Categories();
    ASSERT_EQ(loadMedia(QStringLiteral("CD")), 0);
    RIRemember_Media();
    CAT.CategoryID = 6;
    MED.Media = QStringLiteral("Compact Disc");
    holdFiles(4);

    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(h.procedure(), RIFailed);
    EXPECT_GE(timer.elapsed(), 1900);
    EXPECT_FALSE(Store::instance().inTransaction());
    ASSERT_EQ(messages.requests().size(), 1);
    EXPECT_EQ(last().caption, QStringLiteral("Transaction Framing Error"));
    EXPECT_EQ(last().text, QString::fromUtf8(h.text));

    ASSERT_TRUE(m_holder.waitForFinished(30000));
    EXPECT_EQ(m_holder.exitCode(), 0);
    EXPECT_EQ(loadCategory(5), 0);
    EXPECT_EQ(loadMedia(QStringLiteral("CD")), 0);
    EXPECT_EQ(songField("CategoryID"), (QStringList{"1:5", "2:5"}));
    EXPECT_EQ(songField("Media"), (QStringList{"1:CD", "2:CD"}));
}

INSTANTIATE_TEST_SUITE_P(
    EachProcedure, HeldByOtherProcess,
    ::testing::Values(
        Held{"delete category", RIDelete_Categories,
             "Error: (File Is Locked (32)) attempting to frame the delete transaction on "
             "Categories.  Delete transaction cancelled."},
        Held{"renumber category", [] { return RIUpdate_Categories(true); },
             "Error: (File Is Locked (32)) attempting to frame the update transaction on "
             "Categories.  Update transaction cancelled."},
        Held{"rename media", [] { return RIUpdate_Media(false); },
             "Error: (File Is Locked (32)) attempting to frame the update transaction on "
             "Media.  Update transaction cancelled."}));

} // namespace
