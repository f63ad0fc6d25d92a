// The inventory over a scripted manager: what is counted, what each record holds, what
// is sent to the bus, which messages are shown, and the bounds the manager cannot pass.
#include <gtest/gtest.h>

#include <cstring>

#include "inventory/inventory.h"
#include "inventory/model_table.h"
#include "tests/unit/inventory_fake_manager.h"

namespace {

using invtest::FakeAdapter;
using invtest::FakeTarget;
using invtest::inquiryData;

FakeAdapter adapter(uint16_t deviceId, uint16_t subsystemId) {
  FakeAdapter a;
  a.ids(deviceId, subsystemId);
  return a;
}

FakeTarget answering(std::array<uint8_t, 36> inquiry,
                     inv::Completion completion = inv::Completion::Immediate) {
  FakeTarget t;
  t.completion = completion;
  t.inquiry = inquiry;
  return t;
}

FakeTarget failing(inv::Completion completion, uint8_t adapterStatus = 0) {
  FakeTarget t;
  t.completion = completion;
  t.status = scsi::kStatusError;
  t.adapterStatus = adapterStatus;
  return t;
}

bool allZero(const void* p, size_t n) {
  const uint8_t* b = static_cast<const uint8_t*>(p);
  for (size_t i = 0; i < n; ++i)
    if (b[i]) return false;
  return true;
}

class InventoryTest : public testing::Test {
 protected:
  invtest::FakeManager manager;
  invtest::FakeSink sink;
  inv::Inventory inventory{manager, sink};

  inv::HostAdapterInfo& record(int i) { return inventory.records()[i]; }
  std::vector<unsigned> shownIds() const {
    std::vector<unsigned> ids;
    for (auto& m : sink.shown) ids.push_back(m.id);
    return ids;
  }
};

TEST_F(InventoryTest, EsdiAdapterIsNeitherCountedNorListed) {
  FakeAdapter esdi;
  esdi.identifier = "WD ESDI 1007";
  manager.install({esdi, adapter(0x5C31, 0x3110)});

  EXPECT_EQ(inventory.countAdapters(), 1);
  EXPECT_EQ(inventory.lastCount(), 1);
  inv::RecordAddress list = inventory.buildAdapterList();
  ASSERT_NE(list, 0u);
  EXPECT_EQ(list, inv::addressOf(inventory.records()));
  EXPECT_EQ(inventory.adapterCount(), 1);
  EXPECT_EQ(record(0).adapterNumber, 1);
  EXPECT_EQ(record(0).adapterCount, 1);
  EXPECT_EQ(manager.pciReads, std::vector<uint8_t>{1});
  for (auto& sent : manager.executes) EXPECT_EQ(sent.header.adapterNumber, 1);
  EXPECT_TRUE(sink.shown.empty());
}

TEST_F(InventoryTest, ChannelLettersFollowThePciFunctionOfTwoChannelModels) {
  manager.install({adapter(0x5C40, 0x4C20).at(2, 4, 1), adapter(0x5C40, 0x4C20).at(2, 4, 0),
                   adapter(0x5C31, 0x3110).at(3, 0, 0)});
  ASSERT_NE(inventory.buildAdapterList(), 0u);

  EXPECT_STREQ(record(0).displayName, "Velmora Halden HX42 Dual B");
  EXPECT_STREQ(record(1).displayName, "Velmora Halden HX42 Dual A");
  EXPECT_STREQ(record(2).displayName, "Velmora Kestrin KT31");
  EXPECT_EQ(record(0).extendedFeatures, 1u);
  EXPECT_EQ(record(2).extendedFeatures, 0u);
  EXPECT_EQ(std::memcmp(&record(0).model, &inv::AdapterModelTable[0], sizeof(inv::AdapterModel)),
            0);

  const char* expected[] = {"Velmora Halden HX42 Dual B at 02:04:01",
                            "Velmora Halden HX42 Dual A at 02:04:00",
                            "Velmora Kestrin KT31   at 03:00:00"};
  for (int r = 0; r < 3; ++r) {
    EXPECT_EQ(record(r).adapterCount, 3);
    // Every record carries the same complete table, unused entries zero.
    EXPECT_EQ(std::memcmp(record(r).labels, record(0).labels, sizeof record(0).labels), 0);
    EXPECT_TRUE(allZero(&record(r).labels[3], sizeof(inv::AdapterLabel) * 12));
  }
  for (int j = 0; j < 3; ++j) {
    const inv::AdapterLabel& label = record(0).labels[j];
    EXPECT_STREQ(label.text, expected[j]);
    EXPECT_EQ(label.pciLocation[0], record(j).pciBus);
    EXPECT_EQ(label.pciLocation[1], record(j).pciDevice);
    EXPECT_EQ(label.pciLocation[2], record(j).pciFunction);
    EXPECT_EQ(label.adapter, inv::addressOf(&record(j)));
  }
}

TEST_F(InventoryTest, TargetCountComesFromUniqueByte3WithZeroMeaningEight) {
  FakeAdapter wide = adapter(0x5C21, 0x2160), narrow = adapter(0x5C21, 0x2160);
  wide.unique[3] = 16;
  narrow.unique[3] = 0;
  manager.install({wide, narrow});
  ASSERT_NE(inventory.buildAdapterList(), 0u);

  EXPECT_EQ(record(0).maxTargets, 16);
  EXPECT_EQ(record(1).maxTargets, 8);
  ASSERT_EQ(manager.executes.size(), 24u);
  for (size_t i = 0; i < manager.executes.size(); ++i) {
    const scsi::ExecCommandBlock& b = manager.executes[i];
    EXPECT_EQ(b.target, i < 16 ? i : i - 16);
    EXPECT_EQ(b.header.adapterNumber, i < 16 ? 0 : 1);
  }
  // The INQUIRY request as the manager receives it.
  const scsi::ExecCommandBlock& b = manager.executes[0];
  EXPECT_EQ(b.header.command, 2);
  EXPECT_EQ(b.header.flags, 0x48);
  EXPECT_EQ(b.lun, 0);
  EXPECT_EQ(b.dataLength, 36u);
  EXPECT_EQ(b.senseLength, 14);
  EXPECT_EQ(b.cdbLength, 6);
  const uint8_t cdb[16] = {0x12, 0, 0, 0, 36, 0};
  EXPECT_EQ(std::memcmp(b.cdb, cdb, 16), 0);
}

TEST_F(InventoryTest, PciLocationIsTakenOnlyWhenMarkedValid) {
  FakeAdapter marked = adapter(0x5C31, 0x3110).at(5, 6, 7);
  FakeAdapter unmarked = marked;
  unmarked.unique[15] = 0x80;
  manager.install({marked, unmarked});
  ASSERT_NE(inventory.buildAdapterList(), 0u);

  EXPECT_EQ(record(0).pciBus, 5);
  EXPECT_EQ(record(0).pciDevice, 6);
  EXPECT_EQ(record(0).pciFunction, 7);
  EXPECT_EQ(record(1).pciBus + record(1).pciDevice + record(1).pciFunction, 0);
  EXPECT_EQ(std::memcmp(record(1).adapterUnique, unmarked.unique.data(), 16), 0);
}

TEST_F(InventoryTest, DeviceRecordsKeepTheInquiryAnswerWithTheVendorTrimmed) {
  FakeAdapter a = adapter(0x5C31, 0x3110);
  a.targets[0] = answering(inquiryData(0x00, "ABC     ", "FASTDISK 9000   ", "1.0 "));
  a.targets[2] = answering(inquiryData(0x65, "VELMORA\t", "CHANGER", "A7"),
                           inv::Completion::Signalled);
  manager.install({a});
  ASSERT_NE(inventory.buildAdapterList(), 0u);

  ASSERT_EQ(record(0).deviceCount, 2);
  const inv::DeviceInfo& disk = record(0).devices[0];
  EXPECT_EQ(disk.adapterNumber, 0);
  EXPECT_EQ(disk.target, 0);
  EXPECT_EQ(disk.lun, 0);
  EXPECT_EQ(std::memcmp(disk.vendor, "ABC\0\0\0\0\0\0", 9), 0);
  EXPECT_EQ(std::memcmp(disk.product, "FASTDISK 9000   \0", 17), 0);
  EXPECT_EQ(std::memcmp(disk.revision, "1.0 \0", 5), 0);
  EXPECT_EQ(disk.adapter, inv::addressOf(&record(0)));
  EXPECT_TRUE(allZero(disk.reserved, sizeof disk.reserved));

  const inv::DeviceInfo& other = record(0).devices[1];
  EXPECT_EQ(other.target, 2);
  EXPECT_EQ(other.deviceType, 5);  // qualifier bits dropped
  EXPECT_EQ(std::memcmp(other.inquiryHeader, a.targets[2].inquiry.data(), 8), 0);
  EXPECT_STREQ(other.vendor, "VELMORA");
  EXPECT_TRUE(allZero(&record(0).devices[2], sizeof(inv::DeviceInfo) * 30));
}

TEST_F(InventoryTest, OnlyAFailureSignalledThroughTheEventEndsTheScan) {
  FakeAdapter a = adapter(0x5C31, 0x3110);
  a.unique[3] = 16;
  auto disk = inquiryData(0, "VELMORA", "DISK", "1");
  a.targets[0] = answering(disk);
  a.targets[1] = failing(inv::Completion::Immediate, 0x12);
  a.targets[2] = answering(disk, inv::Completion::Expired);  // late answers do not count
  a.targets[3] = answering(disk, inv::Completion::Signalled);
  a.targets[4] = failing(inv::Completion::Signalled, scsi::kHaSelectionTimeout);  // nobody
  a.targets[5] = answering(disk, inv::Completion::Signalled);
  a.targets[6] = failing(inv::Completion::Signalled, 0x13);
  a.targets[7] = answering(disk);
  manager.install({a});
  ASSERT_NE(inventory.buildAdapterList(), 0u);

  EXPECT_EQ(manager.executes.size(), 7u);
  EXPECT_EQ(manager.scans, 1);
  ASSERT_EQ(record(0).deviceCount, 3);
  EXPECT_EQ(record(0).devices[0].target, 0);
  EXPECT_EQ(record(0).devices[1].target, 3);
  EXPECT_EQ(record(0).devices[2].target, 5);
}

TEST_F(InventoryTest, TargetsBehindAGapAreFoundWhenAbsentTargetsAnswerThroughTheEvent) {
  FakeAdapter a = adapter(0x5C31, 0x3110);
  auto disk = inquiryData(0, "VELMORA", "DISK", "1");
  a.targets[0] = answering(disk, inv::Completion::Signalled);
  a.targets[4] = answering(disk, inv::Completion::Signalled);
  a.targets[7] = answering(disk, inv::Completion::Signalled);
  manager.install({a});
  manager.absentCompletion = inv::Completion::Signalled;
  ASSERT_NE(inventory.buildAdapterList(), 0u);
  EXPECT_EQ(manager.executes.size(), 8u);
  ASSERT_EQ(record(0).deviceCount, 3);
  EXPECT_EQ(record(0).devices[2].target, 7);
}

TEST_F(InventoryTest, SecondListCallReturnsTheSameArrayAfterOnlyTheCountsInquiries) {
  manager.install({adapter(0x5C31, 0x3110), adapter(0x5C21, 0x2160)});
  inv::RecordAddress first = inventory.buildAdapterList();
  ASSERT_NE(first, 0u);
  EXPECT_EQ(manager.supportCalls, 2);
  manager.forget();

  EXPECT_EQ(inventory.buildAdapterList(), first);
  EXPECT_EQ(manager.supportCalls, 1);
  EXPECT_EQ(manager.inquiries, (std::vector<uint8_t>{0, 1}));
  EXPECT_TRUE(manager.pciReads.empty());
  EXPECT_TRUE(manager.executes.empty());
}

TEST_F(InventoryTest, UninitialisedManagerKeepsTheClearedArrayForLaterCalls) {
  manager.install({adapter(0x5C31, 0x3110), adapter(0x5C21, 0x2160)});
  manager.support = 0x0002;  // status 0, two adapters
  EXPECT_EQ(inventory.countAdapters(), 2);
  EXPECT_EQ(inventory.buildAdapterList(), 0u);
  EXPECT_EQ(shownIds(), std::vector<unsigned>{32836});
  ASSERT_NE(inventory.records(), nullptr);
  EXPECT_TRUE(allZero(inventory.records(), 2 * sizeof(inv::HostAdapterInfo)));
  EXPECT_TRUE(manager.executes.empty());

  EXPECT_EQ(inventory.buildAdapterList(), inv::addressOf(inventory.records()));
  EXPECT_EQ(sink.shown.size(), 1u);
}

TEST_F(InventoryTest, NoAdapterMeansMessage32835AndNoArray) {
  FakeAdapter esdi;
  esdi.identifier = "ESDI";
  manager.install({esdi});
  EXPECT_EQ(inventory.buildAdapterList(), 0u);
  EXPECT_EQ(shownIds(), std::vector<unsigned>{32835});
  EXPECT_EQ(inventory.records(), nullptr);
  EXPECT_EQ(manager.supportCalls, 1);
}

TEST_F(InventoryTest, MissingPciExtensionLeavesEachAdapterGeneric) {
  FakeAdapter a = adapter(0x5C40, 0x4C20).at(1, 2, 1);
  a.targets[0] = answering(inquiryData(0, "VELMORA", "DISK", "1"));
  manager.install({a, adapter(0x5C31, 0x3110)});
  manager.hasPciEntry = false;
  ASSERT_NE(inventory.buildAdapterList(), 0u);

  ASSERT_EQ(shownIds(), (std::vector<unsigned>{1229, 1229}));
  ASSERT_EQ(sink.shown[0].args.size(), 1u);
  EXPECT_EQ(inv::formatMessageText("does not support\n%s function.", sink.shown[0].args),
            "does not support\nGetHAPCIConfigInfo() function.");
  for (int r = 0; r < 2; ++r) {
    EXPECT_STREQ(record(r).displayName, "SCSI Host Adapter");
    EXPECT_TRUE(allZero(&record(r).model, sizeof(inv::AdapterModel)));
    EXPECT_EQ(record(r).extendedFeatures, 0u);
  }
  EXPECT_STREQ(record(0).labels[0].text, "   at 01:02:01");
  EXPECT_EQ(record(0).deviceCount, 1);  // the bus is still scanned
}

TEST_F(InventoryTest, UnmatchedAdapterIsReportedWithItsIdsAndStaysListed) {
  manager.install({adapter(0x5C99, 0x0001), adapter(0x5C31, 0x3110), FakeAdapter()});
  ASSERT_NE(inventory.buildAdapterList(), 0u);

  ASSERT_EQ(shownIds(), (std::vector<unsigned>{1228, 1228}));
  EXPECT_EQ(inv::formatMessageText("Device ID: %.4Xh,  Subsystem ID: %.4Xh", sink.shown[0].args),
            "Device ID: 5C99h,  Subsystem ID: 0001h");
  EXPECT_EQ(inv::formatMessageText("%.4X/%.4X", sink.shown[1].args), "0000/0000");
  EXPECT_STREQ(record(0).displayName, "SCSI Host Adapter");
  EXPECT_TRUE(allZero(&record(0).model, sizeof(inv::AdapterModel)));
  EXPECT_STREQ(record(1).displayName, "Velmora Kestrin KT31");
  EXPECT_EQ(inventory.adapterCount(), 3);
}

TEST_F(InventoryTest, UnderThePassThroughManagerOnlyTheMakersUnknownCardsAreReported) {
  // Every controller of the computer: the maker's known card, a card of the maker the
  // table does not know, a SATA controller, a USB port (no PCI identity at all).
  FakeAdapter known = adapter(0x5C40, 0x4C20), newer = adapter(0x5C99, 0x0001);
  FakeAdapter ahci = adapter(0xA352, 0x8694), usb;
  known.pci[0] = newer.pci[0] = 0x5A, known.pci[1] = newer.pci[1] = 0x1D;
  ahci.pci[0] = 0x4F, ahci.pci[1] = 0x1E;
  std::vector<FakeAdapter> all = {known, newer, ahci, usb};
  for (FakeAdapter& a : all) a.managerId = inv::kPassThroughManagerId;
  manager.install(all);
  ASSERT_NE(inventory.buildAdapterList(), 0u);

  ASSERT_EQ(shownIds(), std::vector<unsigned>{1228});
  EXPECT_EQ(inv::formatMessageText("%.4X/%.4X", sink.shown[0].args), "5C99/0001");
  EXPECT_STREQ(record(0).displayName, "Velmora Halden HX42 Dual A");
  for (int r = 1; r < 4; ++r) EXPECT_STREQ(record(r).displayName, "SCSI Host Adapter");
  EXPECT_EQ(inventory.adapterCount(), 4);

  // Another manager's id only resembling ours: every unknown adapter, as before.
  inv::Inventory other(manager, sink);
  for (FakeAdapter& a : manager.adapters) a.managerId = "VRAX PASS-THRU2";
  sink.shown.clear();
  ASSERT_NE(other.buildAdapterList(), 0u);
  EXPECT_EQ(shownIds(), (std::vector<unsigned>{1228, 1228, 1228}));
}

TEST_F(InventoryTest, WithoutRightsTheUserIsToldOnceAndNotThatThereAreNoCards) {
  manager.install({adapter(0x5C40, 0x4C20)});
  manager.support = uint32_t{inv::kManagerStatusNoRights} << 8;
  EXPECT_EQ(inventory.countAdapters(), 0);
  EXPECT_EQ(inventory.countAdapters(), 0);
  EXPECT_EQ(inventory.buildAdapterList(), 0u);
  EXPECT_EQ(shownIds(), std::vector<unsigned>{32837});
  EXPECT_EQ(inventory.records(), nullptr);
  EXPECT_TRUE(manager.inquiries.empty());

  // Another status without adapters is the old "no cards".
  manager.support = 0x0100;
  EXPECT_EQ(inventory.buildAdapterList(), 0u);
  EXPECT_EQ(shownIds(), (std::vector<unsigned>{32837, 32835}));
}

TEST_F(InventoryTest, ManagerCannotPushPastTheRecordBounds) {
  std::vector<FakeAdapter> many(20, adapter(0x5C10, 0x0001));
  FakeAdapter& first = many[0];
  first.unique[3] = 200;
  first.identifier = "0123456789ABCDEF";  // 16 characters, no NUL
  first.managerId = "FEDCBA9876543210";
  for (uint8_t t = 0; t < 200; ++t) first.targets[t] = answering(inquiryData(0, "V", "D", "1"));
  manager.install(many);

  EXPECT_EQ(inventory.countAdapters(), 15);
  manager.forget();
  ASSERT_NE(inventory.buildAdapterList(), 0u);
  EXPECT_EQ(inventory.recordCount(), 15);
  EXPECT_EQ(record(14).adapterNumber, 14);
  EXPECT_EQ(record(14).adapterCount, 15);
  EXPECT_EQ(manager.inquiries.size(), 40u);  // both passes still ask every adapter
  EXPECT_EQ(record(0).maxTargets, 32);
  EXPECT_EQ(record(0).deviceCount, 32);
  EXPECT_EQ(record(0).devices[31].target, 31);
  EXPECT_EQ(std::memcmp(record(0).adapterIdentifier, "0123456789ABCDE\0\0", 17), 0);
  EXPECT_EQ(std::memcmp(record(0).managerId, "FEDCBA987654321\0\0", 17), 0);
}

TEST_F(InventoryTest, CountLaterAboveTheBuiltArrayIsCappedToIt) {
  manager.install({adapter(0x5C31, 0x3110)});
  ASSERT_NE(inventory.buildAdapterList(), 0u);
  manager.install({adapter(0x5C31, 0x3110), adapter(0x5C21, 0x2160)});
  EXPECT_EQ(inventory.countAdapters(), 1);
  EXPECT_EQ(inventory.buildAdapterList(), inv::addressOf(inventory.records()));
  EXPECT_EQ(record(0).adapterCount, 1);
}

TEST_F(InventoryTest, ManagerWithoutExecuteEntryListsAdaptersWithoutDevices) {
  manager.install({adapter(0x5C31, 0x3110)});
  manager.canExecute = false;
  ASSERT_NE(inventory.buildAdapterList(), 0u);
  EXPECT_EQ(record(0).deviceCount, 0);
  EXPECT_STREQ(record(0).displayName, "Velmora Kestrin KT31");
}

}  // namespace
