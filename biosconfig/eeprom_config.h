// The serial EEPROM configuration block of one adapter channel as the adapter BIOS keeps
// it, where the blocks and the card flags lie in a record's eepromImage, the checksum,
// the tests that tell a block's BIOS generation, and the copy of every adapter's image
// that Cancel puts back. Platform-free; the pages and the native tests share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "contract/records.h"

namespace bios {

using inv::HostAdapterInfo;

constexpr size_t kTargetWords = 16;

#pragma pack(push, 1)

// 64 bytes, words little-endian (the suite runs on x86 only, so the fields are read in
// place).
struct EepromConfig {
  uint16_t deviceWords[kTargetWords];  // settings of target 0..15
  uint16_t biosControl;
  uint16_t adapterControl;
  uint8_t hostIdByte;       // bits 0-3: the adapter's own SCSI ID
  uint8_t byte37;
  uint8_t targetCountByte;  // columns of the all-device table
  uint8_t bootByte;         // bits 4-7: boot target, bits 0-3: boot LUN
  uint16_t biosVersionWord; // 0x0300 = 3.00
  uint16_t unusedWords[9];  // words 21-29
  uint16_t signatureWord;   // 0x0400 or more: the newest layout
  uint16_t checksumWord;    // sum of words 0..30
};

#pragma pack(pop)

static_assert(sizeof(EepromConfig) == 64, "EepromConfig is 64 bytes");
static_assert(offsetof(EepromConfig, biosControl) == 32, "biosControl");
static_assert(offsetof(EepromConfig, adapterControl) == 34, "adapterControl");
static_assert(offsetof(EepromConfig, hostIdByte) == 36, "hostIdByte");
static_assert(offsetof(EepromConfig, byte37) == 37, "byte 37");
static_assert(offsetof(EepromConfig, targetCountByte) == 38, "targetCountByte");
static_assert(offsetof(EepromConfig, bootByte) == 39, "bootByte");
static_assert(offsetof(EepromConfig, biosVersionWord) == 40, "biosVersionWord");
static_assert(offsetof(EepromConfig, unusedWords) == 42, "words 21-29");
static_assert(offsetof(EepromConfig, signatureWord) == 60, "signatureWord");
static_assert(offsetof(EepromConfig, checksumWord) == 62, "checksumWord");

constexpr size_t kBlockSize = sizeof(EepromConfig);
constexpr size_t kChannelABlock = 0;
constexpr size_t kChannelBBlock = 64;
constexpr size_t kChecksummedWords = 31;  // words 0..30
static_assert(kChannelBBlock + kBlockSize <= sizeof(HostAdapterInfo::eepromImage),
              "both blocks lie in the image");

// cardFlags bits.
constexpr uint8_t kMasterCard = 0x01;
constexpr uint8_t kBootCard = 0x02;

// The block a record's pages work on: channel B for any non-zero PCI function.
size_t blockOffset(const HostAdapterInfo& adapter);
EepromConfig& configBlock(HostAdapterInfo& adapter);
const EepromConfig& configBlock(const HostAdapterInfo& adapter);

// Where the record keeps its cardFlags byte: 192 for PCI function 1, else 128, or 64
// when only the first 128 bytes of the image were read.
size_t cardFlagsOffset(const HostAdapterInfo& adapter);
uint8_t& cardFlags(HostAdapterInfo& adapter);
uint8_t cardFlags(const HostAdapterInfo& adapter);

// (word 0 + ... + word 30) mod 65536.
uint16_t blockChecksum(const EepromConfig& block);
void recomputeChecksum(EepromConfig& block);

// A BIOS from 3.00 to 3.50 inclusive.
bool hasBios3x(const EepromConfig& block);
// Signature 0x0400 or more.
bool hasNewestLayout(const EepromConfig& block);
// BIOS 3.00 or later: the adapters that take the boot target and LUN.
bool hasBios300OrLater(const EepromConfig& block);
// An adapter offered in the master and boot card lists, and the one a list index marks.
bool qualifiesForCardChoice(const EepromConfig& block);

// The label table of a record: its entries (adapterCount, kept within the table) and the
// record each points at (null for an empty address).
int labelCount(const HostAdapterInfo& adapter);
HostAdapterInfo* labelAdapter(const HostAdapterInfo& adapter, int label);

// Reads one adapter's block into its record (the miniport channel) and says that the
// configured adapter's block could not be read.
class EepromReader {
 public:
  virtual ~EepromReader() = default;
  virtual bool read(HostAdapterInfo& adapter) = 0;
  virtual void reportFailure(const HostAdapterInfo& adapter) = 0;
};

// Reads the block of every adapter with extended features, in label order. Only a
// failure for `adapter` itself counts: it is reported once and the answer is false.
bool eepromReadAll(HostAdapterInfo& adapter, EepromReader& reader);

// Every adapter's eepromImage in label order, 512 bytes each.
class ConfigSnapshot {
 public:
  void take(const HostAdapterInfo& adapter);
  // Copies the images back into the adapters they were taken from.
  void restore() const;
  size_t size() const { return bytes_.size(); }
  const uint8_t* data() const { return bytes_.data(); }

 private:
  std::vector<uint8_t> bytes_;
  std::vector<HostAdapterInfo*> adapters_;
};

}  // namespace bios
