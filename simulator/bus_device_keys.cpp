// The device keys whose values have a structure of their own: mode page versions, fault
// rules and defect lists.
#include "simulator/bus_reader.h"

namespace sim {

namespace {

bool readDefect(BusReader& r, const std::string& s, Defect& out) {
  size_t a = s.find('/');
  size_t b = a == std::string::npos ? a : s.find('/', a + 1);
  if (b == std::string::npos || s.find('/', b + 1) != std::string::npos) {
    return r.fail("bad defect " + quote(s) + " (CYLINDER/HEAD/SECTOR)");
  }
  auto c = parseDecimal(std::string_view(s).substr(0, a), 0xFFFFFF);
  auto h = parseDecimal(std::string_view(s).substr(a + 1, b - a - 1), 0xFF);
  auto sec = parseDecimal(std::string_view(s).substr(b + 1), 0xFFFFFFFF);
  if (!c || !h || !sec) return r.fail("bad defect " + quote(s) + " (CYLINDER/HEAD/SECTOR, decimal)");
  out.cylinder = static_cast<uint32_t>(*c);
  out.head = static_cast<uint8_t>(*h);
  out.sector = static_cast<uint32_t>(*sec);
  return true;
}

}  // namespace

bool readDefects(BusReader& r, std::vector<Defect>& list) {
  for (size_t i = 1; i < r.tokens.size(); ++i) {
    // C/H/S*N: N defects on consecutive cylinders from C, for long lists.
    std::string text = r.word(i);
    uint64_t count = 1;
    const size_t star = text.find('*');
    if (star != std::string::npos) {
      auto n = parseDecimal(std::string_view(text).substr(star + 1), kMaxDefects);
      if (!n || *n == 0) {
        return r.fail("bad defect count in " + quote(text) + " (1 to " +
                      std::to_string(kMaxDefects) + ")");
      }
      count = *n;
      text.resize(star);
    }
    Defect def;
    if (!readDefect(r, text, def)) return false;
    if (def.cylinder + count - 1 > 0xFFFFFF) {
      return r.fail("defect run " + quote(r.word(i)) + " passes cylinder 16777215");
    }
    for (uint64_t n = 0; n < count; ++n, ++def.cylinder) {
      if (list.size() >= kMaxDefects) {
        return r.fail("defect list longer than " + std::to_string(kMaxDefects) + " entries");
      }
      list.push_back(def);
    }
  }
  return true;
}

// page CODE current|changeable|default|saved BYTES
bool readPage(BusReader& r) {
  uint32_t code;
  if (!r.hex(1, 2, 0x3E, code, "page code")) return false;
  const std::string& which = r.word(2);
  PageDraft* draft = nullptr;
  for (PageDraft& p : r.pages) {
    if (p.code == code) draft = &p;
  }
  if (!draft) {
    r.pages.emplace_back();
    draft = &r.pages.back();
    draft->code = static_cast<uint8_t>(code);
    draft->line = r.line;
  }
  std::optional<std::vector<uint8_t>>* slot = nullptr;
  if (which == "current") slot = &draft->current;
  if (which == "changeable") slot = &draft->changeable;
  if (which == "default") slot = &draft->defaults;
  if (which == "saved") slot = &draft->saved;
  if (!slot) {
    return r.fail("page values must be current, changeable, default or saved, not " + quote(which));
  }
  if (slot->has_value()) return r.fail("page " + r.word(1) + " " + which + " given twice");
  std::vector<uint8_t> b;
  if (!r.bytes(3, b)) return false;
  if (b.size() < 2) return r.fail("a page needs at least its code and length bytes");
  if ((b[0] & 0x3F) != code) {
    return r.fail("page " + r.word(1) + " " + which + " starts with page code " +
                  std::to_string(b[0] & 0x3F) + " (decimal), not its own");
  }
  if (b[1] != b.size() - 2) {
    return r.fail("page " + r.word(1) + " " + which + " has page length byte " +
                  std::to_string(b[1]) + " but " + std::to_string(b.size() - 2) +
                  " bytes follow it");
  }
  b[0] = static_cast<uint8_t>(code);  // PS is the simulator's to report
  *slot = std::move(b);
  return true;
}

// fault OPCODE|* KIND [ARGS] [page CODE] [after N] [times N]
bool readFault(BusReader& r) {
  const std::vector<Token>& tokens = r.tokens;
  Fault f;
  f.line = r.line;
  if (r.word(1) == "*") {
    f.opcode = kAnyOpcode;
  } else {
    uint32_t op;
    if (!r.hex(1, 2, 0xFF, op, "opcode")) return false;
    f.opcode = static_cast<int>(op);
  }
  const std::string& kind = r.word(2);
  size_t next = 3;
  auto hexArg = [&](uint8_t& out, const char* what) {
    if (tokens.size() <= next) return r.fail(std::string("fault ") + quote(kind) + " needs " + what);
    uint32_t v;
    if (!r.hex(next, 2, 0xFF, v, what)) return false;
    out = static_cast<uint8_t>(v);
    ++next;
    return true;
  };
  if (kind == "busy") {
    f.kind = FaultKind::Busy;
  } else if (kind == "check") {
    f.kind = FaultKind::Check;
    if (!hexArg(f.senseKey, "a sense key") || !hexArg(f.asc, "an additional sense code") ||
        !hexArg(f.ascq, "a qualifier")) {
      return false;
    }
    if (f.senseKey > 0x0F) return r.fail("a sense key is one hex digit (0 to F)");
  } else if (kind == "aborted") {
    f.kind = FaultKind::Aborted;
  } else if (kind == "timeout") {
    f.kind = FaultKind::SelectionTimeout;
  } else if (kind == "adapter") {
    f.kind = FaultKind::AdapterStatus;
    if (!hexArg(f.adapterStatus, "an adapter status")) return false;
  } else if (kind == "never") {
    f.kind = FaultKind::Never;
  } else if (kind == "late") {
    f.kind = FaultKind::Late;
  } else if (kind == "delay") {
    f.kind = FaultKind::Delay;
    if (tokens.size() <= next) return r.fail("fault \"delay\" needs milliseconds");
    uint64_t ms;
    if (!r.decimal(next, 60000, ms, "delay")) return false;
    f.delayMs = static_cast<uint32_t>(ms);
    ++next;
  } else if (kind == "short" || kind == "underrun") {
    f.kind = kind == "short" ? FaultKind::Short : FaultKind::Underrun;
    if (tokens.size() <= next) return r.fail("fault " + quote(kind) + " needs a byte count");
    uint64_t n;
    if (!r.decimal(next, 65535, n, "byte count")) return false;
    f.length = static_cast<uint32_t>(n);
    ++next;
  } else {
    return r.fail("unknown fault " + quote(kind) +
                  " (busy, check, aborted, timeout, adapter, never, late, delay, short or underrun)");
  }
  if (tokens.size() > next && r.word(next) == "page") {
    uint32_t page;
    if (tokens.size() <= next + 1) return r.fail("\"page\" needs a page code");
    if (!r.hex(next + 1, 2, 0x3F, page, "page code")) return false;
    if (f.opcode != 0x1A && f.opcode != 0x15) {
      return r.fail("\"page\" applies to faults of MODE SENSE(6) (1A) and MODE SELECT(6) (15) only");
    }
    f.page = static_cast<int>(page);
    next += 2;
  }
  if (tokens.size() > next && r.word(next) == "after") {
    uint64_t n;
    if (tokens.size() <= next + 1) return r.fail("\"after\" needs a count");
    if (!r.decimal(next + 1, 1000000, n, "count")) return false;
    f.skip = static_cast<int>(n);
    next += 2;
  }
  if (!r.times(next, f.remaining)) return false;
  if (r.device->faults.size() >= static_cast<size_t>(kMaxFaults)) return r.fail("too many faults");
  r.device->faults.push_back(f);
  return true;
}

}  // namespace sim
