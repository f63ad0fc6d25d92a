// The General page for devices that answer oddly: a disk whose READ CAPACITY fails, a
// device of a type the suite has no name for, a disk that answers later from the
// manager's thread.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "devsheet/devsheet_res.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/win/devsheet_support.h"
#include "tests/win/shared_bus.h"

namespace {

const std::string kBus = orvtest::wideBus("immediate") + R"(  device 0
    inquiry    00 00 02 02 1F 00 00 32 "TESSELL " "TS-9100W        " "0200"
    capacity   2000000 512
    fault 25 check 03 11 00
  device 1
    inquiry    0C 00 82 02 1F 00 00 00 "HALDEN  " "ARRAY CTL       " "0.9 "
)" + orvtest::disk(2, "QUORIX", "QX-1GB", 2221056) + "    completion pending\n";

class DevsheetOddDevices : public devtest::SheetTest {
 protected:
  DevsheetOddDevices() : SheetTest(kBus.c_str()) {}
};

TEST_F(DevsheetOddDevices, FailedCapacityReadShowsNoNumberAndNoMessage) {
  const inv::DeviceInfo* disk = device(0, 0);
  ASSERT_NE(disk, nullptr);
  // Any failure report would be a dialog that the driver does not expect.
  withSheet(*disk, [&](HWND sheet) {
    const auto fields = devtest::generalFields(devtest::currentPage(sheet));
    EXPECT_EQ(fields.at(IDC_DEV_TYPE), "Type Disk");
    EXPECT_EQ(fields.at(IDC_DEV_CAPACITY), "N/A");
  });
}

TEST_F(DevsheetOddDevices, UnknownTypeIsoCompliant) {
  const inv::DeviceInfo* odd = device(0, 1);
  ASSERT_NE(odd, nullptr);
  withSheet(*odd, [&](HWND sheet) {
    HWND page = devtest::currentPage(sheet);
    const auto fields = devtest::generalFields(page);
    EXPECT_EQ(fields.at(IDC_DEV_TYPE), "Type Unknown");
    EXPECT_EQ(fields.at(IDC_DEV_ANSI), "SCSI - 2");
    EXPECT_EQ(fields.at(IDC_DEV_ISO), "Yes");
    EXPECT_EQ(fields.at(IDC_DEV_REMOVABLE), "No");
    EXPECT_EQ(fields.at(IDC_DEV_CAPACITY), "N/A");
    EXPECT_EQ(fields.at(IDC_DEV_REVISION), "Firmware revision is 0.9 ");
    EXPECT_EQ(SendDlgItemMessageA(page, IDC_DEV_ICON, STM_GETICON, 0, 0),
              corvath_.GetDeviceIcon(12));
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "devsheet_unknown_general").empty());
  });
}

TEST_F(DevsheetOddDevices, PendingAnswerIsWaitedFor) {
  const inv::DeviceInfo* disk = device(0, 2);
  ASSERT_NE(disk, nullptr);
  withSheet(*disk, [&](HWND sheet) {
    // Last block 0x21E3FF of 512 bytes.
    EXPECT_EQ(devtest::generalFields(devtest::currentPage(sheet)).at(IDC_DEV_CAPACITY),
              "1084 MBytes");
  });
}

}  // namespace
