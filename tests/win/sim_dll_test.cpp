// The built wnvrax32.dll as a caller sees it: loaded by name, its three manager entry
// points called directly with request blocks, completion at once or from its thread
// through the block's event, faults, the request log, saved values across loads of the
// library, bad descriptions, and the miniport seam with its device map.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "scsi/bytes.h"
#include "scsi/miniport_request.h"
#include "scsi/records.h"
#include "simulator/controls.h"

namespace {

using GetSupportInfoFn = uint32_t(__cdecl*)();
using SendCommandFn = uint32_t(__cdecl*)(void*);
using GetPciConfigFn = uint32_t(__cdecl*)(uint32_t, uint8_t*, uint32_t);

// The library, bound the way the suite binds it: by file name, entry points by name.
struct Library {
  HMODULE module = nullptr;
  GetSupportInfoFn supportInfo = nullptr;
  SendCommandFn send = nullptr;
  GetPciConfigFn pciConfig = nullptr;
  simctl::LoadBusFn loadBus = nullptr;
  simctl::LoadBusTextFn loadBusText = nullptr;
  simctl::LastErrorFn lastError = nullptr;
  simctl::SetLogFn setLog = nullptr;
  simctl::ReleaseLateFn releaseLate = nullptr;
  simctl::PendingCountFn pendingCount = nullptr;
  simctl::ResetStateFn resetState = nullptr;
  simctl::WriteDeviceMapFn writeDeviceMap = nullptr;
  simctl::MiniportOpenFn miniportOpen = nullptr;
  simctl::MiniportControlFn miniportControl = nullptr;
  simctl::MiniportCloseFn miniportClose = nullptr;

  template <typename F>
  void resolve(F& f, const char* name) {
    f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    EXPECT_NE(f, nullptr) << name;
  }

  void load() {
    module = LoadLibraryA("wnvrax32.dll");
    ASSERT_NE(module, nullptr);
    resolve(supportInfo, "GetVRAX32SupportInfo");
    resolve(send, "SendVRAX32Command");
    resolve(pciConfig, "GetHAPCIConfigInfo");
    resolve(loadBus, simctl::kLoadBus);
    resolve(loadBusText, simctl::kLoadBusText);
    resolve(lastError, simctl::kLastError);
    resolve(setLog, simctl::kSetLog);
    resolve(releaseLate, simctl::kReleaseLate);
    resolve(pendingCount, simctl::kPendingCount);
    resolve(resetState, simctl::kResetState);
    resolve(writeDeviceMap, simctl::kWriteDeviceMap);
    resolve(miniportOpen, simctl::kMiniportOpen);
    resolve(miniportControl, simctl::kMiniportControl);
    resolve(miniportClose, simctl::kMiniportClose);
  }

  // Frees the library and waits (bounded) until it is really gone: its completion
  // thread keeps it loaded until the thread has finished.
  void unload() {
    if (!module) return;
    FreeLibrary(module);
    module = nullptr;
    for (int i = 0; i < 5000 && GetModuleHandleA("wnvrax32.dll"); ++i) Sleep(1);
    ASSERT_EQ(GetModuleHandleA("wnvrax32.dll"), nullptr);
  }

  std::string error() const {
    char text[512];
    lastError(text, sizeof text);
    return text;
  }
};

class SimDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "sim_dll_test_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder_.c_str(), nullptr);
  }
  static void TearDownTestSuite() {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder_ + "\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileA((folder_ + "\\" + found.cFileName).c_str());
      } while (FindNextFileA(h, &found));
      FindClose(h);
    }
    RemoveDirectoryA(folder_.c_str());
  }

  void SetUp() override {
    lib.load();
    ASSERT_EQ(lib.loadBus(nullptr), 1);
  }
  void TearDown() override {
    lib.setLog(nullptr);
    lib.releaseLate();
    lib.unload();
  }

  static std::string path(const std::string& name) { return folder_ + "\\" + name; }
  static void writeFile(const std::string& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
  }
  static std::vector<std::string> readLines(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  scsi::AdapterInquiryBlock inquireAdapter(uint8_t n) {
    scsi::AdapterInquiryBlock b;
    std::memset(&b, 0, sizeof b);
    b.header.command = scsi::kCmdAdapterInquiry;
    b.header.adapterNumber = n;
    lib.send(&b);
    return b;
  }

  // An execute request as the suite fills it, with its own manual-reset event.
  struct Request {
    scsi::ExecCommandBlock block;
    std::vector<uint8_t> data;
    HANDLE event = nullptr;
    Request(uint8_t adapter, uint8_t target, std::vector<uint8_t> cdb, uint32_t length,
            uint8_t flags = scsi::kFlagsRead)
        : data(length, 0xEE) {
      std::memset(&block, 0, sizeof block);
      event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
      block.header.command = scsi::kCmdExecute;
      block.header.adapterNumber = adapter;
      block.header.flags = flags;
      block.target = target;
      block.dataLength = length;
      block.dataBuffer = scsi::blockAddress(data.data());
      block.senseLength = scsi::kSenseLength;
      block.cdbLength = static_cast<uint8_t>(cdb[0] < 0x20 ? 6 : 10);
      block.completionEvent = scsi::blockAddress(event);
      std::memcpy(block.cdb, cdb.data(), cdb.size());
      std::memset(block.senseArea, 0xEE, sizeof block.senseArea);
    }
    ~Request() {
      if (event) CloseHandle(event);
    }
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;
    bool signalled(DWORD ms) const { return WaitForSingleObject(event, ms) == WAIT_OBJECT_0; }
  };

  // Sends and, when pending, waits as the suite does (with a generous bound).
  uint32_t sendAndWait(Request& r) {
    ResetEvent(r.event);
    uint32_t result = lib.send(&r.block);
    if (result == 0) {
      EXPECT_TRUE(r.signalled(5000));
    }
    return result;
  }

  Library lib;
  static std::string folder_;
};

std::string SimDll::folder_;

const char* kFaultBus = R"(
completion pending
adapter 0
  identifier FAULTS
  device 0
    inquiry 00 00 03 02 1F 00 00 32 "VENDOR  " "PRODUCT         " "0001"
    capacity 1000 512
    fault 12 busy times 1
    fault 12 check 3 11 2 times 1
    fault 12 aborted times 1
    fault 12 timeout times 1
    fault 12 adapter 14 times 1
    fault 12 delay 30 times 1
  device 1
    inquiry 00
    fault 12 never
  device 2
    inquiry 00 00 03 02 1F 00 00 32 "LATE    " "DEVICE          " "0001"
    fault 12 late
)";

TEST_F(SimDll, TheDefaultBusAnswersTheManagerEntryPoints) {
  EXPECT_EQ(lib.supportInfo(), 0x0106u);
  const char* identifiers[] = {"KESTREL-U320", "KESTREL-U320", "ESDI-506 BRIDGE",
                               "KESTREL-U160", "KESTREL-UW",   "KESTREL-FAST"};
  for (uint8_t i = 0; i < 6; ++i) {
    scsi::AdapterInquiryBlock b = inquireAdapter(i);
    EXPECT_EQ(b.header.status, scsi::kStatusDone);
    EXPECT_EQ(b.adapterCount, 6);
    EXPECT_EQ(b.adapterScsiId, 7);
    EXPECT_EQ(std::string(b.adapterIdentifier, strnlen(b.adapterIdentifier, 16)), identifiers[i]);
    EXPECT_EQ(b.adapterUnique[15], i == 2 ? 0x00 : 0x81);
  }
  EXPECT_EQ(inquireAdapter(6).header.status, 0x81);

  const uint16_t ids[][2] = {{0x5C40, 0x4C20}, {0x5C40, 0x4C20}, {0, 0},
                             {0x5C31, 0x3110}, {0x5C21, 0x2160}, {0x5C10, 0x0001}};
  for (uint8_t i = 0; i < 6; ++i) {
    uint8_t config[256];
    std::memset(config, 0xEE, sizeof config);
    EXPECT_EQ(lib.pciConfig(i, config, 256), 1u);
    EXPECT_EQ(scsi::le16(config + 2), ids[i][0]) << int(i);
    EXPECT_EQ(scsi::le16(config + 0x2E), ids[i][1]) << int(i);
  }
  EXPECT_EQ(lib.pciConfig(6, nullptr, 256), 0u);
}

TEST_F(SimDll, RequestsCompleteAtOnceOrFromTheSimulatorsThread) {
  // Adapter 0 target 1 answers at once: non-zero result, status in the block.
  Request now(0, 1, {0x12, 0, 0, 0, 36}, 36);
  EXPECT_EQ(lib.send(&now.block), 1u);
  EXPECT_EQ(now.block.header.status, scsi::kStatusDone);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(now.data.data()) + 8, 8), "QUORIX  ");

  // Target 0 is pending: result 0, then the thread writes the block and signals.
  Request later(0, 0, {0x12, 0, 0, 0, 36}, 36);
  EXPECT_EQ(lib.send(&later.block), 0u);
  ASSERT_TRUE(later.signalled(5000));
  EXPECT_EQ(later.block.header.status, scsi::kStatusDone);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(later.data.data()) + 8, 8), "ARVELL  ");

  Request capacity(0, 0, {0x25}, 8);
  sendAndWait(capacity);
  EXPECT_EQ(capacity.block.header.status, scsi::kStatusDone);
  EXPECT_EQ(scsi::be32(capacity.data.data()), 143374743u);
  EXPECT_EQ(scsi::be32(capacity.data.data() + 4), 512u);

  // Absent target: selection time-out.
  Request absent(0, 3, {0x12, 0, 0, 0, 36}, 36);
  sendAndWait(absent);
  EXPECT_EQ(absent.block.header.status, scsi::kStatusError);
  EXPECT_EQ(absent.block.adapterStatus, scsi::kHaSelectionTimeout);
  EXPECT_EQ(absent.data[0], 0xEE) << "nothing written into the buffer";

  // The defect list shorter than the buffer: data with an underrun.
  Request defects(0, 0, {0x37, 0, 0x15, 0, 0, 0, 0, 0x20, 0x00}, 8192);
  sendAndWait(defects);
  EXPECT_EQ(defects.block.header.status, scsi::kStatusError);
  EXPECT_EQ(defects.block.adapterStatus, scsi::kHaDataOverUnderrun);
  EXPECT_EQ(defects.block.targetStatus, scsi::kTargetGood);
  EXPECT_EQ(scsi::be16(defects.data.data() + 2), 14 * 8);
  EXPECT_EQ(defects.data[4 + 14 * 8], 0xEE);

  // Any other opcode: an illegal request, with the sense area filled to its length.
  Request other(0, 1, {0x00}, 0, 0x40);
  EXPECT_NE(lib.send(&other.block), 0u);
  EXPECT_EQ(other.block.header.status, scsi::kStatusError);
  EXPECT_EQ(other.block.targetStatus, scsi::kTargetCheckCondition);
  EXPECT_EQ(other.block.senseArea[2], 0x05);
  EXPECT_EQ(other.block.senseArea[12], 0x20);
  EXPECT_EQ(other.block.senseArea[14], 0xEE) << "no more than the 14 sense bytes asked for";
}

TEST_F(SimDll, FaultsOnDemand) {
  ASSERT_EQ(lib.loadBusText(kFaultBus, "faults.bus"), 1) << lib.error();
  struct Expected {
    uint8_t status, adapterStatus, targetStatus;
  };
  const Expected expected[] = {{4, 0x00, 0x08}, {4, 0x00, 0x02}, {2, 0x00, 0x00},
                               {4, 0x11, 0x00}, {4, 0x14, 0x00}};
  for (const Expected& e : expected) {
    Request r(0, 0, {0x12, 0, 0, 0, 36}, 36);
    sendAndWait(r);
    EXPECT_EQ(r.block.header.status, e.status);
    EXPECT_EQ(r.block.adapterStatus, e.adapterStatus);
    EXPECT_EQ(r.block.targetStatus, e.targetStatus);
    if (e.targetStatus == 2) {
      EXPECT_EQ(r.block.senseArea[2], 3);
      EXPECT_EQ(r.block.senseArea[12], 0x11);
      EXPECT_EQ(r.block.senseArea[13], 2);
    }
  }
  // A delay: pending for at least that long, then carried out.
  Request delayed(0, 0, {0x12, 0, 0, 0, 36}, 36);
  ULONGLONG start = GetTickCount64();
  EXPECT_EQ(lib.send(&delayed.block), 0u);
  ASSERT_TRUE(delayed.signalled(5000));
  EXPECT_GE(GetTickCount64() - start, 20u);
  EXPECT_EQ(delayed.block.header.status, scsi::kStatusDone);
  // The faults are used up.
  Request normal(0, 0, {0x12, 0, 0, 0, 36}, 36);
  sendAndWait(normal);
  EXPECT_EQ(normal.block.header.status, scsi::kStatusDone);

  // Never: the status stays 0 and the event is never signalled.
  Request never(0, 1, {0x12, 0, 0, 0, 36}, 36);
  EXPECT_EQ(lib.send(&never.block), 0u);
  EXPECT_FALSE(never.signalled(30));
  EXPECT_EQ(never.block.header.status, scsi::kStatusPending);
  EXPECT_EQ(lib.pendingCount(), 0);
  EXPECT_EQ(lib.releaseLate(), 0);
  EXPECT_EQ(never.block.header.status, scsi::kStatusPending);
}

TEST_F(SimDll, ALateRequestCompletesAfterItsWaiterGaveUp) {
  ASSERT_EQ(lib.loadBusText(kFaultBus, "faults.bus"), 1) << lib.error();
  auto late = std::make_unique<Request>(0, 2, std::vector<uint8_t>{0x12, 0, 0, 0, 36}, 36);
  EXPECT_EQ(lib.send(&late->block), 0u);
  EXPECT_FALSE(late->signalled(20)) << "the waiter gives up";
  EXPECT_EQ(late->block.header.status, scsi::kStatusPending);
  EXPECT_EQ(lib.pendingCount(), 1);
  // The waiter closes its event, as the suite does after a wait expired; the block and
  // buffer stay valid.
  CloseHandle(late->event);
  late->event = nullptr;
  EXPECT_EQ(lib.releaseLate(), 1);
  EXPECT_EQ(lib.pendingCount(), 0);
  EXPECT_EQ(late->block.header.status, scsi::kStatusDone);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(late->data.data()) + 8, 8), "LATE    ");

  // With its event still open, the release signals it.
  Request second(0, 2, {0x12, 0, 0, 0, 36}, 36);
  EXPECT_EQ(lib.send(&second.block), 0u);
  EXPECT_EQ(lib.releaseLate(), 1);
  EXPECT_TRUE(second.signalled(0));
}

TEST_F(SimDll, TheLogRecordsBlocksDataAndOutcomes) {
  const std::string logFile = path("requests.log");
  DeleteFileA(logFile.c_str());
  ASSERT_EQ(lib.setLog(logFile.c_str()), 1);
  inquireAdapter(1);
  Request inquiry(0, 0, {0x12, 0, 0, 0, 36}, 36);
  sendAndWait(inquiry);
  // A MODE SELECT with a fixed bit changed: refused.
  Request sense(0, 0, {0x1A, 0, 0x08, 0, 84}, 84);
  sendAndWait(sense);
  Request select(0, 0, {0x15, 0x11, 0, 0, 32}, 84, scsi::kFlagsWrite);
  std::memcpy(select.data.data(), sense.data.data(), 84);
  select.data[0] = 0;
  select.data[12] &= 0x7F;
  select.data[12 + 3] ^= 0x10;
  sendAndWait(select);
  EXPECT_EQ(select.block.targetStatus, scsi::kTargetCheckCondition);
  ASSERT_EQ(lib.setLog(nullptr), 1);
  inquireAdapter(2);  // not logged any more

  std::vector<std::string> lines = readLines(logFile);
  ASSERT_EQ(lines.size(), 12u);
  auto hex = [](const void* p, size_t n) {
    std::string s;
    char b[4];
    for (size_t i = 0; i < n; ++i) {
      std::snprintf(b, sizeof b, i ? " %02X" : "%02X", static_cast<const uint8_t*>(p)[i]);
      s += b;
    }
    return s;
  };
  // "#N recv <block>" with the block as sent (status still 0).
  EXPECT_NE(lines[0].find(" recv 00 00 01 00 00 00 00 00"), std::string::npos);
  EXPECT_NE(lines[1].find(" done status=01"), std::string::npos);
  scsi::ExecCommandBlock sent = inquiry.block;
  sent.header.status = 0;
  sent.adapterStatus = sent.targetStatus = 0;
  std::memset(sent.senseArea, 0xEE, sizeof sent.senseArea);
  EXPECT_EQ(lines[2].substr(lines[2].find(' ') + 1), "recv " + hex(&sent, sizeof sent));
  EXPECT_EQ(lines[3].substr(lines[3].find(' ') + 1), "pending");
  EXPECT_EQ(lines[4].substr(lines[4].find(' ') + 1), "done status=01 ha=00 ts=00 in=36");
  EXPECT_NE(lines[8].find(" recv 02 00 00 50 "), std::string::npos);
  EXPECT_EQ(lines[9].substr(lines[9].find(' ') + 1), "data " + hex(select.data.data(), 84));
  EXPECT_EQ(lines[10].substr(lines[10].find(' ') + 1), "pending");
  EXPECT_EQ(lines[11].substr(lines[11].find(' ') + 1),
            "done status=04 ha=00 ts=02 in=0 sense=05/26/00");
  // Each request's lines share its number.
  EXPECT_EQ(lines[8].substr(0, lines[8].find(' ')), lines[11].substr(0, lines[11].find(' ')));
}

TEST_F(SimDll, SavedValuesLastAcrossLoadsOfTheLibrary) {
  const std::string bus = path("persist.bus");
  writeFile(bus, R"(adapter 0
  device 0
    inquiry 00
    completion immediate
    page 08 current    08 12 04 00 FF FF 00 00 FF FF FF FF 80 10 00 00 00 00 00 00
    page 08 changeable 08 12 05 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
)");
  const std::string state = bus + ".state";
  const std::string logFile = path("persist.log");
  DeleteFileA(state.c_str());
  DeleteFileA(logFile.c_str());
  lib.unload();
  SetEnvironmentVariableA("VRAX_SIM_BUS", bus.c_str());
  SetEnvironmentVariableA("VRAX_SIM_LOG", logFile.c_str());
  lib.load();

  auto modeSense = [&](uint8_t pageControl) {
    Request r(0, 0, {0x1A, 0, static_cast<uint8_t>(0x08 | pageControl << 6), 0, 84}, 84);
    EXPECT_NE(lib.send(&r.block), 0u);
    EXPECT_EQ(r.block.header.status, scsi::kStatusDone);
    return r.data[12 + 2];
  };
  EXPECT_EQ(modeSense(3), 0x04);
  Request select(0, 0, {0x15, 0x11, 0, 0, 32}, 84, scsi::kFlagsWrite);
  const uint8_t page[] = {0x08, 0x12, 0x01, 0x00, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF,
                          0xFF, 0xFF, 0x80, 0x10, 0, 0, 0, 0, 0, 0};
  std::fill(select.data.begin(), select.data.end(), 0);
  std::memcpy(select.data.data() + 4, page, sizeof page);
  select.block.cdb[4] = 24;
  EXPECT_EQ(lib.send(&select.block), 1u);
  EXPECT_EQ(GetFileAttributesA(state.c_str()) != INVALID_FILE_ATTRIBUTES, true);

  lib.unload();
  lib.load();
  EXPECT_EQ(modeSense(0), 0x01) << "powers up with the saved values";
  EXPECT_EQ(modeSense(3), 0x01);
  EXPECT_EQ(modeSense(2), 0x04);
  // The environment's log has the bus line of each load.
  std::vector<std::string> lines = readLines(logFile);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "bus \"" + bus + "\": 1 adapters");

  EXPECT_EQ(lib.resetState(), 1);
  EXPECT_EQ(GetFileAttributesA(state.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(modeSense(3), 0x04);
  EXPECT_EQ(modeSense(0), 0x04);
  lib.unload();
  SetEnvironmentVariableA("VRAX_SIM_BUS", nullptr);
  SetEnvironmentVariableA("VRAX_SIM_LOG", nullptr);
  lib.load();
}

TEST_F(SimDll, BadDescriptionsLeaveAManagerThatIsNotInitialised) {
  const std::string logFile = path("bad.log");
  DeleteFileA(logFile.c_str());
  ASSERT_EQ(lib.setLog(logFile.c_str()), 1);
  const std::string bad = path("bad.bus");
  writeFile(bad, "adapter 0\n  device 3\n    inquiry 00 0G\n");
  EXPECT_EQ(lib.loadBus(bad.c_str()), 0);
  EXPECT_EQ(lib.error(), bad + ":3: bad hex \"0G\"");
  EXPECT_NE((lib.supportInfo() >> 8) & 0xFF, 1u);
  EXPECT_EQ(lib.supportInfo() & 0xFF, 0u);
  EXPECT_EQ(inquireAdapter(0).header.status, 0x81);
  Request r(0, 3, {0x12, 0, 0, 0, 36}, 36);
  EXPECT_EQ(lib.send(&r.block), 0x81u);
  std::vector<std::string> lines = readLines(logFile);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "error " + bad + ":3: bad hex \"0G\"");

  const std::pair<const char*, const char*> texts[] = {
      {"adapter 0\n  colour red\n", "t.bus:2: unknown key \"colour\""},
      {"adapter 0\n  device 9\n", "t.bus:2: target 9 is out of range"},
      {"adapter 0\n  device 1\n  inquiry 00*300\n", "t.bus:3: inquiry data of 300 bytes is too long"},
  };
  for (const auto& t : texts) {
    EXPECT_EQ(lib.loadBusText(t.first, "t.bus"), 0);
    EXPECT_EQ(lib.error().rfind(t.second, 0), 0u) << lib.error();
    EXPECT_NE((lib.supportInfo() >> 8) & 0xFF, 1u);
  }
  EXPECT_EQ(lib.loadBus(path("missing.bus").c_str()), 0);
  EXPECT_EQ(lib.error(), "cannot read the bus description \"" + path("missing.bus") + "\"");

  // A good bus again, and the error is gone.
  EXPECT_EQ(lib.loadBus(nullptr), 1);
  EXPECT_EQ(lib.error(), "");
  EXPECT_EQ(lib.supportInfo(), 0x0106u);

  // Named by the environment at the library's first use.
  lib.unload();
  SetEnvironmentVariableA("VRAX_SIM_BUS", bad.c_str());
  lib.load();
  EXPECT_NE((lib.supportInfo() >> 8) & 0xFF, 1u);
  EXPECT_EQ(lib.error(), bad + ":3: bad hex \"0G\"");
  lib.unload();
  SetEnvironmentVariableA("VRAX_SIM_BUS", nullptr);
  lib.load();
}

// Reads a value of HKLM\HARDWARE\DEVICEMAP\Scsi\Scsi Port N; false when absent.
bool portValue(int port, const char* name, DWORD& type, std::string& data) {
  std::string key = "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port " + std::to_string(port);
  HKEY h;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  char buffer[80] = {};
  DWORD size = sizeof buffer;
  LONG rc = RegQueryValueExA(h, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(h);
  data.assign(buffer, size);
  return rc == ERROR_SUCCESS;
}

TEST_F(SimDll, TheMiniportSeamReachesTheSimulatedDriver) {
  ASSERT_EQ(lib.writeDeviceMap(), 1);
  DWORD type = 0;
  std::string data;
  ASSERT_TRUE(portValue(0, "Driver", type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_STREQ(data.c_str(), "kestrdrv");
  uint8_t config[256];
  for (int port : {0, 1}) {
    lib.pciConfig(static_cast<uint32_t>(port), config, 256);
    ASSERT_TRUE(portValue(port, "IOAddress", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(scsi::le32(reinterpret_cast<const uint8_t*>(data.data())),
              scsi::le32(config + 0x10) & 0xFFFE);
  }
  ASSERT_TRUE(portValue(2, "Driver", type, data));
  EXPECT_STRNE(data.c_str(), "kestrdrv");

  const std::string logFile = path("miniport.log");
  DeleteFileA(logFile.c_str());
  lib.setLog(logFile.c_str());
  uint32_t device = lib.miniportOpen("\\\\.\\Scsi0:");
  ASSERT_NE(device, 0u);
  scsi::MiniportRequest r;
  scsi::makeEepromReadRequest(r, scsi::kEepromChannelA);
  scsi::MiniportRequest sent = r;
  uint32_t returned = 0;
  ASSERT_EQ(lib.miniportControl(device, scsi::kIoctlScsiMiniport, &r, 128, &r, 128, &returned), 1);
  EXPECT_EQ(returned, 128u);
  EXPECT_EQ(r.completionStatus, 1);
  uint16_t sum = 0;
  for (int w = 0; w < 31; ++w) sum = static_cast<uint16_t>(sum + scsi::le16(r.data + 2 * w));
  EXPECT_EQ(scsi::le16(r.data + 62), sum);

  // Rate of target 0 on channel A: 160.0 MB/s, doubled.
  uint32_t values[3];
  const uint16_t ops[] = {scsi::kOpRate, scsi::kOpRateDoubled, scsi::kOpSyncOffset};
  for (int i = 0; i < 3; ++i) {
    scsi::makeRateRequest(r, 0, ops[i], ops[i] == scsi::kOpSyncOffset ? 0xFF : 0);
    ASSERT_EQ(lib.miniportControl(device, scsi::kIoctlScsiMiniport, &r, 60, &r, 60, &returned), 1);
    EXPECT_EQ(r.completionStatus, 1);
    values[i] = r.parameter1;
  }
  EXPECT_EQ(values[0], 1600u);
  EXPECT_EQ(values[1], 1u);
  EXPECT_NE(values[2], 0u);
  EXPECT_EQ(lib.miniportClose(device), 1);
  EXPECT_EQ(lib.miniportControl(device, scsi::kIoctlScsiMiniport, &r, 60, &r, 60, &returned), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(lib.miniportOpen("\\\\.\\Scsi9:"), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  lib.setLog(nullptr);

  // The log carries the request bytes exactly as sent.
  std::vector<std::string> lines = readLines(logFile);
  ASSERT_GE(lines.size(), 3u);
  std::string bytes;
  for (size_t i = 0; i < 128; ++i) {
    char b[4];
    std::snprintf(b, sizeof b, i ? " %02X" : "%02X", reinterpret_cast<uint8_t*>(&sent)[i]);
    bytes += b;
  }
  EXPECT_EQ(lines[1].substr(lines[1].find(' ') + 1),
            "mrecv port=0 code=0004D008 in=128 out=128 " + bytes);

  // A bus without the device map removes the simulator's ports; the default puts them back.
  ASSERT_EQ(lib.loadBusText("devicemap off\nadapter 0\n  port 0\n", "off.bus"), 1);
  ASSERT_EQ(lib.writeDeviceMap(), 1);
  EXPECT_FALSE(portValue(0, "Driver", type, data));
  ASSERT_EQ(lib.loadBus(nullptr), 1);
  ASSERT_EQ(lib.writeDeviceMap(), 1);
  EXPECT_TRUE(portValue(0, "Driver", type, data));
}

}  // namespace
