#include "tests/win/bands_site.h"

#include "framework/pixels.h"
#include "tests/win/server_support.h"

namespace bandtest {

const CLSID kTreeBand = {0x0abe984f, 0xd4d0, 0x4f97, {0x8f, 0x0d, 0x75, 0x4b, 0xa2, 0x98, 0x0a, 0x3e}};
const CLSID kStripBand = {0xb9c5f117, 0xa7b8, 0x4b0e, {0x9f, 0xca, 0x39, 0xac, 0x4f, 0x75, 0xab, 0xcc}};
const CLSID kDeskBand = {0x223f5313, 0xeebc, 0x4871, {0x91, 0xa7, 0x86, 0x6e, 0xaf, 0x2e, 0x88, 0x7e}};

std::string gastrelPath() { return servertest::binFolder() + "gastrel.dll"; }

HMODULE gastrel() {
  static HMODULE module = LoadLibraryA(gastrelPath().c_str());
  return module;
}

HRESULT getClassObject(const CLSID& clsid, REFIID iid, void** out) {
  using Fn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(gastrel(), "DllGetClassObject")));
  return fn ? fn(clsid, iid, out) : E_FAIL;
}

HRESULT canUnloadNow() {
  using Fn = HRESULT(WINAPI*)();
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(gastrel(), "DllCanUnloadNow")));
  return fn ? fn() : E_FAIL;
}

fw::ComPtr<IDeskBand> createBand(const CLSID& clsid) {
  fw::ComPtr<IClassFactory> factory;
  fw::ComPtr<IDeskBand> band;
  if (SUCCEEDED(getClassObject(clsid, IID_IClassFactory, factory.putVoid())))
    factory->CreateInstance(nullptr, IID_IDeskBand, band.putVoid());
  return band;
}

FakeSite::FakeSite(const char* windowClass, int width, int height) {
  WNDCLASSA cls = {};
  if (!GetClassInfoA(GetModuleHandleA(nullptr), windowClass, &cls)) {
    cls.lpfnWndProc = DefWindowProcA;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    cls.lpszClassName = windowClass;
    RegisterClassA(&cls);
  }
  RECT rc = {0, 0, width, height};
  const DWORD style = WS_POPUP | WS_BORDER | WS_VISIBLE | WS_CLIPCHILDREN;
  AdjustWindowRect(&rc, style, FALSE);
  window_ = CreateWindowExA(0, windowClass, "Band site", style, 40, 40, rc.right - rc.left,
                            rc.bottom - rc.top, nullptr, nullptr, GetModuleHandleA(nullptr),
                            nullptr);
  SetForegroundWindow(window_);
  pumpMessages();
}

FakeSite::~FakeSite() {
  if (window_) DestroyWindow(window_);
  pumpMessages();
}

STDMETHODIMP FakeSite::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleWindow)) {
    *out = static_cast<IOleWindow*>(this);
  } else if (IsEqualIID(riid, IID_IInputObjectSite)) {
    *out = static_cast<IInputObjectSite*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

// A stack object: the count is only watched, never frees.
STDMETHODIMP_(ULONG) FakeSite::AddRef() { return static_cast<ULONG>(++refs_); }
STDMETHODIMP_(ULONG) FakeSite::Release() { return static_cast<ULONG>(--refs_); }

STDMETHODIMP FakeSite::GetWindow(HWND* window) {
  if (!window) return E_INVALIDARG;
  *window = window_;
  return S_OK;
}

STDMETHODIMP FakeSite::OnFocusChangeIS(IUnknown* band, BOOL focus) {
  focusReports.push_back(focus != FALSE);
  lastFocusBand = band;
  return S_OK;
}

HWND bandWindow(IDeskBand* band) {
  HWND window = nullptr;
  if (band) band->GetWindow(&window);
  return window;
}

std::string className(HWND window) {
  char name[128] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

void pumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

Pixels printClient(HWND window) {
  Pixels out;
  RECT rc = {};
  GetClientRect(window, &rc);
  out.width = rc.right;
  out.height = rc.bottom;
  if (out.width <= 0 || out.height <= 0) return out;
  BITMAPINFO info = fw::pixelFormat(out.width, out.height);
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, dib);
  SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  GdiFlush();
  const auto* px = static_cast<const DWORD*>(bits);
  out.rgb.assign(px, px + static_cast<size_t>(out.width) * out.height);
  // DIB pixels are 0xRRGGBB; compared with GetSysColor, which is 0xBBGGRR.
  for (COLORREF& c : out.rgb) c = RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(dib);
  ReleaseDC(nullptr, screen);
  return out;
}

}  // namespace bandtest
