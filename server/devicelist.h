// The device list window: the devices of one host adapter in a resizable modal window,
// in the manner of a file-manager folder (four views, three sort orders, a status bar
// with menu prompts, context menus, owner-drawn report rows over a tiled picture).
#pragma once

#include <windows.h>

#include <functional>

#include "contract/records.h"
#include "framework/dialog.h"
#include "framework/listview.h"
#include "framework/statusbar.h"
#include "server/devicelist_view.h"

namespace srv {

// What Open and Properties do with a device (the device property sheet).
using DeviceAction = std::function<void(const inv::DeviceInfo&)>;

class CDeviceListDlg : public fw::Dialog {
 public:
  CDeviceListDlg(const inv::HostAdapterInfo& adapter, HWND parent);
  ~CDeviceListDlg() override;

  // Open, Properties and double-click call this; without one they do nothing.
  void setOpenDevice(DeviceAction action) { openDevice = std::move(action); }

 protected:
  BOOL onInitDialog() override;
  bool onCommand(WORD id, WORD notifyCode, HWND control) override;
  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  void applyViewMode(unsigned command);
  void insertDevices(bool report);
  void sortDevices();
  static int CALLBACK compareItems(LPARAM first, LPARAM second, LPARAM self);
  void openDeviceOfItem(int item);
  void toggleStatusBar();
  void layout(int width, int height);
  void onInitMenuPopup(HMENU menu, bool systemMenu);
  void onContextMenu(POINT screen);
  LRESULT onNotify(const NMHDR& header);
  BOOL onHelp(const HELPINFO& info);
  const inv::DeviceInfo* deviceOfItemData(LPARAM data) const;

  const inv::HostAdapterInfo& adapter;
  SortState sort;
  unsigned viewMode = kFirstViewCommand;
  int typeImage[kDeviceImageCount];
  HICON windowIcon = nullptr;
  fw::ImageList largeImages;
  fw::ImageList smallImages;
  int32_t statusBarVisible = 1;
  fw::StatusBar statusBar;
  HWND list = nullptr;
  DeviceAction openDevice;
};

// ShowDeviceList: the window for that adapter, modal, with no owner.
void showDeviceList(const inv::HostAdapterInfo& adapter, DeviceAction openDevice);

}  // namespace srv
