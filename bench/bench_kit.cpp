#include "bench/bench_kit.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>

#include "scsi/manager.h"
#include "simulator/controls.h"

namespace bench {

double nowMs() {
  static const double perMs = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / perMs;
}

namespace {

double medianOf(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

double Figures::median() const { return medianOf(runs); }
double Figures::min() const { return runs.empty() ? 0 : *std::min_element(runs.begin(), runs.end()); }
double Figures::max() const { return runs.empty() ? 0 : *std::max_element(runs.begin(), runs.end()); }

double pairedRatio(const Figures& a, const Figures& b) {
  std::vector<double> ratios;
  for (size_t i = 0; i < a.runs.size() && i < b.runs.size(); ++i)
    if (b.runs[i] > 0) ratios.push_back(a.runs[i] / b.runs[i]);
  return medianOf(ratios);
}

void printRow(const Row& r) {
  std::printf("row\t%s\t%s\t%s\t%.4g\t%.4g\t%.4g\t%s\t%.4g\t%.3g\t%.3g\t%s\n", r.section.c_str(),
              r.what.c_str(), r.unit.c_str(), r.measured.median(), r.measured.min(),
              r.measured.max(), r.floor.c_str(), r.floorFigures.median(), r.ratio, r.target,
              r.targetText.c_str());
  std::fflush(stdout);
}

Alternated alternate(const Session& a, const Session& b, int runs) {
  Alternated out;
  auto take = [](const Session& s, std::vector<Figures>* into) {
    std::vector<double> phases = s();
    if (phases.empty()) return false;
    if (into) {
      if (into->empty()) into->resize(phases.size());
      if (phases.size() != into->size()) return false;
      for (size_t i = 0; i < phases.size(); ++i) (*into)[i].runs.push_back(phases[i]);
    }
    return true;
  };
  if (!take(a, nullptr) || !take(b, nullptr)) return out;  // warm-up
  for (int i = 0; i < runs; ++i)
    if (!take(a, &out.a) || !take(b, &out.b)) return out;
  out.ok = true;
  return out;
}

void fail(const std::string& why) {
  std::fflush(stdout);
  std::fprintf(stderr, "benchmark failed: %s\n", why.c_str());
  std::exit(1);
}

// ---- Buses --------------------------------------------------------------------------

std::string adapterText(int number, int targets) {
  char text[2048];
  // Two adapters make one two-channel card: the odd one is function 1 and reads the
  // even one's EEPROM (its channel B block).
  const int card = number / 2, function = number % 2;
  std::snprintf(text, sizeof text,
                "adapter %d\n"
                "  identifier   \"KESTREL-U320\"\n"
                "  manager-id   \"VRAX SIMULATOR\"\n"
                "  scsi-id      7\n"
                "  unique       03 00 02 %02X 00 00 00 01 00 00 00 00 00 %02X %02X 81\n"
                "  pci 00       5A 1D 40 5C 17 01 B0 02 01 00 00 01 10 40 80 00\n"
                "  pci 10       01 D0 00 00 04 E0 BF FE 00 00 00 00 00 00 00 00\n"
                "  pci 2C       5A 1D 20 4C\n"
                "  pci 30       00 00 00 00 DC 00 00 00 00 00 00 00 0B 01 28 19\n"
                "  pci DC       01 00 02 06 00 00 00 00\n",
                number, targets, 0x0C + card, function);
  std::string out = text;
  if (function == 0) {
    out +=
        "  eeprom 00    88 16 88 16 88 16 88 16 19 06 0A 16 88 16 88 16\n"
        "  eeprom 10    88 16 88 16 88 16 88 16 88 16 88 16 88 16 88 16\n"
        "  eeprom 20    F4 19 03 04 07 00 10 00 40 03 00 00 00 00 00 00\n"
        "  eeprom 30    00 00 00 00 00 00 00 00 00 00 00 00 00 04 E1 7C\n"
        "  eeprom 40    88 16 88 16 88 16 88 16 88 16 88 16 3F 06 88 16\n"
        "  eeprom 50    88 16 88 16 88 16 88 16 88 16 88 16 88 16 88 16\n"
        "  eeprom 60    F4 19 03 04 07 00 10 20 40 03 00 00 00 00 00 00\n"
        "  eeprom 70    00 00 00 00 00 00 00 00 00 00 00 00 00 04 85 9D\n";
  } else {
    out += "  eeprom-shared " + std::to_string(number - 1) + "\n";
  }
  out += "  port " + std::to_string(number) + " kestrdrv\n";
  return out;
}

std::string diskText(int target, int defects) {
  std::string out = "  device " + std::to_string(target) +
                    "\n"
                    "    inquiry    00 00 03 02 1F 00 00 3A \"ARVELL  \" \"HD-73U320       \" \"A104\"\n"
                    "    capacity   143374744 512\n"
                    "    rate       1600 x2\n"
                    "    page 01 current    01 0A C0 0B 00 00 00 00 05 00 FF FF\n"
                    "    page 01 changeable 01 0A FF FF 00 00 00 00 FF 00 FF FF\n"
                    "    page 01 saved      01 0A C0 08 00 00 00 00 08 00 FF FF\n"
                    "    page 01 default    01 0A C0 05 00 00 00 00 05 00 00 C8\n"
                    "    page 02 current    02 0E 80 80 00 00 00 00 00 00 00 00 00 00 00 00\n"
                    "    page 03 current    03 16 00 08 00 00 00 00 00 08 03 A0 02 00 00 01 00 30 00 18 40 00 00 00\n"
                    "    page 04 current    04 16 00 4B 70 08 00 00 00 00 00 00 00 00 00 00 00 00 00 00 3A 98 00 00\n"
                    "    page 07 current    07 0A 00 0B 00 00 00 00 00 00 FF FF\n"
                    "    page 08 current    08 12 04 00 FF FF 00 00 02 00 FF FF 80 10 00 00 00 00 00 00\n"
                    "    page 08 changeable 08 12 05 00 FF FF FF FF FF FF FF FF A0 FF 00 00 00 00 00 00\n"
                    "    page 08 default    08 12 04 00 FF FF 00 00 FF FF FF FF 80 10 00 00 00 00 00 00\n"
                    "    page 0A current    0A 0A 02 10 00 00 00 00 00 00 08 40\n"
                    "    page 1C current    1C 0A 00 03 00 00 17 70 00 00 00 01\n";
  if (defects > 0) out += "    plist      100/1/5*" + std::to_string(defects) + "\n";
  return out;
}

void loadBus(const std::string& text, const char* name) {
  scsi::ScsiManager& manager = scsi::scsiManager();
  if (!manager.load()) fail("wnvrax32.dll cannot be loaded");
  auto control = [&](const char* export_) {
    FARPROC fn = GetProcAddress(manager.handle(), export_);
    if (!fn) fail(std::string("the manager is not the simulator (no ") + export_ + ")");
    return reinterpret_cast<void*>(fn);
  };
  auto loadText = reinterpret_cast<simctl::LoadBusTextFn>(control(simctl::kLoadBusText));
  auto writeMap = reinterpret_cast<simctl::WriteDeviceMapFn>(control(simctl::kWriteDeviceMap));
  if (!loadText(text.c_str(), name)) {
    char why[512] = "";
    reinterpret_cast<simctl::LastErrorFn>(control(simctl::kLastError))(why, sizeof why);
    fail(std::string("bus ") + name + " refused: " + why);
  }
  writeMap();
}

// ---- Windows --------------------------------------------------------------------------

namespace {

// A thread message that the hook takes back out of the queue: when it is retrieved, the
// thread has handled everything that came before it.
constexpr UINT kMarker = WM_APP + 0x2F1;
constexpr UINT kStep = WM_APP + 0x2F2;
constexpr UINT_PTR kWatchdog = 1;
constexpr UINT kWatchdogMs = 60000;

struct Watch {
  HHOOK hook = nullptr;
  HWND helper = nullptr;
  bool waiting = false;
  bool markerQueued = false;
  bool failed = false;
  double start = 0;
  HWND window = nullptr;
  size_t next = 0;
  const std::vector<WindowAction>* actions = nullptr;
  const WindowAction* close = nullptr;
  std::vector<double> phases;
};
Watch g_watch;

BOOL CALLBACK firstVisible(HWND window, LPARAM found) {
  if (!IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

void queueMarker() {
  if (g_watch.markerQueued) return;
  g_watch.markerQueued = PostThreadMessageA(GetCurrentThreadId(), kMarker, 0, 0) != FALSE;
}

LRESULT CALLBACK getMessageHook(int code, WPARAM removed, LPARAM param) {
  MSG* msg = reinterpret_cast<MSG*>(param);
  if (code == HC_ACTION && removed == PM_REMOVE) {
    if (msg->message == kMarker && !msg->hwnd) {
      msg->message = WM_NULL;
      g_watch.markerQueued = false;
      if (g_watch.waiting) {
        HWND shown = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), firstVisible, reinterpret_cast<LPARAM>(&shown));
        const DWORD pending =
            HIWORD(GetQueueStatus(QS_PAINT | QS_POSTMESSAGE | QS_SENDMESSAGE | QS_INPUT));
        if (shown && !pending) {
          g_watch.phases.push_back(nowMs() - g_watch.start);
          g_watch.waiting = false;
          g_watch.window = shown;
          PostMessageA(g_watch.helper, kStep, 0, 0);
        } else if (shown && pending == QS_SENDMESSAGE) {
          // Sent messages are handled without passing this hook: ask again after them.
          queueMarker();
        }
        // Otherwise the next message retrieved queues the next marker. A dialog's modal
        // loop shows the dialog only when its queue is empty, so a marker must not be
        // kept waiting in the queue before that.
      }
    } else if (g_watch.waiting) {
      queueMarker();
    }
  }
  return CallNextHookEx(g_watch.hook, code, removed, param);
}

LRESULT CALLBACK helperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kStep && g_watch.actions) {
    if (g_watch.next < g_watch.actions->size()) {
      g_watch.start = nowMs();
      g_watch.waiting = true;
      (*g_watch.actions)[g_watch.next++](g_watch.window);
      queueMarker();
    } else {
      KillTimer(window, kWatchdog);
      (*g_watch.close)(g_watch.window);
    }
    return 0;
  }
  if (message == WM_TIMER && wParam == kWatchdog) {
    // Nothing painted for a minute: give up and close what is open.
    KillTimer(window, kWatchdog);
    g_watch.failed = true;
    g_watch.waiting = false;
    HWND shown = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), firstVisible, reinterpret_cast<LPARAM>(&shown));
    if (shown) {
      PostMessageA(shown, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
      cancelDialog(shown);
    }
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND helperWindow() {
  static HWND helper = [] {
    WNDCLASSA cls = {};
    cls.lpfnWndProc = helperProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "OrvBenchHelper";
    RegisterClassA(&cls);
    return CreateWindowA("OrvBenchHelper", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
  }();
  return helper;
}

}  // namespace

void cancelSheet(HWND sheet) { PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); }

void cancelDialog(HWND dialog) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  PostMessageA(dialog, WM_CLOSE, 0, 0);
}

std::vector<double> timeModal(const std::function<void()>& open,
                              const std::vector<WindowAction>& actions, const WindowAction& close) {
  g_watch = Watch();
  g_watch.helper = helperWindow();
  g_watch.actions = &actions;
  g_watch.close = &close;
  g_watch.hook = SetWindowsHookExA(WH_GETMESSAGE, getMessageHook, nullptr, GetCurrentThreadId());
  if (!g_watch.hook || !g_watch.helper) fail("no message hook");
  SetTimer(g_watch.helper, kWatchdog, kWatchdogMs, nullptr);
  g_watch.start = nowMs();
  g_watch.waiting = true;
  open();
  KillTimer(g_watch.helper, kWatchdog);
  UnhookWindowsHookEx(g_watch.hook);
  // A marker still queued is taken out here, so that it cannot end the next measurement.
  MSG msg;
  while (PeekMessageA(&msg, reinterpret_cast<HWND>(-1), kMarker, kMarker, PM_REMOVE)) {
  }
  std::vector<double> phases = g_watch.phases;
  const bool complete = !g_watch.failed && phases.size() == actions.size() + 1;
  g_watch = Watch();
  return complete ? phases : std::vector<double>();
}

double timeUntilIdle(const std::function<void()>& work) {
  const double start = nowMs();
  work();
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return nowMs() - start;
}

}  // namespace bench

namespace bench {
namespace {

struct ProfileEntry {
  double inclusive = 0;
  double exclusive = 0;
  long calls = 0;
};

struct Frame {
  std::string key;
  double start;
  double children;
};

struct Profile {
  HHOOK before = nullptr, after = nullptr, retrieved = nullptr;
  std::map<std::string, ProfileEntry> entries;
  std::vector<Frame> stack;
  bool dispatching = false;  // the bottom frame is a dispatched message
};
Profile g_profile;

const char* messageName(UINT message) {
  switch (message) {
    case WM_PAINT: return "WM_PAINT";
    case WM_ERASEBKGND: return "WM_ERASEBKGND";
    case WM_NCPAINT: return "WM_NCPAINT";
    case WM_INITDIALOG: return "WM_INITDIALOG";
    case WM_DRAWITEM: return "WM_DRAWITEM";
    case WM_NOTIFY: return "WM_NOTIFY";
    case WM_COMMAND: return "WM_COMMAND";
    case WM_SETFONT: return "WM_SETFONT";
    case WM_CREATE: return "WM_CREATE";
    case WM_NCCREATE: return "WM_NCCREATE";
    case WM_SIZE: return "WM_SIZE";
    case WM_WINDOWPOSCHANGED: return "WM_WINDOWPOSCHANGED";
    case WM_WINDOWPOSCHANGING: return "WM_WINDOWPOSCHANGING";
    case WM_SHOWWINDOW: return "WM_SHOWWINDOW";
    case WM_CTLCOLORSTATIC: return "WM_CTLCOLORSTATIC";
    case WM_CTLCOLORDLG: return "WM_CTLCOLORDLG";
    case WM_CTLCOLORBTN: return "WM_CTLCOLORBTN";
    case WM_SETTEXT: return "WM_SETTEXT";
    case WM_TIMER: return "WM_TIMER";
    case WM_PRINTCLIENT: return "WM_PRINTCLIENT";
    case WM_ACTIVATE: return "WM_ACTIVATE";
    case WM_NCACTIVATE: return "WM_NCACTIVATE";
    case WM_SETFOCUS: return "WM_SETFOCUS";
    case WM_KILLFOCUS: return "WM_KILLFOCUS";
    case WM_NCCALCSIZE: return "WM_NCCALCSIZE";
    case WM_GETTEXT: return "WM_GETTEXT";
    case WM_SETICON: return "WM_SETICON";
    case WM_SETCURSOR: return "WM_SETCURSOR";
    case PSM_SETCURSEL: return "PSM_SETCURSEL";
    case LVM_INSERTITEMA: return "LVM_INSERTITEMA";
    case LVM_SETITEMTEXTA: return "LVM_SETITEMTEXTA";
    case LB_ADDSTRING: return "LB_ADDSTRING";
    case LB_INSERTSTRING: return "LB_INSERTSTRING";
    case STM_SETICON: return "STM_SETICON";
    case STM_SETIMAGE: return "STM_SETIMAGE";
    default: return nullptr;
  }
}

std::string profileKey(HWND window, UINT message) {
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  char text[96];
  const char* name = messageName(message);
  if (name) std::snprintf(text, sizeof text, "%s %s", cls, name);
  else std::snprintf(text, sizeof text, "%s 0x%04X", cls, message);
  return text;
}

void push(const std::string& key) { g_profile.stack.push_back({key, nowMs(), 0}); }

void pop() {
  if (g_profile.stack.empty()) return;
  Frame f = g_profile.stack.back();
  g_profile.stack.pop_back();
  const double inclusive = nowMs() - f.start;
  ProfileEntry& e = g_profile.entries[f.key];
  e.inclusive += inclusive;
  e.exclusive += inclusive - f.children;
  ++e.calls;
  if (!g_profile.stack.empty()) g_profile.stack.back().children += inclusive;
}

LRESULT CALLBACK profileBefore(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const CWPSTRUCT* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    push(profileKey(m->hwnd, m->message));
  }
  return CallNextHookEx(g_profile.before, code, wParam, lParam);
}

LRESULT CALLBACK profileAfter(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && g_profile.stack.size() > (g_profile.dispatching ? 1u : 0u)) pop();
  return CallNextHookEx(g_profile.after, code, wParam, lParam);
}

LRESULT CALLBACK profileRetrieved(int code, WPARAM removed, LPARAM lParam) {
  if (code == HC_ACTION && removed == PM_REMOVE) {
    // The dispatched message before this one ends here (its sent messages are done).
    if (g_profile.dispatching) {
      while (g_profile.stack.size() > 1) pop();
      pop();
    }
    const MSG* m = reinterpret_cast<const MSG*>(lParam);
    g_profile.dispatching = m->hwnd != nullptr;
    if (g_profile.dispatching) push(profileKey(m->hwnd, m->message) + " (dispatched)");
  }
  return CallNextHookEx(g_profile.retrieved, code, removed, lParam);
}

}  // namespace

void startMessageProfile() {
  const DWORD thread = GetCurrentThreadId();
  g_profile.before = SetWindowsHookExA(WH_CALLWNDPROC, profileBefore, nullptr, thread);
  g_profile.after = SetWindowsHookExA(WH_CALLWNDPROCRET, profileAfter, nullptr, thread);
  g_profile.retrieved = SetWindowsHookExA(WH_GETMESSAGE, profileRetrieved, nullptr, thread);
}

void printMessageProfile(const char* title) {
  UnhookWindowsHookEx(g_profile.before);
  UnhookWindowsHookEx(g_profile.after);
  UnhookWindowsHookEx(g_profile.retrieved);
  while (!g_profile.stack.empty()) pop();
  std::vector<std::pair<std::string, ProfileEntry>> sorted(g_profile.entries.begin(),
                                                            g_profile.entries.end());
  std::sort(sorted.begin(), sorted.end(),
            [](const auto& a, const auto& b) { return a.second.exclusive > b.second.exclusive; });
  std::fprintf(stderr, "profile of %s: ms by message (own time, with what it sent, calls)\n", title);
  for (size_t i = 0; i < sorted.size() && i < 25; ++i)
    std::fprintf(stderr, "  %8.2f %8.2f %6ld  %s\n", sorted[i].second.exclusive,
                 sorted[i].second.inclusive, sorted[i].second.calls, sorted[i].first.c_str());
  g_profile = Profile();
}

}  // namespace bench
