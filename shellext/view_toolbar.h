// The view's buttons on the browser's toolbar: the four view modes, each with its
// command, list style and standard picture, and the buttons' tips.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

namespace shx {

struct ViewMode {
  UINT mode;    // FVM_*
  int command;  // menu and toolbar id
  DWORD style;  // list view style
  int bitmap;   // standard view bitmap
};

// The mode of a folder setting; large icons for one we do not know.
const ViewMode& modeOf(UINT mode);
// The mode a menu or toolbar command picks; null for any other command.
const ViewMode* modeOfCommand(int command);
// A toolbar button's tip; empty for a command without one.
std::string textOfCommand(int command);

// The standard view pictures on the browser's toolbar, and our four view buttons between
// two separators.
void addViewButtons(IShellBrowser* browser);
// The button of the view's mode shown pressed.
void checkViewButton(IShellBrowser* browser, UINT mode);

}  // namespace shx
