// What the adapter sheet's pages work out from the inventory record: the General page's
// texts and the rows of the PCI configuration header.
#include <gtest/gtest.h>

#include <cstring>

#include "adaptersheet/adapter_info.h"
#include "adaptersheet/adaptersheet_res.h"

namespace {

TEST(AdaptersheetInfo, AlignmentWords) {
  EXPECT_EQ(ha::alignmentWord(0).stringId, IDS_HA_BYTE);
  EXPECT_EQ(ha::alignmentWord(1).stringId, IDS_HA_WORD);
  EXPECT_EQ(ha::alignmentWord(3).stringId, IDS_HA_DWORD);
  EXPECT_FALSE(ha::alignmentWord(3).hasNumber);
  for (uint16_t mask : {uint16_t{2}, uint16_t{7}, uint16_t{0xFFFF}}) {
    const ha::AlignmentWord word = ha::alignmentWord(mask);
    EXPECT_EQ(word.stringId, IDS_HA_N_BYTE) << mask;
    EXPECT_TRUE(word.hasNumber);
    EXPECT_EQ(word.number, uint32_t{mask} + 1) << mask;  // 0xFFFF gives 65536, no wrap
  }
}

TEST(AdaptersheetInfo, MaximumTransfer) {
  struct Case {
    uint32_t length;
    uint16_t id;
    uint32_t n;
  } cases[] = {
      {0, IDS_HA_TRANSFER_KB, 64},           {0xFFFF, IDS_HA_TRANSFER_KB, 64},
      {0x3FF, IDS_HA_TRANSFER_KB, 1},        {0x7FFF, IDS_HA_TRANSFER_KB, 32},
      {0x10000, IDS_HA_TRANSFER_MB, 1},      {0xFFFFE, IDS_HA_TRANSFER_MB, 1},
      {0xFFFFF, IDS_HA_TRANSFER_MB, 1},      {0x1FFFFF, IDS_HA_TRANSFER_MB, 2},
      {0x00FFFFFF, IDS_HA_TRANSFER_MB, 16},  {0xFFFFFFFF, IDS_HA_TRANSFER_MB, 4096},
  };
  for (const Case& c : cases) {
    const ha::NumberedText text = ha::maximumTransfer(c.length);
    EXPECT_EQ(text.stringId, c.id) << std::hex << c.length;
    EXPECT_EQ(text.number, c.n) << std::hex << c.length;
  }
}

TEST(AdaptersheetInfo, AdapterUniqueFields) {
  const uint8_t unique[16] = {0x03, 0x00, 0x02, 0x10, 0x00, 0x00, 0x00, 0x01};
  EXPECT_EQ(ha::alignmentMask(unique), 3);
  EXPECT_TRUE(ha::residualSupported(unique));
  EXPECT_EQ(ha::maximumTransferLength(unique), 0x01000000u);
  const uint8_t other[16] = {0x07, 0x01, 0xFD};
  EXPECT_EQ(ha::alignmentMask(other), 0x107);
  EXPECT_FALSE(ha::residualSupported(other));  // every flag but bit 1
}

TEST(AdaptersheetInfo, IoPortAndInterrupt) {
  uint8_t config[256] = {};
  const uint8_t io[4] = {0x01, 0xE8, 0x00, 0x00};
  std::memcpy(config + 0x10, io, 4);
  config[0x3C] = 0x0B;
  EXPECT_EQ(ha::ioPortBase(config), 0xE800u);
  EXPECT_EQ(ha::interruptLine(config), 0x0B);
  const uint8_t memory[4] = {0x00, 0x00, 0xBF, 0xFE};  // 0xFEBF0000
  std::memcpy(config + 0x10, memory, 4);
  EXPECT_EQ(ha::ioPortBase(config), 0u);
}

TEST(AdaptersheetInfo, PciRowsInOrder) {
  const auto& fields = ha::pciFields();
  ASSERT_EQ(fields.size(), 28u);
  EXPECT_EQ(fields[0].nameId, IDS_PCI_VENDOR_ID);
  EXPECT_EQ(fields[11].nameId, IDS_PCI_BIST);
  for (int n = 0; n < 6; ++n) {
    EXPECT_EQ(fields[12 + n].nameId, IDS_PCI_BASE_ADDRESS);
    EXPECT_EQ(fields[12 + n].baseAddressIndex, n);
    EXPECT_EQ(fields[12 + n].offset, 0x10 + 4 * n);
    EXPECT_EQ(fields[12 + n].width, 32);
  }
  // Both reserved double words under one name.
  EXPECT_EQ(fields[22].nameId, IDS_PCI_RESERVED);
  EXPECT_EQ(fields[22].offset, 0x34);
  EXPECT_EQ(fields[23].nameId, IDS_PCI_RESERVED);
  EXPECT_EQ(fields[23].offset, 0x38);
  EXPECT_EQ(fields[27].nameId, IDS_PCI_MAX_LATENCY);
  EXPECT_EQ(fields[27].offset, 0x3F);
  // The rows cover the 64-byte header exactly once, in offset order.
  unsigned next = 0;
  for (const ha::PciField& f : fields) {
    EXPECT_EQ(f.offset, next) << f.nameId;
    next += f.width / 8;
  }
  EXPECT_EQ(next, 64u);
}

TEST(AdaptersheetInfo, PciValuesAndTexts) {
  uint8_t config[256] = {};
  const uint8_t header[] = {0x34, 0x12, 0x40, 0x5C, 0x17, 0x01, 0xB0, 0x02, 0x01};
  std::memcpy(config, header, sizeof header);
  config[0x10] = 0x01;
  config[0x11] = 0xE8;
  const auto& fields = ha::pciFields();
  EXPECT_EQ(ha::pciValueText(ha::pciValue(config, fields[0]), 16), "1234h");
  EXPECT_EQ(ha::pciValueText(ha::pciValue(config, fields[1]), 16), "5C40h");
  EXPECT_EQ(ha::pciValueText(ha::pciValue(config, fields[4]), 8), "01h");
  EXPECT_EQ(ha::pciValueText(ha::pciValue(config, fields[12]), 32), "0000E801h");
  // Values are masked to the width of their text.
  EXPECT_EQ(ha::pciValueText(0x1234ABCD, 8), "CDh");
  EXPECT_EQ(ha::pciValueText(0x1234ABCD, 16), "ABCDh");
  EXPECT_EQ(ha::pciValueText(0xFFFFFFFF, 32), "FFFFFFFFh");
}

TEST(AdaptersheetInfo, ConfigurationReadUnlessDeviceAndSubsystemAreZero) {
  uint8_t config[256] = {};
  EXPECT_FALSE(ha::pciConfigRead(config));
  config[0x00] = 0x5A;  // a vendor alone does not count
  EXPECT_FALSE(ha::pciConfigRead(config));
  config[0x2F] = 0x4C;  // Device ID 0, Sub-System ID set
  EXPECT_TRUE(ha::pciConfigRead(config));
  config[0x2F] = 0;
  config[0x03] = 0x5C;
  EXPECT_TRUE(ha::pciConfigRead(config));
}

}  // namespace
