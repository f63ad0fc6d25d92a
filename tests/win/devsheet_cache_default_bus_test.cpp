// The R/W Cache page through the automation object on the simulator's default bus, as a
// person would open it from a front end: each of the bus's caching disks shows its own
// state (pictures saved for every one).
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devsheet/cache_page_res.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/win/devsheet_support.h"

namespace {

class DevsheetCacheDefaultBus : public devtest::SheetTest {
 protected:
  struct Shown {
    std::vector<std::string> values;  // supported, current, default: read, then write
    bool readTicked, writeTicked, enabled;
  };

  // Opens the device's sheet on its last page (R/W Cache); `message` is the text of a
  // message box expected as the page reads the device ("" for none).
  Shown cachePage(int adapter, int target, const std::string& picture,
                  const std::string& message = "") {
    Shown shown{};
    const inv::DeviceInfo* disk = device(adapter, target);
    EXPECT_NE(disk, nullptr);
    if (!disk) return shown;
    orvtest::ModalDriver driver;
    driver.expect(devtest::sheetTitle(*disk), [&](HWND sheet) {
      const int last = orvtest::tabCount(sheet) - 1;
      if (!message.empty()) {
        driver.expect("Corvath", [&](HWND box) {
          EXPECT_EQ(orvtest::messageBoxText(box), message);
          orvtest::pressButton(box, IDOK);
        });
      }
      SendMessageA(sheet, PSM_SETCURSEL, last, 0);
      HWND page = devtest::currentPage(sheet);
      EXPECT_EQ(orvtest::windowTitle(page), "R/W Cache");
      for (int id : {IDC_DEV_READ_SUPPORTED, IDC_DEV_READ_CURRENT, IDC_DEV_READ_DEFAULT,
                     IDC_DEV_WRITE_SUPPORTED, IDC_DEV_WRITE_CURRENT, IDC_DEV_WRITE_DEFAULT})
        shown.values.push_back(orvtest::itemText(page, id));
      shown.readTicked = IsDlgButtonChecked(page, IDC_DEV_READ_CACHE) == BST_CHECKED;
      shown.writeTicked = IsDlgButtonChecked(page, IDC_DEV_WRITE_CACHE) == BST_CHECKED;
      shown.enabled = IsWindowEnabled(GetDlgItem(page, IDC_DEV_WRITE_CACHE)) != FALSE;
      EXPECT_FALSE(orvtest::saveScreenshot(sheet, picture).empty());
      PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    }, false);
    corvath_.ShowDeviceProperty(CorvathObjDriver::address(disk));
    EXPECT_TRUE(driver.allDone());
    EXPECT_TRUE(driver.unexpected().empty());
    return shown;
  }
};

using Values = std::vector<std::string>;

TEST_F(DevsheetCacheDefaultBus, EachDiskShowsItsState) {
  Shown on = cachePage(0, 0, "devsheet_cache_default_on");
  EXPECT_EQ(on.values, (Values{"Yes", "Enabled", "Enabled", "Yes", "Enabled", "Enabled"}));
  EXPECT_TRUE(on.readTicked && on.writeTicked && on.enabled);

  // Write caching off, as it left the factory (the MAXTOR drive too).
  for (auto [adapter, target] : {std::pair{0, 1}, std::pair{1, 2}}) {
    Shown off = cachePage(adapter, target, "devsheet_cache_default_write_off_" + std::to_string(adapter));
    EXPECT_EQ(off.values, (Values{"Yes", "Enabled", "Enabled", "Yes", "Disabled", "Disabled"}));
    EXPECT_TRUE(off.readTicked);
    EXPECT_FALSE(off.writeTicked);
  }

  Shown readOff = cachePage(4, 0, "devsheet_cache_default_read_off");
  EXPECT_EQ(readOff.values, (Values{"Yes", "Disabled", "Enabled", "Yes", "Enabled", "Enabled"}));

  const Values none = {"No", "None", "None", "No", "None", "None"};
  Shown fixed = cachePage(3, 0, "devsheet_cache_default_unavailable");
  EXPECT_EQ(fixed.values, none);
  EXPECT_FALSE(fixed.enabled);
  Shown noPage = cachePage(5, 0, "devsheet_cache_default_no_page",
                           "The command is not supported by the device.");
  EXPECT_EQ(noPage.values, none);
}

}  // namespace
