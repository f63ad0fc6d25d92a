#include <cstring>

#include <oleacc.h>

#include "contract/record_text.h"
#include "devsheet/devsheet.h"
#include "devsheet/devsheet_res.h"
#include "devsheet/general_info.h"
#include "framework/dpi.h"
#include "framework/module.h"
#include "framework/strings.h"
#include "inventory/device_types.h"
#include "pages/help.h"
#include "pages/page_picture.h"
#include "scsi/manager.h"

namespace dev {
namespace {

std::string yesNo(bool yes) { return fw::loadString(yes ? IDS_DEV_YES : IDS_DEV_NO); }

}  // namespace

std::string capacityText(const inv::DeviceInfo& device) {
  const std::string notAvailable = fw::loadString(IDS_DEV_NOT_AVAILABLE);
  if (!hasCapacity(device.inquiryHeader[0])) return notAvailable;
  uint8_t answer[scsi::kCapacityLength] = {};
  scsi::ExecCommandBlock block;
  // A device that did not answer has no capacity to show; "0 MBytes" would be a claim.
  if (!scsi::sendCommand(block, device.adapterNumber, device.target, scsi::readCapacity(), answer,
                         scsi::Feedback::WaitCursor).ok)
    return notAvailable;
  Capacity capacity;
  capacityFrom10(answer, sizeof answer, capacity);
  if (needsCapacity16(capacity)) {
    uint8_t answer16[scsi::kCapacity16Length] = {};
    if (!scsi::sendCommand(block, device.adapterNumber, device.target, scsi::readCapacity16(),
                           answer16, scsi::Feedback::WaitCursor).ok ||
        !capacityFrom16(answer16, sizeof answer16, capacity))
      return notAvailable;
  }
  return megabytesText(fw::loadString(IDS_DEV_CAPACITY), capacity);
}

CDevGeneralPage::CDevGeneralPage(HICON icon, const inv::DeviceInfo& device)
    : HelpedPage(IDD_DEV_GENERAL, srv::kHelpDeviceGeneral), icon_(icon), device_(device) {
  const std::string vendor = inv::recordText(device.vendor);
  const std::string product = inv::recordText(device.product);
  const std::string revision = inv::recordText(device.revision);
  const uint8_t* inquiry = device.inquiryHeader;
  const std::string typeName = fw::loadString(inv::deviceTypeName(device.deviceType));
  fields_[0] = {IDC_DEV_TITLE, deviceHeading(device)};
  fields_[1] = {IDC_DEV_TYPE, fw::formatString(IDS_DEV_TYPE, typeName.c_str())};
  fields_[2] = {IDC_DEV_SCSI_ID, fw::formatString(IDS_DEV_SCSI_ID, unsigned{device.target})};
  fields_[3] = {IDC_DEV_VENDOR, vendor};
  fields_[4] = {IDC_DEV_PRODUCT, fw::formatString(IDS_DEV_PRODUCT, product.c_str())};
  fields_[5] = {IDC_DEV_REVISION, fw::formatString(IDS_DEV_REVISION, revision.c_str())};
  fields_[6] = {IDC_DEV_ANSI, fw::formatString(IDS_DEV_ANSI_VERSION, ansiVersion(inquiry[2]))};
  fields_[7] = {IDC_DEV_ISO, yesNo(isoCompliant(inquiry[2]))};
  fields_[8] = {IDC_DEV_REMOVABLE, yesNo(removableMedium(inquiry[1]))};
  fields_[9] = {IDC_DEV_CAPACITY, capacityText(device)};
}

const std::string& CDevGeneralPage::text(int controlId) const {
  static const std::string none;
  for (const Field& f : fields_)
    if (f.controlId == controlId) return f.text;
  return none;
}

void CDevGeneralPage::doDataExchange(fw::DataExchange& dx) {
  for (Field& f : fields_) dx.text(f.controlId, f.text);
}

BOOL CDevGeneralPage::onInitDialog() {
  PropertyPage::onInitDialog();
  auto* owner = static_cast<CDevPropertySheet*>(sheet());
  HFONT font = owner ? owner->titleFont() : nullptr;
  if (font) SendDlgItemMessageA(hwnd(), IDC_DEV_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendDlgItemMessageA(hwnd(), IDC_DEV_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);

  const PicturePair pictures = devicePicture(device_.deviceType);
  picture_.load(hwnd(), IDC_DEV_PICTURE, pictures.dib256, pictures.plain16);
  separator_.reset(fw::loadPicture(fw::resourceModule(), IDB_DEV_SEPARATOR, fw::dpiOf(hwnd())));
  fw::attachAccessible(item(IDC_DEV_PICTURE), this);
  return TRUE;
}

void CDevGeneralPage::paint(HDC dc) {
  if (item(IDC_DEV_PICTURE)) {
    const RECT area = controlRect(IDC_DEV_PICTURE);
    picture_.draw(dc, area.left, area.top);
  }
  paintEtched(dc, IDC_DEV_SEPARATOR, separator_.get());
}

INT_PTR CDevGeneralPage::handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  // The picture's control repaints it when it is repainted alone.
  if (message == WM_DRAWITEM && picture_.drawItem(wParam, lParam, IDC_DEV_PICTURE)) {
    handled = true;
    return TRUE;
  }
  return HelpedPage::handleMessage(message, wParam, lParam, handled);
}

bool CDevGeneralPage::accessibleItem(HWND, long child, fw::AccessibleItem& out) {
  return srv::pictureItem(child, IDS_DEV_ACC_PICTURE,
                          fw::loadString(inv::deviceTypeName(device_.deviceType)), out);
}

}  // namespace dev
