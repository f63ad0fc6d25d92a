#include "bands/strip_band.h"

#include <windowsx.h>
#include <commctrl.h>

#include <oleacc.h>

#include <climits>

#include "bands/command_text.h"
#include "bands/gastrel_res.h"
#include "framework/classfactory.h"
#include "framework/strings.h"

namespace bands {
namespace {

constexpr UINT_PTR kScrollTimer = 1;
constexpr UINT kScrollMs = 50;

}  // namespace

void StripBand::onCreate() {
  metrics_ = stripMetrics(fw::dpiOf(window()));
  if (!connectCorvath()) return;
  buildEntries();
  renderStrip(-1);
  addTools();
  fw::attachAccessible(window(), this);
}

void StripBand::takeMetrics() {
  const StripMetrics now = stripMetrics(fw::dpiOf(window()));
  if (now.entryWidth == metrics_.entryWidth && now.height == metrics_.height) return;
  metrics_ = now;
  offset_ = 0;
  if (strip_) DeleteObject(strip_);
  strip_ = nullptr;
  renderStrip(highlight_);
  if (tooltip_ && IsWindow(tooltip_)) DestroyWindow(tooltip_);
  tooltip_ = nullptr;
  addTools();
  InvalidateRect(window(), nullptr, FALSE);
}

void StripBand::choose(int entry) {
  if (entryCount() <= 0) return;
  chosen_ = entry < 0 ? 0 : entry >= entryCount() ? entryCount() - 1 : entry;
  offset_ = offsetShowing(chosen_, offset_, entryCount(), clientWidth(), metrics_.entryWidth);
  renderStrip(chosen_);
  InvalidateRect(window(), nullptr, FALSE);
  NotifyWinEvent(EVENT_OBJECT_FOCUS, window(), OBJID_CLIENT, chosen_ + 1);
}

bool StripBand::onKey(WPARAM key) {
  switch (key) {
    case VK_LEFT: choose(chosen_ - 1); return true;
    case VK_RIGHT: choose(chosen_ + 1); return true;
    case VK_HOME: choose(0); return true;
    case VK_END: choose(entryCount() - 1); return true;
    case VK_RETURN: start(chosen_); return true;
    default: return false;
  }
}

void StripBand::keyboardMenu() {
  RECT chosen = chosenRect();
  if (IsRectEmpty(&chosen)) return;
  POINT at = {chosen.left, chosen.bottom};
  ClientToScreen(window(), &at);
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  constexpr UINT kProperty = 1;
  AppendMenuA(menu, MF_STRING, kProperty, fw::loadString(IDS_PROPERTY).c_str());
  const UINT picked = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, window(), nullptr));
  DestroyMenu(menu);
  if (picked == kProperty) showFileProperties(chosen_);
}

bool StripBand::accessibleItem(HWND, long child, fw::AccessibleItem& out) {
  if (child == CHILDID_SELF) return false;
  if (child < 1 || child > entryCount()) return false;
  const int entry = static_cast<int>(child - 1);
  const srv::AppDescriptor& e = entries_[static_cast<size_t>(entry)];
  out.name = fw::widen(std::string(fieldText(e.appName)));
  out.value = fw::widen(std::string(fieldText(e.appDescription)));
  out.description = out.value;
  out.role = ROLE_SYSTEM_PUSHBUTTON;
  out.defaultAction = fw::widen(fw::loadString(IDS_ACC_START));
  out.state = STATE_SYSTEM_FOCUSABLE;
  if (focused_ && entry == chosen_) out.state |= STATE_SYSTEM_FOCUSED;
  if (entry == highlight_) out.state |= STATE_SYSTEM_HOTTRACKED;
  RECT rc = {};
  GetClientRect(window(), &rc);
  const int left = entryLeft(entry, offset_, entryCount(), rc.right, metrics_.entryWidth);
  if (left == INT_MIN) {
    out.state |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
  } else {
    out.bounds = {left, 0, left + metrics_.entryWidth, metrics_.height};
  }
  return true;
}

bool StripBand::accessibleDoDefault(HWND, long child) {
  if (child < 1 || child > entryCount()) return false;
  start(static_cast<int>(child - 1));
  return true;
}

long StripBand::accessibleFocus(HWND) { return focused_ ? chosen_ + 1 : -1; }

void StripBand::tick() {
  RECT band = {};
  GetWindowRect(window(), &band);
  POINT pt = {};
  GetCursorPos(&pt);
  // The strip holds still while the cursor rests on it or the keyboard works in it.
  if (PtInRect(&band, pt) || focused_) return;
  offset_ = nextOffset(offset_, stripWidth(entryCount(), metrics_.entryWidth), metrics_.scrollStep);
  if (highlight_ != -1) renderStrip(-1);
  InvalidateRect(window(), nullptr, FALSE);
}

void StripBand::onShow(bool show) {
  if (!window()) return;
  if (show && !timerRunning_) {
    offset_ = 0;
    timerRunning_ = SetTimer(window(), kScrollTimer, kScrollMs, nullptr) != 0;
  } else if (!show && timerRunning_) {
    KillTimer(window(), kScrollTimer);
    timerRunning_ = false;
  }
}

void StripBand::onClose() {
  if (window()) fw::detachAccessible(window());
  if (timerRunning_ && window()) KillTimer(window(), kScrollTimer);
  timerRunning_ = false;
  if (tooltip_ && IsWindow(tooltip_)) DestroyWindow(tooltip_);
  tooltip_ = nullptr;
  if (strip_) DeleteObject(strip_);
  strip_ = nullptr;
  entries_.clear();
  highlight_ = -1;
  chosen_ = 0;
  focused_ = false;
  offset_ = 0;
}

LRESULT StripBand::onNotify(NMHDR* header, bool& handled) {
  if (!header || (header->code != TTN_NEEDTEXTA && header->code != TTN_NEEDTEXTW)) return 0;
  const int entry = entryUnderCursor();
  const std::string_view text =
      entry >= 0 ? fieldText(entries_[entry].appDescription) : std::string_view();
  if (header->code == TTN_NEEDTEXTA) {
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
    info->hinst = nullptr;
    if (entry >= 0) {
      info->lpszText = entries_[entry].appDescription;
    } else {
      info->szText[0] = '\0';
      info->lpszText = info->szText;
    }
  } else {
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    info->hinst = nullptr;
    tipText_ = fw::widen(std::string(text));
    info->lpszText = &tipText_[0];
  }
  handled = true;
  return 0;
}

LRESULT StripBand::onMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window(), &ps);
      paint(dc);
      EndPaint(window(), &ps);
      handled = true;
      return 0;
    }
    case WM_PRINTCLIENT:
      paint(reinterpret_cast<HDC>(wParam));
      handled = true;
      return 0;
    case WM_ERASEBKGND:
      handled = true;
      return 1;
    case WM_TIMER:
      if (wParam != kScrollTimer) return 0;
      tick();
      handled = true;
      return 0;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == window()) {
        const int entry = entryUnderCursor();
        if (entry != highlight_) {
          renderStrip(entry);
          InvalidateRect(window(), nullptr, FALSE);
        }
      }
      return 0;  // and the class cursor, by default processing
    case WM_LBUTTONDBLCLK:
      // One click point lies in exactly one entry's range: one program starts.
      start(entryAt(GET_X_LPARAM(lParam), offset_, entryCount(), clientWidth(), metrics_.entryWidth));
      handled = true;
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(window());
      return 0;
    case WM_GETDLGCODE:
      handled = true;
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
      handled = onKey(wParam);
      return 0;
    case WM_CONTEXTMENU:
      if (GET_X_LPARAM(lParam) != -1 || GET_Y_LPARAM(lParam) != -1) return 0;  // the host's
      keyboardMenu();
      handled = true;
      return 0;
    case fw::kDpiChangedAfterParent:
      takeMetrics();
      handled = true;
      return 0;
    case WM_NOTIFY:
      return onNotify(reinterpret_cast<NMHDR*>(lParam), handled);
    default:
      return 0;
  }
}

// ---- IContextMenu ----------------------------------------------------------------------

STDMETHODIMP StripBand::QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last,
                                         UINT flags) {
  if (flags & CMF_DEFAULTONLY) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
  // Only ids up to the host's last one.
  if (first + 1 <= last)
    InsertMenuA(menu, index, MF_BYPOSITION | MF_STRING, first + 1,
                fw::loadString(IDS_PROPERTY).c_str());
  return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2);
}

STDMETHODIMP StripBand::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  if (!info || HIWORD(reinterpret_cast<UINT_PTR>(info->lpVerb))) return E_INVALIDARG;
  if (LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb)) != 1) return E_INVALIDARG;
  if (window()) runModal(0, entryUnderCursor());
  return S_OK;
}

HRESULT createStripBand(REFIID iid, void** out) { return fw::createObject<StripBand>(iid, out); }

}  // namespace bands
