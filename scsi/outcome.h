// How a finished request is judged and what the failure report shows. Platform-free:
// texts are string-table ids, resolved by the window layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "scsi/records.h"
#include "scsi/scsi_res.h"

namespace scsi {

inline bool succeeded(const ExecCommandBlock& block) { return block.header.status == kStatusDone; }

// Outcome of a page request (mode reads and the caching-page write).
enum class PageOutcome : uint8_t {
  Success,
  NotSupported,  // check condition, illegal request: message 1019
  Report,        // everything else: reportCommandFailure
};
PageOutcome classifyPageRequest(const ExecCommandBlock& block);

// What reportCommandFailure shows.
enum class FailureReport : uint8_t {
  Aborted,  // message 1013
  Busy,     // message 1012
  Dialog,   // the "SCSI Command Failure" dialog
};
FailureReport chooseFailureReport(const ExecCommandBlock& block);
// Text id of the message for Aborted and Busy; 0 for Dialog.
unsigned failureMessageId(FailureReport report);

// A value with its describing text, looked up from the top of its table.
struct ValueText {
  uint8_t value;
  uint16_t textId;
};

constexpr ValueText kAdapterStatusTexts[] = {
    {kHaOk, IDS_HA_NO_ERROR},
    {kHaSelectionTimeout, IDS_HA_SELECTION_TIMEOUT},
    {kHaDataOverUnderrun, IDS_HA_DATA_OVERRUN},
    {kHaUnexpectedBusFree, IDS_HA_BUS_FREE},
    {kHaPhaseSequenceFailure, IDS_HA_PHASE_FAILURE},
};

constexpr ValueText kTargetStatusTexts[] = {
    {kTargetGood, IDS_TS_GOOD},
    {kTargetCheckCondition, IDS_TS_CHECK_CONDITION},
    {kTargetBusy, IDS_TS_BUSY},
};

constexpr ValueText kSenseKeyTexts[] = {
    {0x0, IDS_SK_NO_SENSE},        {0x1, IDS_SK_RECOVERED_ERROR}, {0x2, IDS_SK_NOT_READY},
    {0x3, IDS_SK_MEDIUM_ERROR},    {0x4, IDS_SK_HARDWARE_ERROR},  {0x5, IDS_SK_ILLEGAL_REQUEST},
    {0x6, IDS_SK_UNIT_ATTENTION},  {0x7, IDS_SK_DATA_PROTECT},    {0xD, IDS_SK_VOLUME_OVERFLOW},
    {0xE, IDS_SK_MISCOMPARE},
};

// Text id of `value` in the table, 0 when it is not listed.
template <size_t N>
constexpr uint16_t lookupText(const ValueText (&table)[N], uint8_t value) {
  for (const ValueText& row : table)
    if (row.value == value) return row.textId;
  return 0;
}

// One field of the failure dialog: "%02X " digits, then the text of `textId` when not 0.
struct FieldValue {
  std::string digits;
  uint16_t textId;
};

struct FailureFields {
  std::string cdbSent;  // each of the first cdbLength bytes as "%02X "
  FieldValue adapterStatus;
  FieldValue targetStatus;
  FieldValue senseKey;
  FieldValue senseCode;
  FieldValue senseQualifier;
};

FailureFields failureFields(const ExecCommandBlock& block);

}  // namespace scsi
