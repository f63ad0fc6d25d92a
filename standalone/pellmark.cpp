// pellmark.exe: the SCSI Explorer window as a program of its own.
#include <windows.h>

#include "standalone/pellmark_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  standalone::CPellmarkApp app;
  return app.run();
}
