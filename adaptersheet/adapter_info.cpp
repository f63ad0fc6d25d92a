#include "adaptersheet/adapter_info.h"

#include <cstdio>

#include "adaptersheet/adaptersheet_res.h"
#include "scsi/bytes.h"

namespace ha {

AlignmentWord alignmentWord(uint16_t mask) {
  switch (mask) {
    case 0: return {IDS_HA_BYTE, false, 0};
    case 1: return {IDS_HA_WORD, false, 0};
    case 3: return {IDS_HA_DWORD, false, 0};
    default: return {IDS_HA_N_BYTE, true, uint32_t{mask} + 1};
  }
}

NumberedText maximumTransfer(uint32_t length) {
  if (length <= 0xFFFF) {
    uint32_t n = (length + 1) >> 10;
    if (n == 0) n = 64;
    return {IDS_HA_TRANSFER_KB, n};
  }
  // L + 1 wraps to 0 only for the full 4 GB. Lengths under a megabyte would read
  // "0 MB"; they count as one.
  uint32_t n = length == 0xFFFFFFFFu ? 4096 : (length + 1) >> 20;
  if (n == 0) n = 1;
  return {IDS_HA_TRANSFER_MB, n};
}

uint16_t alignmentMask(const uint8_t* adapterUnique) { return scsi::le16(adapterUnique); }
bool residualSupported(const uint8_t* adapterUnique) { return (adapterUnique[2] & 0x02) != 0; }
uint32_t maximumTransferLength(const uint8_t* adapterUnique) {
  return scsi::le32(adapterUnique + 4);
}

uint32_t ioPortBase(const uint8_t* pciConfig) { return scsi::le32(pciConfig + 0x10) & 0xFFFE; }
uint8_t interruptLine(const uint8_t* pciConfig) { return pciConfig[0x3C]; }

const std::vector<PciField>& pciFields() {
  static const std::vector<PciField> fields = [] {
    std::vector<PciField> rows = {
        {IDS_PCI_VENDOR_ID, -1, 0x00, 16},   {IDS_PCI_DEVICE_ID, -1, 0x02, 16},
        {IDS_PCI_COMMAND, -1, 0x04, 16},     {IDS_PCI_STATUS, -1, 0x06, 16},
        {IDS_PCI_REVISION_ID, -1, 0x08, 8},  {IDS_PCI_PROG_IF, -1, 0x09, 8},
        {IDS_PCI_SUB_CLASS, -1, 0x0A, 8},    {IDS_PCI_BASE_CLASS, -1, 0x0B, 8},
        {IDS_PCI_CACHE_LINE, -1, 0x0C, 8},   {IDS_PCI_LATENCY, -1, 0x0D, 8},
        {IDS_PCI_HEADER_TYPE, -1, 0x0E, 8},  {IDS_PCI_BIST, -1, 0x0F, 8},
    };
    for (int8_t n = 0; n < 6; ++n)
      rows.push_back({IDS_PCI_BASE_ADDRESS, n, static_cast<uint8_t>(0x10 + 4 * n), 32});
    const PciField rest[] = {
        {IDS_PCI_CIS, -1, 0x28, 32},          {IDS_PCI_SUB_VENDOR_ID, -1, 0x2C, 16},
        {IDS_PCI_SUB_SYSTEM_ID, -1, 0x2E, 16}, {IDS_PCI_ROM_BASE, -1, 0x30, 32},
        {IDS_PCI_RESERVED, -1, 0x34, 32},     {IDS_PCI_RESERVED, -1, 0x38, 32},
        {IDS_PCI_INTERRUPT_LINE, -1, 0x3C, 8}, {IDS_PCI_INTERRUPT_PIN, -1, 0x3D, 8},
        {IDS_PCI_MIN_GRANT, -1, 0x3E, 8},     {IDS_PCI_MAX_LATENCY, -1, 0x3F, 8},
    };
    rows.insert(rows.end(), std::begin(rest), std::end(rest));
    return rows;
  }();
  return fields;
}

uint32_t pciValue(const uint8_t* pciConfig, const PciField& field) {
  const uint8_t* at = pciConfig + field.offset;
  switch (field.width) {
    case 8: return at[0];
    case 16: return scsi::le16(at);
    default: return scsi::le32(at);
  }
}

std::string pciValueText(uint32_t value, uint8_t width) {
  char text[16];
  if (width == 8) std::snprintf(text, sizeof text, "%.2Xh", unsigned(value & 0xFF));
  else if (width == 16) std::snprintf(text, sizeof text, "%.4Xh", unsigned(value & 0xFFFF));
  else std::snprintf(text, sizeof text, "%.8Xh", unsigned(value));
  return text;
}

bool pciConfigRead(const uint8_t* pciConfig) {
  return scsi::le16(pciConfig + 0x02) != 0 || scsi::le16(pciConfig + 0x2E) != 0;
}

}  // namespace ha
