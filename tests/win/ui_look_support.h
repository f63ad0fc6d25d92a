// What the look, keyboard and accessibility tests share: the look of this run (set by
// tests/win/ui_look_test.sh), pixels of windows as the screen shows them, the pictures
// of the modules' resources as drawn at a scale, and accessible objects read the way a
// screen reader reads them (from another apartment, while this thread keeps its windows
// answering).
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace looktest {

// "96", "144", "192" or "hc" (ORV_LOOK); "96" when unset.
std::string look();
bool highContrast();
unsigned screenDpi();
int scaledLength(int length);  // a length at 96 DPI, at the screen's DPI

// A window's client area as the screen shows it, after it has painted.
struct Capture {
  int width = 0, height = 0;
  std::vector<COLORREF> px;
  COLORREF at(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
};
Capture capture(HWND window);
// A child control's rectangle in its parent's client coordinates.
RECT childRect(HWND parent, HWND child);
// The colours of the capture inside rect (clipped to the capture).
std::set<COLORREF> coloursIn(const Capture& c, RECT rect);
// The most frequent colour inside rect: the background where a picture leaves most of its
// area to it.
COLORREF commonColour(const Capture& c, RECT rect);
// The bounds, inside rect, of the pixels that differ from background; empty if none do.
RECT boundsOf(const Capture& c, RECT rect, COLORREF background);
// Rows inside rect (from its top) in which at least half the pixels have that colour.
int rowsOfColour(const Capture& c, RECT rect, COLORREF colour);

// The bounds of the pixels of a bitmap resource that are not the key colour, as the
// module holds the resource (no scaling).
RECT opaqueBounds(HMODULE module, UINT id, COLORREF key);

// Runs read on a thread of its own (a multithreaded apartment, as a screen reader's is
// to the windows it reads) while this thread dispatches its messages; waits for it.
void readFromAnotherApartment(const std::function<void()>& read);
// The name and value of a window's accessible object (child 0) or one of its items.
struct Read {
  HRESULT hr = E_FAIL;
  std::wstring name, value;
  long role = 0;
  long state = 0;
  RECT location = {};  // screen coordinates
  long children = 0;
};
// AccessibleObjectFromWindow(OBJID_CLIENT) and the object's answers for child.
Read readAccessible(HWND window, long child = CHILDID_SELF);

std::wstring wide(const std::string& text);

}  // namespace looktest
