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

uint32_t capacityMegabytes(const uint8_t* answer, size_t size) {
  if (!answer || size < 8) return 0;
  const uint64_t lastBlock = scsi::be32(answer);
  const uint64_t blockLength = scsi::be32(answer + 4);
  const uint64_t megabytes = ((lastBlock >> 10) * blockLength) >> 10;
  return megabytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(megabytes);
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
