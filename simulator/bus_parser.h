// Reads the text description of a virtual bus (format in simulator/README.md).
// A description is refused as a whole at its first fault, with a message naming the
// file and line; a refused description leaves no partial bus behind.
#pragma once

#include <string>
#include <string_view>

#include "simulator/bus.h"

namespace sim {

struct ParseResult {
  bool ok = false;
  Bus bus;
  std::string error;  // "NAME:LINE: what is wrong" when !ok
};

// `name` is used in messages (normally the file's name).
ParseResult parseBus(std::string_view text, std::string_view name);

// A description of the bus that parseBus reads back as the same bus (sameBus): every
// value written out, nothing left to the defaults.
std::string printBus(const Bus& bus);

// Whether two buses describe the same thing: every value alike, the lines they were
// read from aside.
bool sameBus(const Bus& a, const Bus& b);

// The built-in default bus (the text of simulator/default.bus, compiled in).
std::string_view defaultBusText();
constexpr const char* kDefaultBusName = "default.bus";

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

}  // namespace sim
