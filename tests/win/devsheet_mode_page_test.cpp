// The Mode Parameters page linked in directly, on a simulated bus of disks with pages of
// every shape: the combo entries and parameter lists, the three values of parameters
// (and "Unavailable" beyond what a device returned), the pages a device lacks or refuses,
// and every MODE SENSE that reached the device, against the simulator's request log.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "devsheet/devsheet.h"
#include "devsheet/devsheet_res.h"
#include "devsheet/mode_page.h"
#include "devsheet/mode_page_res.h"
#include "pages/help.h"
#include "scsi/manager.h"
#include "scsi/report.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/win/devsheet_defect_mode_kit.h"
#include "tests/win/shared_bus.h"

namespace {

using Texts = std::vector<std::string>;

const std::string kBus =
    orvtest::wideBus("pending") +
    // The six pages, each with distinct current, saved and default values.
    orvtest::disk(0, "ARVELL", "HD-500") + R"(    page 01 current    01 0A C0 0B 10 FE 80 00 05 00 01 2C
    page 01 saved      01 0A 40 08 10 FF 01 00 07 00 00 64
    page 01 default    01 0A 00 05 08 00 00 00 05 00 00 C8
    page 02 current    02 0E 80 40 00 0A 00 14 00 00 01 00 03 00 00 00
    page 02 saved      02 0E 40 20 00 0B 00 15 00 00 02 00 02 00 00 00
    page 02 default    02 0E 20 10 00 0C 00 16 00 00 03 00 01 00 00 00
    page 04 current    04 16 00 3A 98 08 00 00 00 00 00 00 00 00 00 00 00 00 00 00 1C 20 00 00
    page 04 saved      04 16 00 3A 98 08 00 00 00 00 00 00 00 00 00 00 00 00 00 00 1C 20 00 00
    page 04 default    04 16 00 3A 99 08 00 00 00 00 00 00 00 00 00 00 00 00 00 00 27 10 00 00
    page 08 current    08 12 01 53 FF FF 00 10 02 00 FF FF 80 10 00 00 00 00 00 00
    page 08 saved      08 12 04 00 FF FF 00 20 04 00 00 40 80 10 00 00 00 00 00 00
    page 08 default    08 12 05 00 00 00 00 30 08 00 00 80 80 10 00 00 00 00 00 00
    page 0A current    0A 0A 02 13 00 00 08 40 00 00 00 00
    page 0A saved      0A 0A 00 10 00 00 07 D0 00 00 00 00
    page 0A default    0A 0A 00 00 87 00 00 00 00 00 00 00
    page 1C current    1C 0A 8D 03 00 00 17 70 00 00 00 01
    page 1C saved      1C 0A 00 04 00 00 0E 10 00 00 00 02
    page 1C default    1C 0A 08 00 00 00 00 00 00 00 00 00
)" +
    // A Caching page of 0Ah bytes after its length, without block descriptors.
    orvtest::disk(1, "QUORIX", "QX-500") + R"(    block-descriptors off
    completion immediate
    page 08 current    08 0A 04 00 FF FF 00 00 01 00 FF FF
    page 08 saved      08 0A 04 00 FF FF 00 00 01 00 00 10
    page 08 default    08 0A 04 00 FF FF 00 00 01 00 01 00
)" +
    // A Caching page of 08h: the ceiling lies beyond it.
    orvtest::disk(2, "TESSELL", "TS-500") + R"(    page 08 current    08 08 04 00 FF FF 00 00 01 00
)" +
    // A Caching page of 09h: the ceiling's first byte is in it, its last byte is not.
    orvtest::disk(3, "HALDEN", "HL-500") + R"(    page 08 current    08 09 04 00 FF FF 00 00 01 00 FF
)" +
    // Answers the pages it lacks with no page.
    orvtest::disk(4, "MIRLOW", "MR-500") + R"(    missing-page empty
    page 08 current    08 12 04 00 FF FF 00 00 FF FF FF FF 80 10 00 00 00 00 00 00
)" +
    // Refuses the pages it lacks; busy for the Disconnect/Reconnect page.
    orvtest::disk(5, "ARVELL", "HD-80") + R"(    fault 1A busy page 02
    page 08 current    08 12 04 00 FF FF 00 00 FF FF FF FF 80 10 00 00 00 00 00 00
)" +
    // Busy at its first MODE SENSE.
    orvtest::disk(6, "ARVELL", "HD-90") + R"(    fault 1A busy times 1
    page 08 current    08 12 04 00 FF FF 00 00 FF FF FF FF 80 10 00 00 00 00 00 00
)";

// The block of one MODE SENSE(6) of the page in that page control.
devtest::Bytes senseBlock(int target, int page, int control) {
  return devtest::readBlock(target, {0x1A, 0, page + control * 0x40, 0, 0x54, 0}, 84);
}

Texts listNames(HWND page) { return devtest::listBoxLines(GetDlgItem(page, IDC_DEV_MODE_PARAMETERS)); }

const Texts kCachingNames = {"Write Cache Enable  (WCE)",       "Read Cache Disable  (RCD)",
                             "Demand Read Retention Priority",  "Write Retention Priority",
                             "Disable Pre-fetch Transfer Length", "Multiplication Factor",
                             "Minimum Pre-fetch",               "Maximum Pre-fetch",
                             "Maximum Pre-fetch Ceiling"};
const Texts kDisconnectNames = {"Buffer Full Ratio",     "Buffer Empty Ratio",
                                "Bus Inactivity Limit",  "Disconnect Time Limit",
                                "Connect Time Limit",    "Maximum Burst size",
                                "Data Transfer Disconnect Control"};

constexpr int kParameterControls[] = {1620, 1581, 1602, 1589, 1590, 1591};

class DevsheetModePage : public devtest::DirectPageTest {
 protected:
  DevsheetModePage() : DirectPageTest(kBus.c_str(), IDD_DEV_MODE, 3, "Mode Parameters") {}

  void onModePage(int target, const std::function<void(HWND sheet, HWND page)>& action,
                  const std::function<void()>& onTab = {}) {
    onPage(target, action, onTab);
  }

  // The MODE SENSE requests since the last call: `count` of the page, in page-control
  // order, checked byte by byte.
  void expectSenses(int target, int pageCode, size_t count) {
    const std::vector<devtest::Bytes> blocks = received(0x1A);
    ASSERT_EQ(blocks.size(), count) << "MODE SENSE of page " << pageCode;
    for (size_t i = 0; i < count; ++i)
      EXPECT_EQ(blocks[i], senseBlock(target, pageCode, static_cast<int>(i))) << i;
  }

  // As a person would: a combo entry, a list entry.
  static void choosePage(HWND page, int index) {
    HWND combo = GetDlgItem(page, IDC_DEV_MODE_PAGES);
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_DEV_MODE_PAGES, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
  }
  static void chooseParameter(HWND page, int index) {
    HWND list = GetDlgItem(page, IDC_DEV_MODE_PARAMETERS);
    SendMessageA(list, LB_SETCURSEL, index, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_DEV_MODE_PARAMETERS, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
  }
  // Current, power-on, factory default; "-" for a hidden text.
  static Texts values(HWND page) {
    Texts out;
    for (int id : {IDC_DEV_MODE_CURRENT, IDC_DEV_MODE_SAVED, IDC_DEV_MODE_DEFAULT})
      out.push_back(IsWindowVisible(GetDlgItem(page, id)) ? orvtest::itemText(page, id) : "-");
    return out;
  }
  static Texts valuesOf(HWND page, int index) {
    chooseParameter(page, index);
    return values(page);
  }
  static bool parametersEnabled(HWND page) {
    int enabled = 0;
    for (int id : kParameterControls) enabled += IsWindowEnabled(GetDlgItem(page, id)) ? 1 : 0;
    EXPECT_TRUE(enabled == 0 || enabled == 6) << enabled << " of the parameter controls enabled";
    return enabled == 6;
  }
};

TEST_F(DevsheetModePage, ComboEntriesAndTheCachingPage) {
  onModePage(0, [&](HWND sheet, HWND page) {
    expectSenses(0, 0x08, 4);
    HWND combo = GetDlgItem(page, IDC_DEV_MODE_PAGES);
    const Texts names = {"Caching  (08h)", "Disconnect/Reconnect  (02h)", "Control Mode  (0A)",
                         "Read/Write Error Recovery  (01h)", "Rigid Disk Drive Geometry  (04h)",
                         "Information Exceptions Control  (1Ch)"};
    const int codes[] = {0x08, 0x02, 0x0A, 0x01, 0x04, 0x1C};
    ASSERT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 6);
    for (int i = 0; i < 6; ++i) {
      char text[64] = {};
      SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      EXPECT_EQ(text, names[i]);
      EXPECT_EQ(SendMessageA(combo, CB_GETITEMDATA, i, 0), codes[i]);
    }
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(listNames(page), kCachingNames);
    EXPECT_TRUE(parametersEnabled(page));
    EXPECT_EQ(values(page), (Texts{"-", "-", "-"})) << "hidden until a parameter is chosen";
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_TITLE), "ARVELL  HD-500          ");

    EXPECT_EQ(valuesOf(page, 0), (Texts{"Disabled", "Enabled", "Enabled"}));   // WCE
    EXPECT_EQ(valuesOf(page, 1), (Texts{"Disabled", "Enabled", "Disabled"}));  // RCD set
    EXPECT_EQ(valuesOf(page, 2), (Texts{"5", "0", "0"}));
    EXPECT_EQ(valuesOf(page, 3), (Texts{"3", "0", "0"}));
    EXPECT_EQ(valuesOf(page, 4), (Texts{"65535", "65535", "0"}));
    EXPECT_EQ(valuesOf(page, 5), (Texts{"0", "0", "0"}));
    EXPECT_EQ(valuesOf(page, 6), (Texts{"16", "32", "48"}));
    EXPECT_EQ(valuesOf(page, 7), (Texts{"512", "1024", "2048"}));
    EXPECT_EQ(valuesOf(page, 8), (Texts{"65535", "64", "128"}));
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "devsheet_mode_caching").empty());
    // Choosing a parameter sends nothing.
    EXPECT_TRUE(received(0x1A).empty());
  });
}

TEST_F(DevsheetModePage, EveryOtherPage) {
  onModePage(0, [&](HWND sheet, HWND page) {
    expectSenses(0, 0x08, 4);
    choosePage(page, 1);
    expectSenses(0, 0x02, 4);
    EXPECT_EQ(listNames(page), kDisconnectNames);
    EXPECT_EQ(values(page), (Texts{"-", "-", "-"}));
    EXPECT_EQ(valuesOf(page, 0), (Texts{"128", "64", "32"}));
    EXPECT_EQ(valuesOf(page, 3), (Texts{"20", "21", "22"}));
    EXPECT_EQ(valuesOf(page, 5), (Texts{"256", "512", "768"}));
    EXPECT_EQ(valuesOf(page, 6), (Texts{"3", "2", "1"}));

    choosePage(page, 2);
    expectSenses(0, 0x0A, 4);
    EXPECT_EQ(listNames(page).size(), 9u);
    EXPECT_EQ(valuesOf(page, 0), (Texts{"No", "No", "No"}));
    EXPECT_EQ(valuesOf(page, 1), (Texts{"1", "1", "0"}));
    EXPECT_EQ(valuesOf(page, 2), (Texts{"Yes", "No", "No"}));
    EXPECT_EQ(valuesOf(page, 3), (Texts{"Yes", "No", "No"}));
    EXPECT_EQ(valuesOf(page, 4), (Texts{"No", "No", "Yes"}));
    EXPECT_EQ(valuesOf(page, 7), (Texts{"No", "No", "Yes"}));
    EXPECT_EQ(valuesOf(page, 8), (Texts{"2112", "2000", "0"}));

    choosePage(page, 3);
    expectSenses(0, 0x01, 4);
    const Texts names = listNames(page);
    ASSERT_EQ(names.size(), 14u);
    EXPECT_EQ(names[0], "Reallocate on Error during Write");
    EXPECT_EQ(names[10], "Head Offset Count");
    EXPECT_EQ(names[12], "Write Retry Count");
    EXPECT_EQ(valuesOf(page, 0), (Texts{"Yes", "No", "No"}));
    EXPECT_EQ(valuesOf(page, 1), (Texts{"Yes", "Yes", "No"}));
    EXPECT_EQ(valuesOf(page, 9), (Texts{"16", "16", "8"}));
    // The offsets: the byte as it stands.
    EXPECT_EQ(valuesOf(page, 10), (Texts{"254", "255", "0"}));
    EXPECT_EQ(valuesOf(page, 11), (Texts{"128", "1", "0"}));
    EXPECT_EQ(valuesOf(page, 12), (Texts{"5", "7", "5"}));
    EXPECT_EQ(valuesOf(page, 13), (Texts{"300", "100", "200"}));
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "devsheet_mode_recovery").empty());

    choosePage(page, 4);
    expectSenses(0, 0x04, 4);
    EXPECT_EQ(valuesOf(page, 0), (Texts{"15000", "15000", "15001"}));
    EXPECT_EQ(valuesOf(page, 1), (Texts{"8", "8", "8"}));
    EXPECT_EQ(valuesOf(page, 8), (Texts{"7200", "7200", "10000"}));

    choosePage(page, 5);
    expectSenses(0, 0x1C, 4);
    EXPECT_EQ(valuesOf(page, 0), (Texts{"1", "0", "0"}));
    EXPECT_EQ(valuesOf(page, 1), (Texts{"Disabled", "Enabled", "Disabled"}));
    EXPECT_EQ(valuesOf(page, 4), (Texts{"3", "4", "0"}));
    EXPECT_EQ(valuesOf(page, 5), (Texts{"6000", "3600", "0"}));
    EXPECT_EQ(valuesOf(page, 6), (Texts{"1", "2", "0"}));

    // The same entry again sends nothing and keeps what is shown.
    choosePage(page, 5);
    EXPECT_TRUE(received(0x1A).empty());
    EXPECT_EQ(values(page), (Texts{"1", "2", "0"}));
  });
}

TEST_F(DevsheetModePage, ShortPagesReadUnavailable) {
  // Length 0Ah, no block descriptors: the ceiling is the page's last field.
  onModePage(1, [&](HWND, HWND page) {
    EXPECT_EQ(valuesOf(page, 8), (Texts{"65535", "16", "256"}));
    EXPECT_EQ(valuesOf(page, 0), (Texts{"Enabled", "Enabled", "Enabled"}));
  });
  onModePage(2, [&](HWND sheet, HWND page) {
    EXPECT_EQ(valuesOf(page, 7), (Texts{"256", "256", "256"}));
    EXPECT_EQ(valuesOf(page, 8), (Texts{"Unavailable", "Unavailable", "Unavailable"}));
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "devsheet_mode_unavailable").empty());
  });
  // A field half inside the page is not read from beyond it.
  onModePage(3, [&](HWND, HWND page) {
    EXPECT_EQ(valuesOf(page, 8), (Texts{"Unavailable", "Unavailable", "Unavailable"}));
    EXPECT_EQ(valuesOf(page, 7), (Texts{"256", "256", "256"}));
  });
}

TEST_F(DevsheetModePage, MissingRefusedAndBusyPages) {
  onModePage(4, [&](HWND sheet, HWND page) {
    expectSenses(4, 0x08, 4);
    // No such page: one read, no message, the names still listed.
    choosePage(page, 1);
    expectSenses(4, 0x02, 1);
    EXPECT_FALSE(parametersEnabled(page));
    EXPECT_EQ(listNames(page), kDisconnectNames);
    EXPECT_EQ(values(page), (Texts{"-", "-", "-"}));
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "devsheet_mode_missing").empty());
    choosePage(page, 0);
    expectSenses(4, 0x08, 4);
    EXPECT_TRUE(parametersEnabled(page));
    EXPECT_EQ(listNames(page), kCachingNames);
  });
  onModePage(5, [&](HWND, HWND page) {
    expectSenses(5, 0x08, 4);
    expectMessage(scsi::applicationTitle(), "The command is not supported by the device.");
    choosePage(page, 2);
    expectSenses(5, 0x0A, 1);
    EXPECT_FALSE(parametersEnabled(page));
    expectMessage("SCSI Error", "The device is busy at this time.");
    choosePage(page, 1);
    expectSenses(5, 0x02, 1);
    EXPECT_FALSE(parametersEnabled(page));
    EXPECT_EQ(listNames(page), kDisconnectNames);
  });
  // A failed first read: the parameter controls start disabled; the combo box works.
  onModePage(6, [&](HWND, HWND page) {
    expectSenses(6, 0x08, 1);
    EXPECT_FALSE(parametersEnabled(page));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_DEV_MODE_PAGES)));
    EXPECT_EQ(listNames(page), kCachingNames);
  }, [&] { expectMessage("SCSI Error", "The device is busy at this time."); });
}

TEST_F(DevsheetModePage, ReopeningStartsAtCaching) {
  onModePage(0, [&](HWND, HWND page) {
    expectSenses(0, 0x08, 4);
    choosePage(page, 3);
    expectSenses(0, 0x01, 4);
  });
  onModePage(0, [&](HWND, HWND page) {
    expectSenses(0, 0x08, 4);
    EXPECT_EQ(SendDlgItemMessageA(page, IDC_DEV_MODE_PAGES, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(listNames(page), kCachingNames);
    choosePage(page, 3);
    expectSenses(0, 0x01, 4);
    EXPECT_EQ(listNames(page).size(), 14u);
  });
}

// Context help through template 1431's pairs; the separator is drawn under the heading.
TEST_F(DevsheetModePage, ContextHelpAndSeparator) {
  onModePage(0, [&](HWND, HWND page) {
    EXPECT_TRUE(devtest::helpUsesPairs(page, IDC_DEV_MODE_PAGES, srv::kHelpDeviceModePages));
    EXPECT_TRUE(devtest::separatorDrawn(page));
  });
}

}  // namespace
