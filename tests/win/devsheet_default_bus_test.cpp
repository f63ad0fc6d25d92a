// The device property sheet as a front end opens it: CorvathObj through COM, the
// simulator's default bus, ShowDeviceProperty with a record's address.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "devsheet/devsheet_res.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/win/devsheet_support.h"

namespace {

class DevsheetDefaultBus : public devtest::SheetTest {};

using orvtest::tabCount;
using orvtest::tabText;

TEST_F(DevsheetDefaultBus, DiskGeneralPage) {
  const inv::DeviceInfo* disk = device(0, 0);
  ASSERT_NE(disk, nullptr);
  withSheet(*disk, [&](HWND sheet) {
    EXPECT_EQ(orvtest::windowTitle(sheet), "ARVELL HD-73U320        Properties");
    EXPECT_TRUE(GetWindowLongA(sheet, GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
    // General, SCSI Features, the disk pages built so far, R/W Cache last.
    EXPECT_GE(tabCount(sheet), 3);
    EXPECT_EQ(tabText(sheet, tabCount(sheet) - 1), "R/W Cache");
    HWND page = devtest::currentPage(sheet);
    ASSERT_NE(page, nullptr);
    // 143374744 blocks of 512 bytes: last block 143374743.
    const std::map<int, std::string> expected = {
        {IDC_DEV_TITLE, "ARVELL  HD-73U320       "},
        {IDC_DEV_TYPE, "Type Disk"},
        {IDC_DEV_SCSI_ID, "SCSI ID 0"},
        {IDC_DEV_VENDOR, "ARVELL"},
        {IDC_DEV_PRODUCT, "Product model is HD-73U320       "},
        {IDC_DEV_REVISION, "Firmware revision is A104"},
        {IDC_DEV_ANSI, "SCSI - 3"},
        {IDC_DEV_ISO, "No"},
        {IDC_DEV_REMOVABLE, "No"},
        {IDC_DEV_CAPACITY, "70007 MBytes"},
    };
    EXPECT_EQ(devtest::generalFields(page), expected);

    // The type's shared icon, and the heading in the sheet's semi-bold Arial.
    EXPECT_EQ(SendDlgItemMessageA(page, IDC_DEV_ICON, STM_GETICON, 0, 0),
              corvath_.GetDeviceIcon(0));
    HFONT font = reinterpret_cast<HFONT>(SendDlgItemMessageA(page, IDC_DEV_TITLE, WM_GETFONT, 0, 0));
    LOGFONTA log = {};
    ASSERT_TRUE(GetObjectA(font, sizeof log, &log));
    EXPECT_EQ(log.lfWeight, 600);
    EXPECT_STREQ(log.lfFaceName, "Arial");
    EXPECT_EQ(log.lfPitchAndFamily, 0x24);
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "devsheet_disk_general").empty());
  });
}

TEST_F(DevsheetDefaultBus, CdromHasACapacityTapeHasNone) {
  const inv::DeviceInfo* cd = device(0, 4);
  const inv::DeviceInfo* tape = device(0, 5);
  ASSERT_NE(cd, nullptr);
  ASSERT_NE(tape, nullptr);
  withSheet(*cd, [&](HWND sheet) {
    const auto fields = devtest::generalFields(devtest::currentPage(sheet));
    EXPECT_EQ(fields.at(IDC_DEV_TYPE), "Type CD-ROM");
    EXPECT_EQ(fields.at(IDC_DEV_SCSI_ID), "SCSI ID 4");
    EXPECT_EQ(fields.at(IDC_DEV_ANSI), "SCSI - 2");
    EXPECT_EQ(fields.at(IDC_DEV_REMOVABLE), "Yes");
    EXPECT_EQ(fields.at(IDC_DEV_CAPACITY), "650 MBytes");  // 333000 blocks of 2048
  });
  withSheet(*tape, [&](HWND sheet) {
    HWND page = devtest::currentPage(sheet);
    const auto fields = devtest::generalFields(page);
    EXPECT_EQ(fields.at(IDC_DEV_TYPE), "Type Tape");
    EXPECT_EQ(fields.at(IDC_DEV_TITLE), "TESSELL  TDL-80          ");
    EXPECT_EQ(fields.at(IDC_DEV_CAPACITY), "N/A");
    EXPECT_EQ(SendDlgItemMessageA(page, IDC_DEV_ICON, STM_GETICON, 0, 0),
              corvath_.GetDeviceIcon(1));
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "devsheet_tape_general").empty());
  });
}

TEST_F(DevsheetDefaultBus, DisksAbove2TBShowTheirTrueSize) {
  // READ CAPACITY(10) answers FFFFFFFFh for both; READ CAPACITY(16) tells them.
  const struct {
    int target;
    const char* capacity;
  } disks[] = {{3, "3815447 MBytes"},    // 7814037168 blocks of 512 bytes
               {4, "17166332 MBytes"}};  // 4394582016 blocks of 4096 bytes
  for (const auto& d : disks) {
    const inv::DeviceInfo* disk = device(1, d.target);
    ASSERT_NE(disk, nullptr) << d.target;
    withSheet(*disk, [&](HWND sheet) {
      EXPECT_EQ(devtest::generalFields(devtest::currentPage(sheet)).at(IDC_DEV_CAPACITY), d.capacity);
      const std::string shot = d.target == 3 ? "devsheet_4tb_general" : "devsheet_18tb_general";
      EXPECT_FALSE(orvtest::saveScreenshot(sheet, shot).empty());
    });
  }
}

TEST_F(DevsheetDefaultBus, NoRecordNoSheet) {
  orvtest::ModalDriver driver;
  corvath_.ShowDeviceProperty(0);
  EXPECT_EQ(corvath_.lastError(), E_INVALIDARG);
  EXPECT_TRUE(driver.unexpected().empty());
}

}  // namespace
