// The large picture of a General page: the 256-colour drawing for the page's scale where
// the screen has more than 16 colours, else the 16-colour bitmap. Cyan lets the page's
// own background show through, whatever the scheme or theme makes it.
#pragma once

#include <windows.h>

#include <string>

#include "framework/accessible.h"
#include "pages/dibimage.h"
#include "pages/gdi.h"

namespace srv {

class PagePicture {
 public:
  // Loads the picture for the page's control controlId (its size, the page's DPI).
  void load(HWND page, int controlId, UINT dib256Id, UINT plain16Id);
  // Draws it with its top-left corner at (x, y) of dc; nothing when none was loaded.
  void draw(HDC dc, int x, int y) const;
  // WM_DRAWITEM of the page: the control repaints the picture when it is repainted alone.
  // True when the message was the control's and is answered.
  bool drawItem(WPARAM wParam, LPARAM lParam, int controlId) const;

 private:
  DibImage dib_;
  GdiObject<HBITMAP> plain_;
};

// The picture control's accessible item: it reads as nameId with value (what it shows).
bool pictureItem(long child, UINT nameId, const std::string& value, fw::AccessibleItem& out);

}  // namespace srv
