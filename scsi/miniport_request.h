// The request sent to the adapter's miniport driver through the SCSI port driver's
// pass-through for miniport requests. One buffer carries the request in and the answer
// out; its layout is the driver's contract, so every size and offset is checked at
// compile time. All integers are little-endian.
//
// The EEPROM read uses the whole 128-byte record; the transfer-rate query only its
// first 60 bytes (up to and including `parameter1`).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace scsi {

constexpr uint32_t kIoctlScsiMiniport = 0x0004D008;
constexpr const char* kMiniportDriverName = "kestrdrv";
constexpr const char* kMiniportDeviceFormat = "\\\\.\\Scsi%d:";

constexpr uint32_t kMiniportHeaderLength = 28;
constexpr char kMiniportSignature[] = "VLM";
constexpr uint32_t kMiniportTimeoutSeconds = 5;
constexpr uint32_t kMiniportControlCode = 0x766C6D20;
constexpr uint8_t kMiniportFunction = 9;
constexpr uint8_t kMiniportStatusOk = 1;  // completion status written by the driver

constexpr uint32_t kEepromRequestSize = 128;
constexpr uint32_t kRateRequestSize = 60;

// Request classes, subclasses and operations.
constexpr uint8_t kClassEeprom = 0x48;
constexpr uint8_t kClassTarget = 0x04;
constexpr uint8_t kSubclass = 0x04;
constexpr uint16_t kOpEepromRead = 0x8051;
constexpr uint16_t kOpSyncOffset = 0x0180;  // answer 0: the target transfers asynchronously
constexpr uint16_t kOpRate = 0x0181;        // answer: the rate in tenths of MB/s
constexpr uint16_t kOpRateDoubled = 0x0182; // answer 1: the rate is to be doubled

constexpr uint32_t kEepromBlockSize = 64;
constexpr uint32_t kEepromChannelA = 0;
constexpr uint32_t kEepromChannelB = 64;

#pragma pack(push, 1)

template <class Address>
struct BasicMiniportRequest {
  // Control header of the port driver's pass-through.
  uint32_t headerLength;     // 28
  char signature[8];         // "VLM", NUL-padded
  uint32_t timeoutSeconds;   // 5
  uint32_t controlCode;      // 0x766C6D20
  uint32_t returnCode;       // the driver's
  uint32_t length;           // bytes after the header
  // The driver's own request.
  uint8_t function;          // 9
  uint8_t completionStatus;  // set by the driver; 1 = success
  uint8_t reserved1[6];
  uint8_t target;            // 0xFF for the EEPROM read
  uint8_t lun;               // 0xFF for the EEPROM read
  uint8_t requestClass;
  uint8_t requestSubclass;
  Address parameterAddress;  // process address of `parameter1` in this same buffer
  uint8_t reserved2[12 - sizeof(Address)];
  uint8_t parameterCount;    // 3 for the EEPROM read, 1 for the rate query
  uint8_t reserved3;
  uint16_t operation;
  uint32_t parameter1;       // EEPROM byte offset, or the rate query's value in and out
  uint32_t parameter2;       // EEPROM byte count
  uint8_t data[64];          // EEPROM block returned
};

#pragma pack(pop)

// The address field is as wide as the process's addresses; the 64-bit layout takes its
// room from the reserved bytes after it, so every other field keeps its offset.
template <class R, size_t Reserved2>
constexpr bool miniportLayout() {
  static_assert(sizeof(R) == kEepromRequestSize, "MiniportRequest size");
  static_assert(offsetof(R, headerLength) == 0, "headerLength");
  static_assert(offsetof(R, signature) == 4, "signature");
  static_assert(offsetof(R, timeoutSeconds) == 12, "timeoutSeconds");
  static_assert(offsetof(R, controlCode) == 16, "controlCode");
  static_assert(offsetof(R, returnCode) == 20, "returnCode");
  static_assert(offsetof(R, length) == 24, "length");
  static_assert(offsetof(R, function) == kMiniportHeaderLength, "function");
  static_assert(offsetof(R, completionStatus) == 29, "completionStatus");
  static_assert(offsetof(R, reserved1) == 30, "reserved1");
  static_assert(offsetof(R, target) == 36, "target");
  static_assert(offsetof(R, lun) == 37, "lun");
  static_assert(offsetof(R, requestClass) == 38, "requestClass");
  static_assert(offsetof(R, requestSubclass) == 39, "requestSubclass");
  static_assert(offsetof(R, parameterAddress) == 40, "parameterAddress");
  static_assert(offsetof(R, reserved2) == Reserved2, "reserved2");
  static_assert(offsetof(R, parameterCount) == 52, "parameterCount");
  static_assert(offsetof(R, reserved3) == 53, "reserved3");
  static_assert(offsetof(R, operation) == 54, "operation");
  static_assert(offsetof(R, parameter1) == 56, "parameter1");
  static_assert(offsetof(R, parameter2) == 60, "parameter2");
  static_assert(offsetof(R, data) == 64, "data");
  static_assert(offsetof(R, parameter2) == kRateRequestSize, "rate query size");
  return true;
}
static_assert(miniportLayout<BasicMiniportRequest<uint32_t>, 44>(), "32-bit MiniportRequest");
static_assert(miniportLayout<BasicMiniportRequest<uint64_t>, 48>(), "64-bit MiniportRequest");

// The request of this build.
using MiniportRequest = BasicMiniportRequest<uintptr_t>;

// Fills the header shared by both requests; `size` is 128 or 60.
inline void initMiniportRequest(MiniportRequest& r, uint32_t size) {
  std::memset(&r, 0, sizeof r);
  r.headerLength = kMiniportHeaderLength;
  std::memcpy(r.signature, kMiniportSignature, sizeof kMiniportSignature);
  r.timeoutSeconds = kMiniportTimeoutSeconds;
  r.controlCode = kMiniportControlCode;
  r.length = size - kMiniportHeaderLength;
  r.function = kMiniportFunction;
  r.parameterAddress = reinterpret_cast<uintptr_t>(&r.parameter1);
}

// The 64-byte EEPROM block of one channel: offset 0 (channel A) or 64 (channel B).
inline void makeEepromReadRequest(MiniportRequest& r, uint32_t offset) {
  initMiniportRequest(r, kEepromRequestSize);
  r.target = 0xFF;
  r.lun = 0xFF;
  r.requestClass = kClassEeprom;
  r.requestSubclass = kSubclass;
  r.parameterCount = 3;
  r.operation = kOpEepromRead;
  r.parameter1 = offset;
  r.parameter2 = kEepromBlockSize;
}

// One step of the transfer-rate query for a target (60 bytes are sent).
inline void makeRateRequest(MiniportRequest& r, uint8_t target, uint16_t operation,
                            uint32_t value) {
  initMiniportRequest(r, kRateRequestSize);
  r.target = target;
  r.lun = 0;
  r.requestClass = kClassTarget;
  r.requestSubclass = kSubclass;
  r.parameterCount = 1;
  r.operation = operation;
  r.parameter1 = value;
}

}  // namespace scsi
