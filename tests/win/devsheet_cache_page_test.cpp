// The R/W Cache page linked in directly, on a simulated bus of disks that each show one
// case: the page is driven as a person would (tab, check boxes, Apply, the questions),
// and every MODE SENSE and MODE SELECT that reached the device is compared, block and
// parameter list, with the simulator's request log.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "devsheet/cache_page.h"
#include "devsheet/cache_page_res.h"
#include "devsheet/devsheet.h"
#include "devsheet/devsheet_res.h"
#include "inventory/library_port.h"
#include "pages/help.h"
#include "scsi/manager.h"
#include "scsi/report.h"
#include "simulator/controls.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/support/simulator_control.h"
#include "tests/win/shared_bus.h"

namespace {

using Bytes = std::vector<int>;

// Every disk has 1000000 blocks of 512 bytes: block descriptor 00 0F 42 40 00 00 02 00.
const std::string kBus =
    orvtest::wideBus("pending") +
    // Read cache off, ARRE clear and clear by default; write cache off, on by default.
    orvtest::disk(0, "ARVELL", "HD-500") + R"(    page 01 current    01 0A 00 0B 00 00 00 00 05 00 FF FF
    page 01 changeable 01 0A FF FF 00 00 00 00 FF 00 FF FF
    page 08 current    08 12 01 00 FF FF 00 00 FF FF FF FF 80 10 00 00 00 00 00 00
    page 08 changeable 08 12 05 00 FF FF FF FF FF FF FF FF A0 FF 00 00 00 00 00 00
    page 08 default    08 12 04 00 FF FF 00 00 FF FF FF FF 80 10 00 00 00 00 00 00
)" +
    // Read cache off with ARRE already set.
    orvtest::disk(1, "TESSELL", "TS-500") + R"(    completion immediate
    page 01 current    01 0A 40 0B 00 00 00 00 05 00 FF FF
    page 01 changeable 01 0A FF FF 00 00 00 00 FF 00 FF FF
    page 08 current    08 12 01 00 FF FF 00 00 FF FF FF FF 80 10 00 00 00 00 00 00
    page 08 changeable 08 12 05 00 FF FF FF FF FF FF FF FF A0 FF 00 00 00 00 00 00
)" +
    // Write caching off by factory default, for the two questions.
    orvtest::disk(2, "MAXTOR", "MX-500") + R"(    page 01 current    01 0A 40 0B 00 00 00 00 05 00 FF FF
    page 01 changeable 01 0A FF FF 00 00 00 00 FF 00 FF FF
    page 08 current    08 12 00 00 FF FF 00 00 FF FF FF FF 80 10 00 00 00 00 00 00
    page 08 changeable 08 12 05 00 FF FF FF FF FF FF FF FF A0 FF 00 00 00 00 00 00
)" + orvtest::disk(3, "QUORIX", "QX-500") + R"(    page 01 current    01 0A 40 0B 00 00 00 00 05 00 FF FF
    page 01 changeable 01 0A FF FF 00 00 00 00 FF 00 FF FF
    page 08 current    08 12 00 00 FF FF 00 00 FF FF FF FF 80 10 00 00 00 00 00 00
    page 08 changeable 08 12 05 00 FF FF FF FF FF FF FF FF A0 FF 00 00 00 00 00 00
)" +
    // Refuses its Caching page while bits 3-7 of byte 2 are set.
    orvtest::disk(4, "HALDEN", "HL-500") + R"(    page 01 current    01 0A 40 0B 00 00 00 00 05 00 FF FF
    page 01 changeable 01 0A FF FF 00 00 00 00 FF 00 FF FF
    page 08 current    08 12 15 00 FF FF 00 00 FF FF FF FF 80 10 00 00 00 00 00 00
    page 08 changeable 08 12 1D 00 FF FF FF FF FF FF FF FF A0 FF 00 00 00 00 00 00
    select-refuse 08 2 F8
)" +
    // Takes a new write cache setting and keeps the old one.
    orvtest::disk(5, "QUORIX", "QX-510") + R"(    page 01 current    01 0A C0 0B 00 00 00 00 05 00 FF FF
    page 01 changeable 01 0A FF FF 00 00 00 00 FF 00 FF FF
    page 08 current    08 12 04 00 FF FF 00 00 FF FF FF FF 80 10 00 00 00 00 00 00
    page 08 changeable 08 12 05 00 FF FF FF FF FF FF FF FF A0 FF 00 00 00 00 00 00
    select-ignore 08 2 04
)" +
    // Read cache switchable, write cache not.
    orvtest::disk(6, "MIRLOW", "MR-500") + R"(    page 08 current    08 12 04 00 FF FF 00 00 FF FF FF FF 80 10 00 00 00 00 00 00
    page 08 changeable 08 12 01 00 FF FF FF FF FF FF FF FF A0 FF 00 00 00 00 00 00
)" +
    // No Caching page.
    orvtest::disk(8, "ARVELL", "HD-80") + R"(    page 01 current    01 0A C0 0B 00 00 00 00 05 00 FF FF
)" +
    // Busy at its first MODE SENSE; the changeable Caching page times out.
    orvtest::disk(9, "ARVELL", "HD-90") + R"(    fault 1A busy times 1
    page 08 current    08 12 04 00 FF FF 00 00 FF FF FF FF 80 10 00 00 00 00 00 00
)" + orvtest::disk(10, "ARVELL", "HD-100") + R"(    fault 1A timeout page 08 times 1
    page 08 current    08 12 04 00 FF FF 00 00 FF FF FF FF 80 10 00 00 00 00 00 00
)" +
    // The recovery page's write is refused as busy once.
    orvtest::disk(11, "ARVELL", "HD-110") + R"(    fault 15 busy page 01 times 1
    page 01 current    01 0A 00 0B 00 00 00 00 05 00 FF FF
    page 01 changeable 01 0A FF FF 00 00 00 00 FF 00 FF FF
    page 08 current    08 12 01 00 FF FF 00 00 FF FF FF FF 80 10 00 00 00 00 00 00
    page 08 changeable 08 12 05 00 FF FF FF FF FF FF FF FF A0 FF 00 00 00 00 00 00
)";

// One request as the simulator logged it.
struct Request {
  Bytes block;  // the 80 bytes received
  Bytes data;   // what a write sent
  Bytes cdb() const { return Bytes(block.begin() + 48, block.begin() + 54); }
};

Bytes hexBytes(const std::string& text) {
  std::istringstream in(text);
  std::string byte;
  Bytes out;
  while (in >> byte) out.push_back(static_cast<int>(std::strtol(byte.c_str(), nullptr, 16)));
  return out;
}

std::vector<Request> readLog(const std::string& path) {
  std::vector<Request> requests;
  std::map<std::string, size_t> bySequence;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const size_t space = line.find(' ');
    if (line.empty() || line[0] != '#' || space == std::string::npos) continue;
    const std::string sequence = line.substr(0, space);
    const std::string rest = line.substr(space + 1);
    if (rest.rfind("recv ", 0) == 0) {
      Request r{hexBytes(rest.substr(5)), {}};
      // Only the mode pages: the General page reads the capacity as the sheet is made.
      if (r.block.size() != 80 || (r.block[48] != 0x1A && r.block[48] != 0x15)) continue;
      bySequence[sequence] = requests.size();
      requests.push_back(r);
    } else if (rest.rfind("data ", 0) == 0 && bySequence.count(sequence)) {
      requests[bySequence[sequence]].data = hexBytes(rest.substr(5));
    }
  }
  return requests;
}

const Bytes kDescriptor = {0x00, 0x0F, 0x42, 0x40, 0x00, 0x00, 0x02, 0x00};

Bytes senseCdb(int page, int control) { return {0x1A, 0, page | (control << 6), 0, 0x54, 0}; }

// The MODE SELECT list of a page as the device holds it, with byte 2 as given: header
// with mode data length 0, the block descriptor, the page with PS clear, zeros to 84.
Bytes selectList(Bytes page) {
  Bytes list = {0, 0, 0, 8};
  list.insert(list.end(), kDescriptor.begin(), kDescriptor.end());
  list.insert(list.end(), page.begin(), page.end());
  list.resize(84, 0);
  return list;
}

const Bytes kCaching = {0x08, 0x12, 0x01, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF,
                        0xFF, 0xFF, 0x80, 0x10, 0, 0, 0, 0, 0, 0};
const Bytes kRecovery = {0x01, 0x0A, 0x00, 0x0B, 0, 0, 0, 0, 0x05, 0, 0xFF, 0xFF};

Bytes withBits(Bytes page, int bits) {
  page[2] = bits;
  return page;
}

enum Kind { Sense08, Sense01, Select };
struct Expected {
  Kind kind;
  Bytes list;  // Select only
};

class DevsheetCachePage : public testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableA("VRAX_SIM_BUS", nullptr);
    SetEnvironmentVariableA("VRAX_SIM_STATE", "none");
    ASSERT_TRUE(scsi::scsiManager().load());
    auto loadText = orvtest::simulatorControl<simctl::LoadBusTextFn>(simctl::kLoadBusText);
    ASSERT_NE(loadText, nullptr);
    ASSERT_EQ(loadText(kBus.c_str(), "cache.bus"), 1);
    list_ = inv::fromAddress<inv::HostAdapterInfo>(inventory_.buildAdapterList());
    ASSERT_NE(list_, nullptr);
    log_ = orvtest::tempPath("cache_requests.log");
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

  // Opens the device's sheet, goes to the R/W Cache page as a click on its tab would and
  // runs action on the page; then Cancel.
  // onTab runs just before the tab is chosen (the page then reads the device).
  void onCachePage(int target, const std::function<void(HWND sheet, HWND page)>& action,
                   const std::function<void()>& onTab = {}) {
    dev::CDevPropertySheet sheet(scsi::scsiManager().handle(), disk(target), nullptr, "Cache",
                                 nullptr, 0);
    ASSERT_GE(sheet.pageCount(), 3u);
    cachePage_ = static_cast<dev::CDevCachePage*>(sheet.page(sheet.pageCount() - 1));
    driver_.expect("Cache", [&](HWND window) {
      if (onTab) onTab();
      SendMessageA(window, PSM_SETCURSEL, sheet.pageCount() - 1, 0);
      HWND page = reinterpret_cast<HWND>(SendMessageA(window, PSM_GETCURRENTPAGEHWND, 0, 0));
      ASSERT_NE(page, nullptr);
      EXPECT_EQ(orvtest::windowTitle(page), "R/W Cache");
      action(window, page);
      PostMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    }, false);
    EXPECT_EQ(sheet.doModal(), IDCANCEL);
  }

  // A message box's step: checks its caption and text, answers with button.
  void expectMessage(const std::string& caption, const std::string& text, int button = IDOK) {
    driver_.expect(caption, [text, button](HWND box) {
      EXPECT_EQ(orvtest::messageBoxText(box), text);
      orvtest::pressButton(box, button);
    });
  }

  static void click(HWND page, int id) { SendDlgItemMessageA(page, id, BM_CLICK, 0, 0); }
  static bool ticked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
  static bool applyEnabled(HWND sheet) { return IsWindowEnabled(GetDlgItem(sheet, 0x3021)) != FALSE; }
  static void apply(HWND sheet) { SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0); }

  // The values the page shows: supported, current, default for read, then for write.
  static std::vector<std::string> values(HWND page) {
    std::vector<std::string> out;
    for (int id : {IDC_DEV_READ_SUPPORTED, IDC_DEV_READ_CURRENT, IDC_DEV_READ_DEFAULT,
                   IDC_DEV_WRITE_SUPPORTED, IDC_DEV_WRITE_CURRENT, IDC_DEV_WRITE_DEFAULT})
      out.push_back(orvtest::itemText(page, id));
    return out;
  }

  // Forgets the requests logged so far.
  void restartLog() {
    setLog_(nullptr);
    DeleteFileA(log_.c_str());
    setLog_(log_.c_str());
  }

  // Compares the mode page requests logged since the last check with the expected ones.
  void expectRequests(int target, const std::vector<Expected>& expected) {
    setLog_(nullptr);
    const std::vector<Request> requests = readLog(log_);
    restartLog();
    ASSERT_EQ(requests.size(), expected.size()) << "requests sent";
    int control = 0;
    for (size_t i = 0; i < requests.size(); ++i) {
      SCOPED_TRACE(i);
      const Request& r = requests[i];
      ASSERT_EQ(r.block.size(), 80u);
      EXPECT_EQ(r.block[0], 2);
      EXPECT_EQ(r.block[2], 0);  // adapter
      EXPECT_EQ(r.block[8], target);
      EXPECT_EQ(r.block[9], 0);  // LUN
      EXPECT_EQ(Bytes(r.block.begin() + 12, r.block.begin() + 16), (Bytes{84, 0, 0, 0}));
      EXPECT_EQ(r.block[offsetof(scsi::ExecCommandBlock, senseLength)], 14);
      EXPECT_EQ(r.block[offsetof(scsi::ExecCommandBlock, cdbLength)], 6);
      const Expected& e = expected[i];
      if (e.kind == Select) {
        EXPECT_EQ(r.block[3], 0x50);
        const int length = 4 + 8 + e.list[13] + 2;
        EXPECT_EQ(r.cdb(), (Bytes{0x15, 0x11, 0, 0, length, 0}));
        EXPECT_EQ(r.data, e.list);
        control = 0;
      } else {
        EXPECT_EQ(r.block[3], 0x48);
        EXPECT_EQ(r.cdb(), senseCdb(e.kind == Sense08 ? 8 : 1, control));
        control = (control + 1) % 3;
      }
    }
  }

  static std::vector<Expected> reads(Kind page, int times = 1) {
    return std::vector<Expected>(3 * times, Expected{page, {}});
  }
  static std::vector<Expected> join(std::initializer_list<std::vector<Expected>> parts) {
    std::vector<Expected> out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
  }

  inv::AdapterInventory inventory_;
  const inv::HostAdapterInfo* list_ = nullptr;
  std::string log_;
  simctl::SetLogFn setLog_ = nullptr;
  orvtest::ModalDriver driver_;
  dev::CDevCachePage* cachePage_ = nullptr;
};

TEST_F(DevsheetCachePage, EnablingAndDisablingTheReadCache) {
  onCachePage(0, [&](HWND sheet, HWND page) {
    EXPECT_EQ(values(page), (std::vector<std::string>{"Yes", "Disabled", "Enabled", "Yes",
                                                       "Disabled", "Enabled"}));
    EXPECT_FALSE(ticked(page, IDC_DEV_READ_CACHE));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_DEV_READ_CACHE)));
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "devsheet_cache_read_off").empty());

    click(page, IDC_DEV_READ_CACHE);
    EXPECT_TRUE(applyEnabled(sheet));
    apply(sheet);
    EXPECT_FALSE(applyEnabled(sheet));
    EXPECT_TRUE(ticked(page, IDC_DEV_READ_CACHE));
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_READ_CURRENT), "Enabled");
    // Caching page with RCD clear, checked; then the recovery page with ARRE.
    expectRequests(0, join({reads(Sense08), reads(Sense08),
                            {{Select, selectList(withBits(kCaching, 0x00))}}, reads(Sense08),
                            reads(Sense01), {{Select, selectList(withBits(kRecovery, 0x40))}},
                            reads(Sense08)}));
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "devsheet_cache_read_on").empty());

    // Off again: RCD set, ARRE back to its factory default (clear).
    click(page, IDC_DEV_READ_CACHE);
    apply(sheet);
    EXPECT_FALSE(ticked(page, IDC_DEV_READ_CACHE));
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_READ_CURRENT), "Disabled");
    expectRequests(0, join({reads(Sense08), {{Select, selectList(withBits(kCaching, 0x01))}},
                            reads(Sense08), reads(Sense01),
                            {{Select, selectList(withBits(kRecovery, 0x00))}}, reads(Sense08)}));
  });
}

TEST_F(DevsheetCachePage, NoRecoveryWriteWhenArreIsAlreadySet) {
  onCachePage(1, [&](HWND sheet, HWND page) {
    click(page, IDC_DEV_READ_CACHE);
    apply(sheet);
    EXPECT_TRUE(ticked(page, IDC_DEV_READ_CACHE));
    expectRequests(1, join({reads(Sense08), reads(Sense08),
                            {{Select, selectList(withBits(kCaching, 0x00))}}, reads(Sense08),
                            reads(Sense01), reads(Sense08)}));
  });
  // A new sheet shows what the device now has.
  onCachePage(1, [&](HWND, HWND page) {
    EXPECT_TRUE(ticked(page, IDC_DEV_READ_CACHE));
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_READ_CURRENT), "Enabled");
  });
}

TEST_F(DevsheetCachePage, TickAndUntickLeavesApplyDisabled) {
  onCachePage(0, [&](HWND sheet, HWND page) {
    click(page, IDC_DEV_READ_CACHE);
    click(page, IDC_DEV_WRITE_CACHE);
    EXPECT_TRUE(applyEnabled(sheet));
    click(page, IDC_DEV_READ_CACHE);
    EXPECT_TRUE(applyEnabled(sheet)) << "the write cache box still differs";
    click(page, IDC_DEV_WRITE_CACHE);
    EXPECT_FALSE(applyEnabled(sheet));
    EXPECT_FALSE(cachePage_->readModified());
    EXPECT_FALSE(cachePage_->writeModified());
  });
}

TEST_F(DevsheetCachePage, MaxtorWriteCacheQuestionAnsweredYesThenNo) {
  const std::string question =
      "We have seen some MAXTOR drives (specifically the MXT-540/1240 series) cause system "
      "hangs, under heavy disk I/O, when write caching is enabled.  Are you sure you would "
      "like to enable SCSI write caching?";
  onCachePage(2, [&](HWND sheet, HWND page) {
    restartLog();
    driver_.expect("Velmora SCSI Explorer", [&](HWND box) {
      EXPECT_EQ(orvtest::messageBoxText(box), question);
      EXPECT_TRUE(GetWindowLongA(GetDlgItem(box, IDNO), GWL_STYLE) & BS_DEFPUSHBUTTON);
      EXPECT_FALSE(orvtest::saveScreenshot(box, "devsheet_cache_maxtor_question").empty());
      orvtest::pressButton(box, IDNO);
    });
    click(page, IDC_DEV_WRITE_CACHE);
    apply(sheet);
    // Declined: nothing written, the box back as the device has it.
    EXPECT_FALSE(ticked(page, IDC_DEV_WRITE_CACHE));
    expectRequests(2, join({reads(Sense08), reads(Sense08)}));

    restartLog();
    expectMessage("Velmora SCSI Explorer", question, IDYES);
    click(page, IDC_DEV_WRITE_CACHE);
    apply(sheet);
    EXPECT_TRUE(ticked(page, IDC_DEV_WRITE_CACHE));
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_WRITE_CURRENT), "Enabled");
    expectRequests(2, join({reads(Sense08),
                            {{Select, selectList(withBits(kCaching, 0x04))}},
                            reads(Sense08), reads(Sense01),
                            {{Select, selectList(withBits(kRecovery, 0xC0))}}, reads(Sense08)}));
  });
}

TEST_F(DevsheetCachePage, OtherVendorsGetTheFactoryDefaultQuestion) {
  onCachePage(3, [&](HWND sheet, HWND page) {
    expectMessage("Velmora SCSI Explorer",
                  "This QUORIX drive ships factory default with SCSI write caching disabled.\n"
                  "Are you sure you would like to enable SCSI write caching?",
                  IDYES);
    click(page, IDC_DEV_WRITE_CACHE);
    apply(sheet);
    EXPECT_TRUE(ticked(page, IDC_DEV_WRITE_CACHE));
  });
  // Factory default on: no question at all (device 0 ships with write caching on).
  onCachePage(0, [&](HWND sheet, HWND page) {
    restartLog();
    click(page, IDC_DEV_WRITE_CACHE);
    apply(sheet);
    EXPECT_TRUE(ticked(page, IDC_DEV_WRITE_CACHE));
    expectRequests(0, join({reads(Sense08),
                            {{Select, selectList(withBits(kCaching, 0x05))}}, reads(Sense08),
                            reads(Sense01), {{Select, selectList(withBits(kRecovery, 0x80))}},
                            reads(Sense08)}));
  });
}

TEST_F(DevsheetCachePage, RetriesWithoutBits3To7) {
  onCachePage(4, [&](HWND sheet, HWND page) {
    restartLog();
    click(page, IDC_DEV_READ_CACHE);
    apply(sheet);
    EXPECT_TRUE(ticked(page, IDC_DEV_READ_CACHE));
    expectRequests(4, join({reads(Sense08), {{Select, selectList(withBits(kCaching, 0x14))}},
                            {{Select, selectList(withBits(kCaching, 0x04))}}, reads(Sense08),
                            reads(Sense01), reads(Sense08)}));
  });
}

TEST_F(DevsheetCachePage, RefusedSwitchSaysSoAndShowsTheTruth) {
  onCachePage(5, [&](HWND sheet, HWND page) {
    ASSERT_TRUE(ticked(page, IDC_DEV_WRITE_CACHE));
    expectMessage(scsi::applicationTitle(),
                  "The Disk Cache Utility is unable to change the  SCSI write cache settings on "
                  "this device.");
    click(page, IDC_DEV_WRITE_CACHE);
    apply(sheet);
    EXPECT_TRUE(ticked(page, IDC_DEV_WRITE_CACHE));
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_WRITE_CURRENT), "Enabled");
    EXPECT_FALSE(applyEnabled(sheet));
  });
  // A failed recovery-page write: its own message first, then the read cache one.
  onCachePage(11, [&](HWND sheet, HWND page) {
    expectMessage("SCSI Error", "The device is busy at this time.");
    expectMessage(scsi::applicationTitle(),
                  "The Disk Cache Utility is unable to change the  SCSI read cache settings  "
                  "on this device.");
    click(page, IDC_DEV_READ_CACHE);
    apply(sheet);
    EXPECT_TRUE(ticked(page, IDC_DEV_READ_CACHE)) << "the cache itself was switched";
  });
}

TEST_F(DevsheetCachePage, UnavailableStates) {
  // Write cache fixed: nothing offered, nothing read again on Apply.
  onCachePage(6, [&](HWND sheet, HWND page) {
    EXPECT_EQ(values(page), (std::vector<std::string>{"No", "None", "None", "No", "None", "None"}));
    for (int id : {IDC_DEV_READ_CACHE, IDC_DEV_WRITE_CACHE, IDC_DEV_READ_CURRENT, IDC_DEV_TITLE})
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, id))) << id;
    EXPECT_FALSE(ticked(page, IDC_DEV_READ_CACHE));
    EXPECT_FALSE(orvtest::saveScreenshot(sheet, "devsheet_cache_unavailable").empty());
    restartLog();
    apply(sheet);
    expectRequests(6, {});
  });
  // No Caching page: "not supported", then the same state.
  onCachePage(8, [&](HWND, HWND page) {
    EXPECT_EQ(values(page), (std::vector<std::string>{"No", "None", "None", "No", "None", "None"}));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_DEV_WRITE_CACHE)));
  }, [&] { expectMessage(scsi::applicationTitle(), "The command is not supported by the device."); });
  // Busy: its message; a time-out: the failure dialog.
  onCachePage(9, [&](HWND, HWND page) {
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_READ_SUPPORTED), "No");
  }, [&] { expectMessage("SCSI Error", "The device is busy at this time."); });
  onCachePage(10, [&](HWND, HWND page) {
    EXPECT_EQ(orvtest::itemText(page, IDC_DEV_WRITE_SUPPORTED), "No");
  }, [&] {
    driver_.expect("SCSI Command Failure", [](HWND dialog) {
      EXPECT_EQ(orvtest::itemText(dialog, 1610), "1A 00 08 00 54 00 ");
      EXPECT_EQ(orvtest::itemText(dialog, 1611), "11 - Selection timeout");
      orvtest::pressButton(dialog, IDOK);
    });
  });
}

// Context help on a check box and a label goes through template 1456's pairs; the
// separator is drawn under the heading.
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

TEST_F(DevsheetCachePage, ContextHelpAndSeparator) {
  g_calls.clear();
  srv::setHtmlHelpForTesting(recordHelp);
  onCachePage(0, [&](HWND, HWND page) {
    HELPINFO info = {};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = IDC_DEV_WRITE_CACHE;
    info.hItemHandle = GetDlgItem(page, IDC_DEV_WRITE_CACHE);
    EXPECT_TRUE(SendMessageA(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&info)));
    RECT label;
    GetWindowRect(GetDlgItem(page, IDC_DEV_READ_DEFAULT_LABEL), &label);
    SendMessageA(page, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page),
                 MAKELPARAM(label.left + 2, label.top + 2));
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[0].caller, GetDlgItem(page, IDC_DEV_WRITE_CACHE));
    EXPECT_EQ(g_calls[0].command, srv::kHhTpHelpWmHelp);
    EXPECT_EQ(g_calls[1].caller, GetDlgItem(page, IDC_DEV_READ_DEFAULT_LABEL));
    EXPECT_EQ(g_calls[1].command, srv::kHhTpHelpContextMenu);
    for (const HelpCall& call : g_calls)
      EXPECT_EQ(std::memcmp(reinterpret_cast<const void*>(call.data), srv::kHelpDeviceCache,
                            sizeof srv::kHelpDeviceCache), 0);

    UpdateWindow(page);
    RECT line;
    GetWindowRect(GetDlgItem(page, IDC_DEV_SEPARATOR), &line);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&line), 2);
    HDC dc = GetDC(page);
    // Its red key shows the page's own ground; its grey is the scheme's 3-D shadow.
    RECT client;
    GetClientRect(page, &client);
    EXPECT_EQ(GetPixel(dc, line.left + 5, line.top), GetPixel(dc, client.left + 2, client.bottom - 3));
    EXPECT_EQ(GetPixel(dc, line.left + 5, line.top + 1), GetSysColor(COLOR_BTNSHADOW));
    ReleaseDC(page, dc);
  });
  srv::setHtmlHelpForTesting(nullptr);
}

}  // namespace
