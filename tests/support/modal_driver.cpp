#include "tests/support/modal_driver.h"

#include <commctrl.h>
#include <prsht.h>

#include <vector>

namespace orvtest {
namespace {
ModalDriver* g_driver = nullptr;
}

std::string windowTitle(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string itemText(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  if (!item) return "<no control " + std::to_string(id) + ">";
  int length = GetWindowTextLengthA(item);
  std::vector<char> buffer(static_cast<size_t>(length) + 2);
  GetWindowTextA(item, buffer.data(), length + 1);
  return buffer.data();
}

std::string messageBoxText(HWND box) { return itemText(box, 0xFFFF); }

void pressButton(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void postCommand(HWND window, int id) { PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

ModalDriver::ModalDriver() {
  g_driver = this;
  hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, hookProc, nullptr, GetCurrentThreadId());
}

ModalDriver::~ModalDriver() {
  if (hook_) UnhookWindowsHookEx(hook_);
  for (auto& t : timers_) KillTimer(nullptr, t.first);
  if (g_driver == this) g_driver = nullptr;
}

void ModalDriver::expect(const std::string& title, Action action, bool closeIfLeftOpen) {
  steps_.push_back({title, std::move(action), closeIfLeftOpen});
}

LRESULT CALLBACK ModalDriver::hookProc(int code, WPARAM wParam, LPARAM lParam) {
  ModalDriver* self = g_driver;
  if (code == HC_ACTION && self) {
    const CWPRETSTRUCT* msg = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (msg->message == WM_INITDIALOG && !(GetWindowLongA(msg->hwnd, GWL_STYLE) & WS_CHILD)) {
      UINT_PTR id = SetTimer(nullptr, 0, 0, timerProc);
      if (id) self->timers_.push_back({id, msg->hwnd});
    }
  }
  return CallNextHookEx(self ? self->hook_ : nullptr, code, wParam, lParam);
}

void CALLBACK ModalDriver::timerProc(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  ModalDriver* self = g_driver;
  if (!self) return;
  for (auto it = self->timers_.begin(); it != self->timers_.end(); ++it) {
    if (it->first == id) {
      HWND window = it->second;
      self->timers_.erase(it);
      if (!IsWindow(window)) return;
      if (!IsWindowVisible(window)) {
        // A modal loop shows its dialog only once its queue is empty, so a due timer can
        // come first: try again after the dialog has been shown.
        UINT_PTR again = SetTimer(nullptr, 0, 10, timerProc);
        if (again) self->timers_.push_back({again, window});
        return;
      }
      self->run(window);
      return;
    }
  }
}

void ModalDriver::run(HWND window) {
  std::string title = windowTitle(window);
  if (steps_.empty() || (!steps_.front().title.empty() && steps_.front().title != title)) {
    unexpected_.push_back(title);
    // Nobody expects this window: close it so the test goes on and can report it.
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    PostMessageA(window, WM_CLOSE, 0, 0);
    return;
  }
  Step step = std::move(steps_.front());
  steps_.pop_front();
  step.action(window);
  if (step.closeIfLeftOpen && IsWindow(window) && IsWindowVisible(window)) {
    // Queued after whatever the action posted, so an action that closes the window wins.
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    PostMessageA(window, WM_CLOSE, 0, 0);
  }
}

int tabCount(HWND sheet) {
  HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
  return static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
}

std::string tabText(HWND sheet, int index) {
  HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
  char text[64] = {};
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(tabs, TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
  return text;
}

}  // namespace orvtest
