// Lengths and pictures at the window's scale, key-colour pictures laid over what a
// window already shows, and the contrast between two colours. Platform-free, so that the
// rules are tested natively; framework/dpi.h binds them to windows.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fw {

// Every layout in pixels is written for this resolution.
constexpr unsigned kBaseDpi = 96;

// A length laid out for 96 DPI, at dpi, rounded to the nearest pixel (half away from 0).
int scaled(int length, unsigned dpi);

// Which drawing of a picture suits dpi: 0 for the 1x one (up to 120 DPI), 1 for the 1.5x
// one (up to 168 DPI), 2 for the 2x one above. Each is drawn for its scale, none is
// stretched; above 2x the 2x drawing is used as it is.
int pictureStep(unsigned dpi);
// The scale of a step in percent: 100, 150, 200.
int pictureScalePercent(int step);

// Resource id of a picture's drawing for a step: the 1x id plus 10000 per step, so
// 1067 has its 1.5x drawing at 11067 and its 2x drawing at 21067.
constexpr unsigned pictureId(unsigned id, int step) {
  return id + 10000u * static_cast<unsigned>(step < 0 ? 0 : step);
}

// A colour of a picture that stands for a system colour: shown as `shown` wherever the
// picture holds `drawn`. Pixels are 0x00RRGGBB, as a 32-bit device-independent bitmap
// holds them.
struct ColourRole {
  uint32_t drawn;
  uint32_t shown;
};

// Lays picture over background, both `count` pixels of 0x00RRGGBB (the top byte is
// ignored): a picture pixel of the key colour leaves the background pixel, any other
// replaces it, recoloured when a role names it.
void composeKeyed(const uint32_t* picture, uint32_t* background, size_t count, uint32_t key,
                  const ColourRole* roles, size_t roleCount);

// The contrast ratio of two COLORREFs (0x00BBGGRR), from 1 (the same) to 21 (black on
// white), by the relative luminance of sRGB.
double contrastRatio(uint32_t colourA, uint32_t colourB);

// 0x00BBGGRR (COLORREF) to 0x00RRGGBB (a DIB pixel) and back: the same swap.
constexpr uint32_t swapRedBlue(uint32_t c) {
  return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

}  // namespace fw
