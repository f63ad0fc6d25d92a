// The layout of a device-independent bitmap as a bitmap resource holds it: the
// BITMAPINFOHEADER (40 bytes or one of its longer versions), the colour table, then the
// bits. Platform-free, so that the colour count rule and the bounds checks are tested
// natively.
#pragma once

#include <cstddef>
#include <cstdint>

namespace srv {

struct DibLayout {
  int32_t width = 0;
  int32_t height = 0;           // as stored: negative for a top-down bitmap
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t colourCount = 0;     // entries of the colour table
  size_t colourTableOffset = 0; // from the start of the header
  size_t bitsOffset = 0;
  size_t bitsSize = 0;          // what the bits may occupy within the resource
};

// The colour count of a header: colours-used when non-zero, else 2, 16 or 256 for 1, 4
// or 8 bits per pixel, and 0 above.
constexpr uint32_t dibColourCount(uint16_t bitCount, uint32_t coloursUsed) {
  if (coloursUsed != 0) return coloursUsed;
  return bitCount == 1 ? 2 : bitCount == 4 ? 16 : bitCount == 8 ? 256 : 0;
}

// Reads the layout of size bytes at data; false when they do not hold a whole bitmap
// (short header, unknown header size, colour table or bits beyond the end, zero size).
bool parseDibLayout(const uint8_t* data, size_t size, DibLayout& out);

}  // namespace srv
