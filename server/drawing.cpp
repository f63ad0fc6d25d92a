#include "server/drawing.h"

namespace srv {
namespace {
// Where the mask (source) is set the brush (pattern) is taken, elsewhere the image
// already in the destination stays: D = (S AND P) OR (NOT S AND D).
constexpr DWORD kRopMaskSelectsBrush = 0x00E20746;
}  // namespace

void drawTransparentBitmap(HDC dc, int x, int y, HBITMAP bitmap, COLORREF keyColour) {
  if (!dc || !bitmap) return;
  BITMAP info;
  if (GetObject(bitmap, sizeof info, &info) != sizeof info) return;
  const int width = info.bmWidth;
  const int height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
  if (width <= 0 || height <= 0) return;

  MemoryDC imageDC(dc), maskDC(dc), resultDC(dc);
  if (!imageDC || !maskDC || !resultDC) return;
  GdiObject<HBITMAP> mask(CreateBitmap(width, height, 1, 1, nullptr));
  GdiObject<HBITMAP> result(CreateCompatibleBitmap(dc, width, height));
  GdiObject<HBRUSH> face(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
  if (!mask || !result || !face) return;

  {
    Selection image(imageDC.get(), bitmap);
    Selection maskSelected(maskDC.get(), mask.get());
    Selection resultSelected(resultDC.get(), result.get());

    // Monochrome mask: pixels of the background colour become 1, all others 0.
    COLORREF previousBack = SetBkColor(imageDC.get(), keyColour);
    BitBlt(maskDC.get(), 0, 0, width, height, imageDC.get(), 0, 0, SRCCOPY);
    SetBkColor(imageDC.get(), previousBack);

    // Copy of the image, then the brush where the mask is set. A monochrome source is
    // expanded with the text colour for 0 and the background colour for 1: black and
    // white make the mask all zeros or all ones in every colour plane.
    BitBlt(resultDC.get(), 0, 0, width, height, imageDC.get(), 0, 0, SRCCOPY);
    SetTextColor(resultDC.get(), RGB(0, 0, 0));
    SetBkColor(resultDC.get(), RGB(255, 255, 255));
    Selection brush(resultDC.get(), face.get());
    BitBlt(resultDC.get(), 0, 0, width, height, maskDC.get(), 0, 0, kRopMaskSelectsBrush);

    BitBlt(dc, x, y, width, height, resultDC.get(), 0, 0, SRCCOPY);
  }
}

void disableChildren(HWND window) {
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    EnableWindow(child, FALSE);
}

}  // namespace srv
