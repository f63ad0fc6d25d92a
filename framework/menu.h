// A menu resource of the resource module, destroyed with its owner; context menus take
// its first pop-up.
#pragma once

#include <windows.h>

#include "framework/module.h"

namespace fw {

class LoadedMenu {
 public:
  explicit LoadedMenu(UINT id) : menu_(LoadMenuA(resourceModule(), MAKEINTRESOURCEA(id))) {}
  ~LoadedMenu() {
    if (menu_) DestroyMenu(menu_);
  }
  LoadedMenu(const LoadedMenu&) = delete;
  LoadedMenu& operator=(const LoadedMenu&) = delete;
  HMENU get() const { return menu_; }
  HMENU popup() const { return menu_ ? GetSubMenu(menu_, 0) : nullptr; }

 private:
  HMENU menu_;
};

}  // namespace fw
