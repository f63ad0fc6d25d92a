#include "scsi/miniport_channel.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "framework/msgbox.h"
#include "framework/regkey.h"
#include "scsi/manager.h"
#include "scsi/scsi_res.h"

namespace scsi {

namespace {

constexpr const char* kDeviceMapKey = "HARDWARE\\DEVICEMAP\\Scsi";

// The miniport seam of a simulated manager library: CreateFileA, DeviceIoControl and
// CloseHandle of the same device names and buffers. A real manager has none of these.
constexpr const char* kSeamOpen = "VraxSimMiniportOpen";
constexpr const char* kSeamControl = "VraxSimMiniportControl";
constexpr const char* kSeamClose = "VraxSimMiniportClose";
using SeamOpenFn = uint32_t(__cdecl*)(const char* deviceName);
using SeamControlFn = int(__cdecl*)(uint32_t device, uint32_t ioControlCode, void* in,
                                    uint32_t inSize, void* out, uint32_t outSize,
                                    uint32_t* bytesReturned);
using SeamCloseFn = int(__cdecl*)(uint32_t device);

template <typename Fn>
Fn seamEntry(HMODULE library, const char* name) {
  if (!library) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace

HMODULE WindowsMiniportSystem::seamLibrary() const {
  HMODULE library = manager_;
  if (!library) library = scsiManager().handle();
  if (!library) library = GetModuleHandleA(kManagerFileName);
  if (!seamEntry<SeamOpenFn>(library, kSeamOpen)) return nullptr;
  return library;
}

bool WindowsMiniportSystem::portValues(int port, std::vector<PortValue>& values) {
  char path[64];
  std::snprintf(path, sizeof path, "%s\\Scsi Port %d", kDeviceMapKey, port);
  fw::RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
    return false;
  }
  for (DWORD index = 0;; ++index) {
    char name[kRegistryNameChars];
    BYTE data[kRegistryDataBytes];
    DWORD nameLength = sizeof name;
    DWORD dataLength = sizeof data;
    const LONG rc =
        RegEnumValueA(key.get(), index, name, &nameLength, nullptr, nullptr, data, &dataLength);
    // A value too long for the buffers can be neither "Driver" with a driver's name nor
    // an "IOAddress": it is passed over.
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) break;
    PortValue value;
    value.name.assign(name, nameLength);
    value.data.assign(data, data + std::min<DWORD>(dataLength, sizeof data));
    values.push_back(std::move(value));
  }
  return true;
}

MiniportHandle WindowsMiniportSystem::open(const char* deviceName) {
  if (HMODULE library = seamLibrary()) {
    auto openFn = seamEntry<SeamOpenFn>(library, kSeamOpen);
    auto controlFn = seamEntry<SeamControlFn>(library, kSeamControl);
    auto closeFn = seamEntry<SeamCloseFn>(library, kSeamClose);
    if (!openFn || !controlFn || !closeFn) return 0;
    seamDevices_ = true;
    return openFn(deviceName);
  }
  seamDevices_ = false;
  HANDLE device = CreateFileA(deviceName, GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  if (device == INVALID_HANDLE_VALUE) return 0;
  return reinterpret_cast<MiniportHandle>(device);
}

bool WindowsMiniportSystem::control(MiniportHandle device, void* buffer, uint32_t inSize,
                                    uint32_t outSize) {
  if (seamDevices_) {
    auto controlFn =
        seamEntry<SeamControlFn>(seamLibrary(), kSeamControl);
    uint32_t returned = 0;
    return controlFn && controlFn(static_cast<uint32_t>(device), kIoctlScsiMiniport, buffer,
                                  inSize, buffer, outSize, &returned) != 0;
  }
  DWORD returned = 0;
  return DeviceIoControl(reinterpret_cast<HANDLE>(device), kIoctlScsiMiniport, buffer, inSize,
                         buffer, outSize, &returned, nullptr) != 0;
}

void WindowsMiniportSystem::close(MiniportHandle device) {
  if (seamDevices_) {
    if (auto closeFn = seamEntry<SeamCloseFn>(seamLibrary(), kSeamClose)) {
      closeFn(static_cast<uint32_t>(device));
    }
    return;
  }
  CloseHandle(reinterpret_cast<HANDLE>(device));
}

void WindowsMiniportSystem::reportInvalidHandle() {
  fw::messageBoxText(nullptr, "invalid file handle", IDS_SUITE_CAPTION, MB_OK | MB_ICONEXCLAMATION);
}

bool readEepromBlock(HostAdapterInfo& adapter) {
  WindowsMiniportSystem system;
  return MiniportChannel(system).readEepromBlock(adapter);
}

bool queryTransferRate(const HostAdapterInfo& adapter, uint8_t target, uint32_t& rate) {
  WindowsMiniportSystem system;
  return MiniportChannel(system).queryTransferRate(adapter, target, rate);
}

}  // namespace scsi
