#include "passthrough/pci_header.h"

#include <cctype>

#include "scsi/bytes.h"

namespace pt {

namespace {

// Offsets in the configuration header.
constexpr size_t kVendor = 0x00;
constexpr size_t kDevice = 0x02;
constexpr size_t kRevision = 0x08;
constexpr size_t kProgIf = 0x09;
constexpr size_t kSubClass = 0x0A;
constexpr size_t kBaseClass = 0x0B;
constexpr size_t kBar0 = 0x10;
constexpr size_t kBarSlots = 6;
constexpr size_t kSubsystemVendor = 0x2C;
constexpr size_t kSubsystem = 0x2E;
constexpr size_t kInterruptLine = 0x3C;

constexpr uint32_t kBarIo = 0x1;
constexpr uint32_t kBarMemory64 = 0x4;
constexpr uint32_t kBarPrefetchable = 0x8;

// Fields as they appear in a PCI device ID, with the number of hex digits each takes.
enum Field { kVen, kDev, kSubsys, kRev, kClass6, kClass4, kFieldCount };
struct FieldForm {
  const char* prefix;
  size_t digits;
};
constexpr FieldForm kFields[kFieldCount] = {
    {"VEN_", 4}, {"DEV_", 4}, {"SUBSYS_", 8}, {"REV_", 2}, {"CC_", 6}, {"CC_", 4},
};

bool startsWithNoCase(const std::string& text, size_t at, const char* prefix) {
  for (size_t i = 0; prefix[i]; ++i) {
    if (at + i >= text.size()) return false;
    if (std::toupper(static_cast<unsigned char>(text[at + i])) != prefix[i]) return false;
  }
  return true;
}

bool hexValue(const std::string& digits, uint32_t& value) {
  value = 0;
  for (char c : digits) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    value = value * 16 + static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(c))
                                                   ? c - '0'
                                                   : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10);
  }
  return true;
}

void putBar(PciConfig& config, size_t slot, uint32_t value) {
  scsi::putLe32(config.data() + kBar0 + 4 * slot, value);
}

}  // namespace

PciIdentity readPciIds(const std::vector<std::string>& ids) {
  PciIdentity identity;
  bool have[kFieldCount] = {};
  uint32_t values[kFieldCount] = {};
  for (const std::string& id : ids) {
    if (!startsWithNoCase(id, 0, "PCI\\")) continue;
    identity.isPci = true;
    size_t at = 4;
    while (at < id.size()) {
      size_t end = id.find('&', at);
      if (end == std::string::npos) end = id.size();
      const std::string token = id.substr(at, end - at);
      for (int f = 0; f < kFieldCount; ++f) {
        const size_t prefix = std::char_traits<char>::length(kFields[f].prefix);
        uint32_t value;
        if (have[f] || !startsWithNoCase(token, 0, kFields[f].prefix) ||
            token.size() != prefix + kFields[f].digits || !hexValue(token.substr(prefix), value))
          continue;
        have[f] = true;
        values[f] = value;
      }
      at = end + 1;
    }
  }
  identity.vendor = static_cast<uint16_t>(values[kVen]);
  identity.device = static_cast<uint16_t>(values[kDev]);
  // SUBSYS_ssssvvvv: the subsystem ID, then its vendor.
  identity.subsystem = static_cast<uint16_t>(values[kSubsys] >> 16);
  identity.subsystemVendor = static_cast<uint16_t>(values[kSubsys]);
  identity.revision = static_cast<uint8_t>(values[kRev]);
  if (have[kClass6]) {
    identity.baseClass = static_cast<uint8_t>(values[kClass6] >> 16);
    identity.subClass = static_cast<uint8_t>(values[kClass6] >> 8);
    identity.progIf = static_cast<uint8_t>(values[kClass6]);
  } else if (have[kClass4]) {
    identity.baseClass = static_cast<uint8_t>(values[kClass4] >> 8);
    identity.subClass = static_cast<uint8_t>(values[kClass4]);
  }
  return identity;
}

PciConfig buildPciHeader(const PciIdentity& identity, const std::vector<Resource>& resources) {
  PciConfig config{};
  if (!identity.isPci) return config;
  scsi::putLe16(config.data() + kVendor, identity.vendor);
  scsi::putLe16(config.data() + kDevice, identity.device);
  config[kRevision] = identity.revision;
  config[kProgIf] = identity.progIf;
  config[kSubClass] = identity.subClass;
  config[kBaseClass] = identity.baseClass;
  scsi::putLe16(config.data() + kSubsystemVendor, identity.subsystemVendor);
  scsi::putLe16(config.data() + kSubsystem, identity.subsystem);

  size_t slot = 0;
  bool haveInterrupt = false;
  for (const Resource& r : resources) {
    switch (r.kind) {
      case Resource::Kind::Io:
        if (slot < kBarSlots) putBar(config, slot++, (static_cast<uint32_t>(r.base) & ~3u) | kBarIo);
        break;
      case Resource::Kind::Memory: {
        uint32_t low = static_cast<uint32_t>(r.base) & ~0xFu;
        if (r.prefetchable) low |= kBarPrefetchable;
        if (r.base > 0xFFFFFFFFull) {
          if (slot + 2 > kBarSlots) break;
          putBar(config, slot++, low | kBarMemory64);
          putBar(config, slot++, static_cast<uint32_t>(r.base >> 32));
        } else if (slot < kBarSlots) {
          putBar(config, slot++, low);
        }
        break;
      }
      case Resource::Kind::Interrupt:
        // A line-based interrupt has a number the register can hold; message-signalled
        // ones do not go through it.
        if (!haveInterrupt && r.base < 0xFF) {
          config[kInterruptLine] = static_cast<uint8_t>(r.base);
          haveInterrupt = true;
        }
        break;
    }
  }
  return config;
}

PciLocation pciLocation(const std::string& enumerator, bool hasLocation, uint32_t busNumber,
                        uint32_t address) {
  PciLocation location;
  const uint32_t device = address >> 16;
  const uint32_t function = address & 0xFFFF;
  if (!hasLocation || enumerator.size() != 3 || !startsWithNoCase(enumerator, 0, "PCI") ||
      busNumber > 0xFF || device > 31 || function > 7)
    return location;
  location.known = true;
  location.bus = static_cast<uint8_t>(busNumber);
  location.device = static_cast<uint8_t>(device);
  location.function = static_cast<uint8_t>(function);
  return location;
}

}  // namespace pt
