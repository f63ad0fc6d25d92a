// What the device General page works out from INQUIRY and READ CAPACITY answers.
#include <gtest/gtest.h>

#include <string>

#include "devsheet/devsheet_res.h"
#include "devsheet/general_info.h"

namespace {

TEST(DevsheetGeneralInfo, CapacityOnlyForBlockDevicesWhateverTheQualifier) {
  for (int type = 0; type < 0x20; ++type) {
    const bool expected = type == 0 || type == 4 || type == 5 || type == 7;
    EXPECT_EQ(dev::hasCapacity(static_cast<uint8_t>(type)), expected) << type;
    // The peripheral qualifier (bits 5-7) does not change the type.
    EXPECT_EQ(dev::hasCapacity(static_cast<uint8_t>(0x60 | type)), expected) << type;
  }
}

// Megabytes of a READ CAPACITY(10) answer.
std::string megabytes10(const uint8_t* answer, size_t size) {
  dev::Capacity c;
  return dev::capacityFrom10(answer, size, c) ? dev::megabytesDigits(c) : "none";
}

TEST(DevsheetGeneralInfo, MegabytesFromTheAnswer) {
  const uint8_t disk[8] = {0x00, 0x21, 0xE3, 0xFF, 0x00, 0x00, 0x02, 0x00};
  EXPECT_EQ(megabytes10(disk, sizeof disk), "1084");
  // A CD-ROM of 333000 blocks of 2048 bytes: last block 332999.
  const uint8_t cd[8] = {0x00, 0x05, 0x14, 0xC7, 0x00, 0x00, 0x08, 0x00};
  EXPECT_EQ(megabytes10(cd, sizeof cd), "650");
  const uint8_t zero[8] = {};
  EXPECT_EQ(megabytes10(zero, sizeof zero), "0");
  dev::Capacity c;
  ASSERT_TRUE(dev::capacityFrom10(disk, sizeof disk, c));
  EXPECT_EQ(dev::megabytesText("%lu MBytes", c), "1084 MBytes");
}

TEST(DevsheetGeneralInfo, LargeAnswersDoNotWrap) {
  // 2 TB of 4096-byte blocks: (0x3FFFFF * 4096) >> 10 needs more than 32 bits in between.
  const uint8_t big[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x10, 0x00};
  EXPECT_EQ(megabytes10(big, sizeof big), std::to_string(0x3FFFFFu * 4u));
  // A nonsense block length gives its true (large) number, not a small one.
  const uint8_t odd[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(megabytes10(odd, sizeof odd), "17592181846016");
  // A short answer is no answer.
  EXPECT_EQ(megabytes10(big, 7), "none");
  EXPECT_EQ(megabytes10(nullptr, 8), "none");
}

TEST(DevsheetGeneralInfo, DisksAbove2TBTellTheirSizeThroughReadCapacity16) {
  dev::Capacity c;
  const uint8_t capped[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x02, 0x00};
  ASSERT_TRUE(dev::capacityFrom10(capped, sizeof capped, c));
  EXPECT_TRUE(dev::needsCapacity16(c));
  const uint8_t below[8] = {0xFF, 0xFF, 0xFF, 0xFE, 0x00, 0x00, 0x02, 0x00};
  ASSERT_TRUE(dev::capacityFrom10(below, sizeof below, c));
  EXPECT_FALSE(dev::needsCapacity16(c));

  // 4 TB of 512-byte blocks (7814037168) and 18 TB of 4096-byte blocks (4394582016).
  const uint8_t fourTB[32] = {0x00, 0x00, 0x00, 0x01, 0xD1, 0xC0, 0xBE, 0xAF, 0x00, 0x00, 0x02, 0x00};
  ASSERT_TRUE(dev::capacityFrom16(fourTB, sizeof fourTB, c));
  EXPECT_EQ(c.lastBlock, 7814037167ull);
  EXPECT_EQ(dev::megabytesText("%lu MBytes", c), "3815447 MBytes");
  const uint8_t eighteenTB[12] = {0x00, 0x00, 0x00, 0x01, 0x05, 0xEF, 0xFF, 0xFF, 0x00, 0x00, 0x10, 0x00};
  ASSERT_TRUE(dev::capacityFrom16(eighteenTB, sizeof eighteenTB, c));
  EXPECT_EQ(dev::megabytesText("%lu MBytes", c), "17166332 MBytes");
  EXPECT_FALSE(dev::capacityFrom16(eighteenTB, 11, c));

  // The largest answers: 2^64 - 1 blocks of 2^32 - 1 bytes, beyond 64 bits in megabytes.
  const uint8_t most[12] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  ASSERT_TRUE(dev::capacityFrom16(most, sizeof most, c));
  EXPECT_EQ(dev::megabytesDigits(c), "75557863708322133180416");
  // Each limb carries into the next.
  c.lastBlock = 0x003FFFFFFFFFFC00ull;
  c.blockLength = 0xFFFFFFFF;
  EXPECT_EQ(dev::megabytesDigits(c), "73786976277654142976");
}

TEST(DevsheetGeneralInfo, InquiryCharacteristics) {
  EXPECT_EQ(dev::ansiVersion(0x02), 2);
  EXPECT_FALSE(dev::isoCompliant(0x02));
  EXPECT_EQ(dev::ansiVersion(0x82), 2);
  EXPECT_TRUE(dev::isoCompliant(0x82));
  EXPECT_EQ(dev::ansiVersion(0x0B), 3);  // only bits 0-2
  for (int b = 0; b < 256; ++b) {
    const bool iso = b == 0x80 || b == 0x82 || b == 0x83 || b == 0x84;
    EXPECT_EQ(dev::isoCompliant(static_cast<uint8_t>(b)), iso) << b;
  }
  EXPECT_TRUE(dev::removableMedium(0x80));
  EXPECT_TRUE(dev::removableMedium(0xFF));
  EXPECT_FALSE(dev::removableMedium(0x7F));
}

TEST(DevsheetGeneralInfo, PicturePairs) {
  struct Row {
    uint8_t type;
    uint16_t plain, dib;
  };
  const Row rows[] = {{0, 1045, 1047}, {1, 1050, 1051},  {2, 1054, 1055},  {3, 1056, 1057},
                      {4, 1058, 1059}, {5, 1048, 1049},  {6, 1052, 1053},  {7, 1056, 1057},
                      {8, 1056, 1057}, {12, 1056, 1057}, {31, 1056, 1057}, {255, 1056, 1057}};
  for (const Row& r : rows) {
    EXPECT_EQ(dev::devicePicture(r.type).plain16, r.plain) << int(r.type);
    EXPECT_EQ(dev::devicePicture(r.type).dib256, r.dib) << int(r.type);
  }
}

TEST(DevsheetGeneralInfo, RateNumberHasOneDecimal) {
  EXPECT_EQ(dev::rateNumber(1600), "160.0");
  EXPECT_EQ(dev::rateNumber(3200), "320.0");
  EXPECT_EQ(dev::rateNumber(133), "13.3");
  EXPECT_EQ(dev::rateNumber(5), "0.5");
  EXPECT_EQ(dev::rateNumber(0), "0.0");
  EXPECT_EQ(dev::rateNumber(0xFFFFFFFFu), "429496729.5");
}

}  // namespace
