// The inventory of the simulated manager, bound as Corvath binds it: the records of the
// default bus checked byte by byte at their published offsets, the requests as the
// manager logged them, and a scan that outlives a request the manager never finished.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "inventory/library_port.h"
#include "inventory/model_table.h"
#include "scsi/bytes.h"
#include "scsi/records.h"
#include "simulator/controls.h"
#include "tests/support/modal_driver.h"
#include "tests/support/simulator_control.h"

namespace {

// The published layout of this build's width: the 64-bit one widens the address fields
// (each on a boundary of its own width, the room taken from the reserved bytes before it).
constexpr bool kWide = sizeof(void*) == 8;
constexpr size_t kRecordSize = kWide ? 4828 : 4768, kDeviceSize = 72, kLabelSize = kWide ? 96 : 92;
constexpr size_t kDeviceReserved = kWide ? 21 : 25, kDeviceAddress = kWide ? 64 : 68;
constexpr size_t kExtendedFeatures = kWide ? 4824 : 4764;

// A little-endian address field of this width.
uint64_t addressField(const uint8_t* p) {
  uint64_t value = 0;
  for (size_t i = 0; i < sizeof(void*); ++i) value |= static_cast<uint64_t>(p[i]) << (8 * i);
  return value;
}

std::string tempPath(const char* name) { return orvtest::tempPath(std::string("inventory_") + name); }

std::vector<std::string> readLines(const std::string& file) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string text(const uint8_t* p, size_t size) { return std::string(reinterpret_cast<const char*>(p), size); }

// Bytes as the request log writes them: "02 00 00 48 ...".
std::string hexBytes(const std::vector<uint8_t>& bytes) {
  std::string out;
  char two[4];
  for (uint8_t b : bytes) {
    std::snprintf(two, sizeof two, "%02X ", b);
    out += two;
  }
  if (!out.empty()) out.pop_back();
  return out;
}

class SimulatedBus : public testing::Test {
 protected:
  void SetUp() override {
    // Saved mode values of other tests play no part here.
    SetEnvironmentVariableA("VRAX_SIM_STATE", "none");
    ASSERT_TRUE(scsi::scsiManager().load());
    logFile = tempPath("requests.log");
    DeleteFileA(logFile.c_str());
  }
  void TearDown() override {
    if (auto setLog = orvtest::simulatorControl<simctl::SetLogFn>(simctl::kSetLog)) setLog(nullptr);
    DeleteFileA(logFile.c_str());
    EXPECT_TRUE(driver.unexpected().empty()) << "a message was shown: " << driver.unexpected().front();
  }
  void loadBus(const char* description) {
    auto loadText = orvtest::simulatorControl<simctl::LoadBusTextFn>(simctl::kLoadBusText);
    auto loadFile = orvtest::simulatorControl<simctl::LoadBusFn>(simctl::kLoadBus);
    ASSERT_TRUE(loadText && loadFile);
    ASSERT_EQ(description ? loadText(description, "inventory.bus") : loadFile(nullptr), 1);
    ASSERT_EQ(orvtest::simulatorControl<simctl::SetLogFn>(simctl::kSetLog)(logFile.c_str()), 1);
  }
  // The log lines written since the last call of this.
  std::vector<std::string> newLogLines() {
    std::vector<std::string> lines = readLines(logFile);
    std::vector<std::string> fresh(lines.begin() + std::min(seenLines, lines.size()), lines.end());
    seenLines = lines.size();
    return fresh;
  }
  // Requests of one kind among the lines: their blocks' bytes.
  static std::vector<std::string> received(const std::vector<std::string>& lines,
                                           const char* firstBytes) {
    std::vector<std::string> blocks;
    for (const std::string& line : lines) {
      size_t at = line.find(" recv ");
      if (at != std::string::npos && line.compare(at + 6, std::strlen(firstBytes), firstBytes) == 0)
        blocks.push_back(line.substr(at + 6));
    }
    return blocks;
  }
  static size_t pciReads(const std::vector<std::string>& lines) {
    size_t n = 0;
    for (const std::string& line : lines) n += line.find(" pci adapter=") != std::string::npos;
    return n;
  }

  orvtest::ModalDriver driver;  // closes and records any message box
  std::string logFile;
  size_t seenLines = 0;
};

struct Device {
  uint8_t target, type;
  const char* vendor;   // trimmed
  const char* product;  // 16 characters as answered
  const char* revision;
};

struct Expected {
  uint8_t adapterNumber;
  const char* identifier;
  uint8_t unique[16];
  const char* displayName;
  const char* label;
  uint8_t maxTargets;
  uint16_t deviceId, subsystemId;
  int modelRow;
  uint32_t extended;
  std::vector<Device> devices;
};

TEST_F(SimulatedBus, DefaultBusRecordsAtTheirPublishedOffsets) {
  loadBus(nullptr);
  inv::AdapterInventory inventory;
  EXPECT_EQ(inventory.countAdapters(), 5);  // six adapters, one of them ESDI
  const inv::RecordAddress list = inventory.buildAdapterList();
  ASSERT_NE(list, 0u);
  EXPECT_EQ(inventory.state().adapterCount(), 5);
  const uint8_t* base = inv::fromAddress<const uint8_t>(list);

  const Expected expected[] = {
      {0, "KESTREL-U320", {3, 0, 2, 0x10, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0x0C, 0, 0x81},
       "Velmora Halden HX42 Dual A", "Velmora Halden HX42 Dual A at 00:0C:00", 16, 0x5C40, 0x4C20,
       0, 1,
       {{0, 0, "ARVELL", "HD-73U320       ", "A104"},
        {1, 0, "QUORIX", "QX-36WLS        ", "0302"},
        {4, 5, "BRANWICK", "CDR-48S         ", "1.20"},
        {5, 1, "TESSELL", "TDL-80          ", "2.10"}}},
      {1, "KESTREL-U320", {3, 0, 2, 0x10, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0x0C, 1, 0x81},
       "Velmora Halden HX42 Dual B", "Velmora Halden HX42 Dual B at 00:0C:01", 16, 0x5C40, 0x4C20,
       0, 1,
       {{2, 0, "MAXTOR", "MR-146U3        ", "M3A0"},
        {3, 0, "ARVELL", "HD-4000S5       ", "S120"},
        {4, 0, "QUORIX", "QX-18T4K        ", "0B21"},
        {6, 0, "ARVELL", "HD-2100N        ", "0114"}}},
      {3, "KESTREL-U160", {3, 0, 2, 0, 0, 0, 0x10, 0, 0, 0, 0, 0, 2, 4, 0, 0x81},
       "Velmora Kestrin KT31", "Velmora Kestrin KT31   at 02:04:00", 8, 0x5C31, 0x3110, 6, 0,
       {{0, 0, "QUORIX", "QX-18LVD        ", "0911"},
        {3, 4, "BRANWICK", "CDW-12X         ", "2.05"},
        {5, 2, "MIRLOW", "LASERLINE 12    ", "1.0 "}}},
      {4, "KESTREL-UW", {3, 0, 2, 0x10, 0, 0, 0x10, 0, 0, 0, 0, 0, 0, 0x0E, 0, 0x81},
       "Velmora Orlin OR21", "Velmora Orlin OR21   at 00:0E:00", 16, 0x5C21, 0x2160, 13, 0,
       {{0, 0, "TESSELL", "TS-9100W        ", "0200"},
        {1, 6, "MIRLOW", "FLATSCAN 1200   ", "1.02"},
        {3, 9, "ARVELL", "NETBRIDGE SCSI  ", "0.9 "},
        {6, 3, "ARVELL", "ENCLOSURE SEP   ", "1.10"},
        {9, 8, "TESSELL", "TLA-8 LOADER    ", "3.00"},
        {12, 7, "BRANWICK", "MO-2300         ", "1.03"},
        {14, 12, "MIRLOW", "ARRAY CTRL 4X   ", "2.11"},
        {15, 0, "QUORIX", "QX-18DP         ", "0410"}}},
      {5, "KESTREL-FAST", {1, 0, 0, 8, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0x0F, 0, 0x81},
       "Velmora Brisk BR10", "Velmora Brisk BR10   at 00:0F:00", 8, 0x5C10, 0x0001, 20, 0,
       {{0, 0, "ARVELL", "HD-1080S        ", "0025"},
        {2, 1, "TESSELL", "TQ-4000         ", "1.3 "},
        {4, 5, "BRANWICK", "CD-8X           ", "1.00"}}},
  };

  for (int r = 0; r < 5; ++r) {
    const Expected& e = expected[r];
    SCOPED_TRACE(e.displayName);
    const uint8_t* rec = base + r * kRecordSize;
    EXPECT_EQ(rec[0], e.adapterNumber);
    EXPECT_EQ(rec[1], 7);
    EXPECT_EQ(text(rec + 2, 17), text(reinterpret_cast<const uint8_t*>("VRAX SIMULATOR\0\0\0"), 17));
    std::string identifier(17, '\0');
    identifier.replace(0, std::strlen(e.identifier), e.identifier);
    EXPECT_EQ(text(rec + 19, 17), identifier);
    EXPECT_EQ(std::memcmp(rec + 36, e.unique, 16), 0);
    std::string name(64, '\0');
    name.replace(0, std::strlen(e.displayName), e.displayName);
    EXPECT_EQ(text(rec + 52, 64), name);
    EXPECT_EQ(rec[116], e.devices.size());
    EXPECT_EQ(rec[117], e.maxTargets);
    EXPECT_EQ(rec[118] | rec[119], 0);
    for (size_t d = 0; d < 32; ++d) {
      const uint8_t* dev = rec + 120 + d * kDeviceSize;
      if (d >= e.devices.size()) {
        EXPECT_EQ(std::count(dev, dev + kDeviceSize, 0), static_cast<long>(kDeviceSize)) << d;
        continue;
      }
      const Device& x = e.devices[d];
      SCOPED_TRACE(x.product);
      EXPECT_EQ(dev[0], e.adapterNumber);
      EXPECT_EQ(dev[1], x.target);
      EXPECT_EQ(dev[2], 0);
      EXPECT_EQ(dev[3], x.type);
      EXPECT_EQ(dev[4] & 0x1F, x.type);
      std::string vendor(9, '\0');
      vendor.replace(0, std::strlen(x.vendor), x.vendor);
      EXPECT_EQ(text(dev + 12, 9), vendor);
      EXPECT_EQ(text(dev + 21, 17), std::string(x.product) + '\0');
      EXPECT_EQ(text(dev + 38, 5), std::string(x.revision) + '\0');
      EXPECT_EQ(std::count(dev + 43, dev + 43 + kDeviceReserved, 0),
                static_cast<long>(kDeviceReserved));
      EXPECT_EQ(addressField(dev + kDeviceAddress), list + r * kRecordSize);
    }
    EXPECT_EQ(rec[2424], e.unique[12]);
    EXPECT_EQ(rec[2425], e.unique[13]);
    EXPECT_EQ(rec[2426], e.unique[14]);
    EXPECT_EQ(scsi::le16(rec + 2427), 0x1D5A);  // vendor
    EXPECT_EQ(scsi::le16(rec + 2427 + 2), e.deviceId);
    EXPECT_EQ(scsi::le16(rec + 2427 + 0x2E), e.subsystemId);
    EXPECT_EQ(rec[2683], 0);
    EXPECT_EQ(scsi::le32(rec + 2684), 0u);  // EEPROM blocks are read later, by the editor
    EXPECT_EQ(std::memcmp(rec + 3200, &inv::AdapterModelTable[e.modelRow], 124), 0);
    EXPECT_EQ(std::count(rec + 3324, rec + 3380, 0), 56);
    EXPECT_EQ(scsi::le32(rec + 3380), 5u);
    EXPECT_EQ(std::memcmp(rec + 3384, base + 3384, 15 * kLabelSize), 0);  // same table in all
    EXPECT_EQ(scsi::le32(rec + kExtendedFeatures), e.extended);

    const uint8_t* label = base + 3384 + r * kLabelSize;
    std::string labelText(80, '\0');
    labelText.replace(0, std::strlen(e.label), e.label);
    EXPECT_EQ(text(label, 80), labelText);
    EXPECT_EQ(std::memcmp(label + 80, rec + 2424, 3), 0);
    EXPECT_EQ(std::count(label + 83, label + 88, 0), 5);
    EXPECT_EQ(addressField(label + 88), list + r * kRecordSize);
  }
  EXPECT_EQ(std::count(base + 3384 + 5 * kLabelSize, base + 3384 + 15 * kLabelSize, 0),
            static_cast<long>(10 * kLabelSize));

  // What reached the manager: two passes of adapter inquiries (the count's and the
  // list's), one PCI read per listed adapter, one INQUIRY per target scanned.
  std::vector<std::string> log = newLogLines();
  std::vector<std::string> inquiries = received(log, "00 ");
  std::vector<std::string> executes = received(log, "02 ");
  EXPECT_EQ(inquiries.size(), 6u + 12u);
  EXPECT_EQ(pciReads(log), 5u);
  ASSERT_EQ(executes.size(), 16u + 16u + 8u + 16u + 8u);
  // The sixteenth INQUIRY goes to adapter 0, target 15, with its buffer and event.
  std::vector<uint8_t> head = {0x02, 0x00, 0x00, 0x48, 0, 0, 0, 0, 0x0F, 0x00, 0, 0, 0x24, 0, 0, 0};
  EXPECT_EQ(executes[15].substr(0, head.size() * 3 - 1), hexBytes(head));
  std::vector<uint8_t> tail = {0x0E, 0x06, 0x00, 0x00};  // sense length, CDB length, statuses
  const size_t tailAt = offsetof(scsi::ExecCommandBlock, senseLength);
  EXPECT_EQ(executes[15].substr(tailAt * 3, tail.size() * 3 - 1), hexBytes(tail));
  std::vector<uint8_t> cdb = {0x12, 0, 0, 0, 0x24, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(executes[15].substr(48 * 3, cdb.size() * 3 - 1), hexBytes(cdb));
  EXPECT_NE(executes[15].substr(16 * 3, 11), "00 00 00 00");  // the buffer's address
  const size_t eventAt = offsetof(scsi::ExecCommandBlock, completionEvent);
  EXPECT_NE(executes[15].substr(eventAt * 3, 11), "00 00 00 00");  // the event's handle

  // The second list call answers from the same array after the count's inquiries only.
  EXPECT_EQ(inventory.buildAdapterList(), list);
  log = newLogLines();
  EXPECT_EQ(received(log, "00 ").size(), 6u);
  EXPECT_TRUE(received(log, "02 ").empty());
  EXPECT_EQ(pciReads(log), 0u);
}

// A request the manager holds past the wait: the scan goes on with a new event, and the
// late completion writes only into the abandoned request's own block and buffer.
TEST_F(SimulatedBus, ScanOutlivesARequestFinishedAfterTheWait) {
  loadBus(R"(completion pending
adapter 0
  identifier   "KESTREL-UW"
  unique       03 00 02 00 00 00 10 00 00 00 00 00 00 0E 00 81
  pci 00       5A 1D 21 5C
  pci 2C       5A 1D 60 21
  device 1
    inquiry    00 00 02 02 1F 00 00 32 "LATE    " "HELD BACK       " "0001"
    fault 12 late
  device 3
    inquiry    00 00 02 02 1F 00 00 32 "QUORIX  " "QX-18DP         " "0410"
)");
  inv::AdapterInventory inventory;
  const inv::RecordAddress list = inventory.buildAdapterList();
  ASSERT_NE(list, 0u);
  const auto* record = inv::fromAddress<const inv::HostAdapterInfo>(list);
  ASSERT_EQ(record->deviceCount, 1);
  EXPECT_EQ(record->devices[0].target, 3);
  EXPECT_STREQ(record->devices[0].vendor, "QUORIX");
  EXPECT_EQ(received(newLogLines(), "02 ").size(), 8u);
  EXPECT_EQ(inv::LibraryManagerPort::abandonedCount(), 1u);

  auto releaseLate = orvtest::simulatorControl<simctl::ReleaseLateFn>(simctl::kReleaseLate);
  ASSERT_NE(releaseLate, nullptr);
  EXPECT_EQ(releaseLate(), 1);
  EXPECT_EQ(inv::LibraryManagerPort::abandonedCount(), 0u);  // finished, then freed
  EXPECT_EQ(record->deviceCount, 1);
  const inv::DeviceInfo zero{};
  EXPECT_EQ(std::memcmp(&record->devices[1], &zero, sizeof zero), 0);
}

}  // namespace
