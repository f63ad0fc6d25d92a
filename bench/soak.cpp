// Soak: opens and closes every window of the suite many times on the simulated bus,
// through the automation object as a front end does, and reports per window what the
// process holds after the first cycle and after the last (see soak_measure.h). A
// window that leaks shows growth; the target is none after the first cycle.
//
//   bench/soak.sh [--cycles N] [--only TEXT] [--self-check] [--trace] [--heap-sizes]
//
// --self-check soaks one more window that leaks on purpose (a brush, a menu, an event,
// heap, committed pages and a parked thread per cycle) and fails unless every measure
// sees its leak; --trace prints the figures after every cycle; --heap-sizes names, under
// each row, the sizes of the heap blocks that accumulated over the second half of its
// cycles. Exit status: 0 when no window grew (and the self-check caught its leak).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/soak_measure.h"
#include "bench/soak_res.h"
#include "biosconfig/biosconfig_res.h"
#include "client/corvath_obj_driver.h"
#include "contract/records.h"
#include "explorer/explorer_dlg.h"
#include "explorer/explorer_model.h"
#include "explorer/settings.h"
#include "framework/propsheet.h"
#include "tests/support/modal_driver.h"
#include "tests/win/bands_site.h"
#include "tests/win/server_support.h"
#include "tests/win/shellext_browser.h"

namespace {

struct Session {
  CorvathObjDriver corvath;
  const inv::HostAdapterInfo* adapters = nullptr;
  int failures = 0;  // cycles whose window did not come up or left something open

  const inv::HostAdapterInfo* adapter(int number) const {
    for (int a = 0; adapters && a < adapters[0].adapterCount; ++a)
      if (adapters[a].adapterNumber == number) return &adapters[a];
    return nullptr;
  }
  intptr_t adapterAddress(int number) const { return CorvathObjDriver::address(adapter(number)); }
  intptr_t deviceAddress(int number, int target) const {
    const inv::HostAdapterInfo* a = adapter(number);
    for (int d = 0; a && d < a->deviceCount; ++d)
      if (a->devices[d].target == target) return CorvathObjDriver::address(&a->devices[d]);
    return 0;
  }
};

void noteFailure(Session& s, const char* what) {
  if (!s.failures++) fprintf(stderr, "soak: %s\n", what);
}

// Runs `open` with a driver that does `inside` in the window that comes up, then closes
// it; `nested` is the title of a dialog that `inside` opens from that window, closed
// as soon as it is up.
void cycleModal(Session& s, const std::function<void()>& open,
                const std::function<void(HWND)>& inside = nullptr, bool sheet = false,
                const char* nested = nullptr) {
  orvtest::ModalDriver driver;
  driver.expect("", [&](HWND window) {
    if (inside) inside(window);
    if (sheet) PostMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  }, !sheet);
  if (nested) driver.expect(nested, [](HWND) {});
  open();
  if (!driver.allDone() || !driver.unexpected().empty()) {
    if (!s.failures++)
      fprintf(stderr, "soak: %s\n", driver.allDone() ? ("unexpected window " + driver.unexpected().front()).c_str()
                                                      : "the window did not come up");
  }
}

void explorerWindow(Session& s) {
  explorer::ExplorerSettings settings;
  cycleModal(s, [&] {
    explorer::CScsiExplorerDlg window(explorer::kAppletFlavor, settings,
                                      explorer::corvathServerFactory(), nullptr);
    window.doModal();
  });
}

void deviceList(Session& s) {
  cycleModal(s, [&] { s.corvath.ShowDeviceList(s.adapterAddress(0)); });
}

void aboutBox(Session& s) {
  cycleModal(s, [&] { s.corvath.ShowVelmoraAboutDialog(); });
}

// The device sheet of a disk on the page at `index` (0 General, 1 SCSI Features, ...).
std::function<void(Session&)> deviceSheet(int adapter, int target, int index) {
  return [=](Session& s) {
    cycleModal(s, [&] { s.corvath.ShowDeviceProperty(s.deviceAddress(adapter, target)); },
               [&](HWND sheet) { SendMessageA(sheet, PSM_SETCURSEL, index, 0); }, true);
  };
}

std::function<void(Session&)> adapterSheet(int adapter, short page) {
  return [=](Session& s) {
    cycleModal(s, [&] { s.corvath.ShowHostAdapterProperty(s.adapterAddress(adapter), page); },
               nullptr, true);
  };
}

// The BIOS configuration sheet of an adapter on the page at `index`; with `allDevices`
// its table of every target's settings is opened from the device page as well.
std::function<void(Session&)> seldarnSheet(int adapter, int index, bool allDevices = false) {
  return [=](Session& s) {
    cycleModal(
        s, [&] { s.corvath.ShowSeldarn(s.adapterAddress(adapter)); },
        [&](HWND sheet) {
          SendMessageA(sheet, PSM_SETCURSEL, index, 0);
          if (!allDevices) return;
          HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
          SendDlgItemMessageA(page, IDC_SEE_SHOW_ALL, BM_CLICK, 0, 0);
        },
        true, allDevices ? "All Device Configuration" : nullptr);
  };
}

// Floors under the property sheets, run under the activation context of Corvath's
// windows (Common Controls 6, from its manifest) as its sheets are: one page in a sheet
// of the framework and the same page bare through comctl32, empty or with ten text
// labels, and the labels in a dialog of their own. What a sheet of the suite keeps
// beyond these is its own.
class CorvathControls {
 public:
  CorvathControls() {
    static HANDLE context = [] {
      ACTCTXA actx = {};
      actx.cbSize = sizeof actx;
      actx.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
      actx.hModule = GetModuleHandleA("corvath.dll");
      const std::string path = servertest::corvathPath();
      actx.lpSource = path.c_str();
      actx.lpResourceName = MAKEINTRESOURCEA(2);
      return actx.hModule ? CreateActCtxA(&actx) : INVALID_HANDLE_VALUE;
    }();
    active_ = context != INVALID_HANDLE_VALUE && ActivateActCtx(context, &cookie_);
  }
  ~CorvathControls() {
    if (active_) DeactivateActCtx(0, cookie_);
  }
  CorvathControls(const CorvathControls&) = delete;
  CorvathControls& operator=(const CorvathControls&) = delete;
  bool active() const { return active_; }

 private:
  ULONG_PTR cookie_ = 0;
  bool active_ = false;
};

std::function<void(Session&)> frameworkSheet(UINT page) {
  return [page](Session& s) {
    CorvathControls controls;
    if (!controls.active()) return noteFailure(s, "no activation context of Corvath's");
    cycleModal(s, [page] {
      fw::PropertySheet sheet("Floor", nullptr, 0);
      fw::PropertyPage only(page);
      sheet.addPage(&only);
      sheet.doModal();
    }, nullptr, true);
  };
}

INT_PTR CALLBACK floorProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) EndDialog(window, IDCANCEL);
  return message == WM_INITDIALOG || message == WM_COMMAND;
}

std::function<void(Session&)> bareSheet(UINT page) {
  return [page](Session& s) {
    CorvathControls controls;
    if (!controls.active()) return noteFailure(s, "no activation context of Corvath's");
    cycleModal(s, [page] {
      PROPSHEETPAGEA only = {};
      only.dwSize = sizeof only;
      only.hInstance = GetModuleHandleA(nullptr);
      only.pszTemplate = MAKEINTRESOURCEA(page);
      only.pfnDlgProc = floorProc;
      HPROPSHEETPAGE handle = CreatePropertySheetPageA(&only);
      PROPSHEETHEADERA header = {};
      header.dwSize = sizeof header;
      header.hInstance = GetModuleHandleA(nullptr);
      header.pszCaption = "Floor";
      header.nPages = 1;
      header.phpage = &handle;
      PropertySheetA(&header);
    }, nullptr, true);
  };
}

void bareDialog(Session& s) {
  CorvathControls controls;
  if (!controls.active()) return noteFailure(s, "no activation context of Corvath's");
  cycleModal(s, [] {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SOAK_LABELS_DIALOG), nullptr,
                    floorProc, 0);
  });
}

// Fenwold's view in a browser frame, created and destroyed: of the folder under My
// Computer, or (adapter >= 0) of that adapter's folder.
std::function<void(Session&)> shellView(int adapter) {
  return [=](Session& s) {
    fw::ComPtr<IShellFolder> folder = shelltest::rootFolder();
    if (folder && adapter >= 0) {
      fw::ComPtr<IEnumIDList> items;
      LPITEMIDLIST item = nullptr;
      fw::ComPtr<IShellFolder> child;
      if (SUCCEEDED(folder->EnumObjects(nullptr, SHCONTF_FOLDERS, items.put())) && items) {
        for (int i = 0; i <= adapter && items->Next(1, &item, nullptr) == S_OK; ++i) {
          if (i == adapter) folder->BindToObject(item, nullptr, IID_IShellFolder, child.putVoid());
          CoTaskMemFree(item);
        }
      }
      folder = child;
    }
    if (!folder) return noteFailure(s, "no shell folder");
    shelltest::FakeBrowser browser;
    fw::ComPtr<IShellView> view;
    HWND window = nullptr;
    FOLDERSETTINGS settings = {FVM_DETAILS, 0};
    RECT area = browser.viewArea();
    if (FAILED(folder->CreateViewObject(browser.frame(), IID_IShellView, view.putVoid())) ||
        FAILED(view->CreateViewWindow(nullptr, &settings, &browser, &area, &window)) || !window)
      return noteFailure(s, "the shell view did not come up");
    shelltest::pumpMessages();
    view->UIActivate(SVUIA_ACTIVATE_FOCUS);
    shelltest::pumpMessages();
    view->UIActivate(SVUIA_DEACTIVATE);
    if (FAILED(view->DestroyViewWindow()) || IsWindow(window))
      noteFailure(s, "the shell view window stayed");
    view.reset();
    if (browser.references() != 1) noteFailure(s, "the shell view kept its browser");
  };
}

// A band of Gastrel's in a band site, shown, closed and released.
std::function<void(Session&)> band(const CLSID& clsid) {
  return [&clsid](Session& s) {
    bandtest::FakeSite site("OrvSoakBandSite", 500, 300);
    {
      fw::ComPtr<IDeskBand> made = bandtest::createBand(clsid);
      fw::ComPtr<IObjectWithSite> sited;
      if (!made || FAILED(made->QueryInterface(IID_IObjectWithSite, sited.putVoid())) ||
          FAILED(sited->SetSite(site.unknown())) || FAILED(made->ShowDW(TRUE)))
        return noteFailure(s, "the band did not come up");
      bandtest::pumpMessages();
      made->CloseDW(0);
      sited->SetSite(nullptr);
    }
    bandtest::pumpMessages();
    if (site.references() != 1) noteFailure(s, "the band kept its site");
  };
}

// Leaks one of everything per cycle, on purpose; its threads are let go at the end.
HANDLE g_parkedRelease = nullptr;
DWORD WINAPI parked(void*) {
  WaitForSingleObject(g_parkedRelease, INFINITE);
  return 0;
}

void leakyAboutBox(Session& s) {
  aboutBox(s);
  CreateSolidBrush(RGB(7, 8, 9));
  CreatePopupMenu();
  CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::memset(new char[4096], 1, 4096);
  if (void* pages = VirtualAlloc(nullptr, 65536, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))
    std::memset(pages, 1, 65536);
  HANDLE thread = CreateThread(nullptr, 0, parked, nullptr, 0, nullptr);
  if (thread) CloseHandle(thread);
}

struct WindowRow {
  const char* name;
  std::function<void(Session&)> cycle;
};

// Every window of the suite; a new window or page is one more row. Adapter 0 of the
// default bus is the newest card (miniport channel, negotiated rates); its device 0 is
// a disk, so its sheet has every page.
const std::vector<WindowRow>& windows() {
  static const std::vector<WindowRow> rows = {
      {"SCSI Explorer window", explorerWindow},
      {"Device list", deviceList},
      {"About box", aboutBox},
      {"Floor: empty page, framework sheet", frameworkSheet(IDD_SOAK_EMPTY_PAGE)},
      {"Floor: empty page, bare sheet", bareSheet(IDD_SOAK_EMPTY_PAGE)},
      {"Floor: 10 labels, framework sheet", frameworkSheet(IDD_SOAK_LABELS_PAGE)},
      {"Floor: 10 labels, bare sheet", bareSheet(IDD_SOAK_LABELS_PAGE)},
      {"Floor: 10 labels, bare dialog", bareDialog},
      {"Device sheet: General", deviceSheet(0, 0, 0)},
      {"Device sheet: SCSI Features", deviceSheet(0, 0, 1)},
      {"Device sheet: Defect List", deviceSheet(0, 0, 2)},
      {"Device sheet: Mode Parameters", deviceSheet(0, 0, 3)},
      {"Device sheet: R/W Cache", deviceSheet(0, 0, 4)},
      {"Adapter sheet: General", adapterSheet(0, 0)},
      {"Adapter sheet: PCI Configuration", adapterSheet(0, 1)},
      {"Seldarn sheet: Bus Interface", seldarnSheet(0, 0)},
      {"Seldarn sheet: Boot Device", seldarnSheet(0, 1)},
      {"Seldarn sheet: Device Config", seldarnSheet(0, 2)},
      {"Seldarn sheet: Advanced", seldarnSheet(0, 3)},
      {"Seldarn sheet: all-device table", seldarnSheet(0, 2, true)},
      {"Shell view: adapters", shellView(-1)},
      {"Shell view: devices of adapter 0", shellView(0)},
      {"Band: adapter tree", band(bandtest::kTreeBand)},
      {"Band: application strip", band(bandtest::kStripBand)},
      {"Band: desk band", band(bandtest::kDeskBand)},
  };
  return rows;
}

struct Result {
  std::string name;
  soak::Counts before, first, middle, last;
  std::string heapKept;  // with --heap-sizes: the block sizes that grew in the second half
  int failures = 0;
};

bool g_trace = false;
bool g_heapSizes = false;

Result soakWindow(Session& s, const WindowRow& row, int cycles) {
  Result r;
  r.name = row.name;
  s.failures = 0;
  // Room for the halfway sizes taken before the first figures, so that they do not
  // show as growth themselves.
  soak::HeapSizes halfway;
  if (g_heapSizes) halfway.reserve(4096);
  r.before = soak::measure();
  row.cycle(s);
  r.first = soak::measure();
  for (int i = 1; i < cycles; ++i) {
    row.cycle(s);
    if (i + 1 == std::max(2, cycles / 2)) {
      r.middle = soak::measure();
      if (g_heapSizes) {
        const soak::HeapSizes sizes = soak::heapSizes();
        halfway.assign(sizes.begin(), sizes.end());
      }
    }
    if (g_trace) {
      soak::Counts c = soak::measure();
      printf("  cycle %3d: GDI %ld USER %ld kernel %ld threads %ld private %lld heap %lld\n", i + 1,
             c.gdi, c.user, c.kernel, c.threads, static_cast<long long>(c.privateBytes),
             static_cast<long long>(c.heapBytes));
    }
  }
  r.last = soak::measure();
  if (g_heapSizes) r.heapKept = soak::heapGrowth(halfway, soak::heapSizes());
  r.failures = s.failures;
  return r;
}

// Growth allowed between the first and the last cycle: none for objects, handles and
// threads; memory may move by less than a page's worth of allocator bookkeeping.
constexpr int64_t kHeapSlack = 2048;
constexpr int64_t kPrivateSlack = 65536;

bool grew(const soak::Counts& from, const soak::Counts& to) {
  return to.gdi > from.gdi || to.user > from.user || to.kernel > from.kernel ||
         to.threads > from.threads || to.heapBytes - from.heapBytes > kHeapSlack ||
         to.privateBytes - from.privateBytes > kPrivateSlack;
}

// A leak grows in every stretch of cycles; an object made once on a later opening (a
// cache of the platform's) shows in the first half only.
const char* verdict(const Result& r) {
  if (r.failures) return "WINDOW FAILED";
  if (grew(r.middle, r.last)) return "GREW";
  return grew(r.first, r.last) ? "ok (settled in the first half)" : "ok";
}

std::string cell(long first, long last) {
  char text[48];
  snprintf(text, sizeof text, "%ld -> %ld (%+ld)", first, last, last - first);
  return text;
}

std::string kilobytes(int64_t first, int64_t last) {
  char text[64];
  snprintf(text, sizeof text, "%lld -> %lld (%+lld)", static_cast<long long>(first / 1024),
           static_cast<long long>(last / 1024), static_cast<long long>((last - first) / 1024));
  return text;
}

void printHeader(int cycles) {
  printf("Soak: %d open/close cycles per window; figures after the 1st -> after the %dth cycle.\n",
         cycles, cycles);
  printf("GDI objects by %s, USER objects by probe slot, memory in KB.\n\n", soak::gdiMethod().c_str());
  printf("%-34s %-20s %-20s %-20s %-14s %-26s %-26s %s\n", "window", "GDI", "USER", "kernel",
         "threads", "private KB", "heap KB", "result");
}

void printRow(const Result& r) {
  printf("%-34s %-20s %-20s %-20s %-14s %-26s %-26s %s\n", r.name.c_str(),
         cell(r.first.gdi, r.last.gdi).c_str(), cell(r.first.user, r.last.user).c_str(),
         cell(r.first.kernel, r.last.kernel).c_str(), cell(r.first.threads, r.last.threads).c_str(),
         kilobytes(r.first.privateBytes, r.last.privateBytes).c_str(),
         kilobytes(r.first.heapBytes, r.last.heapBytes).c_str(), verdict(r));
  if (!r.heapKept.empty())
    printf("  heap blocks kept in the second half (bytes x count): %s\n", r.heapKept.c_str());
  fflush(stdout);
}

// Every measure must see the deliberate leak of each cycle after the first.
bool selfCheckCaught(const Result& r, int cycles) {
  const long n = cycles - 1;
  bool caught = r.last.gdi - r.first.gdi >= n && r.last.user - r.first.user >= n &&
                r.last.kernel - r.first.kernel >= n && r.last.threads - r.first.threads >= n &&
                r.last.heapBytes - r.first.heapBytes >= int64_t{4096} * n &&
                r.last.privateBytes - r.first.privateBytes >= int64_t{65536} * n;
  printf("\nself-check: the deliberate leak of one GDI object, one USER object, one kernel handle,"
         " one thread, 4 KB of heap and 64 KB of pages per cycle was %s\n",
         caught ? "seen by every measure" : "MISSED by a measure");
  return caught;
}

}  // namespace

int main(int argc, char** argv) {
  int cycles = 100;
  bool selfCheck = false;
  std::string only;
  for (int i = 1; i < argc; ++i) {
    if (!strcmp(argv[i], "--cycles") && i + 1 < argc) cycles = atoi(argv[++i]);
    else if (!strcmp(argv[i], "--only") && i + 1 < argc) only = argv[++i];
    else if (!strcmp(argv[i], "--self-check")) selfCheck = true;
    else if (!strcmp(argv[i], "--trace")) g_trace = true;
    else if (!strcmp(argv[i], "--heap-sizes")) g_heapSizes = true;
  }
  if (cycles < 2) cycles = 2;

  SetEnvironmentVariableA("VRAX_SIM_STATE", "none");
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  if (servertest::registerCorvath() != S_OK || CoInitialize(nullptr) != S_OK) {
    fprintf(stderr, "soak: cannot register Corvath beside the program\n");
    return 2;
  }
  Session session;
  if (!session.corvath.create() ||
      !(session.adapters = CorvathObjDriver::records<inv::HostAdapterInfo>(
            session.corvath.GetHostAdaptersList()))) {
    fprintf(stderr, "soak: no automation object or no adapters\n");
    return 2;
  }

  printHeader(cycles);
  bool clean = true;
  for (const WindowRow& row : windows()) {
    if (!only.empty() && std::string(row.name).find(only) == std::string::npos) continue;
    Result r = soakWindow(session, row, cycles);
    printRow(r);
    clean = clean && !r.failures && !grew(r.middle, r.last);
  }
  bool caught = true;
  if (selfCheck) {
    g_parkedRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Result r = soakWindow(session, {"About box, leaking on purpose", leakyAboutBox}, cycles);
    printRow(r);
    caught = selfCheckCaught(r, cycles);
    SetEvent(g_parkedRelease);
  }
  session.corvath.release();
  CoUninitialize();
  return clean && caught ? 0 : 1;
}
