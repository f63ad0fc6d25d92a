// The suite's setup as an administrator meets it on 64-bit Windows, in a WoW64 prefix of
// its own that installer_test.sh has just made: a failing setup that leaves nothing, the
// interactive pages, both widths installed and registered each in its own view, the
// choice of SCSI manager, the installed suite in use, setup and uninstall while a
// process holds a module of the suite (as the shell does), a refusal when a
// registration fails, and uninstalls that leave the prefix as they found it. A 64-bit
// program, so that it sees both registry views and both system folders as they are.
// The tests run in this order and build on each other.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "explorer/explorer_res.h"
#include "framework/regkey.h"
#include "tests/win/explorer_process.h"

namespace {

using explorertest::Child;
using explorertest::remoteColumn;
using explorertest::settledScreenshot;
using explorertest::waitForWindow;

constexpr char kInstallDir[] = "C:\\Orvane60";
constexpr char kTypeLib[] = "TypeLib\\{8B891CFD-6E58-4FD2-B3D1-A020DC302D08}\\0.0\\0";
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvane60";
constexpr char kAppPathKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Orvane";
constexpr char kCplsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\Cpls";
constexpr char kExplorerTitle[] = "Velmora SCSI Explorer";
constexpr char kSetupTitle[] = "Orvane 6.0 Setup";
constexpr DWORD kPatience = 60000;
// For setup and the uninstaller to end: they run regsvr32 once for each server of each
// width, which takes minutes where 32-bit programs run in the emulator.
constexpr DWORD kSetupPatience = 900000;

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}
std::string setupProgram() { return env("ORV_SETUP"); }
std::string failingSetup() { return env("ORV_FAILING_SETUP"); }
std::string installed(const std::string& name) { return std::string(kInstallDir) + "\\" + name; }

// What the suite puts in the install folder: the 64-bit suite, and in x86\ the 32-bit
// servers with the help file and pictures they find beside them.
std::vector<std::string> suiteFiles() {
  std::vector<std::string> files = {"dunmere.cpl", "pellmark.exe", "uninstall.exe"};
  for (std::string sub : {"", "x86\\"}) {
    for (const char* f : {"corvath.dll", "orvane60.chm", "images\\devbackground.bmp",
                          "images\\backgrounder.bmp"})
      files.push_back(sub + f);
#ifdef HAVE_FENWOLD
    files.push_back(sub + "fenwold.dll");
#endif
#ifdef HAVE_GASTREL
    files.push_back(sub + "gastrel.dll");
#endif
  }
  return files;
}

bool fileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The system folder of each width: System32 for 64-bit programs, SysWOW64 for 32-bit ones.
std::string systemFolder(int width = 64) {
  char path[MAX_PATH] = {};
  if (width == 64)
    GetSystemDirectoryA(path, MAX_PATH);
  else
    GetSystemWow64DirectoryA(path, MAX_PATH);
  return path;
}
std::string manager(int width) { return systemFolder(width) + "\\wnvrax32.dll"; }

// The registry view of each width.
REGSAM view(int width) { return width == 64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY; }

// ---- registry and files ---------------------------------------------------------------

bool readText(HKEY root, const std::string& key, const char* name, std::string& out,
              REGSAM sam = 0) {
  fw::RegKey k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | sam, k.put()) != ERROR_SUCCESS) return false;
  char data[1024] = {};
  DWORD size = sizeof data - 1, type = 0;
  if (RegQueryValueExA(k.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return false;
  out = data;
  return true;
}

std::string text(HKEY root, const std::string& key, const char* name, REGSAM sam = 0) {
  std::string v;
  return readText(root, key, name, v, sam) ? v : "<missing>";
}

DWORD dword(HKEY root, const std::string& key, const char* name) {
  fw::RegKey k;
  DWORD v = 0xFFFFFFFF, size = sizeof v;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, k.put()) == ERROR_SUCCESS)
    RegQueryValueExA(k.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size);
  return v;
}

bool keyExists(HKEY root, const std::string& key, REGSAM sam = 0) {
  fw::RegKey k;
  return RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | sam, k.put()) == ERROR_SUCCESS;
}

bool sameText(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// The class ids whose in-process server is that module, in the view of its width.
std::vector<std::string> classesServedBy(const std::string& module, int width = 64) {
  std::vector<std::string> out;
  fw::RegKey clsid;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ | view(width), clsid.put()) !=
      ERROR_SUCCESS)
    return out;
  char name[128];
  for (DWORD i = 0;; ++i) {
    DWORD n = sizeof name;
    if (RegEnumKeyExA(clsid.get(), i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    std::string server;
    if (readText(clsid.get(), std::string(name) + "\\InprocServer32", nullptr, server) &&
        sameText(server, module))
      out.push_back(name);
  }
  return out;
}

std::string utf8(const wchar_t* s, int n = -1) {
  int size = WideCharToMultiByte(CP_UTF8, 0, s, n, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size : 0, '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, s, n, &out[0], size, nullptr, nullptr);
  if (n < 0 && !out.empty()) out.pop_back();
  return out;
}

std::string hex(const BYTE* p, DWORD n) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (DWORD i = 0; i < n; ++i) {
    out += digits[p[i] >> 4];
    out += digits[p[i] & 15];
  }
  return out;
}

// One line per key, value and file: what the prefix holds.
using Snapshot = std::set<std::string>;

void addKey(HKEY key, const std::string& path, Snapshot& out) {
  out.insert(path);
  std::vector<wchar_t> name(16384);
  std::vector<BYTE> data(1 << 16);
  for (DWORD i = 0;; ++i) {
    DWORD n = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size()), type = 0;
    LONG rc = RegEnumValueW(key, i, name.data(), &n, nullptr, &type, data.data(), &size);
    if (rc == ERROR_MORE_DATA) {
      data.resize(size + 2);
      --i;
      continue;
    }
    if (rc != ERROR_SUCCESS) break;
    out.insert(path + " | " + utf8(name.data(), static_cast<int>(n)) + " = " + std::to_string(type) +
               ":" + hex(data.data(), size));
  }
  for (DWORD i = 0;; ++i) {
    DWORD n = static_cast<DWORD>(name.size());
    if (RegEnumKeyExW(key, i, name.data(), &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY sub = nullptr;
    if (RegOpenKeyExW(key, name.data(), 0, KEY_READ, &sub) == ERROR_SUCCESS) {
      addKey(sub, path + "\\" + utf8(name.data(), static_cast<int>(n)), out);
      RegCloseKey(sub);
    }
  }
}

void addFolder(const std::wstring& folder, bool times, Snapshot& out) {
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    std::wstring path = folder + L"\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out.insert(utf8(path.c_str()) + "\\");
      // Wine links some profile folders to the Unix home: not the prefix's own.
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) addFolder(path, times, out);
    } else {
      ULONGLONG size = (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
      ULONGLONG time = (static_cast<ULONGLONG>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                       found.ftLastWriteTime.dwLowDateTime;
      out.insert(utf8(path.c_str()) + " | " + std::to_string(size) +
                 (times ? " " + std::to_string(time) : std::string()));
    }
  } while (FindNextFileW(h, &found));
  FindClose(h);
}

// What Wine changes by itself as programs come and go, and what setup cannot help:
// the uninstaller's copy of itself in the temporary folder, which Windows deletes at
// the next start (Wine keeps the request in the session manager's pending renames).
bool wineOwn(const std::string& line) {
  static const char* const kPrefixes[] = {
      "HKCU\\Software\\Wine",
      "HKLM\\Software\\Wine",
      "HKLM\\Software\\Wow6432Node\\Wine",
      "HKLM\\Software\\Wow6432Node\\Microsoft\\Cryptography\\RNG",
      "HKLM\\System\\CurrentControlSet\\Control\\Session Manager | PendingFileRenameOperations",
      "HKLM\\Software\\Microsoft\\Cryptography\\RNG",
      "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer",
      "HKLM\\System\\CurrentControlSet\\Control\\DeviceClasses",
      "HKLM\\Hardware\\DEVICEMAP\\VIDEO",
      "HKLM\\System\\CurrentControlSet\\Control\\Video",
      "HKLM\\System\\CurrentControlSet\\Enum",
      "C:\\windows\\temp\\",
  };
  for (const char* p : kPrefixes) {
    if (line.size() >= std::strlen(p) && _strnicmp(line.c_str(), p, std::strlen(p)) == 0) return true;
  }
  // The temporary folder's uninstaller copy (~nsu*.tmp) and setup's plug-in folder.
  std::string lower = line;
  std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
  return lower.find("\\temp\\~nsu") != std::string::npos;
}

// times: with each file's last write, so that a file written again shows; without,
// for a second setup that writes the same files again.
Snapshot snapshot(bool times = true) {
  Snapshot out;
  addKey(HKEY_LOCAL_MACHINE, "HKLM", out);
  addKey(HKEY_CURRENT_USER, "HKCU", out);
  addFolder(L"C:", times, out);
  for (auto it = out.begin(); it != out.end();) it = wineOwn(*it) ? out.erase(it) : std::next(it);
  return out;
}

// The differences, "+" for what is new and "-" for what went, one per line.
std::string difference(const Snapshot& before, const Snapshot& after) {
  std::string out;
  int shown = 0;
  for (const auto& line : after) {
    if (!before.count(line) && shown++ < 40) out += "+ " + line + "\n";
  }
  for (const auto& line : before) {
    if (!after.count(line) && shown++ < 80) out += "- " + line + "\n";
  }
  return out;
}

// ---- programs -------------------------------------------------------------------------

// Runs setup (or any program) to its end; its exit code.
DWORD run(const std::string& commandLine) {
  Child p;
  if (!p.start(commandLine, {}, "C:\\")) return 0xDEAD;
  return p.wait(kSetupPatience);
}

// The uninstaller hands over to a copy of itself in the temporary folder and ends at
// once: the copy, its child, does the work, so its end is waited for. The copy is
// looked for while the launcher runs, so that a copy which ends at once (a refusal)
// is still caught and its exit code read.
DWORD runUninstaller(const std::string& arguments) {
  std::string line = text(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString") + " " + arguments;
  Child launcher;
  if (!launcher.start(line, {}, "C:\\")) return 0xDEAD;
  DWORD launcherPid = launcher.pid();
  HANDLE copy = nullptr;
  bool launcherEnded = false;
  for (DWORD start = GetTickCount(); !copy && GetTickCount() - start < kPatience;) {
    HANDLE all = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 e = {};
    e.dwSize = sizeof e;
    for (BOOL more = Process32First(all, &e); more && !copy; more = Process32Next(all, &e)) {
      if (e.th32ParentProcessID == launcherPid)
        copy = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, e.th32ProcessID);
    }
    CloseHandle(all);
    if (copy || launcherEnded) break;
    launcherEnded = launcher.wait(0) != STILL_ACTIVE;
    Sleep(5);
  }
  if (launcher.wait(kPatience) != 0) {
    if (copy) CloseHandle(copy);
    return 0xBAD;
  }
  if (!copy) return 0xBAD;
  DWORD code = 0xBAD;
  if (WaitForSingleObject(copy, kSetupPatience) == WAIT_OBJECT_0) GetExitCodeProcess(copy, &code);
  CloseHandle(copy);
  return code;
}

// Runs the uninstaller where it stands (_?=), without its copy, as scripts do to wait
// for its end: its own exit code. Its file stays for the caller to delete.
DWORD runUninstallerInPlace(const std::string& arguments) {
  return run(text(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString") + " " + arguments +
             " _?=" + kInstallDir);
}

// A shortcut's target and working folder.
bool readShortcut(const std::string& link, std::string& target, std::string& folder) {
  IShellLinkA* shell = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&shell))))
    return false;
  IPersistFile* file = nullptr;
  bool ok = false;
  if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    std::wstring wide(link.begin(), link.end());
    char path[MAX_PATH] = {}, dir[MAX_PATH] = {};
    if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) &&
        SUCCEEDED(shell->GetPath(path, MAX_PATH, nullptr, 0)) &&
        SUCCEEDED(shell->GetWorkingDirectory(dir, MAX_PATH))) {
      target = path;
      folder = dir;
      ok = true;
    }
    file->Release();
  }
  shell->Release();
  return ok;
}

std::string startMenuFolder() {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, path);
  return std::string(path) + "\\Orvane 6.0";
}

// ---- windows of another process ------------------------------------------------------

struct Found {
  std::function<bool(HWND)> match;
  HWND window = nullptr;
};

BOOL CALLBACK visit(HWND w, LPARAM param) {
  auto* f = reinterpret_cast<Found*>(param);
  if (f->match(w)) {
    f->window = w;
    return FALSE;
  }
  return TRUE;
}

// The text as the control holds it (GetWindowText would answer another process's edit
// field with its text at creation).
std::string windowText(HWND w) {
  char t[512] = {};
  DWORD_PTR ignored;
  SendMessageTimeoutA(w, WM_GETTEXT, sizeof t, reinterpret_cast<LPARAM>(t), SMTO_NORMAL, 5000, &ignored);
  return t;
}

std::string className(HWND w) {
  char c[64] = {};
  GetClassNameA(w, c, sizeof c);
  return c;
}

// A visible descendant of w that matches, looked for until it shows or the time is up.
HWND waitForChild(HWND w, std::function<bool(HWND)> match, DWORD milliseconds = kPatience) {
  DWORD start = GetTickCount();
  for (;;) {
    Found f{[&](HWND c) { return IsWindowVisible(c) && match(c); }};
    EnumChildWindows(w, visit, reinterpret_cast<LPARAM>(&f));
    if (f.window) return f.window;
    if (GetTickCount() - start >= milliseconds || !IsWindow(w)) return nullptr;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
}

HWND waitForText(HWND w, const std::string& wanted, DWORD milliseconds = kPatience) {
  return waitForChild(w, [&](HWND c) { return windowText(c) == wanted; }, milliseconds);
}

// Waits until the program has handled everything queued for it, painting included:
// its page is then on the screen as a person would see it.
void waitUntilIdle(const Child& program) {
  HANDLE p = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, program.pid());
  if (!p) return;
  WaitForInputIdle(p, kPatience);
  CloseHandle(p);
}

// Presses a button of the setup window the way a click would reach it, once the page
// has enabled it.
void press(HWND window, int id) {
  HWND button = GetDlgItem(window, id);
  DWORD start = GetTickCount();
  while (!IsWindowEnabled(button) && GetTickCount() - start < kPatience)
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

// Shortcuts are read through the shell's objects.
struct ComApartment {
  ComApartment() { CoInitialize(nullptr); }
  ~ComApartment() { CoUninitialize(); }
} g_com;


std::string contents(const std::string& path) {
  std::string out;
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return out;
  char buffer[65536];
  DWORD n = 0;
  while (ReadFile(f, buffer, sizeof buffer, &n, nullptr) && n) out.append(buffer, n);
  CloseHandle(f);
  return out;
}

// ---- the sequence ---------------------------------------------------------------------

// The staged modules that setup carries (ORV_SETUP_STAGE): x86\ and x64\, each with
// demo\ and devices\ managers.
std::string staged(const std::string& name) { return env("ORV_SETUP_STAGE") + "\\" + name; }

// Which of our managers the system folder of that width holds: "demo", "devices",
// "none" or "other".
std::string managerIn(int width) {
  const std::string now = contents(manager(width));
  if (now.empty()) return "none";
  const std::string stage = width == 64 ? "x64" : "x86";
  for (const char* kind : {"demo", "devices"})
    if (now == contents(staged(stage + "\\" + kind + "\\wnvrax32.dll"))) return kind;
  return "other";
}

// Both widths of each server registered in their own view, each naming its own module.
void expectBothWidthsRegistered() {
  for (int width : {32, 64}) {
    const std::string dir = width == 64 ? "" : "x86\\";
    SCOPED_TRACE(width);
    // The ProgIDs are shared by both widths' clients.
    std::string clsid = text(HKEY_CLASSES_ROOT, "Corvath.CorvathObj\\CLSID", nullptr, view(64));
    EXPECT_EQ(text(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32", nullptr, view(width)),
              installed(dir + "corvath.dll"));
    EXPECT_EQ(classesServedBy(installed(dir + "corvath.dll"), width), std::vector<std::string>{clsid});
    EXPECT_EQ(text(HKEY_CLASSES_ROOT, std::string(kTypeLib) + (width == 64 ? "\\win64" : "\\win32"),
                   nullptr),
              installed(dir + "corvath.dll"));
#ifdef HAVE_FENWOLD
    // The folder under My Computer, for the Explorer and file dialogs of this width.
    auto folders = classesServedBy(installed(dir + "fenwold.dll"), width);
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE,
                          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer\\NameSpace\\" +
                              folders[0],
                          view(width)));
#endif
#ifdef HAVE_GASTREL
    // Three bands, each in its component category.
    auto bands = classesServedBy(installed(dir + "gastrel.dll"), width);
    EXPECT_EQ(bands.size(), 3u);
    for (const auto& band : bands)
      EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, "CLSID\\" + band + "\\Implemented Categories", view(width)))
          << band;
#endif
  }
}

// Nothing of the suite is registered in either view.
void expectNothingRegistered() {
  for (int width : {32, 64}) {
    for (const char* module : {"corvath.dll", "fenwold.dll", "gastrel.dll"}) {
      EXPECT_TRUE(classesServedBy(installed(module), width).empty()) << module << " " << width;
      EXPECT_TRUE(classesServedBy(installed(std::string("x86\\") + module), width).empty())
          << module << " " << width;
    }
  }
}

// Restarts Windows as far as the prefix is concerned: Wine's start-up carries out the
// renames and deletions that were left for the next restart.
DWORD restartWindows() { return run("wineboot.exe -r"); }

// The file operations left for the next restart, one "from -> to" a line.
std::string pendingRenames() {
  fw::RegKey k;
  std::string out;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                    KEY_READ, k.put()) != ERROR_SUCCESS)
    return out;
  std::vector<wchar_t> data(65536);
  DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t)), type = 0;
  if (RegQueryValueExW(k.get(), L"PendingFileRenameOperations", nullptr, &type,
                       reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
    return out;
  const wchar_t* p = data.data();
  const wchar_t* end = p + size / sizeof(wchar_t);
  while (p < end && *p) {
    std::string from = utf8(p);
    p += wcslen(p) + 1;
    std::string to = p < end ? utf8(p) : "";
    p += wcslen(p) + 1;
    out += from + " -> " + to + "\n";
  }
  return out;
}

Snapshot g_pristine;

TEST(Setup, AFailedRegistrationOnAFreshComputerLeavesNothingBehind) {
  ASSERT_FALSE(setupProgram().empty());
  g_pristine = snapshot();
  EXPECT_EQ(run(failingSetup() + " /S /D=" + kInstallDir), 2u);
  EXPECT_EQ(difference(g_pristine, snapshot()), "");
}

TEST(Setup, InteractivePagesInstallIntoTheChosenFolder) {
  Child setup;
  ASSERT_TRUE(setup.start(setupProgram(), {}, "C:\\"));
  HWND w = waitForWindow(setup.pid(), kSetupTitle, nullptr, kPatience);
  ASSERT_NE(w, nullptr);

  ASSERT_NE(waitForText(w, "Welcome to Orvane 6.0 Setup"), nullptr);
  waitUntilIdle(setup);
  settledScreenshot(w, "setup_1_welcome");
  press(w, IDOK);

  ASSERT_NE(waitForText(w, "Choose Components"), nullptr);
  waitUntilIdle(setup);
  HWND tree = waitForChild(w, [](HWND c) { return className(c) == WC_TREEVIEWA; });
  ASSERT_NE(tree, nullptr);
  // The suite, and the SCSI manager with its two choices.
  EXPECT_EQ(SendMessageA(tree, TVM_GETCOUNT, 0, 0), 4);
  settledScreenshot(w, "setup_2_components");
  press(w, IDOK);

  ASSERT_NE(waitForText(w, "Choose Install Location"), nullptr);
  waitUntilIdle(setup);
  HWND folder = waitForChild(w, [](HWND c) { return GetDlgCtrlID(c) == 1019; });
  ASSERT_NE(folder, nullptr);
  // 64-bit Windows: the 64-bit program files folder.
  EXPECT_EQ(windowText(folder), "C:\\Program Files\\Velmora\\Orvane 6.0");
  SendMessageA(folder, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kInstallDir));
  waitUntilIdle(setup);
  settledScreenshot(w, "setup_3_folder");
  press(w, IDOK);

  ASSERT_NE(waitForText(w, "Installation Complete", kSetupPatience), nullptr);
  waitUntilIdle(setup);
  settledScreenshot(w, "setup_4_installed");
  press(w, IDOK);

  ASSERT_NE(waitForText(w, "Completing Orvane 6.0 Setup"), nullptr);
  waitUntilIdle(setup);
  settledScreenshot(w, "setup_5_finish");
  press(w, IDOK);
  EXPECT_EQ(setup.wait(kPatience), 0u);
}

TEST(Setup, PutsBothWidthsFilesKeysAndRegistrationsInPlace) {
  for (const auto& f : suiteFiles()) EXPECT_TRUE(fileExists(installed(f))) << f;
  // The 32-bit half carries servers only: the Control Panel item and the program of
  // 64-bit Windows are the 64-bit ones.
  EXPECT_FALSE(fileExists(installed("x86\\pellmark.exe")));
  EXPECT_FALSE(fileExists(installed("x86\\dunmere.cpl")));
  // The default manager: this computer's devices, one in each width's system folder.
  EXPECT_EQ(managerIn(64), "devices");
  EXPECT_EQ(managerIn(32), "devices");
  EXPECT_FALSE(fileExists(installed("wnvrax32.dll")));
  EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kUninstallKey, "Manager"), "devices");

  // The product's own entries are the 64-bit suite's, in the 64-bit view.
  EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kAppPathKey, "Path"), kInstallDir);
  EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kCplsKey, "Orvane60"), installed("dunmere.cpl"));
  EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY));

  EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Orvane 6.0");
  EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"), "6.0");
  EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher"), "Velmora");
  EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon"), installed("pellmark.exe") + ",0");
  EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation"), kInstallDir);
  EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"),
            "\"" + installed("uninstall.exe") + "\"");
  EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString"),
            "\"" + installed("uninstall.exe") + "\" /S");
  DWORD size = dword(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize");
  EXPECT_GT(size, 100u);  // kilobytes
  EXPECT_LT(size, 100000u);

  expectBothWidthsRegistered();

  std::string target, workingFolder;
  ASSERT_TRUE(readShortcut(startMenuFolder() + "\\Orvane 6.0 Help.lnk", target, workingFolder));
  EXPECT_TRUE(sameText(target, installed("orvane60.chm"))) << target;
}

TEST(Setup, ASecondSetupSwitchesToTheDemoBus) {
  EXPECT_EQ(run(setupProgram() + " /S /MANAGER=demo"), 0u);
  EXPECT_EQ(managerIn(64), "demo");
  EXPECT_EQ(managerIn(32), "demo");
  EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kUninstallKey, "Manager"), "demo");
  expectBothWidthsRegistered();
}

TEST(Setup, TheStartMenuShortcutStartsTheExplorerOnTheDemoBus) {
  std::string target, workingFolder;
  ASSERT_TRUE(readShortcut(startMenuFolder() + "\\Velmora SCSI Explorer.lnk", target, workingFolder));
  EXPECT_TRUE(sameText(target, installed("pellmark.exe"))) << target;
  Child program;
  ASSERT_TRUE(program.start("\"" + target + "\"", {}, workingFolder));
  HWND w = waitForWindow(program.pid(), kExplorerTitle, nullptr, kPatience);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(remoteColumn(GetDlgItem(w, IDC_ADAPTER_LIST), 0).size(), 5u);
  settledScreenshot(w, "setup_installed_explorer");
  PostMessageA(w, WM_COMMAND, ID_STANDALONE_CLOSE, 0);
  EXPECT_EQ(program.wait(kPatience), 0u);
}

TEST(Setup, TheControlPanelListsTheApplet) {
  Child control;
  ASSERT_TRUE(control.start("control.exe", {}, "C:\\"));
  DWORD start = GetTickCount();
  std::vector<std::string> names;
  HWND panel = nullptr;
  // The panel fills its list once it has loaded every applet.
  while (GetTickCount() - start < kPatience &&
         std::find(names.begin(), names.end(), kExplorerTitle) == names.end()) {
    Found f{[&](HWND w) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      return pid == control.pid() && IsWindowVisible(w);
    }};
    EnumWindows(visit, reinterpret_cast<LPARAM>(&f));
    panel = f.window;
    if (HWND list = panel ? waitForChild(panel, [](HWND c) { return className(c) == WC_LISTVIEWA; }, 0)
                          : nullptr)
      names = remoteColumn(list, 0);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  EXPECT_NE(std::find(names.begin(), names.end(), kExplorerTitle), names.end());
  if (panel) {
    settledScreenshot(panel, "setup_control_panel");
    PostMessageA(panel, WM_CLOSE, 0, 0);
  }
  EXPECT_EQ(control.wait(kPatience), 0u);
}

Snapshot g_installed;

TEST(Setup, ASecondSetupReplacesTheInstalledCopyInPlace) {
  Snapshot before = snapshot(false);
  // No folder and no manager given: the installed copy's are taken.
  EXPECT_EQ(run(setupProgram() + " /S"), 0u);
  EXPECT_EQ(difference(before, snapshot(false)), "");
  g_installed = snapshot();
  EXPECT_FALSE(fileExists("C:\\Program Files\\Velmora"));
}

TEST(Setup, AFailedRegistrationOnUpgradeKeepsTheInstalledCopy) {
  Snapshot before = snapshot();
  EXPECT_EQ(run(failingSetup() + " /S"), 2u);
  EXPECT_EQ(difference(before, snapshot()), "");
}

// As the shell holds Fenwold while a window shows My Computer: setup and the uninstaller
// go on, replace or remove what is held at once under another name, keep the registry
// consistent with the files in place, and leave the old copy to the next restart.
TEST(Setup, SetupAndUninstallGoOnWhileAProcessHoldsAModule) {
  const std::string module = installed(
#ifdef HAVE_FENWOLD
      "fenwold.dll"
#else
      "dunmere.cpl"
#endif
  );
  HMODULE holder = LoadLibraryA(module.c_str());
  ASSERT_NE(holder, nullptr);

  EXPECT_EQ(run(setupProgram() + " /S"), 3010u);
  // A new file under the old name, registered; the old one is held elsewhere until the
  // restart deletes it.
  expectBothWidthsRegistered();
  HANDLE fresh = CreateFileA(module.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(fresh, INVALID_HANDLE_VALUE) << "the held file is still in place";
  if (fresh != INVALID_HANDLE_VALUE) CloseHandle(fresh);
  EXPECT_NE(pendingRenames().find("~setup-previous"), std::string::npos) << pendingRenames();

  // The new copy of another module held as well (the old one held is out of the way):
  // the uninstaller, run in place as scripts run it to wait for its end, removes it all
  // the same. Its own file does not stop it, and it stays for its caller.
  const std::string server = installed("corvath.dll");
  ASSERT_EQ(GetModuleHandleA(server.c_str()), nullptr);
  HMODULE serverHolder = LoadLibraryA(server.c_str());
  ASSERT_NE(serverHolder, nullptr);
  EXPECT_EQ(runUninstallerInPlace("/S"), 3010u);
  EXPECT_NE(pendingRenames().find("~removed"), std::string::npos) << pendingRenames();
  expectNothingRegistered();
  EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_FALSE(fileExists(module));
  EXPECT_FALSE(fileExists(server));
  EXPECT_EQ(managerIn(64), "none");
  EXPECT_EQ(managerIn(32), "none");
  EXPECT_TRUE(fileExists(installed("uninstall.exe")));

  FreeLibrary(serverHolder);
  FreeLibrary(holder);
  EXPECT_EQ(restartWindows(), 0u);
  EXPECT_TRUE(DeleteFileA(installed("uninstall.exe").c_str()));
  EXPECT_TRUE(RemoveDirectoryA(kInstallDir));
  EXPECT_EQ(difference(g_pristine, snapshot()), "");
}

TEST(Setup, UninstallInPlaceLeavesThePrefixAsItWas) {
  EXPECT_EQ(run(setupProgram() + " /S /MANAGER=demo /D=" + kInstallDir), 0u);
  EXPECT_EQ(runUninstallerInPlace("/S"), 0u);
  EXPECT_TRUE(DeleteFileA(installed("uninstall.exe").c_str()));
  EXPECT_TRUE(RemoveDirectoryA(kInstallDir));
  EXPECT_EQ(difference(g_pristine, snapshot()), "");
}

TEST(Setup, AnotherScsiManagerIsNeitherReplacedNorRemoved) {
  // Another maker's manager in the 64-bit system folder, none in the 32-bit one.
  ASSERT_TRUE(CopyFileA(env("ORV_OTHER_MANAGER").c_str(), manager(64).c_str(), TRUE));
  const std::string original = contents(manager(64));
  ASSERT_FALSE(original.empty());
  EXPECT_EQ(run(setupProgram() + " /S /MANAGER=demo /D=" + kInstallDir), 0u);
  EXPECT_EQ(contents(manager(64)), original);
  EXPECT_EQ(managerIn(32), "demo");
  EXPECT_EQ(runUninstaller("/S"), 0u);
  EXPECT_EQ(contents(manager(64)), original);
  EXPECT_EQ(managerIn(32), "none");
  EXPECT_FALSE(fileExists(kInstallDir));
  DeleteFileA(manager(64).c_str());
  EXPECT_EQ(difference(g_pristine, snapshot()), "");
}

}  // namespace
