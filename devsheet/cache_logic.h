// What the R/W Cache page reads from and writes to a disk: the Caching page (08h) with
// its RCD and WCE bits, the Read-Write Error Recovery page (01h) with ARRE and AWRE, and
// the switches that change one bit and then follow it up on the recovery page.
// Platform-free: the commands go through a CachePort that the page implements.
#pragma once

#include <cstddef>
#include <cstdint>

#include "scsi/commands.h"

namespace dev {

constexpr size_t kModeBufferSize = scsi::kModeDataLength;  // MODE SENSE(6) allocation length
constexpr uint8_t kCachingPage = 0x08;
constexpr uint8_t kRecoveryPage = 0x01;

// Bits of page byte 2.
constexpr size_t kPageBitsByte = 2;
constexpr uint8_t kRcd = 0x01;   // Caching: read cache disable
constexpr uint8_t kWce = 0x04;   // Caching: write cache enable
constexpr uint8_t kArre = 0x40;  // Recovery: automatic read reallocation
constexpr uint8_t kAwre = 0x80;  // Recovery: automatic write reallocation
// Some devices refuse a MODE SELECT while any of these are set; the switch then tries
// once more with them clear.
constexpr uint8_t kRetryBits = 0xF8;

// The three versions of one page as the device returned them (each a MODE SENSE(6)
// parameter list: header, block descriptors, page).
struct ModeBuffers {
  uint8_t current[kModeBufferSize];
  uint8_t changeable[kModeBufferSize];
  uint8_t defaults[kModeBufferSize];
};

// Builds the MODE SELECT(6) parameter list that writes the page of `sensed` back with
// page byte 2 replaced by `bits`: mode data length 0, PS clear, every other byte of the
// list as sensed and the rest of `list` zero. The list length, or 0 (list all zero) when
// `sensed` holds no such page.
uint8_t buildModeSelect(const uint8_t (&sensed)[kModeBufferSize], uint8_t pageCode, uint8_t bits,
                        uint8_t (&list)[kModeBufferSize]);

// What the page shows: available only when the Caching page was read and both RCD and WCE
// can be changed.
struct CacheState {
  bool available = false;
  bool readEnabled = false;
  bool readDefault = false;
  bool writeEnabled = false;
  bool writeDefault = false;
};
CacheState decodeCacheState(const ModeBuffers& caching);

// The write-cache question: the hang warning for "MAXTOR" drives (exactly so, as the
// inventory stores the vendor), otherwise the factory-default notice.
constexpr uint32_t kQuestionMaxtor = 32958;
constexpr uint32_t kQuestionFactoryOff = 32959;
uint32_t writeCacheQuestion(const char* vendor, size_t size);

enum class SelectOutcome : uint8_t { Done, IllegalRequest, Failed };

// The commands the switches need, carried out (and their failures shown) by the page.
class CachePort {
 public:
  virtual ~CachePort() = default;
  // One MODE SENSE(6) of the page in that page control into `buffer` (84 bytes, zeroed
  // here first). True when it completed; a failure has been shown.
  virtual bool sense(uint8_t pageCode, uint8_t pageControl, uint8_t* buffer) = 0;
  // One MODE SELECT(6) with the save-pages bit of `length` bytes of `list`; its failure
  // is shown only when `report` is set.
  virtual SelectOutcome select(const uint8_t* list, uint8_t length, bool report) = 0;
  // The write-cache question; true for Yes.
  virtual bool confirmWriteCache() = 0;
};

// Current, changeable and default values of the page into `buffers`, each read only
// after the one before it completed and held the page. False on the first failure.
bool readModePage(CachePort& port, uint8_t pageCode, ModeBuffers& buffers);

enum class Cache : uint8_t { Read, Write };

// Switches one cache on or off, saved in the device, and follows it up on the recovery
// page (ARRE after the read cache, AWRE after the write cache; enabling sets the bit,
// disabling puts back its factory default). True when nothing needed doing, when the
// user declined the write-cache question, or when the device now has the state asked
// for and the recovery page was dealt with. `buffers` are refilled by every read.
bool setCache(CachePort& port, ModeBuffers& buffers, Cache cache, bool enable);

}  // namespace dev
