#include "passthrough/driver_answers.h"

#include <algorithm>

#include "passthrough/nt_layout.h"
#include "scsi/bytes.h"

namespace pt {

namespace {

constexpr size_t kBusDataOffset = sizeof(nt::AdapterBusInfoHeader);

bool fits(size_t offset, size_t length, size_t size) {
  return offset <= size && length <= size - offset;
}

bool known(const std::vector<PortUnit>& units, const PortUnit& unit) {
  for (const PortUnit& u : units)
    if (u.targetId == unit.targetId && u.lun == unit.lun) return true;
  return false;
}

void readUnits(const uint8_t* data, size_t size, const uint8_t* busData, PortBus& bus) {
  const unsigned count = busData[offsetof(nt::BusData, numberOfLogicalUnits)];
  size_t offset = scsi::le32(busData + offsetof(nt::BusData, inquiryDataOffset));
  // At most the bus's unit count of entries, however the chain runs: a loop ends too.
  for (unsigned n = 0; n < count && offset != 0; ++n) {
    if (!fits(offset, sizeof(nt::InquiryDataHeader), size)) return;
    const uint8_t* entry = data + offset;
    const size_t length = scsi::le32(entry + offsetof(nt::InquiryDataHeader, inquiryDataLength));
    const size_t inquiryAt = offset + sizeof(nt::InquiryDataHeader);
    if (!fits(inquiryAt, length, size)) return;
    PortUnit unit;
    unit.pathId = entry[offsetof(nt::InquiryDataHeader, pathId)];
    unit.targetId = entry[offsetof(nt::InquiryDataHeader, targetId)];
    unit.lun = entry[offsetof(nt::InquiryDataHeader, lun)];
    unit.claimed = entry[offsetof(nt::InquiryDataHeader, deviceClaimed)] != 0;
    if (unit.pathId == bus.pathId && !known(bus.units, unit)) {
      unit.inquiry.assign(data + inquiryAt, data + inquiryAt + length);
      bus.units.push_back(std::move(unit));
    }
    offset = scsi::le32(entry + offsetof(nt::InquiryDataHeader, nextInquiryDataOffset));
  }
}

}  // namespace

bool readInquiryData(const uint8_t* data, size_t size, std::vector<PortBus>& buses) {
  buses.clear();
  if (!data || size < kBusDataOffset) return false;
  const unsigned count = data[offsetof(nt::AdapterBusInfoHeader, numberOfBuses)];
  for (unsigned i = 0; i < count; ++i) {
    const size_t at = kBusDataOffset + i * sizeof(nt::BusData);
    if (!fits(at, sizeof(nt::BusData), size)) break;
    PortBus bus;
    bus.pathId = static_cast<uint8_t>(i);
    bus.initiatorId = data[at + offsetof(nt::BusData, initiatorBusId)];
    readUnits(data, size, data + at, bus);
    buses.push_back(std::move(bus));
  }
  return true;
}

Limits readCapabilities(const uint8_t* data, size_t size) {
  Limits limits;
  constexpr size_t kNeeded = offsetof(nt::ScsiCapabilities, alignmentMask) + 4;
  if (!data || size < kNeeded || scsi::le32(data) < kNeeded) return limits;
  limits.known = true;
  limits.maxTransfer = scsi::le32(data + offsetof(nt::ScsiCapabilities, maximumTransferLength));
  limits.alignmentMask = scsi::le32(data + offsetof(nt::ScsiCapabilities, alignmentMask));
  return limits;
}

AdapterDescriptor readAdapterDescriptor(const uint8_t* data, size_t size) {
  AdapterDescriptor d;
  if (!data || size < 8) return d;
  const size_t reach = std::min<size_t>(size, scsi::le32(data + offsetof(nt::StorageAdapterDescriptor, size)));
  if (reach >= offsetof(nt::StorageAdapterDescriptor, alignmentMask) + 4) {
    d.limits.known = true;
    d.limits.maxTransfer =
        scsi::le32(data + offsetof(nt::StorageAdapterDescriptor, maximumTransferLength));
    d.limits.alignmentMask = scsi::le32(data + offsetof(nt::StorageAdapterDescriptor, alignmentMask));
  }
  if (reach > offsetof(nt::StorageAdapterDescriptor, busType)) {
    d.hasBusType = true;
    d.busType = data[offsetof(nt::StorageAdapterDescriptor, busType)];
  }
  return d;
}

bool readAddress(const uint8_t* data, size_t size, Address& address) {
  if (!data || size < sizeof(nt::ScsiAddress) || scsi::le32(data) < sizeof(nt::ScsiAddress))
    return false;
  address.port = data[offsetof(nt::ScsiAddress, portNumber)];
  address.path = data[offsetof(nt::ScsiAddress, pathId)];
  address.target = data[offsetof(nt::ScsiAddress, targetId)];
  address.lun = data[offsetof(nt::ScsiAddress, lun)];
  return true;
}

}  // namespace pt
