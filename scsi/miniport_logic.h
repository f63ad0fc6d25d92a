// The miniport control channel without the platform: which SCSI ports the adapter's
// miniport driver serves, which of them belongs to an adapter, and the EEPROM read and
// transfer-rate query built as MiniportRequest buffers. The registry, the device and the
// one message reach the platform through MiniportSystem, so that tests can stand in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "contract/records.h"
#include "scsi/miniport_request.h"

namespace scsi {

using inv::HostAdapterInfo;

constexpr size_t kMaxMiniportPorts = 16;
// RegEnumValue buffers: value names up to 80 characters, data up to 80 bytes.
constexpr uint32_t kRegistryNameChars = 80;
constexpr uint32_t kRegistryDataBytes = 80;

// Ascending SCSI port numbers whose registry entry names the miniport driver.
struct MiniportPortList {
  uint32_t count = 0;
  int ports[kMaxMiniportPorts] = {};
};

// A value of a "Scsi Port N" key as enumerated (data cut to kRegistryDataBytes).
struct PortValue {
  std::string name;
  std::vector<uint8_t> data;
};

// A device opened by MiniportSystem::open; 0 is no device.
using MiniportHandle = uintptr_t;

class MiniportSystem {
 public:
  virtual ~MiniportSystem() = default;
  // The values of HKLM "HARDWARE\DEVICEMAP\Scsi\Scsi Port <port>" in enumeration order;
  // false when the key cannot be opened.
  virtual bool portValues(int port, std::vector<PortValue>& values) = 0;
  // Opens a device such as "\\.\Scsi0:" for reading and writing; 0 when it cannot.
  virtual MiniportHandle open(const char* deviceName) = 0;
  // IOCTL_SCSI_MINIPORT with `buffer` as input (inSize bytes) and output (outSize
  // bytes); false when the call fails.
  virtual bool control(MiniportHandle device, void* buffer, uint32_t inSize,
                       uint32_t outSize) = 0;
  virtual void close(MiniportHandle device) = 0;
  // "invalid file handle": a port was found but its device could not be opened.
  virtual void reportInvalidHandle() = 0;
};

// A system whose registry values are read once per port and then remembered, for a
// run of requests through which the registry does not change: the BIOS configuration
// sheet reads every adapter's block when it opens, and each read looks up the whole port
// list. Devices are the inner system's.
class RememberedPorts : public MiniportSystem {
 public:
  explicit RememberedPorts(MiniportSystem& inner) : inner_(inner) {}
  bool portValues(int port, std::vector<PortValue>& values) override;
  MiniportHandle open(const char* deviceName) override { return inner_.open(deviceName); }
  bool control(MiniportHandle device, void* buffer, uint32_t inSize, uint32_t outSize) override {
    return inner_.control(device, buffer, inSize, outSize);
  }
  void close(MiniportHandle device) override { inner_.close(device); }
  void reportInvalidHandle() override { inner_.reportInvalidHandle(); }

 private:
  MiniportSystem& inner_;
  std::map<int, std::pair<bool, std::vector<PortValue>>> ports_;
};

// The I/O base the registry publishes for an adapter: base address register 0 with the
// I/O-space bit cleared, low 16 bits.
uint32_t miniportIoBase(const HostAdapterInfo& adapter);

// "\\.\Scsi<port>:"
std::string miniportDeviceName(int port);

class MiniportChannel {
 public:
  explicit MiniportChannel(MiniportSystem& system) : system_(system) {}

  // Ports 0, 1, ... up to the first missing key whose "Driver" value names `driver`.
  MiniportPortList findPorts(const char* driver = kMiniportDriverName);
  // Index into `list` of the port whose "IOAddress" equals `ioBase`; 0 when none does.
  size_t choosePort(const MiniportPortList& list, uint32_t ioBase);

  // The adapter channel's 64-byte EEPROM block into adapter.eepromImage (channel A at
  // 0, B at 64) and eepromImageSize 512. The record changes only when this succeeds.
  bool readEepromBlock(HostAdapterInfo& adapter);
  // The rate negotiated with `target` in tenths of MB/s (1 = asynchronous) into `rate`;
  // `rate` is left alone when the query fails.
  bool queryTransferRate(const HostAdapterInfo& adapter, uint8_t target, uint32_t& rate);

 private:
  class Device;

  MiniportSystem& system_;
};

}  // namespace scsi
