// The floor of Pellmark's start: a program that shows an empty modal dialog and ends
// when it is closed, built and started the same way as Pellmark.
#include <windows.h>
#include <commctrl.h>

#include "bench/floors_res.h"

namespace {

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if ((message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) || message == WM_CLOSE) {
    EndDialog(dialog, 0);
    return TRUE;
  }
  return message == WM_INITDIALOG;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_BENCH_EMPTY_DIALOG), nullptr, dialogProc, 0);
  return 0;
}
