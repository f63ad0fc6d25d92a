// dunmere.cpl: the Control Panel's entry point. Nothing happens in DllMain: COM and the
// settings are handled on the Control Panel's own thread, from CPL_INIT to CPL_EXIT,
// where no loader lock is held.
#include <windows.h>

#include "applet/applet.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
  return TRUE;
}

extern "C" LONG APIENTRY CPlApplet(HWND controlPanel, UINT message, LPARAM lParam1, LPARAM lParam2) {
  return applet::appletMessage(controlPanel, message, lParam1, lParam2);
}
