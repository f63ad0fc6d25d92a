// The SCSI manager over Windows' SCSI pass-through, without the platform: it finds the
// machine's SCSI ports, buses and devices through the System seam once, answers the
// support word, adapter inquiries and PCI configuration reads, and carries out execute
// requests (synchronously; the Windows binding runs them on its own thread).
//
// Adapters: each bus (path id) of each port "\\.\ScsiN:" is one adapter of the manager,
// numbered by port number, then path id; a port without such a device (under Wine) is
// known by the class devices that name it. A request goes to the class device that claims
// its address (found by asking each \\.\PhysicalDriveN, \\.\CdRomN and \\.\TapeN for its
// address) or to the port for an unclaimed device; an address the port does not know is
// answered as absent without troubling the bus.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "passthrough/driver_answers.h"
#include "passthrough/pci_header.h"
#include "passthrough/system.h"
#include "passthrough/translate.h"
#include "scsi/records.h"

namespace pt {

constexpr char kManagerId[] = "VRAX PASS-THRU";
// Support word status when SCSI ports exist but none could be opened for commands: the
// process is not elevated.
constexpr uint8_t kManagerStatusReady = 1;
constexpr uint8_t kManagerStatusNoRights = 0xE5;

// Ports probed when the registry's device map is missing, and class devices probed.
constexpr unsigned kProbedPorts = 16;
constexpr unsigned kProbedDisks = 128;
constexpr unsigned kProbedOthers = 32;
// Class device numbers run with gaps; this many missing in a row ends the probe.
constexpr unsigned kMissesEndingProbe = 16;
// The customary initiator ID, for a port that gives no bus list.
constexpr uint8_t kDefaultInitiatorId = 7;
constexpr uint8_t kMinTargets = 8;

struct ClassDevice {
  std::string path;
  Address address;
};

struct ManagedAdapter {
  uint8_t port = 0;
  uint8_t path = 0;
  std::string portPath;    // "\\.\ScsiN:"
  std::string identifier;  // at most 16 characters
  uint8_t initiatorId = kDefaultInitiatorId;
  bool unitsKnown = false;  // the port listed the bus's units
  std::vector<PortUnit> units;
  uint8_t targets = kMinTargets;
  Limits limits;
  PciLocation location;
  PciConfig pci{};
};

class Manager {
 public:
  explicit Manager(System& system) : system_(system) {}
  ~Manager();
  Manager(const Manager&) = delete;
  Manager& operator=(const Manager&) = delete;

  // Each of these finds the machine at its first use.
  uint32_t supportInfo();
  // Fills an adapter inquiry answer; returns the status written (1, or 0x81 for an
  // adapter the manager does not have).
  uint8_t inquire(scsi::AdapterInquiryBlock& block);
  // Fills the first min(length, 256) bytes; false for an adapter the manager lacks.
  bool pciConfig(uint32_t adapterNumber, uint8_t* buffer, uint32_t length);
  // The status an execute request is refused with at once (unknown adapter, no or too
  // long a CDB, both or no data direction with data, data without a buffer), or 0.
  uint8_t refusal(const scsi::ExecCommandBlock& block);
  // Carries out an accepted execute request: the data reaches the block's buffer, the
  // answer is returned for writeAnswer and the status.
  ExecAnswer execute(const scsi::ExecCommandBlock& block);

  const std::vector<ManagedAdapter>& adapters();
  const std::vector<ClassDevice>& classDevices();

 private:
  struct Port {
    uint8_t number = 0;
    std::string path;
    std::string driver;
    Handle handle = 0;
    bool busesKnown = false;
    std::vector<PortBus> buses;
    Limits limits;
    uint8_t busType = 0;
    bool hasBusType = false;
    bool fromClassDevices = false;  // no port device: known by its class devices alone
    const PortNode* node = nullptr;
  };

  void discover();  // with lock_ held
  std::vector<uint8_t> portList(std::map<uint8_t, std::string>& drivers);
  bool openPort(uint8_t number, const std::string& driver, Port& port);
  void readPort(Port& port);
  void attachNodes(std::vector<Port>& ports);
  void findClassDevices();
  // Asks a class device for its address and keeps it; false when it does not open.
  bool askAddress(const std::string& path, uint32_t& error);
  void addPortsOfClassDevices(std::vector<Port>& ports, const std::vector<uint8_t>& refused,
                              std::map<uint8_t, std::string>& drivers);
  void buildAdapters(const std::vector<Port>& ports);
  IoResult query(Handle handle, uint32_t code, const void* in, uint32_t inSize,
                 std::vector<uint8_t>& out);
  Handle commandHandle(const std::string& path, uint32_t& error);
  const ManagedAdapter* adapter(uint32_t number);

  System& system_;
  std::mutex lock_;
  bool discovered_ = false;
  bool noRights_ = false;
  std::vector<PortNode> nodes_;
  std::vector<ManagedAdapter> adapters_;
  std::vector<ClassDevice> classDevices_;
  std::map<std::string, Handle> handles_;  // opened for commands, by path
};

}  // namespace pt
