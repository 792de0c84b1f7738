// Saved window placements: the INI keys, the never-saved case, and pulling windows back on screen.
#include "layout/savedplacement.h"

#include "platform/profile/profile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace melodex;

namespace {

const QString ini = QStringLiteral("SGL97.INI");
const QString section = QStringLiteral("BrowseSongs");

class SavedPlacementTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        setProfileDirectory(m_dir.path());
        Profile::clearCache();
    }
    void TearDown() override { setProfileDirectory({}); }

    void writeIni(const QByteArray &content)
    {
        QFile f(profilePath(ini));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        Profile::clearCache();
    }

    QTemporaryDir m_dir;
};

TEST_F(SavedPlacementTest, WhatCountsAsSaved)
{
    struct Case
    {
        const char *content;
        bool found;
        QRect geometry;
        bool maximized;
    };
    const Case cases[] = {
        {"", false, {}, false},
        {"[Other]\nXPosit=5\nYPosit=5\n", false, {}, false},
        {"[BrowseSongs]\nXPosit=5\n", false, {}, false},
        {"[BrowseSongs]\nXPosit=abc\nYPosit=5\n", false, {}, false},
        // A window in the corner of the frame is a real placement.
        {"[BrowseSongs]\nXPosit=0\nYPosit=0\nWidth=300\nHeight=200\n",
         true,
         {0, 0, 300, 200},
         false},
        {"[browsesongs]\nxposit=7\nyposit=8\nmaximize=Yes\n", true, {7, 8, 0, 0}, true},
        {"[BrowseSongs]\nXPosit=7\nYPosit=8\nWidth=-5\nHeight=9\nMaximize=yes\n",
         true,
         {7, 8, 0, 9},
         false},
    };
    for (const Case &c : cases) {
        writeIni(c.content);
        const auto read = SavedPlacement::read(ini, section);
        EXPECT_EQ(bool(read), c.found) << c.content;
        if (read && c.found) {
            EXPECT_EQ(read->geometry, c.geometry) << c.content;
            EXPECT_EQ(read->maximized, c.maximized) << c.content;
        }
    }
}

TEST_F(SavedPlacementTest, FittingPullsWindowsBackIntoTheArea)
{
    const QRect screen(0, 0, 1280, 800);
    const QMargins frame(4, 30, 4, 4);
    struct Case
    {
        const char *what;
        QRect rect;
        QRect area;
        QMargins frame;
        QSize minimum;
        QRect expected;
    };
    const Case cases[] = {
        {"inside stays", {100, 100, 400, 300}, screen, {}, {}, {100, 100, 400, 300}},
        {"no area known", {5000, 5000, 400, 300}, {}, {}, {}, {5000, 5000, 400, 300}},
        {"right of the screen", {2000, 100, 400, 300}, screen, {}, {}, {880, 100, 400, 300}},
        {"left and above", {-900, -50, 400, 300}, screen, {}, {}, {0, 0, 400, 300}},
        {"larger than the screen", {50, 50, 3000, 2000}, screen, {}, {}, {0, 0, 1280, 800}},
        {"title bar kept on screen", {100, 0, 400, 300}, screen, frame, {}, {100, 30, 400, 300}},
        {"frame counted in the size", {0, 0, 1280, 800}, screen, frame, {}, {4, 30, 1272, 766}},
        {"second screen's area",
         {0, 0, 200, 100},
         {1280, 0, 1024, 768},
         {},
         {},
         {1280, 0, 200, 100}},
        {"minimum wins over the area",
         {0, 0, 300, 300},
         {0, 0, 100, 100},
         {},
         {200, 150},
         {0, 0, 200, 150}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SavedPlacement::fitInto(c.rect, c.area, c.frame, c.minimum), c.expected)
            << c.what;
}

} // namespace
