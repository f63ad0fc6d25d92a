// What a simulated device answers to each command it knows, and how it refuses the rest.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "scsi/bytes.h"
#include "scsi/records.h"
#include "simulator/bus_parser.h"
#include "simulator/device.h"

namespace {

const char* kDisk = R"(
adapter 0
  device 0
    inquiry 00 00 03 02 1F 00 00 32 "VENDOR  " "PRODUCT         " "0001" 11 22
    capacity 5000000000 512
    page 08 current    08 12 04 00 FF FF 00 00 02 00 FF FF 80 10 00 00 00 00 00 00
    page 08 changeable 08 12 05 00 FF FF FF FF FF FF FF FF A0 FF 00 00 00 00 00 00
    page 08 default    08 12 00 00 FF FF 00 00 FF FF FF FF 80 10 00 00 00 00 00 00
    page 08 saved      08 12 04 00 FF FF 00 00 03 00 FF FF 80 10 00 00 00 00 00 00
    page 01 current    01 0A C0 0B 00 00 00 00 05 00 FF FF
    page 01 changeable 01 0A C0 00 00 00 00 00 00 00 00 00
    plist 1/2/3 4660/5/256 7/0/9
    glist 100/1/4294967295
  device 1
    inquiry 01 80
    missing-page empty
)";

class SimDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::ParseResult r = sim::parseBus(kDisk, "disk.bus");
    ASSERT_TRUE(r.ok) << r.error;
    disk = r.bus.adapters[0].devices[0];
    tape = r.bus.adapters[0].devices[1];
  }

  sim::CommandResult run(sim::Device& d, std::vector<uint8_t> cdb, uint32_t bufferLength,
                         const std::vector<uint8_t>& out = {}) {
    cdb.resize(16);
    size_t length = cdb[0] < 0x20 ? 6 : cdb[0] >= 0x80 ? 16 : 10;
    return sim::runCommand(d, cdb.data(), length, out.empty() ? nullptr : out.data(), bufferLength);
  }

  static void expectCheck(const sim::CommandResult& r, uint8_t key, uint8_t asc, uint8_t ascq) {
    EXPECT_EQ(r.status, scsi::kStatusError);
    EXPECT_EQ(r.targetStatus, scsi::kTargetCheckCondition);
    EXPECT_EQ(r.adapterStatus, 0);
    ASSERT_TRUE(r.hasSense);
    EXPECT_EQ(r.sense[0], 0x70);
    EXPECT_EQ(r.sense[2], key);
    EXPECT_EQ(r.sense[12], asc);
    EXPECT_EQ(r.sense[13], ascq);
    EXPECT_TRUE(r.dataIn.empty());
  }

  // The page of a MODE SENSE(6) answer.
  static std::vector<uint8_t> pageOf(const sim::CommandResult& r) {
    size_t at = 4 + r.dataIn[3];
    return {r.dataIn.begin() + static_cast<std::ptrdiff_t>(at), r.dataIn.end()};
  }

  // The answer to MODE SENSE(6) page 08 current, as the suite sends it back.
  std::vector<uint8_t> cachingList() {
    sim::CommandResult r = run(disk, {0x1A, 0, 0x08, 0, 84}, 84);
    std::vector<uint8_t> list = r.dataIn;
    list[0] = 0;
    list[12] &= 0x7F;
    list.resize(84);
    return list;
  }

  sim::Device disk, tape;
};

TEST_F(SimDevice, InquiryHonoursTheAllocationLength) {
  sim::CommandResult r = run(disk, {0x12, 0, 0, 0, 36}, 36);
  EXPECT_EQ(r.status, scsi::kStatusDone);
  ASSERT_EQ(r.dataIn.size(), 36u);
  EXPECT_EQ(std::string(r.dataIn.begin() + 8, r.dataIn.begin() + 16), "VENDOR  ");
  EXPECT_EQ(run(disk, {0x12, 0, 0, 0, 5}, 36).dataIn.size(), 5u);
  EXPECT_EQ(run(disk, {0x12, 0, 0, 0, 255}, 255).dataIn.size(), 38u);  // all it has
  EXPECT_EQ(run(tape, {0x12, 0, 0, 0, 36}, 36).dataIn, (std::vector<uint8_t>{0x01, 0x80}));
  // More than the buffer holds: the buffer's worth and a data overrun.
  r = run(disk, {0x12, 0, 0, 0, 36}, 20);
  EXPECT_EQ(r.status, scsi::kStatusError);
  EXPECT_EQ(r.adapterStatus, scsi::kHaDataOverUnderrun);
  EXPECT_EQ(r.dataIn.size(), 20u);
  // No vital product data pages.
  expectCheck(run(disk, {0x12, 0x01, 0x80, 0, 36}, 36), 5, 0x24, 0);
  expectCheck(run(disk, {0x12, 0x00, 0x80, 0, 36}, 36), 5, 0x24, 0);
}

TEST_F(SimDevice, ReadCapacityGivesTheLastBlockAndBlockLength) {
  sim::CommandResult r = run(disk, {0x25}, 8);
  ASSERT_EQ(r.status, scsi::kStatusDone);
  ASSERT_EQ(r.dataIn.size(), 8u);
  EXPECT_EQ(scsi::be32(r.dataIn.data()), 0xFFFFFFFFu);  // above 2 TB: capped
  EXPECT_EQ(scsi::be32(r.dataIn.data() + 4), 512u);
  expectCheck(run(tape, {0x25}, 8), 5, 0x20, 0);
}

TEST_F(SimDevice, ReadCapacity16GivesTheWholeBlockAddress) {
  const std::vector<uint8_t> cdb = {0x9E, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0};
  sim::CommandResult r = run(disk, cdb, 32);
  ASSERT_EQ(r.status, scsi::kStatusDone);
  ASSERT_EQ(r.dataIn.size(), 32u);
  // 5000000000 blocks: the last is 1_2A05F1FFh.
  EXPECT_EQ(scsi::be32(r.dataIn.data()), 1u);
  EXPECT_EQ(scsi::be32(r.dataIn.data() + 4), 0x2A05F1FFu);
  EXPECT_EQ(scsi::be32(r.dataIn.data() + 8), 512u);
  EXPECT_EQ(std::count(r.dataIn.begin() + 12, r.dataIn.end(), 0), 20);
  // The allocation length cuts the answer; another service action is refused.
  std::vector<uint8_t> shortCdb = cdb;
  shortCdb[13] = 12;
  EXPECT_EQ(run(disk, shortCdb, 32).dataIn.size(), 12u);
  std::vector<uint8_t> other = cdb;
  other[1] = 0x11;
  expectCheck(run(disk, other, 32), 5, 0x24, 0);
  expectCheck(run(tape, cdb, 32), 5, 0x20, 0);
}

TEST_F(SimDevice, ModeSenseAnswersEachPageControl) {
  const uint8_t expected2[] = {0x04, 0x05, 0x00, 0x04};  // current, changeable, default, saved
  const uint8_t expected8[] = {0x02, 0xFF, 0xFF, 0x03};
  for (int pc = 0; pc < 4; ++pc) {
    sim::CommandResult r = run(disk, {0x1A, 0, static_cast<uint8_t>(0x08 | pc << 6), 0, 84}, 84);
    ASSERT_EQ(r.status, scsi::kStatusDone) << pc;
    ASSERT_EQ(r.dataIn.size(), 4u + 8 + 20) << pc;
    EXPECT_EQ(r.dataIn[0], r.dataIn.size() - 1);
    EXPECT_EQ(r.dataIn[3], 8);
    // Block descriptor: block count (capped to 24 bits) and block length.
    EXPECT_EQ(scsi::be24(r.dataIn.data() + 5), 0xFFFFFFu);
    EXPECT_EQ(scsi::be24(r.dataIn.data() + 9), 512u);
    std::vector<uint8_t> page = pageOf(r);
    EXPECT_EQ(page[0], 0x88) << "page code with PS set";
    EXPECT_EQ(page[1], 0x12);
    EXPECT_EQ(page[2], expected2[pc]) << pc;
    EXPECT_EQ(page[8], expected8[pc]) << pc;
  }
}

TEST_F(SimDevice, ModeSenseHonoursAllocationLengthAndDbd) {
  sim::CommandResult r = run(disk, {0x1A, 0, 0x08, 0, 10}, 84);
  EXPECT_EQ(r.status, scsi::kStatusDone);
  ASSERT_EQ(r.dataIn.size(), 10u);
  EXPECT_EQ(r.dataIn[0], 31) << "the mode data length tells the whole length";

  r = run(disk, {0x1A, 0x08, 0x01, 0, 84}, 84);
  ASSERT_EQ(r.status, scsi::kStatusDone);
  EXPECT_EQ(r.dataIn[3], 0);
  EXPECT_EQ(r.dataIn[4], 0x81);
  EXPECT_EQ(r.dataIn.size(), 4u + 12);

  r = run(disk, {0x1A, 0x08, 0x3F, 0, 255}, 255);
  ASSERT_EQ(r.status, scsi::kStatusDone);
  EXPECT_EQ(r.dataIn.size(), 4u + 12 + 20);
  EXPECT_EQ(r.dataIn[4], 0x81);
  EXPECT_EQ(r.dataIn[16], 0x88);

  // A device without block descriptors never sends one.
  disk.blockDescriptors = false;
  r = run(disk, {0x1A, 0, 0x01, 0, 84}, 84);
  ASSERT_EQ(r.status, scsi::kStatusDone);
  EXPECT_EQ(r.dataIn[3], 0);
  EXPECT_EQ(r.dataIn[0], 3 + 12);
  EXPECT_EQ(r.dataIn[4], 0x81);
  disk.blockDescriptors = true;

  expectCheck(run(disk, {0x1A, 0, 0x1C, 0, 84}, 84), 5, 0x24, 0);  // no such page
  expectCheck(run(disk, {0x1A, 0, 0x08, 1, 84}, 84), 5, 0x24, 0);  // no subpages
  // A device may answer a page it lacks with the header and descriptor alone.
  r = run(tape, {0x1A, 0, 0x08, 0, 84}, 84);
  EXPECT_EQ(r.status, scsi::kStatusDone);
  EXPECT_EQ(r.dataIn, (std::vector<uint8_t>{11, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0}));
  // A device without pages still answers "all pages" with the header.
  r = run(tape, {0x1A, 0, 0x3F, 0, 84}, 84);
  EXPECT_EQ(r.status, scsi::kStatusDone);
  EXPECT_EQ(r.dataIn.size(), 12u);
}

TEST_F(SimDevice, ModeSelectChangesOnlyChangeableBitsAndSavesWithSp) {
  std::vector<uint8_t> list = cachingList();
  list[12 + 2] = 0x01;   // WCE off, RCD on
  list[12 + 8] = 0x00;   // maximum pre-fetch, changeable
  sim::CommandResult r = run(disk, {0x15, 0x10, 0, 0, 4 + 8 + 20}, 84, list);
  EXPECT_EQ(r.status, scsi::kStatusDone);
  EXPECT_FALSE(r.savedPages);
  EXPECT_EQ(disk.pages[1].current[2], 0x01);
  EXPECT_EQ(disk.pages[1].current[8], 0x00);
  EXPECT_EQ(disk.pages[1].saved[2], 0x04) << "not saved without SP";

  list[12 + 2] = 0x04;
  r = run(disk, {0x15, 0x11, 0, 0, 4 + 8 + 20}, 84, list);
  EXPECT_EQ(r.status, scsi::kStatusDone);
  EXPECT_TRUE(r.savedPages);
  EXPECT_EQ(disk.pages[1].saved, disk.pages[1].current);
  EXPECT_EQ(disk.pages[1].saved[8], 0x00);
  EXPECT_EQ(disk.pages[1].defaults[2], 0x00) << "defaults never change";

  // A block descriptor is optional.
  std::vector<uint8_t> bare = {0, 0, 0, 0};
  bare.insert(bare.end(), list.begin() + 12, list.begin() + 32);
  bare[4 + 2] = 0x00;
  EXPECT_EQ(run(disk, {0x15, 0x10, 0, 0, 24}, 84, bare).status, scsi::kStatusDone);
  EXPECT_EQ(disk.pages[1].current[2], 0x00);
}

TEST_F(SimDevice, ModeSelectRefusesFixedBitsAndBadListsChangingNothing) {
  const std::vector<uint8_t> before = disk.pages[1].current;
  const std::vector<uint8_t> savedBefore = disk.pages[1].saved;
  const std::vector<uint8_t> good = cachingList();
  auto refused = [&](std::vector<uint8_t> list, uint8_t length, uint8_t asc) {
    std::vector<uint8_t> cdb = {0x15, 0x11, 0, 0, length};
    expectCheck(run(disk, cdb, 84, list), 5, asc, 0);
    EXPECT_EQ(disk.pages[1].current, before);
    EXPECT_EQ(disk.pages[1].saved, savedBefore);
  };
  std::vector<uint8_t> list = good;
  list[12 + 2] = 0x0C;  // SIZE is not changeable
  refused(list, 32, 0x26);
  list = good;
  list[12 + 3] = 0x11;  // retention priorities are fixed
  refused(list, 32, 0x26);
  list = good;
  list[12] = 0x88;  // PS is reserved in a parameter list
  refused(list, 32, 0x26);
  list = good;
  list[0] = 31;  // so is the mode data length
  refused(list, 32, 0x26);
  list = good;
  list[13] = 0x10;  // another page length than the device's
  refused(list, 32, 0x26);
  list = good;
  list[12] = 0x1C;  // a page the device does not have
  refused(list, 32, 0x26);
  list = good;
  scsi::putBe24(list.data() + 9, 4096);  // another block length
  refused(list, 32, 0x26);
  // Two pages: a good one and a bad one change nothing at all.
  list = good;
  list[12 + 2] = 0x01;
  const uint8_t recovery[] = {0x01, 0x0A, 0x00, 0x0B, 0, 0, 0, 0, 0x05, 0, 0xFF, 0xFF};
  list.insert(list.begin() + 32, recovery, recovery + 12);
  list[32 + 3] = 0x0C;  // read retry count is fixed
  refused(list, 44, 0x26);
  refused(good, 31, 0x1A);  // the page runs past the list
  refused(good, 3, 0x1A);
  expectCheck(run(disk, {0x15, 0x01, 0, 0, 32}, 84, good), 5, 0x24, 0);  // PF = 0
  // A list longer than the buffer never reaches the device.
  sim::CommandResult r = run(disk, {0x15, 0x11, 0, 0, 100}, 84, good);
  EXPECT_EQ(r.status, scsi::kStatusError);
  EXPECT_EQ(r.adapterStatus, scsi::kHaDataOverUnderrun);
  // An empty list is fine and changes nothing.
  EXPECT_EQ(run(disk, {0x15, 0x11, 0, 0, 0}, 0).status, scsi::kStatusDone);
  EXPECT_EQ(disk.pages[1].current, before);
}

TEST_F(SimDevice, ReadDefectDataInPhysicalSectorFormat) {
  sim::CommandResult r = run(disk, {0x37, 0, 0x15, 0, 0, 0, 0, 0x20, 0x00}, 8192);
  // Shorter than the buffer: the data with an underrun.
  EXPECT_EQ(r.status, scsi::kStatusError);
  EXPECT_EQ(r.adapterStatus, scsi::kHaDataOverUnderrun);
  EXPECT_EQ(r.targetStatus, scsi::kTargetGood);
  ASSERT_EQ(r.dataIn.size(), 4u + 3 * 8);
  EXPECT_EQ(r.dataIn[1], 0x15);
  EXPECT_EQ(scsi::be16(r.dataIn.data() + 2), 24);
  const uint8_t entry[] = {0x00, 0x12, 0x34, 0x05, 0x00, 0x00, 0x01, 0x00};
  EXPECT_TRUE(std::equal(entry, entry + 8, r.dataIn.begin() + 12));

  r = run(disk, {0x37, 0, 0x0D, 0, 0, 0, 0, 0x20, 0x00}, 8192);
  ASSERT_EQ(r.dataIn.size(), 12u);
  EXPECT_EQ(r.dataIn[1], 0x0D);
  EXPECT_EQ(scsi::be32(r.dataIn.data() + 8), 0xFFFFFFFFu);

  // Both lists, then neither.
  EXPECT_EQ(run(disk, {0x37, 0, 0x1D, 0, 0, 0, 0, 0x20, 0x00}, 8192).dataIn.size(), 4u + 32);
  r = run(tape, {0x37, 0, 0x05, 0, 0, 0, 0, 0x20, 0x00}, 8192);
  EXPECT_EQ(r.dataIn, (std::vector<uint8_t>{0, 0x05, 0, 0}));

  // Exactly the buffer's size: complete, no underrun.
  r = run(disk, {0x37, 0, 0x15, 0, 0, 0, 0, 0x00, 28}, 28);
  EXPECT_EQ(r.status, scsi::kStatusDone);
  // A short allocation length: the list length still tells the whole list.
  r = run(disk, {0x37, 0, 0x15, 0, 0, 0, 0, 0x00, 12}, 12);
  EXPECT_EQ(r.status, scsi::kStatusDone);
  ASSERT_EQ(r.dataIn.size(), 12u);
  EXPECT_EQ(scsi::be16(r.dataIn.data() + 2), 24);

  expectCheck(run(disk, {0x37, 0, 0x14, 0, 0, 0, 0, 0x20, 0x00}, 8192), 5, 0x24, 0);

  // A length field of its own for one list: the entries are sent as they are, both lists
  // together keep the entries' length.
  disk.primaryLength = 12;
  disk.grownLength = 40000;
  r = run(disk, {0x37, 0, 0x15, 0, 0, 0, 0, 0x20, 0x00}, 8192);
  ASSERT_EQ(r.dataIn.size(), 4u + 3 * 8);
  EXPECT_EQ(scsi::be16(r.dataIn.data() + 2), 12);
  r = run(disk, {0x37, 0, 0x0D, 0, 0, 0, 0, 0x20, 0x00}, 8192);
  ASSERT_EQ(r.dataIn.size(), 12u);
  EXPECT_EQ(scsi::be16(r.dataIn.data() + 2), 40000);
  r = run(disk, {0x37, 0, 0x1D, 0, 0, 0, 0, 0x20, 0x00}, 8192);
  EXPECT_EQ(scsi::be16(r.dataIn.data() + 2), 32);

  // A list longer than the allocation length fills the buffer exactly: good status.
  disk.primary.assign(1100, sim::Defect{});
  disk.primaryLength = -1;
  r = run(disk, {0x37, 0, 0x15, 0, 0, 0, 0, 0x20, 0x00}, 8192);
  EXPECT_EQ(r.status, scsi::kStatusDone);
  ASSERT_EQ(r.dataIn.size(), 8192u);
  EXPECT_EQ(scsi::be16(r.dataIn.data() + 2), 8800);
}

TEST_F(SimDevice, OtherOpcodesShortCdbsAndLunBitsAreRefused) {
  for (uint8_t op : std::initializer_list<uint8_t>{0x00, 0x03, 0x08, 0x28, 0x2A, 0x35, 0x5A, 0xA0}) {
    expectCheck(run(disk, {op}, 0), 5, 0x20, 0);
  }
  std::vector<uint8_t> cdb = {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  expectCheck(sim::runCommand(disk, cdb.data(), 6, nullptr, 8), 5, 0x24, 0);
  expectCheck(run(disk, {0x12, 0x20, 0, 0, 36}, 36), 5, 0x25, 0);
}

}  // namespace

namespace {

// The MODE SELECT quirks of real drives: refusing a page while some bits are set, and
// taking bits without keeping them.
TEST(SimDeviceQuirks, SelectRefuseAndSelectIgnore) {
  sim::ParseResult r = sim::parseBus(R"(
adapter 0
  device 0
    inquiry 00 00 03 02 1F 00 00 32 "VENDOR  " "PRODUCT         " "0001"
    page 08 current    08 0A 15 00 FF FF 00 00 FF FF 00 00
    page 08 changeable 08 0A 1D 00 00 00 00 00 00 00 00 00
    page 01 current    01 06 00 0B 00 00 00 00
    page 01 changeable 01 06 FF 00 00 00 00 00
    select-refuse 08 2 F8
    select-ignore 01 2 80
)", "quirks.bus");
  ASSERT_TRUE(r.ok) << r.error;
  sim::Device d = r.bus.adapters[0].devices[0];
  auto select = [&](std::vector<uint8_t> page) {
    std::vector<uint8_t> list = {0, 0, 0, 0};
    list.insert(list.end(), page.begin(), page.end());
    std::vector<uint8_t> cdb = {0x15, 0x11, 0, 0, static_cast<uint8_t>(list.size()), 0};
    list.resize(84);
    return sim::runCommand(d, cdb.data(), 6, list.data(), 84);
  };
  // RCD cleared with DISC still set: refused, nothing changes; with DISC clear: taken.
  sim::CommandResult refused = select({0x08, 0x0A, 0x14, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0});
  EXPECT_EQ(refused.targetStatus, scsi::kTargetCheckCondition);
  EXPECT_EQ(refused.sense[2], sim::kKeyIllegalRequest);
  EXPECT_EQ(refused.sense[12], sim::kAscInvalidFieldInList);
  EXPECT_EQ(d.pages[1].current[2], 0x15);
  EXPECT_EQ(select({0x08, 0x0A, 0x04, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0}).status, scsi::kStatusDone);
  EXPECT_EQ(d.pages[1].current[2], 0x04);
  EXPECT_EQ(d.pages[1].saved[2], 0x04);
  // AWRE is accepted but kept; ARRE in the same byte changes.
  EXPECT_EQ(select({0x01, 0x06, 0xC0, 0x0B, 0, 0, 0, 0}).status, scsi::kStatusDone);
  EXPECT_EQ(d.pages[0].current[2], 0x40);
  EXPECT_EQ(d.pages[0].saved[2], 0x40);

  for (const char* bad : {"select-refuse 08 1 FF", "select-ignore 08 2", "select-refuse 3F 2 01",
                          "select-ignore 08 2 1FF"}) {
    std::string text = std::string("adapter 0\n  device 0\n    inquiry 00\n    ") + bad + "\n";
    EXPECT_FALSE(sim::parseBus(text, "bad.bus").ok) << bad;
  }
}

}  // namespace
