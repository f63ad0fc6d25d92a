// What a person waits for in the windows of the suite, each against a floor of the same
// kind of work with nothing of ours in it, measured in turn in this one process on
// simulated buses that answer at once:
//   - the device list window of an adapter with 15 devices, against an empty modal dialog;
//   - the device sheet of a disk, from the call to its first page painted and from each
//     tab to that page painted, against an empty five-page sheet of our framework;
//   - the Defect List page with 1 to 1023 entries, against the same page with 1 entry;
//   - the Mode Parameters page switching through its six mode pages;
//   - the BIOS configuration sheet with 1, 4 and 15 adapters on the bus;
//   - the shell folder enumerating 15 adapters, and an adapter's 15 devices;
//   - each band created and painted, against an empty child window of the same site.
// Rows on stdout for bench/run (bench_kit.h).
//
//   window_bench.exe [--runs N] [--only TEXT] [--profile]
// --profile runs each measured window once more with its time by message on stderr.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_kit.h"
#include "bench/floors_res.h"
#include "biosconfig/biosconfig_res.h"
#include "client/corvath_obj_driver.h"
#include "contract/records.h"
#include "devsheet/cache_page_res.h"
#include "devsheet/defect_page_res.h"
#include "devsheet/devsheet_res.h"
#include "devsheet/mode_page_res.h"
#include "framework/comptr.h"
#include "framework/dialog.h"
#include "framework/module.h"
#include "framework/propsheet.h"
#include "server/devicelist_res.h"
#include "tests/win/bands_site.h"
#include "tests/win/server_support.h"
#include "tests/win/shellext_browser.h"

namespace {

using bench::Figures;
using bench::Row;
using bench::Session;

int g_runs = 9;
std::string g_only;
bool g_profile = false;

bool wanted(const char* what) { return g_only.empty() || std::strstr(what, g_only.c_str()); }

// ---- Buses ----------------------------------------------------------------------------

// The Defect List cases: a disk at each target with that many primary defects.
struct DefectCase {
  int target;
  int entries;
};
constexpr DefectCase kDefectCases[] = {{1, 1}, {2, 16}, {3, 128}, {4, 512}, {5, 1023}};

// One adapter scanning 16 targets with a disk at each but its own ID 7: 15 devices.
// Target 0 is the disk of the device sheet; targets 1 to 5 carry the defect cases.
std::string fifteenDiskBus() {
  std::string bus = "completion immediate\n" + bench::adapterText(0, 16);
  for (int t = 0; t < 16; ++t) {
    if (t == 7) continue;
    int defects = 2;
    for (const DefectCase& c : kDefectCases)
      if (c.target == t) defects = c.entries;
    bus += bench::diskText(t, defects);
  }
  return bus;
}

// `adapters` adapters scanning 8 targets, with `disks` disks on each.
std::string adaptersBus(int adapters, int disks) {
  std::string bus = "completion immediate\n";
  for (int a = 0; a < adapters; ++a) {
    bus += bench::adapterText(a, 8);
    for (int t = 0; t < disks; ++t) bus += bench::diskText(t);
  }
  return bus;
}

// A bus loaded, and an automation object that listed its adapters.
struct Bus {
  Bus(std::string busName, std::string busText) : name(std::move(busName)), text(std::move(busText)) {}
  std::string name;
  std::string text;
  CorvathObjDriver corvath;
  const inv::HostAdapterInfo* adapters = nullptr;

  void use() {
    bench::loadBus(text, name.c_str());
    if (!corvath.create()) bench::fail("Corvath.CorvathObj cannot be created");
    adapters = CorvathObjDriver::records<inv::HostAdapterInfo>(corvath.GetHostAdaptersList());
    if (!adapters) bench::fail("no adapter list on bus " + name);
  }
  intptr_t adapter(int index) const { return CorvathObjDriver::address(&adapters[index]); }
  intptr_t device(int adapterIndex, int target) const {
    const inv::HostAdapterInfo& a = adapters[adapterIndex];
    for (int d = 0; d < a.deviceCount; ++d)
      if (a.devices[d].target == target) return CorvathObjDriver::address(&a.devices[d]);
    bench::fail("no device at target " + std::to_string(target) + " on bus " + name);
  }
};

// ---- Floors -----------------------------------------------------------------------------

class EmptyPage : public fw::PropertyPage {
 public:
  EmptyPage() : PropertyPage(IDD_BENCH_EMPTY_PAGE) {}
};

std::vector<bench::WindowAction> tabs(int from, int to) {
  std::vector<bench::WindowAction> out;
  for (int i = from; i <= to; ++i)
    out.push_back([i](HWND sheet) { SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(i), 0); });
  return out;
}

Session emptyDialog() {
  return [] {
    fw::Dialog dialog(IDD_BENCH_EMPTY_DIALOG);
    return bench::timeModal([&] { dialog.doModal(); }, {}, bench::cancelDialog);
  };
}

// An empty sheet of `pages` pages: opened, then each further tab chosen.
Session emptySheet(int pages) {
  return [pages] {
    std::vector<std::unique_ptr<EmptyPage>> made;
    fw::PropertySheet sheet("Empty", nullptr, 0);
    for (int i = 0; i < pages; ++i) {
      made.push_back(std::make_unique<EmptyPage>());
      sheet.addPage(made.back().get());
    }
    return bench::timeModal([&] { sheet.doModal(); }, tabs(1, pages - 1), bench::cancelSheet);
  };
}

// The windows' own templates, from Corvath's resources, in a plain dialog or in plain
// pages of our framework: what a window costs with none of its own code (no data, no
// commands, no drawing of its own). Not a target's floor: it says where the time goes.
class TemplatePage : public fw::PropertyPage {
 public:
  explicit TemplatePage(UINT id) : PropertyPage(id) {}
};

struct CorvathResources {
  CorvathResources() { fw::setResourceModule(GetModuleHandleA("corvath.dll")); }
  ~CorvathResources() { fw::setResourceModule(nullptr); }
};

Session templateDialog(UINT id) {
  return [id] {
    CorvathResources resources;
    fw::Dialog dialog(id);
    return bench::timeModal([&] { dialog.doModal(); }, {}, bench::cancelDialog);
  };
}

Session templateSheet(std::vector<UINT> ids) {
  return [ids] {
    CorvathResources resources;
    std::vector<std::unique_ptr<TemplatePage>> made;
    fw::PropertySheet sheet("Templates", nullptr, 0);
    for (UINT id : ids) {
      made.push_back(std::make_unique<TemplatePage>(id));
      sheet.addPage(made.back().get());
    }
    return bench::timeModal([&] { sheet.doModal(); }, tabs(1, static_cast<int>(ids.size()) - 1),
                            bench::cancelSheet);
  };
}

// ---- Rows -------------------------------------------------------------------------------

Row row(const char* section, const std::string& what, const Figures& measured,
        const std::string& floor, const Figures& floorFigures, double target,
        const std::string& targetText) {
  Row r;
  r.section = section;
  r.what = what;
  r.measured = measured;
  r.floor = floor;
  r.floorFigures = floorFigures;
  r.ratio = bench::pairedRatio(measured, floorFigures);
  r.target = target;
  r.targetText = targetText;
  return r;
}

bench::Alternated measure(const char* what, const Session& a, const Session& b) {
  std::fprintf(stderr, "measuring: %s\n", what);
  bench::Alternated m = bench::alternate(a, b, g_runs);
  if (!m.ok) bench::fail(std::string(what) + ": a window did not come up or a run failed");
  if (g_profile) {
    bench::startMessageProfile();
    a();
    bench::printMessageProfile(what);
  }
  return m;
}

// Sums phases [from, to] of each run into one figure.
Figures sumOf(const std::vector<Figures>& phases, size_t from, size_t to) {
  Figures out;
  for (size_t run = 0; run < phases[from].runs.size(); ++run) {
    double total = 0;
    for (size_t p = from; p <= to; ++p) total += phases[p].runs[run];
    out.runs.push_back(total);
  }
  return out;
}

void deviceWindows(Bus& bus) {
  bus.use();
  if (bus.adapters[0].deviceCount != 15) bench::fail("the device list bus has no 15 devices");
  if (wanted("Device list")) {
    Session list = [&] {
      return bench::timeModal([&] { bus.corvath.ShowDeviceList(bus.adapter(0)); }, {},
                              bench::cancelDialog);
    };
    auto m = measure("device list", list, emptyDialog());
    bench::printRow(row("Windows", "Device list window, 15 devices: call to painted", m.a[0],
                        "empty modal dialog", m.b[0], 2, "<= 2x"));
    m = measure("device list against its template", list, templateDialog(IDD_DEVICE_LIST));
    bench::printRow(row("Where the time goes", "Device list window, 15 devices: call to painted",
                        m.a[0], "its template in a plain dialog", m.b[0], 0, "-"));
  }
  if (wanted("Device sheet")) {
    Session sheet = [&] {
      return bench::timeModal([&] { bus.corvath.ShowDeviceProperty(bus.device(0, 0)); },
                              tabs(1, 4), bench::cancelSheet);
    };
    auto m = measure("device sheet", sheet, emptySheet(5));
    const char* steps[] = {"Device sheet: call to General painted",
                           "Device sheet: tab to SCSI Features painted",
                           "Device sheet: tab to Defect List painted",
                           "Device sheet: tab to Mode Parameters painted",
                           "Device sheet: tab to R/W Cache painted"};
    for (size_t i = 0; i < 5; ++i)
      bench::printRow(row("Windows", steps[i], m.a[i],
                          i ? "empty 5-page sheet: tab to page painted"
                            : "empty 5-page sheet: call to page painted",
                          m.b[i], 2, "<= 2x"));
    m = measure("device sheet against its templates", sheet,
                templateSheet({IDD_DEV_GENERAL, IDD_DEV_FEATURES, IDD_DEV_DEFECTS, IDD_DEV_MODE,
                               IDD_DEV_CACHE}));
    for (size_t i = 0; i < 5; ++i)
      bench::printRow(row("Where the time goes", steps[i], m.a[i],
                          "its templates in plain pages of our framework", m.b[i], 0, "-"));
  }
  if (wanted("Defect List")) {
    // The sheet is opened untimed; the figure is the tab to the Defect List page, which
    // reads both lists the first time it is shown.
    auto defectPage = [&](int target) -> Session {
      return [&bus, target] {
        return bench::timeModal([&] { bus.corvath.ShowDeviceProperty(bus.device(0, target)); },
                                tabs(2, 2), bench::cancelSheet);
      };
    };
    const Session one = defectPage(kDefectCases[0].target);
    std::vector<std::pair<int, bench::Alternated>> perEntry;
    for (size_t i = 1; i < sizeof kDefectCases / sizeof kDefectCases[0]; ++i) {
      const DefectCase& c = kDefectCases[i];
      const std::string what = "Defect List page, " + std::to_string(c.entries) + " entries: tab to painted";
      auto m = measure(what.c_str(), defectPage(c.target), one);
      const bool largest = c.entries == 1023;
      bench::printRow(row("Defect List", what, m.a[1], "same page, 1 entry", m.b[1],
                          largest ? 3 : 0, largest ? "<= 3x" : "growth"));
      perEntry.push_back({c.entries, m});
    }
    // What each entry beyond the first adds, run by run: flat from the smallest to the
    // largest case when nothing of the page grows faster than its list.
    for (const auto& [entries, m] : perEntry) {
      Row r;
      r.section = "Defect List";
      r.what = "Defect List page, " + std::to_string(entries) + " entries: cost per entry beyond the first";
      r.unit = "us";
      for (size_t run = 0; run < m.a[1].runs.size() && run < m.b[1].runs.size(); ++run)
        r.measured.runs.push_back(1000 * (m.a[1].runs[run] - m.b[1].runs[run]) / (entries - 1));
      r.floor = "(page - same page with 1 entry) / (entries - 1)";
      r.targetText = "growth (flat)";
      bench::printRow(r);
    }
  }
  if (wanted("Mode Parameters")) {
    // The tab untimed, then each of the six mode pages chosen in the combo box in turn,
    // starting after the one shown first and ending on it.
    Session mode = [&] {
      std::vector<bench::WindowAction> actions = tabs(3, 3);
      for (int step = 1; step <= 6; ++step) {
        actions.push_back([step](HWND sheet) {
          HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
          HWND combo = GetDlgItem(page, IDC_DEV_MODE_PAGES);
          static LRESULT first = 0;
          if (step == 1) first = SendMessageA(combo, CB_GETCURSEL, 0, 0);
          SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>((first + step) % 6), 0);
          SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_DEV_MODE_PAGES, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(combo));
        });
      }
      return bench::timeModal([&] { bus.corvath.ShowDeviceProperty(bus.device(0, 0)); }, actions,
                              bench::cancelSheet);
    };
    auto m = measure("mode parameters", mode, emptySheet(5));
    Figures perSwitch = sumOf(m.a, 2, 7);
    for (double& v : perSwitch.runs) v /= 6;
    Figures floorSwitch = sumOf(m.b, 1, 4);
    for (double& v : floorSwitch.runs) v /= 4;
    bench::printRow(row("Windows", "Mode Parameters page: one mode page chosen to painted (mean of six)",
                        perSwitch, "empty 5-page sheet: tab to page painted (mean of four)",
                        floorSwitch, 2, "<= 2x"));
  }
}

void seldarn(int adapters) {
  const std::string what = "BIOS configuration sheet, " + std::to_string(adapters) +
                           (adapters == 1 ? " adapter" : " adapters") + ": call to painted";
  if (!wanted("BIOS configuration")) return;
  Bus bus("seldarn" + std::to_string(adapters), adaptersBus(adapters, 1));
  bus.use();
  Session sheet = [&] {
    return bench::timeModal([&] { bus.corvath.ShowSeldarn(bus.adapter(0)); }, {},
                            bench::cancelSheet);
  };
  auto m = measure(what.c_str(), sheet, emptySheet(4));
  bench::printRow(row("Windows", what, m.a[0], "empty 4-page sheet: call to page painted", m.b[0],
                      2, "<= 2x"));
  if (adapters != 1) return;
  m = measure("BIOS configuration sheet against its templates", sheet,
              templateSheet({IDD_SEE_BUS_INTERFACE, IDD_SEE_BOOT_DEVICE, IDD_SEE_DEVICE_CONFIG,
                             IDD_SEE_ADVANCED}));
  bench::printRow(row("Where the time goes", what, m.a[0], "its templates in plain pages of our framework",
                      m.b[0], 0, "-"));
}

// ---- Shell folder -----------------------------------------------------------------------

// Items the enumerator hands out, one at a time as a shell view asks; -1 on failure.
int enumerate(IShellFolder* folder) {
  fw::ComPtr<IEnumIDList> items;
  if (FAILED(folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items.put())) || !items)
    return -1;
  int n = 0;
  LPITEMIDLIST item = nullptr;
  while (items->Next(1, &item, nullptr) == S_OK) {
    CoTaskMemFree(item);
    ++n;
  }
  return n;
}

// The folder under My Computer made and its adapters enumerated.
Session rootEnumeration(Bus& bus, int expected) {
  return [&bus, expected] {
    bench::loadBus(bus.text, bus.name.c_str());
    int n = -1;
    const double start = bench::nowMs();
    {
      fw::ComPtr<IShellFolder> root = shelltest::rootFolder();
      if (root) n = enumerate(root.get());
    }
    const double ms = bench::nowMs() - start;
    return n == expected ? std::vector<double>{ms} : std::vector<double>();
  };
}

// The first adapter's folder bound from the root and its devices enumerated.
Session adapterEnumeration(Bus& bus, int expected) {
  return [&bus, expected] {
    bench::loadBus(bus.text, bus.name.c_str());
    fw::ComPtr<IShellFolder> root = shelltest::rootFolder();
    fw::ComPtr<IEnumIDList> items;
    LPITEMIDLIST first = nullptr;
    if (!root || FAILED(root->EnumObjects(nullptr, SHCONTF_FOLDERS, items.put())) || !items ||
        items->Next(1, &first, nullptr) != S_OK)
      return std::vector<double>();
    int n = -1;
    const double start = bench::nowMs();
    {
      fw::ComPtr<IShellFolder> adapter;
      if (SUCCEEDED(root->BindToObject(first, nullptr, IID_IShellFolder, adapter.putVoid())) && adapter)
        n = enumerate(adapter.get());
    }
    const double ms = bench::nowMs() - start;
    CoTaskMemFree(first);
    return n == expected ? std::vector<double>{ms} : std::vector<double>();
  };
}

void shellFolder() {
  if (!wanted("Shell folder")) return;
  Bus fifteen{"shell15", adaptersBus(15, 1)}, one{"shell1", adaptersBus(1, 1)};
  auto m = measure("shell folder adapters", rootEnumeration(fifteen, 15), rootEnumeration(one, 1));
  bench::printRow(row("Shell folder", "Shell folder: made and 15 adapters enumerated", m.a[0],
                      "same, 1 adapter", m.b[0], 15, "<= 15x (no dearer per adapter)"));
  Bus disks{"shelldisks", fifteenDiskBus()}, oneDisk{"shelldisk", adaptersBus(1, 1)};
  m = measure("shell folder devices", adapterEnumeration(disks, 15), adapterEnumeration(oneDisk, 1));
  bench::printRow(row("Shell folder", "Shell folder: adapter bound and 15 devices enumerated", m.a[0],
                      "same, 1 device", m.b[0], 15, "<= 15x (no dearer per device)"));
}

// ---- Bands ------------------------------------------------------------------------------

LRESULT CALLBACK floorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_WINDOW));
    EndPaint(window, &ps);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// A band made by its class factory, sited, shown and painted; closed untimed.
Session bandSession(const CLSID& clsid, const char* siteClass) {
  return [&clsid, siteClass] {
    bandtest::FakeSite site(siteClass, 500, 300);
    bench::timeUntilIdle([] {});
    fw::ComPtr<IDeskBand> band;
    fw::ComPtr<IObjectWithSite> sited;
    bool up = false;
    const double ms = bench::timeUntilIdle([&] {
      band = bandtest::createBand(clsid);
      up = band && SUCCEEDED(band->QueryInterface(IID_IObjectWithSite, sited.putVoid())) &&
           SUCCEEDED(sited->SetSite(site.unknown())) && SUCCEEDED(band->ShowDW(TRUE));
    });
    if (band) band->CloseDW(0);
    if (sited) sited->SetSite(nullptr);
    sited.reset();
    band.reset();
    bench::timeUntilIdle([] {});
    return up ? std::vector<double>{ms} : std::vector<double>();
  };
}

// The same site with a plain child window of ours made, shown and painted instead.
Session floorBand(const char* siteClass) {
  return [siteClass] {
    static bool registered = [] {
      WNDCLASSA cls = {};
      cls.lpfnWndProc = floorProc;
      cls.hInstance = GetModuleHandleA(nullptr);
      cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
      cls.lpszClassName = "OrvBenchFloorBand";
      return RegisterClassA(&cls) != 0;
    }();
    bandtest::FakeSite site(siteClass, 500, 300);
    bench::timeUntilIdle([] {});
    HWND child = nullptr;
    const double ms = bench::timeUntilIdle([&] {
      child = CreateWindowExA(0, "OrvBenchFloorBand", "", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 500,
                              300, site.window(), nullptr, GetModuleHandleA(nullptr), nullptr);
      ShowWindow(child, SW_SHOW);
    });
    if (child) DestroyWindow(child);
    return registered && child ? std::vector<double>{ms} : std::vector<double>();
  };
}

void bands() {
  if (!wanted("Band")) return;
  Bus bus{"bands", adaptersBus(4, 4)};
  bus.use();
  struct BandCase {
    const char* what;
    const CLSID& clsid;
    const char* site;
  } cases[] = {{"Band: adapter tree created and painted", bandtest::kTreeBand, "OrvBenchSite"},
               {"Band: application strip created and painted", bandtest::kStripBand, "OrvBenchSite"},
               {"Band: desk band created and painted", bandtest::kDeskBand, "Shell_TrayWnd"}};
  for (const BandCase& c : cases) {
    auto m = measure(c.what, bandSession(c.clsid, c.site), floorBand(c.site));
    bench::printRow(row("Bands", c.what, m.a[0], "empty child window in the same site", m.b[0], 0,
                        "none given"));
  }
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) g_runs = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--only") && i + 1 < argc) g_only = argv[++i];
    else if (!std::strcmp(argv[i], "--profile")) g_profile = true;
  }
  SetEnvironmentVariableA("VRAX_SIM_BUS", nullptr);
  SetEnvironmentVariableA("VRAX_SIM_STATE", "none");
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  if (servertest::registerCorvath() != S_OK || CoInitialize(nullptr) != S_OK)
    bench::fail("cannot register Corvath beside the program");

  {
    Bus devices{"devices", fifteenDiskBus()};
    deviceWindows(devices);
  }
  for (int adapters : {1, 4, 15}) seldarn(adapters);
  shellFolder();
  bands();
  CoUninitialize();
  return 0;
}
