// HTML Help, bound at first use: HtmlHelpA from "hhctrl.ocx". A missing library means no
// help window, never a failure of the caller.
#pragma once

#include <windows.h>

#include <string>

namespace explorer {

using HtmlHelpProc = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

constexpr UINT kHelpDisplayTopic = 0x0000;  // HH_DISPLAY_TOPIC
constexpr UINT kHelpCloseAll = 0x0012;      // HH_CLOSE_ALL

// Calls HtmlHelpA; nullptr when the library or the entry is missing.
HWND htmlHelp(HWND owner, const std::string& file, UINT command, DWORD_PTR data);
// Whether the help engine was loaded (a quit request is only worth sending then).
bool htmlHelpLoaded();

// Test seam: replaces the entry point (nullptr: back to the library).
void setHtmlHelpForTesting(HtmlHelpProc proc);

}  // namespace explorer
