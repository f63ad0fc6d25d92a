#include "scsi/manager.h"

namespace scsi {

GetSupportInfoFn resolveSupportInfo(HMODULE library) {
  return library ? reinterpret_cast<GetSupportInfoFn>(GetProcAddress(library, kGetSupportInfo))
                 : nullptr;
}

SendCommandFn resolveSendCommand(HMODULE library) {
  return library ? reinterpret_cast<SendCommandFn>(GetProcAddress(library, kSendCommand))
                 : nullptr;
}

GetPciConfigFn resolvePciConfig(HMODULE library) {
  return library ? reinterpret_cast<GetPciConfigFn>(GetProcAddress(library, kGetPciConfig))
                 : nullptr;
}

bool ScsiManager::load() {
  if (!library_) library_ = LoadLibraryA(kManagerFileName);
  return library_ != nullptr;
}

void ScsiManager::unload() {
  if (library_) {
    FreeLibrary(library_);
    library_ = nullptr;
  }
}

uint32_t ScsiManager::supportInfo() const {
  GetSupportInfoFn info = resolveSupportInfo(library_);
  if (!info || !resolveSendCommand(library_)) return 0;
  return info();
}

ScsiManager& scsiManager() {
  static ScsiManager manager;
  return manager;
}

}  // namespace scsi
