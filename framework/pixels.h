#pragma once

// The one bitmap format that pictures are read and written in, pixel by pixel.

#include <windows.h>

namespace fw {

// A 32-bit top-down DIB of width x height, for pixels read and written as 0x00RRGGBB.
inline BITMAPINFO pixelFormat(int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace fw
