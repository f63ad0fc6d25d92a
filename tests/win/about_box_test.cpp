// The About box under Wine: its texts, and the picture drawn with white transparent.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/scale.h"
#include "framework/strings.h"
#include "server/about.h"
#include "server/about_res.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"

namespace {

class AboutBox : public testing::Test {
 protected:
  // Corvath's start-up loads the rich-edit control; this program does it itself.
  static void SetUpTestSuite() { LoadLibraryA("riched20.dll"); }
};

// The step may come before the dialog loop first shows the window.
void show(HWND dlg) {
  if (!IsWindowVisible(dlg)) ShowWindow(dlg, SW_SHOWNORMAL);
  UpdateWindow(dlg);
}

COLORREF pixel(HWND dlg, int x, int y) {
  HDC dc = GetDC(dlg);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(dlg, dc);
  return c;
}

RECT frameOf(HWND dlg) {
  RECT r;
  GetWindowRect(GetDlgItem(dlg, IDC_ABOUT_FRAME), &r);
  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST_F(AboutBox, VersionNoticeAndOk) {
  orvtest::ModalDriver driver;
  driver.expect("About Velmora SCSI Explorer", [](HWND dlg) {
    show(dlg);
    EXPECT_EQ(orvtest::itemText(dlg, IDC_ABOUT_VERSION), "Version 6.0.0.0030");
    std::string notice = orvtest::itemText(dlg, IDC_ABOUT_NOTICE);
    EXPECT_NE(notice.find("Copyright (C) Velmora"), std::string::npos) << notice;
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(dlg, IDC_ABOUT_NOTICE), GWL_STYLE) & ES_READONLY);
    // 234 x 175 dialog units.
    RECT units = {0, 0, 234, 175}, client;
    MapDialogRect(dlg, &units);
    GetClientRect(dlg, &client);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);
    EXPECT_FALSE(orvtest::saveScreenshot(dlg, "about_box").empty());
    orvtest::pressButton(dlg, IDOK);
  });
  srv::CAboutDlg about;
  EXPECT_EQ(about.doModal(), IDOK);
  EXPECT_TRUE(driver.allDone());
}

TEST_F(AboutBox, PictureKeepsItsColoursAndWhiteShowsTheFace) {
  orvtest::ModalDriver driver;
  driver.expect("About Velmora SCSI Explorer", [](HWND dlg) {
    show(dlg);
    RECT frame = frameOf(dlg);
    const int x = frame.left + 10, y = frame.top;
    // The picture's corner is white in the bitmap: the dialog's face shows through.
    EXPECT_EQ(pixel(dlg, x, y), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(pixel(dlg, x + 239, y + 71), GetSysColor(COLOR_BTNFACE));
    // Inside the adapter card: its own green, from the picture's palette.
    EXPECT_EQ(pixel(dlg, x + 8, y + 44), RGB(22, 104, 60));
    // The title below the picture: a shadow in the scheme's 3-D shadow and a face that
    // stands out from the dialog's (the 3-D highlight, or the text where that would not).
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT), text = GetSysColor(COLOR_BTNTEXT);
    bool shadow = false, face = false;
    for (int yy = y + 72; yy < frame.bottom; ++yy) {
      for (int xx = frame.left; xx < frame.right; ++xx) {
        COLORREF c = pixel(dlg, xx, yy);
        shadow = shadow || c == GetSysColor(COLOR_BTNSHADOW);
        face = face || ((c == highlight || c == text) &&
                        fw::contrastRatio(c, GetSysColor(COLOR_BTNFACE)) >= 1.5);
      }
    }
    EXPECT_TRUE(shadow);
    EXPECT_TRUE(face);
    orvtest::pressButton(dlg, IDOK);
  });
  srv::showAbout();
  EXPECT_TRUE(driver.allDone());
}

}  // namespace
