#include "passthrough/fake/fake_system.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "passthrough/nt_layout.h"
#include "scsi/miniport_request.h"
#include "scsi/records.h"
#include "simulator/device.h"

namespace pt::fake {

namespace {

// The port keeps the first 36 bytes of each unit's INQUIRY data.
constexpr size_t kKeptInquiry = 36;
constexpr size_t kEntryAlignment = 8;

bool equalNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

IoResult failed(uint32_t error) {
  IoResult r;
  r.error = error;
  return r;
}

IoResult succeeded(uint32_t returned) {
  IoResult r;
  r.ok = true;
  r.returned = returned;
  return r;
}

template <typename T>
IoResult answer(const T& value, void* out, uint32_t outSize) {
  if (!out || outSize < sizeof value) return failed(nt::error::kInsufficientBuffer);
  std::memcpy(out, &value, sizeof value);
  return succeeded(sizeof value);
}

IoResult address(const Address& a, void* out, uint32_t outSize) {
  nt::ScsiAddress s{};
  s.length = sizeof s;
  s.portNumber = a.port;
  s.pathId = a.path;
  s.targetId = a.target;
  s.lun = a.lun;
  return answer(s, out, outSize);
}

// SCSI_ADAPTER_BUS_INFO with its SCSI_INQUIRY_DATA chains, as a port lays it out.
std::vector<uint8_t> inquiryData(const Port& port) {
  std::vector<uint8_t> bytes(sizeof(nt::AdapterBusInfoHeader) + port.buses.size() * sizeof(nt::BusData), 0);
  bytes[0] = static_cast<uint8_t>(port.buses.size());
  for (size_t b = 0; b < port.buses.size(); ++b) {
    nt::BusData bus{};
    bus.numberOfLogicalUnits = static_cast<uint8_t>(port.buses[b].units.size());
    bus.initiatorBusId = port.buses[b].initiatorId;
    size_t previous = 0;
    for (const Unit& u : port.buses[b].units) {
      bytes.resize((bytes.size() + kEntryAlignment - 1) / kEntryAlignment * kEntryAlignment, 0);
      const size_t at = bytes.size();
      if (previous) {
        const uint32_t next = static_cast<uint32_t>(at);
        std::memcpy(bytes.data() + previous + offsetof(nt::InquiryDataHeader, nextInquiryDataOffset),
                    &next, sizeof next);
      } else {
        bus.inquiryDataOffset = static_cast<uint32_t>(at);
      }
      nt::InquiryDataHeader entry{};
      entry.pathId = static_cast<uint8_t>(b);
      entry.targetId = u.device.target;
      entry.lun = u.lun;
      entry.deviceClaimed = u.claimed ? 1 : 0;
      const size_t kept = std::min(kKeptInquiry, u.device.inquiry.size());
      entry.inquiryDataLength = static_cast<uint32_t>(kept);
      bytes.resize(at + sizeof entry + kept);
      std::memcpy(bytes.data() + at, &entry, sizeof entry);
      std::memcpy(bytes.data() + at + sizeof entry, u.device.inquiry.data(), kept);
      previous = at;
    }
    std::memcpy(bytes.data() + sizeof(nt::AdapterBusInfoHeader) + b * sizeof bus, &bus, sizeof bus);
  }
  return bytes;
}

// A check condition from the device's description (its "fault ... check" lines), which
// the device model itself leaves to the manager.
const sim::Fault* refusal(const sim::Device& device, uint8_t opcode) {
  for (const sim::Fault& f : device.faults)
    if (f.kind == sim::FaultKind::Check && (f.opcode == sim::kAnyOpcode || f.opcode == opcode))
      return &f;
  return nullptr;
}

}  // namespace

FakeSystem::FakeSystem(Machine machine) : machine_(std::move(machine)) {
  // The description is part of the program: a fault in it is a fault of the build.
  if (!machine_.miniports.empty() && !miniports_.load(machine_.miniports, "fake miniports")) std::abort();
}

void FakeSystem::denyReadWrite(bool deny) {
  std::lock_guard<std::mutex> guard(lock_);
  denyReadWrite_ = deny;
}

std::vector<FakeSystem::Call> FakeSystem::calls() const {
  std::lock_guard<std::mutex> guard(lock_);
  return calls_;
}

size_t FakeSystem::openHandles() const {
  std::lock_guard<std::mutex> guard(lock_);
  return open_.size();
}

Unit* FakeSystem::unit(const Address& a) {
  for (Port& port : machine_.ports) {
    if (port.number != a.port || a.path >= port.buses.size()) continue;
    for (Unit& u : port.buses[a.path].units)
      if (u.device.target == a.target && u.lun == a.lun) return &u;
  }
  return nullptr;
}

FakeSystem::Open* FakeSystem::find(Handle handle) {
  for (Open& o : open_)
    if (o.handle == handle) return &o;
  return nullptr;
}

Handle FakeSystem::open(const std::string& path, Access access, uint32_t& error) {
  std::lock_guard<std::mutex> guard(lock_);
  Open o{0, path, access, Kind::Port, 0};
  bool found = false;
  for (size_t i = 0; i < machine_.ports.size() && !found; ++i) {
    const Port& p = machine_.ports[i];
    if (p.portDevice && equalNoCase(path, "\\\\.\\Scsi" + std::to_string(p.number) + ":")) {
      o.kind = Kind::Port, o.index = i, found = true;
    } else if (p.hasNode && equalNoCase(path, p.node.interfacePath)) {
      o.kind = Kind::Node, o.index = i, found = true;
    }
  }
  for (size_t i = 0; i < machine_.classDevices.size() && !found; ++i) {
    if (equalNoCase(path, machine_.classDevices[i].path)) o.kind = Kind::Class, o.index = i, found = true;
  }
  if (!found) {
    error = nt::error::kFileNotFound;
    return 0;
  }
  if (access == Access::ReadWrite && denyReadWrite_) {
    error = nt::error::kAccessDenied;
    return 0;
  }
  o.handle = nextHandle_++;
  open_.push_back(o);
  error = 0;
  return o.handle;
}

void FakeSystem::close(Handle handle) {
  std::lock_guard<std::mutex> guard(lock_);
  open_.erase(std::remove_if(open_.begin(), open_.end(), [&](const Open& o) { return o.handle == handle; }),
              open_.end());
}

bool FakeSystem::deviceMap(std::vector<DeviceMapEntry>& entries) {
  std::lock_guard<std::mutex> guard(lock_);
  entries.clear();
  if (!machine_.hasDeviceMap) return false;
  entries = machine_.deviceMap;
  return true;
}

std::vector<std::string> FakeSystem::opticalDrives() {
  std::lock_guard<std::mutex> guard(lock_);
  return machine_.opticalDrives;
}

std::vector<PortNode> FakeSystem::portNodes() {
  std::lock_guard<std::mutex> guard(lock_);
  std::vector<PortNode> nodes;
  for (const Port& p : machine_.ports)
    if (p.hasNode) nodes.push_back(p.node);
  return nodes;
}

IoResult FakeSystem::control(Handle handle, uint32_t code, const void* in, uint32_t inSize, void* out,
                             uint32_t outSize) {
  std::lock_guard<std::mutex> guard(lock_);
  Open* o = find(handle);
  if (!o) return failed(nt::error::kInvalidParameter);
  Call call;
  call.path = o->path;
  call.code = code;
  if (in && inSize) call.input.assign(static_cast<const uint8_t*>(in), static_cast<const uint8_t*>(in) + inSize);
  calls_.push_back(std::move(call));

  const bool passThroughCode =
      code == nt::kIoctlScsiPassThrough || code == nt::kIoctlScsiPassThroughDirect;
  // These control codes ask for read and write access to the device.
  if ((passThroughCode || code == nt::kIoctlScsiMiniport) && o->access != Access::ReadWrite)
    return failed(nt::error::kAccessDenied);
  const bool direct = code == nt::kIoctlScsiPassThroughDirect;

  switch (o->kind) {
    case Kind::Node: {
      const Port& port = machine_.ports[o->index];
      if (code != nt::kIoctlScsiGetAddress || !port.nodeTellsPort) return failed(nt::error::kInvalidFunction);
      return address(Address{port.number, 0, 0, 0}, out, outSize);
    }
    case Kind::Class: {
      const ClassDevice& device = machine_.classDevices[o->index];
      if (code == nt::kIoctlScsiGetAddress) {
        if (!device.answersAddress) return failed(nt::error::kInvalidFunction);
        return address(device.address, out, outSize);
      }
      Unit* u = unit(device.address);
      const Port* port = nullptr;
      for (const Port& p : machine_.ports)
        if (p.number == device.address.port) port = &p;
      if (!passThroughCode || !u || !port) return failed(nt::error::kInvalidFunction);
      // The class driver addresses its own device, whatever the request says.
      return passThrough(*u, *port, direct, in, inSize, out, outSize);
    }
    case Kind::Port:
      break;
  }
  return portControl(machine_.ports[o->index], code, in, inSize, out, outSize);
}

IoResult FakeSystem::portControl(Port& port, uint32_t code, const void* in, uint32_t inSize,
                                 void* out, uint32_t outSize) {
  if (code == nt::kIoctlScsiGetInquiryData) {
    if (!port.listsBuses) return failed(nt::error::kInvalidFunction);
    std::vector<uint8_t> bytes = inquiryData(port);
    if (!out || outSize < bytes.size()) return failed(nt::error::kInsufficientBuffer);
    std::memcpy(out, bytes.data(), bytes.size());
    return succeeded(static_cast<uint32_t>(bytes.size()));
  }
  if (code == nt::kIoctlScsiGetCapabilities) {
    if (!port.answersCapabilities) return failed(nt::error::kInvalidFunction);
    nt::ScsiCapabilities c{};
    c.length = sizeof c;
    c.maximumTransferLength = port.maxTransfer;
    c.maximumPhysicalPages = port.maxTransfer / 4096 + 1;
    c.alignmentMask = port.alignmentMask;
    c.taggedQueuing = 1;
    return answer(c, out, outSize);
  }
  if (code == nt::kIoctlStorageQueryProperty) {
    nt::StoragePropertyQuery q{};
    if (!in || inSize < offsetof(nt::StoragePropertyQuery, additionalParameters)) return failed(nt::error::kInvalidParameter);
    std::memcpy(&q, in, std::min<size_t>(inSize, sizeof q));
    if (q.propertyId != nt::kStorageAdapterProperty || q.queryType != nt::kPropertyStandardQuery)
      return failed(nt::error::kNotSupported);
    nt::StorageAdapterDescriptor d{};
    d.version = d.size = sizeof d;
    d.maximumTransferLength = port.maxTransfer;
    d.maximumPhysicalPages = port.maxTransfer / 4096 + 1;
    d.alignmentMask = port.alignmentMask;
    d.commandQueueing = 1;
    d.busType = port.busType;
    // The descriptor is cut to the buffer, as the storage stack does.
    const uint32_t n = std::min<uint32_t>(outSize, sizeof d);
    if (!out || n < 8) return failed(nt::error::kInsufficientBuffer);
    std::memcpy(out, &d, n);
    return succeeded(n);
  }
  if (code == nt::kIoctlScsiMiniport) {
    // The port hands the request to its miniport driver, which alone reads it.
    if (!miniports_.adapterOnPort(port.number)) return failed(nt::error::kInvalidFunction);
    const sim::MiniportAnswer a =
        miniports_.miniportControl(port.number, code, static_cast<const uint8_t*>(in), inSize,
                                   static_cast<uint8_t*>(out), outSize);
    return a.ok ? succeeded(a.returned) : failed(a.error);
  }
  if (code == nt::kIoctlScsiPassThrough || code == nt::kIoctlScsiPassThroughDirect) {
    nt::PassThroughNative s;
    if (!in || inSize < sizeof s) return failed(nt::error::kInvalidParameter);
    std::memcpy(&s, in, sizeof s);
    if (s.pathId >= port.buses.size()) return failed(nt::error::kDeviceNotConnected);
    for (Unit& u : port.buses[s.pathId].units) {
      if (u.device.target != s.targetId || u.lun != s.lun) continue;
      // A claimed unit is reached only through its class driver.
      if (u.claimed) return failed(nt::error::kInvalidFunction);
      return passThrough(u, port, code == nt::kIoctlScsiPassThroughDirect, in, inSize, out, outSize);
    }
    return failed(nt::error::kDeviceNotConnected);
  }
  return failed(nt::error::kInvalidFunction);
}

IoResult FakeSystem::passThrough(Unit& unit, const Port& port, bool direct, const void* in,
                                 uint32_t inSize, void* out, uint32_t outSize) {
  using Structure = nt::PassThroughNative;
  Structure s;
  if (!in || !out || inSize < sizeof s || outSize < sizeof s) return failed(nt::error::kInvalidParameter);
  std::memcpy(&s, in, sizeof s);
  if (s.length != sizeof s || s.cdbLength == 0 || s.cdbLength > sizeof s.cdb || s.dataIn > nt::kDataUnspecified)
    return failed(nt::error::kInvalidParameter);
  const size_t senseAt = s.senseInfoOffset;
  if (s.senseInfoLength && (senseAt < sizeof s || senseAt + s.senseInfoLength > outSize))
    return failed(nt::error::kInvalidParameter);
  const uint32_t length = s.dataTransferLength;
  if (length > port.maxTransfer) return failed(nt::error::kInvalidParameter);

  uint8_t* data = nullptr;
  const uint8_t* dataOut = nullptr;
  if (length) {
    if (direct) {
      // The port takes the caller's buffer only when it meets its alignment.
      if (!s.dataBuffer || (s.dataBuffer & port.alignmentMask)) return failed(nt::error::kInvalidParameter);
      data = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(s.dataBuffer));
      dataOut = data;
    } else {
      const size_t at = static_cast<size_t>(s.dataBuffer);
      if (at < sizeof s || at + length > std::max(inSize, outSize)) return failed(nt::error::kInvalidParameter);
      data = static_cast<uint8_t*>(out) + at;
      dataOut = static_cast<const uint8_t*>(in) + at;
    }
  }

  sim::CommandResult r;
  if (const sim::Fault* f = refusal(unit.device, s.cdb[0])) {
    r = sim::checkCondition(f->senseKey, f->asc, f->ascq);
  } else {
    r = sim::runCommand(unit.device, s.cdb, s.cdbLength, s.dataIn == nt::kDataOut ? dataOut : nullptr,
                        s.dataIn == nt::kDataUnspecified ? 0 : length);
  }
  uint32_t transferred = 0;
  if (s.dataIn == nt::kDataIn && data) {
    transferred = static_cast<uint32_t>(std::min<size_t>(r.dataIn.size(), length));
    if (transferred) std::memcpy(data, r.dataIn.data(), transferred);
  } else if (s.dataIn == nt::kDataOut) {
    transferred = length;
  }
  uint8_t senseLength = 0;
  if (r.status == scsi::kStatusDone ||
      (r.status == scsi::kStatusError && r.adapterStatus == scsi::kHaDataOverUnderrun && r.targetStatus == 0)) {
    // A shorter transfer is no error to the port: the length tells it.
    s.scsiStatus = scsi::kTargetGood;
  } else if (r.status == scsi::kStatusError && r.adapterStatus == scsi::kHaOk) {
    s.scsiStatus = r.targetStatus;
    if (r.hasSense) {
      senseLength = static_cast<uint8_t>(std::min<size_t>(s.senseInfoLength, r.sense.size()));
      std::memcpy(static_cast<uint8_t*>(out) + senseAt, r.sense.data(), senseLength);
    }
  } else {
    return failed(nt::error::kIoDevice);
  }
  s.senseInfoLength = senseLength;
  s.dataTransferLength = transferred;
  std::memcpy(out, &s, sizeof s);
  if (!direct && s.dataIn == nt::kDataIn) return succeeded(static_cast<uint32_t>(s.dataBuffer) + transferred);
  return succeeded(static_cast<uint32_t>(senseLength ? senseAt + senseLength : sizeof s));
}

}  // namespace pt::fake
