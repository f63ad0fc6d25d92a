#include "pages/heading.h"

#include <commctrl.h>
#include <prsht.h>

#include <string>

#include "pages/gdi.h"

namespace srv {

HFONT createHeadingFont(HWND sheet) {
  if (!sheet) return nullptr;
  HDC dc = GetDC(sheet);
  if (!dc) return nullptr;
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(sheet, WM_GETFONT, 0, 0));
  TEXTMETRICA metrics = {};
  BOOL measured;
  {
    Selection selection(dc, font);
    measured = GetTextMetricsA(dc, &metrics);
  }
  ReleaseDC(sheet, dc);
  if (!measured) return nullptr;
  return CreateFontA(metrics.tmHeight, metrics.tmAveCharWidth, 0, 0, 600, FALSE, FALSE, FALSE,
                     ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, 0x24,
                     "Arial");
}

void fitHeading(HWND page, int id) {
  // Dialog units do not grow exactly with the heading font at every DPI, so a long adapter
  // name may outgrow the label's one line and wrap to a line nobody sees. Such a label
  // takes the page's width (margins kept as on its left) instead.
  HWND label = GetDlgItem(page, id);
  const int length = label ? GetWindowTextLengthA(label) : 0;
  if (length <= 0) return;
  std::string text(static_cast<size_t>(length) + 1, '\0');
  GetWindowTextA(label, text.data(), length + 1);
  HDC dc = GetDC(label);
  if (!dc) return;
  SIZE extent = {};
  BOOL measured;
  {
    Selection selection(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
    measured = GetTextExtentPoint32A(dc, text.c_str(), length, &extent);
  }
  ReleaseDC(label, dc);
  RECT box = {};
  GetWindowRect(label, &box);
  MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&box), 2);
  // The sheet sizes its pages to its tab's display area, which may be wider than the
  // page's template at this point.
  RECT client = {};
  GetClientRect(page, &client);
  if (HWND tab = PropSheet_GetTabControl(GetParent(page))) {
    RECT area = {};
    GetClientRect(tab, &area);
    TabCtrl_AdjustRect(tab, FALSE, &area);
    if (area.right - area.left > client.right) client.right = area.right - area.left;
  }
  const int width = box.right - box.left;
  const int widest = client.right - 2 * box.left;
  if (!measured || extent.cx <= width || widest <= width) return;
  SetWindowPos(label, nullptr, 0, 0, widest, box.bottom - box.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace srv
