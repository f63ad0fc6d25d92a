#include "explorer/settings_store.h"

#include <windows.h>

#include "framework/regkey.h"

namespace explorer {
namespace {

// Reads at most `size` bytes; a longer value counts as unreadable.
StoredValue readValue(HKEY key, const char* name, size_t size) {
  std::vector<uint8_t> data(size);
  DWORD got = static_cast<DWORD>(size);
  if (RegQueryValueExA(key, name, nullptr, nullptr, data.data(), &got) != ERROR_SUCCESS)
    return std::nullopt;
  data.resize(got);
  return data;
}

void writeValue(HKEY key, const char* name, const uint8_t* data, size_t size) {
  RegSetValueExA(key, name, 0, REG_BINARY, data, static_cast<DWORD>(size));
}

}  // namespace

bool readSettings(const std::string& key, ExplorerSettings& settings) {
  fw::RegKey k;
  std::string path = key + kSettingsSubkey;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, k.put()) != ERROR_SUCCESS)
    return false;
  settings = decodeSettings(readValue(k.get(), kStatusBarValue, kStatusBarBytes),
                            readValue(k.get(), kViewValue, kViewBytes),
                            readValue(k.get(), kSizePosValue, kSizePosBytes));
  return true;
}

void writeSettings(const std::string& key, const ExplorerSettings& settings) {
  fw::RegKey k;
  std::string path = key + kSettingsSubkey;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, k.put(), &disposition) != ERROR_SUCCESS)
    return;
  EncodedSettings e = encodeSettings(settings);
  writeValue(k.get(), kStatusBarValue, e.statusBar.data(), e.statusBar.size());
  writeValue(k.get(), kViewValue, e.view.data(), e.view.size());
  writeValue(k.get(), kSizePosValue, e.sizePos.data(), e.sizePos.size());
}

}  // namespace explorer
