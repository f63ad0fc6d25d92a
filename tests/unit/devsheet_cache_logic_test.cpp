// The R/W Cache page's logic: the MODE SELECT list built from a device's answer, the
// decoded state, and the command sequences of the two switches on a
// fake disk.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "devsheet/cache_logic.h"
#include "tests/unit/devsheet_cache_fake_disk.h"

namespace {

using cachetest::FakeDisk;
using dev::Cache;

// A MODE SENSE answer: header, `descriptor` bytes of block descriptors, the page.
std::vector<uint8_t> answer(uint8_t descriptor, std::vector<uint8_t> page) {
  std::vector<uint8_t> a(4 + descriptor, 0);
  a[3] = descriptor;
  a.insert(a.end(), page.begin(), page.end());
  a[0] = static_cast<uint8_t>(a.size() - 1);
  return a;
}

void toBuffer(const std::vector<uint8_t>& bytes, uint8_t (&buffer)[dev::kModeBufferSize]) {
  std::memset(buffer, 0, sizeof buffer);
  std::memcpy(buffer, bytes.data(), std::min(bytes.size(), sizeof buffer));
}

TEST(DevsheetCacheLogic, ModeSelectListChangesOnlyWhatItMust) {
  uint8_t sensed[dev::kModeBufferSize];
  toBuffer(answer(8, {0x88, 0x0A, 0x15, 0x11, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0x7E, 0x42}), sensed);
  sensed[2] = 0x10;  // device-specific parameter, sent as sensed
  sensed[9] = 0x02;
  sensed[40] = 0xEE;  // past the answer: never sent
  uint8_t list[dev::kModeBufferSize];
  ASSERT_EQ(dev::buildModeSelect(sensed, dev::kCachingPage, 0x14, list), 24);
  EXPECT_EQ(list[0], 0);        // mode data length
  EXPECT_EQ(list[12], 0x08);    // PS clear
  EXPECT_EQ(list[14], 0x14);    // the new bits
  for (size_t i = 1; i < 24; ++i)
    if (i != 12 && i != 14) {
      EXPECT_EQ(list[i], sensed[i]) << i;
    }
  for (size_t i = 24; i < sizeof list; ++i) EXPECT_EQ(list[i], 0) << i;

  uint8_t none[dev::kModeBufferSize];
  toBuffer(answer(8, {}), none);
  std::memset(list, 0xAA, sizeof list);
  EXPECT_EQ(dev::buildModeSelect(none, dev::kCachingPage, 0x04, list), 0);
  for (uint8_t b : list) EXPECT_EQ(b, 0);
}

TEST(DevsheetCacheLogic, StateNeedsBothBitsChangeable) {
  FakeDisk disk;
  dev::ModeBuffers buffers;
  ASSERT_TRUE(dev::readModePage(disk, dev::kCachingPage, buffers));
  dev::CacheState state = dev::decodeCacheState(buffers);
  EXPECT_TRUE(state.available);
  EXPECT_FALSE(state.readEnabled);  // RCD set
  EXPECT_TRUE(state.readDefault);
  EXPECT_FALSE(state.writeEnabled);
  EXPECT_FALSE(state.writeDefault);

  for (uint8_t changeable : std::initializer_list<uint8_t>{0x01, 0x04, 0x00}) {
    disk.caching.changeable[2] = changeable;
    ASSERT_TRUE(dev::readModePage(disk, dev::kCachingPage, buffers));
    EXPECT_FALSE(dev::decodeCacheState(buffers).available) << int(changeable);
  }
  // Any buffer without the page: unavailable.
  disk.caching.changeable[2] = 0x05;
  ASSERT_TRUE(dev::readModePage(disk, dev::kCachingPage, buffers));
  buffers.defaults[0] = 3;
  EXPECT_FALSE(dev::decodeCacheState(buffers).available);
}

TEST(DevsheetCacheLogic, ReadingStopsAtTheFirstFailureOrMissingPage) {
  FakeDisk disk;
  dev::ModeBuffers buffers;
  disk.failSenseAt = 1;
  EXPECT_FALSE(dev::readModePage(disk, dev::kCachingPage, buffers));
  EXPECT_EQ(disk.senses(), 2);
  // A page the disk does not have (answered without it) ends after the first read.
  FakeDisk other;
  EXPECT_FALSE(dev::readModePage(other, 0x0A, buffers));
  EXPECT_EQ(other.senses(), 1);
  ASSERT_EQ(disk.log.size(), 2u);
  EXPECT_EQ(disk.log[0].pageControl, 0);
  EXPECT_EQ(disk.log[1].pageControl, 1);
}

TEST(DevsheetCacheLogic, WriteCacheQuestionByExactVendor) {
  const char maxtor[9] = "MAXTOR";
  EXPECT_EQ(dev::writeCacheQuestion(maxtor, sizeof maxtor), dev::kQuestionMaxtor);
  for (const char* other : {"Maxtor", "MAXTORS", "MAXTO", "", "QUORIX"})
    EXPECT_EQ(dev::writeCacheQuestion(other, strlen(other) + 1), dev::kQuestionFactoryOff) << other;
  const char full[8] = {'M', 'A', 'X', 'T', 'O', 'R', 'X', 'Y'};  // no NUL within the field
  EXPECT_EQ(dev::writeCacheQuestion(full, sizeof full), dev::kQuestionFactoryOff);
}

TEST(DevsheetCacheLogic, EnablingReadCacheSetsArreOnce) {
  FakeDisk disk;
  dev::ModeBuffers buffers;
  ASSERT_TRUE(dev::setCache(disk, buffers, Cache::Read, true));
  auto selects = disk.selects();
  ASSERT_EQ(selects.size(), 2u);
  EXPECT_EQ(selects[0].page, 0x08);
  EXPECT_EQ(selects[0].list[14], 0x00);  // RCD clear
  EXPECT_FALSE(selects[0].report);
  EXPECT_EQ(selects[1].page, 0x01);
  EXPECT_EQ(selects[1].list[14], 0x40);  // ARRE
  EXPECT_TRUE(selects[1].report);
  EXPECT_EQ(disk.senses(), 9);  // 08h, 08h again to check, 01h

  // Now on with ARRE set: nothing more to send.
  disk.log.clear();
  ASSERT_TRUE(dev::setCache(disk, buffers, Cache::Read, true));
  EXPECT_TRUE(disk.selects().empty());
  EXPECT_EQ(disk.senses(), 3);

  // ARRE already set on a disk whose read cache is off: only the Caching page.
  FakeDisk arre;
  arre.recovery.current[2] = 0x40;
  ASSERT_TRUE(dev::setCache(arre, buffers, Cache::Read, true));
  ASSERT_EQ(arre.selects().size(), 1u);
  EXPECT_EQ(arre.selects()[0].page, 0x08);
}

TEST(DevsheetCacheLogic, DisablingPutsTheRecoveryBitBackToItsDefault) {
  struct Case {
    Cache cache;
    uint8_t cachingBits, recoveryBits, recoveryDefault;
    int selects;
    uint8_t recoveryAfter;
  };
  const Case cases[] = {
      {Cache::Read, 0x00, 0xC0, 0x00, 2, 0x80},   // ARRE set, factory clear
      {Cache::Read, 0x00, 0x80, 0x40, 2, 0xC0},   // ARRE clear, factory set
      {Cache::Read, 0x00, 0x40, 0x40, 1, 0x40},   // already the factory value
      {Cache::Write, 0x05, 0xC0, 0x40, 2, 0x40},  // AWRE back off
      {Cache::Write, 0x05, 0x40, 0xC0, 2, 0xC0},  // AWRE back on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.recoveryBits);
    FakeDisk disk;
    disk.caching.current[2] = c.cachingBits;
    disk.recovery.current[2] = c.recoveryBits;
    disk.recovery.defaults[2] = c.recoveryDefault;
    dev::ModeBuffers buffers;
    EXPECT_TRUE(dev::setCache(disk, buffers, c.cache, false));
    EXPECT_EQ(static_cast<int>(disk.selects().size()), c.selects);
    EXPECT_EQ(disk.recovery.current[2], c.recoveryAfter);
    EXPECT_EQ(disk.caching.current[2] & (c.cache == Cache::Read ? dev::kRcd : dev::kWce),
              c.cache == Cache::Read ? dev::kRcd : 0);
  }
}

TEST(DevsheetCacheLogic, WriteCacheQuestionOnlyWhenTheFactoryDefaultIsOff) {
  FakeDisk no;
  no.answerYes = false;
  dev::ModeBuffers buffers;
  EXPECT_TRUE(dev::setCache(no, buffers, Cache::Write, true));
  EXPECT_EQ(no.questions, 1);
  EXPECT_TRUE(no.selects().empty());
  EXPECT_EQ(no.caching.current[2] & dev::kWce, 0);

  FakeDisk yes;
  EXPECT_TRUE(dev::setCache(yes, buffers, Cache::Write, true));
  EXPECT_EQ(yes.questions, 1);
  ASSERT_EQ(yes.selects().size(), 2u);
  EXPECT_EQ(yes.selects()[0].list[14], 0x05);  // WCE set, RCD as it was
  EXPECT_EQ(yes.selects()[1].list[14], 0x80);  // AWRE

  FakeDisk factoryOn;
  factoryOn.caching.defaults[2] = 0x04;
  EXPECT_TRUE(dev::setCache(factoryOn, buffers, Cache::Write, true));
  EXPECT_EQ(factoryOn.questions, 0);
  EXPECT_EQ(factoryOn.selects().size(), 2u);
  // Disabling never asks.
  EXPECT_TRUE(dev::setCache(factoryOn, buffers, Cache::Write, false));
  EXPECT_EQ(factoryOn.questions, 0);
}

TEST(DevsheetCacheLogic, RetryWithoutBits3To7OnlyAfterAnIllegalRequest) {
  FakeDisk disk;
  disk.refusesRetryBits = true;
  disk.caching.current[2] = 0x11;   // DISC set, read cache off
  disk.caching.changeable[2] = 0x1D;
  dev::ModeBuffers buffers;
  EXPECT_TRUE(dev::setCache(disk, buffers, Cache::Read, true));
  auto selects = disk.selects();
  ASSERT_EQ(selects.size(), 3u);
  EXPECT_EQ(selects[0].list[14], 0x10);
  EXPECT_EQ(selects[1].list[14], 0x00);
  EXPECT_EQ(selects[1].list.size(), selects[0].list.size());
  EXPECT_EQ(selects[2].page, 0x01);

  // A refusal for another reason is not retried, and nothing follows.
  FakeDisk fails;
  fails.failSelects = true;
  fails.caching.current[2] = 0x11;
  EXPECT_FALSE(dev::setCache(fails, buffers, Cache::Read, true));
  EXPECT_EQ(fails.selects().size(), 1u);
  EXPECT_EQ(fails.senses(), 3);

  // Refused without bits 3-7 set: nothing to retry.
  FakeDisk plain;
  plain.refusesRetryBits = true;
  plain.caching.changeable[2] = 0x04;  // RCD fixed: the device refuses the change
  EXPECT_FALSE(dev::setCache(plain, buffers, Cache::Read, true));
  EXPECT_EQ(plain.selects().size(), 1u);
}

TEST(DevsheetCacheLogic, AcceptedButUnchangedIsAFailureWithoutRecoveryStep) {
  FakeDisk disk;
  disk.keepsOldValues = true;
  dev::ModeBuffers buffers;
  EXPECT_FALSE(dev::setCache(disk, buffers, Cache::Read, true));
  EXPECT_EQ(disk.selects().size(), 1u);
  EXPECT_EQ(disk.senses(), 6);
  // The buffers hold what the device really has.
  EXPECT_FALSE(dev::decodeCacheState(buffers).readEnabled);
}

TEST(DevsheetCacheLogic, FailedReadsEndTheSwitch) {
  // Failing at the first read, at the check after the write, at the recovery page.
  for (int at : {0, 3, 6, 8}) {
    SCOPED_TRACE(at);
    FakeDisk disk;
    disk.failSenseAt = at;
    dev::ModeBuffers buffers;
    EXPECT_FALSE(dev::setCache(disk, buffers, Cache::Read, true));
    EXPECT_EQ(disk.senses(), at + 1);
    EXPECT_EQ(disk.selects().size(), at < 3 ? 0u : 1u);
  }
  FakeDisk recoveryFails;
  recoveryFails.recovery.changeable[2] = 0x00;  // ARRE fixed: the recovery write is refused
  dev::ModeBuffers buffers;
  EXPECT_FALSE(dev::setCache(recoveryFails, buffers, Cache::Read, true));
  EXPECT_EQ(recoveryFails.caching.current[2] & dev::kRcd, 0) << "the cache itself was switched";
}

}  // namespace
