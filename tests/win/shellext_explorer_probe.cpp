// Drives Wine's own explorer window from outside, for the manual run of the folder in a
// real shell (tests/win/shellext_explorer_try.sh): types a location, selects, activates
// and right-clicks rows of the folder's list, switches view modes. Each step waits (up
// to 20 s) for what it needs to be on the screen.
//   shellext_explorer_probe location TEXT | wait-items N | activate ROW | menu ROW |
//                           command ID | escape | close-dialog TITLE | windows
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HWND g_found = nullptr;
const char* g_class = nullptr;

BOOL CALLBACK findChild(HWND window, LPARAM) {
  char name[128] = {};
  GetClassNameA(window, name, sizeof name);
  if (!std::strcmp(name, g_class)) g_found = window;
  return TRUE;
}

HWND child(HWND top, const char* windowClass) {
  g_found = nullptr;
  g_class = windowClass;
  EnumChildWindows(top, findChild, 0);
  return g_found;
}

BOOL CALLBACK printTop(HWND window, LPARAM) {
  char name[128] = {}, title[256] = {};
  GetClassNameA(window, name, sizeof name);
  GetWindowTextA(window, title, sizeof title);
  if (IsWindowVisible(window)) std::printf("[%s] %s\n", name, title);
  return TRUE;
}

// Polls for a condition: the explorer is another process, so there is nothing to wait on.
template <typename F>
auto waitFor(F probe) -> decltype(probe()) {
  for (int i = 0; i < 200; ++i) {
    if (auto found = probe()) return found;
    Sleep(100);
  }
  return decltype(probe())();
}

HWND explorer() {
  return waitFor([] { return FindWindowA("ExplorerWClass", nullptr); });
}

HWND folderList(HWND top) {
  return waitFor([top] {
    HWND view = child(top, "VelmoraFenwold");
    return view ? GetDlgItem(view, 2000) : nullptr;
  });
}

// Selects a row of another process's list view and answers its label's rectangle.
RECT selectRow(HWND list, int row) {
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  RECT rc = {LVIR_LABEL, 0, 0, 0};
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return rc;
  void* remote = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
  LVITEMA item = {};
  item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
  WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
  SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(remote));
  WriteProcessMemory(process, remote, &rc, sizeof rc, nullptr);
  SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote));
  ReadProcessMemory(process, remote, &rc, sizeof rc, nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return rc;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 1;
  const std::string step = argv[1];
  const char* arg = argc > 2 ? argv[2] : "";
  if (step == "windows") return EnumWindows(printTop, 0) ? 0 : 1;
  if (step == "close-dialog") {
    HWND dialog = waitFor([arg] { return FindWindowA("#32770", arg); });
    if (!dialog) return 2;
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return 0;
  }
  if (step == "escape") {
    if (HWND menu = FindWindowA("#32768", nullptr)) PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    return 0;
  }
  HWND top = explorer();
  if (!top) {
    std::printf("no explorer window\n");
    return 2;
  }
  if (step == "location") {
    HWND edit = waitFor([top] { return child(top, "Edit"); });
    if (!edit) return 3;
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(arg));
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(edit, WM_CHAR, '\r', 0);
    PostMessageA(edit, WM_KEYUP, VK_RETURN, 0);
    return 0;
  }
  HWND list = folderList(top);
  if (!list) {
    std::printf("no folder view\n");
    return 4;
  }
  if (step == "wait-items") {
    const long wanted = std::atol(arg);
    const bool ok = waitFor([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == wanted; });
    std::printf("items %ld\n", static_cast<long>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)));
    return ok ? 0 : 5;
  }
  if (step == "command") {
    SendMessageA(GetParent(list), WM_COMMAND, static_cast<WPARAM>(std::atoi(arg)), 0);
    return 0;
  }
  const RECT row = selectRow(list, std::atoi(arg));
  if (step == "activate") {
    PostMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(list, WM_KEYUP, VK_RETURN, 0);
    return 0;
  }
  if (step == "menu") {
    POINT at = {row.left + 10, row.top + 5};
    ClientToScreen(list, &at);
    PostMessageA(GetParent(list), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list),
                 MAKELPARAM(at.x, at.y));
    return waitFor([] { return FindWindowA("#32768", nullptr); }) ? 0 : 6;
  }
  return 1;
}
