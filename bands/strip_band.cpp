// AppStripBand: the horizontal explorer bar with a slowly scrolling strip of programs to
// start: the web resource, the help lesson and the applications registered with Corvath.
#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>
#include <shlobj.h>

#include <oleacc.h>

#include <climits>
#include <string>
#include <vector>

#include "bands/band_object.h"
#include "bands/command_text.h"
#include "bands/gastrel_res.h"
#include "bands/strip_layout.h"
#include "contract/app_descriptor.h"
#include "framework/accessible.h"
#include "framework/classfactory.h"
#include "framework/comptr.h"
#include "framework/dpi.h"
#include "framework/module.h"
#include "framework/regkey.h"
#include "framework/strings.h"

namespace bands {
namespace {

constexpr UINT_PTR kScrollTimer = 1;
constexpr UINT kScrollMs = 50;
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

std::wstring wide(std::string_view text) {
  int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0)
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
  return out;
}

}  // namespace

class StripBand : public BandObject, private fw::AccessibleSource {
 public:
  StripBand() : BandObject(BandKind::strip, CLSID_AppStripBand) {}

  STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last,
                                UINT flags) override;
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
  STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT* reserved, LPSTR name,
                                UINT size) override {
    return bandCommandString(command, type, name, size, "Comm Band command help text");
  }

 protected:
  WindowClass windowClass() const override {
    return {"ScsiCommBarClass", CS_HREDRAW | CS_VREDRAW | CS_GLOBALCLASS | CS_DBLCLKS,
            COLOR_WINDOW, true};
  }
  void onCreate() override;
  LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  void onShow(bool show) override;
  void onClose() override;
  // The shell's Properties of the entry's program, which the host may outlive.
  void onModal(WPARAM, LPARAM entry) override { showFileProperties(static_cast<int>(entry)); }
  void onFocus() override {
    focused_ = true;
    choose(chosen_);
  }
  void onFocusLost() override {
    focused_ = false;
    renderStrip(-1);
    if (window()) InvalidateRect(window(), nullptr, FALSE);
  }

 private:
  int entryCount() const { return static_cast<int>(entries_.size()); }
  int clientWidth() const;
  int entryUnderCursor() const;
  void buildEntries();
  void renderStrip(int highlight);
  void addTools();
  void paint(HDC dc);
  void tick();
  void start(int entry);
  void showFileProperties(int entry);
  LRESULT onNotify(NMHDR* header, bool& handled);
  // The keys of a person without a mouse: arrows, Home and End choose an entry (the strip
  // holds still while the band has the focus), Enter starts it.
  bool onKey(WPARAM key);
  void choose(int entry);
  // Shift+F10 or the menu key: "&Property" for the chosen entry, below it.
  void keyboardMenu();
  // The chosen entry as the window shows it; empty when it does not show.
  RECT chosenRect() const;
  // The lengths for the band's screen; the strip is drawn again when they change.
  void takeMetrics();
  // The entries read as their names, with the description as value.
  long accessibleCount(HWND window) override { return entryCount(); }
  bool accessibleItem(HWND window, long child, fw::AccessibleItem& out) override;
  bool accessibleDoDefault(HWND window, long child) override;
  long accessibleFocus(HWND window) override;

  std::vector<srv::AppDescriptor> entries_;
  HBITMAP strip_ = nullptr;
  int highlight_ = -1;
  int chosen_ = 0;  // the keyboard's entry
  bool focused_ = false;
  int offset_ = 0;
  StripMetrics metrics_ = stripMetrics(fw::kBaseDpi);
  bool timerRunning_ = false;
  HWND tooltip_ = nullptr;
  std::wstring tipText_;
};

void StripBand::onCreate() {
  metrics_ = stripMetrics(fw::dpiOf(window()));
  if (!connectCorvath()) return;
  buildEntries();
  renderStrip(-1);
  addTools();
  fw::attachAccessible(window(), this);
}

void StripBand::takeMetrics() {
  const StripMetrics now = stripMetrics(fw::dpiOf(window()));
  if (now.entryWidth == metrics_.entryWidth && now.height == metrics_.height) return;
  metrics_ = now;
  offset_ = 0;
  if (strip_) DeleteObject(strip_);
  strip_ = nullptr;
  renderStrip(highlight_);
  if (tooltip_ && IsWindow(tooltip_)) DestroyWindow(tooltip_);
  tooltip_ = nullptr;
  addTools();
  InvalidateRect(window(), nullptr, FALSE);
}

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

int StripBand::clientWidth() const {
  RECT rc = {};
  GetClientRect(window(), &rc);
  return rc.right;
}

int StripBand::entryUnderCursor() const {
  POINT pt = cursorIn(window());
  RECT rc = {};
  GetClientRect(window(), &rc);
  if (!PtInRect(&rc, pt)) return -1;
  return entryAt(pt.x, offset_, entryCount(), rc.right, metrics_.entryWidth);
}

void StripBand::renderStrip(int highlight) {
  highlight_ = highlight;
  const StripMetrics& m = metrics_;
  const int width = stripWidth(entryCount(), m.entryWidth);
  if (width <= 0) return;
  HDC screen = GetDC(window());
  if (!strip_) strip_ = CreateCompatibleBitmap(screen, width, m.height);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ oldBitmap = SelectObject(dc, strip_);
  // The menu font of the band's screen (the stock font is made for the system DPI).
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof metrics;
  HFONT font = nullptr;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    metrics.lfMenuFont.lfHeight =
        MulDiv(metrics.lfMenuFont.lfHeight, static_cast<int>(fw::dpiOf(window())),
               GetDeviceCaps(screen, LOGPIXELSY));
    font = CreateFontIndirectA(&metrics.lfMenuFont);
  }
  HGDIOBJ oldFont = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  const int iconSide = fw::systemMetric(SM_CXICON, fw::dpiOf(window()));
  for (int i = 0; i < entryCount(); ++i) {
    const srv::AppDescriptor& e = entries_[i];
    const bool lit = i == highlight;
    RECT cell = {m.entryWidth * i, 0, m.entryWidth * (i + 1), m.height};
    FillRect(dc, &cell, GetSysColorBrush(lit ? COLOR_HIGHLIGHT : COLOR_MENU));
    if (e.appIcon) {
      DrawIconEx(dc, cell.left, (m.height - iconSide) / 2,
                 reinterpret_cast<HICON>(static_cast<intptr_t>(static_cast<int32_t>(e.appIcon))), iconSide, iconSide,
                 0, nullptr, DI_NORMAL);
    }
    // Menu text on the menu colour: the pair a scheme makes legible.
    SetTextColor(dc, GetSysColor(lit ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    RECT text = {cell.left + iconSide + m.iconTextGap, m.textTop, cell.right, m.height};
    std::string name(fieldText(e.appName));
    DrawTextA(dc, name.c_str(), static_cast<int>(name.size()), &text,
              DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  SelectObject(dc, oldFont);
  if (font) DeleteObject(font);
  SelectObject(dc, oldBitmap);
  DeleteDC(dc);
  ReleaseDC(window(), screen);
}

void StripBand::addTools() {
  tooltip_ = createTooltip();
  if (!tooltip_) return;
  SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
  for (int i = 0; i < entryCount(); ++i) {
    TTTOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = window();
    tool.uId = static_cast<UINT_PTR>(i);
    tool.rect = {metrics_.entryWidth * i, 0, metrics_.entryWidth * (i + 1), metrics_.tipHeight};
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void StripBand::paint(HDC dc) {
  RECT rc = {};
  GetClientRect(window(), &rc);
  const int width = stripWidth(entryCount(), metrics_.entryWidth);
  HDC mem = strip_ ? CreateCompatibleDC(dc) : nullptr;
  HGDIOBJ old = mem ? SelectObject(mem, strip_) : nullptr;
  if (mem) {
    for (int origin : copyOrigins(offset_, width, rc.right))
      BitBlt(dc, origin, 0, width, metrics_.height, mem, 0, 0, SRCCOPY);
  }
  // Below the strip, and everywhere when there is none.
  RECT rest = {0, mem ? metrics_.height : 0, rc.right, rc.bottom};
  if (rest.bottom > rest.top) FillRect(dc, &rest, GetSysColorBrush(COLOR_MENU));
  if (mem) {
    SelectObject(mem, old);
    DeleteDC(mem);
  }
  // Where the keyboard is, while the band has the focus.
  if (focused_) {
    RECT chosen = chosenRect();
    if (!IsRectEmpty(&chosen)) {
      InflateRect(&chosen, -1, -1);
      SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
      SetBkColor(dc, GetSysColor(COLOR_MENU));
      DrawFocusRect(dc, &chosen);
    }
  }
}

RECT StripBand::chosenRect() const {
  RECT rc = {};
  GetClientRect(window(), &rc);
  const int left = entryLeft(chosen_, offset_, entryCount(), rc.right, metrics_.entryWidth);
  if (left == INT_MIN) return RECT{};
  return RECT{left, 0, left + metrics_.entryWidth, metrics_.height};
}

void StripBand::choose(int entry) {
  if (entryCount() <= 0) return;
  chosen_ = entry < 0 ? 0 : entry >= entryCount() ? entryCount() - 1 : entry;
  offset_ = offsetShowing(chosen_, offset_, entryCount(), clientWidth(), metrics_.entryWidth);
  renderStrip(chosen_);
  InvalidateRect(window(), nullptr, FALSE);
  NotifyWinEvent(EVENT_OBJECT_FOCUS, window(), OBJID_CLIENT, chosen_ + 1);
}

bool StripBand::onKey(WPARAM key) {
  switch (key) {
    case VK_LEFT: choose(chosen_ - 1); return true;
    case VK_RIGHT: choose(chosen_ + 1); return true;
    case VK_HOME: choose(0); return true;
    case VK_END: choose(entryCount() - 1); return true;
    case VK_RETURN: start(chosen_); return true;
    default: return false;
  }
}

void StripBand::keyboardMenu() {
  RECT chosen = chosenRect();
  if (IsRectEmpty(&chosen)) return;
  POINT at = {chosen.left, chosen.bottom};
  ClientToScreen(window(), &at);
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  constexpr UINT kProperty = 1;
  AppendMenuA(menu, MF_STRING, kProperty, fw::loadString(IDS_PROPERTY).c_str());
  const UINT picked = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, window(), nullptr));
  DestroyMenu(menu);
  if (picked == kProperty) showFileProperties(chosen_);
}

bool StripBand::accessibleItem(HWND, long child, fw::AccessibleItem& out) {
  if (child == CHILDID_SELF) return false;
  if (child < 1 || child > entryCount()) return false;
  const int entry = static_cast<int>(child - 1);
  const srv::AppDescriptor& e = entries_[static_cast<size_t>(entry)];
  out.name = fw::widen(std::string(fieldText(e.appName)));
  out.value = fw::widen(std::string(fieldText(e.appDescription)));
  out.description = out.value;
  out.role = ROLE_SYSTEM_PUSHBUTTON;
  out.defaultAction = fw::widen(fw::loadString(IDS_ACC_START));
  out.state = STATE_SYSTEM_FOCUSABLE;
  if (focused_ && entry == chosen_) out.state |= STATE_SYSTEM_FOCUSED;
  if (entry == highlight_) out.state |= STATE_SYSTEM_HOTTRACKED;
  RECT rc = {};
  GetClientRect(window(), &rc);
  const int left = entryLeft(entry, offset_, entryCount(), rc.right, metrics_.entryWidth);
  if (left == INT_MIN) {
    out.state |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
  } else {
    out.bounds = {left, 0, left + metrics_.entryWidth, metrics_.height};
  }
  return true;
}

bool StripBand::accessibleDoDefault(HWND, long child) {
  if (child < 1 || child > entryCount()) return false;
  start(static_cast<int>(child - 1));
  return true;
}

long StripBand::accessibleFocus(HWND) { return focused_ ? chosen_ + 1 : -1; }

void StripBand::tick() {
  RECT band = {};
  GetWindowRect(window(), &band);
  POINT pt = {};
  GetCursorPos(&pt);
  // The strip holds still while the cursor rests on it or the keyboard works in it.
  if (PtInRect(&band, pt) || focused_) return;
  offset_ = nextOffset(offset_, stripWidth(entryCount(), metrics_.entryWidth), metrics_.scrollStep);
  if (highlight_ != -1) renderStrip(-1);
  InvalidateRect(window(), nullptr, FALSE);
}

void StripBand::onShow(bool show) {
  if (!window()) return;
  if (show && !timerRunning_) {
    offset_ = 0;
    timerRunning_ = SetTimer(window(), kScrollTimer, kScrollMs, nullptr) != 0;
  } else if (!show && timerRunning_) {
    KillTimer(window(), kScrollTimer);
    timerRunning_ = false;
  }
}

void StripBand::onClose() {
  if (window()) fw::detachAccessible(window());
  if (timerRunning_ && window()) KillTimer(window(), kScrollTimer);
  timerRunning_ = false;
  if (tooltip_ && IsWindow(tooltip_)) DestroyWindow(tooltip_);
  tooltip_ = nullptr;
  if (strip_) DeleteObject(strip_);
  strip_ = nullptr;
  entries_.clear();
  highlight_ = -1;
  chosen_ = 0;
  focused_ = false;
  offset_ = 0;
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

LRESULT StripBand::onNotify(NMHDR* header, bool& handled) {
  if (!header || (header->code != TTN_NEEDTEXTA && header->code != TTN_NEEDTEXTW)) return 0;
  const int entry = entryUnderCursor();
  const std::string_view text =
      entry >= 0 ? fieldText(entries_[entry].appDescription) : std::string_view();
  if (header->code == TTN_NEEDTEXTA) {
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
    info->hinst = nullptr;
    if (entry >= 0) {
      info->lpszText = entries_[entry].appDescription;
    } else {
      info->szText[0] = '\0';
      info->lpszText = info->szText;
    }
  } else {
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    info->hinst = nullptr;
    tipText_ = wide(text);
    info->lpszText = &tipText_[0];
  }
  handled = true;
  return 0;
}

LRESULT StripBand::onMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window(), &ps);
      paint(dc);
      EndPaint(window(), &ps);
      handled = true;
      return 0;
    }
    case WM_PRINTCLIENT:
      paint(reinterpret_cast<HDC>(wParam));
      handled = true;
      return 0;
    case WM_ERASEBKGND:
      handled = true;
      return 1;
    case WM_TIMER:
      if (wParam != kScrollTimer) return 0;
      tick();
      handled = true;
      return 0;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == window()) {
        const int entry = entryUnderCursor();
        if (entry != highlight_) {
          renderStrip(entry);
          InvalidateRect(window(), nullptr, FALSE);
        }
      }
      return 0;  // and the class cursor, by default processing
    case WM_LBUTTONDBLCLK:
      // One click point lies in exactly one entry's range: one program starts.
      start(entryAt(GET_X_LPARAM(lParam), offset_, entryCount(), clientWidth(), metrics_.entryWidth));
      handled = true;
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(window());
      return 0;
    case WM_GETDLGCODE:
      handled = true;
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
      handled = onKey(wParam);
      return 0;
    case WM_CONTEXTMENU:
      if (GET_X_LPARAM(lParam) != -1 || GET_Y_LPARAM(lParam) != -1) return 0;  // the host's
      keyboardMenu();
      handled = true;
      return 0;
    case fw::kDpiChangedAfterParent:
      takeMetrics();
      handled = true;
      return 0;
    case WM_NOTIFY:
      return onNotify(reinterpret_cast<NMHDR*>(lParam), handled);
    default:
      return 0;
  }
}

// ---- IContextMenu ----------------------------------------------------------------------

STDMETHODIMP StripBand::QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last,
                                         UINT flags) {
  if (flags & CMF_DEFAULTONLY) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
  // Only ids up to the host's last one.
  if (first + 1 <= last)
    InsertMenuA(menu, index, MF_BYPOSITION | MF_STRING, first + 1,
                fw::loadString(IDS_PROPERTY).c_str());
  return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2);
}

STDMETHODIMP StripBand::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  if (!info || HIWORD(reinterpret_cast<UINT_PTR>(info->lpVerb))) return E_INVALIDARG;
  if (LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb)) != 1) return E_INVALIDARG;
  if (window()) runModal(0, entryUnderCursor());
  return S_OK;
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
  std::wstring folderText = wide(folderPath), fileText = wide(fileName);
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

HRESULT createStripBand(REFIID iid, void** out) { return fw::createObject<StripBand>(iid, out); }

}  // namespace bands
