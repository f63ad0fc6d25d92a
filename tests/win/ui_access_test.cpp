// The suite without a mouse and with a screen reader, and the manifests that give its
// windows their look:
//  - Keyboard: Pellmark driven by keys alone (SendInput), from its window through an
//    adapter's devices to the R/W Cache page, where the read cache is switched, and on to
//    Seldarn, which is cancelled; at each step the focus is where a person expects it.
//  - Accessibility: every control that shows information by a picture only reads, through
//    AccessibleObjectFromWindow from another apartment, as a name and a value, and the
//    value says what the picture shows.
//  - Manifests: every binary carries its manifest for its width; each DLL's makes an
//    activation context with Common Controls 6, which is the active one while the DLL's
//    windows run; Pellmark runs with Common Controls 6. (Under Wine a DLL's context does
//    not bring version 6 into a process that already loaded version 5: Wine redirects no
//    common-control class and takes the comctl32 already loaded for the rest. This test
//    program, like the suite's hosts, takes version 6 by its own manifest.)
#include <windows.h>
#include <commctrl.h>
#include <cpl.h>
#include <oleacc.h>
#include <psapi.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/comptr.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/win/bands_site.h"
#include "tests/win/explorer_process.h"
#include "tests/win/explorer_testkit.h"
#include "tests/win/ui_look_support.h"

namespace {

using namespace looktest;
using explorertest::Child;
using explorertest::command;
using explorertest::pump;

constexpr char kTitle[] = "Velmora SCSI Explorer";
constexpr int kDeviceList = 1003, kReadCache = 1242, kApply = 0x3021;
constexpr int kDevicePicture = 1598, kAdapterPicture = 1597, kRateMark = 1235, kRate = 1289;
constexpr int kDeviceProperties = 32771, kDeviceClose = 32786;

// ---- keys ------------------------------------------------------------------------------

INPUT key(WORD vk, bool up) {
  INPUT in = {};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return in;
}

// One key, with the modifiers held around it, as a person types it.
void press(WORD vk, std::vector<WORD> modifiers = {}) {
  std::vector<INPUT> inputs;
  for (WORD m : modifiers) inputs.push_back(key(m, false));
  inputs.push_back(key(vk, false));
  inputs.push_back(key(vk, true));
  for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m) inputs.push_back(key(*m, true));
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The window with the keyboard focus in the thread of window.
HWND focusIn(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

// Polls another process's windows until the condition holds or the deadline passes.
bool within(DWORD milliseconds, const std::function<bool()>& condition) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start > milliseconds) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    pump();
  }
}

struct TitleSearch {
  DWORD pid;
  std::string suffix;
  HWND found;
};

BOOL CALLBACK matchTitle(HWND w, LPARAM data) {
  auto* s = reinterpret_cast<TitleSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  if (owner != s->pid || !IsWindowVisible(w)) return TRUE;
  const std::string title = orvtest::windowTitle(w);
  if (title.size() >= s->suffix.size() &&
      title.compare(title.size() - s->suffix.size(), s->suffix.size(), s->suffix) == 0) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

// A visible top-level window of the process whose title ends with suffix.
HWND windowEndingWith(DWORD pid, const std::string& suffix) {
  TitleSearch search = {pid, suffix, nullptr};
  EnumWindows(matchTitle, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND menuOf(DWORD pid) {
  HWND menu = nullptr;
  while ((menu = FindWindowExA(nullptr, menu, "#32768", nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(menu, &owner);
    if (owner == pid && IsWindowVisible(menu)) return menu;
  }
  return nullptr;
}

class Keyboard : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(explorertest::registerCorvath(), 0);
    explorertest::deleteSettings();
    // The read cache is switched and applied with its saved value: kept in memory only,
    // so that each run starts from the bus's own values and leaves nothing behind.
    SetEnvironmentVariableA("VRAX_SIM_STATE", "none");
  }
};

TEST_F(Keyboard, FromTheExplorerToTheReadCacheAndOutOfSeldarnByKeysAlone) {
  Child pellmark;
  ASSERT_TRUE(pellmark.start("pellmark.exe"));
  HWND w = explorertest::waitForWindow(pellmark.pid(), kTitle, "PellmarkDialog", 60000);
  ASSERT_NE(w, nullptr);
  SetForegroundWindow(w);
  HWND adapters = GetDlgItem(w, IDC_ADAPTER_LIST);
  // The window opens with its list in the focus.
  ASSERT_TRUE(within(10000, [&] { return focusIn(w) == adapters; }));

  // Home: the first adapter, selected. Enter: its devices.
  press(VK_HOME);
  ASSERT_TRUE(within(5000, [&] { return ListView_GetNextItem(adapters, -1, LVNI_SELECTED) == 0; }));
  press(VK_RETURN);
  HWND devices = nullptr;
  ASSERT_TRUE(within(20000, [&] { return (devices = windowEndingWith(pellmark.pid(), " Devices")) != nullptr; }));
  HWND deviceList = GetDlgItem(devices, kDeviceList);
  ASSERT_TRUE(within(5000, [&] { return focusIn(devices) == deviceList; })) << "the device list";

  // Home and Enter: the first device (a disk) and its sheet.
  press(VK_HOME);
  ASSERT_TRUE(within(5000, [&] { return ListView_GetNextItem(deviceList, -1, LVNI_SELECTED) == 0; }));
  press(VK_RETURN);
  HWND sheet = nullptr;
  ASSERT_TRUE(within(20000, [&] { return (sheet = windowEndingWith(pellmark.pid(), " Properties")) != nullptr; }));
  ASSERT_TRUE(within(5000, [&] { return IsChild(sheet, focusIn(sheet)) != FALSE; })) << "in the sheet";

  // Ctrl+Tab four times: the fifth page, R/W Cache.
  HWND tabs = PropSheet_GetTabControl(sheet);
  for (int i = 0; i < 4; ++i) press(VK_TAB, {VK_CONTROL});
  ASSERT_TRUE(within(10000, [&] { return TabCtrl_GetCurSel(tabs) == 4; })) << "page "
                                                                           << TabCtrl_GetCurSel(tabs);
  HWND page = nullptr;
  ASSERT_TRUE(within(5000, [&] {
    page = PropSheet_GetCurrentPageHwnd(sheet);
    return page && GetDlgItem(page, kReadCache);
  }));
  HWND readCache = GetDlgItem(page, kReadCache);
  ASSERT_TRUE(IsWindowEnabled(readCache));
  const LRESULT before = SendMessageA(readCache, BM_GETCHECK, 0, 0);

  // Alt+R, the box's mnemonic: the box takes the focus and switches.
  press('R', {VK_MENU});
  ASSERT_TRUE(within(5000, [&] { return focusIn(sheet) == readCache; })) << "the read cache box";
  ASSERT_TRUE(within(5000, [&] { return SendMessageA(readCache, BM_GETCHECK, 0, 0) != before; }));
  HWND apply = GetDlgItem(sheet, kApply);
  ASSERT_TRUE(within(5000, [&] { return IsWindowEnabled(apply) != FALSE; })) << "Apply offered";
  EXPECT_NE(explorertest::settledScreenshot(sheet, "keyboard_read_cache"), "");

  // Alt+A: applied on the device, which keeps the new state; Apply is spent.
  press('A', {VK_MENU});
  ASSERT_TRUE(within(10000, [&] { return !IsWindowEnabled(apply); }));
  EXPECT_NE(SendMessageA(readCache, BM_GETCHECK, 0, 0), before);

  // Esc: the sheet goes, the device list has the focus again; Esc again: the list goes.
  press(VK_ESCAPE);
  ASSERT_TRUE(within(10000, [&] { return !IsWindow(sheet); }));
  ASSERT_TRUE(within(5000, [&] { return focusIn(devices) == deviceList; })) << "back on the devices";
  press(VK_ESCAPE);
  ASSERT_TRUE(within(10000, [&] { return !IsWindow(devices); }));
  ASSERT_TRUE(within(5000, [&] { return focusIn(w) == adapters; })) << "back on the adapters";

  // Shift+F10: the selected adapter's menu; S: Seldarn. Esc: cancelled.
  press(VK_F10, {VK_SHIFT});
  ASSERT_TRUE(within(5000, [&] { return menuOf(pellmark.pid()) != nullptr; })) << "the item menu";
  press('S');
  HWND seldarn = nullptr;
  ASSERT_TRUE(within(20000, [&] { return (seldarn = windowEndingWith(pellmark.pid(), "Seldarn(TM)")) != nullptr; }));
  ASSERT_TRUE(within(5000, [&] { return IsChild(seldarn, focusIn(seldarn)) != FALSE; })) << "in Seldarn";
  press(VK_ESCAPE);
  ASSERT_TRUE(within(10000, [&] { return !IsWindow(seldarn); }));
  ASSERT_TRUE(within(5000, [&] { return focusIn(w) == adapters; })) << "back after Seldarn";

  // Esc closes the program's window, and with it the program.
  press(VK_ESCAPE);
  EXPECT_NE(pellmark.wait(30000), static_cast<DWORD>(STILL_ACTIVE));
}

// ---- accessibility ---------------------------------------------------------------------

class Accessibility : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(explorertest::registerCorvath(), 0); }
};

// Each feature mark reads as its line's label with "Yes" or "No", and "Yes" exactly where
// the page draws the tick (which shows in the scheme's window text colour).
void readFeatureMarks(HWND page) {
  struct Line {
    int mark;
    const wchar_t* name;
  };
  const Line lines[] = {{1223, L"Synchronous Data Transfer"},
                        {1228, L"Linked Commands"},
                        {1229, L"Tagged Command Queuing"},
                        {1230, L"16 Bit Data Transfer (Wide SCSI)"},
                        {1231, L"Relative Addressing"},
                        {1232, L"Soft Reset"},
                        {1233, L"Multi-port Implementation"},
                        {1234, L"Embedded Storage Array Controller"}};
  std::vector<Read> reads(8);
  Read rate;
  readFromAnotherApartment([&] {
    for (size_t i = 0; i < 8; ++i) reads[i] = readAccessible(GetDlgItem(page, lines[i].mark));
    rate = readAccessible(GetDlgItem(page, kRateMark));
  });
  const Capture c = capture(page);
  int yes = 0;
  for (size_t i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(reads[i].hr, S_OK);
    EXPECT_EQ(reads[i].name, lines[i].name);
    EXPECT_EQ(reads[i].role, ROLE_SYSTEM_GRAPHIC);
    const bool ticked =
        coloursIn(c, childRect(page, GetDlgItem(page, lines[i].mark))).count(GetSysColor(COLOR_WINDOWTEXT)) > 0;
    EXPECT_EQ(reads[i].value, ticked ? L"Yes" : L"No");
    yes += ticked;
  }
  EXPECT_GT(yes, 0);
  EXPECT_LT(yes, 8);
  // The negotiated rate, where the adapter reports it.
  if (IsWindowVisible(GetDlgItem(page, kRateMark))) {
    ASSERT_EQ(rate.hr, S_OK);
    EXPECT_EQ(rate.name, L"Actual Negotiated Transfer Rate");
    EXPECT_EQ(rate.value, wide(orvtest::itemText(page, kRate)));
  }
}

TEST_F(Accessibility, PicturesAndMarksOfCorvathsSheetsReadAsNameAndValue) {
  HMODULE cpl = LoadLibraryA("dunmere.cpl");
  ASSERT_NE(cpl, nullptr);
  auto entry = reinterpret_cast<APPLET_PROC>(reinterpret_cast<void*>(GetProcAddress(cpl, "CPlApplet")));
  ASSERT_EQ(entry(nullptr, CPL_INIT, 0, 0), 1);
  orvtest::ModalDriver driver;
  driver.expect(kTitle, [](HWND w) {
    explorertest::select(w, 0);
    command(w, ID_FILE_OPEN);
    command(w, ID_APPLET_PROPERTIES);
    command(w, ID_APPLET_CLOSE);
  });
  driver.expect("", [](HWND devices) {
    HWND items = GetDlgItem(devices, kDeviceList);
    ListView_SetItemState(items, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    command(devices, kDeviceProperties);
    command(devices, kDeviceClose);
  });
  driver.expect("", [](HWND sheet) {
    HWND general = PropSheet_GetCurrentPageHwnd(sheet);
    Read picture;
    readFromAnotherApartment([&] { picture = readAccessible(GetDlgItem(general, kDevicePicture)); });
    ASSERT_EQ(picture.hr, S_OK);
    EXPECT_EQ(picture.name, L"Picture of the device");
    EXPECT_EQ(picture.value, L"Disk");  // the first device of the first adapter
    EXPECT_EQ(picture.role, ROLE_SYSTEM_GRAPHIC);
    PropSheet_SetCurSel(sheet, nullptr, 1);
    pump();
    readFeatureMarks(PropSheet_GetCurrentPageHwnd(sheet));
    orvtest::pressButton(sheet, IDCANCEL);
  });
  driver.expect("", [](HWND sheet) {
    HWND general = PropSheet_GetCurrentPageHwnd(sheet);
    Read picture;
    readFromAnotherApartment([&] { picture = readAccessible(GetDlgItem(general, kAdapterPicture)); });
    ASSERT_EQ(picture.hr, S_OK);
    EXPECT_EQ(picture.name, L"Picture of the host adapter");
    const std::string title = orvtest::windowTitle(sheet);  // "<adapter> Properties"
    EXPECT_EQ(picture.value, wide(title.substr(0, title.rfind(" Properties"))));
    orvtest::pressButton(sheet, IDCANCEL);
  });
  EXPECT_EQ(entry(nullptr, CPL_DBLCLK, 0, 0), 0);
  EXPECT_TRUE(driver.allDone());
  entry(nullptr, CPL_STOP, 0, 0);
  entry(nullptr, CPL_EXIT, 0, 0);
  FreeLibrary(cpl);
}

struct Band {
  explicit Band(const CLSID& clsid) : site("OrvAccessSite", 480, 300), band(bandtest::createBand(clsid)) {
    fw::ComPtr<IObjectWithSite> sited;
    band->QueryInterface(IID_IObjectWithSite, sited.putVoid());
    if (sited) sited->SetSite(site.unknown());
    band->ShowDW(TRUE);
    window = bandtest::bandWindow(band.get());
    bandtest::pumpMessages();
  }
  ~Band() {
    band->CloseDW(0);
    fw::ComPtr<IObjectWithSite> sited;
    band->QueryInterface(IID_IObjectWithSite, sited.putVoid());
    if (sited) sited->SetSite(nullptr);
  }
  bandtest::FakeSite site;
  fw::ComPtr<IDeskBand> band;
  HWND window = nullptr;
};

TEST_F(Accessibility, TheBandsButtonsEntriesAndItemsReadAsNameAndValue) {
  {
    Band strip(bandtest::kStripBand);
    Read self, first, second, none;
    readFromAnotherApartment([&] {
      self = readAccessible(strip.window);
      first = readAccessible(strip.window, 1);
      second = readAccessible(strip.window, 2);
      none = readAccessible(strip.window, self.children + 1);
    });
    ASSERT_EQ(self.hr, S_OK);
    EXPECT_GE(self.children, 2);  // the two built-in entries, then the registered programs
    EXPECT_EQ(first.name, L"Velmora Web Resource");
    EXPECT_EQ(second.name, L"Scsi Learnpath");
    EXPECT_EQ(first.role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_TRUE(none.name.empty()) << "no item past the last";
  }
  {
    Band desk(bandtest::kDeskBand);
    HWND toolbar = FindWindowExA(desk.window, nullptr, TOOLBARCLASSNAMEA, nullptr);
    ASSERT_NE(toolbar, nullptr);
    const int buttons = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    ASSERT_GT(buttons, 0);
    std::vector<Read> reads(static_cast<size_t>(buttons));
    Read self;
    readFromAnotherApartment([&] {
      self = readAccessible(toolbar);
      for (int i = 0; i < buttons; ++i) reads[static_cast<size_t>(i)] = readAccessible(toolbar, i + 1);
    });
    EXPECT_EQ(self.children, buttons);
    for (int i = 0; i < buttons; ++i) {
      SCOPED_TRACE(i);
      char text[128] = {};
      SendMessageA(toolbar, TB_GETBUTTONTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      EXPECT_EQ(reads[static_cast<size_t>(i)].name, wide(text));
      EXPECT_NE(reads[static_cast<size_t>(i)].value.find(L" device(s)"), std::wstring::npos);
      RECT rc = {};
      SendMessageA(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rc));
      MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&rc), 2);
      EXPECT_TRUE(EqualRect(&rc, &reads[static_cast<size_t>(i)].location)) << "where the button is";
    }
  }
  {
    Band tree(bandtest::kTreeBand);
    HWND view = FindWindowExA(tree.window, nullptr, WC_TREEVIEWA, nullptr);
    ASSERT_NE(view, nullptr);
    HTREEITEM root = TreeView_GetRoot(view);
    TreeView_Expand(view, root, TVE_EXPAND);
    char rootText[128] = {}, childText[128] = {};
    TVITEMA item = {};
    item.mask = TVIF_TEXT;
    item.hItem = root;
    item.pszText = rootText;
    item.cchTextMax = sizeof rootText;
    TreeView_GetItem(view, &item);
    item.hItem = TreeView_GetChild(view, root);
    item.pszText = childText;
    TreeView_GetItem(view, &item);
    Read self, adapter, device;
    readFromAnotherApartment([&] {
      self = readAccessible(view);
      adapter = readAccessible(view, 1);
      device = readAccessible(view, 2);
    });
    EXPECT_EQ(self.children, static_cast<long>(TreeView_GetCount(view)));
    EXPECT_EQ(adapter.name, wide(rootText));
    EXPECT_NE(adapter.value.find(L" device(s)"), std::wstring::npos);
    EXPECT_TRUE(adapter.state & STATE_SYSTEM_EXPANDED);
    EXPECT_EQ(device.name, wide(childText));
    EXPECT_NE(device.value.find(L"connected to " + wide(rootText)), std::wstring::npos);
    EXPECT_EQ(device.role, ROLE_SYSTEM_OUTLINEITEM);
  }
}

// ---- manifests -------------------------------------------------------------------------

std::string manifestOf(const std::string& file, WORD id) {
  HMODULE module = LoadLibraryExA((explorertest::binFolder() + file).c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return {};
  std::string text;
  if (HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(24))) {
    const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    if (data) text.assign(data, SizeofResource(module, found));
  }
  FreeLibrary(module);
  return text;
}

TEST(Manifests, EveryBinaryDeclaresCommonControlsSixItsWidthAndTheWindowsItRunsOn) {
  const std::string width = sizeof(void*) == 8 ? "amd64" : "x86";
  struct Binary {
    const char* file;
    WORD id;  // a program's own manifest is 1, a DLL's 2
  };
  for (const Binary& b : {Binary{"pellmark.exe", 1}, Binary{"corvath.dll", 2},
                          Binary{"dunmere.cpl", 2}, Binary{"fenwold.dll", 2},
                          Binary{"gastrel.dll", 2}}) {
    SCOPED_TRACE(b.file);
    const std::string text = manifestOf(b.file, b.id);
    ASSERT_FALSE(text.empty()) << "no manifest " << b.id;
    EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    EXPECT_NE(text.find("processorArchitecture=\"" + width + "\""), std::string::npos);
    for (const char* os : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
      EXPECT_NE(text.find(os), std::string::npos) << os;
    }
    if (b.id == 2) {
      EXPECT_TRUE(manifestOf(b.file, 1).empty()) << "a DLL takes no program manifest";
    }
  }
  const std::string program = manifestOf("pellmark.exe", 1);
  EXPECT_NE(program.find(">true</dpiAware>"), std::string::npos);
  EXPECT_NE(program.find(">system</dpiAwareness>"), std::string::npos);
  // Pellmark asks for the highest rights its user has.
  EXPECT_NE(program.find("requestedExecutionLevel level=\"highestAvailable\""), std::string::npos);
}

// The root assembly of an activation context and whether it depends on Common Controls 6
// (its assemblies as the loader resolved them).
struct Context {
  std::wstring root;
  bool commonControls6 = false;
};
Context describe(HANDLE context) {
  Context d;
  for (DWORD index = 1; index < 8; ++index) {
    std::vector<BYTE> buffer(4096);
    SIZE_T size = 0;
    if (!QueryActCtxW(0, context, &index, AssemblyDetailedInformationInActivationContext,
                      buffer.data(), buffer.size(), &size))
      break;
    const auto* info = reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(buffer.data());
    const std::wstring identity(info->lpAssemblyEncodedAssemblyIdentity,
                                info->ulEncodedAssemblyIdentityLength / sizeof(WCHAR));
    if (index == 1) d.root = identity;
    if (identity.find(L"Microsoft.Windows.Common-Controls") != std::wstring::npos &&
        identity.find(L"6.0.") != std::wstring::npos)
      d.commonControls6 = true;
  }
  return d;
}

TEST(Manifests, EachDllsManifestMakesAContextWithCommonControlsSix) {
  for (const char* file : {"corvath.dll", "dunmere.cpl", "fenwold.dll", "gastrel.dll"}) {
    SCOPED_TRACE(file);
    const std::string path = explorertest::binFolder() + file;
    ACTCTXA actx = {};
    actx.cbSize = sizeof actx;
    actx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    actx.lpSource = path.c_str();
    actx.lpResourceName = MAKEINTRESOURCEA(2);
    HANDLE context = CreateActCtxA(&actx);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << GetLastError();
    const Context d = describe(context);
    EXPECT_NE(d.root.find(L"Velmora.Orvane."), std::wstring::npos);
    EXPECT_TRUE(d.commonControls6);
    ReleaseActCtx(context);
  }
}

// While Corvath's windows run, its own context is the active one (fw::WindowScope), so
// that the controls they make are looked up in it, whatever the host's is.
TEST(Manifests, CorvathsWindowsRunUnderCorvathsOwnContext) {
  ASSERT_EQ(explorertest::registerCorvath(), 0);
  HMODULE cpl = LoadLibraryA("dunmere.cpl");
  ASSERT_NE(cpl, nullptr);
  auto entry = reinterpret_cast<APPLET_PROC>(reinterpret_cast<void*>(GetProcAddress(cpl, "CPlApplet")));
  entry(nullptr, CPL_INIT, 0, 0);
  auto active = [] {
    HANDLE context = nullptr;
    GetCurrentActCtx(&context);
    const Context d = describe(context);
    if (context) ReleaseActCtx(context);
    return d;
  };
  orvtest::ModalDriver driver;
  driver.expect(kTitle, [&](HWND w) {
    const Context dunmere = active();
    EXPECT_NE(dunmere.root.find(L"Velmora.Orvane.Dunmere"), std::wstring::npos);
    EXPECT_TRUE(dunmere.commonControls6);
    explorertest::select(w, 0);
    command(w, ID_APPLET_PROPERTIES);
    command(w, ID_APPLET_CLOSE);
  });
  driver.expect("", [&](HWND sheet) {
    const Context corvath = active();
    EXPECT_NE(corvath.root.find(L"Velmora.Orvane.Corvath"), std::wstring::npos);
    EXPECT_TRUE(corvath.commonControls6);
    orvtest::pressButton(sheet, IDCANCEL);
  });
  entry(nullptr, CPL_DBLCLK, 0, 0);
  EXPECT_TRUE(driver.allDone());
  entry(nullptr, CPL_STOP, 0, 0);
  entry(nullptr, CPL_EXIT, 0, 0);
  FreeLibrary(cpl);
}

TEST(Manifests, PellmarkRunsWithCommonControlsSix) {
  ASSERT_EQ(explorertest::registerCorvath(), 0);
  Child pellmark;
  ASSERT_TRUE(pellmark.start("pellmark.exe"));
  HWND w = explorertest::waitForWindow(pellmark.pid(), kTitle, "PellmarkDialog", 60000);
  ASSERT_NE(w, nullptr);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pellmark.pid());
  ASSERT_NE(process, nullptr);
  HMODULE modules[512];
  DWORD needed = 0;
  bool common6 = false;
  if (EnumProcessModules(process, modules, sizeof modules, &needed)) {
    for (DWORD i = 0; i < needed / sizeof(HMODULE) && i < 512; ++i) {
      char path[MAX_PATH] = {};
      GetModuleFileNameExA(process, modules[i], path, MAX_PATH);
      std::string text = path;
      for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
      common6 = common6 || (text.find("common-controls") != std::string::npos &&
                            text.find("comctl32.dll") != std::string::npos);
    }
  }
  CloseHandle(process);
  EXPECT_TRUE(common6);
  PostMessageA(w, WM_COMMAND, ID_STANDALONE_CLOSE, 0);
  EXPECT_NE(pellmark.wait(30000), static_cast<DWORD>(STILL_ACTIVE));
}

}  // namespace
