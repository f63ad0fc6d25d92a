#include "pages/help.h"

#include "framework/module.h"
#include "framework/strings.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace srv {
namespace {

constexpr const char* kHelpControlLibrary = "hhctrl.ocx";

// The HTML Help control, loaded once on the first request. The library stays loaded for
// the life of the process: help windows it opened may outlive any request, and freeing it
// under them would leave their window procedures without code.
class HelpControl {
 public:
  HtmlHelpFunction function() {
    if (override_) return override_;
    if (!tried_) {
      tried_ = true;
      HMODULE library = LoadLibraryA(libraryName_.c_str());
      if (library)
        function_ = reinterpret_cast<HtmlHelpFunction>(
            reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpA")));
    }
    return function_;
  }
  void setOverride(HtmlHelpFunction function) { override_ = function; }
  void setLibrary(const char* name) {
    libraryName_ = name ? name : kHelpControlLibrary;
    tried_ = false;
    function_ = nullptr;
  }

 private:
  std::string libraryName_ = kHelpControlLibrary;
  bool tried_ = false;
  HtmlHelpFunction function_ = nullptr;
  HtmlHelpFunction override_ = nullptr;
};

HelpControl& helpControl() {
  static HelpControl control;
  return control;
}

std::string moduleFolder() {
  return fw::moduleFolder(reinterpret_cast<HMODULE>(&__ImageBase));
}

}  // namespace

HWND htmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data) {
  HtmlHelpFunction function = helpControl().function();
  return function ? function(caller, file, command, data) : nullptr;
}

void setHtmlHelpForTesting(HtmlHelpFunction function) { helpControl().setOverride(function); }

void setHelpControlForTesting(const char* libraryName) { helpControl().setLibrary(libraryName); }

std::string contextHelpPath() { return moduleFolder() + kContextTopicsSuffix; }

std::string helpFilePath() { return moduleFolder() + kHelpFileName; }

BOOL onHelpInfo(const HELPINFO* info, const HelpPair* pairs) {
  if (!info || info->iContextType != HELPINFO_WINDOW) return TRUE;
  std::string path = contextHelpPath();
  HWND shown = htmlHelp(static_cast<HWND>(info->hItemHandle), path.c_str(), kHhTpHelpWmHelp,
                        reinterpret_cast<DWORD_PTR>(pairs));
  return shown != nullptr;
}

HWND contextHelpTarget(HWND page, HWND window, POINT screenPoint) {
  POINT point = screenPoint;
  ScreenToClient(page, &point);
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    // A hidden control is not what the user pointed at.
    if (!IsWindowVisible(child)) continue;
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rect), 2);
    if (PtInRect(&rect, point)) return child;
  }
  return window;
}

void onContextMenu(HWND page, HWND window, POINT screenPoint, const HelpPair* pairs) {
  HWND target = contextHelpTarget(page, window, screenPoint);
  std::string path = contextHelpPath();
  htmlHelp(target, path.c_str(), kHhTpHelpContextMenu, reinterpret_cast<DWORD_PTR>(pairs));
}

PopupContent popupContent(const TextPopupUser& user, UINT controlId) {
  std::string text = fw::loadString(popupStringId(user, controlId));
  if (!text.empty()) return {text, user.foundBackground};
  std::string fallback = user.fallbackStringId ? fw::loadString(user.fallbackStringId) : "";
  if (fallback.empty()) fallback = user.fallbackText;
  return {fallback, user.fallbackBackground};
}

void showTextPopup(const TextPopupUser& user, HWND itemWindow, POINT screenPoint,
                   UINT controlId) {
  PopupContent content = popupContent(user, controlId);
  HelpPopup popup = {};
  popup.cbStruct = sizeof popup;
  popup.hinst = nullptr;
  popup.idString = 0;
  popup.pszText = content.text.c_str();
  popup.pt = screenPoint;
  popup.clrForeground = static_cast<COLORREF>(-1);  // the default text colour
  popup.clrBackground = content.background;
  popup.rcMargins = RECT{-1, 0, -1, -1};
  popup.pszFont = nullptr;
  htmlHelp(itemWindow, nullptr, kHhDisplayTextPopup, reinterpret_cast<DWORD_PTR>(&popup));
}

HWND showFullHelp(HWND caller) {
  std::string path = helpFilePath();
  return htmlHelp(caller, path.c_str(), kHhDisplayTopic, 0);
}

}  // namespace srv
