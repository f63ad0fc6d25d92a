#include "bands/strip_layout.h"

#include <climits>

#include "framework/scale.h"

namespace bands {

StripMetrics stripMetrics(unsigned dpi) {
  return {fw::scaled(kEntryWidth, dpi), fw::scaled(kStripHeight, dpi), fw::scaled(kTipHeight, dpi),
          fw::scaled(kTextTop, dpi),    fw::scaled(kIconTextGap, dpi), fw::scaled(1, dpi)};
}

int nextOffset(int offset, int width, int step) {
  if (width <= 0 || offset > 0 || offset <= -width) return 0;
  offset -= step > 0 ? step : 1;
  return offset <= -width ? 0 : offset;
}

int entryLeft(int entry, int offset, int entries, int windowWidth, int entryWidth) {
  const int width = stripWidth(entries, entryWidth);
  if (width <= 0 || entry < 0 || entry >= entries) return INT_MIN;
  int partial = INT_MIN;
  for (int origin : copyOrigins(offset, width, windowWidth)) {
    const long long left = static_cast<long long>(origin) + static_cast<long long>(entry) * entryWidth;
    const long long right = left + entryWidth;
    if (left >= 0 && right <= windowWidth) return static_cast<int>(left);
    if (partial == INT_MIN && right > 0 && left < windowWidth) partial = static_cast<int>(left);
  }
  return partial;
}

int offsetShowing(int entry, int offset, int entries, int windowWidth, int entryWidth) {
  const int left = entryLeft(entry, offset, entries, windowWidth, entryWidth);
  if (left != INT_MIN && left >= 0 && left + entryWidth <= windowWidth) return offset;
  return entry > 0 && entry < entries ? -entry * entryWidth : 0;
}

std::vector<int> copyOrigins(int offset, int width, int windowWidth) {
  std::vector<int> origins;
  if (width <= 0) return origins;
  origins.push_back(offset);
  for (long long left = static_cast<long long>(offset) + width; left < windowWidth; left += width)
    origins.push_back(static_cast<int>(left));
  return origins;
}

int entryAt(int x, int offset, int entries, int windowWidth, int entryWidth) {
  const int width = stripWidth(entries, entryWidth);
  if (width <= 0 || x < 0 || x >= windowWidth) return -1;
  for (int origin : copyOrigins(offset, width, windowWidth)) {
    const long long within = static_cast<long long>(x) - origin;
    if (within >= 0 && within < width) return static_cast<int>(within / entryWidth);
  }
  return -1;
}

}  // namespace bands
