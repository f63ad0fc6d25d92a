// The identification table's shape, walked rather than restated, and its lookup.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "inventory/device_types.h"
#include "inventory/model_table.h"

namespace {

using inv::AdapterModel;
using inv::AdapterModelTable;
using inv::kAdapterModelRows;

// A row that can never match: its key is an earlier row's, or an earlier wildcard row
// already covers its device ID.
bool isShadowed(int i) {
  const AdapterModel& row = AdapterModelTable[i];
  for (int j = 0; j < i; ++j) {
    const AdapterModel& earlier = AdapterModelTable[j];
    if (earlier.pciDeviceId != row.pciDeviceId) continue;
    if (earlier.pciSubsystemId == row.pciSubsystemId || earlier.pciSubsystemId == 0xFFFF)
      return true;
  }
  return false;
}

TEST(AdapterModelTable, HasTheFamiliesChannelsWildcardsAndShadowedRowsOfItsShape) {
  int channels[5] = {};
  int wildcards = 0, shadowed = 0;
  for (int i = 0; i < kAdapterModelRows; ++i) {
    const AdapterModel& row = AdapterModelTable[i];
    SCOPED_TRACE(row.modelName);
    uint32_t family = i <= 5 ? 4 : i <= 12 ? 3 : i <= 19 ? 2 : 1;
    EXPECT_EQ(row.familyLevel, family);
    ASSERT_LE(row.channelCount, 4u);
    ++channels[row.channelCount];
    if (row.pciSubsystemId == 0xFFFF) {
      ++wildcards;
      EXPECT_EQ(row.familyLevel, 1u);
    }
    if (isShadowed(i)) ++shadowed;
    // Names fit the display name with a channel suffix, and the end marker stays unique.
    size_t length = strnlen(row.modelName, sizeof row.modelName);
    EXPECT_GT(length, 0u);
    EXPECT_LE(length + 2, 63u);
    EXPECT_EQ(std::string(row.modelName).rfind("Velmora ", 0), 0u);
    // The Bus Interface page offers two connectors only on one-channel cards.
    if (row.connectorLayout == 1) {
      EXPECT_EQ(row.channelCount, 1u);
    }
    EXPECT_TRUE(row.lvdTerminationChoices == 3 || row.lvdTerminationChoices == 5);
    EXPECT_TRUE(row.seTerminationChoices == 3 || row.seTerminationChoices == 5);
    EXPECT_TRUE(std::all_of(row.reserved, row.reserved + 20, [](uint8_t b) { return !b; }));
  }
  EXPECT_EQ(channels[2], 19);
  EXPECT_EQ(channels[1], 16);
  EXPECT_EQ(channels[4], 2);
  EXPECT_EQ(wildcards, 7);
  EXPECT_EQ(shadowed, 6);
  AdapterModel zero{};
  EXPECT_EQ(std::memcmp(&AdapterModelTable[kAdapterModelRows], &zero, sizeof zero), 0);
}

TEST(AdapterModelFinder, FirstMatchingRowWinsAndWildcardsCatchTheRest) {
  inv::AdapterModelFinder finder;
  EXPECT_EQ(finder.rowIndex, 37);
  struct Case {
    uint16_t device, subsystem;
    int row;  // -1: no match
  } cases[] = {
      {0x5C40, 0x4C20, 0},   // row 5 repeats this key
      {0x5C31, 0x3110, 6},   // rows 11 repeats it
      {0x5C32, 0x3120, 7},   // row 12 repeats it under another name
      {0x5C10, 0x1010, 20},  // the wildcard row comes first
      {0x5C10, 0x0001, 20},
      {0x5C14, 0x1412, 24},  // a specific row before the device's wildcard
      {0x5C14, 0x7777, 34},  // the device's wildcard, listed later
      {0x5C40, 0x4C21, -1},  // a listed device with another subsystem and no wildcard
      {0x5C40, 0xFFFF, -1},  // the wildcard is a row value, not a key
      {0x0000, 0x0000, -1},  // PCI space that could not be read
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.device << "/" << c.subsystem);
    EXPECT_EQ(finder.find(c.device, c.subsystem), c.row >= 0);
    EXPECT_EQ(finder.rowIndex, c.row >= 0 ? c.row : 37);
  }
  AdapterModel copy;
  std::memset(&copy, 0xAA, sizeof copy);
  finder.copyRow(copy);  // after the failed lookup: the end row
  AdapterModel zero{};
  EXPECT_EQ(std::memcmp(&copy, &zero, sizeof copy), 0);
  ASSERT_TRUE(finder.find(0x5C21, 0x2160));
  finder.copyRow(copy);
  EXPECT_EQ(std::memcmp(&copy, &AdapterModelTable[13], sizeof copy), 0);
}

TEST(AdapterModelFinder, SimulatedDefaultBusCoversFamiliesLayoutsAndTerminationCounts) {
  struct Card {
    uint16_t device, subsystem;
    uint32_t family, channels;
  } cards[] = {{0x5C40, 0x4C20, 4, 2}, {0x5C31, 0x3110, 3, 1}, {0x5C21, 0x2160, 2, 1},
               {0x5C10, 0x0001, 1, 1}};
  bool layout[2] = {}, choices3 = false, choices5 = false;
  for (const Card& card : cards) {
    inv::AdapterModelFinder finder;
    ASSERT_TRUE(finder.find(card.device, card.subsystem));
    const AdapterModel& row = AdapterModelTable[finder.rowIndex];
    EXPECT_EQ(row.familyLevel, card.family);
    EXPECT_EQ(row.channelCount, card.channels);
    layout[row.connectorLayout] = true;
    for (uint32_t n : {row.lvdTerminationChoices, row.seTerminationChoices}) {
      choices3 |= n == 3;
      choices5 |= n == 5;
    }
  }
  EXPECT_TRUE(layout[0] && layout[1]);
  EXPECT_TRUE(choices3 && choices5);
}

TEST(DeviceTypes, SharedAndFallbackIcons) {
  EXPECT_EQ(inv::deviceTypeIcon(4), inv::deviceTypeIcon(5));
  EXPECT_EQ(inv::deviceTypeName(11), inv::deviceTypeName(10));
  EXPECT_EQ(inv::deviceTypeIcon(11), 145u);  // the host adapter's icon
  for (unsigned other : {12u, 0x1Fu, 256u}) {
    EXPECT_EQ(inv::deviceTypeName(other), 32872u);
    EXPECT_EQ(inv::deviceTypeIcon(other), 166u);
  }
}

}  // namespace
