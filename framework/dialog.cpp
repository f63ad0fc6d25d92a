#include "framework/dialog.h"

#include <cstdlib>
#include <vector>

#include "framework/dpi.h"
#include "framework/module.h"

namespace fw {

std::string windowText(HWND window) {
  int length = GetWindowTextLengthA(window);
  if (length <= 0) return std::string();
  std::vector<char> buffer(static_cast<size_t>(length) + 1);
  int got = GetWindowTextA(window, buffer.data(), length + 1);
  return std::string(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void DataExchange::text(int id, std::string& value) {
  HWND control = GetDlgItem(dialog_, id);
  if (!control) return;
  if (saving_) value = windowText(control);
  else SetWindowTextA(control, value.c_str());
}

void DataExchange::check(int id, int& value) {
  if (saving_) value = static_cast<int>(IsDlgButtonChecked(dialog_, id));
  else CheckDlgButton(dialog_, id, static_cast<UINT>(value));
}

void DataExchange::number(int id, int& value) {
  HWND control = GetDlgItem(dialog_, id);
  if (!control) return;
  if (saving_) {
    std::string text = windowText(control);
    char* end = nullptr;
    long parsed = std::strtol(text.c_str(), &end, 10);
    if (!text.empty() && end && *end == '\0') value = static_cast<int>(parsed);
  } else {
    SetWindowTextA(control, std::to_string(value).c_str());
  }
}

void DataExchange::comboIndex(int id, int& value) {
  if (saving_) value = static_cast<int>(SendDlgItemMessageA(dialog_, id, CB_GETCURSEL, 0, 0));
  else SendDlgItemMessageA(dialog_, id, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

void DataExchange::radio(int firstId, int lastId, int& index) {
  if (saving_) {
    index = -1;
    for (int id = firstId; id <= lastId; ++id) {
      if (IsDlgButtonChecked(dialog_, id) == BST_CHECKED) {
        index = id - firstId;
        break;
      }
    }
  } else if (index >= 0 && firstId + index <= lastId) {
    CheckRadioButton(dialog_, firstId, lastId, firstId + index);
  }
}

Dialog::Dialog(UINT templateId, HWND parent)
    : parent_(parent), template_(MAKEINTRESOURCEA(templateId)) {}

Dialog::Dialog(const char* templateName, HWND parent) : parent_(parent), template_(templateName) {}

Dialog::~Dialog() {
  // A dialog object must outlive its window; a modal run guarantees that.
  if (hwnd_) SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
}

INT_PTR Dialog::doModal() {
  WindowScope scope(true);
  return DialogBoxParamA(resourceModule(), template_, parent_, staticProc,
                         reinterpret_cast<LPARAM>(this));
}

void Dialog::endDialog(INT_PTR result) {
  if (hwnd_) EndDialog(hwnd_, result);
}

bool Dialog::updateData(bool saveAndValidate) {
  if (!hwnd_) return false;
  DataExchange dx(hwnd_, saveAndValidate);
  doDataExchange(dx);
  return true;
}

BOOL Dialog::onInitDialog() {
  updateData(false);
  return TRUE;
}

void Dialog::onOK() {
  if (updateData(true)) endDialog(IDOK);
}

void Dialog::onCancel() { endDialog(IDCANCEL); }

bool Dialog::onCommand(WORD id, WORD notifyCode, HWND control) {
  if (id == IDOK && notifyCode == BN_CLICKED) {
    onOK();
    return true;
  }
  if (id == IDCANCEL) {
    onCancel();
    return true;
  }
  return false;
}

INT_PTR Dialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = false;
  return FALSE;
}

INT_PTR Dialog::dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  bool handled = false;
  INT_PTR result = handleMessage(message, wParam, lParam, handled);
  if (handled) return result;
  switch (message) {
    case WM_INITDIALOG:
      return onInitDialog();
    case WM_COMMAND:
      return onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE
                                                                                       : FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK Dialog::staticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* self;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  }
  if (!self) return FALSE;
  INT_PTR result = self->dispatch(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
    self->onDestroyed();
  }
  return result;
}

}  // namespace fw
