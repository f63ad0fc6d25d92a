#include "scsi/miniport_logic.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "scsi/bytes.h"

namespace scsi {

namespace {

constexpr const char* kDriverValue = "Driver";
constexpr const char* kIoAddressValue = "IOAddress";

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(const std::string& a, const char* b) {
  const size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The first value named `name` (value names are compared ignoring case, as the registry
// does); values after it are not looked at.
const PortValue* findValue(const std::vector<PortValue>& values, const char* name) {
  for (const PortValue& v : values) {
    if (equalsIgnoringCase(v.name, name)) return &v;
  }
  return nullptr;
}

// Registry string data: up to its first NUL, never past the data read.
std::string dataText(const PortValue& value) {
  const size_t size = std::min<size_t>(value.data.size(), kRegistryDataBytes);
  const auto* begin = reinterpret_cast<const char*>(value.data.data());
  return std::string(begin, std::find(begin, begin + size, '\0'));
}

// Registry data taken as a 32-bit number, read into a zeroed buffer: shorter data reads
// as its bytes followed by zeros.
uint32_t dataNumber(const PortValue& value) {
  uint8_t buffer[kRegistryDataBytes] = {};
  std::memcpy(buffer, value.data.data(), std::min<size_t>(value.data.size(), sizeof buffer));
  return le32(buffer);
}

}  // namespace

uint32_t miniportIoBase(const HostAdapterInfo& adapter) {
  return le32(adapter.pciConfig + 0x10) & 0xFFFE;
}

std::string miniportDeviceName(int port) {
  char name[32];
  std::snprintf(name, sizeof name, kMiniportDeviceFormat, port);
  return name;
}

// One open device, closed when the request is finished.
class MiniportChannel::Device {
 public:
  Device(MiniportSystem& system, int port)
      : system_(system), handle_(system.open(miniportDeviceName(port).c_str())) {
    if (!handle_) system_.reportInvalidHandle();
  }
  ~Device() {
    if (handle_) system_.close(handle_);
  }
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  explicit operator bool() const { return handle_ != 0; }
  // The same buffer goes in and comes back, `size` bytes each way.
  bool send(MiniportRequest& request, uint32_t size) {
    return system_.control(handle_, &request, size, size);
  }

 private:
  MiniportSystem& system_;
  MiniportHandle handle_;
};

bool RememberedPorts::portValues(int port, std::vector<PortValue>& values) {
  auto found = ports_.find(port);
  if (found == ports_.end()) {
    std::pair<bool, std::vector<PortValue>> read;
    read.first = inner_.portValues(port, read.second);
    found = ports_.emplace(port, std::move(read)).first;
  }
  values = found->second.second;
  return found->second.first;
}

MiniportPortList MiniportChannel::findPorts(const char* driver) {
  MiniportPortList list;
  std::vector<PortValue> values;
  for (int n = 0; n < static_cast<int>(kMaxMiniportPorts); ++n) {
    values.clear();
    if (!system_.portValues(n, values)) break;
    const PortValue* value = findValue(values, kDriverValue);
    if (value && equalsIgnoringCase(dataText(*value), driver)) list.ports[list.count++] = n;
  }
  return list;
}

size_t MiniportChannel::choosePort(const MiniportPortList& list, uint32_t ioBase) {
  std::vector<PortValue> values;
  for (size_t i = 0; i < list.count && i < kMaxMiniportPorts; ++i) {
    values.clear();
    if (!system_.portValues(list.ports[i], values)) break;
    const PortValue* value = findValue(values, kIoAddressValue);
    if (value && dataNumber(*value) == ioBase) return i;
  }
  return 0;
}

bool MiniportChannel::readEepromBlock(HostAdapterInfo& adapter) {
  const MiniportPortList list = findPorts();
  if (list.count == 0) return false;
  const size_t chosen = choosePort(list, miniportIoBase(adapter));
  const bool channelB = adapter.pciFunction != 0;
  const uint32_t offset = channelB ? kEepromChannelB : kEepromChannelA;

  MiniportRequest request;
  bool sent;
  {
    Device device(system_, list.ports[chosen]);
    if (!device) return false;
    makeEepromReadRequest(request, offset);
    sent = device.send(request, kEepromRequestSize);
  }
  if (!sent) {
    // The two functions of a two-channel card sit on neighbouring ports and read one
    // EEPROM, so the other function's port can stand in. No other model has such a
    // neighbour: its EEPROM may belong to another card.
    if (adapter.model.channelCount != 2) return false;
    size_t neighbour;
    if (channelB) {
      if (chosen == 0) return false;
      neighbour = chosen - 1;
    } else {
      if (chosen + 1 >= list.count) return false;
      neighbour = chosen + 1;
    }
    Device device(system_, list.ports[neighbour]);
    if (!device) return false;
    makeEepromReadRequest(request, offset);
    if (!device.send(request, kEepromRequestSize)) return false;
  }
  if (request.completionStatus != kMiniportStatusOk) return false;
  std::memcpy(adapter.eepromImage + offset, request.data, kEepromBlockSize);
  adapter.eepromImageSize = sizeof adapter.eepromImage;
  return true;
}

bool MiniportChannel::queryTransferRate(const HostAdapterInfo& adapter, uint8_t target,
                                        uint32_t& rate) {
  const MiniportPortList list = findPorts();
  if (list.count == 0) return false;
  Device device(system_, list.ports[choosePort(list, miniportIoBase(adapter))]);
  if (!device) return false;

  MiniportRequest request;
  makeRateRequest(request, target, kOpRate, 0);
  if (!device.send(request, kRateRequestSize)) return false;
  // Without the rate itself the two refinements below have nothing to refine.
  if (request.completionStatus != kMiniportStatusOk) return false;
  uint32_t value = request.parameter1;

  makeRateRequest(request, target, kOpRateDoubled, 0);
  if (device.send(request, kRateRequestSize) &&
      request.completionStatus == kMiniportStatusOk && request.parameter1 == 1) {
    value *= 2;
  }
  makeRateRequest(request, target, kOpSyncOffset, 0xFF);
  if (device.send(request, kRateRequestSize) &&
      request.completionStatus == kMiniportStatusOk && request.parameter1 == 0) {
    value = 1;
  }
  rate = value;
  return true;
}

}  // namespace scsi
