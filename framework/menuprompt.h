// The status-bar prompt rule of windows with a menu: while a menu is browsed the bar
// shows the prompt string of the highlighted command (string id = command id); when the
// menu closes it shows the window's own text again. Platform-free so the rule is tested
// natively; the flag values are those of WM_MENUSELECT.
#pragma once

namespace fw {

namespace menuflag {
constexpr unsigned kMenuBarBreak = 0x0020;
constexpr unsigned kMenuBreak = 0x0040;
constexpr unsigned kPopup = 0x0010;
constexpr unsigned kSeparator = 0x0800;
constexpr unsigned kSysMenu = 0x2000;
constexpr unsigned kClosed = 0xFFFF;  // with no menu handle: the menu closed
}  // namespace menuflag

// System commands (SC_SIZE .. SC_CONTEXTHELP range) have no prompt of ours.
constexpr unsigned kFirstSystemCommand = 0xF000, kLastSystemCommand = 0xF1EF;

enum class MenuPromptKind {
  Idle,    // the window's own text
  Prompt,  // the string whose id is `stringId`
  Blank,   // an empty pane (separators, pop-ups, breaks, system commands)
};

struct MenuPrompt {
  MenuPromptKind kind;
  unsigned stringId;
};

// item and flags as WM_MENUSELECT carries them; menuHandleNull when its menu is null.
MenuPrompt menuPrompt(unsigned item, unsigned flags, bool menuHandleNull);

}  // namespace fw
