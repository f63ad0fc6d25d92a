#include "passthrough/translate.h"

#include <algorithm>
#include <cstring>

#include "passthrough/nt_layout.h"

namespace pt {

// The structures are copied as they lie in memory: little-endian, as on the target.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the driver structures are little-endian");

namespace {

constexpr uint32_t kDataAlignment = 8;

// What a failed request means to the suite, by the Win32 error Windows reported.
struct ErrorOutcome {
  uint32_t error;
  uint8_t status;
  uint8_t adapterStatus;
};

constexpr ErrorOutcome kErrorOutcomes[] = {
    // The command ran out of time: the suite's report says so for an aborted request.
    {nt::error::kSemTimeout, scsi::kStatusAborted, scsi::kHaOk},
    {nt::error::kTimeout, scsi::kStatusAborted, scsi::kHaOk},
    // The device is not (or no longer) there.
    {nt::error::kDeviceNotConnected, scsi::kStatusError, scsi::kHaSelectionTimeout},
    {nt::error::kDevNotExist, scsi::kStatusError, scsi::kHaSelectionTimeout},
    {nt::error::kNoSuchDevice, scsi::kStatusError, scsi::kHaSelectionTimeout},
    {nt::error::kBadUnit, scsi::kStatusError, scsi::kHaSelectionTimeout},
    {nt::error::kFileNotFound, scsi::kStatusError, scsi::kHaSelectionTimeout},
    {nt::error::kPathNotFound, scsi::kStatusError, scsi::kHaSelectionTimeout},
    // Transport failures.
    {nt::error::kBusReset, scsi::kStatusError, scsi::kHaUnexpectedBusFree},
    {nt::error::kIoDevice, scsi::kStatusError, scsi::kHaPhaseSequenceFailure},
    {nt::error::kCrc, scsi::kStatusError, scsi::kHaPhaseSequenceFailure},
    {nt::error::kGenFailure, scsi::kStatusError, scsi::kHaPhaseSequenceFailure},
    {nt::error::kMoreData, scsi::kStatusError, scsi::kHaDataOverUnderrun},
};

template <typename T>
std::vector<uint8_t> build(const PassThroughRequest& r, bool direct, uint64_t dataAddress,
                           const PassThroughLayout& layout) {
  using Pointer = decltype(T::dataBuffer);
  if (dataAddress > static_cast<Pointer>(-1)) return {};
  T s{};
  s.length = sizeof(T);
  s.pathId = r.pathId;
  s.targetId = r.targetId;
  s.lun = r.lun;
  s.cdbLength = std::min<uint8_t>(r.cdbLength, sizeof s.cdb);
  s.senseInfoLength = kSenseBufferSize;
  s.dataIn = r.dataIn;
  s.dataTransferLength = r.dataLength;
  s.timeOutValue = kTimeoutSeconds;
  s.dataBuffer = static_cast<Pointer>(direct ? dataAddress : layout.dataOffset);
  s.senseInfoOffset = layout.senseOffset;
  std::memcpy(s.cdb, r.cdb, s.cdbLength);
  std::vector<uint8_t> bytes(layout.total, 0);
  std::memcpy(bytes.data(), &s, sizeof s);
  return bytes;
}

template <typename T>
bool read(const uint8_t* bytes, size_t size, uint32_t requestedLength, PassThroughReply& reply) {
  reply = PassThroughReply{};
  if (!bytes || size < sizeof(T)) return false;
  T s;
  std::memcpy(&s, bytes, sizeof s);
  reply.scsiStatus = s.scsiStatus;
  reply.dataTransferred = std::min(s.dataTransferLength, requestedLength);
  const size_t offset = s.senseInfoOffset;
  const size_t length = std::min<size_t>(s.senseInfoLength, kSenseBufferSize);
  if (offset >= sizeof(T) && offset <= size && length <= size - offset) {
    reply.senseLength = static_cast<uint8_t>(length);
    std::memcpy(reply.sense, bytes + offset, length);
  }
  return true;
}

}  // namespace

PassThroughLayout passThroughLayout(Width width, bool direct, uint32_t dataLength) {
  PassThroughLayout l;
  l.structSize = width == Width::Bits64 ? sizeof(nt::PassThrough64) : sizeof(nt::PassThrough32);
  l.senseOffset = l.structSize;
  l.total = l.senseOffset + kSenseBufferSize;
  if (!direct) {
    l.dataOffset = (l.total + kDataAlignment - 1) / kDataAlignment * kDataAlignment;
    l.total = l.dataOffset + dataLength;
  }
  return l;
}

std::vector<uint8_t> buildPassThrough(Width width, const PassThroughRequest& request, bool direct,
                                      uint64_t dataAddress) {
  const PassThroughLayout layout = passThroughLayout(width, direct, request.dataLength);
  return width == Width::Bits64 ? build<nt::PassThrough64>(request, direct, dataAddress, layout)
                                : build<nt::PassThrough32>(request, direct, dataAddress, layout);
}

bool readPassThrough(Width width, const uint8_t* bytes, size_t size, uint32_t requestedLength,
                     PassThroughReply& reply) {
  return width == Width::Bits64 ? read<nt::PassThrough64>(bytes, size, requestedLength, reply)
                                : read<nt::PassThrough32>(bytes, size, requestedLength, reply);
}

ExecAnswer answerFromReply(const PassThroughReply& reply) {
  ExecAnswer a;
  if (reply.scsiStatus == scsi::kTargetGood) {
    a.status = scsi::kStatusDone;
    return a;
  }
  a.status = scsi::kStatusError;
  a.targetStatus = reply.scsiStatus;
  a.senseLength = reply.senseLength;
  std::memcpy(a.sense, reply.sense, sizeof a.sense);
  return a;
}

ExecAnswer answerFromError(uint32_t error) {
  ExecAnswer a;
  a.status = scsi::kStatusError;
  for (const ErrorOutcome& row : kErrorOutcomes) {
    if (row.error == error) {
      a.status = row.status;
      a.adapterStatus = row.adapterStatus;
      break;
    }
  }
  return a;
}

ExecAnswer absentAnswer() { return answerFromError(nt::error::kDeviceNotConnected); }

void writeAnswer(scsi::ExecCommandBlock& block, const ExecAnswer& answer) {
  const size_t n = std::min<size_t>({answer.senseLength, block.senseLength, sizeof block.senseArea});
  std::memcpy(block.senseArea, answer.sense, n);
  block.adapterStatus = answer.adapterStatus;
  block.targetStatus = answer.targetStatus;
}

}  // namespace pt
