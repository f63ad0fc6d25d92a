// What the port and class drivers answer, read from the bytes they returned: the bus
// and unit list of a port, its transfer limits, its adapter descriptor and the address
// of a device. Every offset and length is checked against the bytes returned; a part
// that does not fit is left out, never read past.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pt {

// One logical unit a port found on a bus, with its INQUIRY data as the port keeps it.
struct PortUnit {
  uint8_t pathId = 0;
  uint8_t targetId = 0;
  uint8_t lun = 0;
  bool claimed = false;  // a class driver owns it
  std::vector<uint8_t> inquiry;
};

struct PortBus {
  uint8_t pathId = 0;  // the bus's index in the answer
  uint8_t initiatorId = 0;
  std::vector<PortUnit> units;
};

// IOCTL_SCSI_GET_INQUIRY_DATA. A unit chain ends at offset 0, after the bus's unit
// count (so a chain that loops ends too), or at an entry that does not fit. Units whose
// path id is not their bus's, and a second entry for one address, are dropped. False
// when not even the bus count fits.
bool readInquiryData(const uint8_t* data, size_t size, std::vector<PortBus>& buses);

// Transfer limits of a port.
struct Limits {
  bool known = false;
  uint32_t maxTransfer = 0;
  uint32_t alignmentMask = 0;
};

// IO_SCSI_CAPABILITIES: known when the answer reaches the alignment mask, by its size and
// by its own length field.
Limits readCapabilities(const uint8_t* data, size_t size);

// STORAGE_ADAPTER_DESCRIPTOR, as far as the answer and its own size field reach.
struct AdapterDescriptor {
  Limits limits;
  bool hasBusType = false;
  uint8_t busType = 0;  // STORAGE_BUS_TYPE
};
AdapterDescriptor readAdapterDescriptor(const uint8_t* data, size_t size);

// SCSI_ADDRESS.
struct Address {
  uint8_t port = 0;
  uint8_t path = 0;
  uint8_t target = 0;
  uint8_t lun = 0;
  bool operator==(const Address& o) const {
    return port == o.port && path == o.path && target == o.target && lun == o.lun;
  }
};
bool readAddress(const uint8_t* data, size_t size, Address& address);

}  // namespace pt
