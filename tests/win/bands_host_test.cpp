// Gastrel's three bands in a band site of our own, as the shell or the browser would host
// them: made by the module's class factory, given a site, asked for their band
// information, shown, activated, asked for their context menus, sent the notifications
// of their controls, and closed. The real Corvath serves a small simulated bus.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "client/corvath_obj_driver.h"
#include "contract/records.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/win/bands_site.h"
#include "tests/win/server_support.h"
#include "tests/win/shared_bus.h"

namespace {

using namespace bandtest;

// Two adapters whose devices cover the tree's images, among them a type 11 device.
const std::string kBus = orvtest::legacyPairBus("KESTREL-UW") + R"(  device 12
    inquiry    0C 00 03 02 1F 80 00 32 "MIRLOW  " "ARRAY CTRL 4X   " "2.11"
)";

constexpr char kAppListKey[] = "Software\\Velmora\\Orvane\\6.0\\AppList";
constexpr char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Orvane";
constexpr char kProbeRelease[] = "orv_bands_probe_release";

std::string tempFile(const std::string& name) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + "orv_" + std::to_string(GetCurrentProcessId()) + "_" + name;
}

std::string text(const char* field, size_t size) {
  size_t n = 0;
  while (n < size && field[n]) ++n;
  return std::string(field, n);
}
#define FIELD(f) text(f, sizeof f)

std::string wideToText(const WCHAR* w) {
  char out[512] = {};
  WideCharToMultiByte(CP_ACP, 0, w, -1, out, sizeof out - 1, nullptr, nullptr);
  return out;
}

std::string menuText(HMENU menu, UINT position) {
  char buffer[128] = {};
  GetMenuStringA(menu, position, buffer, sizeof buffer, MF_BYPOSITION);
  return buffer;
}

// The cursor at a point of a window's client area (or far away from every window).
void cursorTo(HWND window, int x, int y) {
  POINT pt = {x, y};
  ClientToScreen(window, &pt);
  SetCursorPos(pt.x, pt.y);
}
void cursorAway() { SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2); }

void deleteAppList() { RegDeleteKeyA(HKEY_CURRENT_USER, kAppListKey); }

void registerApp(const std::string& name, const std::string& data) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kAppListKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                 static_cast<DWORD>(data.size() + 1));
  RegCloseKey(key);
}

// The process ids of this process's children (optionally only those of one program).
std::vector<DWORD> children(const char* exeName = nullptr) {
  std::vector<DWORD> ids;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return ids;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL ok = Process32First(snap, &entry); ok; ok = Process32Next(snap, &entry)) {
    if (entry.th32ParentProcessID != GetCurrentProcessId()) continue;
    if (exeName && lstrcmpiA(entry.szExeFile, exeName) != 0) continue;
    HANDLE p = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID);
    // Only the ones still running count (a finished child may linger in the list).
    if (p && WaitForSingleObject(p, 0) == WAIT_TIMEOUT) ids.push_back(entry.th32ProcessID);
    if (p) CloseHandle(p);
  }
  CloseHandle(snap);
  return ids;
}

void endChildren() {
  for (DWORD id : children()) {
    HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (!p) continue;
    if (WaitForSingleObject(p, 0) == WAIT_TIMEOUT) TerminateProcess(p, 1);
    WaitForSingleObject(p, 10000);
    CloseHandle(p);
  }
}

// Runs what a band posted to its own window: the actions it takes out of its controls'
// notifications.
void runPosted(HWND window) {
  MSG msg;
  while (PeekMessageA(&msg, window, WM_APP, 0xBFFF, PM_REMOVE)) DispatchMessageA(&msg);
}

// The texts of a window's controls, in order.
std::vector<std::string> controlTexts(HWND window) {
  std::vector<std::string> texts;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char buffer[256] = {};
    GetWindowTextA(child, buffer, sizeof buffer);
    texts.push_back(buffer);
  }
  return texts;
}

// A sheet that still works on its records: it turns to its second page, made from them
// now, and back to the first, which shows what it showed.
void expectSheetWorks(HWND sheet, const std::vector<std::string>& firstPage) {
  EXPECT_GT(orvtest::tabCount(sheet), 1);
  SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
  HWND second = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  EXPECT_FALSE(controlTexts(second).empty());
  SendMessageA(sheet, PSM_SETCURSEL, 0, 0);
  HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  EXPECT_EQ(controlTexts(page), firstPage);
}

std::vector<std::string> currentPageTexts(HWND sheet) {
  return controlTexts(reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)));
}

LRESULT notify(HWND band, HWND from, UINT id, NMHDR* header, UINT code) {
  header->hwndFrom = from;
  header->idFrom = id;
  header->code = code;
  return SendMessageA(band, WM_NOTIFY, id, reinterpret_cast<LPARAM>(header));
}

class BandHost : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_FALSE(orvtest::serveBus(kBus, "orv_{pid}_bands.bus").empty());
    ASSERT_EQ(servertest::registerCorvath(), S_OK);
    ASSERT_NE(gastrel(), nullptr);
  }
  void SetUp() override {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    ASSERT_TRUE(server.create());
    count = server.GetHostAdaptersCount();
    records = CorvathObjDriver::records<inv::HostAdapterInfo>(server.GetHostAdaptersList());
    ASSERT_EQ(count, 2);
    ASSERT_NE(records, nullptr);
    cursorAway();
  }
  void TearDown() override {
    EXPECT_TRUE(driver.unexpected().empty()) << driver.unexpected().front();
    server.release();
    CoUninitialize();
  }

  orvtest::ModalDriver driver;
  CorvathObjDriver server;  // the same bus as the bands see, for comparison
  long count = 0;
  const inv::HostAdapterInfo* records = nullptr;
};

// ---- the module and the interface tables --------------------------------------------

TEST_F(BandHost, FactoryMakesEachBandWithItsFiveInterfaceTables) {
  const IID* answered[] = {&IID_IUnknown,      &IID_IOleWindow,      &IID_IDockingWindow,
                           &IID_IDeskBand,     &IID_IInputObject,    &IID_IObjectWithSite,
                           &IID_IPersist,      &IID_IPersistStream,  &IID_IContextMenu};
  for (const CLSID* clsid : {&kTreeBand, &kStripBand, &kDeskBand}) {
    fw::ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassObject(*clsid, IID_IClassFactory, factory.putVoid()), S_OK);
    fw::ComPtr<IUnknown> refused;
    EXPECT_EQ(factory->CreateInstance(factory.get(), IID_IUnknown, refused.putVoid()),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->LockServer(TRUE), E_NOTIMPL);

    fw::ComPtr<IUnknown> band;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, band.putVoid()), S_OK);
    for (const IID* iid : answered) {
      fw::ComPtr<IUnknown> table, identity;
      ASSERT_EQ(band->QueryInterface(*iid, table.putVoid()), S_OK);
      ASSERT_EQ(table->QueryInterface(IID_IUnknown, identity.putVoid()), S_OK);
      EXPECT_EQ(identity.get(), band.get());
    }
    fw::ComPtr<IUnknown> none;
    EXPECT_EQ(band->QueryInterface(IID_IDispatch, none.putVoid()), E_NOINTERFACE);

    fw::ComPtr<IPersistStream> persist;
    ASSERT_EQ(band->QueryInterface(IID_IPersistStream, persist.putVoid()), S_OK);
    CLSID id = {};
    EXPECT_EQ(persist->GetClassID(&id), S_OK);
    EXPECT_TRUE(IsEqualCLSID(id, *clsid));
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    EXPECT_EQ(persist->Load(nullptr), S_OK);
    EXPECT_EQ(persist->Save(nullptr, TRUE), S_OK);
    ULARGE_INTEGER size = {};
    EXPECT_EQ(persist->GetSizeMax(&size), E_NOTIMPL);

    fw::ComPtr<IDeskBand> desk;
    ASSERT_EQ(band->QueryInterface(IID_IDeskBand, desk.putVoid()), S_OK);
    EXPECT_EQ(desk->ContextSensitiveHelp(TRUE), E_NOTIMPL);
    EXPECT_EQ(desk->ResizeBorderDW(nullptr, nullptr, FALSE), E_NOTIMPL);
    EXPECT_EQ(desk->GetBandInfo(0, 0, nullptr), E_INVALIDARG);

    fw::ComPtr<IInputObject> input;
    ASSERT_EQ(band->QueryInterface(IID_IInputObject, input.putVoid()), S_OK);
    EXPECT_EQ(input->TranslateAcceleratorIO(nullptr), S_FALSE);
    EXPECT_EQ(input->HasFocusIO(), S_FALSE);

    fw::ComPtr<IObjectWithSite> sited;
    ASSERT_EQ(band->QueryInterface(IID_IObjectWithSite, sited.putVoid()), S_OK);
    fw::ComPtr<IUnknown> site;
    EXPECT_EQ(sited->GetSite(IID_IUnknown, site.putVoid()), E_FAIL);
    EXPECT_EQ(sited->SetSite(nullptr), S_OK);
    // A site without a window cannot hold a band.
    EXPECT_EQ(sited->SetSite(factory.get()), E_FAIL);
  }
  fw::ComPtr<IClassFactory> other;
  EXPECT_EQ(getClassObject(IID_IDeskBand, IID_IClassFactory, other.putVoid()),
            CLASS_E_CLASSNOTAVAILABLE);
}

TEST_F(BandHost, ModuleMayUnloadOnceEveryBandAndFactoryIsReleased) {
  EXPECT_EQ(canUnloadNow(), S_OK);
  {
    fw::ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassObject(kStripBand, IID_IClassFactory, factory.putVoid()), S_OK);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
  }
  EXPECT_EQ(canUnloadNow(), S_OK);
  {
    FakeSite site("OrvBandSite", 500, 300);
    std::vector<fw::ComPtr<IDeskBand>> bands;
    for (const CLSID* clsid : {&kTreeBand, &kStripBand, &kDeskBand}) {
      bands.push_back(createBand(*clsid));
      ASSERT_TRUE(bands.back());
      fw::ComPtr<IObjectWithSite> sited;
      bands.back()->QueryInterface(IID_IObjectWithSite, sited.putVoid());
      ASSERT_EQ(sited->SetSite(site.unknown()), S_OK);
      EXPECT_EQ(bands.back()->ShowDW(TRUE), S_OK);
    }
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    // One closed, one released without being closed, one given up by its site.
    EXPECT_EQ(bands[0]->CloseDW(0), S_OK);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    bands.clear();
    EXPECT_EQ(canUnloadNow(), S_OK);
    // The bands gave back every reference to their site.
    EXPECT_EQ(site.references(), 1);
  }
}

// ---- band information -----------------------------------------------------------------

struct BandInfoRow {
  const CLSID* clsid;
  POINTL min, max;
  const wchar_t* title;
  DWORD modeFlags;
};

TEST_F(BandHost, BandInformationForEveryField) {
  FakeSite site("OrvBandSite", 640, 300);
  const BandInfoRow rows[] = {
      {&kTreeBand, {10, 10}, {320, -1}, L"Velmora Scsi &Explorer Band", DBIMF_VARIABLEHEIGHT},
      {&kStripBand, {10, 40}, {-1, 40}, L"", DBIMF_NORMAL},
      {&kDeskBand, {10, 10}, {-1, -1}, L"Velmora", DBIMF_VARIABLEHEIGHT},
  };
  const DWORD all = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_TITLE |
                    DBIM_MODEFLAGS | DBIM_BKCOLOR;
  for (const BandInfoRow& row : rows) {
    fw::ComPtr<IDeskBand> band = createBand(*row.clsid);
    ASSERT_TRUE(band);
    fw::ComPtr<IObjectWithSite> sited;
    band->QueryInterface(IID_IObjectWithSite, sited.putVoid());
    ASSERT_EQ(sited->SetSite(site.unknown()), S_OK);

    DESKBANDINFO info;
    std::memset(&info, 0x55, sizeof info);
    info.dwMask = all;
    ASSERT_EQ(band->GetBandInfo(3, DBIF_VIEWMODE_NORMAL, &info), S_OK);
    EXPECT_EQ(info.ptMinSize.x, row.min.x);
    EXPECT_EQ(info.ptMinSize.y, row.min.y);
    EXPECT_EQ(info.ptMaxSize.x, row.max.x);
    EXPECT_EQ(info.ptMaxSize.y, row.max.y);
    EXPECT_EQ(info.ptIntegral.x, 1);
    EXPECT_EQ(info.ptIntegral.y, 1);
    EXPECT_EQ(info.ptActual.x, 0);
    EXPECT_EQ(info.ptActual.y, 0);
    EXPECT_EQ(std::wstring(info.wszTitle), row.title);
    EXPECT_EQ(info.dwModeFlags, row.modeFlags);
    // The host's own background: the flag is taken back, the colour left alone.
    EXPECT_EQ(info.dwMask, all & ~static_cast<DWORD>(DBIM_BKCOLOR));
    EXPECT_EQ(info.crBkgnd, 0x55555555u);

    // Only the fields asked for are written.
    std::memset(&info, 0x55, sizeof info);
    info.dwMask = DBIM_TITLE;
    ASSERT_EQ(band->GetBandInfo(4, DBIF_VIEWMODE_VERTICAL, &info), S_OK);
    EXPECT_EQ(std::wstring(info.wszTitle), row.title);
    EXPECT_EQ(info.ptMinSize.x, 0x55555555);
    EXPECT_EQ(info.dwModeFlags, 0x55555555u);
    band->CloseDW(0);
  }
}

// ---- the adapter tree -----------------------------------------------------------------

class TreeBandHost : public BandHost {
 protected:
  void SetUp() override {
    BandHost::SetUp();
    open();
  }
  void open() {
    band = createBand(kTreeBand);
    ASSERT_TRUE(band);
    band->QueryInterface(IID_IObjectWithSite, sited.putVoid());
    ASSERT_EQ(sited->SetSite(site.unknown()), S_OK);
    window = bandWindow(band.get());
    tree = GetDlgItem(window, 101);
    ASSERT_NE(tree, nullptr);
    ASSERT_EQ(band->ShowDW(TRUE), S_OK);
  }
  void TearDown() override {
    if (band) band->CloseDW(0);
    band.reset();
    sited.reset();
    BandHost::TearDown();
  }
  HTREEITEM root(int index) const {
    HTREEITEM item = TreeView_GetRoot(tree);
    while (item && index-- > 0) item = TreeView_GetNextSibling(tree, item);
    return item;
  }
  HTREEITEM child(HTREEITEM parent, int index) const {
    HTREEITEM item = TreeView_GetChild(tree, parent);
    while (item && index-- > 0) item = TreeView_GetNextSibling(tree, item);
    return item;
  }
  TVITEMA item(HTREEITEM handle, char* buffer, int size) const {
    TVITEMA data = {};
    data.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
    data.hItem = handle;
    data.pszText = buffer;
    data.cchTextMax = size;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    return data;
  }
  std::string tip(HTREEITEM handle, int size = 512) {
    std::vector<char> buffer(static_cast<size_t>(size) + 8, '#');
    NMTVGETINFOTIPA info = {};
    info.hItem = handle;
    info.pszText = buffer.data();
    info.cchTextMax = size;
    notify(window, tree, 101, &info.hdr, TVN_GETINFOTIPA);
    EXPECT_EQ(buffer[static_cast<size_t>(size)], '#') << "written past the host's buffer";
    return buffer.data();
  }
  int imageSize() const {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(TreeView_GetImageList(tree, TVSIL_NORMAL), &cx, &cy);
    return cx;
  }
  fw::ComPtr<IContextMenu> menu() {
    fw::ComPtr<IContextMenu> cm;
    band->QueryInterface(IID_IContextMenu, cm.putVoid());
    return cm;
  }

  FakeSite site{"OrvBandSite", 360, 520};
  fw::ComPtr<IDeskBand> band;
  fw::ComPtr<IObjectWithSite> sited;
  HWND window = nullptr;
  HWND tree = nullptr;
};

TEST_F(TreeBandHost, BandWindowFillsTheSiteAndShowsOnlyWhenAsked) {
  EXPECT_EQ(className(window), "ScsiExplBarClass");
  EXPECT_EQ(GetParent(window), site.window());
  EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_BORDER);
  RECT client = {}, placed = {};
  GetClientRect(site.window(), &client);
  GetWindowRect(window, &placed);
  MapWindowPoints(nullptr, site.window(), reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_TRUE(EqualRect(&client, &placed));
  EXPECT_TRUE(IsWindowVisible(window));
  band->ShowDW(FALSE);
  EXPECT_FALSE(IsWindowVisible(window));
  band->ShowDW(TRUE);
  fw::ComPtr<IInputObjectSite> held;
  EXPECT_EQ(sited->GetSite(IID_IInputObjectSite, held.putVoid()), S_OK);
  EXPECT_EQ(held.get(), static_cast<IInputObjectSite*>(&site));

  // A new band, not yet shown, is hidden.
  fw::ComPtr<IDeskBand> other = createBand(kTreeBand);
  fw::ComPtr<IObjectWithSite> otherSited;
  other->QueryInterface(IID_IObjectWithSite, otherSited.putVoid());
  ASSERT_EQ(otherSited->SetSite(site.unknown()), S_OK);
  EXPECT_FALSE(IsWindowVisible(bandWindow(other.get())));
  other->CloseDW(0);
}

TEST_F(TreeBandHost, TreeHoldsTheAdaptersAndTheirDevicesWithTheirImages) {
  EXPECT_EQ(className(tree), "SysTreeView32");
  EXPECT_EQ(TreeView_GetBkColor(tree), GetSysColor(COLOR_SCROLLBAR));
  EXPECT_EQ(imageSize(), GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(ImageList_GetImageCount(TreeView_GetImageList(tree, TVSIL_NORMAL)), 12);
  const LONG style = GetWindowLongA(tree, GWL_STYLE);
  EXPECT_EQ(style & (TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT), 0);
  EXPECT_EQ(style & (TVS_INFOTIP | TVS_FULLROWSELECT | TVS_SINGLEEXPAND | TVS_TRACKSELECT),
            TVS_INFOTIP | TVS_FULLROWSELECT | TVS_SINGLEEXPAND | TVS_TRACKSELECT);

  ASSERT_EQ(TreeView_GetCount(tree), 2u + records[0].deviceCount + records[1].deviceCount);
  char buffer[128];
  const int expectedImages[2][4] = {{5, 11, 0, 10}, {9, 7, 1, 11}};
  for (int a = 0; a < 2; ++a) {
    TVITEMA r = item(root(a), buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer), FIELD(records[a].displayName));
    EXPECT_EQ(r.iImage, 4);
    EXPECT_EQ(r.iSelectedImage, 4);
    EXPECT_EQ(r.cChildren, records[a].deviceCount);
    ASSERT_EQ(records[a].deviceCount, 4);
    for (int d = 0; d < 4; ++d) {
      TVITEMA c = item(child(root(a), d), buffer, sizeof buffer);
      EXPECT_EQ(std::string(buffer), FIELD(records[a].devices[d].product));
      EXPECT_EQ(c.iImage, expectedImages[a][d]) << a << "/" << d;
      EXPECT_EQ(c.iSelectedImage, expectedImages[a][d]);
      EXPECT_EQ(c.lParam, d);
    }
  }
  // The type 11 device shows image 11, the unknown device, not the adapter's image 4.
  ASSERT_EQ(records[0].devices[1].deviceType, 11);
  EXPECT_EQ(item(child(root(0), 1), buffer, sizeof buffer).iImage, 11);

  // Image 4 is the adapter icon, image 11 the unknown type's.
  HIMAGELIST list = TreeView_GetImageList(tree, TVSIL_NORMAL);
  EXPECT_NE(list, nullptr);

  TreeView_Expand(tree, root(0), TVE_EXPAND);
  TreeView_SelectItem(tree, child(root(0), 2));
  UpdateWindow(site.window());
  EXPECT_NE(orvtest::saveScreenshot(site.window(), "bands_tree"), "");
}

TEST_F(TreeBandHost, TipsNameTheDeviceAndWhereItIsConnected) {
  const inv::DeviceInfo& disk = records[0].devices[0];
  EXPECT_EQ(tip(child(root(0), 0)),
            "QUORIX QX-18LVD         Rev:0911\nconnected to " + FIELD(records[0].displayName) +
                " on Scsi ID " + std::to_string(disk.target));
  EXPECT_EQ(tip(child(root(1), 3)).substr(0, 32), "MIRLOW ARRAY CTRL 4X    Rev:2.11");
  EXPECT_NE(tip(child(root(1), 3)).find(" on Scsi ID 12"), std::string::npos);
  EXPECT_EQ(tip(root(1)), FIELD(records[1].displayName));
  // A small host buffer gets what fits, terminated, and nothing beyond.
  EXPECT_EQ(tip(child(root(0), 0), 10), "QUORIX QX");
}

TEST_F(TreeBandHost, DeviceItemsDrawOnTheLightBackground) {
  NMTVCUSTOMDRAW draw = {};
  draw.nmcd.dwDrawStage = CDDS_PREPAINT;
  EXPECT_EQ(notify(window, tree, 101, &draw.nmcd.hdr, NM_CUSTOMDRAW), CDRF_NOTIFYITEMDRAW);
  draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
  draw.nmcd.dwItemSpec = reinterpret_cast<DWORD_PTR>(child(root(1), 0));
  draw.clrTextBk = RGB(1, 2, 3);
  EXPECT_EQ(notify(window, tree, 101, &draw.nmcd.hdr, NM_CUSTOMDRAW), CDRF_NEWFONT);
  EXPECT_EQ(draw.clrTextBk, GetSysColor(COLOR_3DLIGHT));
  draw.nmcd.dwItemSpec = reinterpret_cast<DWORD_PTR>(root(1));
  draw.clrTextBk = RGB(1, 2, 3);
  EXPECT_EQ(notify(window, tree, 101, &draw.nmcd.hdr, NM_CUSTOMDRAW), CDRF_NEWFONT);
  EXPECT_EQ(draw.clrTextBk, RGB(1, 2, 3));
}

TEST_F(TreeBandHost, DoubleClickOpensTheSelectedItemsProperties) {
  TreeView_SelectItem(tree, child(root(0), 0));
  driver.expect("QUORIX QX-18LVD         Properties",
                [](HWND sheet) { orvtest::pressButton(sheet, IDCANCEL); });
  NMHDR header = {};
  notify(window, tree, 101, &header, NM_DBLCLK);
  runPosted(window);
  EXPECT_TRUE(driver.allDone());

  TreeView_SelectItem(tree, root(1));
  driver.expect(FIELD(records[1].displayName) + " Properties",
                [](HWND sheet) { orvtest::pressButton(sheet, IDCANCEL); });
  notify(window, tree, 101, &header, NM_DBLCLK);
  runPosted(window);
  EXPECT_TRUE(driver.allDone());
}

// The host closes and releases the bar while one of its windows is open: the window
// works on, closes as usual, and the band goes once, when its call has returned.
TEST_F(TreeBandHost, ClosedAndReleasedWhileItsWindowsAreOpen) {
  auto closeBand = [this] {
    EXPECT_EQ(band->CloseDW(0), S_OK);
    EXPECT_EQ(sited->SetSite(nullptr), S_OK);
    band.reset();
    sited.reset();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(canUnloadNow(), S_FALSE) << "the band went in the middle of its own call";
  };
  auto closeDuring = [&](HWND sheet) {
    const std::vector<std::string> before = currentPageTexts(sheet);
    closeBand();
    expectSheetWorks(sheet, before);
    orvtest::pressButton(sheet, IDCANCEL);
  };

  // The device sheet, from a double click.
  TreeView_SelectItem(tree, child(root(0), 0));
  driver.expect("QUORIX QX-18LVD         Properties", closeDuring);
  NMHDR header = {};
  notify(window, tree, 101, &header, NM_DBLCLK);
  runPosted(window);
  EXPECT_TRUE(driver.allDone());
  EXPECT_EQ(canUnloadNow(), S_OK);

  // The adapter sheet, from the context menu.
  open();
  TreeView_SelectItem(tree, root(1));
  fw::ComPtr<IContextMenu> cm = menu();
  driver.expect(FIELD(records[1].displayName) + " Properties", [&](HWND sheet) {
    cm.reset();  // the host lets go of the menu too
    closeDuring(sheet);
  });
  CMINVOKECOMMANDINFO invoke = {};
  invoke.cbSize = sizeof invoke;
  invoke.lpVerb = MAKEINTRESOURCEA(3);
  IContextMenu* calling = cm.get();
  EXPECT_EQ(calling->InvokeCommand(&invoke), S_OK);
  EXPECT_TRUE(driver.allDone());
  EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST_F(TreeBandHost, ContextMenuOffTheItemsSwitchesTheImageSize) {
  RECT rc = {};
  GetClientRect(tree, &rc);
  cursorTo(tree, 5, rc.bottom - 5);  // below the last item
  fw::ComPtr<IContextMenu> cm = menu();
  HMENU popup = CreatePopupMenu();
  EXPECT_EQ(cm->QueryContextMenu(popup, 0, 100, 200, CMF_DEFAULTONLY), MAKE_HRESULT(0, 0, 0));
  EXPECT_EQ(GetMenuItemCount(popup), 0);
  EXPECT_EQ(cm->QueryContextMenu(popup, 0, 100, 200, CMF_NORMAL), MAKE_HRESULT(0, 0, 5));
  ASSERT_EQ(GetMenuItemCount(popup), 2);
  EXPECT_EQ(menuText(popup, 0), "Lar&ge Icon");
  EXPECT_EQ(GetMenuItemID(popup, 0), 101u);
  EXPECT_EQ(menuText(popup, 1), "S&mall Icon");
  EXPECT_EQ(GetMenuItemID(popup, 1), 102u);
  DestroyMenu(popup);

  CMINVOKECOMMANDINFO invoke = {};
  invoke.cbSize = sizeof invoke;
  invoke.lpVerb = MAKEINTRESOURCEA(2);
  EXPECT_EQ(cm->InvokeCommand(&invoke), S_OK);
  EXPECT_EQ(imageSize(), GetSystemMetrics(SM_CXSMICON));
  invoke.lpVerb = MAKEINTRESOURCEA(1);
  EXPECT_EQ(cm->InvokeCommand(&invoke), S_OK);
  EXPECT_EQ(imageSize(), GetSystemMetrics(SM_CXICON));
  invoke.lpVerb = MAKEINTRESOURCEA(4);
  EXPECT_EQ(cm->InvokeCommand(&invoke), E_INVALIDARG);
  invoke.lpVerb = "properties";
  EXPECT_EQ(cm->InvokeCommand(&invoke), E_INVALIDARG);

  char name[64] = {};
  EXPECT_EQ(cm->GetCommandString(0, GCS_VERBA, nullptr, name, sizeof name), S_OK);
  EXPECT_STREQ(name, "command");
  EXPECT_EQ(cm->GetCommandString(0, GCS_HELPTEXTA, nullptr, name, sizeof name), S_OK);
  EXPECT_STREQ(name, "Explorer Bar command help text");
  WCHAR wide[64] = {};
  EXPECT_EQ(cm->GetCommandString(0, GCS_VERBW, nullptr, reinterpret_cast<LPSTR>(wide), 64), S_OK);
  EXPECT_EQ(wideToText(wide), "command");
  EXPECT_EQ(cm->GetCommandString(0, GCS_VALIDATEA, nullptr, nullptr, 0), S_OK);
  EXPECT_EQ(cm->GetCommandString(1, GCS_VERBA, nullptr, name, sizeof name), E_INVALIDARG);
  EXPECT_EQ(cm->GetCommandString(3, GCS_VALIDATEA, nullptr, nullptr, 0), E_INVALIDARG);
}

TEST_F(TreeBandHost, ContextMenuOnAnItemSelectsItAndOffersItsProperties) {
  RECT rc = {};
  HTREEITEM adapter = root(1);
  ASSERT_TRUE(TreeView_GetItemRect(tree, adapter, &rc, TRUE));
  cursorTo(tree, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
  fw::ComPtr<IContextMenu> cm = menu();
  HMENU popup = CreatePopupMenu();
  EXPECT_EQ(cm->QueryContextMenu(popup, 0, 100, 200, CMF_NORMAL), MAKE_HRESULT(0, 0, 5));
  ASSERT_EQ(GetMenuItemCount(popup), 1);
  EXPECT_EQ(menuText(popup, 0), "&Property");
  EXPECT_EQ(GetMenuItemID(popup, 0), 103u);
  EXPECT_EQ(GetMenuDefaultItem(popup, FALSE, 0), 103u);
  DestroyMenu(popup);
  EXPECT_EQ(TreeView_GetSelection(tree), adapter);

  driver.expect(FIELD(records[1].displayName) + " Properties",
                [](HWND sheet) { orvtest::pressButton(sheet, IDCANCEL); });
  CMINVOKECOMMANDINFO invoke = {};
  invoke.cbSize = sizeof invoke;
  invoke.lpVerb = MAKEINTRESOURCEA(3);
  EXPECT_EQ(cm->InvokeCommand(&invoke), S_OK);
  EXPECT_TRUE(driver.allDone());
}

TEST_F(TreeBandHost, FocusIsReportedToTheSite) {
  fw::ComPtr<IInputObject> input;
  band->QueryInterface(IID_IInputObject, input.putVoid());
  EXPECT_EQ(input->HasFocusIO(), S_FALSE);
  EXPECT_EQ(input->UIActivateIO(TRUE, nullptr), S_OK);
  // The band hands the keys on to its tree; the focus there is the band's.
  EXPECT_EQ(GetFocus(), tree);
  EXPECT_EQ(input->HasFocusIO(), S_OK);
  ASSERT_FALSE(site.focusReports.empty());
  EXPECT_TRUE(site.focusReports.back());
  EXPECT_NE(site.lastFocusBand, nullptr);
  // Focus leaving the tree for the host is reported, and a click back on the tree too.
  SetFocus(site.window());
  EXPECT_EQ(input->HasFocusIO(), S_FALSE);
  EXPECT_FALSE(site.focusReports.back());
  SetFocus(tree);
  EXPECT_EQ(input->HasFocusIO(), S_OK);
  EXPECT_TRUE(site.focusReports.back());
  SetFocus(site.window());
  // Deactivation leaves the focus where it is.
  EXPECT_EQ(input->UIActivateIO(FALSE, nullptr), S_OK);
  EXPECT_EQ(GetFocus(), site.window());
}

TEST_F(TreeBandHost, CloseDestroysTheWindowsAndReleasesTheSiteWhenAsked) {
  EXPECT_EQ(band->CloseDW(0), S_OK);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(IsWindow(tree));
  EXPECT_EQ(sited->SetSite(nullptr), S_OK);
  EXPECT_EQ(site.references(), 1);
  fw::ComPtr<IUnknown> none;
  EXPECT_EQ(sited->GetSite(IID_IUnknown, none.putVoid()), E_FAIL);
  // Closing twice is harmless.
  EXPECT_EQ(band->CloseDW(0), S_OK);
}

// ---- the application strip ------------------------------------------------------------

class StripBandHost : public BandHost {
 protected:
  void SetUp() override {
    BandHost::SetUp();
    deleteAppList();
    release = CreateEventA(nullptr, TRUE, FALSE, kProbeRelease);
  }
  void TearDown() override {
    close();
    SetEvent(release);
    endChildren();
    CloseHandle(release);
    deleteAppList();
    BandHost::TearDown();
  }
  // A strip band in a site of that client width, shown, its own timer stopped so that
  // the test drives the ticks.
  void open(int width = 1000) {
    site.reset(new FakeSite("OrvBandSite", width, 40));
    band = createBand(kStripBand);
    ASSERT_TRUE(band);
    band->QueryInterface(IID_IObjectWithSite, sited.putVoid());
    ASSERT_EQ(sited->SetSite(site->unknown()), S_OK);
    window = bandWindow(band.get());
    ASSERT_EQ(className(window), "ScsiCommBarClass");
    ASSERT_EQ(band->ShowDW(TRUE), S_OK);
    // Showing started the 50 ms timer (id 1); the test takes it over.
    ASSERT_TRUE(KillTimer(window, 1));
  }
  void close() {
    if (band) band->CloseDW(0);
    band.reset();
    sited.reset();
    site.reset();
  }
  void tick(int n = 1) {
    for (int i = 0; i < n; ++i) SendMessageA(window, WM_TIMER, 1, 0);
  }
  void hover(int x) {
    cursorTo(window, x, 20);
    SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  }
  std::string tipAtCursor() {
    NMTTDISPINFOA info = {};
    notify(window, nullptr, 0, &info.hdr, TTN_NEEDTEXTA);
    return info.lpszText ? info.lpszText : "<null>";
  }
  void doubleClick(int x) {
    SendMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, 20));
  }
  int width() const { return printClient(window).width; }

  std::unique_ptr<FakeSite> site;
  fw::ComPtr<IDeskBand> band;
  fw::ComPtr<IObjectWithSite> sited;
  HWND window = nullptr;
  HANDLE release = nullptr;
};

// Whether b shows a shifted by dx (b(x) == a(x + dx)) over the columns both have.
bool shifted(const Pixels& a, const Pixels& b, int dx) {
  if (a.width != b.width || a.height != b.height) return false;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x + dx < a.width; ++x)
      if (b.at(x, y) != a.at(x + dx, y)) return false;
  return true;
}

TEST_F(StripBandHost, WithoutApplicationsTwoEntries400PixelsWideLoop) {
  open();
  const Pixels start = printClient(window);
  ASSERT_GE(start.width, 990);  // the site less the band's border
  // Copies every 400 pixels, across the whole band: two entries.
  EXPECT_TRUE(shifted(start, start, 400));
  EXPECT_FALSE(shifted(start, start, 200));
  tick();
  const Pixels one = printClient(window);
  EXPECT_TRUE(shifted(start, one, 1));
  EXPECT_FALSE(shifted(start, one, 0));
  tick(399);
  EXPECT_TRUE(shifted(start, printClient(window), 0));  // once round: back at the start
  tick(150);
  EXPECT_TRUE(shifted(start, printClient(window), 150));
  EXPECT_NE(orvtest::saveScreenshot(site->window(), "bands_strip"), "");
}

TEST_F(StripBandHost, HoveringStopsTheScrollAndHighlightsTheEntryUnderTheCursor) {
  open();
  const Pixels plain = printClient(window);
  hover(250);  // entry 1
  const Pixels lit = printClient(window);
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  const COLORREF menu = GetSysColor(COLOR_MENU);
  EXPECT_EQ(lit.at(399, 2), highlight & 0xFFFFFF);
  EXPECT_EQ(lit.at(199, 2), menu & 0xFFFFFF);
  EXPECT_EQ(lit.at(401, 2), menu & 0xFFFFFF);  // the next entry stays plain
  EXPECT_NE(orvtest::saveScreenshot(site->window(), "bands_strip_hover"), "");
  tick(25);
  EXPECT_TRUE(shifted(lit, printClient(window), 0));  // held still

  // Away again: the scroll goes on from where it stopped, plain.
  cursorAway();
  tick();
  EXPECT_TRUE(shifted(plain, printClient(window), 1));

  hover(5);
  EXPECT_EQ(printClient(window).at(5, 2), highlight & 0xFFFFFF);
}

TEST_F(StripBandHost, TipsGiveTheDescriptionOfTheEntryUnderTheCursor) {
  const std::string probe = servertest::binFolder() + "bands_probe.exe";
  registerApp("Start probe", probe);
  open();
  hover(450);
  EXPECT_EQ(tipAtCursor(), "Band start probe");
  cursorAway();
  EXPECT_EQ(tipAtCursor(), "");
}

TEST_F(StripBandHost, ADoubleClickStartsOneProgramEvenOnABoundary) {
  const std::string probe = servertest::binFolder() + "bands_probe.exe";
  registerApp("Probe one", probe);
  registerApp("Probe two", probe);
  open();
  ASSERT_TRUE(children().empty());

  // 600 is where entry 2 ends and entry 3 begins; 400 where entry 1 (the help lesson)
  // ends and entry 2 begins.
  doubleClick(600);
  EXPECT_EQ(children().size(), 1u);
  doubleClick(400);
  EXPECT_EQ(children().size(), 2u);
  EXPECT_EQ(children("bands_probe.exe").size(), 2u);
  doubleClick(500);
  EXPECT_EQ(children("bands_probe.exe").size(), 3u);

  // Scrolled by 50: entry 3 now covers [550, 750).
  tick(50);
  doubleClick(749);
  EXPECT_EQ(children("bands_probe.exe").size(), 4u);
  // The band's own current folder is as it was.
  char before[MAX_PATH] = {}, after[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, before);
  doubleClick(560);
  GetCurrentDirectoryA(MAX_PATH, after);
  EXPECT_STREQ(before, after);
  EXPECT_EQ(children("bands_probe.exe").size(), 5u);
}

// A registry text value as it is now, put back when the holder goes.
class SavedValue {
 public:
  SavedValue(HKEY root, const char* key, const char* name) : root_(root), key_(key), name_(name ? name : "") {
    char buffer[1024] = {};
    DWORD size = sizeof buffer - 1;
    had_ = RegGetValueA(root, key, name, RRF_RT_REG_SZ, nullptr, buffer, &size) == ERROR_SUCCESS;
    value_ = buffer;
  }
  ~SavedValue() {
    if (had_) {
      set(value_);
    } else {
      HKEY k = nullptr;
      if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_SET_VALUE, &k) == ERROR_SUCCESS) {
        RegDeleteValueA(k, name_.empty() ? nullptr : name_.c_str());
        RegCloseKey(k);
      }
    }
  }
  bool set(const std::string& text) const {
    HKEY k = nullptr;
    if (RegCreateKeyExA(root_, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) !=
        ERROR_SUCCESS)
      return false;
    const LONG rc = RegSetValueExA(k, name_.empty() ? nullptr : name_.c_str(), 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(text.c_str()),
                                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(k);
    return rc == ERROR_SUCCESS;
  }

 private:
  HKEY root_;
  std::string key_, name_, value_;
  bool had_ = false;
};

std::string readFile(const std::string& path) {
  std::string text;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    std::fclose(f);
  }
  return text;
}

// Blanks in the program's path and in its arguments, as with the installer's default
// folder: each entry starts its own program with its arguments whole, never a program
// named by the text before a blank (a decoy "band.exe" lies where a cut path would lead).
TEST_F(StripBandHost, ProgramsAndArgumentsWithBlanksStartWhole) {
  const std::string folder = tempFile("band probe dir");
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string program = folder + "\\band probe.exe";
  const std::string decoy = folder + "\\band.exe";
  const std::string source = servertest::binFolder() + "bands_probe.exe";
  ASSERT_TRUE(CopyFileA(source.c_str(), program.c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(source.c_str(), decoy.c_str(), FALSE));
  const std::string log = tempFile("probe.log");
  DeleteFileA(log.c_str());
  SetEnvironmentVariableA("ORV_PROBE_LOG", log.c_str());

  registerApp("Blank probe", program);
  {
    SavedValue browser(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", nullptr);
    SavedValue install(HKEY_LOCAL_MACHINE, kAppPathsKey, "Path");
    ASSERT_TRUE(browser.set("\"" + program + "\""));
    ASSERT_TRUE(install.set(folder));
    open();
  }
  doubleClick(100);  // the web resource: the browser with the page in the install folder
  doubleClick(500);  // the registered program
  const DWORD deadline = GetTickCount() + 20000;
  std::string lines;
  // Other processes write the log: nothing to wait on but the file.
  for (;;) {
    lines = readFile(log);
    if (std::count(lines.begin(), lines.end(), '\n') >= 2 ||
        static_cast<LONG>(GetTickCount() - deadline) >= 0)
      break;
    Sleep(50);
  }
  SetEnvironmentVariableA("ORV_PROBE_LOG", nullptr);
  // Which file ran, with which command line; the two may have started in either order.
  std::vector<std::string> started;
  for (size_t at = 0, end; (end = lines.find('\n', at)) != std::string::npos; at = end + 1)
    started.push_back(lines.substr(at, end - at));
  std::sort(started.begin(), started.end());
  const std::vector<std::string> expected = {
      program + "|\"" + program + "\"",
      program + "|\"" + program + "\" \"" + folder + "\\wbhome.html\""};
  EXPECT_EQ(started, expected);
  EXPECT_TRUE(children("band.exe").empty());
  SetEvent(release);
  endChildren();
  DeleteFileA(log.c_str());
  DeleteFileA(program.c_str());
  DeleteFileA(decoy.c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST_F(StripBandHost, CommandLinesTooLongForTheirFieldStartNothing) {
  char saved[1024] = {};
  DWORD size = sizeof saved - 1;
  const bool hadPath = RegGetValueA(HKEY_LOCAL_MACHINE, kAppPathsKey, "Path", RRF_RT_REG_SZ,
                                    nullptr, saved, &size) == ERROR_SUCCESS;
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, nullptr, 0, KEY_SET_VALUE,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::string folder = "C:\\" + std::string(300, 'x');
  RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                 static_cast<DWORD>(folder.size() + 1));
  open();
  if (hadPath) {
    RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved),
                   static_cast<DWORD>(strlen(saved) + 1));
  } else {
    RegDeleteValueA(key, "Path");
  }
  RegCloseKey(key);

  doubleClick(100);
  doubleClick(300);
  EXPECT_TRUE(children().empty());
  hover(300);
  EXPECT_EQ(tipAtCursor(), "");
  // Still shown, with their names and pictures.
  const Pixels strip = printClient(window);
  EXPECT_TRUE(shifted(strip, strip, 400));
}

TEST_F(StripBandHost, ContextMenuOffersPropertiesAndTheTimerFollowsShowing) {
  open();
  fw::ComPtr<IContextMenu> cm;
  band->QueryInterface(IID_IContextMenu, cm.putVoid());
  HMENU popup = CreatePopupMenu();
  AppendMenuA(popup, MF_STRING, 1, "Host item");
  EXPECT_EQ(cm->QueryContextMenu(popup, 0, 10, 20, CMF_DEFAULTONLY), MAKE_HRESULT(0, 0, 0));
  EXPECT_EQ(cm->QueryContextMenu(popup, 0, 10, 20, CMF_NORMAL), MAKE_HRESULT(0, 0, 2));
  ASSERT_EQ(GetMenuItemCount(popup), 2);
  EXPECT_EQ(menuText(popup, 0), "&Property");
  EXPECT_EQ(GetMenuItemID(popup, 0), 11u);
  DestroyMenu(popup);
  CMINVOKECOMMANDINFO invoke = {};
  invoke.cbSize = sizeof invoke;
  invoke.lpVerb = MAKEINTRESOURCEA(1);
  EXPECT_EQ(cm->InvokeCommand(&invoke), S_OK);  // nothing under the cursor: nothing shown
  invoke.lpVerb = MAKEINTRESOURCEA(2);
  EXPECT_EQ(cm->InvokeCommand(&invoke), E_INVALIDARG);
  char name[64] = {};
  EXPECT_EQ(cm->GetCommandString(0, GCS_HELPTEXTA, nullptr, name, sizeof name), S_OK);
  EXPECT_STREQ(name, "Comm Band command help text");
  EXPECT_EQ(cm->GetCommandString(1, GCS_HELPTEXTA, nullptr, name, sizeof name), E_INVALIDARG);

  // Hidden: the timer stops; shown again: it runs from the start of the strip.
  const Pixels start = printClient(window);
  tick(30);
  band->ShowDW(FALSE);
  EXPECT_FALSE(KillTimer(window, 1));
  band->ShowDW(TRUE);
  EXPECT_TRUE(KillTimer(window, 1));
  EXPECT_TRUE(shifted(start, printClient(window), 0));
}

// ---- the desk band --------------------------------------------------------------------

class DeskBandHost : public BandHost {
 protected:
  void open(const char* siteClass, int width, int height) {
    // The band goes before the site it holds.
    band.reset();
    sited.reset();
    site.reset(new FakeSite(siteClass, width, height));
    band = createBand(kDeskBand);
    ASSERT_TRUE(band);
    band->QueryInterface(IID_IObjectWithSite, sited.putVoid());
    ASSERT_EQ(sited->SetSite(site->unknown()), S_OK);
    window = bandWindow(band.get());
    ASSERT_EQ(className(window), "ScsiDeskBandClass");
    toolbar = GetDlgItem(window, 102);
    ASSERT_NE(toolbar, nullptr);
    band->ShowDW(TRUE);
  }
  void TearDown() override {
    if (band) band->CloseDW(0);
    band.reset();
    sited.reset();
    site.reset();
    BandHost::TearDown();
  }
  int imageSize() const {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0)),
                          &cx, &cy);
    return cx;
  }
  std::string buttonText(int i) const {
    char buffer[128] = {};
    SendMessageA(toolbar, TB_GETBUTTONTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer));
    return buffer;
  }
  std::string tip(UINT button) {
    NMTTDISPINFOA info = {};
    notify(window, toolbar, button, &info.hdr, TTN_NEEDTEXTA);
    return info.lpszText ? info.lpszText : "<null>";
  }
  void click(DWORD_PTR button, UINT code = NM_CLICK) {
    NMMOUSE mouse = {};
    mouse.dwItemSpec = button;
    notify(window, toolbar, 102, &mouse.hdr, code);
  }

  std::unique_ptr<FakeSite> site;
  fw::ComPtr<IDeskBand> band;
  fw::ComPtr<IObjectWithSite> sited;
  HWND window = nullptr;
  HWND toolbar = nullptr;
};

TEST_F(DeskBandHost, InTheTaskbarSixteenPixelPicturesElsewhereThirtyTwo) {
  open("Shell_TrayWnd", 640, 30);
  EXPECT_EQ(imageSize(), 16);
  EXPECT_NE(orvtest::saveScreenshot(site->window(), "bands_desk_taskbar"), "");
  band->CloseDW(0);

  open("OrvDesktopSite", 640, 48);
  EXPECT_EQ(imageSize(), 32);
  EXPECT_NE(orvtest::saveScreenshot(site->window(), "bands_desk_desktop"), "");
}

TEST_F(DeskBandHost, OneButtonPerAdapterNamedAfterIt) {
  open("OrvDesktopSite", 640, 48);
  ASSERT_EQ(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0), count);
  for (int i = 0; i < count; ++i) {
    TBBUTTON button = {};
    SendMessageA(toolbar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button));
    EXPECT_EQ(button.idCommand, i);
    EXPECT_EQ(button.iBitmap, i);
    EXPECT_TRUE(button.fsState & TBSTATE_ENABLED);
    EXPECT_EQ(buttonText(i), FIELD(records[i].displayName));
    EXPECT_EQ(tip(static_cast<UINT>(i)), FIELD(records[i].displayName));
    EXPECT_NE(button.dwData, 0u);  // the record's address in the band's own list
  }
  EXPECT_EQ(tip(7), "");
  const LONG style = GetWindowLongA(toolbar, GWL_STYLE);
  EXPECT_EQ(style & (TBSTYLE_LIST | TBSTYLE_FLAT | TBSTYLE_WRAPABLE | CCS_NODIVIDER),
            TBSTYLE_LIST | TBSTYLE_FLAT | TBSTYLE_WRAPABLE | CCS_NODIVIDER);
}

TEST_F(DeskBandHost, ClickOpensTheAdaptersDeviceList) {
  open("OrvDesktopSite", 640, 48);
  driver.expect(FIELD(records[1].displayName) + " Devices",
                [](HWND list) { orvtest::pressButton(list, IDCANCEL); });
  click(1);
  runPosted(window);
  EXPECT_TRUE(driver.allDone());
  click(5);  // no such button: nothing
  click(static_cast<DWORD_PTR>(-1));
  runPosted(window);
}

TEST_F(DeskBandHost, ClosedAndReleasedWhileItsWindowsAreOpen) {
  auto closeBand = [this] {
    EXPECT_EQ(band->CloseDW(0), S_OK);
    EXPECT_EQ(sited->SetSite(nullptr), S_OK);
    band.reset();
    sited.reset();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(canUnloadNow(), S_FALSE) << "the band went in the middle of its own call";
  };

  // The device list, from a click, and the device sheet that the list opens.
  open("OrvDesktopSite", 640, 48);
  driver.expect(FIELD(records[1].displayName) + " Devices", [&](HWND list) {
    closeBand();
    HWND rows = FindWindowExA(list, nullptr, WC_LISTVIEWA, nullptr);
    ASSERT_NE(rows, nullptr);
    EXPECT_EQ(ListView_GetItemCount(rows), records[1].deviceCount);
    orvtest::pressButton(list, IDCANCEL);
  });
  click(1);
  runPosted(window);
  EXPECT_TRUE(driver.allDone());
  EXPECT_EQ(canUnloadNow(), S_OK);

  // The adapter sheet, from the context menu on a button.
  open("OrvDesktopSite", 640, 48);
  RECT rc = {};
  SendMessageA(toolbar, TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&rc));
  cursorTo(toolbar, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
  fw::ComPtr<IContextMenu> cm;
  band->QueryInterface(IID_IContextMenu, cm.putVoid());
  driver.expect(FIELD(records[1].displayName) + " Properties", [&](HWND sheet) {
    const std::vector<std::string> before = currentPageTexts(sheet);
    cm.reset();
    closeBand();
    expectSheetWorks(sheet, before);
    orvtest::pressButton(sheet, IDCANCEL);
  });
  CMINVOKECOMMANDINFO invoke = {};
  invoke.cbSize = sizeof invoke;
  invoke.lpVerb = MAKEINTRESOURCEA(3);
  IContextMenu* calling = cm.get();
  EXPECT_EQ(calling->InvokeCommand(&invoke), S_OK);
  EXPECT_TRUE(driver.allDone());
  EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST_F(DeskBandHost, ContextMenuSwitchesSizesOrOpensTheAdapterUnderTheCursor) {
  open("OrvDesktopSite", 640, 48);
  fw::ComPtr<IContextMenu> cm;
  band->QueryInterface(IID_IContextMenu, cm.putVoid());

  cursorAway();
  HMENU popup = CreatePopupMenu();
  EXPECT_EQ(cm->QueryContextMenu(popup, 0, 10, 20, CMF_DEFAULTONLY), MAKE_HRESULT(0, 0, 0));
  EXPECT_EQ(cm->QueryContextMenu(popup, 0, 10, 20, CMF_NORMAL), MAKE_HRESULT(0, 0, 5));
  ASSERT_EQ(GetMenuItemCount(popup), 1);
  EXPECT_EQ(menuText(popup, 0), "&View");
  HMENU view = GetSubMenu(popup, 0);
  ASSERT_NE(view, nullptr);
  ASSERT_EQ(GetMenuItemCount(view), 2);
  EXPECT_EQ(menuText(view, 0), "Lar&ge Icon");
  EXPECT_EQ(GetMenuItemID(view, 0), 11u);
  EXPECT_EQ(menuText(view, 1), "S&mall Icon");
  EXPECT_EQ(GetMenuItemID(view, 1), 12u);
  DestroyMenu(popup);

  CMINVOKECOMMANDINFO invoke = {};
  invoke.cbSize = sizeof invoke;
  invoke.lpVerb = MAKEINTRESOURCEA(2);
  EXPECT_EQ(cm->InvokeCommand(&invoke), S_OK);
  EXPECT_EQ(imageSize(), 16);
  EXPECT_EQ(HIWORD(SendMessageA(toolbar, TB_GETBUTTONSIZE, 0, 0)) >= 18, true);
  EXPECT_NE(orvtest::saveScreenshot(site->window(), "bands_desk_small"), "");
  invoke.lpVerb = MAKEINTRESOURCEA(1);
  EXPECT_EQ(cm->InvokeCommand(&invoke), S_OK);
  EXPECT_EQ(imageSize(), 32);
  invoke.lpVerb = MAKEINTRESOURCEA(4);
  EXPECT_EQ(cm->InvokeCommand(&invoke), E_INVALIDARG);

  char name[16] = "x";
  EXPECT_EQ(cm->GetCommandString(1, GCS_VERBA, nullptr, name, sizeof name), S_OK);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(cm->GetCommandString(2, GCS_HELPTEXTA, nullptr, name, sizeof name), S_OK);
  EXPECT_EQ(cm->GetCommandString(0, GCS_VERBA, nullptr, name, sizeof name), E_INVALIDARG);
  EXPECT_EQ(cm->GetCommandString(7, GCS_VALIDATEA, nullptr, nullptr, 0), S_OK);

  RECT rc = {};
  SendMessageA(toolbar, TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&rc));
  cursorTo(toolbar, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
  popup = CreatePopupMenu();
  EXPECT_EQ(cm->QueryContextMenu(popup, 0, 10, 20, CMF_NORMAL), MAKE_HRESULT(0, 0, 5));
  ASSERT_EQ(GetMenuItemCount(popup), 2);
  EXPECT_EQ(menuText(popup, 0), "&Property");
  EXPECT_EQ(GetMenuItemID(popup, 0), 13u);
  EXPECT_TRUE(GetMenuState(popup, 1, MF_BYPOSITION) & MF_SEPARATOR);
  DestroyMenu(popup);
  driver.expect(FIELD(records[1].displayName) + " Properties",
                [](HWND sheet) { orvtest::pressButton(sheet, IDCANCEL); });
  invoke.lpVerb = MAKEINTRESOURCEA(3);
  EXPECT_EQ(cm->InvokeCommand(&invoke), S_OK);
  EXPECT_TRUE(driver.allDone());
}

}  // namespace
