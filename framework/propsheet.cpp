#include "framework/propsheet.h"

#include <vector>

#include "framework/dpi.h"
#include "framework/module.h"

namespace fw {
namespace {

// PropertySheet's callback carries no user data: the sheet being run on this thread is
// known from here until its window exists.
thread_local PropertySheet* t_starting = nullptr;

constexpr UINT_PTR kSubclassId = 0x4657;  // "FW"

// The sheets running modally on this thread, the innermost last.
thread_local std::vector<HWND> t_running;

// Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PgDn and Ctrl+PgUp turn the pages of a modal sheet. Not
// every comctl32 runs its modal loop through the sheet's own message check (Wine's does
// not), so the keys are offered to it here; one that it takes is not seen again.
LRESULT CALLBACK pageKeys(int code, WPARAM removal, LPARAM data) {
  auto* msg = reinterpret_cast<MSG*>(data);
  if (code == HC_ACTION && removal == PM_REMOVE && msg && msg->message == WM_KEYDOWN &&
      (msg->wParam == VK_TAB || msg->wParam == VK_NEXT || msg->wParam == VK_PRIOR) &&
      (GetKeyState(VK_CONTROL) & 0x8000) && !t_running.empty()) {
    HWND sheet = t_running.back();
    if (sheet && msg->hwnd && GetAncestor(msg->hwnd, GA_ROOT) == sheet &&
        SendMessageA(sheet, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(msg)))
      msg->message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, removal, data);
}

}  // namespace

// ---- page ----------------------------------------------------------------------------

PropertyPage::PropertyPage(UINT templateId) : templateId_(templateId) {}

bool PropertyPage::updateData(bool saveAndValidate) {
  if (!hwnd_) return false;
  DataExchange dx(hwnd_, saveAndValidate);
  doDataExchange(dx);
  return true;
}

void PropertyPage::setModified(bool changed) {
  HWND sheetWindow = hwnd_ ? GetParent(hwnd_) : nullptr;
  if (sheetWindow)
    SendMessageA(sheetWindow, changed ? PSM_CHANGED : PSM_UNCHANGED,
                 reinterpret_cast<WPARAM>(hwnd_), 0);
}

BOOL PropertyPage::onInitDialog() {
  updateData(false);
  return TRUE;
}

INT_PTR PropertyPage::handleMessage(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return FALSE;
}

HPROPSHEETPAGE PropertyPage::create() {
  PROPSHEETPAGEA page = {};
  page.dwSize = sizeof page;
  page.dwFlags = PSP_DEFAULT;
  page.hInstance = resourceModule();
  page.pszTemplate = MAKEINTRESOURCEA(templateId_);
  page.pfnDlgProc = staticProc;
  page.lParam = reinterpret_cast<LPARAM>(this);
  return CreatePropertySheetPageA(&page);
}

INT_PTR PropertyPage::onNotify(const NMHDR* header) {
  LRESULT answer = 0;
  switch (header->code) {
    case PSN_SETACTIVE:
      answer = onSetActive() ? 0 : -1;
      break;
    case PSN_KILLACTIVE:
      answer = onKillActive() ? FALSE : TRUE;
      break;
    case PSN_APPLY:
      answer = onApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
      break;
    case PSN_RESET:
      onReset();
      break;
    default:
      return FALSE;
  }
  SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, answer);
  return TRUE;
}

INT_PTR PropertyPage::dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  bool handled = false;
  INT_PTR result = handleMessage(message, wParam, lParam, handled);
  if (handled) return result;
  switch (message) {
    case WM_INITDIALOG:
      return onInitDialog();
    case WM_COMMAND:
      return onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE
                                                                                       : FALSE;
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      // Only the sheet's own notifications; a control's go to handleMessage.
      if (header && header->hwndFrom == GetParent(hwnd_)) return onNotify(header);
      return FALSE;
    }
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK PropertyPage::staticProc(HWND hwnd, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
  PropertyPage* self;
  if (message == WM_INITDIALOG) {
    // lParam is comctl32's copy of the page record; ours is in its lParam.
    self = reinterpret_cast<PropertyPage*>(reinterpret_cast<PROPSHEETPAGEA*>(lParam)->lParam);
    SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    if (self) self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<PropertyPage*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  }
  if (!self) return FALSE;
  INT_PTR result = self->dispatch(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

// ---- sheet ---------------------------------------------------------------------------

PropertySheet::PropertySheet(const std::string& title, HWND parent, UINT startPage)
    : title_(title), parent_(parent), startPage_(startPage) {}

PropertySheet::~PropertySheet() {
  if (hwnd_) RemoveWindowSubclass(hwnd_, subclassProc, kSubclassId);
  for (PropertyPage* page : pages_)
    if (page->sheet_ == this) page->sheet_ = nullptr;
}

void PropertySheet::addPage(PropertyPage* page) {
  if (!page) return;
  page->sheet_ = this;
  pages_.push_back(page);
}

void PropertySheet::setTitle(const std::string& title, DWORD flags) {
  title_ = title;
  titleFlags_ = flags & PSH_PROPTITLE;
  if (hwnd_) SendMessageA(hwnd_, PSM_SETTITLEA, titleFlags_, reinterpret_cast<LPARAM>(title_.c_str()));
}

void PropertySheet::setActivePage(UINT index) {
  if (hwnd_) SendMessageA(hwnd_, PSM_SETCURSEL, index, 0);
  else startPage_ = index;
}

INT_PTR PropertySheet::doModal() {
  if (pages_.empty()) return -1;
  std::vector<HPROPSHEETPAGE> handles;
  for (PropertyPage* page : pages_) {
    HPROPSHEETPAGE handle = page->create();
    if (!handle) {
      for (HPROPSHEETPAGE made : handles) DestroyPropertySheetPage(made);
      return -1;
    }
    handles.push_back(handle);
  }
  PROPSHEETHEADERA header = {};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_USECALLBACK | titleFlags_;
  header.hwndParent = parent_;
  header.hInstance = resourceModule();
  header.pszCaption = title_.c_str();
  header.nPages = static_cast<UINT>(handles.size());
  header.nStartPage = startPage_ < handles.size() ? startPage_ : 0;
  header.phpage = handles.data();
  header.pfnCallback = sheetCallback;

  PropertySheet* outer = t_starting;
  t_starting = this;
  INT_PTR result;
  const size_t running = t_running.size();
  {
    WindowScope scope(true);
    HHOOK keys = SetWindowsHookExA(WH_GETMESSAGE, pageKeys, nullptr, GetCurrentThreadId());
    result = ::PropertySheetA(&header);
    if (keys) UnhookWindowsHookEx(keys);
  }
  t_running.resize(running);
  t_starting = outer;
  if (hwnd_) {
    RemoveWindowSubclass(hwnd_, subclassProc, kSubclassId);
    hwnd_ = nullptr;
  }
  if (result < 0) return -1;
  return result > 0 ? IDOK : IDCANCEL;
}

LRESULT PropertySheet::handleMessage(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

int CALLBACK PropertySheet::sheetCallback(HWND hwnd, UINT message, LPARAM) {
  PropertySheet* self = t_starting;
  if (message == PSCB_INITIALIZED && self && !self->hwnd_) {
    self->hwnd_ = hwnd;
    t_running.push_back(hwnd);
    SetWindowSubclass(hwnd, subclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(self));
    self->onInitialized();
  }
  return 0;
}

LRESULT CALLBACK PropertySheet::subclassProc(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  PropertySheet* self = reinterpret_cast<PropertySheet*>(data);
  if (message == WM_NCDESTROY) {
    LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    RemoveWindowSubclass(hwnd, subclassProc, kSubclassId);
    if (self) self->hwnd_ = nullptr;
    return result;
  }
  bool handled = false;
  LRESULT result = self ? self->handleMessage(message, wParam, lParam, handled) : 0;
  if (handled) return result;
  result = DefSubclassProc(hwnd, message, wParam, lParam);
  // Apply pressed from the keyboard greys itself out with the focus on it, which leaves the
  // keys nowhere (Esc and Enter then do nothing): the focus goes on to OK.
  constexpr int kApplyButton = 0x3021;
  if (message == WM_COMMAND && LOWORD(wParam) == kApplyButton && IsWindow(hwnd)) {
    HWND focus = GetFocus();
    HWND apply = GetDlgItem(hwnd, kApplyButton);
    if ((!focus || (focus == apply && !IsWindowEnabled(apply))) && GetActiveWindow() == hwnd) {
      if (HWND ok = GetDlgItem(hwnd, IDOK)) {
        SendMessageA(hwnd, DM_SETDEFID, IDOK, 0);
        SetFocus(ok);
      }
    }
  }
  return result;
}

}  // namespace fw
