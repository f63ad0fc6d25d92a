// Drawing services of Corvath's pages and windows: the transparent bitmap painter and the
// routine that disables every control of a window.
#pragma once

#include <windows.h>

#include <cstddef>

#include "pages/gdi.h"

namespace srv {

// A colour of a picture that stands for a colour of the scheme (COLOR_*).
struct SchemeColour {
  COLORREF drawn;
  int systemColour;
};

// Draws bitmap with its top-left corner at (x, y), at its own size. Pixels of keyColour
// leave what dc shows there (the button face of a classic page, the body of a themed
// one); the others are the picture's, or the scheme's colour where a role names them.
// An absent bitmap draws nothing.
void drawTransparentBitmap(HDC dc, int x, int y, HBITMAP bitmap, COLORREF keyColour,
                           const SchemeColour* roles, size_t roleCount);
inline void drawTransparentBitmap(HDC dc, int x, int y, HBITMAP bitmap, COLORREF keyColour) {
  drawTransparentBitmap(dc, x, y, bitmap, keyColour, nullptr, 0);
}
template <size_t N>
void drawTransparentBitmap(HDC dc, int x, int y, HBITMAP bitmap, COLORREF keyColour,
                           const SchemeColour (&roles)[N]) {
  drawTransparentBitmap(dc, x, y, bitmap, keyColour, &roles[0], N);
}

// The separator and corner-logo pictures (key red): their grey and white stand for the
// scheme's 3-D shadow and highlight.
extern const SchemeColour kEtchedLineColours[2];
// Draws such a picture at (x, y).
void drawEtchedLine(HDC dc, int x, int y, HBITMAP bitmap);

// Disables every child of window (first child, then each next sibling).
void disableChildren(HWND window);

}  // namespace srv
