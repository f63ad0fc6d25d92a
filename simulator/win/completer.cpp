#include "simulator/win/completer.h"

#include <algorithm>
#include <cstring>

namespace simwin {

size_t completeRequest(scsi::ExecCommandBlock* block, uint8_t* buffer,
                       const sim::CommandResult& r, HANDLE event,
                       const std::function<void(size_t)>& beforeStatus) {
  size_t written = 0;
  if (buffer && !r.dataIn.empty()) {
    written = std::min(r.dataIn.size(), static_cast<size_t>(block->dataLength));
    std::memcpy(buffer, r.dataIn.data(), written);
  }
  if (r.hasSense) {
    size_t n = std::min<size_t>({block->senseLength, sizeof block->senseArea, r.sense.size()});
    std::memcpy(block->senseArea, r.sense.data(), n);
  }
  block->adapterStatus = r.adapterStatus;
  block->targetStatus = r.targetStatus;
  if (beforeStatus) beforeStatus(written);
  // The status is what a waiter tests: it goes last, after everything else is in place.
  MemoryBarrier();
  *static_cast<volatile uint8_t*>(&block->header.status) = r.status;
  MemoryBarrier();
  if (event) {
    SetEvent(event);
    CloseHandle(event);
  }
  return written;
}

Completer::Completer() {
  InitializeCriticalSection(&cs_);
  InitializeConditionVariable(&changed_);
  heldEvent_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

Completer::~Completer() {
  for (Job& j : held_) {
    if (j.event) CloseHandle(j.event);
  }
  if (heldEvent_) CloseHandle(heldEvent_);
  DeleteCriticalSection(&cs_);
}

void Completer::schedule(Job job, uint32_t delayMs) {
  job.due = GetTickCount64() + delayMs;
  EnterCriticalSection(&cs_);
  queue_.push_back(std::move(job));
  ensureThread();
  WakeAllConditionVariable(&changed_);
  LeaveCriticalSection(&cs_);
}

void Completer::hold(Job job) {
  EnterCriticalSection(&cs_);
  held_.push_back(std::move(job));
  LeaveCriticalSection(&cs_);
  if (heldEvent_) SetEvent(heldEvent_);
}

bool Completer::waitingFor(const std::vector<uint32_t>& seqs) const {
  for (uint32_t s : seqs) {
    if (completing_ == s) return true;
    for (const Job& j : queue_) {
      if (j.seq == s) return true;
    }
  }
  return false;
}

int Completer::releaseLate() {
  EnterCriticalSection(&cs_);
  std::vector<uint32_t> released;
  for (Job& j : held_) {
    j.due = 0;
    released.push_back(j.seq);
    queue_.push_back(std::move(j));
  }
  held_.clear();
  if (!released.empty()) {
    ensureThread();
    WakeAllConditionVariable(&changed_);
  }
  // Bounded, so that a test never hangs here.
  const ULONGLONG deadline = GetTickCount64() + 5000;
  while (waitingFor(released)) {
    ULONGLONG now = GetTickCount64();
    if (now >= deadline) break;
    SleepConditionVariableCS(&changed_, &cs_, static_cast<DWORD>(deadline - now));
  }
  LeaveCriticalSection(&cs_);
  return static_cast<int>(released.size());
}

int Completer::outstanding() {
  EnterCriticalSection(&cs_);
  int n = static_cast<int>(queue_.size() + held_.size()) + (completing_ ? 1 : 0);
  LeaveCriticalSection(&cs_);
  return n;
}

bool Completer::ensureThread() {
  if (running_) return true;
  HMODULE self = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<LPCSTR>(&Completer::threadMain), &self)) {
    return false;
  }
  HANDLE thread = CreateThread(nullptr, 0, &Completer::threadMain, this, 0, nullptr);
  if (!thread) {
    FreeLibrary(self);
    return false;
  }
  CloseHandle(thread);
  running_ = true;
  return true;
}

DWORD WINAPI Completer::threadMain(void* self) {
  static_cast<Completer*>(self)->run();
  // The reference taken in ensureThread(): dropped only once nothing of ours runs.
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&Completer::threadMain), &module);
  FreeLibraryAndExitThread(module, 0);
  return 0;
}

void Completer::run() {
  EnterCriticalSection(&cs_);
  for (;;) {
    if (queue_.empty()) {
      running_ = false;
      WakeAllConditionVariable(&changed_);
      LeaveCriticalSection(&cs_);
      return;
    }
    auto next = std::min_element(queue_.begin(), queue_.end(),
                                 [](const Job& a, const Job& b) { return a.due < b.due; });
    ULONGLONG now = GetTickCount64();
    if (next->due > now) {
      SleepConditionVariableCS(&changed_, &cs_, static_cast<DWORD>(next->due - now));
      continue;
    }
    Job job = std::move(*next);
    queue_.erase(next);
    completing_ = job.seq;
    LeaveCriticalSection(&cs_);
    completeRequest(job.block, job.buffer, job.result, job.event, [&](size_t written) {
      if (done_) done_(job, written);
    });
    EnterCriticalSection(&cs_);
    completing_ = 0;
    WakeAllConditionVariable(&changed_);
  }
}

}  // namespace simwin
