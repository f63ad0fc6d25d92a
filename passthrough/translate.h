// An execute request turned into a SCSI pass-through request and back: the bytes handed
// to the driver for a 32-bit or a 64-bit process, the driver's answer read within its
// bounds, and the manager's answer (status, adapter status, target status, sense) made
// from it or from the error Windows reported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "scsi/records.h"

namespace pt {

enum class Width : uint8_t { Bits32, Bits64 };
constexpr Width kNativeWidth = sizeof(void*) == 8 ? Width::Bits64 : Width::Bits32;

constexpr uint8_t kSenseBufferSize = 32;
// Below the suite's 10 s wait, so that a command that times out is reported as such
// rather than abandoned.
constexpr uint32_t kTimeoutSeconds = 8;

// Requests the manager refuses at once, before anything reaches a driver (the values the
// simulated manager answers too).
constexpr uint8_t kStatusInvalidRequest = 0x80;
constexpr uint8_t kStatusInvalidAdapter = 0x81;

struct PassThroughRequest {
  uint8_t pathId = 0;
  uint8_t targetId = 0;
  uint8_t lun = 0;
  uint8_t cdbLength = 0;
  uint8_t cdb[16] = {};
  uint8_t dataIn = 0;  // nt::kDataIn, kDataOut or kDataUnspecified
  uint32_t dataLength = 0;
};

// Where the parts lie in the buffer handed to the driver: the structure, the sense area
// right after it, and (buffered only) the data after that, 8-byte aligned.
struct PassThroughLayout {
  uint32_t structSize = 0;
  uint32_t senseOffset = 0;
  uint32_t dataOffset = 0;  // 0 for direct requests
  uint32_t total = 0;
};
PassThroughLayout passThroughLayout(Width width, bool direct, uint32_t dataLength);

// The request bytes: for a direct request `dataAddress` is the address of the data; for
// a buffered one the data offset is filled in and the caller puts data to send at
// layout.dataOffset. Empty when the address does not fit the width.
std::vector<uint8_t> buildPassThrough(Width width, const PassThroughRequest& request, bool direct,
                                      uint64_t dataAddress);

// What the driver wrote back into the structure and its sense area.
struct PassThroughReply {
  uint8_t scsiStatus = 0;
  uint32_t dataTransferred = 0;  // never more than was asked for
  uint8_t senseLength = 0;       // sense bytes that lie inside the buffer
  uint8_t sense[kSenseBufferSize] = {};
};
// False when the buffer cannot hold the structure. Sense is taken only where the
// driver's own offset and length lie inside the buffer.
bool readPassThrough(Width width, const uint8_t* bytes, size_t size, uint32_t requestedLength,
                     PassThroughReply& reply);

// The manager's answer to an execute request.
struct ExecAnswer {
  uint8_t status = scsi::kStatusPending;
  uint8_t adapterStatus = scsi::kHaOk;
  uint8_t targetStatus = scsi::kTargetGood;
  uint8_t senseLength = 0;
  uint8_t sense[kSenseBufferSize] = {};
};

// The device answered: good status is success (a shorter transfer is no error), any
// other SCSI status an error with that status and the sense the driver returned.
ExecAnswer answerFromReply(const PassThroughReply& reply);
// Windows refused or failed the request (or the device could not be opened).
ExecAnswer answerFromError(uint32_t error);
// Nobody is at the address: a selection time-out.
ExecAnswer absentAnswer();

// Writes the answer into the block, all but the status, which the completion writes
// last: the adapter and target status and the sense, at most senseLength bytes of it
// and never more than the sense area.
void writeAnswer(scsi::ExecCommandBlock& block, const ExecAnswer& answer);

}  // namespace pt
