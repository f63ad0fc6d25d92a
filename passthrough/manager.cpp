#include "passthrough/manager.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "passthrough/nt_layout.h"
#include "scsi/bytes.h"

namespace pt {

namespace {

constexpr size_t kFirstInquiryDataSize = 4096;
constexpr size_t kMaxInquiryDataSize = 256 * 1024;
constexpr size_t kDescriptorSize = 64;
constexpr size_t kMaxIdentifier = 16;
constexpr size_t kMaxAdapters = 255;

// Identifiers of ports whose driver has no name of its own, by STORAGE_BUS_TYPE.
struct BusTypeName {
  uint8_t busType;
  const char* name;
};
constexpr BusTypeName kBusTypeNames[] = {
    {0x01, "SCSI PORT"},  {0x02, "ATAPI PORT"},   {0x03, "ATA PORT"},    {0x04, "1394 PORT"},
    {0x05, "SSA PORT"},   {0x06, "FIBRE PORT"},   {0x07, "USB PORT"},    {0x08, "RAID PORT"},
    {0x09, "ISCSI PORT"}, {0x0A, "SAS PORT"},     {0x0B, "SATA PORT"},   {0x0C, "SD PORT"},
    {0x0D, "MMC PORT"},   {0x0E, "VIRTUAL PORT"}, {0x10, "SPACES PORT"}, {0x11, "NVME PORT"},
    {0x12, "SCM PORT"},   {0x13, "UFS PORT"},
};

// The class devices asked for their address, and how far each kind is probed.
struct ClassKind {
  const char* prefix;
  unsigned probed;
};
constexpr ClassKind kClassKinds[] = {
    {"\\\\.\\PhysicalDrive", kProbedDisks},
    {"\\\\.\\CdRom", kProbedOthers},
    {"\\\\.\\Tape", kProbedOthers},
};

std::string portPath(unsigned number) { return "\\\\.\\Scsi" + std::to_string(number) + ":"; }

bool equalNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

// "Scsi Port N" of the device map.
bool portNumberOf(const std::string& keyName, uint8_t& number) {
  static const std::string kPrefix = "Scsi Port ";
  if (keyName.size() <= kPrefix.size() || keyName.size() > kPrefix.size() + 3 ||
      !equalNoCase(keyName.substr(0, kPrefix.size()), kPrefix))
    return false;
  unsigned value = 0;
  for (size_t i = kPrefix.size(); i < keyName.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(keyName[i]))) return false;
    value = value * 10 + static_cast<unsigned>(keyName[i] - '0');
  }
  if (value > 0xFF) return false;
  number = static_cast<uint8_t>(value);
  return true;
}

bool missing(uint32_t error) {
  return error == nt::error::kFileNotFound || error == nt::error::kPathNotFound;
}

void copyText(char* field, size_t size, const std::string& text) {
  std::memset(field, 0, size);
  std::memcpy(field, text.data(), std::min(size, text.size()));
}

uint8_t* pointer(uint64_t address) {
  return reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(address));
}

}  // namespace

Manager::~Manager() {
  for (auto& entry : handles_) system_.close(entry.second);
}

const std::vector<ManagedAdapter>& Manager::adapters() {
  std::lock_guard<std::mutex> guard(lock_);
  discover();
  return adapters_;
}

const std::vector<ClassDevice>& Manager::classDevices() {
  std::lock_guard<std::mutex> guard(lock_);
  discover();
  return classDevices_;
}

const ManagedAdapter* Manager::adapter(uint32_t number) {
  std::lock_guard<std::mutex> guard(lock_);
  discover();
  return number < adapters_.size() ? &adapters_[number] : nullptr;
}

// ---- finding the machine ---------------------------------------------------------------

void Manager::discover() {
  if (discovered_) return;
  discovered_ = true;
  std::map<uint8_t, std::string> drivers;
  bool denied = false;
  std::vector<Port> ports;
  std::vector<uint8_t> refused;
  for (uint8_t number : portList(drivers)) {
    Port port;
    uint32_t error = 0;
    port.number = number;
    port.path = portPath(number);
    port.driver = drivers[number];
    port.handle = system_.open(port.path, Access::ReadWrite, error);
    if (!port.handle) {
      denied = denied || error == nt::error::kAccessDenied;
      if (!missing(error)) refused.push_back(number);
      continue;
    }
    handles_[port.path] = port.handle;
    readPort(port);
    ports.push_back(std::move(port));
  }
  noRights_ = ports.empty() && denied;
  findClassDevices();
  if (!noRights_) addPortsOfClassDevices(ports, refused, drivers);
  nodes_ = system_.portNodes();
  attachNodes(ports);
  buildAdapters(ports);
}

// A port whose device does not exist (Wine has no \\.\ScsiN:) is still known by the
// class devices on it: one bus per path id they name, with them as its only units, each
// reached through its own device.
void Manager::addPortsOfClassDevices(std::vector<Port>& ports, const std::vector<uint8_t>& refused,
                                     std::map<uint8_t, std::string>& drivers) {
  for (const ClassDevice& d : classDevices_) {
    const uint8_t number = d.address.port;
    if (std::find(refused.begin(), refused.end(), number) != refused.end()) continue;
    auto port = std::find_if(ports.begin(), ports.end(), [&](const Port& p) { return p.number == number; });
    if (port == ports.end()) {
      Port p;
      p.number = number;
      p.path = portPath(number);
      p.driver = drivers.count(number) ? drivers[number] : std::string();
      p.busesKnown = true;
      p.fromClassDevices = true;
      ports.push_back(std::move(p));
      port = ports.end() - 1;
    }
    if (!port->fromClassDevices) continue;
    auto bus = std::find_if(port->buses.begin(), port->buses.end(),
                            [&](const PortBus& b) { return b.pathId == d.address.path; });
    if (bus == port->buses.end()) {
      PortBus b;
      b.pathId = d.address.path;
      b.initiatorId = kDefaultInitiatorId;
      port->buses.push_back(b);
      bus = port->buses.end() - 1;
    }
    PortUnit unit;
    unit.pathId = d.address.path;
    unit.targetId = d.address.target;
    unit.lun = d.address.lun;
    unit.claimed = true;
    bus->units.push_back(unit);
  }
  std::sort(ports.begin(), ports.end(), [](const Port& a, const Port& b) { return a.number < b.number; });
  for (Port& p : ports)
    std::sort(p.buses.begin(), p.buses.end(), [](const PortBus& a, const PortBus& b) { return a.pathId < b.pathId; });
}

std::vector<uint8_t> Manager::portList(std::map<uint8_t, std::string>& drivers) {
  std::vector<uint8_t> numbers;
  std::vector<DeviceMapEntry> entries;
  if (system_.deviceMap(entries)) {
    for (const DeviceMapEntry& e : entries) {
      uint8_t number;
      if (portNumberOf(e.keyName, number) && !drivers.count(number)) {
        drivers[number] = e.driver;
        numbers.push_back(number);
      }
    }
  } else {
    for (unsigned n = 0; n < kProbedPorts; ++n) numbers.push_back(static_cast<uint8_t>(n));
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

IoResult Manager::query(Handle handle, uint32_t code, const void* in, uint32_t inSize,
                        std::vector<uint8_t>& out) {
  IoResult r = system_.control(handle, code, in, inSize, out.data(), static_cast<uint32_t>(out.size()));
  r.returned = std::min<uint32_t>(r.returned, static_cast<uint32_t>(out.size()));
  return r;
}

void Manager::readPort(Port& port) {
  std::vector<uint8_t> answer;
  for (size_t size = kFirstInquiryDataSize; size <= kMaxInquiryDataSize; size *= 2) {
    answer.assign(size, 0);
    IoResult r = query(port.handle, nt::kIoctlScsiGetInquiryData, nullptr, 0, answer);
    if (r.ok) {
      port.busesKnown = readInquiryData(answer.data(), r.returned, port.buses);
      break;
    }
    if (r.error != nt::error::kInsufficientBuffer && r.error != nt::error::kMoreData) break;
  }

  answer.assign(sizeof(nt::ScsiCapabilities), 0);
  IoResult r = query(port.handle, nt::kIoctlScsiGetCapabilities, nullptr, 0, answer);
  if (r.ok) port.limits = readCapabilities(answer.data(), r.returned);

  nt::StoragePropertyQuery q{};
  q.propertyId = nt::kStorageAdapterProperty;
  q.queryType = nt::kPropertyStandardQuery;
  answer.assign(kDescriptorSize, 0);
  r = query(port.handle, nt::kIoctlStorageQueryProperty, &q, sizeof q, answer);
  if (r.ok) {
    AdapterDescriptor d = readAdapterDescriptor(answer.data(), r.returned);
    if (!port.limits.known) port.limits = d.limits;
    port.hasBusType = d.hasBusType;
    port.busType = d.busType;
  }
}

void Manager::attachNodes(std::vector<Port>& ports) {
  // Windows 10 1809 and later tell a port's number to a query of its device interface.
  for (const PortNode& node : nodes_) {
    uint32_t error = 0;
    Handle h = system_.open(node.interfacePath, Access::Query, error);
    if (!h) continue;
    std::vector<uint8_t> answer(sizeof(nt::ScsiAddress), 0);
    Address address;
    IoResult r = query(h, nt::kIoctlScsiGetAddress, nullptr, 0, answer);
    system_.close(h);
    if (!r.ok || !readAddress(answer.data(), r.returned, address)) continue;
    for (Port& port : ports)
      if (port.number == address.port && !port.node) port.node = &node;
  }
  // Elsewhere a node goes with the port of its driver, where that pairing is unique.
  auto attached = [&](const PortNode& node) {
    for (const Port& p : ports)
      if (p.node == &node) return true;
    return false;
  };
  for (Port& port : ports) {
    if (port.node || port.driver.empty()) continue;
    const PortNode* match = nullptr;
    int nodes = 0;
    for (const PortNode& node : nodes_)
      if (!attached(node) && equalNoCase(node.service, port.driver)) match = &node, ++nodes;
    int portsOfDriver = 0;
    for (const Port& p : ports)
      if (!p.node && equalNoCase(p.driver, port.driver)) ++portsOfDriver;
    if (nodes == 1 && portsOfDriver == 1) port.node = match;
  }
}

bool Manager::askAddress(const std::string& path, uint32_t& error) {
  Handle h = system_.open(path, Access::Query, error);
  if (!h) return false;
  std::vector<uint8_t> answer(sizeof(nt::ScsiAddress), 0);
  ClassDevice device;
  device.path = path;
  IoResult r = query(h, nt::kIoctlScsiGetAddress, nullptr, 0, answer);
  system_.close(h);
  if (!r.ok || !readAddress(answer.data(), r.returned, device.address)) return true;
  // The first device that claims an address is its owner (an optical drive's letter
  // names the same device as its \\.\CdRomN).
  for (const ClassDevice& d : classDevices_)
    if (d.address == device.address) return true;
  classDevices_.push_back(std::move(device));
  return true;
}

void Manager::findClassDevices() {
  for (const ClassKind& kind : kClassKinds) {
    unsigned misses = 0;
    for (unsigned n = 0; n < kind.probed && misses < kMissesEndingProbe; ++n) {
      uint32_t error = 0;
      if (askAddress(kind.prefix + std::to_string(n), error)) misses = 0;
      else if (missing(error)) ++misses;
    }
  }
  for (const std::string& drive : system_.opticalDrives()) {
    uint32_t error = 0;
    askAddress(drive, error);
  }
}

void Manager::buildAdapters(const std::vector<Port>& ports) {
  for (const Port& port : ports) {
    std::vector<PortBus> buses = port.buses;
    if (buses.empty()) {
      PortBus only;
      only.initiatorId = kDefaultInitiatorId;
      buses.push_back(only);
    }
    std::string identifier = port.driver;
    if (identifier.empty() && port.node) identifier = port.node->service;
    for (const BusTypeName& row : kBusTypeNames)
      if (identifier.empty() && port.hasBusType && row.busType == port.busType) identifier = row.name;
    if (identifier.empty()) identifier = "SCSI PORT " + std::to_string(port.number);
    identifier.resize(std::min(identifier.size(), kMaxIdentifier));

    for (PortBus& bus : buses) {
      if (adapters_.size() >= kMaxAdapters) return;
      ManagedAdapter a;
      a.port = port.number;
      a.path = bus.pathId;
      a.portPath = port.path;
      a.identifier = identifier;
      a.initiatorId = bus.initiatorId;
      a.unitsKnown = port.busesKnown;
      a.units = std::move(bus.units);
      a.limits = port.limits;
      unsigned highest = 0;
      for (const PortUnit& u : a.units) highest = std::max<unsigned>(highest, u.targetId + 1u);
      for (const ClassDevice& d : classDevices_)
        if (d.address.port == a.port && d.address.path == a.path)
          highest = std::max<unsigned>(highest, d.address.target + 1u);
      a.targets = static_cast<uint8_t>(std::min(0xFFu, std::max<unsigned>(kMinTargets, highest)));
      if (port.node) {
        const PortNode& node = *port.node;
        a.location = pciLocation(node.enumerator, node.hasLocation, node.busNumber, node.address);
        std::vector<std::string> ids = node.hardwareIds;
        ids.insert(ids.end(), node.compatibleIds.begin(), node.compatibleIds.end());
        a.pci = buildPciHeader(readPciIds(ids), node.resources);
      }
      adapters_.push_back(std::move(a));
    }
  }
}

// ---- the entry points ------------------------------------------------------------------

uint32_t Manager::supportInfo() {
  std::lock_guard<std::mutex> guard(lock_);
  discover();
  if (noRights_) return static_cast<uint32_t>(kManagerStatusNoRights) << 8;
  return (static_cast<uint32_t>(kManagerStatusReady) << 8) | static_cast<uint32_t>(adapters_.size());
}

uint8_t Manager::inquire(scsi::AdapterInquiryBlock& block) {
  const ManagedAdapter* a = adapter(block.header.adapterNumber);
  if (!a) {
    block.header.status = kStatusInvalidAdapter;
    return block.header.status;
  }
  block.adapterCount = static_cast<uint8_t>(adapters_.size());
  block.adapterScsiId = a->initiatorId;
  copyText(block.managerId, sizeof block.managerId, kManagerId);
  copyText(block.adapterIdentifier, sizeof block.adapterIdentifier, a->identifier);
  uint8_t* unique = block.adapterUnique;
  std::memset(unique, 0, sizeof block.adapterUnique);
  scsi::putLe16(unique + scsi::unique::kAlignmentMask,
                static_cast<uint16_t>(std::min<uint32_t>(a->limits.alignmentMask, 0xFFFF)));
  unique[scsi::unique::kMaxTargets] = a->targets;
  scsi::putLe32(unique + scsi::unique::kMaxTransfer, a->limits.maxTransfer);
  if (a->location.known) {
    unique[scsi::unique::kPciBus] = a->location.bus;
    unique[scsi::unique::kPciDevice] = a->location.device;
    unique[scsi::unique::kPciFunction] = a->location.function;
    unique[scsi::unique::kPciValid] = scsi::unique::kPciValidMark;
  }
  block.header.status = scsi::kStatusDone;
  return block.header.status;
}

bool Manager::pciConfig(uint32_t adapterNumber, uint8_t* buffer, uint32_t length) {
  const ManagedAdapter* a = adapter(adapterNumber & 0xFF);
  if (!buffer) return false;
  const size_t n = std::min<size_t>(length, kPciConfigSize);
  if (a) std::memcpy(buffer, a->pci.data(), n);
  else std::memset(buffer, 0, n);
  return a != nullptr;
}

uint8_t Manager::refusal(const scsi::ExecCommandBlock& block) {
  if (!adapter(block.header.adapterNumber)) return kStatusInvalidAdapter;
  const bool in = block.header.flags & scsi::kFlagDataIn;
  const bool out = block.header.flags & scsi::kFlagDataOut;
  const uint32_t length = block.dataLength;
  if (block.cdbLength == 0 || block.cdbLength > sizeof block.cdb) return kStatusInvalidRequest;
  if (length && (in == out || block.dataBuffer == 0)) return kStatusInvalidRequest;
  return 0;
}

Handle Manager::commandHandle(const std::string& path, uint32_t& error) {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = handles_.find(path);
  if (it != handles_.end()) return it->second;
  Handle h = system_.open(path, Access::ReadWrite, error);
  if (h) handles_[path] = h;
  return h;
}

ExecAnswer Manager::execute(const scsi::ExecCommandBlock& block) {
  ExecAnswer refused;
  refused.status = refusal(block);
  if (refused.status) return refused;
  const ManagedAdapter& a = *adapter(block.header.adapterNumber);
  const Address address{a.port, a.path, block.target, block.lun};

  const ClassDevice* owner = nullptr;
  for (const ClassDevice& d : classDevices_)
    if (d.address == address) owner = &d;
  bool listed = false;
  for (const PortUnit& u : a.units) listed = listed || (u.targetId == address.target && u.lun == address.lun);
  if (a.unitsKnown && !listed && !owner) return absentAnswer();

  uint32_t error = 0;
  const Handle handle = commandHandle(owner ? owner->path : a.portPath, error);
  if (!handle) return answerFromError(error);

  PassThroughRequest request;
  request.pathId = a.path;
  request.targetId = address.target;
  request.lun = address.lun;
  request.cdbLength = block.cdbLength;
  std::memcpy(request.cdb, block.cdb, block.cdbLength);
  request.dataLength = block.dataLength;
  request.dataIn = !request.dataLength                           ? nt::kDataUnspecified
                   : (block.header.flags & scsi::kFlagDataIn) ? nt::kDataIn
                                                                : nt::kDataOut;
  uint8_t* data = pointer(block.dataBuffer);
  const uint64_t address64 = reinterpret_cast<uintptr_t>(data);
  // In place where the port takes the buffer as it is, else through our own copy.
  const bool direct = a.limits.known && request.dataLength <= a.limits.maxTransfer &&
                      (address64 & a.limits.alignmentMask) == 0;
  const PassThroughLayout layout = passThroughLayout(kNativeWidth, direct, request.dataLength);
  std::vector<uint8_t> bytes = buildPassThrough(kNativeWidth, request, direct, address64);
  if (!direct && request.dataIn == nt::kDataOut && request.dataLength)
    std::memcpy(bytes.data() + layout.dataOffset, data, request.dataLength);

  const uint32_t size = static_cast<uint32_t>(bytes.size());
  IoResult r = system_.control(handle, direct ? nt::kIoctlScsiPassThroughDirect : nt::kIoctlScsiPassThrough,
                               bytes.data(), size, bytes.data(), size);
  if (!r.ok) return answerFromError(r.error);
  PassThroughReply reply;
  readPassThrough(kNativeWidth, bytes.data(), bytes.size(), request.dataLength, reply);
  if (!direct && request.dataIn == nt::kDataIn && reply.dataTransferred)
    std::memcpy(data, bytes.data() + layout.dataOffset, reply.dataTransferred);
  return answerFromReply(reply);
}

}  // namespace pt
