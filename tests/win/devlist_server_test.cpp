// The device list as a front end opens it: CorvathObj created through COM, the inventory
// of a simulated bus, ShowDeviceList with a record's address. The bus has a device of
// type 11, which this window shows with the "other" icon while GetDeviceIcon(11) answers
// the host adapter's icon.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/corvath_obj_driver.h"
#include "contract/records.h"
#include "framework/listview.h"
#include "framework/pixels.h"
#include "server/devicelist_res.h"
#include "server/icons_res.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/win/server_support.h"
#include "tests/win/shared_bus.h"

namespace {

// One adapter that the identification table knows, scanning 16 targets, with a disk, a
// device of type 11 and a CD-ROM drive.
const std::string kBus = orvtest::wideBus("immediate") + R"(  device 0
    inquiry    00 00 02 02 1F 00 00 32 "TESSELL " "TS-9100W        " "0200"
  device 3
    inquiry    0B 00 02 02 1F 00 00 00 "HALDEN  " "BRIDGE 11       " "0.9 "
  device 5
    inquiry    05 80 02 02 1F 00 00 10 "BRANWICK" "CD-8X           " "1.00"
)";

// The pixels of an icon drawn at 32 x 32 over a fixed colour.
std::vector<uint32_t> pixelsOf(HICON icon) {
  const int size = 32;
  BITMAPINFO info = fw::pixelFormat(size, size);
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, dib);
  RECT all = {0, 0, size, size};
  HBRUSH back = CreateSolidBrush(RGB(1, 2, 3));
  FillRect(dc, &all, back);
  DeleteObject(back);
  DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  GdiFlush();
  std::vector<uint32_t> out(static_cast<const uint32_t*>(bits),
                            static_cast<const uint32_t*>(bits) + size * size);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(dib);
  return out;
}

std::vector<uint32_t> resourceIcon(unsigned id) {
  HICON icon = static_cast<HICON>(
      LoadImageA(GetModuleHandleA("corvath.dll"), MAKEINTRESOURCEA(id), IMAGE_ICON, 32, 32, 0));
  std::vector<uint32_t> out = icon ? pixelsOf(icon) : std::vector<uint32_t>();
  if (icon) DestroyIcon(icon);
  return out;
}

class DevlistServer : public testing::Test {
 protected:
  void SetUp() override {
    bus_ = orvtest::serveBus(kBus, "devlist_type11_{pid}.bus");
    ASSERT_FALSE(bus_.empty());
    ASSERT_EQ(servertest::registerCorvath(), S_OK);
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
  }
  void TearDown() override {
    CoUninitialize();
    DeleteFileA(bus_.c_str());
  }
  std::string bus_;
};

TEST_F(DevlistServer, TypeElevenIsOtherHereAndTheAdapterIconForGetDeviceIcon) {
  CorvathObjDriver corvath;
  ASSERT_TRUE(corvath.create());
  const intptr_t address = corvath.GetHostAdaptersList();
  ASSERT_NE(address, 0);
  const auto* adapter = CorvathObjDriver::records<inv::HostAdapterInfo>(address);
  ASSERT_EQ(adapter->deviceCount, 3);
  ASSERT_EQ(adapter->devices[1].deviceType, 11);
  const long adapterIcon = corvath.GetHostAdapterIcon();
  EXPECT_EQ(corvath.GetDeviceIcon(11), adapterIcon);

  const std::vector<uint32_t> other = resourceIcon(IDI_DEVICE_OTHER);
  const std::vector<uint32_t> hostAdapter = resourceIcon(IDI_HOST_ADAPTER);
  ASSERT_FALSE(other.empty());
  ASSERT_NE(other, hostAdapter);

  orvtest::ModalDriver driver;
  driver.expect(std::string(adapter->displayName) + " Devices", [&](HWND dlg) {
    if (!IsWindowVisible(dlg)) ShowWindow(dlg, SW_SHOWNORMAL);
    HWND list = GetDlgItem(dlg, IDC_DEVICE_LIST);
    // The window carries the shared host adapter icon, large and small alike.
    EXPECT_EQ(static_cast<long>(SendMessageA(dlg, WM_GETICON, ICON_BIG, 0)), adapterIcon);
    EXPECT_EQ(static_cast<long>(SendMessageA(dlg, WM_GETICON, ICON_SMALL, 0)), adapterIcon);
    EXPECT_EQ(orvtest::itemText(dlg, 59393),
              std::string(adapter->displayName) + " has 3 attached device(s).");
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = 1;  // record order: the type 11 device second
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    HIMAGELIST large =
        reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
    HICON shown = ImageList_GetIcon(large, item.iImage, ILD_NORMAL);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(pixelsOf(shown), other);
    DestroyIcon(shown);
    // Open with the device selected goes to ShowDeviceProperty: the device sheet runs
    // (the next step) and the window stays.
    LVITEMA select = {};
    select.stateMask = select.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&select));
    SendMessageA(dlg, WM_COMMAND, ID_DEVICE_OPEN, 0);
    EXPECT_TRUE(IsWindow(dlg));
    SendMessageA(dlg, WM_COMMAND, ID_VIEW_DETAILS, 0);
    EXPECT_EQ(fw::itemText(list, 1, 2), "Unknown");
    EXPECT_FALSE(orvtest::saveScreenshot(dlg, "devlist_simulated_bus").empty());
    orvtest::pressButton(dlg, IDCANCEL);
  });
  driver.expect("HALDEN BRIDGE 11        Properties", [&](HWND sheet) {
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    EXPECT_EQ(orvtest::itemText(page, 1592), "Type Unknown");
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  }, false);
  corvath.ShowDeviceList(address);
  EXPECT_EQ(corvath.lastError(), S_OK);
  EXPECT_TRUE(driver.allDone());
  EXPECT_TRUE(driver.unexpected().empty());
}

}  // namespace
