// The library's one manager, behind its three entry points. Execute requests are
// accepted at once and carried out, in order, on a thread of the library: the answer
// fields go into the block, then the status, then the block's event is signalled. The
// thread runs only while requests are queued and holds a reference to the library
// meanwhile, so that the library can be freed with nothing of it still running.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <memory>

#include "passthrough/manager.h"
#include "passthrough/system.h"
#include "scsi/records.h"

namespace ptwin {

// The machine the library serves: this computer's (the shipped library) or the scripted
// one of the test build. Each build links exactly one definition.
std::unique_ptr<pt::System> makeSystem();

class Library {
 public:
  static Library& instance();

  uint32_t supportInfo();
  uint32_t send(void* block);
  uint32_t pciConfig(uint32_t adapterNumber, uint8_t* buffer, uint32_t length);
  // The machine itself, for the test build's own exports.
  pt::System& system() { return *system_; }

 private:
  struct Job {
    scsi::ExecCommandBlock* block;
    HANDLE event;  // our own duplicate of the block's event, or null
  };

  Library();
  ~Library();
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  void complete(const Job& job);
  bool post(const Job& job);  // false when no thread could be started
  static DWORD WINAPI threadMain(void* self);
  void run();

  std::unique_ptr<pt::System> system_;
  std::unique_ptr<pt::Manager> manager_;
  CRITICAL_SECTION lock_;
  std::deque<Job> queue_;
  bool running_ = false;
};

}  // namespace ptwin
