#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "contract/record_text.h"
#include "contract/records.h"

namespace {

TEST(ContractRecordText, StopsAtTheFirstNulAndNeverReadsBeyondTheField) {
  inv::DeviceInfo d = {};
  std::memcpy(d.vendor, "SEAGATE", 8);
  EXPECT_EQ(inv::recordText(d.vendor), "SEAGATE");
  std::memcpy(d.product, "ST1\0hidden", 10);
  EXPECT_EQ(inv::recordText(d.product), "ST1");
  // A field filled to its last byte: the whole field, nothing of the next one.
  std::memset(d.revision, 'R', sizeof d.revision);
  d.reserved[0] = 'X';
  EXPECT_EQ(inv::recordText(d.revision), std::string(sizeof d.revision, 'R'));
}

TEST(ContractRecordText, ReadsOnlyTheGivenSizeOfAFieldAtTheEndOfItsBuffer) {
  // The field is the last bytes of its allocation: a read past it is caught.
  auto buffer = std::make_unique<char[]>(4);
  std::memcpy(buffer.get(), "ABCD", 4);
  EXPECT_EQ(inv::fixedText(buffer.get(), 4), "ABCD");
  EXPECT_EQ(inv::fixedText(buffer.get(), 2), "AB");
  EXPECT_EQ(inv::fixedText(buffer.get(), 0), "");
  EXPECT_EQ(inv::fixedText(nullptr, 16), "");
}

}  // namespace
