#include "scsi/outcome.h"

#include "framework/text.h"

namespace scsi {

namespace {

constexpr uint8_t kSenseIllegalRequest = 0x05;

bool checkCondition(const ExecCommandBlock& block) {
  return block.header.status == kStatusError && block.targetStatus == kTargetCheckCondition;
}

template <size_t N>
FieldValue field(const ValueText (&table)[N], uint8_t value) {
  return {fw::hexByteSpaced(value), lookupText(table, value)};
}

}  // namespace

PageOutcome classifyPageRequest(const ExecCommandBlock& block) {
  if (succeeded(block)) return PageOutcome::Success;
  // Five bits, not the four of the sense key: byte 2 = 0x25 counts, 0x35 does not.
  if (checkCondition(block) && (block.senseArea[2] & 0x1F) == kSenseIllegalRequest)
    return PageOutcome::NotSupported;
  return PageOutcome::Report;
}

FailureReport chooseFailureReport(const ExecCommandBlock& block) {
  if (block.header.status == kStatusAborted) return FailureReport::Aborted;
  if (block.header.status == kStatusError && block.targetStatus == kTargetBusy)
    return FailureReport::Busy;
  return FailureReport::Dialog;
}

unsigned failureMessageId(FailureReport report) {
  switch (report) {
    case FailureReport::Aborted: return IDS_REQUEST_ABORTED;
    case FailureReport::Busy: return IDS_DEVICE_BUSY;
    case FailureReport::Dialog: break;
  }
  return 0;
}

FailureFields failureFields(const ExecCommandBlock& block) {
  FailureFields f;
  // The block comes from the manager: never read past the CDB area.
  size_t length = block.cdbLength <= sizeof block.cdb ? block.cdbLength : sizeof block.cdb;
  for (size_t i = 0; i < length; ++i) f.cdbSent += fw::hexByteSpaced(block.cdb[i]);
  f.adapterStatus = field(kAdapterStatusTexts, block.adapterStatus);
  f.targetStatus = field(kTargetStatusTexts, block.targetStatus);
  f.senseKey = field(kSenseKeyTexts, block.senseArea[2] & 0x0F);
  f.senseCode = {fw::hexByteSpaced(block.senseArea[12]), 0};
  f.senseQualifier = {fw::hexByteSpaced(block.senseArea[13]), 0};
  return f;
}

}  // namespace scsi
