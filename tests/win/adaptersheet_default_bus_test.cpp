// The host adapter property sheet as a front end opens it: CorvathObj through COM, the
// simulator's default bus, ShowHostAdapterProperty with a record's address and a page.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "adaptersheet/adaptersheet_res.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/win/adaptersheet_support.h"
#include "tests/win/devsheet_support.h"

namespace {

using hatest::heading;

class AdaptersheetDefaultBus : public devtest::SheetTest {
 protected:
  const inv::HostAdapterInfo* adapter(int number) { return hatest::adapter(adapters_, number); }
  void withSheet(const inv::HostAdapterInfo& adapter, short page,
                 const std::function<void(HWND)>& action) {
    hatest::withSheet(corvath_, adapter, page, action);
  }
};

std::string locationText(const inv::HostAdapterInfo& a) {
  char text[64];
  std::snprintf(text, sizeof text, "PCI bus %u, device %u, function %u ", unsigned{a.pciBus},
                unsigned{a.pciDevice}, unsigned{a.pciFunction});
  return text;
}

std::string devicesText(const inv::HostAdapterInfo& a) {
  return std::to_string(a.maxTargets) + " maximum SCSI devices";
}

using orvtest::tabCount;

TEST_F(AdaptersheetDefaultBus, GeneralPageOfAnUltra320Adapter) {
  const inv::HostAdapterInfo* a = adapter(0);
  ASSERT_NE(a, nullptr);
  withSheet(*a, 0, [&](HWND sheet) {
    EXPECT_TRUE(GetWindowLongA(sheet, GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
    EXPECT_EQ(tabCount(sheet), 2);
    HWND page = hatest::currentPage(sheet);
    ASSERT_NE(page, nullptr);
    const std::map<int, std::string> expected = {
        {IDC_HA_HEADING, heading(*a)},
        {IDC_HA_LOCATION, locationText(*a)},
        {IDC_HA_SCSI_ID, "SCSI ID 7"},
        {IDC_HA_DEVICES, devicesText(*a)},
        {IDC_HA_IO_PORT, "I/O port base address D000h"},  // BAR 0 is 0000D001h
        {IDC_HA_INTERRUPT, "Interrupt Request 0Bh"},
        {IDC_HA_RESIDUAL, "Residual byte count supported"},
        {IDC_HA_MAX_TRANSFER, "16 MB maximum transfer"},  // 01000000h bytes
        {IDC_HA_ALIGNMENT, "Data buffer is double-word aligned"},
    };
    EXPECT_EQ(hatest::generalFields(page), expected);
    EXPECT_EQ(heading(*a).rfind("KESTREL-U320 ", 0), 0u);
    hatest::expectHeadingFont(page);
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "adaptersheet_general").empty());
  });
}

TEST_F(AdaptersheetDefaultBus, PageOneOpensOnThePciConfiguration) {
  const inv::HostAdapterInfo* a = adapter(1);
  ASSERT_NE(a, nullptr);
  withSheet(*a, 1, [&](HWND sheet) {
    HWND page = hatest::currentPage(sheet);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(hatest::currentTab(sheet), 1);
    ASSERT_NE(GetDlgItem(page, IDC_HA_PCI_LIST), nullptr);
    EXPECT_EQ(orvtest::itemText(page, IDC_HA_HEADING), heading(*a));
    hatest::expectHeadingFont(page);
    HWND list = GetDlgItem(page, IDC_HA_PCI_LIST);
    EXPECT_TRUE(IsWindowEnabled(list));
    EXPECT_EQ(hatest::columnHeader(list, 0), "Field");
    EXPECT_EQ(hatest::columnHeader(list, 1), "Value");
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0), 200);
    const std::vector<std::string> expected = {
        "Vendor ID=1D5Ah",        "Device ID=5C40h",        "Command=0117h",
        "Status=02B0h",           "Revision ID=01h",        "ProgIf=00h",
        "Sub-Class=00h",          "Base Class=01h",         "Cache Line Size=10h",
        "Latency Timer=40h",      "Header Type=80h",        "BIST=00h",
        "Base Address 0=0000D401h", "Base Address 1=FEBFC004h", "Base Address 2=00000000h",
        "Base Address 3=00000000h", "Base Address 4=00000000h", "Base Address 5=00000000h",
        "CIS=00000000h",          "Sub-Vendor ID=1D5Ah",    "Sub-System ID=4C20h",
        "ROM Base Address=00000000h", "Reserved=000000DCh", "Reserved=00000000h",
        "Interrupt Line=0Ah",     "Interrupt Pin=02h",      "Minimum Grant=28h",
        "Maximum Latency=19h",
    };
    EXPECT_EQ(hatest::pciRows(page), expected);
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "adaptersheet_pci").empty());
  });
}

TEST_F(AdaptersheetDefaultBus, OutOfRangePageOpensTheFirst) {
  const inv::HostAdapterInfo* a = adapter(0);
  ASSERT_NE(a, nullptr);
  for (short page : {short(2), short(-1)}) {
    withSheet(*a, page, [&](HWND sheet) {
      HWND current = hatest::currentPage(sheet);
      EXPECT_NE(GetDlgItem(current, IDC_HA_LOCATION), nullptr) << page;
    });
  }
}

}  // namespace
