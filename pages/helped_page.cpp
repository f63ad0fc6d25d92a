#include "pages/helped_page.h"

#include "pages/drawing.h"

namespace srv {

HelpedPage::HelpedPage(UINT templateId, const HelpPair* helpPairs)
    : PropertyPage(templateId), helpPairs_(helpPairs) {}

RECT HelpedPage::controlRect(int id) const {
  RECT rect = {};
  HWND control = item(id);
  if (!control) return rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void HelpedPage::paintEtched(HDC dc, int controlId, HBITMAP picture) const {
  if (!picture || !item(controlId)) return;
  const RECT area = controlRect(controlId);
  drawEtchedLine(dc, area.left, area.top, picture);
}

INT_PTR HelpedPage::handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = true;
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      paint(dc);
      EndPaint(hwnd(), &ps);
      return TRUE;
    }
    case WM_PRINTCLIENT:
      paint(reinterpret_cast<HDC>(wParam));
      return TRUE;
    case WM_HELP: {
      BOOL shown = onHelpInfo(reinterpret_cast<const HELPINFO*>(lParam), helpPairs_);
      SetWindowLongPtrA(hwnd(), DWLP_MSGRESULT, shown);
      return TRUE;
    }
    case WM_CONTEXTMENU: {
      POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      onContextMenu(hwnd(), reinterpret_cast<HWND>(wParam), point, helpPairs_);
      return TRUE;
    }
    default:
      handled = false;
      return FALSE;
  }
}

}  // namespace srv
