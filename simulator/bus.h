// The virtual bus served by the simulated SCSI manager: adapters as the manager reports
// them, with their PCI configuration, EEPROM and SCSI port, and the devices on each.
// Plain records; bus_parser.h reads them from the text description, device.h and
// simulator.h give them behaviour.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

constexpr int kMaxAdapters = 32;
constexpr int kMaxFaults = 64;
constexpr size_t kMaxInquiryBytes = 255;     // INQUIRY allocation length is one byte
constexpr size_t kMaxModeBytes = 244;        // pages + header + descriptor fit one byte
constexpr size_t kMaxDefects = 8191;         // a 16-bit list length of 8-byte entries
constexpr size_t kPciConfigSize = 256;
constexpr size_t kEepromSize = 512;
constexpr uint8_t kDefaultManagerStatus = 1;
constexpr uint8_t kDefaultScsiId = 7;

enum class Completion : uint8_t {
  Immediate,  // SendVRAX32Command answers with the status at once
  Pending,    // answers 0; the simulator's thread completes the block
};

enum class FaultKind : uint8_t {
  Busy,              // status 4, target status 0x08
  Check,             // status 4, target status 0x02, the given sense
  Aborted,           // status 2
  SelectionTimeout,  // status 4, adapter status 0x11
  AdapterStatus,     // status 4, the given adapter status
  Never,             // pending for ever: status stays 0, the event is never signalled
  Late,              // executed, completed only when a test releases it
  Delay,             // executed, completed after a delay
  Short,             // executed, the answer cut to `length` bytes, reported as good
  Underrun,          // executed, the answer cut to `length` bytes, adapter status 0x12
};

constexpr int kAnyOpcode = -1;
constexpr int kEveryTime = -1;
constexpr int kAnyPage = -1;

struct Fault {
  int opcode = kAnyOpcode;
  FaultKind kind = FaultKind::Busy;
  uint8_t senseKey = 0;
  uint8_t asc = 0;
  uint8_t ascq = 0;
  uint8_t adapterStatus = 0;
  uint32_t delayMs = 0;
  uint32_t length = 0;  // Short and Underrun: bytes of the answer that reach the buffer
  int remaining = kEveryTime;  // how many more requests it hits
  int skip = 0;                // matching requests it lets pass before its first hit
  int page = kAnyPage;         // MODE SENSE/SELECT only: the page the request is about
  int line = 0;
};

// How a device treats MODE SELECT of one page beyond the changeable-bits rule: it
// refuses a list with any of `mask` set in page byte `byte` (ILLEGAL REQUEST), or it
// accepts those bits and keeps their old values.
struct SelectQuirk {
  enum Kind : uint8_t { Refuse, Ignore };
  Kind kind = Refuse;
  uint8_t page = 0;
  uint8_t byte = 0;
  uint8_t mask = 0;
};

// One mode page in its four versions. Every version has the same length and carries
// the page code and page length in bytes 0 and 1 (the PS bit kept clear).
struct ModePage {
  uint8_t code = 0;
  std::vector<uint8_t> current;
  std::vector<uint8_t> changeable;
  std::vector<uint8_t> defaults;
  std::vector<uint8_t> saved;
  // As described, for a reset of the saved state.
  std::vector<uint8_t> describedCurrent;
  std::vector<uint8_t> describedSaved;
};

// A defect in physical-sector format.
struct Defect {
  uint32_t cylinder = 0;  // 24 bits
  uint8_t head = 0;
  uint32_t sector = 0;
};

// Negotiated transfer, as the miniport reports it.
struct Rate {
  uint32_t tenthsMBps = 0;
  bool doubled = false;
  uint8_t offset = 0;  // 0 = asynchronous
};

struct Device {
  uint8_t target = 0;
  int line = 0;
  std::vector<uint8_t> inquiry;
  bool hasCapacity = false;
  uint64_t blocks = 0;
  uint32_t blockLength = 0;
  std::vector<ModePage> pages;  // ascending page code
  std::vector<Defect> primary;
  std::vector<Defect> grown;
  // The list length field answered for one list alone, whatever its entries hold; -1:
  // the entries' own length.
  int primaryLength = -1;
  int grownLength = -1;
  Rate rate;
  bool blockDescriptors = true;      // MODE SENSE answers carry the 8-byte descriptor
  bool emptyForMissingPage = false;  // MODE SENSE of a page it lacks: no page, no error
  bool hasCompletion = false;
  Completion completion = Completion::Immediate;
  std::vector<Fault> faults;
  std::vector<SelectQuirk> selectQuirks;
};

enum class PortFaultKind : uint8_t {
  Open,    // the device "\\.\Scsi%d:" cannot be opened
  Call,    // the control call fails
  Status,  // the call succeeds with a completion status other than 1
};

struct PortFault {
  PortFaultKind kind = PortFaultKind::Call;
  int remaining = kEveryTime;
};

struct Adapter {
  int line = 0;
  std::string identifier;  // at most 16 characters
  std::string managerId;   // at most 16 characters
  uint8_t scsiId = kDefaultScsiId;
  std::array<uint8_t, 16> unique{};
  std::array<uint8_t, kPciConfigSize> pci{};
  std::array<uint8_t, kEepromSize> eeprom{};
  int eepromSharedWith = -1;  // index of the adapter whose EEPROM this one reads
  int port = -1;              // SCSI port number, -1 when it has none
  std::string portDriver;
  bool hasIoAddress = false;  // else derived from base address register 0
  uint32_t ioAddress = 0;
  std::vector<PortFault> portFaults;
  std::vector<Device> devices;  // ascending target

  int maxTargets() const { return unique[3] ? unique[3] : 8; }
};

struct Bus {
  std::string name;  // the description's file name, for messages
  uint8_t managerStatus = kDefaultManagerStatus;
  Completion completion = Completion::Immediate;
  bool deviceMap = true;  // publish the SCSI ports in the registry
  std::vector<Adapter> adapters;
};

}  // namespace sim
