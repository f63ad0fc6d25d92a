#include "framework/msgbox.h"

#include "framework/dpi.h"
#include "framework/strings.h"

namespace fw {

int messageBoxText(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  if (!owner) owner = GetActiveWindow();
  WindowScope scope(true);
  return MessageBoxA(owner, text.c_str(), caption.c_str(), type);
}

int messageBoxText(HWND owner, const std::string& text, UINT captionId, UINT type) {
  return messageBoxText(owner, text, loadString(captionId), type);
}

int messageBox(HWND owner, UINT textId, UINT captionId, UINT type) {
  return messageBoxText(owner, loadString(textId), loadString(captionId), type);
}

}  // namespace fw
