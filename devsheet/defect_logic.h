// What the Defect List page reads from a disk and shows: the two READ DEFECT DATA(10)
// answers in physical-sector format, how a read is judged, and the list box lines.
// Platform-free: the commands go through a DefectPort that the page implements.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "scsi/commands.h"
#include "scsi/records.h"

namespace dev {

constexpr size_t kDefectBufferSize = scsi::kDefectListLength;  // 8192, the allocation length
constexpr size_t kDefectHeaderSize = 4;
constexpr size_t kDefectEntrySize = 8;
// The longest list the buffer holds after its header: 1023 whole entries and 4 bytes.
constexpr size_t kDefectLengthCap = kDefectBufferSize - kDefectHeaderSize;

// One entry in physical-sector format.
struct Defect {
  uint32_t cylinder = 0;  // bytes 0-2
  uint8_t head = 0;       // byte 3
  uint32_t sector = 0;    // bytes 4-7
};

// The list length of a READ DEFECT DATA answer held in `size` bytes (header bytes 2-3),
// never more than 8188 nor more than the buffer holds after the header.
size_t defectListLength(const uint8_t* data, size_t size);
// Whole entries in that length.
size_t defectCount(const uint8_t* data, size_t size);
// Entry `index` (below defectCount).
Defect defectAt(const uint8_t* data, size_t size, size_t index);

// The three parts of a line, each with one "%1".
struct DefectLineTexts {
  std::string cylinder;  // "Cylinder: %1"
  std::string head;      // "      Head: %1"
  std::string sector;    // "      Sector: %1"
};

std::string defectLine(const Defect& defect, const DefectLineTexts& texts);

// What the list box shows for one buffer: a line per entry in list order, or the empty
// text alone when the list is empty; and the total as the page writes it.
struct DefectListView {
  std::vector<std::string> lines;
  std::string total;
};
DefectListView defectListView(const uint8_t* data, size_t size, const DefectLineTexts& texts,
                              const std::string& emptyText);

// How one read ended.
enum class DefectOutcome : uint8_t {
  Success,     // completed, or a data underrun with good target status (a short list)
  Unreadable,  // check condition: message 1011
  Aborted,     // message 1013
  Busy,        // message 1012
  Report,      // anything else: the failure report
};
DefectOutcome classifyDefectRead(const scsi::ExecCommandBlock& block);

// Message text of an outcome the page shows itself; 0 for Success and Report.
constexpr uint32_t kDefectsUnreadable = 1011;
uint32_t defectMessageId(DefectOutcome outcome);

// The reads the page needs, carried out (and their failures shown) by the page.
class DefectPort {
 public:
  virtual ~DefectPort() = default;
  // One READ DEFECT DATA(10) of the list into `buffer` (8192 bytes).
  virtual DefectOutcome read(scsi::DefectList list, uint8_t* buffer) = 0;
};

// The primary list into `primary`, then, only when that succeeded, the grown list into
// `grown`. Both buffers are zeroed first. True when every read sent succeeded.
bool readDefectLists(DefectPort& port, uint8_t* primary, uint8_t* grown);

}  // namespace dev
