// AdapterButtonBand: the desk band for the taskbar or the desktop, one toolbar button per
// host adapter.
#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>

#include <oleacc.h>

#include <string>

#include "bands/band_object.h"
#include "bands/gastrel_res.h"
#include "contract/adapter_view.h"
#include "framework/accessible.h"
#include "framework/classfactory.h"
#include "framework/dpi.h"
#include "framework/module.h"
#include "framework/strings.h"

namespace bands {

constexpr int kToolbarId = 102;
constexpr UINT kPropertyCommand = 3;
// The desk band's modal actions, on a button's adapter.
constexpr WPARAM kDeviceListAction = 1;
constexpr WPARAM kPropertiesAction = 2;

class DeskBand : public BandObject, private fw::AccessibleSource {
 public:
  DeskBand() : BandObject(BandKind::desk, CLSID_AdapterButtonBand) {}

  STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last,
                                UINT flags) override;
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
  STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT* reserved, LPSTR name,
                                UINT size) override;

 protected:
  WindowClass windowClass() const override {
    return {"ScsiDeskBandClass", CS_HREDRAW | CS_VREDRAW | CS_GLOBALCLASS, COLOR_MENU, false};
  }
  void onCreate() override;
  LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  void onClose() override;
  void onModal(WPARAM action, LPARAM button) override;
  void onFocus() override;

 private:
  // The pictures of a size at the band's DPI: the drawing for its scale.
  HIMAGELIST pictures(const DeskSize& size);
  // size is one of the two sizes at 96 DPI; it is shown at the band's DPI.
  void applySize(const DeskSize& size);
  // Keys on the toolbar: arrows, Home and End move among the buttons, Enter and Space
  // open the adapter's device list, Shift+F10 and the menu key its "&Property" menu.
  static LRESULT CALLBACK toolbarKeys(HWND toolbar, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR data);
  int hotButton() const;
  void openDeviceList(int button);
  // The "&Property" menu of a button at a screen point, and its command.
  void propertyMenu(int button, POINT at);
  // The buttons read as their adapters' names, with the device count as value.
  long accessibleCount(HWND window) override { return buttons_; }
  bool accessibleItem(HWND window, long child, fw::AccessibleItem& out) override;
  bool accessibleDoDefault(HWND window, long child) override;
  long accessibleFocus(HWND window) override;
  void placeTools();
  // The button under the cursor, or -1.
  int buttonUnderCursor() const;
  // The record of a button, from this band's own list; null when it has none.
  const inv::HostAdapterInfo* recordOf(int button) const;
  LRESULT onNotify(NMHDR* header, bool& handled);

  HWND toolbar_ = nullptr;
  HWND tooltip_ = nullptr;
  HIMAGELIST large_ = nullptr;
  HIMAGELIST small_ = nullptr;
  unsigned picturesDpi_ = 0;  // the DPI the two lists were made for
  DeskSize size_ = kLargeDesk;
  int buttons_ = 0;
  AdapterView adapters_;
  std::wstring tipText_;
};

HIMAGELIST DeskBand::pictures(const DeskSize& size) {
  const unsigned dpi = fw::dpiOf(window());
  if (dpi != picturesDpi_) {
    if (large_) ImageList_Destroy(large_);
    if (small_) ImageList_Destroy(small_);
    large_ = small_ = nullptr;
    picturesDpi_ = dpi;
  }
  HIMAGELIST& list = size.bitmapId == kLargeDesk.bitmapId ? large_ : small_;
  // Magenta marks the transparent pixels of every drawing.
  if (!list) {
    const DeskSize drawn = deskSizeAt(size, dpi);
    list = ImageList_LoadImageA(reinterpret_cast<HINSTANCE>(fw::resourceModule()),
                                MAKEINTRESOURCEA(drawn.bitmapId), drawn.image, 0,
                                RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION);
  }
  return list;
}

void DeskBand::onCreate() {
  if (!connectCorvath()) return;
  char siteClass[64] = {};
  GetClassNameA(siteWindow(), siteClass, sizeof siteClass);
  const DeskSize size = deskSizeForSite(siteClass);

  const long count = corvath().GetHostAdaptersCount();
  if (count <= 0) return;
  buttons_ = static_cast<int>(count < inv::kMaxAdapters ? count : inv::kMaxAdapters);

  RECT rc = {};
  GetClientRect(window(), &rc);
  toolbar_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                                 WS_TABSTOP | TBSTYLE_LIST | TBSTYLE_FLAT | TBSTYLE_WRAPABLE |
                                 CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN,
                             0, 0, rc.right, rc.bottom, window(),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kToolbarId)),
                             reinterpret_cast<HINSTANCE>(fw::resourceModule()), nullptr);
  if (!toolbar_) return;
  SendMessageA(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SetWindowSubclass(toolbar_, toolbarKeys, 0, reinterpret_cast<DWORD_PTR>(this));
  fw::attachAccessible(toolbar_, this);
  watchFocus(toolbar_);
  applySize(size);
  for (int i = 0; i < buttons_; ++i) {
    TBBUTTON button = {};
    button.iBitmap = i % kDeskImages;
    button.idCommand = i;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_AUTOSIZE;
    button.iString = -1;
    SendMessageA(toolbar_, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
  }

  adapters_ = AdapterView(count, corvath().GetHostAdaptersList());
  for (int i = 0; i < buttons_ && i < adapters_.count(); ++i) {
    std::string name = recordText(adapters_.at(i)->displayName);
    TBBUTTONINFOA info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT | TBIF_LPARAM;
    info.pszText = &name[0];
    info.lParam = adapters_.addressAt(i);
    SendMessageA(toolbar_, TB_SETBUTTONINFOA, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(&info));
  }

  tooltip_ = createTooltip();
  if (tooltip_) {
    for (int i = 0; i < buttons_; ++i) {
      TTTOOLINFOA tool = {};
      tool.cbSize = sizeof tool;
      tool.uFlags = TTF_SUBCLASS;
      tool.hwnd = toolbar_;
      tool.uId = static_cast<UINT_PTR>(i);
      tool.lpszText = LPSTR_TEXTCALLBACKA;
      SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    SendMessageA(toolbar_, TB_SETTOOLTIPS, reinterpret_cast<WPARAM>(tooltip_), 0);
    placeTools();
  }
}

void DeskBand::applySize(const DeskSize& size) {
  if (!toolbar_) return;
  size_ = size;
  const DeskSize shown = deskSizeAt(size, fw::dpiOf(window()));
  SendMessageA(toolbar_, TB_SETBITMAPSIZE, 0, MAKELONG(shown.image, shown.image));
  SendMessageA(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(pictures(size)));
  SendMessageA(toolbar_, TB_SETBUTTONSIZE, 0, MAKELONG(shown.button, shown.button));
  SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);
  placeTools();
  InvalidateRect(toolbar_, nullptr, TRUE);
}

// Each tool covers its button as laid out now (buttons size themselves to their text).
void DeskBand::placeTools() {
  if (!tooltip_ || !toolbar_) return;
  for (int i = 0; i < buttons_; ++i) {
    TTTOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = toolbar_;
    tool.uId = static_cast<UINT_PTR>(i);
    SendMessageA(toolbar_, TB_GETITEMRECT, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(&tool.rect));
    SendMessageA(tooltip_, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void DeskBand::onClose() {
  if (tooltip_ && IsWindow(tooltip_)) DestroyWindow(tooltip_);
  tooltip_ = nullptr;
  if (toolbar_ && IsWindow(toolbar_)) {
    RemoveWindowSubclass(toolbar_, toolbarKeys, 0);
    fw::detachAccessible(toolbar_);
    DestroyWindow(toolbar_);
  }
  toolbar_ = nullptr;
  if (large_) ImageList_Destroy(large_);
  if (small_) ImageList_Destroy(small_);
  large_ = small_ = nullptr;
  picturesDpi_ = 0;
  buttons_ = 0;
  adapters_ = AdapterView();
}

int DeskBand::buttonUnderCursor() const {
  if (!toolbar_) return -1;
  POINT pt = cursorIn(toolbar_);
  const int hit = static_cast<int>(SendMessageA(toolbar_, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&pt)));
  return hit >= 0 && hit < buttons_ ? hit : -1;
}

const inv::HostAdapterInfo* DeskBand::recordOf(int button) const {
  return button >= 0 && button < buttons_ ? adapters_.at(button) : nullptr;
}

void DeskBand::onModal(WPARAM action, LPARAM button) {
  // The button's record as the band has it now: none when the band closed meanwhile.
  const inv::HostAdapterInfo* record = recordOf(static_cast<int>(button));
  if (!record) return;
  if (action == kDeviceListAction) {
    corvath().ShowDeviceList(CorvathObjDriver::address(record));
  } else if (action == kPropertiesAction) {
    corvath().ShowHostAdapterProperty(CorvathObjDriver::address(record), 0);
  }
}

void DeskBand::onFocus() {
  if (!toolbar_) return;
  SetFocus(toolbar_);
  if (hotButton() < 0 && buttons_ > 0) SendMessageA(toolbar_, TB_SETHOTITEM, 0, 0);
}

int DeskBand::hotButton() const {
  if (!toolbar_) return -1;
  const int hot = static_cast<int>(SendMessageA(toolbar_, TB_GETHOTITEM, 0, 0));
  return hot >= 0 && hot < buttons_ ? hot : -1;
}

void DeskBand::openDeviceList(int button) {
  // Posted: the device list runs outside the toolbar's own message, band held meanwhile.
  if (recordOf(button)) postModal(kDeviceListAction, static_cast<LPARAM>(button));
}

void DeskBand::propertyMenu(int button, POINT at) {
  const inv::HostAdapterInfo* record = recordOf(button);
  if (!record) return;
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  AppendMenuA(menu, MF_STRING, kPropertyCommand, fw::loadString(IDS_PROPERTY).c_str());
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_BOTTOMALIGN | TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0,
      window(), nullptr));
  DestroyMenu(menu);
  if (chosen == kPropertyCommand) postModal(kPropertiesAction, static_cast<LPARAM>(button));
}

LRESULT CALLBACK DeskBand::toolbarKeys(HWND toolbar, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR data) {
  auto* band = reinterpret_cast<DeskBand*>(data);
  if (message == WM_GETDLGCODE) return DLGC_WANTARROWS | DLGC_WANTCHARS;
  if (message == WM_KEYDOWN && band->buttons_ > 0) {
    const int hot = band->hotButton();
    int next = -2;
    switch (wParam) {
      case VK_LEFT: case VK_UP: next = hot > 0 ? hot - 1 : 0; break;
      case VK_RIGHT: case VK_DOWN: next = hot < band->buttons_ - 1 ? hot + 1 : band->buttons_ - 1; break;
      case VK_HOME: next = 0; break;
      case VK_END: next = band->buttons_ - 1; break;
      case VK_RETURN: case VK_SPACE: band->openDeviceList(hot); return 0;
      default: break;
    }
    if (next >= 0) {
      SendMessageA(toolbar, TB_SETHOTITEM, static_cast<WPARAM>(next), 0);
      NotifyWinEvent(EVENT_OBJECT_FOCUS, toolbar, OBJID_CLIENT, next + 1);
      return 0;
    }
  }
  if (message == WM_CONTEXTMENU && GET_X_LPARAM(lParam) == -1 && GET_Y_LPARAM(lParam) == -1) {
    const int hot = band->hotButton();
    RECT rc = {};
    if (hot >= 0 &&
        SendMessageA(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(hot), reinterpret_cast<LPARAM>(&rc))) {
      POINT at = {rc.left, rc.bottom};
      ClientToScreen(toolbar, &at);
      band->propertyMenu(hot, at);
    }
    return 0;
  }
  return DefSubclassProc(toolbar, message, wParam, lParam);
}

bool DeskBand::accessibleItem(HWND, long child, fw::AccessibleItem& out) {
  if (child == CHILDID_SELF) return false;
  const inv::HostAdapterInfo* record = recordOf(static_cast<int>(child - 1));
  if (!record) return false;
  out.name = fw::widen(recordText(record->displayName));
  out.value = fw::widen(fw::formatString(IDS_ACC_DEVICE_COUNT, AdapterView::deviceCount(*record)));
  out.role = ROLE_SYSTEM_PUSHBUTTON;
  out.defaultAction = fw::widen(fw::loadString(IDS_ACC_OPEN));
  out.state = STATE_SYSTEM_FOCUSABLE;
  if (hotButton() == child - 1) {
    out.state |= STATE_SYSTEM_HOTTRACKED;
    if (GetFocus() == toolbar_) out.state |= STATE_SYSTEM_FOCUSED;
  }
  SendMessageA(toolbar_, TB_GETITEMRECT, static_cast<WPARAM>(child - 1),
               reinterpret_cast<LPARAM>(&out.bounds));
  return true;
}

bool DeskBand::accessibleDoDefault(HWND, long child) {
  if (!recordOf(static_cast<int>(child - 1))) return false;
  openDeviceList(static_cast<int>(child - 1));
  return true;
}

long DeskBand::accessibleFocus(HWND) {
  if (!toolbar_ || GetFocus() != toolbar_) return -1;
  const int hot = hotButton();
  return hot >= 0 ? hot + 1 : CHILDID_SELF;
}

LRESULT DeskBand::onNotify(NMHDR* header, bool& handled) {
  if (!header) return 0;
  switch (header->code) {
    case NM_CLICK: {
      if (header->hwndFrom != toolbar_) return 0;
      const auto* mouse = reinterpret_cast<NMMOUSE*>(header);
      if (recordOf(static_cast<int>(mouse->dwItemSpec)))
        postModal(kDeviceListAction, static_cast<LPARAM>(mouse->dwItemSpec));
      handled = true;
      return FALSE;
    }
    case NM_RCLICK: {
      if (header->hwndFrom != toolbar_) return 0;
      const auto* mouse = reinterpret_cast<NMMOUSE*>(header);
      const int button = static_cast<int>(mouse->dwItemSpec);
      handled = true;
      if (!recordOf(button)) return FALSE;
      POINT pt = {};
      GetCursorPos(&pt);
      propertyMenu(button, pt);
      return TRUE;
    }
    case TTN_NEEDTEXTA:
    case TTN_NEEDTEXTW: {
      const inv::HostAdapterInfo* record = recordOf(static_cast<int>(header->idFrom));
      const std::string name = record ? recordText(record->displayName) : std::string();
      if (header->code == TTN_NEEDTEXTA) {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
        info->hinst = nullptr;
        lstrcpynA(info->szText, name.c_str(), sizeof info->szText);
        info->lpszText = info->szText;
      } else {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
        info->hinst = nullptr;
        int n = MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, nullptr, 0);
        tipText_.assign(static_cast<size_t>(n > 0 ? n : 1), L'\0');
        if (n > 0) MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, &tipText_[0], n);
        info->lpszText = &tipText_[0];
      }
      handled = true;
      return 0;
    }
    default:
      return 0;
  }
}

LRESULT DeskBand::onMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  switch (message) {
    case WM_SIZE:
      if (toolbar_) {
        MoveWindow(toolbar_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);
        placeTools();
      }
      handled = true;
      return 0;
    case WM_NOTIFY:
      return onNotify(reinterpret_cast<NMHDR*>(lParam), handled);
    case fw::kDpiChangedAfterParent:
      // On a screen of another DPI: the drawings and sizes of its scale.
      applySize(size_);
      handled = true;
      return 0;
    default:
      return 0;
  }
}

// ---- IContextMenu ----------------------------------------------------------------------

STDMETHODIMP DeskBand::QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last,
                                        UINT flags) {
  if (flags & CMF_DEFAULTONLY) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
  // Only ids up to the host's last one.
  auto fits = [first, last](UINT command) { return first + command <= last; };
  if (buttonUnderCursor() >= 0) {
    if (fits(kPropertyCommand) &&
        InsertMenuA(menu, index, MF_BYPOSITION | MF_STRING, first + kPropertyCommand,
                    fw::loadString(IDS_PROPERTY).c_str())) {
      InsertMenuA(menu, index + 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    }
  } else if (fits(2)) {
    HMENU view = CreatePopupMenu();
    if (view) {
      AppendMenuA(view, MF_STRING, first + 1, fw::loadString(IDS_LARGE_ICON).c_str());
      AppendMenuA(view, MF_STRING, first + 2, fw::loadString(IDS_SMALL_ICON).c_str());
      // A popup its menu did not take is nobody's.
      if (!InsertMenuA(menu, index, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(view),
                       fw::loadString(IDS_VIEW).c_str()))
        DestroyMenu(view);
    }
  }
  return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 5);
}

STDMETHODIMP DeskBand::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  if (!info || HIWORD(reinterpret_cast<UINT_PTR>(info->lpVerb))) return E_INVALIDARG;
  switch (LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb))) {
    case 1:
      applySize(kLargeDesk);
      return S_OK;
    case 2:
      applySize(kSmallDesk);
      return S_OK;
    case kPropertyCommand:
      runModal(kPropertiesAction, buttonUnderCursor());
      return S_OK;
    default:
      return E_INVALIDARG;
  }
}

STDMETHODIMP DeskBand::GetCommandString(UINT_PTR command, UINT type, UINT*, LPSTR name,
                                        UINT size) {
  if (type == GCS_VALIDATEA || type == GCS_VALIDATEW) return S_OK;
  if (command != 1 && command != 2) return E_INVALIDARG;
  // Known commands without texts.
  if (name && size) {
    if (type & GCS_UNICODE) {
      reinterpret_cast<WCHAR*>(name)[0] = L'\0';
    } else {
      name[0] = '\0';
    }
  }
  return S_OK;
}

HRESULT createDeskBand(REFIID iid, void** out) { return fw::createObject<DeskBand>(iid, out); }

}  // namespace bands
