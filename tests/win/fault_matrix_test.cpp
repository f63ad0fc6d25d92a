// Every window against every fault the simulated manager can inject into what that
// window sends: one table of cells (window, command, fault), each run on the default
// bus with the fault added, through the automation object as a front end opens the
// window. A cell checks the message the user gets (message boxes and the "SCSI Command
// Failure" dialog, with their texts), what the window then shows, that it still answers
// a user's action and that it closes leaving no window behind.
//
// One ctest test per window (a gtest filter on the window's name), so that the cells
// that wait out the manager (10 s each) run side by side. A cell whose fault needs a
// manager without an entry point runs in the test of that manager variant
// (ORV_FAULT_MANAGER names its folder; the variant is loaded before Corvath, which then
// binds it by its bare name).
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "adaptersheet/adaptersheet_res.h"
#include "biosconfig/biosconfig_res.h"
#include "client/corvath_obj_driver.h"
#include "contract/records.h"
#include "devsheet/cache_page_res.h"
#include "devsheet/defect_page_res.h"
#include "devsheet/devsheet_res.h"
#include "devsheet/mode_page_res.h"
#include "explorer/explorer_dlg.h"
#include "explorer/explorer_model.h"
#include "simulator/bus_parser.h"
#include "simulator/controls.h"
#include "tests/support/modal_driver.h"
#include "tests/win/fault_matrix_cells.h"
#include "tests/win/server_support.h"

namespace {

using namespace faultmatrix;

// ---- the simulated manager ----------------------------------------------------------

HMODULE manager() {
  static HMODULE module = [] {
    char variant[MAX_PATH] = {};
    if (GetEnvironmentVariableA("ORV_FAULT_MANAGER", variant, sizeof variant))
      return LoadLibraryA((servertest::binFolder() + variant + "\\wnvrax32.dll").c_str());
    return LoadLibraryA("wnvrax32.dll");
  }();
  return module;
}

template <typename Fn>
Fn control(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(manager(), name)));
}

// Releases the requests held by a "late" fault as soon as one is held, from a thread of
// its own, while the window's thread waits for the answer: woken by the manager's event
// for each held request, for windows that send several in a row.
class LateReleaser {
 public:
  LateReleaser() : stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), thread_([this] {
    auto release = control<simctl::ReleaseLateFn>(simctl::kReleaseLate);
    auto heldEvent = control<simctl::HeldEventFn>(simctl::kHeldEvent);
    HANDLE held = heldEvent ? static_cast<HANDLE>(heldEvent()) : nullptr;
    if (!release || !held || !stop_) return;
    const HANDLE waits[2] = {stop_, held};
    while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) release();
  }) {}
  ~LateReleaser() {
    if (stop_) SetEvent(stop_);
    thread_.join();
    if (stop_) CloseHandle(stop_);
  }

 private:
  HANDLE stop_;
  std::thread thread_;
};

// ---- the window's side ----------------------------------------------------------------

struct Seen {
  std::vector<std::string> messages;  // what each message box or failure dialog said
  std::string shows;                  // the checked control, read when the window is up
  bool used = false;                  // the user's action had its effect
};

// The message box caption and text, or the failure dialog's fields.
std::string describe(HWND dialog) {
  std::string title = orvtest::windowTitle(dialog);
  if (title == "SCSI Command Failure") {
    std::string out = title + ":";
    for (int id = 1610; id <= 1615; ++id) out += " [" + orvtest::itemText(dialog, id) + "]";
    return out;
  }
  return title + ": " + orvtest::messageBoxText(dialog);
}

class FaultMatrix : public testing::TestWithParam<Cell> {
 protected:
  void SetUp() override {
    ASSERT_NE(manager(), nullptr);
    SetEnvironmentVariableA("VRAX_SIM_STATE", "none");
    ASSERT_EQ(servertest::registerCorvath(), S_OK);
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    const Cell& cell = GetParam();
    const std::string bus = busWithFault(std::string(sim::defaultBusText()), cell);
    auto load = control<simctl::LoadBusTextFn>(simctl::kLoadBusText);
    ASSERT_TRUE(load && load(bus.c_str(), "fault_matrix.bus")) << bus;
    if (auto publish = control<simctl::WriteDeviceMapFn>(simctl::kWriteDeviceMap)) publish();
  }
  void TearDown() override {
    corvath_.release();
    CoUninitialize();
    // Let the manager finish what the cell left with it before the next bus.
    if (auto release = control<simctl::ReleaseLateFn>(simctl::kReleaseLate)) release();
  }

  // The list as a front end gets it from a fresh object (an object builds it once).
  const inv::HostAdapterInfo* adapters() {
    corvath_.release();
    if (!corvath_.create()) return nullptr;
    return CorvathObjDriver::records<inv::HostAdapterInfo>(corvath_.GetHostAdaptersList());
  }

  CorvathObjDriver corvath_;
};

const inv::HostAdapterInfo* adapterNumbered(const inv::HostAdapterInfo* list, int number) {
  for (int a = 0; list && a < list[0].adapterCount; ++a)
    if (list[a].adapterNumber == number) return &list[a];
  return nullptr;
}

const inv::DeviceInfo* deviceAt(const inv::HostAdapterInfo* list, int number, int target) {
  const inv::HostAdapterInfo* a = adapterNumbered(list, number);
  for (int d = 0; a && d < a->deviceCount; ++d)
    if (a->devices[d].target == target) return &a->devices[d];
  return nullptr;
}

std::string field(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

std::string statusBarText(HWND window) {
  char text[256] = {};
  SendMessageA(GetDlgItem(window, 59393), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  return text;
}

HWND currentPage(HWND sheet) {
  return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

// How each window is opened, what is read from it, what a user then does in it.
struct WindowDriver {
  std::function<std::string()> title;    // of the window that must come up
  int control;                           // one of its controls (a message box may share its title)
  std::function<void()> open;            // returns when the window has closed
  std::function<std::string(HWND)> read;
  std::function<bool(HWND)> use;         // true when the action had its effect
  bool sheet;
};

constexpr int kSheetTabs = 0x3020;  // a property sheet's tab control

// The device sheet's pages: where each sits and the control whose text is checked.
struct DevicePage {
  Window window;
  int index;
  int control;
};
constexpr DevicePage kDevicePages[] = {
    {Window::DeviceGeneral, 0, IDC_DEV_CAPACITY},
    {Window::DeviceFeatures, 1, IDC_DEV_RATE},
    {Window::DeviceDefects, 2, IDC_DEV_DEFECT_TOTAL},
    {Window::DeviceMode, 3, IDC_DEV_MODE_CURRENT},
    {Window::DeviceCache, 4, IDC_DEV_READ_CURRENT},
};
const DevicePage& devicePage(Window w) {
  for (const DevicePage& p : kDevicePages)
    if (p.window == w) return p;
  return kDevicePages[0];
}

// A sheet proves usable by turning from page to page.
bool turnPages(HWND sheet) {
  SendMessageA(sheet, PSM_SETCURSEL, 0, 0);
  HWND first = currentPage(sheet);
  SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
  HWND second = currentPage(sheet);
  return first && second && second != first;
}

// A list window proves usable by switching to the Details view.
bool switchToDetails(HWND window, int listId, UINT command) {
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
  return (GetWindowLongA(GetDlgItem(window, listId), GWL_STYLE) & LVS_TYPEMASK) == LVS_REPORT;
}

WindowDriver driverFor(const Cell& cell, CorvathObjDriver& corvath,
                       const inv::HostAdapterInfo* list) {
  const inv::HostAdapterInfo* adapter = adapterNumbered(list, cell.adapter);
  const inv::DeviceInfo* device = deviceAt(list, cell.adapter, cell.target);
  auto deviceTitle = [device] {
    return device ? field(device->vendor, sizeof device->vendor) + " " +
                        field(device->product, sizeof device->product) + " Properties"
                  : std::string("<no device>");
  };
  auto adapterName = [adapter] {
    return adapter ? field(adapter->displayName, sizeof adapter->displayName) : std::string("<none>");
  };
  switch (cell.window) {
    case Window::Explorer:
      return {[] { return std::string("Velmora SCSI Explorer"); }, 1000,
              [] {
                explorer::ExplorerSettings settings;
                explorer::CScsiExplorerDlg window(explorer::kAppletFlavor, settings,
                                                  explorer::corvathServerFactory(), nullptr);
                window.doModal();
              },
              statusBarText,
              [](HWND w) { return switchToDetails(w, 1000, 32782); },
              false};
    case Window::DeviceList:
      return {[adapterName] { return adapterName() + " Devices"; }, 1003,
              [&corvath, adapter] { corvath.ShowDeviceList(CorvathObjDriver::address(adapter)); },
              [](HWND w) {
                return std::to_string(ListView_GetItemCount(GetDlgItem(w, 1003))) + " devices";
              },
              [](HWND w) { return switchToDetails(w, 1003, 32791); },
              false};
    case Window::About:
      return {[] { return std::string("About Velmora SCSI Explorer"); }, 1229,
              [&corvath] { corvath.ShowVelmoraAboutDialog(); },
              [](HWND w) { return orvtest::itemText(w, 1229); },
              [](HWND w) { return IsWindowEnabled(GetDlgItem(w, IDOK)) != FALSE; },
              false};
    case Window::DeviceGeneral:
    case Window::DeviceFeatures:
    case Window::DeviceDefects:
    case Window::DeviceMode:
    case Window::DeviceCache: {
      const DevicePage& shown = devicePage(cell.window);
      const Window which = cell.window;
      const int flips = cell.flips;
      return {deviceTitle, kSheetTabs,
              [&corvath, device] {
                if (device) corvath.ShowDeviceProperty(CorvathObjDriver::address(device));
              },
              [shown, which, flips](HWND sheet) {
                // Turning to the page is what makes it send its commands.
                SendMessageA(sheet, PSM_SETCURSEL, shown.index, 0);
                HWND page = currentPage(sheet);
                if (flips) {
                  // The user flips the switch and applies it; the page shows what the
                  // device has afterwards.
                  HWND button = GetDlgItem(page, flips);
                  const bool ticked = SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
                  SendMessageA(button, BM_SETCHECK, ticked ? BST_UNCHECKED : BST_CHECKED, 0);
                  SendMessageA(page, WM_COMMAND, MAKEWPARAM(flips, BN_CLICKED),
                               reinterpret_cast<LPARAM>(button));
                  SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
                }
                int listId = 0;
                if (which == Window::DeviceMode) {
                  // The Caching page's last parameter, as a click on it would choose it.
                  listId = IDC_DEV_MODE_PARAMETERS;
                  HWND list = GetDlgItem(page, listId);
                  SendMessageA(list, LB_SETCURSEL, 8, 0);
                  SendMessageA(page, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE),
                               reinterpret_cast<LPARAM>(list));
                } else if (which == Window::DeviceDefects) {
                  listId = IDC_DEV_DEFECT_LIST;
                } else if (which == Window::DeviceCache) {
                  listId = IDC_DEV_READ_CACHE;
                }
                // The write cache's state when it was the write cache that was switched.
                const int control = flips == IDC_DEV_WRITE_CACHE ? IDC_DEV_WRITE_CURRENT : shown.control;
                std::string text = orvtest::itemText(page, control);
                if (listId && !IsWindowEnabled(GetDlgItem(page, listId))) text += ", disabled";
                return text;
              },
              turnPages, true};
    }
    case Window::AdapterGeneral:
    case Window::AdapterPci:
      return {[adapterName] { return adapterName() + " Properties"; }, kSheetTabs,
              [&corvath, adapter, &cell] {
                if (adapter)
                  corvath.ShowHostAdapterProperty(CorvathObjDriver::address(adapter),
                                                  cell.window == Window::AdapterPci ? 1 : 0);
              },
              [&cell](HWND sheet) {
                HWND page = currentPage(sheet);
                if (cell.window == Window::AdapterGeneral) return orvtest::itemText(page, IDC_HA_HEADING);
                HWND pci = GetDlgItem(page, IDC_HA_PCI_LIST);
                return std::to_string(ListView_GetItemCount(pci)) + " rows" +
                       (IsWindowEnabled(pci) ? "" : ", disabled");
              },
              turnPages, true};
    case Window::Seldarn:
      return {[adapterName] { return adapterName() + " Seldarn(TM)"; }, kSheetTabs,
              [&corvath, adapter] {
                if (adapter) corvath.ShowSeldarn(CorvathObjDriver::address(adapter));
              },
              [](HWND sheet) {
                HWND page = currentPage(sheet);
                HWND choices = GetDlgItem(page, IDC_SEE_HOST_ID);
                char text[64] = "none";
                const int chosen = static_cast<int>(SendMessageA(choices, CB_GETCURSEL, 0, 0));
                if (chosen >= 0) SendMessageA(choices, CB_GETLBTEXT, chosen, reinterpret_cast<LPARAM>(text));
                return std::string(text) + (IsWindowEnabled(choices) ? "" : ", disabled");
              },
              turnPages, true};
  }
  return {};
}

// Visible top-level windows of this thread: none may be left when a cell ends.
BOOL CALLBACK listVisible(HWND w, LPARAM titles) {
  if (IsWindowVisible(w))
    reinterpret_cast<std::vector<std::string>*>(titles)->push_back(orvtest::windowTitle(w));
  return TRUE;
}

std::vector<std::string> openWindows() {
  std::vector<std::string> titles;
  EnumThreadWindows(GetCurrentThreadId(), listVisible, reinterpret_cast<LPARAM>(&titles));
  return titles;
}

TEST_P(FaultMatrix, RightMessageUsableWindowCleanClose) {
  const Cell& cell = GetParam();
  Seen seen;
  WindowDriver window;
  bool windowKnown = false;
  orvtest::ModalDriver driver;
  // Every message, while the list is built, before the window or inside it, is read and
  // answered; the window itself is read, used and closed.
  std::function<void(HWND)> onDialog = [&](HWND dialog) {
    if (windowKnown && orvtest::windowTitle(dialog) == window.title() &&
        GetDlgItem(dialog, window.control)) {
      driver.expect("", onDialog, true);  // messages the window shows while it is used
      seen.shows = window.read(dialog);
      seen.used = window.use(dialog);
      if (window.sheet) PostMessageA(dialog, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
      else orvtest::pressButton(dialog, IDCANCEL);
      return;
    }
    seen.messages.push_back(describe(dialog));
    // A question is answered yes: the cell goes on to the request the answer allows.
    orvtest::pressButton(dialog, GetDlgItem(dialog, IDYES) ? IDYES : IDOK);
    driver.expect("", onDialog, true);
  };
  driver.expect("", onDialog, true);

  // A front end asks for the list before it opens a window on a record of it; the
  // explorer window makes its own object and asks it.
  std::unique_ptr<LateReleaser> releaser;
  if (cell.fault.release == Release::WhileWaited) releaser.reset(new LateReleaser);
  const inv::HostAdapterInfo* list = nullptr;
  if (cell.window != Window::Explorer) {
    list = adapters();
    ASSERT_TRUE(corvath_.valid());
  }
  window = driverFor(cell, corvath_, list);
  windowKnown = true;
  window.open();
  releaser.reset();
  if (cell.fault.release == Release::AfterWait) {
    // The answer of the abandoned request arrives after the window gave up on it.
    auto release = control<simctl::ReleaseLateFn>(simctl::kReleaseLate);
    ASSERT_TRUE(release);
    EXPECT_GE(release(), 1);
  }

  EXPECT_EQ(seen.messages, cell.expected.messages);
  if (cell.expected.windowShown) {
    EXPECT_EQ(seen.shows, cell.expected.shows);
    EXPECT_TRUE(seen.used) << "the window did not answer the user's action";
  } else {
    EXPECT_TRUE(seen.shows.empty()) << "the window came up: " << seen.shows;
  }
  EXPECT_EQ(driver.unexpected(), std::deque<std::string>{});
  EXPECT_EQ(openWindows(), std::vector<std::string>{}) << "windows left open";
}

}  // namespace

namespace faultmatrix {
// Cells print as their names.
void PrintTo(const Cell& cell, std::ostream* out) { *out << cellName(cell); }
}  // namespace faultmatrix

namespace {

INSTANTIATE_TEST_SUITE_P(Cells, FaultMatrix, testing::ValuesIn(cells()),
                         [](const testing::TestParamInfo<Cell>& info) { return cellName(info.param); });

}  // namespace
