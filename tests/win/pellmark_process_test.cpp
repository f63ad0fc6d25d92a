// pellmark.exe as a person starts it, on the simulated default bus with the real object:
// one window at a time (its own or the Control Panel's), and no adapters.
#include <windows.h>
#include <commctrl.h>
#include <cpl.h>
#include <gtest/gtest.h>

#include "tests/support/modal_driver.h"
#include "tests/win/explorer_process.h"
#include "tests/win/explorer_testkit.h"

namespace {

using namespace explorertest;
using explorer::ExplorerSettings;

constexpr char kTitle[] = "Velmora SCSI Explorer";
constexpr DWORD kPatience = 60000;

class PellmarkProgram : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(registerCorvath(), 0); }
  void SetUp() override { deleteSettings(); }
};

TEST_F(PellmarkProgram, ASecondStartBringsTheWindowForwardAndStartsNothing) {
  Child first;
  ASSERT_TRUE(first.start("pellmark.exe"));
  HWND w = waitForWindow(first.pid(), kTitle, "PellmarkDialog", kPatience);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(remoteColumn(GetDlgItem(w, IDC_ADAPTER_LIST), 0).size(), 5u);
  SendMessageA(w, WM_COMMAND, ID_VIEW_DETAILS, 0);  // handled before the list is read
  EXPECT_EQ(remoteColumn(GetDlgItem(w, IDC_ADAPTER_LIST), 1)[0], "KESTREL-U320");
  HWND bar = GetDlgItem(w, IDW_STATUS_BAR);
  EXPECT_TRUE(IsWindowVisible(bar));
  EXPECT_EQ(remoteStatusText(bar), "The computer has 5 logical SCSI host adapter(s). ");
  settledScreenshot(w, "pellmark_window");

  ShowWindow(w, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(w));
  Child second;
  ASSERT_TRUE(second.start("pellmark.exe"));
  EXPECT_EQ(second.wait(kPatience), 0u);
  EXPECT_FALSE(IsIconic(w));  // restored by the second start
  EXPECT_EQ(windowsTitled(kTitle), std::vector<HWND>{w});

  PostMessageA(w, WM_COMMAND, ID_STANDALONE_CLOSE, 0);
  EXPECT_EQ(first.wait(kPatience), 0u);
  ExplorerSettings stored;
  ASSERT_TRUE(loadSettings(stored));
  EXPECT_EQ(stored.view, ID_VIEW_DETAILS);
}

TEST_F(PellmarkProgram, GivesWayToTheControlPanelsWindow) {
  HMODULE cpl = LoadLibraryA("dunmere.cpl");
  ASSERT_NE(cpl, nullptr);
  auto entry = reinterpret_cast<APPLET_PROC>(reinterpret_cast<void*>(GetProcAddress(cpl, "CPlApplet")));
  ASSERT_EQ(entry(nullptr, CPL_INIT, 0, 0), 1);
  orvtest::ModalDriver driver;
  driver.expect(kTitle, [&](HWND w) {
    Child program;
    ASSERT_TRUE(program.start("pellmark.exe"));
    EXPECT_EQ(program.wait(kPatience), 0u);  // this thread keeps serving the window meanwhile
    EXPECT_EQ(windowsTitled(kTitle), std::vector<HWND>{w});
    command(w, ID_APPLET_CLOSE);
  });
  EXPECT_EQ(entry(nullptr, CPL_DBLCLK, 0, 0), 0);
  EXPECT_TRUE(driver.allDone());
  entry(nullptr, CPL_EXIT, 0, 0);
  FreeLibrary(cpl);
}

TEST_F(PellmarkProgram, WithoutAdaptersItSaysSoAndStillWritesItsSettings) {
  Child program;
  ASSERT_TRUE(program.start("pellmark.exe", {"VRAX_SIM_BUS=" + emptyBusFile()}));
  HWND box = waitForMessageBox(program.pid(), kPatience);
  ASSERT_NE(box, nullptr);
  char text[256] = {};
  GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof text);
  EXPECT_STREQ(text,
               "No Velmora SCSI Host Adapter is detected in your computer.\n"
               "Velmora SCSI Explorer will exit now.");
  char caption[64] = {};
  GetWindowTextA(box, caption, sizeof caption);
  EXPECT_STREQ(caption, kTitle);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(program.wait(kPatience), 0u);
  ExplorerSettings stored;
  ASSERT_TRUE(loadSettings(stored));
  EXPECT_EQ(stored, ExplorerSettings{});
}

}  // namespace
