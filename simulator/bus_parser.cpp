#include "simulator/bus_parser.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <tuple>

namespace sim {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string quote(std::string_view s) {
  std::string out = "\"";
  for (char c : s.substr(0, 40)) {
    out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? '?' : c;
  }
  if (s.size() > 40) out += "...";
  return out + "\"";
}

// Hex number of 1..maxDigits digits, optionally with a 0x prefix.
std::optional<uint32_t> parseHex(std::string_view s, size_t maxDigits) {
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.remove_prefix(2);
  if (s.empty() || s.size() > maxDigits) return std::nullopt;
  uint32_t v = 0;
  for (char c : s) {
    int d = hexDigit(c);
    if (d < 0) return std::nullopt;
    v = v * 16 + static_cast<uint32_t>(d);
  }
  return v;
}

std::optional<uint64_t> parseDecimal(std::string_view s, uint64_t max) {
  if (s.empty() || s.size() > 20) return std::nullopt;
  uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    uint64_t d = static_cast<uint64_t>(c - '0');
    if (v > (max - d) / 10) return std::nullopt;
    v = v * 10 + d;
  }
  return v;
}

struct PageDraft {
  uint8_t code = 0;
  int line = 0;
  std::optional<std::vector<uint8_t>> current, changeable, defaults, saved;
};

class Parser {
 public:
  explicit Parser(std::string_view name) { bus_.name = std::string(name); }

  ParseResult run(std::string_view text) {
    ParseResult result;
    size_t pos = 0;
    while (ok_ && pos <= text.size()) {
      size_t end = text.find('\n', pos);
      if (end == std::string_view::npos) end = text.size();
      ++line_;
      parseLine(text.substr(pos, end - pos));
      pos = end + 1;
    }
    if (ok_) closeAdapter();
    result.ok = ok_;
    if (ok_) {
      result.bus = std::move(bus_);
    } else {
      result.error = error_;
    }
    return result;
  }

 private:
  Bus bus_;
  Adapter* adapter_ = nullptr;
  Device* device_ = nullptr;
  std::vector<PageDraft> pages_;
  std::vector<Token> tokens_;
  int line_ = 0;
  bool ok_ = true;
  std::string error_;

  bool fail(const std::string& what, int line = 0) {
    if (ok_) {
      ok_ = false;
      error_ = bus_.name + ":" + std::to_string(line ? line : line_) + ": " + what;
    }
    return false;
  }

  const std::string& key() const { return tokens_[0].text; }

  bool argCount(size_t min, size_t max) {
    size_t n = tokens_.size() - 1;
    if (n < min) return fail("missing value for " + quote(key()));
    if (n > max) return fail("too many values for " + quote(key()));
    return true;
  }

  bool decimal(size_t i, uint64_t max, uint64_t& out, const char* what) {
    auto v = parseDecimal(tokens_[i].text, max);
    if (!v || tokens_[i].quoted) {
      return fail(std::string("bad ") + what + " " + quote(tokens_[i].text) +
                  " (a decimal number from 0 to " + std::to_string(max) + ")");
    }
    out = *v;
    return true;
  }

  bool hex(size_t i, size_t digits, uint32_t max, uint32_t& out, const char* what) {
    auto v = parseHex(tokens_[i].text, digits);
    if (!v || tokens_[i].quoted) return fail(std::string("bad hex ") + what + " " + quote(tokens_[i].text));
    if (*v > max) return fail(std::string(what) + " " + quote(tokens_[i].text) + " is out of range");
    out = *v;
    return true;
  }

  bool bytes(size_t first, std::vector<uint8_t>& out) {
    std::string err;
    if (!parseByteList(tokens_, first, out, err)) return fail(err);
    return true;
  }

  bool text16(std::string& out) {
    if (!argCount(1, 1)) return false;
    const std::string& t = tokens_[1].text;
    if (t.size() > 16) return fail(quote(key()) + " " + quote(t) + " is longer than 16 characters");
    out = t;
    return true;
  }

  void parseLine(std::string_view raw) {
    std::string err;
    if (!tokenizeLine(raw, tokens_, err)) {
      fail(err);
      return;
    }
    if (tokens_.empty()) return;
    if (tokens_[0].quoted) {
      fail("a line must start with a key, not with " + quote(tokens_[0].text));
      return;
    }
    const std::string& k = key();
    if (k == "adapter") return void(startAdapter());
    if (k == "device") return void(startDevice());
    if (k == "manager-status" || k == "devicemap" ||
        (k == "completion" && !adapter_)) {
      return void(busKey());
    }
    if (k == "identifier" || k == "manager-id" || k == "scsi-id" || k == "unique" ||
        k == "pci" || k == "eeprom" || k == "eeprom-shared" || k == "port" ||
        k == "port-fault") {
      return void(adapterKey());
    }
    if (k == "inquiry" || k == "capacity" || k == "page" || k == "plist" || k == "glist" ||
        k == "plist-length" || k == "glist-length" || k == "block-descriptors" || k == "rate" || k == "completion" || k == "fault" || k == "missing-page" ||
        k == "select-refuse" || k == "select-ignore") {
      return void(deviceKey());
    }
    fail("unknown key " + quote(k));
  }

  bool completionValue(size_t i, Completion& out) {
    const std::string& v = tokens_[i].text;
    if (v == "immediate") {
      out = Completion::Immediate;
    } else if (v == "pending") {
      out = Completion::Pending;
    } else {
      return fail("completion must be \"immediate\" or \"pending\", not " + quote(v));
    }
    return true;
  }

  bool busKey() {
    if (adapter_) return fail(quote(key()) + " belongs before the first adapter");
    const std::string& k = key();
    if (!argCount(1, 1)) return false;
    if (k == "manager-status") {
      uint32_t v;
      if (!hex(1, 2, 0xFF, v, "manager status")) return false;
      bus_.managerStatus = static_cast<uint8_t>(v);
    } else if (k == "devicemap") {
      if (tokens_[1].text == "on") {
        bus_.deviceMap = true;
      } else if (tokens_[1].text == "off") {
        bus_.deviceMap = false;
      } else {
        return fail("devicemap must be \"on\" or \"off\"");
      }
    } else {
      return completionValue(1, bus_.completion);
    }
    return true;
  }

  bool startAdapter() {
    if (!argCount(1, 1)) return false;
    closeAdapter();
    if (!ok_) return false;
    uint64_t n;
    if (!decimal(1, 1000, n, "adapter number")) return false;
    if (n != bus_.adapters.size()) {
      return fail("adapter " + std::to_string(n) + " out of order (expected adapter " +
                  std::to_string(bus_.adapters.size()) + ")");
    }
    if (bus_.adapters.size() >= static_cast<size_t>(kMaxAdapters)) {
      return fail("too many adapters (at most " + std::to_string(kMaxAdapters) + ")");
    }
    bus_.adapters.emplace_back();
    adapter_ = &bus_.adapters.back();
    adapter_->line = line_;
    return true;
  }

  bool adapterKey() {
    if (!adapter_) return fail(quote(key()) + " outside an adapter section");
    if (device_) {
      return fail("adapter key " + quote(key()) + " after a device: adapter keys come before the adapter's devices");
    }
    Adapter& a = *adapter_;
    const std::string& k = key();
    if (k == "identifier") return text16(a.identifier);
    if (k == "manager-id") return text16(a.managerId);
    if (k == "scsi-id") {
      uint64_t v;
      if (!argCount(1, 1) || !decimal(1, 31, v, "SCSI ID")) return false;
      a.scsiId = static_cast<uint8_t>(v);
      return true;
    }
    if (k == "unique") {
      std::vector<uint8_t> b;
      if (!argCount(1, 1000) || !bytes(1, b)) return false;
      if (b.size() != 16) {
        return fail("\"unique\" needs exactly 16 bytes, not " + std::to_string(b.size()));
      }
      std::copy(b.begin(), b.end(), a.unique.begin());
      return true;
    }
    if (k == "pci" || k == "eeprom") {
      size_t size = k == "pci" ? kPciConfigSize : kEepromSize;
      uint32_t offset;
      std::vector<uint8_t> b;
      if (!argCount(2, 10000) || !hex(1, 4, static_cast<uint32_t>(size - 1), offset, "offset") ||
          !bytes(2, b)) {
        return false;
      }
      if (offset + b.size() > size) {
        return fail(quote(k) + " bytes from offset " + tokens_[1].text + " run past the " +
                    std::to_string(size) + "-byte " + (k == "pci" ? "configuration space" : "EEPROM"));
      }
      uint8_t* dst = k == "pci" ? a.pci.data() : a.eeprom.data();
      std::copy(b.begin(), b.end(), dst + offset);
      return true;
    }
    if (k == "eeprom-shared") {
      uint64_t v;
      if (!argCount(1, 1) || !decimal(1, 1000, v, "adapter number")) return false;
      size_t self = bus_.adapters.size() - 1;
      if (v >= self) return fail("\"eeprom-shared\" must name an earlier adapter");
      a.eepromSharedWith = static_cast<int>(v);
      return true;
    }
    if (k == "port") {
      uint64_t n;
      if (!argCount(1, 3) || !decimal(1, 15, n, "SCSI port number")) return false;
      for (const Adapter& other : bus_.adapters) {
        if (&other != &a && other.port == static_cast<int>(n)) {
          return fail("SCSI port " + std::to_string(n) + " is already used by adapter " +
                      std::to_string(&other - bus_.adapters.data()));
        }
      }
      a.port = static_cast<int>(n);
      a.portDriver = tokens_.size() > 2 ? tokens_[2].text : "kestrdrv";
      if (a.portDriver.empty() || a.portDriver.size() > 32) return fail("bad driver name");
      if (tokens_.size() > 3) {
        uint32_t io;
        if (!hex(3, 8, 0xFFFFFFFF, io, "I/O address")) return false;
        a.hasIoAddress = true;
        a.ioAddress = io;
      }
      return true;
    }
    // port-fault KIND [times N]
    if (!argCount(1, 3)) return false;
    PortFault f;
    const std::string& kind = tokens_[1].text;
    if (kind == "open") {
      f.kind = PortFaultKind::Open;
    } else if (kind == "call") {
      f.kind = PortFaultKind::Call;
    } else if (kind == "status") {
      f.kind = PortFaultKind::Status;
    } else {
      return fail("unknown port fault " + quote(kind) + " (open, call or status)");
    }
    if (!times(2, f.remaining)) return false;
    if (a.portFaults.size() >= static_cast<size_t>(kMaxFaults)) return fail("too many port faults");
    a.portFaults.push_back(f);
    return true;
  }

  // Optional trailing "times N" from token i.
  bool times(size_t i, int& remaining) {
    if (tokens_.size() == i) return true;
    if (tokens_.size() != i + 2 || tokens_[i].text != "times") {
      return fail("unexpected " + quote(tokens_[i].text) + " (only \"times N\" may follow)");
    }
    uint64_t n;
    if (!decimal(i + 1, 1000000, n, "count")) return false;
    if (n == 0) return fail("\"times\" needs a count of at least 1");
    remaining = static_cast<int>(n);
    return true;
  }

  bool startDevice() {
    if (!adapter_) return fail("\"device\" outside an adapter section");
    if (!argCount(1, 1)) return false;
    closeDevice();
    if (!ok_) return false;
    uint64_t t;
    if (!decimal(1, 255, t, "target")) return false;
    int max = adapter_->maxTargets();
    if (t >= static_cast<uint64_t>(max)) {
      return fail("target " + std::to_string(t) + " is out of range (the adapter has " +
                  std::to_string(max) + " targets: 0 to " + std::to_string(max - 1) + ")");
    }
    if (t == adapter_->scsiId) {
      return fail("target " + std::to_string(t) + " is the adapter's own SCSI ID");
    }
    for (const Device& d : adapter_->devices) {
      if (d.target == t) return fail("device " + std::to_string(t) + " given twice");
    }
    adapter_->devices.emplace_back();
    device_ = &adapter_->devices.back();
    device_->target = static_cast<uint8_t>(t);
    device_->line = line_;
    return true;
  }

  bool deviceKey() {
    if (!device_) return fail(quote(key()) + " outside a device section");
    Device& d = *device_;
    const std::string& k = key();
    if (k == "inquiry") {
      std::vector<uint8_t> b;
      if (!argCount(1, 10000) || !bytes(1, b)) return false;
      if (b.size() > kMaxInquiryBytes) {
        return fail("inquiry data of " + std::to_string(b.size()) + " bytes is too long (at most " +
                    std::to_string(kMaxInquiryBytes) + ")");
      }
      d.inquiry = std::move(b);
      return true;
    }
    if (k == "capacity") {
      uint64_t blocks, length;
      if (!argCount(2, 2) || !decimal(1, 0xFFFFFFFFFFFFull, blocks, "block count") ||
          !decimal(2, 0xFFFFFF, length, "block length")) {
        return false;
      }
      if (blocks == 0 || length == 0) return fail("capacity needs a block count and a block length above 0");
      d.hasCapacity = true;
      d.blocks = blocks;
      d.blockLength = static_cast<uint32_t>(length);
      return true;
    }
    if (k == "page") return pageKey();
    if (k == "plist" || k == "glist") {
      std::vector<Defect>& list = k == "plist" ? d.primary : d.grown;
      if (!argCount(1, 100000)) return false;
      for (size_t i = 1; i < tokens_.size(); ++i) {
        // C/H/S*N: N defects on consecutive cylinders from C, for long lists.
        std::string text = tokens_[i].text;
        uint64_t count = 1;
        const size_t star = text.find('*');
        if (star != std::string::npos) {
          auto n = parseDecimal(std::string_view(text).substr(star + 1), kMaxDefects);
          if (!n || *n == 0) {
            return fail("bad defect count in " + quote(text) + " (1 to " +
                        std::to_string(kMaxDefects) + ")");
          }
          count = *n;
          text.resize(star);
        }
        Defect def;
        if (!defect(text, def)) return false;
        if (def.cylinder + count - 1 > 0xFFFFFF) {
          return fail("defect run " + quote(tokens_[i].text) + " passes cylinder 16777215");
        }
        for (uint64_t n = 0; n < count; ++n, ++def.cylinder) {
          if (list.size() >= kMaxDefects) {
            return fail("defect list longer than " + std::to_string(kMaxDefects) + " entries");
          }
          list.push_back(def);
        }
      }
      return true;
    }
    if (k == "plist-length" || k == "glist-length") {
      uint64_t v;
      if (!argCount(1, 1) || !decimal(1, 0xFFFF, v, "list length")) return false;
      (k == "plist-length" ? d.primaryLength : d.grownLength) = static_cast<int>(v);
      return true;
    }
    if (k == "rate") {
      if (!argCount(1, 2)) return false;
      if (tokens_[1].text == "async") {
        if (tokens_.size() > 2) return fail("\"rate async\" takes nothing more");
        d.rate = Rate{};
        return true;
      }
      uint64_t v;
      if (!decimal(1, 0xFFFFFFFF, v, "rate")) return false;
      d.rate.tenthsMBps = static_cast<uint32_t>(v);
      d.rate.offset = 0x7F;
      d.rate.doubled = false;
      if (tokens_.size() > 2) {
        if (tokens_[2].text != "x2") return fail("a rate may only be followed by \"x2\"");
        d.rate.doubled = true;
      }
      return true;
    }
    if (k == "block-descriptors") {
      if (!argCount(1, 1)) return false;
      if (tokens_[1].text != "on" && tokens_[1].text != "off") {
        return fail("block-descriptors must be \"on\" or \"off\"");
      }
      d.blockDescriptors = tokens_[1].text == "on";
      return true;
    }
    if (k == "missing-page") {
      if (!argCount(1, 1)) return false;
      if (tokens_[1].text != "check" && tokens_[1].text != "empty") {
        return fail("missing-page must be \"check\" or \"empty\"");
      }
      d.emptyForMissingPage = tokens_[1].text == "empty";
      return true;
    }
    if (k == "completion") {
      if (!argCount(1, 1) || !completionValue(1, d.completion)) return false;
      d.hasCompletion = true;
      return true;
    }
    if (k == "select-refuse" || k == "select-ignore") {
      // select-refuse|select-ignore PAGE BYTE MASK
      uint32_t page, byte, mask;
      if (!argCount(3, 3) || !hex(1, 2, 0x3E, page, "page code") ||
          !hex(2, 2, 0xFF, byte, "page byte") || !hex(3, 2, 0xFF, mask, "bit mask")) {
        return false;
      }
      if (byte < 2) return fail("the page code and length bytes (0 and 1) cannot carry a quirk");
      if (d.selectQuirks.size() >= static_cast<size_t>(kMaxFaults)) return fail("too many select quirks");
      SelectQuirk q;
      q.kind = k == "select-refuse" ? SelectQuirk::Refuse : SelectQuirk::Ignore;
      q.page = static_cast<uint8_t>(page);
      q.byte = static_cast<uint8_t>(byte);
      q.mask = static_cast<uint8_t>(mask);
      d.selectQuirks.push_back(q);
      return true;
    }
    return faultKey();
  }

  bool defect(const std::string& s, Defect& out) {
    size_t a = s.find('/');
    size_t b = a == std::string::npos ? a : s.find('/', a + 1);
    if (b == std::string::npos || s.find('/', b + 1) != std::string::npos) {
      return fail("bad defect " + quote(s) + " (CYLINDER/HEAD/SECTOR)");
    }
    auto c = parseDecimal(std::string_view(s).substr(0, a), 0xFFFFFF);
    auto h = parseDecimal(std::string_view(s).substr(a + 1, b - a - 1), 0xFF);
    auto sec = parseDecimal(std::string_view(s).substr(b + 1), 0xFFFFFFFF);
    if (!c || !h || !sec) return fail("bad defect " + quote(s) + " (CYLINDER/HEAD/SECTOR, decimal)");
    out.cylinder = static_cast<uint32_t>(*c);
    out.head = static_cast<uint8_t>(*h);
    out.sector = static_cast<uint32_t>(*sec);
    return true;
  }

  bool pageKey() {
    if (!argCount(3, 10000)) return false;
    uint32_t code;
    if (!hex(1, 2, 0x3E, code, "page code")) return false;
    const std::string& which = tokens_[2].text;
    PageDraft* draft = nullptr;
    for (PageDraft& p : pages_) {
      if (p.code == code) draft = &p;
    }
    if (!draft) {
      pages_.emplace_back();
      draft = &pages_.back();
      draft->code = static_cast<uint8_t>(code);
      draft->line = line_;
    }
    std::optional<std::vector<uint8_t>>* slot = nullptr;
    if (which == "current") slot = &draft->current;
    if (which == "changeable") slot = &draft->changeable;
    if (which == "default") slot = &draft->defaults;
    if (which == "saved") slot = &draft->saved;
    if (!slot) {
      return fail("page values must be current, changeable, default or saved, not " + quote(which));
    }
    if (slot->has_value()) return fail("page " + tokens_[1].text + " " + which + " given twice");
    std::vector<uint8_t> b;
    if (!bytes(3, b)) return false;
    if (b.size() < 2) return fail("a page needs at least its code and length bytes");
    if ((b[0] & 0x3F) != code) {
      return fail("page " + tokens_[1].text + " " + which + " starts with page code " +
                  std::to_string(b[0] & 0x3F) + " (decimal), not its own");
    }
    if (b[1] != b.size() - 2) {
      return fail("page " + tokens_[1].text + " " + which + " has page length byte " +
                  std::to_string(b[1]) + " but " + std::to_string(b.size() - 2) +
                  " bytes follow it");
    }
    b[0] = static_cast<uint8_t>(code);  // PS is the simulator's to report
    *slot = std::move(b);
    return true;
  }

  bool faultKey() {
    if (!argCount(2, 9)) return false;
    Fault f;
    f.line = line_;
    if (tokens_[1].text == "*") {
      f.opcode = kAnyOpcode;
    } else {
      uint32_t op;
      if (!hex(1, 2, 0xFF, op, "opcode")) return false;
      f.opcode = static_cast<int>(op);
    }
    const std::string& kind = tokens_[2].text;
    size_t next = 3;
    auto hexArg = [&](uint8_t& out, const char* what) {
      if (tokens_.size() <= next) return fail(std::string("fault ") + quote(kind) + " needs " + what);
      uint32_t v;
      if (!hex(next, 2, 0xFF, v, what)) return false;
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
      if (f.senseKey > 0x0F) return fail("a sense key is one hex digit (0 to F)");
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
      if (tokens_.size() <= next) return fail("fault \"delay\" needs milliseconds");
      uint64_t ms;
      if (!decimal(next, 60000, ms, "delay")) return false;
      f.delayMs = static_cast<uint32_t>(ms);
      ++next;
    } else if (kind == "short" || kind == "underrun") {
      f.kind = kind == "short" ? FaultKind::Short : FaultKind::Underrun;
      if (tokens_.size() <= next) return fail("fault " + quote(kind) + " needs a byte count");
      uint64_t n;
      if (!decimal(next, 65535, n, "byte count")) return false;
      f.length = static_cast<uint32_t>(n);
      ++next;
    } else {
      return fail("unknown fault " + quote(kind) +
                  " (busy, check, aborted, timeout, adapter, never, late, delay, short or underrun)");
    }
    if (tokens_.size() > next && tokens_[next].text == "page") {
      uint32_t page;
      if (tokens_.size() <= next + 1) return fail("\"page\" needs a page code");
      if (!hex(next + 1, 2, 0x3F, page, "page code")) return false;
      if (f.opcode != 0x1A && f.opcode != 0x15) {
        return fail("\"page\" applies to faults of MODE SENSE(6) (1A) and MODE SELECT(6) (15) only");
      }
      f.page = static_cast<int>(page);
      next += 2;
    }
    if (tokens_.size() > next && tokens_[next].text == "after") {
      uint64_t n;
      if (tokens_.size() <= next + 1) return fail("\"after\" needs a count");
      if (!decimal(next + 1, 1000000, n, "count")) return false;
      f.skip = static_cast<int>(n);
      next += 2;
    }
    if (!times(next, f.remaining)) return false;
    if (device_->faults.size() >= static_cast<size_t>(kMaxFaults)) return fail("too many faults");
    device_->faults.push_back(f);
    return true;
  }

  void closeDevice() {
    if (!device_) return;
    Device& d = *device_;
    if (d.inquiry.empty()) {
      fail("device " + std::to_string(d.target) + " has no inquiry data", d.line);
      return;
    }
    size_t total = 0;
    std::sort(pages_.begin(), pages_.end(),
              [](const PageDraft& a, const PageDraft& b) { return a.code < b.code; });
    for (PageDraft& p : pages_) {
      if (!p.current && !p.saved && !p.defaults) {
        fail("page " + hexByte(p.code) + " has only changeable values", p.line);
        return;
      }
      ModePage page;
      page.code = p.code;
      // A device powers up with its saved values; what is not given follows from that.
      page.current = p.current ? *p.current : p.saved ? *p.saved : *p.defaults;
      page.saved = p.saved ? *p.saved : page.current;
      page.defaults = p.defaults ? *p.defaults : page.saved;
      size_t len = page.current.size();
      page.changeable = p.changeable ? *p.changeable : std::vector<uint8_t>(len, 0);
      if (!p.changeable) {
        page.changeable[0] = page.code;
        page.changeable[1] = static_cast<uint8_t>(len - 2);
      }
      if (page.defaults.size() != len || page.saved.size() != len || page.changeable.size() != len) {
        fail("the values of page " + hexByte(p.code) + " differ in length", p.line);
        return;
      }
      page.describedCurrent = page.current;
      page.describedSaved = page.saved;
      total += len;
      d.pages.push_back(std::move(page));
    }
    pages_.clear();
    if (total > kMaxModeBytes) {
      fail("the mode pages of device " + std::to_string(d.target) + " total " +
               std::to_string(total) + " bytes; at most " + std::to_string(kMaxModeBytes) +
               " fit a MODE SENSE(6) answer",
           d.line);
      return;
    }
    if (!d.hasCompletion) d.completion = bus_.completion;
    device_ = nullptr;
  }

  void closeAdapter() {
    closeDevice();
    if (!adapter_ || !ok_) return;
    std::sort(adapter_->devices.begin(), adapter_->devices.end(),
              [](const Device& a, const Device& b) { return a.target < b.target; });
    adapter_ = nullptr;
  }

  static std::string hexByte(uint8_t v) {
    const char* digits = "0123456789ABCDEF";
    return std::string{digits[v >> 4], digits[v & 15]};
  }
};

}  // namespace

bool tokenizeLine(std::string_view line, std::vector<Token>& tokens, std::string& error) {
  tokens.clear();
  size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (isSpace(c)) {
      ++i;
      continue;
    }
    if (c == '#') break;
    Token t;
    if (c == '"') {
      t.quoted = true;
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char q = line[i++];
        if (q == '"') {
          closed = true;
          break;
        }
        if (q == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\')) q = line[i++];
        t.text += q;
      }
      if (!closed) {
        error = "unterminated string";
        return false;
      }
    } else {
      while (i < line.size() && !isSpace(line[i]) && line[i] != '#') {
        if (line[i] == '"') {
          error = "a quote inside a word";
          return false;
        }
        t.text += line[i++];
      }
    }
    tokens.push_back(std::move(t));
  }
  return true;
}

bool parseByteList(const std::vector<Token>& tokens, size_t first, std::vector<uint8_t>& out,
                   std::string& error) {
  out.clear();
  for (size_t i = first; i < tokens.size(); ++i) {
    const Token& t = tokens[i];
    if (t.quoted) {
      out.insert(out.end(), t.text.begin(), t.text.end());
    } else {
      std::string_view s = t.text;
      size_t star = s.find('*');
      uint64_t count = 1;
      if (star != std::string_view::npos) {
        auto n = parseDecimal(s.substr(star + 1), 65536);
        if (!n || *n == 0) {
          error = "bad repeat count in " + quote(t.text);
          return false;
        }
        count = *n;
        s = s.substr(0, star);
      }
      auto v = parseHex(s, 2);
      if (!v || s.substr(0, 2) == "0x") {
        error = "bad hex " + quote(t.text);
        return false;
      }
      out.insert(out.end(), static_cast<size_t>(count), static_cast<uint8_t>(*v));
    }
    if (out.size() > 65536) {
      error = "byte list too long";
      return false;
    }
  }
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
  return Parser(name).run(text);
}


// ---- printing back -------------------------------------------------------------------

namespace {

std::string hex2(unsigned v) {
  char b[8];
  std::snprintf(b, sizeof b, "%02X", v & 0xFFu);
  return b;
}

template <class Bytes>
std::string byteList(const Bytes& bytes) {
  std::string out;
  for (uint8_t b : bytes) {
    out += ' ';
    out += hex2(b);
  }
  return out;
}

std::string quotedText(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

const char* completionWord(Completion c) { return c == Completion::Pending ? "pending" : "immediate"; }

std::string timesText(int remaining) {
  return remaining == kEveryTime ? std::string() : " times " + std::to_string(remaining);
}

std::string defectList(const char* key, const std::vector<Defect>& list) {
  if (list.empty()) return std::string();
  std::string out = std::string("    ") + key;
  for (const Defect& d : list)
    out += " " + std::to_string(d.cylinder) + "/" + std::to_string(d.head) + "/" + std::to_string(d.sector);
  return out + "\n";
}

std::string faultText(const Fault& f) {
  std::string out = "    fault ";
  out += f.opcode == kAnyOpcode ? std::string("*") : hex2(static_cast<unsigned>(f.opcode));
  switch (f.kind) {
    case FaultKind::Busy: out += " busy"; break;
    case FaultKind::Check:
      out += " check " + hex2(f.senseKey) + " " + hex2(f.asc) + " " + hex2(f.ascq);
      break;
    case FaultKind::Aborted: out += " aborted"; break;
    case FaultKind::SelectionTimeout: out += " timeout"; break;
    case FaultKind::AdapterStatus: out += " adapter " + hex2(f.adapterStatus); break;
    case FaultKind::Never: out += " never"; break;
    case FaultKind::Late: out += " late"; break;
    case FaultKind::Delay: out += " delay " + std::to_string(f.delayMs); break;
    case FaultKind::Short: out += " short " + std::to_string(f.length); break;
    case FaultKind::Underrun: out += " underrun " + std::to_string(f.length); break;
  }
  if (f.page != kAnyPage) out += " page " + hex2(static_cast<unsigned>(f.page));
  if (f.skip > 0) out += " after " + std::to_string(f.skip);
  return out + timesText(f.remaining) + "\n";
}

}  // namespace

std::string printBus(const Bus& bus) {
  std::string out = "manager-status " + hex2(bus.managerStatus) + "\n";
  out += std::string("completion ") + completionWord(bus.completion) + "\n";
  out += std::string("devicemap ") + (bus.deviceMap ? "on" : "off") + "\n";
  for (size_t n = 0; n < bus.adapters.size(); ++n) {
    const Adapter& a = bus.adapters[n];
    out += "adapter " + std::to_string(n) + "\n";
    out += "  identifier " + quotedText(a.identifier) + "\n";
    out += "  manager-id " + quotedText(a.managerId) + "\n";
    out += "  scsi-id " + std::to_string(a.scsiId) + "\n";
    out += "  unique" + byteList(a.unique) + "\n";
    out += "  pci 00" + byteList(a.pci) + "\n";
    out += "  eeprom 00" + byteList(a.eeprom) + "\n";
    if (a.eepromSharedWith >= 0) out += "  eeprom-shared " + std::to_string(a.eepromSharedWith) + "\n";
    if (a.port >= 0) {
      out += "  port " + std::to_string(a.port) + " " + quotedText(a.portDriver);
      if (a.hasIoAddress) {
        char io[16];
        std::snprintf(io, sizeof io, " %08X", static_cast<unsigned>(a.ioAddress));
        out += io;
      }
      out += "\n";
    }
    for (const PortFault& f : a.portFaults) {
      const char* kind = f.kind == PortFaultKind::Open ? "open" : f.kind == PortFaultKind::Call ? "call" : "status";
      out += std::string("  port-fault ") + kind + timesText(f.remaining) + "\n";
    }
    for (const Device& d : a.devices) {
      out += "  device " + std::to_string(d.target) + "\n";
      out += "    inquiry" + byteList(d.inquiry) + "\n";
      if (d.hasCapacity)
        out += "    capacity " + std::to_string(d.blocks) + " " + std::to_string(d.blockLength) + "\n";
      for (const ModePage& p : d.pages) {
        const std::string code = hex2(p.code);
        out += "    page " + code + " current" + byteList(p.current) + "\n";
        out += "    page " + code + " changeable" + byteList(p.changeable) + "\n";
        out += "    page " + code + " default" + byteList(p.defaults) + "\n";
        out += "    page " + code + " saved" + byteList(p.saved) + "\n";
      }
      out += defectList("plist", d.primary);
      out += defectList("glist", d.grown);
      if (d.primaryLength >= 0) out += "    plist-length " + std::to_string(d.primaryLength) + "\n";
      if (d.grownLength >= 0) out += "    glist-length " + std::to_string(d.grownLength) + "\n";
      if (d.rate.offset == 0) {
        out += "    rate async\n";
      } else {
        out += "    rate " + std::to_string(d.rate.tenthsMBps) + (d.rate.doubled ? " x2" : "") + "\n";
      }
      out += std::string("    block-descriptors ") + (d.blockDescriptors ? "on" : "off") + "\n";
      out += std::string("    missing-page ") + (d.emptyForMissingPage ? "empty" : "check") + "\n";
      if (d.hasCompletion) out += std::string("    completion ") + completionWord(d.completion) + "\n";
      for (const Fault& f : d.faults) out += faultText(f);
      for (const SelectQuirk& q : d.selectQuirks) {
        out += std::string("    ") + (q.kind == SelectQuirk::Refuse ? "select-refuse " : "select-ignore ") +
               hex2(q.page) + " " + hex2(q.byte) + " " + hex2(q.mask) + "\n";
      }
    }
  }
  return out;
}

namespace {

auto fields(const Fault& f) {
  return std::tie(f.opcode, f.kind, f.senseKey, f.asc, f.ascq, f.adapterStatus, f.delayMs, f.length,
                  f.remaining, f.page, f.skip);
}
auto fields(const SelectQuirk& q) { return std::tie(q.kind, q.page, q.byte, q.mask); }
auto fields(const ModePage& p) {
  return std::tie(p.code, p.current, p.changeable, p.defaults, p.saved, p.describedCurrent,
                  p.describedSaved);
}
auto fields(const Defect& d) { return std::tie(d.cylinder, d.head, d.sector); }
auto fields(const Rate& r) { return std::tie(r.tenthsMBps, r.doubled, r.offset); }
auto fields(const PortFault& f) { return std::tie(f.kind, f.remaining); }

template <class T>
bool alike(const T& a, const T& b) {
  return fields(a) == fields(b);
}
bool alike(const Device& a, const Device& b);
bool alike(const Adapter& a, const Adapter& b);
template <class T>
bool alike(const std::vector<T>& a, const std::vector<T>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!alike(a[i], b[i])) return false;
  return true;
}

bool alike(const Device& a, const Device& b) {
  return std::tie(a.target, a.inquiry, a.hasCapacity, a.blocks, a.blockLength, a.primaryLength,
                  a.grownLength, a.blockDescriptors, a.emptyForMissingPage, a.hasCompletion,
                  a.completion) ==
             std::tie(b.target, b.inquiry, b.hasCapacity, b.blocks, b.blockLength, b.primaryLength,
                      b.grownLength, b.blockDescriptors, b.emptyForMissingPage, b.hasCompletion,
                      b.completion) &&
         alike(a.pages, b.pages) && alike(a.primary, b.primary) && alike(a.grown, b.grown) &&
         alike(a.rate, b.rate) && alike(a.faults, b.faults) && alike(a.selectQuirks, b.selectQuirks);
}

bool alike(const Adapter& a, const Adapter& b) {
  return std::tie(a.identifier, a.managerId, a.scsiId, a.unique, a.pci, a.eeprom, a.eepromSharedWith,
                  a.port, a.portDriver, a.hasIoAddress, a.ioAddress) ==
             std::tie(b.identifier, b.managerId, b.scsiId, b.unique, b.pci, b.eeprom,
                      b.eepromSharedWith, b.port, b.portDriver, b.hasIoAddress, b.ioAddress) &&
         alike(a.portFaults, b.portFaults) && alike(a.devices, b.devices);
}

}  // namespace

bool sameBus(const Bus& a, const Bus& b) {
  return std::tie(a.name, a.managerStatus, a.completion, a.deviceMap) ==
             std::tie(b.name, b.managerStatus, b.completion, b.deviceMap) &&
         alike(a.adapters, b.adapters);
}

}  // namespace sim
