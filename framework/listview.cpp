#include "framework/listview.h"

#include <cstdint>
#include <vector>

#include "framework/pixels.h"
#include "framework/scale.h"

namespace fw {

int selectedCount(HWND list) {
  return static_cast<int>(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
}

int firstSelected(HWND list) {
  return static_cast<int>(
      SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
}

int itemAtScreenPoint(HWND list, POINT screen) {
  LVHITTESTINFO hit = {};
  hit.pt = screen;
  if (!ScreenToClient(list, &hit.pt)) return -1;
  int item = static_cast<int>(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  return (hit.flags & LVHT_ONITEM) ? item : -1;
}

POINT keyboardMenuPoint(HWND list, int* item) {
  if (item) *item = -1;
  POINT at = {0, 0};
  int focused = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                              MAKELPARAM(LVNI_FOCUSED | LVNI_SELECTED, 0)));
  if (focused < 0) focused = firstSelected(list);
  RECT client = {}, label = {};
  GetClientRect(list, &client);
  label.left = LVIR_LABEL;
  if (focused >= 0 &&
      SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(focused), reinterpret_cast<LPARAM>(&label))) {
    RECT shown = {};
    if (IntersectRect(&shown, &label, &client)) {
      at = {label.left, label.bottom};
      if (item) *item = focused;
    }
  }
  ClientToScreen(list, &at);
  return at;
}

LPARAM itemData(HWND list, int item) {
  LVITEMA lv = {};
  lv.mask = LVIF_PARAM;
  lv.iItem = item;
  return SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&lv)) ? lv.lParam : 0;
}

std::string itemText(HWND list, int item, int subItem) {
  // The control answers with the length copied; grow until the text fits.
  std::vector<char> buffer(128);
  for (;;) {
    LVITEMA lv = {};
    lv.iSubItem = subItem;
    lv.pszText = buffer.data();
    lv.cchTextMax = static_cast<int>(buffer.size());
    int n = static_cast<int>(SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item),
                                          reinterpret_cast<LPARAM>(&lv)));
    if (n < static_cast<int>(buffer.size()) - 1 || buffer.size() >= 65536)
      return std::string(lv.pszText ? lv.pszText : "", n > 0 ? static_cast<size_t>(n) : 0);
    buffer.resize(buffer.size() * 4);
  }
}

void setViewStyle(HWND list, DWORD view) {
  DWORD style = static_cast<DWORD>(GetWindowLongA(list, GWL_STYLE));
  SetWindowLongA(list, GWL_STYLE,
                 static_cast<LONG>((style & ~LVS_TYPEMASK) | (view & LVS_TYPEMASK)));
}

int columnCount(HWND list) {
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  return header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

void deleteAllColumns(HWND list) {
  // Column 0 cannot always be deleted while others remain: delete from the end.
  for (int n = columnCount(list); n > 0; --n)
    if (!SendMessageA(list, LVM_DELETECOLUMN, static_cast<WPARAM>(n - 1), 0)) break;
}

bool insertColumn(HWND list, int index, const std::string& title, int width, int format) {
  LVCOLUMNA column = {};
  column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.fmt = format;
  column.cx = width;
  column.pszText = const_cast<char*>(title.c_str());
  column.iSubItem = index;
  return SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index),
                      reinterpret_cast<LPARAM>(&column)) == index;
}

namespace {

// A picture under the items only where the scheme's window text reads on it: a
// high-contrast scheme gets the plain window colour instead.
bool readableUnderText(const std::string& path) {
  HIGHCONTRASTA contrast = {};
  contrast.cbSize = sizeof contrast;
  if (SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
      (contrast.dwFlags & HCF_HIGHCONTRASTON))
    return false;
  HBITMAP picture = static_cast<HBITMAP>(
      LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  if (!picture) return true;  // not a picture: the caller finds that out
  BITMAP info = {};
  GetObjectA(picture, sizeof info, &info);
  const int width = info.bmWidth, height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
  std::vector<uint32_t> pixels(static_cast<size_t>(width > 0 ? width : 0) *
                               static_cast<size_t>(height > 0 ? height : 0));
  BITMAPINFO format = pixelFormat(width, height);
  HDC screen = GetDC(nullptr);
  const bool read = !pixels.empty() && screen &&
                    GetDIBits(screen, picture, 0, static_cast<UINT>(height), pixels.data(), &format,
                              DIB_RGB_COLORS) == height;
  if (screen) ReleaseDC(nullptr, screen);
  DeleteObject(picture);
  if (!read) return true;
  unsigned long long sum[3] = {};
  for (uint32_t p : pixels) {
    sum[0] += (p >> 16) & 0xFF;
    sum[1] += (p >> 8) & 0xFF;
    sum[2] += p & 0xFF;
  }
  const COLORREF average = RGB(sum[0] / pixels.size(), sum[1] / pixels.size(), sum[2] / pixels.size());
  return contrastRatio(average, GetSysColor(COLOR_WINDOWTEXT)) >= 4.5;
}

}  // namespace

bool setTiledBackground(HWND list, const std::string& path) {
  if (!readableUnderText(path)) return false;
  LVBKIMAGEA image = {};
  image.ulFlags = LVBKIF_SOURCE_URL | LVBKIF_STYLE_TILE;
  image.pszImage = const_cast<char*>(path.c_str());
  image.cchImageMax = static_cast<UINT>(path.size() + 1);
  if (!SendMessageA(list, LVM_SETBKIMAGEA, 0, reinterpret_cast<LPARAM>(&image))) return false;
  SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(CLR_NONE));
  return true;
}

namespace {

constexpr UINT_PTR kTiledBackground = 0x4F52;  // subclass id

LRESULT CALLBACK tiledBackgroundProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR data) {
  HBRUSH brush = reinterpret_cast<HBRUSH>(data);
  switch (message) {
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      RECT client;
      GetClientRect(list, &client);
      POINT origin;
      SetBrushOrgEx(dc, 0, 0, &origin);
      FillRect(dc, &client, brush);
      SetBrushOrgEx(dc, origin.x, origin.y, nullptr);
      return 1;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(list, tiledBackgroundProc, id);
      DeleteObject(brush);
      break;
    default: break;
  }
  return DefSubclassProc(list, message, wParam, lParam);
}

RECT subItemRect(HWND list, int item, int subItem, int part) {
  RECT r = {};
  r.top = subItem;
  r.left = part;
  SendMessageA(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&r));
  return r;
}

UINT columnAlignment(HWND list, int column) {
  LVCOLUMNA info = {};
  info.mask = LVCF_FMT;
  if (!SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(column),
                    reinterpret_cast<LPARAM>(&info)))
    return DT_LEFT;
  switch (info.fmt & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_RIGHT: return DT_RIGHT;
    case LVCFMT_CENTER: return DT_CENTER;
    default: return DT_LEFT;
  }
}

void drawCellText(HDC dc, const std::string& text, RECT r, int margin, UINT align) {
  if (text.empty()) return;
  r.left += margin;
  r.right -= margin;
  if (r.right <= r.left) return;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r,
            align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

}  // namespace

void drawReportRow(const DRAWITEMSTRUCT& draw) {
  HWND list = draw.hwndItem;
  HDC dc = draw.hDC;
  const int item = static_cast<int>(draw.itemID);
  if (!list || !dc || item < 0) return;

  LVITEMA lv = {};
  lv.mask = LVIF_IMAGE | LVIF_STATE;
  lv.iItem = item;
  lv.stateMask = static_cast<UINT>(-1);
  if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&lv))) return;

  const bool hasFocus = GetFocus() == list;
  const bool showSelAlways = (GetWindowLongA(list, GWL_STYLE) & LVS_SHOWSELALWAYS) != 0;
  const bool highlighted =
      (lv.state & LVIS_DROPHILITED) || ((lv.state & LVIS_SELECTED) && (hasFocus || showSelAlways));

  RECT bounds = subItemRect(list, item, 0, LVIR_BOUNDS);
  RECT icon = {};
  icon.left = LVIR_ICON;
  SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&icon));
  RECT label = {};
  label.left = LVIR_LABEL;
  SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&label));

  const int saved = SaveDC(dc);
  SIZE blank = {};
  GetTextExtentPoint32A(dc, " ", 1, &blank);
  const int margin = 2 * blank.cx;

  SetBkMode(dc, TRANSPARENT);
  if (highlighted) {
    FillRect(dc, &bounds, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  } else {
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  }

  HIMAGELIST states =
      reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_STATE, 0));
  const int stateImage = static_cast<int>((lv.state & LVIS_STATEIMAGEMASK) >> 12);
  if (states && stateImage > 0)
    ImageList_Draw(states, stateImage - 1, dc, bounds.left, bounds.top, ILD_TRANSPARENT);
  HIMAGELIST small =
      reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  if (small && lv.iImage >= 0) {
    UINT flags = ILD_TRANSPARENT | (lv.state & LVIS_OVERLAYMASK);
    if (highlighted) flags |= ILD_BLEND50;
    ImageList_Draw(small, lv.iImage, dc, icon.left, icon.top, flags);
  }

  drawCellText(dc, itemText(list, item, 0), label, margin, columnAlignment(list, 0));
  const int columns = columnCount(list);
  for (int column = 1; column < columns; ++column) {
    RECT cell = subItemRect(list, item, column, LVIR_BOUNDS);
    drawCellText(dc, itemText(list, item, column), cell, margin, columnAlignment(list, column));
  }

  if ((lv.state & LVIS_FOCUSED) && hasFocus) DrawFocusRect(dc, &bounds);
  RestoreDC(dc, saved);
}

bool paintTiledBackground(HWND list, const std::string& path) {
  if (!readableUnderText(path)) return false;
  HBITMAP picture =
      static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  if (!picture) return false;
  // A pattern brush tiles the picture at any size; it keeps its own copy of the bits.
  HBRUSH brush = CreatePatternBrush(picture);
  DeleteObject(picture);
  if (!brush) return false;
  if (!SetWindowSubclass(list, tiledBackgroundProc, kTiledBackground,
                         reinterpret_cast<DWORD_PTR>(brush))) {
    DeleteObject(brush);
    return false;
  }
  SendMessageA(list, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(CLR_NONE));
  SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(CLR_NONE));
  InvalidateRect(list, nullptr, TRUE);
  return true;
}

int ImageList::addIcon(HINSTANCE module, UINT iconId) {
  if (!list_) return -1;
  int cx = 0, cy = 0;
  ImageList_GetIconSize(list_, &cx, &cy);
  HICON icon = static_cast<HICON>(
      LoadImageA(module, MAKEINTRESOURCEA(iconId), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR));
  if (!icon) return -1;
  int index = ImageList_AddIcon(list_, icon);
  DestroyIcon(icon);
  return index;
}

}  // namespace fw
