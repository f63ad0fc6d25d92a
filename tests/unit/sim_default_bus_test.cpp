// The built-in default bus: the compiled-in text is default.bus, and it holds what the
// rest of the suite relies on (identification pairs, PCI locations, the ESDI adapter,
// valid EEPROM blocks, the kinds of devices and pages).
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "scsi/bytes.h"
#include "simulator/bus_parser.h"
#include "simulator/device.h"
#include "simulator/simulator.h"

namespace {

class SimDefaultBus : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::ParseResult r = sim::parseBus(sim::defaultBusText(), sim::kDefaultBusName);
    ASSERT_TRUE(r.ok) << r.error;
    bus = std::move(r.bus);
  }
  sim::Bus bus;
};

TEST_F(SimDefaultBus, TheCompiledTextIsTheFile) {
  std::ifstream file(SIM_DEFAULT_BUS_FILE, std::ios::binary);
  ASSERT_TRUE(file);
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_EQ(text.str(), std::string(sim::defaultBusText()));
}

TEST_F(SimDefaultBus, AdaptersMatchTheIdentificationRows) {
  struct Row {
    uint16_t device, subsystem;
    uint8_t pciDevice, pciFunction, maxTargets;
    int port;
  };
  // Adapter 2 is the ESDI bridge, without PCI identity.
  const Row rows[] = {
      {0x5C40, 0x4C20, 0x0C, 0, 16, 0}, {0x5C40, 0x4C20, 0x0C, 1, 16, 1},
      {0x0000, 0x0000, 0x00, 0, 8, -1}, {0x5C31, 0x3110, 0x04, 0, 8, 2},
      {0x5C21, 0x2160, 0x0E, 0, 16, 3}, {0x5C10, 0x0001, 0x0F, 0, 8, 4},
  };
  ASSERT_EQ(bus.adapters.size(), std::size(rows));
  for (size_t i = 0; i < std::size(rows); ++i) {
    const sim::Adapter& a = bus.adapters[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(scsi::le16(a.pci.data() + 2), rows[i].device);
    EXPECT_EQ(scsi::le16(a.pci.data() + 0x2E), rows[i].subsystem);
    EXPECT_EQ(a.maxTargets(), rows[i].maxTargets);
    EXPECT_EQ(a.port, rows[i].port);
    EXPECT_EQ(a.scsiId, 7);
    EXPECT_LE(a.identifier.size(), 15u) << "fits the inventory's copy with its NUL";
    if (i == 2) {
      EXPECT_NE(a.identifier.find("ESDI"), std::string::npos);
      EXPECT_NE(a.unique[15], 0x81);
      continue;
    }
    EXPECT_EQ(a.identifier.find("ESDI"), std::string::npos);
    EXPECT_EQ(scsi::le16(a.pci.data()), 0x1D5A);
    EXPECT_EQ(a.unique[15], 0x81);
    EXPECT_EQ(a.unique[13], rows[i].pciDevice);
    EXPECT_EQ(a.unique[14], rows[i].pciFunction);
    EXPECT_EQ(a.pci[0x10] & 1, 1) << "base address register 0 is an I/O range";
  }
  EXPECT_EQ(bus.adapters[3].unique[3], 0) << "0 means 8 targets";
  EXPECT_EQ(bus.adapters[0].portDriver, "kestrdrv");
  EXPECT_EQ(bus.adapters[1].eepromSharedWith, 0);
  EXPECT_NE(sim::ioAddressOf(bus.adapters[0]), sim::ioAddressOf(bus.adapters[1]));
}

TEST_F(SimDefaultBus, EepromBlocksCarryValidChecksums) {
  for (size_t offset : {0u, 64u}) {
    const uint8_t* block = bus.adapters[0].eeprom.data() + offset;
    uint16_t sum = 0;
    for (int w = 0; w < 31; ++w) sum = static_cast<uint16_t>(sum + scsi::le16(block + 2 * w));
    EXPECT_EQ(scsi::le16(block + 62), sum) << offset;
    EXPECT_GE(scsi::le16(block + 60), 0x0400) << "the newest layout";
    EXPECT_EQ(block[36] & 0x0F, 7) << "the adapter's own ID";
  }
}

TEST_F(SimDefaultBus, DevicesOfEveryKindAndDisksWithPagesAndDefects) {
  std::set<int> types;
  int disks = 0, writeCacheOffByDefault = 0, pending = 0, immediate = 0;
  sim::Simulator s;
  ASSERT_TRUE(s.load(sim::defaultBusText(), "default.bus"));
  for (size_t i = 0; i < bus.adapters.size(); ++i) {
    for (const sim::Device& d : bus.adapters[i].devices) {
      types.insert(d.inquiry[0] & 0x1F);
      (d.completion == sim::Completion::Pending ? pending : immediate)++;
      if ((d.inquiry[0] & 0x1F) != 0 || i == 2) continue;
      ++disks;
      EXPECT_TRUE(d.hasCapacity);
      for (const sim::ModePage& p : d.pages) {
        if (p.code == 0x08 && !(p.defaults[2] & 0x04)) ++writeCacheOffByDefault;
      }
    }
  }
  for (int type : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}) EXPECT_TRUE(types.count(type)) << type;
  EXPECT_GE(disks, 6);
  EXPECT_GE(writeCacheOffByDefault, 1);
  EXPECT_GT(pending, 0);
  EXPECT_GT(immediate, 0);

  // The first disk has the six pages the Mode Parameters page offers, and defect lists.
  const sim::Device& disk = bus.adapters[0].devices[0];
  for (uint8_t code : std::initializer_list<uint8_t>{0x08, 0x02, 0x0A, 0x01, 0x04, 0x1C}) {
    EXPECT_FALSE(sim::modeSenseData(disk, code, 0, false).empty()) << int(code);
  }
  EXPECT_FALSE(disk.primary.empty());
  EXPECT_FALSE(disk.grown.empty());
  EXPECT_EQ(disk.rate.tenthsMBps, 1600u);
  EXPECT_TRUE(disk.rate.doubled);
}

}  // namespace
