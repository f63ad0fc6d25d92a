// The adapter sheet for adapters the identification table does not know: one whose PCI
// configuration reads as zeros, one with a Device ID of 0 but a Sub-System ID.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "adaptersheet/adaptersheet_res.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/win/adaptersheet_support.h"
#include "tests/win/server_support.h"
#include "tests/win/shared_bus.h"

namespace {

constexpr const char* kBus = R"(completion immediate
adapter 0
  identifier   "KESTREL-NEW"
  manager-id   "VRAX SIMULATOR"
  scsi-id      6
  unique       01 00 00 00 00 00 01 00 00 00 00 00 00 00 00 00
adapter 1
  identifier   "KESTREL-ODD"
  manager-id   "VRAX SIMULATOR"
  scsi-id      7
  unique       07 00 FD 00 FF FF FF FF 00 00 00 00 00 00 00 00
  pci 00       34 12 00 00 07 00 00 00 05 00 00 01 00 00 00 00
  pci 10       01 E8 00 00 00 00 BF FE 00 00 00 00 00 00 00 00
  pci 20       00 00 00 00 00 00 00 00 00 00 00 00 34 12 01 00
  pci 30       00 00 00 00 00 00 00 00 00 00 00 00 0E 01 00 00
)";

constexpr const char* kMessageCaption = "Velmora SCSI Explorer";

class AdaptersheetOddAdapters : public testing::Test {
 protected:
  void SetUp() override {
    busFile_ = orvtest::serveBus(kBus, "adaptersheet_{pid}.bus");
    ASSERT_FALSE(busFile_.empty());
    ASSERT_EQ(servertest::registerCorvath(), S_OK);
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    ASSERT_TRUE(corvath_.create());
    // Each unknown adapter is reported once while the list is built.
    orvtest::ModalDriver driver;
    for (int i = 0; i < 2; ++i)
      driver.expect(kMessageCaption, [](HWND box) { orvtest::pressButton(box, IDOK); });
    adapters_ = CorvathObjDriver::records<inv::HostAdapterInfo>(corvath_.GetHostAdaptersList());
    ASSERT_NE(adapters_, nullptr);
    EXPECT_TRUE(driver.allDone());
  }
  void TearDown() override {
    corvath_.release();
    CoUninitialize();
    DeleteFileA(busFile_.c_str());
  }

  CorvathObjDriver corvath_;
  const inv::HostAdapterInfo* adapters_ = nullptr;
  std::string busFile_;
};

TEST_F(AdaptersheetOddAdapters, NoConfigurationSpace) {
  const inv::HostAdapterInfo* a = hatest::adapter(adapters_, 0);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->model.modelName[0], '\0');
  hatest::withSheet(corvath_, *a, 0, [&](HWND sheet) {
    const auto fields = hatest::generalFields(hatest::currentPage(sheet));
    EXPECT_EQ(fields.at(IDC_HA_HEADING), hatest::heading(*a));
    EXPECT_EQ(fields.at(IDC_HA_SCSI_ID), "SCSI ID 6");
    EXPECT_EQ(fields.at(IDC_HA_IO_PORT), "I/O port base address 0h");
    EXPECT_EQ(fields.at(IDC_HA_INTERRUPT), "Interrupt Request 00h");
    EXPECT_EQ(fields.at(IDC_HA_ALIGNMENT), "Data buffer is word aligned");
    EXPECT_EQ(fields.at(IDC_HA_RESIDUAL), "Residual byte count not supported");
    // 64 KB: more than 0xFFFF bytes, less than a megabyte.
    EXPECT_EQ(fields.at(IDC_HA_MAX_TRANSFER), "1 MB maximum transfer");
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "adaptersheet_no_model").empty());

    // The PCI page stays empty, every control disabled, no message.
    SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
    HWND pci = hatest::currentPage(sheet);
    HWND list = GetDlgItem(pci, IDC_HA_PCI_LIST);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(hatest::pciRows(pci).empty());
    EXPECT_EQ(hatest::columnHeader(list, 0), "Field");
    for (HWND child = GetWindow(pci, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      EXPECT_FALSE(IsWindowEnabled(child)) << GetDlgCtrlID(child);
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "adaptersheet_no_model_pci").empty());
  });
}

TEST_F(AdaptersheetOddAdapters, DeviceIdZeroStillFillsTheTable) {
  const inv::HostAdapterInfo* a = hatest::adapter(adapters_, 1);
  ASSERT_NE(a, nullptr);
  hatest::withSheet(corvath_, *a, 1, [&](HWND sheet) {
    HWND pci = hatest::currentPage(sheet);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(pci, IDC_HA_PCI_LIST)));
    const std::vector<std::string> rows = hatest::pciRows(pci);
    ASSERT_EQ(rows.size(), 28u);
    EXPECT_EQ(rows[0], "Vendor ID=1234h");
    EXPECT_EQ(rows[1], "Device ID=0000h");
    EXPECT_EQ(rows[12], "Base Address 0=0000E801h");
    EXPECT_EQ(rows[13], "Base Address 1=FEBF0000h");
    EXPECT_EQ(rows[20], "Sub-System ID=0001h");
    EXPECT_EQ(rows[24], "Interrupt Line=0Eh");

    SendMessageA(sheet, PSM_SETCURSEL, 0, 0);
    const auto fields = hatest::generalFields(hatest::currentPage(sheet));
    EXPECT_EQ(fields.at(IDC_HA_IO_PORT), "I/O port base address E800h");
    EXPECT_EQ(fields.at(IDC_HA_INTERRUPT), "Interrupt Request 0Eh");
    EXPECT_EQ(fields.at(IDC_HA_ALIGNMENT), "Data buffer is 8-byte aligned");
    EXPECT_EQ(fields.at(IDC_HA_RESIDUAL), "Residual byte count not supported");
    EXPECT_EQ(fields.at(IDC_HA_MAX_TRANSFER), "4096 MB maximum transfer");
  });
}

}  // namespace
