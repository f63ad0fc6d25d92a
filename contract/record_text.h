// The records' fixed-size text fields as text: up to the first NUL, never beyond the
// field, since a record read in place need not hold a terminated string.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace inv {

inline std::string_view fixedView(const char* field, size_t size) {
  if (!field) return std::string_view();
  const void* nul = std::memchr(field, '\0', size);
  return std::string_view(field, nul ? static_cast<size_t>(static_cast<const char*>(nul) - field) : size);
}

inline std::string fixedText(const char* field, size_t size) {
  return std::string(fixedView(field, size));
}

template <size_t N>
std::string recordText(const char (&field)[N]) {
  return fixedText(field, N);
}

}  // namespace inv
