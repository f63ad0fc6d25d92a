#include "pages/dibimage_layout.h"

#include <cstring>

namespace srv {
namespace {

uint32_t le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;

}  // namespace

bool parseDibLayout(const uint8_t* data, size_t size, DibLayout& out) {
  if (!data || size < 40) return false;
  uint32_t headerSize = le32(data);
  // BITMAPINFOHEADER and its V4/V5 extensions; the old core header is not used here.
  if (headerSize < 40 || headerSize > size) return false;
  DibLayout layout;
  layout.width = static_cast<int32_t>(le32(data + 4));
  layout.height = static_cast<int32_t>(le32(data + 8));
  uint16_t planes = le16(data + 12);
  layout.bitCount = le16(data + 14);
  layout.compression = le32(data + 16);
  uint32_t imageSize = le32(data + 20);
  uint32_t coloursUsed = le32(data + 32);
  if (planes != 1 || layout.width <= 0 || layout.height == 0 ||
      layout.height == INT32_MIN)
    return false;
  switch (layout.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return false;
  }
  if (layout.bitCount <= 8 && coloursUsed > (1u << layout.bitCount)) return false;
  layout.colourCount = dibColourCount(layout.bitCount, coloursUsed);

  // Three colour masks follow a 40-byte header of a bit-field bitmap.
  size_t masks = (layout.compression == kBiBitfields && headerSize == 40) ? 12 : 0;
  layout.colourTableOffset = headerSize + masks;
  size_t tableBytes = size_t(layout.colourCount) * 4;
  if (layout.colourCount > size / 4 || layout.colourTableOffset + tableBytes > size) return false;
  layout.bitsOffset = layout.colourTableOffset + tableBytes;

  uint32_t rows = layout.height < 0 ? uint32_t(-int64_t(layout.height)) : uint32_t(layout.height);
  uint64_t stride = ((uint64_t(layout.width) * layout.bitCount + 31) / 32) * 4;
  uint64_t needed;
  if (layout.compression == kBiRgb || layout.compression == kBiBitfields) {
    needed = stride * rows;
  } else if ((layout.compression == kBiRle8 && layout.bitCount == 8) ||
             (layout.compression == kBiRle4 && layout.bitCount == 4)) {
    if (layout.height < 0 || imageSize == 0) return false;
    needed = imageSize;
  } else {
    return false;
  }
  if (needed == 0 || needed > size - layout.bitsOffset) return false;
  layout.bitsSize = size_t(needed);
  out = layout;
  return true;
}

}  // namespace srv
