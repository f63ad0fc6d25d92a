#include "explorer/explorer_list.h"

#include "framework/listview.h"
#include "framework/scale.h"

namespace explorer {
namespace {

DWORD listStyle(ViewStyle style) {
  switch (style) {
    case ViewStyle::Icon: return LVS_ICON;
    case ViewStyle::SmallIcon: return LVS_SMALLICON;
    case ViewStyle::List: return LVS_LIST;
    case ViewStyle::Report: return LVS_REPORT;
  }
  return LVS_ICON;
}

int CALLBACK compareItems(LPARAM first, LPARAM second, LPARAM key) {
  const auto* a = reinterpret_cast<const inv::HostAdapterInfo*>(first);
  const auto* b = reinterpret_cast<const inv::HostAdapterInfo*>(second);
  if (!a || !b) return 0;
  return compareAdapters(*a, *b, static_cast<uint32_t>(key),
                         [](const char* x, const char* y) { return lstrcmpA(x, y); });
}

// Saves the device context's state and gives it back when the row is drawn.
class SavedDc {
 public:
  explicit SavedDc(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  ~SavedDc() { RestoreDC(dc_, saved_); }
  SavedDc(const SavedDc&) = delete;
  SavedDc& operator=(const SavedDc&) = delete;

 private:
  HDC dc_;
  int saved_;
};

}  // namespace

void CExplorerListCtrl::setView(const ViewMode& mode, HIMAGELIST large, HIMAGELIST small) {
  ListView_DeleteAllItems(hwnd_);
  fw::deleteAllColumns(hwnd_);
  fw::setViewStyle(hwnd_, listStyle(mode.style));
  if (mode.largeImages) ListView_SetImageList(hwnd_, large, LVSIL_NORMAL);
  else ListView_SetImageList(hwnd_, small, LVSIL_SMALL);
}

void CExplorerListCtrl::insertColumns(const std::array<std::string, 4>& headings, int lastWidth,
                                      unsigned dpi) {
  for (int i = 0; i < 4; ++i)
    fw::insertColumn(hwnd_, i, headings[static_cast<size_t>(i)],
                     i < 3 ? fw::scaled(kFixedColumnWidths[static_cast<size_t>(i)], dpi) : lastWidth);
}

void CExplorerListCtrl::addAdapter(const inv::HostAdapterInfo& record, bool details) {
  std::string name = adapterName(record);
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = count();
  item.pszText = const_cast<char*>(name.c_str());
  item.iImage = I_IMAGECALLBACK;
  item.lParam = reinterpret_cast<LPARAM>(&record);
  int index = static_cast<int>(
      SendMessageA(hwnd_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (index < 0 || !details) return;
  std::array<std::string, 4> row = detailsRow(record);
  for (int column = 1; column < 4; ++column) {
    LVITEMA sub = {};
    sub.iSubItem = column;
    sub.pszText = const_cast<char*>(row[static_cast<size_t>(column)].c_str());
    SendMessageA(hwnd_, LVM_SETITEMTEXTA, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&sub));
  }
}

int CExplorerListCtrl::count() const { return ListView_GetItemCount(hwnd_); }

const inv::HostAdapterInfo* CExplorerListCtrl::record(int item) const {
  if (item < 0) return nullptr;
  return reinterpret_cast<const inv::HostAdapterInfo*>(fw::itemData(hwnd_, item));
}

const inv::HostAdapterInfo* CExplorerListCtrl::selectedRecord() const {
  return record(fw::firstSelected(hwnd_));
}

int CExplorerListCtrl::itemAt(POINT screen) const { return fw::itemAtScreenPoint(hwnd_, screen); }

void CExplorerListCtrl::sort(uint32_t key) {
  ListView_SortItems(hwnd_, compareItems, static_cast<LPARAM>(key));
}

void CExplorerListCtrl::setBackground(const std::string& picture) {
  // Lists that cannot load a picture file themselves get it tiled by their erase.
  if (!fw::setTiledBackground(hwnd_, picture)) fw::paintTiledBackground(hwnd_, picture);
}

void CExplorerListCtrl::drawItem(const DRAWITEMSTRUCT& dis) {
  HDC dc = dis.hDC;
  int item = static_cast<int>(dis.itemID);
  LVITEMA lvi = {};
  lvi.mask = LVIF_IMAGE | LVIF_STATE;
  lvi.iItem = item;
  lvi.stateMask = 0xFFFF;
  SendMessageA(hwnd_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&lvi));

  bool focused = GetFocus() == hwnd_;
  bool showSelection = focused || (GetWindowLongA(hwnd_, GWL_STYLE) & LVS_SHOWSELALWAYS);
  bool highlighted = (lvi.state & LVIS_DROPHILITED) || ((lvi.state & LVIS_SELECTED) && showSelection);

  RECT bounds, label, icon;
  ListView_GetItemRect(hwnd_, item, &bounds, LVIR_BOUNDS);
  ListView_GetItemRect(hwnd_, item, &label, LVIR_LABEL);
  ListView_GetItemRect(hwnd_, item, &icon, LVIR_ICON);

  SavedDc saved(dc);
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd_, WM_GETFONT, 0, 0));
  if (font) SelectObject(dc, font);
  SIZE blank = {};
  GetTextExtentPoint32A(dc, " ", 1, &blank);
  const int margin = blank.cx * 2;

  std::string text = fw::itemText(hwnd_, item, 0);
  SIZE extent = {};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  RECT highlight = label;
  if (label.left + extent.cx + margin < label.right) highlight.right = label.left + extent.cx + margin;

  if (highlighted) {
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    FillRect(dc, &highlight, GetSysColorBrush(COLOR_HIGHLIGHT));
  } else {
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkMode(dc, TRANSPARENT);  // the background picture shows
  }

  // Icons and label stay inside the first column.
  int firstWidth = ListView_GetColumnWidth(hwnd_, 0);
  IntersectClipRect(dc, bounds.left, bounds.top, bounds.left + firstWidth, bounds.bottom);
  HIMAGELIST states = ListView_GetImageList(hwnd_, LVSIL_STATE);
  int stateImage = static_cast<int>((lvi.state & LVIS_STATEIMAGEMASK) >> 12) - 1;
  if (states && stateImage >= 0)
    ImageList_Draw(states, stateImage, dc, bounds.left, bounds.top, ILD_TRANSPARENT);
  HIMAGELIST images = ListView_GetImageList(hwnd_, LVSIL_SMALL);
  if (images && lvi.iImage >= 0)
    ImageList_Draw(images, lvi.iImage, dc, icon.left, icon.top,
                   ILD_TRANSPARENT | (highlighted ? ILD_BLEND50 : 0) |
                       (lvi.state & LVIS_OVERLAYMASK));

  RECT textRect = label;
  textRect.left += margin / 2;
  textRect.right -= margin;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
            DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | DT_VCENTER | DT_END_ELLIPSIS);

  // Sub-items: never highlighted.
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkMode(dc, TRANSPARENT);
  if (bounds.right < highlight.right) bounds.right = highlight.right;
  SelectClipRgn(dc, nullptr);
  IntersectClipRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
  int columns = fw::columnCount(hwnd_);
  RECT column = bounds;
  column.right = bounds.left + firstWidth;
  for (int c = 1; c < columns; ++c) {
    LVCOLUMNA info = {};
    info.mask = LVCF_FMT | LVCF_WIDTH;
    if (!SendMessageA(hwnd_, LVM_GETCOLUMNA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&info)))
      break;
    column.left = column.right;
    column.right += info.cx;
    std::string sub = fw::itemText(hwnd_, item, c);
    if (sub.empty()) continue;
    UINT justify = DT_LEFT;
    switch (info.fmt & LVCFMT_JUSTIFYMASK) {
      case LVCFMT_RIGHT: justify = DT_RIGHT; break;
      case LVCFMT_CENTER: justify = DT_CENTER; break;
      default: break;
    }
    RECT subRect = column;
    subRect.left += margin;
    subRect.right -= margin;
    DrawTextA(dc, sub.c_str(), static_cast<int>(sub.size()), &subRect,
              justify | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_END_ELLIPSIS);
  }

  if ((lvi.state & LVIS_FOCUSED) && focused) DrawFocusRect(dc, &highlight);
}

}  // namespace explorer
