// Completes pending execute requests from the simulator's own thread: writes the
// buffer, the block's answer fields and, last, its status, then signals its event.
// The thread runs only while requests are queued, and holds a reference to the library
// meanwhile, so that the library can be freed with nothing of it still running.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "scsi/records.h"
#include "simulator/device.h"

namespace simwin {

struct Job {
  uint32_t seq = 0;
  scsi::ExecCommandBlock* block = nullptr;
  uint8_t* buffer = nullptr;
  sim::CommandResult result;
  HANDLE event = nullptr;  // our own duplicate of the block's event, or null
  ULONGLONG due = 0;
};

// Writes a finished request into its buffer and block, the status last, and signals
// (and closes) `event`; `beforeStatus` runs just before the status is written, with
// the bytes written into the buffer. Returns that byte count.
size_t completeRequest(scsi::ExecCommandBlock* block, uint8_t* buffer,
                       const sim::CommandResult& result, HANDLE event,
                       const std::function<void(size_t)>& beforeStatus);

class Completer {
 public:
  // Called for each completion just before its status is written, with the job and
  // the bytes written to its buffer.
  using DoneHook = std::function<void(const Job&, size_t)>;

  Completer();
  ~Completer();
  Completer(const Completer&) = delete;
  Completer& operator=(const Completer&) = delete;

  void setDoneHook(DoneHook hook) { done_ = std::move(hook); }
  void schedule(Job job, uint32_t delayMs);
  void hold(Job job);  // completed only by releaseLate()
  // Completes every held request (from the thread) and returns their number once they
  // are done.
  int releaseLate();
  int outstanding();
  // Signalled (auto-reset) each time a request is held, so that a test can wait for one.
  HANDLE heldEvent() const { return heldEvent_; }

 private:
  static DWORD WINAPI threadMain(void* self);
  void run();
  bool ensureThread();  // with cs_ held
  bool waitingFor(const std::vector<uint32_t>& seqs) const;

  CRITICAL_SECTION cs_;
  CONDITION_VARIABLE changed_;
  HANDLE heldEvent_ = nullptr;
  std::vector<Job> queue_;
  std::vector<Job> held_;
  uint32_t completing_ = 0;  // sequence number being completed, 0 when none
  bool running_ = false;
  DoneHook done_;
};

}  // namespace simwin
