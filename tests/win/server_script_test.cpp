// Windows Script Host drives Corvath by name: a script run with cscript creates the
// object by ProgID and prints the adapter count of the simulated bus, and hands the
// list's address back to open a window.
#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "client/corvath_obj_driver.h"
#include "contract/records.h"
#include "framework/comreg.h"
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

// The probe object that makes addresses for scripts (tests/win/server_address_probe.cpp).
HRESULT registerAddressProbe() {
  const std::string clsid = "{6F1C2B7E-54A1-4C1B-9E0D-3A7B5C2D9E41}";
  HRESULT hr = fw::setClassesText("OrvTest.AddressProbe\\CLSID", nullptr, clsid);
  if (SUCCEEDED(hr)) {
    hr = fw::setClassesText("CLSID\\" + clsid + "\\InprocServer32", nullptr,
                            servertest::binFolder() + "server_address_probe.dll");
  }
  if (SUCCEEDED(hr))
    hr = fw::setClassesText("CLSID\\" + clsid + "\\InprocServer32", "ThreadingModel", "Apartment");
  return hr;
}

BOOL CALLBACK collectWindow(HWND window, LPARAM context) {
  auto* found = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == found->first && IsWindowVisible(window)) found->second.push_back(window);
  return TRUE;
}

// Addresses that are not the object's records, from a script: every Show method answers
// E_INVALIDARG and opens nothing; the script host lives on to the end, where a real
// device record still opens its sheet.
TEST(ServerScript, NumbersThatAreNoRecordOfTheObjectAreRefusedAndOpenNothing) {
  ASSERT_EQ(servertest::registerCorvath(), S_OK);
  ASSERT_EQ(registerAddressProbe(), S_OK);
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  std::string deviceSheet;
  {
    orvtest::ModalDriver driver;
    CorvathObjDriver corvath;
    ASSERT_TRUE(corvath.create());
    const auto* first = CorvathObjDriver::records<inv::HostAdapterInfo>(corvath.GetHostAdaptersList());
    ASSERT_NE(first, nullptr);
    ASSERT_GT(first->deviceCount, 0);
    ASSERT_LT(first->deviceCount, 31);
    ASSERT_LT(first->adapterCount, 64);
    const inv::DeviceInfo& d = first->devices[0];
    deviceSheet = std::string(d.vendor, strnlen(d.vendor, sizeof d.vendor)) + " " +
                  std::string(d.product, strnlen(d.product, sizeof d.product)) + " Properties";
  }
  CoUninitialize();

  // Every window the script's process shows is noted and closed; only the device
  // sheet of the last call is expected.
  std::atomic<bool> stop{false};
  std::mutex lock;
  std::vector<std::string> shown;
  std::atomic<DWORD> scriptProcess{0};
  std::thread closer([&] {
    const DWORD deadline = GetTickCount() + 90000;
    while (!stop && static_cast<LONG>(GetTickCount() - deadline) < 0) {
      std::pair<DWORD, std::vector<HWND>> found{scriptProcess.load(), {}};
      if (found.first) EnumWindows(&collectWindow, reinterpret_cast<LPARAM>(&found));
      for (HWND window : found.second) {
        const std::string title = orvtest::windowTitle(window);
        if (title.empty()) continue;
        {
          std::lock_guard<std::mutex> hold(lock);
          shown.push_back(title);
        }
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
      }
      Sleep(50);  // another process's windows: there is nothing to wait on
    }
  });
  std::string output;
  const int code = servertest::runProcess(
      "cscript.exe //nologo \"" + servertest::binFolder() + "server_bad_addresses.js\"",
      servertest::binFolder(), &output, [&](DWORD id) { scriptProcess = id; });
  stop = true;
  closer.join();
  EXPECT_EQ(code, 0) << output;

  std::string expected;
  for (const char* name : {"0", "1", "stack", "freed array", "one byte into a record",
                           "one byte into a device", "a device slot past the listed ones",
                           "past the array"}) {
    for (const char* method : {"ShowDeviceList", "ShowHostAdapterProperty", "ShowDeviceProperty",
                               "ShowSeldarn"})
      expected += std::string(method) + "(" + name + "): 80070057\r\n";
  }
  expected += "ShowDeviceProperty(record): 80070057\r\n";
  expected += "ShowSeldarn(device): 80070057\r\n";
  expected += "ShowDeviceProperty(device): opened\r\n";
  EXPECT_EQ(output, expected);
  std::lock_guard<std::mutex> hold(lock);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.front(), deviceSheet);
  for (const std::string& title : shown) EXPECT_EQ(title, deviceSheet);
}

}  // namespace
