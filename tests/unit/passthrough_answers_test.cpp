// Reading what the port and class drivers answer: the bus and unit chains of a port,
// its capabilities and adapter descriptor, a device's address. Answers are written out
// byte by byte here, including the broken ones a driver must never make us misread.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "passthrough/driver_answers.h"
#include "scsi/bytes.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A SCSI_INQUIRY_DATA entry at `at`: path, target, LUN, claimed, next offset, INQUIRY data.
void putEntry(Bytes& b, size_t at, uint8_t path, uint8_t target, uint8_t lun, bool claimed,
              uint32_t next, const Bytes& inquiry) {
  if (b.size() < at + 12 + inquiry.size()) b.resize(at + 12 + inquiry.size());
  b[at] = path, b[at + 1] = target, b[at + 2] = lun, b[at + 3] = claimed ? 1 : 0;
  scsi::putLe32(&b[at + 4], static_cast<uint32_t>(inquiry.size()));
  scsi::putLe32(&b[at + 8], next);
  std::memcpy(&b[at + 12], inquiry.data(), inquiry.size());
}

// SCSI_ADAPTER_BUS_INFO header and one SCSI_BUS_DATA per bus: (unit count, initiator, offset).
Bytes busInfo(std::initializer_list<std::array<uint32_t, 3>> buses) {
  Bytes b(4 + 8 * buses.size(), 0);
  b[0] = static_cast<uint8_t>(buses.size());
  size_t i = 0;
  for (const auto& bus : buses) {
    b[4 + 8 * i] = static_cast<uint8_t>(bus[0]);
    b[5 + 8 * i] = static_cast<uint8_t>(bus[1]);
    scsi::putLe32(&b[8 + 8 * i], bus[2]);
    ++i;
  }
  return b;
}

const Bytes kDisk = {0x00, 0x00, 0x06, 0x12, 0x1F, 0x00, 0x10, 0x02};
const Bytes kTape = {0x01, 0x80, 0x06, 0x02, 0x1F, 0x00, 0x00, 0x02};

// Two buses: bus 0 with a disk at 0 (claimed) and a tape at 2, bus 1 with nothing.
Bytes twoBuses() {
  Bytes b = busInfo({{2, 7, 0x18}, {0, 7, 0}});
  putEntry(b, 0x18, 0, 0, 0, true, 0x30, kDisk);
  putEntry(b, 0x30, 0, 2, 0, false, 0, kTape);
  return b;
}

TEST(PassthroughInquiryData, BusesAndUnitsOfAWellFormedAnswer) {
  const Bytes b = twoBuses();
  std::vector<pt::PortBus> buses;
  ASSERT_TRUE(pt::readInquiryData(b.data(), b.size(), buses));
  ASSERT_EQ(buses.size(), 2u);
  EXPECT_EQ(buses[0].pathId, 0);
  EXPECT_EQ(buses[0].initiatorId, 7);
  ASSERT_EQ(buses[0].units.size(), 2u);
  EXPECT_EQ(buses[0].units[0].targetId, 0);
  EXPECT_TRUE(buses[0].units[0].claimed);
  EXPECT_EQ(buses[0].units[0].inquiry, kDisk);
  EXPECT_EQ(buses[0].units[1].targetId, 2);
  EXPECT_FALSE(buses[0].units[1].claimed);
  EXPECT_EQ(buses[0].units[1].inquiry, kTape);
  EXPECT_EQ(buses[1].pathId, 1);
  EXPECT_TRUE(buses[1].units.empty());
}

TEST(PassthroughInquiryData, EveryCutOfTheAnswerIsReadWithinItsBytes) {
  const Bytes full = twoBuses();
  for (size_t n = 0; n <= full.size(); ++n) {
    // Exactly n bytes on the heap, so that a read past them is caught.
    Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
    std::vector<pt::PortBus> buses;
    const bool ok = pt::readInquiryData(cut.data(), cut.size(), buses);
    EXPECT_EQ(ok, n >= 4) << n;
    size_t units = 0;
    for (const pt::PortBus& bus : buses) units += bus.units.size();
    // A unit is taken only when its whole entry arrived.
    EXPECT_EQ(units, n >= 0x30 + 12 + kTape.size() ? 2u : n >= 0x18 + 12 + kDisk.size() ? 1u : 0u) << n;
  }
}

TEST(PassthroughInquiryData, ChainsThatLoopOrRunOutEndThere) {
  // Each entry points at the other: two units, then the chain comes back and ends.
  Bytes loop = busInfo({{200, 7, 0x10}});
  putEntry(loop, 0x10, 0, 1, 0, false, 0x28, kDisk);
  putEntry(loop, 0x28, 0, 2, 0, false, 0x10, kDisk);
  std::vector<pt::PortBus> buses;
  ASSERT_TRUE(pt::readInquiryData(loop.data(), loop.size(), buses));
  ASSERT_EQ(buses[0].units.size(), 2u);

  // An entry pointing at itself.
  Bytes self = busInfo({{5, 7, 0x10}});
  putEntry(self, 0x10, 0, 1, 0, false, 0x10, kDisk);
  ASSERT_TRUE(pt::readInquiryData(self.data(), self.size(), buses));
  EXPECT_EQ(buses[0].units.size(), 1u);

  // The unit count ends a chain that goes on.
  Bytes counted = busInfo({{1, 7, 0x10}});
  putEntry(counted, 0x10, 0, 1, 0, false, 0x28, kDisk);
  putEntry(counted, 0x28, 0, 2, 0, false, 0, kDisk);
  ASSERT_TRUE(pt::readInquiryData(counted.data(), counted.size(), buses));
  EXPECT_EQ(buses[0].units.size(), 1u);

  // Offsets and lengths beyond the answer, and offsets that wrap around.
  for (uint32_t next : {0x1000u, 0xFFFFFFF0u, 0xFFFFFFFFu}) {
    Bytes far = busInfo({{3, 7, 0x10}});
    putEntry(far, 0x10, 0, 1, 0, false, next, kDisk);
    ASSERT_TRUE(pt::readInquiryData(far.data(), far.size(), buses));
    EXPECT_EQ(buses[0].units.size(), 1u) << next;
  }
  Bytes longData = busInfo({{1, 7, 0x10}});
  putEntry(longData, 0x10, 0, 1, 0, false, 0, kDisk);
  scsi::putLe32(&longData[0x14], 0xFFFFFFF8u);
  ASSERT_TRUE(pt::readInquiryData(longData.data(), longData.size(), buses));
  EXPECT_TRUE(buses[0].units.empty());
}

TEST(PassthroughInquiryData, StrayAndRepeatedUnitsAreDropped) {
  Bytes b = busInfo({{3, 7, 0x10}});
  putEntry(b, 0x10, 0, 1, 0, false, 0x28, kDisk);
  putEntry(b, 0x28, 1, 2, 0, false, 0x40, kDisk);  // says it is on bus 1
  putEntry(b, 0x40, 0, 1, 0, true, 0, kTape);      // target 1 again
  std::vector<pt::PortBus> buses;
  ASSERT_TRUE(pt::readInquiryData(b.data(), b.size(), buses));
  ASSERT_EQ(buses[0].units.size(), 1u);
  EXPECT_EQ(buses[0].units[0].inquiry, kDisk);

  // More buses announced than the answer holds: those that fit.
  Bytes many = busInfo({{0, 7, 0}, {0, 6, 0}});
  many[0] = 9;
  ASSERT_TRUE(pt::readInquiryData(many.data(), many.size(), buses));
  EXPECT_EQ(buses.size(), 2u);
  EXPECT_FALSE(pt::readInquiryData(many.data(), 3, buses));
  EXPECT_FALSE(pt::readInquiryData(nullptr, 100, buses));
}

TEST(PassthroughDriverAnswers, CapabilitiesNeedTheirAlignmentMask) {
  Bytes c(24, 0);
  scsi::putLe32(&c[0], 24);
  scsi::putLe32(&c[4], 0x20000);
  scsi::putLe32(&c[16], 0x1FF);
  pt::Limits l = pt::readCapabilities(c.data(), c.size());
  EXPECT_TRUE(l.known);
  EXPECT_EQ(l.maxTransfer, 0x20000u);
  EXPECT_EQ(l.alignmentMask, 0x1FFu);
  EXPECT_FALSE(pt::readCapabilities(c.data(), 19).known);
  scsi::putLe32(&c[0], 16);  // its own length stops short of the mask
  EXPECT_FALSE(pt::readCapabilities(c.data(), c.size()).known);
}

TEST(PassthroughDriverAnswers, AdapterDescriptorAsFarAsItReaches) {
  Bytes d(32, 0);
  scsi::putLe32(&d[0], 32);
  scsi::putLe32(&d[4], 32);
  scsi::putLe32(&d[8], 0x10000);
  scsi::putLe32(&d[16], 3);
  d[24] = 0x0A;
  pt::AdapterDescriptor a = pt::readAdapterDescriptor(d.data(), d.size());
  EXPECT_TRUE(a.limits.known);
  EXPECT_EQ(a.limits.maxTransfer, 0x10000u);
  EXPECT_EQ(a.limits.alignmentMask, 3u);
  EXPECT_TRUE(a.hasBusType);
  EXPECT_EQ(a.busType, 0x0A);
  // Cut by the answer, or by its own size field: the bus type is beyond.
  a = pt::readAdapterDescriptor(d.data(), 24);
  EXPECT_TRUE(a.limits.known);
  EXPECT_FALSE(a.hasBusType);
  scsi::putLe32(&d[4], 12);
  a = pt::readAdapterDescriptor(d.data(), d.size());
  EXPECT_FALSE(a.limits.known);
  EXPECT_FALSE(a.hasBusType);
  EXPECT_FALSE(pt::readAdapterDescriptor(d.data(), 7).limits.known);
}

TEST(PassthroughDriverAnswers, AddressOfADevice) {
  const Bytes a = {0x08, 0x00, 0x00, 0x00, 0x03, 0x01, 0x05, 0x02};
  pt::Address address;
  ASSERT_TRUE(pt::readAddress(a.data(), a.size(), address));
  EXPECT_EQ(address.port, 3);
  EXPECT_EQ(address.path, 1);
  EXPECT_EQ(address.target, 5);
  EXPECT_EQ(address.lun, 2);
  EXPECT_FALSE(pt::readAddress(a.data(), 7, address));
  Bytes shortLength = a;
  shortLength[0] = 4;
  EXPECT_FALSE(pt::readAddress(shortLength.data(), shortLength.size(), address));
}

}  // namespace
