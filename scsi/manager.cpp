#include "scsi/manager.h"

#include "framework/msgbox.h"
#include "scsi/scsi_res.h"

namespace scsi {

namespace {
// GetProcAddress answers a generic pointer; the entry points are C-convention functions.
template <typename Fn>
Fn resolve(HMODULE library, const char* name) {
  if (!library) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}
}  // namespace

GetSupportInfoFn resolveSupportInfo(HMODULE library) {
  return resolve<GetSupportInfoFn>(library, kGetSupportInfo);
}

SendCommandFn resolveSendCommand(HMODULE library) {
  return resolve<SendCommandFn>(library, kSendCommand);
}

GetPciConfigFn resolvePciConfig(HMODULE library) {
  return resolve<GetPciConfigFn>(library, kGetPciConfig);
}

bool ScsiManager::load(const char* fileName) {
  if (!library_) library_ = LoadLibraryA(fileName);
  return library_ != nullptr;
}

void ScsiManager::unload() {
  if (!library_) {
    keeper_.reclaim();
    return;
  }
  HMODULE released = library_;
  library_ = nullptr;
  keeper_.reclaim();
  FreeLibrary(released);
  // Still mapped means another reference keeps the manager (and its threads) alive.
  HMODULE stillThere = nullptr;
  bool gone = !GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(released), &stillThere);
  keeper_.releaseAfterUnload(gone);
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

bool startManager(const char* fileName) {
  if (scsiManager().load(fileName)) return true;
  fw::messageBox(nullptr, IDS_NO_MANAGER, IDS_SUITE_CAPTION, MB_OK | MB_ICONSTOP);
  return false;
}

void stopManager() { scsiManager().unload(); }

}  // namespace scsi
