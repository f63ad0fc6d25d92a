#include "framework/waitcursor.h"

#include <windows.h>

namespace fw {
namespace {
int g_depth = 0;
HCURSOR g_restore = nullptr;
}

void doWaitCursor(int code) {
  if (code > 0) {
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    if (g_depth++ == 0) g_restore = previous;
  } else if (code == 0) {
    if (g_depth == 0) return;
    if (--g_depth == 0) SetCursor(g_restore ? g_restore : LoadCursor(nullptr, IDC_ARROW));
    else SetCursor(LoadCursor(nullptr, IDC_WAIT));
  } else if (g_depth > 0) {
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
  }
}

int waitCursorDepth() { return g_depth; }

}  // namespace fw
