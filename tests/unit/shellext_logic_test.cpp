#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "shellext/folder_logic.h"
#include "tests/support/low_memory.h"

namespace {

using shx::ItemAllocation;
using shx::ItemList;

// Identifier lists kept alive for the checked views of a test.
class Lists {
 public:
  Lists& adapter(uint8_t number, const char* name, const char* identifier = "",
                 const char* manager = "") {
    inv::HostAdapterInfo a = {};
    a.adapterNumber = number;
    std::strncpy(a.displayName, name, sizeof a.displayName - 1);
    std::strncpy(a.adapterIdentifier, identifier, sizeof a.adapterIdentifier - 1);
    std::strncpy(a.managerId, manager, sizeof a.managerId - 1);
    ItemAllocation item;
    shx::makeAdapterItem(a, item);
    return add(item);
  }
  Lists& device(uint8_t target, const char* product, const char* vendor = "", uint8_t type = 0,
                const char* revision = "") {
    inv::DeviceInfo d = {};
    d.target = target;
    d.deviceType = type;
    std::strncpy(d.product, product, sizeof d.product - 1);
    std::strncpy(d.vendor, vendor, sizeof d.vendor - 1);
    std::strncpy(d.revision, revision, sizeof d.revision - 1);
    ItemAllocation item;
    shx::makeDeviceItem(d, item);
    return add(item);
  }
  ItemList list() {
    bytes_.push_back(0);
    bytes_.push_back(0);
    stored_.push_back(bytes_);
    bytes_.clear();
    return ItemList::check(stored_.back().data(), stored_.back().size());
  }

 private:
  Lists& add(const ItemAllocation& item) {
    const auto* p = reinterpret_cast<const uint8_t*>(&item);
    bytes_.insert(bytes_.end(), p, p + shx::kItemCb);
    return *this;
  }
  std::vector<uint8_t> bytes_;
  std::vector<std::vector<uint8_t>> stored_;
};

constexpr uint32_t kAll = shx::kAttrHasPropSheet | shx::kAttrFolder | shx::kAttrHasSubfolder;

TEST(ShellextFolder, AttributesFollowTheLastItemOfAnyList) {
  Lists make;
  const ItemList adapter = make.adapter(0, "HA").list();
  const ItemList deviceInAdapter = make.adapter(0, "HA").device(1, "D").list();
  const ItemList device = make.device(1, "D").list();
  EXPECT_EQ(shx::attributesOf(nullptr, 0), kAll);
  EXPECT_EQ(shx::attributesOf(&device, 1), shx::kAttrHasPropSheet);
  EXPECT_EQ(shx::attributesOf(&deviceInAdapter, 1), shx::kAttrHasPropSheet);
  EXPECT_EQ(shx::attributesOf(&adapter, 1), kAll);
  const ItemList mix[] = {device, adapter};
  EXPECT_EQ(shx::attributesOf(mix, 2), kAll);
  // A refused list names no adapter.
  const ItemList refused[] = {ItemList::check("\x01\x00", 2)};
  EXPECT_FALSE(refused[0].valid());
  EXPECT_EQ(shx::attributesOf(refused, 1), shx::kAttrHasPropSheet);
}

TEST(ShellextFolder, EachSortKeyOrdersItsItems) {
  Lists make;
  const ItemList first = make.adapter(1, "Zeta", "kestrel", "MGR").list();
  const ItemList second = make.adapter(3, "alpha", "KESTREL", "MGR").list();
  const ItemList third = make.adapter(3, "Beta", "Avocet").list();
  auto cmp = [](uint32_t key, const ItemList& a, const ItemList& b) {
    return shx::compareLists(key, a, b, shx::asciiCompareNoCase);
  };
  EXPECT_EQ(cmp(14, first, second), 0xFFFF);
  EXPECT_EQ(cmp(14, second, first), 1);
  EXPECT_EQ(cmp(14, second, third), 0);                // equal numbers
  EXPECT_EQ(cmp(13, first, second), 0);                // identifiers without case
  EXPECT_EQ(cmp(13, third, first), 0xFFFF);
  for (uint32_t pathKey : {12u, 16u, 0u, 99u}) {
    EXPECT_EQ(cmp(pathKey, second, third), 0xFFFF) << pathKey;  // "alpha" < "Beta"
    EXPECT_EQ(cmp(pathKey, first, second), 1) << pathKey;
  }

  const ItemList disk = make.device(9, "DISK", "quorix").list();
  const ItemList tape = make.device(2, "TAPE", "Tessell").list();
  EXPECT_EQ(cmp(15, disk, tape), 0xFFFF);
  EXPECT_EQ(cmp(17, disk, tape), 1);
  EXPECT_EQ(cmp(16, disk, tape), 0xFFFF);
  // A device key on adapters (and an adapter key on devices) compares names.
  EXPECT_EQ(cmp(17, second, third), 0xFFFF);
  EXPECT_EQ(cmp(14, tape, disk), 1);
}

TEST(ShellextFolder, ListsCompareInStepAndAPrefixComesFirst) {
  Lists make;
  const ItemList adapter = make.adapter(0, "HA").list();
  const ItemList child = make.adapter(0, "HA").device(4, "D").list();
  const ItemList other = make.adapter(0, "HA").device(5, "E").list();
  for (uint32_t key : {12u, 14u, 17u}) {
    EXPECT_EQ(shx::compareLists(key, adapter, child, shx::asciiCompareNoCase), 0xFFFF) << key;
    EXPECT_EQ(shx::compareLists(key, child, adapter, shx::asciiCompareNoCase), 1) << key;
    EXPECT_EQ(shx::compareLists(key, child, child, shx::asciiCompareNoCase), 0) << key;
    EXPECT_EQ(shx::compareLists(key, child, other, shx::asciiCompareNoCase), 0xFFFF) << key;
  }
  EXPECT_EQ(shx::compareLists(12, ItemList(), ItemList(), shx::asciiCompareNoCase), 0);
}

TEST(ShellextFolder, DisplayNamesForEachFlagCombination) {
  Lists make;
  const ItemList list = make.adapter(0, "KESTREL U160 A").device(1, "QX-18LVD        ").list();
  const std::string folder = "::{20D04FE0}\\::{D7A4}";
  EXPECT_EQ(shx::displayName(list, 0, folder), "QX-18LVD        ");
  EXPECT_EQ(shx::displayName(list, shx::kNameInFolder, folder), "QX-18LVD        ");
  EXPECT_EQ(shx::displayName(list, shx::kNameForParsing | shx::kNameInFolder, folder),
            "KESTREL U160 A\\QX-18LVD        ");
  EXPECT_EQ(shx::displayName(list, shx::kNameForParsing, folder),
            folder + "\\KESTREL U160 A\\QX-18LVD        ");
  EXPECT_EQ(shx::displayName(list, shx::kNameForParsing, ""), "KESTREL U160 A\\QX-18LVD        ");
  EXPECT_EQ(shx::displayName(ItemList(), shx::kNameForParsing, folder), folder);
  EXPECT_EQ(shx::displayName(ItemList(), 0, folder), "");
  // Cut to the buffer with room for the terminator.
  const std::string longFolder(250, 'F');
  const std::string cut = shx::displayName(list, shx::kNameForParsing, longFolder);
  EXPECT_EQ(cut.size(), 259u);
  EXPECT_EQ(cut.substr(0, 252), longFolder + "\\K");
}

TEST(ShellextFolder, ImagesByDeviceTypeDifferOnlyForType11) {
  Lists make;
  const int listImages[] = {5, 10, 6, 7, 0, 0, 9, 8, 1, 2, 3, 11, 11, 11};
  for (uint8_t type = 0; type < 14; ++type) {
    const ItemList device = make.device(0, "D", "", type == 13 ? 0x1F : type).list();
    EXPECT_EQ(shx::listImage(*device.first()), listImages[type]) << int{type};
    EXPECT_EQ(shx::extractorImage(*device.first()), type == 11 ? 3 : listImages[type]) << int{type};
  }
  const ItemList adapter = make.adapter(0, "HA").list();
  EXPECT_EQ(shx::listImage(*adapter.first()), 4);
  EXPECT_EQ(shx::extractorImage(*adapter.first()), 4);
  // Each image shows the icon of the type it stands for.
  for (uint8_t type = 0; type < 12; ++type) {
    const ItemList device = make.device(0, "D", "", type).list();
    const short argument = shx::kImageIconArguments[shx::listImage(*device.first())];
    if (type == 5) EXPECT_EQ(argument, 4);
    else if (type == 11) EXPECT_EQ(argument, 255);
    else EXPECT_EQ(argument, type);
  }
  EXPECT_EQ(shx::kImageIconArguments[shx::kAdapterImage], 11);
}

TEST(ShellextFolder, SecondColumnAndVerbs) {
  Lists make;
  const ItemList adapter = make.adapter(0, "HA", "", "VRAX SIMULATOR").list();
  const ItemList device = make.device(0, "D", "QUORIX", 0, "0911").list();
  EXPECT_EQ(shx::secondColumnText(*adapter.first()), "VRAX SIMULATOR");
  EXPECT_EQ(shx::secondColumnText(*device.first()), "QUORIX 0911");

  EXPECT_EQ(shx::verbCommand("seldarn"), 18);
  EXPECT_EQ(shx::verbCommand("SelDarn"), 18);
  EXPECT_EQ(shx::verbCommand("EXPLORE"), 1);
  EXPECT_EQ(shx::verbCommand("open"), 2);
  EXPECT_EQ(shx::verbCommand("properties"), 3);
  EXPECT_EQ(shx::verbCommand("opens"), -1);
  EXPECT_EQ(shx::verbCommand(""), -1);
  EXPECT_EQ(shx::verbCommand(nullptr), -1);
  EXPECT_STREQ(shx::commandVerb(18), "seldarn");
  EXPECT_EQ(shx::commandVerb(4), nullptr);
}

std::vector<int> ids(const std::vector<shx::MenuEntry>& entries, int* defaultId = nullptr) {
  std::vector<int> out;
  for (const shx::MenuEntry& e : entries) {
    out.push_back(e.id);
    if (e.isDefault && defaultId) *defaultId = e.id;
  }
  return out;
}

TEST(ShellextFolder, ContextMenusOfItemsAndBackground) {
  int def = 0;
  EXPECT_EQ(ids(shx::contextMenuEntries({true, true, false, false, true}), &def),
            std::vector<int>({1}));
  EXPECT_EQ(def, 1);
  EXPECT_EQ(ids(shx::contextMenuEntries({true, false, false, false, false}), &def),
            std::vector<int>({2}));
  EXPECT_EQ(def, 2);
  EXPECT_EQ(ids(shx::contextMenuEntries({false, true, false, false, true}), &def),
            std::vector<int>({1, 2, 5, 3, 18}));
  EXPECT_EQ(def, 1);
  EXPECT_EQ(ids(shx::contextMenuEntries({false, false, false, false, true}), &def),
            std::vector<int>({2, 1, 3}));
  EXPECT_EQ(def, 2);
  EXPECT_EQ(ids(shx::contextMenuEntries({false, true, false, false, false}), &def),
            std::vector<int>({3}));
  EXPECT_EQ(def, 3);

  for (bool root : {true, false}) {
    def = 0;
    const auto background = shx::contextMenuEntries({false, false, true, root, false});
    ASSERT_EQ(ids(background, &def), std::vector<int>({6, 11}));
    EXPECT_EQ(def, 0);
    EXPECT_EQ(ids(background[0].submenu), std::vector<int>({7, 8, 9, 19}));
    EXPECT_EQ(ids(background[1].submenu),
              root ? std::vector<int>({12, 13, 14}) : std::vector<int>({15, 16, 17}));
  }
}

TEST(ShellextFolder, CopiesFindTheirLiveRecordsByNumberAndTarget) {
  orvtest::LowArray<inv::HostAdapterInfo> low(2);
  inv::HostAdapterInfo* records = low.get();
  records[0].adapterNumber = 1;
  records[1].adapterNumber = 4;
  records[0].adapterCount = records[1].adapterCount = 2;
  records[1].deviceCount = 2;
  records[1].devices[0].target = 0;
  records[1].devices[1].target = 6;
  records[1].devices[2].target = 9;  // beyond the device count
  EXPECT_EQ(shx::liveAdapter(records, 2, 4), &records[1]);
  EXPECT_EQ(shx::liveAdapter(records, 2, 0), nullptr);
  EXPECT_EQ(shx::liveAdapter(records, 1, 4), nullptr);
  EXPECT_EQ(shx::liveAdapter(nullptr, 2, 4), nullptr);
  EXPECT_EQ(shx::liveDevice(records, 2, 4, 6), &records[1].devices[1]);
  EXPECT_EQ(shx::liveDevice(records, 2, 4, 9), nullptr);
  EXPECT_EQ(shx::liveDevice(records, 2, 1, 0), nullptr);
}

}  // namespace
