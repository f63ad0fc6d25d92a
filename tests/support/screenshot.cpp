#include "tests/support/screenshot.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "framework/pixels.h"
#include "tests/support/png.h"

namespace orvtest {

std::string artifactFolder() {
  const char* env = std::getenv("ORV_ARTIFACTS");
  std::string folder = env && *env ? env : ".";
  if (!folder.empty() && folder[0] == '/') folder = "Z:" + folder;
  for (char& c : folder) {
    if (c == '/') c = '\\';
  }
  // Create each level.
  for (size_t i = 3; i <= folder.size(); ++i) {
    if (i == folder.size() || folder[i] == '\\') CreateDirectoryA(folder.substr(0, i).c_str(), nullptr);
  }
  return folder;
}

std::string saveScreenshot(HWND window, const std::string& name) {
  RECT rect;
  if (window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    // Let pending paint messages of this thread's other windows run as well.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&msg);
    GetWindowRect(window, &rect);
  } else {
    rect = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return std::string();

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = fw::pixelFormat(width, height);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::string path;
  if (dib && bits) {
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    std::vector<uint8_t> png = encodePng(width, height, static_cast<const uint8_t*>(bits));
    SelectObject(memory, old);
    path = artifactFolder() + "\\" + name + ".png";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
      bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
      ok = std::fclose(f) == 0 && ok;
      if (!ok) path.clear();
    } else {
      path.clear();
    }
  }
  if (dib) DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return path;
}

}  // namespace orvtest
