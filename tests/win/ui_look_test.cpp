// Every window of the suite at the screen and scheme of this run (tests/win/ui_look_test.sh
// runs it at 96, 144 and 192 DPI and in a high-contrast scheme): a screenshot of each
// (look-<look>/*.png), and what can go wrong at another DPI or in another scheme checked
// on the screen: painted pictures, marks and lines drawn for the scale (their size on the
// screen is that of the drawing of that scale, which the module holds), list columns and
// band sizes grown with the DPI, and painted parts in the scheme's colours.
#include <windows.h>
#include <commctrl.h>
#include <cpl.h>
#include <oleacc.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bands/band_tables.h"
#include "framework/comptr.h"
#include "framework/scale.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/win/bands_site.h"
#include "tests/win/explorer_process.h"
#include "tests/win/explorer_testkit.h"
#include "tests/win/shellext_browser.h"
#include "tests/win/ui_look_support.h"

namespace {

using namespace looktest;
using explorertest::command;
using explorertest::list;
using explorertest::pump;
using explorertest::select;

constexpr char kTitle[] = "Velmora SCSI Explorer";
// Ids of Corvath's windows (their headers clash with the explorer's: spelled out here).
constexpr int kDeviceList = 1003;
constexpr int kDeviceDetails = 32791, kDeviceProperties = 32771, kDeviceClose = 32786;
constexpr int kDevicePicture = 1598, kSeparator = 1238, kAdapterPicture = 1597, kPciList = 1279;
constexpr int kHeading = 1516;
constexpr int kShowAllDevices = 1138, kAllSettings = 1161, kAboutVersion = 1229, kAboutFrame = 1304;
constexpr UINT kDiskPicture = 1047, kAdapterPicture256 = 1043, kSupportedMark = 1060;
constexpr UINT kNotSupportedMark = 1061, kSeparatorPicture = 1067;
constexpr int kMarks[] = {1223, 1228, 1229, 1230, 1231, 1232, 1233, 1234};
constexpr COLORREF kCyan = RGB(0, 255, 255), kRed = RGB(255, 0, 0);

HMODULE corvath() { return GetModuleHandleA("corvath.dll"); }

int step() { return fw::pictureStep(screenDpi()); }

// What the screen shows of a module picture drawn for this scale: its opaque part.
SIZE drawnSize(UINT id, COLORREF key) {
  const RECT b = opaqueBounds(corvath(), fw::pictureId(id, step()), key);
  return {b.right - b.left, b.bottom - b.top};
}

// The size of a module picture's drawing for a step, as the module holds it.
SIZE fullSize(UINT id, int pictureStep) {
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(
      corvath(), MAKEINTRESOURCEA(fw::pictureId(id, pictureStep)), IMAGE_BITMAP, 0, 0, 0));
  BITMAP info = {};
  if (bitmap) GetObjectA(bitmap, sizeof info, &info);
  if (bitmap) DeleteObject(bitmap);
  return {info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
}

// A picture shown in a place of fixed dialog units (which do not grow exactly with the
// DPI in every font): the drawing of this scale where it fits in room, else the largest
// smaller one that does, whole and at its own size.
void expectFittedPicture(RECT shown, UINT id, COLORREF key, SIZE room, const std::string& what) {
  int expected = 0;
  for (int s = step(); s > 0 && !expected; --s) {
    const SIZE full = fullSize(id, s);
    if (full.cx <= room.cx && full.cy <= room.cy) expected = s;
  }
  const RECT b = opaqueBounds(corvath(), fw::pictureId(id, expected), key);
  EXPECT_EQ(shown.right - shown.left, b.right - b.left) << what << " width at " << screenDpi() << " DPI";
  EXPECT_EQ(shown.bottom - shown.top, b.bottom - b.top) << what << " height at " << screenDpi() << " DPI";
}

void expectSize(RECT shown, SIZE drawn, const std::string& what) {
  EXPECT_EQ(shown.right - shown.left, drawn.cx) << what << " width at " << screenDpi() << " DPI";
  EXPECT_EQ(shown.bottom - shown.top, drawn.cy) << what << " height at " << screenDpi() << " DPI";
}

// In a high-contrast scheme the painted part shows only scheme colours.
void expectSchemeColours(const Capture& c, RECT rect, std::set<int> indexes,
                         const std::string& what) {
  if (!highContrast()) return;
  std::set<COLORREF> allowed;
  for (int index : indexes) allowed.insert(GetSysColor(index));
  for (COLORREF colour : coloursIn(c, rect))
    EXPECT_TRUE(allowed.count(colour)) << what << " shows " << std::hex << colour
                                       << ", no colour of the scheme";
}

// The etched line under a page's heading: as thick as the scale's drawing, in the
// scheme's 3-D colours.
void checkSeparator(HWND page, const Capture& c, const std::string& what) {
  HWND line = GetDlgItem(page, kSeparator);
  ASSERT_NE(line, nullptr) << what;
  RECT area = childRect(page, line);
  area.bottom = area.top + scaledLength(8);
  const int thickness = step() == 0 ? 1 : 2;
  EXPECT_EQ(rowsOfColour(c, area, GetSysColor(COLOR_BTNSHADOW)), thickness) << what;
  expectSchemeColours(c, area, {COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, COLOR_BTNFACE}, what);
}

HWND currentPage(HWND sheet) { return PropSheet_GetCurrentPageHwnd(sheet); }

HWND showPage(HWND sheet, int index) {
  PropSheet_SetCurSel(sheet, nullptr, index);
  pump();
  return currentPage(sheet);
}

class Look : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(explorertest::registerCorvath(), 0);
    const std::string bin = explorertest::binFolder();
    explorertest::setInstallFolder(bin.substr(0, bin.size() - 1));
  }
  void SetUp() override {
    explorertest::deleteSettings();
    if (highContrast()) {
      // The scheme this run was given, not the theme's.
      ASSERT_EQ(GetSysColor(COLOR_BTNFACE), RGB(0, 0, 96));
    } else {
      ASSERT_EQ(static_cast<int>(screenDpi()), std::stoi(look()));
    }
  }
};

// ---- the SCSI Explorer window and every window of Corvath it opens -------------------

void explorerWindow(HWND w) {
  orvtest::saveScreenshot(w, "explorer_large_icons");
  HIMAGELIST large = ListView_GetImageList(list(w), LVSIL_NORMAL);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(large, &cx, &cy);
  EXPECT_EQ(cx, GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(cx, scaledLength(32));

  command(w, ID_VIEW_DETAILS);
  const std::vector<int> widths = explorertest::columnWidths(w);
  ASSERT_EQ(widths.size(), 4u);
  EXPECT_EQ(widths[0], scaledLength(180));
  EXPECT_EQ(widths[1], scaledLength(100));
  EXPECT_EQ(widths[2], scaledLength(80));
  select(w, 0);
  SetFocus(list(w));
  orvtest::saveScreenshot(w, "explorer_details");
  const Capture c = capture(list(w));
  RECT client = {};
  GetClientRect(list(w), &client);
  // Below the rows: the list's own background. A high-contrast scheme gets the window
  // colour, not the pale picture on which its light text would not read.
  const RECT empty = {client.right / 2, client.bottom - scaledLength(20), client.right - 4,
                      client.bottom - 4};
  if (highContrast()) {
    EXPECT_EQ(coloursIn(c, empty), std::set<COLORREF>{GetSysColor(COLOR_WINDOW)});
    RECT row = {};
    ListView_GetItemRect(list(w), 1, &row, LVIR_BOUNDS);
    EXPECT_TRUE(coloursIn(c, row).count(GetSysColor(COLOR_WINDOWTEXT))) << "row text";
  }

  // Every window the explorer opens, in turn (the steps below).
  command(w, ID_FILE_OPEN);
  command(w, ID_APPLET_PROPERTIES);
  command(w, ID_APPLET_SELDARN);
  command(w, ID_HELP_ABOUT);
  command(w, ID_APPLET_CLOSE);
}

void deviceList(HWND d) {
  command(d, kDeviceDetails);
  HWND devices = GetDlgItem(d, kDeviceList);
  ASSERT_NE(devices, nullptr);
  EXPECT_EQ(ListView_GetColumnWidth(devices, 0), scaledLength(85));
  EXPECT_EQ(ListView_GetColumnWidth(devices, 1), scaledLength(115));
  int disk = -1;
  for (int i = 0; i < ListView_GetItemCount(devices) && disk < 0; ++i) {
    char type[64] = {};
    ListView_GetItemText(devices, i, 2, type, sizeof type);
    if (std::string(type) == "Disk") disk = i;
  }
  ASSERT_GE(disk, 0);
  ListView_SetItemState(devices, disk, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  SetFocus(devices);
  orvtest::saveScreenshot(d, "device_list");
  command(d, kDeviceProperties);
  command(d, kDeviceClose);
}

void deviceSheet(HWND sheet) {
  const char* names[] = {"device_general", "device_features", "device_defects", "device_mode",
                         "device_cache"};
  for (int i = 0; i < 5; ++i) {
    HWND page = showPage(sheet, i);
    ASSERT_NE(page, nullptr);
    orvtest::saveScreenshot(sheet, names[i]);
    const Capture c = capture(page);
    checkSeparator(page, c, names[i]);
    if (i == 0) {
      // The disk's picture, drawn for this scale, at its own size.
      const RECT area = childRect(page, GetDlgItem(page, kDevicePicture));
      expectFittedPicture(boundsOf(c, area, commonColour(c, area)), kDiskPicture, kCyan,
                          {area.right - area.left, area.bottom - area.top}, "device picture");
    }
    if (i == 1) {
      const SIZE mark = drawnSize(kSupportedMark, kRed);
      EXPECT_EQ(mark.cx, drawnSize(kNotSupportedMark, kRed).cx);
      for (int id : kMarks) {
        // The mark reaches beyond its control: the area around it starts on the page.
        RECT area = childRect(page, GetDlgItem(page, id));
        InflateRect(&area, scaledLength(4), scaledLength(4));
        expectSize(boundsOf(c, area, c.at(area.left, area.top)), mark, "mark " + std::to_string(id));
        expectSchemeColours(c, area,
                            {COLOR_WINDOW, COLOR_BTNSHADOW, COLOR_3DLIGHT, COLOR_WINDOWTEXT,
                             COLOR_BTNFACE},
                            "mark " + std::to_string(id));
      }
    }
    if (highContrast()) {
      EXPECT_EQ(c.at(2, c.height - 3), GetSysColor(COLOR_BTNFACE)) << names[i];
    }
  }
  orvtest::pressButton(sheet, IDCANCEL);
}

// The heading's text, in its own font, on the label's one line (a second line is cut off).
void expectHeadingOnOneLine(HWND page, const std::string& name) {
  HWND label = GetDlgItem(page, kHeading);
  ASSERT_NE(label, nullptr) << name;
  const std::string text = orvtest::windowTitle(label);
  RECT box = {};
  GetClientRect(label, &box);
  RECT needed = box;
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
  DrawTextA(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  EXPECT_LE(needed.bottom - needed.top, box.bottom - box.top)
      << name << ": \"" << text << "\" wraps in a label " << box.right << " wide";
}

void adapterSheet(HWND sheet) {
  HWND page = showPage(sheet, 0);
  orvtest::saveScreenshot(sheet, "adapter_general");
  const Capture c = capture(page);
  checkSeparator(page, c, "adapter General");
  expectHeadingOnOneLine(page, "adapter General");
  const RECT area = childRect(page, GetDlgItem(page, kAdapterPicture));
  expectFittedPicture(boundsOf(c, area, commonColour(c, area)), kAdapterPicture256, kCyan,
                      {area.right - area.left, area.bottom - area.top}, "adapter picture");
  page = showPage(sheet, 1);
  orvtest::saveScreenshot(sheet, "adapter_pci");
  EXPECT_EQ(ListView_GetColumnWidth(GetDlgItem(page, kPciList), 0), scaledLength(200));
  orvtest::pressButton(sheet, IDCANCEL);
}

void seldarnSheet(HWND sheet) {
  const char* names[] = {"seldarn_bus_interface", "seldarn_boot_device", "seldarn_device_config",
                         "seldarn_advanced"};
  for (int i = 0; i < 4; ++i) {
    HWND page = showPage(sheet, i);
    orvtest::saveScreenshot(sheet, names[i]);
    checkSeparator(page, capture(page), names[i]);
    expectHeadingOnOneLine(page, names[i]);
  }
  HWND config = showPage(sheet, 2);
  orvtest::pressButton(config, kShowAllDevices);
  pump();  // the All Device Configuration window, and its step
  orvtest::pressButton(sheet, IDCANCEL);
}

void allDevices(HWND dialog) {
  orvtest::saveScreenshot(dialog, "seldarn_all_devices");
  EXPECT_EQ(ListView_GetColumnWidth(GetDlgItem(dialog, kAllSettings), 0), scaledLength(32));
  orvtest::pressButton(dialog, IDOK);
}

void aboutBox(HWND about) {
  orvtest::saveScreenshot(about, "about");
  const Capture c = capture(about);
  RECT frame = childRect(about, GetDlgItem(about, kAboutFrame));
  // The picture is one of its drawings at its own size, this scale's or a smaller one
  // where that would not leave room for the title in the frame; never cut off.
  int shownStep = -1;
  RECT top = frame;
  for (int s = step(); s >= 0 && shownStep < 0; --s) {
    const RECT opaque = opaqueBounds(corvath(), fw::pictureId(1078, s), RGB(255, 255, 255));
    top.bottom = top.top + opaque.bottom;
    const RECT shown = boundsOf(c, top, GetSysColor(COLOR_BTNFACE));
    if (shown.right - shown.left == opaque.right - opaque.left) shownStep = s;
  }
  ASSERT_GE(shownStep, 0) << "About picture at none of its drawings' sizes";
  EXPECT_LT(frame.top + fullSize(1078, shownStep).cy, frame.bottom) << "About picture over the title";
  if (highContrast()) {
    // The version line and the title in the scheme's text and 3-D colours; none of the
    // fixed black, white and grey that a classic face took.
    const RECT version = childRect(about, GetDlgItem(about, kAboutVersion));
    const std::set<COLORREF> text = coloursIn(c, version);
    EXPECT_TRUE(text.count(GetSysColor(COLOR_BTNTEXT)));
    EXPECT_FALSE(text.count(RGB(0, 0, 0)));
    RECT title = frame;
    title.top = top.bottom;
    const std::set<COLORREF> titleColours = coloursIn(c, title);
    EXPECT_TRUE(titleColours.count(GetSysColor(COLOR_BTNSHADOW)));
    EXPECT_FALSE(titleColours.count(RGB(255, 255, 255)));
    EXPECT_FALSE(titleColours.count(RGB(178, 178, 178)));
  }
  orvtest::pressButton(about, IDOK);
}

TEST_F(Look, TheExplorerWindowAndEveryWindowOfCorvath) {
  HMODULE cpl = LoadLibraryA("dunmere.cpl");
  ASSERT_NE(cpl, nullptr);
  auto entry = reinterpret_cast<APPLET_PROC>(reinterpret_cast<void*>(GetProcAddress(cpl, "CPlApplet")));
  ASSERT_EQ(entry(nullptr, CPL_INIT, 0, 0), 1);
  orvtest::ModalDriver driver;
  driver.expect(kTitle, explorerWindow);
  driver.expect("", deviceList);
  driver.expect("", deviceSheet);
  driver.expect("", adapterSheet);
  driver.expect("", seldarnSheet);
  driver.expect("All Device Configuration", allDevices);
  driver.expect("About Velmora SCSI Explorer", aboutBox);
  EXPECT_EQ(entry(nullptr, CPL_DBLCLK, 0, 0), 0);
  EXPECT_TRUE(driver.allDone());
  EXPECT_TRUE(driver.unexpected().empty());
  entry(nullptr, CPL_STOP, 0, 0);
  entry(nullptr, CPL_EXIT, 0, 0);
  FreeLibrary(cpl);
}

// ---- the bands ------------------------------------------------------------------------

struct Hosted {
  Hosted(const CLSID& clsid, const char* siteClass, int width, int height)
      : site(siteClass, width, height), band(bandtest::createBand(clsid)) {
    fw::ComPtr<IObjectWithSite> sited;
    band->QueryInterface(IID_IObjectWithSite, sited.putVoid());
    placed = sited && sited->SetSite(site.unknown()) == S_OK;
    band->ShowDW(TRUE);
    window = bandtest::bandWindow(band.get());
    bandtest::pumpMessages();
  }
  ~Hosted() {
    band->CloseDW(0);
    fw::ComPtr<IObjectWithSite> sited;
    band->QueryInterface(IID_IObjectWithSite, sited.putVoid());
    if (sited) sited->SetSite(nullptr);
  }
  DESKBANDINFO info() {
    DESKBANDINFO i = {};
    i.dwMask = DBIM_MINSIZE | DBIM_MAXSIZE;
    band->GetBandInfo(0, DBIF_VIEWMODE_NORMAL, &i);
    return i;
  }
  bandtest::FakeSite site;
  fw::ComPtr<IDeskBand> band;
  bool placed = false;
  HWND window = nullptr;
};

TEST_F(Look, TheBands) {
  {
    Hosted tree(bandtest::kTreeBand, "OrvLookSite", scaledLength(300), scaledLength(420));
    ASSERT_TRUE(tree.placed);
    HWND view = FindWindowExA(tree.window, nullptr, WC_TREEVIEWA, nullptr);
    ASSERT_NE(view, nullptr);
    TreeView_Expand(view, TreeView_GetRoot(view), TVE_EXPAND);
    orvtest::saveScreenshot(tree.site.window(), "band_tree");
    int cx = 0, cy = 0;
    ImageList_GetIconSize(TreeView_GetImageList(view, TVSIL_NORMAL), &cx, &cy);
    EXPECT_EQ(cx, scaledLength(32));
    EXPECT_EQ(tree.info().ptMinSize.y, scaledLength(10));
    if (highContrast()) {
      const Capture c = capture(view);
      EXPECT_EQ(c.at(c.width - 3, c.height - 3), GetSysColor(COLOR_SCROLLBAR));
    }
  }
  {
    Hosted strip(bandtest::kStripBand, "OrvLookSite", scaledLength(640), scaledLength(40));
    ASSERT_TRUE(strip.placed);
    strip.band->ShowDW(FALSE);  // holds the strip still for the picture
    ShowWindow(strip.window, SW_SHOW);
    orvtest::saveScreenshot(strip.site.window(), "band_strip");
    const DESKBANDINFO info = strip.info();
    EXPECT_EQ(info.ptMinSize.y, scaledLength(40));
    EXPECT_EQ(info.ptMaxSize.y, scaledLength(40));
    // Each entry as wide as the scale makes it, where a screen reader finds it.
    Read first;
    readFromAnotherApartment([&] { first = readAccessible(strip.window, 1); });
    ASSERT_EQ(first.hr, S_OK);
    EXPECT_EQ(first.location.right - first.location.left, scaledLength(200));
    EXPECT_EQ(first.location.bottom - first.location.top, scaledLength(40));
    const Capture c = capture(strip.window);
    const RECT cell = {scaledLength(200) - scaledLength(30), 2, scaledLength(200) - 2, scaledLength(12)};
    EXPECT_EQ(commonColour(c, cell), GetSysColor(COLOR_MENU)) << "an entry's ground";
    const RECT text = {scaledLength(36), scaledLength(14), scaledLength(200), scaledLength(40)};
    EXPECT_TRUE(coloursIn(c, text).count(GetSysColor(COLOR_MENUTEXT))) << "an entry's name";
  }
  for (const char* siteClass : {"OrvLookSite", "Shell_TrayWnd"}) {
    const bool taskbar = std::string(siteClass) == "Shell_TrayWnd";
    Hosted desk(bandtest::kDeskBand, siteClass, scaledLength(420), scaledLength(taskbar ? 24 : 44));
    ASSERT_TRUE(desk.placed);
    orvtest::saveScreenshot(desk.site.window(), taskbar ? "band_desk_taskbar" : "band_desk");
    HWND toolbar = FindWindowExA(desk.window, nullptr, TOOLBARCLASSNAMEA, nullptr);
    ASSERT_NE(toolbar, nullptr);
    const bands::DeskSize size =
        bands::deskSizeAt(taskbar ? bands::kSmallDesk : bands::kLargeDesk, screenDpi());
    int cx = 0, cy = 0;
    ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0)),
                          &cx, &cy);
    EXPECT_EQ(cx, size.image);
    EXPECT_EQ(size.image, scaledLength(taskbar ? 16 : 32));
  }
}

// ---- the shell folder's view --------------------------------------------------------

TEST_F(Look, TheShellFoldersView) {
  shelltest::FakeBrowser browser(false, scaledLength(640), scaledLength(420));
  fw::ComPtr<IShellFolder> folder = shelltest::rootFolder();
  ASSERT_TRUE(folder);
  fw::ComPtr<IShellView> view;
  ASSERT_EQ(folder->CreateViewObject(browser.frame(), IID_IShellView, view.putVoid()), S_OK);
  FOLDERSETTINGS settings = {FVM_DETAILS, 0};
  RECT area = browser.viewArea();
  HWND window = nullptr;
  ASSERT_EQ(view->CreateViewWindow(nullptr, &settings, &browser, &area, &window), S_OK);
  view->UIActivate(SVUIA_ACTIVATE_FOCUS);
  shelltest::pumpMessages();
  HWND items = FindWindowExA(window, nullptr, WC_LISTVIEWA, nullptr);
  ASSERT_NE(items, nullptr);
  EXPECT_EQ(ListView_GetColumnWidth(items, 0), scaledLength(138));
  orvtest::saveScreenshot(browser.frame(), "shell_view");
  view->UIActivate(SVUIA_DEACTIVATE);
  view->DestroyViewWindow();
}

}  // namespace
