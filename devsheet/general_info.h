// What the device General page and the sheet's rate text show, worked out from the
// inventory record and the device's answers. Platform-free: texts are string ids and
// the values they are filled with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace dev {

// READ CAPACITY is asked only of direct-access, write-once, CD-ROM and optical devices
// (peripheral device type in INQUIRY byte 0, bits 0-4).
bool hasCapacity(uint8_t inquiryByte0);

// A device's size as READ CAPACITY tells it: its last logical block and block length.
struct Capacity {
  uint64_t lastBlock = 0;
  uint32_t blockLength = 0;
};

// From a READ CAPACITY(10) answer (8 bytes) or a READ CAPACITY(16) answer (at least 12
// bytes); false, with nothing read, when the answer is shorter.
bool capacityFrom10(const uint8_t* answer, size_t size, Capacity& capacity);
bool capacityFrom16(const uint8_t* answer, size_t size, Capacity& capacity);

// READ CAPACITY(10) answers a last block of FFFFFFFFh when the device has more blocks
// than it can count: READ CAPACITY(16) tells the size then.
bool needsCapacity16(const Capacity& capacity);

// Megabytes, ((last block >> 10) * block length) >> 10, in decimal digits: exact for any
// size the answers can carry, which needs more than 64 bits.
std::string megabytesDigits(const Capacity& capacity);

// The capacity text: `format` ("%lu MBytes") with its number conversion replaced by the
// megabytes' digits, so that no size is cut to the width of an integer.
std::string megabytesText(const std::string& format, const Capacity& capacity);

// INQUIRY byte 2: the ANSI version in bits 0-2, and ISO/IEC compliance for 80h, 82h,
// 83h and 84h.
int ansiVersion(uint8_t inquiryByte2);
bool isoCompliant(uint8_t inquiryByte2);
// INQUIRY byte 1 bit 7 (RMB).
bool removableMedium(uint8_t inquiryByte1);

// The device picture of a type: a 16-colour bitmap and a 256-colour one.
struct PicturePair {
  uint16_t plain16;
  uint16_t dib256;
};
PicturePair devicePicture(uint8_t deviceType);

// Negotiated rate in tenths of MB/s; 1 stands for asynchronous transfers.
constexpr uint32_t kRateAsync = 1;
// The number of the "%s MB/Sec" text: the rate in MB/s with one decimal.
std::string rateNumber(uint32_t tenths);

}  // namespace dev
