// The pass-through library's test build (bin/passthrough-fake/wnvrax32.dll, serving the
// scripted machine) called as the suite calls a SCSI manager: entry points resolved by
// name, request blocks, completion events.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "scsi/bytes.h"
#include "scsi/commands.h"
#include "scsi/records.h"

namespace {

using SupportFn = uint32_t(__cdecl*)();
using SendFn = uint32_t(__cdecl*)(void*);
using PciFn = uint32_t(__cdecl*)(uint32_t, uint8_t*, uint32_t);

template <typename Fn>
Fn entry(HMODULE library, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

std::string beside(const char* name) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  return folder.substr(0, folder.find_last_of("\\/") + 1) + name;
}

class PassthroughDll : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Read at the library's first use.
    log_ = beside("passthrough_dll_test.log");
    DeleteFileA(log_.c_str());
    SetEnvironmentVariableA("VRAX_PT_FAKE_LOG", log_.c_str());
    library_ = LoadLibraryA(beside("passthrough-fake\\wnvrax32.dll").c_str());
  }
  static void TearDownTestSuite() {
    if (library_) FreeLibrary(library_);
    DeleteFileA(log_.c_str());
  }
  void SetUp() override {
    ASSERT_NE(library_, nullptr);
    support_ = entry<SupportFn>(library_, "GetVRAX32SupportInfo");
    send_ = entry<SendFn>(library_, "SendVRAX32Command");
    pci_ = entry<PciFn>(library_, "GetHAPCIConfigInfo");
    ASSERT_TRUE(support_ && send_ && pci_);
  }

  // Sends a filled block with a fresh event and waits for it; the send's result.
  uint32_t sendAndWait(scsi::ExecCommandBlock& block) {
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    block.completionEvent = static_cast<decltype(block.completionEvent)>(reinterpret_cast<uintptr_t>(event));
    const uint32_t result = send_(&block);
    if (result == 0) {
      EXPECT_EQ(WaitForSingleObject(event, 5000), WAIT_OBJECT_0);
    }
    CloseHandle(event);
    return result;
  }

  static HMODULE library_;
  static std::string log_;
  SupportFn support_ = nullptr;
  SendFn send_ = nullptr;
  PciFn pci_ = nullptr;
};

HMODULE PassthroughDll::library_ = nullptr;
std::string PassthroughDll::log_;

TEST_F(PassthroughDll, AdaptersOfTheScriptedMachine) {
  EXPECT_EQ(support_(), 0x0105u);
  scsi::AdapterInquiryBlock inquiry{};
  inquiry.header.adapterNumber = 2;
  EXPECT_EQ(send_(&inquiry), scsi::kStatusDone);
  EXPECT_EQ(inquiry.header.status, scsi::kStatusDone);
  EXPECT_EQ(std::string(inquiry.adapterIdentifier, strnlen(inquiry.adapterIdentifier, 16)), "sashba");
  EXPECT_EQ(inquiry.adapterUnique[15], 0x81);
  uint8_t config[256] = {};
  EXPECT_EQ(pci_(3, config, sizeof config), 1u);
  EXPECT_EQ(scsi::le16(config + 2), 0x5C40);
  EXPECT_EQ(scsi::le16(config + 0x2E), 0x4C20);
}

TEST_F(PassthroughDll, RequestsCompleteLaterStatusLastThenTheEvent) {
  uint8_t data[36] = {};
  scsi::ExecCommandBlock block;
  scsi::fillExecBlock(block, 2, 0, scsi::inquiry(), data);
  EXPECT_EQ(sendAndWait(block), 0u);
  EXPECT_EQ(block.header.status, scsi::kStatusDone);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data + 16), 16), "HX18T4KN-SAS    ");

  // The 18 TB disk through READ CAPACITY(16).
  uint8_t capacity[32] = {};
  scsi::fillExecBlock(block, 2, 0, scsi::readCapacity16(), capacity);
  EXPECT_EQ(sendAndWait(block), 0u);
  EXPECT_EQ(block.header.status, scsi::kStatusDone);
  EXPECT_EQ(scsi::be32(capacity), 1u);
  EXPECT_EQ(scsi::be32(capacity + 4), 0x05EFFFFFu);

  // Nobody at target 5: a selection time-out.
  scsi::fillExecBlock(block, 2, 5, scsi::inquiry(), data);
  EXPECT_EQ(sendAndWait(block), 0u);
  EXPECT_EQ(block.header.status, scsi::kStatusError);
  EXPECT_EQ(block.adapterStatus, scsi::kHaSelectionTimeout);
}

TEST_F(PassthroughDll, RequestsItCannotTakeAreAnsweredAtOnce) {
  uint8_t data[36] = {};
  scsi::ExecCommandBlock block;
  scsi::fillExecBlock(block, 9, 0, scsi::inquiry(), data);
  EXPECT_EQ(send_(&block), 0x81u);
  EXPECT_EQ(block.header.status, 0x81);
  scsi::fillExecBlock(block, 2, 0, scsi::inquiry(), data);
  block.cdbLength = 0;
  EXPECT_EQ(send_(&block), 0x80u);
  scsi::RequestBlock other{};
  other.command = 1;
  EXPECT_EQ(send_(&other), 0x80u);
  EXPECT_EQ(send_(nullptr), 0x80u);
}

TEST_F(PassthroughDll, AnEventClosedEarlyDoesNotStopTheAnswer) {
  // Requests complete in order: the second one's event says the first is done.
  uint8_t first[36] = {}, second[36] = {};
  scsi::ExecCommandBlock a, b;
  scsi::fillExecBlock(a, 2, 3, scsi::inquiry(), first);
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  a.completionEvent = static_cast<decltype(a.completionEvent)>(reinterpret_cast<uintptr_t>(event));
  ASSERT_EQ(send_(&a), 0u);
  CloseHandle(event);
  scsi::fillExecBlock(b, 4, 0, scsi::inquiry(), second);
  EXPECT_EQ(sendAndWait(b), 0u);
  EXPECT_EQ(a.header.status, scsi::kStatusDone);
  EXPECT_EQ(first[0], 0x03);  // the enclosure processor
  EXPECT_EQ(b.header.status, scsi::kStatusDone);
}

TEST_F(PassthroughDll, TheLogShowsWhatReachedTheDrivers) {
  uint8_t data[36] = {};
  scsi::ExecCommandBlock block;
  scsi::fillExecBlock(block, 1, 0, scsi::inquiry(), data);  // the optical drive
  ASSERT_EQ(sendAndWait(block), 0u);
  std::ifstream in(log_);
  std::string line, last;
  bool portOpened = false;
  while (std::getline(in, line)) {
    if (line == "open \\\\.\\Scsi1: rw ok") portOpened = true;
    if (line.rfind("control \\\\.\\CdRom0 ", 0) == 0) last = line;
  }
  EXPECT_TRUE(portOpened);
  EXPECT_NE(last.find(" cdb 12 00 00 00 24 00 ok"), std::string::npos) << last;
}

}  // namespace
