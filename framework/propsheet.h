// Modal property sheets over comctl32's PropertySheet, with pages from dialog templates
// that exchange data with their controls the way fw::Dialog does.
//
//   class CMyPage : public fw::PropertyPage {
//    public:
//     CMyPage() : PropertyPage(IDD_MY_PAGE) {}
//     std::string name;
//     void doDataExchange(fw::DataExchange& dx) override { dx.text(IDC_NAME, name); }
//   };
//   fw::PropertySheet sheet("Title", nullptr, 0);
//   CMyPage page;
//   sheet.addPage(&page);
//   sheet.doModal();
//
// A page fills its controls when its window is created (onInitDialog), copies them back
// when it is left (PSN_KILLACTIVE) and when OK or Apply is pressed (PSN_APPLY). Page
// objects belong to whoever created them and must outlive the modal run.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/dialog.h"

// The class below takes this name; the API is called by its ANSI name, PropertySheetA.
#undef PropertySheet

namespace fw {

class PropertySheet;

class PropertyPage {
 public:
  explicit PropertyPage(UINT templateId);
  virtual ~PropertyPage() = default;
  PropertyPage(const PropertyPage&) = delete;
  PropertyPage& operator=(const PropertyPage&) = delete;

  HWND hwnd() const { return hwnd_; }
  HWND item(int id) const { return GetDlgItem(hwnd_, id); }
  UINT templateId() const { return templateId_; }
  // The sheet the page was added to; null before.
  PropertySheet* sheet() const { return sheet_; }
  bool updateData(bool saveAndValidate);
  // Enables or disables the sheet's Apply button on behalf of this page.
  void setModified(bool changed = true);

 protected:
  virtual void doDataExchange(DataExchange& dx) {}
  // WM_INITDIALOG: fills the controls.
  virtual BOOL onInitDialog();
  // PSN_SETACTIVE: true lets the page be shown.
  virtual bool onSetActive() { return true; }
  // PSN_KILLACTIVE: true lets the user leave the page; takes the controls' values.
  virtual bool onKillActive() { return updateData(true); }
  // PSN_APPLY (OK or Apply): true when the changes were taken.
  virtual bool onApply() { return true; }
  // PSN_RESET (Cancel).
  virtual void onReset() {}
  // WM_COMMAND; true when handled.
  virtual bool onCommand(WORD id, WORD notifyCode, HWND control) { return false; }
  // Every message; set handled to keep the default processing from running. The result
  // is the dialog procedure's answer.
  virtual INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

 private:
  friend class PropertySheet;
  HPROPSHEETPAGE create();
  static INT_PTR CALLBACK staticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR onNotify(const NMHDR* header);

  UINT templateId_;
  HWND hwnd_ = nullptr;
  PropertySheet* sheet_ = nullptr;
};

class PropertySheet {
 public:
  PropertySheet(const std::string& title, HWND parent, UINT startPage);
  virtual ~PropertySheet();
  PropertySheet(const PropertySheet&) = delete;
  PropertySheet& operator=(const PropertySheet&) = delete;

  // Pages are shown in the order added; the sheet does not own them.
  void addPage(PropertyPage* page);
  size_t pageCount() const { return pages_.size(); }
  PropertyPage* page(size_t index) const { return index < pages_.size() ? pages_[index] : nullptr; }

  // flags: 0, or PSH_PROPTITLE to have "Properties for" put in front of the text.
  void setTitle(const std::string& title, DWORD flags = 0);
  const std::string& title() const { return title_; }
  // The page shown first (before the run) or the page to show (during it).
  void setActivePage(UINT index);
  UINT startPage() const { return startPage_; }

  // Runs the sheet modally: IDOK when it closed with OK, IDCANCEL otherwise, -1 when it
  // could not be created (no pages, a missing template).
  INT_PTR doModal();
  HWND hwnd() const { return hwnd_; }

 protected:
  // The sheet's window exists, before its first page is created.
  virtual void onInitialized() {}
  // Messages of the sheet window (subclassed); set handled to answer them here.
  virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

 private:
  static int CALLBACK sheetCallback(HWND hwnd, UINT message, LPARAM lParam);
  static LRESULT CALLBACK subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR data);

  std::string title_;
  DWORD titleFlags_ = 0;
  HWND parent_;
  UINT startPage_;
  HWND hwnd_ = nullptr;
  std::vector<PropertyPage*> pages_;
};

}  // namespace fw
