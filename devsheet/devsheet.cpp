#include "devsheet/devsheet.h"

#include <cstring>

#include "contract/record_text.h"
#include "devsheet/cache_page.h"
#include "devsheet/defect_page.h"
#include "devsheet/devsheet_res.h"
#include "devsheet/general_info.h"
#include "devsheet/mode_page.h"
#include "framework/dpi.h"
#include "framework/module.h"
#include "framework/strings.h"
#include "inventory/device_types.h"
#include "pages/heading.h"
#include "pages/sheet_res.h"
#include "scsi/miniport_channel.h"

namespace dev {
namespace {

constexpr uint32_t kNewestFamily = 4;


}  // namespace

CDevPropertySheet::CDevPropertySheet(HMODULE library, const inv::DeviceInfo& device, HICON icon,
                                     const std::string& title, HWND parent, UINT startPage)
    : PropertySheet(title, parent, startPage),
      library_(library),
      device_(device),
      adapter_(inv::fromAddress<const inv::HostAdapterInfo>(device.adapter)),
      icon_(icon) {
  general_ = std::make_unique<CDevGeneralPage>(icon, device);
  addPage(general_.get());
  features_ = std::make_unique<CDevScsiPage>(icon, device, library);
  addPage(features_.get());
  // For disks Defect List, Mode Parameters and R/W Cache, in that order.
  if (device.deviceType == 0) {
    defects_ = std::make_unique<CDevDefectPage>(icon, device, library);
    modePages_ = std::make_unique<CDevModePage>(icon, device, library);
    cache_ = std::make_unique<CDevCachePage>(icon, device, library);
  }
  for (fw::PropertyPage* page : {defects_.get(), modePages_.get(), cache_.get()})
    if (page) addPage(page);
  setTitle(title);
}

CDevPropertySheet::~CDevPropertySheet() = default;

void CDevPropertySheet::onInitialized() {
  // The caption's "?" button for the pages' context help.
  SetWindowLongPtrA(hwnd(), GWL_EXSTYLE, GetWindowLongPtrA(hwnd(), GWL_EXSTYLE) | WS_EX_CONTEXTHELP);
  titleFont();
}

HFONT CDevPropertySheet::titleFont() {
  if (titleFontTried_ || !hwnd()) return titleFont_.get();
  titleFontTried_ = true;
  titleFont_.reset(srv::createHeadingFont(hwnd()));
  return titleFont_.get();
}

int CDevPropertySheet::negotiatedRateText(uint8_t targetId, std::string& text) {
  if (adapter_ && adapter_->model.familyLevel == kNewestFamily)
    scsi::queryTransferRate(*adapter_, targetId, negotiatedRate_);
  if (negotiatedRate_ == kRateAsync) text = fw::loadString(IDS_DEV_ASYNC);
  else text = fw::formatString(IDS_DEV_RATE, rateNumber(negotiatedRate_).c_str());
  return 1;
}

std::string deviceHeading(const inv::DeviceInfo& device) {
  return fw::formatString(IDS_VENDOR_PRODUCT, inv::recordText(device.vendor).c_str(),
                          inv::recordText(device.product).c_str());
}

HBITMAP showPageHeading(HWND page, fw::PropertySheet* sheet, const inv::DeviceInfo& device,
                        HICON icon, int iconId) {
  auto* owner = static_cast<CDevPropertySheet*>(sheet);
  if (HFONT font = owner ? owner->titleFont() : nullptr)
    SendDlgItemMessageA(page, IDC_DEV_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SetDlgItemTextA(page, IDC_DEV_TITLE, deviceHeading(device).c_str());
  SendDlgItemMessageA(page, iconId, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  return fw::loadPicture(fw::resourceModule(), IDB_DEV_SEPARATOR, fw::dpiOf(page));
}

void showDevicePropertySheet(HMODULE library, const inv::DeviceInfo& device) {
  const std::string title =
      fw::formatString(IDS_DEVICE_SHEET_TITLE, inv::recordText(device.vendor).c_str(),
                       inv::recordText(device.product).c_str());
  HICON icon = LoadIconA(fw::resourceModule(),
                         MAKEINTRESOURCEA(inv::deviceTypeIcon(device.deviceType)));
  CDevPropertySheet sheet(library, device, icon, title, nullptr, 0);
  sheet.doModal();
}

}  // namespace dev
