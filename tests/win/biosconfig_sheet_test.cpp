// The BIOS configuration sheet as a front end opens it: CorvathObj through COM on the
// simulator's default bus, ShowSeldarn with a record's address. The newest card's blocks
// come through the miniport channel; the older adapters' records are given the blocks
// the simulator holds for them, as a record whose block had been read.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "biosconfig/biosconfig_res.h"
#include "biosconfig/eeprom_config.h"
#include "simulator/bus_parser.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/win/adaptersheet_support.h"
#include "tests/win/biosconfig_support.h"
#include "tests/win/devsheet_support.h"

namespace {

using namespace biostest;
using bios::EepromConfig;

class BiosconfigSheet : public devtest::SheetTest {
 protected:
  void SetUp() override {
    SheetTest::SetUp();
    sim::ParseResult parsed = sim::parseBus(sim::defaultBusText(), sim::kDefaultBusName);
    ASSERT_TRUE(parsed.ok);
    bus_ = std::move(parsed.bus);
  }

  inv::HostAdapterInfo& record(int number) {
    const inv::HostAdapterInfo* a = hatest::adapter(adapters_, number);
    EXPECT_NE(a, nullptr) << number;
    return const_cast<inv::HostAdapterInfo&>(*a);
  }
  EepromConfig& block(int number) { return bios::configBlock(record(number)); }

  // The simulator's EEPROM of the adapter (or of the card it shares) in its record.
  void giveBlocks(std::initializer_list<int> numbers) {
    for (int n : numbers) {
      const sim::Adapter& a = bus_.adapters[static_cast<size_t>(n)];
      const sim::Adapter& owner =
          a.eepromSharedWith >= 0 ? bus_.adapters[static_cast<size_t>(a.eepromSharedWith)] : a;
      std::memcpy(record(n).eepromImage, owner.eeprom.data(), 512);
      record(n).eepromImageSize = 512;
    }
  }

  void open(int number, const std::function<void(HWND)>& action, int button = PSBTN_CANCEL,
            const std::function<void(orvtest::ModalDriver&)>& after = {}) {
    biostest::withSheet(corvath_, record(number), action, button, {}, after);
  }

  sim::Bus bus_;
};

TEST_F(BiosconfigSheet, FourPagesOfTheNewestCard) {
  open(0, [&](HWND sheet) {
    EXPECT_TRUE(GetWindowLongA(sheet, GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
    ASSERT_EQ(tabCount(sheet), 4);
    const char* titles[] = {"Bus Interface", "Boot Device", "Device Config", "Advanced"};
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(tabText(sheet, i), titles[i]);
      HWND page = showPage(sheet, i);
      EXPECT_EQ(orvtest::itemText(page, IDC_SEE_HEADING), hatest::heading(record(0)));
      hatest::expectHeadingFont(page);
    }
    HWND page = showPage(sheet, 0);
    EXPECT_EQ(items(page, IDC_SEE_HOST_ID).size(), 16u);
    EXPECT_EQ(selection(page, IDC_SEE_HOST_ID), 7);
    EXPECT_TRUE(checked(page, IDC_SEE_PARITY));  // biosControl bit 6 on the newest family
    EXPECT_EQ(items(page, IDC_SEE_LVD),
              (std::vector<std::string>{"Automatic", "Low ON/High ON", "Low OFF/High OFF",
                                        "Low OFF/High ON"}));
    EXPECT_EQ(selection(page, IDC_SEE_LVD), 0);
    EXPECT_FALSE(enabled(page, IDC_SEE_SE));
    EXPECT_FALSE(enabled(page, IDC_SEE_SE_LABEL));
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "biosconfig_f4_bus_interface").empty());

    // Each change goes into the block at once, and only its own bits.
    const EepromConfig before = block(0);
    choose(page, IDC_SEE_HOST_ID, 5);
    EXPECT_EQ(block(0).hostIdByte, 0x05);
    choose(page, IDC_SEE_LVD, 1);
    EXPECT_EQ(block(0).adapterControl, (before.adapterControl & ~0x0087) | 0x0006);
    click(page, IDC_SEE_PARITY);
    EXPECT_EQ(block(0).biosControl, before.biosControl & ~0x0040);
    EXPECT_EQ(block(0).adapterControl, (before.adapterControl & ~0x0087) | 0x0006);
    EXPECT_EQ(std::memcmp(block(0).deviceWords, before.deviceWords, 32), 0);
  });
  // Cancelled: the block as read.
  EXPECT_EQ(block(0).hostIdByte, 0x07);
  EXPECT_EQ(block(0).adapterControl, 0x0403);
}

TEST_F(BiosconfigSheet, OkKeepsTheEditsCancelAfterApplyDropsThemAndTheNextOpeningReadsAgain) {
  open(0, [&](HWND sheet) { choose(showPage(sheet, 0), IDC_SEE_HOST_ID, 5); }, PSBTN_OK);
  EXPECT_EQ(block(0).hostIdByte, 0x05);
  open(0, [&](HWND sheet) {
    HWND page = showPage(sheet, 0);
    EXPECT_EQ(selection(page, IDC_SEE_HOST_ID), 7);  // read from the adapter again
    choose(page, IDC_SEE_HOST_ID, 3);
    SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
    EXPECT_EQ(block(0).hostIdByte, 0x03);  // Apply leaves the edit in the block
    choose(page, IDC_SEE_HOST_ID, 4);
    SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
    EXPECT_EQ(block(0).hostIdByte, 0x04);
  });
  // Cancel goes back to the snapshot taken when the sheet opened, whatever was applied.
  EXPECT_EQ(block(0).hostIdByte, 0x07);
}

TEST_F(BiosconfigSheet, EscapeAndTheCloseBoxCancelToo) {
  open(0, [&](HWND sheet) {
    choose(showPage(sheet, 0), IDC_SEE_HOST_ID, 2);
    PostMessageA(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  EXPECT_EQ(block(0).hostIdByte, 0x07);
  open(0, [&](HWND sheet) {
    HWND page = showPage(sheet, 0);
    choose(page, IDC_SEE_HOST_ID, 2);
    HWND combo = GetDlgItem(page, IDC_SEE_HOST_ID);
    PostMessageA(combo, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(combo, WM_KEYUP, VK_ESCAPE, 0);
  });
  EXPECT_EQ(block(0).hostIdByte, 0x07);
}

TEST_F(BiosconfigSheet, ChannelBEditsItsOwnBlock) {
  open(1, [&](HWND sheet) {
    const std::vector<uint8_t> channelA(record(1).eepromImage, record(1).eepromImage + 64);
    HWND page = showPage(sheet, 2);
    // Channel B's target 6 is asynchronous.
    choose(page, IDC_SEE_DEVICE, 6);
    EXPECT_EQ(selectedText(page, IDC_SEE_RATE), "Asyn");
    choose(page, IDC_SEE_RATE, 0);
    EXPECT_EQ(record(1).eepromImage[64 + 12] & 0x3F, 10);  // narrow "40.0 (*)"
    EXPECT_EQ(std::memcmp(record(1).eepromImage, channelA.data(), 64), 0);
  });
}

TEST_F(BiosconfigSheet, BootDeviceOfTheNewestLayout) {
  open(0, [&](HWND sheet) {
    HWND page = showPage(sheet, 1);
    for (int id : {IDC_SEE_BOOT_CARD_LABEL, IDC_SEE_BOOT_CARD, IDC_SEE_BOOT_GROUP,
                   IDC_SEE_BOOT_TARGET_LABEL, IDC_SEE_BOOT_TARGET, IDC_SEE_BOOT_LUN_LABEL,
                   IDC_SEE_BOOT_LUN})
      EXPECT_FALSE(enabled(page, id)) << id;
    EXPECT_TRUE(enabled(page, IDC_SEE_MASTER));
    // Only the two channels of the card qualify (the others hold empty blocks).
    const std::vector<std::string> cards = items(page, IDC_SEE_MASTER);
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(selection(page, IDC_SEE_MASTER), 0);
    choose(page, IDC_SEE_MASTER, 1);
    EXPECT_EQ(record(1).eepromImage[192] & 1, 1);
    EXPECT_EQ(record(0).eepromImage[128] & 1, 0);
    // Leaving and coming back keeps the disabling.
    showPage(sheet, 0);
    page = showPage(sheet, 1);
    EXPECT_FALSE(enabled(page, IDC_SEE_BOOT_TARGET));
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "biosconfig_f4_boot_device").empty());
  });
  EXPECT_EQ(record(1).eepromImage[192] & 1, 0);
}

TEST_F(BiosconfigSheet, BootLunGoesToEveryBios300AdapterAndCancelRestoresThemAll) {
  giveBlocks({0, 1, 3, 4, 5});
  std::vector<std::vector<uint8_t>> before;
  for (int n : {0, 1, 3, 4, 5})
    before.emplace_back(record(n).eepromImage, record(n).eepromImage + 512);
  open(3, [&](HWND sheet) {
    HWND page = showPage(sheet, 1);
    // BIOS 3.20: both card lists, with the card and the older layout's adapter that
    // qualify; the adapter above 3.50 and the one below 3.00 do not.
    const std::vector<std::string> cards = items(page, IDC_SEE_MASTER);
    EXPECT_EQ(cards.size(), 3u);
    EXPECT_EQ(items(page, IDC_SEE_BOOT_CARD), cards);
    EXPECT_TRUE(enabled(page, IDC_SEE_BOOT_TARGET));
    EXPECT_EQ(items(page, IDC_SEE_BOOT_TARGET).size(), 8u);
    choose(page, IDC_SEE_BOOT_LUN, 3);
    for (int n : {0, 1, 3, 5}) {
      EXPECT_EQ(block(n).bootByte & 0x0F, 3) << n;
      EXPECT_EQ(block(n).checksumWord, bios::blockChecksum(block(n))) << n;
    }
    EXPECT_EQ(block(4).bootByte, 0x00);  // BIOS 2.57 keeps its own
    choose(page, IDC_SEE_BOOT_TARGET, 6);
    EXPECT_EQ(block(5).bootByte, 0x63);
    choose(page, IDC_SEE_BOOT_CARD, 2);
    EXPECT_EQ(record(3).eepromImage[128] & 2, 2);
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "biosconfig_f3_boot_device").empty());
  });
  int i = 0;
  for (int n : {0, 1, 3, 4, 5})
    EXPECT_EQ(std::memcmp(record(n).eepromImage, before[i++].data(), 512), 0) << n;
}

TEST_F(BiosconfigSheet, OlderAdapterPages) {
  giveBlocks({4});
  const EepromConfig before = block(4);
  open(4, [&](HWND sheet) {
    HWND page = showPage(sheet, 0);
    EXPECT_EQ(items(page, IDC_SEE_LVD), (std::vector<std::string>{"Automatic", "Enabled", "Disabled"}));
    EXPECT_EQ(selectedText(page, IDC_SEE_LVD), "Enabled");
    EXPECT_TRUE(checked(page, IDC_SEE_PARITY));
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "biosconfig_f2_bus_interface").empty());
    choose(page, IDC_SEE_LVD, 2);
    EXPECT_EQ(block(4).adapterControl & 0x200D, 0x0008);
    click(page, IDC_SEE_PARITY);
    EXPECT_EQ(block(4).adapterControl, (before.adapterControl & 0xDFE2) | 0x0008);
    EXPECT_EQ(block(4).biosControl, before.biosControl);

    page = showPage(sheet, 1);  // BIOS 2.57: no card choices
    for (int id : {IDC_SEE_SINGLE_IMAGE, IDC_SEE_MASTER_LABEL, IDC_SEE_BOOT_CARD_LABEL,
                   IDC_SEE_MASTER, IDC_SEE_BOOT_CARD})
      EXPECT_FALSE(enabled(page, id)) << id;
    EXPECT_TRUE(enabled(page, IDC_SEE_BOOT_TARGET));
    EXPECT_EQ(items(page, IDC_SEE_BOOT_TARGET).size(), 16u);
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "biosconfig_f2_boot_device").empty());

    page = showPage(sheet, 2);
    EXPECT_EQ(items(page, IDC_SEE_DEVICE).size(), 16u);
    EXPECT_EQ(items(page, IDC_SEE_DEVICE)[1].rfind("SCSI ID 1: ", 0), 0u);
    EXPECT_EQ(items(page, IDC_SEE_DEVICE)[2], "SCSI ID 2: None ");
    EXPECT_EQ(selectedText(page, IDC_SEE_RATE), "80.0 (*)");
    EXPECT_TRUE(checked(page, IDC_SEE_WRITE_BACK_ENABLED));
    EXPECT_FALSE(enabled(page, IDC_SEE_PACKETIZED));
    EXPECT_FALSE(enabled(page, IDC_SEE_QUICK_ARBITRATE));
    // Int 13h is disabled (with bus scan): its options too.
    for (int id : {IDC_SEE_INT13_GROUP, IDC_SEE_MULTIPLE_LUN, IDC_SEE_BIOS_SCAN,
                   IDC_SEE_WRITE_BACK_LABEL, IDC_SEE_WRITE_BACK_ENABLED})
      EXPECT_FALSE(enabled(page, id)) << id;
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "biosconfig_f2_device_config").empty());
    // Wide, code 21: "40.0"; "80.0 (*)" writes code 19.
    choose(page, IDC_SEE_DEVICE, 1);
    EXPECT_EQ(selection(page, IDC_SEE_RATE), 6);
    choose(page, IDC_SEE_RATE, 8);
    EXPECT_EQ(block(4).deviceWords[1], 0x03BB);
    // Narrow, code 22: "16.0" of a list without "32.0".
    choose(page, IDC_SEE_DEVICE, 6);
    EXPECT_EQ(selectedText(page, IDC_SEE_RATE), "16.0");
    EXPECT_EQ(items(page, IDC_SEE_RATE).size(), 10u);
    click(page, IDC_SEE_WIDE);
    EXPECT_EQ(block(4).deviceWords[6], 0x029E | 0x0020);
    EXPECT_EQ(items(page, IDC_SEE_RATE).size(), 10u);  // the wide list: 9 rates and "Asyn"
    EXPECT_EQ(selectedText(page, IDC_SEE_RATE), "32.0");
    click(page, IDC_SEE_START_UNIT);
    EXPECT_EQ(block(4).deviceWords[6], 0x029E | 0x0020 | 0x0100);
    EXPECT_EQ(block(4).deviceWords[5], before.deviceWords[5]);

    page = showPage(sheet, 3);
    EXPECT_EQ(items(page, IDC_SEE_POST), (std::vector<std::string>{"Verbose", "Silent"}));
    EXPECT_EQ(selectedText(page, IDC_SEE_INT13), "Disabled with bus scan");
    EXPECT_EQ(selectedText(page, IDC_SEE_REMOVABLE), "All Disks");
    for (int id : {IDC_SEE_DOMAIN_VALIDATION, IDC_SEE_BOOT_CDROM, IDC_SEE_REMOVABLE_LABEL,
                   IDC_SEE_REMOVABLE, IDC_SEE_ADVANCED_INT13_GROUP, IDC_SEE_INT13_EXTENSIONS})
      EXPECT_FALSE(enabled(page, id)) << id;
    choose(page, IDC_SEE_INT13, 0);
    EXPECT_EQ(block(4).biosControl & 0x000C, 0x0004);
    EXPECT_TRUE(enabled(page, IDC_SEE_INT13_EXTENSIONS));
    EXPECT_TRUE(enabled(page, IDC_SEE_REMOVABLE));
    click(page, IDC_SEE_BUS_RESET);
    EXPECT_EQ(block(4).adapterControl & 0x0040, 0x0040);
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "biosconfig_f2_advanced").empty());
    // The Int 13h options of the device page follow when it is shown again.
    page = showPage(sheet, 2);
    EXPECT_TRUE(enabled(page, IDC_SEE_WRITE_BACK_ENABLED));
    EXPECT_TRUE(enabled(page, IDC_SEE_BIOS_SCAN));
  });
}

TEST_F(BiosconfigSheet, AllDeviceTableOfAnOlderAdapter) {
  giveBlocks({4});
  open(4, [&](HWND sheet) { click(showPage(sheet, 2), IDC_SEE_SHOW_ALL); }, PSBTN_CANCEL,
       [&](orvtest::ModalDriver& driver) {
         driver.expect("All Device Configuration", [&](HWND dialog) {
           EXPECT_EQ(orvtest::itemText(dialog, IDC_SEE_ALL_HEADING), hatest::heading(record(4)));
           HWND settings = GetDlgItem(dialog, IDC_SEE_ALL_SETTINGS);
           HWND int13 = GetDlgItem(dialog, IDC_SEE_ALL_INT13);
           const std::vector<std::string> headers = columnHeaders(settings);
           ASSERT_EQ(headers.size(), 16u);
           EXPECT_EQ(headers[0], "#0");
           EXPECT_EQ(headers[15], "#15");
           EXPECT_EQ(SendMessageA(settings, LVM_GETCOLUMNWIDTH, 3, 0), 32);
           EXPECT_EQ(cell(settings, 0, 0), "80.0");
           EXPECT_EQ(cell(settings, 0, 1), "40.0");
           EXPECT_EQ(cell(settings, 0, 6), "16.0");
           EXPECT_EQ(cell(settings, 0, 15), "Asyn");
           EXPECT_EQ(cell(settings, 1, 0), "Yes");
           EXPECT_EQ(cell(settings, 1, 6), "No");
           EXPECT_EQ(cell(settings, 4, 0), "");
           EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SEE_ALL_PACKETIZED_LABEL)));
           EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SEE_ALL_QUICK_LABEL)));
           EXPECT_EQ(cell(int13, 0, 0), "Yes");
           EXPECT_EQ(cell(int13, 0, 1), "No");
           EXPECT_EQ(cell(int13, 2, 0), "Yes");
           EXPECT_FALSE(orvtest::saveScreenshot(dialog, "biosconfig_f2_all_devices").empty());
           orvtest::pressButton(dialog, IDOK);
         });
       });
}

TEST_F(BiosconfigSheet, DeviceConfigAndAdvancedOfTheNewestFamily) {
  open(0, [&](HWND sheet) {
    HWND page = showPage(sheet, 2);
    EXPECT_EQ(items(page, IDC_SEE_DEVICE)[0].rfind("SCSI ID 0: ARVELL HD-73U320", 0), 0u);
    EXPECT_EQ(selection(page, IDC_SEE_RATE), 0);
    EXPECT_EQ(selectedText(page, IDC_SEE_RATE), "320 (*)");
    EXPECT_TRUE(checked(page, IDC_SEE_WIDE));
    EXPECT_TRUE(checked(page, IDC_SEE_DISCONNECT));
    EXPECT_TRUE(checked(page, IDC_SEE_PACKETIZED));
    EXPECT_FALSE(checked(page, IDC_SEE_QUICK_ARBITRATE));
    EXPECT_TRUE(enabled(page, IDC_SEE_PACKETIZED));
    for (int id : {IDC_SEE_WRITE_BACK_LABEL, IDC_SEE_WRITE_BACK_ENABLED,
                   IDC_SEE_WRITE_BACK_DISABLED, IDC_SEE_WRITE_BACK_NO_CHANGE})
      EXPECT_FALSE(enabled(page, id)) << id;
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "biosconfig_f4_device_config").empty());
    choose(page, IDC_SEE_RATE, 2);
    EXPECT_EQ(block(0).deviceWords[0], 0x168A);
    click(page, IDC_SEE_WIDE);
    EXPECT_EQ(block(0).deviceWords[0], 0x068A);
    EXPECT_EQ(selectedText(page, IDC_SEE_RATE), "40.0 (*)");
    click(page, IDC_SEE_QUICK_ARBITRATE);  // shown, never changed
    EXPECT_FALSE(checked(page, IDC_SEE_QUICK_ARBITRATE));
    EXPECT_EQ(block(0).deviceWords[0], 0x068A);
    click(page, IDC_SEE_PACKETIZED);
    EXPECT_EQ(block(0).deviceWords[0], 0x060A);

    page = showPage(sheet, 3);
    EXPECT_TRUE(checked(page, IDC_SEE_BUS_RESET));  // biosControl bit 11
    EXPECT_TRUE(checked(page, IDC_SEE_DOMAIN_VALIDATION));
    EXPECT_FALSE(enabled(page, IDC_SEE_INT13_EXTENSIONS));
    EXPECT_EQ(items(page, IDC_SEE_POST).size(), 3u);
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "biosconfig_f4_advanced").empty());
    const uint16_t bios = block(0).biosControl;
    const uint16_t adapter = block(0).adapterControl;
    click(page, IDC_SEE_DOMAIN_VALIDATION);
    EXPECT_EQ(block(0).biosControl, bios & ~0x0010);
    click(page, IDC_SEE_DOMAIN_VALIDATION);
    EXPECT_EQ(block(0).biosControl, bios);
    EXPECT_EQ(block(0).adapterControl, adapter);
    choose(page, IDC_SEE_INT13, 2);
    EXPECT_EQ(block(0).biosControl, (bios & ~0x000C) | 0x0008);
    for (int id : {IDC_SEE_DOMAIN_VALIDATION, IDC_SEE_BOOT_CDROM, IDC_SEE_REMOVABLE_LABEL,
                   IDC_SEE_REMOVABLE, IDC_SEE_ADVANCED_INT13_GROUP})
      EXPECT_FALSE(enabled(page, id)) << id;
    choose(page, IDC_SEE_POST, 2);
    EXPECT_EQ(block(0).biosControl & 0x0600, 0x0400);
  });
}

TEST_F(BiosconfigSheet, AllDeviceTableOfTheNewestFamily) {
  open(0, [&](HWND sheet) { click(showPage(sheet, 2), IDC_SEE_SHOW_ALL); }, PSBTN_CANCEL,
       [&](orvtest::ModalDriver& driver) {
         driver.expect("All Device Configuration", [&](HWND dialog) {
           HWND settings = GetDlgItem(dialog, IDC_SEE_ALL_SETTINGS);
           HWND int13 = GetDlgItem(dialog, IDC_SEE_ALL_INT13);
           EXPECT_EQ(columnHeaders(settings).size(), 16u);
           EXPECT_EQ(cell(settings, 0, 0), "320");
           EXPECT_EQ(cell(settings, 0, 4), "10.0");  // narrow factor 25
           EXPECT_EQ(cell(settings, 0, 5), "80.0");
           EXPECT_EQ(cell(settings, 4, 0), "Yes");
           EXPECT_EQ(cell(int13, 0, 0), "");
           EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SEE_ALL_WRITE_BACK_LABEL)));
           EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SEE_ALL_PACKETIZED_LABEL)));
           EXPECT_FALSE(orvtest::saveScreenshot(dialog, "biosconfig_f4_all_devices").empty());
           orvtest::pressButton(dialog, IDOK);
         });
       });
}

TEST_F(BiosconfigSheet, TwoConnectorsOnAMultiChannelModelAreNotSupported) {
  giveBlocks({3});
  inv::HostAdapterInfo& a = record(3);
  ASSERT_EQ(a.model.connectorLayout, 1u);
  a.model.channelCount = 2;
  orvtest::ModalDriver driver;
  driver.expect("Velmora SCSI Explorer", [](HWND box) {
    EXPECT_EQ(orvtest::messageBoxText(box), "This card is not supported !");
    orvtest::pressButton(box, IDOK);
  });
  corvath_.ShowSeldarn(CorvathObjDriver::address(&a));  // returns: the sheet closed
  EXPECT_TRUE(driver.allDone());
  // The sheet may close before the driver looks at it (then the driver closes it too).
  EXPECT_LE(driver.unexpected().size(), 1u);
  a.model.channelCount = 1;
}

TEST_F(BiosconfigSheet, HostileBlockBytesShowNoSelection) {
  giveBlocks({5});
  EepromConfig& b = block(5);
  b.hostIdByte = 0x0C;       // beyond the 8 IDs
  b.bootByte = 0xFF;         // target and LUN beyond their lists
  b.deviceWords[0] = 0x00CF; // a code family 1 does not have
  b.targetCountByte = 0xFF;
  b.biosControl |= 0x0600;   // POST mode 3
  open(5, [&](HWND sheet) {
    HWND page = showPage(sheet, 0);
    EXPECT_EQ(selection(page, IDC_SEE_HOST_ID), -1);
    page = showPage(sheet, 1);
    EXPECT_EQ(selection(page, IDC_SEE_BOOT_TARGET), -1);
    EXPECT_EQ(selection(page, IDC_SEE_BOOT_LUN), -1);
    page = showPage(sheet, 2);
    EXPECT_EQ(selection(page, IDC_SEE_RATE), -1);
    page = showPage(sheet, 3);
    EXPECT_EQ(selection(page, IDC_SEE_POST), -1);
  });
}

}  // namespace
