// For Windows tests that run against the simulated SCSI manager: its control exports
// (simulator/controls.h), resolved from the manager library the process has loaded, and
// scratch files for bus descriptions and request logs.
#pragma once

#include <windows.h>

#include <string>

#include "scsi/manager.h"

namespace orvtest {

// A control export of the loaded manager library; null when there is none.
template <typename Fn>
Fn simulatorControl(const char* name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(scsi::scsiManager().handle(), name)));
}

// A file in the temporary folder, named for this process so that parallel tests differ.
inline std::string tempPath(const std::string& name) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + "orv_" + std::to_string(GetCurrentProcessId()) + "_" + name;
}

}  // namespace orvtest
