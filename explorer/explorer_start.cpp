// The window's start: the automation object, the icons, the stored settings and the
// adapters, in the order of the applet or of the program, then the status bar and the view.
#include "explorer/explorer_dlg.h"

#include "explorer/settings_store.h"
#include "framework/module.h"
#include "framework/msgbox.h"
#include "framework/regkey.h"
#include "framework/strings.h"

namespace explorer {
namespace {

constexpr char kAppPathKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Orvane";
constexpr char kAppPathValue[] = "Path";

}  // namespace

BOOL CScsiExplorerDlg::onInitDialog() {
  list_.attach(item(IDC_ADAPTER_LIST));
  bool shown = flavor_.host == ExplorerHost::Standalone ? startStandalone() : startInControlPanel();
  started_ = shown;
  return TRUE;
}

// The applet's order: the object, its icons, the settings, then the adapters.
bool CScsiExplorerDlg::startInControlPanel() {
  server_ = factory_ ? factory_() : nullptr;
  if (!server_) {
    fail(flavor_.noServerTextId, 0);
    return false;
  }
  icon_ = reinterpret_cast<HICON>(static_cast<LONG_PTR>(server_->getScsiLogoIcon()));
  createImageLists();
  readStoredSettings();
  loadAdapterList();
  if (records_ == 0) {
    fail(flavor_.noAdaptersTextId, IDOK);
    return false;
  }
  setUpStatusBar();
  readInstallFolder();
  switchView(settings_.view);
  SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  placeWindow();
  return true;
}

// The program's order: its own picture and icon first, whatever happens next.
bool CScsiExplorerDlg::startStandalone() {
  list_.setBackground(fw::moduleFolder(nullptr) + kBackgroundPicture);
  HINSTANCE module = fw::resourceModule();
  icon_ = LoadIconA(module, MAKEINTRESOURCEA(128));
  SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

  server_ = factory_ ? factory_() : nullptr;
  if (!server_) {
    fail(flavor_.noServerTextId, 0);
    return false;
  }
  adapterCount_ = static_cast<uint16_t>(server_->getHostAdaptersCount() & 0xFFFF);
  if (adapterCount_ == 0) {
    fail(flavor_.noAdaptersTextId, IDOK);
    return false;
  }
  createImageLists();
  readStoredSettings();
  adapters_ = reinterpret_cast<const inv::HostAdapterInfo*>(server_->getHostAdaptersList());
  records_ = listedRecordCount(adapterCount_, adapters_);
  if (records_ == 0) {  // the object could not build its list
    fail(flavor_.noAdaptersTextId, IDOK);
    return false;
  }
  setUpStatusBar();
  switchView(settings_.view);
  return true;
}

void CScsiExplorerDlg::fail(UINT textId, INT_PTR result) {
  fw::messageBox(hwnd(), textId, flavor_.captionId, MB_OK | MB_ICONERROR);
  endDialog(result);
}

void CScsiExplorerDlg::createImageLists() {
  const UINT flags = ILC_COLORDDB | ILC_MASK;
  smallImages_.reset(ImageList_Create(GetSystemMetrics(SM_CXSMICON),
                                      GetSystemMetrics(SM_CYSMICON), flags, 1, 0));
  if (smallImages_.get())
    adapterImage_ = ImageList_AddIcon(
        smallImages_.get(),
        reinterpret_cast<HICON>(static_cast<LONG_PTR>(server_->getHostAdapterIcon())));
  largeImages_.reset(ImageList_Create(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                      flags, 1, 0));
  if (largeImages_.get())
    adapterImage_ = ImageList_AddIcon(
        largeImages_.get(),
        reinterpret_cast<HICON>(static_cast<LONG_PTR>(server_->getHostAdapterIcon())));
}

void CScsiExplorerDlg::readStoredSettings() {
  readSettings(fw::loadString(flavor_.settingsKeyId), settings_);
  settingsRead_ = true;
}

void CScsiExplorerDlg::loadAdapterList() {
  adapterCount_ = static_cast<uint16_t>(server_->getHostAdaptersCount() & 0xFFFF);
  if (adapterCount_ != 0)
    adapters_ = reinterpret_cast<const inv::HostAdapterInfo*>(server_->getHostAdaptersList());
  // A list the object could not build counts as no adapters.
  records_ = listedRecordCount(adapterCount_, adapters_);
}

void CScsiExplorerDlg::setUpStatusBar() {
  HMENU menu = GetMenu(hwnd());
  if (!statusBar_.create(hwnd(), IDW_STATUS_BAR)) {
    EnableMenuItem(menu, ID_VIEW_STATUS_BAR, MF_BYCOMMAND | MF_GRAYED);
    return;
  }
  statusBar_.setIdleText(adapterCountText());
  statusBar_.show(settings_.statusBar != 0);
  CheckMenuItem(menu, ID_VIEW_STATUS_BAR,
                MF_BYCOMMAND | (settings_.statusBar ? MF_CHECKED : MF_UNCHECKED));
  layoutChildren();
}

void CScsiExplorerDlg::readInstallFolder() {
  fw::RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAppPathKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    return;
  char path[260] = {};
  DWORD size = sizeof path;
  DWORD type = 0;
  if (RegQueryValueExA(key.get(), kAppPathValue, nullptr, &type,
                       reinterpret_cast<BYTE*>(path), &size) != ERROR_SUCCESS)
    return;
  installFolder_ = installFolderFromPath(path, size);
  list_.setBackground(installFolder_ + kBackgroundPicture);
}

}  // namespace explorer
