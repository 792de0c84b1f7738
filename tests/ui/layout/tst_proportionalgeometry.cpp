// Proportional layout arithmetic: the rules of both strategies and the placement they give.
#include "layout/proportionalgeometry.h"

#include <gtest/gtest.h>

using namespace melodex;

namespace {

using Rule = ProportionalGeometry::Rule;

// A form designed at 400 x 300, enlarged to twice its width and half again its height.
TEST(ProportionalGeometryTest, EnlargedFormKeepsButtonsAndInputHeights)
{
    ProportionalGeometry g(QSize(400, 300));
    struct Case
    {
        const char *what;
        QRect design;
        Rule rule;
        QRect expected;
    };
    const Case cases[] = {
        {"list scales", {10, 10, 200, 100}, Rule::Scale, {20, 15, 400, 150}},
        {"entry field keeps its height",
         {100, 120, 150, 22},
         Rule::KeepHeight,
         {200, 180, 300, 22}},
        {"check box keeps its size", {100, 160, 80, 20}, Rule::KeepSize, {200, 240, 80, 20}},
        {"OK near the right and bottom edges",
         {300, 260, 80, 25},
         Rule::AnchorToNearer,
         {700, 410, 80, 25}},
        {"button near the left and top edges",
         {10, 20, 80, 25},
         Rule::AnchorToNearer,
         {10, 20, 80, 25}},
        // Equally far from both sides: the left/top edge counts as the nearer one.
        {"centred button stays", {160, 137, 80, 26}, Rule::AnchorToNearer, {160, 137, 80, 26}},
    };
    for (const Case &c : cases)
        g.addControl(c.design, c.rule);

    const auto placed = g.apply(QSize(800, 450));
    ASSERT_TRUE(placed);
    ASSERT_EQ(placed->size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ((*placed)[i], cases[i].expected) << cases[i].what;
}

TEST(ProportionalGeometryTest, AdjacentControlsStayAdjacentWhenScaled)
{
    ProportionalGeometry g(QSize(300, 100));
    g.addControl(QRect(0, 0, 100, 50), Rule::Scale);
    g.addControl(QRect(100, 0, 100, 50), Rule::Scale);
    g.addControl(QRect(200, 0, 100, 50), Rule::Scale);
    const auto placed = g.apply(QSize(401, 100));
    ASSERT_TRUE(placed);
    EXPECT_EQ((*placed)[0].left(), 0);
    EXPECT_EQ((*placed)[0].right() + 1, (*placed)[1].left());
    EXPECT_EQ((*placed)[1].right() + 1, (*placed)[2].left());
    EXPECT_EQ((*placed)[2].right() + 1, 401);
}

TEST(ProportionalGeometryTest, ApplyOnlyWhenTheSizeChangedAndIsNotEmpty)
{
    ProportionalGeometry g(QSize(200, 100));
    g.addControl(QRect(10, 10, 50, 20), Rule::Scale);
    EXPECT_FALSE(g.apply(QSize(200, 100))) << "the design size needs nothing";
    EXPECT_TRUE(g.apply(QSize(400, 200)));
    EXPECT_FALSE(g.apply(QSize(400, 200)));
    // A collapsed window would squash every control to nothing.
    EXPECT_FALSE(g.apply(QSize(0, 100)));
    const auto back = g.apply(QSize(200, 100));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->front(), QRect(10, 10, 50, 20));

    ProportionalGeometry undesigned(QSize(0, 0));
    undesigned.addControl(QRect(10, 10, 50, 20), Rule::Scale);
    EXPECT_FALSE(undesigned.apply(QSize(300, 300)));
}

} // namespace
