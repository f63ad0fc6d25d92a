// Owner of an open registry key: closed when the owner goes.
//
//   fw::RegKey key;
//   if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, key.put()) == ERROR_SUCCESS) ...
#pragma once

#include <windows.h>

namespace fw {

class RegKey {
 public:
  RegKey() = default;
  ~RegKey() { close(); }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  // For the out-parameter of RegOpenKeyEx/RegCreateKeyEx; closes what was held.
  HKEY* put() {
    close();
    return &key_;
  }
  HKEY get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }

  void close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
  }

 private:
  HKEY key_ = nullptr;
};

}  // namespace fw
