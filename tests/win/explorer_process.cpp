#include "tests/win/explorer_process.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "framework/module.h"
#include "framework/pixels.h"
#include "tests/support/png.h"
#include "tests/support/screenshot.h"

namespace explorertest {

std::string binFolder() { return fw::moduleFolder(nullptr); }

namespace {

// Polls another process's windows: there is nothing in this process to wait on.
template <typename Find>
HWND poll(Find find, DWORD milliseconds) {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND found = find()) return found;
    if (GetTickCount() - start >= milliseconds) return nullptr;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

struct Search {
  DWORD pid;
  std::string title;
  const char* className;
  bool messageBox;
  HWND found;
};

BOOL CALLBACK searchWindow(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != s->pid || !IsWindowVisible(window)) return TRUE;
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (s->messageBox) {
    if (!std::strcmp(cls, "#32770") && GetDlgItem(window, 0xFFFF)) s->found = window;
  } else if (s->title == text && (!s->className || !std::strcmp(cls, s->className))) {
    s->found = window;
  }
  return s->found ? FALSE : TRUE;
}

// Memory in another process, released with it.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_)
      memory_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (memory_) VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  bool valid() const { return memory_ != nullptr; }
  char* address() const { return static_cast<char*>(memory_); }
  bool write(size_t offset, const void* data, size_t n) {
    return WriteProcessMemory(process_, address() + offset, data, n, nullptr);
  }
  bool read(size_t offset, void* data, size_t n) const {
    return ReadProcessMemory(process_, address() + offset, data, n, nullptr);
  }

 private:
  size_t size_;
  HANDLE process_ = nullptr;
  void* memory_ = nullptr;
};

}  // namespace

int registerCorvath() {
  Child regsvr;
  if (!regsvr.start("regsvr32 /s \"" + binFolder() + "corvath.dll\"")) return -1;
  return static_cast<int>(regsvr.wait(60000));
}

std::string emptyBusFile() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string path = std::string(temp) + "explorer_no_adapters.bus";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fputs("# A manager that is ready but reports no host adapter.\r\nmanager-status 01\r\n", f);
    std::fclose(f);
  }
  return path;
}

Child::~Child() {
  if (info_.hProcess) {
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 1);
    CloseHandle(info_.hProcess);
  }
  if (info_.hThread) CloseHandle(info_.hThread);
}

bool Child::start(const std::string& commandLine, const std::vector<std::string>& extraEnvironment,
                  const std::string& folder) {
  std::string environment;
  if (!extraEnvironment.empty()) {
    char* block = GetEnvironmentStringsA();
    for (const char* p = block; *p; p += std::strlen(p) + 1) environment.append(p).push_back('\0');
    FreeEnvironmentStringsA(block);
    for (const auto& e : extraEnvironment) environment.append(e).push_back('\0');
    environment.push_back('\0');
  }
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  std::string line = commandLine;
  std::string current = folder.empty() ? binFolder() : folder;
  return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0,
                        environment.empty() ? nullptr : &environment[0], current.c_str(), &startup,
                        &info_) != FALSE;
}

DWORD Child::wait(DWORD milliseconds) {
  if (!info_.hProcess) return STILL_ACTIVE;
  DWORD start = GetTickCount();
  for (;;) {
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= milliseconds) break;
    DWORD r = MsgWaitForMultipleObjects(1, &info_.hProcess, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) break;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

HWND waitForWindow(DWORD pid, const std::string& title, const char* className, DWORD milliseconds) {
  return poll(
      [&]() {
        Search s{pid, title, className, false, nullptr};
        EnumWindows(searchWindow, reinterpret_cast<LPARAM>(&s));
        return s.found;
      },
      milliseconds);
}

HWND waitForMessageBox(DWORD pid, DWORD milliseconds) {
  return poll(
      [&]() {
        Search s{pid, "", nullptr, true, nullptr};
        EnumWindows(searchWindow, reinterpret_cast<LPARAM>(&s));
        return s.found;
      },
      milliseconds);
}

namespace {

struct Titled {
  std::string title;
  std::vector<HWND> found;
};

BOOL CALLBACK collectTitled(HWND window, LPARAM param) {
  auto* c = reinterpret_cast<Titled*>(param);
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  if (IsWindowVisible(window) && c->title == text) c->found.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> windowsTitled(const std::string& title) {
  Titled c{title, {}};
  EnumWindows(collectTitled, reinterpret_cast<LPARAM>(&c));
  return c.found;
}

namespace {

// The pixels of a screen rectangle as they are now, rows top down, 4 bytes each.
std::vector<uint8_t> capture(const RECT& r) {
  int width = r.right - r.left, height = r.bottom - r.top;
  std::vector<uint8_t> pixels;
  if (width <= 0 || height <= 0) return pixels;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = fw::pixelFormat(width, height);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib && bits) {
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const uint8_t* p = static_cast<const uint8_t*>(bits);
    pixels.assign(p, p + static_cast<size_t>(width) * height * 4);
    SelectObject(memory, old);
  }
  if (dib) DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

}  // namespace

std::string settledScreenshot(HWND window, const std::string& name) {
  // Another process draws in its own time: nothing is invalidated from here, the screen
  // is read until two looks in a row agree.
  RECT r = {};
  std::vector<uint8_t> pixels, previous;
  for (int attempt = 0; attempt < 50; ++attempt) {
    DWORD_PTR ignored;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    GetWindowRect(window, &r);
    pixels = capture(r);
    if (!pixels.empty() && pixels == previous) break;
    previous = pixels;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
  }
  if (pixels.empty()) return std::string();
  std::vector<uint8_t> png = orvtest::encodePng(r.right - r.left, r.bottom - r.top, pixels.data());
  std::string path = orvtest::artifactFolder() + "\\" + name + ".png";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return std::string();
  bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
  std::fclose(f);
  return ok ? path : std::string();
}

std::vector<std::string> remoteColumn(HWND list, int subItem) {
  std::vector<std::string> out;
  constexpr size_t kText = 260;
  RemoteBuffer remote(list, sizeof(LVITEMA) + kText);
  if (!remote.valid()) return out;
  int n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    LVITEMA item = {};
    item.iSubItem = subItem;
    item.pszText = remote.address() + sizeof(LVITEMA);
    item.cchTextMax = kText;
    remote.write(0, &item, sizeof item);
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote.address()));
    char text[kText] = {};
    remote.read(sizeof(LVITEMA), text, kText - 1);
    out.push_back(text);
  }
  return out;
}

std::string remoteStatusText(HWND bar) {
  RemoteBuffer remote(bar, 512);
  if (!remote.valid()) return std::string();
  SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(remote.address()));
  char text[512] = {};
  remote.read(0, text, sizeof text - 1);
  return text;
}

}  // namespace explorertest
