// Windows Script Host drives Corvath by name: a script run with cscript creates the
// object by ProgID and prints the adapter count of the simulated bus.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "client/corvath_obj_driver.h"
#include "tests/support/modal_driver.h"
#include "tests/win/server_support.h"

namespace {

TEST(ServerScript, CscriptPrintsTheAdapterCount) {
  ASSERT_EQ(servertest::registerCorvath(), S_OK);
  // What a compiled client sees on the same bus.
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  long expected = 0;
  {
    orvtest::ModalDriver driver;  // closes any message box instead of hanging
    CorvathObjDriver corvath;
    ASSERT_TRUE(corvath.create());
    expected = corvath.GetHostAdaptersCount();
    EXPECT_TRUE(driver.unexpected().empty());
  }
  CoUninitialize();
  ASSERT_GT(expected, 0);

  // The manager is found in the current folder, as for a program started there.
  std::string output;
  int code = servertest::runProcess(
      "cscript.exe //nologo \"" + servertest::binFolder() + "server_count.js\"",
      servertest::binFolder(), &output);
  EXPECT_EQ(code, 0) << output;
  EXPECT_EQ(output, "adapters: " + std::to_string(expected) + "\r\n");
}

}  // namespace
