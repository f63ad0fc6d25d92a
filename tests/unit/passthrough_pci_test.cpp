// The PCI configuration header made from what Windows tells of an adapter: its device
// IDs, its assigned resources and its bus location.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "passthrough/pci_header.h"
#include "scsi/bytes.h"

namespace {

const std::vector<std::string> kSasIds = {
    "PCI\\VEN_1F2C&DEV_0097&SUBSYS_30901F2C&REV_02", "PCI\\VEN_1F2C&DEV_0097&SUBSYS_30901F2C",
    "PCI\\VEN_1F2C&DEV_0097&CC_010700",             "PCI\\VEN_1F2C&DEV_0097&CC_0107",
    "PCI\\VEN_1F2C&DEV_0097&REV_02",                "PCI\\CC_0107"};

TEST(PassthroughPci, IdentityFromTheDeviceIds) {
  const pt::PciIdentity id = pt::readPciIds(kSasIds);
  EXPECT_TRUE(id.isPci);
  EXPECT_EQ(id.vendor, 0x1F2C);
  EXPECT_EQ(id.device, 0x0097);
  EXPECT_EQ(id.subsystem, 0x3090);
  EXPECT_EQ(id.subsystemVendor, 0x1F2C);
  EXPECT_EQ(id.revision, 0x02);
  EXPECT_EQ(id.baseClass, 0x01);
  EXPECT_EQ(id.subClass, 0x07);
  EXPECT_EQ(id.progIf, 0x00);

  // Lower case, a class code of four digits only, malformed fields skipped for later IDs.
  const pt::PciIdentity other = pt::readPciIds(
      {"USB\\VID_1E4F&PID_6003", "pci\\ven_12g4&dev_123&subsys_0001&rev_1",
       "pci\\ven_8a0b&dev_c0de&rev_7f", "PCI\\VEN_FFFF&DEV_0000&CC_0106&SUBSYS_00000000"});
  EXPECT_EQ(other.vendor, 0x8A0B);
  EXPECT_EQ(other.device, 0xC0DE);
  EXPECT_EQ(other.revision, 0x7F);
  EXPECT_EQ(other.subsystem, 0);
  EXPECT_EQ(other.baseClass, 0x01);
  EXPECT_EQ(other.subClass, 0x06);
  EXPECT_EQ(other.progIf, 0x00);

  EXPECT_FALSE(pt::readPciIds({"USB\\VID_1E4F&PID_6003", "PCIX\\VEN_1000"}).isPci);
}

TEST(PassthroughPci, HeaderHoldsWhatWindowsTellsAndZeroElsewhere) {
  using R = pt::Resource;
  const std::vector<R> resources = {
      {R::Kind::Io, 0xE000, false},
      {R::Kind::Interrupt, 0xFFFFFFFE, false},  // message-signalled
      {R::Kind::Memory, 0xDF240000, false},
      {R::Kind::Memory, 0x3810000000ull, true},  // above 4 GB: two registers
      {R::Kind::Interrupt, 16, false},
      {R::Kind::Interrupt, 17, false},
  };
  const pt::PciConfig c = pt::buildPciHeader(pt::readPciIds(kSasIds), resources);
  pt::PciConfig expected{};
  const uint8_t head[] = {0x2C, 0x1F, 0x97, 0x00, 0, 0, 0, 0, 0x02, 0x00, 0x07, 0x01};
  std::copy(std::begin(head), std::end(head), expected.begin());
  scsi::putLe32(&expected[0x10], 0x0000E001);
  scsi::putLe32(&expected[0x14], 0xDF240000);
  scsi::putLe32(&expected[0x18], 0x1000000C);  // 64-bit, prefetchable
  scsi::putLe32(&expected[0x1C], 0x00000038);
  scsi::putLe16(&expected[0x2C], 0x1F2C);
  scsi::putLe16(&expected[0x2E], 0x3090);
  expected[0x3C] = 16;
  EXPECT_EQ(c, expected);

  // Not a PCI device: nothing at all.
  EXPECT_EQ(pt::buildPciHeader(pt::readPciIds({"USB\\VID_1E4F&PID_6003"}), resources), pt::PciConfig{});
}

TEST(PassthroughPci, SixBaseAddressRegistersAtMost) {
  using R = pt::Resource;
  std::vector<R> resources;
  for (int i = 0; i < 5; ++i) resources.push_back({R::Kind::Memory, 0xF0000000u + 0x1000u * i, false});
  resources.push_back({R::Kind::Memory, 0x100000000ull, false});  // needs two, one is left
  resources.push_back({R::Kind::Io, 0xD000, false});              // takes the last
  resources.push_back({R::Kind::Io, 0xC000, false});              // no room
  const pt::PciConfig c = pt::buildPciHeader(pt::readPciIds(kSasIds), resources);
  EXPECT_EQ(scsi::le32(&c[0x20]), 0xF0004000u);
  EXPECT_EQ(scsi::le32(&c[0x24]), 0x0000D001u);
  EXPECT_EQ(scsi::le32(&c[0x28]), 0u);  // CIS pointer untouched
}

TEST(PassthroughPci, BusLocationOfPciFunctionsOnly) {
  pt::PciLocation l = pt::pciLocation("PCI", true, 3, 0x00170002);
  EXPECT_TRUE(l.known);
  EXPECT_EQ(l.bus, 3);
  EXPECT_EQ(l.device, 0x17);
  EXPECT_EQ(l.function, 2);
  EXPECT_TRUE(pt::pciLocation("pci", true, 0, 0).known);
  EXPECT_FALSE(pt::pciLocation("USB", true, 0, 4).known);
  EXPECT_FALSE(pt::pciLocation("PCI", false, 3, 0).known);
  EXPECT_FALSE(pt::pciLocation("PCI", true, 256, 0).known);
  EXPECT_FALSE(pt::pciLocation("PCI", true, 0, 0x00200000).known);  // device 32
  EXPECT_FALSE(pt::pciLocation("PCI", true, 0, 0x00000008).known);  // function 8
}

}  // namespace
