// The records' fixed-size text fields as text: up to the first NUL, never beyond the
// field, since a record read in place need not hold a terminated string.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

namespace inv {

inline std::string fixedText(const char* field, size_t size) {
  if (!field) return std::string();
  const void* nul = std::memchr(field, '\0', size);
  return std::string(field, nul ? static_cast<size_t>(static_cast<const char*>(nul) - field) : size);
}

template <size_t N>
std::string recordText(const char (&field)[N]) {
  return fixedText(field, N);
}

}  // namespace inv
