// The miniport control channel on Windows: the SCSI ports from the registry's device
// map, the device "\\.\Scsi%d:" through the SCSI port driver's pass-through, and the
// "invalid file handle" message. A simulated manager library that exports the miniport
// seam (VraxSimMiniportOpen/Control/Close) stands in for the device I/O; the registry is
// always the real one.
#pragma once

#include <windows.h>

#include "scsi/miniport_logic.h"

namespace scsi {

class WindowsMiniportSystem : public MiniportSystem {
 public:
  // `manager`: the library to look in for the seam; null looks at the module's manager,
  // else at whichever "wnvrax32.dll" the process has loaded.
  explicit WindowsMiniportSystem(HMODULE manager = nullptr) : manager_(manager) {}

  bool portValues(int port, std::vector<PortValue>& values) override;
  MiniportHandle open(const char* deviceName) override;
  bool control(MiniportHandle device, void* buffer, uint32_t inSize, uint32_t outSize) override;
  void close(MiniportHandle device) override;
  void reportInvalidHandle() override;

 private:
  HMODULE seamLibrary() const;

  HMODULE manager_;
  // Whether the devices were opened through the seam rather than CreateFileA.
  bool seamDevices_ = false;
};

// The adapter channel's EEPROM block into the record (see MiniportChannel).
bool readEepromBlock(HostAdapterInfo& adapter);
// The rate negotiated with a target, in tenths of MB/s; 1 = asynchronous.
bool queryTransferRate(const HostAdapterInfo& adapter, uint8_t target, uint32_t& rate);

}  // namespace scsi
