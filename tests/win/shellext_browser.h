// A shell browser of our own for Fenwold's tests: a frame window with a real toolbar and
// status bar, offering IShellBrowser (menus, toolbar and status bar as a shell's browser
// would) and recording what the view asked of it. Also loads fenwold.dll beside the test.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/comptr.h"

namespace shelltest {

extern const CLSID kFolder;
constexpr const char* kFolderText = "{D6C27292-D646-4E94-8B05-BAE60EBFD3AC}";

std::string fenwoldPath();
HMODULE fenwold();
HRESULT getClassObject(const CLSID& clsid, REFIID iid, void** out);
HRESULT canUnloadNow();
// The root folder made by the module's class factory and initialised under My Computer.
fw::ComPtr<IShellFolder> rootFolder();
void pumpMessages();

// Declared outside any anonymous namespace (GCC and COM interfaces).
class FakeBrowser : public IShellBrowser {
 public:
  // withTree: the browser shows a folder tree (GetControlWindow(FCW_TREE) answers one).
  explicit FakeBrowser(bool withTree = false, int width = 640, int height = 420);
  ~FakeBrowser();
  FakeBrowser(const FakeBrowser&) = delete;
  FakeBrowser& operator=(const FakeBrowser&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP InsertMenusSB(HMENU menu, LPOLEMENUGROUPWIDTHS widths) override;
  STDMETHODIMP SetMenuSB(HMENU menu, HOLEMENU, HWND active) override;
  STDMETHODIMP RemoveMenusSB(HMENU menu) override;
  STDMETHODIMP SetStatusTextSB(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModelessSB(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAcceleratorSB(MSG*, WORD) override { return S_FALSE; }
  STDMETHODIMP BrowseObject(LPCITEMIDLIST list, UINT flags) override;
  STDMETHODIMP GetViewStateStream(DWORD, IStream** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetControlWindow(UINT id, HWND* out) override;
  STDMETHODIMP SendControlMsg(UINT id, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT* result) override;
  STDMETHODIMP QueryActiveShellView(IShellView** out) override;
  STDMETHODIMP OnViewWindowActive(IShellView* view) override;
  STDMETHODIMP SetToolbarItems(LPTBBUTTONSB buttons, UINT count, UINT flags) override;

  HWND frame() const { return frame_; }
  HWND toolbar() const { return toolbar_; }
  HWND status() const { return status_; }
  // The area between the toolbar and the status bar, where the view goes.
  RECT viewArea() const;
  LONG references() const { return refs_; }

  std::string statusText() const;
  // The menu the view gave (SetMenuSB), and the texts of one of its submenus by its id.
  HMENU menu = nullptr;
  HWND menuActiveWindow = nullptr;
  std::vector<std::string> submenuTexts(UINT id) const;
  std::vector<TBBUTTON> toolbarItems;
  UINT toolbarFlags = 0;
  int activeReports = 0;
  // BrowseObject: the list asked for (a copy), its flags, and what the browser then does
  // (a browser leaving the folder releases its view from inside the view's own command).
  std::vector<BYTE> browsed;
  UINT browseFlags = 0;
  std::function<void()> onBrowse;
  int removedMenus = 0;
  // The View group handed to the view is a menu that no longer exists, so that nothing
  // can be inserted into it.
  bool staleViewMenu = false;

 private:
  LONG refs_ = 1;
  HWND frame_ = nullptr;
  HWND toolbar_ = nullptr;
  HWND status_ = nullptr;
  HWND tree_ = nullptr;
};

// The texts of a menu's items ("-" for a separator), with the default item marked "*".
std::vector<std::string> menuTexts(HMENU menu);
// The ids of a menu's items, in order.
std::vector<UINT> menuIds(HMENU menu);

}  // namespace shelltest
