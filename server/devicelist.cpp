#include "server/devicelist.h"

#include <commctrl.h>

#include <string>

#include "framework/dpi.h"
#include "framework/menu.h"
#include "framework/module.h"
#include "framework/strings.h"
#include "inventory/device_types.h"
#include "pages/help.h"
#include "server/about.h"
#include "server/devicelist_res.h"
#include "server/icons_res.h"

namespace srv {

static_assert(static_cast<DWORD>(ListView::Icon) == LVS_ICON &&
                  static_cast<DWORD>(ListView::Report) == LVS_REPORT &&
                  static_cast<DWORD>(ListView::SmallIcon) == LVS_SMALLICON &&
                  static_cast<DWORD>(ListView::List) == LVS_LIST,
              "list view styles");

namespace {

int localeCompare(const char* a, const char* b) {
  // Case-sensitive, in the user's locale; CompareStringA answers 1, 2 or 3.
  return CompareStringA(LOCALE_USER_DEFAULT, 0, a, -1, b, -1) - CSTR_EQUAL;
}

}  // namespace

CDeviceListDlg::CDeviceListDlg(const inv::HostAdapterInfo& adapter, HWND parent)
    : Dialog(IDD_DEVICE_LIST, parent), adapter(adapter) {
  for (int& image : typeImage) image = -1;
}

CDeviceListDlg::~CDeviceListDlg() = default;

const inv::DeviceInfo* CDeviceListDlg::deviceOfItemData(LPARAM data) const {
  if (data < 0 || static_cast<size_t>(data) >= listedDeviceCount(adapter)) return nullptr;
  return &adapter.devices[data];
}

BOOL CDeviceListDlg::onInitDialog() {
  list = item(IDC_DEVICE_LIST);
  const std::string name = fieldText(adapter.displayName);
  SetWindowTextA(hwnd(), fw::formatString(IDS_DEVICES_TITLE, name.c_str()).c_str());

  HINSTANCE module = fw::resourceModule();
  largeImages.reset(ImageList_Create(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                     ILC_COLOR32 | ILC_MASK, kDeviceImageCount, 0));
  smallImages.reset(ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                     ILC_COLOR32 | ILC_MASK, kDeviceImageCount, 0));
  // Only the icons of the types on this bus: each costs a load and a copy per list.
  for (size_t d = 0; d < listedDeviceCount(adapter); ++d) {
    const int slot = deviceImageSlot(adapter.devices[d].deviceType);
    if (typeImage[slot] >= 0) continue;
    // Both lists get the same icons in the same order, so one index serves both.
    typeImage[slot] = largeImages.addIcon(module, kDeviceListIcons[slot]);
    smallImages.addIcon(module, kDeviceListIcons[slot]);
  }

  HMENU menu = GetMenu(hwnd());
  if (statusBar.create(hwnd())) {
    statusBar.setIdleText(fw::formatString(IDS_ATTACHED_DEVICES, name.c_str(),
                                           static_cast<unsigned>(listedDeviceCount(adapter))));
    statusBar.show(statusBarVisible != 0);
    CheckMenuItem(menu, ID_VIEW_STATUS_BAR, statusBarVisible ? MF_CHECKED : MF_UNCHECKED);
  } else {
    EnableMenuItem(menu, ID_VIEW_STATUS_BAR, MF_GRAYED | MF_DISABLED);
  }
  RECT client;
  GetClientRect(hwnd(), &client);
  layout(client.right, client.bottom);

  // A missing picture leaves the list plain; the short name helps where the long path
  // holds characters the control cannot take. A list view that cannot load pictures
  // from files at all gets the picture tiled by us.
  const std::string picture = fw::moduleFolder(module) + "images\\devbackground.bmp";
  bool background = fw::setTiledBackground(list, picture);
  if (!background) {
    char shortPath[128];
    DWORD n = GetShortPathNameA(picture.c_str(), shortPath, sizeof shortPath);
    if (n > 0 && n < sizeof shortPath) background = fw::setTiledBackground(list, shortPath);
  }
  if (!background) fw::paintTiledBackground(list, picture);
  SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(CLR_NONE));

  applyViewMode(viewMode);

  // The shared host adapter icon serves as both the large and the small icon.
  windowIcon = LoadIconA(module, MAKEINTRESOURCEA(IDI_HOST_ADAPTER));
  SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(windowIcon));
  SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(windowIcon));
  return TRUE;
}

void CDeviceListDlg::applyViewMode(unsigned command) {
  const ViewModeRow* mode = viewModeRow(command);
  if (!mode) return;
  // Drawn once when all rows are in, not laid out and scrolled again after each row.
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  fw::deleteAllColumns(list);
  fw::setViewStyle(list, static_cast<DWORD>(mode->view));
  if (mode->images == ImageSize::Large)
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(largeImages.get()));
  else
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallImages.get()));

  const bool report = mode->view == ListView::Report;
  if (report) {
    RECT window;
    GetWindowRect(hwnd(), &window);
    const unsigned dpi = fw::dpiOf(hwnd());
    for (int i = 0; i < kReportColumnCount; ++i) {
      const ReportColumn& column = kReportColumns[i];
      fw::insertColumn(list, i, fw::loadString(column.titleId),
                       columnWidth(column, window.right - window.left, dpi));
    }
  }
  insertDevices(report);
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);

  viewMode = command;
  CheckMenuRadioItem(GetMenu(hwnd()), kFirstViewCommand, kLastViewCommand, command, MF_BYCOMMAND);
}

void CDeviceListDlg::insertDevices(bool report) {
  const size_t count = listedDeviceCount(adapter);
  for (size_t i = 0; i < count; ++i) {
    const inv::DeviceInfo& device = adapter.devices[i];
    const std::string vendor = fieldText(device.vendor);
    const std::string product = fieldText(device.product);
    const std::string text =
        report ? vendor : fw::formatString(IDS_VENDOR_PRODUCT, vendor.c_str(), product.c_str());

    LVITEMA lv = {};
    lv.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    lv.iItem = static_cast<int>(i);
    lv.pszText = const_cast<char*>(text.c_str());
    // The picture is known now: a callback would cost a notification and an item lookup
    // for every item each time the list paints.
    lv.iImage = typeImage[deviceImageSlot(device.deviceType)];
    lv.lParam = static_cast<LPARAM>(i);
    int item =
        static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&lv)));
    if (item < 0 || !report) continue;

    const std::string cells[] = {product, fw::loadString(inv::deviceTypeName(device.deviceType)),
                                 std::to_string(device.target), fieldText(device.revision)};
    for (int sub = 1; sub <= 4; ++sub) {
      LVITEMA cell = {};
      cell.iSubItem = sub;
      cell.pszText = const_cast<char*>(cells[sub - 1].c_str());
      SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(item),
                   reinterpret_cast<LPARAM>(&cell));
    }
  }
}

int CALLBACK CDeviceListDlg::compareItems(LPARAM first, LPARAM second, LPARAM self) {
  const CDeviceListDlg* dlg = reinterpret_cast<const CDeviceListDlg*>(self);
  const inv::DeviceInfo* a = dlg->deviceOfItemData(first);
  const inv::DeviceInfo* b = dlg->deviceOfItemData(second);
  if (!a || !b) return 0;
  return compareDevices(*a, *b, dlg->sort.sortKey, dlg->sort.ascending(), localeCompare);
}

void CDeviceListDlg::sortDevices() {
  SendMessageA(list, LVM_SORTITEMS, reinterpret_cast<WPARAM>(this),
               reinterpret_cast<LPARAM>(&CDeviceListDlg::compareItems));
}

void CDeviceListDlg::openDeviceOfItem(int item) {
  if (item < 0) return;
  const inv::DeviceInfo* device = deviceOfItemData(fw::itemData(list, item));
  if (device && openDevice) openDevice(*device);
}

void CDeviceListDlg::toggleStatusBar() {
  if (!statusBar.exists()) return;
  statusBarVisible = statusBarVisible ? 0 : 1;
  CheckMenuItem(GetMenu(hwnd()), ID_VIEW_STATUS_BAR, statusBarVisible ? MF_CHECKED : MF_UNCHECKED);
  statusBar.show(statusBarVisible != 0);
  RECT client;
  GetClientRect(hwnd(), &client);
  SendMessageA(hwnd(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

void CDeviceListDlg::layout(int width, int height) {
  if (!list) return;
  // Without a status bar (it could not be created) the list takes the whole window.
  const int barHeight = statusBar.exists() && statusBarVisible ? statusBar.layout() : 0;
  MoveWindow(list, 0, 0, width, height > barHeight ? height - barHeight : 0, TRUE);
}

bool CDeviceListDlg::onCommand(WORD id, WORD notifyCode, HWND control) {
  // Enter in the list opens the selected device, as a double click would.
  if (id == IDOK && notifyCode == BN_CLICKED && !control) {
    openDeviceOfItem(fw::firstSelected(list));
    return true;
  }
  switch (id) {
    case ID_DEVICE_OPEN:
    case ID_DEVICE_PROPERTIES:
    case ID_DEVICE_CTX_PROPERTIES: openDeviceOfItem(fw::firstSelected(list)); return true;
    case ID_DEVICE_CLOSE: endDialog(IDOK); return true;
    case ID_VIEW_STATUS_BAR: toggleStatusBar(); return true;
    case ID_VIEW_LARGE_ICONS:
    case ID_VIEW_SMALL_ICONS:
    case ID_VIEW_LIST:
    case ID_VIEW_DETAILS:
      if (id != viewMode) applyViewMode(id);
      return true;
    case ID_ARRANGE_BY_NAME:
    case ID_ARRANGE_BY_VENDOR:
    case ID_ARRANGE_BY_TARGET:
      if (sort.arrange(id)) sortDevices();
      return true;
    case ID_HELP_TOPICS: showFullHelp(nullptr); return true;
    case ID_APP_ABOUT_VELMORA: showAbout(hwnd()); return true;
    default: return Dialog::onCommand(id, notifyCode, control);
  }
}

void CDeviceListDlg::onInitMenuPopup(HMENU menu, bool systemMenu) {
  HMENU file = GetSubMenu(GetMenu(hwnd()), 0);
  if (systemMenu || menu != file) return;
  const bool single = fw::selectedCount(list) == 1;
  const UINT state = single ? MF_ENABLED : (MF_GRAYED | MF_DISABLED);
  EnableMenuItem(file, ID_DEVICE_OPEN, MF_BYCOMMAND | state);
  EnableMenuItem(file, ID_DEVICE_PROPERTIES, MF_BYCOMMAND | state);
  SetMenuDefaultItem(file, single ? ID_DEVICE_OPEN : static_cast<UINT>(-1), FALSE);
}

void CDeviceListDlg::onContextMenu(POINT screen) {
  // Shift+F10 or the menu key: the selected device's menu below it, or the view menu at
  // the list's corner when none is selected.
  int hit = -1;
  if (fw::fromKeyboard(screen)) screen = fw::keyboardMenuPoint(list, &hit);
  else hit = fw::itemAtScreenPoint(list, screen);
  // Both menus are tracked with this window as owner, so their commands come here: in an
  // in-process server there is no application main window to send them to.
  if (hit >= 0) {
    fw::LoadedMenu menu(IDR_DEVICE_CTX_MENU);
    if (HMENU popup = menu.popup()) {
      SetMenuDefaultItem(popup, ID_DEVICE_CTX_PROPERTIES, FALSE);
      TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd(),
                     nullptr);
    }
  } else {
    fw::LoadedMenu menu(IDR_DEVICE_BKGD_MENU);
    if (HMENU popup = menu.popup()) {
      CheckMenuRadioItem(popup, kFirstViewCommand, kLastViewCommand, viewMode, MF_BYCOMMAND);
      TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd(),
                     nullptr);
    }
  }
}

LRESULT CDeviceListDlg::onNotify(const NMHDR& header) {
  if (header.hwndFrom != list) return 0;
  switch (header.code) {
    case LVN_COLUMNCLICK:
      if (sort.columnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem)) sortDevices();
      return 0;
    case NM_DBLCLK: {
      DWORD pos = GetMessagePos();
      POINT screen = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
      openDeviceOfItem(fw::itemAtScreenPoint(list, screen));
      return 0;
    }
    default: return 0;
  }
}

BOOL CDeviceListDlg::onHelp(const HELPINFO& info) {
  // F1: the whole help file, owned by the window the request names.
  return showFullHelp(static_cast<HWND>(info.hItemHandle)) != nullptr;
}

INT_PTR CDeviceListDlg::handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = true;
  switch (message) {
    case WM_SIZE: layout(LOWORD(lParam), HIWORD(lParam)); return TRUE;
    case WM_INITMENUPOPUP:
      onInitMenuPopup(reinterpret_cast<HMENU>(wParam), HIWORD(lParam) != 0);
      return TRUE;
    case WM_MENUSELECT: statusBar.onMenuSelect(wParam, lParam); return TRUE;
    case WM_CONTEXTMENU:
      onContextMenu({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      return TRUE;
    case WM_NOTIFY:
      SetWindowLongPtrA(hwnd(), DWLP_MSGRESULT, onNotify(*reinterpret_cast<const NMHDR*>(lParam)));
      return TRUE;
    case WM_DRAWITEM: {
      const DRAWITEMSTRUCT& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (draw.CtlType != ODT_LISTVIEW || draw.hwndItem != list) break;
      fw::drawReportRow(draw);
      return TRUE;
    }
    case WM_HELP:
      SetWindowLongPtrA(hwnd(), DWLP_MSGRESULT, onHelp(*reinterpret_cast<const HELPINFO*>(lParam)));
      return TRUE;
    default: break;
  }
  handled = false;
  return FALSE;
}

void showDeviceList(const inv::HostAdapterInfo& adapter, DeviceAction openDevice) {
  CDeviceListDlg dialog(adapter, nullptr);
  dialog.setOpenDevice(std::move(openDevice));
  dialog.doModal();
}

}  // namespace srv
