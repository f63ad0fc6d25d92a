// The strip's entries (the two built-in ones and the applications registered with
// Corvath) and the programs they start.
#include "bands/strip_band.h"

#include <shlobj.h>

#include "bands/command_text.h"
#include "bands/gastrel_res.h"
#include "framework/comptr.h"
#include "framework/regkey.h"
#include "framework/strings.h"

namespace bands {
namespace {

constexpr char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Orvane";

// A text value of any length (within reason); empty when the key or value is missing.
std::string readRegistryText(HKEY root, const char* path, const char* name) {
  fw::RegKey key;
  if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return {};
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0 || size > 32768) {
    return {};
  }
  std::vector<char> buffer(size + 1, '\0');
  if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                       &size) != ERROR_SUCCESS) {
    return {};
  }
  return std::string(fieldText(buffer.data(), buffer.size()));
}

// Windows 9x and NT 4 or earlier, whose shell wants the browser's program unquoted.
bool oldShell() {
  const DWORD version = GetVersion();
  return (version & 0x80000000u) != 0 || LOBYTE(LOWORD(version)) <= 4;
}

std::string versionText(const std::vector<char>& block, const char* query) {
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), query, &value, &length) || !value || length == 0) return {};
  return std::string(fieldText(static_cast<const char*>(value), length));
}

// The version resource's file description of the program a command line names.
std::string fileDescription(std::string_view commandLine) {
  for (const std::string& program : programCandidates(commandLine)) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(program.c_str(), &handle);
    if (size == 0) continue;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(program.c_str(), 0, size, block.data())) continue;
    std::string text = versionText(block, "\\StringFileInfo\\040904E4\\FileDescription");
    if (text.empty()) text = versionText(block, "\\StringFileInfo\\040904B0\\FileDescription");
    return text;
  }
  return {};
}

}  // namespace

void StripBand::buildEntries() {
  const short n = corvath().GetAppListCount(srv::kAllDeviceTypes);
  const size_t registered = n > 0 ? static_cast<size_t>(n) : 0;
  entries_.assign(registered + 2, srv::AppDescriptor{});
  if (registered) {
    corvath().GetAppList(srv::kAllDeviceTypes, CorvathObjDriver::address(&entries_[2]));
  }
  // Whatever the server wrote, every text ends inside its field.
  for (srv::AppDescriptor& e : entries_) {
    e.appName[kFieldSize - 1] = e.appPath[kFieldSize - 1] = e.appDescription[kFieldSize - 1] = '\0';
  }

  const std::string browser = browserCommand(
      readRegistryText(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", nullptr), oldShell());
  const std::string folder = readRegistryText(HKEY_LOCAL_MACHINE, kAppPathsKey, "Path");

  struct Builtin {
    unsigned nameId;
    std::string command;
    long icon;
  };
  const Builtin builtins[2] = {
      {IDS_WEB_RESOURCE, webResourceCommand(browser, folder), corvath().GetVelmoraIcon()},
      {IDS_LEARNPATH, learnPathCommand(folder), corvath().GetScsiLogoIcon()},
  };
  for (int i = 0; i < 2; ++i) {
    srv::AppDescriptor& e = entries_[i];
    setField(e.appName, kFieldSize, fw::loadString(builtins[i].nameId));
    // A command line too long for its field is left out: the entry then starts nothing.
    if (setField(e.appPath, kFieldSize, builtins[i].command))
      setField(e.appDescription, kFieldSize, fileDescription(builtins[i].command));
    e.appIcon = static_cast<uint32_t>(builtins[i].icon);
  }
}

void StripBand::start(int entry) {
  if (entry < 0 || entry >= entryCount()) return;
  const std::string_view text = fieldText(entries_[entry].appPath);
  if (text.empty()) return;
  // The program by its name, in quotes on its line: a path with blanks starts itself.
  const ProcessCommand command = processCommand(text, [](const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  });
  std::vector<char> line(command.line.begin(), command.line.end());
  line.push_back('\0');
  // The program starts in its folder; the host's own current folder stays as it is.
  const std::string folder = startFolder(command.line);
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  const bool folderExists =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION pi = {};
  if (CreateProcessA(command.program.empty() ? nullptr : command.program.c_str(), line.data(),
                     nullptr, nullptr, FALSE, HIGH_PRIORITY_CLASS, nullptr,
                     folderExists ? folder.c_str() : nullptr, &si, &pi)) {
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
}

void StripBand::showFileProperties(int entry) {
  if (entry < 0 || entry >= entryCount()) return;
  std::string folderPath, fileName;
  if (!splitProgramPath(fieldText(entries_[entry].appPath), &folderPath, &fileName) ||
      !isBareFileName(fileName)) {
    return;
  }
  fw::ComPtr<IShellFolder> desktop;
  if (FAILED(SHGetDesktopFolder(desktop.put()))) return;
  std::wstring folderText = fw::widen(folderPath), fileText = fw::widen(fileName);
  LPITEMIDLIST folderItem = nullptr, fileItem = nullptr;
  fw::ComPtr<IShellFolder> folder;
  fw::ComPtr<IContextMenu> menu;
  if (SUCCEEDED(desktop->ParseDisplayName(window(), nullptr, &folderText[0], nullptr,
                                          &folderItem, nullptr)) &&
      SUCCEEDED(desktop->BindToObject(folderItem, nullptr, IID_IShellFolder, folder.putVoid())) &&
      SUCCEEDED(folder->ParseDisplayName(window(), nullptr, &fileText[0], nullptr, &fileItem,
                                         nullptr))) {
    LPCITEMIDLIST items[] = {fileItem};
    folder->GetUIObjectOf(window(), 1, items, IID_IContextMenu, nullptr, menu.putVoid());
  }
  if (menu) {
    constexpr UINT kFirst = 1;
    HMENU popup = CreatePopupMenu();
    if (popup && SUCCEEDED(menu->QueryContextMenu(popup, 0, kFirst, 0x7FFF, CMF_EXPLORE))) {
      const int items = GetMenuItemCount(popup);
      for (int i = 0; i < items; ++i) {
        const UINT id = GetMenuItemID(popup, i);
        if (id == static_cast<UINT>(-1) || id < kFirst) continue;
        char verb[64] = {};
        if (FAILED(menu->GetCommandString(id - kFirst, GCS_VERBA, nullptr, verb, sizeof verb)))
          continue;
        verb[sizeof verb - 1] = '\0';
        if (lstrcmpiA(verb, "properties") != 0) continue;
        CMINVOKECOMMANDINFO invoke = {};
        invoke.cbSize = sizeof invoke;
        invoke.hwnd = window();
        invoke.lpVerb = MAKEINTRESOURCEA(id - kFirst);
        invoke.nShow = SW_SHOWNORMAL;
        menu->InvokeCommand(&invoke);
        break;
      }
    }
    if (popup) DestroyMenu(popup);
  }
  if (fileItem) CoTaskMemFree(fileItem);
  if (folderItem) CoTaskMemFree(folderItem);
}

}  // namespace bands
