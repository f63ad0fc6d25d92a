// The line walk of the description reader: each line's key is looked up in the key
// table, checked against the open section and its value count, and handed to its row.
#include "simulator/bus_parser.h"

#include "simulator/bus_reader.h"

namespace sim {

ParseResult BusReader::run(std::string_view text) {
  ParseResult result;
  size_t pos = 0;
  while (ok && pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    ++line;
    readLine(text.substr(pos, end - pos));
    pos = end + 1;
  }
  if (ok) closeAdapter();
  result.ok = ok;
  if (ok) {
    result.bus = std::move(bus);
  } else {
    result.error = error;
  }
  return result;
}

namespace {

bool isOpen(const BusReader& r, Section section) {
  switch (section) {
    case Section::Anywhere: return true;
    case Section::InAdapter: return r.adapter != nullptr;
    case Section::Bus: return r.adapter == nullptr;
    case Section::Adapter: return r.adapter != nullptr && r.device == nullptr;
    case Section::Device: return r.device != nullptr;
  }
  return false;
}

// Whether a key of `section` may stand here; fails with where it belongs when not.
bool inPlace(BusReader& r, Section section) {
  if (isOpen(r, section)) return true;
  const std::string key = quote(r.key());
  switch (section) {
    case Section::Bus: return r.fail(key + " belongs before the first adapter");
    case Section::Device: return r.fail(key + " outside a device section");
    default:
      if (!r.adapter) return r.fail(key + " outside an adapter section");
      return r.fail("adapter key " + key + " after a device: adapter keys come before the adapter's devices");
  }
}

}  // namespace

void BusReader::readLine(std::string_view raw) {
  std::string err;
  if (!tokenizeLine(raw, tokens, err)) {
    fail(err);
    return;
  }
  if (tokens.empty()) return;
  if (tokens[0].quoted) {
    fail("a line must start with a key, not with " + quote(tokens[0].text));
    return;
  }
  // A key with rows for two sections takes the open one's; with neither open, the last
  // row tells where the key belongs.
  const KeyRow* row = nullptr;
  for (const KeyRow& r : busKeys()) {
    if (key() != r.name) continue;
    row = &r;
    if (isOpen(*this, r.section)) break;
  }
  if (!row) {
    fail("unknown key " + quote(key()));
    return;
  }
  if (!inPlace(*this, row->section) || !argCount(row->minValues, row->maxValues)) return;
  row->read(*this);
}

bool BusReader::fail(const std::string& what, int at) {
  if (ok) {
    ok = false;
    error = bus.name + ":" + std::to_string(at ? at : line) + ": " + what;
  }
  return false;
}

bool BusReader::argCount(size_t min, size_t max) {
  size_t n = values();
  if (n < min) return fail("missing value for " + quote(key()));
  if (n > max) return fail("too many values for " + quote(key()));
  return true;
}

bool BusReader::decimal(size_t i, uint64_t max, uint64_t& out, const char* what) {
  auto v = parseDecimal(tokens[i].text, max);
  if (!v || tokens[i].quoted) {
    return fail(std::string("bad ") + what + " " + quote(tokens[i].text) +
                " (a decimal number from 0 to " + std::to_string(max) + ")");
  }
  out = *v;
  return true;
}

bool BusReader::hex(size_t i, size_t digits, uint32_t max, uint32_t& out, const char* what) {
  auto v = parseHex(tokens[i].text, digits);
  if (!v || tokens[i].quoted) return fail(std::string("bad hex ") + what + " " + quote(tokens[i].text));
  if (*v > max) return fail(std::string(what) + " " + quote(tokens[i].text) + " is out of range");
  out = *v;
  return true;
}

bool BusReader::bytes(size_t first, std::vector<uint8_t>& out) {
  std::string err;
  if (!parseByteList(tokens, first, out, err)) return fail(err);
  return true;
}

bool BusReader::text16(std::string& out) {
  const std::string& t = tokens[1].text;
  if (t.size() > 16) return fail(quote(key()) + " " + quote(t) + " is longer than 16 characters");
  out = t;
  return true;
}

bool BusReader::completionValue(size_t i, Completion& out) {
  const std::string& v = tokens[i].text;
  if (v == "immediate") {
    out = Completion::Immediate;
  } else if (v == "pending") {
    out = Completion::Pending;
  } else {
    return fail("completion must be \"immediate\" or \"pending\", not " + quote(v));
  }
  return true;
}

bool BusReader::either(const char* first, const char* second, bool& out) {
  const std::string& v = tokens[1].text;
  if (v != first && v != second) {
    return fail(key() + " must be \"" + first + "\" or \"" + second + "\"");
  }
  out = v == first;
  return true;
}

bool BusReader::times(size_t i, int& remaining) {
  if (tokens.size() == i) return true;
  if (tokens.size() != i + 2 || tokens[i].text != "times") {
    return fail("unexpected " + quote(tokens[i].text) + " (only \"times N\" may follow)");
  }
  uint64_t n;
  if (!decimal(i + 1, 1000000, n, "count")) return false;
  if (n == 0) return fail("\"times\" needs a count of at least 1");
  remaining = static_cast<int>(n);
  return true;
}

ParseResult parseBus(std::string_view text, std::string_view name) {
  if (text.size() > 4 * 1024 * 1024) {
    ParseResult r;
    r.error = std::string(name) + ":0: the description is larger than 4 MB";
    return r;
  }
  if (text.find('\0') != std::string_view::npos) {
    ParseResult r;
    r.error = std::string(name) + ":0: the description is not text (it holds a NUL byte)";
    return r;
  }
  // A byte-order mark, as some editors write it, is not part of the first key.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  return BusReader(name).run(text);
}

}  // namespace sim
