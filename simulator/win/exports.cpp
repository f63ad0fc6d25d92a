// The library's exports, C calling convention, undecorated names (wnvrax32.def).
// The first three are the SCSI manager's; the VraxSim* functions are simulator controls
// for tests and the miniport seam (simulator/README.md), never called by the suite's own
// code paths except through that seam.
#include <cstdint>

#include "simulator/win/host.h"

using simwin::Host;

extern "C" {

uint32_t __cdecl GetVRAX32SupportInfo() { return Host::instance().supportInfo(); }

uint32_t __cdecl SendVRAX32Command(void* block) { return Host::instance().send(block); }

uint32_t __cdecl GetHAPCIConfigInfo(uint32_t adapterNumber, uint8_t* buffer, uint32_t length) {
  return Host::instance().pciConfig(adapterNumber, buffer, length);
}

int __cdecl VraxSimLoadBus(const char* path) { return Host::instance().loadBusFile(path); }

int __cdecl VraxSimLoadBusText(const char* text, const char* name) {
  return Host::instance().loadBusText(text, name);
}

uint32_t __cdecl VraxSimLastError(char* buffer, uint32_t size) {
  return Host::instance().lastError(buffer, size);
}

int __cdecl VraxSimSetLog(const char* path) { return Host::instance().setLog(path); }

int __cdecl VraxSimReleaseLate() { return Host::instance().releaseLate(); }

void* __cdecl VraxSimHeldEvent() { return Host::instance().heldEvent(); }

int __cdecl VraxSimPendingCount() { return Host::instance().pendingCount(); }

int __cdecl VraxSimResetState() { return Host::instance().resetState(); }

int __cdecl VraxSimWriteDeviceMap() { return Host::instance().writeDeviceMapNow(); }

uint32_t __cdecl VraxSimMiniportOpen(const char* deviceName) {
  return Host::instance().miniportOpen(deviceName);
}

int __cdecl VraxSimMiniportControl(uint32_t device, uint32_t ioControlCode, void* inBuffer,
                                   uint32_t inSize, void* outBuffer, uint32_t outSize,
                                   uint32_t* bytesReturned) {
  return Host::instance().miniportControl(device, ioControlCode, inBuffer, inSize, outBuffer,
                                          outSize, bytesReturned);
}

int __cdecl VraxSimMiniportClose(uint32_t device) { return Host::instance().miniportClose(device); }

}  // extern "C"
