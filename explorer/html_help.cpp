#include "explorer/html_help.h"

namespace explorer {
namespace {

HtmlHelpProc g_testProc = nullptr;
// Loaded once and kept for the life of the process: help windows belong to the library
// and may outlive the window that opened them.
HMODULE g_library = nullptr;
HtmlHelpProc g_proc = nullptr;

HtmlHelpProc entry() {
  if (g_testProc) return g_testProc;
  if (!g_library) {
    g_library = LoadLibraryA("hhctrl.ocx");
    if (g_library)
      g_proc = reinterpret_cast<HtmlHelpProc>(
          reinterpret_cast<void*>(GetProcAddress(g_library, "HtmlHelpA")));
  }
  return g_proc;
}

}  // namespace

HWND htmlHelp(HWND owner, const std::string& file, UINT command, DWORD_PTR data) {
  HtmlHelpProc proc = entry();
  return proc ? proc(owner, file.empty() ? nullptr : file.c_str(), command, data) : nullptr;
}

bool htmlHelpLoaded() { return g_testProc != nullptr || g_proc != nullptr; }

void setHtmlHelpForTesting(HtmlHelpProc proc) { g_testProc = proc; }

}  // namespace explorer
