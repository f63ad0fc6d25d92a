#include "framework/strings.h"

#include <cstdarg>

#include "framework/module.h"
#include "framework/text.h"

namespace fw {

std::string loadString(UINT id) {
  // String tables hold blocks of 16 counted UTF-16 strings; read the entry directly so
  // that texts of any length come back whole.
  HINSTANCE module = resourceModule();
  HRSRC res = FindResourceA(module, MAKEINTRESOURCEA((id >> 4) + 1), MAKEINTRESOURCEA(6));
  if (!res) return std::string();
  HGLOBAL data = LoadResource(module, res);
  const WCHAR* p = data ? static_cast<const WCHAR*>(LockResource(data)) : nullptr;
  if (!p) return std::string();
  DWORD size = SizeofResource(module, res) / sizeof(WCHAR);
  const WCHAR* end = p + size;
  for (UINT i = 0; i < (id & 15); ++i) {
    if (p >= end) return std::string();
    p += 1 + *p;
  }
  if (p >= end || *p == 0) return std::string();
  int length = *p;
  if (p + 1 + length > end) return std::string();
  int bytes = WideCharToMultiByte(CP_ACP, 0, p + 1, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  if (bytes > 0) WideCharToMultiByte(CP_ACP, 0, p + 1, length, &out[0], bytes, nullptr, nullptr);
  return out;
}

bool hasString(UINT id) { return !loadString(id).empty(); }

std::string formatString(UINT id, ...) {
  std::string pattern = loadString(id);
  va_list args;
  va_start(args, id);
  std::string out = formatV(pattern.c_str(), args);
  va_end(args);
  return out;
}

std::string formatMessage(UINT id, const std::vector<std::string>& args) {
  return fillPlaceholders(loadString(id), args);
}

}  // namespace fw

namespace fw {

std::wstring widen(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
  return out;
}

std::string withoutMnemonic(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

}  // namespace fw
