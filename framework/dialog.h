// Modal dialogs from resource templates, with data exchange into their controls.
//
//   class CMyDlg : public fw::Dialog {
//    public:
//     CMyDlg() : Dialog(IDD_MY) {}
//     std::string name;
//     void doDataExchange(fw::DataExchange& dx) override { dx.text(IDC_NAME, name); }
//   };
//
// onInitDialog() copies the members into the controls; OK copies them back
// (updateData(true)) before the dialog ends with IDOK.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

class DataExchange {
 public:
  DataExchange(HWND dialog, bool saving) : dialog_(dialog), saving_(saving) {}
  bool saving() const { return saving_; }
  HWND dialog() const { return dialog_; }

  void text(int id, std::string& value);
  void check(int id, int& value);              // BST_UNCHECKED / BST_CHECKED / BST_INDETERMINATE
  void number(int id, int& value);              // signed decimal; a bad entry keeps the value
  void comboIndex(int id, int& value);          // current selection of a combo box, -1 for none
  void radio(int firstId, int lastId, int& index);  // index of the checked button, -1 for none

 private:
  HWND dialog_;
  bool saving_;
};

class Dialog {
 public:
  explicit Dialog(UINT templateId, HWND parent = nullptr);
  Dialog(const char* templateName, HWND parent);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog modally; the result of endDialog, or -1 when it could not be created.
  INT_PTR doModal();

  HWND hwnd() const { return hwnd_; }
  HWND item(int id) const { return GetDlgItem(hwnd_, id); }
  void endDialog(INT_PTR result);
  bool updateData(bool saveAndValidate);

 protected:
  virtual void doDataExchange(DataExchange& dx) {}
  virtual BOOL onInitDialog();
  virtual void onOK();
  virtual void onCancel();
  // WM_COMMAND; true when handled.
  virtual bool onCommand(WORD id, WORD notifyCode, HWND control);
  // Every message; set handled to keep the default processing from running.
  virtual INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  // Called from the window's WM_NCDESTROY, after which hwnd() is null.
  virtual void onDestroyed() {}

  HWND parent_;

 private:
  static INT_PTR CALLBACK staticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  LPCSTR template_;
  HWND hwnd_ = nullptr;
};

// Text of a control, whatever its length.
std::string windowText(HWND window);

}  // namespace fw
