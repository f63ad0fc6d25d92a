#include "devsheet/general_info.h"

#include "devsheet/devsheet_res.h"
#include "scsi/bytes.h"

namespace dev {
namespace {

struct PictureRow {
  uint8_t deviceType;
  PicturePair pair;
};

constexpr PictureRow kPictures[] = {
    {0, {IDB_DEV_DISK16, IDB_DEV_DISK256}},       {1, {IDB_DEV_TAPE16, IDB_DEV_TAPE256}},
    {2, {IDB_DEV_PRINTER16, IDB_DEV_PRINTER256}}, {4, {IDB_DEV_WORM16, IDB_DEV_WORM256}},
    {5, {IDB_DEV_CDROM16, IDB_DEV_CDROM256}},     {6, {IDB_DEV_SCANNER16, IDB_DEV_SCANNER256}},
};
// Processors and every type without a picture of its own.
constexpr PicturePair kOtherPicture = {IDB_DEV_OTHER16, IDB_DEV_OTHER256};

constexpr uint8_t kCapacityTypes[] = {0, 4, 5, 7};

}  // namespace

bool hasCapacity(uint8_t inquiryByte0) {
  const uint8_t type = inquiryByte0 & 0x1F;
  for (uint8_t t : kCapacityTypes)
    if (t == type) return true;
  return false;
}

bool capacityFrom10(const uint8_t* answer, size_t size, Capacity& capacity) {
  if (!answer || size < 8) return false;
  capacity.lastBlock = scsi::be32(answer);
  capacity.blockLength = scsi::be32(answer + 4);
  return true;
}

bool capacityFrom16(const uint8_t* answer, size_t size, Capacity& capacity) {
  if (!answer || size < 12) return false;
  capacity.lastBlock = (uint64_t{scsi::be32(answer)} << 32) | scsi::be32(answer + 4);
  capacity.blockLength = scsi::be32(answer + 8);
  return true;
}

bool needsCapacity16(const Capacity& capacity) { return capacity.lastBlock == 0xFFFFFFFFu; }

std::string megabytesDigits(const Capacity& capacity) {
  // The product in three 32-bit limbs, least significant first: up to 54 + 32 bits.
  const uint64_t blocks = capacity.lastBlock >> 10;
  const uint64_t low = (blocks & 0xFFFFFFFFu) * capacity.blockLength;
  const uint64_t high = (blocks >> 32) * capacity.blockLength;
  const uint64_t middle = (low >> 32) + (high & 0xFFFFFFFFu);
  uint32_t limbs[3] = {static_cast<uint32_t>(low), static_cast<uint32_t>(middle),
                       static_cast<uint32_t>((high >> 32) + (middle >> 32))};
  // >> 10
  limbs[0] = (limbs[0] >> 10) | (limbs[1] << 22);
  limbs[1] = (limbs[1] >> 10) | (limbs[2] << 22);
  limbs[2] >>= 10;
  std::string digits;
  do {
    uint64_t remainder = 0;
    for (int i = 2; i >= 0; --i) {
      const uint64_t value = (remainder << 32) | limbs[i];
      limbs[i] = static_cast<uint32_t>(value / 10);
      remainder = value % 10;
    }
    digits.insert(digits.begin(), static_cast<char>('0' + remainder));
  } while (limbs[0] || limbs[1] || limbs[2]);
  return digits;
}

std::string megabytesText(const std::string& format, const Capacity& capacity) {
  std::string text = format;
  const size_t at = text.find("%lu");
  if (at != std::string::npos) text.replace(at, 3, megabytesDigits(capacity));
  return text;
}

int ansiVersion(uint8_t inquiryByte2) { return inquiryByte2 & 7; }

bool isoCompliant(uint8_t inquiryByte2) {
  return inquiryByte2 == 0x80 || inquiryByte2 == 0x82 || inquiryByte2 == 0x83 ||
         inquiryByte2 == 0x84;
}

bool removableMedium(uint8_t inquiryByte1) { return (inquiryByte1 & 0x80) != 0; }

PicturePair devicePicture(uint8_t deviceType) {
  for (const PictureRow& row : kPictures)
    if (row.deviceType == deviceType) return row.pair;
  return kOtherPicture;
}

std::string rateNumber(uint32_t tenths) {
  // Whole and tenth digits, exactly as "%.1f" of tenths / 10 prints them.
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

}  // namespace dev
