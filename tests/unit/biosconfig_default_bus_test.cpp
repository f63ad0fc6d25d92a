// The simulator's built-in bus as the configuration pages read it: every adapter's
// block carries a valid checksum and values the pages can show, and together the
// adapters cover the families, BIOS generations and termination layouts.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "biosconfig/config_logic.h"
#include "inventory/model_table.h"
#include "simulator/bus_parser.h"

namespace {

using namespace bios;

struct Record {
  inv::HostAdapterInfo info = {};
};

TEST(BiosconfigDefaultBus, BlocksReadAsTheirFamiliesShowThem) {
  sim::ParseResult parsed = sim::parseBus(sim::defaultBusText(), sim::kDefaultBusName);
  ASSERT_TRUE(parsed.ok) << parsed.error;
  std::set<unsigned> families;
  std::set<int> generations;  // 0 below 3.00, 1 within 3.00-3.50, 2 above
  std::set<uint32_t> layouts, lvdChoices;
  bool newest = false, channelB = false, eightTargets = false, sixteenTargets = false;
  for (const sim::Adapter& a : parsed.bus.adapters) {
    inv::AdapterModelFinder finder;
    uint16_t device, subsystem;
    std::memcpy(&device, a.pci.data() + inv::pci::kDeviceId, 2);
    std::memcpy(&subsystem, a.pci.data() + inv::pci::kSubsystemId, 2);
    if (!finder.find(device, subsystem)) continue;
    const sim::Adapter& owner =
        a.eepromSharedWith >= 0 ? parsed.bus.adapters[a.eepromSharedWith] : a;
    Record r;
    finder.copyRow(r.info.model);
    r.info.pciFunction = a.unique[14];
    r.info.maxTargets = static_cast<uint8_t>(a.maxTargets());
    std::memcpy(r.info.eepromImage, owner.eeprom.data(), sizeof r.info.eepromImage);
    const EepromConfig& block = configBlock(r.info);
    const unsigned family = familyOf(r.info);
    SCOPED_TRACE(a.identifier + " function " + std::to_string(r.info.pciFunction));

    EXPECT_EQ(block.checksumWord, blockChecksum(block));
    EXPECT_EQ(block.hostIdByte & 0x0F, a.scsiId);
    EXPECT_EQ(allDeviceColumns(block), r.info.maxTargets);
    EXPECT_NE(hostIdIndex(r.info), -1);
    EXPECT_NE(bootTargetIndex(r.info), -1);
    EXPECT_NE(int13Index(block), -1);
    EXPECT_NE(removableIndex(block), -1);
    EXPECT_NE(postModeIndex(block, family), -1);
    for (int t = 0; t < allDeviceColumns(block); ++t) {
      EXPECT_NE(rateIndex(family, block.deviceWords[t]), -1) << "target " << t;
      EXPECT_NE(allDeviceRateText(family, block.deviceWords[t]), "0.0") << "target " << t;
    }
    const TerminationLayout t = terminationLayout(r.info);
    EXPECT_FALSE(t.unsupported);

    families.insert(family);
    generations.insert(block.biosVersionWord < 0x0300 ? 0 : hasBios3x(block) ? 1 : 2);
    layouts.insert(r.info.model.connectorLayout);
    lvdChoices.insert(r.info.model.lvdTerminationChoices);
    newest |= hasNewestLayout(block);
    channelB |= r.info.pciFunction != 0;
    eightTargets |= r.info.maxTargets == 8;
    sixteenTargets |= r.info.maxTargets == 16;
  }
  EXPECT_EQ(families, (std::set<unsigned>{1, 2, 3, 4}));
  EXPECT_EQ(generations, (std::set<int>{0, 1, 2}));
  EXPECT_EQ(layouts, (std::set<uint32_t>{0, 1}));
  EXPECT_EQ(lvdChoices, (std::set<uint32_t>{3, 5}));
  EXPECT_TRUE(newest);
  EXPECT_TRUE(channelB);
  EXPECT_TRUE(eightTargets);
  EXPECT_TRUE(sixteenTargets);
}

}  // namespace
