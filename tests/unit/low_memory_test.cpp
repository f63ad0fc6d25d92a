#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "contract/records.h"
#include "tests/support/low_memory.h"

namespace {

using orvtest::LowArray;

TEST(LowArray, ItemsAreReachedThroughTheir32BitAddresses) {
  LowArray<inv::HostAdapterInfo> records(3);
  ASSERT_EQ(records.size(), 3u);
  for (size_t i = 0; i < records.size(); ++i)
    EXPECT_EQ(inv::fromAddress<inv::HostAdapterInfo>(inv::addressOf(&records[i])), &records[i]);
  LowArray<uint8_t> buffer(84);
  EXPECT_EQ(inv::fromAddress<uint8_t>(inv::addressOf(buffer.get())), buffer.get());
}

TEST(LowArray, ItemsStartZeroedAlsoWhereAMappingIsReused) {
  for (int round = 0; round < 3; ++round) {
    LowArray<inv::HostAdapterInfo> records(2);
    const auto* raw = reinterpret_cast<const uint8_t*>(records.get());
    for (size_t b = 0; b < 2 * sizeof(inv::HostAdapterInfo); ++b) ASSERT_EQ(raw[b], 0) << round << " " << b;
    std::memset(records.get(), 0xA5, 2 * sizeof(inv::HostAdapterInfo));
  }
}

TEST(LowArray, MovingKeepsTheItemsWhereTheyAre) {
  LowArray<inv::HostAdapterInfo> first(2);
  inv::HostAdapterInfo* at = first.get();
  first[1].adapterNumber = 7;
  LowArray<inv::HostAdapterInfo> second(std::move(first));
  EXPECT_EQ(second.get(), at);
  EXPECT_EQ(second[1].adapterNumber, 7);
  EXPECT_EQ(first.size(), 0u);
  LowArray<inv::HostAdapterInfo> third(1);
  third = std::move(second);
  EXPECT_EQ(third.get(), at);
  EXPECT_EQ(third.size(), 2u);
}

}  // namespace
