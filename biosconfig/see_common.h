// Small helpers the Seldarn sheet's pages, its dialog and its reader share.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace bios {

// The text of a fixed record field: up to its first NUL, never beyond the field.
std::string fixedText(const char* text, size_t size);

// The corner logo drawn for the window's scale.
HBITMAP loadLogo(HWND window);

inline bool isClick(WORD notifyCode) { return notifyCode == BN_CLICKED; }
inline bool isSelection(WORD notifyCode) { return notifyCode == CBN_SELCHANGE; }

}  // namespace bios
