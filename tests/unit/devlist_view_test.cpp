#include <gtest/gtest.h>

#include <cstring>

#include "framework/menuprompt.h"
#include "server/devicelist_view.h"

namespace {

inv::DeviceInfo device(uint8_t target, const char* vendor, const char* product) {
  inv::DeviceInfo d = {};
  d.target = target;
  std::strncpy(d.vendor, vendor, sizeof d.vendor - 1);
  std::strncpy(d.product, product, sizeof d.product - 1);
  return d;
}

int byteCompare(const char* a, const char* b) { return std::strcmp(a, b); }

TEST(DevlistImages, EveryTypeWithoutItsOwnIconShowsTheOtherIcon) {
  const int expected[] = {0, 1, 2, 3, 4, 4, 5, 6, 7, 8, 9};
  for (int type = 0; type <= 10; ++type)
    EXPECT_EQ(srv::deviceImageSlot(static_cast<uint8_t>(type)), expected[type]) << type;
  // 11 borrows the adapter icon elsewhere; here it is "other", like every higher type.
  for (uint8_t type : std::initializer_list<uint8_t>{11, 12, 0x1E, 0x1F, 255}) EXPECT_EQ(srv::deviceImageSlot(type), 10) << int{type};
  EXPECT_EQ(srv::kDeviceListIcons[srv::deviceImageSlot(11)], 166);
  EXPECT_EQ(srv::kDeviceListIcons[srv::deviceImageSlot(5)], 152);
}

TEST(DevlistColumns, FixedWidthsAndTheRestOfTheWindow) {
  int fixed = 0;
  for (const srv::ReportColumn& c : srv::kReportColumns)
    if (c.width != srv::kRestOfWindow) fixed += c.width;
  EXPECT_EQ(fixed, srv::kFixedColumnsWidth);
  EXPECT_EQ(srv::columnWidth(srv::kReportColumns[4], 600), 240);
  EXPECT_EQ(srv::columnWidth(srv::kReportColumns[1], 600), 115);
  // At 144 DPI every fixed width is half as wide again; the last takes the rest.
  EXPECT_EQ(srv::columnWidth(srv::kReportColumns[1], 900, 144), 173);
  EXPECT_EQ(srv::columnWidth(srv::kReportColumns[4], 900, 144), 360);
}

TEST(DevlistSort, ArrangeSetsTheKeyAscendingAndHeadersToggle) {
  srv::SortState s;
  EXPECT_EQ(s.sortKey, srv::kSortNone);
  // First click on "Name" sorts ascending, the second descending.
  EXPECT_TRUE(s.columnClick(1));
  EXPECT_EQ(s.sortKey, srv::kSortName);
  EXPECT_TRUE(s.ascending());
  EXPECT_TRUE(s.columnClick(1));
  EXPECT_FALSE(s.ascending());
  // An Arrange command makes it ascending again; the next header click descends.
  EXPECT_TRUE(s.arrange(32794));
  EXPECT_TRUE(s.ascending());
  EXPECT_TRUE(s.columnClick(1));
  EXPECT_FALSE(s.ascending());
  // Each key keeps its own direction.
  EXPECT_TRUE(s.columnClick(0));
  EXPECT_EQ(s.sortKey, srv::kSortVendor);
  EXPECT_TRUE(s.ascending());
  EXPECT_TRUE(s.arrange(32792));
  EXPECT_EQ(s.sortKey, srv::kSortTarget);
  EXPECT_TRUE(s.columnClick(3));
  EXPECT_FALSE(s.ascending());
  EXPECT_EQ(s.nameAscending, 0);
  EXPECT_EQ(s.vendorAscending, 1);
  // "Type", "Revision" and anything outside the columns change nothing.
  srv::SortState before = s;
  for (int column : {2, 4, 5, -1}) EXPECT_FALSE(s.columnClick(column));
  EXPECT_FALSE(s.arrange(32791));
  EXPECT_EQ(s.sortKey, before.sortKey);
  EXPECT_EQ(s.targetAscending, before.targetAscending);
}

TEST(DevlistSort, CompareByKeyAndDirection) {
  auto a = device(5, "ALPHA", "Zeta drive      ");
  auto b = device(12, "BETA", "Alpha drive     ");
  EXPECT_GT(srv::compareDevices(a, b, srv::kSortName, true, byteCompare), 0);
  EXPECT_LT(srv::compareDevices(a, b, srv::kSortName, false, byteCompare), 0);
  EXPECT_LT(srv::compareDevices(a, b, srv::kSortVendor, true, byteCompare), 0);
  // Targets compare as numbers, not as text ("12" < "5").
  EXPECT_LT(srv::compareDevices(a, b, srv::kSortTarget, true, byteCompare), 0);
  EXPECT_GT(srv::compareDevices(a, b, srv::kSortTarget, false, byteCompare), 0);
  EXPECT_EQ(srv::compareDevices(a, a, srv::kSortVendor, true, byteCompare), 0);
  EXPECT_EQ(srv::compareDevices(a, b, srv::kSortNone, true, byteCompare), 0);
}

TEST(DevlistRecords, UnterminatedFieldsAndCountsStayInsideTheRecord) {
  inv::DeviceInfo d = {};
  std::memset(d.vendor, 'V', sizeof d.vendor);  // no NUL at all
  EXPECT_EQ(srv::fieldText(d.vendor), std::string(9, 'V'));
  auto a = device(1, "A", "B");
  auto b = device(2, "A", "C");
  std::memset(a.product, 'x', sizeof a.product);
  std::memset(b.product, 'x', sizeof b.product);
  EXPECT_EQ(srv::compareDevices(a, b, srv::kSortName, true, byteCompare), 0);

  static inv::HostAdapterInfo adapter = {};
  adapter.deviceCount = 7;
  EXPECT_EQ(srv::listedDeviceCount(adapter), 7u);
  adapter.deviceCount = 200;  // more than the record has room for
  EXPECT_EQ(srv::listedDeviceCount(adapter), static_cast<size_t>(inv::kMaxDevices));
}

TEST(FrameworkMenuPrompt, CommandsPromptOthersBlankClosingRestores) {
  using fw::MenuPromptKind;
  namespace f = fw::menuflag;
  auto p = fw::menuPrompt(32788, 0, false);
  EXPECT_EQ(p.kind, MenuPromptKind::Prompt);
  EXPECT_EQ(p.stringId, 32788u);
  EXPECT_EQ(fw::menuPrompt(32788, 0x0008 /* checked */, false).kind, MenuPromptKind::Prompt);
  EXPECT_EQ(fw::menuPrompt(0, f::kClosed, true).kind, MenuPromptKind::Idle);
  // 0xFFFF with a menu handle is an item's flags, not a closing menu.
  EXPECT_EQ(fw::menuPrompt(1, f::kClosed, false).kind, MenuPromptKind::Blank);
  EXPECT_EQ(fw::menuPrompt(2, f::kPopup, false).kind, MenuPromptKind::Blank);
  EXPECT_EQ(fw::menuPrompt(0, f::kSeparator, false).kind, MenuPromptKind::Blank);
  EXPECT_EQ(fw::menuPrompt(32790, f::kMenuBreak, false).kind, MenuPromptKind::Blank);
  EXPECT_EQ(fw::menuPrompt(0xF060, f::kSysMenu, false).kind, MenuPromptKind::Blank);
  EXPECT_EQ(fw::menuPrompt(0xF000, 0, false).kind, MenuPromptKind::Blank);
  EXPECT_EQ(fw::menuPrompt(0xF1EF, 0, false).kind, MenuPromptKind::Blank);
  EXPECT_EQ(fw::menuPrompt(0xF1F0, 0, false).kind, MenuPromptKind::Prompt);
  EXPECT_EQ(fw::menuPrompt(0xEFFF, 0, false).kind, MenuPromptKind::Prompt);
}

}  // namespace
