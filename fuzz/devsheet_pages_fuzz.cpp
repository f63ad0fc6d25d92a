// Fuzz target of the Defect List and Mode Parameters pages' logic: arbitrary READ DEFECT
// DATA answers through the list builder, and arbitrary MODE SENSE answers through the
// four reads and the decoding of every parameter of every page. Each answer lies in a
// heap block of exactly its size, so that the sanitizer sees any read past it; the
// bytes a mode answer does not vouch for are changed between two decodings, which must
// agree. Runs as a native test over seeded inputs for a bounded count; build with
// -fsanitize=fuzzer and PAGES_LIBFUZZER defined for longer runs by hand.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>

#include "devsheet/defect_logic.h"
#include "devsheet/mode_logic.h"

namespace {

#define PAGES_CHECK(condition)      \
  do {                              \
    if (!(condition)) std::abort(); \
  } while (0)

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
  uint8_t byte() { return p_ < end_ ? *p_++ : 0; }
  size_t left() const { return static_cast<size_t>(end_ - p_); }
  // Up to `size` bytes into `out`, zeros after the input ends.
  void fill(uint8_t* out, size_t size) {
    const size_t n = size < left() ? size : left();
    std::memcpy(out, p_, n);
    std::memset(out + n, 0, size - n);
    p_ += n;
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

const dev::DefectLineTexts kTexts = {"C %1", " H %1", " S %1"};

void defectList(Reader& in) {
  // A buffer of any size up to the page's own.
  const size_t size = ((static_cast<size_t>(in.byte()) << 8) | in.byte()) % (dev::kDefectBufferSize + 1);
  std::unique_ptr<uint8_t[]> data(new uint8_t[size ? size : 1]);
  in.fill(data.get(), size);
  const size_t length = dev::defectListLength(data.get(), size);
  const size_t count = dev::defectCount(data.get(), size);
  PAGES_CHECK(length <= dev::kDefectLengthCap);
  PAGES_CHECK(size < 4 ? length == 0 : length <= size - 4);
  PAGES_CHECK(count == length / 8);
  const dev::DefectListView view = dev::defectListView(data.get(), size, kTexts, "none");
  PAGES_CHECK(view.lines.size() == (length == 0 ? 1 : count));
  PAGES_CHECK(view.total == std::to_string(count));
}

// A disk whose answers come from the input.
class FuzzDisk : public dev::DefectPort, public dev::ModePort {
 public:
  explicit FuzzDisk(Reader& in) : in_(in) {}
  dev::DefectOutcome read(scsi::DefectList, uint8_t* buffer) override {
    PAGES_CHECK(buffer[0] == 0 && buffer[dev::kDefectBufferSize - 1] == 0);
    in_.fill(buffer, in_.byte() % 64);
    return static_cast<dev::DefectOutcome>(in_.byte() % 5);
  }
  bool sense(uint8_t pageCode, uint8_t pageControl, uint8_t* buffer) override {
    PAGES_CHECK(pageControl < 4 && dev::modePageEntry(pageCode));
    PAGES_CHECK(++senses_ <= 4);
    in_.fill(buffer, dev::kModeDataSize);
    return !(in_.byte() & 0x80);
  }

 private:
  Reader& in_;
  int senses_ = 0;
};

// The value decoded from a copy of the answer in a block of its own, the bytes it does
// not vouch for set to `fill`.
dev::ModeValue decodeAlone(const uint8_t* answer, size_t size, uint8_t fill,
                           const dev::ModeParameter& p) {
  std::unique_ptr<uint8_t[]> copy(new uint8_t[size ? size : 1]);
  std::memcpy(copy.get(), answer, size);
  const size_t returned = size ? static_cast<size_t>(answer[0]) + 1 : 0;
  for (size_t i = returned; i < size; ++i) copy[i] = fill;
  return dev::decodeValue(copy.get(), size, p);
}

void modePages(Reader& in) {
  dev::ModeAnswers answers;
  FuzzDisk disk(in);
  const uint8_t code = dev::kModePages[in.byte() % dev::kModePageCount].code;
  const bool read = dev::readModeAnswers(disk, code, answers);
  if (read) {
    for (const uint8_t* answer : {answers.current, answers.changeable, answers.defaults})
      PAGES_CHECK(!dev::answerIsEmpty(answer));
  }
  // Whatever was read, every parameter of every page decodes soundly; a shorter buffer
  // cuts the answer.
  const size_t size = in.byte() % (dev::kModeDataSize + 1);
  for (const dev::ModePageEntry& entry : dev::kModePages) {
    for (size_t i = 0; i < entry.count; ++i) {
      const dev::ModeParameter& p = entry.parameters[i];
      const dev::ModeValues values = dev::decodeParameter(answers, p);
      for (const uint8_t* answer : {answers.current, answers.saved, answers.defaults}) {
        const dev::ModeValue a = decodeAlone(answer, size, 0x00, p);
        PAGES_CHECK(a == decodeAlone(answer, size, 0xFF, p));
      }
      if (values.current.textId == dev::kTextUnavailable) continue;
      // Shown only when its last byte lies in the current page.
      const size_t page = 4 + answers.current[3];
      PAGES_CHECK(page + 1 < dev::kModeDataSize);
      PAGES_CHECK(p.last - 2u < answers.current[page + 1]);
      PAGES_CHECK(page + p.last <= answers.current[0]);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in(data, size);
  const uint8_t kind = in.byte();
  if (kind & 1) {
    defectList(in);
    uint8_t* primary = new uint8_t[dev::kDefectBufferSize];
    uint8_t* grown = new uint8_t[dev::kDefectBufferSize];
    FuzzDisk disk(in);
    dev::readDefectLists(disk, primary, grown);
    delete[] primary;
    delete[] grown;
  } else {
    modePages(in);
  }
  return 0;
}

#ifndef PAGES_LIBFUZZER
#include <gtest/gtest.h>

#include <vector>

namespace {

// A MODE SENSE answer shaped like a device's, then spoiled here and there.
void plausibleMode(std::mt19937& rng, std::vector<uint8_t>& out) {
  uint8_t a[dev::kModeDataSize] = {};
  const uint8_t descriptor = rng() % 4 ? (rng() % 2 ? 8 : 0) : static_cast<uint8_t>(rng());
  const uint8_t pageLength = rng() % 3 ? static_cast<uint8_t>(rng() % 24) : static_cast<uint8_t>(rng());
  a[3] = descriptor;
  a[0] = static_cast<uint8_t>(rng() % 4 ? 3 + descriptor + 2 + pageLength - rng() % 3 : rng());
  for (size_t i = 4; i < sizeof a; ++i) a[i] = static_cast<uint8_t>(rng());
  if (4u + descriptor + 1 < sizeof a) a[4 + descriptor + 1] = pageLength;
  out.insert(out.end(), a, a + sizeof a);
  out.push_back(rng() % 16 ? 0 : 0x80);  // the command completed
}

TEST(DevsheetPagesFuzz, ArbitraryAnswersAreReadInsideTheirBuffers) {
  std::mt19937 rng(20261209);
  std::vector<uint8_t> input;
  for (int run = 0; run < 3000; ++run) {
    input.clear();
    if (run % 4 == 0) {
      input.resize(1 + rng() % 1200);
      for (uint8_t& b : input) b = static_cast<uint8_t>(rng());
    } else if (run % 2) {
      // Defect data: a buffer size, a header with a length near the cap or small, entries.
      input = {1, static_cast<uint8_t>(rng() % 33), static_cast<uint8_t>(rng())};
      const uint16_t length = rng() % 2 ? static_cast<uint16_t>(8180 + rng() % 20)
                                        : static_cast<uint16_t>(rng() % 100);
      input.insert(input.end(), {0, 0x15, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)});
      for (int i = static_cast<int>(rng() % 600); i > 0; --i) input.push_back(static_cast<uint8_t>(rng()));
    } else {
      input = {0, static_cast<uint8_t>(rng())};
      for (int version = 0; version < 4; ++version) plausibleMode(rng, input);
      input.push_back(static_cast<uint8_t>(rng()));  // the size of the buffers decoded alone
    }
    LLVMFuzzerTestOneInput(input.data(), input.size());
  }
}

}  // namespace
#endif
