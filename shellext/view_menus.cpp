#include "shellext/view_menus.h"

#include <string>

#include "framework/strings.h"
#include "shellext/folder_logic.h"

namespace shx {
namespace {

HMENU submenuOf(HMENU menu, UINT id) {
  MENUITEMINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_SUBMENU;
  return GetMenuItemInfoA(menu, id, FALSE, &info) ? info.hSubMenu : nullptr;
}

bool insertItem(HMENU menu, UINT before, bool byPosition, int id, const std::string& text,
                HMENU submenu = nullptr) {
  MENUITEMINFOA info = {};
  info.cbSize = sizeof info;
  info.wID = static_cast<UINT>(id);
  if (id == kCmdSeparator) {
    info.fMask = MIIM_FTYPE | MIIM_ID;
    info.fType = MFT_SEPARATOR;
  } else {
    info.fMask = MIIM_ID | MIIM_STRING | (submenu ? MIIM_SUBMENU : 0);
    info.dwTypeData = const_cast<char*>(text.c_str());
    info.hSubMenu = submenu;
  }
  return InsertMenuItemA(menu, before, byPosition, &info) != 0;
}

}  // namespace

HMENU mergeViewMenus(IShellBrowser* browser, HWND window, bool root) {
  if (!browser) return nullptr;
  HMENU menu = CreateMenu();
  OLEMENUGROUPWIDTHS widths = {};
  if (FAILED(browser->InsertMenusSB(menu, &widths))) {
    DestroyMenu(menu);
    return nullptr;
  }
  if (!root) {
    if (HMENU tools = submenuOf(menu, FCIDM_MENU_TOOLS)) {
      const UINT end = static_cast<UINT>(GetMenuItemCount(tools));
      insertItem(tools, end, true, kCmdSeparator, std::string());
      insertItem(tools, end + 1, true, kCmdSeldarnTool, fw::loadString(text::kSeldarnApplication));
    }
  }
  if (HMENU view = submenuOf(menu, FCIDM_MENU_VIEW)) {
    // Before the options separator when the browser has one, else at the end.
    MENUITEMINFOA probe = {};
    probe.cbSize = sizeof probe;
    probe.fMask = MIIM_ID;
    const bool hasOptions = GetMenuItemInfoA(view, FCIDM_MENU_VIEW_SEP_OPTIONS, FALSE, &probe) != 0;
    auto add = [&](int id, const std::string& text, HMENU submenu = nullptr) {
      if (hasOptions) return insertItem(view, FCIDM_MENU_VIEW_SEP_OPTIONS, false, id, text, submenu);
      return insertItem(view, static_cast<UINT>(GetMenuItemCount(view)), true, id, text, submenu);
    };
    add(kCmdSeparator, std::string());
    for (const SortCommand& each : kViewCommands) add(each.id, fw::loadString(each.text));
    add(kCmdSeparator, std::string());
    HMENU arrange = CreatePopupMenu();
    UINT position = 0;
    if (root) {
      for (const SortCommand& each : kAdapterSorts)
        insertItem(arrange, position++, true, each.id, fw::loadString(each.text));
    } else {
      for (const SortCommand& each : kDeviceSorts)
        insertItem(arrange, position++, true, each.id, fw::loadString(each.text));
    }
    // A popup its menu did not take is nobody's.
    if (arrange && !add(kCmdArrangeMenu, fw::loadString(text::kArrangeIcons), arrange))
      DestroyMenu(arrange);
  }
  browser->SetMenuSB(menu, nullptr, window);
  return menu;
}

void dropViewMenus(IShellBrowser* browser, HMENU menu) {
  if (browser) {
    browser->SetMenuSB(nullptr, nullptr, nullptr);
    browser->RemoveMenusSB(menu);
  }
  DestroyMenu(menu);
}

}  // namespace shx
