// The device list window under Wine, opened on adapter records built by hand and driven
// the way a person would: commands by id, header clicks, menus, the context menu.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "framework/listview.h"
#include "pages/help.h"
#include "server/devicelist.h"
#include "server/devicelist_res.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"

namespace {

struct DeviceRow {
  uint8_t target;
  uint8_t type;
  const char* vendor;
  const char* product;  // 16 characters, blanks kept as INQUIRY sends them
  const char* revision;
};

// A record as the inventory leaves it (its address fields included).
std::unique_ptr<inv::HostAdapterInfo> makeAdapter(const char* name,
                                                  const std::vector<DeviceRow>& devices) {
  auto adapter = std::make_unique<inv::HostAdapterInfo>();
  std::memset(adapter.get(), 0, sizeof *adapter);
  std::strncpy(adapter->displayName, name, sizeof adapter->displayName - 1);
  adapter->maxTargets = 16;
  adapter->adapterCount = 1;
  for (const DeviceRow& row : devices) {
    inv::DeviceInfo& d = adapter->devices[adapter->deviceCount++];
    d.target = row.target;
    d.deviceType = row.type;
    d.inquiryHeader[0] = row.type;
    std::strncpy(d.vendor, row.vendor, sizeof d.vendor - 1);
    std::strncpy(d.product, row.product, sizeof d.product - 1);
    std::strncpy(d.revision, row.revision, sizeof d.revision - 1);
    d.adapter = inv::addressOf(adapter.get());
  }
  return adapter;
}

std::unique_ptr<inv::HostAdapterInfo> sampleAdapter() {
  return makeAdapter("Velmora VX-3960 A", {{0, 0, "KESTREL", "KX-18 Fastdisk  ", "0412"},
                                           {2, 5, "ORBITAL", "CR-4800 Optical ", "1.20"},
                                           {4, 1, "MERIDYN", "DT-2400 Tape    ", "A3"},
                                           {5, 11, "ZANTHIC", "Bridge Node     ", "0001"},
                                           {9, 3, "KESTREL", "Array Engine    ", "2.0"},
                                           {12, 8, "ALCOVE", "Librarian 8     ", "11"}});
}

HWND listOf(HWND dlg) { return GetDlgItem(dlg, IDC_DEVICE_LIST); }
HWND statusOf(HWND dlg) { return GetDlgItem(dlg, 59393); }

std::string statusText(HWND dlg) {
  char text[256] = {};
  SendMessageA(statusOf(dlg), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  return text;
}

void command(HWND dlg, int id) { SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

std::vector<std::string> column(HWND list, int sub) {
  std::vector<std::string> out;
  int n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) out.push_back(fw::itemText(list, i, sub));
  return out;
}

std::vector<std::string> headerTitles(HWND list) {
  std::vector<std::string> out;
  for (int i = 0; i < fw::columnCount(list); ++i) {
    char text[64] = {};
    LVCOLUMNA c = {};
    c.mask = LVCF_TEXT;
    c.pszText = text;
    c.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&c));
    out.push_back(text);
  }
  return out;
}

// A left click on a header item, as the mouse would make it.
void clickHeader(HWND list, int index) {
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  RECT r = {};
  SendMessageA(header, HDM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(header, WM_LBUTTONUP, 0, at);
}

void select(HWND list, std::initializer_list<int> items) {
  LVITEMA none = {};
  none.stateMask = LVIS_SELECTED;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
  for (int i : items) {
    LVITEMA s = {};
    s.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    s.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&s));
  }
}

// The driver's step can come before the dialog loop first shows the window (a slow
// WM_INITDIALOG lets the zero-time timer win): show it as the loop would.
orvtest::ModalDriver::Action shown(orvtest::ModalDriver::Action step) {
  return [step](HWND dlg) {
    if (!IsWindowVisible(dlg)) {
      ShowWindow(dlg, SW_SHOWNORMAL);
      UpdateWindow(dlg);
    }
    step(dlg);
  };
}

// Runs the window on the adapter with one step inside it.
void runWindow(const inv::HostAdapterInfo& adapter, const std::string& title,
               orvtest::ModalDriver::Action step, srv::DeviceAction open = nullptr) {
  orvtest::ModalDriver driver;
  driver.expect(title, shown(std::move(step)));
  srv::CDeviceListDlg dialog(adapter, nullptr);
  dialog.setOpenDevice(std::move(open));
  dialog.doModal();
  EXPECT_TRUE(driver.allDone()) << "the window never came up";
  EXPECT_TRUE(driver.unexpected().empty());
}

TEST(DevlistWindow, TitleStatusTextAndEveryView) {
  auto adapter = sampleAdapter();
  runWindow(*adapter, "Velmora VX-3960 A Devices", [](HWND dlg) {
    HWND list = listOf(dlg);
    EXPECT_EQ(statusText(dlg), "Velmora VX-3960 A has 6 attached device(s).");
    // Large icons first, items in record order, "vendor  product" with two blanks.
    EXPECT_EQ(GetWindowLongA(list, GWL_STYLE) & LVS_TYPEMASK, LVS_ICON);
    EXPECT_EQ(column(list, 0).front(), "KESTREL  KX-18 Fastdisk  ");
    EXPECT_EQ(GetMenuState(GetMenu(dlg), ID_VIEW_LARGE_ICONS, MF_BYCOMMAND) & MF_CHECKED,
              static_cast<UINT>(MF_CHECKED));
    EXPECT_FALSE(orvtest::saveScreenshot(dlg, "devlist_large_icons").empty());
    command(dlg, ID_VIEW_SMALL_ICONS);
    EXPECT_EQ(GetWindowLongA(list, GWL_STYLE) & LVS_TYPEMASK, LVS_SMALLICON);
    EXPECT_FALSE(orvtest::saveScreenshot(dlg, "devlist_small_icons").empty());
    command(dlg, ID_VIEW_LIST);
    EXPECT_EQ(GetWindowLongA(list, GWL_STYLE) & LVS_TYPEMASK, LVS_LIST);
    EXPECT_FALSE(orvtest::saveScreenshot(dlg, "devlist_list").empty());
    command(dlg, ID_VIEW_DETAILS);
    EXPECT_EQ(GetWindowLongA(list, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_EQ(GetMenuState(GetMenu(dlg), ID_VIEW_LARGE_ICONS, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_EQ(GetMenuState(GetMenu(dlg), ID_VIEW_DETAILS, MF_BYCOMMAND) & MF_CHECKED,
              static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(column(list, 0), (std::vector<std::string>{"KESTREL", "ORBITAL", "MERIDYN", "ZANTHIC",
                                                         "KESTREL", "ALCOVE"}));
    EXPECT_EQ(column(list, 1).front(), "KX-18 Fastdisk  ");
    EXPECT_EQ(column(list, 2), (std::vector<std::string>{"Disk", "CD-ROM", "Tape", "Unknown",
                                                         "Processor", "Medium Changer"}));
    EXPECT_EQ(column(list, 3), (std::vector<std::string>{"0", "2", "4", "5", "9", "12"}));
    EXPECT_EQ(column(list, 4).back(), "11");
    select(list, {1});
    SetFocus(list);
    EXPECT_FALSE(orvtest::saveScreenshot(dlg, "devlist_details").empty());
  });
}

TEST(DevlistWindow, AnAdapterWithoutDevicesCountsZero) {
  auto adapter = makeAdapter("SCSI Host Adapter", {});
  runWindow(*adapter, "SCSI Host Adapter Devices", [](HWND dlg) {
    EXPECT_EQ(statusText(dlg), "SCSI Host Adapter has 0 attached device(s).");
    EXPECT_EQ(SendMessageA(listOf(dlg), LVM_GETITEMCOUNT, 0, 0), 0);
    command(dlg, ID_VIEW_DETAILS);
    EXPECT_EQ(fw::columnCount(listOf(dlg)), 5);
    EXPECT_EQ(SendMessageA(listOf(dlg), LVM_GETITEMCOUNT, 0, 0), 0);
  });
}

TEST(DevlistWindow, DetailsShowsExactlyTheFiveColumnsAgainAfterIcons) {
  auto adapter = sampleAdapter();
  runWindow(*adapter, "Velmora VX-3960 A Devices", [](HWND dlg) {
    HWND list = listOf(dlg);
    const std::vector<std::string> titles = {"Vendor", "Name", "Type", "SCSI ID", "Revision"};
    command(dlg, ID_VIEW_DETAILS);
    EXPECT_EQ(headerTitles(list), titles);
    command(dlg, ID_VIEW_LARGE_ICONS);
    EXPECT_EQ(fw::columnCount(list), 0);
    command(dlg, ID_VIEW_DETAILS);
    command(dlg, ID_VIEW_DETAILS);  // the current view again changes nothing
    EXPECT_EQ(headerTitles(list), titles);
    RECT window;
    GetWindowRect(dlg, &window);
    const int widths[] = {85, 115, 80, 80, window.right - window.left - 360};
    for (int i = 0; i < 5; ++i)
      EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, i, 0), widths[i]) << i;
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 6);
  });
}

TEST(DevlistWindow, HeaderClicksToggleArrangeSortsAscending) {
  auto adapter = sampleAdapter();
  runWindow(*adapter, "Velmora VX-3960 A Devices", [](HWND dlg) {
    HWND list = listOf(dlg);
    command(dlg, ID_VIEW_DETAILS);
    clickHeader(list, 1);
    EXPECT_EQ(column(list, 1), (std::vector<std::string>{"Array Engine    ", "Bridge Node     ",
                                                         "CR-4800 Optical ", "DT-2400 Tape    ",
                                                         "KX-18 Fastdisk  ", "Librarian 8     "}));
    clickHeader(list, 1);
    EXPECT_EQ(column(list, 1).front(), "Librarian 8     ");
    EXPECT_EQ(column(list, 1).back(), "Array Engine    ");
    // Target IDs as numbers: 12 after 9.
    command(dlg, ID_ARRANGE_BY_TARGET);
    EXPECT_EQ(column(list, 3), (std::vector<std::string>{"0", "2", "4", "5", "9", "12"}));
    clickHeader(list, 3);
    EXPECT_EQ(column(list, 3), (std::vector<std::string>{"12", "9", "5", "4", "2", "0"}));
    command(dlg, ID_ARRANGE_BY_VENDOR);
    EXPECT_EQ(column(list, 0).front(), "ALCOVE");
    EXPECT_EQ(column(list, 0).back(), "ZANTHIC");
    // "Type" does not sort.
    clickHeader(list, 2);
    EXPECT_EQ(column(list, 0).front(), "ALCOVE");
  });
}

// The picture of each row is its device's type, in every view and after sorting: rows of
// one type share a picture, rows of different types do not.
TEST(DevlistWindow, EachRowShowsThePictureOfItsDeviceType) {
  auto adapter = makeAdapter("Velmora VX-3960 A", {{0, 0, "KESTREL", "KX-18 Fastdisk  ", "0412"},
                                                   {2, 5, "ORBITAL", "CR-4800 Optical ", "1.20"},
                                                   {3, 0, "ALCOVE", "AX-9 Disk       ", "0001"},
                                                   {4, 1, "MERIDYN", "DT-2400 Tape    ", "A3"}});
  runWindow(*adapter, "Velmora VX-3960 A Devices", [&](HWND dlg) {
    HWND list = listOf(dlg);
    auto check = [&](const char* view, int imageList) {
      const int pictures = ImageList_GetImageCount(reinterpret_cast<HIMAGELIST>(
          SendMessageA(list, LVM_GETIMAGELIST, static_cast<WPARAM>(imageList), 0)));
      std::vector<int> ofType(256, -2);
      std::vector<int> seen;
      for (int i = 0; i < SendMessageA(list, LVM_GETITEMCOUNT, 0, 0); ++i) {
        LVITEMA item = {};
        item.mask = LVIF_IMAGE | LVIF_PARAM;
        item.iItem = i;
        ASSERT_TRUE(SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) << view;
        ASSERT_GE(item.lParam, 0);
        const uint8_t type = adapter->devices[item.lParam].deviceType;
        EXPECT_GE(item.iImage, 0) << view << " row " << i;
        EXPECT_LT(item.iImage, pictures) << view << " row " << i;
        if (ofType[type] == -2) {
          ofType[type] = item.iImage;
          EXPECT_EQ(std::count(seen.begin(), seen.end(), item.iImage), 0)
              << view << ": type " << int(type) << " has another type's picture";
          seen.push_back(item.iImage);
        }
        EXPECT_EQ(item.iImage, ofType[type]) << view << " row " << i;
      }
      EXPECT_EQ(seen.size(), 3u) << view;
    };
    check("large icons", LVSIL_NORMAL);
    command(dlg, ID_VIEW_DETAILS);
    check("details", LVSIL_SMALL);
    clickHeader(list, 0);  // by vendor: rows no longer in record order
    EXPECT_EQ(column(list, 0).front(), "ALCOVE");
    check("details, sorted", LVSIL_SMALL);
    command(dlg, ID_VIEW_SMALL_ICONS);
    check("small icons", LVSIL_SMALL);
  });
}

TEST(DevlistWindow, FileMenuNeedsExactlyOneSelectedDevice) {
  auto adapter = sampleAdapter();
  std::vector<int> opened;
  runWindow(
      *adapter, "Velmora VX-3960 A Devices",
      [](HWND dlg) {
        HWND list = listOf(dlg);
        HMENU file = GetSubMenu(GetMenu(dlg), 0);
        auto greyed = [&](int id) {
          return (GetMenuState(file, id, MF_BYCOMMAND) & MF_GRAYED) != 0;
        };
        SendMessageA(dlg, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
        EXPECT_TRUE(greyed(ID_DEVICE_OPEN));
        EXPECT_TRUE(greyed(ID_DEVICE_PROPERTIES));
        EXPECT_FALSE(greyed(ID_DEVICE_CLOSE));
        // Selection-dependent commands without a selection do nothing.
        command(dlg, ID_DEVICE_OPEN);

        select(list, {2});
        SendMessageA(dlg, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
        EXPECT_FALSE(greyed(ID_DEVICE_OPEN));
        EXPECT_FALSE(greyed(ID_DEVICE_PROPERTIES));
        EXPECT_EQ(GetMenuDefaultItem(file, FALSE, 0), static_cast<UINT>(ID_DEVICE_OPEN));
        command(dlg, ID_DEVICE_OPEN);
        command(dlg, ID_DEVICE_PROPERTIES);
        command(dlg, ID_DEVICE_CTX_PROPERTIES);

        select(list, {1, 2});
        SendMessageA(dlg, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
        EXPECT_TRUE(greyed(ID_DEVICE_OPEN));
        EXPECT_EQ(GetMenuDefaultItem(file, FALSE, 0), static_cast<UINT>(-1));
        // The View menu is not the File menu: left alone.
        HMENU view = GetSubMenu(GetMenu(dlg), 1);
        SendMessageA(dlg, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view), 1);
        EXPECT_TRUE(greyed(ID_DEVICE_OPEN));
      },
      [&](const inv::DeviceInfo& d) { opened.push_back(d.target); });
  EXPECT_EQ(opened, (std::vector<int>{4, 4, 4}));
}

TEST(DevlistWindow, OpenFollowsTheDeviceAfterSortingAndDoubleClickTakesTheHitItem) {
  auto adapter = sampleAdapter();
  std::vector<int> opened;
  runWindow(
      *adapter, "Velmora VX-3960 A Devices",
      [](HWND dlg) {
        HWND list = listOf(dlg);
        command(dlg, ID_VIEW_DETAILS);
        clickHeader(list, 1);  // by name: "Array Engine" (target 9) first
        select(list, {0});
        command(dlg, ID_DEVICE_PROPERTIES);
        // Double click on the last row, while the first stays selected.
        RECT r = {};
        r.left = LVIR_BOUNDS;
        SendMessageA(list, LVM_GETITEMRECT, 5, reinterpret_cast<LPARAM>(&r));
        POINT p = {r.left + 30, (r.top + r.bottom) / 2};
        ClientToScreen(list, &p);
        SetCursorPos(p.x, p.y);
        NMITEMACTIVATE note = {};
        note.hdr.hwndFrom = list;
        note.hdr.idFrom = IDC_DEVICE_LIST;
        note.hdr.code = NM_DBLCLK;
        // The window takes the position of the message, as for a real click.
        MSG m;
        PostMessageA(list, WM_NULL, 0, MAKELPARAM(p.x, p.y));
        PeekMessageA(&m, list, WM_NULL, WM_NULL, PM_REMOVE);
        SendMessageA(dlg, WM_NOTIFY, IDC_DEVICE_LIST, reinterpret_cast<LPARAM>(&note));
      },
      [&](const inv::DeviceInfo& d) { opened.push_back(d.target); });
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0], 9);   // "Array Engine", selected
  EXPECT_EQ(opened[1], 12);  // "Librarian 8", under the cursor
}

TEST(DevlistWindow, StatusBarTogglesAndShowsMenuPrompts) {
  auto adapter = sampleAdapter();
  runWindow(*adapter, "Velmora VX-3960 A Devices", [](HWND dlg) {
    HWND list = listOf(dlg);
    HWND bar = statusOf(dlg);
    RECT client, inList;
    GetClientRect(dlg, &client);
    GetWindowRect(list, &inList);
    const int withBar = inList.bottom - inList.top;
    EXPECT_LT(withBar, client.bottom);

    SendMessageA(dlg, WM_MENUSELECT, MAKEWPARAM(ID_VIEW_LIST, 0),
                 reinterpret_cast<LPARAM>(GetMenu(dlg)));
    EXPECT_EQ(statusText(dlg), "Displays SCSI devices in a list.");
    SendMessageA(dlg, WM_MENUSELECT, MAKEWPARAM(0, MF_SEPARATOR),
                 reinterpret_cast<LPARAM>(GetMenu(dlg)));
    EXPECT_EQ(statusText(dlg), "");
    SendMessageA(dlg, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(statusText(dlg), "Velmora VX-3960 A has 6 attached device(s).");

    command(dlg, ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(IsWindowVisible(bar));
    EXPECT_EQ(GetMenuState(GetMenu(dlg), ID_VIEW_STATUS_BAR, MF_BYCOMMAND) & MF_CHECKED, 0u);
    GetWindowRect(list, &inList);
    EXPECT_EQ(inList.bottom - inList.top, client.bottom);
    command(dlg, ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(IsWindowVisible(bar));
    GetWindowRect(list, &inList);
    EXPECT_EQ(inList.bottom - inList.top, withBar);
  });
}

TEST(DevlistWindow, BackgroundMenuCommandsReachTheWindow) {
  auto adapter = sampleAdapter();
  runWindow(*adapter, "Velmora VX-3960 A Devices", [](HWND dlg) {
    HWND list = listOf(dlg);
    RECT r;
    GetClientRect(list, &r);
    POINT empty = {r.right - 5, r.bottom - 5};  // below and right of every icon
    ClientToScreen(list, &empty);
    // Keys waiting in the queue drive the menu once it tracks: the fourth item, Details.
    for (int i = 0; i < 4; ++i) PostMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
    SendMessageA(dlg, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(empty.x, empty.y));
    // The command is posted to the owner: let it arrive.
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (!IsDialogMessageA(dlg, &m)) DispatchMessageA(&m);
    }
    EXPECT_EQ(GetWindowLongA(list, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_EQ(fw::columnCount(list), 5);
  });
}

struct HelpCall {
  HWND caller;
  std::string file;
  UINT command;
  DWORD_PTR data;
};
std::vector<HelpCall> g_helpCalls;
HWND g_helpAnswer = nullptr;

HWND WINAPI recordHtmlHelp(HWND caller, LPCSTR file, UINT command, DWORD_PTR data) {
  g_helpCalls.push_back({caller, file ? file : "", command, data});
  return g_helpAnswer;
}

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(DevlistWindow, HelpTopicsAndF1OpenTheWholeHelpFile) {
  g_helpCalls.clear();
  srv::setHtmlHelpForTesting(recordHtmlHelp);
  auto adapter = sampleAdapter();
  HWND list = nullptr;
  runWindow(*adapter, "Velmora VX-3960 A Devices", [&](HWND dlg) {
    list = listOf(dlg);
    command(dlg, ID_HELP_TOPICS);
    HELPINFO info = {};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = IDC_DEVICE_LIST;
    info.hItemHandle = list;
    // The answer says whether a help window came up.
    g_helpAnswer = nullptr;
    EXPECT_EQ(SendMessageA(dlg, WM_HELP, 0, reinterpret_cast<LPARAM>(&info)), FALSE);
    g_helpAnswer = dlg;
    EXPECT_EQ(SendMessageA(dlg, WM_HELP, 0, reinterpret_cast<LPARAM>(&info)), TRUE);
  });
  srv::setHtmlHelpForTesting(nullptr);
  ASSERT_EQ(g_helpCalls.size(), 3u);
  EXPECT_EQ(g_helpCalls[0].caller, nullptr);  // Help Topics: no owner window
  for (const HelpCall& call : g_helpCalls) {
    EXPECT_TRUE(endsWith(call.file, "\\orvane60.chm")) << call.file;
    EXPECT_EQ(call.command, srv::kHhDisplayTopic);
    EXPECT_EQ(call.data, 0u);
  }
  EXPECT_EQ(g_helpCalls[1].caller, list);  // F1: the window the request names
  EXPECT_EQ(g_helpCalls[2].caller, list);
}

TEST(DevlistWindow, AboutOpensOverTheDeviceList) {
  LoadLibraryA("riched20.dll");  // Corvath's start-up does this for the About box
  auto adapter = sampleAdapter();
  HWND list = nullptr;
  orvtest::ModalDriver driver;
  driver.expect("Velmora VX-3960 A Devices", shown([&](HWND dlg) {
                  list = dlg;
                  orvtest::postCommand(dlg, ID_APP_ABOUT_VELMORA);
                }),
                false);
  driver.expect("About Velmora SCSI Explorer", [&](HWND about) {
    EXPECT_EQ(GetWindow(about, GW_OWNER), list);
    EXPECT_EQ(orvtest::itemText(about, 1229), "Version 6.0.0.0030");
    orvtest::pressButton(about, IDOK);
    orvtest::postCommand(list, ID_DEVICE_CLOSE);
  });
  srv::CDeviceListDlg dialog(*adapter, nullptr);
  EXPECT_EQ(dialog.doModal(), IDOK);
  EXPECT_TRUE(driver.allDone());
}

}  // namespace
