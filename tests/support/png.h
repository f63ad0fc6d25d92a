// Minimal PNG writer (8-bit RGB, stored deflate blocks) for screenshots of test windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvtest {

// pixels: rows top to bottom, 4 bytes per pixel in B, G, R, x order (a 32-bit DIB).
std::vector<uint8_t> encodePng(int width, int height, const uint8_t* bgrx);

}  // namespace orvtest
