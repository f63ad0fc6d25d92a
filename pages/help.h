// The context-help machinery of Corvath's pages and sheets, and the full help file.
// Everything reaches the platform through HtmlHelpA of the HTML Help control, loaded from
// "hhctrl.ocx" on first use; without the control every request does nothing. Tests put a
// recorder in front of HtmlHelpA (setHtmlHelpForTesting), since the control shows no
// pop-ups here.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "pages/help_tables.h"

namespace srv {

// HtmlHelpA commands used by the suite.
constexpr UINT kHhDisplayTopic = 0x0000;
constexpr UINT kHhDisplayTextPopup = 0x000E;
constexpr UINT kHhTpHelpContextMenu = 0x0010;
constexpr UINT kHhTpHelpWmHelp = 0x0011;

constexpr const char* kHelpFileName = "orvane60.chm";
constexpr const char* kContextTopicsSuffix = "orvane60.chm::/context.txt";

// The HTML Help control's HH_POPUP record (ANSI): 52 bytes in the 32-bit build, 72 in the
// 64-bit one (handles and text pointers there are 8 bytes, on 8-byte boundaries).
struct HelpPopup {
  int cbStruct;
  HINSTANCE hinst;
  UINT idString;
  const char* pszText;
  POINT pt;
  COLORREF clrForeground;
  COLORREF clrBackground;
  RECT rcMargins;
  const char* pszFont;
};
constexpr bool kWidePopup = sizeof(void*) == 8;
static_assert(sizeof(HelpPopup) == (kWidePopup ? 72 : 52), "HH_POPUP size");
static_assert(offsetof(HelpPopup, hinst) == (kWidePopup ? 8 : 4), "HH_POPUP.hinst");
static_assert(offsetof(HelpPopup, idString) == (kWidePopup ? 16 : 8), "HH_POPUP.idString");
static_assert(offsetof(HelpPopup, pszText) == (kWidePopup ? 24 : 12), "HH_POPUP.pszText");
static_assert(offsetof(HelpPopup, pt) == (kWidePopup ? 32 : 16), "HH_POPUP.pt");
static_assert(offsetof(HelpPopup, clrBackground) == (kWidePopup ? 44 : 28), "HH_POPUP.clrBackground");
static_assert(offsetof(HelpPopup, rcMargins) == (kWidePopup ? 48 : 32), "HH_POPUP.rcMargins");
static_assert(offsetof(HelpPopup, pszFont) == (kWidePopup ? 64 : 48), "HH_POPUP.pszFont");

using HtmlHelpFunction = HWND(WINAPI*)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);

// The one way to the help control: null (and nothing shown) when it cannot be loaded.
HWND htmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data);

// Tests: replace HtmlHelpA by a recorder (null goes back to the control), or name another
// library to load it from (a missing one stands for a machine without the control).
void setHtmlHelpForTesting(HtmlHelpFunction function);
void setHelpControlForTesting(const char* libraryName);

// Folder of Corvath's module file followed by "orvane60.chm::/context.txt".
std::string contextHelpPath();
// Folder of Corvath's module file followed by "orvane60.chm".
std::string helpFilePath();

// WM_HELP of a page: shows the topic of the item's control from the page's pair table.
// Answers whether a help window was created; a request that is not about a window
// (a menu item) counts as handled and shows nothing.
BOOL onHelpInfo(const HELPINFO* info, const HelpPair* pairs);

// WM_CONTEXTMENU of a page: window and screenPoint as the message carries them. The
// help goes to the first visible child of window (in z-order) under the point, else to
// window itself.
void onContextMenu(HWND page, HWND window, POINT screenPoint, const HelpPair* pairs);

// The control that right-click help is given for (see onContextMenu).
HWND contextHelpTarget(HWND page, HWND window, POINT screenPoint);

// WM_HELP of a sheet: the string-table text of the control (or its substitute) as a
// pop-up at the mouse position, else the user's fallback text.
void showTextPopup(const TextPopupUser& user, HWND itemWindow, POINT screenPoint,
                   UINT controlId);

// The text and background a pop-up for controlId shows (the string table of the
// resource module decides).
struct PopupContent {
  std::string text;
  COLORREF background;
};
PopupContent popupContent(const TextPopupUser& user, UINT controlId);

// The whole help file, opened at its default topic.
HWND showFullHelp(HWND caller);

}  // namespace srv
