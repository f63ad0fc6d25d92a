#include "framework/dpi.h"

#include <mutex>
#include <utility>
#include <vector>

#include "framework/module.h"

namespace fw {
namespace {

// DPI_AWARENESS_CONTEXT values, spelled out: the headers of older SDKs lack them.
const HANDLE kSystemAware = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-2));
constexpr WORD kIsolationAwareManifest = 2;

template <typename Fn>
Fn user32Function(const char* name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                : nullptr;
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using SetThreadDpiAwarenessContextFn = HANDLE(WINAPI*)(HANDLE);

// One activation context per module that has a DLL manifest, made on first use and
// kept for the life of the process (windows made under it may outlive any one scope).
HANDLE moduleContext(HINSTANCE module) {
  static std::mutex lock;
  static std::vector<std::pair<HINSTANCE, HANDLE>> made;
  std::lock_guard<std::mutex> guard(lock);
  for (const auto& entry : made)
    if (entry.first == module) return entry.second;
  HANDLE context = INVALID_HANDLE_VALUE;
  if (FindResourceA(module, MAKEINTRESOURCEA(kIsolationAwareManifest),
                    MAKEINTRESOURCEA(24) /* RT_MANIFEST */)) {
    char path[MAX_PATH] = {};
    if (GetModuleFileNameA(module, path, MAX_PATH) > 0) {
      ACTCTXA actx = {};
      actx.cbSize = sizeof actx;
      actx.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
      actx.lpSource = path;
      actx.hModule = module;
      actx.lpResourceName = MAKEINTRESOURCEA(kIsolationAwareManifest);
      context = CreateActCtxA(&actx);
    }
  }
  made.emplace_back(module, context);
  return context;
}

}  // namespace

unsigned dpiOf(HWND window) {
  static const auto getDpiForWindow = user32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (window && getDpiForWindow) {
    UINT dpi = getDpiForWindow(window);
    if (dpi) return dpi;
  }
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<unsigned>(dpi) : kBaseDpi;
}

int systemMetric(int index, unsigned dpi) {
  static const auto forDpi = user32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  return forDpi ? forDpi(index, dpi) : GetSystemMetrics(index);
}

HBITMAP loadPicture(HINSTANCE module, UINT id, unsigned dpi) {
  for (int step = pictureStep(dpi); step >= 0; --step) {
    HANDLE picture = LoadImageA(module, MAKEINTRESOURCEA(pictureId(id, step)), IMAGE_BITMAP, 0,
                                0, LR_CREATEDIBSECTION);
    if (picture) return static_cast<HBITMAP>(picture);
  }
  return nullptr;
}

WindowScope::WindowScope(bool topLevel) {
  HANDLE context = moduleContext(resourceModule());
  if (context != INVALID_HANDLE_VALUE) activated_ = ActivateActCtx(context, &cookie_) != FALSE;
  if (topLevel) {
    static const auto setContext =
        user32Function<SetThreadDpiAwarenessContextFn>("SetThreadDpiAwarenessContext");
    if (setContext) previousDpi_ = setContext(kSystemAware);
  }
}

WindowScope::~WindowScope() {
  if (previousDpi_) {
    static const auto setContext =
        user32Function<SetThreadDpiAwarenessContextFn>("SetThreadDpiAwarenessContext");
    if (setContext) setContext(previousDpi_);
  }
  if (activated_) DeactivateActCtx(0, cookie_);
}

}  // namespace fw
