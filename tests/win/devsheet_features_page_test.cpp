// The SCSI Features page linked in directly on the default bus: its context help goes
// through the help control with template 1419's pairs (a recorder stands in front of the
// control), on labels and on marks alike.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "devsheet/devsheet.h"
#include "devsheet/devsheet_res.h"
#include "inventory/library_port.h"
#include "pages/help.h"
#include "scsi/manager.h"
#include "tests/support/modal_driver.h"

namespace {

struct HelpCall {
  HWND caller;
  UINT command;
  DWORD_PTR data;
};
std::vector<HelpCall> g_calls;

HWND WINAPI recordHelp(HWND caller, LPCSTR, UINT command, DWORD_PTR data) {
  g_calls.push_back({caller, command, data});
  return caller;
}

bool isFeaturesTable(DWORD_PTR data) {
  const auto* pairs = reinterpret_cast<const srv::HelpPair*>(data);
  return pairs &&
         std::memcmp(pairs, srv::kHelpDeviceFeatures, sizeof srv::kHelpDeviceFeatures) == 0;
}

TEST(DevsheetFeaturesPage, ContextHelpOnLabelsAndMarks) {
  SetEnvironmentVariableA("VRAX_SIM_BUS", nullptr);
  SetEnvironmentVariableA("VRAX_SIM_STATE", "none");
  ASSERT_TRUE(scsi::scsiManager().load());
  inv::AdapterInventory inventory;
  const auto* list = inv::fromAddress<inv::HostAdapterInfo>(inventory.buildAdapterList());
  ASSERT_NE(list, nullptr);
  g_calls.clear();
  srv::setHtmlHelpForTesting(recordHelp);

  orvtest::ModalDriver driver;
  // Opened on its second page, as the sheet's start page.
  dev::CDevPropertySheet sheet(scsi::scsiManager().handle(), list[0].devices[0], nullptr,
                               "Features help", nullptr, 1);
  driver.expect("Features help", [&](HWND window) {
    HWND page = reinterpret_cast<HWND>(SendMessageA(window, PSM_GETCURRENTPAGEHWND, 0, 0));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(orvtest::windowTitle(page), "SCSI Features");

    HELPINFO info = {};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = 1622;  // Linked Commands
    info.hItemHandle = GetDlgItem(page, 1622);
    EXPECT_TRUE(SendMessageA(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&info)));

    // Right-click on the rate line's mark finds the mark itself.
    RECT mark;
    GetWindowRect(GetDlgItem(page, IDC_DEV_RATE_MARK), &mark);
    SendMessageA(page, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page),
                 MAKELPARAM(mark.left + 2, mark.top + 2));

    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[0].caller, GetDlgItem(page, 1622));
    EXPECT_EQ(g_calls[0].command, srv::kHhTpHelpWmHelp);
    EXPECT_TRUE(isFeaturesTable(g_calls[0].data));
    EXPECT_EQ(g_calls[1].caller, GetDlgItem(page, IDC_DEV_RATE_MARK));
    EXPECT_EQ(g_calls[1].command, srv::kHhTpHelpContextMenu);
    EXPECT_TRUE(isFeaturesTable(g_calls[1].data));

    // The separator under the heading: its red key shows the page's ground, its grey is
    // the scheme's 3-D shadow.
    UpdateWindow(page);
    RECT line;
    GetWindowRect(GetDlgItem(page, IDC_DEV_SEPARATOR), &line);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&line), 2);
    HDC dc = GetDC(page);
    RECT client;
    GetClientRect(page, &client);
    EXPECT_EQ(GetPixel(dc, line.left + 5, line.top), GetPixel(dc, client.left + 2, client.bottom - 3));
    EXPECT_EQ(GetPixel(dc, line.left + 5, line.top + 1), GetSysColor(COLOR_BTNSHADOW));
    ReleaseDC(page, dc);
    PostMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  }, false);
  EXPECT_EQ(sheet.doModal(), IDCANCEL);
  EXPECT_TRUE(driver.allDone());
  EXPECT_TRUE(driver.unexpected().empty());
  EXPECT_EQ(sheet.negotiatedRate(), 3200u);
  srv::setHtmlHelpForTesting(nullptr);
}

}  // namespace
