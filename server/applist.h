// The application list: programs registered per device type under the per-user key
// "...\AppList". Each value names one application; its data is a program path, optionally
// followed by "#" and a code text in which two-digit device types ("%02d") are searched.
// This header is platform-free: the matching and the walk over the values are tested
// natively; the registry, the version resource and the shell icon are bound in
// applist_registry.cpp behind the AppValueSource seam.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "contract/app_descriptor.h"

namespace srv {

// Whether the value data names an application for deviceType; on a match *path receives
// the program path (the text before the first "#", or all of it). Without "#" only
// kAllDeviceTypes matches; with it, the two-digit type is searched anywhere in the rest,
// "#" included, as a plain substring (so "#0105" also matches 10).
bool appMatches(std::string_view data, uint8_t deviceType, std::string_view* path);

// The outcome of reading the value at one index of the key.
enum class AppValueRead {
  ok,       // name and data hold the value
  skip,     // the value cannot be used (too long, not text); go on with the next index
  end,      // no more values, or any enumeration error: the walk stops
};

// The seam in front of the registry key: reads the value at an index.
class AppValueSource {
 public:
  virtual ~AppValueSource() = default;
  virtual AppValueRead read(uint32_t index, std::string& name, std::string& data) = 0;
};

// Whether a text fits one of the record's fields with its terminating zero.
inline bool fitsAppField(std::string_view text) { return text.size() < kAppTextSize; }

// The number of applications for deviceType, at most INT16_MAX.
int16_t countMatchingApps(AppValueSource& source, uint8_t deviceType);

// Calls visit(name, path) for each application for deviceType, in value order, at most
// limit times; returns the number visited.
size_t visitMatchingApps(AppValueSource& source, uint8_t deviceType, size_t limit,
                         const std::function<void(const std::string& name,
                                                  const std::string& path)>& visit);

// Copies text into a record field, always zero-terminated; false when it had to be cut.
bool copyAppField(char (&field)[kAppTextSize], std::string_view text);

}  // namespace srv
