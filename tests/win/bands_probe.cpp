// A program for the strip's start tests: it notes which file it was started as and with
// which command line (when ORV_PROBE_LOG names a file), then waits until the test lets it
// go, so that the test can count the programs a double click started while they run.
#include <windows.h>

#include <cstdio>

int main() {
  char log[MAX_PATH] = {};
  if (GetEnvironmentVariableA("ORV_PROBE_LOG", log, sizeof log) && log[0]) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    if (FILE* f = std::fopen(log, "ab")) {
      std::fprintf(f, "%s|%s\n", self, GetCommandLineA());
      std::fclose(f);
    }
  }
  HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, "orv_bands_probe_release");
  if (release) WaitForSingleObject(release, 60000);
  return 0;
}
