#include "bands/band_object.h"

#include <commctrl.h>

#include <cstring>
#include <string>

#include "bands/gastrel_res.h"
#include "framework/modal_call.h"
#include "framework/dpi.h"
#include "framework/module.h"
#include "framework/regkey.h"
#include "framework/strings.h"

namespace {
constexpr UINT kModalMessage = WM_APP + 0x60;
}

BandObject::BandObject(bands::BandKind kind, const CLSID& clsid) : kind_(kind), clsid_(clsid) {}

BandObject::~BandObject() {
  if (inputSite_) inputSite_->Release();
}

// ---- IUnknown --------------------------------------------------------------------------

STDMETHODIMP BandObject::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleWindow) ||
      IsEqualIID(riid, IID_IDockingWindow) || IsEqualIID(riid, IID_IDeskBand)) {
    *out = static_cast<IDeskBand*>(this);
  } else if (IsEqualIID(riid, IID_IInputObject)) {
    *out = static_cast<IInputObject*>(this);
  } else if (IsEqualIID(riid, IID_IObjectWithSite)) {
    *out = static_cast<IObjectWithSite*>(this);
  } else if (IsEqualIID(riid, IID_IPersist) || IsEqualIID(riid, IID_IPersistStream)) {
    *out = static_cast<IPersistStream*>(this);
  } else if (IsEqualIID(riid, IID_IContextMenu)) {
    *out = static_cast<IContextMenu*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) BandObject::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) BandObject::Release() {
  LONG left = InterlockedDecrement(&refs_);
  if (left == 0) {
    // While the object is still whole, so that each band's own clean-up runs.
    closeBand();
    delete this;
  }
  return static_cast<ULONG>(left);
}

// ---- IOleWindow, IDockingWindow, IDeskBand ---------------------------------------------

STDMETHODIMP BandObject::GetWindow(HWND* window) {
  if (!window) return E_INVALIDARG;
  *window = window_;
  return S_OK;
}

STDMETHODIMP BandObject::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP BandObject::ShowDW(BOOL show) {
  if (window_) ShowWindow(window_, show ? SW_SHOW : SW_HIDE);
  onShow(show != FALSE);
  return S_OK;
}

STDMETHODIMP BandObject::CloseDW(DWORD) {
  closeBand();
  return S_OK;
}

STDMETHODIMP BandObject::ResizeBorderDW(LPCRECT, IUnknown*, BOOL) { return E_NOTIMPL; }

STDMETHODIMP BandObject::GetBandInfo(DWORD bandId, DWORD viewMode, DESKBANDINFO* info) {
  if (!info) return E_INVALIDARG;
  bandId_ = bandId;
  viewMode_ = viewMode;
  // Sizes for the screen the band is on.
  const bands::BandMetrics m =
      bands::bandMetricsAt(kind_, fw::dpiOf(window_ ? window_ : siteWindow_));
  if (info->dwMask & DBIM_MINSIZE) info->ptMinSize = {m.minX, m.minY};
  if (info->dwMask & DBIM_MAXSIZE) {
    RECT site = {};
    if (siteWindow_) GetClientRect(siteWindow_, &site);
    info->ptMaxSize = {bands::resolveMaxWidth(m.maxX, site.right - site.left), m.maxY};
  }
  if (info->dwMask & DBIM_INTEGRAL) info->ptIntegral = {m.integralX, m.integralY};
  if (info->dwMask & DBIM_ACTUAL) info->ptActual = {m.actualX, m.actualY};
  if (info->dwMask & DBIM_TITLE) {
    info->wszTitle[0] = L'\0';
    if (m.titleId) {
      const std::string title = fw::loadString(m.titleId);
      int n = MultiByteToWideChar(CP_ACP, 0, title.c_str(), -1, info->wszTitle,
                                  static_cast<int>(sizeof info->wszTitle / sizeof(WCHAR)));
      if (n == 0) info->wszTitle[0] = L'\0';
    }
  }
  if (info->dwMask & DBIM_MODEFLAGS) {
    info->dwModeFlags =
        m.mode == bands::BandModeFlag::variableHeight ? DBIMF_VARIABLEHEIGHT : DBIMF_NORMAL;
  }
  // The host's default background.
  info->dwMask &= ~static_cast<DWORD>(DBIM_BKCOLOR);
  return S_OK;
}

// ---- IInputObject ----------------------------------------------------------------------

STDMETHODIMP BandObject::UIActivateIO(BOOL activate, MSG*) {
  if (activate && window_) SetFocus(window_);
  return S_OK;
}

STDMETHODIMP BandObject::HasFocusIO() { return focus_ ? S_OK : S_FALSE; }

STDMETHODIMP BandObject::TranslateAcceleratorIO(MSG*) { return S_FALSE; }

void BandObject::focusChanged(bool focus) {
  focus_ = focus;
  if (inputSite_) inputSite_->OnFocusChangeIS(static_cast<IDockingWindow*>(this), focus);
}

// ---- IObjectWithSite -------------------------------------------------------------------

STDMETHODIMP BandObject::SetSite(IUnknown* site) {
  if (inputSite_) {
    inputSite_->Release();
    inputSite_ = nullptr;
  }
  if (!site) return S_OK;

  IOleWindow* oleWindow = nullptr;
  if (FAILED(site->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&oleWindow))))
    return E_FAIL;
  HWND parent = nullptr;
  HRESULT hr = oleWindow->GetWindow(&parent);
  oleWindow->Release();
  if (FAILED(hr) || !parent) return E_FAIL;

  // A new site gets a new window: the old one and its contents go first.
  closeBand();
  siteWindow_ = parent;
  if (!registerWindowClass()) return E_FAIL;
  RECT rc = {};
  GetClientRect(parent, &rc);
  const WindowClass wc = windowClass();
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (wc.border ? WS_BORDER : 0);
  // Common Controls 6 for the band and the controls it makes, in any host.
  fw::WindowScope scope(false);
  HWND created = CreateWindowExA(0, wc.name, nullptr, style, rc.left, rc.top,
                                 rc.right - rc.left, rc.bottom - rc.top, parent, nullptr,
                                 reinterpret_cast<HINSTANCE>(fw::resourceModule()), this);
  if (!created) return E_FAIL;

  if (FAILED(site->QueryInterface(IID_IInputObjectSite, reinterpret_cast<void**>(&inputSite_)))) {
    inputSite_ = nullptr;
    return E_FAIL;
  }
  return S_OK;
}

STDMETHODIMP BandObject::GetSite(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return inputSite_ ? inputSite_->QueryInterface(riid, out) : E_FAIL;
}

// ---- IPersistStream --------------------------------------------------------------------

STDMETHODIMP BandObject::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = clsid_;
  return S_OK;
}

STDMETHODIMP BandObject::IsDirty() { return S_FALSE; }
STDMETHODIMP BandObject::Load(IStream*) { return S_OK; }
STDMETHODIMP BandObject::Save(IStream*, BOOL) { return S_OK; }
STDMETHODIMP BandObject::GetSizeMax(ULARGE_INTEGER*) { return E_NOTIMPL; }

// ---- the band window -------------------------------------------------------------------

bool BandObject::registerWindowClass() const {
  const WindowClass wc = windowClass();
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(fw::resourceModule());
  WNDCLASSA existing = {};
  if (GetClassInfoA(instance, wc.name, &existing)) return true;
  WNDCLASSA cls = {};
  cls.style = wc.style;
  cls.lpfnWndProc = &BandObject::windowProc;
  cls.hInstance = instance;
  cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(wc.backgroundColour + 1));
  cls.lpszClassName = wc.name;
  return RegisterClassA(&cls) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

LRESULT CALLBACK BandObject::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* band = static_cast<BandObject*>(cs->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(band));
    band->window_ = window;
  }
  auto* band = reinterpret_cast<BandObject*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!band) return DefWindowProcA(window, message, wParam, lParam);

  switch (message) {
    case WM_CREATE:
      band->onCreate();
      return 0;
    case WM_SETFOCUS:
      band->focusChanged(true);
      band->onFocus();
      return 0;
    case WM_KILLFOCUS:
      // Focus handed on to the band's own control stays the band's.
      if (!IsChild(window, reinterpret_cast<HWND>(wParam))) {
        band->focusChanged(false);
        band->onFocusLost();
      }
      return 0;
    case kModalMessage:
      band->runModal(wParam, lParam);
      return 0;
    case WM_HELP:
      // F1 anywhere in the band: the suite's help file.
      band->showHelp();
      return TRUE;
    case WM_NCDESTROY:
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      band->window_ = nullptr;
      return DefWindowProcA(window, message, wParam, lParam);
    default:
      break;
  }
  bool handled = false;
  LRESULT result = band->onMessage(message, wParam, lParam, handled);
  return handled ? result : DefWindowProcA(window, message, wParam, lParam);
}

LRESULT BandObject::onMessage(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

void BandObject::runModal(WPARAM action, LPARAM argument) {
  fw::ModalCall hold(static_cast<IDeskBand*>(this), corvath_.dispatch());
  onModal(action, argument);
}

void BandObject::postModal(WPARAM action, LPARAM argument) {
  if (window_) PostMessageA(window_, kModalMessage, action, argument);
}

void BandObject::watchFocus(HWND control) {
  if (control) SetWindowSubclass(control, watchedProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK BandObject::watchedProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR data) {
  auto* band = reinterpret_cast<BandObject*>(data);
  switch (message) {
    case WM_SETFOCUS:
      // A click on the control itself, past the band window.
      if (!band->focus_) band->focusChanged(true);
      break;
    case WM_KILLFOCUS: {
      const HWND to = reinterpret_cast<HWND>(wParam);
      if (band->focus_ && to != band->window_ && !(band->window_ && IsChild(band->window_, to))) {
        band->focusChanged(false);
        band->onFocusLost();
      }
      break;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(control, watchedProc, 1);
      break;
    default:
      break;
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

void BandObject::showHelp() const {
  // The help file lies in the install folder that the App Paths entry names.
  std::string folder;
  fw::RegKey key;
  constexpr char kAppPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Orvane";
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAppPath, 0, KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS) {
    char path[MAX_PATH] = {};
    DWORD size = sizeof path - 1, type = 0;
    if (RegQueryValueExA(key.get(), "Path", nullptr, &type, reinterpret_cast<BYTE*>(path), &size) ==
            ERROR_SUCCESS && type == REG_SZ) {
      folder.assign(path, strnlen(path, sizeof path));
      if (!folder.empty() && folder.back() != '\\') folder += '\\';
    }
  }
  using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
  static HMODULE engine = LoadLibraryA("hhctrl.ocx");
  auto htmlHelp = engine ? reinterpret_cast<HtmlHelpFn>(
                               reinterpret_cast<void*>(GetProcAddress(engine, "HtmlHelpA")))
                         : nullptr;
  constexpr UINT kDisplayTopic = 0;  // HH_DISPLAY_TOPIC
  if (htmlHelp) htmlHelp(window_, (folder + "orvane60.chm").c_str(), kDisplayTopic, 0);
}

bool BandObject::connectCorvath() {
  if (!comInitialized_) comInitialized_ = SUCCEEDED(CoInitialize(nullptr));
  if (corvath_.create()) return true;
  const std::string text = fw::loadString(IDS_NO_CORVATH);
  const std::string caption = fw::loadString(IDS_VELMORA);
  fw::WindowScope scope(true);
  MessageBoxA(window_, text.c_str(), caption.c_str(), MB_OK);
  return false;
}

HWND BandObject::createTooltip() const {
  return CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                         WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                         reinterpret_cast<HINSTANCE>(fw::resourceModule()), nullptr);
}

POINT BandObject::cursorIn(HWND window) const {
  POINT pt = {};
  GetCursorPos(&pt);
  if (window) ScreenToClient(window, &pt);
  return pt;
}

void BandObject::closeBand() {
  // The contents go even when the host destroyed the window already.
  if (window_) ShowWindow(window_, SW_HIDE);
  onClose();
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
  // The records and icons the band used belong to the object: it goes last.
  corvath_.release();
  if (comInitialized_) {
    comInitialized_ = false;
    CoUninitialize();
  }
}
