#include "tests/win/explorer_testkit.h"

#include <windowsx.h>

#include "explorer/html_help.h"
#include "explorer/settings_store.h"

namespace explorertest {

std::string FakeBus::nameAt(intptr_t address) const {
  for (const auto& r : records)
    if (reinterpret_cast<intptr_t>(&r) == address) return r.displayName;
  return "<not a record: " + std::to_string(address) + ">";
}

void fillDefaultBus(FakeBus& bus) {
  bus.add(3, "Velmora Corrin 40", "vrxfast", 7, 1, false);
  bus.add(0, "Velmora Dunlow 80 A", "vrx320", 6, 4, true);
  bus.add(4, "Velmora Bexley 30", "vrxmini", 5, 0, false);
  bus.add(1, "Velmora Dunlow 80 B", "vrx320", 15, 2, true);
  bus.add(2, "Velmora Alder 60", "vrx160", 7, 3, false);
}

explorer::ServerFactory fakeFactory(FakeBus& bus) {
  return [&bus]() -> std::unique_ptr<explorer::ExplorerServer> {
    return std::make_unique<FakeServer>(bus);
  };
}

explorer::ServerFactory failingFactory() {
  return []() -> std::unique_ptr<explorer::ExplorerServer> { return nullptr; };
}

void pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void command(HWND window, int id) {
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  pump();
}

HWND list(HWND window) { return GetDlgItem(window, IDC_ADAPTER_LIST); }

std::vector<std::string> column(HWND window, int subItem) {
  std::vector<std::string> out;
  int n = ListView_GetItemCount(list(window));
  for (int i = 0; i < n; ++i) {
    char text[260] = {};
    ListView_GetItemText(list(window), i, subItem, text, sizeof text);
    out.push_back(text);
  }
  return out;
}

std::vector<int> columnWidths(HWND window) {
  std::vector<int> out;
  HWND header = ListView_GetHeader(list(window));
  int n = header ? Header_GetItemCount(header) : 0;
  for (int i = 0; i < n; ++i) out.push_back(ListView_GetColumnWidth(list(window), i));
  return out;
}

std::vector<std::string> headings(HWND window) {
  std::vector<std::string> out;
  HWND header = ListView_GetHeader(list(window));
  int n = header ? Header_GetItemCount(header) : 0;
  for (int i = 0; i < n; ++i) {
    char text[128] = {};
    HDITEMA item = {};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(header, HDM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
    out.push_back(text);
  }
  return out;
}

DWORD viewStyle(HWND window) { return GetWindowLongA(list(window), GWL_STYLE) & LVS_TYPEMASK; }

void select(HWND window, int item) {
  ListView_SetItemState(list(window), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (item >= 0)
    ListView_SetItemState(list(window), item, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
}

std::string statusText(HWND window) {
  HWND bar = GetDlgItem(window, IDW_STATUS_BAR);
  if (!bar) return "<no status bar>";
  char text[512] = {};
  SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  return text;
}

bool statusBarShown(HWND window) {
  HWND bar = GetDlgItem(window, IDW_STATUS_BAR);
  return bar && (GetWindowLongA(bar, GWL_STYLE) & WS_VISIBLE);
}

void clickHeader(HWND window, int columnIndex) {
  HWND header = ListView_GetHeader(list(window));
  RECT r = {};
  Header_GetItemRect(header, columnIndex, &r);
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(header, WM_LBUTTONUP, 0, at);
  pump();
}

POINT itemCentre(HWND window, int item) {
  RECT r = {};
  ListView_GetItemRect(list(window), item, &r, LVIR_LABEL);
  POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(list(window), &p);
  return p;
}

UINT menuState(HWND window, UINT id) {
  return GetMenuState(GetMenu(window), id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
}

UINT checkedView(HMENU viewMenu) {
  UINT found = 0;
  for (UINT id = ID_VIEW_LARGE_ICONS; id <= ID_VIEW_DETAILS; ++id)
    if (GetMenuState(viewMenu, id, MF_BYCOMMAND) & MF_CHECKED) found = found ? 0xFFFF : id;
  return found;
}

void openFileMenu(HWND window) {
  SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(GetMenu(window), 0)),
               MAKELPARAM(0, FALSE));
}

namespace {

ShownMenu* g_shown = nullptr;
HHOOK g_menuHook = nullptr;

void CALLBACK endMenu(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  EndMenu();
}

LRESULT CALLBACK menuHook(int code, WPARAM wParam, LPARAM lParam) {
  const auto* msg = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && g_shown && !g_shown->shown && msg->message == WM_INITMENUPOPUP) {
    HMENU popup = reinterpret_cast<HMENU>(msg->wParam);
    g_shown->shown = true;
    int n = GetMenuItemCount(popup);
    for (int i = 0; i < n; ++i) {
      UINT id = GetMenuItemID(popup, i);
      g_shown->ids.push_back(id == static_cast<UINT>(-1) ? 0 : id);
      g_shown->states.push_back(GetMenuState(popup, i, MF_BYPOSITION) &
                                (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_SEPARATOR | MF_POPUP));
    }
    g_shown->defaultId = GetMenuDefaultItem(popup, FALSE, 0);
    if (HMENU sub = GetSubMenu(popup, 0)) g_shown->checkedView = checkedView(sub);
    SetTimer(nullptr, 0, 0, endMenu);  // runs inside the menu's own loop
  }
  return CallNextHookEx(g_menuHook, code, wParam, lParam);
}

}  // namespace

ShownMenu contextMenu(HWND window, POINT screen) {
  ShownMenu shown;
  g_shown = &shown;
  g_menuHook = SetWindowsHookExA(WH_CALLWNDPROCRET, menuHook, nullptr, GetCurrentThreadId());
  SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list(window)),
               MAKELPARAM(screen.x, screen.y));
  UnhookWindowsHookEx(g_menuHook);
  g_menuHook = nullptr;
  g_shown = nullptr;
  pump();
  return shown;
}


void deleteSettings() { RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey); }

void storeSettings(const explorer::ExplorerSettings& s) {
  explorer::writeSettings("Software\\Velmora\\Orvane\\6.0", s);
}

bool loadSettings(explorer::ExplorerSettings& s) {
  return explorer::readSettings("Software\\Velmora\\Orvane\\6.0", s);
}

std::vector<HelpCall>& helpCalls() {
  static std::vector<HelpCall> calls;
  return calls;
}

namespace {
HWND WINAPI recordingHelp(HWND owner, LPCSTR file, UINT command, DWORD_PTR) {
  helpCalls().push_back({owner, file ? file : "", command});
  return owner ? owner : GetDesktopWindow();  // "a help window came up"
}
}  // namespace

void recordHelp() {
  helpCalls().clear();
  explorer::setHtmlHelpForTesting(recordingHelp);
}

void setInstallFolder(const std::string& folder) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                 static_cast<DWORD>(folder.size() + 1));
  RegCloseKey(key);
}

}  // namespace explorertest
