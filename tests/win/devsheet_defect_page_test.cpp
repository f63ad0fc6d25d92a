// The Defect List page linked in directly, on a simulated bus of disks that each show one
// case: what the list box, the description and the total show for either list, the
// messages of the failed reads, and every READ DEFECT DATA block that reached the device,
// against the simulator's request log.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "devsheet/defect_page.h"
#include "devsheet/defect_page_res.h"
#include "devsheet/devsheet.h"
#include "devsheet/devsheet_res.h"
#include "pages/help.h"
#include "scsi/manager.h"
#include "scsi/report.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/win/devsheet_defect_mode_kit.h"
#include "tests/win/shared_bus.h"

namespace {

const std::string kBus =
    orvtest::wideBus("pending") + orvtest::disk(0, "ARVELL", "HD-500") +
    R"(    plist      4660/5/256 112/0/453 9001/12/70000
    glist      30001/4/12
)" +
    // No defects at all.
    orvtest::disk(1, "QUORIX", "QX-500") + "    completion immediate\n" +
    // More primary defects than the buffer holds; hundreds of grown ones.
    orvtest::disk(2, "TESSELL", "TS-500") + R"(    plist      100/1/5*1100
    glist      7/0/1*300
)" + orvtest::disk(3, "ARVELL", "HD-80") + R"(    plist      1/1/1
    fault 37 check 05 20 00
)" + orvtest::disk(4, "ARVELL", "HD-81") + R"(    plist      1/1/1
    fault 37 aborted
)" + orvtest::disk(5, "ARVELL", "HD-82") + R"(    plist      1/1/1
    fault 37 busy
)" + orvtest::disk(6, "ARVELL", "HD-83") + R"(    plist      1/1/1
    fault 37 timeout
)" +
    // The primary list arrives with an underrun; the grown list is refused as busy.
    orvtest::disk(8, "MIRLOW", "MR-500") + R"(    plist      4660/5/256
    glist      1/1/1
    fault 37 underrun 12 times 1
    fault 37 busy
)" +
    // A length field of 12: one whole entry.
    orvtest::disk(9, "HALDEN", "HL-500") + R"(    plist      4660/5/256 1/2/3
    plist-length 12
)";

// The block of one READ DEFECT DATA(10) of the list (0x15 primary, 0x0D grown).
devtest::Bytes defectBlock(int target, int list) {
  return devtest::readBlock(target, {0x37, 0, list, 0, 0, 0, 0, 0x20, 0, 0}, 8192);
}

std::vector<std::string> listLines(HWND page) {
  return devtest::listBoxLines(GetDlgItem(page, IDC_DEV_DEFECT_LIST));
}

const char kPrimaryText[] =
    "The Primary Defect List (Plist) is a list of permanent defects, usually supplied by the "
    "original manufacturer of the device or medium.";
const char kGrownText[] =
    "The Grown Defect List (Glist) includes all defects sent by the initiator or detected by "
    "the target.";

class DevsheetDefectPage : public devtest::DirectPageTest {
 protected:
  DevsheetDefectPage() : DirectPageTest(kBus.c_str(), IDD_DEV_DEFECTS, 2, "Defect List") {}

  void onDefectPage(int target, const std::function<void(HWND sheet, HWND page)>& action,
                    const std::function<void()>& onTab = {}) {
    onPage(target, action, onTab);
  }

  // The READ DEFECT DATA requests since the last call, checked byte by byte: the primary
  // list, then the grown one when `both`.
  void expectReads(int target, bool both) {
    const std::vector<devtest::Bytes> blocks = received(0x37);
    ASSERT_EQ(blocks.size(), both ? 2u : 1u);
    EXPECT_EQ(blocks[0], defectBlock(target, 0x15));
    if (both) {
      EXPECT_EQ(blocks[1], defectBlock(target, 0x0D));
    }
  }

  static void click(HWND page, int id) { SendDlgItemMessageA(page, id, BM_CLICK, 0, 0); }
  static bool enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }
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
    EXPECT_TRUE(received(0x37).empty());
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
TEST_F(DevsheetDefectPage, ContextHelpAndSeparator) {
  onDefectPage(0, [&](HWND, HWND page) {
    EXPECT_TRUE(devtest::helpUsesPairs(page, IDC_DEV_GROWN_LIST, srv::kHelpDeviceDefects));
    EXPECT_TRUE(devtest::separatorDrawn(page));
  });
}

}  // namespace
