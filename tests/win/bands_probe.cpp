// A program for the strip's start test: it waits until the test lets it go, so that the
// test can count the programs a double click started while they still run.
#include <windows.h>

int main() {
  HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, "orv_bands_probe_release");
  if (release) WaitForSingleObject(release, 60000);
  return 0;
}
