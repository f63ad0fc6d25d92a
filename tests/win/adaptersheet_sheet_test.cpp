// The adapter sheet linked in directly, on a record made here: the sheet's text pop-ups
// and the pages' context help (with a recorder in front of the help control), and the
// pictures of the General page.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "adaptersheet/adaptersheet.h"
#include "adaptersheet/adaptersheet_res.h"
#include "pages/help.h"
#include "tests/support/modal_driver.h"

namespace {

struct HelpCall {
  HWND caller;
  UINT command;
  const srv::HelpPair* pairs;
  std::string popupText;
  COLORREF popupBackground;
  POINT popupAt;
};
std::vector<HelpCall> g_calls;

HWND WINAPI recordHelp(HWND caller, LPCSTR, UINT command, DWORD_PTR data) {
  HelpCall call = {caller, command, nullptr, "", 0, {}};
  if (command == srv::kHhDisplayTextPopup) {
    const auto* popup = reinterpret_cast<const srv::HelpPopup*>(data);
    call.popupText = popup->pszText ? popup->pszText : "";
    call.popupBackground = popup->clrBackground;
    call.popupAt = popup->pt;
  } else {
    call.pairs = reinterpret_cast<const srv::HelpPair*>(data);
  }
  g_calls.push_back(call);
  return caller;
}

bool sameTable(const srv::HelpPair* pairs, const srv::HelpPair* expected, size_t size) {
  return pairs && std::memcmp(pairs, expected, size) == 0;
}

inv::HostAdapterInfo makeAdapter() {
  inv::HostAdapterInfo a = {};
  std::strcpy(a.adapterIdentifier, "KESTREL-U320");
  std::strcpy(a.displayName, "Test Adapter");
  a.adapterScsiId = 7;
  a.maxTargets = 16;
  a.pciConfig[0x02] = 0x40;
  a.pciConfig[0x03] = 0x5C;
  return a;
}

class AdaptersheetSheet : public testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    srv::setHtmlHelpForTesting(recordHelp);
  }
  void TearDown() override {
    srv::setHtmlHelpForTesting(nullptr);
    EXPECT_TRUE(driver_.unexpected().empty()) << driver_.unexpected().front();
  }
  orvtest::ModalDriver driver_;
};

HELPINFO helpFor(HWND window, int id, POINT at = {}) {
  HELPINFO info = {};
  info.cbSize = sizeof info;
  info.iContextType = HELPINFO_WINDOW;
  info.iCtrlId = id;
  info.hItemHandle = window;
  info.MousePos = at;
  return info;
}

TEST_F(AdaptersheetSheet, SheetPopupsAndPageHelp) {
  const inv::HostAdapterInfo adapter = makeAdapter();
  ha::CHAPropertySheet sheet(adapter, "Help", nullptr, 0);
  EXPECT_EQ(sheet.pageCount(), 2u);
  driver_.expect("Help", [&](HWND window) {
    // The tab strip's "?" shows its own text on the pale yellow.
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(window, PSM_GETTABCONTROL, 0, 0));
    HELPINFO info = helpFor(tabs, 0x3020, {40, 50});
    EXPECT_TRUE(SendMessageA(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&info)));
    // An id without a text of its own shows the fixed text on a deeper yellow.
    HELPINFO none = helpFor(GetDlgItem(window, IDCANCEL), 0x7FF0);
    SendMessageA(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&none));
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[0].command, srv::kHhDisplayTextPopup);
    EXPECT_EQ(g_calls[0].caller, tabs);
    EXPECT_FALSE(g_calls[0].popupText.empty());
    EXPECT_NE(g_calls[0].popupText, "No Help topic is associated with this item!!!!");
    EXPECT_EQ(g_calls[0].popupBackground, RGB(255, 255, 228));
    EXPECT_EQ(g_calls[0].popupAt.x, 40);
    EXPECT_EQ(g_calls[0].popupAt.y, 50);
    EXPECT_EQ(g_calls[1].popupText, "No Help topic is associated with this item!!!!");
    EXPECT_EQ(g_calls[1].popupBackground, RGB(255, 255, 208));
    g_calls.clear();

    // The General page answers for its own controls from its pair table.
    HWND general = reinterpret_cast<HWND>(SendMessageA(window, PSM_GETCURRENTPAGEHWND, 0, 0));
    HELPINFO port = helpFor(GetDlgItem(general, IDC_HA_IO_PORT), IDC_HA_IO_PORT);
    EXPECT_TRUE(SendMessageA(general, WM_HELP, 0, reinterpret_cast<LPARAM>(&port)));
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].command, srv::kHhTpHelpWmHelp);
    EXPECT_TRUE(sameTable(g_calls[0].pairs, srv::kHelpAdapterGeneral, sizeof srv::kHelpAdapterGeneral));
    g_calls.clear();

    // Right-click on the PCI list.
    SendMessageA(window, PSM_SETCURSEL, 1, 0);
    HWND pci = reinterpret_cast<HWND>(SendMessageA(window, PSM_GETCURRENTPAGEHWND, 0, 0));
    HWND list = GetDlgItem(pci, IDC_HA_PCI_LIST);
    RECT at;
    GetWindowRect(list, &at);
    SendMessageA(pci, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list),
                 MAKELPARAM(at.left + 20, at.top + 40));
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].command, srv::kHhTpHelpContextMenu);
    EXPECT_EQ(g_calls[0].caller, list);
    EXPECT_TRUE(sameTable(g_calls[0].pairs, srv::kHelpAdapterPci, sizeof srv::kHelpAdapterPci));
    PostMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  }, false);
  EXPECT_EQ(sheet.doModal(), IDCANCEL);
  EXPECT_TRUE(driver_.allDone());
}

TEST_F(AdaptersheetSheet, PicturesOverThePagesGround) {
  const inv::HostAdapterInfo adapter = makeAdapter();
  ha::CHAPropertySheet sheet(adapter, "Pictures", nullptr, 0);
  driver_.expect("Pictures", [&](HWND window) {
    EXPECT_NE(sheet.headingFont(), nullptr);
    HWND page = reinterpret_cast<HWND>(SendMessageA(window, PSM_GETCURRENTPAGEHWND, 0, 0));
    UpdateWindow(page);
    RECT area, line;
    GetWindowRect(GetDlgItem(page, IDC_HA_PICTURE), &area);
    GetWindowRect(GetDlgItem(page, IDC_HA_LOGO), &line);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&area), 2);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&line), 2);
    HDC dc = GetDC(page);
    RECT client;
    GetClientRect(page, &client);
    const COLORREF face = GetPixel(dc, client.left + 2, client.bottom - 3);
    // Cyan around the card shows the page's ground; the controller chip does not.
    EXPECT_EQ(GetPixel(dc, area.left + 1, area.top + 1), face);
    const COLORREF chip = GetPixel(dc, area.left + 50, area.top + 45);
    EXPECT_NE(chip, face);
    EXPECT_NE(chip, RGB(0, 255, 255));
    // The logo's red is transparent too.
    EXPECT_EQ(GetPixel(dc, line.left + 5, line.top), face);
    EXPECT_EQ(GetPixel(dc, line.left + 5, line.top + 1), GetSysColor(COLOR_BTNSHADOW));
    ReleaseDC(page, dc);
    PostMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  }, false);
  EXPECT_EQ(sheet.doModal(), IDCANCEL);
}

}  // namespace
