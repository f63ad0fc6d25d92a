// The view's list: its columns, its rows (each owns a copy of its item's identifier), the
// texts and pictures it asks for, and its notifications.
#include "shellext/shell_view.h"

#include <shlwapi.h>

#include <string>

#include "framework/comptr.h"
#include "framework/listview.h"
#include "framework/strings.h"
#include "shellext/folder_logic.h"
#include "shellext/module.h"

namespace shx {
namespace {

constexpr int kListId = 2000;

using ShGetSettingsFn = void(WINAPI*)(LPSHELLFLAGSTATE, DWORD);

// Web-style single-click activation, as the user set it for the shell.
bool singleClick() {
  bool classic = true, doubleClick = false;
  if (HMODULE shell = GetModuleHandleA("shell32.dll")) {
    auto get = reinterpret_cast<ShGetSettingsFn>(
        reinterpret_cast<void*>(GetProcAddress(shell, "SHGetSettings")));
    if (get) {
      SHELLFLAGSTATE state = {};
      get(&state, SSF_DOUBLECLICKINWEBVIEW | SSF_WIN95CLASSIC);
      classic = state.fWin95Classic;
      doubleClick = state.fDoubleClickInWebView;
    }
  }
  return !classic && !doubleClick;
}

}  // namespace

void CShellView::onCreate() {
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_SHAREIMAGELISTS |
                      LVS_NOLABELWRAP | LVS_AUTOARRANGE | LVS_EDITLABELS | LVS_NOSORTHEADER |
                      modeOf(settings_.ViewMode).style;
  list_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, nullptr, style, 0, 0, 0, 0, window_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)),
                          fw::resourceModule(), nullptr);
  if (!list_) return;
  dpi_ = fw::dpiOf(window_);
  columnWidth_ = fw::scaled(kFirstColumnWidth, dpi_);
  applyActivationStyle();
  initList();
  fillList();
}

void CShellView::applyActivationStyle() {
  if (!list_) return;
  const DWORD web = LVS_EX_TRACKSELECT | LVS_EX_ONECLICKACTIVATE | LVS_EX_UNDERLINEHOT;
  ListView_SetExtendedListViewStyleEx(list_, web, singleClick() ? web : 0);
}

void CShellView::initList() {
  ListView_DeleteAllItems(list_);
  fw::deleteAllColumns(list_);
  const unsigned titles[2] = {isRoot() ? text::kHostAdapterName : text::kDeviceName,
                              isRoot() ? text::kManagerColumn : text::kVendorRevision};
  for (int i = 0; i < 2; ++i) fw::insertColumn(list_, i, fw::loadString(titles[i]), columnWidth_);
}

void CShellView::fillList() {
  fw::ComPtr<IEnumIDList> items;
  if (FAILED(folder_->EnumObjects(window_, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items.put())) ||
      !items) {
    return;
  }
  FenwoldApp& app = FenwoldApp::instance();
  ListView_SetImageList(list_, app.largeImages(), LVSIL_NORMAL);
  ListView_SetImageList(list_, app.smallImages(), LVSIL_SMALL);
  SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
  LPITEMIDLIST item = nullptr;
  ULONG fetched = 0;
  while (items->Next(1, &item, &fetched) == S_OK && fetched == 1) {
    LVITEMA row = {};
    row.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    row.iItem = ListView_GetItemCount(list_);
    row.pszText = LPSTR_TEXTCALLBACKA;
    row.iImage = I_IMAGECALLBACK;
    row.lParam = reinterpret_cast<LPARAM>(item);  // the row owns this copy
    if (SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row)) < 0) ids_.free(item);
  }
  sortList();
  SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
  UpdateWindow(list_);
}

void CShellView::freeRowCopies() {
  if (!list_) return;
  for (int i = ListView_GetItemCount(list_) - 1; i >= 0; --i) {
    LVITEMA row = {};
    row.mask = LVIF_PARAM;
    row.iItem = i;
    if (!SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&row)) || !row.lParam) continue;
    ids_.free(reinterpret_cast<LPITEMIDLIST>(row.lParam));
    row.lParam = 0;
    SendMessageA(list_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&row));
  }
}

int CALLBACK CShellView::compareProc(LPARAM a, LPARAM b, LPARAM self) {
  auto* view = reinterpret_cast<CShellView*>(self);
  const HRESULT hr = view->folder_->CompareIDs(0, reinterpret_cast<LPCITEMIDLIST>(a),
                                               reinterpret_cast<LPCITEMIDLIST>(b));
  return static_cast<short>(HRESULT_CODE(hr));
}

void CShellView::sortList() {
  if (list_) ListView_SortItems(list_, &CShellView::compareProc, reinterpret_cast<LPARAM>(this));
}

void CShellView::sizeColumns() {
  if (!list_) return;
  ListView_SetColumnWidth(list_, 0, columnWidth_);
  ListView_SetColumnWidth(list_, 1, LVSCW_AUTOSIZE_USEHEADER);
}

void CShellView::fillDisplayInfo(LVITEMA& item) {
  const ItemList list = ItemList::check(reinterpret_cast<LPCITEMIDLIST>(item.lParam));
  const ItemId* id = list.last();
  if (!id) return;
  if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
    std::string text;
    if (item.iSubItem == 0) {
      STRRET name = {};
      if (SUCCEEDED(folder_->GetDisplayNameOf(reinterpret_cast<LPCITEMIDLIST>(item.lParam),
                                              SHGDN_INFOLDER, &name))) {
        char buffer[MAX_PATH] = {};
        StrRetToBufA(&name, nullptr, buffer, sizeof buffer);
        text = buffer;
      }
    } else {
      text = secondColumnText(*id);
    }
    lstrcpynA(item.pszText, text.c_str(), item.cchTextMax);
  }
  if ((item.mask & LVIF_IMAGE) && item.iSubItem == 0) item.iImage = listImage(*id);
}

LRESULT CShellView::onNotify(NMHDR* header) {
  if (!header) return 0;
  switch (header->code) {
    case LVN_GETDISPINFOA:
      fillDisplayInfo(reinterpret_cast<NMLVDISPINFOA*>(header)->item);
      return 0;
    case LVN_GETDISPINFOW: {
      // The same answer as wide text, through a narrow buffer of the row's size.
      LVITEMW& wide = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
      char buffer[MAX_PATH] = {};
      LVITEMA narrow = {};
      narrow.mask = wide.mask;
      narrow.iSubItem = wide.iSubItem;
      narrow.lParam = wide.lParam;
      narrow.pszText = buffer;
      narrow.cchTextMax = sizeof buffer;
      fillDisplayInfo(narrow);
      if ((wide.mask & LVIF_TEXT) && wide.pszText && wide.cchTextMax > 0) {
        MultiByteToWideChar(CP_ACP, 0, buffer, -1, wide.pszText, wide.cchTextMax);
        wide.pszText[wide.cchTextMax - 1] = 0;
      }
      if (wide.mask & LVIF_IMAGE) wide.iImage = narrow.iImage;
      return 0;
    }
    case LVN_DELETEITEM:
      ids_.free(reinterpret_cast<LPITEMIDLIST>(reinterpret_cast<NMLISTVIEW*>(header)->lParam));
      return 0;
    case LVN_ITEMCHANGED:
      refreshToolbarCheck();
      return 0;
    case LVN_ITEMACTIVATE:
      runCommand(POINT{0, 0}, true, 0);
      return 0;
    case LVN_BEGINLABELEDITA:
    case LVN_BEGINLABELEDITW:
      return TRUE;
    case LVN_ENDLABELEDITA:
    case LVN_ENDLABELEDITW:
      return FALSE;
    case NM_SETFOCUS:
      onFocus();
      return 0;
    case NM_KILLFOCUS:
      activate(SVUIA_DEACTIVATE);
      return 0;
    case HDN_ENDTRACKA:
    case HDN_ENDTRACKW: {
      const auto* track = reinterpret_cast<NMHEADERA*>(header);
      if (track->iItem == 0 && track->pitem && (track->pitem->mask & HDI_WIDTH))
        columnWidth_ = track->pitem->cxy;
      if (list_) ListView_SetColumnWidth(list_, 1, LVSCW_AUTOSIZE_USEHEADER);
      return 0;
    }
    case TTN_NEEDTEXTA: {
      auto* tip = reinterpret_cast<NMTTDISPINFOA*>(header);
      lstrcpynA(tip->szText, textOfCommand(static_cast<int>(header->idFrom)).c_str(),
                sizeof tip->szText);
      return 0;
    }
    case TTN_NEEDTEXTW: {
      auto* tip = reinterpret_cast<NMTTDISPINFOW*>(header);
      MultiByteToWideChar(CP_ACP, 0, textOfCommand(static_cast<int>(header->idFrom)).c_str(), -1,
                          tip->szText, ARRAYSIZE(tip->szText));
      tip->szText[ARRAYSIZE(tip->szText) - 1] = 0;
      return 0;
    }
    default:
      return 0;
  }
}

void CShellView::setViewMode(const ViewMode& mode) {
  settings_.ViewMode = mode.mode;
  if (list_) {
    const LONG_PTR style = GetWindowLongPtrA(list_, GWL_STYLE);
    SetWindowLongPtrA(list_, GWL_STYLE, (style & ~static_cast<LONG_PTR>(LVS_TYPEMASK)) | mode.style);
    sizeColumns();
    // The items move to the new layout: nothing of the old one may stay on the screen.
    ListView_Arrange(list_, LVA_DEFAULT);
    InvalidateRect(list_, nullptr, TRUE);
  }
}

}  // namespace shx
