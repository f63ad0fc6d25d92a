// Runs the inventory fuzz target over seeded random inputs for a bounded count, so that
// it takes part in every test run; longer runs go through libFuzzer by hand.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

TEST(InventoryFuzz, SeededInputsKeepTheRecordsSound) {
  std::mt19937 random(20240611);
  std::vector<uint8_t> input;
  for (int run = 0; run < 3000; ++run) {
    input.resize(random() % 6000);
    for (uint8_t& b : input) b = static_cast<uint8_t>(random());
    // Mostly an initialised manager with a modest adapter total, sometimes anything.
    if (input.size() > 2 && run % 4 != 0) {
      input[0] |= 1;
      input[1] %= 24;
    }
    ASSERT_EQ(LLVMFuzzerTestOneInput(input.data(), input.size()), 0) << "run " << run;
  }
}
