#include "tests/win/shellext_browser.h"

#include "tests/win/server_support.h"

namespace shelltest {

const CLSID kFolder = {0xd6c27292, 0xd646, 0x4e94, {0x8b, 0x05, 0xba, 0xe6, 0x0e, 0xbf, 0xd3, 0xac}};

std::string fenwoldPath() { return servertest::binFolder() + "fenwold.dll"; }

HMODULE fenwold() {
  static HMODULE module = LoadLibraryA(fenwoldPath().c_str());
  return module;
}

HRESULT getClassObject(const CLSID& clsid, REFIID iid, void** out) {
  using Fn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(fenwold(), "DllGetClassObject")));
  return fn ? fn(clsid, iid, out) : E_FAIL;
}

HRESULT canUnloadNow() {
  using Fn = HRESULT(WINAPI*)();
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(fenwold(), "DllCanUnloadNow")));
  return fn ? fn() : E_FAIL;
}

fw::ComPtr<IShellFolder> rootFolder() {
  fw::ComPtr<IClassFactory> factory;
  fw::ComPtr<IShellFolder> folder;
  if (FAILED(getClassObject(kFolder, IID_IClassFactory, factory.putVoid())) ||
      FAILED(factory->CreateInstance(nullptr, IID_IShellFolder, folder.putVoid()))) {
    return folder;
  }
  fw::ComPtr<IPersistFolder> persist;
  LPITEMIDLIST computer = nullptr;
  if (SUCCEEDED(folder->QueryInterface(IID_IPersistFolder, persist.putVoid())) &&
      SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer))) {
    persist->Initialize(computer);
    CoTaskMemFree(computer);
  }
  return folder;
}

void pumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

FakeBrowser::FakeBrowser(bool withTree, int width, int height) {
  WNDCLASSA cls = {};
  if (!GetClassInfoA(GetModuleHandleA(nullptr), "OrvShellFrame", &cls)) {
    cls.lpfnWndProc = DefWindowProcA;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = "OrvShellFrame";
    RegisterClassA(&cls);
  }
  frame_ = CreateWindowExA(0, "OrvShellFrame", "Velmora Scsi Explorer - host",
                           WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 30, 30, width,
                           height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  toolbar_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                             WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP,
                             0, 0, 0, 0, frame_, reinterpret_cast<HMENU>(1), nullptr, nullptr);
  SendMessageA(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  status_ = CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                            frame_, reinterpret_cast<HMENU>(2), nullptr, nullptr);
  if (withTree) {
    tree_ = CreateWindowExA(0, WC_TREEVIEWA, nullptr, WS_CHILD, 0, 0, 10, 10, frame_,
                            reinterpret_cast<HMENU>(3), nullptr, nullptr);
  }
  SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);
  SetForegroundWindow(frame_);
  pumpMessages();
}

FakeBrowser::~FakeBrowser() {
  if (frame_) DestroyWindow(frame_);
  pumpMessages();
}

RECT FakeBrowser::viewArea() const {
  RECT client = {}, bar = {}, state = {};
  GetClientRect(frame_, &client);
  GetWindowRect(toolbar_, &bar);
  GetWindowRect(status_, &state);
  client.top += bar.bottom - bar.top;
  client.bottom -= state.bottom - state.top;
  return client;
}

STDMETHODIMP FakeBrowser::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IOleWindow) &&
      !IsEqualIID(riid, IID_IShellBrowser)) {
    return E_NOINTERFACE;
  }
  *out = static_cast<IShellBrowser*>(this);
  AddRef();
  return S_OK;
}

// A stack object: the count is only watched, never frees.
STDMETHODIMP_(ULONG) FakeBrowser::AddRef() { return static_cast<ULONG>(++refs_); }
STDMETHODIMP_(ULONG) FakeBrowser::Release() { return static_cast<ULONG>(--refs_); }

STDMETHODIMP FakeBrowser::GetWindow(HWND* window) {
  if (!window) return E_INVALIDARG;
  *window = frame_;
  return S_OK;
}

STDMETHODIMP FakeBrowser::InsertMenusSB(HMENU target, LPOLEMENUGROUPWIDTHS widths) {
  // File, Edit, View (with its options separator), Tools and Help, as a browser's groups.
  struct Group {
    const char* text;
    UINT id;
  } groups[] = {{"&File", FCIDM_MENU_FILE},    {"&Edit", FCIDM_MENU_EDIT},
                {"&View", FCIDM_MENU_VIEW},    {"&Tools", FCIDM_MENU_TOOLS},
                {"&Help", FCIDM_MENU_HELP}};
  for (const Group& group : groups) {
    HMENU popup = CreatePopupMenu();
    if (group.id == FCIDM_MENU_VIEW) {
      AppendMenuA(popup, MF_STRING, FCIDM_SHVIEWFIRST + 90, "&Status Bar");
      AppendMenuA(popup, MF_SEPARATOR, FCIDM_MENU_VIEW_SEP_OPTIONS, nullptr);
      AppendMenuA(popup, MF_STRING, FCIDM_SHVIEWFIRST + 91, "Folder &Options...");
    } else if (group.id == FCIDM_MENU_TOOLS) {
      AppendMenuA(popup, MF_STRING, FCIDM_SHVIEWFIRST + 92, "Map &Network Drive...");
    } else {
      AppendMenuA(popup, MF_STRING, FCIDM_SHVIEWFIRST + 93, "&Close");
    }
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
    info.wID = group.id;
    info.hSubMenu = popup;
    info.dwTypeData = const_cast<char*>(group.text);
    InsertMenuItemA(target, static_cast<UINT>(GetMenuItemCount(target)), TRUE, &info);
    if (staleViewMenu && group.id == FCIDM_MENU_VIEW) DestroyMenu(popup);
  }
  if (widths) {
    widths->width[0] = 2;
    widths->width[2] = 1;
    widths->width[4] = 2;
  }
  return S_OK;
}

STDMETHODIMP FakeBrowser::SetMenuSB(HMENU newMenu, HOLEMENU, HWND active) {
  menu = newMenu;
  menuActiveWindow = active;
  return S_OK;
}

STDMETHODIMP FakeBrowser::RemoveMenusSB(HMENU target) {
  ++removedMenus;
  // Our groups go back to the browser: the view destroys only what remains.
  while (GetMenuItemCount(target) > 0) {
    HMENU popup = GetSubMenu(target, 0);
    RemoveMenu(target, 0, MF_BYPOSITION);
    if (popup) DestroyMenu(popup);
  }
  return S_OK;
}

STDMETHODIMP FakeBrowser::BrowseObject(LPCITEMIDLIST list, UINT flags) {
  const auto* bytes = reinterpret_cast<const BYTE*>(list);
  browsed.assign(bytes, bytes + (list ? ILGetSize(list) : 0));
  browseFlags = flags;
  if (onBrowse) onBrowse();
  return S_OK;
}

STDMETHODIMP FakeBrowser::GetControlWindow(UINT id, HWND* out) {
  if (!out) return E_INVALIDARG;
  *out = id == FCW_TOOLBAR ? toolbar_ : id == FCW_STATUS ? status_ : id == FCW_TREE ? tree_ : nullptr;
  return *out ? S_OK : E_FAIL;
}

STDMETHODIMP FakeBrowser::SendControlMsg(UINT id, UINT message, WPARAM wParam, LPARAM lParam,
                                         LRESULT* result) {
  HWND control = nullptr;
  if (FAILED(GetControlWindow(id, &control))) return E_FAIL;
  const LRESULT answer = SendMessageA(control, message, wParam, lParam);
  if (result) *result = answer;
  return S_OK;
}

STDMETHODIMP FakeBrowser::QueryActiveShellView(IShellView** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP FakeBrowser::OnViewWindowActive(IShellView*) {
  ++activeReports;
  return S_OK;
}

STDMETHODIMP FakeBrowser::SetToolbarItems(LPTBBUTTONSB buttons, UINT count, UINT flags) {
  toolbarFlags = flags;
  toolbarItems.assign(buttons, buttons + count);
  SendMessageA(toolbar_, TB_ADDBUTTONSA, count, reinterpret_cast<LPARAM>(buttons));
  SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);
  return S_OK;
}

std::string FakeBrowser::statusText() const {
  char text[256] = {};
  SendMessageA(status_, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  return text;
}

std::vector<std::string> FakeBrowser::submenuTexts(UINT id) const {
  MENUITEMINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_SUBMENU;
  if (!menu || !GetMenuItemInfoA(menu, id, FALSE, &info)) return {};
  return menuTexts(info.hSubMenu);
}

std::vector<std::string> menuTexts(HMENU menu) {
  std::vector<std::string> out;
  const UINT defaultId = GetMenuDefaultItem(menu, FALSE, 0);
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[128] = {};
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text - 1;
    GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
    if (info.fType & MFT_SEPARATOR) {
      out.push_back("-");
    } else {
      out.push_back(std::string(info.wID == defaultId ? "*" : "") + text);
    }
  }
  return out;
}

std::vector<UINT> menuIds(HMENU menu) {
  std::vector<UINT> out;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID;
    GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
    out.push_back(info.wID);
  }
  return out;
}

}  // namespace shelltest
