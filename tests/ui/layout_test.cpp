// Divider and preview geometry.
#include <gtest/gtest.h>

#include "ui/layout.h"

namespace {

void expectRect(const PaneRect& r, int32_t x, int32_t y, int32_t w, int32_t h) {
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.width, w);
    EXPECT_EQ(r.height, h);
}

TEST(DividerGeometry, SplitsAroundAFourPixelBar) {
    PaneRect a, b;
    ASSERT_TRUE(dividerPaneRects(0, 200, 800, 600, a, b));
    expectRect(a, 0, 0, 200, 600);
    expectRect(b, 204, 0, 596, 600);
    ASSERT_TRUE(dividerPaneRects(1, 200, 200, 500, a, b));
    expectRect(a, 0, 0, 200, 200);
    expectRect(b, 0, 204, 200, 296);
    EXPECT_FALSE(dividerPaneRects(2, 200, 800, 600, a, b));
}

TEST(DividerGeometry, AShrunkenWindowDrawsPaneZeroAtTheFarEdge) {
    PaneRect a, b;
    ASSERT_TRUE(dividerPaneRects(0, 200, 150, 100, a, b));
    expectRect(a, 0, 0, 146, 100);
    expectRect(b, 150, 0, 0, 100);
    // Below four pixels the effective position is negative: nothing shows.
    ASSERT_TRUE(dividerPaneRects(1, 200, 50, 3, a, b));
    EXPECT_EQ(a.height, -1);
    EXPECT_LE(b.height, 0);
}

TEST(DividerGeometry, DragsStopAtBothEnds) {
    EXPECT_EQ(dividerDragPosition(300, 5, 800), 295);
    EXPECT_EQ(dividerDragPosition(900, 5, 800), 796);
    EXPECT_EQ(dividerDragPosition(-40, 5, 800), 0);
}

TEST(PiktureGeometry, FitsKeepingTheAspectRatio) {
    PaneRect r;
    ASSERT_TRUE(piktureFitRect(200, 200, 400, 300, true, r));
    expectRect(r, 0, 25, 200, 150);
    ASSERT_TRUE(piktureFitRect(400, 100, 400, 300, true, r));
    expectRect(r, 133, 0, 133, 100);
    // Equal whole percentages fit to the width.
    ASSERT_TRUE(piktureFitRect(300, 200, 1501, 1000, true, r));
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.width, 300);
    EXPECT_FALSE(piktureFitRect(0, 200, 400, 300, true, r));
    ASSERT_TRUE(piktureFitRect(0, 200, 400, 300, false, r));
    expectRect(r, 0, 0, 0, 200);
    ASSERT_TRUE(piktureFitRect(640, 480, 400, 300, false, r));
    expectRect(r, 0, 0, 640, 480);
}

TEST(PiktureGeometry, ZoomKeepsThePointUnderTheCursor) {
    int32_t x = 7, y = 9;
    piktureZoomOffsets(200, 200, 400, 300, 100, 100, x, y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
    piktureZoomOffsets(400, 100, 400, 300, 200, 50, x, y);
    EXPECT_EQ(x, (200 - 133) * 300 / 100 - 200);
    EXPECT_EQ(y, 50 * 300 / 100 - 50);
    x = 7;
    y = 9;
    piktureZoomOffsets(0, 100, 400, 300, 10, 10, x, y);
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 9);
}

TEST(PiktureGeometry, HugePicturesDoNotOverflow) {
    PaneRect r;
    ASSERT_TRUE(piktureFitRect(1920, 1080, 2000000000, 1000000000, true, r));
    EXPECT_EQ(r.width, 1920);
    EXPECT_EQ(r.height, 960);
}

}  // namespace
