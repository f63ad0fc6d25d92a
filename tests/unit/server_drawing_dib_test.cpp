#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "pages/dibimage_layout.h"

namespace {

// A bitmap resource: 40-byte header, colour table, bits.
std::vector<uint8_t> dib(int32_t width, int32_t height, uint16_t bits, uint32_t coloursUsed,
                         uint32_t tableEntries, size_t bitsBytes, uint32_t compression = 0,
                         uint32_t imageSize = 0) {
  std::vector<uint8_t> out(40 + tableEntries * 4 + bitsBytes, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * i));
  };
  put32(0, 40);
  put32(4, uint32_t(width));
  put32(8, uint32_t(height));
  out[12] = 1;
  out[14] = uint8_t(bits);
  put32(16, compression);
  put32(20, imageSize);
  put32(32, coloursUsed);
  return out;
}

TEST(DibColourCount, ColoursUsedWinsElseTheDepthDecides) {
  EXPECT_EQ(srv::dibColourCount(8, 20), 20u);
  EXPECT_EQ(srv::dibColourCount(1, 0), 2u);
  EXPECT_EQ(srv::dibColourCount(4, 0), 16u);
  EXPECT_EQ(srv::dibColourCount(8, 0), 256u);
  EXPECT_EQ(srv::dibColourCount(16, 0), 0u);
  EXPECT_EQ(srv::dibColourCount(24, 0), 0u);
  EXPECT_EQ(srv::dibColourCount(24, 3), 3u);
}

TEST(DibLayout, FindsTheTableAndTheBits) {
  // 8 bpp, 5 x 2: rows of 8 bytes (padded to 4), 20 colours used.
  auto data = dib(5, 2, 8, 20, 20, 16);
  srv::DibLayout layout;
  ASSERT_TRUE(srv::parseDibLayout(data.data(), data.size(), layout));
  EXPECT_EQ(layout.colourCount, 20u);
  EXPECT_EQ(layout.colourTableOffset, 40u);
  EXPECT_EQ(layout.bitsOffset, 40u + 80u);
  EXPECT_EQ(layout.bitsSize, 16u);

  // 24 bpp top-down, no table: 3 x 3 rows of 12 bytes.
  data = dib(3, -3, 24, 0, 0, 36);
  ASSERT_TRUE(srv::parseDibLayout(data.data(), data.size(), layout));
  EXPECT_EQ(layout.colourCount, 0u);
  EXPECT_EQ(layout.bitsOffset, 40u);
  EXPECT_EQ(layout.height, -3);

  // 16 bpp bit fields: three masks follow the header.
  data = dib(2, 1, 16, 0, 3, 4, 3);
  ASSERT_TRUE(srv::parseDibLayout(data.data(), data.size(), layout));
  EXPECT_EQ(layout.bitsOffset, 52u);
}

TEST(DibLayout, RejectsResourcesThatDoNotHoldTheWholeBitmap) {
  srv::DibLayout layout;
  auto good = dib(4, 4, 4, 0, 16, 16);
  ASSERT_TRUE(srv::parseDibLayout(good.data(), good.size(), layout));
  // One byte of bits missing.
  EXPECT_FALSE(srv::parseDibLayout(good.data(), good.size() - 1, layout));
  // Colour table longer than the resource, or more colours than the depth allows.
  auto table = dib(1, 1, 8, 0, 10, 0);
  EXPECT_FALSE(srv::parseDibLayout(table.data(), table.size(), layout));
  auto many = dib(1, 1, 4, 17, 17, 4);
  EXPECT_FALSE(srv::parseDibLayout(many.data(), many.size(), layout));
  // Short or odd headers, zero sizes, unknown depths, a huge width.
  EXPECT_FALSE(srv::parseDibLayout(good.data(), 39, layout));
  EXPECT_FALSE(srv::parseDibLayout(nullptr, 0, layout));
  auto core = good;
  core[0] = 12;
  EXPECT_FALSE(srv::parseDibLayout(core.data(), core.size(), layout));
  auto zero = dib(0, 4, 24, 0, 0, 16);
  EXPECT_FALSE(srv::parseDibLayout(zero.data(), zero.size(), layout));
  auto odd = dib(4, 4, 7, 0, 0, 64);
  EXPECT_FALSE(srv::parseDibLayout(odd.data(), odd.size(), layout));
  auto huge = dib(0x7FFFFFFF, 0x7FFFFFFF, 32, 0, 0, 16);
  EXPECT_FALSE(srv::parseDibLayout(huge.data(), huge.size(), layout));
  // Run-length bitmaps must state their size and fit it.
  auto rle = dib(4, 4, 8, 2, 2, 6, 1, 6);
  EXPECT_TRUE(srv::parseDibLayout(rle.data(), rle.size(), layout));
  auto rleLong = dib(4, 4, 8, 2, 2, 6, 1, 7);
  EXPECT_FALSE(srv::parseDibLayout(rleLong.data(), rleLong.size(), layout));
}

}  // namespace
