// Pellmark from the process's start to its adapter list painted, against an empty dialog
// program started the same way: each started here in turn, its window found, and the
// time taken when the list holds its items, nothing of the process is left to paint and
// its thread has come back for more messages. Then the program is closed (untimed).
// Rows on stdout for bench/run (bench_kit.h).
//
//   start_bench.exe [--runs N] [--bus FILE]
// With --bus, Pellmark is also measured on that bus (bench/run gives the default bus with
// every device answering at once).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_kit.h"

namespace {

constexpr DWORD kPatienceMs = 60000;
constexpr int kAdapterList = 1000;          // the explorer's list (explorer_res.h)
constexpr WPARAM kStandaloneClose = 57602;  // Pellmark's File > Close

struct Program {
  const char* file;
  const char* windowClass;
  const char* title;
  bool hasList;
};
constexpr Program kPellmark = {"pellmark.exe", "PellmarkDialog", "Velmora SCSI Explorer", true};
constexpr Program kFloor = {"empty_dialog_program.exe", "#32770", "Empty Dialog", false};

std::string binFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string full(path);
  return full.substr(0, full.find_last_of("\\/") + 1);
}

struct Search {
  DWORD pid;
  const Program* program;
  HWND found;
};

BOOL CALLBACK findWindow(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != s->pid || !IsWindowVisible(window)) return TRUE;
  char cls[64] = {}, text[128] = {};
  GetClassNameA(window, cls, sizeof cls);
  GetWindowTextA(window, text, sizeof text);
  if (std::strcmp(cls, s->program->windowClass) || std::strcmp(text, s->program->title)) return TRUE;
  s->found = window;
  return FALSE;
}

BOOL CALLBACK anyToPaint(HWND window, LPARAM param) {
  if (IsWindowVisible(window) && GetUpdateRect(window, nullptr, FALSE)) {
    *reinterpret_cast<bool*>(param) = true;
    return FALSE;
  }
  return TRUE;
}

// The window shown with its items and nothing of it left to paint.
bool painted(HWND window, const Program& program) {
  if (program.hasList &&
      SendMessageA(GetDlgItem(window, kAdapterList), LVM_GETITEMCOUNT, 0, 0) <= 0)
    return false;
  bool pending = GetUpdateRect(window, nullptr, FALSE) != FALSE;
  if (!pending) EnumChildWindows(window, anyToPaint, reinterpret_cast<LPARAM>(&pending));
  return !pending;
}

// Milliseconds from CreateProcess to the window painted; negative on failure.
double startOnce(const Program& program) {
  const std::string folder = binFolder();
  std::string line = "\"" + folder + program.file + "\"";
  std::vector<char> command(line.begin(), line.end());
  command.push_back('\0');
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  const double start = bench::nowMs();
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &si, &pi))
    return -1;
  double ms = -1;
  HWND window = nullptr;
  for (;;) {
    if (!window) {
      Search s = {pi.dwProcessId, &program, nullptr};
      EnumWindows(findWindow, reinterpret_cast<LPARAM>(&s));
      window = s.found;
    }
    if (window && painted(window, program)) {
      // Its thread comes back for messages only when the paint under way is done.
      DWORD_PTR answer = 0;
      SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kPatienceMs, &answer);
      if (painted(window, program)) {
        ms = bench::nowMs() - start;
        break;
      }
    }
    if (bench::nowMs() - start > kPatienceMs ||
        WaitForSingleObject(pi.hProcess, 0) != WAIT_TIMEOUT)
      break;
    Sleep(1);  // polling another process's windows: nothing here can be waited on
  }
  if (window) {
    PostMessageA(window, WM_COMMAND, program.hasList ? kStandaloneClose : IDCANCEL, 0);
    PostMessageA(window, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(pi.hProcess, kPatienceMs) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 1);
    ms = -1;
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return ms;
}

bench::Session session(const Program& program) {
  return [&program] {
    double ms = startOnce(program);
    if (ms < 0) std::fprintf(stderr, "%s did not come up painted\n", program.file);
    return ms < 0 ? std::vector<double>() : std::vector<double>{ms};
  };
}

bench::Row startRow(const char* section, const std::string& what, int runs, double target,
                    const char* targetText) {
  std::fprintf(stderr, "measuring: %s\n", what.c_str());
  bench::Alternated m = bench::alternate(session(kPellmark), session(kFloor), runs);
  if (!m.ok) bench::fail("Pellmark or the empty dialog program did not come up");
  bench::Row r;
  r.section = section;
  r.what = what;
  r.measured = m.a[0];
  r.floor = "empty dialog program: start to painted";
  r.floorFigures = m.b[0];
  r.ratio = bench::pairedRatio(r.measured, r.floorFigures);
  r.target = target;
  r.targetText = targetText;
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 9;
  std::string bus;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--bus") && i + 1 < argc) bus = argv[++i];
  }
  SetEnvironmentVariableA("VRAX_SIM_STATE", "none");
  if (!bus.empty()) {
    // The default bus with every device answering at once, as the window figures are taken.
    SetEnvironmentVariableA("VRAX_SIM_BUS", bus.c_str());
    bench::printRow(startRow("Process starts",
                             "Pellmark: process start to adapter list painted (answers at once)",
                             runs, 1.5, "<= 1.5x"));
  }
  // The default bus as the demonstration serves it: most answers come from the
  // simulator's completion thread.
  SetEnvironmentVariableA("VRAX_SIM_BUS", nullptr);
  bench::printRow(startRow("Where the time goes",
                           "Pellmark: process start to adapter list painted (default bus, "
                           "answers from the simulator's thread)",
                           runs, 0, "-"));
  return 0;
}
