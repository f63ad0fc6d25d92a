// Dunmere as the Control Panel sees it: the CPlApplet export of dunmere.cpl answering the
// Control Panel's messages, and the applet's life (start, double-clicks, end) with a
// recording stand-in for the automation object.
#include <windows.h>
#include <cpl.h>
#include <gtest/gtest.h>

#include "applet/applet.h"
#include "tests/support/modal_driver.h"
#include "tests/win/explorer_testkit.h"

namespace {

using namespace explorertest;
using explorer::ExplorerSettings;

constexpr char kTitle[] = "Velmora SCSI Explorer";

class Dunmere : public ::testing::Test {
 protected:
  void SetUp() override {
    deleteSettings();
    module = LoadLibraryA("dunmere.cpl");
    ASSERT_NE(module, nullptr);
    entry = reinterpret_cast<APPLET_PROC>(reinterpret_cast<void*>(GetProcAddress(module, "CPlApplet")));
    ASSERT_NE(entry, nullptr);
  }
  void TearDown() override {
    if (module) FreeLibrary(module);
  }
  LONG send(UINT message, LPARAM l1 = 0, LPARAM l2 = 0) { return entry(nullptr, message, l1, l2); }

  HMODULE module = nullptr;
  APPLET_PROC entry = nullptr;
};

TEST_F(Dunmere, AnswersTheControlPanelsMessages) {
  EXPECT_EQ(send(CPL_INIT), 1);
  EXPECT_EQ(send(CPL_GETCOUNT), 1);
  CPLINFO info = {-7, -7, -7, -7};
  EXPECT_EQ(send(CPL_INQUIRE, 0, reinterpret_cast<LPARAM>(&info)), 0);
  EXPECT_EQ(info.idIcon, -7);  // nothing filled: everything comes with CPL_NEWINQUIRE
  EXPECT_EQ(info.lData, -7);
  EXPECT_EQ(send(CPL_SELECT), 1);
  EXPECT_EQ(send(CPL_STOP), 1);
  EXPECT_EQ(send(CPL_STARTWPARMSA, 0, reinterpret_cast<LPARAM>("")), 0);
  EXPECT_EQ(send(CPL_STARTWPARMSW, 0, reinterpret_cast<LPARAM>(L"")), 0);
  EXPECT_EQ(send(CPL_SETUP), 1);
  EXPECT_EQ(send(0x1234), 1);
  EXPECT_EQ(send(CPL_EXIT), 0);
}

// 244 bytes in the 32-bit build, 252 in the 64-bit one.
TEST_F(Dunmere, DescribesItsEntryInA244ByteRecord) {
  const size_t size = sizeof(void*) == 8 ? 252 : 244;
  ASSERT_EQ(send(CPL_INIT), 1);
  union {
    NEWCPLINFOA info;
    unsigned char bytes[600];
  } record;
  std::memset(&record, 0xCC, sizeof record);
  EXPECT_EQ(send(CPL_NEWINQUIRE, 0, reinterpret_cast<LPARAM>(&record.info)), 0);
  EXPECT_EQ(record.info.dwSize, size);
  EXPECT_EQ(record.info.dwFlags, 0u);
  EXPECT_EQ(record.info.dwHelpContext, 0u);
  EXPECT_EQ(record.info.lData, 0);
  EXPECT_EQ(record.info.hIcon, LoadIconA(module, MAKEINTRESOURCEA(108)));
  EXPECT_NE(record.info.hIcon, nullptr);
  EXPECT_STREQ(record.info.szName, "Velmora SCSI Explorer");
  EXPECT_STREQ(record.info.szInfo, "Manages the setting of  Velmora SCSI cards and attached devices");
  EXPECT_STREQ(record.info.szHelpFile, "");
  EXPECT_EQ(record.bytes[size], 0xCC);  // nothing written past the record
  EXPECT_EQ(send(CPL_NEWINQUIRE, 0, 0), 1);  // no record: nothing to fill
  send(CPL_EXIT);
}

TEST_F(Dunmere, JustListingTheEntryKeepsTheStoredSettings) {
  ExplorerSettings stored;
  stored.view = ID_VIEW_DETAILS;
  stored.statusBar = 0;
  stored.sizePos = {1, 2, 300, 400};
  storeSettings(stored);
  send(CPL_INIT);
  send(CPL_GETCOUNT);
  NEWCPLINFOA info = {};
  send(CPL_NEWINQUIRE, 0, reinterpret_cast<LPARAM>(&info));
  send(CPL_EXIT);
  ExplorerSettings after;
  ASSERT_TRUE(loadSettings(after));
  EXPECT_EQ(after, stored);
}

// The applet's life with a stand-in object, through the same dispatch CPlApplet uses.
class DunmereApplet : public ::testing::Test {
 protected:
  void SetUp() override {
    deleteSettings();
    fillDefaultBus(bus);
    applet::dunmereApp().setServerFactory(fakeFactory(bus));
    ASSERT_EQ(applet::appletMessage(nullptr, CPL_INIT, 0, 0), 1);
  }
  void TearDown() override {
    applet::appletMessage(nullptr, CPL_EXIT, 0, 0);
    applet::dunmereApp().setServerFactory(explorer::corvathServerFactory());
  }
  LONG doubleClick(std::function<void(HWND)> action) {
    orvtest::ModalDriver driver;
    driver.expect(kTitle, std::move(action));
    LONG result = applet::appletMessage(nullptr, CPL_DBLCLK, 0, 0);
    EXPECT_TRUE(driver.allDone());
    return result;
  }
  FakeBus bus;
};

TEST_F(DunmereApplet, ASecondDoubleClickBringsTheOpenWindowForward) {
  EXPECT_EQ(doubleClick([&](HWND w) {
    ShowWindow(w, SW_MINIMIZE);
    pump();
    EXPECT_EQ(applet::appletMessage(nullptr, CPL_DBLCLK, 0, 0), 0);  // returns at once
    EXPECT_FALSE(IsIconic(w));
    EXPECT_EQ(bus.created, 1);
    command(w, ID_APPLET_CLOSE);
  }), 0);
  EXPECT_EQ(bus.created, 1);
}

TEST_F(DunmereApplet, SettingsAreWrittenWhenTheControlPanelLetsGo) {
  doubleClick([&](HWND w) {
    command(w, ID_VIEW_SMALL_ICONS);
    command(w, ID_VIEW_STATUS_BAR);
    SetWindowPos(w, nullptr, 40, 30, 500, 350, SWP_NOZORDER);
    command(w, ID_APPLET_CLOSE);
  });
  ExplorerSettings stored;
  EXPECT_FALSE(loadSettings(stored));  // not yet: only at the end
  applet::appletMessage(nullptr, CPL_STOP, 0, 0);
  applet::appletMessage(nullptr, CPL_EXIT, 0, 0);
  ASSERT_TRUE(loadSettings(stored));
  EXPECT_EQ(stored.view, ID_VIEW_SMALL_ICONS);
  EXPECT_EQ(stored.statusBar, 0);
  EXPECT_EQ(stored.sizePos, (std::array<int32_t, 4>{40, 30, 540, 380}));
  applet::appletMessage(nullptr, CPL_INIT, 0, 0);  // for TearDown
}

TEST_F(DunmereApplet, ASecondOpeningShowsTheStoredValuesWhenThereAreAny) {
  // No key yet: the second opening continues from the first.
  doubleClick([&](HWND w) { command(w, ID_VIEW_LIST); });
  doubleClick([&](HWND w) {
    EXPECT_EQ(viewStyle(w), static_cast<DWORD>(LVS_LIST));
    command(w, ID_VIEW_DETAILS);
  });
  // With a key, each opening starts from what it holds.
  ExplorerSettings stored;
  stored.view = ID_VIEW_SMALL_ICONS;
  storeSettings(stored);
  doubleClick([&](HWND w) { EXPECT_EQ(viewStyle(w), static_cast<DWORD>(LVS_SMALLICON)); });
}

TEST_F(DunmereApplet, WithoutTheObjectTheStoredSettingsStay) {
  ExplorerSettings stored;
  stored.view = ID_VIEW_DETAILS;
  stored.sizePos = {5, 6, 700, 800};
  storeSettings(stored);
  applet::dunmereApp().setServerFactory(failingFactory());
  orvtest::ModalDriver driver;
  driver.expect(kTitle, [](HWND box) {
    EXPECT_EQ(orvtest::messageBoxText(box),
              "Unable to load Corvath.dll component.\nPlease reinstall Orvane 6.0.");
    orvtest::pressButton(box, IDOK);
  });
  EXPECT_EQ(applet::appletMessage(nullptr, CPL_DBLCLK, 0, 0), 0);
  EXPECT_TRUE(driver.allDone());
  applet::appletMessage(nullptr, CPL_EXIT, 0, 0);
  ExplorerSettings after;
  ASSERT_TRUE(loadSettings(after));
  EXPECT_EQ(after, stored);
  applet::appletMessage(nullptr, CPL_INIT, 0, 0);
}

}  // namespace
