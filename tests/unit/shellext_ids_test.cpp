#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "contract/record_width.h"
#include "shellext/item_ids.h"

namespace {

using shx::ItemAllocation;
using shx::ItemList;

inv::HostAdapterInfo adapter(uint8_t number, const char* name, uint8_t devices = 0) {
  inv::HostAdapterInfo a = {};
  a.adapterNumber = number;
  std::strncpy(a.displayName, name, sizeof a.displayName - 1);
  a.deviceCount = devices;
  return a;
}

inv::DeviceInfo device(uint8_t target, const char* product, uint8_t type = 0) {
  inv::DeviceInfo d = {};
  d.target = target;
  d.deviceType = type;
  std::strncpy(d.product, product, sizeof d.product - 1);
  return d;
}

// A list of identifiers as the shell keeps it: the items back to back, then the zero.
std::vector<uint8_t> listOf(const std::vector<ItemAllocation>& items) {
  std::vector<uint8_t> bytes;
  for (const ItemAllocation& each : items) {
    const auto* p = reinterpret_cast<const uint8_t*>(&each.item);
    bytes.insert(bytes.end(), p, p + shx::kItemCb);
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

ItemAllocation adapterItem(uint8_t number, const char* name, uint8_t devices = 0) {
  ItemAllocation out;
  shx::makeAdapterItem(adapter(number, name, devices), out);
  return out;
}

ItemAllocation deviceItem(uint8_t target, const char* product, uint8_t type = 0) {
  ItemAllocation out;
  shx::makeDeviceItem(device(target, product, type), out);
  return out;
}

// The record area holds the 32-bit layout in both widths (a saved format, read by the
// other width too); the 32-bit build stores its records byte for byte.
TEST(ShellextItems, IdentifiersCarryWholeRecordCopiesAndEndTheirList) {
  constexpr bool kWide = sizeof(void*) == 8;
  inv::HostAdapterInfo a = adapter(3, "KESTREL U160 A", 2);
  a.pciConfig[255] = 0x5A;
  a.extendedFeatures = 1;
  a.devices[1].target = 9;
  a.devices[1].adapter = 0x1234;
  std::strcpy(a.labels[0].text, "KESTREL U160 A at 02:04:00");
  a.labels[0].adapter = 0x5678;
  ItemAllocation item;
  std::memset(&item, 0xEE, sizeof item);
  shx::makeAdapterItem(a, item);
  const auto* bytes = reinterpret_cast<const uint8_t*>(&item);
  EXPECT_EQ(bytes[0] | bytes[1] << 8, 4774);
  EXPECT_EQ(bytes[2], 1);
  EXPECT_EQ(bytes[4774], 0);
  EXPECT_EQ(bytes[4775], 0);
  inv::HostAdapterInfo32 wire;
  std::memcpy(&wire, bytes + 6, sizeof wire);
  EXPECT_EQ(wire.adapterNumber, 3);
  EXPECT_STREQ(wire.displayName, "KESTREL U160 A");
  EXPECT_EQ(wire.pciConfig[255], 0x5A);
  EXPECT_EQ(wire.devices[1].target, 9);
  EXPECT_STREQ(wire.labels[0].text, "KESTREL U160 A at 02:04:00");
  EXPECT_EQ(wire.extendedFeatures, 1u);
  // An address means something only in the process of its own width.
  EXPECT_EQ(wire.devices[1].adapter, kWide ? 0u : 0x1234u);
  EXPECT_EQ(wire.labels[0].adapter, kWide ? 0u : 0x5678u);
  if (!kWide) {
    EXPECT_EQ(std::memcmp(bytes + 6, &a, sizeof a), 0);
  }
  const inv::HostAdapterInfo back = shx::adapterRecord(item.item);
  EXPECT_EQ(back.pciConfig[255], 0x5A);
  EXPECT_EQ(back.devices[1].target, 9);
  EXPECT_EQ(back.extendedFeatures, 1u);
  EXPECT_STREQ(back.labels[0].text, "KESTREL U160 A at 02:04:00");

  inv::DeviceInfo d = device(5, "CDR-48S         ", 5);
  d.adapter = 0x12345678;
  std::memset(&item, 0xEE, sizeof item);
  shx::makeDeviceItem(d, item);
  EXPECT_EQ(bytes[2], 0);
  inv::DeviceInfo32 wireDevice;
  std::memcpy(&wireDevice, bytes + 6, sizeof wireDevice);
  EXPECT_EQ(wireDevice.target, 5);
  EXPECT_STREQ(wireDevice.product, "CDR-48S         ");
  EXPECT_EQ(wireDevice.adapter, kWide ? 0u : 0x12345678u);
  // The spare part of the record area is cleared, so stored identifiers stay stable.
  for (size_t i = 6 + sizeof(inv::DeviceInfo32); i < sizeof item; ++i) ASSERT_EQ(bytes[i], 0) << i;
  EXPECT_EQ(shx::deviceType(item.item), 5);
  EXPECT_EQ(shx::deviceRecord(item.item).adapter, kWide ? 0u : 0x12345678u);
  EXPECT_STREQ(shx::deviceRecord(item.item).product, "CDR-48S         ");
}

// Records of either width become records of the other with every field but the
// addresses, which only the same width keeps.
TEST(ShellextItems, RecordsConvertBetweenTheWidths) {
  inv::HostAdapterInfo32 narrow = {};
  narrow.adapterNumber = 4;
  narrow.deviceCount = 2;
  std::strcpy(narrow.displayName, "Velmora Orlin OR21");
  narrow.devices[1].target = 6;
  narrow.devices[1].deviceType = 3;
  std::strcpy(narrow.devices[1].product, "ENCLOSURE SEP   ");
  narrow.devices[1].adapter = 0x00A10000;
  narrow.eepromImageSize = 512;
  narrow.eepromImage[511] = 0x77;
  narrow.model.familyLevel = 4;
  narrow.adapterCount = 5;
  std::strcpy(narrow.labels[14].text, "Velmora Orlin OR21   at 00:0E:00");
  narrow.labels[14].pciLocation[1] = 0x0E;
  narrow.labels[14].adapter = 0x00A10000;
  narrow.extendedFeatures = 1;

  inv::HostAdapterInfo64 wide;
  std::memset(&wide, 0xEE, sizeof wide);
  inv::convertAdapter(narrow, wide);
  EXPECT_EQ(wide.adapterNumber, 4);
  EXPECT_EQ(wide.deviceCount, 2);
  EXPECT_STREQ(wide.displayName, "Velmora Orlin OR21");
  EXPECT_EQ(wide.devices[1].target, 6);
  EXPECT_EQ(wide.devices[1].deviceType, 3);
  EXPECT_STREQ(wide.devices[1].product, "ENCLOSURE SEP   ");
  EXPECT_EQ(wide.devices[1].adapter, 0u);
  EXPECT_EQ(wide.eepromImageSize, 512u);
  EXPECT_EQ(wide.eepromImage[511], 0x77);
  EXPECT_EQ(wide.model.familyLevel, 4u);
  EXPECT_EQ(wide.adapterCount, 5);
  EXPECT_STREQ(wide.labels[14].text, "Velmora Orlin OR21   at 00:0E:00");
  EXPECT_EQ(wide.labels[14].pciLocation[1], 0x0E);
  EXPECT_EQ(wide.labels[14].adapter, 0u);
  EXPECT_EQ(wide.extendedFeatures, 1u);
  for (uint8_t b : wide.devices[1].reserved) EXPECT_EQ(b, 0);

  inv::HostAdapterInfo32 again;
  inv::convertAdapter(wide, again);
  narrow.devices[1].adapter = 0;
  narrow.labels[14].adapter = 0;
  EXPECT_EQ(std::memcmp(&again, &narrow, sizeof narrow), 0) << "all but the addresses survive";

  // The same width copies the record whole, addresses included.
  wide.labels[2].adapter = 0x7FFF12345678u;
  inv::HostAdapterInfo64 same;
  inv::convertAdapter(wide, same);
  EXPECT_EQ(std::memcmp(&same, &wide, sizeof wide), 0);
}

TEST(ShellextItems, WellFormedListsAreAcceptedWithTheirItems) {
  const std::vector<uint8_t> bytes = listOf({adapterItem(0, "A"), deviceItem(2, "D")});
  const ItemList list = ItemList::check(bytes.data(), bytes.size());
  ASSERT_TRUE(list.valid());
  EXPECT_EQ(list.count(), 2u);
  EXPECT_EQ(list.bytes(), 2u * 4774 + 2);
  EXPECT_EQ(list.last()->kind, shx::kKindDevice);
  EXPECT_EQ(list.from(1).count(), 1u);
  EXPECT_EQ(list.from(2).count(), 0u);
  // Without a limit, as the folder reads the shell's lists.
  EXPECT_EQ(ItemList::check(bytes.data()).count(), 2u);

  const ItemList none = ItemList::check(nullptr);
  EXPECT_TRUE(none.valid());
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(none.bytes(), 0u);
  const uint8_t terminator[2] = {0, 0};
  EXPECT_TRUE(ItemList::check(terminator, 2).valid());
  EXPECT_EQ(ItemList::check(terminator, 2).bytes(), 2u);
}

TEST(ShellextItems, MalformedListsAreRefusedWithoutReadingPastThem) {
  const std::vector<uint8_t> good = listOf({adapterItem(0, "A", 32), deviceItem(2, "D")});
  struct Case {
    const char* what;
    size_t offset;
    uint8_t value;
  } cases[] = {
      {"size one short", 0, 0xA5},           // 4773
      {"size of another folder's item", 1, 0x00},  // 0x00A6
      {"second size wrong", 4774, 0xA7},
      {"kind 2", 2, 2},
      {"kind with high bits", 5, 0x80},
      {"device count above the record's room", 6 + 116, 33},
      {"second kind 1 with device count above 32", 4774 + 2, 1},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = good;
    bytes[c.offset] = c.value;
    if (c.offset == 4774 + 2) bytes[4774 + 6 + 116] = 200;
    const ItemList list = ItemList::check(bytes.data(), bytes.size());
    EXPECT_FALSE(list.valid()) << c.what;
    EXPECT_EQ(list.count(), 0u) << c.what;
    EXPECT_EQ(list.first(), nullptr) << c.what;
  }
  // Truncated anywhere, also just before the terminator: refused within the bytes given.
  for (size_t size : {size_t{1}, size_t{2}, size_t{6}, size_t{4774}, size_t{4775}, good.size() - 1}) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(size));
    EXPECT_FALSE(ItemList::check(cut.data(), cut.size()).valid()) << size;
  }
}

TEST(ShellextItems, ForeignListsAreMeasuredByTheirSizeFieldsOnly) {
  // The shell's own items before ours (My Computer, the folder's root), of any size.
  std::vector<uint8_t> bytes = {20, 0};
  bytes.resize(20, 0x11);
  bytes.insert(bytes.end(), {3, 0, 0x22, 0, 0});
  EXPECT_EQ(shx::foreignListBytes(bytes.data(), bytes.size()), 25u);
  EXPECT_EQ(shx::foreignListBytes(bytes.data()), 25u);
  EXPECT_EQ(shx::foreignListBytes(nullptr), 0u);
  EXPECT_EQ(shx::foreignListBytes(bytes.data(), 24), 0u);  // terminator outside the limit
  bytes[20] = 1;                                            // a size that cannot hold itself
  EXPECT_EQ(shx::foreignListBytes(bytes.data(), bytes.size()), 0u);
  std::vector<uint8_t> endless(2 * 70 + 2, 0);
  for (size_t i = 0; i + 2 < endless.size(); i += 2) endless[i] = 2;
  EXPECT_EQ(shx::foreignListBytes(endless.data(), endless.size()), 0u);
}

TEST(ShellextItems, NamesAreTakenAsStoredAndPathsFitTheirBuffer) {
  EXPECT_EQ(shx::itemName(adapterItem(0, "KESTREL U160 A").item), "KESTREL U160 A");
  EXPECT_EQ(shx::itemName(deviceItem(0, "QX-18LVD        ").item), "QX-18LVD        ");
  // A product of 16 characters with no NUL in its field is read within the field.
  ItemAllocation full = deviceItem(0, "");
  std::memset(full.item.record + offsetof(inv::DeviceInfo, product), 'P', 17);
  EXPECT_EQ(shx::itemName(full.item), std::string(17, 'P'));

  const std::vector<uint8_t> bytes = listOf({adapterItem(0, "HA"), deviceItem(1, "DISK")});
  const ItemList list = ItemList::check(bytes.data(), bytes.size());
  EXPECT_EQ(shx::itemPath(list), "HA\\DISK");
  EXPECT_EQ(shx::itemPath(list.from(1)), "DISK");
  EXPECT_EQ(shx::itemPath(ItemList()), "");
  EXPECT_EQ(shx::itemPath(list, 8), "HA\\DISK");  // exactly fits with its terminator
  EXPECT_EQ(shx::itemPath(list, 7), "HA\\DIS");
  EXPECT_EQ(shx::itemPath(list, 1), "");
  EXPECT_EQ(shx::fitBuffer("abc", 0), "");
}

}  // namespace
