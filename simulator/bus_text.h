// The words of a bus description: a line split into tokens, and the numbers, byte lists
// and quoted excerpts the reader builds its values and messages from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// Splits one line into tokens: bare words and "quoted strings" (with \" and \\), up to
// a # outside quotes. Returns false with `error` set on an unterminated string.
struct Token {
  std::string text;
  bool quoted = false;
};
bool tokenizeLine(std::string_view line, std::vector<Token>& tokens, std::string& error);

// A byte list: two-digit (or one-digit) hex bytes, "quoted text" as its ASCII bytes,
// and HH*N for N copies of a byte. Returns false with `error` set.
bool parseByteList(const std::vector<Token>& tokens, size_t first, std::vector<uint8_t>& out,
                   std::string& error);

// Hex number of 1..maxDigits digits, optionally with a 0x prefix.
std::optional<uint32_t> parseHex(std::string_view s, size_t maxDigits);

// Decimal number of at most `max`, digits only.
std::optional<uint64_t> parseDecimal(std::string_view s, uint64_t max);

// A word as a message shows it: quoted, control characters as ?, cut after 40.
std::string quote(std::string_view s);

// Two upper-case hex digits of the low byte of v.
std::string hexByte(unsigned v);

}  // namespace sim
