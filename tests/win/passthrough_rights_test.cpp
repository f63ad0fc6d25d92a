// The suite over the pass-through manager in a process that is not elevated: the
// machine's SCSI ports exist but none opens for commands. The user learns once what is
// missing and what to do, whichever objects ask, and the SCSI Explorer program says so
// before it ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "client/corvath_obj_driver.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/win/explorer_process.h"
#include "tests/win/explorer_testkit.h"
#include "tests/win/passthrough_suite_support.h"

namespace {

constexpr const char* kNoRights =
    "Opening this computer's SCSI host adapters and devices needs administrator rights, which "
    "this program does not have.\n\nClose it and start it again with \"Run as administrator\" "
    "(right-click its icon or shortcut).";

class PassthroughRights : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The whole process, and the programs it starts, run without rights.
    SetEnvironmentVariableA("VRAX_PT_FAKE", "no-rights");
    SetEnvironmentVariableA("VRAX_PT_FAKE_LOG", nullptr);
  }
  void SetUp() override {
    ASSERT_EQ(pttest::registerCorvath(), S_OK);
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
  }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(PassthroughRights, TheUserIsToldOnceWhatIsMissing) {
  CorvathObjDriver first, second;
  ASSERT_TRUE(first.create());
  ASSERT_TRUE(second.create());
  orvtest::ModalDriver driver;
  std::string shown;
  driver.expect(pttest::kCaption, [&](HWND box) {
    shown = orvtest::messageBoxText(box);
    EXPECT_FALSE(orvtest::saveScreenshot(box, "passthrough_no_rights").empty());
    orvtest::pressButton(box, IDOK);
  });
  EXPECT_EQ(first.GetHostAdaptersCount(), 0);
  EXPECT_TRUE(driver.allDone());
  EXPECT_EQ(shown, kNoRights);
  // Nothing more for this process: not again, not "no cards" for the list.
  EXPECT_EQ(first.GetHostAdaptersCount(), 0);
  EXPECT_EQ(second.GetHostAdaptersCount(), 0);
  EXPECT_EQ(second.GetHostAdaptersList(), 0);
  EXPECT_TRUE(driver.unexpected().empty());
}

TEST_F(PassthroughRights, TheExplorerProgramSaysWhatIsMissingThenEnds) {
  explorertest::deleteSettings();
  explorertest::Child program;
  ASSERT_TRUE(program.start("pellmark.exe"));
  for (const char* expected :
       {kNoRights, "No Velmora SCSI Host Adapter is detected in your computer.\n"
                   "Velmora SCSI Explorer will exit now."}) {
    HWND box = explorertest::waitForMessageBox(program.pid(), 60000);
    ASSERT_NE(box, nullptr) << expected;
    EXPECT_EQ(orvtest::messageBoxText(box), expected);
    EXPECT_EQ(orvtest::windowTitle(box), pttest::kCaption);
    if (expected == kNoRights) explorertest::settledScreenshot(box, "passthrough_no_rights_pellmark");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    // The next box is a new window: wait for this one to go first.
    for (DWORD start = GetTickCount(); IsWindow(box) && GetTickCount() - start < 60000;)
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  EXPECT_EQ(program.wait(60000), 0u);
}

}  // namespace
