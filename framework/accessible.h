// Accessible names and values for windows that show information by a picture only
// (marks, pictures, painted strips, toolbar buttons, tree items): a small IAccessible
// over the window's standard object, which answers the window's own name, value and role
// and those of its items (children 1..n) from a source the window supplies, and leaves
// everything else (parent, position of the window, navigation out of it) to the
// standard object. Screen readers reach it through WM_GETOBJECT.
//
//   class Marks : public fw::AccessibleSource { ... };
//   fw::attachAccessible(markControl, &marks);   // until the control is destroyed
//   ...
//   fw::detachAccessible(markControl);           // when the source goes first
#pragma once

#include <windows.h>

#include <string>

namespace fw {

struct AccessibleItem {
  std::wstring name;
  std::wstring value;
  std::wstring description;
  std::wstring defaultAction;
  long role = 0;    // ROLE_SYSTEM_*; 0 leaves the standard object's (the window only)
  long state = 0;   // STATE_SYSTEM_*
  RECT bounds = {}; // items: in the window's client coordinates
};

class AccessibleSource {
 public:
  virtual ~AccessibleSource() = default;
  // Items 1..count of the window.
  virtual long accessibleCount(HWND window) { return 0; }
  // Child 0 is the window itself: false there keeps the standard object's answers.
  // An item that answers false does not exist.
  virtual bool accessibleItem(HWND window, long child, AccessibleItem& out) = 0;
  // The item's default action (what Enter or a double click does); false when none.
  virtual bool accessibleDoDefault(HWND window, long child) { return false; }
  // The item that has the keyboard focus inside the window, 0 for the window itself,
  // -1 to let the standard object answer.
  virtual long accessibleFocus(HWND window) { return -1; }
};

// Makes the window answer WM_GETOBJECT (OBJID_CLIENT) with an object over source, until
// the window is destroyed or detachAccessible is called. A second call replaces the
// source. False when the window could not be subclassed.
bool attachAccessible(HWND window, AccessibleSource* source);
// Objects handed out before answer "not connected" from now on.
void detachAccessible(HWND window);

}  // namespace fw
