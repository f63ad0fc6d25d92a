// The window side of scale and look: the DPI a window is shown at, system metrics and
// pictures for it, and the scope under which a module creates its own windows: its
// manifest's activation context (so that a DLL gets Common Controls 6 in any host) and,
// for top-level windows, a system-DPI-aware thread (so that they are laid out for the
// screen instead of being stretched as a bitmap in a host that declares no awareness).
// Calls that older Windows lack are looked up at run time; without them nothing changes.
#pragma once

#include <windows.h>

#include "framework/scale.h"

namespace fw {

// A child window of a per-monitor aware host moved to a screen of another DPI
// (WM_DPICHANGED_AFTERPARENT; the headers declare it for Windows 10 only).
constexpr UINT kDpiChangedAfterParent = 0x02E3;

// The DPI the window is shown at: GetDpiForWindow where the system has it, else the
// screen's logical DPI.
unsigned dpiOf(HWND window);
inline int scaled(HWND window, int length) { return scaled(length, dpiOf(window)); }
// A system metric at a DPI (GetSystemMetricsForDpi where the system has it).
int systemMetric(int index, unsigned dpi);

// The drawing of bitmap resource id that suits dpi (see pictureStep), or the nearest
// smaller drawing when that one is missing; null when there is none at all. The caller
// owns the bitmap.
HBITMAP loadPicture(HINSTANCE module, UINT id, unsigned dpi);

// While it lasts, windows created on this thread take the resource module's manifest
// (resource 2, where a DLL keeps it; a program's own manifest is the process default
// already) and, with topLevel, the thread is system DPI aware. Child windows of a host
// (bands, shell views) take only the manifest: they follow the host's DPI.
class WindowScope {
 public:
  explicit WindowScope(bool topLevel);
  ~WindowScope();
  WindowScope(const WindowScope&) = delete;
  WindowScope& operator=(const WindowScope&) = delete;

  // Whether the module's activation context is active (a DLL with a manifest).
  bool activated() const { return activated_; }

 private:
  ULONG_PTR cookie_ = 0;
  bool activated_ = false;
  HANDLE previousDpi_ = nullptr;
};

}  // namespace fw
