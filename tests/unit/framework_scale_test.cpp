// Lengths and pictures at the screen's scale, key-colour composition and contrast.
#include <gtest/gtest.h>

#include <vector>

#include "framework/scale.h"

namespace {

using fw::scaled;

TEST(Scaled, LengthsGrowWithTheDpiRoundedToTheNearestPixel) {
  EXPECT_EQ(scaled(200, 96), 200);
  EXPECT_EQ(scaled(200, 144), 300);
  EXPECT_EQ(scaled(200, 192), 400);
  EXPECT_EQ(scaled(15, 144), 23);   // 22.5 rounds up
  EXPECT_EQ(scaled(1, 120), 1);     // 1.25
  EXPECT_EQ(scaled(3, 120), 4);     // 3.75
  EXPECT_EQ(scaled(-3, 144), -5);   // -4.5 rounds away from 0, as 4.5 does
  EXPECT_EQ(scaled(0, 192), 0);
  // Large window widths do not overflow on the way.
  EXPECT_EQ(scaled(40000000, 192), 80000000);
}

TEST(PictureStep, EachScaleHasItsDrawingAndIdsStepByTenThousand) {
  EXPECT_EQ(fw::pictureStep(96), 0);
  EXPECT_EQ(fw::pictureStep(120), 0);   // 125 %: the 1x drawing
  EXPECT_EQ(fw::pictureStep(144), 1);
  EXPECT_EQ(fw::pictureStep(168), 1);
  EXPECT_EQ(fw::pictureStep(192), 2);
  EXPECT_EQ(fw::pictureStep(288), 2);   // above 2x: the 2x drawing as it is
  EXPECT_EQ(fw::pictureScalePercent(fw::pictureStep(144)), 150);
  EXPECT_EQ(fw::pictureId(1067, 0), 1067u);
  EXPECT_EQ(fw::pictureId(1067, 1), 11067u);
  EXPECT_EQ(fw::pictureId(1067, 2), 21067u);
  EXPECT_EQ(fw::pictureId(103, -1), 103u);
}

TEST(ComposeKeyed, KeyLeavesTheBackgroundRolesTakeTheSchemeOthersStay) {
  constexpr uint32_t kKey = 0xFF0000, kGrey = 0x808080, kWhite = 0xFFFFFF;
  // The top byte of a pixel is no part of its colour.
  const std::vector<uint32_t> picture = {kKey, kGrey, kWhite, 0x123456, 0xAAFF0000, 0x11808080};
  std::vector<uint32_t> ground(picture.size(), 0x0000FF);
  const fw::ColourRole roles[] = {{kGrey, 0x00FF00}, {kWhite, 0xFFFF00}};
  fw::composeKeyed(picture.data(), ground.data(), ground.size(), kKey, roles, 2);
  EXPECT_EQ(ground, (std::vector<uint32_t>{0x0000FF, 0x00FF00, 0xFFFF00, 0x123456, 0x0000FF,
                                           0x00FF00}));
  // A role whose scheme colour is the key colour still shows it: the key is judged on the
  // picture's own pixels.
  std::vector<uint32_t> again(2, 0x0000FF);
  const fw::ColourRole toKey[] = {{kGrey, kKey}};
  fw::composeKeyed(picture.data(), again.data(), 2, kKey, toKey, 1);
  EXPECT_EQ(again, (std::vector<uint32_t>{0x0000FF, kKey}));
}

TEST(ContrastRatio, FromOneForEqualColoursToTwentyOneForBlackOnWhite) {
  EXPECT_NEAR(fw::contrastRatio(0x000000, 0xFFFFFF), 21.0, 0.01);
  EXPECT_NEAR(fw::contrastRatio(0xFFFFFF, 0x000000), 21.0, 0.01);
  EXPECT_NEAR(fw::contrastRatio(0x808080, 0x808080), 1.0, 1e-9);
  // Green weighs far more than blue: COLORREF order is 0x00BBGGRR.
  EXPECT_GT(fw::contrastRatio(0x00FF00, 0x000000), fw::contrastRatio(0xFF0000, 0x000000) * 5);
  // White on the light button face of a theme hardly shows; on classic grey a little.
  EXPECT_LT(fw::contrastRatio(0xFFFFFF, 0xF5F5F5), 1.5);
  EXPECT_GT(fw::contrastRatio(0xFFFFFF, 0xC0C0C0), 1.5);
}

TEST(SwapRedBlue, TurnsColourrefsIntoPixelsAndBack) {
  EXPECT_EQ(fw::swapRedBlue(0x00112233), 0x00332211u);
  EXPECT_EQ(fw::swapRedBlue(fw::swapRedBlue(0x00ABCDEF)), 0x00ABCDEFu);
}

}  // namespace
