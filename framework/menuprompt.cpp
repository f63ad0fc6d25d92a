#include "framework/menuprompt.h"

namespace fw {

MenuPrompt menuPrompt(unsigned item, unsigned flags, bool menuHandleNull) {
  if (flags == menuflag::kClosed && menuHandleNull) return {MenuPromptKind::Idle, 0};
  constexpr unsigned kNoPrompt = menuflag::kPopup | menuflag::kSeparator | menuflag::kMenuBreak |
                                 menuflag::kMenuBarBreak | menuflag::kSysMenu;
  if ((flags & kNoPrompt) || item == 0 ||
      (item >= kFirstSystemCommand && item <= kLastSystemCommand))
    return {MenuPromptKind::Blank, 0};
  return {MenuPromptKind::Prompt, item};
}

}  // namespace fw
