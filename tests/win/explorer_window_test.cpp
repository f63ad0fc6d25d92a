// The SCSI Explorer window as the Control Panel applet shows it, driven as a person
// would (commands by id, clicks on the header, context menus, the keyboard's help key)
// against a recording stand-in for the automation object.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>

#include "explorer/explorer_dlg.h"
#include "explorer/html_help.h"
#include "framework/module.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/win/explorer_testkit.h"

namespace {

using namespace explorertest;
using explorer::ExplorerSettings;
using Names = std::vector<std::string>;

constexpr char kTitle[] = "Velmora SCSI Explorer";

std::string binFolder() {
  std::string f = fw::moduleFolder(nullptr);
  return f.substr(0, f.size() - 1);
}

class ExplorerWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    deleteSettings();
    setInstallFolder(binFolder());
    fillDefaultBus(bus);
    bus.icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(108));
    recordHelp();
  }
  void TearDown() override { explorer::setHtmlHelpForTesting(nullptr); }

  INT_PTR run(std::function<void(HWND)> action, explorer::ServerFactory factory = nullptr) {
    orvtest::ModalDriver driver;
    driver.expect(kTitle, std::move(action));
    explorer::CScsiExplorerDlg window(explorer::kAppletFlavor, settings,
                                      factory ? factory : fakeFactory(bus), nullptr);
    INT_PTR result = window.doModal();
    settingsRead = window.settingsRead();
    EXPECT_TRUE(driver.allDone());
    EXPECT_TRUE(driver.unexpected().empty());
    return result;
  }

  Names names(std::initializer_list<int> order) const {
    Names out;
    for (int i : order) out.push_back(bus.records[static_cast<size_t>(i)].displayName);
    return out;
  }

  FakeBus bus;
  ExplorerSettings settings;
  bool settingsRead = false;
};

TEST_F(ExplorerWindow, OpensOnTheAdaptersInTheServersOrder) {
  INT_PTR result = run([&](HWND w) {
    EXPECT_EQ(column(w, 0), names({0, 1, 2, 3, 4}));
    EXPECT_EQ(static_cast<long>(ListView_GetItemCount(list(w))), 5);
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = 3;
    ListView_GetItem(list(w), &item);
    EXPECT_EQ(item.lParam, bus.address(3));
    EXPECT_EQ(viewStyle(w), static_cast<DWORD>(LVS_ICON));
    EXPECT_EQ(checkedView(GetSubMenu(GetMenu(w), 1)), static_cast<UINT>(ID_VIEW_LARGE_ICONS));
    EXPECT_TRUE(menuState(w, ID_VIEW_STATUS_BAR) & MF_CHECKED);
    EXPECT_TRUE(statusBarShown(w));
    EXPECT_EQ(statusText(w), "The computer has 5 logical SCSI host adapter(s). ");
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(w, WM_GETICON, ICON_BIG, 0)), bus.icon);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(w, WM_GETICON, ICON_SMALL, 0)), bus.icon);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(w, WM_QUERYDRAGICON, 0, 0)), bus.icon);
    orvtest::saveScreenshot(w, "explorer_large_icons");
    command(w, ID_APPLET_CLOSE);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(bus.calls, (Names{"GetScsiLogoIcon", "GetHostAdapterIcon", "GetHostAdapterIcon",
                              "GetHostAdaptersCount", "GetHostAdaptersList"}));
}

TEST_F(ExplorerWindow, FourViewsAndTheDetailsColumns) {
  run([&](HWND w) {
    const struct {
      int command;
      DWORD style;
      const char* shot;
    } views[] = {{ID_VIEW_SMALL_ICONS, LVS_SMALLICON, "explorer_small_icons"},
                 {ID_VIEW_LIST, LVS_LIST, "explorer_list"},
                 {ID_VIEW_DETAILS, LVS_REPORT, "explorer_details"},
                 {ID_VIEW_LARGE_ICONS, LVS_ICON, nullptr}};
    for (const auto& v : views) {
      command(w, v.command);
      EXPECT_EQ(viewStyle(w), v.style) << v.command;
      EXPECT_EQ(checkedView(GetSubMenu(GetMenu(w), 1)), static_cast<UINT>(v.command));
      EXPECT_EQ(column(w, 0), names({0, 1, 2, 3, 4})) << v.command;
      if (v.command == ID_VIEW_DETAILS) {
        RECT outer;
        GetWindowRect(w, &outer);
        EXPECT_EQ(columnWidths(w), (std::vector<int>{180, 100, 80, outer.right - outer.left - 360}));
        EXPECT_EQ(headings(w), (Names{"Host Adapter", "Driver", "SCSI ID", "Devices Attached"}));
        EXPECT_EQ(column(w, 1), (Names{"vrxfast", "vrx320", "vrxmini", "vrx320", "vrx160"}));
        EXPECT_EQ(column(w, 2), (Names{"7", "6", "5", "15", "7"}));
        EXPECT_EQ(column(w, 3), (Names{"1", "4", "0", "2", "3"}));
        select(w, 1);
        SetFocus(list(w));
      }
      if (v.shot) orvtest::saveScreenshot(w, v.shot);
    }
    command(w, ID_VIEW_DETAILS);
    command(w, ID_APPLET_CLOSE);
  });
  EXPECT_EQ(settings.view, ID_VIEW_DETAILS);
}

TEST_F(ExplorerWindow, SortOrdersAndHeaderClicks) {
  run([&](HWND w) {
    command(w, ID_VIEW_DETAILS);
    clickHeader(w, 0);  // first click: ascending
    EXPECT_EQ(column(w, 0), names({4, 2, 0, 1, 3}));
    clickHeader(w, 0);
    EXPECT_EQ(column(w, 0), names({3, 1, 0, 2, 4}));
    clickHeader(w, 2);  // SCSI ID and Devices do not sort
    clickHeader(w, 3);
    EXPECT_EQ(column(w, 0), names({3, 1, 0, 2, 4}));
    command(w, ID_ARRANGE_BY_NAME);
    EXPECT_EQ(column(w, 0), names({4, 2, 0, 1, 3}));
    clickHeader(w, 0);  // after "by Name": descending
    EXPECT_EQ(column(w, 0), names({3, 1, 0, 2, 4}));
    clickHeader(w, 1);  // its own flag: ascending
    EXPECT_EQ(column(w, 1), (Names{"vrx160", "vrx320", "vrx320", "vrxfast", "vrxmini"}));
    command(w, ID_ARRANGE_BY_DRIVER);
    EXPECT_EQ(column(w, 1), (Names{"vrx160", "vrx320", "vrx320", "vrxfast", "vrxmini"}));
    clickHeader(w, 1);
    EXPECT_EQ(column(w, 1), (Names{"vrxmini", "vrxfast", "vrx320", "vrx320", "vrx160"}));
    command(w, ID_ARRANGE_BY_SCSI_ID);  // by adapter number, not by the SCSI ID column
    EXPECT_EQ(column(w, 0), names({1, 3, 4, 0, 2}));
    EXPECT_EQ(column(w, 2), (Names{"6", "15", "7", "7", "5"}));
    command(w, ID_VIEW_LIST);  // a view switch lists the server's order again
    EXPECT_EQ(column(w, 0), names({0, 1, 2, 3, 4}));
    command(w, ID_ARRANGE_BY_NAME);  // sorting works in every view
    EXPECT_EQ(column(w, 0), names({4, 2, 0, 1, 3}));
  });
}

TEST_F(ExplorerWindow, StatusBarPromptsAndToggle) {
  run([&](HWND w) {
    SendMessageA(w, WM_MENUSELECT, MAKEWPARAM(ID_VIEW_DETAILS, MF_HILITE),
                 reinterpret_cast<LPARAM>(GetMenu(w)));
    EXPECT_EQ(statusText(w), "Displays information about each Host Adapter in the window.");
    SendMessageA(w, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);  // the menu closed
    EXPECT_EQ(statusText(w), "The computer has 5 logical SCSI host adapter(s). ");

    RECT client, listRect, barRect;
    GetClientRect(w, &client);
    command(w, ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(statusBarShown(w));
    EXPECT_FALSE(menuState(w, ID_VIEW_STATUS_BAR) & MF_CHECKED);
    GetWindowRect(list(w), &listRect);
    EXPECT_EQ(listRect.bottom - listRect.top, client.bottom);
    orvtest::saveScreenshot(w, "explorer_no_status_bar");
    command(w, ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(statusBarShown(w));
    EXPECT_TRUE(menuState(w, ID_VIEW_STATUS_BAR) & MF_CHECKED);
    GetWindowRect(GetDlgItem(w, IDW_STATUS_BAR), &barRect);
    GetWindowRect(list(w), &listRect);
    EXPECT_EQ(listRect.bottom - listRect.top, client.bottom - (barRect.bottom - barRect.top));
    command(w, ID_VIEW_STATUS_BAR);
  });
  EXPECT_EQ(settings.statusBar, 0);
}

TEST_F(ExplorerWindow, FileMenuAndCommandsFollowTheSelection) {
  run([&](HWND w) {
    openFileMenu(w);
    for (UINT id : {ID_FILE_OPEN, ID_APPLET_PROPERTIES, ID_APPLET_SELDARN})
      EXPECT_TRUE(menuState(w, id) & MF_GRAYED) << id;
    for (int id : {ID_FILE_OPEN, ID_APPLET_PROPERTIES, ID_ITEM_PROPERTIES, ID_APPLET_SELDARN})
      command(w, id);
    EXPECT_EQ(bus.calls.size(), 5u);  // only the start-up calls

    select(w, 0);  // an older adapter: no Seldarn
    openFileMenu(w);
    EXPECT_EQ(menuState(w, ID_FILE_OPEN), 0u);
    EXPECT_EQ(menuState(w, ID_APPLET_PROPERTIES), 0u);
    EXPECT_TRUE(menuState(w, ID_APPLET_SELDARN) & MF_GRAYED);
    EXPECT_EQ(GetMenuDefaultItem(GetSubMenu(GetMenu(w), 0), FALSE, 0),
              static_cast<UINT>(ID_FILE_OPEN));
    select(w, 3);
    openFileMenu(w);
    EXPECT_EQ(menuState(w, ID_APPLET_SELDARN), 0u);

    bus.calls.clear();
    for (int id : {ID_FILE_OPEN, ID_APPLET_PROPERTIES, ID_ITEM_PROPERTIES, ID_APPLET_SELDARN,
                   ID_ITEM_SELDARN, ID_HELP_ABOUT})
      command(w, id);
    std::string b = bus.records[3].displayName;
    EXPECT_EQ(bus.calls, (Names{"ShowDeviceList " + b, "ShowHostAdapterProperty " + b + " 0",
                                "ShowHostAdapterProperty " + b + " 0", "ShowSeldarn " + b,
                                "ShowSeldarn " + b, "ShowVelmoraAboutDialog"}));
  });
}

TEST_F(ExplorerWindow, ContextMenusForItemsAndBackground) {
  run([&](HWND w) {
    command(w, ID_VIEW_DETAILS);
    select(w, 0);
    ShownMenu older = contextMenu(w, itemCentre(w, 0));
    ASSERT_TRUE(older.shown);
    EXPECT_EQ(older.ids, (std::vector<UINT>{ID_FILE_OPEN, 0, ID_ITEM_PROPERTIES, ID_ITEM_SELDARN}));
    EXPECT_EQ(older.defaultId, static_cast<UINT>(ID_FILE_OPEN));
    EXPECT_EQ(older.states[0] & MF_GRAYED, 0u);
    EXPECT_EQ(older.states[2] & MF_GRAYED, 0u);
    EXPECT_TRUE(older.states[3] & MF_GRAYED);

    select(w, 1);
    ShownMenu newest = contextMenu(w, itemCentre(w, 1));
    ASSERT_TRUE(newest.shown);
    EXPECT_EQ(newest.states[3] & MF_GRAYED, 0u);

    RECT client;
    GetClientRect(list(w), &client);
    POINT empty = {client.right - 8, client.bottom - 8};
    ClientToScreen(list(w), &empty);
    ShownMenu background = contextMenu(w, empty);
    ASSERT_TRUE(background.shown);
    EXPECT_EQ(background.ids, (std::vector<UINT>{0, 0}));  // "View" and "Arrange Icons"
    EXPECT_EQ(background.checkedView, static_cast<UINT>(ID_VIEW_DETAILS));

    // The keyboard's context menu key (no point): the selected item's menu, below the
    // item; with nothing selected, the background menu.
    ShownMenu keyboard = contextMenu(w, {-1, -1});
    ASSERT_TRUE(keyboard.shown);
    EXPECT_EQ(keyboard.ids, (std::vector<UINT>{ID_FILE_OPEN, 0, ID_ITEM_PROPERTIES, ID_ITEM_SELDARN}));
    ListView_SetItemState(list(w), -1, 0, LVIS_SELECTED);
    ShownMenu nothingSelected = contextMenu(w, {-1, -1});
    ASSERT_TRUE(nothingSelected.shown);
    EXPECT_EQ(nothingSelected.ids, (std::vector<UINT>{0, 0}));
  });
}

TEST_F(ExplorerWindow, DoubleClickOpensTheItemUnderTheCursor) {
  run([&](HWND w) {
    command(w, ID_VIEW_DETAILS);
    select(w, 0);
    POINT at = itemCentre(w, 2);
    SetCursorPos(at.x, at.y);
    ScreenToClient(list(w), &at);
    bus.calls.clear();
    SendMessageA(list(w), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    SendMessageA(list(w), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    pump();
    ASSERT_FALSE(bus.calls.empty());
    EXPECT_EQ(bus.calls.front(), std::string("ShowDeviceList ") + bus.records[2].displayName);
  });
}

TEST_F(ExplorerWindow, StoredSettingsAreShownAndTheNewPlaceKept) {
  ExplorerSettings stored;
  stored.statusBar = 0;
  stored.view = ID_VIEW_LIST;
  stored.sizePos = {100, 80, 700, 500};
  storeSettings(stored);
  run([&](HWND w) {
    EXPECT_EQ(viewStyle(w), static_cast<DWORD>(LVS_LIST));
    EXPECT_FALSE(statusBarShown(w));
    EXPECT_FALSE(menuState(w, ID_VIEW_STATUS_BAR) & MF_CHECKED);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 80);
    EXPECT_EQ(r.right, 700);
    EXPECT_EQ(r.bottom, 500);
    SetWindowPos(w, nullptr, 120, 90, 640, 430, SWP_NOZORDER);
  });
  EXPECT_TRUE(settingsRead);
  EXPECT_EQ(settings.sizePos, (std::array<int32_t, 4>{120, 90, 760, 520}));
  EXPECT_EQ(settings.view, ID_VIEW_LIST);
  EXPECT_EQ(settings.statusBar, 0);
}

TEST_F(ExplorerWindow, AnUnknownViewShowsLargeIconsAndIsKept) {
  ExplorerSettings stored;
  stored.view = 4711;
  storeSettings(stored);
  run([&](HWND w) {
    EXPECT_EQ(viewStyle(w), static_cast<DWORD>(LVS_ICON));
    EXPECT_EQ(column(w, 0).size(), 5u);
    EXPECT_EQ(checkedView(GetSubMenu(GetMenu(w), 1)), 0u);
    ShownMenu background = contextMenu(w, {-1, -1});
    EXPECT_EQ(background.checkedView, 0u);
  });
  EXPECT_EQ(settings.view, 4711);
}

TEST_F(ExplorerWindow, AWindowWithoutAStoredPlaceIsCentred) {
  ExplorerSettings stored;
  stored.sizePos = {300, 300, 300, 700};  // no width
  storeSettings(stored);
  run([&](HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    MONITORINFO info = {sizeof info, {}, {}, 0};
    GetMonitorInfoA(MonitorFromWindow(w, MONITOR_DEFAULTTOPRIMARY), &info);
    EXPECT_NEAR((r.left + r.right) / 2, (info.rcWork.left + info.rcWork.right) / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, (info.rcWork.top + info.rcWork.bottom) / 2, 1);
  });
}

TEST_F(ExplorerWindow, ClosingMinimisedKeepsThePlaceItRestoresTo) {
  RECT before = {};
  run([&](HWND w) {
    SetWindowPos(w, nullptr, 50, 60, 600, 400, SWP_NOZORDER);
    GetWindowRect(w, &before);
    ShowWindow(w, SW_MINIMIZE);
    pump();
    ASSERT_TRUE(IsIconic(w));
    SendMessageA(w, WM_PAINT, 0, 0);  // paints its icon without failing
    command(w, ID_APPLET_CLOSE);
  });
  EXPECT_EQ(settings.sizePos, (std::array<int32_t, 4>{before.left, before.top, before.right, before.bottom}));
}

TEST_F(ExplorerWindow, WithoutTheObjectTheWindowSaysSoAndCloses) {
  orvtest::ModalDriver driver;
  driver.expect(kTitle, [](HWND box) {
    EXPECT_EQ(orvtest::messageBoxText(box),
              "Unable to load Corvath.dll component.\nPlease reinstall Orvane 6.0.");
    orvtest::pressButton(box, IDOK);
  });
  explorer::CScsiExplorerDlg window(explorer::kAppletFlavor, settings, failingFactory(), nullptr);
  EXPECT_EQ(window.doModal(), 0);
  EXPECT_TRUE(driver.allDone());
  EXPECT_FALSE(window.settingsRead());
  EXPECT_EQ(settings, ExplorerSettings{});
}

TEST_F(ExplorerWindow, WithoutAdaptersTheWindowSaysSoAfterReadingTheSettings) {
  ExplorerSettings stored;
  stored.view = ID_VIEW_DETAILS;
  stored.sizePos = {10, 20, 30, 40};
  storeSettings(stored);
  for (bool listFails : {false, true}) {
    FakeBus empty;
    if (listFails) {
      fillDefaultBus(empty);
      empty.listFails = true;
    }
    orvtest::ModalDriver driver;
    driver.expect(kTitle, [](HWND box) {
      EXPECT_EQ(orvtest::messageBoxText(box),
                "No Velmora SCSI Host Adapter is detected in your computer.\n"
                "Velmora SCSI Explorer will exit now.");
      orvtest::pressButton(box, IDOK);
    });
    ExplorerSettings kept;
    explorer::CScsiExplorerDlg window(explorer::kAppletFlavor, kept, fakeFactory(empty), nullptr);
    EXPECT_EQ(window.doModal(), IDOK);
    EXPECT_TRUE(driver.allDone());
    EXPECT_TRUE(window.settingsRead());
    EXPECT_EQ(kept, stored);  // the window never showed: its place is not taken over
  }
}

TEST_F(ExplorerWindow, HelpOpensTheInstalledHelpFile) {
  setInstallFolder("C:\\Orvane Test");
  run([&](HWND w) {
    command(w, ID_HELP_TOPICS);
    HELPINFO info = {sizeof info, HELPINFO_WINDOW, IDC_ADAPTER_LIST, list(w), 0, {0, 0}};
    SendMessageA(w, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
  });
  ASSERT_EQ(helpCalls().size(), 2u);
  EXPECT_EQ(helpCalls()[0].owner, nullptr);
  EXPECT_EQ(helpCalls()[0].file, "C:\\Orvane Test\\orvane60.chm");
  EXPECT_EQ(helpCalls()[0].command, 0u);  // HH_DISPLAY_TOPIC
  EXPECT_NE(helpCalls()[1].owner, nullptr);
  EXPECT_EQ(helpCalls()[1].file, "C:\\Orvane Test\\orvane60.chm");

  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAppPathsKey);
  helpCalls().clear();
  run([&](HWND w) { command(w, ID_HELP_TOPICS); });
  ASSERT_EQ(helpCalls().size(), 1u);
  EXPECT_EQ(helpCalls()[0].file, "orvane60.chm");
  setInstallFolder(binFolder());
}

}  // namespace
