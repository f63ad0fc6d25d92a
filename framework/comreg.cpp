#include "framework/comreg.h"

#include <oleauto.h>

#include <cstring>

#include "framework/regkey.h"

namespace fw {
namespace {

std::string narrow(const WCHAR* text) {
  int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, &out[0], n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}


}  // namespace

std::string guidText(const GUID& guid) {
  WCHAR text[40] = {};
  if (StringFromGUID2(guid, text, 40) == 0) return std::string();
  return narrow(text);
}

HRESULT setClassesText(const std::string& path, const char* name, const std::string& value) {
  RegKey key;
  LONG rc = RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_SET_VALUE, nullptr, key.put(), nullptr);
  if (rc == ERROR_SUCCESS) {
    rc = RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1));
  }
  return HRESULT_FROM_WIN32(rc);
}

bool readClassesText(const std::string& path, const char* name, std::string& value) {
  RegKey key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) !=
      ERROR_SUCCESS) {
    return false;
  }
  char buffer[1024] = {};
  DWORD size = sizeof buffer - 1;
  DWORD type = 0;
  if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return false;
  }
  value.assign(buffer, strnlen(buffer, size));
  return true;
}

bool classesKeyExists(const std::string& path) {
  RegKey key;
  return RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

HRESULT deleteClassesKey(const std::string& path) {
  LONG rc = RegDeleteKeyA(HKEY_CLASSES_ROOT, path.c_str());
  if (rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND) return S_OK;
  return HRESULT_FROM_WIN32(rc);
}

HRESULT registerModuleTypeLib(HMODULE module) {
  WCHAR path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
  ITypeLib* library = nullptr;
  HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, &library);
  if (FAILED(hr)) return hr;
  hr = RegisterTypeLib(library, path, nullptr);
  library->Release();
  return hr;
}

HRESULT unregisterTypeLib(const GUID& libid, WORD major, WORD minor, LCID lcid) {
  // The registration of this width only: the other width's server may be registered
  // beside it under the same library id.
  return UnRegisterTypeLib(libid, major, minor, lcid, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
}

}  // namespace fw
