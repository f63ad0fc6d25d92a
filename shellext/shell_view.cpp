// The folder's view: a list view of the folder's items in a window of the browser's,
// with the browser's menus and toolbar merged while the view is active.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <windowsx.h>

#include <new>
#include <string>
#include <vector>

#include "framework/comptr.h"
#include "framework/dpi.h"
#include "framework/listview.h"
#include "framework/modulelock.h"
#include "framework/module.h"
#include "framework/strings.h"
#include "shellext/folder_logic.h"
#include "shellext/item_id_manager.h"
#include "shellext/module.h"
#include "shellext/objects.h"
#include "shellext/shell_folder.h"

namespace shx {
namespace {

constexpr char kViewClass[] = "VelmoraFenwold";
constexpr int kListId = 2000;
constexpr int kFirstColumnWidth = 138;
constexpr int kMenuIds = 100;

struct ViewMode {
  UINT mode;    // FVM_*
  int command;  // menu and toolbar id
  DWORD style;  // list view style
  int bitmap;   // standard view bitmap
};
constexpr ViewMode kViewModes[] = {
    {FVM_ICON, kCmdViewLarge, LVS_ICON, VIEW_LARGEICONS},
    {FVM_SMALLICON, kCmdViewSmall, LVS_SMALLICON, VIEW_SMALLICONS},
    {FVM_LIST, kCmdViewList, LVS_LIST, VIEW_LIST},
    {FVM_DETAILS, kCmdViewDetails, LVS_REPORT, VIEW_DETAILS},
};

const ViewMode& modeOf(UINT mode) {
  for (const ViewMode& each : kViewModes)
    if (each.mode == mode) return each;
  return kViewModes[0];
}

const ViewMode* modeOfCommand(int command) {
  for (const ViewMode& each : kViewModes)
    if (each.command == command) return &each;
  return nullptr;
}

std::string textOfCommand(int command) {
  for (const SortCommand& each : kViewCommands)
    if (each.id == command) return fw::loadString(each.text);
  return std::string();
}

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

class CShellView final : public IShellView {
 public:
  explicit CShellView(CShellFolder* folder)
      : folder_(folder), relative_(ids_, ids_.copy(folder->relative())) {
    folder_->AddRef();
    accelerators_ = LoadAcceleratorsA(fw::resourceModule(), MAKEINTRESOURCEA(101));
  }

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IOleWindow) &&
        !IsEqualIID(riid, IID_IShellView)) {
      return E_NOINTERFACE;
    }
    *out = static_cast<IShellView*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  STDMETHODIMP GetWindow(HWND* window) override {
    if (!window) return E_INVALIDARG;
    *window = window_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  STDMETHODIMP TranslateAccelerator(MSG* msg) override {
    return accelerators_ && msg && ::TranslateAcceleratorA(window_, accelerators_, msg) ? S_OK : S_FALSE;
  }
  STDMETHODIMP EnableModeless(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP UIActivate(UINT state) override {
    activate(state);
    return S_OK;
  }
  STDMETHODIMP Refresh() override {
    if (list_) {
      ListView_DeleteAllItems(list_);
      fillList();
    }
    return S_OK;
  }
  STDMETHODIMP CreateViewWindow(IShellView*, LPCFOLDERSETTINGS settings, IShellBrowser* browser,
                                RECT* rect, HWND* out) override;
  STDMETHODIMP DestroyViewWindow() override {
    activate(SVUIA_DEACTIVATE);
    dropMenus();
    if (window_) DestroyWindow(window_);
    window_ = list_ = nullptr;
    if (browser_) browser_->Release();
    browser_ = nullptr;
    return S_OK;
  }
  STDMETHODIMP GetCurrentInfo(LPFOLDERSETTINGS out) override {
    if (!out) return E_INVALIDARG;
    *out = settings_;
    return S_OK;
  }
  STDMETHODIMP AddPropertySheetPages(DWORD, LPFNADDPROPSHEETPAGE, LPARAM) override { return E_NOTIMPL; }
  STDMETHODIMP SaveViewState() override { return S_OK; }
  STDMETHODIMP SelectItem(LPCITEMIDLIST, UINT) override { return E_NOTIMPL; }
  STDMETHODIMP GetItemObject(UINT, REFIID, void** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }

 private:
  ~CShellView() {
    if (window_) {
      // Released without DestroyViewWindow: the window's messages must no longer reach a
      // view that is going (they would hold it again), so the rows' copies are freed here
      // rather than by the list's deletion notifications.
      SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
      freeRowCopies();
      DestroyWindow(window_);
    }
    if (menu_) DestroyMenu(menu_);
    if (browser_) browser_->Release();
    relative_.reset();
    folder_->Release();
  }

  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT onNotify(NMHDR* header);
  void onCreate();
  void applyActivationStyle();
  void initList();
  void fillList();
  void freeRowCopies();
  void sizeColumns();
  void activate(UINT state);
  void dropMenus();
  void mergeMenus(UINT state);
  void refreshToolbarCheck();
  void setViewMode(const ViewMode& mode);
  void runCommand(POINT at, bool useDefault, int command);
  void sortList();
  void browseTo(const std::vector<LPCITEMIDLIST>& selected);
  void onFocus();
  void fillDisplayInfo(LVITEMA& item);
  bool isRoot() const { return relative_.get() == nullptr; }
  LRESULT sendControl(UINT control, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (browser_) browser_->SendControlMsg(control, message, wParam, lParam, &result);
    return result;
  }
  static int CALLBACK compareProc(LPARAM a, LPARAM b, LPARAM self);

  LONG refs_ = 1;
  UINT uiState_ = SVUIA_DEACTIVATE;
  CShellFolder* folder_;
  ItemIdManager ids_;
  OwnedIdList relative_;
  IShellBrowser* browser_ = nullptr;
  FOLDERSETTINGS settings_ = {FVM_ICON, 0};
  HWND parentWindow_ = nullptr;
  HWND window_ = nullptr;
  HWND list_ = nullptr;
  HMENU menu_ = nullptr;
  HACCEL accelerators_ = nullptr;
  int columnWidth_ = kFirstColumnWidth;  // pixels at dpi_
  unsigned dpi_ = fw::kBaseDpi;
  fw::ModuleLock lock_;
};

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

  // The standard view pictures on the browser's toolbar, and our four view buttons.
  TBADDBITMAP bitmaps = {HINST_COMMCTRL, IDB_STD_SMALL_COLOR};
  LRESULT standardOffset = 0, viewOffset = 0;
  browser->SendControlMsg(FCW_TOOLBAR, TB_ADDBITMAP, 8, reinterpret_cast<LPARAM>(&bitmaps),
                          &standardOffset);
  bitmaps.nID = IDB_VIEW_SMALL_COLOR;
  browser->SendControlMsg(FCW_TOOLBAR, TB_ADDBITMAP, 8, reinterpret_cast<LPARAM>(&bitmaps),
                          &viewOffset);
  TBBUTTON buttons[6] = {};
  buttons[0] = {0, kCmdSeparator, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0};
  for (int i = 0; i < 4; ++i) {
    buttons[i + 1] = {static_cast<int>(viewOffset) + kViewModes[i].bitmap, kViewModes[i].command,
                      TBSTATE_ENABLED, BTNS_BUTTON | BTNS_CHECKGROUP, {}, 0, 0};
  }
  buttons[5] = {0, kCmdSeparator, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0};
  browser->SetToolbarItems(buttons, 6, FCT_MERGE);
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
  while (ListView_DeleteColumn(list_, 0)) {
  }
  const unsigned titles[2] = {isRoot() ? text::kHostAdapterName : text::kDeviceName,
                              isRoot() ? text::kManagerColumn : text::kVendorRevision};
  for (int i = 0; i < 2; ++i) {
    std::string title = fw::loadString(titles[i]);
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = columnWidth_;
    column.pszText = const_cast<char*>(title.c_str());
    column.iSubItem = i;
    SendMessageA(list_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
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
  if (browser_) {
    browser_->SetMenuSB(nullptr, nullptr, nullptr);
    browser_->RemoveMenusSB(menu_);
  }
  DestroyMenu(menu_);
  menu_ = nullptr;
}

namespace {

HMENU submenuOf(HMENU menu, UINT id) {
  MENUITEMINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_SUBMENU;
  return GetMenuItemInfoA(menu, id, FALSE, &info) ? info.hSubMenu : nullptr;
}

bool insertItem(HMENU menu, UINT before, bool byPosition, int id, const std::string& text,
                HMENU submenu = nullptr) {
  MENUITEMINFOA info = {};
  info.cbSize = sizeof info;
  info.wID = static_cast<UINT>(id);
  if (id == kCmdSeparator) {
    info.fMask = MIIM_FTYPE | MIIM_ID;
    info.fType = MFT_SEPARATOR;
  } else {
    info.fMask = MIIM_ID | MIIM_STRING | (submenu ? MIIM_SUBMENU : 0);
    info.dwTypeData = const_cast<char*>(text.c_str());
    info.hSubMenu = submenu;
  }
  return InsertMenuItemA(menu, before, byPosition, &info) != 0;
}

}  // namespace

void CShellView::mergeMenus(UINT) {
  if (!browser_) return;
  menu_ = CreateMenu();
  OLEMENUGROUPWIDTHS widths = {};
  if (FAILED(browser_->InsertMenusSB(menu_, &widths))) {
    DestroyMenu(menu_);
    menu_ = nullptr;
    return;
  }
  if (!isRoot()) {
    if (HMENU tools = submenuOf(menu_, FCIDM_MENU_TOOLS)) {
      const UINT end = static_cast<UINT>(GetMenuItemCount(tools));
      insertItem(tools, end, true, kCmdSeparator, std::string());
      insertItem(tools, end + 1, true, kCmdSeldarnTool, fw::loadString(text::kSeldarnApplication));
    }
  }
  if (HMENU view = submenuOf(menu_, FCIDM_MENU_VIEW)) {
    // Before the options separator when the browser has one, else at the end.
    MENUITEMINFOA probe = {};
    probe.cbSize = sizeof probe;
    probe.fMask = MIIM_ID;
    const bool hasOptions = GetMenuItemInfoA(view, FCIDM_MENU_VIEW_SEP_OPTIONS, FALSE, &probe) != 0;
    auto add = [&](int id, const std::string& text, HMENU submenu = nullptr) {
      if (hasOptions) return insertItem(view, FCIDM_MENU_VIEW_SEP_OPTIONS, false, id, text, submenu);
      return insertItem(view, static_cast<UINT>(GetMenuItemCount(view)), true, id, text, submenu);
    };
    add(kCmdSeparator, std::string());
    for (const SortCommand& each : kViewCommands) add(each.id, fw::loadString(each.text));
    add(kCmdSeparator, std::string());
    HMENU arrange = CreatePopupMenu();
    UINT position = 0;
    if (isRoot()) {
      for (const SortCommand& each : kAdapterSorts)
        insertItem(arrange, position++, true, each.id, fw::loadString(each.text));
    } else {
      for (const SortCommand& each : kDeviceSorts)
        insertItem(arrange, position++, true, each.id, fw::loadString(each.text));
    }
    // A popup its menu did not take is nobody's.
    if (arrange && !add(kCmdArrangeMenu, fw::loadString(text::kArrangeIcons), arrange))
      DestroyMenu(arrange);
  }
  browser_->SetMenuSB(menu_, nullptr, window_);
}

void CShellView::refreshToolbarCheck() {
  sendControl(FCW_TOOLBAR, TB_CHECKBUTTON, static_cast<WPARAM>(modeOf(settings_.ViewMode).command),
              MAKELPARAM(TRUE, 0));
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
