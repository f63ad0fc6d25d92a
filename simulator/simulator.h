// The simulated SCSI manager and miniport driver over one virtual bus, without any
// platform code: the library shell (simulator/win) hands it the blocks it receives and
// carries out what it answers (writing blocks and buffers, now or later, signalling
// events, writing files).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "scsi/records.h"
#include "simulator/bus.h"
#include "simulator/device.h"

namespace sim {

// Request-block status values beyond those of scsi/records.h.
constexpr uint8_t kStatusInvalidRequest = 0x80;
constexpr uint8_t kStatusInvalidAdapter = 0x81;
// Manager status of the support word when no bus could be loaded.
constexpr uint8_t kManagerNotInitialised = 0xE4;

enum class Timing : uint8_t {
  Immediate,  // answered by SendVRAX32Command itself
  Pending,    // answered 0, completed by the simulator's thread after `delayMs`
  Late,       // answered 0, completed when a test releases it
  Never,      // answered 0, never completed
};

struct Answer {
  CommandResult result;
  Timing timing = Timing::Immediate;
  uint32_t delayMs = 0;
  bool stateChanged = false;  // saved values changed: the state file is to be written
};

// Win32 error codes the miniport stand-in reports for a failed control call.
constexpr uint32_t kErrorInvalidFunction = 1;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorGenFailure = 31;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorInsufficientBuffer = 122;

// Completion statuses of a miniport request other than success (1).
constexpr uint8_t kMiniportStatusError = 0x04;
constexpr uint8_t kMiniportStatusInvalid = 0x02;

struct MiniportAnswer {
  bool ok = false;     // result of the control call
  uint32_t error = 0;  // Win32 error code when !ok
  uint32_t returned = 0;
};

class Simulator {
 public:
  // Replaces the bus. On failure the manager is not initialised (no adapters) and
  // error() says why, naming the file and line.
  bool load(std::string_view text, std::string_view name);
  // Serves no bus: the manager is not initialised and error() gives `reason`.
  void unload(std::string_view reason);
  bool initialised() const { return initialised_; }
  const std::string& error() const { return error_; }
  const Bus& bus() const { return bus_; }

  // Saved mode page values kept between loads of the library. applyState ignores
  // lines that do not fit the bus (and returns how many); stateText holds the values
  // that differ from the description.
  int applyState(std::string_view stateText);
  std::string stateText() const;
  void resetState();

  // GetVRAX32SupportInfo: bits 15..8 manager status, 7..0 the adapter count.
  uint32_t supportInfo() const;
  // Adapter inquiry: fills the answer fields and the status; returns the status.
  uint8_t inquire(scsi::AdapterInquiryBlock& block) const;
  // Execute request. `dataOut` holds the block's dataLength bytes of a write (null
  // when nothing is sent). The block itself is not written.
  Answer execute(const scsi::ExecCommandBlock& block, const uint8_t* dataOut);
  // GetHAPCIConfigInfo: copies up to `length` bytes of the configuration space.
  bool pciConfig(uint32_t adapterNumber, uint8_t* buffer, uint32_t length) const;

  // Miniport stand-in: the adapters with a SCSI port answer the EEPROM read and the
  // transfer-rate queries.
  const Adapter* adapterOnPort(int port) const;
  bool miniportOpen(int port);
  MiniportAnswer miniportControl(int port, uint32_t code, const uint8_t* in, uint32_t inSize,
                                 uint8_t* out, uint32_t outSize);

 private:
  Bus bus_;
  bool initialised_ = false;
  std::string error_;
};

// The I/O address the SCSI port publishes for an adapter (base address register 0
// without its I/O-space bit, low 16 bits), unless the description gives one.
uint32_t ioAddressOf(const Adapter& adapter);

// Parses "\\.\Scsi%d:" (letter case ignored); -1 when the name is not such a device.
int portFromDeviceName(std::string_view name);

}  // namespace sim
