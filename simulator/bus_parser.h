// Reads the text description of a virtual bus (format in simulator/README.md).
// A description is refused as a whole at its first fault, with a message naming the
// file and line; a refused description leaves no partial bus behind.
#pragma once

#include <string>
#include <string_view>

#include "simulator/bus.h"
#include "simulator/bus_text.h"  // the tokenizer and byte lists, which tests call too

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

}  // namespace sim
