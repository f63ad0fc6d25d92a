// Small helpers the Seldarn sheet's pages, its dialog and its reader share.
#pragma once

#include <windows.h>

namespace bios {

// The corner logo drawn for the window's scale.
HBITMAP loadLogo(HWND window);

inline bool isClick(WORD notifyCode) { return notifyCode == BN_CLICKED; }
inline bool isSelection(WORD notifyCode) { return notifyCode == CBN_SELCHANGE; }

}  // namespace bios
