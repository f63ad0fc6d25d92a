// The suite's setup as an administrator meets it, in a Wine prefix of its own that
// installer_test.sh has just made: a failing setup that leaves nothing, the interactive
// pages, the installed suite in use, a second setup over the first, refusals while a
// file is in use or a registration fails, and an uninstall that leaves the prefix as it
// found it. The tests run in this order and build on each other.
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
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvane60";
constexpr char kAppPathKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Orvane";
constexpr char kCplsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\Cpls";
constexpr char kExplorerTitle[] = "Velmora SCSI Explorer";
constexpr char kSetupTitle[] = "Orvane 6.0 Setup";
constexpr DWORD kPatience = 60000;

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}
std::string setupProgram() { return env("ORV_SETUP"); }
std::string failingSetup() { return env("ORV_FAILING_SETUP"); }
std::string installed(const std::string& name) { return std::string(kInstallDir) + "\\" + name; }

// What the suite puts in the install folder.
std::vector<std::string> suiteFiles() {
  std::vector<std::string> files = {"corvath.dll", "dunmere.cpl", "pellmark.exe", "orvane60.chm",
                                    "images\\devbackground.bmp", "images\\backgrounder.bmp",
                                    "uninstall.exe"};
#ifdef HAVE_FENWOLD
  files.push_back("fenwold.dll");
#endif
#ifdef HAVE_GASTREL
  files.push_back("gastrel.dll");
#endif
  return files;
}

bool fileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string systemFolder() {
  char path[MAX_PATH] = {};
  GetSystemDirectoryA(path, MAX_PATH);
  return path;
}

// ---- registry and files ---------------------------------------------------------------

bool readText(HKEY root, const std::string& key, const char* name, std::string& out) {
  fw::RegKey k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, k.put()) != ERROR_SUCCESS) return false;
  char data[1024] = {};
  DWORD size = sizeof data - 1, type = 0;
  if (RegQueryValueExA(k.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return false;
  out = data;
  return true;
}

std::string text(HKEY root, const std::string& key, const char* name) {
  std::string v;
  return readText(root, key, name, v) ? v : "<missing>";
}

DWORD dword(HKEY root, const std::string& key, const char* name) {
  fw::RegKey k;
  DWORD v = 0xFFFFFFFF, size = sizeof v;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, k.put()) == ERROR_SUCCESS)
    RegQueryValueExA(k.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size);
  return v;
}

bool keyExists(HKEY root, const std::string& key) {
  fw::RegKey k;
  return RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, k.put()) == ERROR_SUCCESS;
}

bool sameText(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// The class ids whose in-process server is that module.
std::vector<std::string> classesServedBy(const std::string& module) {
  std::vector<std::string> out;
  fw::RegKey clsid;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, clsid.put()) != ERROR_SUCCESS) return out;
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
  return p.wait(kPatience);
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
  if (WaitForSingleObject(copy, kPatience) == WAIT_OBJECT_0) GetExitCodeProcess(copy, &code);
  CloseHandle(copy);
  return code;
}

// Runs the uninstaller where it stands, without its copy: its own exit code. For the
// cases where it refuses and so never needs to remove itself.
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

HWND waitForText(HWND w, const std::string& wanted) {
  return waitForChild(w, [&](HWND c) { return windowText(c) == wanted; });
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

// ---- the sequence ---------------------------------------------------------------------

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
  EXPECT_EQ(SendMessageA(tree, TVM_GETCOUNT, 0, 0), 2);
  settledScreenshot(w, "setup_2_components");
  press(w, IDOK);

  ASSERT_NE(waitForText(w, "Choose Install Location"), nullptr);
  waitUntilIdle(setup);
  HWND folder = waitForChild(w, [](HWND c) { return GetDlgCtrlID(c) == 1019; });
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(windowText(folder), "C:\\Program Files\\Velmora\\Orvane 6.0");
  SendMessageA(folder, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kInstallDir));
  waitUntilIdle(setup);
  settledScreenshot(w, "setup_3_folder");
  press(w, IDOK);

  ASSERT_NE(waitForText(w, "Installation Complete"), nullptr);
  waitUntilIdle(setup);
  settledScreenshot(w, "setup_4_installed");
  press(w, IDOK);

  ASSERT_NE(waitForText(w, "Completing Orvane 6.0 Setup"), nullptr);
  waitUntilIdle(setup);
  settledScreenshot(w, "setup_5_finish");
  press(w, IDOK);
  EXPECT_EQ(setup.wait(kPatience), 0u);
}

TEST(Setup, PutsFilesKeysAndRegistrationsInPlace) {
  for (const auto& f : suiteFiles()) EXPECT_TRUE(fileExists(installed(f))) << f;
  EXPECT_FALSE(fileExists(installed("~setup-previous")));
  // The demo bus: there was no manager, so the simulated one went where Corvath finds it
  // from any process.
  EXPECT_TRUE(fileExists(systemFolder() + "\\wnvrax32.dll"));
  EXPECT_FALSE(fileExists(installed("wnvrax32.dll")));

  EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kAppPathKey, "Path"), kInstallDir);
  EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kCplsKey, "Orvane60"), installed("dunmere.cpl"));

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
  EXPECT_EQ(dword(HKEY_LOCAL_MACHINE, kUninstallKey, "DemoBus"), 1u);

  // Corvath: the ProgID leads to the installed module, its type library is registered.
  std::string clsid = text(HKEY_CLASSES_ROOT, "Corvath.CorvathObj\\CLSID", nullptr);
  EXPECT_EQ(text(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32", nullptr),
            installed("corvath.dll"));
  EXPECT_EQ(classesServedBy(installed("corvath.dll")), std::vector<std::string>{clsid});
  EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, "TypeLib\\{8B891CFD-6E58-4FD2-B3D1-A020DC302D08}"));
#ifdef HAVE_FENWOLD
  // The folder under My Computer.
  auto folders = classesServedBy(installed("fenwold.dll"));
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE,
                        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer\\NameSpace\\" +
                            folders[0]));
#endif
#ifdef HAVE_GASTREL
  // Three bands, each in its component category.
  auto bands = classesServedBy(installed("gastrel.dll"));
  EXPECT_EQ(bands.size(), 3u);
  for (const auto& band : bands)
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, "CLSID\\" + band + "\\Implemented Categories")) << band;
#endif

  std::string target, workingFolder;
  ASSERT_TRUE(readShortcut(startMenuFolder() + "\\Orvane 6.0 Help.lnk", target, workingFolder));
  EXPECT_TRUE(sameText(target, installed("orvane60.chm"))) << target;
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
  // No folder given: the installed copy's is taken.
  EXPECT_EQ(run(setupProgram() + " /S"), 0u);
  EXPECT_EQ(difference(before, snapshot(false)), "");
  g_installed = snapshot();
  EXPECT_FALSE(fileExists("C:\\Program Files\\Velmora"));
}

TEST(Setup, SetupAndUninstallRefuseWhileTheExplorerRuns) {
  Child program;
  ASSERT_TRUE(program.start("\"" + installed("pellmark.exe") + "\"", {}, kInstallDir));
  HWND w = waitForWindow(program.pid(), kExplorerTitle, nullptr, kPatience);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(run(setupProgram() + " /S"), 2u);
  EXPECT_EQ(runUninstallerInPlace("/S"), 2u);
  EXPECT_EQ(difference(g_installed, snapshot()), "");
  PostMessageA(w, WM_COMMAND, ID_STANDALONE_CLOSE, 0);
  EXPECT_EQ(program.wait(kPatience), 0u);
}

TEST(Setup, AFailedRegistrationOnUpgradeKeepsTheInstalledCopy) {
  Snapshot before = snapshot();
  EXPECT_EQ(run(failingSetup() + " /S"), 2u);
  EXPECT_EQ(difference(before, snapshot()), "");
}

TEST(Setup, UninstallLeavesThePrefixAsItWas) {
  EXPECT_EQ(runUninstaller("/S"), 0u);
  EXPECT_EQ(difference(g_pristine, snapshot()), "");
}

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

TEST(Setup, AnotherScsiManagerIsNeitherReplacedNorRemoved) {
  const std::string manager = systemFolder() + "\\wnvrax32.dll";
  ASSERT_TRUE(CopyFileA(env("ORV_OTHER_MANAGER").c_str(), manager.c_str(), TRUE));
  const std::string original = contents(manager);
  ASSERT_FALSE(original.empty());
  EXPECT_EQ(run(setupProgram() + " /S /D=" + kInstallDir), 0u);
  EXPECT_EQ(contents(manager), original);
  EXPECT_EQ(dword(HKEY_LOCAL_MACHINE, kUninstallKey, "DemoBus"), 0u);
  EXPECT_EQ(runUninstaller("/S"), 0u);
  EXPECT_EQ(contents(manager), original);
  EXPECT_FALSE(fileExists(kInstallDir));
  DeleteFileA(manager.c_str());
}

}  // namespace
