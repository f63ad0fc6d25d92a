// The application's wait cursor: doWaitCursor(1) shows it, doWaitCursor(0) takes one
// level back (calls nest), doWaitCursor(-1) shows it again after something changed it.
#pragma once

namespace fw {

void doWaitCursor(int code);
int waitCursorDepth();

// Scoped form: wait cursor for the lifetime of the object.
class WaitCursor {
 public:
  WaitCursor() { doWaitCursor(1); }
  ~WaitCursor() { doWaitCursor(0); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace fw
