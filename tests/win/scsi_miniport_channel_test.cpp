// The miniport channel against the simulated driver: the ports the simulator publishes
// in the registry, the EEPROM blocks of both channels of a two-channel card, the rates
// of its targets, and the "invalid file handle" message, with the request bytes as the
// simulator's log saw them.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "scsi/bytes.h"
#include "scsi/manager.h"
#include "scsi/miniport_channel.h"
#include "simulator/bus_parser.h"
#include "simulator/controls.h"
#include "tests/support/modal_driver.h"
#include "tests/support/simulator_control.h"

namespace {

using orvtest::simulatorControl;
using orvtest::tempPath;

// The record the inventory makes of a simulated adapter, as far as the channel reads it.
inv::HostAdapterInfo recordOf(const sim::Adapter& a, uint32_t channels) {
  inv::HostAdapterInfo r;
  std::memset(&r, 0, sizeof r);
  std::memcpy(r.pciConfig, a.pci.data(), sizeof r.pciConfig);
  r.pciFunction = a.unique[14];
  r.model.channelCount = channels;
  return r;
}

std::vector<uint8_t> hexBytes(const std::string& text) {
  std::vector<uint8_t> bytes;
  std::istringstream in(text);
  for (std::string h; in >> h;) bytes.push_back(static_cast<uint8_t>(std::stoul(h, nullptr, 16)));
  return bytes;
}

class MiniportChannelTest : public testing::Test {
 protected:
  void SetUp() override {
    logPath_ = tempPath("scsi_miniport_channel_test.log");
    DeleteFileA(logPath_.c_str());
    ASSERT_TRUE(scsi::scsiManager().load());
    ASSERT_TRUE(simulatorControl<simctl::LoadBusFn>(simctl::kLoadBus)) << "no simulator";
    loadText(std::string(sim::defaultBusText()), "default.bus");
    sim::ParseResult parsed = sim::parseBus(sim::defaultBusText(), "default.bus");
    ASSERT_TRUE(parsed.ok) << parsed.error;
    bus_ = parsed.bus;
  }

  void TearDown() override {
    simulatorControl<simctl::SetLogFn>(simctl::kSetLog)("");
    simulatorControl<simctl::LoadBusFn>(simctl::kLoadBus)("");
    simulatorControl<simctl::WriteDeviceMapFn>(simctl::kWriteDeviceMap)();
    scsi::stopManager();
    DeleteFileA(logPath_.c_str());
  }

  // A bus served from text, its ports published, the request log started afresh.
  void loadText(const std::string& text, const char* name) {
    ASSERT_EQ(simulatorControl<simctl::LoadBusTextFn>(simctl::kLoadBusText)(text.c_str(), name), 1);
    ASSERT_EQ(simulatorControl<simctl::WriteDeviceMapFn>(simctl::kWriteDeviceMap)(), 1);
    simulatorControl<simctl::SetLogFn>(simctl::kSetLog)("");
    DeleteFileA(logPath_.c_str());
    ASSERT_EQ(simulatorControl<simctl::SetLogFn>(simctl::kSetLog)(logPath_.c_str()), 1);
  }

  // The log's miniport lines ("mopen ...", "mrecv ...", "mdone ..."), numbers dropped.
  std::vector<std::string> miniportLog() {
    simulatorControl<simctl::SetLogFn>(simctl::kSetLog)("");
    std::ifstream in(logPath_);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
      const size_t at = line.find(" m");
      if (line.rfind("#", 0) == 0 && at != std::string::npos) lines.push_back(line.substr(at + 1));
    }
    simulatorControl<simctl::SetLogFn>(simctl::kSetLog)(logPath_.c_str());
    return lines;
  }

  sim::Bus bus_;
  std::string logPath_;
};

TEST_F(MiniportChannelTest, FindsTheDriversPortsAndChoosesByIoAddress) {
  scsi::WindowsMiniportSystem system;
  scsi::MiniportChannel channel(system);
  const scsi::MiniportPortList list = channel.findPorts();
  ASSERT_EQ(list.count, 2u);  // ports 2 to 4 belong to another driver
  EXPECT_EQ(list.ports[0], 0);
  EXPECT_EQ(list.ports[1], 1);
  EXPECT_EQ(channel.choosePort(list, scsi::miniportIoBase(recordOf(bus_.adapters[0], 2))), 0u);
  EXPECT_EQ(channel.choosePort(list, scsi::miniportIoBase(recordOf(bus_.adapters[1], 2))), 1u);
}

TEST_F(MiniportChannelTest, ReadsTheEepromBlocksOfBothChannels) {
  const sim::Adapter& card = bus_.adapters[0];  // adapter 1 reads the same EEPROM
  inv::HostAdapterInfo a = recordOf(bus_.adapters[0], 2);
  inv::HostAdapterInfo b = recordOf(bus_.adapters[1], 2);
  ASSERT_EQ(b.pciFunction, 1);
  ASSERT_TRUE(scsi::readEepromBlock(a));
  ASSERT_TRUE(scsi::readEepromBlock(b));
  EXPECT_EQ(a.eepromImageSize, 512u);
  EXPECT_EQ(b.eepromImageSize, 512u);
  EXPECT_EQ(std::memcmp(a.eepromImage, card.eeprom.data(), 64), 0);
  EXPECT_EQ(std::memcmp(b.eepromImage + 64, card.eeprom.data() + 64, 64), 0);
  const std::vector<uint8_t> untouched(64, 0);
  EXPECT_EQ(std::memcmp(a.eepromImage + 64, untouched.data(), 64), 0);
  EXPECT_EQ(std::memcmp(b.eepromImage, untouched.data(), 64), 0);

  const std::vector<std::string> log = miniportLog();
  ASSERT_EQ(log.size(), 6u);
  EXPECT_EQ(log[0], "mopen \"\\\\.\\Scsi0:\" port=0 result=1");
  EXPECT_EQ(log[3], "mopen \"\\\\.\\Scsi1:\" port=1 result=1");
  EXPECT_EQ(log[2], "mdone result=1 error=0 status=01 value=00000000");
  EXPECT_EQ(log[5], "mdone result=1 error=0 status=01 value=00000040");
  const std::string head = "mrecv port=1 code=0004D008 in=128 out=128 ";
  ASSERT_EQ(log[4].rfind(head, 0), 0u) << log[4];
  std::vector<uint8_t> sent = hexBytes(log[4].substr(head.size()));
  ASSERT_EQ(sent.size(), 128u);
  scsi::MiniportRequest expected;
  scsi::makeEepromReadRequest(expected, 64);
  std::memcpy(&expected.parameterAddress, sent.data() + 40, 4);  // the sender's buffer
  EXPECT_NE(expected.parameterAddress, 0u);
  EXPECT_EQ(std::memcmp(sent.data(), &expected, 128), 0);
}

TEST_F(MiniportChannelTest, TransferRatesOfTheTargets) {
  for (int n = 0; n < 2; ++n) {
    const inv::HostAdapterInfo record = recordOf(bus_.adapters[static_cast<size_t>(n)], 2);
    for (const sim::Device& d : bus_.adapters[static_cast<size_t>(n)].devices) {
      const uint32_t expected =
          d.rate.offset == 0 ? 1 : d.rate.tenthsMBps * (d.rate.doubled ? 2 : 1);
      uint32_t rate = 0;
      EXPECT_TRUE(scsi::queryTransferRate(record, d.target, rate)) << n << ":" << int(d.target);
      EXPECT_EQ(rate, expected) << n << ":" << int(d.target);
    }
  }
  // Target 0 of the first channel: 160 MB/s, doubled.
  uint32_t rate = 0;
  ASSERT_TRUE(scsi::queryTransferRate(recordOf(bus_.adapters[0], 2), 0, rate));
  EXPECT_EQ(rate, 3200u);

  // No device at the target: the caller's rate stays.
  rate = 77;
  EXPECT_FALSE(scsi::queryTransferRate(recordOf(bus_.adapters[0], 2), 9, rate));
  EXPECT_EQ(rate, 77u);

  // Every query request carries 60 bytes each way; the first is target 0's rate.
  const std::vector<std::string> log = miniportLog();
  std::vector<std::string> sent;
  for (const std::string& line : log) {
    if (line.rfind("mrecv", 0) == 0) sent.push_back(line);
  }
  ASSERT_FALSE(sent.empty());
  for (const std::string& line : sent) EXPECT_NE(line.find(" code=0004D008 in=60 out=60 "), std::string::npos);
  const std::string head = "mrecv port=0 code=0004D008 in=60 out=60 ";
  ASSERT_EQ(sent[0].rfind(head, 0), 0u) << sent[0];
  std::vector<uint8_t> bytes = hexBytes(sent[0].substr(head.size()));
  ASSERT_EQ(bytes.size(), 60u);
  scsi::MiniportRequest expected;
  scsi::makeRateRequest(expected, 0, scsi::kOpRate, 0);
  std::memcpy(&expected.parameterAddress, bytes.data() + 40, 4);
  EXPECT_EQ(std::memcmp(bytes.data(), &expected, 60), 0);
}

const char kFaultyCard[] = R"(adapter 0
  identifier "CARD-A"
  unique     03 00 02 10 00 00 00 01 00 00 00 00 00 0C 00 81
  pci 10     01 D0 00 00
  eeprom 00  11 22 33 44
  eeprom 40  55 66 77 88
  port 0 kestrdrv
  port-fault call times 1

adapter 1
  identifier "CARD-B"
  unique     03 00 02 10 00 00 00 01 00 00 00 00 00 0C 01 81
  pci 10     01 D4 00 00
  eeprom-shared 0
  port 1 kestrdrv
  port-fault open
)";

TEST_F(MiniportChannelTest, RetryOnTheNeighbourAndTheInvalidHandleMessage) {
  loadText(kFaultyCard, "faulty.bus");
  sim::ParseResult parsed = sim::parseBus(kFaultyCard, "faulty.bus");
  ASSERT_TRUE(parsed.ok) << parsed.error;

  // Channel A: its own port's call fails once; the neighbour cannot be opened.
  orvtest::ModalDriver driver;
  std::string text;
  driver.expect("Velmora SCSI Explorer", [&text](HWND box) {
    text = orvtest::messageBoxText(box);
    orvtest::pressButton(box, IDOK);
  });
  inv::HostAdapterInfo a = recordOf(parsed.bus.adapters[0], 2);
  EXPECT_FALSE(scsi::readEepromBlock(a));
  EXPECT_TRUE(driver.allDone());
  EXPECT_EQ(text, "invalid file handle");
  EXPECT_EQ(a.eepromImageSize, 0u);

  // Channel B's own port cannot be opened: the message again, no request sent.
  driver.expect("Velmora SCSI Explorer", [](HWND box) { orvtest::pressButton(box, IDOK); });
  inv::HostAdapterInfo b = recordOf(parsed.bus.adapters[1], 2);
  EXPECT_FALSE(scsi::readEepromBlock(b));
  EXPECT_TRUE(driver.allDone());

  // The fault on port 0 is spent: channel A reads at once.
  ASSERT_TRUE(scsi::readEepromBlock(a));
  EXPECT_EQ(scsi::le32(a.eepromImage), 0x44332211u);
  EXPECT_TRUE(driver.unexpected().empty());
}

TEST_F(MiniportChannelTest, WithoutTheSeamTheDeviceItselfIsOpened) {
  // A library without the seam: CreateFileA of "\\.\Scsi0:", which Wine has no device for.
  scsi::WindowsMiniportSystem system(GetModuleHandleA("kernel32.dll"));
  EXPECT_EQ(system.open("\\\\.\\Scsi0:"), 0u);
}

}  // namespace
