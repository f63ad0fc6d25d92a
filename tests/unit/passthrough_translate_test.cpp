// The pass-through structures built for a 32-bit and a 64-bit process, byte by byte, the
// driver's answer read within its bounds, and the manager's answer made from it or from
// a Windows error.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "passthrough/nt_layout.h"
#include "passthrough/translate.h"

namespace {

using Bytes = std::vector<uint8_t>;

// READ CAPACITY(16) of target 5, LUN 0 on path 1: 32 bytes in.
pt::PassThroughRequest readCapacity16() {
  pt::PassThroughRequest r;
  r.pathId = 1;
  r.targetId = 5;
  r.lun = 0;
  r.cdbLength = 16;
  const uint8_t cdb[16] = {0x9E, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0, 0};
  std::memcpy(r.cdb, cdb, sizeof cdb);
  r.dataIn = pt::nt::kDataIn;
  r.dataLength = 32;
  return r;
}

const Bytes kCdb = {0x9E, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0, 0};

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(PassthroughStructures, BufferedRequestOfA32BitProcess) {
  const Bytes b = pt::buildPassThrough(pt::Width::Bits32, readCapacity16(), false, 0);
  // 44-byte structure, 32 bytes of sense at 44, the data at 80 (8-byte aligned).
  const Bytes header = {0x2C, 0x00, 0x00, 0x01, 0x05, 0x00, 0x10, 0x20, 0x01, 0, 0, 0,
                        0x20, 0, 0, 0,      // DataTransferLength
                        0x08, 0, 0, 0,      // TimeOutValue
                        0x50, 0, 0, 0,      // DataBufferOffset
                        0x2C, 0, 0, 0};     // SenseInfoOffset
  EXPECT_EQ(b, concat({header, kCdb, Bytes(32 + 4 + 32, 0)}));
  const pt::PassThroughLayout l = pt::passThroughLayout(pt::Width::Bits32, false, 32);
  EXPECT_EQ(l.senseOffset, 44u);
  EXPECT_EQ(l.dataOffset, 80u);
  EXPECT_EQ(l.total, 112u);
}

TEST(PassthroughStructures, BufferedRequestOfA64BitProcess) {
  const Bytes b = pt::buildPassThrough(pt::Width::Bits64, readCapacity16(), false, 0);
  // 56-byte structure: the offset is pointer-sized at 24, sense offset at 32, CDB at 36.
  const Bytes header = {0x38, 0x00, 0x00, 0x01, 0x05, 0x00, 0x10, 0x20, 0x01, 0, 0, 0,
                        0x20, 0, 0, 0,  0x08, 0, 0, 0,  0, 0, 0, 0,
                        0x58, 0, 0, 0, 0, 0, 0, 0,   // DataBufferOffset
                        0x38, 0, 0, 0};              // SenseInfoOffset
  EXPECT_EQ(b, concat({header, kCdb, Bytes(4 + 32 + 32, 0)}));
  EXPECT_EQ(pt::passThroughLayout(pt::Width::Bits64, false, 32).dataOffset, 88u);
}

TEST(PassthroughStructures, DirectRequestsCarryTheBufferAddress) {
  pt::PassThroughRequest r = readCapacity16();
  Bytes b = pt::buildPassThrough(pt::Width::Bits32, r, true, 0x12345678u);
  ASSERT_EQ(b.size(), 44u + 32u);
  EXPECT_EQ(Bytes(b.begin() + 20, b.begin() + 28), (Bytes{0x78, 0x56, 0x34, 0x12, 0x2C, 0, 0, 0}));
  b = pt::buildPassThrough(pt::Width::Bits64, r, true, 0x00007FF612345678ull);
  ASSERT_EQ(b.size(), 56u + 32u);
  EXPECT_EQ(Bytes(b.begin() + 20, b.begin() + 36),
            (Bytes{0, 0, 0, 0, 0x78, 0x56, 0x34, 0x12, 0xF6, 0x7F, 0, 0, 0x38, 0, 0, 0}));
  // A 64-bit address cannot go into a 32-bit structure.
  EXPECT_TRUE(pt::buildPassThrough(pt::Width::Bits32, r, true, 0x100000000ull).empty());
  // A write: data out, and no data at all.
  r.dataIn = pt::nt::kDataOut;
  EXPECT_EQ(pt::buildPassThrough(pt::Width::Bits32, r, true, 0x1000)[8], 0);
  r.dataIn = pt::nt::kDataUnspecified;
  r.dataLength = 0;
  b = pt::buildPassThrough(pt::Width::Bits64, r, false, 0);
  EXPECT_EQ(b[8], 2);
  EXPECT_EQ(b.size(), 88u);  // the data offset points at the end
}

TEST(PassthroughStructures, TheReplyIsReadWithinTheBuffer) {
  for (pt::Width w : {pt::Width::Bits32, pt::Width::Bits64}) {
    const pt::PassThroughLayout l = pt::passThroughLayout(w, false, 32);
    Bytes b = pt::buildPassThrough(w, readCapacity16(), false, 0);
    b[2] = 0x02;                  // check condition
    b[7] = 18;                    // sense bytes returned
    b[12] = 0x40;                 // more data than asked for
    b[l.senseOffset + 2] = 0x05;  // illegal request
    b[l.senseOffset + 12] = 0x24;
    pt::PassThroughReply reply;
    ASSERT_TRUE(pt::readPassThrough(w, b.data(), b.size(), 32, reply));
    EXPECT_EQ(reply.scsiStatus, 0x02);
    EXPECT_EQ(reply.dataTransferred, 32u);
    ASSERT_EQ(reply.senseLength, 18);
    EXPECT_EQ(reply.sense[2], 0x05);
    EXPECT_EQ(reply.sense[12], 0x24);

    // Sense the driver claims beyond the buffer, or inside the structure, is not taken.
    Bytes shortBuffer(b.begin(), b.begin() + l.senseOffset + 10);
    ASSERT_TRUE(pt::readPassThrough(w, shortBuffer.data(), shortBuffer.size(), 32, reply));
    EXPECT_EQ(reply.senseLength, 0);
    const size_t senseField = w == pt::Width::Bits64 ? 32 : 24;
    b[senseField] = 4;
    ASSERT_TRUE(pt::readPassThrough(w, b.data(), b.size(), 32, reply));
    EXPECT_EQ(reply.senseLength, 0);
    b[senseField] = 0xF0, b[senseField + 1] = 0xFF, b[senseField + 2] = 0xFF, b[senseField + 3] = 0xFF;
    ASSERT_TRUE(pt::readPassThrough(w, b.data(), b.size(), 32, reply));
    EXPECT_EQ(reply.senseLength, 0);

    EXPECT_FALSE(pt::readPassThrough(w, b.data(), l.structSize - 1, 32, reply));
  }
}

TEST(PassthroughAnswers, DeviceStatusAndWindowsErrors) {
  pt::PassThroughReply reply;
  EXPECT_EQ(pt::answerFromReply(reply).status, scsi::kStatusDone);
  reply.scsiStatus = 0x02;
  reply.senseLength = 18;
  reply.sense[2] = 0x06;
  pt::ExecAnswer a = pt::answerFromReply(reply);
  EXPECT_EQ(a.status, scsi::kStatusError);
  EXPECT_EQ(a.targetStatus, 0x02);
  EXPECT_EQ(a.adapterStatus, 0x00);
  EXPECT_EQ(a.sense[2], 0x06);
  reply.scsiStatus = 0x08;
  EXPECT_EQ(pt::answerFromReply(reply).targetStatus, scsi::kTargetBusy);

  struct Row {
    uint32_t error;
    uint8_t status;
    uint8_t adapterStatus;
  };
  const Row rows[] = {
      {pt::nt::error::kSemTimeout, scsi::kStatusAborted, 0x00},
      {pt::nt::error::kDeviceNotConnected, scsi::kStatusError, scsi::kHaSelectionTimeout},
      {pt::nt::error::kFileNotFound, scsi::kStatusError, scsi::kHaSelectionTimeout},
      {pt::nt::error::kBusReset, scsi::kStatusError, scsi::kHaUnexpectedBusFree},
      {pt::nt::error::kIoDevice, scsi::kStatusError, scsi::kHaPhaseSequenceFailure},
      {pt::nt::error::kMoreData, scsi::kStatusError, scsi::kHaDataOverUnderrun},
      // Refusals with no SCSI meaning: a failure, with nothing made up about the bus.
      {pt::nt::error::kAccessDenied, scsi::kStatusError, 0x00},
      {pt::nt::error::kInvalidParameter, scsi::kStatusError, 0x00},
  };
  for (const Row& r : rows) {
    a = pt::answerFromError(r.error);
    EXPECT_EQ(a.status, r.status) << r.error;
    EXPECT_EQ(a.adapterStatus, r.adapterStatus) << r.error;
    EXPECT_EQ(a.targetStatus, 0) << r.error;
  }
  EXPECT_EQ(pt::absentAnswer().adapterStatus, scsi::kHaSelectionTimeout);
}

TEST(PassthroughAnswers, WrittenIntoTheBlockWithinItsSenseLength) {
  scsi::ExecCommandBlock block{};
  block.senseLength = 14;
  block.senseArea[14] = 0xAA;
  pt::ExecAnswer a;
  a.status = scsi::kStatusError;
  a.targetStatus = 0x02;
  a.senseLength = 18;
  for (int i = 0; i < 18; ++i) a.sense[i] = static_cast<uint8_t>(0x70 + i);
  pt::writeAnswer(block, a);
  EXPECT_EQ(block.targetStatus, 0x02);
  EXPECT_EQ(block.senseArea[0], 0x70);
  EXPECT_EQ(block.senseArea[13], 0x70 + 13);
  EXPECT_EQ(block.senseArea[14], 0xAA);
  EXPECT_EQ(block.header.status, scsi::kStatusPending);  // the completion writes it, last
  // A block asking for more sense than its area holds gets the area's 16 bytes.
  block.senseLength = 40;
  pt::writeAnswer(block, a);
  EXPECT_EQ(block.senseArea[15], 0x70 + 15);
}

}  // namespace
