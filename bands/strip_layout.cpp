#include "bands/strip_layout.h"

namespace bands {

int nextOffset(int offset, int width) {
  if (width <= 0 || offset > 0 || offset <= -width) return 0;
  --offset;
  return offset <= -width ? 0 : offset;
}

std::vector<int> copyOrigins(int offset, int width, int windowWidth) {
  std::vector<int> origins;
  if (width <= 0) return origins;
  origins.push_back(offset);
  for (long long left = static_cast<long long>(offset) + width; left < windowWidth; left += width)
    origins.push_back(static_cast<int>(left));
  return origins;
}

int entryAt(int x, int offset, int entries, int windowWidth) {
  const int width = stripWidth(entries);
  if (width <= 0 || x < 0 || x >= windowWidth) return -1;
  for (int origin : copyOrigins(offset, width, windowWidth)) {
    const long long within = static_cast<long long>(x) - origin;
    if (within >= 0 && within < width) return static_cast<int>(within / kEntryWidth);
  }
  return -1;
}

}  // namespace bands
