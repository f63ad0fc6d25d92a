// What the host adapter sheet shows, worked out from the adapter's inventory record.
// Platform-free: texts are string ids with the number they are filled with, and the PCI
// configuration header is turned into rows of (name, value text).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ha {

// A text of the string table and the number that fills its one placeholder.
struct NumberedText {
  uint16_t stringId;
  uint32_t number;
};

// The word of the alignment line: "byte", "word", "double-word" for masks 0, 1 and 3,
// else "%u-byte" with mask + 1. hasNumber tells whether the word takes the number.
struct AlignmentWord {
  uint16_t stringId;
  bool hasNumber;
  uint32_t number;
};
AlignmentWord alignmentWord(uint16_t mask);

// The maximum transfer line: KB up to 0xFFFF bytes (0 counts as 64 KB), MB above (at
// least 1).
NumberedText maximumTransfer(uint32_t length);

// adapterUnique fields.
uint16_t alignmentMask(const uint8_t* adapterUnique);
bool residualSupported(const uint8_t* adapterUnique);
uint32_t maximumTransferLength(const uint8_t* adapterUnique);

// The I/O port base of the first base address register, I/O-space bit cleared and only
// the low 16 bits kept; a memory base address gives 0 unless its low word is set.
uint32_t ioPortBase(const uint8_t* pciConfig);
uint8_t interruptLine(const uint8_t* pciConfig);

// ---- PCI configuration header ----

constexpr size_t kPciConfigSize = 256;

// One row of the PCI page: the field name (string id, filled with baseAddressIndex for
// the base address rows, else -1), its offset and width in bits.
struct PciField {
  uint16_t nameId;
  int8_t baseAddressIndex;
  uint8_t offset;
  uint8_t width;
};

// The 28 rows of the 64-byte common header, in the order shown.
const std::vector<PciField>& pciFields();

// The field's value read little-endian from the configuration space.
uint32_t pciValue(const uint8_t* pciConfig, const PciField& field);
// "%.2Xh", "%.4Xh" or "%.8Xh" by width, the value masked to it.
std::string pciValueText(uint32_t value, uint8_t width);

// A header whose Device ID and Sub-System ID are both 0 was not read.
bool pciConfigRead(const uint8_t* pciConfig);

}  // namespace ha
