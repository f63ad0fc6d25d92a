// Corvath's module object: start-up on the first call into the module, exit when COM
// lets the module go. Start-up runs outside DllMain (loading libraries and showing
// messages under the loader lock is unsafe), with the same outcome for the user: a
// failure shows its message and the object cannot be created.
#pragma once

#include <windows.h>

#include <string>

namespace srv {

constexpr const char* kContextHelpFile = "orvane60.chm::/context.txt";

class CorvathModule {
 public:
  CorvathModule() = default;
  CorvathModule(const CorvathModule&) = delete;
  CorvathModule& operator=(const CorvathModule&) = delete;

  // Runs start-up unless the module is running: sockets (message 101 on failure),
  // rich-edit support, the class factories, the help path, the SCSI manager (message
  // 107 on failure). False when a step failed; what the earlier steps did is undone,
  // so the next call tries again.
  bool start();
  // Module exit: frees the SCSI manager and what start-up took. Nothing when stopped.
  void stop();
  bool running() const { return running_; }

  HINSTANCE instance() const;
  // The module's folder followed by "orvane60.chm::/context.txt"; empty until start-up.
  const std::string& contextHelpPath() const { return contextHelpPath_; }
  // The SCSI manager library; null until start-up succeeded.
  HMODULE libraryHandle() const;

 private:
  bool running_ = false;
  bool sockets_ = false;
  HMODULE richEdit_ = nullptr;
  std::string contextHelpPath_;
};

CorvathModule& corvathModule();

}  // namespace srv
