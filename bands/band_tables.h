// The bands' fixed data: which device icon each tree image holds, how big each band
// wants to be, and the desk band's two sizes. Platform-free, tested natively.
#pragma once

#include <cstdint>
#include <cstring>

namespace bands {

// Device types whose icons fill the tree's image lists, in image order (255: unknown).
inline constexpr short kTreeIconTypes[12] = {4, 8, 9, 10, 11, 0, 2, 3, 7, 6, 1, 255};
// Image 4 holds type 11's icon, which is the host adapter's.
constexpr int kAdapterImage = 4;
constexpr int kUnknownDeviceImage = 11;

// Tree image of a device of that type: its type's slot; 5 shares the optical icon of 4;
// 11 and above show the unknown device, never the adapter picture of slot 4.
constexpr int treeImageForDeviceType(uint8_t deviceType) {
  if (deviceType == 5) return 0;
  if (deviceType >= 11) return kUnknownDeviceImage;
  for (int i = 0; i < 12; ++i) {
    if (i != kAdapterImage && kTreeIconTypes[i] == deviceType) return i;
  }
  return kUnknownDeviceImage;
}

enum class BandKind { tree, strip, desk };

// -1 in a size: unlimited. kHalfSiteWidth: half the site window's width.
constexpr int kUnlimited = -1;
constexpr int kHalfSiteWidth = -2;

enum class BandModeFlag { variableHeight, normal };

struct BandMetrics {
  BandKind kind;
  int minX, minY;
  int maxX, maxY;
  int integralX, integralY;
  int actualX, actualY;
  unsigned titleId;  // 0: an empty title
  BandModeFlag mode;
};

// String ids of the band titles and descriptions.
constexpr unsigned kTreeDescriptionId = 7;
constexpr unsigned kStripDescriptionId = 8;
constexpr unsigned kDeskDescriptionId = 9;
constexpr unsigned kDeskTitleId = 14;

// clang-format off
inline constexpr BandMetrics kBandMetrics[] = {
  {BandKind::tree,  10, 10, kHalfSiteWidth, kUnlimited, 1, 1, 0, 0, kTreeDescriptionId,
   BandModeFlag::variableHeight},
  {BandKind::strip, 10, 40, kUnlimited, 40,             1, 1, 0, 0, 0,
   BandModeFlag::normal},
  {BandKind::desk,  10, 10, kUnlimited, kUnlimited,     1, 1, 0, 0, kDeskTitleId,
   BandModeFlag::variableHeight},
};
// clang-format on

constexpr const BandMetrics& bandMetrics(BandKind kind) {
  for (const BandMetrics& m : kBandMetrics)
    if (m.kind == kind) return m;
  return kBandMetrics[0];
}

// A maximum width as the host is told it.
constexpr int resolveMaxWidth(int maxX, int siteWidth) {
  return maxX == kHalfSiteWidth ? siteWidth / 2 : maxX;
}

// The desk band's look: 16-pixel pictures in the taskbar, 32-pixel ones elsewhere.
struct DeskSize {
  unsigned bitmapId;
  int image;
  int button;
};
constexpr DeskSize kLargeDesk = {103, 32, 36};
constexpr DeskSize kSmallDesk = {104, 16, 18};
// Both bitmaps hold this many pictures; button i shows picture i modulo this.
constexpr int kDeskImages = 8;

inline DeskSize deskSizeForSite(const char* siteClass) {
  return siteClass && std::strcmp(siteClass, "Shell_TrayWnd") == 0 ? kSmallDesk : kLargeDesk;
}

// A desk size at a DPI: the bitmap drawn for its scale (fw::pictureId) with the picture
// and button sizes of that drawing, so that the pictures are never stretched.
DeskSize deskSizeAt(const DeskSize& size, unsigned dpi);

// A band's minimum and maximum sizes at a DPI: the pixel sizes grown with it; unlimited
// and half the site's width stay as they are.
BandMetrics bandMetricsAt(BandKind kind, unsigned dpi);

}  // namespace bands
