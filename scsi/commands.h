// The SCSI commands the suite sends, as command descriptor blocks, and the filling of
// an execute request block around one of them. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>

#include "scsi/records.h"

namespace scsi {

constexpr uint8_t kOpInquiry = 0x12;
constexpr uint8_t kOpModeSelect6 = 0x15;
constexpr uint8_t kOpModeSense6 = 0x1A;
constexpr uint8_t kOpReadCapacity10 = 0x25;
constexpr uint8_t kOpReadDefectData10 = 0x37;
constexpr uint8_t kOpServiceActionIn16 = 0x9E;
constexpr uint8_t kSaReadCapacity16 = 0x10;

// Data buffer sizes, one per command.
constexpr uint32_t kInquiryLength = 36;
constexpr uint32_t kModeDataLength = 84;
constexpr uint32_t kDefectListLength = 8192;
constexpr uint32_t kCapacityLength = 8;
constexpr uint32_t kCapacity16Length = 32;

// MODE SENSE page control.
constexpr uint8_t kPageCurrent = 0;
constexpr uint8_t kPageChangeable = 1;
constexpr uint8_t kPageDefault = 2;
constexpr uint8_t kPageSaved = 3;

enum class Direction : uint8_t { In, Out };
enum class DefectList : uint8_t { Primary, Grown };

// One command: its CDB, the way its data flows and the size of its data buffer.
struct Command {
  uint8_t cdb[16];
  uint8_t cdbLength;
  Direction direction;
  uint32_t dataLength;
};

Command inquiry();
Command modeSense(uint8_t pageCode, uint8_t pageControl);
// parameterListLength: the list length of the page (locateModePage, scsi/mode_data.h).
Command modeSelect(uint8_t parameterListLength);
Command readDefectData(DefectList list);
Command readCapacity();
// READ CAPACITY(16): SERVICE ACTION IN(16) with service action 10h, a 16-byte CDB.
Command readCapacity16();

// Clears the block and fills it for `command`: adapter, target, LUN 0, flags 0x48 or
// 0x50, the buffer, sense length 14, the CDB. The completion event is left 0; the
// sender supplies its own.
void fillExecBlock(ExecCommandBlock& block, uint8_t adapterNumber, uint8_t target,
                   const Command& command, void* buffer);

}  // namespace scsi
