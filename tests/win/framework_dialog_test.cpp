// The framework's first part under Wine: a modal dialog from a template with data
// exchange, string-table texts and their formatting, message boxes by id, wait cursor.
#include <windows.h>
#include <gtest/gtest.h>

#include "framework/dialog.h"
#include "framework/msgbox.h"
#include "framework/strings.h"
#include "framework/waitcursor.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"

namespace {

constexpr int IDD_SMOKE = 200, IDC_NAME = 201, IDC_AGREE = 202, IDC_COUNT = 203;

class SmokeDialog : public fw::Dialog {
 public:
  SmokeDialog() : Dialog(IDD_SMOKE) {}
  std::string name = "initial";
  int agree = BST_CHECKED;
  int count = 7;

 protected:
  void doDataExchange(fw::DataExchange& dx) override {
    dx.text(IDC_NAME, name);
    dx.check(IDC_AGREE, agree);
    dx.number(IDC_COUNT, count);
  }
};

TEST(FrameworkDialog, ControlsShowTheMembersAndOkReadsThemBack) {
  SmokeDialog dialog;
  orvtest::ModalDriver driver;
  driver.expect("Framework Smoke", [](HWND dlg) {
    EXPECT_EQ(orvtest::itemText(dlg, IDC_NAME), "initial");
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_AGREE), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(orvtest::itemText(dlg, IDC_COUNT), "7");
    EXPECT_FALSE(orvtest::saveScreenshot(dlg, "framework_smoke_dialog").empty());
    SetDlgItemTextA(dlg, IDC_NAME, "changed by the user");
    CheckDlgButton(dlg, IDC_AGREE, BST_UNCHECKED);
    SetDlgItemTextA(dlg, IDC_COUNT, "42");
    orvtest::pressButton(dlg, IDOK);
  });
  EXPECT_EQ(dialog.doModal(), IDOK);
  EXPECT_TRUE(driver.allDone());
  EXPECT_EQ(dialog.name, "changed by the user");
  EXPECT_EQ(dialog.agree, BST_UNCHECKED);
  EXPECT_EQ(dialog.count, 42);
}

TEST(FrameworkDialog, CancelLeavesTheMembersAlone) {
  SmokeDialog dialog;
  orvtest::ModalDriver driver;
  driver.expect("Framework Smoke", [](HWND dlg) {
    SetDlgItemTextA(dlg, IDC_NAME, "typed, then cancelled");
    SetDlgItemTextA(dlg, IDC_COUNT, "not a number");
    orvtest::pressButton(dlg, IDCANCEL);
  });
  EXPECT_EQ(dialog.doModal(), IDCANCEL);
  EXPECT_EQ(dialog.name, "initial");
  EXPECT_EQ(dialog.count, 7);
}

TEST(FrameworkStrings, LoadsAndFormatsStringTableEntries) {
  EXPECT_EQ(fw::loadString(300), "Velmora SCSI Explorer");
  EXPECT_EQ(fw::loadString(299), "");  // same block, no entry
  EXPECT_EQ(fw::loadString(9999), "");  // no block at all
  EXPECT_FALSE(fw::hasString(9999));
  EXPECT_EQ(fw::formatString(301, "Model X A", 3u), "Model X A has 3 attached device(s).");
  EXPECT_EQ(fw::formatString(302, "GetHAPCIConfigInfo()"),
            "The WinVRAX version on your computer does not support\nGetHAPCIConfigInfo() function.");
  EXPECT_EQ(fw::formatMessage(303, {"one", "two"}), "two follows one");
}

TEST(FrameworkMessageBox, ShowsTheTextAndCaptionById) {
  orvtest::ModalDriver driver;
  driver.expect("Velmora SCSI Explorer", [](HWND box) {
    EXPECT_EQ(orvtest::messageBoxText(box), "%2 follows %1");
    orvtest::pressButton(box, IDOK);
  });
  EXPECT_EQ(fw::messageBox(nullptr, 303, 300, MB_OK | MB_ICONEXCLAMATION), IDOK);
  EXPECT_TRUE(driver.allDone());
}

TEST(FrameworkWaitCursor, NestsAndRestores) {
  EXPECT_EQ(fw::waitCursorDepth(), 0);
  {
    fw::WaitCursor outer;
    fw::doWaitCursor(1);
    EXPECT_EQ(fw::waitCursorDepth(), 2);
    fw::doWaitCursor(0);
  }
  EXPECT_EQ(fw::waitCursorDepth(), 0);
  fw::doWaitCursor(0);  // unbalanced end is harmless
  EXPECT_EQ(fw::waitCursorDepth(), 0);
}

}  // namespace
