// Drives modal windows from inside their own modal loop, the way a person would,
// without sleeps: a hook on this thread notices each top-level dialog when it finishes
// WM_INITDIALOG, and a zero-time thread timer then runs the next expected step inside
// the dialog's message loop (after its first paint).
//
//   orvtest::ModalDriver driver;
//   driver.expect("SCSI Command Failure", [](HWND dlg) {
//     EXPECT_EQ(orvtest::itemText(dlg, 1611), "11 - Selection timeout");
//     orvtest::pressButton(dlg, IDOK);
//   });
//   reportCommandFailure(nullptr, block);   // returns when the dialog closed
//   EXPECT_TRUE(driver.allDone());
//
// A step whose action leaves its window open gets it cancelled (IDCANCEL, then
// WM_CLOSE), so a failing test ends instead of hanging.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>

namespace orvtest {

class ModalDriver {
 public:
  using Action = std::function<void(HWND)>;
  ModalDriver();
  ~ModalDriver();
  ModalDriver(const ModalDriver&) = delete;
  ModalDriver& operator=(const ModalDriver&) = delete;

  // Title to wait for ("" matches any top-level dialog) and what to do with it.
  void expect(const std::string& title, Action action, bool closeIfLeftOpen = true);
  bool allDone() const { return steps_.empty(); }
  // Titles of the dialogs seen that no step expected, in order.
  const std::deque<std::string>& unexpected() const { return unexpected_; }

 private:
  struct Step {
    std::string title;
    Action action;
    bool closeIfLeftOpen;
  };
  static LRESULT CALLBACK hookProc(int code, WPARAM wParam, LPARAM lParam);
  static void CALLBACK timerProc(HWND, UINT, UINT_PTR id, DWORD);
  void run(HWND window);

  HHOOK hook_ = nullptr;
  std::deque<Step> steps_;
  std::deque<std::string> unexpected_;
  std::deque<std::pair<UINT_PTR, HWND>> timers_;
};

std::string windowTitle(HWND window);
std::string itemText(HWND dialog, int id);
// The text of a message box (its static 0xFFFF).
std::string messageBoxText(HWND box);
// Posts a button click (BN_CLICKED) to the dialog, as a click on the control would.
void pressButton(HWND dialog, int id);
// Posts a menu or accelerator command.
void postCommand(HWND window, int id);
// The number of tabs of a property sheet, and the text of one.
int tabCount(HWND sheet);
std::string tabText(HWND sheet, int index);

}  // namespace orvtest
