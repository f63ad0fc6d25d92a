#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "scsi/commands.h"
#include "tests/support/low_memory.h"

namespace {

std::vector<uint8_t> bytes(const scsi::Command& c) {
  return std::vector<uint8_t>(c.cdb, c.cdb + c.cdbLength);
}

using V = std::vector<uint8_t>;

TEST(ScsiCommands, EachBuilderGivesTheCommandTableBytesAndBufferSize) {
  scsi::Command inq = scsi::inquiry();
  EXPECT_EQ(bytes(inq), (V{0x12, 0, 0, 0, 36, 0}));
  EXPECT_EQ(inq.direction, scsi::Direction::In);
  EXPECT_EQ(inq.dataLength, 36u);

  scsi::Command cap = scsi::readCapacity();
  EXPECT_EQ(bytes(cap), (V{0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(cap.dataLength, 8u);

  // SERVICE ACTION IN(16), READ CAPACITY(16), allocation length 32.
  scsi::Command cap16 = scsi::readCapacity16();
  EXPECT_EQ(bytes(cap16), (V{0x9E, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0}));
  EXPECT_EQ(cap16.direction, scsi::Direction::In);
  EXPECT_EQ(cap16.dataLength, 32u);

  scsi::Command plist = scsi::readDefectData(scsi::DefectList::Primary);
  EXPECT_EQ(bytes(plist), (V{0x37, 0, 0x15, 0, 0, 0, 0, 0x20, 0x00, 0}));
  EXPECT_EQ(plist.dataLength, 8192u);
  EXPECT_EQ(bytes(scsi::readDefectData(scsi::DefectList::Grown)),
            (V{0x37, 0, 0x0D, 0, 0, 0, 0, 0x20, 0x00, 0}));

  scsi::Command select = scsi::modeSelect(0x1A);
  EXPECT_EQ(bytes(select), (V{0x15, 0x11, 0, 0, 0x1A, 0}));
  EXPECT_EQ(select.direction, scsi::Direction::Out);
  EXPECT_EQ(select.dataLength, 84u);
}

TEST(ScsiCommands, ModeSenseCombinesPageCodeAndControl) {
  // Caching page with the four page controls: current, changeable, default, saved.
  const uint8_t expected[] = {0x08, 0x48, 0x88, 0xC8};
  for (uint8_t control = 0; control < 4; ++control) {
    scsi::Command c = scsi::modeSense(0x08, control);
    EXPECT_EQ(bytes(c), (V{0x1A, 0, expected[control], 0, 84, 0})) << int(control);
    EXPECT_EQ(c.dataLength, 84u);
  }
  EXPECT_EQ(scsi::modeSense(0x3F, scsi::kPageSaved).cdb[2], 0xFF);
}

TEST(ScsiCommands, FillExecBlockClearsEverythingItDoesNotSet) {
  scsi::ExecCommandBlock block;
  std::memset(&block, 0xA5, sizeof block);  // leftovers of an earlier request
  orvtest::LowArray<uint8_t> low(84);
  uint8_t* buffer = low.get();
  scsi::fillExecBlock(block, 3, 6, scsi::modeSense(0x08, 1), buffer);

  const uint8_t* raw = reinterpret_cast<const uint8_t*>(&block);
  EXPECT_EQ(raw[0], 2);      // execute
  EXPECT_EQ(raw[1], 0);      // status
  EXPECT_EQ(raw[2], 3);      // adapter
  EXPECT_EQ(raw[3], 0x48);   // read, post event
  EXPECT_EQ(raw[8], 6);      // target
  EXPECT_EQ(raw[9], 0);      // LUN 0
  EXPECT_EQ(block.dataLength, 84u);
  EXPECT_EQ(block.dataBuffer, reinterpret_cast<uintptr_t>(buffer));
  // The fields after the buffer's address sit where this width's layout has them.
  using Block = scsi::ExecCommandBlock;
  const size_t sense = offsetof(Block, senseLength), event = offsetof(Block, completionEvent);
  EXPECT_EQ(raw[sense], 14);      // sense length
  EXPECT_EQ(raw[sense + 1], 6);   // CDB length
  EXPECT_EQ(block.completionEvent, 0u);
  EXPECT_EQ(std::vector<uint8_t>(raw + 48, raw + 54), (V{0x1A, 0, 0x48, 0, 84, 0}));
  for (size_t i : {size_t{4}, size_t{5}, size_t{6}, size_t{7}, size_t{10}, size_t{11},
                   sense + 2, sense + 3})
    EXPECT_EQ(raw[i], 0) << i;
  for (size_t i = sense + 4; i < 48; ++i) EXPECT_EQ(raw[i], 0) << i;  // event, reserved
  EXPECT_LT(event, 48u);
  for (size_t i = 54; i < 80; ++i) EXPECT_EQ(raw[i], 0) << i;

  scsi::fillExecBlock(block, 0, 1, scsi::modeSelect(26), buffer);
  EXPECT_EQ(block.header.flags, 0x50);
  scsi::fillExecBlock(block, 0, 1, scsi::readDefectData(scsi::DefectList::Grown), buffer);
  EXPECT_EQ(block.cdbLength, 10);
  EXPECT_EQ(block.dataLength, 8192u);
}

}  // namespace
