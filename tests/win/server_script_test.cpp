// Windows Script Host drives Corvath by name: a script run with cscript creates the
// object by ProgID and prints the adapter count of the simulated bus, and hands the
// list's address back to open a window.
#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "client/corvath_obj_driver.h"
#include "inventory/records.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
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

// The address crosses the interface as VT_I4 in the 32-bit library and as VT_I8 in the
// 64-bit one. Neither engine turns a VT_I8 into a number of its own, but both keep it in
// a variable as it came and pass it back unchanged, so the window of the first adapter
// opens from either.
TEST(ServerScript, EachEngineHandsTheListAddressBackToShowDeviceList) {
  ASSERT_EQ(servertest::registerCorvath(), S_OK);
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  std::string title;
  {
    orvtest::ModalDriver driver;
    CorvathObjDriver corvath;
    ASSERT_TRUE(corvath.create());
    const auto* first = CorvathObjDriver::records<inv::HostAdapterInfo>(corvath.GetHostAdaptersList());
    ASSERT_NE(first, nullptr);
    title = std::string(first->displayName) + " Devices";
  }
  CoUninitialize();

  for (const char* script : {"server_show_list.js", "server_show_list.vbs"}) {
    SCOPED_TRACE(script);
    // The script's process shows the window; this one waits for it, keeps a picture of
    // it and closes it as a person would.
    std::atomic<bool> seen{false}, stop{false};
    std::thread closer([&] {
      const DWORD deadline = GetTickCount() + 60000;
      while (!stop && static_cast<LONG>(GetTickCount() - deadline) < 0) {
        HWND window = FindWindowA(nullptr, title.c_str());
        if (window && IsWindowVisible(window)) {
          seen = true;
          orvtest::saveScreenshot(window, std::string("script_") + script);
          orvtest::pressButton(window, IDCANCEL);
          return;
        }
        Sleep(50);  // another process's window: there is nothing to wait on
      }
    });
    std::string output;
    const int code = servertest::runProcess(
        "cscript.exe //nologo \"" + servertest::binFolder() + script + "\"",
        servertest::binFolder(), &output);
    stop = true;
    closer.join();
    EXPECT_TRUE(seen) << "no window titled " << title;
    EXPECT_EQ(code, 0) << output;
    EXPECT_EQ(output, "shown\r\n");
  }
}

}  // namespace
