// Binding of the SCSI manager library, wnvrax32.dll. It is loaded by its bare file name
// (whichever library the process finds is the manager) and each entry point is resolved
// by name immediately before each use, never cached: the library is outside the suite.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "scsi/commands.h"
#include "scsi/keeper.h"
#include "scsi/records.h"

namespace scsi {

constexpr const char* kManagerFileName = "wnvrax32.dll";

// The library's entry points, C calling convention.
using GetSupportInfoFn = uint32_t(__cdecl*)();
using SendCommandFn = uint32_t(__cdecl*)(void* block);
using GetPciConfigFn = uint32_t(__cdecl*)(uint32_t adapterNumber, uint8_t* buffer,
                                          uint32_t length);

constexpr const char* kGetSupportInfo = "GetVRAX32SupportInfo";
constexpr const char* kSendCommand = "SendVRAX32Command";
constexpr const char* kGetPciConfig = "GetHAPCIConfigInfo";

// Resolves an entry point of the loaded library; null when the library or name is missing.
GetSupportInfoFn resolveSupportInfo(HMODULE library);
SendCommandFn resolveSendCommand(HMODULE library);
GetPciConfigFn resolvePciConfig(HMODULE library);

// Whether the application shows the wait cursor while a request runs (the property
// pages do, the inventory does not).
enum class Feedback : uint8_t { None, WaitCursor };

// How a request ended.
enum class WaitEnd : uint8_t {
  NotSent,    // no usable manager: nothing was called
  Answered,   // the send returned non-zero: finished (or refused) at once, no wait
  Signalled,  // pending, and the manager signalled completion within the wait
  Expired,    // pending, and the wait ran out: abandoned, the block shows status 0
};

struct SendResult {
  WaitEnd end = WaitEnd::NotSent;
  uint32_t sendResult = 0;  // what SendVRAX32Command returned
  bool ok = false;          // exactly when the block's status is 1
};

// The module's one manager handle, held from start-up to module exit.
class ScsiManager {
 public:
  ScsiManager() = default;
  ~ScsiManager() { unload(); }
  ScsiManager(const ScsiManager&) = delete;
  ScsiManager& operator=(const ScsiManager&) = delete;

  // LoadLibraryA of the bare name; false when it cannot be loaded (no message here).
  // Tests may name another library to see the suite without a usable manager.
  bool load(const char* fileName = kManagerFileName);
  // Frees the library, then whatever abandoned requests it can no longer touch.
  void unload();
  HMODULE handle() const { return library_; }

  // The support word: bits 15..8 manager status (1 = initialised), bits 7..0 the number
  // of adapters. A library without the entry point (or without SendVRAX32Command, which
  // makes it unusable) answers 0: a manager that is not initialised and has no adapters.
  uint32_t supportInfo() const;

  // SendAndWait on this manager; see sendAndWait below.
  SendResult send(ExecCommandBlock& block, Feedback feedback, uint32_t waitMs = kWaitMs);

  // Requests abandoned after their wait that the manager has not finished yet.
  size_t abandonedCount() const { return keeper_.count(); }
  void reclaimAbandoned() { keeper_.reclaim(); }

 private:
  HMODULE library_ = nullptr;
  RequestKeeper keeper_;
};

// The instance owned by the module that links this library.
ScsiManager& scsiManager();

// Module start-up's part: loads the manager; when it cannot be loaded shows message 107
// (caption 32848, stop icon) owned by the active window and answers false, and the
// module must then fail to start.
bool startManager(const char* fileName = kManagerFileName);
// Module exit's part: releases the manager.
void stopManager();

// Posts a filled execute block (see fillExecBlock) and waits for its completion: a fresh
// manual-reset event per request, reset just before the send, a wait of at most waitMs
// only when the send returned 0, the event closed afterwards. The manager is handed a
// copy of the block and of the data buffer (block.dataBuffer, block.dataLength) owned by
// this routine; the answer is copied back when the request finished. A request still
// pending when the wait expires is left with the manager and its copies are kept alive
// until it finishes; the caller's block and buffer stay as they were (status 0).
SendResult sendAndWait(ExecCommandBlock& block, Feedback feedback, uint32_t waitMs = kWaitMs);

// fillExecBlock and sendAndWait in one: what a page does for each command it sends.
SendResult sendCommand(ExecCommandBlock& block, uint8_t adapterNumber, uint8_t target,
                       const Command& command, void* buffer, Feedback feedback,
                       uint32_t waitMs = kWaitMs);

}  // namespace scsi
