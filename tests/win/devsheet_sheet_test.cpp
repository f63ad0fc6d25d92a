// The device sheet linked in directly, on the simulator's default bus: the negotiated
// rate text that the SCSI Features page asks for, the General page's context help (with
// a recorder in front of the help control) and its pictures.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "devsheet/devsheet.h"
#include "devsheet/devsheet_res.h"
#include "inventory/library_port.h"
#include "pages/help.h"
#include "scsi/manager.h"
#include "simulator/controls.h"
#include "tests/support/modal_driver.h"
#include "tests/support/simulator_control.h"

namespace {

struct HelpCall {
  HWND caller;
  std::string file;
  UINT command;
  DWORD_PTR data;
};
std::vector<HelpCall> g_calls;

HWND WINAPI recordHelp(HWND caller, LPCSTR file, UINT command, DWORD_PTR data) {
  g_calls.push_back({caller, file ? file : "", command, data});
  return caller;
}

// The pair table of template 1000 (each user has its own copy of the constant).
bool isGeneralTable(DWORD_PTR data) {
  const auto* pairs = reinterpret_cast<const srv::HelpPair*>(data);
  return pairs && std::memcmp(pairs, srv::kHelpDeviceGeneral, sizeof srv::kHelpDeviceGeneral) == 0;
}

class DevsheetSheet : public testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableA("VRAX_SIM_BUS", nullptr);
    SetEnvironmentVariableA("VRAX_SIM_STATE", "none");
    ASSERT_TRUE(scsi::scsiManager().load());
    list_ = inv::fromAddress<inv::HostAdapterInfo>(inventory_.buildAdapterList());
    ASSERT_NE(list_, nullptr);
    g_calls.clear();
    srv::setHtmlHelpForTesting(recordHelp);
  }
  void TearDown() override {
    srv::setHtmlHelpForTesting(nullptr);
    EXPECT_TRUE(driver_.unexpected().empty()) << driver_.unexpected().front();
  }
  const inv::DeviceInfo& device(int record, int target) {
    const inv::HostAdapterInfo& adapter = list_[record];
    for (int i = 0; i < adapter.deviceCount; ++i)
      if (adapter.devices[i].target == target) return adapter.devices[i];
    ADD_FAILURE() << "no target " << target;
    return adapter.devices[0];
  }
  std::string rateText(int record, int target) {
    dev::CDevPropertySheet sheet(scsi::scsiManager().handle(), device(record, target), nullptr,
                                 "Rate", nullptr, 0);
    std::string text;
    EXPECT_EQ(sheet.negotiatedRateText(static_cast<uint8_t>(target), text), 1);
    return text;
  }

  inv::AdapterInventory inventory_;
  const inv::HostAdapterInfo* list_ = nullptr;
  orvtest::ModalDriver driver_;
};

TEST_F(DevsheetSheet, NegotiatedRateText) {
  // Records 0 and 1: the newest family, asked through the miniport channel.
  EXPECT_EQ(rateText(0, 0), "320.0 MB/Sec");  // 160.0, to be doubled
  EXPECT_EQ(rateText(0, 1), "160.0 MB/Sec");
  EXPECT_EQ(rateText(1, 6), "Async");
  // Record 2 (adapter 3) is of an older family: nothing is asked.
  ASSERT_NE(list_[2].model.familyLevel, 4u);
  EXPECT_EQ(rateText(2, 0), "0.0 MB/Sec");
}

TEST_F(DevsheetSheet, ContextHelpAndPictures) {
  const inv::DeviceInfo& disk = device(0, 0);
  dev::CDevPropertySheet sheet(scsi::scsiManager().handle(), disk, nullptr, "Help", nullptr, 0);
  driver_.expect("Help", [&](HWND window) {
    HWND page = reinterpret_cast<HWND>(SendMessageA(window, PSM_GETCURRENTPAGEHWND, 0, 0));
    ASSERT_NE(page, nullptr);
    const std::string suffix = "orvane60.chm::/context.txt";

    // The caption's "?" on the ANSI version.
    HELPINFO info = {};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = IDC_DEV_ANSI;
    info.hItemHandle = GetDlgItem(page, IDC_DEV_ANSI);
    EXPECT_TRUE(SendMessageA(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&info)));
    // A menu's help request shows nothing.
    HELPINFO menu = info;
    menu.iContextType = HELPINFO_MENUITEM;
    SendMessageA(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&menu));

    // Right-click help on the ISO/IEC value, as the page receives it.
    RECT iso;
    GetWindowRect(GetDlgItem(page, IDC_DEV_ISO), &iso);
    SendMessageA(page, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page),
                 MAKELPARAM(iso.left + 2, iso.top + 2));

    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[0].caller, GetDlgItem(page, IDC_DEV_ANSI));
    EXPECT_EQ(g_calls[0].command, srv::kHhTpHelpWmHelp);
    EXPECT_TRUE(isGeneralTable(g_calls[0].data));
    EXPECT_EQ(g_calls[0].file.substr(g_calls[0].file.size() - suffix.size()), suffix);
    EXPECT_EQ(g_calls[1].caller, GetDlgItem(page, IDC_DEV_ISO));
    EXPECT_EQ(g_calls[1].command, srv::kHhTpHelpContextMenu);
    EXPECT_TRUE(isGeneralTable(g_calls[1].data));

    // The disk picture at the top-left of its area, its cyan showing the page's ground
    // (the face, or a theme's page body); the separator's red likewise.
    UpdateWindow(page);
    RECT area, line;
    GetWindowRect(GetDlgItem(page, IDC_DEV_PICTURE), &area);
    GetWindowRect(GetDlgItem(page, IDC_DEV_SEPARATOR), &line);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&area), 2);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&line), 2);
    HDC dc = GetDC(page);
    RECT client;
    GetClientRect(page, &client);
    const COLORREF face = GetPixel(dc, client.left + 2, client.bottom - 3);
    EXPECT_EQ(GetPixel(dc, area.left + 1, area.top + 1), face);
    const COLORREF box = GetPixel(dc, area.left + 48, area.top + 60);
    EXPECT_NE(box, face);
    EXPECT_NE(box, RGB(0, 255, 255));
    EXPECT_EQ(GetPixel(dc, line.left + 5, line.top), face);
    EXPECT_EQ(GetPixel(dc, line.left + 5, line.top + 1), GetSysColor(COLOR_BTNSHADOW));
    ReleaseDC(page, dc);
    PostMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  }, false);
  EXPECT_EQ(sheet.doModal(), IDCANCEL);
  EXPECT_TRUE(driver_.allDone());
}

TEST_F(DevsheetSheet, ReadCapacityRequestBytes) {
  const std::string log = orvtest::tempPath("devsheet_requests.log");
  DeleteFileA(log.c_str());
  auto setLog = orvtest::simulatorControl<simctl::SetLogFn>(simctl::kSetLog);
  ASSERT_NE(setLog, nullptr);
  ASSERT_EQ(setLog(log.c_str()), 1);
  const inv::DeviceInfo& disk = device(1, 2);  // adapter 1, target 2
  {
    dev::CDevPropertySheet sheet(scsi::scsiManager().handle(), disk, nullptr, "Bytes", nullptr, 0);
  }
  setLog(nullptr);
  std::ifstream in(log);
  std::string line;
  std::vector<int> block;
  while (std::getline(in, line)) {
    const size_t at = line.find(" recv ");
    if (at == std::string::npos) continue;
    std::istringstream hex(line.substr(at + 6));
    std::string byte;
    block.clear();
    while (hex >> byte) block.push_back(static_cast<int>(std::strtol(byte.c_str(), nullptr, 16)));
  }
  DeleteFileA(log.c_str());
  ASSERT_EQ(block.size(), 80u) << "one execute request";
  EXPECT_EQ(block[0], 0x02);  // execute
  EXPECT_EQ(block[2], 1);     // adapter
  EXPECT_EQ(block[3], 0x48);  // data in, event notification
  EXPECT_EQ(block[8], 2);     // target
  EXPECT_EQ(block[9], 0);     // LUN
  EXPECT_EQ(std::vector<int>(block.begin() + 12, block.begin() + 16), (std::vector<int>{8, 0, 0, 0}));
  EXPECT_EQ(block[offsetof(scsi::ExecCommandBlock, senseLength)], 14);  // sense length
  EXPECT_EQ(block[offsetof(scsi::ExecCommandBlock, cdbLength)], 10);  // CDB length
  const std::vector<int> cdb(block.begin() + 48, block.begin() + 64);
  EXPECT_EQ(cdb, (std::vector<int>{0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

}  // namespace
