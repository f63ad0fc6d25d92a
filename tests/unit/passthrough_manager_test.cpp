// The pass-through manager over the scripted machine: which adapters it makes of the
// ports and buses, what it answers about them, and where each request goes and how.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "passthrough/fake/fake_system.h"
#include "passthrough/manager.h"
#include "inventory/inventory.h"
#include "passthrough/nt_layout.h"
#include "scsi/bytes.h"
#include "scsi/commands.h"
#include "scsi/mode_data.h"
#include "scsi/miniport_request.h"
#include "tests/support/low_memory.h"

namespace {

using pt::fake::FakeSystem;

// Adapter numbers of the standard machine, in the manager's order.
enum : uint8_t { kAhci0, kAhci1, kSas, kMaker, kUsb, kAdapterCount };

scsi::AdapterInquiryBlock inquire(pt::Manager& m, uint8_t adapter) {
  scsi::AdapterInquiryBlock block{};
  block.header.adapterNumber = adapter;
  m.inquire(block);
  return block;
}

std::string text(const char (&field)[16]) { return std::string(field, strnlen(field, 16)); }

// A data buffer in low memory (the block holds its address in 32 bits), at an offset
// from a 512-byte boundary.
class Buffer {
 public:
  explicit Buffer(size_t offset) : memory_(8192) {
    const uintptr_t base = reinterpret_cast<uintptr_t>(memory_.get());
    data_ = memory_.get() + ((512 - base % 512) % 512) + offset;
  }
  uint8_t* get() { return data_; }
  uint8_t& operator[](size_t i) { return data_[i]; }

 private:
  orvtest::LowArray<uint8_t> memory_;
  uint8_t* data_;
};

struct Sent {
  scsi::ExecCommandBlock block;
  pt::ExecAnswer answer;
};

Sent send(pt::Manager& m, uint8_t adapter, uint8_t target, const scsi::Command& c, uint8_t* data) {
  Sent s;
  scsi::fillExecBlock(s.block, adapter, target, c, data);
  s.answer = m.execute(s.block);
  pt::writeAnswer(s.block, s.answer);
  s.block.header.status = s.answer.status;
  return s;
}

std::vector<FakeSystem::Call> passThroughCalls(const FakeSystem& system) {
  std::vector<FakeSystem::Call> out;
  for (const FakeSystem::Call& c : system.calls())
    if (c.code == pt::nt::kIoctlScsiPassThrough || c.code == pt::nt::kIoctlScsiPassThroughDirect)
      out.push_back(c);
  return out;
}

TEST(PassthroughManager, EachBusOfEachPortIsAnAdapterInPortOrder) {
  FakeSystem system(pt::fake::standardMachine());
  pt::Manager m(system);
  EXPECT_EQ(m.supportInfo(), 0x0100u | kAdapterCount);
  const std::vector<pt::ManagedAdapter>& a = m.adapters();
  ASSERT_EQ(a.size(), size_t{kAdapterCount});
  const uint8_t where[kAdapterCount][2] = {{0, 0}, {0, 1}, {1, 0}, {2, 0}, {4, 0}};
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].port, where[i][0]) << i;
    EXPECT_EQ(a[i].path, where[i][1]) << i;
  }
  EXPECT_EQ(a[kSas].units.size(), 4u);
  EXPECT_EQ(a[kMaker].units.size(), 1u);
  EXPECT_TRUE(a[kAhci0].units.empty());
  // The virtual disk that answers no address is left out.
  EXPECT_EQ(m.classDevices().size(), 6u);
}

TEST(PassthroughManager, InquiryAnswerOfAnAdapter) {
  FakeSystem system(pt::fake::standardMachine());
  pt::Manager m(system);
  scsi::AdapterInquiryBlock b = inquire(m, kSas);
  EXPECT_EQ(b.header.status, scsi::kStatusDone);
  EXPECT_EQ(b.adapterCount, kAdapterCount);
  EXPECT_EQ(b.adapterScsiId, 7);
  EXPECT_EQ(text(b.managerId), "VRAX PASS-THRU");
  // The inventory knows our manager by this id, and its status without rights.
  EXPECT_EQ(text(b.managerId), inv::kPassThroughManagerId);
  EXPECT_EQ(pt::kManagerStatusNoRights, inv::kManagerStatusNoRights);
  EXPECT_EQ(text(b.adapterIdentifier), "sashba");
  // Alignment mask 3, 8 targets, 1 MB transfers, PCI 03:00.0 marked valid.
  const uint8_t unique[16] = {0x03, 0, 0, 8, 0x00, 0x00, 0x10, 0x00, 0, 0, 0, 0, 3, 0, 0, 0x81};
  EXPECT_EQ(0, std::memcmp(b.adapterUnique, unique, 16));

  // USB attached: no PCI location, a mask wider than a byte.
  b = inquire(m, kUsb);
  EXPECT_EQ(text(b.adapterIdentifier), "uaspstor");
  EXPECT_EQ(b.adapterUnique[0], 0xFF);
  EXPECT_EQ(b.adapterUnique[1], 0x01);
  EXPECT_EQ(b.adapterUnique[15], 0);
  EXPECT_EQ(b.adapterUnique[12] | b.adapterUnique[13] | b.adapterUnique[14], 0);

  // The maker's card: its node does not tell its port; its driver's name does.
  b = inquire(m, kMaker);
  EXPECT_EQ(b.adapterUnique[13], 0x0C);
  EXPECT_EQ(b.adapterUnique[15], 0x81);

  b = inquire(m, kAdapterCount);
  EXPECT_EQ(b.header.status, pt::kStatusInvalidAdapter);
}

TEST(PassthroughManager, PciConfigurationOfEachAdapter) {
  FakeSystem system(pt::fake::standardMachine());
  pt::Manager m(system);
  uint8_t c[256];
  ASSERT_TRUE(m.pciConfig(kMaker, c, sizeof c));
  // The identification table knows the card by device and subsystem ID.
  EXPECT_EQ(scsi::le16(c + 0x00), 0x1D5A);
  EXPECT_EQ(scsi::le16(c + 0x02), 0x5C40);
  EXPECT_EQ(scsi::le16(c + 0x2E), 0x4C20);
  EXPECT_EQ(scsi::le32(c + 0x10), 0x0000D001u);
  EXPECT_EQ(c[0x3C], 11);

  ASSERT_TRUE(m.pciConfig(kSas, c, sizeof c));
  EXPECT_EQ(scsi::le32(c + 0x18), 0x1000000Cu);
  EXPECT_EQ(scsi::le32(c + 0x1C), 0x38u);
  EXPECT_EQ(c[0x0B], 0x01);
  EXPECT_EQ(c[0x0A], 0x07);

  // Two buses of one port are one card.
  uint8_t other[256];
  ASSERT_TRUE(m.pciConfig(kAhci0, c, sizeof c));
  ASSERT_TRUE(m.pciConfig(kAhci1, other, sizeof other));
  EXPECT_EQ(0, std::memcmp(c, other, 256));
  EXPECT_EQ(c[0x09], 0x01);  // AHCI programming interface

  ASSERT_TRUE(m.pciConfig(kUsb, c, sizeof c));
  EXPECT_EQ(std::count(c, c + 256, 0), 256);

  // Only the length asked for is written; an unknown adapter reads as zero.
  uint8_t small[8];
  std::memset(small, 0xEE, sizeof small);
  ASSERT_TRUE(m.pciConfig(kSas, small, 4));
  EXPECT_EQ(small[3], 0x00);
  EXPECT_EQ(small[4], 0xEE);
  EXPECT_FALSE(m.pciConfig(kAdapterCount, small, 4));
  EXPECT_EQ(small[0], 0);
  EXPECT_FALSE(m.pciConfig(kSas, nullptr, 256));
}

TEST(PassthroughManager, RequestsGoToTheClassDeviceOrThePort) {
  FakeSystem system(pt::fake::standardMachine());
  pt::Manager m(system);
  Buffer data(0);
  // The SAS disk is PhysicalDrive0; its buffer meets the port's alignment: direct.
  Sent s = send(m, kSas, 0, scsi::inquiry(), data.get());
  EXPECT_EQ(s.block.header.status, scsi::kStatusDone);
  EXPECT_EQ(0, std::memcmp(data.get() + 8, "HALDEN  HX18T4KN-SAS    C2A4", 28));
  std::vector<FakeSystem::Call> calls = passThroughCalls(system);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].path, "\\\\.\\PhysicalDrive0");
  EXPECT_EQ(calls[0].code, pt::nt::kIoctlScsiPassThroughDirect);
  const pt::nt::PassThroughNative& sent =
      *reinterpret_cast<const pt::nt::PassThroughNative*>(calls[0].input.data());
  EXPECT_EQ(sent.length, sizeof(pt::nt::PassThroughNative));
  EXPECT_EQ(sent.dataIn, pt::nt::kDataIn);
  EXPECT_EQ(sent.dataTransferLength, 36u);
  EXPECT_EQ(sent.dataBuffer, reinterpret_cast<uintptr_t>(data.get()));
  EXPECT_EQ(sent.cdbLength, 6);
  EXPECT_EQ(sent.cdb[0], 0x12);
  EXPECT_EQ(sent.cdb[4], 36);

  // The enclosure processor is claimed by nobody: through the port, on its path.
  s = send(m, kSas, 3, scsi::inquiry(), data.get());
  EXPECT_EQ(s.block.header.status, scsi::kStatusDone);
  EXPECT_EQ(data[0], 0x03);
  calls = passThroughCalls(system);
  EXPECT_EQ(calls.back().path, "\\\\.\\Scsi1:");
  // The optical drive on the SATA controller's second bus.
  s = send(m, kAhci1, 0, scsi::inquiry(), data.get());
  EXPECT_EQ(passThroughCalls(system).back().path, "\\\\.\\CdRom0");
  EXPECT_EQ(data[0], 0x05);
}

TEST(PassthroughManager, AbsentTargetsAreAnsweredWithoutBusTraffic) {
  FakeSystem system(pt::fake::standardMachine());
  pt::Manager m(system);
  Buffer data(0);
  for (uint8_t t : std::initializer_list<uint8_t>{4, 5, 7}) {
    Sent s = send(m, kSas, t, scsi::inquiry(), data.get());
    EXPECT_EQ(s.block.header.status, scsi::kStatusError);
    EXPECT_EQ(s.block.adapterStatus, scsi::kHaSelectionTimeout);
  }
  Sent s = send(m, kAhci0, 0, scsi::inquiry(), data.get());
  EXPECT_EQ(s.block.adapterStatus, scsi::kHaSelectionTimeout);
  s = send(m, kMaker, 0, scsi::inquiry(), data.get());
  EXPECT_EQ(s.block.adapterStatus, scsi::kHaSelectionTimeout);
  EXPECT_TRUE(passThroughCalls(system).empty());
}

TEST(PassthroughManager, BuffersTheDriverCannotTakeGoThroughACopy) {
  FakeSystem system(pt::fake::standardMachine());
  pt::Manager m(system);
  // The USB port wants 512-byte alignment.
  Buffer aligned(0), odd(4);
  Sent s = send(m, kUsb, 0, scsi::readCapacity(), aligned.get());
  EXPECT_EQ(passThroughCalls(system).back().code, pt::nt::kIoctlScsiPassThroughDirect);
  EXPECT_EQ(scsi::be32(aligned.get()), 60555263u);
  s = send(m, kUsb, 0, scsi::readCapacity(), odd.get());
  EXPECT_EQ(s.block.header.status, scsi::kStatusDone);
  EXPECT_EQ(passThroughCalls(system).back().code, pt::nt::kIoctlScsiPassThrough);
  EXPECT_EQ(scsi::be32(odd.get()), 60555263u);
  EXPECT_EQ(scsi::be32(odd.get() + 4), 512u);

  // A write through the copy reaches the device: the SATA disk's write cache goes off
  // (its port takes 4-byte alignment; the list starts 2 bytes off).
  Buffer page(2);
  s = send(m, kSas, 1, scsi::modeSense(0x08, scsi::kPageCurrent), page.get());
  ASSERT_EQ(s.block.header.status, scsi::kStatusDone);
  const size_t at = 4 + page[3];
  ASSERT_EQ(page[at] & 0x3F, 0x08);
  EXPECT_TRUE(page[at + 2] & 0x04);
  const scsi::ModePage found =
      scsi::prepareModeSelectList(page.get(), scsi::kModeDataLength, 0x08);
  ASSERT_TRUE(found);
  page[at + 2] &= ~0x04;
  s = send(m, kSas, 1, scsi::modeSelect(static_cast<uint8_t>(found.listLength)), page.get());
  EXPECT_EQ(s.block.header.status, scsi::kStatusDone);
  EXPECT_EQ(passThroughCalls(system).back().code, pt::nt::kIoctlScsiPassThrough);
  EXPECT_EQ(passThroughCalls(system).back().input[8], pt::nt::kDataOut);
  const pt::fake::Unit* disk = system.unit({1, 0, 1, 0});
  ASSERT_NE(disk, nullptr);
  EXPECT_EQ(disk->device.pages[1].code, 0x08);
  EXPECT_FALSE(disk->device.pages[1].current[2] & 0x04);
}

TEST(PassthroughManager, CheckConditionsBringTheirSense) {
  FakeSystem system(pt::fake::standardMachine());
  pt::Manager m(system);
  Buffer data(0);
  // The SATA disk behind the HBA has no defect lists to read.
  Sent s = send(m, kSas, 1, scsi::readDefectData(scsi::DefectList::Primary), data.get());
  EXPECT_EQ(s.block.header.status, scsi::kStatusError);
  EXPECT_EQ(s.block.targetStatus, scsi::kTargetCheckCondition);
  EXPECT_EQ(s.block.adapterStatus, 0);
  EXPECT_EQ(s.block.senseArea[0], 0x70);
  EXPECT_EQ(s.block.senseArea[2], 0x05);
  EXPECT_EQ(s.block.senseArea[12], 0x20);
  EXPECT_EQ(s.block.senseArea[14], 0);  // a sense length of 14
}

TEST(PassthroughManager, LargeDisksAnswerReadCapacity16) {
  FakeSystem system(pt::fake::standardMachine());
  pt::Manager m(system);
  Buffer data(0);
  Sent s = send(m, kSas, 0, scsi::readCapacity(), data.get());
  EXPECT_EQ(scsi::be32(data.get()), 0xFFFFFFFFu);
  s = send(m, kSas, 0, scsi::readCapacity16(), data.get());
  ASSERT_EQ(s.block.header.status, scsi::kStatusDone);
  EXPECT_EQ(s.block.cdbLength, 16);
  EXPECT_EQ(scsi::be32(data.get()), 1u);
  EXPECT_EQ(scsi::be32(data.get() + 4), 0x05EFFFFFu);  // 4394582015 = 1_05EFFFFFh
  EXPECT_EQ(scsi::be32(data.get() + 8), 4096u);
  EXPECT_EQ(passThroughCalls(system).back().input[6], 16);  // CdbLength
}

TEST(PassthroughManager, RequestsRefusedBeforeAnyDriver) {
  FakeSystem system(pt::fake::standardMachine());
  pt::Manager m(system);
  Buffer data(0);
  scsi::ExecCommandBlock b;
  scsi::fillExecBlock(b, kAdapterCount, 0, scsi::inquiry(), data.get());
  EXPECT_EQ(m.refusal(b), pt::kStatusInvalidAdapter);
  EXPECT_EQ(m.execute(b).status, pt::kStatusInvalidAdapter);
  scsi::fillExecBlock(b, kSas, 0, scsi::inquiry(), data.get());
  EXPECT_EQ(m.refusal(b), 0);
  b.header.flags = scsi::kFlagPostEvent | scsi::kFlagDataIn | scsi::kFlagDataOut;
  EXPECT_EQ(m.refusal(b), pt::kStatusInvalidRequest);
  b.header.flags = scsi::kFlagPostEvent;
  EXPECT_EQ(m.refusal(b), pt::kStatusInvalidRequest);
  b.dataLength = 0;
  EXPECT_EQ(m.refusal(b), 0);  // no data, no direction needed
  scsi::fillExecBlock(b, kSas, 0, scsi::inquiry(), nullptr);
  EXPECT_EQ(m.refusal(b), pt::kStatusInvalidRequest);
  scsi::fillExecBlock(b, kSas, 0, scsi::inquiry(), data.get());
  b.cdbLength = 17;
  EXPECT_EQ(m.refusal(b), pt::kStatusInvalidRequest);
  b.cdbLength = 0;
  EXPECT_EQ(m.execute(b).status, pt::kStatusInvalidRequest);
  EXPECT_TRUE(passThroughCalls(system).empty());
}

TEST(PassthroughManager, WithoutRightsTheManagerSaysSoAndListsNothing) {
  FakeSystem system(pt::fake::standardMachine());
  system.denyReadWrite(true);
  pt::Manager m(system);
  EXPECT_EQ(m.supportInfo(), uint32_t{pt::kManagerStatusNoRights} << 8);
  EXPECT_TRUE(m.adapters().empty());
  // The class devices tell their addresses without rights; the ports they name, which
  // refused, are not made up from them.
  EXPECT_FALSE(m.classDevices().empty());

  // No ports at all is not a matter of rights.
  pt::fake::Machine none;
  FakeSystem empty(none);
  pt::Manager nothing(empty);
  EXPECT_EQ(nothing.supportInfo(), 0x0100u);
}

TEST(PassthroughManager, PortsFoundWithoutTheDeviceMap) {
  pt::fake::Machine machine = pt::fake::standardMachine();
  machine.hasDeviceMap = false;
  FakeSystem system(machine);
  pt::Manager m(system);
  ASSERT_EQ(m.adapters().size(), size_t{kAdapterCount});
  // No driver names: identifiers from the device nodes' services, or the bus type.
  EXPECT_EQ(text(inquire(m, kSas).adapterIdentifier), "sashba");
  EXPECT_EQ(inquire(m, kMaker).adapterUnique[15], 0);  // its node cannot be told apart
  EXPECT_EQ(text(inquire(m, kMaker).adapterIdentifier), "SCSI PORT");
}

TEST(PassthroughManager, PortsThatDoNotListTheirBuses) {
  pt::fake::Machine machine = pt::fake::standardMachine();
  machine.ports[1].listsBuses = false;
  machine.ports[1].answersCapabilities = false;
  machine.deviceMap[3].driver = "a-driver-with-a-long-name";
  FakeSystem system(machine);
  pt::Manager m(system);
  const std::vector<pt::ManagedAdapter>& a = m.adapters();
  ASSERT_EQ(a.size(), size_t{kAdapterCount});
  EXPECT_FALSE(a[kSas].unitsKnown);
  EXPECT_EQ(a[kSas].initiatorId, pt::kDefaultInitiatorId);
  // The descriptor stands in for the capabilities.
  EXPECT_TRUE(a[kSas].limits.known);
  EXPECT_EQ(a[kSas].limits.maxTransfer, 0x100000u);
  EXPECT_EQ(text(inquire(m, kSas).adapterIdentifier), "a-driver-with-a-");
  // Every target is asked: the devices answer, the rest is not there.
  Buffer data(0);
  EXPECT_EQ(send(m, kSas, 3, scsi::inquiry(), data.get()).block.header.status, scsi::kStatusDone);
  Sent s = send(m, kSas, 6, scsi::inquiry(), data.get());
  EXPECT_EQ(s.block.adapterStatus, scsi::kHaSelectionTimeout);
  EXPECT_EQ(passThroughCalls(system).back().path, "\\\\.\\Scsi1:");
}

TEST(PassthroughManager, LongBusListsAreReadWhole) {
  pt::fake::Machine machine = pt::fake::standardMachine();
  std::vector<pt::fake::Unit>& units = machine.ports[1].buses[0].units;
  const pt::fake::Unit processor = units[3];
  for (uint8_t lun = 1; lun < 200; ++lun) {
    units.push_back(processor);
    units.back().lun = lun;
  }
  FakeSystem system(machine);
  pt::Manager m(system);
  EXPECT_EQ(m.adapters()[kSas].units.size(), 203u);
}

TEST(PassthroughManager, HandlesAreClosedWithTheManager) {
  FakeSystem system(pt::fake::standardMachine());
  {
    pt::Manager m(system);
    Buffer data(0);
    send(m, kSas, 0, scsi::inquiry(), data.get());
    send(m, kSas, 3, scsi::inquiry(), data.get());
    // The four ports and the disk, held for commands; the queries' handles are gone.
    EXPECT_EQ(system.openHandles(), 5u);
  }
  EXPECT_EQ(system.openHandles(), 0u);
}

}  // namespace

// The suite reaches the maker's miniport driver past the manager, on the port's own
// device: the fake's port of that driver answers, the others refuse.
TEST(PassthroughFake, TheMakersPortAnswersMiniportRequests) {
  FakeSystem system(pt::fake::standardMachine());
  EXPECT_EQ(pt::nt::kIoctlScsiMiniport, scsi::kIoctlScsiMiniport);
  uint32_t error = 0;
  const pt::Handle port = system.open("\\\\.\\Scsi2:", pt::Access::ReadWrite, error);
  ASSERT_NE(port, 0u);

  scsi::MiniportRequest r;
  scsi::makeEepromReadRequest(r, scsi::kEepromChannelB);
  pt::IoResult io = system.control(port, pt::nt::kIoctlScsiMiniport, &r, sizeof r, &r, sizeof r);
  ASSERT_TRUE(io.ok);
  EXPECT_EQ(io.returned, sizeof r);
  EXPECT_EQ(r.completionStatus, scsi::kMiniportStatusOk);
  EXPECT_EQ(r.data[12], 0x3F);  // channel B's block, not A's
  EXPECT_EQ(r.data[63], 0x9D);

  // The disk at target 4 runs at 160 MB/s, doubled.
  scsi::makeRateRequest(r, 4, scsi::kOpRate, 0);
  io = system.control(port, pt::nt::kIoctlScsiMiniport, &r, scsi::kRateRequestSize, &r, scsi::kRateRequestSize);
  ASSERT_TRUE(io.ok);
  EXPECT_EQ(r.completionStatus, scsi::kMiniportStatusOk);
  EXPECT_EQ(r.parameter1, 1600u);
  scsi::makeRateRequest(r, 5, scsi::kOpRate, 0);  // nobody there
  ASSERT_TRUE(system.control(port, pt::nt::kIoctlScsiMiniport, &r, scsi::kRateRequestSize, &r,
                             scsi::kRateRequestSize).ok);
  EXPECT_NE(r.completionStatus, scsi::kMiniportStatusOk);

  // Another driver's port does not know the request; a handle without data access may
  // not send it.
  const pt::Handle sas = system.open("\\\\.\\Scsi1:", pt::Access::ReadWrite, error);
  scsi::makeEepromReadRequest(r, scsi::kEepromChannelA);
  io = system.control(sas, pt::nt::kIoctlScsiMiniport, &r, sizeof r, &r, sizeof r);
  EXPECT_FALSE(io.ok);
  EXPECT_EQ(io.error, pt::nt::error::kInvalidFunction);
  const pt::Handle query = system.open("\\\\.\\Scsi2:", pt::Access::Query, error);
  io = system.control(query, pt::nt::kIoctlScsiMiniport, &r, sizeof r, &r, sizeof r);
  EXPECT_FALSE(io.ok);
  EXPECT_EQ(io.error, pt::nt::error::kAccessDenied);
}

TEST(PassthroughManager, UnderWineTheOpticalDrivesPortIsKnownByTheDrive) {
  FakeSystem system(pt::fake::wineMachine());
  pt::Manager m(system);
  // No \\.\Scsi0: to open: the drive letter names port 0, bus 1, and is its only unit.
  ASSERT_EQ(m.supportInfo(), 0x0101u);
  const pt::ManagedAdapter& a = m.adapters()[0];
  EXPECT_EQ(a.port, 0);
  EXPECT_EQ(a.path, 1);
  EXPECT_EQ(text(inquire(m, 0).adapterIdentifier), "sr");
  EXPECT_EQ(inquire(m, 0).adapterUnique[15], 0);  // no device node, no PCI location
  ASSERT_EQ(m.classDevices().size(), 1u);
  EXPECT_EQ(m.classDevices()[0].path, "\\\\.\\D:");

  Buffer data(0);
  Sent s = send(m, 0, 0, scsi::inquiry(), data.get());
  EXPECT_EQ(s.block.header.status, scsi::kStatusDone);
  EXPECT_EQ(0, std::memcmp(data.get() + 8, "ORBITEK DVD-RW DH8A3S", 21));
  // Limits unknown: through a copy, on the drive itself.
  const FakeSystem::Call call = passThroughCalls(system).back();
  EXPECT_EQ(call.path, "\\\\.\\D:");
  EXPECT_EQ(call.code, pt::nt::kIoctlScsiPassThrough);
  s = send(m, 0, 1, scsi::inquiry(), data.get());
  EXPECT_EQ(s.block.adapterStatus, scsi::kHaSelectionTimeout);
}
