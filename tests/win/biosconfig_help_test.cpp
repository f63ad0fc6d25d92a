// The configuration sheet linked in directly, on records made here: the sheet's own
// text pop-ups and each page's context help (with a recorder in front of the help
// control), and the heading font the pages share.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "biosconfig/biosconfig_res.h"
#include "biosconfig/seldarn_sheet.h"
#include "framework/strings.h"
#include "pages/help.h"
#include "tests/support/modal_driver.h"

namespace {

struct HelpCall {
  UINT command;
  const srv::HelpPair* pairs;
  std::string popupText;
  COLORREF popupBackground;
};
std::vector<HelpCall> g_calls;

HWND WINAPI recordHelp(HWND caller, LPCSTR, UINT command, DWORD_PTR data) {
  HelpCall call = {command, nullptr, "", 0};
  if (command == srv::kHhDisplayTextPopup) {
    const auto* popup = reinterpret_cast<const srv::HelpPopup*>(data);
    call.popupText = popup->pszText ? popup->pszText : "";
    call.popupBackground = popup->clrBackground;
  } else {
    call.pairs = reinterpret_cast<const srv::HelpPair*>(data);
  }
  g_calls.push_back(call);
  return caller;
}

HELPINFO helpFor(HWND window, int id) {
  HELPINFO info = {};
  info.cbSize = sizeof info;
  info.iContextType = HELPINFO_WINDOW;
  info.iCtrlId = id;
  info.hItemHandle = window;
  return info;
}

TEST(BiosconfigHelp, SheetPopupsAndEveryPagesTable) {
  // One adapter of an older family: nothing is read, its block is what the record holds.
  auto adapter = std::make_unique<inv::HostAdapterInfo>();
  std::strcpy(adapter->adapterIdentifier, "KESTREL-UW");
  std::strcpy(adapter->displayName, "Help Adapter");
  adapter->maxTargets = 16;
  adapter->adapterCount = 1;
  adapter->labels[0].adapter = inv::addressOf(adapter.get());
  adapter->model.familyLevel = 2;
  adapter->model.lvdTerminationChoices = 3;
  g_calls.clear();
  srv::setHtmlHelpForTesting(recordHelp);
  orvtest::ModalDriver driver;
  bios::CSeldarnPropertySheet sheet(*adapter, "Help", nullptr, 0);
  EXPECT_TRUE(sheet.configurationRead());
  EXPECT_EQ(sheet.pageCount(), 4u);
  EXPECT_EQ(sheet.snapshot().size(), 512u);
  driver.expect("Help", [&](HWND window) {
    EXPECT_NE(sheet.headingFont(), nullptr);
    struct Popup {
      int id;
      UINT text;
    } popups[] = {{IDOK, 32841}, {IDCANCEL, 32842}, {0x3021, 32843}, {0x3020, 32845}, {0x7FF0, 32972}};
    for (const Popup& p : popups) {
      HELPINFO info = helpFor(window, p.id);
      SendMessageA(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
      ASSERT_EQ(g_calls.size(), 1u) << p.id;
      EXPECT_EQ(g_calls[0].command, srv::kHhDisplayTextPopup);
      EXPECT_EQ(g_calls[0].popupText, fw::loadString(p.text)) << p.id;
      EXPECT_EQ(g_calls[0].popupBackground, RGB(255, 255, 228));
      g_calls.clear();
    }
    // The tables are compared by content: each program has its own copy of the data.
    struct Table {
      const srv::HelpPair* pairs;
      size_t size;
    } tables[] = {{srv::kHelpBusInterface, sizeof srv::kHelpBusInterface},
                  {srv::kHelpBootDevice, sizeof srv::kHelpBootDevice},
                  {srv::kHelpDeviceConfig, sizeof srv::kHelpDeviceConfig},
                  {srv::kHelpAdvanced, sizeof srv::kHelpAdvanced}};
    for (int i = 0; i < 4; ++i) {
      SendMessageA(window, PSM_SETCURSEL, i, 0);
      HWND page = reinterpret_cast<HWND>(SendMessageA(window, PSM_GETCURRENTPAGEHWND, 0, 0));
      HELPINFO info = helpFor(GetDlgItem(page, IDC_SEE_HEADING), IDC_SEE_HEADING);
      SendMessageA(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
      ASSERT_EQ(g_calls.size(), 1u) << i;
      EXPECT_EQ(g_calls[0].command, srv::kHhTpHelpWmHelp);
      ASSERT_NE(g_calls[0].pairs, nullptr);
      EXPECT_EQ(std::memcmp(g_calls[0].pairs, tables[i].pairs, tables[i].size), 0) << i;
      g_calls.clear();
      HFONT font = reinterpret_cast<HFONT>(SendDlgItemMessageA(page, IDC_SEE_HEADING, WM_GETFONT, 0, 0));
      EXPECT_EQ(font, sheet.headingFont()) << i;
    }
    PostMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  }, false);
  EXPECT_EQ(sheet.doModal(), IDCANCEL);
  EXPECT_TRUE(driver.allDone());
  EXPECT_TRUE(driver.unexpected().empty());
  srv::setHtmlHelpForTesting(nullptr);
}

}  // namespace
