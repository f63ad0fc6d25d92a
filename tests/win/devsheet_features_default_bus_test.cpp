// The SCSI Features page as a front end reaches it: CorvathObj through COM on the
// simulator's default bus, the sheet's second tab.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "devsheet/devsheet_res.h"
#include "devsheet/features_page.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/win/devsheet_support.h"

namespace {

class DevsheetFeaturesDefaultBus : public devtest::SheetTest {};

HWND featuresPage(HWND sheet) {
  SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
  return devtest::currentPage(sheet);
}

bool visible(HWND page, int id) { return IsWindowVisible(GetDlgItem(page, id)) != FALSE; }

// The supported mark has a green tick where the other is a white box; the mark's corner
// is 2 pixels up and left of its control.
std::string drawnMarks(HWND page) {
  UpdateWindow(page);
  HDC dc = GetDC(page);
  std::string out;
  for (const dev::FeatureLine& line : dev::kFeatureLines) {
    RECT area;
    GetWindowRect(GetDlgItem(page, line.markId), &area);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&area), 2);
    const COLORREF pixel = GetPixel(dc, area.left - 2 + 6, area.top - 2 + 9);
    // The tick in the scheme's window text, an empty box in its window colour.
    out += pixel == GetSysColor(COLOR_WINDOWTEXT) ? '1' : pixel == GetSysColor(COLOR_WINDOW) ? '0' : '?';
  }
  ReleaseDC(page, dc);
  return out;
}

TEST_F(DevsheetFeaturesDefaultBus, NewestFamilyDiskWithItsRate) {
  const inv::DeviceInfo* disk = device(0, 0);  // INQUIRY byte 7 = 3Ah, 160.0 MB/s doubled
  ASSERT_NE(disk, nullptr);
  withSheet(*disk, [&](HWND sheet) {
    HWND page = featuresPage(sheet);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(orvtest::windowTitle(page), "SCSI Features");
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_TITLE), "ARVELL  HD-73U320       ");
    EXPECT_EQ(orvtest::itemText(page, 1633), "16 Bit Data Transfer (Wide SCSI)");
    EXPECT_EQ(orvtest::itemText(page, 1627), "Embedded Storage Array Controller");
    // Sync, Linked, CmdQue and WBus16.
    EXPECT_EQ(drawnMarks(page), "11110000");
    EXPECT_TRUE(visible(page, IDC_DEV_RATE_LABEL));
    EXPECT_TRUE(visible(page, IDC_DEV_RATE_MARK));
    EXPECT_TRUE(visible(page, IDC_DEV_RATE));
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_RATE_LABEL), "Actual Negotiated Transfer Rate");
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_RATE), "320.0 MB/Sec");
    EXPECT_EQ(SendDlgItemMessageA(page, IDC_DEV_FEATURES_ICON, STM_GETICON, 0, 0),
              corvath_.GetDeviceIcon(0));
    HFONT font = reinterpret_cast<HFONT>(SendDlgItemMessageA(page, IDC_DEV_TITLE, WM_GETFONT, 0, 0));
    LOGFONTA log = {};
    ASSERT_TRUE(GetObjectA(font, sizeof log, &log));
    EXPECT_EQ(log.lfWeight, 600);
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "devsheet_features_disk").empty());
  });
}

TEST_F(DevsheetFeaturesDefaultBus, OlderAdapterHasNoRateLine) {
  // Adapter 3 is of family 3; its disk announces WBus16, Sync and CmdQue (32h).
  const inv::DeviceInfo* disk = device(3, 0);
  ASSERT_NE(disk, nullptr);
  withSheet(*disk, [&](HWND sheet) {
    HWND page = featuresPage(sheet);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(drawnMarks(page), "10110000");
    EXPECT_FALSE(visible(page, IDC_DEV_RATE_LABEL));
    EXPECT_FALSE(visible(page, IDC_DEV_RATE_MARK));
    EXPECT_FALSE(visible(page, IDC_DEV_RATE));
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_RATE), "");
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "devsheet_features_older").empty());
  });
}

TEST_F(DevsheetFeaturesDefaultBus, EveryDeviceHasThePageBytesFiveAndSixToo) {
  // Adapter 4: an array controller (SCCS in byte 5) and a dual-port disk (MultiP in byte 6).
  const inv::DeviceInfo* array = device(4, 14);
  const inv::DeviceInfo* dual = device(4, 15);
  const inv::DeviceInfo* tape = device(0, 5);
  ASSERT_NE(array, nullptr);
  ASSERT_NE(dual, nullptr);
  ASSERT_NE(tape, nullptr);
  withSheet(*array, [&](HWND sheet) { EXPECT_EQ(drawnMarks(featuresPage(sheet)), "10110001"); });
  withSheet(*dual, [&](HWND sheet) { EXPECT_EQ(drawnMarks(featuresPage(sheet)), "10110010"); });
  withSheet(*tape, [&](HWND sheet) {
    EXPECT_EQ(orvtest::tabCount(sheet), 2);
    HWND page = featuresPage(sheet);
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_RATE), "80.0 MB/Sec");
  });
}

}  // namespace
