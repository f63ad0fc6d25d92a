// Helpers of the device sheet's window tests: the simulated bus, CorvathObj, and the
// General page's fields read by control id.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "client/corvath_obj_driver.h"
#include "contract/records.h"

namespace devtest {

// Registers Corvath and initialises COM; with a bus text, serves that bus instead of the
// simulator's default one (read when the manager is first used in the process).
class SheetTest : public testing::Test {
 protected:
  explicit SheetTest(const char* bus = nullptr) : busText_(bus) {}
  void SetUp() override;
  void TearDown() override;

  // The device at target of adapter number `adapter` in the list; null when absent.
  const inv::DeviceInfo* device(int adapter, int target);
  // Opens the sheet for the device, runs action on it, then presses Cancel.
  void withSheet(const inv::DeviceInfo& device, const std::function<void(HWND)>& action);

  CorvathObjDriver corvath_;
  const inv::HostAdapterInfo* adapters_ = nullptr;

 private:
  const char* busText_;
  std::string busFile_;
};

// "%s %s Properties" with the record's vendor and product.
std::string sheetTitle(const inv::DeviceInfo& device);
// The current page of a sheet.
HWND currentPage(HWND sheet);
// Text of every value control of the General page, by control id.
std::map<int, std::string> generalFields(HWND page);

}  // namespace devtest
