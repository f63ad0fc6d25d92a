// Shared by the tests that run the whole suite over the pass-through manager's test
// build. They live in bin/passthrough-fake/, beside that build's wnvrax32.dll, because
// the suite loads the manager by its bare name and the search starts in the program's
// folder; Corvath itself stays registered from bin/, where every other test registers it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace pttest {

constexpr const char* kCaption = "Velmora SCSI Explorer";

// This program's folder, with a trailing backslash.
std::string folder();
// Registers bin\corvath.dll (the folder above this one) through its DllRegisterServer.
HRESULT registerCorvath();

// The fake machine's request log (VRAX_PT_FAKE_LOG), read from a byte offset on: the
// lines that requests appended after a moment whose size() was taken.
class RequestLog {
 public:
  explicit RequestLog(const std::string& name);
  const std::string& path() const { return path_; }
  size_t size() const;
  std::vector<std::string> linesSince(size_t offset) const;

 private:
  std::string path_;
};

// Whether one of the lines starts with `start` and ends with `end`.
bool hasLine(const std::vector<std::string>& lines, const std::string& start, const std::string& end = "");

}  // namespace pttest
