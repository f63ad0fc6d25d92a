// Fuzz target of the R/W Cache page's logic: arbitrary MODE SENSE answers (and MODE
// SELECT outcomes) fed through the page locator, the state decoder and both switches.
// Every parameter list the switches send is checked: never longer than the buffer or
// than what the device returned, mode data length 0, PS clear, and no byte but the one
// bit being switched (and bits 3-7, cleared, on the retry) different from what was
// sensed. Runs as a native test over seeded inputs for a bounded count; build with
// -fsanitize=fuzzer and CACHE_LIBFUZZER defined for longer runs by hand.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>

#include "devsheet/cache_logic.h"

namespace {

#define CACHE_CHECK(condition) \
  do {                         \
    if (!(condition)) std::abort(); \
  } while (0)

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
  uint8_t byte() { return p_ < end_ ? *p_++ : 0; }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

class FuzzPort : public dev::CachePort {
 public:
  FuzzPort(Reader& in, dev::Cache cache) : in_(in), cache_(cache) {}

  bool sense(uint8_t pageCode, uint8_t pageControl, uint8_t* buffer) override {
    if (in_.byte() & 0x80) return false;
    uint8_t answer[dev::kModeBufferSize];
    for (uint8_t& b : answer) b = in_.byte();
    std::memcpy(buffer, answer, sizeof answer);
    if (pageControl == 0) std::memcpy(sensed_[pageCode == dev::kCachingPage], answer, sizeof answer);
    return true;
  }

  dev::SelectOutcome select(const uint8_t* list, uint8_t length, bool report) override {
    const bool caching = !report;  // the Caching page's writes go unreported
    const uint8_t* sensed = sensed_[caching];
    const size_t offset = 4 + static_cast<size_t>(sensed[3]);
    CACHE_CHECK(length <= dev::kModeBufferSize);
    CACHE_CHECK(length <= static_cast<size_t>(sensed[0]) + 1);
    CACHE_CHECK(offset + 2 < length);
    CACHE_CHECK(list[0] == 0);
    CACHE_CHECK((list[offset] & 0x80) == 0);
    CACHE_CHECK((list[offset] & 0x3F) == (caching ? dev::kCachingPage : dev::kRecoveryPage));
    for (size_t i = 1; i < length; ++i)
      if (i != offset && i != offset + 2) CACHE_CHECK(list[i] == sensed[i]);
    for (size_t i = length; i < dev::kModeBufferSize; ++i) CACHE_CHECK(list[i] == 0);
    const uint8_t bit = caching ? (cache_ == dev::Cache::Read ? dev::kRcd : dev::kWce)
                                : (cache_ == dev::Cache::Read ? dev::kArre : dev::kAwre);
    const uint8_t changed = list[offset + 2] ^ sensed[offset + 2];
    const bool retry = caching && lastIllegal_;
    if (retry) {
      CACHE_CHECK((changed & ~(bit | dev::kRetryBits)) == 0);
      CACHE_CHECK((list[offset + 2] & dev::kRetryBits) == 0);
    } else {
      CACHE_CHECK((changed & ~bit) == 0);
    }
    ++selects_;
    CACHE_CHECK(selects_ <= 3);
    const dev::SelectOutcome outcome = static_cast<dev::SelectOutcome>(in_.byte() % 3);
    lastIllegal_ = caching && !retry && outcome == dev::SelectOutcome::IllegalRequest;
    return outcome;
  }

  bool confirmWriteCache() override { return in_.byte() & 1; }

 private:
  Reader& in_;
  dev::Cache cache_;
  uint8_t sensed_[2][dev::kModeBufferSize] = {};  // [0] recovery, [1] caching
  bool lastIllegal_ = false;
  int selects_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in(data, size);
  const uint8_t flags = in.byte();
  const dev::Cache cache = flags & 1 ? dev::Cache::Write : dev::Cache::Read;
  FuzzPort port(in, cache);
  dev::ModeBuffers buffers;
  std::memset(&buffers, 0xA5, sizeof buffers);
  if (dev::readModePage(port, dev::kCachingPage, buffers)) {
    dev::decodeCacheState(buffers);
    uint8_t list[dev::kModeBufferSize];
    const uint8_t length = dev::buildModeSelect(buffers.current, dev::kCachingPage, flags, list);
    CACHE_CHECK(length <= dev::kModeBufferSize && length <= buffers.current[0] + 1u);
  }
  dev::setCache(port, buffers, cache, (flags & 2) != 0);
  return 0;
}

#ifndef CACHE_LIBFUZZER
#include <gtest/gtest.h>

#include <vector>

namespace {

// Answers shaped like a device's, then spoiled here and there, so that the switches get
// past the first read often enough to write.
void plausibleAnswer(std::mt19937& rng, std::vector<uint8_t>& out, uint8_t pageCode) {
  uint8_t a[dev::kModeBufferSize] = {};
  const uint8_t descriptor = rng() % 4 ? (rng() % 2 ? 8 : 0) : static_cast<uint8_t>(rng());
  const uint8_t pageLength = rng() % 4 ? (pageCode == dev::kCachingPage ? 0x12 : 0x0A)
                                       : static_cast<uint8_t>(rng() % 90);
  a[3] = descriptor;
  a[0] = static_cast<uint8_t>(rng() % 4 ? 3 + descriptor + 2 + pageLength : rng());
  for (size_t i = 4; i < sizeof a; ++i) a[i] = static_cast<uint8_t>(rng());
  const size_t page = 4 + descriptor;
  if (page + 1 < sizeof a) {
    a[page] = static_cast<uint8_t>((rng() % 8 ? pageCode : rng()) | (rng() % 2 ? 0x80 : 0));
    a[page + 1] = pageLength;
  }
  out.push_back(rng() % 16 ? 0 : 0x80);  // the command completed
  out.insert(out.end(), a, a + sizeof a);
}

TEST(DevsheetCacheFuzz, ArbitraryAnswersNeverLeadToAnUnsoundList) {
  std::mt19937 rng(20261208);
  std::vector<uint8_t> input;
  for (int run = 0; run < 4000; ++run) {
    input.clear();
    input.push_back(static_cast<uint8_t>(rng()));
    if (run % 5 == 0) {
      input.resize(1 + rng() % 2000);
      for (uint8_t& b : input) b = static_cast<uint8_t>(rng());
    } else {
      // Reads of 08h, 08h again after the write and 01h, with outcomes between them.
      for (uint8_t code : {dev::kCachingPage, dev::kCachingPage, dev::kRecoveryPage}) {
        for (int version = 0; version < 3; ++version) plausibleAnswer(rng, input, code);
        input.push_back(static_cast<uint8_t>(rng()));  // confirmation / outcome
        input.push_back(static_cast<uint8_t>(rng()));  // outcome of a retry
      }
    }
    LLVMFuzzerTestOneInput(input.data(), input.size());
  }
}

}  // namespace
#endif
