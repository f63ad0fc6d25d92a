// The strip drawn once into a bitmap of all entries, copied to the window as it scrolls,
// and the entries' places for the cursor, the focus and the tips.
#include "bands/strip_band.h"

#include <commctrl.h>

#include <climits>

#include "bands/command_text.h"

namespace bands {

int StripBand::clientWidth() const {
  RECT rc = {};
  GetClientRect(window(), &rc);
  return rc.right;
}

int StripBand::entryUnderCursor() const {
  POINT pt = cursorIn(window());
  RECT rc = {};
  GetClientRect(window(), &rc);
  if (!PtInRect(&rc, pt)) return -1;
  return entryAt(pt.x, offset_, entryCount(), rc.right, metrics_.entryWidth);
}

void StripBand::renderStrip(int highlight) {
  highlight_ = highlight;
  const StripMetrics& m = metrics_;
  const int width = stripWidth(entryCount(), m.entryWidth);
  if (width <= 0) return;
  HDC screen = GetDC(window());
  if (!strip_) strip_ = CreateCompatibleBitmap(screen, width, m.height);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ oldBitmap = SelectObject(dc, strip_);
  // The menu font of the band's screen (the stock font is made for the system DPI).
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof metrics;
  HFONT font = nullptr;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    metrics.lfMenuFont.lfHeight =
        MulDiv(metrics.lfMenuFont.lfHeight, static_cast<int>(fw::dpiOf(window())),
               GetDeviceCaps(screen, LOGPIXELSY));
    font = CreateFontIndirectA(&metrics.lfMenuFont);
  }
  HGDIOBJ oldFont = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  const int iconSide = fw::systemMetric(SM_CXICON, fw::dpiOf(window()));
  for (int i = 0; i < entryCount(); ++i) {
    const srv::AppDescriptor& e = entries_[i];
    const bool lit = i == highlight;
    RECT cell = {m.entryWidth * i, 0, m.entryWidth * (i + 1), m.height};
    FillRect(dc, &cell, GetSysColorBrush(lit ? COLOR_HIGHLIGHT : COLOR_MENU));
    if (e.appIcon) {
      DrawIconEx(dc, cell.left, (m.height - iconSide) / 2,
                 reinterpret_cast<HICON>(static_cast<intptr_t>(static_cast<int32_t>(e.appIcon))), iconSide, iconSide,
                 0, nullptr, DI_NORMAL);
    }
    // Menu text on the menu colour: the pair a scheme makes legible.
    SetTextColor(dc, GetSysColor(lit ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    RECT text = {cell.left + iconSide + m.iconTextGap, m.textTop, cell.right, m.height};
    std::string name(fieldText(e.appName));
    DrawTextA(dc, name.c_str(), static_cast<int>(name.size()), &text,
              DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  SelectObject(dc, oldFont);
  if (font) DeleteObject(font);
  SelectObject(dc, oldBitmap);
  DeleteDC(dc);
  ReleaseDC(window(), screen);
}

void StripBand::addTools() {
  tooltip_ = createTooltip();
  if (!tooltip_) return;
  SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
  for (int i = 0; i < entryCount(); ++i) {
    TTTOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = window();
    tool.uId = static_cast<UINT_PTR>(i);
    tool.rect = {metrics_.entryWidth * i, 0, metrics_.entryWidth * (i + 1), metrics_.tipHeight};
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void StripBand::paint(HDC dc) {
  RECT rc = {};
  GetClientRect(window(), &rc);
  const int width = stripWidth(entryCount(), metrics_.entryWidth);
  HDC mem = strip_ ? CreateCompatibleDC(dc) : nullptr;
  HGDIOBJ old = mem ? SelectObject(mem, strip_) : nullptr;
  if (mem) {
    for (int origin : copyOrigins(offset_, width, rc.right))
      BitBlt(dc, origin, 0, width, metrics_.height, mem, 0, 0, SRCCOPY);
  }
  // Below the strip, and everywhere when there is none.
  RECT rest = {0, mem ? metrics_.height : 0, rc.right, rc.bottom};
  if (rest.bottom > rest.top) FillRect(dc, &rest, GetSysColorBrush(COLOR_MENU));
  if (mem) {
    SelectObject(mem, old);
    DeleteDC(mem);
  }
  // Where the keyboard is, while the band has the focus.
  if (focused_) {
    RECT chosen = chosenRect();
    if (!IsRectEmpty(&chosen)) {
      InflateRect(&chosen, -1, -1);
      SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
      SetBkColor(dc, GetSysColor(COLOR_MENU));
      DrawFocusRect(dc, &chosen);
    }
  }
}

RECT StripBand::chosenRect() const {
  RECT rc = {};
  GetClientRect(window(), &rc);
  const int left = entryLeft(chosen_, offset_, entryCount(), rc.right, metrics_.entryWidth);
  if (left == INT_MIN) return RECT{};
  return RECT{left, 0, left + metrics_.entryWidth, metrics_.height};
}

}  // namespace bands
