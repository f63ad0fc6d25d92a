#include "pages/page_picture.h"

#include <oleacc.h>

#include "framework/dpi.h"
#include "framework/module.h"
#include "framework/strings.h"
#include "pages/drawing.h"

namespace srv {
namespace {

constexpr COLORREF kPictureKey = RGB(0, 255, 255);

}  // namespace

void PagePicture::load(HWND page, int controlId, UINT dib256Id, UINT plain16Id) {
  HDC screen = GetDC(nullptr);
  if (screen && GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES) > 4) {
    // The drawing for the page's scale: 1x, 1.5x or 2x.
    RECT area = {};
    GetClientRect(GetDlgItem(page, controlId), &area);
    if (dib_.loadForDpi(dib256Id, fw::dpiOf(page), fw::resourceModule(),
                        {area.right, area.bottom})) {
      HPALETTE previous = dib_.selectPalette(screen, false);
      dib_.makeBitmap(screen);
      if (previous) SelectPalette(screen, previous, FALSE);
    }
  } else {
    plain_.reset(static_cast<HBITMAP>(LoadImageA(fw::resourceModule(), MAKEINTRESOURCEA(plain16Id),
                                                 IMAGE_BITMAP, 0, 0, 0)));
  }
  if (screen) ReleaseDC(nullptr, screen);
}

void PagePicture::draw(HDC dc, int x, int y) const {
  if (plain_) {
    drawTransparentBitmap(dc, x, y, plain_.get(), kPictureKey);
  } else if (dib_.bitmap()) {
    HPALETTE previous = dib_.selectPalette(dc, true);
    drawTransparentBitmap(dc, x, y, dib_.bitmap(), kPictureKey);
    if (previous) SelectPalette(dc, previous, TRUE);
  }
}

bool PagePicture::drawItem(WPARAM wParam, LPARAM lParam, int controlId) const {
  if (wParam != static_cast<WPARAM>(controlId)) return false;
  draw(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hDC, 0, 0);
  return true;
}

bool pictureItem(long child, UINT nameId, const std::string& value, fw::AccessibleItem& out) {
  if (child != CHILDID_SELF) return false;
  out.name = fw::widen(fw::loadString(nameId));
  out.value = fw::widen(value);
  out.role = ROLE_SYSTEM_GRAPHIC;
  out.state = STATE_SYSTEM_READONLY;
  return true;
}

}  // namespace srv
