// Runs the pass-through fuzz target over seeded random inputs for a bounded count, so
// that it takes part in every test run; longer runs go through libFuzzer by hand.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

TEST(PassthroughFuzz, SeededInputsKeepTheManagerSound) {
  std::mt19937 random(20250214);
  std::vector<uint8_t> input;
  for (int run = 0; run < 2000; ++run) {
    input.resize(random() % 3000);
    for (uint8_t& b : input) b = static_cast<uint8_t>(random());
    // Mostly a device map of a few "Scsi Port N" entries, sometimes anything.
    if (input.size() > 40 && run % 4 != 0) {
      input[0] = static_cast<uint8_t>(1 + run % 6);  // entries
      input[1] = 0;                                  // the first one well named
    }
    ASSERT_EQ(LLVMFuzzerTestOneInput(input.data(), input.size()), 0) << "run " << run;
  }
}
