// Geometry of the application strip: entries 200 pixels wide side by side, scrolled to
// the left one pixel per tick and looping. Platform-free, tested natively.
#pragma once

#include <vector>

namespace bands {

constexpr int kEntryWidth = 200;
constexpr int kStripHeight = 40;
constexpr int kTipHeight = 30;     // tool rectangles cover the top of each entry
constexpr int kTextTop = 14;
constexpr int kIconTextGap = 4;

constexpr int stripWidth(int entries) { return entries > 0 ? entries * kEntryWidth : 0; }

// The offset after one tick: one pixel further left, back to 0 when the whole strip has
// gone by. An offset outside (-width, 0] (a strip that shrank) starts over at 0.
int nextOffset(int offset, int width);

// Left edges of the copies of the strip that show in a window of that width: the strip
// at the offset, then copies right after it until the right edge is covered.
std::vector<int> copyOrigins(int offset, int width, int windowWidth);

// The entry under window x, or -1. Each entry owns [left, left + 200): a boundary pixel
// belongs to the entry on its right only, so one point never names two entries.
int entryAt(int x, int offset, int entries, int windowWidth);

}  // namespace bands
