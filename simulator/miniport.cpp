// The miniport stand-in: the adapter behind a SCSI port answers the serial EEPROM read
// and the transfer-rate queries in the request layout of scsi/miniport_request.h.
#include <algorithm>
#include <cstring>

#include "scsi/bytes.h"
#include "scsi/miniport_request.h"
#include "simulator/simulator.h"

namespace sim {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// Takes the first pending fault of `kind`, counting it down.
bool takePortFault(Adapter& a, PortFaultKind kind) {
  for (PortFault& f : a.portFaults) {
    if (f.kind != kind || f.remaining == 0) continue;
    if (f.remaining > 0) --f.remaining;
    return true;
  }
  return false;
}

MiniportAnswer refused(uint32_t error) {
  MiniportAnswer a;
  a.error = error;
  return a;
}

}  // namespace

const Adapter* Simulator::adapterOnPort(int port) const {
  if (port < 0) return nullptr;
  for (const Adapter& a : bus_.adapters) {
    if (a.port == port) return &a;
  }
  return nullptr;
}

bool Simulator::miniportOpen(int port) {
  Adapter* a = const_cast<Adapter*>(adapterOnPort(port));
  return a && !takePortFault(*a, PortFaultKind::Open);
}

MiniportAnswer Simulator::miniportControl(int port, uint32_t code, const uint8_t* in,
                                          uint32_t inSize, uint8_t* out, uint32_t outSize) {
  Adapter* adapter = const_cast<Adapter*>(adapterOnPort(port));
  if (!adapter) return refused(kErrorInvalidHandle);
  if (code != scsi::kIoctlScsiMiniport) return refused(kErrorInvalidFunction);
  if (!in || inSize < scsi::kRateRequestSize) return refused(kErrorInvalidParameter);
  if (!out || outSize < inSize) return refused(kErrorInsufficientBuffer);
  // Another driver does not know this signature's requests.
  if (!equalsIgnoringCase(adapter->portDriver, scsi::kMiniportDriverName)) {
    return refused(kErrorInvalidFunction);
  }
  scsi::MiniportRequest r;
  std::memset(&r, 0, sizeof r);
  std::memcpy(&r, in, std::min<size_t>(inSize, sizeof r));
  char signature[8] = {};
  std::memcpy(signature, scsi::kMiniportSignature, sizeof scsi::kMiniportSignature);
  if (r.headerLength != scsi::kMiniportHeaderLength || std::memcmp(r.signature, signature, 8) != 0 ||
      r.controlCode != scsi::kMiniportControlCode || r.length != inSize - scsi::kMiniportHeaderLength ||
      r.function != scsi::kMiniportFunction) {
    return refused(kErrorInvalidParameter);
  }
  if (takePortFault(*adapter, PortFaultKind::Call)) return refused(kErrorGenFailure);

  std::memmove(out, in, inSize);
  uint8_t status = kMiniportStatusInvalid;
  uint32_t value = r.parameter1;
  const bool eepromRead = r.requestClass == scsi::kClassEeprom &&
                          r.requestSubclass == scsi::kSubclass &&
                          r.operation == scsi::kOpEepromRead;
  const bool rateQuery = r.requestClass == scsi::kClassTarget &&
                         r.requestSubclass == scsi::kSubclass &&
                         (r.operation == scsi::kOpSyncOffset || r.operation == scsi::kOpRate ||
                          r.operation == scsi::kOpRateDoubled);
  if (takePortFault(*adapter, PortFaultKind::Status)) {
    status = kMiniportStatusError;
  } else if (eepromRead) {
    const uint32_t offset = r.parameter1, count = r.parameter2;
    const Adapter& owner = adapter->eepromSharedWith >= 0
                               ? bus_.adapters[static_cast<size_t>(adapter->eepromSharedWith)]
                               : *adapter;
    if (r.target != 0xFF || r.lun != 0xFF || count == 0 || count > sizeof r.data ||
        offset > kEepromSize || count > kEepromSize - offset ||
        inSize < offsetof(scsi::MiniportRequest, data) + count) {
      status = kMiniportStatusError;
    } else {
      std::memcpy(out + offsetof(scsi::MiniportRequest, data), owner.eeprom.data() + offset, count);
      status = scsi::kMiniportStatusOk;
    }
  } else if (rateQuery) {
    const Device* device = nullptr;
    for (const Device& d : adapter->devices) {
      if (d.target == r.target) device = &d;
    }
    if (!device || r.lun != 0) {
      status = kMiniportStatusError;
    } else {
      status = scsi::kMiniportStatusOk;
      if (r.operation == scsi::kOpRate) value = device->rate.tenthsMBps;
      if (r.operation == scsi::kOpRateDoubled) value = device->rate.doubled ? 1 : 0;
      if (r.operation == scsi::kOpSyncOffset) value = device->rate.offset;
    }
  }
  out[offsetof(scsi::MiniportRequest, completionStatus)] = status;
  scsi::putLe32(out + offsetof(scsi::MiniportRequest, parameter1), value);
  MiniportAnswer a;
  a.ok = true;
  a.returned = inSize;
  return a;
}

}  // namespace sim
