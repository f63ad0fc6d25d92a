#include <gtest/gtest.h>

#include "framework/text.h"

TEST(FrameworkText, FormatGrowsBeyondAnyFixedBuffer) {
  std::string longName(1000, 'x');
  EXPECT_EQ(fw::format("%s Devices", longName.c_str()), longName + " Devices");
  EXPECT_EQ(fw::format("%lu MBytes", 1234ul), "1234 MBytes");
  EXPECT_EQ(fw::format("%.2X:%.2X:%.2X", 1, 0x1f, 0), "01:1F:00");
  EXPECT_EQ(fw::format("%s", ""), "");
}

TEST(FrameworkText, PlaceholdersFilledInAnyOrderAndRepeated) {
  EXPECT_EQ(fw::fillPlaceholders("%2 then %1, %1 again", {"a", "b"}), "b then a, a again");
  EXPECT_EQ(fw::fillPlaceholders("100%% sure of %1", {"it"}), "100% sure of it");
  // A placeholder with no argument stays visible; a lone '%' at the end stays.
  EXPECT_EQ(fw::fillPlaceholders("%1 and %3", {"x"}), "x and %3");
  EXPECT_EQ(fw::fillPlaceholders("50%", {}), "50%");
  // An argument that itself contains a placeholder is not expanded again.
  EXPECT_EQ(fw::fillPlaceholders("[%1]", {"%1"}), "[%1]");
}

TEST(FrameworkText, HexByteSpacedIsTwoUpperCaseDigitsAndABlank) {
  EXPECT_EQ(fw::hexByteSpaced(0), "00 ");
  EXPECT_EQ(fw::hexByteSpaced(0x11), "11 ");
  EXPECT_EQ(fw::hexByteSpaced(0xab), "AB ");
  EXPECT_EQ(fw::hexByteSpaced(8), "08 ");
}

TEST(FrameworkText, TrimRightStopsAtTheLastVisibleCharacter) {
  EXPECT_EQ(fw::trimRight("ABC     "), "ABC");
  EXPECT_EQ(fw::trimRight("A B \t\r\n"), "A B");
  EXPECT_EQ(fw::trimRight("        "), "");
  EXPECT_EQ(fw::trimRight(""), "");
}
