#include <cstring>
#include <memory>
#include <new>

#include "framework/waitcursor.h"
#include "scsi/manager.h"

namespace scsi {

namespace {

// The manager's copy of the caller's request, with a fresh event.
std::unique_ptr<PendingRequest> copyRequest(const ExecCommandBlock& block) {
  auto request = std::unique_ptr<PendingRequest>(new (std::nothrow) PendingRequest{});
  if (!request) return nullptr;
  uint8_t* callerData = blockPointer(block.dataBuffer);
  if (block.dataLength) {
    if (!callerData) return nullptr;
    request->data.reset(new (std::nothrow) uint8_t[block.dataLength]);
    if (!request->data) return nullptr;
    std::memcpy(request->data.get(), callerData, block.dataLength);
  }
  request->event = UniqueHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!request->event) return nullptr;
  request->block = block;
  request->block.dataBuffer = blockAddress(request->data.get());
  request->block.completionEvent = blockAddress(request->event.get());
  return request;
}

// The answer into the caller's block and buffer; the caller's own buffer address and
// event field stay as the caller filled them.
void copyAnswer(const PendingRequest& request, ExecCommandBlock& block) {
  BlockAddress dataBuffer = block.dataBuffer;
  uint32_t dataLength = block.dataLength;
  BlockAddress event = block.completionEvent;
  block = request.block;
  block.dataBuffer = dataBuffer;
  block.dataLength = dataLength;
  block.completionEvent = event;
  if (dataLength) std::memcpy(blockPointer(dataBuffer), request.data.get(), dataLength);
}

}  // namespace

SendResult ScsiManager::send(ExecCommandBlock& block, Feedback feedback, uint32_t waitMs) {
  keeper_.reclaim();
  SendResult result;
  // Status is the manager's field: a request it never finished shows 0, whatever the
  // block held before.
  block.header.status = kStatusPending;
  SendCommandFn sendCommand = resolveSendCommand(library_);
  if (!sendCommand) return result;
  std::unique_ptr<PendingRequest> request = copyRequest(block);
  if (!request) return result;

  if (feedback == Feedback::WaitCursor) fw::doWaitCursor(1);
  // The event is new and so not signalled: no reset (a call to the server) is needed.
  result.sendResult = sendCommand(&request->block);
  if (result.sendResult != 0) {
    result.end = WaitEnd::Answered;
  } else {
    DWORD waited = WaitForSingleObject(request->event.get(), waitMs);
    result.end = waited == WAIT_OBJECT_0 ? WaitEnd::Signalled : WaitEnd::Expired;
  }
  if (feedback == Feedback::WaitCursor) fw::doWaitCursor(0);

  if (result.end == WaitEnd::Expired) keeper_.keep(std::move(request));
  else copyAnswer(*request, block);
  result.ok = block.header.status == kStatusDone;
  return result;
}

SendResult sendAndWait(ExecCommandBlock& block, Feedback feedback, uint32_t waitMs) {
  return scsiManager().send(block, feedback, waitMs);
}

SendResult sendCommand(ExecCommandBlock& block, uint8_t adapterNumber, uint8_t target,
                       const Command& command, void* buffer, Feedback feedback,
                       uint32_t waitMs) {
  fillExecBlock(block, adapterNumber, target, command, buffer);
  return sendAndWait(block, feedback, waitMs);
}

}  // namespace scsi
