// Self-registration of gastrel.dll: each band's class key with its in-process server and
// its component category (desk band, explorer bar, command bar).
#pragma once

#include <windows.h>

namespace bands {

HRESULT registerBands(HMODULE module);
HRESULT unregisterBands();

}  // namespace bands
