// The library's exports, C calling convention, undecorated names (wnvrax32.def).
#include <cstdint>

#include "passthrough/win/library.h"

using ptwin::Library;

extern "C" {

uint32_t __cdecl GetVRAX32SupportInfo() { return Library::instance().supportInfo(); }

uint32_t __cdecl SendVRAX32Command(void* block) { return Library::instance().send(block); }

uint32_t __cdecl GetHAPCIConfigInfo(uint32_t adapterNumber, uint8_t* buffer, uint32_t length) {
  return Library::instance().pciConfig(adapterNumber, buffer, length);
}

}  // extern "C"
