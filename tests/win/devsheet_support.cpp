#include "tests/win/devsheet_support.h"

#include <commctrl.h>

#include <cstring>

#include "devsheet/devsheet_res.h"
#include "tests/support/modal_driver.h"
#include "tests/win/server_support.h"
#include "tests/win/shared_bus.h"

namespace devtest {

void SheetTest::SetUp() {
  if (busText_) {
    busFile_ = orvtest::serveBus(busText_, "devsheet_{pid}.bus");
    ASSERT_FALSE(busFile_.empty());
  } else {
    SetEnvironmentVariableA("VRAX_SIM_BUS", nullptr);
    SetEnvironmentVariableA("VRAX_SIM_STATE", "none");
  }
  ASSERT_EQ(servertest::registerCorvath(), S_OK);
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  ASSERT_TRUE(corvath_.create());
  adapters_ = CorvathObjDriver::records<inv::HostAdapterInfo>(corvath_.GetHostAdaptersList());
  ASSERT_NE(adapters_, nullptr);
}

void SheetTest::TearDown() {
  corvath_.release();
  CoUninitialize();
  if (!busFile_.empty()) DeleteFileA(busFile_.c_str());
}

const inv::DeviceInfo* SheetTest::device(int adapter, int target) {
  for (int a = 0; adapters_ && a < adapters_[0].adapterCount; ++a) {
    const inv::HostAdapterInfo& info = adapters_[a];
    if (info.adapterNumber != adapter) continue;
    for (int d = 0; d < info.deviceCount; ++d)
      if (info.devices[d].target == target) return &info.devices[d];
  }
  return nullptr;
}

void SheetTest::withSheet(const inv::DeviceInfo& device, const std::function<void(HWND)>& action) {
  orvtest::ModalDriver driver;
  driver.expect(sheetTitle(device), [&](HWND sheet) {
    action(sheet);
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  }, false);
  corvath_.ShowDeviceProperty(CorvathObjDriver::address(&device));
  EXPECT_EQ(corvath_.lastError(), S_OK);
  EXPECT_TRUE(driver.allDone()) << "no sheet titled " << sheetTitle(device);
  EXPECT_TRUE(driver.unexpected().empty());
}

std::string sheetTitle(const inv::DeviceInfo& device) {
  return std::string(device.vendor, strnlen(device.vendor, sizeof device.vendor)) + " " +
         std::string(device.product, strnlen(device.product, sizeof device.product)) +
         " Properties";
}

HWND currentPage(HWND sheet) {
  return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

std::map<int, std::string> generalFields(HWND page) {
  std::map<int, std::string> out;
  for (int id : {IDC_DEV_TITLE, IDC_DEV_TYPE, IDC_DEV_SCSI_ID, IDC_DEV_VENDOR, IDC_DEV_PRODUCT,
                 IDC_DEV_REVISION, IDC_DEV_ANSI, IDC_DEV_ISO, IDC_DEV_REMOVABLE, IDC_DEV_CAPACITY})
    out[id] = orvtest::itemText(page, id);
  return out;
}

}  // namespace devtest
