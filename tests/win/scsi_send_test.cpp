// SendAndWait against the simulated manager: immediate and pending answers, a request
// that never completes, a late completion after the waiter gave up, and the failure
// messages of real answers.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "framework/waitcursor.h"
#include "scsi/bytes.h"
#include "scsi/commands.h"
#include "scsi/manager.h"
#include "scsi/report.h"
#include "simulator/controls.h"
#include "tests/support/modal_driver.h"
#include "tests/support/simulator_control.h"

namespace {

const char kBus[] = R"(devicemap off
completion immediate

adapter 0
  identifier "TEST-HBA"
  scsi-id    7

  device 0
    inquiry  00 00 03 02 1F 00 00 32 "HALDEN  " "AT-ONCE         " "0001"
    capacity 1000 512
    page 08 current 08 12 04 00 FF FF 00 00 02 00 FF FF 80 10 00 00 00 00 00 00

  device 1
    inquiry    00 00 03 02 1F 00 00 32 "HALDEN  " "LATER           " "0001"
    capacity   2000 4096
    completion pending

  device 2
    inquiry  00 00 03 02 1F 00 00 32 "HALDEN  " "FAULTY          " "0001"
    capacity 3000 512
    page 08 current 08 12 04 00 FF FF 00 00 02 00 FF FF 80 10 00 00 00 00 00 00
    fault 25 never
    fault 1A late
    fault 12 busy
    fault 37 aborted
    fault 15 check 05 26 00
)";

constexpr uint32_t kShortWaitMs = 150;

using orvtest::simulatorControl;
using orvtest::tempPath;

class ScsiSend : public testing::Test {
 protected:
  void SetUp() override {
    busPath_ = tempPath("scsi_send_test.bus");
    logPath_ = tempPath("scsi_send_test.log");
    std::ofstream(busPath_, std::ios::binary) << kBus;
    DeleteFileA(logPath_.c_str());
    ASSERT_TRUE(scsi::scsiManager().load());
    auto loadBus = simulatorControl<simctl::LoadBusFn>(simctl::kLoadBus);
    ASSERT_NE(loadBus, nullptr) << "the simulator is not beside the test program";
    ASSERT_EQ(loadBus(busPath_.c_str()), 1) << lastError();
    ASSERT_EQ(simulatorControl<simctl::SetLogFn>(simctl::kSetLog)(logPath_.c_str()), 1);
  }

  void TearDown() override {
    scsi::stopManager();
    EXPECT_EQ(scsi::scsiManager().abandonedCount(), 0u);
    DeleteFileA(busPath_.c_str());
  }

  static std::string lastError() {
    char text[512] = {};
    simulatorControl<simctl::LastErrorFn>(simctl::kLastError)(text, sizeof text);
    return text;
  }

  std::vector<std::string> logLines() {
    simulatorControl<simctl::SetLogFn>(simctl::kSetLog)("");  // closes the file
    std::ifstream in(logPath_);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    simulatorControl<simctl::SetLogFn>(simctl::kSetLog)(logPath_.c_str());
    return lines;
  }

  std::string busPath_, logPath_;
};

scsi::SendResult send(scsi::ExecCommandBlock& block, uint8_t target, const scsi::Command& command,
                      void* buffer, uint32_t waitMs = scsi::kWaitMs) {
  return scsi::sendCommand(block, 0, target, command, buffer, scsi::Feedback::WaitCursor, waitMs);
}

TEST_F(ScsiSend, ImmediateAnswerNeedsNoWait) {
  uint8_t capacity[8] = {};
  scsi::ExecCommandBlock block;
  scsi::SendResult r = send(block, 0, scsi::readCapacity(), capacity);
  EXPECT_EQ(r.end, scsi::WaitEnd::Answered);
  EXPECT_EQ(r.sendResult, 1u);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(block.header.status, 1);
  EXPECT_EQ(scsi::be32(capacity), 999u);  // last logical block
  EXPECT_EQ(scsi::be32(capacity + 4), 512u);
  // The caller's block still names the caller's buffer.
  EXPECT_EQ(block.dataBuffer, reinterpret_cast<uintptr_t>(capacity));
  EXPECT_EQ(fw::waitCursorDepth(), 0);
}

TEST_F(ScsiSend, PendingAnswerIsWaitedForAndCopiedBack) {
  uint8_t capacity[8];
  std::memset(capacity, 0xEE, sizeof capacity);
  scsi::ExecCommandBlock block;
  scsi::SendResult r = send(block, 1, scsi::readCapacity(), capacity);
  EXPECT_EQ(r.end, scsi::WaitEnd::Signalled);
  EXPECT_EQ(r.sendResult, 0u);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(scsi::be32(capacity), 1999u);
  EXPECT_EQ(scsi::be32(capacity + 4), 4096u);

  // What the manager received: the caller's request, with a buffer and an event of
  // SendAndWait's own.
  std::vector<std::string> log = logLines();
  ASSERT_GE(log.size(), 3u);
  std::string recv = log[log.size() - 3];
  EXPECT_EQ(recv.substr(recv.find("recv ") + 5, 3 * 12 - 1), "02 00 00 48 00 00 00 00 01 00 00 00");
  // The sense and CDB lengths, and the event, sit where the block of this width has them.
  const size_t senseLength = offsetof(scsi::ExecCommandBlock, senseLength);
  const size_t event = offsetof(scsi::ExecCommandBlock, completionEvent);
  EXPECT_EQ(recv.substr(recv.find("recv ") + 5 + 3 * senseLength, 3 * 2 - 1), "0E 0A");
  EXPECT_EQ(recv.substr(recv.find("recv ") + 5 + 3 * 48, 3 * 10 - 1),
            "25 00 00 00 00 00 00 00 00 00");
  EXPECT_NE(recv.substr(recv.find("recv ") + 5 + 3 * event, 3 * 4 - 1), "00 00 00 00");
  EXPECT_NE(log[log.size() - 2].find("pending"), std::string::npos);
  EXPECT_NE(log.back().find("done status=01"), std::string::npos);
}

TEST_F(ScsiSend, ARequestThatNeverCompletesShowsStatusZeroInTheFailureDialog) {
  uint8_t capacity[8];
  std::memset(capacity, 0xEE, sizeof capacity);
  scsi::ExecCommandBlock block;
  scsi::SendResult r = send(block, 2, scsi::readCapacity(), capacity, kShortWaitMs);
  EXPECT_EQ(r.end, scsi::WaitEnd::Expired);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(block.header.status, 0);
  EXPECT_EQ(capacity[0], 0xEE);
  EXPECT_EQ(fw::waitCursorDepth(), 0);
  EXPECT_EQ(scsi::scsiManager().abandonedCount(), 1u);

  orvtest::ModalDriver driver;
  std::string cdb, adapter, target;
  driver.expect("SCSI Command Failure", [&](HWND dlg) {
    cdb = orvtest::itemText(dlg, 1610);
    adapter = orvtest::itemText(dlg, 1611);
    target = orvtest::itemText(dlg, 1612);
    orvtest::pressButton(dlg, IDOK);
  });
  scsi::reportCommandFailure(nullptr, block);
  EXPECT_TRUE(driver.allDone());
  EXPECT_EQ(cdb, "25 00 00 00 00 00 00 00 00 00 ");
  EXPECT_EQ(adapter, "00 - No host adapter error");
  EXPECT_EQ(target, "00 - Good status");
  // Kept until the manager is gone (TearDown checks it is freed then).
}

TEST_F(ScsiSend, ALateCompletionAfterTheWaitReachesOnlyTheKeptCopies) {
  uint8_t mode[84];
  std::memset(mode, 0xCC, sizeof mode);
  scsi::ExecCommandBlock block;
  scsi::SendResult r = send(block, 2, scsi::modeSense(0x08, scsi::kPageCurrent), mode,
                            kShortWaitMs);
  EXPECT_EQ(r.end, scsi::WaitEnd::Expired);
  scsi::ExecCommandBlock before = block;
  ASSERT_EQ(scsi::scsiManager().abandonedCount(), 1u);

  // The manager now finishes it: writes the block and 84 bytes, signals the event.
  EXPECT_EQ(simulatorControl<simctl::ReleaseLateFn>(simctl::kReleaseLate)(), 1);
  EXPECT_EQ(std::memcmp(&block, &before, sizeof block), 0);
  for (uint8_t b : mode) ASSERT_EQ(b, 0xCC);
  std::vector<std::string> log = logLines();
  ASSERT_FALSE(log.empty());
  EXPECT_NE(log.back().find("done status=01"), std::string::npos) << log.back();

  // The next request frees the finished copies and runs normally.
  uint8_t capacity[8] = {};
  EXPECT_TRUE(send(block, 0, scsi::readCapacity(), capacity).ok);
  EXPECT_EQ(scsi::scsiManager().abandonedCount(), 0u);
}

TEST_F(ScsiSend, UnfinishedRequestsAreFreedOnceTheManagerIsReleased) {
  uint8_t mode[84];
  scsi::ExecCommandBlock block;
  EXPECT_EQ(send(block, 2, scsi::modeSense(0x08, 0), mode, kShortWaitMs).end,
            scsi::WaitEnd::Expired);
  EXPECT_EQ(send(block, 2, scsi::readCapacity(), mode, kShortWaitMs).end,
            scsi::WaitEnd::Expired);
  EXPECT_EQ(scsi::scsiManager().abandonedCount(), 2u);
  scsi::stopManager();  // the library leaves the process: nothing can touch them now
  EXPECT_EQ(GetModuleHandleA(scsi::kManagerFileName), nullptr);
  EXPECT_EQ(scsi::scsiManager().abandonedCount(), 0u);
}

TEST_F(ScsiSend, WhileAnotherReferenceKeepsTheManagerUnfinishedRequestsStayKept) {
  scsi::ScsiManager other;
  ASSERT_TRUE(other.load());
  uint8_t mode[84];
  scsi::ExecCommandBlock block;
  EXPECT_EQ(send(block, 2, scsi::modeSense(0x08, 0), mode, kShortWaitMs).end,
            scsi::WaitEnd::Expired);
  scsi::stopManager();  // the library stays: `other` holds it, its requests may finish
  EXPECT_EQ(scsi::scsiManager().abandonedCount(), 1u);
  auto releaseLate = reinterpret_cast<simctl::ReleaseLateFn>(
      reinterpret_cast<void*>(GetProcAddress(other.handle(), simctl::kReleaseLate)));
  EXPECT_EQ(releaseLate(), 1);
  scsi::scsiManager().reclaimAbandoned();
  EXPECT_EQ(scsi::scsiManager().abandonedCount(), 0u);
}

TEST_F(ScsiSend, BusyAbortedAndUnsupportedAnswersGiveTheirMessages) {
  uint8_t data[84] = {};
  scsi::ExecCommandBlock block;
  orvtest::ModalDriver driver;
  std::vector<std::string> texts;
  auto read = [&](HWND box) {
    texts.push_back(orvtest::windowTitle(box) + ": " + orvtest::messageBoxText(box));
    orvtest::pressButton(box, IDOK);
  };

  EXPECT_FALSE(send(block, 2, scsi::inquiry(), data).ok);
  EXPECT_EQ(block.header.status, 4);
  EXPECT_EQ(block.targetStatus, 0x08);
  driver.expect("SCSI Error", read);
  scsi::reportCommandFailure(nullptr, block);

  EXPECT_FALSE(send(block, 2, scsi::readDefectData(scsi::DefectList::Primary), data).ok);
  EXPECT_EQ(block.header.status, 2);
  driver.expect("SCSI Error", read);
  scsi::reportCommandFailure(nullptr, block);

  // MODE SELECT refused with ILLEGAL REQUEST: the pages' "not supported" message.
  EXPECT_FALSE(send(block, 2, scsi::modeSelect(24), data).ok);
  driver.expect("Corvath", read);
  EXPECT_FALSE(scsi::reportPageOutcome(nullptr, block));

  EXPECT_TRUE(driver.allDone());
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], "SCSI Error: The device is busy at this time.");
  EXPECT_EQ(texts[1],
            "SCSI Error: The VRAX request sent was aborted due to unexpected timeout failure.  "
            "The selected SCSI device may be busy.");
  EXPECT_EQ(texts[2], "Corvath: The command is not supported by the device.");
}

TEST_F(ScsiSend, AnAbsentTargetIsASelectionTimeoutInTheDialog) {
  uint8_t inquiry[36];
  scsi::ExecCommandBlock block;
  EXPECT_FALSE(send(block, 5, scsi::inquiry(), inquiry).ok);
  orvtest::ModalDriver driver;
  std::string cdb, adapter, target, key;
  driver.expect("SCSI Command Failure", [&](HWND dlg) {
    cdb = orvtest::itemText(dlg, 1610);
    adapter = orvtest::itemText(dlg, 1611);
    target = orvtest::itemText(dlg, 1612);
    key = orvtest::itemText(dlg, 1613);
    orvtest::pressButton(dlg, IDOK);
  });
  EXPECT_FALSE(scsi::reportPageOutcome(nullptr, block));
  EXPECT_TRUE(driver.allDone());
  EXPECT_EQ(cdb, "12 00 00 00 24 00 ");
  EXPECT_EQ(adapter, "11 - Selection timeout");
  EXPECT_EQ(target, "00 - Good status");
  EXPECT_EQ(key, "00 - No sense");
}

}  // namespace
