#include "server/applist_registry.h"

#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <map>
#include <vector>

#include "framework/regkey.h"
#include "framework/strings.h"
#include "server/module_res.h"

namespace srv {
namespace {

// The values of the open AppList key, read with buffers of the record's field size.
class RegistryAppValues : public AppValueSource {
 public:
  explicit RegistryAppValues(HKEY key) : key_(key) {}

  AppValueRead read(uint32_t index, std::string& name, std::string& data) override {
    char nameBuffer[kAppTextSize];
    DWORD nameLength = sizeof nameBuffer;
    BYTE dataBuffer[kAppTextSize];
    DWORD dataLength = sizeof dataBuffer;
    DWORD type = 0;
    LONG rc = RegEnumValueA(key_, index, nameBuffer, &nameLength, nullptr, &type, dataBuffer,
                            &dataLength);
    if (rc == ERROR_MORE_DATA) return AppValueRead::skip;  // name or data too long
    if (rc != ERROR_SUCCESS) return AppValueRead::end;     // the end, or any failure
    if (type != REG_SZ && type != REG_EXPAND_SZ) return AppValueRead::skip;
    name.assign(nameBuffer, std::min<DWORD>(nameLength, sizeof nameBuffer));
    const char* text = reinterpret_cast<const char*>(dataBuffer);
    data.assign(text, strnlen(text, std::min<DWORD>(dataLength, sizeof dataBuffer)));
    return AppValueRead::ok;
  }

 private:
  HKEY key_;
};

// What countApps last answered per type; -1 before the first count.
std::array<int16_t, 256>& countedApps() {
  static std::array<int16_t, 256> counted = [] {
    std::array<int16_t, 256> a;
    a.fill(-1);
    return a;
  }();
  return counted;
}

class IconCache {
 public:
  IconCache() = default;
  ~IconCache() {
    for (auto& entry : icons_)
      if (entry.second) DestroyIcon(entry.second);
  }
  IconCache(const IconCache&) = delete;
  IconCache& operator=(const IconCache&) = delete;

  HICON iconFor(const std::string& path) {
    std::string key = path;
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    auto found = icons_.find(key);
    if (found != icons_.end()) return found->second;
    SHFILEINFOA info = {};
    HICON icon = nullptr;
    if (SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_LARGEICON))
      icon = info.hIcon;
    icons_.emplace(key, icon);
    return icon;
  }

 private:
  std::map<std::string, HICON> icons_;
};

}  // namespace

std::string appListKey() {
  std::string root = fw::loadString(IDS_SETTINGS_ROOT);
  return root.empty() ? std::string(kAppListKey) : root + "\\AppList";
}

int16_t countApps(uint8_t deviceType) {
  fw::RegKey key;
  int16_t count = 0;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, appListKey().c_str(), 0, KEY_READ, key.put()) ==
      ERROR_SUCCESS) {
    RegistryAppValues values(key.get());
    count = countMatchingApps(values, deviceType);
  }
  countedApps()[deviceType] = count;
  return count;
}

size_t listApps(uint8_t deviceType, AppDescriptor* out) {
  int16_t counted = countedApps()[deviceType];
  if (counted < 0) counted = countApps(deviceType);
  return listApps(deviceType, out, static_cast<size_t>(counted));
}

size_t listApps(uint8_t deviceType, AppDescriptor* out, size_t capacity) {
  if (!out || capacity == 0) return 0;
  fw::RegKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, appListKey().c_str(), 0, KEY_READ, key.put()) !=
      ERROR_SUCCESS)
    return 0;
  RegistryAppValues values(key.get());
  size_t n = 0;
  return visitMatchingApps(values, deviceType, capacity,
                           [&](const std::string& name, const std::string& path) {
    AppDescriptor& app = out[n++];
    copyAppField(app.appName, name);
    copyAppField(app.appPath, path);
    std::string description;
    if (fileDescription(path, description)) copyAppField(app.appDescription, description);
    app.appIcon = shellLargeIcon(path);
  });
}

bool fileDescription(const std::string& path, std::string& out) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0) return false;
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return false;
  static const char* const kQueries[] = {
      "\\StringFileInfo\\040904E4\\FileDescription",
      "\\StringFileInfo\\040904B0\\FileDescription",
  };
  for (const char* query : kQueries) {
    void* value = nullptr;
    UINT length = 0;
    if (VerQueryValueA(block.data(), query, &value, &length) && value && length > 0) {
      const char* text = static_cast<const char*>(value);
      out.assign(text, strnlen(text, length));
      return true;
    }
  }
  return false;
}

uint32_t shellLargeIcon(const std::string& path) {
  static IconCache cache;
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(cache.iconFor(path)));
}

}  // namespace srv
