// Message boxes by string id, with a caption string.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

// Owner nullptr means the thread's active window (as the suite's messages are owned).
int messageBox(HWND owner, UINT textId, UINT captionId, UINT type);
int messageBoxText(HWND owner, const std::string& text, UINT captionId, UINT type);
int messageBoxText(HWND owner, const std::string& text, const std::string& caption, UINT type);

}  // namespace fw
