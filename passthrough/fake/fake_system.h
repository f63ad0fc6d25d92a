// A scripted machine behind the pass-through manager's seam, for tests: SCSI ports with
// their buses and units, class devices that claim some of them, storage port device
// nodes with IDs and resources, and a device map. It answers the manager's requests the
// way the port and class drivers do, with the structures laid out byte for byte for the
// process's width, and keeps every control request it was sent.
//
// The devices themselves are the simulated manager's device model (INQUIRY, READ
// CAPACITY, MODE SENSE/SELECT, READ DEFECT DATA), described in its bus text format.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "passthrough/driver_answers.h"
#include "passthrough/system.h"
#include "simulator/bus.h"
#include "simulator/simulator.h"

namespace pt::fake {

struct Unit {
  uint8_t lun = 0;
  bool claimed = false;  // a class driver owns it: the port refuses pass-through to it
  sim::Device device;    // device.target is the target ID
};

struct Bus {
  uint8_t initiatorId = 7;
  std::vector<Unit> units;
};

struct Port {
  uint8_t number = 0;
  bool portDevice = true;        // \\.\ScsiN: exists (under Wine it does not)
  bool listsBuses = true;        // answers IOCTL_SCSI_GET_INQUIRY_DATA
  bool answersCapabilities = true;
  std::vector<Bus> buses;
  uint32_t maxTransfer = 0x20000;
  uint32_t alignmentMask = 3;
  uint8_t busType = 0;           // STORAGE_BUS_TYPE of the adapter descriptor
  bool hasNode = true;
  bool nodeTellsPort = true;     // its device interface answers IOCTL_SCSI_GET_ADDRESS
  PortNode node;
};

struct ClassDevice {
  std::string path;  // "\\.\PhysicalDrive0"
  bool answersAddress = true;
  Address address;
};

struct Machine {
  // The miniport drivers behind the ports, in the simulated manager's bus format: an
  // adapter with "port N kestrdrv" answers IOCTL_SCSI_MINIPORT on \\.\ScsiN: (its
  // EEPROM, its targets' rates); other ports refuse the request.
  std::string miniports;
  bool hasDeviceMap = true;
  std::vector<DeviceMapEntry> deviceMap;  // in registry order
  std::vector<Port> ports;
  std::vector<ClassDevice> classDevices;
  std::vector<std::string> opticalDrives;  // drive letters' device paths
};

// The machine of the tests (fake_machine.cpp): a SAS HBA with a SAS disk, a SATA disk, a
// tape and an unclaimed processor device; a SATA controller with an optical drive on its
// second bus; an adapter of the maker with a disk, on a miniport driver that answers the
// suite's own miniport requests; a USB attached SCSI port with a flash drive; a removed
// port between them; a virtual disk on no SCSI port.
Machine standardMachine();
// The optical drive of the standard machine as Wine shows it on Linux: its port in the
// device map, but no \\.\ScsiN:; \\.\CdRom0 does not tell its address, its drive letter
// does and takes pass-through requests.
Machine wineMachine();

class FakeSystem : public System {
 public:
  explicit FakeSystem(Machine machine);

  Handle open(const std::string& path, Access access, uint32_t& error) override;
  void close(Handle handle) override;
  IoResult control(Handle handle, uint32_t code, const void* in, uint32_t inSize, void* out,
                   uint32_t outSize) override;
  bool deviceMap(std::vector<DeviceMapEntry>& entries) override;
  std::vector<PortNode> portNodes() override;
  std::vector<std::string> opticalDrives() override;

  // A process that is not elevated: opening anything for data access is denied.
  void denyReadWrite(bool deny);

  struct Call {
    std::string path;
    uint32_t code = 0;
    std::vector<uint8_t> input;
  };
  std::vector<Call> calls() const;
  size_t openHandles() const;
  // The unit at an address, for tests that look at a device's state; null when absent.
  Unit* unit(const Address& address);
  const Machine& machine() const { return machine_; }

 private:
  enum class Kind : uint8_t { Port, Class, Node };
  struct Open {
    Handle handle;
    std::string path;
    Access access;
    Kind kind;
    size_t index;
  };

  Open* find(Handle handle);
  IoResult portControl(Port& port, uint32_t code, const void* in, uint32_t inSize, void* out,
                       uint32_t outSize);
  IoResult passThrough(Unit& unit, const Port& port, bool direct, const void* in, uint32_t inSize,
                       void* out, uint32_t outSize);

  Machine machine_;
  sim::Simulator miniports_;
  bool denyReadWrite_ = false;
  std::vector<Open> open_;
  Handle nextHandle_ = 0x100;
  std::vector<Call> calls_;
  mutable std::mutex lock_;
};

}  // namespace pt::fake
