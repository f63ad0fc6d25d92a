#include "tests/win/ui_look_support.h"

#include <cstdlib>
#include <map>

#include "framework/pixels.h"

namespace looktest {

std::string look() {
  const char* value = std::getenv("ORV_LOOK");
  return value && *value ? value : "96";
}

bool highContrast() { return look() == "hc"; }

unsigned screenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return static_cast<unsigned>(dpi);
}

int scaledLength(int length) { return MulDiv(length, static_cast<int>(screenDpi()), 96); }

Capture capture(HWND window) {
  Capture c;
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&msg);
  RECT client = {};
  GetClientRect(window, &client);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  c.width = client.right;
  c.height = client.bottom;
  if (c.width <= 0 || c.height <= 0) return c;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = fw::pixelFormat(c.width, c.height);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib && bits) {
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, c.width, c.height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    c.px.resize(static_cast<size_t>(c.width) * static_cast<size_t>(c.height));
    for (size_t i = 0; i < c.px.size(); ++i)
      c.px[i] = RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF);
    SelectObject(memory, old);
  }
  if (dib) DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (c.px.empty()) c.width = c.height = 0;
  return c;
}

RECT childRect(HWND parent, HWND child) {
  RECT r = {};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

namespace {
RECT clipped(const Capture& c, RECT rect) {
  RECT all = {0, 0, c.width, c.height}, out = {};
  IntersectRect(&out, &rect, &all);
  return out;
}
}  // namespace

std::set<COLORREF> coloursIn(const Capture& c, RECT rect) {
  std::set<COLORREF> colours;
  const RECT r = clipped(c, rect);
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) colours.insert(c.at(x, y));
  return colours;
}

COLORREF commonColour(const Capture& c, RECT rect) {
  std::map<COLORREF, int> counts;
  const RECT r = clipped(c, rect);
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) ++counts[c.at(x, y)];
  COLORREF best = 0;
  int most = -1;
  for (const auto& [colour, n] : counts)
    if (n > most) best = colour, most = n;
  return best;
}

RECT boundsOf(const Capture& c, RECT rect, COLORREF background) {
  const RECT r = clipped(c, rect);
  RECT b = {r.right, r.bottom, r.left, r.top};
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (c.at(x, y) != background) {
        if (x < b.left) b.left = x;
        if (y < b.top) b.top = y;
        if (x + 1 > b.right) b.right = x + 1;
        if (y + 1 > b.bottom) b.bottom = y + 1;
      }
  if (b.right <= b.left || b.bottom <= b.top) return RECT{};
  return b;
}

int rowsOfColour(const Capture& c, RECT rect, COLORREF colour) {
  const RECT r = clipped(c, rect);
  int rows = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    int n = 0;
    for (int x = r.left; x < r.right; ++x) n += c.at(x, y) == colour;
    if (n * 2 >= r.right - r.left && r.right > r.left) ++rows;
  }
  return rows;
}

RECT opaqueBounds(HMODULE module, UINT id, COLORREF key) {
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) return RECT{};
  BITMAP info = {};
  GetObjectA(bitmap, sizeof info, &info);
  const int w = info.bmWidth, h = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
  std::vector<uint32_t> px(static_cast<size_t>(w) * static_cast<size_t>(h));
  BITMAPINFO format = fw::pixelFormat(w, h);
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, static_cast<UINT>(h), px.data(), &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  DeleteObject(bitmap);
  const uint32_t keyPixel = (GetRValue(key) << 16) | (GetGValue(key) << 8) | GetBValue(key);
  RECT b = {w, h, 0, 0};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if ((px[static_cast<size_t>(y) * w + x] & 0xFFFFFF) != keyPixel) {
        if (x < b.left) b.left = x;
        if (y < b.top) b.top = y;
        if (x + 1 > b.right) b.right = x + 1;
        if (y + 1 > b.bottom) b.bottom = y + 1;
      }
  return b.right > b.left ? b : RECT{};
}

namespace {
DWORD WINAPI readInApartment(void* data) {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  (*static_cast<const std::function<void()>*>(data))();
  CoUninitialize();
  return 0;
}
}  // namespace

void readFromAnotherApartment(const std::function<void()>& read) {
  HANDLE thread = CreateThread(nullptr, 0, readInApartment,
                               const_cast<std::function<void()>*>(&read), 0, nullptr);
  if (!thread) return;
  // The windows read live on this thread: it answers their messages until the reader ends.
  for (;;) {
    DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, 30000, QS_ALLINPUT);
    if (woke != WAIT_OBJECT_0 + 1) break;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  CloseHandle(thread);
}

Read readAccessible(HWND window, long child) {
  Read r;
  IAccessible* object = nullptr;
  r.hr = AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                    reinterpret_cast<void**>(&object));
  if (FAILED(r.hr) || !object) return r;
  VARIANT id;
  VariantInit(&id);
  id.vt = VT_I4;
  id.lVal = child;
  BSTR text = nullptr;
  if (object->get_accName(id, &text) == S_OK && text) r.name = text;
  SysFreeString(text);
  text = nullptr;
  if (object->get_accValue(id, &text) == S_OK && text) r.value = text;
  SysFreeString(text);
  VARIANT v;
  VariantInit(&v);
  if (SUCCEEDED(object->get_accRole(id, &v)) && v.vt == VT_I4) r.role = v.lVal;
  VariantInit(&v);
  if (SUCCEEDED(object->get_accState(id, &v)) && v.vt == VT_I4) r.state = v.lVal;
  long left = 0, top = 0, width = 0, height = 0;
  if (object->accLocation(&left, &top, &width, &height, id) == S_OK)
    r.location = {left, top, left + width, top + height};
  object->get_accChildCount(&r.children);
  object->Release();
  return r;
}

std::wstring wide(const std::string& text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 1), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &out[0], n);
  out.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
  return out;
}

}  // namespace looktest
