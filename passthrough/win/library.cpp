#include "passthrough/win/library.h"

#include "passthrough/translate.h"

namespace ptwin {

namespace {

HMODULE thisModule(bool addReference) {
  HMODULE module = nullptr;
  DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS;
  if (!addReference) flags |= GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  GetModuleHandleExA(flags, reinterpret_cast<LPCSTR>(&thisModule), &module);
  return module;
}

}  // namespace

Library& Library::instance() {
  static Library library;
  return library;
}

Library::Library() : system_(makeSystem()), manager_(new pt::Manager(*system_)) {
  InitializeCriticalSection(&lock_);
}

Library::~Library() {
  manager_.reset();  // closes its devices through the system, which goes after it
  DeleteCriticalSection(&lock_);
}

uint32_t Library::supportInfo() { return manager_->supportInfo(); }

uint32_t Library::pciConfig(uint32_t adapterNumber, uint8_t* buffer, uint32_t length) {
  return manager_->pciConfig(adapterNumber, buffer, length) ? 1 : 0;
}

uint32_t Library::send(void* p) {
  if (!p) return pt::kStatusInvalidRequest;
  auto* header = static_cast<scsi::RequestBlock*>(p);
  if (header->command == scsi::kCmdAdapterInquiry)
    return manager_->inquire(*static_cast<scsi::AdapterInquiryBlock*>(p));
  if (header->command != scsi::kCmdExecute) {
    header->status = pt::kStatusInvalidRequest;
    return header->status;
  }
  auto* block = static_cast<scsi::ExecCommandBlock*>(p);
  if (const uint8_t refused = manager_->refusal(*block)) {
    block->header.status = refused;
    return refused;
  }
  Job job{block, nullptr};
  if ((block->header.flags & scsi::kFlagPostEvent) && block->completionEvent) {
    // Our own handle: signalling it stays right even if the caller closes theirs early.
    HANDLE theirs = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(block->completionEvent));
    if (!DuplicateHandle(GetCurrentProcess(), theirs, GetCurrentProcess(), &job.event, 0, FALSE,
                         DUPLICATE_SAME_ACCESS))
      job.event = nullptr;
  }
  block->header.status = scsi::kStatusPending;
  if (post(job)) return 0;
  // No thread to be had: carried out here, and the answer is final.
  complete(job);
  return block->header.status;
}

void Library::complete(const Job& job) {
  const pt::ExecAnswer answer = manager_->execute(*job.block);
  pt::writeAnswer(*job.block, answer);
  // The status is what a waiter tests: it goes last, after everything else is in place.
  MemoryBarrier();
  *static_cast<volatile uint8_t*>(&job.block->header.status) = answer.status;
  MemoryBarrier();
  if (job.event) {
    SetEvent(job.event);
    CloseHandle(job.event);
  }
}

bool Library::post(const Job& job) {
  EnterCriticalSection(&lock_);
  bool posted = running_;
  if (!posted) {
    HMODULE self = thisModule(true);
    HANDLE thread = self ? CreateThread(nullptr, 0, &Library::threadMain, this, 0, nullptr) : nullptr;
    if (thread) {
      CloseHandle(thread);
      running_ = posted = true;
    } else if (self) {
      FreeLibrary(self);
    }
  }
  if (posted) queue_.push_back(job);
  LeaveCriticalSection(&lock_);
  return posted;
}

DWORD WINAPI Library::threadMain(void* self) {
  static_cast<Library*>(self)->run();
  // The reference taken when the thread started: dropped only once nothing of ours runs.
  FreeLibraryAndExitThread(thisModule(false), 0);
  return 0;
}

void Library::run() {
  for (;;) {
    EnterCriticalSection(&lock_);
    if (queue_.empty()) {
      running_ = false;
      LeaveCriticalSection(&lock_);
      return;
    }
    const Job job = queue_.front();
    queue_.pop_front();
    LeaveCriticalSection(&lock_);
    complete(job);
  }
}

}  // namespace ptwin
