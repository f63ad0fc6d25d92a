#include "framework/scale.h"

#include <cmath>
#include <utility>

namespace fw {

int scaled(int length, unsigned dpi) {
  const long long product = static_cast<long long>(length) * dpi;
  const long long half = kBaseDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kBaseDpi
                                       : -((-product + half) / kBaseDpi));
}

int pictureStep(unsigned dpi) {
  if (dpi <= 120) return 0;
  if (dpi <= 168) return 1;
  return 2;
}

int pictureScalePercent(int step) { return step <= 0 ? 100 : step == 1 ? 150 : 200; }

void composeKeyed(const uint32_t* picture, uint32_t* background, size_t count, uint32_t key,
                  const ColourRole* roles, size_t roleCount) {
  key &= 0xFFFFFFu;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t p = picture[i] & 0xFFFFFFu;
    if (p == key) continue;
    uint32_t shown = p;
    for (size_t r = 0; r < roleCount; ++r) {
      if ((roles[r].drawn & 0xFFFFFFu) == p) {
        shown = roles[r].shown & 0xFFFFFFu;
        break;
      }
    }
    background[i] = shown;
  }
}

namespace {
double linear(uint32_t channel) {
  const double c = channel / 255.0;
  return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}
double luminance(uint32_t colour) {
  return 0.2126 * linear(colour & 0xFF) + 0.7152 * linear((colour >> 8) & 0xFF) +
         0.0722 * linear((colour >> 16) & 0xFF);
}
}  // namespace

double contrastRatio(uint32_t colourA, uint32_t colourB) {
  double a = luminance(colourA), b = luminance(colourB);
  if (a < b) std::swap(a, b);
  return (a + 0.05) / (b + 0.05);
}

}  // namespace fw
