// The application strip's geometry: looping scroll, copies that cover the window, and a
// hit test in which every point belongs to at most one entry.
#include <gtest/gtest.h>

#include <climits>

#include "bands/strip_layout.h"

namespace {

using bands::copyOrigins;
using bands::entryAt;
using bands::nextOffset;

TEST(BandsStrip, TwoEntriesScrollOnePixelPerTickAndLoopAfter400) {
  const int width = bands::stripWidth(2);
  ASSERT_EQ(width, 400);
  int offset = 0;
  for (int tick = 1; tick < 400; ++tick) {
    offset = nextOffset(offset, width);
    ASSERT_EQ(offset, -tick);
  }
  EXPECT_EQ(nextOffset(offset, width), 0);  // -400 is never shown: back to the start
  // An offset left over from a wider strip starts over.
  EXPECT_EQ(nextOffset(-900, width), 0);
  EXPECT_EQ(nextOffset(5, width), 0);
  EXPECT_EQ(nextOffset(0, 0), 0);
}

TEST(BandsStrip, CopiesFollowTheStripUntilTheRightEdge) {
  EXPECT_EQ(copyOrigins(0, 400, 300), (std::vector<int>{0}));
  EXPECT_EQ(copyOrigins(-150, 400, 300), (std::vector<int>{-150, 250}));
  // A window wider than two strips is covered all the way, without a blank gap.
  EXPECT_EQ(copyOrigins(-10, 400, 1000), (std::vector<int>{-10, 390, 790}));
  EXPECT_TRUE(copyOrigins(0, 0, 300).empty());
}

TEST(BandsStrip, HitTestNamesOneEntryAtEveryBoundary) {
  // Three entries at offset 0: [0,200) [200,400) [400,600), then the copy from 600.
  EXPECT_EQ(entryAt(0, 0, 3, 800), 0);
  EXPECT_EQ(entryAt(199, 0, 3, 800), 0);
  EXPECT_EQ(entryAt(200, 0, 3, 800), 1);  // the boundary belongs to the right entry
  EXPECT_EQ(entryAt(400, 0, 3, 800), 2);
  EXPECT_EQ(entryAt(600, 0, 3, 800), 0);  // first entry of the copy
  EXPECT_EQ(entryAt(799, 0, 3, 800), 0);

  // Scrolled: the strip starts 250 pixels to the left.
  EXPECT_EQ(entryAt(0, -250, 3, 800), 1);
  EXPECT_EQ(entryAt(149, -250, 3, 800), 1);
  EXPECT_EQ(entryAt(150, -250, 3, 800), 2);
  EXPECT_EQ(entryAt(350, -250, 3, 800), 0);  // the copy begins at 350

  // Every pixel of the window is in exactly one entry's range.
  for (int offset : {0, -1, -199, -200, -399}) {
    for (int x = 0; x < 800; ++x) {
      int hits = 0;
      for (int origin : copyOrigins(offset, 400, 800))
        for (int i = 0; i < 2; ++i)
          hits += x >= origin + 200 * i && x < origin + 200 * i + 200;
      ASSERT_EQ(hits, 1) << offset << " " << x;
      ASSERT_GE(entryAt(x, offset, 2, 800), 0);
    }
  }
}

TEST(BandsStrip, AtHighDpiEntriesAndStepsGrowAndHitsFollow) {
  const bands::StripMetrics at2x = bands::stripMetrics(192);
  EXPECT_EQ(at2x.entryWidth, 400);
  EXPECT_EQ(at2x.height, 80);
  EXPECT_EQ(at2x.textTop, 28);
  EXPECT_EQ(at2x.scrollStep, 2);
  EXPECT_EQ(bands::stripMetrics(96).scrollStep, 1);
  EXPECT_EQ(bands::stripMetrics(144).entryWidth, 300);
  // The boundary between the first two entries lies at 400 now, not 200.
  EXPECT_EQ(entryAt(399, 0, 3, 1600, at2x.entryWidth), 0);
  EXPECT_EQ(entryAt(400, 0, 3, 1600, at2x.entryWidth), 1);
  const int width = bands::stripWidth(2, at2x.entryWidth);
  EXPECT_EQ(width, 800);
  EXPECT_EQ(nextOffset(0, width, 2), -2);
  EXPECT_EQ(nextOffset(-798, width, 2), 0);  // -800 is never shown
}

TEST(BandsStrip, TheKeyboardsEntryIsBroughtIntoView) {
  using bands::entryLeft;
  using bands::offsetShowing;
  // Three entries of 200 in a 500 window: the third shows only in part at offset 0.
  EXPECT_EQ(entryLeft(0, 0, 3, 500), 0);
  EXPECT_EQ(entryLeft(2, 0, 3, 500), 400);  // in part: the first copy that shows at all
  EXPECT_EQ(offsetShowing(1, 0, 3, 500), 0);      // whole already: no jump
  EXPECT_EQ(offsetShowing(2, 0, 3, 500), -400);   // its left edge to the window's
  EXPECT_EQ(entryLeft(2, -400, 3, 500), 0);
  // In the copy: at offset -450 entry 0 of the copy shows whole at 150.
  EXPECT_EQ(entryLeft(0, -450, 3, 500), 150);
  EXPECT_EQ(offsetShowing(0, -450, 3, 500), -450);
  // No entry: nothing shows, the offset starts over.
  EXPECT_EQ(entryLeft(3, 0, 3, 500), INT_MIN);
  EXPECT_EQ(offsetShowing(-1, -50, 3, 500), 0);
}

TEST(BandsStrip, PointsOutsideTheWindowOrAnEmptyStripHitNothing) {
  EXPECT_EQ(entryAt(-1, 0, 2, 800), -1);
  EXPECT_EQ(entryAt(800, 0, 2, 800), -1);
  EXPECT_EQ(entryAt(10, 0, 0, 800), -1);
}

}  // namespace
