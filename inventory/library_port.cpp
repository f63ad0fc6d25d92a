#include "inventory/library_port.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>

#include "framework/msgbox.h"
#include "framework/strings.h"
#include "inventory/device_types.h"
#include "scsi/handle.h"
#include "scsi/keeper.h"
#include "scsi/scsi_res.h"

namespace inv {

namespace {

// Scan requests abandoned after their wait: the manager may still write their block
// and buffer and signal their event, so they outlive the scan (and, unfinished, the
// process's orderly exit).
scsi::RequestKeeper& abandonedScans() {
  static scsi::RequestKeeper keeper;
  return keeper;
}

HANDLE newEvent() { return CreateEventA(nullptr, TRUE, FALSE, nullptr); }

class LibraryScanSession : public ScanSession {
 public:
  LibraryScanSession(scsi::SendCommandFn send, HANDLE event) : send_(send), event_(event) {}

  Completion execute(scsi::ExecCommandBlock& block, uint8_t* data, uint32_t length) override {
    block.header.status = scsi::kStatusPending;
    if (!event_) event_ = scsi::UniqueHandle(newEvent());
    // The manager works on a copy, so that an abandoned request never writes into the
    // caller's block or buffer.
    std::unique_ptr<scsi::PendingRequest> request(new (std::nothrow) scsi::PendingRequest{});
    if (request) request->data.reset(new (std::nothrow) uint8_t[length]);
    if (!event_ || !request || !request->data) return Completion::Expired;
    std::memcpy(request->data.get(), data, length);
    request->block = block;
    request->block.dataBuffer = scsi::blockAddress(request->data.get());
    request->block.dataLength = length;
    request->block.completionEvent = scsi::blockAddress(event_.get());

    ResetEvent(event_.get());
    Completion completion = Completion::Immediate;
    if (send_(&request->block) == 0) {
      if (WaitForSingleObject(event_.get(), scsi::kWaitMs) != WAIT_OBJECT_0) {
        // The event goes with the abandoned request; the rest of the scan takes a new one.
        request->event = std::move(event_);
        abandonedScans().keep(std::move(request));
        return Completion::Expired;
      }
      completion = Completion::Signalled;
    }
    scsi::BlockAddress callerBuffer = block.dataBuffer;
    block = request->block;
    block.dataBuffer = callerBuffer;
    block.completionEvent = 0;
    std::memcpy(data, request->data.get(), length);
    return completion;
  }

 private:
  scsi::SendCommandFn send_;
  scsi::UniqueHandle event_;
};

}  // namespace

uint32_t LibraryManagerPort::supportInfo() { return manager_.supportInfo(); }

void LibraryManagerPort::inquireAdapter(scsi::AdapterInquiryBlock& block) {
  // Answered at once, in place; the result says nothing the block does not.
  if (scsi::SendCommandFn send = scsi::resolveSendCommand(manager_.handle())) send(&block);
}

bool LibraryManagerPort::readPciConfig(uint8_t adapterNumber,
                                       uint8_t (&config)[kPciConfigSize]) {
  scsi::GetPciConfigFn read = scsi::resolvePciConfig(manager_.handle());
  if (!read) return false;
  read(adapterNumber, config, kPciConfigSize);
  return true;
}

std::unique_ptr<ScanSession> LibraryManagerPort::beginScan() {
  abandonedScans().reclaim();
  scsi::SendCommandFn send = scsi::resolveSendCommand(manager_.handle());
  HANDLE event = send ? newEvent() : nullptr;
  if (!event) return nullptr;
  return std::unique_ptr<ScanSession>(new LibraryScanSession(send, event));
}

size_t LibraryManagerPort::abandonedCount() {
  abandonedScans().reclaim();
  return abandonedScans().count();
}

void MessageBoxSink::show(unsigned id, const std::vector<MessageArg>& args) {
  fw::messageBoxText(nullptr, formatMessageText(fw::loadString(id), args), IDS_SUITE_CAPTION,
                     MB_OK | MB_ICONEXCLAMATION);
}

void MessageBoxSink::showOnce(unsigned id, const std::vector<MessageArg>& args) {
  static std::mutex lock;
  static std::vector<unsigned> shown;
  {
    std::lock_guard<std::mutex> guard(lock);
    if (std::find(shown.begin(), shown.end(), id) != shown.end()) return;
    shown.push_back(id);
  }
  show(id, args);
}

std::string MessageBoxSink::text(unsigned id) { return fw::loadString(id); }

std::string deviceTypeText(unsigned deviceType) {
  return fw::loadString(deviceTypeName(deviceType));
}

}  // namespace inv
