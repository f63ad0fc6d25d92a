// The BIOS configuration sheet when a block cannot be read: a bus of two newest-family
// cards, the first of which fails every miniport request.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "biosconfig/biosconfig_res.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/win/adaptersheet_support.h"
#include "tests/win/biosconfig_support.h"
#include "tests/win/devsheet_support.h"

namespace {

using namespace biostest;

constexpr const char* kBus = R"(
adapter 0
  identifier   "KESTREL-U320"
  unique       03 00 02 10 00 00 00 01 00 00 00 00 00 0C 00 81
  pci 00       5A 1D 40 5C 17 01 B0 02 01 00 00 01 10 40 80 00
  pci 10       01 D0 00 00 04 E0 BF FE 00 00 00 00 00 00 00 00
  pci 20       00 00 00 00 00 00 00 00 00 00 00 00 5A 1D 20 4C
  pci 30       00 00 00 00 DC 00 00 00 00 00 00 00 0B 01 28 19
  eeprom 00    88 16 88 16 88 16 88 16 19 06 0A 16 88 16 88 16
  port 0 kestrdrv
  port-fault status

# A single-channel card with an LVD/SE and an SE connector.
adapter 1
  identifier   "KESTREL-U320"
  unique       03 00 02 08 00 00 00 01 00 00 00 00 00 0D 00 81
  pci 00       5A 1D 41 5C 17 01 B0 02 01 00 00 01 10 40 80 00
  pci 10       01 D4 00 00 04 E0 BF FE 00 00 00 00 00 00 00 00
  pci 20       00 00 00 00 00 00 00 00 00 00 00 00 5A 1D 10 4C
  pci 30       00 00 00 00 DC 00 00 00 00 00 00 00 0A 01 28 19
  eeprom 00    88 16 88 16 88 16 88 16 19 06 0A 16 88 16 88 16
  eeprom 10    88 16 88 16 88 16 88 16 88 16 88 16 88 16 88 16
  eeprom 20    F4 19 06 1C 07 00 08 00 40 03 00 00 00 00 00 00
  eeprom 30    00 00 00 00 00 00 00 00 00 00 00 00 00 04 00 00
  port 1 kestrdrv
)";

class BiosconfigFault : public devtest::SheetTest {
 protected:
  BiosconfigFault() : SheetTest(kBus) {}
  const inv::HostAdapterInfo& record(int number) { return *hatest::adapter(adapters_, number); }
};

TEST_F(BiosconfigFault, UnreadableBlockIsReportedOnceAndEveryPageIsDisabled) {
  const inv::HostAdapterInfo& a = record(0);
  ASSERT_EQ(a.extendedFeatures, 1u);
  int messages = 0;
  biostest::withSheet(corvath_, a, [&](HWND sheet) {
    for (int i = 0; i < 4; ++i) {
      HWND page = showPage(sheet, i);
      EXPECT_TRUE(allDisabled(page)) << i;
      EXPECT_EQ(items(page, i == 0 ? IDC_SEE_HOST_ID : i == 1 ? IDC_SEE_BOOT_TARGET
                                     : i == 2 ? IDC_SEE_DEVICE : IDC_SEE_POST).size(), 0u);
    }
    showPage(sheet, 0);
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "biosconfig_unread_bus_interface").empty());
  }, PSBTN_CANCEL, [&](orvtest::ModalDriver& driver) {
    driver.expect("Velmora SCSI Explorer", [&](HWND box) {
      ++messages;
      const std::string name(a.displayName, strnlen(a.displayName, sizeof a.displayName));
      EXPECT_EQ(orvtest::messageBoxText(box), "Error reading the serial EEPROM of \n" + name + ".");
      orvtest::pressButton(box, IDOK);
    });
  });
  EXPECT_EQ(messages, 1);
}

TEST_F(BiosconfigFault, AnotherAdaptersFailureIsIgnoredAndBothConnectorsAreShown) {
  const inv::HostAdapterInfo& a = record(1);
  ASSERT_EQ(a.model.connectorLayout, 1u);
  biostest::withSheet(corvath_, a, [&](HWND sheet) {
    HWND page = showPage(sheet, 0);
    EXPECT_FALSE(allDisabled(page));
    EXPECT_EQ(items(page, IDC_SEE_HOST_ID).size(), 8u);
    // adapterControl 1C06: LVD/SE bits 0x0006 "Low ON/High ON", SE bits 0x1C00 "Automatic".
    EXPECT_EQ(selectedText(page, IDC_SEE_LVD), "Low ON/High ON");
    EXPECT_EQ(items(page, IDC_SEE_SE), (std::vector<std::string>{"Automatic", "Enabled", "Disabled"}));
    EXPECT_EQ(selection(page, IDC_SEE_SE), 0);
    EXPECT_TRUE(enabled(page, IDC_SEE_SE));
    choose(page, IDC_SEE_SE, 2);
    EXPECT_EQ(a.eepromImage[35] & 0x1C, 0x10);
    EXPECT_EQ(a.eepromImage[34], 0x06);
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "biosconfig_f4_two_connectors").empty());
  }, PSBTN_CANCEL);
}

}  // namespace
