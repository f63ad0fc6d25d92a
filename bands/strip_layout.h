// Geometry of the application strip: entries 200 pixels wide side by side (at 96 DPI),
// scrolled to the left one pixel per tick (at 96 DPI) and looping. Platform-free, tested
// natively.
#pragma once

#include <vector>

namespace bands {

constexpr int kEntryWidth = 200;
constexpr int kStripHeight = 40;
constexpr int kTipHeight = 30;     // tool rectangles cover the top of each entry
constexpr int kTextTop = 14;
constexpr int kIconTextGap = 4;

// The strip's lengths at a DPI: the ones above, grown with it.
struct StripMetrics {
  int entryWidth, height, tipHeight, textTop, iconTextGap, scrollStep;
};
StripMetrics stripMetrics(unsigned dpi);

constexpr int stripWidth(int entries, int entryWidth = kEntryWidth) {
  return entries > 0 ? entries * entryWidth : 0;
}

// The offset after one tick: step pixels further left, back to 0 when the whole strip has
// gone by. An offset outside (-width, 0] (a strip that shrank) starts over at 0.
int nextOffset(int offset, int width, int step = 1);

// The offset that shows entry in a window of that width: unchanged when the entry shows
// whole already (in the strip or its copy), else the one that puts its left edge at 0.
int offsetShowing(int entry, int offset, int entries, int windowWidth, int entryWidth = kEntryWidth);

// Left edges of the copies of the strip that show in a window of that width: the strip
// at the offset, then copies right after it until the right edge is covered.
std::vector<int> copyOrigins(int offset, int width, int windowWidth);

// The entry under window x, or -1. Each entry owns [left, left + 200): a boundary pixel
// belongs to the entry on its right only, so one point never names two entries.
int entryAt(int x, int offset, int entries, int windowWidth, int entryWidth = kEntryWidth);

// The left edge in the window of the first copy of entry that shows whole, or of the first
// that shows at all when none does whole; INT_MIN when none shows.
int entryLeft(int entry, int offset, int entries, int windowWidth, int entryWidth = kEntryWidth);

}  // namespace bands
