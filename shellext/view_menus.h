// The view's items in the browser's menus while it is active: the view commands and an
// Arrange Icons popup on View, and inside an adapter the Seldarn tool on Tools.
#pragma once

#include <windows.h>
#include <shlobj.h>

namespace shx {

// The browser's menu with our items, handed to the browser for the view window; null
// when the browser gave no menu. root: the folder of host adapters.
HMENU mergeViewMenus(IShellBrowser* browser, HWND window, bool root);
// Takes the merged menu back from the browser (if any) and destroys it.
void dropViewMenus(IShellBrowser* browser, HMENU menu);

}  // namespace shx
