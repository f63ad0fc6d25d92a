#include "framework/text.h"

#include <cstdio>

namespace fw {

std::string formatV(const char* pattern, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int needed = std::vsnprintf(nullptr, 0, pattern, copy);
  va_end(copy);
  if (needed <= 0) return std::string();
  std::string out(static_cast<size_t>(needed) + 1, '\0');
  std::vsnprintf(&out[0], out.size(), pattern, args);
  out.resize(static_cast<size_t>(needed));
  return out;
}

std::string format(const char* pattern, ...) {
  va_list args;
  va_start(args, pattern);
  std::string out = formatV(pattern, args);
  va_end(args);
  return out;
}

std::string fillPlaceholders(const std::string& pattern, const std::vector<std::string>& args) {
  std::string out;
  out.reserve(pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size()) {
      char n = pattern[i + 1];
      if (n == '%') {
        out += '%';
        ++i;
        continue;
      }
      if (n >= '1' && n <= '9') {
        size_t index = static_cast<size_t>(n - '1');
        if (index < args.size()) {
          out += args[index];
          ++i;
          continue;
        }
      }
    }
    out += c;
  }
  return out;
}

std::string hexByteSpaced(unsigned value) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out(3, ' ');
  out[0] = digits[(value >> 4) & 0xF];
  out[1] = digits[value & 0xF];
  return out;
}

std::string trimRight(const std::string& text) {
  size_t end = text.size();
  while (end > 0) {
    char c = text[end - 1];
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\0') break;
    --end;
  }
  return text.substr(0, end);
}

}  // namespace fw
