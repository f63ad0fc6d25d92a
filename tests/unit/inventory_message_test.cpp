// Message texts filled with typed arguments.
#include <gtest/gtest.h>

#include "inventory/message.h"

namespace {

using inv::formatMessageText;
using inv::MessageArg;

TEST(MessageText, ConversionsTakeTheirTypedArguments) {
  EXPECT_EQ(formatMessageText("Device ID: %.4Xh,  Subsystem ID: %.4Xh",
                              {MessageArg::ofNumber(0x5c40), MessageArg::ofNumber(0xffff)}),
            "Device ID: 5C40h,  Subsystem ID: FFFFh");
  EXPECT_EQ(formatMessageText("support\n%s function.", {MessageArg::ofText("F()")}),
            "support\nF() function.");
  EXPECT_EQ(formatMessageText("%u%% of %lu, %c", {MessageArg::ofNumber(50),
                                                  MessageArg::ofNumber(7),
                                                  MessageArg::ofNumber('x')}),
            "50% of 7, x");
  EXPECT_EQ(formatMessageText("%d", {MessageArg::ofNumber(0xFFFFFFFF)}), "-1");
}

TEST(MessageText, ConversionsWithoutAFittingArgumentStayAsWritten) {
  EXPECT_EQ(formatMessageText("%s and %s", {MessageArg::ofText("one")}), "one and %s");
  EXPECT_EQ(formatMessageText("%s", {MessageArg::ofNumber(1)}), "%s");
  EXPECT_EQ(formatMessageText("%X", {MessageArg::ofText("no")}), "%X");
  EXPECT_EQ(formatMessageText("%*d %n %", {MessageArg::ofNumber(1)}), "%*d %n %");
  EXPECT_EQ(formatMessageText("%99999d", {MessageArg::ofNumber(1)}), "%99999d");
  EXPECT_EQ(formatMessageText("plain", {MessageArg::ofText("unused")}), "plain");
}

}  // namespace
