// The key table of the description reader, with the readers of the keys that take a
// plain value. Each row's reader runs once its section is open and its value count
// checked.
#include <algorithm>

#include "simulator/bus_reader.h"

namespace sim {

namespace {

// The key's only value, a decimal number of at most `max`.
template <class T>
bool decimalInto(BusReader& r, uint64_t max, const char* what, T& out) {
  uint64_t v;
  if (!r.decimal(1, max, v, what)) return false;
  out = static_cast<T>(v);
  return true;
}

bool readManagerStatus(BusReader& r) {
  uint32_t v;
  if (!r.hex(1, 2, 0xFF, v, "manager status")) return false;
  r.bus.managerStatus = static_cast<uint8_t>(v);
  return true;
}

bool readUnique(BusReader& r) {
  std::vector<uint8_t> b;
  if (!r.bytes(1, b)) return false;
  if (b.size() != 16) {
    return r.fail("\"unique\" needs exactly 16 bytes, not " + std::to_string(b.size()));
  }
  std::copy(b.begin(), b.end(), r.adapter->unique.begin());
  return true;
}

// OFFSET BYTES into a memory of `size` bytes at `dst`.
bool readBytesAt(BusReader& r, uint8_t* dst, size_t size, const char* memory) {
  uint32_t offset;
  std::vector<uint8_t> b;
  if (!r.hex(1, 4, static_cast<uint32_t>(size - 1), offset, "offset") || !r.bytes(2, b)) {
    return false;
  }
  if (offset + b.size() > size) {
    return r.fail(quote(r.key()) + " bytes from offset " + r.word(1) + " run past the " +
                  std::to_string(size) + "-byte " + memory);
  }
  std::copy(b.begin(), b.end(), dst + offset);
  return true;
}

bool readEepromShared(BusReader& r) {
  uint64_t v;
  if (!r.decimal(1, 1000, v, "adapter number")) return false;
  size_t self = r.bus.adapters.size() - 1;
  if (v >= self) return r.fail("\"eeprom-shared\" must name an earlier adapter");
  r.adapter->eepromSharedWith = static_cast<int>(v);
  return true;
}

// port N [DRIVER [IO-ADDRESS]]
bool readPort(BusReader& r) {
  Adapter& a = *r.adapter;
  uint64_t n;
  if (!r.decimal(1, 15, n, "SCSI port number")) return false;
  for (const Adapter& other : r.bus.adapters) {
    if (&other != &a && other.port == static_cast<int>(n)) {
      return r.fail("SCSI port " + std::to_string(n) + " is already used by adapter " +
                    std::to_string(&other - r.bus.adapters.data()));
    }
  }
  a.port = static_cast<int>(n);
  a.portDriver = r.values() > 1 ? r.word(2) : "kestrdrv";
  if (a.portDriver.empty() || a.portDriver.size() > 32) return r.fail("bad driver name");
  if (r.values() > 2) {
    uint32_t io;
    if (!r.hex(3, 8, 0xFFFFFFFF, io, "I/O address")) return false;
    a.hasIoAddress = true;
    a.ioAddress = io;
  }
  return true;
}

// port-fault KIND [times N]
bool readPortFault(BusReader& r) {
  PortFault f;
  const std::string& kind = r.word(1);
  if (kind == "open") {
    f.kind = PortFaultKind::Open;
  } else if (kind == "call") {
    f.kind = PortFaultKind::Call;
  } else if (kind == "status") {
    f.kind = PortFaultKind::Status;
  } else {
    return r.fail("unknown port fault " + quote(kind) + " (open, call or status)");
  }
  if (!r.times(2, f.remaining)) return false;
  std::vector<PortFault>& faults = r.adapter->portFaults;
  if (faults.size() >= static_cast<size_t>(kMaxFaults)) return r.fail("too many port faults");
  faults.push_back(f);
  return true;
}

bool readInquiry(BusReader& r) {
  std::vector<uint8_t> b;
  if (!r.bytes(1, b)) return false;
  if (b.size() > kMaxInquiryBytes) {
    return r.fail("inquiry data of " + std::to_string(b.size()) + " bytes is too long (at most " +
                  std::to_string(kMaxInquiryBytes) + ")");
  }
  r.device->inquiry = std::move(b);
  return true;
}

bool readCapacity(BusReader& r) {
  uint64_t blocks, length;
  if (!r.decimal(1, 0xFFFFFFFFFFFFull, blocks, "block count") ||
      !r.decimal(2, 0xFFFFFF, length, "block length")) {
    return false;
  }
  if (blocks == 0 || length == 0) return r.fail("capacity needs a block count and a block length above 0");
  Device& d = *r.device;
  d.hasCapacity = true;
  d.blocks = blocks;
  d.blockLength = static_cast<uint32_t>(length);
  return true;
}

// rate async | rate TENTHS [x2]
bool readRate(BusReader& r) {
  Rate& rate = r.device->rate;
  if (r.word(1) == "async") {
    if (r.values() > 1) return r.fail("\"rate async\" takes nothing more");
    rate = Rate{};
    return true;
  }
  uint64_t v;
  if (!r.decimal(1, 0xFFFFFFFF, v, "rate")) return false;
  rate.tenthsMBps = static_cast<uint32_t>(v);
  rate.offset = 0x7F;
  rate.doubled = false;
  if (r.values() > 1) {
    if (r.word(2) != "x2") return r.fail("a rate may only be followed by \"x2\"");
    rate.doubled = true;
  }
  return true;
}

bool readDeviceCompletion(BusReader& r) {
  if (!r.completionValue(1, r.device->completion)) return false;
  r.device->hasCompletion = true;
  return true;
}

bool readMissingPage(BusReader& r) {
  bool check;
  if (!r.either("check", "empty", check)) return false;
  r.device->emptyForMissingPage = !check;
  return true;
}

// select-refuse|select-ignore PAGE BYTE MASK
bool readSelectQuirk(BusReader& r, SelectQuirk::Kind kind) {
  uint32_t page, byte, mask;
  if (!r.hex(1, 2, 0x3E, page, "page code") || !r.hex(2, 2, 0xFF, byte, "page byte") ||
      !r.hex(3, 2, 0xFF, mask, "bit mask")) {
    return false;
  }
  if (byte < 2) return r.fail("the page code and length bytes (0 and 1) cannot carry a quirk");
  std::vector<SelectQuirk>& quirks = r.device->selectQuirks;
  if (quirks.size() >= static_cast<size_t>(kMaxFaults)) return r.fail("too many select quirks");
  SelectQuirk q;
  q.kind = kind;
  q.page = static_cast<uint8_t>(page);
  q.byte = static_cast<uint8_t>(byte);
  q.mask = static_cast<uint8_t>(mask);
  quirks.push_back(q);
  return true;
}

using S = Section;

}  // namespace

const std::vector<KeyRow>& busKeys() {
  static const std::vector<KeyRow> rows = {
      {"adapter", S::Anywhere, 1, 1, [](BusReader& r) { return r.startAdapter(); }},
      {"device", S::InAdapter, 1, 1, [](BusReader& r) { return r.startDevice(); }},

      {"manager-status", S::Bus, 1, 1, readManagerStatus},
      {"completion", S::Bus, 1, 1, [](BusReader& r) { return r.completionValue(1, r.bus.completion); }},
      {"devicemap", S::Bus, 1, 1, [](BusReader& r) { return r.either("on", "off", r.bus.deviceMap); }},

      {"identifier", S::Adapter, 1, 1, [](BusReader& r) { return r.text16(r.adapter->identifier); }},
      {"manager-id", S::Adapter, 1, 1, [](BusReader& r) { return r.text16(r.adapter->managerId); }},
      {"scsi-id", S::Adapter, 1, 1,
       [](BusReader& r) { return decimalInto(r, 31, "SCSI ID", r.adapter->scsiId); }},
      {"unique", S::Adapter, 1, 1000, readUnique},
      {"pci", S::Adapter, 2, 10000,
       [](BusReader& r) {
         return readBytesAt(r, r.adapter->pci.data(), kPciConfigSize, "configuration space");
       }},
      {"eeprom", S::Adapter, 2, 10000,
       [](BusReader& r) { return readBytesAt(r, r.adapter->eeprom.data(), kEepromSize, "EEPROM"); }},
      {"eeprom-shared", S::Adapter, 1, 1, readEepromShared},
      {"port", S::Adapter, 1, 3, readPort},
      {"port-fault", S::Adapter, 1, 3, readPortFault},

      {"inquiry", S::Device, 1, 10000, readInquiry},
      {"capacity", S::Device, 2, 2, readCapacity},
      {"page", S::Device, 3, 10000, readPage},
      {"plist", S::Device, 1, 100000, [](BusReader& r) { return readDefects(r, r.device->primary); }},
      {"glist", S::Device, 1, 100000, [](BusReader& r) { return readDefects(r, r.device->grown); }},
      {"plist-length", S::Device, 1, 1,
       [](BusReader& r) { return decimalInto(r, 0xFFFF, "list length", r.device->primaryLength); }},
      {"glist-length", S::Device, 1, 1,
       [](BusReader& r) { return decimalInto(r, 0xFFFF, "list length", r.device->grownLength); }},
      {"block-descriptors", S::Device, 1, 1,
       [](BusReader& r) { return r.either("on", "off", r.device->blockDescriptors); }},
      {"rate", S::Device, 1, 2, readRate},
      {"completion", S::Device, 1, 1, readDeviceCompletion},
      {"fault", S::Device, 2, 9, readFault},
      {"missing-page", S::Device, 1, 1, readMissingPage},
      {"select-refuse", S::Device, 3, 3, [](BusReader& r) { return readSelectQuirk(r, SelectQuirk::Refuse); }},
      {"select-ignore", S::Device, 3, 3, [](BusReader& r) { return readSelectQuirk(r, SelectQuirk::Ignore); }},
  };
  return rows;
}

}  // namespace sim
