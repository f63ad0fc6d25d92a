// The window settings as stored in the registry: three little-endian binary values,
// damaged values falling back to their defaults field by field.
#include <gtest/gtest.h>

#include "explorer/settings.h"

namespace {

using explorer::ExplorerSettings;
using explorer::StoredValue;
using Bytes = std::vector<uint8_t>;

TEST(ExplorerSettings, DefaultsAreStatusBarShownLargeIconsNoPlace) {
  ExplorerSettings s;
  EXPECT_EQ(s.statusBar, 1);
  EXPECT_EQ(s.view, 32779);
  EXPECT_EQ(s.sizePos, (std::array<int32_t, 4>{0, 0, 0, 0}));
  EXPECT_EQ(explorer::decodeSettings(std::nullopt, std::nullopt, std::nullopt), s);
}

TEST(ExplorerSettings, EncodesLittleEndianAndReadsBackUnchanged) {
  ExplorerSettings s;
  s.statusBar = 0;
  s.view = 12345678;  // not a view: kept as it is
  s.sizePos = {-8, 0x102, 0x7FFFFFFF, -1};
  explorer::EncodedSettings e = explorer::encodeSettings(s);
  EXPECT_EQ(Bytes(e.statusBar.begin(), e.statusBar.end()), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(Bytes(e.view.begin(), e.view.end()), (Bytes{0x4E, 0x61, 0xBC, 0x00}));
  EXPECT_EQ(Bytes(e.sizePos.begin(), e.sizePos.end()),
            (Bytes{0xF8, 0xFF, 0xFF, 0xFF, 0x02, 0x01, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F,
                   0xFF, 0xFF, 0xFF, 0xFF}));
  ExplorerSettings back = explorer::decodeSettings(
      Bytes(e.statusBar.begin(), e.statusBar.end()), Bytes(e.view.begin(), e.view.end()),
      Bytes(e.sizePos.begin(), e.sizePos.end()));
  EXPECT_EQ(back, s);
}

TEST(ExplorerSettings, AValueOfTheWrongSizeTakesItsDefaultAlone) {
  StoredValue view = Bytes{0x8E, 0x80, 0, 0};  // 32910
  ExplorerSettings s = explorer::decodeSettings(Bytes{0, 0}, view, Bytes(15, 0x11));
  EXPECT_EQ(s.statusBar, 1);
  EXPECT_EQ(s.view, 32910);
  EXPECT_EQ(s.sizePos, (std::array<int32_t, 4>{}));
  s = explorer::decodeSettings(Bytes{0, 0, 0, 0, 0}, Bytes{}, Bytes(17, 0x11));
  EXPECT_EQ(s, ExplorerSettings{});
}

TEST(ExplorerSettings, OnlyARectangleWithAreaIsAPlace) {
  EXPECT_TRUE(explorer::placementCentres({0, 0, 0, 0}));
  EXPECT_TRUE(explorer::placementCentres({100, 100, 100, 400}));  // no width
  EXPECT_TRUE(explorer::placementCentres({100, 100, 500, 100}));  // no height
  EXPECT_TRUE(explorer::placementCentres({500, 100, 100, 400}));  // turned round
  EXPECT_TRUE(explorer::placementCentres({INT32_MAX, 0, INT32_MIN, 10}));
  EXPECT_FALSE(explorer::placementCentres({-300, -20, -1, 200}));
  EXPECT_FALSE(explorer::placementCentres({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}));
}

}  // namespace
