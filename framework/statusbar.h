// A one-pane status bar at the bottom of a dialog, with the menu prompts of
// framework/menuprompt.h. The bar is a child window and goes with its parent.
//
//   status_.create(hwnd());                 // in WM_INITDIALOG
//   status_.setIdleText("3 devices");
//   int barHeight = status_.layout();        // in WM_SIZE: the height it takes
//   status_.onMenuSelect(wParam, lParam);    // in WM_MENUSELECT
#pragma once

#include <windows.h>

#include <string>

namespace fw {

class StatusBar {
 public:
  // The framework's usual id for a window's status bar.
  static constexpr UINT kDefaultId = 59393;

  // One stretching pane, visible, with a size grip; false when it cannot be created.
  bool create(HWND parent, UINT id = kDefaultId);
  HWND hwnd() const { return bar_; }
  bool exists() const { return bar_ != nullptr; }

  // The text the pane shows when no menu is browsed; shown at once.
  void setIdleText(const std::string& text);
  const std::string& idleText() const { return idle_; }
  void setText(const std::string& text);
  std::string text() const;

  void show(bool visible);
  bool visible() const;

  // Puts the bar along the bottom of its parent; the height it takes (0 when hidden or
  // missing).
  int layout();

  // WM_MENUSELECT: the prompt string of the highlighted command, a blank pane, or the
  // idle text when the menu closed.
  void onMenuSelect(WPARAM wParam, LPARAM lParam);

 private:
  HWND bar_ = nullptr;
  std::string idle_;
};

}  // namespace fw
