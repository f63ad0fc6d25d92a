// Inside the bus description reader: the state of one reading (the bus so far, the open
// adapter and device, the current line's tokens, the first fault) and the value readers
// the keys share. Used by the line walk, the section handling and the key table.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "simulator/bus.h"
#include "simulator/bus_text.h"

namespace sim {

struct ParseResult;

// A device's mode page as it is being described: any of its four versions, resolved
// into a ModePage when the device closes.
struct PageDraft {
  uint8_t code = 0;
  int line = 0;
  std::optional<std::vector<uint8_t>> current, changeable, defaults, saved;
};

class BusReader {
 public:
  explicit BusReader(std::string_view name) { bus.name = std::string(name); }

  ParseResult run(std::string_view text);

  Bus bus;
  Adapter* adapter = nullptr;
  Device* device = nullptr;
  std::vector<PageDraft> pages;  // of the open device
  std::vector<Token> tokens;     // of the current line, the key first
  int line = 0;
  bool ok = true;
  std::string error;

  // Records the first fault only, at `at` or else the current line; returns false.
  bool fail(const std::string& what, int at = 0);

  const std::string& key() const { return tokens[0].text; }
  const std::string& word(size_t i) const { return tokens[i].text; }
  // Tokens after the key.
  size_t values() const { return tokens.size() - 1; }

  // Each reads token i, or fails with a message naming `what`.
  bool argCount(size_t min, size_t max);
  bool decimal(size_t i, uint64_t max, uint64_t& out, const char* what);
  bool hex(size_t i, size_t digits, uint32_t max, uint32_t& out, const char* what);
  bool bytes(size_t first, std::vector<uint8_t>& out);
  bool text16(std::string& out);
  bool completionValue(size_t i, Completion& out);
  // The only value is `first` (out = true) or `second` (out = false).
  bool either(const char* first, const char* second, bool& out);
  // Optional trailing "times N" from token i.
  bool times(size_t i, int& remaining);

  // Sections: opening one closes what it ends.
  bool startAdapter();
  bool startDevice();
  void closeDevice();
  void closeAdapter();

 private:
  void readLine(std::string_view raw);
};

// One key of the description: its name, where it may stand, how many values it takes,
// and the reader that checks its values and stores them in the open section's record.
enum class Section {
  Anywhere,   // opens a section of its own
  InAdapter,  // within an adapter, before or among its devices
  Bus,        // before the first adapter
  Adapter,    // in an adapter, before its first device
  Device,     // in a device
};

struct KeyRow {
  const char* name;
  Section section;
  size_t minValues, maxValues;
  bool (*read)(BusReader& r);
};

// The rows of every key. A key may have rows for two sections; they never are open at
// once.
const std::vector<KeyRow>& busKeys();

// Device keys with a reader of their own.
bool readPage(BusReader& r);
bool readFault(BusReader& r);
bool readDefects(BusReader& r, std::vector<Defect>& list);

}  // namespace sim
