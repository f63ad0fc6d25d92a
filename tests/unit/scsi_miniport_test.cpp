// The miniport channel over a fake registry and device: which ports are found and
// chosen, the request bytes, the neighbour-port retry and the rate refinements.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "scsi/bytes.h"
#include "scsi/miniport_logic.h"

namespace {

using inv::HostAdapterInfo;
using scsi::PortValue;

PortValue text(const std::string& name, const std::string& value) {
  PortValue v{name, std::vector<uint8_t>(value.begin(), value.end())};
  v.data.push_back(0);
  return v;
}

PortValue number(const std::string& name, uint32_t value) {
  PortValue v{name, std::vector<uint8_t>(4)};
  scsi::putLe32(v.data.data(), value);
  return v;
}

struct Sent {
  std::string device;
  std::vector<uint8_t> bytes;
  uint32_t inSize, outSize;
};

class FakeSystem : public scsi::MiniportSystem {
 public:
  std::map<int, std::vector<PortValue>> ports;
  std::vector<std::string> unopenable;
  // Answers a request in place; false makes the call fail.
  std::function<bool(const std::string& device, scsi::MiniportRequest&)> answer =
      [](const std::string&, scsi::MiniportRequest& r) {
        r.completionStatus = 1;
        return true;
      };

  std::vector<std::string> opened;
  std::vector<Sent> sent;
  int openCount = 0;
  int messages = 0;
  int registryReads = 0;

  bool portValues(int port, std::vector<PortValue>& values) override {
    ++registryReads;
    auto it = ports.find(port);
    if (it == ports.end()) return false;
    values = it->second;
    return true;
  }
  scsi::MiniportHandle open(const char* name) override {
    opened.push_back(name);
    for (const std::string& u : unopenable) {
      if (u == name) return 0;
    }
    ++openCount;
    return opened.size();
  }
  bool control(scsi::MiniportHandle device, void* buffer, uint32_t inSize,
               uint32_t outSize) override {
    const std::string& name = opened.at(device - 1);
    auto* bytes = static_cast<uint8_t*>(buffer);
    sent.push_back({name, std::vector<uint8_t>(bytes, bytes + inSize), inSize, outSize});
    return answer(name, *static_cast<scsi::MiniportRequest*>(buffer));
  }
  void close(scsi::MiniportHandle) override { --openCount; }
  void reportInvalidHandle() override { ++messages; }

  // A "kestrdrv" port at each I/O address, ports numbered from 0.
  void kestrelPorts(std::initializer_list<uint32_t> ioAddresses) {
    int n = 0;
    for (uint32_t io : ioAddresses) {
      ports[n++] = {text("Driver", "kestrdrv"), number("Interrupt", 11), number("IOAddress", io)};
    }
  }
};

HostAdapterInfo adapterAt(uint32_t bar0, uint8_t function, uint32_t channels) {
  HostAdapterInfo a;
  std::memset(&a, 0, sizeof a);
  scsi::putLe32(a.pciConfig + 0x10, bar0);
  a.pciFunction = function;
  a.model.channelCount = channels;
  return a;
}

std::vector<int> portsOf(const scsi::MiniportPortList& list) {
  return std::vector<int>(list.ports, list.ports + list.count);
}

TEST(MiniportPorts, ScanStopsAtTheFirstMissingKeyAndMatchesTheDriverIgnoringCase) {
  FakeSystem fake;
  fake.ports[0] = {text("Driver", "KestrDrv")};
  fake.ports[1] = {number("Interrupt", 5), text("DRIVER", "kestrdrv"), text("Other", "x")};
  fake.ports[3] = {text("Driver", "kestrdrv")};  // after the gap at 2: never looked at
  scsi::MiniportChannel channel(fake);
  EXPECT_EQ(portsOf(channel.findPorts()), (std::vector<int>{0, 1}));
}

TEST(MiniportPorts, OnlyTheDriverValueItselfDecides) {
  FakeSystem fake;
  fake.ports[0] = {text("Driver", "kslegacy")};
  fake.ports[1] = {text("Drivers", "kestrdrv")};
  fake.ports[2] = {text("Driver", "kestrdrv2")};
  fake.ports[3] = {};
  fake.ports[4] = {text("Driver", "kestrdrv")};
  // Data without a NUL that fills the whole buffer: read no further than the data.
  fake.ports[5] = {PortValue{"Driver", std::vector<uint8_t>(80, 'k')}};
  for (int n = 6; n < 20; ++n) fake.ports[n] = {text("Driver", "kestrdrv")};
  scsi::MiniportChannel channel(fake);
  EXPECT_EQ(portsOf(channel.findPorts()),
            (std::vector<int>{4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
}

TEST(MiniportPorts, RememberedPortsAreReadFromTheRegistryOnce) {
  FakeSystem fake;
  fake.kestrelPorts({0xE000, 0xD000, 0xC000});
  scsi::RememberedPorts remembered(fake);
  scsi::MiniportChannel channel(remembered);
  for (uint32_t bar : {0xC001u, 0xD001u, 0xE001u}) {
    HostAdapterInfo a = adapterAt(bar, 0, 2);
    EXPECT_TRUE(channel.readEepromBlock(a));
  }
  uint32_t rate = 0;
  EXPECT_TRUE(channel.queryTransferRate(adapterAt(0xD001, 0, 2), 0, rate));
  EXPECT_EQ(fake.registryReads, 4);  // ports 0 to 2 and the missing key of port 3
  EXPECT_EQ(fake.opened, (std::vector<std::string>{"\\\\.\\Scsi2:", "\\\\.\\Scsi1:",
                                                   "\\\\.\\Scsi0:", "\\\\.\\Scsi1:"}));
}

TEST(MiniportPorts, ChoiceByIoAddress) {
  FakeSystem fake;
  fake.kestrelPorts({0xE000, 0xD000, 0xD000});
  scsi::MiniportChannel channel(fake);
  const scsi::MiniportPortList list = channel.findPorts();
  // The I/O-space bit and the high half of the base address register are not compared.
  EXPECT_EQ(scsi::miniportIoBase(adapterAt(0xFFFFD001, 0, 2)), 0xD000u);
  EXPECT_EQ(channel.choosePort(list, 0xD000), 1u);  // the first equal entry
  EXPECT_EQ(channel.choosePort(list, 0xE000), 0u);
  EXPECT_EQ(channel.choosePort(list, 0xB000), 0u);  // no match: entry 0

  // Short data reads as a number padded with zeros; the name is compared ignoring case.
  fake.ports[0] = {text("Driver", "kestrdrv"), PortValue{"ioaddress", {0x00, 0xB0}}};
  EXPECT_EQ(channel.choosePort(list, 0xB000), 0u);
  fake.ports[0] = {text("Driver", "kestrdrv"), PortValue{"IOADDRESS", {0x00, 0xC0, 0x01}}};
  fake.ports[2] = {text("Driver", "kestrdrv"), PortValue{"IOAddress", {0x00, 0xC0}}};
  EXPECT_EQ(channel.choosePort(list, 0xC000), 2u);

  // A key that has gone ends the search: entry 0.
  fake.ports.erase(1);
  EXPECT_EQ(channel.choosePort(list, 0xC000), 0u);
}

TEST(MiniportEeprom, RequestBytesAndTheRecordOnSuccess) {
  FakeSystem fake;
  fake.kestrelPorts({0xD000, 0xD400});
  fake.answer = [](const std::string&, scsi::MiniportRequest& r) {
    r.completionStatus = 1;
    for (int i = 0; i < 64; ++i) r.data[i] = static_cast<uint8_t>(r.parameter1 + i);
    return true;
  };
  scsi::MiniportChannel channel(fake);

  HostAdapterInfo a = adapterAt(0xD001, 0, 2);
  ASSERT_TRUE(channel.readEepromBlock(a));
  ASSERT_EQ(fake.sent.size(), 1u);
  const Sent& s = fake.sent[0];
  EXPECT_EQ(s.device, "\\\\.\\Scsi0:");
  EXPECT_EQ(s.inSize, 128u);
  EXPECT_EQ(s.outSize, 128u);
  std::vector<uint8_t> expected = {
      0x1C, 0, 0, 0, 'V', 'L', 'M', 0, 0, 0, 0, 0, 5, 0, 0, 0,
      0x20, 0x6D, 0x6C, 0x76, 0, 0, 0, 0, 100, 0, 0, 0, 9, 0, 0, 0,
      0, 0, 0, 0, 0xFF, 0xFF, 0x48, 4, 0, 0, 0, 0, 0, 0, 0, 0,
      0, 0, 0, 0, 3, 0, 0x51, 0x80, 0, 0, 0, 0, 64, 0, 0, 0};
  expected.resize(128);
  // The parameter address (as wide as the process's addresses) is the sender's own
  // buffer at offset 56.
  uintptr_t address = 0;
  std::memcpy(&address, s.bytes.data() + 40, sizeof address);
  std::memcpy(expected.data() + 40, s.bytes.data() + 40, sizeof address);
  EXPECT_EQ(s.bytes, expected);
  EXPECT_NE(address, 0u);
  EXPECT_EQ(a.eepromImageSize, 512u);
  EXPECT_EQ(a.eepromImage[0], 0);
  EXPECT_EQ(a.eepromImage[63], 63);
  EXPECT_EQ(a.eepromImage[64], 0);  // channel B's block untouched

  // Channel B on the second port: offset 64, its block 64 bytes further.
  HostAdapterInfo b = adapterAt(0xD401, 1, 2);
  ASSERT_TRUE(channel.readEepromBlock(b));
  EXPECT_EQ(fake.sent.back().device, "\\\\.\\Scsi1:");
  EXPECT_EQ(scsi::le32(fake.sent.back().bytes.data() + 56), 64u);
  EXPECT_EQ(b.eepromImage[0], 0);
  EXPECT_EQ(b.eepromImage[64], 64);
  EXPECT_EQ(b.eepromImage[127], 127);
  EXPECT_EQ(fake.openCount, 0);  // every device closed
  EXPECT_EQ(fake.messages, 0);
}

TEST(MiniportEeprom, FailuresLeaveTheRecordAlone) {
  FakeSystem fake;
  scsi::MiniportChannel channel(fake);
  HostAdapterInfo a = adapterAt(0xD001, 0, 2);
  std::memset(a.eepromImage, 0xAA, sizeof a.eepromImage);
  const HostAdapterInfo before = a;

  // No port of the driver: nothing opened, no message.
  fake.ports[0] = {text("Driver", "kslegacy")};
  EXPECT_FALSE(channel.readEepromBlock(a));
  EXPECT_TRUE(fake.opened.empty());
  EXPECT_EQ(fake.messages, 0);

  // The port's device cannot be opened: the message, once.
  fake.kestrelPorts({0xD000});
  fake.unopenable = {"\\\\.\\Scsi0:"};
  EXPECT_FALSE(channel.readEepromBlock(a));
  EXPECT_EQ(fake.messages, 1);
  EXPECT_TRUE(fake.sent.empty());

  // A completion status other than 1.
  fake.unopenable.clear();
  fake.answer = [](const std::string&, scsi::MiniportRequest& r) {
    r.completionStatus = 4;
    std::memset(r.data, 0x55, sizeof r.data);
    return true;
  };
  EXPECT_FALSE(channel.readEepromBlock(a));
  EXPECT_EQ(std::memcmp(&a, &before, sizeof a), 0);
  EXPECT_EQ(fake.openCount, 0);
}

// The first port's call fails; the others answer.
bool failOnScsi0(const std::string& device, scsi::MiniportRequest& r) {
  if (device == "\\\\.\\Scsi0:") return false;
  r.completionStatus = 1;
  std::memset(r.data, 0x11, sizeof r.data);
  return true;
}

TEST(MiniportEeprom, NeighbourPortRetryForTwoChannelCards) {
  FakeSystem fake;
  fake.kestrelPorts({0xD000, 0xD400, 0xD800});
  fake.answer = failOnScsi0;
  scsi::MiniportChannel channel(fake);

  // Channel A: the entry after the chosen one, with the same request.
  HostAdapterInfo a = adapterAt(0xD001, 0, 2);
  ASSERT_TRUE(channel.readEepromBlock(a));
  ASSERT_EQ(fake.sent.size(), 2u);
  EXPECT_EQ(fake.sent[1].device, "\\\\.\\Scsi1:");
  EXPECT_EQ(std::memcmp(fake.sent[0].bytes.data(), fake.sent[1].bytes.data(), 128), 0);
  EXPECT_EQ(a.eepromImage[0], 0x11);
  EXPECT_EQ(a.eepromImageSize, 512u);

  // Channel B: the entry before it.
  fake.sent.clear();
  fake.answer = [](const std::string& device, scsi::MiniportRequest& r) {
    if (device == "\\\\.\\Scsi2:") return false;
    r.completionStatus = 1;
    return true;
  };
  HostAdapterInfo b = adapterAt(0xD801, 1, 2);
  ASSERT_TRUE(channel.readEepromBlock(b));
  ASSERT_EQ(fake.sent.size(), 2u);
  EXPECT_EQ(fake.sent[1].device, "\\\\.\\Scsi1:");

  // The retry fails too.
  fake.sent.clear();
  fake.answer = [](const std::string&, scsi::MiniportRequest&) { return false; };
  HostAdapterInfo c = adapterAt(0xD401, 1, 2);
  EXPECT_FALSE(channel.readEepromBlock(c));
  EXPECT_EQ(fake.sent.size(), 2u);
  EXPECT_EQ(c.eepromImageSize, 0u);

  // The neighbour cannot be opened: the message, failure.
  fake.sent.clear();
  fake.unopenable = {"\\\\.\\Scsi0:"};
  EXPECT_FALSE(channel.readEepromBlock(c));
  EXPECT_EQ(fake.messages, 1);
  EXPECT_EQ(fake.sent.size(), 1u);
  EXPECT_EQ(fake.openCount, 0);
}

TEST(MiniportEeprom, NoRetryWithoutANeighbourOrASecondChannel) {
  FakeSystem fake;
  fake.kestrelPorts({0xD000, 0xD400});
  fake.answer = [](const std::string&, scsi::MiniportRequest&) { return false; };
  scsi::MiniportChannel channel(fake);

  struct Case {
    uint32_t bar0;
    uint8_t function;
    uint32_t channels;
  } cases[] = {
      {0xD401, 0, 2},  // channel A on the last entry
      {0xD001, 1, 2},  // channel B on the first entry
      {0xD001, 0, 1},  // single channel
      {0xD001, 0, 0},  // no model identified
      {0xD001, 0, 4},
  };
  for (const Case& c : cases) {
    fake.sent.clear();
    HostAdapterInfo a = adapterAt(c.bar0, c.function, c.channels);
    EXPECT_FALSE(channel.readEepromBlock(a)) << c.bar0 << " " << int(c.function);
    EXPECT_EQ(fake.sent.size(), 1u) << c.bar0 << " " << int(c.function) << " " << c.channels;
  }
  EXPECT_EQ(fake.messages, 0);
}

// A target answering the three rate operations from a table.
struct RateTarget {
  bool callFails[3] = {};
  uint8_t status[3] = {1, 1, 1};
  uint32_t value[3] = {};  // 0x0181, 0x0182, 0x0180
};

void answerRates(FakeSystem& fake, const RateTarget& t) {
  fake.answer = [t](const std::string&, scsi::MiniportRequest& r) {
    const int i = r.operation == 0x0181 ? 0 : r.operation == 0x0182 ? 1 : 2;
    if (t.callFails[i]) return false;
    r.completionStatus = t.status[i];
    r.parameter1 = t.value[i];
    return true;
  };
}

TEST(MiniportRate, RequestsInOrder) {
  FakeSystem fake;
  fake.kestrelPorts({0xD000});
  answerRates(fake, RateTarget{{}, {1, 1, 1}, {1600, 1, 0x3F}});
  scsi::MiniportChannel channel(fake);
  uint32_t rate = 0;
  ASSERT_TRUE(channel.queryTransferRate(adapterAt(0xD001, 0, 2), 5, rate));
  EXPECT_EQ(rate, 3200u);
  ASSERT_EQ(fake.sent.size(), 3u);
  EXPECT_EQ(fake.opened.size(), 1u);  // one device for the three requests
  const uint16_t operations[] = {0x0181, 0x0182, 0x0180};
  const uint32_t values[] = {0, 0, 0xFF};
  for (int i = 0; i < 3; ++i) {
    const Sent& s = fake.sent[static_cast<size_t>(i)];
    EXPECT_EQ(s.inSize, 60u);
    EXPECT_EQ(s.outSize, 60u);
    std::vector<uint8_t> expected = {
        0x1C, 0, 0, 0, 'V', 'L', 'M', 0, 0, 0, 0, 0, 5, 0, 0, 0,
        0x20, 0x6D, 0x6C, 0x76, 0, 0, 0, 0, 32, 0, 0, 0, 9, 0, 0, 0,
        0, 0, 0, 0, 5, 0, 4, 4, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
    scsi::putLe16(expected.data() + 54, operations[i]);
    scsi::putLe32(expected.data() + 56, values[i]);
    std::memcpy(expected.data() + 40, s.bytes.data() + 40, sizeof(uintptr_t));
    EXPECT_EQ(s.bytes, expected) << i;
  }
  EXPECT_EQ(fake.openCount, 0);
}

TEST(MiniportRate, RefinementsAndFailures) {
  struct Case {
    const char* what;
    RateTarget target;
    bool ok;
    uint32_t rate;  // 7: the caller's value kept
    size_t requests;
  } cases[] = {
      {"plain", {{}, {1, 1, 1}, {800, 0, 0x20}}, true, 800, 3},
      {"asynchronous", {{}, {1, 1, 1}, {50, 1, 0}}, true, 1, 3},
      {"doubling refused", {{}, {1, 4, 1}, {800, 1, 0x20}}, true, 800, 3},
      {"doubling call fails", {{false, true, false}, {1, 1, 1}, {800, 1, 0x20}}, true, 800, 3},
      {"offset call fails", {{false, false, true}, {1, 1, 1}, {800, 0, 0}}, true, 800, 3},
      {"offset status bad", {{}, {1, 1, 2}, {800, 0, 0}}, true, 800, 3},
      {"rate call fails", {{true, false, false}, {1, 1, 1}, {1600, 1, 0}}, false, 7, 1},
      // An absent target: nothing to double or to mark asynchronous.
      {"rate status bad", {{}, {4, 4, 4}, {0, 1, 0}}, false, 7, 1},
  };
  for (const Case& c : cases) {
    FakeSystem fake;
    fake.kestrelPorts({0xD000});
    answerRates(fake, c.target);
    uint32_t rate = 7;
    EXPECT_EQ(scsi::MiniportChannel(fake).queryTransferRate(adapterAt(0xD001, 0, 2), 0, rate), c.ok)
        << c.what;
    EXPECT_EQ(rate, c.rate) << c.what;
    EXPECT_EQ(fake.sent.size(), c.requests) << c.what;
  }
}

TEST(MiniportRate, NoPortOrNoDevice) {
  FakeSystem fake;
  uint32_t rate = 7;
  EXPECT_FALSE(scsi::MiniportChannel(fake).queryTransferRate(adapterAt(0xD001, 0, 2), 3, rate));
  fake.kestrelPorts({0xD000});
  fake.unopenable = {"\\\\.\\Scsi0:"};
  EXPECT_FALSE(scsi::MiniportChannel(fake).queryTransferRate(adapterAt(0xD001, 0, 2), 3, rate));
  EXPECT_EQ(fake.messages, 1);
  EXPECT_EQ(rate, 7u);
}

}  // namespace
