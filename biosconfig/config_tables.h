// The bit layout of the configuration block by hardware family, the termination choices,
// the transfer rate lists and code <-> text tables, and the Advanced page's combo codes.
// Each table is one constexpr array that the code in config_logic.cpp walks; families
// 1-3 share one device word layout, family 4 has its own.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bios {

// ---- device words ----

struct DeviceBits {
  uint16_t wide;
  uint16_t disconnect;
  uint16_t startUnit;
  uint16_t packetized;      // 0: the family has none
  uint16_t quickArbitrate;  // 0: the family has none
  uint16_t biosScan;
  uint16_t multipleLun;
  uint16_t writeBackMask;   // 0: not shown
};

constexpr DeviceBits kDeviceBits13 = {1u << 5, 1u << 4, 1u << 8, 0, 0, 1u << 9, 1u << 11, 0xC000};
constexpr DeviceBits kDeviceBits4 = {1u << 12, 1u << 10, 1u << 8, 1u << 7, 1u << 6, 1u << 9,
                                     1u << 11, 0};

// Families 1-3: bit 3 set = synchronous; RateCode = bits 0-2 + 8 x bit 6 + 16 x bit 7.
constexpr uint16_t kSyncBit = 1u << 3;
constexpr uint16_t kRateCodeLowMask = 0x0007;
constexpr uint16_t kRateCodeBit3 = 1u << 6;
constexpr uint16_t kRateCodeBit4 = 1u << 7;
// Family 4: PeriodFactor = bits 0-5.
constexpr uint16_t kPeriodFactorMask = 0x003F;
constexpr uint8_t kPeriodAsync = 63;
// Code written when a rate text cannot be interpreted.
constexpr uint8_t kUninterpretedRateCode = 0x3F;

// Write-back cache, bits 14-15 (families 1-3).
constexpr uint16_t kWriteBackDisabled = 0x0000;
constexpr uint16_t kWriteBackEnabled = 0x4000;
constexpr uint16_t kWriteBackNoChange = 0xC000;

// ---- biosControl ----

constexpr uint16_t kRemovableMask = 0x0003;       // bits 0-1
constexpr uint16_t kInt13Mask = 0x000C;           // bits 2-3
constexpr uint16_t kInt13Enabled = 0x0004;        // 01
constexpr uint16_t kBiosDomainValidation4 = 1u << 4;
constexpr uint16_t kBiosCtrlAMessage = 1u << 5;
constexpr uint16_t kBiosParity4 = 1u << 6;
constexpr uint16_t kBiosExtendedTranslation = 1u << 7;
constexpr uint16_t kBiosBootCdRom4 = 1u << 8;
constexpr uint16_t kPostModeMask = 0x0600;        // bits 9-10
constexpr unsigned kPostModeShift = 9;
constexpr uint16_t kBiosBit11 = 1u << 11;         // family 4: bus reset; 1-3: bootable CD-ROM
constexpr uint16_t kBiosInt13Extensions = 1u << 12;

// ---- adapterControl (families 1-3) ----

constexpr uint16_t kAdapterParity13 = 1u << 4;
constexpr uint16_t kAdapterBusReset13 = 1u << 6;
constexpr uint16_t kAdapterDomainValidation13 = 1u << 14;

// ---- termination ----

// Combo items by choice count: string ids.
constexpr unsigned kThreeChoiceItems[] = {123, 32893, 32894};
constexpr unsigned kFiveChoiceItems[] = {123, 125, 126, 127};

struct TerminationRead {
  uint16_t bits;  // adapterControl AND the scheme's mask
  int index;
};

// One connector's encoding for one choice count: reading maps the masked bits to an item
// (anything not listed is item 0); writing replaces the masked bits with the item's.
struct TerminationScheme {
  uint32_t choices;
  uint16_t mask;
  const TerminationRead* reads;
  size_t readCount;
  const uint16_t* writes;  // by item
  size_t writeCount;
};

constexpr TerminationRead kLvd3Reads13[] = {{0x0008, 2}, {0x000C, 1}};
constexpr TerminationRead kLvd5Reads13[] = {{0x0000, 2}, {0x0008, 3}, {0x000C, 1}};
constexpr uint16_t kLvd3Writes13[] = {0x200D, 0x000C, 0x0008};
constexpr uint16_t kLvd5Writes13[] = {0x200D, 0x000C, 0x0000, 0x0008};

// Family 4 keeps its LVD/SE termination in bits 0-2 and 7; each item is written as bits
// its reading gives back as that item.
constexpr TerminationRead kLvd3Reads4[] = {{0x0004, 2}, {0x0005, 1}};
constexpr TerminationRead kLvd5Reads4[] = {{0x0000, 2}, {0x0004, 3}, {0x0006, 1}};
constexpr uint16_t kLvd3Writes4[] = {0x0007, 0x0005, 0x0004};
constexpr uint16_t kLvd5Writes4[] = {0x0007, 0x0006, 0x0000, 0x0004};

constexpr TerminationRead kSe3Reads[] = {{0x1000, 2}, {0x1800, 1}};
constexpr TerminationRead kSe5Reads[] = {{0x0000, 2}, {0x1000, 3}, {0x1800, 1}};
constexpr uint16_t kSe3Writes[] = {0x1C00, 0x1800, 0x1000};
constexpr uint16_t kSe5Writes[] = {0x1C00, 0x1800, 0x0000, 0x1000};

#define BIOS_SCHEME(choices, mask, reads, writes) \
  TerminationScheme { choices, mask, reads, sizeof(reads) / sizeof(reads[0]), writes, \
                      sizeof(writes) / sizeof(writes[0]) }
constexpr TerminationScheme kLvdSchemes13[] = {BIOS_SCHEME(3, 0x200D, kLvd3Reads13, kLvd3Writes13),
                                               BIOS_SCHEME(5, 0x200D, kLvd5Reads13, kLvd5Writes13)};
constexpr TerminationScheme kLvdSchemes4[] = {BIOS_SCHEME(3, 0x0087, kLvd3Reads4, kLvd3Writes4),
                                              BIOS_SCHEME(5, 0x0087, kLvd5Reads4, kLvd5Writes4)};
constexpr TerminationScheme kSeSchemes[] = {BIOS_SCHEME(3, 0x1C00, kSe3Reads, kSe3Writes),
                                            BIOS_SCHEME(5, 0x1C00, kSe5Reads, kSe5Writes)};
#undef BIOS_SCHEME

// ---- transfer rates ----

constexpr const char* kAsyncText = "Asyn";   // string 32965, the last item of every list
constexpr const char* kUnknownRateText = "0.0";

struct RateList {
  unsigned family;
  bool wide;
  const char* const* items;  // without the closing "Asyn"
  size_t count;
};

constexpr const char* kFamily1Narrow[] = {"5.0", "6.7", "8.0", "10.0", "13.4", "16.0", "20.0 (*)"};
constexpr const char* kFamily1Wide[] = {"10.0", "13.4", "16.0", "20.0", "26.8", "32.0", "40.0 (*)"};
// No narrow code stands for 32 MB/s on families 2 and 3, so their narrow lists go
// without it: a choice the block cannot hold would read back as another rate.
constexpr const char* kFamily23Narrow[] = {"5.0",  "6.7",  "8.0",  "10.0",    "13.4",
                                           "16.0", "20.0", "26.8", "40.0 (*)"};
constexpr const char* kFamily2Wide[] = {"10.0", "13.4", "16.0", "20.0", "26.8",
                                        "32.0", "40.0", "53.4", "80.0 (*)"};
constexpr const char* kFamily3Wide[] = {"10.0", "13.4", "16.0", "20.0", "26.8",
                                        "32.0", "40.0", "53.4", "80.0", "160.0 (*)"};
constexpr const char* kFamily4Narrow[] = {"40.0 (*)", "33.3", "20.0", "16.6", "10.0", "5.0"};
constexpr const char* kFamily4Wide[] = {"320 (*)", "160", "80.0", "66.6",
                                        "40.0",    "33.3", "20.0", "10.0"};

#define BIOS_LIST(family, wide, items) \
  RateList { family, wide, items, sizeof(items) / sizeof(items[0]) }
constexpr RateList kRateLists[] = {
    BIOS_LIST(1, false, kFamily1Narrow), BIOS_LIST(1, true, kFamily1Wide),
    BIOS_LIST(2, false, kFamily23Narrow), BIOS_LIST(2, true, kFamily2Wide),
    BIOS_LIST(3, false, kFamily23Narrow), BIOS_LIST(3, true, kFamily3Wide),
    BIOS_LIST(4, false, kFamily4Narrow), BIOS_LIST(4, true, kFamily4Wide),
};
#undef BIOS_LIST
constexpr size_t kMaxRateItems = 15;

// Families 1-3: RateCode to text. Family 1 looks up RateCode AND 0x0F.
struct RateText {
  uint8_t code;
  const char* wide;
  const char* narrow;
};

constexpr RateText kFamily1Texts[] = {
    {1, "16.0", "8.0"},   {2, "13.4", "6.7"},   {4, "10.0", "5.0"},  {8, "40.0", "20.0"},
    {9, "32.0", "16.0"},  {10, "26.8", "13.4"}, {12, "20.0", "10.0"}};
constexpr RateText kFamily2Texts[] = {
    {19, "80.0", "40.0"}, {20, "53.4", "26.8"}, {21, "40.0", "20.0"}, {22, "32.0", "16.0"},
    {23, "26.8", "13.4"}, {24, "20.0", "10.0"}, {25, "16.0", "8.0"},  {26, "13.4", "6.7"},
    {28, "10.0", "5.0"}};
constexpr RateText kFamily3Texts[] = {
    {2, "160", "40.0"},   {19, "80.0", "40.0"}, {20, "53.4", "26.8"}, {21, "40.0", "20.0"},
    {22, "32.0", "16.0"}, {23, "26.8", "13.4"}, {24, "20.0", "10.0"}, {25, "16.0", "8.0"},
    {26, "13.4", "6.7"},  {28, "10.0", "5.0"}};

// Families 1-3: a list item's text to RateCode. Keys are tried in order; the first the
// text contains decides ("40.0 (*)" contains "40.0").
struct RateKey {
  const char* key;
  uint8_t wide;
  uint8_t narrow;
};

constexpr RateKey kFamily1Keys[] = {
    {"40.0", 8, 8},  {"32.0", 9, 9}, {"26.8", 10, 10}, {"20.0", 12, 8}, {"16.0", 1, 9},
    {"13.4", 2, 10}, {"10.0", 4, 12}, {"8.0", 1, 1},   {"6.7", 2, 2},   {"5.0", 4, 4}};
constexpr RateKey kFamily2Keys[] = {
    {"80.0", 19, 19}, {"53.4", 20, 20}, {"40.0", 21, 19}, {"32.0", 22, 22},
    {"26.8", 23, 20}, {"20.0", 24, 21}, {"16.0", 25, 22}, {"13.4", 26, 23},
    {"10.0", 28, 24}, {"8.0", 25, 25},  {"6.7", 26, 26},  {"5.0", 28, 28}};
constexpr RateKey kFamily3Keys[] = {
    {"160", 2, 2},    {"80", 19, 19},   {"53.4", 20, 20}, {"40", 21, 19},  {"32.0", 22, 22},
    {"26.8", 23, 20}, {"20.0", 24, 21}, {"16.0", 25, 22}, {"13.4", 26, 23}, {"10.0", 28, 24},
    {"8.0", 25, 25},  {"6.7", 26, 26},  {"5.0", 28, 28}};

struct FamilyRates {
  unsigned family;
  const RateText* texts;
  size_t textCount;
  uint8_t codeMask;  // applied to RateCode before the text lookup
  const RateKey* keys;
  size_t keyCount;
};

#define BIOS_RATES(family, texts, mask, keys)                                          \
  FamilyRates { family, texts, sizeof(texts) / sizeof(texts[0]), mask, keys,           \
                sizeof(keys) / sizeof(keys[0]) }
constexpr FamilyRates kFamilyRates[] = {
    BIOS_RATES(1, kFamily1Texts, 0x0F, kFamily1Keys),
    BIOS_RATES(2, kFamily2Texts, 0x1F, kFamily2Keys),
    BIOS_RATES(3, kFamily3Texts, 0x1F, kFamily3Keys),
};
#undef BIOS_RATES

// Family 4: PeriodFactor to list index and all-device text.
struct PeriodRow {
  uint8_t factor;
  int narrowIndex;
  int wideIndex;
  const char* wideText;
  const char* narrowText;
};

constexpr PeriodRow kPeriodRows[] = {
    {7, 0, 0, "320", "0.0"},     {8, 0, 0, "320", "0.0"},     {9, 0, 1, "160", "0.0"},
    {10, 0, 2, "80.0", "40.0"},  {11, 1, 3, "66.6", "33.3"},  {12, 2, 4, "40.0", "20.0"},
    {13, 3, 5, "33.3", "16.6"},  {25, 4, 6, "20.0", "10.0"},  {50, 5, 7, "10.0", "5.0"},
    {63, 6, 8, "Asyn", "Asyn"}};

// Family 4: list index to the PeriodFactor written.
constexpr uint8_t kNarrowFactors[] = {10, 11, 12, 13, 25, 50, 63};
constexpr uint8_t kWideFactors[] = {8, 9, 10, 11, 12, 13, 25, 50, 63};

// ---- Advanced page ----

// POST display mode items (strings 130-132); the third only for family 4 or a BIOS 3.x.
constexpr unsigned kPostModeItems[] = {130, 131, 132};

// Combo index <-> two-bit field value.
constexpr uint16_t kInt13Codes[] = {0x1, 0x0, 0x2};      // biosControl bits 2-3
constexpr uint16_t kRemovableCodes[] = {0x0, 0x2, 0x1};  // biosControl bits 0-1

}  // namespace bios
