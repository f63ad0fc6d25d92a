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

// Megabytes from a READ CAPACITY(10) answer: ((last LBA >> 10) * block length) >> 10.
// Worked in 64 bits so that large disks and large blocks do not wrap; a result beyond
// 32 bits is held at 0xFFFFFFFF. Fewer than 8 bytes give 0.
uint32_t capacityMegabytes(const uint8_t* answer, size_t size);

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
