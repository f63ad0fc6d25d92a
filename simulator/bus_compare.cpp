// Compares two buses value by value, for the printed-back round trip.
#include <tuple>

#include "simulator/bus_parser.h"

namespace sim {

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
