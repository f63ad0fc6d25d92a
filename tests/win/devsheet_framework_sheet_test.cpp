// The framework's property sheet and pages: modal run, start page, title, data exchange
// on the sheet's notifications, and a page's way to its sheet.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devsheet/devsheet_res.h"
#include "framework/propsheet.h"
#include "tests/support/modal_driver.h"

namespace {

class TestPage : public fw::PropertyPage {
 public:
  explicit TestPage(std::string text) : PropertyPage(IDD_DEV_GENERAL), text(std::move(text)) {}
  std::string text;
  std::vector<std::string> events;
  bool allowLeave = true;

 protected:
  void doDataExchange(fw::DataExchange& dx) override { dx.text(IDC_DEV_VENDOR, text); }
  BOOL onInitDialog() override {
    events.push_back("init");
    return PropertyPage::onInitDialog();
  }
  bool onSetActive() override {
    events.push_back("setactive");
    return true;
  }
  bool onKillActive() override {
    events.push_back("killactive");
    return allowLeave && PropertyPage::onKillActive();
  }
  bool onApply() override {
    events.push_back("apply");
    return true;
  }
  void onReset() override { events.push_back("reset"); }
};

class TestSheet : public fw::PropertySheet {
 public:
  using PropertySheet::PropertySheet;
  HWND initializedWith = nullptr;

 protected:
  void onInitialized() override { initializedWith = hwnd(); }
};

void pressSheetButton(HWND sheet, int button) {
  PostMessageA(sheet, PSM_PRESSBUTTON, button, 0);
}

TEST(DevsheetFrameworkSheet, StartPageTitleAndOk) {
  TestSheet sheet("Two Pages", nullptr, 1);
  TestPage first("alpha"), second("beta");
  sheet.addPage(&first);
  sheet.addPage(&second);
  EXPECT_EQ(first.sheet(), &sheet);
  EXPECT_EQ(sheet.pageCount(), 2u);

  orvtest::ModalDriver driver;
  driver.expect("Two Pages", [&](HWND dlg) {
    EXPECT_EQ(sheet.initializedWith, dlg);
    EXPECT_EQ(sheet.hwnd(), dlg);
    // Only the start page exists, filled from its member.
    EXPECT_EQ(first.hwnd(), nullptr);
    ASSERT_NE(second.hwnd(), nullptr);
    EXPECT_EQ(GetParent(second.hwnd()), dlg);
    EXPECT_EQ(orvtest::itemText(second.hwnd(), IDC_DEV_VENDOR), "beta");
    // The page's caption is its template's.
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(dlg, PSM_GETTABCONTROL, 0, 0));
    char caption[64] = {};
    TCITEMA tab = {};
    tab.mask = TCIF_TEXT;
    tab.pszText = caption;
    tab.cchTextMax = sizeof caption;
    SendMessageA(tabs, TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tab));
    EXPECT_STREQ(caption, "General");
    SetDlgItemTextA(second.hwnd(), IDC_DEV_VENDOR, "gamma");
    pressSheetButton(dlg, PSBTN_OK);
  }, false);
  EXPECT_EQ(sheet.doModal(), IDOK);
  EXPECT_TRUE(driver.allDone());
  EXPECT_TRUE(driver.unexpected().empty());
  EXPECT_EQ(sheet.hwnd(), nullptr);
  EXPECT_EQ(second.text, "gamma");  // taken back when the page was left
  EXPECT_EQ(first.events, std::vector<std::string>());
  EXPECT_EQ(second.events, (std::vector<std::string>{"init", "setactive", "killactive", "apply"}));
}

TEST(DevsheetFrameworkSheet, PageThatRefusesToBeLeftKeepsTheSheetThere) {
  TestSheet sheet("Refusing", nullptr, 0);
  TestPage first("one"), second("two");
  first.allowLeave = false;
  sheet.addPage(&first);
  sheet.addPage(&second);
  orvtest::ModalDriver driver;
  driver.expect("Refusing", [&](HWND dlg) {
    EXPECT_FALSE(SendMessageA(dlg, PSM_SETCURSEL, 1, 0));
    EXPECT_EQ(second.hwnd(), nullptr);
    first.allowLeave = true;
    sheet.setActivePage(1);
    EXPECT_NE(second.hwnd(), nullptr);
    sheet.setTitle("Renamed");
    EXPECT_EQ(orvtest::windowTitle(dlg), "Renamed");
    pressSheetButton(dlg, PSBTN_CANCEL);
  }, false);
  EXPECT_EQ(sheet.doModal(), IDCANCEL);
  EXPECT_TRUE(driver.allDone());
  EXPECT_EQ(first.events.back(), "reset");
  EXPECT_EQ(second.events.back(), "reset");
}

TEST(DevsheetFrameworkSheet, NothingToShow) {
  fw::PropertySheet empty("Empty", nullptr, 0);
  EXPECT_EQ(empty.doModal(), -1);
}

}  // namespace
