// The seam under the pass-through manager: everything it asks of Windows. The Windows
// binding puts CreateFileA, DeviceIoControl, the registry and SetupAPI / Configuration
// Manager behind it; tests and the fuzz target put a scripted machine there.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "passthrough/pci_header.h"

namespace pt {

using Handle = uint64_t;  // 0: none

enum class Access : uint8_t {
  Query,      // no data access: enough for the address, bus and capability queries
  ReadWrite,  // what pass-through requests need
};

struct IoResult {
  bool ok = false;
  uint32_t error = 0;     // Win32 error code when not ok
  uint32_t returned = 0;  // bytes written to the output buffer
};

// One entry of HARDWARE\DEVICEMAP\Scsi: the key name ("Scsi Port N") and its "Driver".
struct DeviceMapEntry {
  std::string keyName;
  std::string driver;
};

// One storage port device node (device interface class GUID_DEVINTERFACE_STORAGEPORT)
// with what SetupAPI and Configuration Manager tell about it.
struct PortNode {
  std::string interfacePath;
  std::string service;     // SPDRP_SERVICE
  std::string enumerator;  // SPDRP_ENUMERATOR_NAME, "PCI" for a PCI function
  std::vector<std::string> hardwareIds;
  std::vector<std::string> compatibleIds;
  bool hasLocation = false;  // SPDRP_BUSNUMBER and SPDRP_ADDRESS were read
  uint32_t busNumber = 0;
  uint32_t address = 0;
  std::vector<Resource> resources;  // the allocated configuration
};

class System {
 public:
  virtual ~System() = default;
  // Opens a device path; 0 with `error` set when it cannot be opened.
  virtual Handle open(const std::string& path, Access access, uint32_t& error) = 0;
  virtual void close(Handle handle) = 0;
  // DeviceIoControl; `in` and `out` may be the same buffer.
  virtual IoResult control(Handle handle, uint32_t code, const void* in, uint32_t inSize,
                           void* out, uint32_t outSize) = 0;
  // The SCSI ports of the device map; false when the key itself is missing.
  virtual bool deviceMap(std::vector<DeviceMapEntry>& entries) = 0;
  virtual std::vector<PortNode> portNodes() = 0;
  // The drive letters of optical drives as device paths ("\\.\D:"): under Wine the one
  // way to an optical drive's SCSI address and pass-through.
  virtual std::vector<std::string> opticalDrives() { return {}; }
};

}  // namespace pt
