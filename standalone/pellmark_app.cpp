#include "standalone/pellmark_app.h"

#include <commctrl.h>
#include <objbase.h>
#include <ole2.h>

#include "explorer/explorer_dlg.h"
#include "explorer/settings_store.h"
#include "framework/module.h"
#include "framework/strings.h"
#include "standalone/pellmark_res.h"

namespace standalone {
namespace {

// COM and OLE for the program's thread, released in the reverse order.
class ComScope {
 public:
  ComScope() : com_(SUCCEEDED(CoInitialize(nullptr))), ole_(SUCCEEDED(OleInitialize(nullptr))) {}
  ~ComScope() {
    if (ole_) OleUninitialize();
    if (com_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool com_;
  bool ole_;
};

}  // namespace

bool registerWindowClass(HINSTANCE module) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExA(module, kWindowClass, &wc)) return true;
  if (!GetClassInfoExA(nullptr, MAKEINTATOM(0x8002), &wc)) return false;  // "#32770"
  wc.cbSize = sizeof wc;
  wc.hInstance = module;
  wc.lpszClassName = kWindowClass;
  return RegisterClassExA(&wc) != 0;
}

CPellmarkApp::CPellmarkApp() : serverFactory_(explorer::corvathServerFactory()) {}

int CPellmarkApp::run() {
  if (!initInstance()) {
    exitInstance();
    return 0;
  }
  {
    ComScope com;  // a failure shows later, as the object that cannot be created
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    explorer::CScsiExplorerDlg window(explorer::kStandaloneFlavor, settings_, serverFactory_,
                                      nullptr);
    window.doModal();
    settingsRead_ = window.settingsRead();
    exitInstance();
  }
  return 0;
}

bool CPellmarkApp::initInstance() {
  std::string title = fw::loadString(IDS_PROGRAM_TITLE);
  if (HWND existing = FindWindowA(nullptr, title.c_str())) {
    if (IsIconic(existing)) ShowWindow(existing, SW_RESTORE);
    SetForegroundWindow(GetLastActivePopup(existing));
    return false;
  }
  registerWindowClass(fw::resourceModule());
  started_ = true;
  return true;
}

void CPellmarkApp::exitInstance() {
  if (!started_) return;
  std::string key = fw::loadString(IDS_SETTINGS_KEY);
  // The window may have ended before reading them: keep what is stored then.
  if (!settingsRead_) explorer::readSettings(key, settings_);
  explorer::writeSettings(key, settings_);
  started_ = false;
}

}  // namespace standalone
