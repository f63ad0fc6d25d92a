// winshot [--wait SECONDS] [--title TITLE] NAME
// Saves a PNG of the top-level window with that title (or of the whole screen) under
// the artefact folder and prints its path. With --wait it waits for the window to
// appear and finish drawing. Exit status 0 on success.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/support/screenshot.h"

int main(int argc, char** argv) {
  std::string title, name;
  double waitSeconds = 0;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--title") && i + 1 < argc) title = argv[++i];
    else if (!std::strcmp(argv[i], "--wait") && i + 1 < argc) waitSeconds = std::atof(argv[++i]);
    else name = argv[i];
  }
  if (name.empty()) {
    std::fprintf(stderr, "usage: winshot [--wait SECONDS] [--title TITLE] NAME\n");
    return 2;
  }
  HWND window = nullptr;
  if (!title.empty()) {
    DWORD deadline = GetTickCount() + static_cast<DWORD>(waitSeconds * 1000);
    for (;;) {
      window = FindWindowA(nullptr, title.c_str());
      if (window && IsWindowVisible(window)) break;
      if (static_cast<LONG>(GetTickCount() - deadline) >= 0) {
        std::fprintf(stderr, "winshot: no window titled \"%s\"\n", title.c_str());
        return 1;
      }
      Sleep(100);  // polling another process's windows: there is nothing to wait on
    }
    // Give the other process a moment to finish painting, then capture.
    DWORD_PTR ignored;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    Sleep(500);
  }
  std::string path = orvtest::saveScreenshot(window, name);
  if (path.empty()) {
    std::fprintf(stderr, "winshot: could not save the screenshot\n");
    return 1;
  }
  std::printf("%s\n", path.c_str());
  return 0;
}
