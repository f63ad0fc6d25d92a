// An adapter's PCI configuration header as far as Windows tells it without a driver of
// ours: identity from its device IDs ("PCI\VEN_xxxx&DEV_xxxx&SUBSYS_xxxxxxxx&REV_xx",
// class code from "CC_xxxxxx"), base addresses from its assigned memory and I/O ranges,
// the interrupt line from its assigned interrupt. Every other byte stays zero.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace pt {

constexpr size_t kPciConfigSize = 256;
using PciConfig = std::array<uint8_t, kPciConfigSize>;

struct PciIdentity {
  bool isPci = false;  // at least one PCI ID was read
  uint16_t vendor = 0;
  uint16_t device = 0;
  uint16_t subsystemVendor = 0;
  uint16_t subsystem = 0;
  uint8_t revision = 0;
  uint8_t baseClass = 0;
  uint8_t subClass = 0;
  uint8_t progIf = 0;
};

// Each field from the first ID that carries it well-formed (the hardware IDs come most
// specific first); IDs of other buses are ignored; a field no ID carries stays zero.
PciIdentity readPciIds(const std::vector<std::string>& ids);

// An assigned resource of the device (Configuration Manager's allocated configuration).
struct Resource {
  enum class Kind : uint8_t { Memory, Io, Interrupt };
  Kind kind = Kind::Memory;
  uint64_t base = 0;  // the interrupt number for Interrupt
  bool prefetchable = false;
};

// Base address registers in the order of the ranges (Windows does not say which register
// a range came from): I/O ranges with bit 0 set, memory ranges above 4 GB as 64-bit
// registers taking two slots; what does not fit the six slots is left out.
PciConfig buildPciHeader(const PciIdentity& identity, const std::vector<Resource>& resources);

// The bus location of a device enumerated by PCI: SetupAPI's bus number and address
// (device in the high word, function in the low word).
struct PciLocation {
  bool known = false;
  uint8_t bus = 0;
  uint8_t device = 0;
  uint8_t function = 0;
};
PciLocation pciLocation(const std::string& enumerator, bool hasLocation, uint32_t busNumber,
                        uint32_t address);

}  // namespace pt
