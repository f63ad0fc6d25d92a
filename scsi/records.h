// The request blocks exchanged with the SCSI manager library (wnvrax32.dll). Their
// layout is the library's contract: every size and offset of both widths is checked at
// compile time (the execute block carries addresses, so it has a 32-bit and a 64-bit
// layout; a library serves the layout of its own width).
// Multi-byte block fields are little-endian (the platform's order); the CDB and the
// data are big-endian as SCSI defines them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace scsi {

// Request kinds.
constexpr uint8_t kCmdAdapterInquiry = 0;
constexpr uint8_t kCmdExecute = 2;

// RequestBlock.status as written by the manager.
constexpr uint8_t kStatusPending = 0;
constexpr uint8_t kStatusDone = 1;
constexpr uint8_t kStatusAborted = 2;
constexpr uint8_t kStatusError = 4;

// RequestBlock.flags.
constexpr uint8_t kFlagDataIn = 0x08;
constexpr uint8_t kFlagDataOut = 0x10;
constexpr uint8_t kFlagPostEvent = 0x40;
constexpr uint8_t kFlagsRead = kFlagPostEvent | kFlagDataIn;    // 0x48
constexpr uint8_t kFlagsWrite = kFlagPostEvent | kFlagDataOut;  // 0x50

// ExecCommandBlock.adapterStatus.
constexpr uint8_t kHaOk = 0x00;
constexpr uint8_t kHaSelectionTimeout = 0x11;
constexpr uint8_t kHaDataOverUnderrun = 0x12;
constexpr uint8_t kHaUnexpectedBusFree = 0x13;
constexpr uint8_t kHaPhaseSequenceFailure = 0x14;

// ExecCommandBlock.targetStatus.
constexpr uint8_t kTargetGood = 0x00;
constexpr uint8_t kTargetCheckCondition = 0x02;
constexpr uint8_t kTargetBusy = 0x08;

constexpr uint8_t kSenseLength = 14;
constexpr uint32_t kWaitMs = 10000;

#pragma pack(push, 1)

struct RequestBlock {
  uint8_t command;
  uint8_t status;
  uint8_t adapterNumber;
  uint8_t flags;
  uint32_t reserved;
};

struct AdapterInquiryBlock {
  RequestBlock header;
  uint8_t adapterCount;
  uint8_t adapterScsiId;
  char managerId[16];          // not NUL-terminated when 16 characters long
  char adapterIdentifier[16];  // same rule
  uint8_t adapterUnique[16];
  uint8_t reserved[2];
};

// The execute request in each width. The 64-bit layout widens the two address fields in
// place on 8-byte boundaries, taking the room from the reserved bytes; the CDB and the
// sense area keep their offsets and the block its 80 bytes.
struct ExecCommandBlock32 {
  RequestBlock header;
  uint8_t target;
  uint8_t lun;
  uint16_t reserved1;
  uint32_t dataLength;
  uint32_t dataBuffer;       // address of the data buffer
  uint8_t senseLength;
  uint8_t cdbLength;
  uint8_t adapterStatus;
  uint8_t targetStatus;
  uint32_t completionEvent;  // handle of a manual-reset event
  uint8_t reserved2[20];
  uint8_t cdb[16];
  uint8_t senseArea[16];
};

struct ExecCommandBlock64 {
  RequestBlock header;
  uint8_t target;
  uint8_t lun;
  uint16_t reserved1;
  uint32_t dataLength;
  uint64_t dataBuffer;       // address of the data buffer
  uint8_t senseLength;
  uint8_t cdbLength;
  uint8_t adapterStatus;
  uint8_t targetStatus;
  uint32_t reserved3;
  uint64_t completionEvent;  // handle of a manual-reset event
  uint8_t reserved2[8];
  uint8_t cdb[16];
  uint8_t senseArea[16];
};

#pragma pack(pop)

static_assert(sizeof(RequestBlock) == 8, "RequestBlock size");
static_assert(offsetof(RequestBlock, command) == 0, "command");
static_assert(offsetof(RequestBlock, status) == 1, "status");
static_assert(offsetof(RequestBlock, adapterNumber) == 2, "adapterNumber");
static_assert(offsetof(RequestBlock, flags) == 3, "flags");
static_assert(offsetof(RequestBlock, reserved) == 4, "reserved");

static_assert(sizeof(AdapterInquiryBlock) == 60, "AdapterInquiryBlock size");
static_assert(offsetof(AdapterInquiryBlock, adapterCount) == 8, "adapterCount");
static_assert(offsetof(AdapterInquiryBlock, adapterScsiId) == 9, "adapterScsiId");
static_assert(offsetof(AdapterInquiryBlock, managerId) == 10, "managerId");
static_assert(offsetof(AdapterInquiryBlock, adapterIdentifier) == 26, "adapterIdentifier");
static_assert(offsetof(AdapterInquiryBlock, adapterUnique) == 42, "adapterUnique");
static_assert(offsetof(AdapterInquiryBlock, reserved) == 58, "reserved");

template <class B, size_t DataBuffer, size_t SenseLength, size_t CompletionEvent,
          size_t Reserved2>
constexpr bool execLayout() {
  static_assert(sizeof(B) == 80, "ExecCommandBlock size");
  static_assert(offsetof(B, target) == 8, "target");
  static_assert(offsetof(B, lun) == 9, "lun");
  static_assert(offsetof(B, reserved1) == 10, "reserved1");
  static_assert(offsetof(B, dataLength) == 12, "dataLength");
  static_assert(offsetof(B, dataBuffer) == DataBuffer, "dataBuffer");
  static_assert(offsetof(B, senseLength) == SenseLength, "senseLength");
  static_assert(offsetof(B, cdbLength) == SenseLength + 1, "cdbLength");
  static_assert(offsetof(B, adapterStatus) == SenseLength + 2, "adapterStatus");
  static_assert(offsetof(B, targetStatus) == SenseLength + 3, "targetStatus");
  static_assert(offsetof(B, completionEvent) == CompletionEvent, "completionEvent");
  static_assert(offsetof(B, reserved2) == Reserved2, "reserved2");
  static_assert(offsetof(B, cdb) == 48, "cdb");
  static_assert(offsetof(B, senseArea) == 64, "senseArea");
  return true;
}
static_assert(execLayout<ExecCommandBlock32, 16, 20, 24, 28>(), "32-bit ExecCommandBlock");
static_assert(execLayout<ExecCommandBlock64, 16, 24, 32, 40>(), "64-bit ExecCommandBlock");
static_assert(offsetof(ExecCommandBlock64, reserved3) == 28, "64-bit padding");

// The block of this build.
using ExecCommandBlock =
    std::conditional_t<sizeof(void*) == 8, ExecCommandBlock64, ExecCommandBlock32>;
using BlockAddress = decltype(ExecCommandBlock::dataBuffer);

// Address and handle fields of the block of this build.
inline BlockAddress blockAddress(const void* p) {
  return static_cast<BlockAddress>(reinterpret_cast<uintptr_t>(p));
}
template <class T = uint8_t>
inline T* blockPointer(BlockAddress address) {
  return reinterpret_cast<T*>(static_cast<uintptr_t>(address));
}

// adapterUnique, as the suite reads it.
namespace unique {
constexpr size_t kAlignmentMask = 0;   // u16
constexpr size_t kFlags = 2;           // bit 1: residual byte count supported
constexpr size_t kMaxTargets = 3;      // 0 means 8
constexpr size_t kMaxTransfer = 4;     // u32
constexpr size_t kPciBus = 12;
constexpr size_t kPciDevice = 13;
constexpr size_t kPciFunction = 14;
constexpr size_t kPciValid = 15;       // 0x81 marks bytes 12..14 as valid
constexpr uint8_t kPciValidMark = 0x81;
}  // namespace unique

}  // namespace scsi
