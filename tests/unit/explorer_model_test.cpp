// The SCSI Explorer window's decisions: commands per host, views, adapter order, menu
// states.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "explorer/explorer_model.h"

namespace {

using namespace explorer;
using inv::HostAdapterInfo;

std::unique_ptr<HostAdapterInfo> adapter(uint8_t number, const char* name, const char* driver) {
  auto a = std::make_unique<HostAdapterInfo>();
  std::memset(a.get(), 0, sizeof *a);
  a->adapterNumber = number;
  std::strncpy(a->displayName, name, sizeof a->displayName - 1);
  std::strncpy(a->adapterIdentifier, driver, sizeof a->adapterIdentifier - 1);
  return a;
}

int byteCompare(const char* a, const char* b) { return std::strcmp(a, b); }

TEST(ExplorerCommands, EachHostAnswersOnlyItsOwnFileMenuIds) {
  const struct {
    uint32_t id;
    Action applet, standalone;
  } rows[] = {
      {32787, Action::Properties, Action::None}, {32788, Action::Seldarn, Action::None},
      {32770, Action::Close, Action::None},      {32775, Action::None, Action::Properties},
      {32774, Action::None, Action::Seldarn},    {57602, Action::None, Action::Close},
      {32773, Action::Properties, Action::Properties},  // the item menu is shared
      {32786, Action::Seldarn, Action::Seldarn},  {1 /* IDOK */, Action::None, Action::None},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(commandAction(kAppletFlavor, r.id), r.applet) << r.id;
    EXPECT_EQ(commandAction(kStandaloneFlavor, r.id), r.standalone) << r.id;
  }
}

TEST(ExplorerViews, UnknownViewsShowLargeIconsButAreNoView) {
  EXPECT_EQ(viewMode(32779).style, ViewStyle::Icon);
  EXPECT_TRUE(viewMode(32779).largeImages);
  EXPECT_EQ(viewMode(32780).style, ViewStyle::SmallIcon);
  EXPECT_EQ(viewMode(32781).style, ViewStyle::List);
  EXPECT_EQ(viewMode(32782).style, ViewStyle::Report);
  EXPECT_FALSE(viewMode(32782).largeImages);
  for (int32_t odd : {0, 32778, 32783, -32779, 0x10000 + 32780}) {
    EXPECT_FALSE(isViewCommand(odd)) << odd;
    EXPECT_EQ(viewMode(odd).style, ViewStyle::Icon) << odd;
    EXPECT_TRUE(viewMode(odd).largeImages) << odd;
  }
  EXPECT_EQ(lastColumnWidth(520), 160);
  EXPECT_EQ(lastColumnWidth(300), 0);
  // At 192 DPI the fixed columns take 720 pixels.
  EXPECT_EQ(lastColumnWidth(1040, 192), 320);
  EXPECT_EQ(lastColumnWidth(700, 192), 0);
}

TEST(ExplorerRecords, TextsStopAtTheirFieldEvenWithoutTerminator) {
  auto a = adapter(2, "Model 4K A", "vrxmini");
  a->adapterScsiId = 7;
  a->deviceCount = 200;
  EXPECT_EQ(detailsRow(*a), (std::array<std::string, 4>{"Model 4K A", "vrxmini", "7", "200"}));
  std::memset(a->displayName, 'N', sizeof a->displayName);
  std::memset(a->adapterIdentifier, 'D', sizeof a->adapterIdentifier);
  EXPECT_EQ(adapterName(*a), std::string(64, 'N'));
  EXPECT_EQ(adapterDriver(*a), std::string(17, 'D'));
}

TEST(ExplorerRecords, ListedCountNeverPassesTheArray) {
  auto a = adapter(0, "x", "y");
  EXPECT_EQ(listedRecordCount(5, nullptr), 0u);
  a->adapterCount = 5;
  EXPECT_EQ(listedRecordCount(5, a.get()), 5u);
  EXPECT_EQ(listedRecordCount(9, a.get()), 5u);
  EXPECT_EQ(listedRecordCount(3, a.get()), 3u);
  a->adapterCount = 0;  // labels never filled: take the count given
  EXPECT_EQ(listedRecordCount(4, a.get()), 4u);
}

TEST(ExplorerSorting, ComparesNamesDriversAndNumbers) {
  auto a = adapter(3, "Alpha", "zeta");
  auto b = adapter(12, "Beta", "eta");
  auto up = [](SortField f) { return makeSortKey(f, true); };
  auto down = [](SortField f) { return makeSortKey(f, false); };
  EXPECT_LT(compareAdapters(*a, *b, up(SortField::Name), byteCompare), 0);
  EXPECT_GT(compareAdapters(*a, *b, down(SortField::Name), byteCompare), 0);
  EXPECT_GT(compareAdapters(*a, *b, up(SortField::Driver), byteCompare), 0);
  EXPECT_LT(compareAdapters(*a, *b, down(SortField::Driver), byteCompare), 0);
  EXPECT_EQ(compareAdapters(*a, *b, up(SortField::AdapterNumber), byteCompare), -1);
  EXPECT_EQ(compareAdapters(*b, *a, up(SortField::AdapterNumber), byteCompare), 1);
  EXPECT_EQ(compareAdapters(*b, *a, down(SortField::AdapterNumber), byteCompare), -1);
  // Numbers never compare equal; names may.
  EXPECT_EQ(compareAdapters(*a, *a, up(SortField::AdapterNumber), byteCompare), 1);
  EXPECT_EQ(compareAdapters(*a, *a, up(SortField::Name), byteCompare), 0);
  // Unsigned bytes: 200 sorts after 100.
  auto c = adapter(200, "c", "c");
  auto d = adapter(100, "d", "d");
  EXPECT_EQ(compareAdapters(*c, *d, up(SortField::AdapterNumber), byteCompare), 1);
}

TEST(ExplorerSorting, SortsByAdapterNumberNotByScsiId) {
  std::vector<std::unique_ptr<HostAdapterInfo>> owned;
  owned.push_back(adapter(2, "C", "c"));
  owned.push_back(adapter(0, "A", "a"));
  owned.push_back(adapter(1, "B", "b"));
  owned[0]->adapterScsiId = 0;
  owned[1]->adapterScsiId = 15;
  owned[2]->adapterScsiId = 7;
  std::vector<const HostAdapterInfo*> order{owned[0].get(), owned[1].get(), owned[2].get()};
  uint32_t key = makeSortKey(SortField::AdapterNumber, true);
  std::sort(order.begin(), order.end(), [key](const HostAdapterInfo* x, const HostAdapterInfo* y) {
    return compareAdapters(*x, *y, key, byteCompare) < 0;
  });
  EXPECT_EQ(order[0]->adapterNumber, 0);
  EXPECT_EQ(order[1]->adapterNumber, 1);
  EXPECT_EQ(order[2]->adapterNumber, 2);
}

TEST(ExplorerSorting, HeaderClicksToggleAndArrangeSetsAscending) {
  SortState s;
  EXPECT_EQ(s.headerClick(0), makeSortKey(SortField::Name, true));  // first click ascends
  EXPECT_EQ(s.headerClick(0), makeSortKey(SortField::Name, false));
  EXPECT_EQ(s.headerClick(1), makeSortKey(SortField::Driver, true));  // own flag
  EXPECT_EQ(s.headerClick(2), std::nullopt);
  EXPECT_EQ(s.headerClick(3), std::nullopt);
  EXPECT_EQ(s.headerClick(-1), std::nullopt);
  EXPECT_EQ(s.arrange(SortField::Name), makeSortKey(SortField::Name, true));
  EXPECT_EQ(s.headerClick(0), makeSortKey(SortField::Name, false));  // after "by Name"
  EXPECT_EQ(s.arrange(SortField::Driver), makeSortKey(SortField::Driver, true));
  EXPECT_EQ(s.headerClick(1), makeSortKey(SortField::Driver, false));
  EXPECT_EQ(s.arrange(SortField::AdapterNumber), makeSortKey(SortField::AdapterNumber, true));
}

TEST(ExplorerMenus, FileMenuFollowsSelectionAndExtendedFeatures) {
  FileMenuState none = fileMenuState(nullptr);
  EXPECT_FALSE(none.openEnabled || none.propertiesEnabled || none.seldarnEnabled || none.openIsDefault);
  auto older = adapter(1, "old", "old");
  FileMenuState st = fileMenuState(older.get());
  EXPECT_TRUE(st.openEnabled && st.propertiesEnabled && st.openIsDefault);
  EXPECT_FALSE(st.seldarnEnabled);
  older->extendedFeatures = 1;
  EXPECT_TRUE(fileMenuState(older.get()).seldarnEnabled);
}

TEST(ExplorerHelp, InstallFolderValueMayLackItsTerminator) {
  EXPECT_EQ(helpFile(""), "orvane60.chm");
  char raw[4] = {'C', ':', '\\', 'x'};
  EXPECT_EQ(helpFile(installFolderFromPath(raw, sizeof raw)), "C:\\x\\orvane60.chm");
}

}  // namespace
