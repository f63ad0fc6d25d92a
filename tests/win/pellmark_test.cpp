// Pellmark's run, in this process with a recording stand-in for the automation object:
// its own ids, window class, start-up order, help and settings.
#include <windows.h>
#include <gtest/gtest.h>

#include "explorer/html_help.h"
#include "standalone/pellmark_app.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/win/explorer_testkit.h"

namespace {

using namespace explorertest;
using explorer::ExplorerSettings;
using Names = std::vector<std::string>;

constexpr char kTitle[] = "Velmora SCSI Explorer";

class Pellmark : public ::testing::Test {
 protected:
  void SetUp() override {
    deleteSettings();
    fillDefaultBus(bus);
    recordHelp();
  }
  void TearDown() override { explorer::setHtmlHelpForTesting(nullptr); }
  void run(std::function<void(HWND)> action, explorer::ServerFactory factory = nullptr) {
    orvtest::ModalDriver driver;
    driver.expect(kTitle, std::move(action));
    standalone::CPellmarkApp app;
    app.setServerFactory(factory ? factory : fakeFactory(bus));
    EXPECT_EQ(app.run(), 0);
    EXPECT_TRUE(driver.allDone());
  }
  FakeBus bus;
};

TEST_F(Pellmark, ShowsTheWindowWithItsOwnClassIdsAndHeadings) {
  run([&](HWND w) {
    char className[64] = {};
    GetClassNameA(w, className, sizeof className);
    EXPECT_STREQ(className, "PellmarkDialog");
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128));
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(w, WM_GETICON, ICON_BIG, 0)), icon);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(w, WM_GETICON, ICON_SMALL, 0)), icon);
    HMENU file = GetSubMenu(GetMenu(w), 0);
    std::vector<UINT> ids;
    for (int i = 0; i < GetMenuItemCount(file); ++i) ids.push_back(GetMenuItemID(file, i));
    EXPECT_EQ(ids, (std::vector<UINT>{57601, 0, 32775, 32774, 0, 57602}));
    EXPECT_EQ(statusText(w), "The computer has 5 logical SCSI host adapter(s). ");

    command(w, ID_VIEW_DETAILS);
    EXPECT_EQ(headings(w), (Names{"Host Adapter Name", "Driver", "SCSI ID", "Devices Attached"}));
    select(w, 0);  // an older adapter: the program's own Seldarn id is greyed
    openFileMenu(w);
    EXPECT_EQ(menuState(w, ID_STANDALONE_PROPERTIES), 0u);
    EXPECT_TRUE(menuState(w, ID_STANDALONE_SELDARN) & MF_GRAYED);
    SendMessageA(w, WM_MENUSELECT, MAKEWPARAM(ID_STANDALONE_SELDARN, MF_HILITE),
                 reinterpret_cast<LPARAM>(GetMenu(w)));
    EXPECT_EQ(statusText(w), "Performs Seldarn on the selected Host Adapter.");
    select(w, 1);
    SetFocus(list(w));
    orvtest::saveScreenshot(w, "pellmark_details");

    bus.calls.clear();
    for (int id : {ID_STANDALONE_PROPERTIES, ID_STANDALONE_SELDARN, ID_APPLET_PROPERTIES,
                   ID_APPLET_SELDARN, ID_APPLET_CLOSE})
      command(w, id);
    std::string b = bus.records[1].displayName;
    EXPECT_EQ(bus.calls, (Names{"ShowHostAdapterProperty " + b + " 0", "ShowSeldarn " + b}));
    ASSERT_TRUE(IsWindow(w));
    command(w, ID_STANDALONE_CLOSE);
    EXPECT_FALSE(IsWindowVisible(w));  // ended
  });
  EXPECT_EQ(bus.calls.size(), 2u);
}

TEST_F(Pellmark, StartsInItsOwnOrderAndNeverMovesTheWindow) {
  ExplorerSettings stored;
  stored.view = ID_VIEW_LIST;
  stored.sizePos = {10, 10, 20, 20};  // kept, never applied
  storeSettings(stored);
  run([&](HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_NE(r.right - r.left, 10);
    EXPECT_EQ(viewStyle(w), static_cast<DWORD>(LVS_LIST));
    SetWindowPos(w, nullptr, 200, 150, 480, 360, SWP_NOZORDER);
    command(w, ID_VIEW_STATUS_BAR);
  });
  EXPECT_EQ(bus.calls, (Names{"GetHostAdaptersCount", "GetHostAdapterIcon", "GetHostAdapterIcon",
                              "GetHostAdaptersList"}));
  ExplorerSettings after;
  ASSERT_TRUE(loadSettings(after));
  EXPECT_EQ(after.sizePos, stored.sizePos);
  EXPECT_EQ(after.view, ID_VIEW_LIST);
  EXPECT_EQ(after.statusBar, 0);
}

TEST_F(Pellmark, HelpGoesToTheBareFileNameAndIsClosedWithTheWindow) {
  run([&](HWND w) {
    command(w, ID_HELP_TOPICS);
    HELPINFO info = {sizeof info, HELPINFO_WINDOW, IDC_ADAPTER_LIST, list(w), 0, {0, 0}};
    SendMessageA(w, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
  });
  ASSERT_EQ(helpCalls().size(), 3u);
  EXPECT_EQ(helpCalls()[0].file, "orvane60.chm");
  EXPECT_EQ(helpCalls()[0].owner, nullptr);
  EXPECT_EQ(helpCalls()[1].file, "orvane60.chm");
  EXPECT_NE(helpCalls()[1].owner, nullptr);
  EXPECT_EQ(helpCalls()[2].command, 0x12u);  // HH_CLOSE_ALL when the window goes
}

TEST_F(Pellmark, FailuresAreReportedAndTheSettingsStillWritten) {
  struct Case {
    const char* text;
    bool noServer;
    bool stored;
  } cases[] = {
      {"Unable to load Corvath.dll component.\nPlease reinstall Orvane 6.0.", true, true},
      {"Unable to load Corvath.dll component.\nPlease reinstall Orvane 6.0.", true, false},
      {"No Velmora SCSI Host Adapter is detected in your computer.\nVelmora SCSI Explorer will exit now.",
       false, true},
      {"No Velmora SCSI Host Adapter is detected in your computer.\nVelmora SCSI Explorer will exit now.",
       false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    deleteSettings();
    ExplorerSettings stored;
    stored.view = ID_VIEW_DETAILS;
    stored.sizePos = {1, 2, 3, 4};
    if (c.stored) storeSettings(stored);
    FakeBus empty;
    orvtest::ModalDriver driver;
    driver.expect(kTitle, [&](HWND box) {
      EXPECT_EQ(orvtest::messageBoxText(box), c.text);
      orvtest::pressButton(box, IDOK);
    });
    standalone::CPellmarkApp app;
    app.setServerFactory(c.noServer ? failingFactory() : fakeFactory(empty));
    EXPECT_EQ(app.run(), 0);
    EXPECT_TRUE(driver.allDone());
    ExplorerSettings after;
    ASSERT_TRUE(loadSettings(after));  // written either way
    EXPECT_EQ(after, c.stored ? stored : ExplorerSettings{});
  }
}

}  // namespace
