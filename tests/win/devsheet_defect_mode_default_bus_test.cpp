// The Defect List and Mode Parameters pages through the automation object on the
// simulator's default bus, as a person would open them from a front end (pictures saved
// for each case).
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "devsheet/defect_page_res.h"
#include "devsheet/mode_page_res.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/win/devsheet_support.h"

namespace {

using Texts = std::vector<std::string>;

class DevsheetDefectModeDefaultBus : public devtest::SheetTest {
 protected:
  // Opens the device's sheet on the tab named `tab` and runs action on the page; a
  // message box expected as the page first reads the device is answered on the way.
  void onPage(int adapter, int target, const std::string& tab,
              const std::function<void(HWND sheet, HWND page)>& action,
              const std::string& messageCaption = "", const std::string& message = "") {
    const inv::DeviceInfo* disk = device(adapter, target);
    ASSERT_NE(disk, nullptr);
    driver_ = std::make_unique<orvtest::ModalDriver>();
    orvtest::ModalDriver& driver = *driver_;
    driver.expect(devtest::sheetTitle(*disk), [&](HWND sheet) {
      Texts names;
      for (int i = 0; i < orvtest::tabCount(sheet); ++i) names.push_back(orvtest::tabText(sheet, i));
      EXPECT_EQ(names, (Texts{"General", "SCSI Features", "Defect List", "Mode Parameters",
                              "R/W Cache"}));
      if (!message.empty()) expectMessage(messageCaption, message);
      const int index = tab == "Defect List" ? 2 : 3;
      SendMessageA(sheet, PSM_SETCURSEL, index, 0);
      HWND page = devtest::currentPage(sheet);
      EXPECT_EQ(orvtest::windowTitle(page), tab);
      action(sheet, page);
      PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    }, false);
    corvath_.ShowDeviceProperty(CorvathObjDriver::address(disk));
    EXPECT_TRUE(driver.allDone());
    EXPECT_TRUE(driver.unexpected().empty());
    driver_.reset();
  }

  void expectMessage(const std::string& caption, const std::string& text) {
    driver_->expect(caption, [text](HWND box) {
      EXPECT_EQ(orvtest::messageBoxText(box), text);
      orvtest::pressButton(box, IDOK);
    });
  }

  static Texts lines(HWND page) {
    Texts out;
    HWND list = GetDlgItem(page, IDC_DEV_DEFECT_LIST);
    for (int i = 0; i < static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0)); ++i) {
      std::string text(static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, i, 0)), '\0');
      SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
      out.push_back(text);
    }
    return out;
  }
  static std::string total(HWND page) { return orvtest::itemText(page, IDC_DEV_DEFECT_TOTAL); }

  static void choose(HWND page, int control, UINT setSelection, WORD notify, int index) {
    HWND window = GetDlgItem(page, control);
    SendMessageA(window, setSelection, index, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(control, notify), reinterpret_cast<LPARAM>(window));
  }
  // The three values of a parameter of the page at combo entry `entry`.
  static Texts values(HWND page, int entry, int parameter) {
    choose(page, IDC_DEV_MODE_PAGES, CB_SETCURSEL, CBN_SELCHANGE, entry);
    choose(page, IDC_DEV_MODE_PARAMETERS, LB_SETCURSEL, LBN_SELCHANGE, parameter);
    return {orvtest::itemText(page, IDC_DEV_MODE_CURRENT), orvtest::itemText(page, IDC_DEV_MODE_SAVED),
            orvtest::itemText(page, IDC_DEV_MODE_DEFAULT)};
  }
  static bool parametersEnabled(HWND page) {
    return IsWindowEnabled(GetDlgItem(page, IDC_DEV_MODE_PARAMETERS)) != FALSE;
  }

  std::unique_ptr<orvtest::ModalDriver> driver_;
};

TEST_F(DevsheetDefectModeDefaultBus, DefectLists) {
  onPage(0, 0, "Defect List", [](HWND sheet, HWND page) {
    EXPECT_EQ(total(page), "14");
    EXPECT_EQ(lines(page).front(), "Cylinder: 00112      Head: 00      Sector: 00453");
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "devsheet_defects_default_primary").empty());
    SendDlgItemMessageA(page, IDC_DEV_GROWN_LIST, BM_CLICK, 0, 0);
    EXPECT_EQ(lines(page), (Texts{"Cylinder: 04660      Head: 05      Sector: 00256",
                                  "Cylinder: 12045      Head: 02      Sector: 00077"}));
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "devsheet_defects_default_grown").empty());
  });
  // No grown defects; hundreds; more than one answer holds.
  onPage(0, 1, "Defect List", [](HWND, HWND page) {
    SendDlgItemMessageA(page, IDC_DEV_GROWN_LIST, BM_CLICK, 0, 0);
    EXPECT_EQ(lines(page), Texts{"No Grown Defects."});
  });
  onPage(4, 0, "Defect List", [](HWND, HWND page) {
    SendDlgItemMessageA(page, IDC_DEV_GROWN_LIST, BM_CLICK, 0, 0);
    EXPECT_EQ(total(page), "420");
  });
  onPage(4, 15, "Defect List", [](HWND, HWND page) { EXPECT_EQ(total(page), "1023"); });
  onPage(5, 0, "Defect List", [](HWND sheet, HWND page) {
    EXPECT_EQ(lines(page), Texts{"No Primary Defects."});
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_DEV_DEFECT_LIST)));
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "devsheet_defects_default_unreadable").empty());
  }, "Velmora SCSI Explorer", "The defect list for this device cannot be read. ");
}

TEST_F(DevsheetDefectModeDefaultBus, ModePages) {
  onPage(0, 0, "Mode Parameters", [&](HWND sheet, HWND page) {
    EXPECT_EQ(values(page, 0, 8), (Texts{"65535", "65535", "65535"}));
    EXPECT_EQ(values(page, 3, 8), (Texts{"11", "8", "5"}));  // read retry count
    EXPECT_EQ(values(page, 3, 13), (Texts{"65535", "65535", "200"}));
    EXPECT_EQ(values(page, 5, 5), (Texts{"6000", "3600", "0"}));
    EXPECT_EQ(values(page, 4, 0), (Texts{"19312", "19312", "19312"}));
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "devsheet_mode_default_geometry").empty());
  });
  // No block descriptors; no Information Exceptions page.
  onPage(3, 0, "Mode Parameters", [&](HWND, HWND page) {
    EXPECT_EQ(values(page, 0, 0), (Texts{"Enabled", "Enabled", "Enabled"}));
    EXPECT_EQ(values(page, 4, 0), (Texts{"10000", "10000", "10000"}));
    expectMessage("Corvath", "The command is not supported by the device.");
    choose(page, IDC_DEV_MODE_PAGES, CB_SETCURSEL, CBN_SELCHANGE, 5);
    EXPECT_FALSE(parametersEnabled(page));
  });
  // Short pages; pages answered as missing.
  onPage(1, 6, "Mode Parameters", [](HWND sheet, HWND page) {
    EXPECT_EQ(values(page, 0, 8), (Texts{"0", "0", "0"}));
    EXPECT_EQ(values(page, 3, 12), (Texts{"Unavailable", "Unavailable", "Unavailable"}));
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "devsheet_mode_default_short").empty());
    choose(page, IDC_DEV_MODE_PAGES, CB_SETCURSEL, CBN_SELCHANGE, 2);
    EXPECT_FALSE(parametersEnabled(page));
  });
}

}  // namespace
