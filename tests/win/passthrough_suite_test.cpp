// The whole suite over the pass-through manager's test build and its scripted machine,
// as a person would use it: CorvathObj through COM, the device lists, every page of
// every device's sheet, the adapter sheet, Seldarn, and the SCSI Explorer program. What
// reached the drivers is read back from the machine's request log.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "adaptersheet/adaptersheet_res.h"
#include "biosconfig/biosconfig_res.h"
#include "client/corvath_obj_driver.h"
#include "contract/records.h"
#include "devsheet/cache_page_res.h"
#include "devsheet/devsheet_res.h"
#include "explorer/explorer_res.h"
#include "framework/listview.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/win/adaptersheet_support.h"
#include "tests/win/biosconfig_support.h"
#include "tests/win/devsheet_support.h"
#include "tests/win/explorer_process.h"
#include "tests/win/explorer_testkit.h"
#include "tests/win/passthrough_suite_support.h"

namespace {

// The device list window's list and its Details view (server/devicelist_res.h, whose
// command names are the explorer window's too).
constexpr int kDeviceList = 1003;
constexpr int kDeviceListDetails = 32791;

// Adapter numbers of the fake machine, in the manager's order.
enum : uint8_t { kAhci0, kAhci1, kSas, kMaker, kUsb, kAdapters };

// Records the message boxes shown while it lives (caption and text); whoever drives the
// windows still answers them.
class BoxRecorder {
 public:
  struct Box {
    std::string caption, text;
  };
  BoxRecorder() {
    self_ = this;
    hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, hook, nullptr, GetCurrentThreadId());
  }
  ~BoxRecorder() {
    UnhookWindowsHookEx(hook_);
    self_ = nullptr;
  }
  BoxRecorder(const BoxRecorder&) = delete;
  BoxRecorder& operator=(const BoxRecorder&) = delete;
  std::vector<Box> seen;

 private:
  static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam) {
    const CWPRETSTRUCT* m = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && self_ && m->message == WM_INITDIALOG && GetDlgItem(m->hwnd, 0xFFFF) &&
        !(GetWindowLongA(m->hwnd, GWL_STYLE) & WS_CHILD))
      self_->seen.push_back({orvtest::windowTitle(m->hwnd), orvtest::messageBoxText(m->hwnd)});
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static BoxRecorder* self_;
  HHOOK hook_ = nullptr;
};
BoxRecorder* BoxRecorder::self_ = nullptr;

class PassthroughSuite : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Read when the library is first used in this process.
    DeleteFileA(log().path().c_str());
    SetEnvironmentVariableA("VRAX_PT_FAKE", nullptr);
    SetEnvironmentVariableA("VRAX_PT_FAKE_LOG", log().path().c_str());
  }
  void SetUp() override {
    ASSERT_EQ(pttest::registerCorvath(), S_OK);
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    ASSERT_TRUE(corvath_.create());
    orvtest::ModalDriver driver;
    BoxRecorder boxes;
    adapters_ = CorvathObjDriver::records<inv::HostAdapterInfo>(corvath_.GetHostAdaptersList());
    ASSERT_NE(adapters_, nullptr);
    // The computer's ordinary controllers are listed without a word.
    EXPECT_TRUE(boxes.seen.empty()) << boxes.seen[0].caption << ": " << boxes.seen[0].text;
  }
  void TearDown() override {
    corvath_.release();
    CoUninitialize();
  }

  static const pttest::RequestLog& log() {
    static const pttest::RequestLog log("passthrough_suite_test.log");
    return log;
  }
  const inv::HostAdapterInfo& adapter(int number) { return adapters_[number]; }
  const inv::DeviceInfo* device(int number, int target) {
    const inv::HostAdapterInfo& a = adapter(number);
    for (int d = 0; d < a.deviceCount; ++d)
      if (a.devices[d].target == target) return &a.devices[d];
    return nullptr;
  }
  // Opens a device's sheet, runs action on it, closes it with Cancel.
  void withSheet(const inv::DeviceInfo& device, const std::function<void(HWND)>& action) {
    orvtest::ModalDriver driver;
    driver.expect(devtest::sheetTitle(device), [&](HWND sheet) {
      action(sheet);
      PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    }, false);
    corvath_.ShowDeviceProperty(CorvathObjDriver::address(&device));
    EXPECT_TRUE(driver.allDone()) << devtest::sheetTitle(device);
    EXPECT_TRUE(driver.unexpected().empty());
  }

  CorvathObjDriver corvath_;
  const inv::HostAdapterInfo* adapters_ = nullptr;
};

std::string text(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

TEST_F(PassthroughSuite, TheMachinesAdaptersAndDevices) {
  ASSERT_EQ(adapters_[0].adapterCount, kAdapters);
  EXPECT_EQ(corvath_.GetHostAdaptersCount(), kAdapters);
  const struct {
    const char* identifier;
    const char* name;
    int devices;
  } expected[kAdapters] = {
      {"storahci", "SCSI Host Adapter", 0},
      {"storahci", "SCSI Host Adapter", 1},
      {"sashba", "SCSI Host Adapter", 4},
      {"kestrdrv", "Velmora Halden HX42 Dual A", 1},
      {"uaspstor", "SCSI Host Adapter", 1},
  };
  for (int i = 0; i < kAdapters; ++i) {
    SCOPED_TRACE(i);
    const inv::HostAdapterInfo& a = adapter(i);
    EXPECT_EQ(a.adapterNumber, i);
    EXPECT_EQ(text(a.managerId, sizeof a.managerId), "VRAX PASS-THRU");
    EXPECT_EQ(text(a.adapterIdentifier, sizeof a.adapterIdentifier), expected[i].identifier);
    EXPECT_EQ(text(a.displayName, sizeof a.displayName), expected[i].name);
    EXPECT_EQ(a.deviceCount, expected[i].devices);
  }
  // The maker's card is identified, with the functions of its family.
  EXPECT_EQ(adapter(kMaker).extendedFeatures, 1u);
  EXPECT_EQ(adapter(kMaker).pciDevice, 0x0C);
  EXPECT_EQ(text(adapter(0).labels[kMaker].text, 80), "Velmora Halden HX42 Dual A at 00:0C:00");
  EXPECT_EQ(adapter(kSas).pciBus, 3);
  EXPECT_EQ(adapter(kUsb).pciBus | adapter(kUsb).pciDevice, 0);
}

TEST_F(PassthroughSuite, EachAdaptersDeviceListShowsItsDevices) {
  const std::vector<std::vector<std::string>> expected = {
      {},
      {"ORBITEK  DVD-RW DH8A3S   "},
      {"HALDEN  HX18T4KN-SAS    ", "ATA  QX1000NM0011    ", "TESSELL  LT8 TAPE DRIVE  ", "QUORIX  BP12 SAF-TE     "},
      {"NORVEX  NX73-U320       "},
      {"LUMERA  FLASH DRIVE U3  "},
  };
  for (int i = 0; i < kAdapters; ++i) {
    SCOPED_TRACE(i);
    const inv::HostAdapterInfo& a = adapter(i);
    orvtest::ModalDriver driver;
    driver.expect(text(a.displayName, sizeof a.displayName) + " Devices", [&](HWND window) {
      HWND list = GetDlgItem(window, kDeviceList);
      std::vector<std::string> names;
      const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
      for (int item = 0; item < count; ++item) names.push_back(fw::itemText(list, item, 0));
      EXPECT_EQ(names, expected[static_cast<size_t>(i)]);
      EXPECT_EQ(orvtest::itemText(window, 59393), text(a.displayName, sizeof a.displayName) + " has " +
                                                      std::to_string(count) + " attached device(s).");
      SendMessageA(window, WM_COMMAND, kDeviceListDetails, 0);
      EXPECT_FALSE(orvtest::saveScreenshot(window, "passthrough_devices_" + std::to_string(i)).empty());
      orvtest::pressButton(window, IDCANCEL);
    });
    corvath_.ShowDeviceList(CorvathObjDriver::address(&a));
    EXPECT_TRUE(driver.allDone());
    EXPECT_TRUE(driver.unexpected().empty());
  }
}

TEST_F(PassthroughSuite, EveryPageOfEveryDevice) {
  const struct {
    int adapter, target;
    const char* title;  // the heading of every page
    const char* type;
    const char* capacity;
    std::vector<std::string> tabs;
    int defectBoxes = 0;  // pages that cannot read a defect list say so, once each
  } devices[] = {
      {kAhci1, 0, "ORBITEK  DVD-RW DH8A3S   ", "Type CD-ROM", "4482 MBytes", {"General", "SCSI Features"}},
      {kSas, 0, "HALDEN  HX18T4KN-SAS    ", "Type Disk", "17166332 MBytes",
       {"General", "SCSI Features", "Defect List", "Mode Parameters", "R/W Cache"}},
      {kSas, 1, "ATA  QX1000NM0011    ", "Type Disk", "953869 MBytes",
       {"General", "SCSI Features", "Defect List", "Mode Parameters", "R/W Cache"}, 1},
      {kSas, 2, "TESSELL  LT8 TAPE DRIVE  ", "Type Tape", "N/A", {"General", "SCSI Features"}},
      {kSas, 3, "QUORIX  BP12 SAF-TE     ", "Type Processor", "N/A", {"General", "SCSI Features"}},
      {kMaker, 4, "NORVEX  NX73-U320       ", "Type Disk", "70007 MBytes",
       {"General", "SCSI Features", "Defect List", "Mode Parameters", "R/W Cache"}},
      {kUsb, 0, "LUMERA  FLASH DRIVE U3  ", "Type Disk", "29567 MBytes",
       {"General", "SCSI Features", "Defect List", "Mode Parameters", "R/W Cache"}, 1},
  };
  for (const auto& d : devices) {
    SCOPED_TRACE(d.title);
    const inv::DeviceInfo* dev = device(d.adapter, d.target);
    ASSERT_NE(dev, nullptr);
    BoxRecorder boxes;
    orvtest::ModalDriver driver;
    driver.expect(devtest::sheetTitle(*dev), [&](HWND sheet) {
      const auto fields = devtest::generalFields(devtest::currentPage(sheet));
      EXPECT_EQ(fields.at(IDC_DEV_TYPE), d.type);
      EXPECT_EQ(fields.at(IDC_DEV_CAPACITY), d.capacity);
      EXPECT_EQ(fields.at(IDC_DEV_SCSI_ID), "SCSI ID " + std::to_string(d.target));
      std::vector<std::string> tabs;
      for (int i = 0; i < orvtest::tabCount(sheet); ++i) tabs.push_back(orvtest::tabText(sheet, i));
      EXPECT_EQ(tabs, d.tabs);
      for (int i = 0; i < orvtest::tabCount(sheet); ++i) {
        if (tabs[static_cast<size_t>(i)] == "Defect List")
          for (int b = 0; b < d.defectBoxes; ++b)
            driver.expect(pttest::kCaption, [](HWND box) { orvtest::pressButton(box, IDOK); });
        SendMessageA(sheet, PSM_SETCURSEL, i, 0);
        HWND page = devtest::currentPage(sheet);
        EXPECT_EQ(orvtest::itemText(page, IDC_DEV_TITLE), d.title) << tabs[static_cast<size_t>(i)];
        orvtest::saveScreenshot(sheet, "passthrough_device_" + std::to_string(d.adapter) + "_" +
                                           std::to_string(d.target) + "_" + std::to_string(i));
      }
      PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    }, false);
    corvath_.ShowDeviceProperty(CorvathObjDriver::address(dev));
    EXPECT_TRUE(driver.allDone());
    EXPECT_TRUE(driver.unexpected().empty());
    // The one message a device may bring: READ DEFECT DATA refused (no defect lists).
    ASSERT_EQ(boxes.seen.size(), static_cast<size_t>(d.defectBoxes));
    for (const auto& box : boxes.seen) EXPECT_EQ(box.text, "The defect list for this device cannot be read. ");
  }
}

TEST_F(PassthroughSuite, TheMakersDiskShowsTheRateItsMiniportNegotiated) {
  const inv::DeviceInfo* disk = device(kMaker, 4);
  ASSERT_NE(disk, nullptr);
  const size_t before = log().size();
  withSheet(*disk, [&](HWND sheet) {
    SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
    HWND page = devtest::currentPage(sheet);
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_RATE), "320.0 MB/Sec");  // 160.0, doubled
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, IDC_DEV_RATE)));
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "passthrough_makers_disk_features").empty());
  });
  // The suite's own miniport channel, on the port of the maker's driver.
  const std::vector<std::string> lines = log().linesSince(before);
  EXPECT_TRUE(pttest::hasLine(lines, "open \\\\.\\Scsi2: rw ok"));
  EXPECT_TRUE(pttest::hasLine(lines, "control \\\\.\\Scsi2: 4D008", " ok"));
}

TEST_F(PassthroughSuite, WriteCacheSwitchSendsModeSelectThroughPassThrough) {
  const inv::DeviceInfo* disk = device(kSas, 0);
  ASSERT_NE(disk, nullptr);
  auto switchWriteCache = [&](bool expectTicked, const std::string& picture) {
    withSheet(*disk, [&](HWND sheet) {
      SendMessageA(sheet, PSM_SETCURSEL, orvtest::tabCount(sheet) - 1, 0);
      HWND page = devtest::currentPage(sheet);
      ASSERT_EQ(orvtest::windowTitle(page), "R/W Cache");
      EXPECT_EQ(IsDlgButtonChecked(page, IDC_DEV_WRITE_CACHE) == BST_CHECKED, expectTicked);
      SendDlgItemMessageA(page, IDC_DEV_WRITE_CACHE, BM_CLICK, 0, 0);
      SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
      EXPECT_EQ(orvtest::itemText(page, IDC_DEV_WRITE_CURRENT), expectTicked ? "Disabled" : "Enabled");
      EXPECT_FALSE(orvtest::saveScreenshot(sheet, picture).empty());
    });
  };
  size_t before = log().size();
  switchWriteCache(true, "passthrough_cache_write_off");
  // MODE SELECT(6) with PF and SP of the Caching page, WCE now clear (byte 2 14h to 10h),
  // straight from the page's buffer to the SAS disk's class device.
  std::vector<std::string> lines = log().linesSince(before);
  // (The page hands over its whole 84-byte buffer; the list is its first 32 bytes.)
  EXPECT_TRUE(pttest::hasLine(lines,
                              "control \\\\.\\PhysicalDrive0 4D014 direct cdb 15 11 00 00 20 00 data 00 00 00 08 "
                              "00 FF FF FF 00 00 10 00 08 12 10 00 FF FF 00 00 FF FF FF FF 80 20 00 00 00 00 00 00",
                              " ok"));
  before = log().size();
  switchWriteCache(false, "passthrough_cache_write_on");
  lines = log().linesSince(before);
  EXPECT_TRUE(pttest::hasLine(lines,
                              "control \\\\.\\PhysicalDrive0 4D014 direct cdb 15 11 00 00 20 00 data 00 00 00 08 "
                              "00 FF FF FF 00 00 10 00 08 12 14 00 FF FF 00 00 FF FF FF FF 80 20 00 00 00 00 00 00",
                              " ok"));
}

TEST_F(PassthroughSuite, AdapterSheetShowsThePciHeaderOfTheIdsAndResources) {
  hatest::withSheet(corvath_, adapter(kSas), 0, [&](HWND sheet) {
    const auto fields = hatest::generalFields(hatest::currentPage(sheet));
    EXPECT_EQ(fields.at(IDC_HA_HEADING), "sashba SCSI Host Adapter");
    EXPECT_EQ(fields.at(IDC_HA_IO_PORT), "I/O port base address E000h");
    EXPECT_EQ(fields.at(IDC_HA_INTERRUPT), "Interrupt Request 10h");
    EXPECT_EQ(fields.at(IDC_HA_MAX_TRANSFER), "1 MB maximum transfer");
    EXPECT_EQ(fields.at(IDC_HA_ALIGNMENT), "Data buffer is double-word aligned");
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "passthrough_adapter_general").empty());
  });
  hatest::withSheet(corvath_, adapter(kSas), 1, [&](HWND sheet) {
    // What Windows tells of the function: its IDs, class, resources and interrupt; the
    // rest of the header is zero.
    const std::vector<std::string> expected = {
        "Vendor ID=1F2Ch",          "Device ID=0097h",          "Command=0000h",
        "Status=0000h",             "Revision ID=02h",          "ProgIf=00h",
        "Sub-Class=07h",            "Base Class=01h",           "Cache Line Size=00h",
        "Latency Timer=00h",        "Header Type=00h",          "BIST=00h",
        "Base Address 0=0000E001h", "Base Address 1=DF240000h", "Base Address 2=1000000Ch",
        "Base Address 3=00000038h", "Base Address 4=00000000h", "Base Address 5=00000000h",
        "CIS=00000000h",            "Sub-Vendor ID=1F2Ch",      "Sub-System ID=3090h",
        "ROM Base Address=00000000h", "Reserved=00000000h",     "Reserved=00000000h",
        "Interrupt Line=10h",       "Interrupt Pin=00h",        "Minimum Grant=00h",
        "Maximum Latency=00h",
    };
    EXPECT_EQ(hatest::pciRows(hatest::currentPage(sheet)), expected);
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "passthrough_adapter_pci").empty());
  });
}

TEST_F(PassthroughSuite, SeldarnReadsTheMakersCardThroughItsMiniport) {
  const size_t before = log().size();
  biostest::withSheet(corvath_, adapter(kMaker), [&](HWND sheet) {
    ASSERT_EQ(biostest::tabCount(sheet), 4);
    HWND page = biostest::showPage(sheet, 0);
    EXPECT_EQ(orvtest::itemText(page, IDC_SEE_HEADING), "kestrdrv Velmora Halden HX42 Dual A");
    // Channel A's block of the card's serial EEPROM.
    EXPECT_EQ(biostest::selection(page, IDC_SEE_HOST_ID), 7);
    EXPECT_TRUE(biostest::checked(page, IDC_SEE_PARITY));
    EXPECT_FALSE(biostest::allDisabled(page));
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "passthrough_seldarn").empty());
  }, PSBTN_CANCEL);
  const std::vector<std::string> lines = log().linesSince(before);
  EXPECT_TRUE(pttest::hasLine(lines, "open \\\\.\\Scsi2: rw ok"));
  EXPECT_TRUE(pttest::hasLine(lines, "control \\\\.\\Scsi2: 4D008", " ok"));
}

// The SCSI Explorer program itself, started from this folder.
TEST_F(PassthroughSuite, TheExplorerWindowListsTheMachinesAdapters) {
  explorertest::deleteSettings();
  explorertest::Child program;
  ASSERT_TRUE(program.start("pellmark.exe"));
  HWND w = explorertest::waitForWindow(program.pid(), pttest::kCaption, "PellmarkDialog", 60000);
  ASSERT_NE(w, nullptr);
  HWND list = GetDlgItem(w, IDC_ADAPTER_LIST);
  SendMessageA(w, WM_COMMAND, ID_VIEW_DETAILS, 0);
  EXPECT_EQ(explorertest::remoteColumn(list, 0),
            (std::vector<std::string>{"SCSI Host Adapter", "SCSI Host Adapter", "SCSI Host Adapter",
                                      "Velmora Halden HX42 Dual A", "SCSI Host Adapter"}));
  EXPECT_EQ(explorertest::remoteColumn(list, 1),
            (std::vector<std::string>{"storahci", "storahci", "sashba", "kestrdrv", "uaspstor"}));
  EXPECT_EQ(explorertest::remoteStatusText(GetDlgItem(w, IDW_STATUS_BAR)),
            "The computer has 5 logical SCSI host adapter(s). ");
  explorertest::settledScreenshot(w, "passthrough_explorer");
  PostMessageA(w, WM_COMMAND, ID_STANDALONE_CLOSE, 0);
  EXPECT_EQ(program.wait(60000), 0u);
}

}  // namespace
