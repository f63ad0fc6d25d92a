// What a simulated device does with one command descriptor block: INQUIRY, READ
// CAPACITY(10) and (16), MODE SENSE(6), MODE SELECT(6) and READ DEFECT DATA(10); every
// other opcode is refused as an illegal request.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "simulator/bus.h"

namespace sim {

// SCSI opcodes the devices carry out.
constexpr uint8_t kOpInquiry = 0x12;
constexpr uint8_t kOpModeSelect6 = 0x15;
constexpr uint8_t kOpModeSense6 = 0x1A;
constexpr uint8_t kOpReadCapacity10 = 0x25;
constexpr uint8_t kOpReadDefectData10 = 0x37;
constexpr uint8_t kOpServiceActionIn16 = 0x9E;  // service action 10h: READ CAPACITY(16)
constexpr uint8_t kSaReadCapacity16 = 0x10;

// Sense keys and additional sense codes the devices report.
constexpr uint8_t kKeyIllegalRequest = 0x05;
constexpr uint8_t kAscParameterListLength = 0x1A;
constexpr uint8_t kAscInvalidOpcode = 0x20;
constexpr uint8_t kAscInvalidFieldInCdb = 0x24;
constexpr uint8_t kAscLunNotSupported = 0x25;
constexpr uint8_t kAscInvalidFieldInList = 0x26;

constexpr size_t kSenseSize = 18;  // fixed-format sense data

enum class Direction : uint8_t { None, In, Out };

// The data direction of an opcode (unknown opcodes: None).
Direction directionOf(uint8_t opcode);

struct CommandResult {
  uint8_t status = 1;  // RequestBlock.status
  uint8_t adapterStatus = 0;
  uint8_t targetStatus = 0;
  bool hasSense = false;
  std::array<uint8_t, kSenseSize> sense{};
  std::vector<uint8_t> dataIn;  // for the buffer; never longer than the buffer
  bool savedPages = false;      // a MODE SELECT with SP changed saved values
};

CommandResult checkCondition(uint8_t key, uint8_t asc, uint8_t ascq);

// Runs one CDB. `dataOut` holds `bufferLength` bytes for a write (may be null
// otherwise); `bufferLength` is the block's data length.
CommandResult runCommand(Device& device, const uint8_t* cdb, size_t cdbLength,
                         const uint8_t* dataOut, uint32_t bufferLength);

// MODE SENSE(6) parameter data: header, block descriptor (unless dbd), and the page
// (all pages for 0x3F) in version `pageControl` (0 current, 1 changeable, 2 default,
// 3 saved). Empty when the device has no such page.
std::vector<uint8_t> modeSenseData(const Device& device, uint8_t pageCode, int pageControl,
                                   bool dbd);

// READ DEFECT DATA(10) answer in physical-sector format for the chosen lists.
std::vector<uint8_t> defectData(const Device& device, bool primary, bool grown);

// Back to the saved values as described (the state file's values forgotten).
void resetSavedValues(Device& device);

}  // namespace sim
