#include "devsheet/defect_logic.h"

#include <algorithm>
#include <cstring>

#include "framework/text.h"
#include "scsi/bytes.h"
#include "scsi/scsi_res.h"

namespace dev {

size_t defectListLength(const uint8_t* data, size_t size) {
  if (!data || size < kDefectHeaderSize) return 0;
  const size_t length = scsi::be16(data + 2);
  return std::min({length, kDefectLengthCap, size - kDefectHeaderSize});
}

size_t defectCount(const uint8_t* data, size_t size) {
  return defectListLength(data, size) / kDefectEntrySize;
}

Defect defectAt(const uint8_t* data, size_t size, size_t index) {
  Defect defect;
  if (index >= defectCount(data, size)) return defect;
  const uint8_t* entry = data + kDefectHeaderSize + index * kDefectEntrySize;
  defect.cylinder = scsi::be24(entry);
  defect.head = entry[3];
  defect.sector = scsi::be32(entry + 4);
  return defect;
}

std::string defectLine(const Defect& defect, const DefectLineTexts& texts) {
  // The sector is unsigned: a whole-track entry (FFFFFFFF) must not read as negative.
  const unsigned long cylinder = defect.cylinder;
  const unsigned long sector = defect.sector;
  return fw::fillPlaceholders(texts.cylinder, {fw::format("%05lu", cylinder)}) +
         fw::fillPlaceholders(texts.head, {fw::format("%02d", defect.head)}) +
         fw::fillPlaceholders(texts.sector, {fw::format("%05lu", sector)});
}

DefectListView defectListView(const uint8_t* data, size_t size, const DefectLineTexts& texts,
                              const std::string& emptyText) {
  DefectListView view;
  const size_t count = defectCount(data, size);
  view.lines.reserve(count ? count : 1);
  for (size_t i = 0; i < count; ++i) view.lines.push_back(defectLine(defectAt(data, size, i), texts));
  // A length of 1 to 7 bytes holds no whole entry and shows nothing, as the count says.
  if (defectListLength(data, size) == 0) view.lines.push_back(emptyText);
  view.total = fw::format("%u", static_cast<unsigned>(count));
  return view;
}

DefectOutcome classifyDefectRead(const scsi::ExecCommandBlock& block) {
  const uint8_t status = block.header.status;
  if (status == scsi::kStatusDone) return DefectOutcome::Success;
  // A list shorter than the buffer ends as a data underrun; a request that never
  // finished is no answer at all.
  if (status != scsi::kStatusPending && block.adapterStatus == scsi::kHaDataOverUnderrun &&
      block.targetStatus == scsi::kTargetGood)
    return DefectOutcome::Success;
  if (status == scsi::kStatusError && block.targetStatus == scsi::kTargetCheckCondition)
    return DefectOutcome::Unreadable;
  if (status == scsi::kStatusAborted) return DefectOutcome::Aborted;
  if (status == scsi::kStatusError && block.targetStatus == scsi::kTargetBusy)
    return DefectOutcome::Busy;
  return DefectOutcome::Report;
}

uint32_t defectMessageId(DefectOutcome outcome) {
  switch (outcome) {
    case DefectOutcome::Unreadable: return kDefectsUnreadable;
    case DefectOutcome::Aborted: return IDS_REQUEST_ABORTED;
    case DefectOutcome::Busy: return IDS_DEVICE_BUSY;
    default: return 0;
  }
}

bool readDefectLists(DefectPort& port, uint8_t* primary, uint8_t* grown) {
  std::memset(primary, 0, kDefectBufferSize);
  std::memset(grown, 0, kDefectBufferSize);
  if (port.read(scsi::DefectList::Primary, primary) != DefectOutcome::Success) return false;
  return port.read(scsi::DefectList::Grown, grown) == DefectOutcome::Success;
}

}  // namespace dev
