// The Defect List page linked in directly, on a simulated bus of disks that each show one
// case: what the list box, the description and the total show for either list, the
// messages of the failed reads, and every READ DEFECT DATA block that reached the device,
// against the simulator's request log.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "devsheet/defect_page.h"
#include "devsheet/defect_page_res.h"
#include "devsheet/devsheet.h"
#include "devsheet/devsheet_res.h"
#include "inventory/library_port.h"
#include "scsi/manager.h"
#include "scsi/report.h"
#include "server/help.h"
#include "simulator/controls.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/support/simulator_control.h"

namespace {

using Bytes = std::vector<int>;

constexpr const char* kBus = R"(completion pending
adapter 0
  identifier   "KESTREL-UW"
  manager-id   "VRAX SIMULATOR"
  scsi-id      7
  unique       03 00 02 10 00 00 10 00 00 00 00 00 00 0E 00 81
  pci 00       5A 1D 21 5C 17 01 90 02 03 00 00 01 08 40 00 00
  pci 10       01 B8 00 00 00 E0 AF FE 00 00 00 00 00 00 00 00
  pci 20       00 00 00 00 00 00 00 00 00 00 00 00 5A 1D 60 21
  pci 30       00 00 00 00 00 00 00 00 00 00 00 00 09 01 08 08
  device 0
    inquiry    00 00 02 02 1F 00 00 32 "ARVELL  " "HD-500          " "0100"
    capacity   1000000 512
    plist      4660/5/256 112/0/453 9001/12/70000
    glist      30001/4/12
  # No defects at all.
  device 1
    inquiry    00 00 02 02 1F 00 00 32 "QUORIX  " "QX-500          " "0100"
    capacity   1000000 512
    completion immediate
  # More primary defects than the buffer holds; hundreds of grown ones.
  device 2
    inquiry    00 00 02 02 1F 00 00 32 "TESSELL " "TS-500          " "0100"
    capacity   1000000 512
    plist      100/1/5*1100
    glist      7/0/1*300
  device 3
    inquiry    00 00 02 02 1F 00 00 32 "ARVELL  " "HD-80           " "0100"
    capacity   1000000 512
    plist      1/1/1
    fault 37 check 05 20 00
  device 4
    inquiry    00 00 02 02 1F 00 00 32 "ARVELL  " "HD-81           " "0100"
    capacity   1000000 512
    plist      1/1/1
    fault 37 aborted
  device 5
    inquiry    00 00 02 02 1F 00 00 32 "ARVELL  " "HD-82           " "0100"
    capacity   1000000 512
    plist      1/1/1
    fault 37 busy
  device 6
    inquiry    00 00 02 02 1F 00 00 32 "ARVELL  " "HD-83           " "0100"
    capacity   1000000 512
    plist      1/1/1
    fault 37 timeout
  # The primary list arrives with an underrun; the grown list is refused as busy.
  device 8
    inquiry    00 00 02 02 1F 00 00 32 "MIRLOW  " "MR-500          " "0100"
    capacity   1000000 512
    plist      4660/5/256
    glist      1/1/1
    fault 37 underrun 12 times 1
    fault 37 busy
  # A length field of 12: one whole entry.
  device 9
    inquiry    00 00 02 02 1F 00 00 32 "HALDEN  " "HL-500          " "0100"
    capacity   1000000 512
    plist      4660/5/256 1/2/3
    plist-length 12
)";

Bytes hexBytes(const std::string& text) {
  std::istringstream in(text);
  std::string byte;
  Bytes out;
  while (in >> byte) out.push_back(static_cast<int>(std::strtol(byte.c_str(), nullptr, 16)));
  return out;
}

// The READ DEFECT DATA blocks in the log, as received.
std::vector<Bytes> defectRequests(const std::string& path) {
  std::vector<Bytes> blocks;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const size_t recv = line.find(" recv ");
    if (line.empty() || line[0] != '#' || recv == std::string::npos) continue;
    Bytes block = hexBytes(line.substr(recv + 6));
    if (block.size() == 80 && block[48] == 0x37) blocks.push_back(block);
  }
  return blocks;
}

// The block of one READ DEFECT DATA(10) of the list (0x15 primary, 0x0D grown).
Bytes expectedBlock(int target, int list) {
  Bytes block(80, 0);
  block[0] = 2;     // execute
  block[3] = 0x48;  // data in, event notification
  block[8] = target;
  block[13] = 0x20;  // data length 8192, little-endian
  block[20] = 14;
  block[21] = 10;
  const Bytes cdb = {0x37, 0, list, 0, 0, 0, 0, 0x20, 0, 0};
  std::copy(cdb.begin(), cdb.end(), block.begin() + 48);
  return block;
}

// The block as the suite filled it, without the fields that differ per request (the
// buffer address and the event handle) or that the manager owns (status).
Bytes comparable(Bytes block) {
  for (int i : {1, 16, 17, 18, 19, 24, 25, 26, 27}) block[i] = 0;
  return block;
}

std::vector<std::string> listLines(HWND page) {
  std::vector<std::string> lines;
  HWND list = GetDlgItem(page, IDC_DEV_DEFECT_LIST);
  const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::string text(static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, i, 0)), '\0');
    SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
    lines.push_back(text);
  }
  return lines;
}

const char kPrimaryText[] =
    "The Primary Defect List (Plist) is a list of permanent defects, usually supplied by the "
    "original manufacturer of the device or medium.";
const char kGrownText[] =
    "The Grown Defect List (Glist) includes all defects sent by the initiator or detected by "
    "the target.";

class DevsheetDefectPage : public testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableA("VRAX_SIM_BUS", nullptr);
    SetEnvironmentVariableA("VRAX_SIM_STATE", "none");
    ASSERT_TRUE(scsi::scsiManager().load());
    auto loadText = orvtest::simulatorControl<simctl::LoadBusTextFn>(simctl::kLoadBusText);
    ASSERT_NE(loadText, nullptr);
    ASSERT_EQ(loadText(kBus, "defects.bus"), 1);
    list_ = inv::fromAddress<inv::HostAdapterInfo>(inventory_.buildAdapterList());
    ASSERT_NE(list_, nullptr);
    log_ = orvtest::tempPath("defect_requests.log");
    DeleteFileA(log_.c_str());
    setLog_ = orvtest::simulatorControl<simctl::SetLogFn>(simctl::kSetLog);
    ASSERT_NE(setLog_, nullptr);
    ASSERT_EQ(setLog_(log_.c_str()), 1);
  }
  void TearDown() override {
    if (setLog_) setLog_(nullptr);
    DeleteFileA(log_.c_str());
    EXPECT_TRUE(driver_.allDone()) << "a window the test waited for did not appear";
    EXPECT_TRUE(driver_.unexpected().empty()) << driver_.unexpected().front();
  }

  const inv::DeviceInfo& disk(int target) {
    for (int i = 0; i < list_[0].deviceCount; ++i)
      if (list_[0].devices[i].target == target) return list_[0].devices[i];
    ADD_FAILURE() << "no target " << target;
    return list_[0].devices[0];
  }

  // Opens the device's sheet, goes to the Defect List page as a click on its tab would
  // and runs action on it; then Cancel. onTab runs just before the tab is chosen (the
  // page then reads the device).
  void onDefectPage(int target, const std::function<void(HWND sheet, HWND page)>& action,
                    const std::function<void()>& onTab = {}) {
    dev::CDevPropertySheet sheet(scsi::scsiManager().handle(), disk(target), nullptr, "Defects",
                                 nullptr, 0);
    int index = -1;
    for (size_t i = 0; i < sheet.pageCount(); ++i)
      if (sheet.page(i)->templateId() == IDD_DEV_DEFECTS) index = static_cast<int>(i);
    ASSERT_EQ(index, 2) << "after General and SCSI Features";
    driver_.expect("Defects", [&](HWND window) {
      if (onTab) onTab();
      SendMessageA(window, PSM_SETCURSEL, index, 0);
      HWND page = reinterpret_cast<HWND>(SendMessageA(window, PSM_GETCURRENTPAGEHWND, 0, 0));
      ASSERT_NE(page, nullptr);
      EXPECT_EQ(orvtest::windowTitle(page), "Defect List");
      action(window, page);
      PostMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    }, false);
    EXPECT_EQ(sheet.doModal(), IDCANCEL);
  }

  void expectMessage(const std::string& caption, const std::string& text) {
    driver_.expect(caption, [text](HWND box) {
      EXPECT_EQ(orvtest::messageBoxText(box), text);
      EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
      orvtest::pressButton(box, IDOK);
    });
  }

  // The READ DEFECT DATA requests since the last call, checked byte by byte: the primary
  // list, then the grown one when `both`.
  void expectReads(int target, bool both) {
    setLog_(nullptr);
    const std::vector<Bytes> blocks = defectRequests(log_);
    DeleteFileA(log_.c_str());
    setLog_(log_.c_str());
    ASSERT_EQ(blocks.size(), both ? 2u : 1u);
    EXPECT_EQ(comparable(blocks[0]), expectedBlock(target, 0x15));
    if (both) {
      EXPECT_EQ(comparable(blocks[1]), expectedBlock(target, 0x0D));
    }
  }

  static void click(HWND page, int id) { SendDlgItemMessageA(page, id, BM_CLICK, 0, 0); }
  static bool enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }

  inv::AdapterInventory inventory_;
  const inv::HostAdapterInfo* list_ = nullptr;
  std::string log_;
  simctl::SetLogFn setLog_ = nullptr;
  orvtest::ModalDriver driver_;
};

TEST_F(DevsheetDefectPage, BothListsAndTheirTexts) {
  onDefectPage(0, [&](HWND sheet, HWND page) {
    expectReads(0, true);
    EXPECT_EQ(IsDlgButtonChecked(page, IDC_DEV_PRIMARY_LIST), BST_CHECKED);
    EXPECT_EQ(listLines(page), (std::vector<std::string>{
                                   "Cylinder: 04660      Head: 05      Sector: 00256",
                                   "Cylinder: 00112      Head: 00      Sector: 00453",
                                   "Cylinder: 09001      Head: 12      Sector: 70000"}));
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_DEFECT_TOTAL), "3");
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_DEFECT_DESCRIPTION), kPrimaryText);
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_DEFECT_TOTAL_LABEL), "Total entries in list:");
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_TITLE), "ARVELL  HD-500          ");
    EXPECT_TRUE(enabled(page, IDC_DEV_DEFECT_LIST));
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "devsheet_defects_primary").empty());

    // The buttons only redraw from what was read.
    click(page, IDC_DEV_GROWN_LIST);
    EXPECT_EQ(listLines(page),
              std::vector<std::string>{"Cylinder: 30001      Head: 04      Sector: 00012"});
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_DEFECT_TOTAL), "1");
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_DEFECT_DESCRIPTION), kGrownText);
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "devsheet_defects_grown").empty());
    click(page, IDC_DEV_PRIMARY_LIST);
    EXPECT_EQ(listLines(page).size(), 3u);
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_DEFECT_DESCRIPTION), kPrimaryText);
    EXPECT_EQ(defectRequests(log_).size(), 0u);
  });
}

TEST_F(DevsheetDefectPage, EmptyCappedAndShortLengths) {
  onDefectPage(1, [&](HWND sheet, HWND page) {
    EXPECT_EQ(listLines(page), std::vector<std::string>{"No Primary Defects."});
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_DEFECT_TOTAL), "0");
    click(page, IDC_DEV_GROWN_LIST);
    EXPECT_EQ(listLines(page), std::vector<std::string>{"No Grown Defects."});
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_DEFECT_TOTAL), "0");
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "devsheet_defects_none").empty());
  });
  // 1100 entries (8800 bytes): the buffer's 1023 are shown, in list order.
  onDefectPage(2, [&](HWND, HWND page) {
    const std::vector<std::string> lines = listLines(page);
    ASSERT_EQ(lines.size(), 1023u);
    EXPECT_EQ(lines.front(), "Cylinder: 00100      Head: 01      Sector: 00005");
    EXPECT_EQ(lines.back(), "Cylinder: 01122      Head: 01      Sector: 00005");
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_DEFECT_TOTAL), "1023");
    click(page, IDC_DEV_GROWN_LIST);
    EXPECT_EQ(listLines(page).size(), 300u);
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_DEFECT_TOTAL), "300");
  });
  onDefectPage(9, [&](HWND, HWND page) {
    EXPECT_EQ(listLines(page),
              std::vector<std::string>{"Cylinder: 04660      Head: 05      Sector: 00256"});
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_DEFECT_TOTAL), "1");
  });
}

TEST_F(DevsheetDefectPage, FailedPrimaryReadDisablesThePage) {
  const std::string caption = "Velmora SCSI Explorer";
  struct Case {
    int target;
    const char* message;  // null: the failure dialog
  };
  const Case cases[] = {
      {3, "The defect list for this device cannot be read. "},
      {4, "The VRAX request sent was aborted due to unexpected timeout failure.  The selected "
          "SCSI device may be busy."},
      {5, "The device is busy at this time."},
      {6, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    onDefectPage(c.target, [&](HWND sheet, HWND page) {
      expectReads(c.target, false);
      for (int id : {IDC_DEV_PRIMARY_LIST, IDC_DEV_GROWN_LIST, IDC_DEV_DEFECT_LIST,
                     IDC_DEV_DEFECT_TOTAL, IDC_DEV_DEFECT_DESCRIPTION, IDC_DEV_TITLE})
        EXPECT_FALSE(enabled(page, id)) << id;
      // The buffer stayed zeroed.
      EXPECT_EQ(listLines(page), std::vector<std::string>{"No Primary Defects."});
      EXPECT_EQ(orvtest::itemText(page, IDC_DEV_DEFECT_TOTAL), "0");
      EXPECT_EQ(orvtest::itemText(page, IDC_DEV_DEFECT_DESCRIPTION), kPrimaryText);
      if (c.target == 3) {
        EXPECT_FALSE(orvtest::saveScreenshot(sheet, "devsheet_defects_unreadable").empty());
      }
    }, [&] {
      if (c.message) {
        expectMessage(caption, c.message);
      } else {
        driver_.expect("SCSI Command Failure", [](HWND dialog) {
          EXPECT_EQ(orvtest::itemText(dialog, 1610), "37 00 15 00 00 00 00 20 00 00 ");
          EXPECT_EQ(orvtest::itemText(dialog, 1611), "11 - Selection timeout");
          orvtest::pressButton(dialog, IDOK);
        });
      }
    });
  }
}

TEST_F(DevsheetDefectPage, GrownListFailureAfterAGoodPrimaryRead) {
  onDefectPage(8, [&](HWND, HWND page) {
    expectReads(8, true);
    EXPECT_FALSE(enabled(page, IDC_DEV_DEFECT_LIST));
    // The primary list arrived with an underrun, which is success: it is shown.
    EXPECT_EQ(listLines(page),
              std::vector<std::string>{"Cylinder: 04660      Head: 05      Sector: 00256"});
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_DEFECT_TOTAL), "1");
  }, [&] { expectMessage("Velmora SCSI Explorer", "The device is busy at this time."); });
}

// Context help through template 1429's pairs; the separator is drawn under the heading.
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

TEST_F(DevsheetDefectPage, ContextHelpAndSeparator) {
  g_calls.clear();
  srv::setHtmlHelpForTesting(recordHelp);
  onDefectPage(0, [&](HWND, HWND page) {
    HELPINFO info = {};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = IDC_DEV_GROWN_LIST;
    info.hItemHandle = GetDlgItem(page, IDC_DEV_GROWN_LIST);
    EXPECT_TRUE(SendMessageA(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&info)));
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].caller, GetDlgItem(page, IDC_DEV_GROWN_LIST));
    EXPECT_EQ(g_calls[0].command, srv::kHhTpHelpWmHelp);
    EXPECT_EQ(std::memcmp(reinterpret_cast<const void*>(g_calls[0].data), srv::kHelpDeviceDefects,
                          sizeof srv::kHelpDeviceDefects), 0);

    UpdateWindow(page);
    RECT line;
    GetWindowRect(GetDlgItem(page, IDC_DEV_SEPARATOR), &line);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&line), 2);
    HDC dc = GetDC(page);
    EXPECT_EQ(GetPixel(dc, line.left + 5, line.top + 1), RGB(128, 128, 128));
    ReleaseDC(page, dc);
  });
  srv::setHtmlHelpForTesting(nullptr);
}

}  // namespace
