// The bands' tables: tree images by device type, band sizes, the desk band's two looks,
// and reading the server's adapter array only as far as it goes.
#include <gtest/gtest.h>

#include <cstring>

#include "bands/band_tables.h"
#include "contract/adapter_view.h"
#include "tests/support/low_memory.h"

namespace {

using namespace bands;

TEST(BandsTables, TreeImagesByDeviceType) {
  const int expected[][2] = {{4, 0}, {5, 0}, {8, 1}, {9, 2}, {10, 3}, {0, 5}, {2, 6},
                             {3, 7}, {7, 8}, {6, 9}, {1, 10}, {11, 11}, {12, 11}, {31, 11},
                             {255, 11}};
  for (const auto& row : expected)
    EXPECT_EQ(treeImageForDeviceType(static_cast<uint8_t>(row[0])), row[1]) << row[0];
  // Image 4 is the adapter's own picture, which no device shows.
  EXPECT_EQ(kTreeIconTypes[kAdapterImage], 11);
  for (int type = 0; type < 256; ++type)
    EXPECT_NE(treeImageForDeviceType(static_cast<uint8_t>(type)), kAdapterImage) << type;
}

TEST(BandsTables, BandSizes) {
  EXPECT_EQ(resolveMaxWidth(bandMetrics(BandKind::tree).maxX, 801), 400);
  EXPECT_EQ(bandMetrics(BandKind::tree).maxY, kUnlimited);
  EXPECT_EQ(bandMetrics(BandKind::strip).minY, 40);
  EXPECT_EQ(bandMetrics(BandKind::strip).maxY, 40);
  EXPECT_EQ(resolveMaxWidth(bandMetrics(BandKind::strip).maxX, 801), kUnlimited);
  EXPECT_EQ(bandMetrics(BandKind::strip).titleId, 0u);
  EXPECT_EQ(bandMetrics(BandKind::desk).titleId, 14u);
}

TEST(BandsTables, DeskBandIsSmallInTheTaskbarOnly) {
  EXPECT_EQ(deskSizeForSite("Shell_TrayWnd").bitmapId, 104u);
  EXPECT_EQ(deskSizeForSite("Shell_TrayWnd").button, 18);
  EXPECT_EQ(deskSizeForSite("Progman").bitmapId, 103u);
  EXPECT_EQ(deskSizeForSite("shell_traywnd").image, 32);
  EXPECT_EQ(deskSizeForSite(nullptr).image, 32);
}

TEST(BandsTables, AtHighDpiTheDeskBandTakesTheDrawingOfItsScale) {
  const DeskSize large = deskSizeAt(kLargeDesk, 144);
  EXPECT_EQ(large.bitmapId, 10103u);
  EXPECT_EQ(large.image, 48);
  EXPECT_EQ(large.button, 54);
  const DeskSize small = deskSizeAt(kSmallDesk, 192);
  EXPECT_EQ(small.bitmapId, 20104u);
  EXPECT_EQ(small.image, 32);
  EXPECT_EQ(small.button, 36);
  // 125 %: the 1x drawing, not a stretched one.
  EXPECT_EQ(deskSizeAt(kLargeDesk, 120).image, 32);
  EXPECT_EQ(deskSizeAt(kLargeDesk, 120).bitmapId, 103u);
}

TEST(BandsTables, BandSizesGrowWithTheDpiUnlimitedOnesStay) {
  const BandMetrics strip = bandMetricsAt(BandKind::strip, 192);
  EXPECT_EQ(strip.minX, 20);
  EXPECT_EQ(strip.minY, 80);
  EXPECT_EQ(strip.maxY, 80);
  EXPECT_EQ(strip.maxX, kUnlimited);
  const BandMetrics tree = bandMetricsAt(BandKind::tree, 144);
  EXPECT_EQ(tree.minY, 15);
  EXPECT_EQ(tree.maxX, kHalfSiteWidth);
  EXPECT_EQ(tree.integralY, 1);
  EXPECT_EQ(bandMetricsAt(BandKind::desk, 96).minX, bandMetrics(BandKind::desk).minX);
}

class BandsAdapterView : public testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 3; ++i) records[i].adapterCount = 3;
  }
  intptr_t address(int i = 0) const { return reinterpret_cast<intptr_t>(&records[i]); }
  orvtest::LowArray<inv::HostAdapterInfo> records{3};
};

TEST_F(BandsAdapterView, UsesNoMoreRecordsThanCountAndArraySay) {
  EXPECT_EQ(AdapterView(3, address()).count(), 3);
  EXPECT_EQ(AdapterView(2, address()).count(), 2);
  EXPECT_EQ(AdapterView(9, address()).count(), 3);  // the array holds 3
  EXPECT_EQ(AdapterView(3, 0).count(), 0);
  EXPECT_EQ(AdapterView(-1, address()).count(), 0);
  EXPECT_EQ(AdapterView(3, address()).at(3), nullptr);
}

TEST_F(BandsAdapterView, AcceptsOnlyItsOwnRecordAddresses) {
  AdapterView view(3, address());
  EXPECT_EQ(view.indexOf(address(2)), 2);
  EXPECT_EQ(view.indexOf(address(1) + 4), -1);  // inside a record
  EXPECT_EQ(view.indexOf(0), -1);
  inv::HostAdapterInfo copy = records[1];
  EXPECT_EQ(view.indexOf(reinterpret_cast<intptr_t>(&copy)), -1);
  EXPECT_EQ(view.addressAt(5), 0);
}

TEST_F(BandsAdapterView, DevicesStayInsideTheRecord) {
  records[0].deviceCount = 200;  // more than the record's room
  EXPECT_EQ(AdapterView::deviceCount(records[0]), inv::kMaxDevices);
  EXPECT_NE(AdapterView::deviceAt(records[0], inv::kMaxDevices - 1), nullptr);
  EXPECT_EQ(AdapterView::deviceAt(records[0], inv::kMaxDevices), nullptr);
  EXPECT_EQ(AdapterView::deviceAt(records[0], -1), nullptr);
}

TEST_F(BandsAdapterView, DeviceTipFillsTheTwoLines) {
  inv::DeviceInfo& d = records[0].devices[0];
  std::strcpy(d.vendor, "ARVELL");
  std::strcpy(d.product, "HD-73U320       ");
  std::strcpy(d.revision, "A104");
  d.target = 5;
  std::strcpy(records[0].displayName, "Kestrel U320 A at 00:0C:00");
  const std::string pattern = "%s %s Rev:%s\nconnected to %s on Scsi ID %d";
  EXPECT_EQ(deviceTip(pattern, d, records[0]),
            "ARVELL HD-73U320        Rev:A104\nconnected to Kestrel U320 A at 00:0C:00 on Scsi ID 5");
  // Fields without terminators end at their size; surplus placeholders stay visible.
  std::memset(d.vendor, 'V', sizeof d.vendor);
  EXPECT_EQ(deviceTip("%s|%s%s%s%s%d%d%x%%", d, records[0]).substr(0, 10), "VVVVVVVVV|");
  EXPECT_NE(deviceTip("%s%s%s%s%s%d%d%x%%", d, records[0]).find("%s5%d%x%"), std::string::npos);
}

}  // namespace
