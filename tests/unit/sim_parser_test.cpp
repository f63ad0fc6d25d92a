// The bus description reader: what a description becomes, and how bad ones are refused.
#include <gtest/gtest.h>

#include <string>

#include "simulator/bus_parser.h"

namespace {

const char* kSmallBus = R"(# a small bus
manager-status 01
completion pending
adapter 0
  identifier "KESTREL TEST"      # quoted, with a blank
  manager-id VRAXSIM
  scsi-id 6
  unique 03 00 02 10 00 00 00 01 00 00 00 00 00 0C 01 81
  pci 00 5A 1D 40 5C
  pci 2C 5A 1D 20 4C
  pci 10 01 D0 00 00
  eeprom 40 AA*64
  port 2 KestrDrv 0000D000
  port-fault call times 1
  device 0
    inquiry 00 00 03 02 1F 00 00 32 "ABC     " "PRODUCT 1       " "0001"
    capacity 1000 512
    rate 1600 x2
    completion immediate
    page 08 current    08 12 04 00 FF FF 00 00 FF FF FF FF 80 10 00 00 00 00 00 00
    page 08 changeable 08 12 05 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
    page 08 default    88 12 00 00 FF FF 00 00 FF FF FF FF 80 10 00 00 00 00 00 00
    page 01 saved 01 06 C0 08 00 00 00 00
    plist 1/2/3 4660/5/256
    glist 16777215/255/4294967295
    fault 1A busy times 2
    fault * check 5 24 0
  device 15
    inquiry 01 80
    rate async
    fault 12 delay 25
adapter 1
  identifier ESDI
)";

TEST(SimBusParser, ASmallBusBecomesItsRecords) {
  sim::ParseResult r = sim::parseBus(kSmallBus, "small.bus");
  ASSERT_TRUE(r.ok) << r.error;
  const sim::Bus& bus = r.bus;
  EXPECT_EQ(bus.name, "small.bus");
  EXPECT_EQ(bus.managerStatus, 1);
  ASSERT_EQ(bus.adapters.size(), 2u);

  const sim::Adapter& a = bus.adapters[0];
  EXPECT_EQ(a.identifier, "KESTREL TEST");
  EXPECT_EQ(a.managerId, "VRAXSIM");
  EXPECT_EQ(a.scsiId, 6);
  EXPECT_EQ(a.unique[3], 0x10);
  EXPECT_EQ(a.unique[15], 0x81);
  EXPECT_EQ(a.maxTargets(), 16);
  EXPECT_EQ(a.pci[2], 0x40);
  EXPECT_EQ(a.pci[0x2E], 0x20);
  EXPECT_EQ(a.pci[0x10], 0x01);
  EXPECT_EQ(a.pci[0x20], 0x00);  // not given: zero
  EXPECT_EQ(a.eeprom[0x40], 0xAA);
  EXPECT_EQ(a.eeprom[0x7F], 0xAA);
  EXPECT_EQ(a.eeprom[0x80], 0x00);
  EXPECT_EQ(a.port, 2);
  EXPECT_EQ(a.portDriver, "KestrDrv");
  EXPECT_TRUE(a.hasIoAddress);
  EXPECT_EQ(a.ioAddress, 0xD000u);
  ASSERT_EQ(a.portFaults.size(), 1u);
  EXPECT_EQ(a.portFaults[0].remaining, 1);

  ASSERT_EQ(a.devices.size(), 2u);
  const sim::Device& d = a.devices[0];
  ASSERT_EQ(d.inquiry.size(), 36u);
  EXPECT_EQ(std::string(d.inquiry.begin() + 8, d.inquiry.begin() + 16), "ABC     ");
  EXPECT_EQ(d.blocks, 1000u);
  EXPECT_EQ(d.blockLength, 512u);
  EXPECT_EQ(d.rate.tenthsMBps, 1600u);
  EXPECT_TRUE(d.rate.doubled);
  EXPECT_NE(d.rate.offset, 0);
  EXPECT_EQ(d.completion, sim::Completion::Immediate);
  ASSERT_EQ(d.primary.size(), 2u);
  EXPECT_EQ(d.primary[1].cylinder, 4660u);
  EXPECT_EQ(d.primary[1].head, 5);
  EXPECT_EQ(d.primary[1].sector, 256u);
  ASSERT_EQ(d.grown.size(), 1u);
  EXPECT_EQ(d.grown[0].cylinder, 0xFFFFFFu);
  EXPECT_EQ(d.grown[0].sector, 0xFFFFFFFFu);
  ASSERT_EQ(d.faults.size(), 2u);
  EXPECT_EQ(d.faults[0].opcode, 0x1A);
  EXPECT_EQ(d.faults[0].kind, sim::FaultKind::Busy);
  EXPECT_EQ(d.faults[0].remaining, 2);
  EXPECT_EQ(d.faults[1].opcode, sim::kAnyOpcode);
  EXPECT_EQ(d.faults[1].senseKey, 5);
  EXPECT_EQ(d.faults[1].asc, 0x24);
  EXPECT_EQ(d.faults[1].remaining, sim::kEveryTime);

  // Pages sorted by code; the PS bit of a description is dropped.
  ASSERT_EQ(d.pages.size(), 2u);
  EXPECT_EQ(d.pages[0].code, 0x01);
  EXPECT_EQ(d.pages[1].code, 0x08);
  EXPECT_EQ(d.pages[1].defaults[0], 0x08);

  const sim::Device& far = a.devices[1];
  EXPECT_EQ(far.target, 15);
  EXPECT_EQ(far.completion, sim::Completion::Pending);  // the bus's default
  EXPECT_EQ(far.rate.offset, 0);
  EXPECT_EQ(far.faults[0].kind, sim::FaultKind::Delay);
  EXPECT_EQ(far.faults[0].delayMs, 25u);
  EXPECT_FALSE(far.hasCapacity);

  EXPECT_EQ(bus.adapters[1].maxTargets(), 8);
  EXPECT_EQ(bus.adapters[1].port, -1);
}

TEST(SimBusParser, MissingPageVersionsFollowFromTheGivenOnes) {
  sim::ParseResult r = sim::parseBus(kSmallBus, "small.bus");
  ASSERT_TRUE(r.ok) << r.error;
  const sim::ModePage& caching = r.bus.adapters[0].devices[0].pages[1];
  // current + default given: the device saved what it runs with.
  EXPECT_EQ(caching.saved, caching.current);
  EXPECT_EQ(caching.current[2], 0x04);
  EXPECT_EQ(caching.defaults[2], 0x00);
  EXPECT_EQ(caching.changeable[2], 0x05);
  // Only saved given: current and default are the saved values; nothing changeable.
  const sim::ModePage& recovery = r.bus.adapters[0].devices[0].pages[0];
  EXPECT_EQ(recovery.current, recovery.saved);
  EXPECT_EQ(recovery.defaults, recovery.saved);
  EXPECT_EQ(recovery.changeable, (std::vector<uint8_t>{0x01, 0x06, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(recovery.describedSaved, recovery.saved);
}

TEST(SimBusParser, ByteListsTakeHexQuotedTextAndRepeats) {
  std::vector<sim::Token> tokens;
  std::string error;
  ASSERT_TRUE(sim::tokenizeLine(R"(x 0a F "a\"b\\" 7*3 # comment "ignored")", tokens, error));
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(sim::parseByteList(tokens, 1, bytes, error)) << error;
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0x0A, 0x0F, 'a', '"', 'b', '\\', 7, 7, 7}));

  for (const char* bad : {"x 100", "x 0x12", "x zz", "x 5*0", "x 5*", "x -1"}) {
    ASSERT_TRUE(sim::tokenizeLine(bad, tokens, error));
    EXPECT_FALSE(sim::parseByteList(tokens, 1, bytes, error)) << bad;
  }
  EXPECT_FALSE(sim::tokenizeLine("x \"open", tokens, error));
  EXPECT_FALSE(sim::tokenizeLine("x ab\"c\"", tokens, error));
}

struct Refusal {
  std::string text;
  const char* message;  // expected part of the message, after "bad.bus:LINE: "
  int line;
};

TEST(SimBusParser, BadDescriptionsAreRefusedNamingFileAndLine) {
  const std::string adapter = "adapter 0\n  unique 00 00 00 10 00*12\n";  // 16 targets
  const std::string device = adapter + "  device 1\n    inquiry 00\n";  // line 4 is inquiry
  const Refusal cases[] = {
      {"colour blue\n", "unknown key \"colour\"", 1},
      {"adapter 0\n  pci 00 5A 1G\n", "bad hex \"1G\"", 2},
      {"adapter 0\n  device 8\n", "target 8 is out of range (the adapter has 8 targets: 0 to 7)", 2},
      {"adapter 0\n  scsi-id 3\n  device 3\n", "target 3 is the adapter's own SCSI ID", 3},
      {"adapter 0\n  identifier ABCDEFGHIJKLMNOPQ\n", "longer than 16 characters", 2},
      {(device + "    inquiry 00*256\n"), "inquiry data of 256 bytes is too long (at most 255)", 5},
      {"adapter 0\n  pci F0 00*17\n", "run past the 256-byte configuration space", 2},
      {"adapter 0\n  eeprom 1F0 00*17\n", "run past the 512-byte EEPROM", 2},
      {"adapter 0\n  unique 00 01\n", "\"unique\" needs exactly 16 bytes, not 2", 2},
      {(device + "    page 08 current 08 12 00\n"), "has page length byte 18 but 1 bytes follow it", 5},
      {(device + "    page 08 current 01 00\n"), "starts with page code 1 (decimal), not its own", 5},
      {(device + "    page 08 current 08 02 00 00\n    page 08 changeable 08 05 00\n"),
       "has page length byte 5 but 1 bytes follow it", 6},
      {(device + "    page 08 current 08 02 00 00\n    page 08 saved 08 03 00 00 00\n"),
       "the values of page 08 differ in length", 5},
      {(device + "    page 08 current 08 02 00 00\n    page 08 current 08 02 00 00\n"),
       "page 08 current given twice", 6},
      {(device + "    page 08 changeable 08 02 00 00\n"), "page 08 has only changeable values", 5},
      {(device + "    page 08 current 08 F0 00*240\n    page 01 current 01 02 00 00\n"),
       "total 246 bytes; at most 244 fit a MODE SENSE(6) answer", 3},
      {(device + "    page 3F current 3F 00\n"), "page code \"3F\" is out of range", 5},
      {"adapter 1\n", "adapter 1 out of order (expected adapter 0)", 1},
      {(device + "  device 1\n"), "device 1 given twice", 5},
      {(device + "  scsi-id 5\n"), "adapter key \"scsi-id\" after a device", 5},
      {(adapter + "  capacity 1 512\n"), "\"capacity\" outside a device section", 3},
      {"  identifier X\n", "\"identifier\" outside an adapter section", 1},
      {"adapter 0\n  devicemap off\n", "\"devicemap\" belongs before the first adapter", 2},
      // A key of both the bus and the devices: inside an adapter it is a device key.
      {(adapter + "  completion pending\n"), "\"completion\" outside a device section", 3},
      {"device 1\n", "\"device\" outside an adapter section", 1},
      {(device + "    rate 100 x2 x2\n"), "too many values for \"rate\"", 5},
      {"adapter 0\n  device 1\n", "device 1 has no inquiry data", 2},
      {(device + "    plist 1/2\n"), "bad defect \"1/2\" (CYLINDER/HEAD/SECTOR)", 5},
      {(device + "    plist 16777216/0/0\n"), "bad defect", 5},
      {(device + "    plist 1/0/0*0\n"), "bad defect count in \"1/0/0*0\"", 5},
      {(device + "    glist 1/0/0*x\n"), "bad defect count", 5},
      {(device + "    plist 16777215/0/0*2\n"), "passes cylinder 16777215", 5},
      {(device + "    glist-length 65536\n"), "bad list length \"65536\"", 5},
      {(device + "    block-descriptors none\n"), "block-descriptors must be \"on\" or \"off\"", 5},
      {(device + "    fault 12 explode\n"), "unknown fault \"explode\"", 5},
      {(device + "    fault 12 check 5 24\n"), "fault \"check\" needs a qualifier", 5},
      {(device + "    fault 12 short\n"), "fault \"short\" needs a byte count", 5},
      {(device + "    fault 12 check 15 24 00\n"), "a sense key is one hex digit", 5},
      {(device + "    fault 12 busy times 0\n"), "\"times\" needs a count of at least 1", 5},
      {(device + "    fault 12 busy twice\n"), "only \"times N\" may follow", 5},
      {(device + "    capacity 0 512\n"), "capacity needs a block count and a block length above 0", 5},
      {(device + "    rate fast\n"), "bad rate \"fast\"", 5},
      {(device + "    completion later\n"), "completion must be \"immediate\" or \"pending\"", 5},
      {(device + "    missing-page ignore\n"), "missing-page must be \"check\" or \"empty\"", 5},
      {"adapter 0\n  scsi-id\n", "missing value for \"scsi-id\"", 2},
      {"adapter 0\n  scsi-id 1 2\n", "too many values for \"scsi-id\"", 2},
      {"adapter 0\n  scsi-id 32\n", "bad SCSI ID \"32\"", 2},
      {"adapter 0\n  port 1\nadapter 1\n  port 1\n", "SCSI port 1 is already used by adapter 0", 4},
      {"adapter 0\n  eeprom-shared 0\n", "\"eeprom-shared\" must name an earlier adapter", 2},
      {"adapter 0\n  identifier \"unterminated\n", "unterminated string", 2},
      {"\"adapter\" 0\n", "a line must start with a key", 1},
      {"manager-status 100\n", "bad hex manager status \"100\"", 1},
  };
  for (const Refusal& c : cases) {
    sim::ParseResult r = sim::parseBus(c.text, "bad.bus");
    EXPECT_FALSE(r.ok) << c.text;
    std::string where = "bad.bus:" + std::to_string(c.line) + ": ";
    EXPECT_EQ(r.error.rfind(where, 0), 0u) << r.error << "\nfor:\n" << c.text;
    EXPECT_NE(r.error.find(c.message), std::string::npos) << r.error << "\nfor:\n" << c.text;
  }
}

TEST(SimBusParser, LimitsOfCountsAndSizes) {
  std::string many;
  for (int i = 0; i <= sim::kMaxAdapters; ++i) many += "adapter " + std::to_string(i) + "\n";
  sim::ParseResult r = sim::parseBus(many, "many.bus");
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("too many adapters"), std::string::npos) << r.error;

  std::string defects = "adapter 0\n device 0\n inquiry 00\n";
  for (size_t i = 0; i < sim::kMaxDefects; ++i) defects += " plist 1/1/1\n";
  EXPECT_TRUE(sim::parseBus(defects, "d.bus").ok);
  r = sim::parseBus(defects + " plist 1/1/1\n", "d.bus");
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("defect list longer than 8191 entries"), std::string::npos) << r.error;
  // A run of defects on consecutive cylinders counts each one.
  r = sim::parseBus("adapter 0\n device 0\n inquiry 00\n plist 9/1/7 100/2/5*1200 8/0/0\n", "run.bus");
  ASSERT_TRUE(r.ok) << r.error;
  const std::vector<sim::Defect>& run = r.bus.adapters[0].devices[0].primary;
  ASSERT_EQ(run.size(), 1202u);
  EXPECT_EQ(run[1].cylinder, 100u);
  EXPECT_EQ(run[1200].cylinder, 1299u);
  EXPECT_EQ(run[1200].head, 2);
  EXPECT_EQ(run[1200].sector, 5u);
  EXPECT_EQ(run[1201].cylinder, 8u);
  EXPECT_EQ(r.bus.adapters[0].devices[0].primaryLength, -1);
  r = sim::parseBus("adapter 0\n device 0\n inquiry 00\n plist-length 12\n glist-length 65535\n", "len.bus");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.bus.adapters[0].devices[0].primaryLength, 12);
  EXPECT_EQ(r.bus.adapters[0].devices[0].grownLength, 65535);
  r = sim::parseBus("adapter 0\n device 0\n inquiry 00\n glist 1/1/1*8191 2/2/2\n", "run.bus");
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("defect list longer than 8191 entries"), std::string::npos) << r.error;

  r = sim::parseBus(std::string("adapter 0\n\0", 11), "nul.bus");
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("not text"), std::string::npos);

  // Windows line ends and a byte-order mark are taken in stride.
  r = sim::parseBus("\xEF\xBB\xBF" "adapter 0\r\n  identifier X\r\n", "crlf.bus");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.bus.adapters[0].identifier, "X");

  // An empty description is a manager with no adapters.
  r = sim::parseBus("# nothing here\n", "empty.bus");
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.bus.adapters.empty());
}

}  // namespace
