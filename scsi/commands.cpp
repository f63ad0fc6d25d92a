#include "scsi/commands.h"

#include <cstdint>
#include <cstring>

#include "scsi/bytes.h"

namespace scsi {

namespace {

Command command(uint8_t opcode, uint8_t cdbLength, Direction direction, uint32_t dataLength) {
  Command c{};
  c.cdb[0] = opcode;
  c.cdbLength = cdbLength;
  c.direction = direction;
  c.dataLength = dataLength;
  return c;
}

}  // namespace

Command inquiry() {
  Command c = command(kOpInquiry, 6, Direction::In, kInquiryLength);
  c.cdb[4] = static_cast<uint8_t>(kInquiryLength);
  return c;
}

Command modeSense(uint8_t pageCode, uint8_t pageControl) {
  Command c = command(kOpModeSense6, 6, Direction::In, kModeDataLength);
  c.cdb[2] = static_cast<uint8_t>(((pageControl & 0x03) << 6) | (pageCode & 0x3F));
  c.cdb[4] = static_cast<uint8_t>(kModeDataLength);
  return c;
}

Command modeSelect(uint8_t parameterListLength) {
  Command c = command(kOpModeSelect6, 6, Direction::Out, kModeDataLength);
  c.cdb[1] = 0x11;  // page format, save pages
  c.cdb[4] = parameterListLength;
  return c;
}

Command readDefectData(DefectList list) {
  Command c = command(kOpReadDefectData10, 10, Direction::In, kDefectListLength);
  // Primary or grown list, physical-sector format (101b).
  c.cdb[2] = list == DefectList::Primary ? 0x15 : 0x0D;
  putBe16(&c.cdb[7], static_cast<uint16_t>(kDefectListLength));
  return c;
}

Command readCapacity() { return command(kOpReadCapacity10, 10, Direction::In, kCapacityLength); }

Command readCapacity16() {
  Command c = command(kOpServiceActionIn16, 16, Direction::In, kCapacity16Length);
  c.cdb[1] = kSaReadCapacity16;
  putBe32(&c.cdb[10], kCapacity16Length);
  return c;
}

void fillExecBlock(ExecCommandBlock& block, uint8_t adapterNumber, uint8_t target,
                   const Command& command, void* buffer) {
  std::memset(&block, 0, sizeof block);
  block.header.command = kCmdExecute;
  block.header.adapterNumber = adapterNumber;
  block.header.flags = command.direction == Direction::In ? kFlagsRead : kFlagsWrite;
  block.target = target;
  block.lun = 0;
  block.dataLength = command.dataLength;
  block.dataBuffer = blockAddress(buffer);
  block.senseLength = kSenseLength;
  uint8_t length = command.cdbLength <= sizeof block.cdb ? command.cdbLength : sizeof block.cdb;
  block.cdbLength = length;
  std::memcpy(block.cdb, command.cdb, length);
}

}  // namespace scsi
