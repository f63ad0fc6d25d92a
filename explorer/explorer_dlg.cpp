#include "explorer/explorer_dlg.h"

#include <windowsx.h>

#include "explorer/html_help.h"
#include "framework/dpi.h"
#include "framework/listview.h"
#include "framework/menu.h"
#include "framework/strings.h"

namespace explorer {
namespace {

constexpr int kViewMenuPosition = 1;  // "&View" in the menu bar

void enableItem(HMENU menu, UINT id, bool enabled) {
  EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

}  // namespace

CScsiExplorerDlg::CScsiExplorerDlg(const ExplorerFlavor& flavor, ExplorerSettings& settings,
                                   ServerFactory factory, HWND parent)
    : Dialog(flavor.templateId, parent),
      flavor_(flavor),
      settings_(settings),
      factory_(std::move(factory)) {}

CScsiExplorerDlg::~CScsiExplorerDlg() = default;

void CScsiExplorerDlg::switchView(int32_t view) {
  const ViewMode& mode = viewMode(view);
  bool details = mode.style == ViewStyle::Report;
  list_.setView(mode, largeImages_.get(), smallImages_.get());
  if (details) {
    std::array<std::string, 4> headings;
    for (size_t i = 0; i < headings.size(); ++i)
      headings[i] = fw::loadString(flavor_.columnTextIds[i]);
    RECT outer;
    GetWindowRect(hwnd(), &outer);
    const unsigned dpi = fw::dpiOf(hwnd());
    list_.insertColumns(headings, lastColumnWidth(outer.right - outer.left, dpi), dpi);
  }
  for (size_t i = 0; i < records_; ++i) list_.addAdapter(adapters_[i], details);
  settings_.view = view;
  markView(GetSubMenu(GetMenu(hwnd()), kViewMenuPosition));
}

// Radio mark on the current view; none for a stored value that is no view.
void CScsiExplorerDlg::markView(HMENU viewMenu) const {
  if (!viewMenu) return;
  if (isViewCommand(settings_.view)) {
    CheckMenuRadioItem(viewMenu, ID_VIEW_LARGE_ICONS, ID_VIEW_DETAILS,
                       static_cast<UINT>(settings_.view), MF_BYCOMMAND);
    return;
  }
  for (const ViewMode& m : kViewModes) CheckMenuItem(viewMenu, m.command, MF_BYCOMMAND | MF_UNCHECKED);
}

void CScsiExplorerDlg::placeWindow() {
  const auto& r = settings_.sizePos;
  RECT stored = {r[0], r[1], r[2], r[3]};
  // A rectangle on no monitor (a screen since removed, a damaged value) would hide the window.
  if (placementCentres(r) || !MonitorFromRect(&stored, MONITOR_DEFAULTTONULL)) {
    centreWindow();
    return;
  }
  MoveWindow(hwnd(), stored.left, stored.top, stored.right - stored.left,
             stored.bottom - stored.top, TRUE);
}

// On the owner when it shows, else on the work area of the window's monitor.
void CScsiExplorerDlg::centreWindow() {
  RECT window;
  GetWindowRect(hwnd(), &window);
  RECT area;
  HWND owner = GetWindow(hwnd(), GW_OWNER);
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) {
    GetWindowRect(owner, &area);
  } else {
    MONITORINFO info = {sizeof info, {}, {}, 0};
    GetMonitorInfoA(MonitorFromWindow(hwnd(), MONITOR_DEFAULTTOPRIMARY), &info);
    area = info.rcWork;
  }
  int width = window.right - window.left, height = window.bottom - window.top;
  int x = area.left + ((area.right - area.left) - width) / 2;
  int y = area.top + ((area.bottom - area.top) - height) / 2;
  SetWindowPos(hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CScsiExplorerDlg::storeWindowRect() {
  RECT r;
  GetWindowRect(hwnd(), &r);
  if (IsIconic(hwnd())) {
    // A minimised window's rectangle lies far off screen: keep the one it restores to.
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (GetWindowPlacement(hwnd(), &placement)) {
      r = placement.rcNormalPosition;
      MONITORINFO info = {sizeof info, {}, {}, 0};
      if (GetMonitorInfoA(MonitorFromRect(&r, MONITOR_DEFAULTTOPRIMARY), &info))
        OffsetRect(&r, info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top);
    }
  }
  settings_.sizePos = {r.left, r.top, r.right, r.bottom};
}

void CScsiExplorerDlg::toggleStatusBar() {
  if (!statusBar_.exists()) return;  // the command is greyed then
  settings_.statusBar = settings_.statusBar ? 0 : 1;
  CheckMenuItem(GetMenu(hwnd()), ID_VIEW_STATUS_BAR,
                MF_BYCOMMAND | (settings_.statusBar ? MF_CHECKED : MF_UNCHECKED));
  statusBar_.show(settings_.statusBar != 0);
  RECT client;
  GetClientRect(hwnd(), &client);
  SendMessageA(hwnd(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

// The bar's own visibility is no guide while the window itself is still hidden.
bool CScsiExplorerDlg::statusBarShown() const {
  return statusBar_.exists() && settings_.statusBar != 0;
}

void CScsiExplorerDlg::layoutChildren() {
  if (!list_.hwnd()) return;
  RECT client;
  GetClientRect(hwnd(), &client);
  int barHeight = statusBarShown() ? statusBar_.layout() : 0;
  MoveWindow(list_.hwnd(), 0, 0, client.right, client.bottom > barHeight ? client.bottom - barHeight : 0,
             TRUE);
}

std::string CScsiExplorerDlg::adapterCountText() const {
  unsigned count = adapters_ ? static_cast<unsigned>(adapters_[0].adapterCount) : 0u;
  return fw::formatString(IDS_ADAPTER_COUNT, count);
}

std::string CScsiExplorerDlg::helpPath() const {
  // The program looks its help file up by the bare name.
  return helpFile(flavor_.host == ExplorerHost::Standalone ? std::string() : installFolder_);
}

const inv::HostAdapterInfo* CScsiExplorerDlg::lookUpSelection() {
  current_ = list_.hwnd() ? list_.selectedRecord() : nullptr;
  return current_;
}

intptr_t CScsiExplorerDlg::addressOf(const inv::HostAdapterInfo* record) const {
  return reinterpret_cast<intptr_t>(record);
}

bool CScsiExplorerDlg::onCommand(WORD id, WORD notifyCode, HWND control) {
  // Enter in the list opens the selected adapter, as a double click would; the window
  // itself closes only by its Close command, Esc or the caption's button.
  if (id == IDOK && notifyCode == BN_CLICKED && !control) {
    if (server_ && lookUpSelection()) server_->showDeviceList(addressOf(current_));
    return true;
  }
  switch (commandAction(flavor_, id)) {
    case Action::Open:
      if (server_ && lookUpSelection()) server_->showDeviceList(addressOf(current_));
      return true;
    case Action::Properties:
      if (server_ && lookUpSelection()) server_->showHostAdapterProperty(addressOf(current_), 0);
      return true;
    case Action::Seldarn:
      if (server_ && lookUpSelection()) server_->showSeldarn(addressOf(current_));
      return true;
    case Action::Close:
      endDialog(IDOK);
      return true;
    case Action::ToggleStatusBar:
      toggleStatusBar();
      return true;
    case Action::SwitchView:
      if (id != settings_.view && records_ > 0) switchView(id);
      return true;
    case Action::ArrangeByName:
      list_.sort(sort_.arrange(SortField::Name));
      return true;
    case Action::ArrangeByDriver:
      list_.sort(sort_.arrange(SortField::Driver));
      return true;
    case Action::ArrangeByScsiId:
      list_.sort(sort_.arrange(SortField::AdapterNumber));
      return true;
    case Action::HelpTopics:
      htmlHelp(nullptr, helpPath(), kHelpDisplayTopic, 0);
      return true;
    case Action::About:
      if (server_) server_->showVelmoraAboutDialog();
      return true;
    case Action::None:
      break;
  }
  return Dialog::onCommand(id, notifyCode, control);
}

void CScsiExplorerDlg::onInitMenuPopup(HMENU popup, UINT index, bool systemMenu) {
  if (index != 0 || systemMenu) return;
  FileMenuState state = fileMenuState(lookUpSelection());
  enableItem(popup, ID_FILE_OPEN, state.openEnabled);
  enableItem(popup, flavor_.filePropertiesId, state.propertiesEnabled);
  enableItem(popup, flavor_.fileSeldarnId, state.seldarnEnabled);
  if (state.openIsDefault) SetMenuDefaultItem(popup, ID_FILE_OPEN, FALSE);
}

void CScsiExplorerDlg::onContextMenu(POINT screen) {
  // From the keyboard (Shift+F10, the menu key): the selected item's menu below it, or
  // the background menu at the list's corner when no item is selected.
  int hit = -1;
  if (fw::fromKeyboard(screen)) screen = fw::keyboardMenuPoint(list_.hwnd(), &hit);
  else hit = list_.itemAt(screen);
  if (hit >= 0) {
    fw::LoadedMenu menu(IDR_ITEM_MENU);
    HMENU popup = menu.popup();
    if (!popup) return;
    SetMenuDefaultItem(popup, ID_FILE_OPEN, FALSE);
    const inv::HostAdapterInfo* record = list_.record(hit);
    if (record && record->extendedFeatures == 0)
      EnableMenuItem(popup, ID_ITEM_SELDARN, MF_BYCOMMAND | MF_GRAYED);
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd(), nullptr);
    return;
  }
  fw::LoadedMenu menu(IDR_BACKGROUND_MENU);
  HMENU popup = menu.popup();
  if (!popup) return;
  markView(GetSubMenu(popup, 0));
  TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd(), nullptr);
}

void CScsiExplorerDlg::onNotify(const NMHDR& header) {
  if (header.idFrom != IDC_ADAPTER_LIST) return;
  switch (header.code) {
    case LVN_GETDISPINFOA:
    case LVN_GETDISPINFOW: {
      // The item layout is the same in both character sets.
      auto& info = const_cast<NMLVDISPINFOA&>(reinterpret_cast<const NMLVDISPINFOA&>(header));
      if (info.item.mask & LVIF_IMAGE) info.item.iImage = adapterImage_;
      break;
    }
    case LVN_COLUMNCLICK: {
      const auto& click = reinterpret_cast<const NMLISTVIEW&>(header);
      if (auto key = sort_.headerClick(click.iSubItem)) list_.sort(*key);
      break;
    }
    case NM_DBLCLK: {
      // The item under the cursor, which need not be the selected one.
      POINT cursor;
      GetCursorPos(&cursor);
      const inv::HostAdapterInfo* record = list_.record(list_.itemAt(cursor));
      if (record && server_) server_->showDeviceList(addressOf(record));
      break;
    }
    default:
      break;
  }
}

bool CScsiExplorerDlg::onHelp(const HELPINFO& info) {
  return htmlHelp(static_cast<HWND>(info.hItemHandle), helpPath(), kHelpDisplayTopic, 0) != nullptr;
}

bool CScsiExplorerDlg::paintMinimised() {
  if (!IsIconic(hwnd())) return false;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  SendMessageA(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(hwnd(), &client);
  int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
  int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
  if (icon_) DrawIcon(dc, x, y, icon_);
  EndPaint(hwnd(), &ps);
  return true;
}

INT_PTR CScsiExplorerDlg::handleMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                        bool& handled) {
  handled = true;
  switch (message) {
    case WM_NOTIFY:
      onNotify(*reinterpret_cast<const NMHDR*>(lParam));
      return TRUE;
    case WM_DRAWITEM:
      if (wParam != IDC_ADAPTER_LIST) break;
      list_.drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_INITMENUPOPUP:
      onInitMenuPopup(reinterpret_cast<HMENU>(wParam), LOWORD(lParam), HIWORD(lParam) != 0);
      return TRUE;
    case WM_CONTEXTMENU:
      onContextMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return TRUE;
    case WM_MENUSELECT:
      statusBar_.onMenuSelect(wParam, lParam);
      return TRUE;
    case WM_SIZE:
      layoutChildren();
      return TRUE;
    case WM_HELP:
      SetWindowLongPtrA(hwnd(), DWLP_MSGRESULT,
                        onHelp(*reinterpret_cast<const HELPINFO*>(lParam)) ? TRUE : FALSE);
      return TRUE;
    case WM_PAINT:
      if (paintMinimised()) return TRUE;
      break;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(icon_);
    case WM_DESTROY:
      if (flavor_.host == ExplorerHost::ControlPanel) {
        if (started_) storeWindowRect();
      } else if (htmlHelpLoaded()) {
        htmlHelp(nullptr, std::string(), kHelpCloseAll, 0);
      }
      break;
    default:
      break;
  }
  handled = false;
  return FALSE;
}

void CScsiExplorerDlg::onDestroyed() {
  // The list is gone: nothing refers to the object's records any more.
  server_.reset();
  adapters_ = nullptr;
  records_ = 0;
  current_ = nullptr;
}

}  // namespace explorer
