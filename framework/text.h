// Text formatting helpers shared by every window: printf-style formatting into a
// std::string and the "%1".."%9" placeholder filling of message texts.
// Platform-free so that the rules are tested natively.
#pragma once

#include <cstdarg>
#include <string>
#include <vector>

namespace fw {

// printf-style formatting; never truncates.
std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
std::string formatV(const char* pattern, va_list args);

// Replaces %1..%9 with the corresponding argument (1-based). "%%" gives one '%'.
// A placeholder without an argument is left as written, so a missing argument is
// visible instead of silently producing an empty text.
std::string fillPlaceholders(const std::string& pattern, const std::vector<std::string>& args);

// Upper-case hex of one byte followed by a space: "0A ".
std::string hexByteSpaced(unsigned value);

// Removes trailing blanks, tabs, CR, LF and NULs.
std::string trimRight(const std::string& text);

}  // namespace fw
