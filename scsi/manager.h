// Binding of the SCSI manager library, wnvrax32.dll. It is loaded by its bare file name
// (whichever library the process finds is the manager) and each entry point is resolved
// by name immediately before each use, never cached: the library is outside the suite.
#pragma once

#include <windows.h>

#include <cstdint>

namespace scsi {

constexpr const char* kManagerFileName = "wnvrax32.dll";

// The library's entry points, C calling convention.
using GetSupportInfoFn = uint32_t(__cdecl*)();
using SendCommandFn = uint32_t(__cdecl*)(void* block);
using GetPciConfigFn = uint32_t(__cdecl*)(uint32_t adapterNumber, uint8_t* buffer,
                                          uint32_t length);

constexpr const char* kGetSupportInfo = "GetVRAX32SupportInfo";
constexpr const char* kSendCommand = "SendVRAX32Command";
constexpr const char* kGetPciConfig = "GetHAPCIConfigInfo";

// Resolves an entry point of the loaded library; null when the library or name is missing.
GetSupportInfoFn resolveSupportInfo(HMODULE library);
SendCommandFn resolveSendCommand(HMODULE library);
GetPciConfigFn resolvePciConfig(HMODULE library);

// The module's one manager handle, held from start-up to module exit.
class ScsiManager {
 public:
  ScsiManager() = default;
  ~ScsiManager() { unload(); }
  ScsiManager(const ScsiManager&) = delete;
  ScsiManager& operator=(const ScsiManager&) = delete;

  // LoadLibraryA of the bare name; false when it cannot be loaded (no message here).
  bool load();
  void unload();
  HMODULE handle() const { return library_; }

  // The support word: bits 15..8 manager status (1 = initialised), bits 7..0 the number
  // of adapters. A library without the entry point (or without SendVRAX32Command, which
  // makes it unusable) answers 0: a manager that is not initialised and has no adapters.
  uint32_t supportInfo() const;

 private:
  HMODULE library_ = nullptr;
};

// The instance owned by the module that links this library.
ScsiManager& scsiManager();

}  // namespace scsi
