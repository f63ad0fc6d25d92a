// The SCSI Features page's reading of INQUIRY bytes 5-7 and its rate-line rule.
#include <gtest/gtest.h>

#include <set>

#include "devsheet/features_page.h"

namespace {

// Marks of the eight lines, in page order, as a string of 1s and 0s.
std::string marks(uint8_t byte5, uint8_t byte6, uint8_t byte7) {
  const uint8_t inquiry[8] = {0, 0, 3, 2, 0x1F, byte5, byte6, byte7};
  std::string out;
  for (const dev::FeatureLine& line : dev::kFeatureLines)
    out += dev::featureSupported(inquiry, line) ? '1' : '0';
  return out;
}

TEST(DevsheetFeaturesInfo, LinesInPageOrderWithTheirControls) {
  // Sync, Linked, CmdQue, WBus16, RelAdr, SftRe, MultiP, SCCS.
  const uint16_t labels[] = {1621, 1622, 1623, 1633, 1625, 1626, 1624, 1627};
  const uint16_t markIds[] = {1223, 1228, 1229, 1230, 1231, 1232, 1233, 1234};
  ASSERT_EQ(dev::kFeatureLineCount, 8u);
  for (size_t i = 0; i < dev::kFeatureLineCount; ++i) {
    EXPECT_EQ(dev::kFeatureLines[i].labelId, labels[i]) << i;
    EXPECT_EQ(dev::kFeatureLines[i].markId, markIds[i]) << i;
  }
}

TEST(DevsheetFeaturesInfo, EachBitLightsExactlyItsLine) {
  EXPECT_EQ(marks(0, 0, 0x72), "10110000");  // WBus16, Sync, CmdQue
  EXPECT_EQ(marks(0, 0, 0x10), "10000000");
  EXPECT_EQ(marks(0, 0, 0x08), "01000000");
  EXPECT_EQ(marks(0, 0, 0x02), "00100000");
  EXPECT_EQ(marks(0, 0, 0x20), "00010000");
  EXPECT_EQ(marks(0, 0, 0x80), "00001000");
  EXPECT_EQ(marks(0, 0, 0x01), "00000100");
  EXPECT_EQ(marks(0, 0x10, 0), "00000010");
  EXPECT_EQ(marks(0x80, 0, 0), "00000001");
  // Bits no line reads (WBus32, the other flags of bytes 5 and 6) change nothing.
  EXPECT_EQ(marks(0x7F, 0xEF, 0x44), "00000000");
  EXPECT_EQ(marks(0xFF, 0xFF, 0xFF), "11111111");
}

TEST(DevsheetFeaturesInfo, RateLineOnlyForTheNewestFamilyWithExtendedFeatures) {
  EXPECT_TRUE(dev::showsNegotiatedRate(4, 1));
  EXPECT_FALSE(dev::showsNegotiatedRate(4, 0));
  for (uint32_t family : {0u, 1u, 2u, 3u, 5u}) EXPECT_FALSE(dev::showsNegotiatedRate(family, 1)) << family;
  // A stray flag value is not "1".
  EXPECT_FALSE(dev::showsNegotiatedRate(4, 2));
}

}  // namespace
