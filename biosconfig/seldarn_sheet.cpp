#include "biosconfig/seldarn_sheet.h"

#include <commctrl.h>

#include "adaptersheet/adaptersheet.h"
#include "biosconfig/advanced_page.h"
#include "biosconfig/biosconfig_res.h"
#include "biosconfig/boot_device_page.h"
#include "biosconfig/bus_interface_page.h"
#include "biosconfig/channel_reader.h"
#include "biosconfig/device_config_page.h"
#include "biosconfig/see_common.h"
#include "framework/strings.h"
#include "server/help.h"
#include "server/module_res.h"

namespace bios {

CSeldarnPropertySheet::CSeldarnPropertySheet(HostAdapterInfo& adapter, const std::string& title,
                                             HWND parent, UINT startPage)
    : PropertySheet(title, parent, startPage),
      adapter_(adapter),
      configurationRead_(readAllBlocks(adapter)) {
  setTitle(title);
  busInterface_ = std::make_unique<CSeeBusInf>(adapter);
  bootDevice_ = std::make_unique<CSeeBootDev>(adapter);
  deviceConfig_ = std::make_unique<CSeeScsiDev>(adapter);
  advanced_ = std::make_unique<CSeeAdvCfg>(adapter);
  addPage(busInterface_.get());
  addPage(bootDevice_.get());
  addPage(deviceConfig_.get());
  addPage(advanced_.get());
  snapshot_.take(adapter);
}

CSeldarnPropertySheet::~CSeldarnPropertySheet() = default;

void CSeldarnPropertySheet::onInitialized() {
  SetWindowLongPtrA(hwnd(), GWL_EXSTYLE, GetWindowLongPtrA(hwnd(), GWL_EXSTYLE) | WS_EX_CONTEXTHELP);
  headingFont_.reset(ha::createHeadingFont(hwnd()));
}

LRESULT CSeldarnPropertySheet::handleMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                             bool& handled) {
  if (message == WM_HELP && lParam) {
    const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
    srv::showTextPopup(srv::kSeldarnSheetPopups, static_cast<HWND>(info->hItemHandle),
                       info->MousePos, static_cast<UINT>(info->iCtrlId));
    handled = true;
    return TRUE;
  }
  return PropertySheet::handleMessage(message, wParam, lParam, handled);
}

void showSeldarnSheet(HostAdapterInfo& adapter) {
  const std::string title = fw::formatString(
      IDS_SELDARN_SHEET_TITLE, fixedText(adapter.displayName, sizeof adapter.displayName).c_str());
  CSeldarnPropertySheet sheet(adapter, title, nullptr, 0);
  sheet.doModal();
}

}  // namespace bios
