// The folder's view: a list view of the folder's items in a window of the browser's,
// with the browser's menus and toolbar merged while the view is active. The object and
// its window are in shell_view.cpp, the list's filling and notifications in view_list.cpp.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <vector>

#include "framework/dpi.h"
#include "framework/modulelock.h"
#include "framework/module.h"
#include "shellext/item_id_manager.h"
#include "shellext/shell_folder.h"
#include "shellext/view_toolbar.h"

namespace shx {

constexpr int kFirstColumnWidth = 138;

class CShellView final : public IShellView {
 public:
  explicit CShellView(CShellFolder* folder)
      : folder_(folder), relative_(ids_, ids_.copy(folder->relative())) {
    folder_->AddRef();
    accelerators_ = LoadAcceleratorsA(fw::resourceModule(), MAKEINTRESOURCEA(101));
  }

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IOleWindow) &&
        !IsEqualIID(riid, IID_IShellView)) {
      return E_NOINTERFACE;
    }
    *out = static_cast<IShellView*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  STDMETHODIMP GetWindow(HWND* window) override {
    if (!window) return E_INVALIDARG;
    *window = window_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  STDMETHODIMP TranslateAccelerator(MSG* msg) override {
    return accelerators_ && msg && ::TranslateAcceleratorA(window_, accelerators_, msg) ? S_OK : S_FALSE;
  }
  STDMETHODIMP EnableModeless(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP UIActivate(UINT state) override {
    activate(state);
    return S_OK;
  }
  STDMETHODIMP Refresh() override {
    if (list_) {
      ListView_DeleteAllItems(list_);
      fillList();
    }
    return S_OK;
  }
  STDMETHODIMP CreateViewWindow(IShellView*, LPCFOLDERSETTINGS settings, IShellBrowser* browser,
                                RECT* rect, HWND* out) override;
  STDMETHODIMP DestroyViewWindow() override {
    activate(SVUIA_DEACTIVATE);
    dropMenus();
    if (window_) DestroyWindow(window_);
    window_ = list_ = nullptr;
    if (browser_) browser_->Release();
    browser_ = nullptr;
    return S_OK;
  }
  STDMETHODIMP GetCurrentInfo(LPFOLDERSETTINGS out) override {
    if (!out) return E_INVALIDARG;
    *out = settings_;
    return S_OK;
  }
  STDMETHODIMP AddPropertySheetPages(DWORD, LPFNADDPROPSHEETPAGE, LPARAM) override { return E_NOTIMPL; }
  STDMETHODIMP SaveViewState() override { return S_OK; }
  STDMETHODIMP SelectItem(LPCITEMIDLIST, UINT) override { return E_NOTIMPL; }
  STDMETHODIMP GetItemObject(UINT, REFIID, void** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }

 private:
  ~CShellView() {
    if (window_) {
      // Released without DestroyViewWindow: the window's messages must no longer reach a
      // view that is going (they would hold it again), so the rows' copies are freed here
      // rather than by the list's deletion notifications.
      SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
      freeRowCopies();
      DestroyWindow(window_);
    }
    if (menu_) DestroyMenu(menu_);
    if (browser_) browser_->Release();
    relative_.reset();
    folder_->Release();
  }

  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT onNotify(NMHDR* header);
  void onCreate();
  void applyActivationStyle();
  void initList();
  void fillList();
  void freeRowCopies();
  void sizeColumns();
  void activate(UINT state);
  void dropMenus();
  void mergeMenus(UINT state);
  void refreshToolbarCheck();
  void setViewMode(const ViewMode& mode);
  void runCommand(POINT at, bool useDefault, int command);
  void sortList();
  void browseTo(const std::vector<LPCITEMIDLIST>& selected);
  void onFocus();
  void fillDisplayInfo(LVITEMA& item);
  bool isRoot() const { return relative_.get() == nullptr; }
  LRESULT sendControl(UINT control, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (browser_) browser_->SendControlMsg(control, message, wParam, lParam, &result);
    return result;
  }
  static int CALLBACK compareProc(LPARAM a, LPARAM b, LPARAM self);

  LONG refs_ = 1;
  UINT uiState_ = SVUIA_DEACTIVATE;
  CShellFolder* folder_;
  ItemIdManager ids_;
  OwnedIdList relative_;
  IShellBrowser* browser_ = nullptr;
  FOLDERSETTINGS settings_ = {FVM_ICON, 0};
  HWND parentWindow_ = nullptr;
  HWND window_ = nullptr;
  HWND list_ = nullptr;
  HMENU menu_ = nullptr;
  HACCEL accelerators_ = nullptr;
  int columnWidth_ = kFirstColumnWidth;  // pixels at dpi_
  unsigned dpi_ = fw::kBaseDpi;
  fw::ModuleLock lock_;
};

}  // namespace shx
