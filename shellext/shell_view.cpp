#include "shellext/shell_view.h"

#include <shlwapi.h>
#include <windowsx.h>

#include <new>
#include <string>

#include "framework/comptr.h"
#include "framework/listview.h"
#include "shellext/folder_logic.h"
#include "shellext/module.h"
#include "shellext/objects.h"
#include "shellext/view_menus.h"

namespace shx {
namespace {

constexpr char kViewClass[] = "VelmoraFenwold";
constexpr int kMenuIds = 100;

}  // namespace

STDMETHODIMP CShellView::CreateViewWindow(IShellView*, LPCFOLDERSETTINGS settings,
                                          IShellBrowser* browser, RECT* rect, HWND* out) {
  if (!out || !browser || !settings || !rect) return E_INVALIDARG;
  *out = nullptr;
  HINSTANCE instance = fw::resourceModule();
  WNDCLASSA existing = {};
  if (!GetClassInfoA(instance, kViewClass, &existing)) {
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &CShellView::windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kViewClass;
    if (!RegisterClassA(&wc)) return E_FAIL;
  }
  browser_ = browser;
  settings_ = *settings;
  browser->GetWindow(&parentWindow_);
  // Common Controls 6 in any host; the DPI is the host's.
  fw::WindowScope scope(false);
  window_ = CreateWindowExA(0, kViewClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                            rect->left, rect->top, rect->right - rect->left,
                            rect->bottom - rect->top, parentWindow_, nullptr, instance, this);
  if (!window_) {
    browser_ = nullptr;
    return E_FAIL;
  }
  *out = window_;

  addViewButtons(browser);
  refreshToolbarCheck();
  browser_->AddRef();
  return S_OK;
}

LRESULT CALLBACK CShellView::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* view = reinterpret_cast<CShellView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!view) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCCREATE) view->window_ = window;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    view->window_ = view->list_ = nullptr;
    return DefWindowProcA(window, message, wParam, lParam);
  }
  // A command may make the browser leave this folder, releasing the view while it still
  // handles the message: it lives on until the message is done.
  view->AddRef();
  const LRESULT result = view->onMessage(message, wParam, lParam);
  view->Release();
  return result;
}

LRESULT CShellView::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      onCreate();
      return 0;
    case WM_SIZE:
      if (list_) MoveWindow(list_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      sizeColumns();
      return 0;
    case WM_ERASEBKGND: {
      RECT rc;
      GetClientRect(window_, &rc);
      FillRect(reinterpret_cast<HDC>(wParam), &rc, GetSysColorBrush(COLOR_WINDOW));
      if (list_) ListView_SetBkColor(list_, GetSysColor(COLOR_WINDOW));
      return 1;
    }
    case WM_SETFOCUS:
      onFocus();
      return 0;
    case WM_KILLFOCUS:
      activate(SVUIA_ACTIVATE_NOFOCUS);
      return 0;
    case WM_ACTIVATE:
      activate(SVUIA_ACTIVATE_FOCUS);
      return 0;
    case WM_CONTEXTMENU: {
      POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (fw::fromKeyboard(at)) {
        // From the keyboard: below the focused item, else at the view's corner.
        if (list_) {
          at = fw::keyboardMenuPoint(list_, nullptr);
        } else {
          at = {0, 0};
          ClientToScreen(window_, &at);
        }
      }
      runCommand(at, false, -1);
      return 0;
    }
    case WM_COMMAND:
      runCommand(POINT{0, 0}, false, LOWORD(wParam));
      return 0;
    case WM_INITMENUPOPUP:
      CheckMenuRadioItem(reinterpret_cast<HMENU>(wParam), kCmdViewLarge, kCmdViewDetails,
                         modeOf(settings_.ViewMode).command, MF_BYCOMMAND);
      return 0;
    case fw::kDpiChangedAfterParent: {
      // Moved to a screen of another DPI inside a per-monitor aware host.
      const unsigned dpi = fw::dpiOf(window_);
      if (dpi != dpi_) {
        columnWidth_ = MulDiv(columnWidth_, static_cast<int>(dpi), static_cast<int>(dpi_));
        dpi_ = dpi;
        sizeColumns();
      }
      return 0;
    }
    case WM_WININICHANGE:
      if (lParam && lstrcmpiA(reinterpret_cast<const char*>(lParam), "ShellState") == 0)
        applyActivationStyle();
      return 0;
    case WM_NOTIFY:
      return onNotify(reinterpret_cast<NMHDR*>(lParam));
    default:
      return DefWindowProcA(window_, message, wParam, lParam);
  }
}

void CShellView::onFocus() {
  if (browser_) browser_->OnViewWindowActive(this);
  activate(SVUIA_ACTIVATE_FOCUS);
  if (list_ && GetFocus() != list_) SetFocus(list_);
}

void CShellView::activate(UINT state) {
  if (state == uiState_) return;
  dropMenus();
  if (state != SVUIA_DEACTIVATE) mergeMenus(state);
  uiState_ = state;
  refreshToolbarCheck();
  if (state != SVUIA_DEACTIVATE) {
    int parts[1] = {-1};
    sendControl(FCW_STATUS, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(parts));
    sendControl(FCW_STATUS, SB_SETTEXTA, 0,
                reinterpret_cast<LPARAM>(FenwoldApp::instance().displayName().c_str()));
  }
}

void CShellView::dropMenus() {
  if (!menu_) return;
  dropViewMenus(browser_, menu_);
  menu_ = nullptr;
}

void CShellView::mergeMenus(UINT) {
  if (browser_) menu_ = mergeViewMenus(browser_, window_, isRoot());
}

void CShellView::refreshToolbarCheck() { checkViewButton(browser_, settings_.ViewMode); }

void CShellView::runCommand(POINT at, bool useDefault, int command) {
  std::vector<LPCITEMIDLIST> selected;
  if (uiState_ != SVUIA_ACTIVATE_NOFOCUS && list_) {
    const int count = ListView_GetSelectedCount(list_);
    for (int i = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
         i >= 0 && static_cast<int>(selected.size()) < count;
         i = ListView_GetNextItem(list_, i, LVNI_SELECTED)) {
      LVITEMA row = {};
      row.mask = LVIF_PARAM;
      row.iItem = i;
      if (SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&row)))
        selected.push_back(reinterpret_cast<LPCITEMIDLIST>(row.lParam));
    }
  }
  fw::ComPtr<IContextMenu> menu;
  if (!selected.empty()) {
    folder_->GetUIObjectOf(window_, static_cast<UINT>(selected.size()), selected.data(),
                           IID_IContextMenu, nullptr, menu.putVoid());
  } else {
    folder_->CreateViewObject(window_, IID_IContextMenu, menu.putVoid());
  }
  HMENU popup = CreatePopupMenu();
  if (menu && popup) {
    UINT flags = CMF_NORMAL;
    HWND tree = nullptr;
    if (browser_ && SUCCEEDED(browser_->GetControlWindow(FCW_TREE, &tree)) && tree) flags |= CMF_EXPLORE;
    menu->QueryContextMenu(popup, 0, 0, kMenuIds, flags);
    if (useDefault) {
      const UINT id = GetMenuDefaultItem(popup, FALSE, 0);
      command = id == static_cast<UINT>(-1) ? 0 : static_cast<int>(id);
    } else if (command == -1) {
      command = static_cast<int>(TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                at.x, at.y, 0, window_, nullptr));
    }
    if (const ViewMode* mode = modeOfCommand(command)) {
      setViewMode(*mode);
    } else if (command >= static_cast<int>(kSortAdapterName) && command <= static_cast<int>(kSortDeviceTarget)) {
      folder_->setSortKey(static_cast<uint32_t>(command));
      sortList();
    } else if (command > 0) {
      CMINVOKECOMMANDINFO info = {};
      info.cbSize = sizeof info;
      info.hwnd = window_;
      info.lpVerb = MAKEINTRESOURCEA(command);
      info.nShow = SW_SHOWNORMAL;
      const HRESULT hr = menu->InvokeCommand(&info);
      // A shell that cannot open our items by themselves (Wine's) still browses to them.
      if (FAILED(hr) && (command == kCmdExplore || command == kCmdOpen)) browseTo(selected);
    }
  }
  if (popup) DestroyMenu(popup);
  refreshToolbarCheck();
}

void CShellView::browseTo(const std::vector<LPCITEMIDLIST>& selected) {
  if (!browser_ || selected.empty()) return;
  OwnedIdList absolute(ids_, ids_.concat(folder_->absolute(), selected[0]));
  if (absolute.get()) browser_->BrowseObject(absolute.get(), SBSP_DEFBROWSER | SBSP_ABSOLUTE);
}

HRESULT createShellView(CShellFolder* folder, REFIID riid, void** out) {
  CShellView* view = new (std::nothrow) CShellView(folder);
  if (!view) return E_OUTOFMEMORY;
  const HRESULT hr = view->QueryInterface(riid, out);
  view->Release();
  return hr;
}

}  // namespace shx
