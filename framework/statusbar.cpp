#include "framework/statusbar.h"

#include <commctrl.h>

#include "framework/menuprompt.h"
#include "framework/strings.h"

namespace fw {

static_assert(menuflag::kPopup == MF_POPUP && menuflag::kSeparator == MF_SEPARATOR &&
                  menuflag::kMenuBreak == MF_MENUBREAK &&
                  menuflag::kMenuBarBreak == MF_MENUBARBREAK && menuflag::kSysMenu == MF_SYSMENU,
              "menu flags");

bool StatusBar::create(HWND parent, UINT id) {
  bar_ =
      CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | CCS_BOTTOM | SBARS_SIZEGRIP,
                      0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                      GetModuleHandleA(nullptr), nullptr);
  if (!bar_) return false;
  int stretch = -1;
  SendMessageA(bar_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&stretch));
  return true;
}

void StatusBar::setIdleText(const std::string& text) {
  idle_ = text;
  setText(idle_);
}

void StatusBar::setText(const std::string& text) {
  if (bar_) SendMessageA(bar_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string StatusBar::text() const {
  if (!bar_) return std::string();
  size_t length = LOWORD(SendMessageA(bar_, SB_GETTEXTLENGTHA, 0, 0));
  std::string out(length + 1, '\0');
  SendMessageA(bar_, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(&out[0]));
  out.resize(length);
  return out;
}

void StatusBar::show(bool visible) {
  if (bar_) ShowWindow(bar_, visible ? SW_SHOW : SW_HIDE);
}

bool StatusBar::visible() const { return bar_ && IsWindowVisible(bar_); }

int StatusBar::layout() {
  if (!bar_ || !(GetWindowLongA(bar_, GWL_STYLE) & WS_VISIBLE)) return 0;
  // A status bar places itself along its parent's bottom edge on WM_SIZE.
  SendMessageA(bar_, WM_SIZE, 0, 0);
  RECT r;
  GetWindowRect(bar_, &r);
  return r.bottom - r.top;
}

void StatusBar::onMenuSelect(WPARAM wParam, LPARAM lParam) {
  MenuPrompt prompt = menuPrompt(LOWORD(wParam), HIWORD(wParam), lParam == 0);
  switch (prompt.kind) {
    case MenuPromptKind::Idle: setText(idle_); break;
    case MenuPromptKind::Prompt: setText(loadString(prompt.stringId)); break;
    case MenuPromptKind::Blank: setText(std::string()); break;
  }
}

}  // namespace fw
