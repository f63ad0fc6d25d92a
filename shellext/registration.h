// Self-registration of fenwold.dll: the folder's class keys and its place under My Computer.
#pragma once

#include <windows.h>

namespace shx {

HRESULT registerFolder(HMODULE module);
HRESULT unregisterFolder();

}  // namespace shx
