#include "pages/drawing.h"

#include <vector>

#include "framework/pixels.h"
#include "framework/scale.h"

namespace srv {
namespace {

constexpr COLORREF kEtchedLineKey = RGB(255, 0, 0);


}  // namespace

const SchemeColour kEtchedLineColours[2] = {{RGB(128, 128, 128), COLOR_BTNSHADOW},
                                            {RGB(255, 255, 255), COLOR_BTNHIGHLIGHT}};

void drawEtchedLine(HDC dc, int x, int y, HBITMAP bitmap) {
  drawTransparentBitmap(dc, x, y, bitmap, kEtchedLineKey, kEtchedLineColours);
}

void drawTransparentBitmap(HDC dc, int x, int y, HBITMAP bitmap, COLORREF keyColour,
                           const SchemeColour* roles, size_t roleCount) {
  if (!dc || !bitmap) return;
  BITMAP info;
  if (GetObject(bitmap, sizeof info, &info) != sizeof info) return;
  const int width = info.bmWidth;
  const int height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
  if (width <= 0 || height <= 0) return;

  // The picture's pixels, in its own colours whatever the display's depth.
  BITMAPINFO format = fw::pixelFormat(width, height);
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::vector<uint32_t> picture(count);
  HDC screen = GetDC(nullptr);
  const int rows = screen ? GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), picture.data(),
                                      &format, DIB_RGB_COLORS)
                          : 0;
  if (screen) ReleaseDC(nullptr, screen);
  if (rows != height) return;

  // What the destination shows there now, laid over and put back.
  void* bits = nullptr;
  GdiObject<HBITMAP> ground(CreateDIBSection(dc, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
  MemoryDC groundDC(dc);
  if (!ground || !bits || !groundDC) return;
  Selection selected(groundDC.get(), ground.get());
  BitBlt(groundDC.get(), 0, 0, width, height, dc, x, y, SRCCOPY);
  GdiFlush();

  std::vector<fw::ColourRole> shown;
  for (size_t i = 0; i < roleCount; ++i)
    shown.push_back({fw::swapRedBlue(roles[i].drawn),
                     fw::swapRedBlue(GetSysColor(roles[i].systemColour))});
  fw::composeKeyed(picture.data(), static_cast<uint32_t*>(bits), count,
                   fw::swapRedBlue(keyColour), shown.data(), shown.size());
  BitBlt(dc, x, y, width, height, groundDC.get(), 0, 0, SRCCOPY);
}

void disableChildren(HWND window) {
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    EnableWindow(child, FALSE);
}

}  // namespace srv
