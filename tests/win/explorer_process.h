// Helpers for the tests that run the real programs: registering Corvath in the test
// prefix, starting a program with its own environment, finding its windows and reading
// another process's list, status bar and message boxes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace explorertest {

// Folder of the test program, with a trailing backslash: the binaries sit beside it.
std::string binFolder();
// regsvr32 /s corvath.dll; its exit code.
int registerCorvath();
// A bus description file with no adapters (written once into the temporary folder).
std::string emptyBusFile();

class Child {
 public:
  Child() = default;
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // Starts the command line in the binaries' folder (or in folder, when given);
  // extraEnvironment holds "NAME=value" entries added to this process's environment.
  bool start(const std::string& commandLine, const std::vector<std::string>& extraEnvironment = {},
             const std::string& folder = "");
  DWORD pid() const { return info_.dwProcessId; }
  // Waits for the end while this thread keeps handling its own windows' messages;
  // the exit code, or STILL_ACTIVE after the time-out.
  DWORD wait(DWORD milliseconds);

 private:
  PROCESS_INFORMATION info_ = {};
};

// A visible top-level window of the process with that title (and class, when given),
// waited for up to the time-out; nullptr if none came.
HWND waitForWindow(DWORD pid, const std::string& title, const char* className, DWORD milliseconds);
// A message box of the process (a dialog with the static text 0xFFFF).
HWND waitForMessageBox(DWORD pid, DWORD milliseconds);
// Every visible top-level window with that title, of any process.
std::vector<HWND> windowsTitled(const std::string& title);

// A screenshot of another process's window once what it painted has reached the
// screen: taken again until two in a row agree. The saved file's path.
std::string settledScreenshot(HWND window, const std::string& name);

// Another process's list and status bar, read through memory in that process.
std::vector<std::string> remoteColumn(HWND list, int subItem);
std::string remoteStatusText(HWND bar);

}  // namespace explorertest
