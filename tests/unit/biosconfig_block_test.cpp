// The configuration block in the record: where each channel's block and the card flags
// lie, the checksum, the BIOS generation tests, the card lists and the boot settings
// shared between adapters, and the snapshot that Cancel puts back.
#include <gtest/gtest.h>

#include <cstring>

#include "biosconfig/config_logic.h"
#include "tests/unit/biosconfig_fixture.h"

namespace {

using namespace bios;
using biostest::Adapters;

TEST(BiosconfigBlock, EachFunctionEditsItsOwnChannelBlock) {
  Adapters a(3);
  a[1].pciFunction = 1;
  a[2].pciFunction = 2;  // any other function is channel B too
  configBlock(a[0]).hostIdByte = 0xA5;
  configBlock(a[1]).hostIdByte = 0x5A;
  configBlock(a[2]).bootByte = 0x31;
  EXPECT_EQ(a[0].eepromImage[36], 0xA5);
  EXPECT_EQ(a[0].eepromImage[64 + 36], 0);
  EXPECT_EQ(a[1].eepromImage[64 + 36], 0x5A);
  EXPECT_EQ(a[1].eepromImage[36], 0);
  EXPECT_EQ(a[2].eepromImage[64 + 39], 0x31);

  // A word is little-endian in the image.
  configBlock(a[1]).deviceWords[15] = 0x1234;
  EXPECT_EQ(a[1].eepromImage[64 + 30], 0x34);
  EXPECT_EQ(a[1].eepromImage[64 + 31], 0x12);
}

TEST(BiosconfigBlock, CardFlagsPlacements) {
  Adapters a(1);
  a[0].pciFunction = 0;
  EXPECT_EQ(cardFlagsOffset(a[0]), 128u);
  a[0].pciFunction = 1;
  EXPECT_EQ(cardFlagsOffset(a[0]), 192u);
  a[0].eepromImageSize = 128;
  EXPECT_EQ(cardFlagsOffset(a[0]), 192u);  // function 1 ignores the size
  a[0].pciFunction = 3;
  EXPECT_EQ(cardFlagsOffset(a[0]), 64u);
  a[0].eepromImageSize = 0;
  EXPECT_EQ(cardFlagsOffset(a[0]), 128u);
  cardFlags(a[0]) = kBootCard;
  EXPECT_EQ(a[0].eepromImage[128], kBootCard);
}

TEST(BiosconfigBlock, ChecksumSumsWordsZeroToThirtyModulo65536) {
  EepromConfig block;
  std::memset(&block, 0xFF, sizeof block);
  EXPECT_EQ(blockChecksum(block), 0xFFE1);  // 31 x 0xFFFF
  std::memset(&block, 0, sizeof block);
  block.deviceWords[0] = 0x0102;
  block.biosVersionWord = 0x0300;
  block.signatureWord = 0x0400;
  block.checksumWord = 0x7777;  // word 31 is not summed
  recomputeChecksum(block);
  EXPECT_EQ(block.checksumWord, 0x0102 + 0x0300 + 0x0400);
}

TEST(BiosconfigBlock, BiosGenerationTests) {
  EepromConfig block = {};
  struct Case {
    uint16_t version, signature;
    bool bios3x, newest, from300, qualifies;
  } cases[] = {
      {0x0257, 0x0000, false, false, false, false}, {0x0300, 0x0000, true, false, true, true},
      {0x0350, 0x03FF, true, false, true, true},     {0x0351, 0x0000, false, false, true, false},
      {0x0400, 0x0400, false, true, true, true},     {0x0100, 0xFFFF, false, true, false, true},
  };
  for (const Case& c : cases) {
    block.biosVersionWord = c.version;
    block.signatureWord = c.signature;
    EXPECT_EQ(hasBios3x(block), c.bios3x) << std::hex << c.version;
    EXPECT_EQ(hasNewestLayout(block), c.newest) << std::hex << c.signature;
    EXPECT_EQ(hasBios300OrLater(block), c.from300) << std::hex << c.version;
    EXPECT_EQ(qualifiesForCardChoice(block), c.qualifies) << std::hex << c.version;
  }
}

// Adapters: 0 BIOS 2.57, 1 BIOS 3.10, 2 BIOS 3.60 (above 3.x), 3 newest layout, 4 BIOS 3.00.
Adapters cardBus() {
  Adapters a(5);
  a.block(0).biosVersionWord = 0x0257;
  a.block(1).biosVersionWord = 0x0310;
  a.block(2).biosVersionWord = 0x0360;
  a.block(3).biosVersionWord = 0x0200;
  a.block(3).signatureWord = 0x0400;
  a.block(4).biosVersionWord = 0x0300;
  return a;
}

TEST(BiosconfigBlock, CardListsAndMarkingUseOneNumbering) {
  Adapters a = cardBus();
  EXPECT_EQ(qualifyingLabels(a[0]), (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(cardIndex(a[0], kMasterCard), 0);  // nobody marked: the first item
  for (int k = 0; k < 3; ++k) {
    markCard(a[1], kMasterCard, k);
    EXPECT_EQ(cardIndex(a[1], kMasterCard), k);
    const int marked[] = {1, 3, 4};
    for (int i = 0; i < a.n; ++i)
      EXPECT_EQ((cardFlags(a[i]) & kMasterCard) != 0, i == marked[k]) << k << " " << i;
  }
  // The adapter above 3.50 is never marked, and loses a stale mark.
  cardFlags(a[2]) |= kBootCard;
  markCard(a[1], kBootCard, 1);
  EXPECT_EQ(cardFlags(a[2]) & kBootCard, 0);
  EXPECT_EQ(cardFlags(a[3]), kBootCard);
  EXPECT_EQ(cardFlags(a[4]), kMasterCard);
  EXPECT_EQ(cardIndex(a[1], kBootCard), 1);
  // Other bits of the flags byte stay.
  cardFlags(a[4]) = 0xF0;
  markCard(a[1], kMasterCard, 2);
  EXPECT_EQ(cardFlags(a[4]), 0xF1);
}

TEST(BiosconfigBlock, BootLunGoesToEveryBios300AdapterWithChecksums) {
  Adapters a = cardBus();
  for (int i = 0; i < a.n; ++i) {
    a.block(i).bootByte = 0x21;
    recomputeChecksum(a.block(i));
  }
  const uint16_t old0 = a.block(0).checksumWord;
  writeBootLun(a[1], 3);
  EXPECT_EQ(a.block(0).bootByte, 0x21);  // BIOS 2.57 keeps its own value
  EXPECT_EQ(a.block(0).checksumWord, old0);
  EXPECT_EQ(a.block(3).bootByte, 0x21);  // the newest layout with an old BIOS word
  for (int i : {1, 2, 4}) {
    EXPECT_EQ(a.block(i).bootByte, 0x23) << i;
    EXPECT_EQ(a.block(i).checksumWord, blockChecksum(a.block(i))) << i;
  }
  writeBootTarget(a[1], 12);
  EXPECT_EQ(a.block(2).bootByte, 0xC3);
  EXPECT_EQ(a.block(2).checksumWord, blockChecksum(a.block(2)));

  // An adapter below 3.00 changes its own byte only, without a checksum.
  a.block(0).checksumWord = 0x4242;
  writeBootTarget(a[0], 5);
  EXPECT_EQ(a.block(0).bootByte, 0x51);
  EXPECT_EQ(a.block(0).checksumWord, 0x4242);
  EXPECT_EQ(a.block(1).bootByte, 0xC3);
  // Items beyond the lists change nothing.
  writeBootLun(a[1], 8);
  writeBootTarget(a[1], 16);
  EXPECT_EQ(a.block(1).bootByte, 0xC3);
}

TEST(BiosconfigBlock, SnapshotRestoresEveryImageIncludingBootCopies) {
  Adapters a = cardBus();
  a[2].pciFunction = 1;
  for (int i = 0; i < a.n; ++i)
    for (size_t b = 0; b < sizeof a[i].eepromImage; ++b)
      if (b < 40 || b > 41) a[i].eepromImage[b] ^= static_cast<uint8_t>(b * 7 + i);
  Adapters before = cardBus();
  for (int i = 0; i < a.n; ++i) std::memcpy(before[i].eepromImage, a[i].eepromImage, 512);

  ConfigSnapshot snapshot;
  snapshot.take(a[1]);
  EXPECT_EQ(snapshot.size(), 5u * 512);
  writeBootLun(a[1], 6);
  markCard(a[1], kMasterCard, 2);
  configBlock(a[2]).adapterControl ^= 0xFFFF;
  snapshot.restore();
  for (int i = 0; i < a.n; ++i)
    EXPECT_EQ(std::memcmp(a[i].eepromImage, before[i].eepromImage, 512), 0) << i;
}

}  // namespace

namespace {

struct Reader : bios::EepromReader {
  std::vector<int> failing;
  std::vector<int> read_;
  int reports = 0;
  bool read(inv::HostAdapterInfo& a) override {
    read_.push_back(a.adapterNumber);
    for (int f : failing)
      if (f == a.adapterNumber) return false;
    a.eepromImage[0] = 0xEE;
    return true;
  }
  void reportFailure(const inv::HostAdapterInfo& a) override { ++reports; }
};

TEST(BiosconfigReadAll, ReadsExtendedAdaptersAndCountsOnlyTheOwnFailure) {
  Adapters a(4);
  a[0].extendedFeatures = 1;
  a[1].extendedFeatures = 1;
  a[2].extendedFeatures = 0;
  a[3].extendedFeatures = 1;
  Reader reader;
  reader.failing = {3};
  EXPECT_TRUE(bios::eepromReadAll(a[1], reader));  // another adapter's failure is ignored
  EXPECT_EQ(reader.read_, (std::vector<int>{0, 1, 3}));
  EXPECT_EQ(reader.reports, 0);
  EXPECT_EQ(a[2].eepromImage[0], 0);

  Reader own;
  own.failing = {1};
  EXPECT_FALSE(bios::eepromReadAll(a[1], own));
  EXPECT_EQ(own.reports, 1);
  EXPECT_EQ(own.read_, (std::vector<int>{0, 1}));

  // Without extended features the adapter is not read, and that is no failure.
  Reader none;
  none.failing = {2};
  EXPECT_TRUE(bios::eepromReadAll(a[2], none));
  EXPECT_EQ(none.reports, 0);
}

}  // namespace
