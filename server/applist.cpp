#include "server/applist.h"

#include <cstdio>
#include <cstring>
#include <limits>

namespace srv {

bool appMatches(std::string_view data, uint8_t deviceType, std::string_view* path) {
  size_t hash = data.find('#');
  std::string_view program = hash == std::string_view::npos ? data : data.substr(0, hash);
  bool match;
  if (deviceType == kAllDeviceTypes) {
    match = true;
  } else if (hash == std::string_view::npos) {
    match = false;
  } else {
    char code[8];
    std::snprintf(code, sizeof code, "%02d", deviceType);
    match = data.substr(hash).find(code) != std::string_view::npos;
  }
  if (match && path) *path = program;
  return match;
}

namespace {

// Walks the values from index 0 until the source reports the end, handing each usable
// match to found(); found() answers false to stop early.
template <typename Found>
void walkMatches(AppValueSource& source, uint8_t deviceType, Found found) {
  std::string name, data;
  // The bound only matters for a source that never reports its end.
  for (uint32_t index = 0; index < std::numeric_limits<uint32_t>::max(); ++index) {
    AppValueRead read = source.read(index, name, data);
    if (read == AppValueRead::end) return;
    if (read == AppValueRead::skip) continue;
    std::string_view path;
    if (!appMatches(data, deviceType, &path)) continue;
    // A name or path that does not fit its field is left out rather than cut.
    if (!fitsAppField(name) || !fitsAppField(path)) continue;
    if (!found(name, std::string(path))) return;
  }
}

}  // namespace

int16_t countMatchingApps(AppValueSource& source, uint8_t deviceType) {
  int16_t count = 0;
  walkMatches(source, deviceType, [&](const std::string&, const std::string&) {
    ++count;
    return count < std::numeric_limits<int16_t>::max();
  });
  return count;
}

size_t visitMatchingApps(AppValueSource& source, uint8_t deviceType, size_t limit,
                         const std::function<void(const std::string&, const std::string&)>& visit) {
  size_t visited = 0;
  if (limit == 0) return 0;
  walkMatches(source, deviceType, [&](const std::string& name, const std::string& path) {
    visit(name, path);
    return ++visited < limit;
  });
  return visited;
}

bool copyAppField(char (&field)[kAppTextSize], std::string_view text) {
  size_t n = text.size() < kAppTextSize ? text.size() : kAppTextSize - 1;
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
  return n == text.size();
}

}  // namespace srv
