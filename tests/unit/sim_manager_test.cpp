// The simulated manager over a bus: support word, adapter inquiry, execute requests with
// their completion and faults, saved values kept between loads, the miniport answers.
#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>

#include "scsi/bytes.h"
#include "scsi/miniport_request.h"
#include "scsi/records.h"
#include "simulator/bus_parser.h"
#include "simulator/simulator.h"

namespace {

const char* kBus = R"(
completion pending
adapter 0
  identifier "ABCDEFGHIJKLMNOP"
  manager-id "VRAX SIMULATOR"
  scsi-id 7
  unique 03 00 02 10 00 00 00 01 00 00 00 00 00 0C 00 81
  pci 00 5A 1D 40 5C
  pci 10 01 D0 00 00
  eeprom 00 11*64
  eeprom 40 22*64
  port 0 kestrdrv
  port-fault open times 1
  device 0
    inquiry 00 00 03 02 1F 00 00 32 "VENDOR  " "PRODUCT         " "0001"
    capacity 1000 512
    rate 1600 x2
    completion immediate
    page 08 current    08 12 04 00 FF FF 00 00 FF FF FF FF 80 10 00 00 00 00 00 00
    page 08 changeable 08 12 05 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
  device 3
    inquiry 01 80
    rate async
    fault 12 busy times 1
    fault 12 check 3 11 2 times 1
    fault 12 aborted times 1
    fault 12 timeout times 1
    fault 12 adapter 13 times 1
    fault 12 never times 1
    fault 12 late times 1
    fault 12 delay 40 times 1
    fault 12 short 1 times 1
    fault 12 underrun 1 times 1
    fault 12 short 0 times 1
    fault * busy times 1
adapter 1
  identifier "ESDI"
  eeprom-shared 0
  port 1 kestrdrv 00001234
  port-fault call times 1
  port-fault status times 1
  device 2
    inquiry 00
adapter 2
  port 2 otherdrv
)";

class SimManager : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sim.load(kBus, "test.bus")) << sim.error(); }

  scsi::ExecCommandBlock block(uint8_t adapter, uint8_t target, std::vector<uint8_t> cdb,
                               uint8_t flags = scsi::kFlagsRead, uint32_t length = 36) {
    scsi::ExecCommandBlock b;
    std::memset(&b, 0, sizeof b);
    b.header.command = scsi::kCmdExecute;
    b.header.adapterNumber = adapter;
    b.header.flags = flags;
    b.target = target;
    b.dataLength = length;
    b.dataBuffer = length ? scsi::blockAddress(buffer) : 0;
    b.senseLength = scsi::kSenseLength;
    b.cdbLength = static_cast<uint8_t>(cdb[0] < 0x20 ? 6 : 10);
    std::memcpy(b.cdb, cdb.data(), cdb.size());
    return b;
  }

  sim::Answer inquiry(uint8_t adapter, uint8_t target) {
    return sim.execute(block(adapter, target, {0x12, 0, 0, 0, 36}), nullptr);
  }

  sim::Simulator sim;
  uint8_t buffer[512] = {};
};

TEST_F(SimManager, SupportWordAndAdapterInquiry) {
  EXPECT_EQ(sim.supportInfo(), 0x0103u);

  scsi::AdapterInquiryBlock b;
  std::memset(&b, 0, sizeof b);
  b.header.adapterNumber = 0;
  EXPECT_EQ(sim.inquire(b), scsi::kStatusDone);
  EXPECT_EQ(b.header.status, scsi::kStatusDone);
  EXPECT_EQ(b.adapterCount, 3);
  EXPECT_EQ(b.adapterScsiId, 7);
  EXPECT_EQ(std::string(b.managerId, 16), std::string("VRAX SIMULATOR\0\0", 16));
  EXPECT_EQ(std::string(b.adapterIdentifier, 16), "ABCDEFGHIJKLMNOP") << "16 characters, no NUL";
  EXPECT_EQ(b.adapterUnique[13], 0x0C);
  EXPECT_EQ(b.adapterUnique[15], 0x81);

  b.header.adapterNumber = 3;
  EXPECT_EQ(sim.inquire(b), sim::kStatusInvalidAdapter);
  EXPECT_EQ(b.adapterCount, 3);

  uint8_t config[256];
  std::memset(config, 0xEE, sizeof config);
  EXPECT_TRUE(sim.pciConfig(0x100, config, 256)) << "only the low 8 bits name the adapter";
  EXPECT_EQ(scsi::le16(config + 2), 0x5C40);
  EXPECT_EQ(config[255], 0);
  EXPECT_FALSE(sim.pciConfig(3, config, 256));
  EXPECT_FALSE(sim.pciConfig(0, nullptr, 256));
}

TEST_F(SimManager, ABadDescriptionLeavesAManagerThatIsNotInitialised) {
  EXPECT_FALSE(sim.load("adapter 0\n  colour red\n", "bad.bus"));
  EXPECT_FALSE(sim.initialised());
  EXPECT_EQ(sim.error(), "bad.bus:2: unknown key \"colour\"");
  EXPECT_EQ(sim.supportInfo() & 0xFF, 0u);
  EXPECT_NE((sim.supportInfo() >> 8) & 0xFF, 1u);
  scsi::AdapterInquiryBlock b;
  std::memset(&b, 0, sizeof b);
  EXPECT_EQ(sim.inquire(b), sim::kStatusInvalidAdapter);
  EXPECT_EQ(inquiry(0, 0).result.status, sim::kStatusInvalidAdapter);

  ASSERT_TRUE(sim.load("manager-status 03\nadapter 0\n", "odd.bus"));
  EXPECT_EQ(sim.supportInfo(), 0x0301u);
}

TEST_F(SimManager, CompletionFollowsTheDeviceAndAbsentTargetsTimeOut) {
  sim::Answer a = inquiry(0, 0);
  EXPECT_EQ(a.timing, sim::Timing::Immediate);
  EXPECT_EQ(a.result.status, scsi::kStatusDone);
  EXPECT_EQ(a.result.dataIn.size(), 36u);

  a = inquiry(1, 2);
  EXPECT_EQ(a.timing, sim::Timing::Pending) << "the bus's default";
  EXPECT_EQ(a.delayMs, 0u);
  EXPECT_EQ(a.result.status, scsi::kStatusDone);

  for (uint8_t t : std::initializer_list<uint8_t>{1, 7, 15, 200}) {
    a = inquiry(0, t);
    EXPECT_EQ(a.result.status, scsi::kStatusError) << int(t);
    EXPECT_EQ(a.result.adapterStatus, scsi::kHaSelectionTimeout) << int(t);
    EXPECT_EQ(a.timing, sim::Timing::Pending);
  }
  scsi::ExecCommandBlock b = block(0, 0, {0x12, 0, 0, 0, 36});
  b.lun = 1;
  EXPECT_EQ(sim.execute(b, nullptr).result.adapterStatus, scsi::kHaSelectionTimeout);
}

TEST_F(SimManager, MalformedRequestsAreRefused) {
  scsi::ExecCommandBlock b = block(0, 0, {0x12, 0, 0, 0, 36});
  b.cdbLength = 0;
  EXPECT_EQ(sim.execute(b, nullptr).result.status, sim::kStatusInvalidRequest);
  b.cdbLength = 17;
  EXPECT_EQ(sim.execute(b, nullptr).result.status, sim::kStatusInvalidRequest);
  b = block(0, 0, {0x12, 0, 0, 0, 36});
  b.dataBuffer = 0;
  EXPECT_EQ(sim.execute(b, nullptr).result.status, sim::kStatusInvalidRequest);
  b = block(9, 0, {0x12, 0, 0, 0, 36});
  EXPECT_EQ(sim.execute(b, nullptr).result.status, sim::kStatusInvalidAdapter);

  // Data flowing against the command's direction: a bus phase failure.
  b = block(0, 0, {0x12, 0, 0, 0, 36}, scsi::kFlagsWrite);
  sim::Answer a = sim.execute(b, buffer);
  EXPECT_EQ(a.result.status, scsi::kStatusError);
  EXPECT_EQ(a.result.adapterStatus, scsi::kHaPhaseSequenceFailure);
  b = block(0, 0, {0x15, 0x11, 0, 0, 0}, scsi::kFlagsRead, 84);
  EXPECT_EQ(sim.execute(b, buffer).result.adapterStatus, scsi::kHaPhaseSequenceFailure);
  // No direction bits: the command decides.
  b = block(0, 0, {0x12, 0, 0, 0, 36}, 0);
  EXPECT_EQ(sim.execute(b, nullptr).result.status, scsi::kStatusDone);
}

TEST_F(SimManager, EachFaultKindInTurnThenNormalAnswers) {
  struct Expected {
    uint8_t status, adapterStatus, targetStatus;
    sim::Timing timing;
    uint32_t delay;
    size_t data;
  };
  const Expected expected[] = {
      {4, 0x00, 0x08, sim::Timing::Pending, 0, 0},   // busy
      {4, 0x00, 0x02, sim::Timing::Pending, 0, 0},   // check condition
      {2, 0x00, 0x00, sim::Timing::Pending, 0, 0},   // aborted
      {4, 0x11, 0x00, sim::Timing::Pending, 0, 0},   // selection timeout
      {4, 0x13, 0x00, sim::Timing::Pending, 0, 0},   // adapter status
      {0, 0x00, 0x00, sim::Timing::Never, 0, 0},     // never completes
      {1, 0x00, 0x00, sim::Timing::Late, 0, 2},      // carried out, released late
      {1, 0x00, 0x00, sim::Timing::Pending, 40, 2},  // carried out after a delay
      {1, 0x00, 0x00, sim::Timing::Pending, 0, 1},   // a short answer, reported good
      {4, 0x12, 0x00, sim::Timing::Pending, 0, 1},   // the same as a data underrun
      {1, 0x00, 0x00, sim::Timing::Pending, 0, 0},   // an empty answer, reported good
      {4, 0x00, 0x08, sim::Timing::Pending, 0, 0},   // the wildcard's one busy
      {1, 0x00, 0x00, sim::Timing::Pending, 0, 2},   // every fault used up
  };
  for (size_t i = 0; i < std::size(expected); ++i) {
    sim::Answer a = inquiry(0, 3);
    EXPECT_EQ(a.result.status, expected[i].status) << i;
    EXPECT_EQ(a.result.adapterStatus, expected[i].adapterStatus) << i;
    EXPECT_EQ(a.result.targetStatus, expected[i].targetStatus) << i;
    EXPECT_EQ(a.timing, expected[i].timing) << i;
    EXPECT_EQ(a.delayMs, expected[i].delay) << i;
    EXPECT_EQ(a.result.dataIn.size(), expected[i].data) << i;
    if (i == 1) {
      ASSERT_TRUE(a.result.hasSense);
      EXPECT_EQ(a.result.sense[2], 3);
      EXPECT_EQ(a.result.sense[12], 0x11);
      EXPECT_EQ(a.result.sense[13], 2);
    }
  }
}

TEST_F(SimManager, AFaultedModeSelectChangesNothing) {
  ASSERT_TRUE(sim.load(R"(
adapter 0
  device 0
    inquiry 00
    page 08 current    08 02 04 00
    page 08 changeable 08 02 05 00
    fault 15 busy times 1
    fault 15 late times 1
)", "f.bus"));
  uint8_t list[] = {0, 0, 0, 0, 0x08, 0x02, 0x01, 0x00};
  scsi::ExecCommandBlock b = block(0, 0, {0x15, 0x11, 0, 0, 8}, scsi::kFlagsWrite, 8);
  sim::Answer a = sim.execute(b, list);
  EXPECT_EQ(a.result.targetStatus, scsi::kTargetBusy);
  EXPECT_FALSE(a.stateChanged);
  EXPECT_EQ(sim.bus().adapters[0].devices[0].pages[0].current[2], 0x04);
  // A late request is carried out at once; only its completion waits.
  a = sim.execute(b, list);
  EXPECT_EQ(a.timing, sim::Timing::Late);
  EXPECT_TRUE(a.stateChanged);
  EXPECT_EQ(sim.bus().adapters[0].devices[0].pages[0].saved[2], 0x01);
}

TEST_F(SimManager, ReadsARequestBlockAtAnyAddress) {
  // Request blocks are packed records: a caller's may start at an odd address.
  ASSERT_TRUE(sim.load(R"(
adapter 0
  device 0
    inquiry 00
    page 08 current    08 02 04 00
    page 08 changeable 08 02 05 00
)", "f.bus"));
  uint8_t list[] = {0, 0, 0, 0, 0x08, 0x02, 0x01, 0x00};
  alignas(8) uint8_t room[sizeof(scsi::ExecCommandBlock) + 1];
  auto* b = new (room + 1)
      scsi::ExecCommandBlock(block(0, 0, {0x15, 0x11, 0, 0, 8}, scsi::kFlagsWrite, 8));
  const sim::Answer a = sim.execute(*b, list);
  EXPECT_EQ(a.result.targetStatus, 0);
  EXPECT_TRUE(a.stateChanged);
  EXPECT_EQ(sim.bus().adapters[0].devices[0].pages[0].saved[2], 0x01);
}

TEST_F(SimManager, FaultsCanAimAtOnePage) {
  ASSERT_TRUE(sim.load(R"(
adapter 0
  device 0
    inquiry 00
    page 01 current    01 02 00 00
    page 01 changeable 01 02 C0 00
    page 08 current    08 02 04 00
    page 08 changeable 08 02 05 00
    fault 1A busy page 08 times 1
    fault 15 check 5 26 0 page 01
)", "p.bus"));
  // MODE SENSE of page 01 passes the page 08 fault; page 08 then meets it once.
  EXPECT_EQ(sim.execute(block(0, 0, {0x1A, 0, 0x01, 0, 84}, scsi::kFlagsRead, 84), nullptr).result.status,
            scsi::kStatusDone);
  EXPECT_EQ(sim.execute(block(0, 0, {0x1A, 0, 0x48, 0, 84}, scsi::kFlagsRead, 84), nullptr)
                .result.targetStatus,
            scsi::kTargetBusy);
  EXPECT_EQ(sim.execute(block(0, 0, {0x1A, 0, 0x08, 0, 84}, scsi::kFlagsRead, 84), nullptr).result.status,
            scsi::kStatusDone);
  // MODE SELECT by the list's first page.
  uint8_t caching[] = {0, 0, 0, 0, 0x08, 0x02, 0x01, 0x00};
  uint8_t recovery[] = {0, 0, 0, 0, 0x01, 0x02, 0x40, 0x00};
  const scsi::ExecCommandBlock b = block(0, 0, {0x15, 0x11, 0, 0, 8}, scsi::kFlagsWrite, 8);
  EXPECT_EQ(sim.execute(b, caching).result.status, scsi::kStatusDone);
  EXPECT_EQ(sim.execute(b, recovery).result.targetStatus, scsi::kTargetCheckCondition);
  EXPECT_EQ(sim.bus().adapters[0].devices[0].pages[0].current[2], 0x00);

  EXPECT_FALSE(sim::parseBus("adapter 0\n device 0\n  inquiry 00\n  fault 12 busy page 08\n", "x")
                   .ok)
      << "page is for mode commands only";
}

TEST_F(SimManager, ShortFaultsCutADefectListThatEndsInAnUnderrun) {
  ASSERT_TRUE(sim.load(R"(
adapter 0
  device 0
    inquiry 00
    plist 1/1/1 2/2/2
    fault 37 short 4 times 1
    fault 37 short 0 times 1
    fault 37 underrun 12 times 1
    fault 37 check 5 24 0 times 1
)", "d.bus"));
  const scsi::ExecCommandBlock b =
      block(0, 0, {0x37, 0, 0x15, 0, 0, 0, 0, 0x20, 0x00}, scsi::kFlagsRead, 8192);
  const size_t sizes[] = {4, 0, 12};
  for (size_t size : sizes) {
    const sim::Answer a = sim.execute(b, nullptr);
    EXPECT_EQ(a.result.status, scsi::kStatusError) << size;
    EXPECT_EQ(a.result.adapterStatus, scsi::kHaDataOverUnderrun) << size;
    EXPECT_EQ(a.result.targetStatus, scsi::kTargetGood) << size;
    EXPECT_EQ(a.result.dataIn.size(), size);
  }
  // A refused read stays refused; the faults used up, the whole list comes.
  EXPECT_EQ(sim.execute(b, nullptr).result.targetStatus, scsi::kTargetCheckCondition);
  EXPECT_EQ(sim.execute(b, nullptr).result.dataIn.size(), 4u + 16);
}

TEST_F(SimManager, SavedValuesLastAcrossLoadsThroughTheStateText) {
  EXPECT_EQ(sim.stateText(), "") << "nothing differs from the description";
  uint8_t list[32] = {};
  const uint8_t page[] = {0x08, 0x12, 0x01, 0x00, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF,
                          0xFF, 0xFF, 0x80, 0x10, 0, 0, 0, 0, 0, 0};
  std::memcpy(list + 4, page, sizeof page);
  scsi::ExecCommandBlock b = block(0, 0, {0x15, 0x11, 0, 0, 24}, scsi::kFlagsWrite, 24);
  sim::Answer a = sim.execute(b, list);
  ASSERT_EQ(a.result.status, scsi::kStatusDone);
  EXPECT_TRUE(a.stateChanged);
  const std::string state = sim.stateText();
  EXPECT_NE(state.find("\nsaved 0 0 08 08 12 01 00 FF FF"), std::string::npos) << state;

  sim::Simulator next;
  ASSERT_TRUE(next.load(kBus, "test.bus"));
  EXPECT_EQ(next.applyState(state), 0);
  const sim::ModePage& p = next.bus().adapters[0].devices[0].pages[0];
  EXPECT_EQ(p.saved[2], 0x01);
  EXPECT_EQ(p.current[2], 0x01) << "the device powers up with its saved values";
  EXPECT_EQ(p.defaults[2], 0x04);

  // Lines that do not fit are skipped; fixed bits always come from the description.
  EXPECT_EQ(next.applyState("saved 0 0 08 08 02 00 00\n"        // wrong length
                            "saved 0 9 08 08 12 00*18\n"        // no such device
                            "saved 0 0 1C 1C 02 00 00\n"        // no such page
                            "saved x y z\n"
                            "junk \"\n"
                            "saved 0 0 08 08 12 FB 00 FF FF 00 00 FF FF FF FF 80 10 00 00 00 00 00 00\n"),
            5);
  EXPECT_EQ(p.saved[2], 0x01) << "only RCD and WCE may come from the file";

  next.resetState();
  EXPECT_EQ(p.saved[2], 0x04);
  EXPECT_EQ(p.current[2], 0x04);
  EXPECT_EQ(next.stateText(), "");
}

TEST_F(SimManager, MiniportAnswersTheEepromReadAndTheRateQueries) {
  EXPECT_FALSE(sim.miniportOpen(0)) << "the open fault, once";
  EXPECT_TRUE(sim.miniportOpen(0));
  EXPECT_TRUE(sim.miniportOpen(2));
  EXPECT_FALSE(sim.miniportOpen(3));
  EXPECT_EQ(sim::ioAddressOf(sim.bus().adapters[0]), 0xD000u);
  EXPECT_EQ(sim::ioAddressOf(sim.bus().adapters[1]), 0x1234u);

  scsi::MiniportRequest r;
  for (uint32_t offset : {scsi::kEepromChannelA, scsi::kEepromChannelB}) {
    scsi::makeEepromReadRequest(r, offset);
    sim::MiniportAnswer a = sim.miniportControl(0, scsi::kIoctlScsiMiniport,
                                                reinterpret_cast<uint8_t*>(&r), 128,
                                                reinterpret_cast<uint8_t*>(&r), 128);
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(a.returned, 128u);
    EXPECT_EQ(r.completionStatus, scsi::kMiniportStatusOk);
    EXPECT_EQ(r.data[0], offset ? 0x22 : 0x11);
    EXPECT_EQ(r.data[63], offset ? 0x22 : 0x11);
  }

  // Rate of a target: value, doubling, offset; an asynchronous target; an absent one.
  auto query = [&](int port, uint8_t target, uint16_t op, uint8_t& status) {
    scsi::makeRateRequest(r, target, op, op == scsi::kOpSyncOffset ? 0xFF : 0);
    sim::MiniportAnswer a = sim.miniportControl(port, scsi::kIoctlScsiMiniport,
                                                reinterpret_cast<uint8_t*>(&r), 60,
                                                reinterpret_cast<uint8_t*>(&r), 60);
    EXPECT_TRUE(a.ok);
    status = r.completionStatus;
    return r.parameter1;
  };
  uint8_t status;
  EXPECT_EQ(query(0, 0, scsi::kOpRate, status), 1600u);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(query(0, 0, scsi::kOpRateDoubled, status), 1u);
  EXPECT_NE(query(0, 0, scsi::kOpSyncOffset, status), 0u);
  EXPECT_EQ(query(0, 3, scsi::kOpRate, status), 0u);
  EXPECT_EQ(query(0, 3, scsi::kOpRateDoubled, status), 0u);
  EXPECT_EQ(query(0, 3, scsi::kOpSyncOffset, status), 0u);
  EXPECT_EQ(status, 1);
  query(0, 5, scsi::kOpRate, status);
  EXPECT_NE(status, 1);

  // The second channel of the card reads the card's EEPROM; its faults in turn.
  scsi::makeEepromReadRequest(r, scsi::kEepromChannelB);
  auto eeprom = [&]() {
    return sim.miniportControl(1, scsi::kIoctlScsiMiniport, reinterpret_cast<uint8_t*>(&r), 128,
                               reinterpret_cast<uint8_t*>(&r), 128);
  };
  sim::MiniportAnswer a = eeprom();
  EXPECT_FALSE(a.ok);
  EXPECT_EQ(a.error, sim::kErrorGenFailure);
  a = eeprom();
  EXPECT_TRUE(a.ok);
  EXPECT_NE(r.completionStatus, 1);
  a = eeprom();
  EXPECT_TRUE(a.ok);
  EXPECT_EQ(r.completionStatus, 1);
  EXPECT_EQ(r.data[0], 0x22);
}

TEST_F(SimManager, MiniportRefusesMalformedRequests) {
  scsi::MiniportRequest r;
  auto call = [&](int port, uint32_t code, uint32_t in, uint32_t out) {
    return sim.miniportControl(port, code, reinterpret_cast<uint8_t*>(&r), in,
                               reinterpret_cast<uint8_t*>(&r), out);
  };
  scsi::makeEepromReadRequest(r, 0);
  EXPECT_EQ(call(0, 0x0004D004, 128, 128).error, sim::kErrorInvalidFunction);
  EXPECT_EQ(call(2, scsi::kIoctlScsiMiniport, 128, 128).error, sim::kErrorInvalidFunction)
      << "another driver";
  EXPECT_EQ(call(7, scsi::kIoctlScsiMiniport, 128, 128).error, sim::kErrorInvalidHandle);
  EXPECT_EQ(call(0, scsi::kIoctlScsiMiniport, 128, 60).error, sim::kErrorInsufficientBuffer);
  EXPECT_EQ(call(0, scsi::kIoctlScsiMiniport, 20, 128).error, sim::kErrorInvalidParameter);
  EXPECT_EQ(call(0, scsi::kIoctlScsiMiniport, 100, 128).error, sim::kErrorInvalidParameter)
      << "length field disagrees with the buffer";
  r.signature[0] = 'X';
  EXPECT_EQ(call(0, scsi::kIoctlScsiMiniport, 128, 128).error, sim::kErrorInvalidParameter);
  scsi::makeEepromReadRequest(r, 0);
  r.controlCode = 1;
  EXPECT_FALSE(call(0, scsi::kIoctlScsiMiniport, 128, 128).ok);
  scsi::makeEepromReadRequest(r, 0);
  r.function = 8;
  EXPECT_FALSE(call(0, scsi::kIoctlScsiMiniport, 128, 128).ok);

  // Well-formed but not something the driver does: the call succeeds, the status says no.
  scsi::makeEepromReadRequest(r, 480);
  EXPECT_TRUE(call(0, scsi::kIoctlScsiMiniport, 128, 128).ok);
  EXPECT_NE(r.completionStatus, 1) << "past the EEPROM's end";
  scsi::makeEepromReadRequest(r, 0);
  r.operation = 0x8052;
  EXPECT_TRUE(call(0, scsi::kIoctlScsiMiniport, 128, 128).ok);
  EXPECT_EQ(r.completionStatus, sim::kMiniportStatusInvalid);
  scsi::makeEepromReadRequest(r, 0);
  r.lun = 0;
  EXPECT_TRUE(call(0, scsi::kIoctlScsiMiniport, 128, 128).ok);
  EXPECT_NE(r.completionStatus, 1);
}

TEST(SimMiniportRequest, BuildersFillTheDocumentedBytes) {
  scsi::MiniportRequest r;
  scsi::makeEepromReadRequest(r, 64);
  const uint8_t* b = reinterpret_cast<const uint8_t*>(&r);
  EXPECT_EQ(scsi::le32(b + 0), 28u);
  EXPECT_EQ(std::memcmp(b + 4, "VLM\0\0\0\0\0", 8), 0);
  EXPECT_EQ(scsi::le32(b + 12), 5u);
  EXPECT_EQ(scsi::le32(b + 16), 0x766C6D20u);
  EXPECT_EQ(scsi::le32(b + 24), 100u);
  EXPECT_EQ(b[28], 9);
  EXPECT_EQ(b[36], 0xFF);
  EXPECT_EQ(b[37], 0xFF);
  EXPECT_EQ(b[38], 0x48);
  EXPECT_EQ(b[39], 4);
  uintptr_t parameterAddress = 0;  // as wide as the process's addresses
  std::memcpy(&parameterAddress, b + 40, sizeof parameterAddress);
  EXPECT_EQ(parameterAddress, reinterpret_cast<uintptr_t>(b + 56));
  EXPECT_EQ(b[52], 3);
  EXPECT_EQ(scsi::le16(b + 54), 0x8051);
  EXPECT_EQ(scsi::le32(b + 56), 64u);
  EXPECT_EQ(scsi::le32(b + 60), 64u);

  scsi::makeRateRequest(r, 5, scsi::kOpSyncOffset, 0xFF);
  EXPECT_EQ(scsi::le32(b + 24), 32u);
  EXPECT_EQ(b[36], 5);
  EXPECT_EQ(b[37], 0);
  EXPECT_EQ(b[38], 4);
  EXPECT_EQ(b[52], 1);
  EXPECT_EQ(scsi::le16(b + 54), 0x0180);
  EXPECT_EQ(scsi::le32(b + 56), 0xFFu);
}

TEST(SimDeviceName, ScsiPortNamesAreRecognised) {
  EXPECT_EQ(sim::portFromDeviceName("\\\\.\\Scsi0:"), 0);
  EXPECT_EQ(sim::portFromDeviceName("\\\\.\\SCSI12:"), 12);
  EXPECT_EQ(sim::portFromDeviceName("\\\\.\\Scsi:"), -1);
  EXPECT_EQ(sim::portFromDeviceName("\\\\.\\Scsi1"), -1);
  EXPECT_EQ(sim::portFromDeviceName("\\\\.\\Scsix:"), -1);
  EXPECT_EQ(sim::portFromDeviceName("C:\\Scsi1:"), -1);
  EXPECT_EQ(sim::portFromDeviceName(""), -1);
}

}  // namespace
