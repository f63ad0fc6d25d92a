#include "applet/applet.h"

#include <commctrl.h>
#include <objbase.h>

#include <cstring>

#include "applet/applet_res.h"
#include "explorer/explorer_dlg.h"
#include "explorer/settings_store.h"
#include "framework/module.h"
#include "framework/msgbox.h"
#include "framework/strings.h"

namespace applet {
namespace {

CPanelApplet* g_applet = nullptr;

template <size_t N>
void copyText(char (&field)[N], const std::string& text) {
  size_t n = text.size() < N - 1 ? text.size() : N - 1;
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

// The record Control Panel hands over: an ANSI NEWCPLINFO, 244 bytes (252 in the 64-bit
// build, where lData and hIcon are 8 bytes; the record is packed).
void fillNewCplInfo(NEWCPLINFOA& info, HICON icon, const std::string& name,
                    const std::string& text) {
  std::memset(&info, 0, sizeof info);
  info.dwSize = sizeof info;
  info.hIcon = icon;
  copyText(info.szName, name);
  copyText(info.szInfo, text);
}
static_assert(sizeof(NEWCPLINFOA) == (sizeof(void*) == 8 ? 252 : 244), "NEWCPLINFO size");

// An open SCSI Explorer window of any program is brought forward instead of a second one.
bool bringForwardExisting(const std::string& title) {
  HWND existing = FindWindowA(nullptr, title.c_str());
  if (!existing) return false;
  if (IsIconic(existing)) ShowWindow(existing, SW_RESTORE);
  SetForegroundWindow(GetLastActivePopup(existing));
  return true;
}

}  // namespace

CPanelApplet::CPanelApplet() { g_applet = this; }
CPanelApplet::~CPanelApplet() {
  if (g_applet == this) g_applet = nullptr;
}
LONG CPanelApplet::OnDblclk(HWND, LPARAM, LPARAM) { return 0; }
LONG CPanelApplet::OnExit() { return 0; }
LONG CPanelApplet::OnGetCount() { return 1; }
LONG CPanelApplet::OnInit() { return 1; }
LONG CPanelApplet::OnSelect(LPARAM, LPARAM) { return 1; }
LONG CPanelApplet::OnStop(LPARAM, LPARAM) { return 1; }

LONG CPanelApplet::OnNewInquire(LPARAM, LPARAM lParam2) {
  auto* info = reinterpret_cast<NEWCPLINFOA*>(lParam2);
  if (!info) return 1;
  fillNewCplInfo(*info, LoadIconA(fw::resourceModule(), MAKEINTRESOURCEA(IDI_APPLET)), "Applet",
                 "Raw Cpl Applet");
  return 0;
}

LONG CExplorerApplet::OnNewInquire(LPARAM, LPARAM lParam2) {
  auto* info = reinterpret_cast<NEWCPLINFOA*>(lParam2);
  if (!info) return 1;
  fillNewCplInfo(*info, LoadIconA(fw::resourceModule(), MAKEINTRESOURCEA(IDI_APPLET)),
                 fw::loadString(IDS_APPLET_NAME), fw::loadString(IDS_APPLET_INFO));
  return 0;
}

LONG CExplorerApplet::OnDblclk(HWND controlPanel, LPARAM, LPARAM) {
  if (bringForwardExisting(fw::loadString(IDS_APPLET_NAME))) return 0;
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  CDunmereApp& app = dunmereApp();
  explorer::CScsiExplorerDlg window(explorer::kAppletFlavor, app.settings(), app.serverFactory(),
                                    controlPanel);
  window.doModal();
  if (window.settingsRead()) app.noteSettingsRead();
  return 0;
}

CDunmereApp::CDunmereApp() : serverFactory_(explorer::corvathServerFactory()) {}

bool CDunmereApp::initInstance() {
  if (started_) return true;
  HRESULT hr = CoInitialize(nullptr);
  // A host thread already in the multithreaded apartment has COM all the same.
  if (FAILED(hr) && hr != RPC_E_CHANGED_MODE) {
    fw::messageBox(nullptr, IDS_COM_FAILED, IDS_CAPTION, MB_OK | MB_ICONERROR);
    return false;
  }
  comInitialised_ = SUCCEEDED(hr);
  started_ = true;
  return true;
}

void CDunmereApp::exitInstance() {
  if (!started_) return;
  std::string key = fw::loadString(IDS_SETTINGS_KEY);
  // Never opened this time: write back what is stored rather than the defaults over it.
  if (!settingsRead_) explorer::readSettings(key, settings_);
  explorer::writeSettings(key, settings_);
  if (comInitialised_) CoUninitialize();
  // As after an unload: the next start begins from the defaults.
  comInitialised_ = false;
  started_ = false;
  settingsRead_ = false;
  settings_ = explorer::ExplorerSettings{};
}

CDunmereApp& dunmereApp() {
  static CDunmereApp app;
  return app;
}

CPanelApplet* currentApplet() { return g_applet; }

LONG appletMessage(HWND controlPanel, UINT message, LPARAM lParam1, LPARAM lParam2) {
  CDunmereApp& app = dunmereApp();
  CPanelApplet* applet = currentApplet();
  if (!applet) return 0;
  switch (message) {
    case CPL_INIT:
      if (!app.initInstance()) return 0;
      return applet->OnInit();
    case CPL_GETCOUNT:
      return applet->OnGetCount();
    case CPL_INQUIRE:
      return 0;  // everything comes with CPL_NEWINQUIRE
    case CPL_SELECT:
      return applet->OnSelect(lParam1, lParam2);
    case CPL_DBLCLK:
      return applet->OnDblclk(controlPanel, lParam1, lParam2);
    case CPL_STOP:
      return applet->OnStop(lParam1, lParam2);
    case CPL_EXIT: {
      LONG result = applet->OnExit();
      app.exitInstance();
      return result;
    }
    case CPL_NEWINQUIRE:
      return applet->OnNewInquire(lParam1, lParam2);
    case CPL_STARTWPARMSA:
    case CPL_STARTWPARMSW:
      // "Not handled": the Control Panel then sends CPL_DBLCLK and the window opens.
      return 0;
    default:
      return 1;
  }
}

}  // namespace applet
