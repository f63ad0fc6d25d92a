// Dunmere with the real automation object on the simulated default bus: loaded into
// this process as a Control Panel would, and run by Wine's own control.exe.
#include <windows.h>
#include <commctrl.h>
#include <cpl.h>
#include <gtest/gtest.h>

#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/win/explorer_process.h"
#include "tests/win/explorer_testkit.h"

namespace {

using namespace explorertest;
using explorer::ExplorerSettings;
using Names = std::vector<std::string>;

constexpr char kTitle[] = "Velmora SCSI Explorer";

class DunmereOnTheBus : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(registerCorvath(), 0);
    std::string bin = binFolder();
    setInstallFolder(bin.substr(0, bin.size() - 1));
  }
  void SetUp() override { deleteSettings(); }
};

TEST_F(DunmereOnTheBus, ListsTheAdaptersInEveryView) {
  HMODULE cpl = LoadLibraryA("dunmere.cpl");
  ASSERT_NE(cpl, nullptr);
  auto entry = reinterpret_cast<APPLET_PROC>(reinterpret_cast<void*>(GetProcAddress(cpl, "CPlApplet")));
  ASSERT_EQ(entry(nullptr, CPL_INIT, 0, 0), 1);

  orvtest::ModalDriver driver;
  driver.expect(kTitle, [&](HWND w) {
    ASSERT_EQ(ListView_GetItemCount(list(w)), 5);
    EXPECT_EQ(statusText(w), "The computer has 5 logical SCSI host adapter(s). ");
    Names names = column(w, 0);
    EXPECT_EQ(names[0].substr(names[0].size() - 2), " A");  // the two channels of one card
    EXPECT_EQ(names[1].substr(names[1].size() - 2), " B");
    orvtest::saveScreenshot(w, "dunmere_large_icons");

    select(w, 2);  // an older family: no Seldarn
    openFileMenu(w);
    EXPECT_TRUE(menuState(w, ID_APPLET_SELDARN) & MF_GRAYED);

    command(w, ID_VIEW_SMALL_ICONS);
    orvtest::saveScreenshot(w, "dunmere_small_icons");
    command(w, ID_VIEW_LIST);
    orvtest::saveScreenshot(w, "dunmere_list");
    command(w, ID_VIEW_DETAILS);
    EXPECT_EQ(column(w, 2), (Names{"7", "7", "7", "7", "7"}));
    EXPECT_EQ(column(w, 1)[0], "KESTREL-U320");
    select(w, 0);
    SetFocus(list(w));
    orvtest::saveScreenshot(w, "dunmere_details");

    // Open: the object's device list for the selected adapter.
    command(w, ID_FILE_OPEN);
    command(w, ID_APPLET_CLOSE);
  });
  driver.expect("", [](HWND devices) { orvtest::saveScreenshot(devices, "dunmere_device_list"); });
  EXPECT_EQ(entry(nullptr, CPL_DBLCLK, 0, 0), 0);
  EXPECT_TRUE(driver.allDone());
  EXPECT_TRUE(driver.unexpected().empty());
  entry(nullptr, CPL_STOP, 0, 0);
  entry(nullptr, CPL_EXIT, 0, 0);
  FreeLibrary(cpl);

  ExplorerSettings stored;
  ASSERT_TRUE(loadSettings(stored));
  EXPECT_EQ(stored.view, ID_VIEW_DETAILS);
  EXPECT_EQ(stored.statusBar, 1);
}

TEST_F(DunmereOnTheBus, ControlExeOpensTheWindow) {
  Child control;
  ASSERT_TRUE(control.start("control.exe \"" + binFolder() + "dunmere.cpl\""));
  HWND w = waitForWindow(control.pid(), kTitle, "#32770", 60000);
  ASSERT_NE(w, nullptr);
  HWND listWindow = GetDlgItem(w, IDC_ADAPTER_LIST);
  EXPECT_EQ(remoteColumn(listWindow, 0).size(), 5u);
  EXPECT_EQ(remoteStatusText(GetDlgItem(w, IDW_STATUS_BAR)),
            "The computer has 5 logical SCSI host adapter(s). ");
  EXPECT_FALSE(settledScreenshot(w, "control_exe_dunmere").empty());
  PostMessageA(w, WM_COMMAND, ID_VIEW_LIST, 0);
  PostMessageA(w, WM_COMMAND, ID_APPLET_CLOSE, 0);
  EXPECT_NE(control.wait(60000), static_cast<DWORD>(STILL_ACTIVE));
  ExplorerSettings stored;
  ASSERT_TRUE(loadSettings(stored));  // written when control.exe let the applet go
  EXPECT_EQ(stored.view, ID_VIEW_LIST);
}

TEST_F(DunmereOnTheBus, WithoutAdaptersTheWindowSaysSoAndTheSettingsAreWritten) {
  Child control;
  ASSERT_TRUE(control.start("control.exe \"" + binFolder() + "dunmere.cpl\"",
                            {"VRAX_SIM_BUS=" + emptyBusFile()}));
  HWND box = waitForMessageBox(control.pid(), 60000);
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
  EXPECT_NE(control.wait(60000), static_cast<DWORD>(STILL_ACTIVE));
  ExplorerSettings stored;
  EXPECT_TRUE(loadSettings(stored));
}

}  // namespace
