#include <cstring>

#include <oleacc.h>

#include "devsheet/devsheet.h"
#include "devsheet/devsheet_res.h"
#include "devsheet/general_info.h"
#include "framework/dpi.h"
#include "framework/module.h"
#include "framework/strings.h"
#include "inventory/device_types.h"
#include "scsi/manager.h"
#include "server/devicelist_res.h"
#include "server/help.h"

namespace dev {
namespace {

constexpr COLORREF kPictureKey = RGB(0, 255, 255);

std::string field(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

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
  const std::string vendor = field(device.vendor, sizeof device.vendor);
  const std::string product = field(device.product, sizeof device.product);
  const std::string revision = field(device.revision, sizeof device.revision);
  const uint8_t* inquiry = device.inquiryHeader;
  const std::string typeName = fw::loadString(inv::deviceTypeName(device.deviceType));
  fields_[0] = {IDC_DEV_TITLE, fw::formatString(IDS_VENDOR_PRODUCT, vendor.c_str(), product.c_str())};
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
  const unsigned dpi = fw::dpiOf(hwnd());
  HDC screen = GetDC(nullptr);
  if (screen && GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES) > 4) {
    // The drawing for the page's scale: 1x, 1.5x or 2x.
    RECT area = {};
    GetClientRect(item(IDC_DEV_PICTURE), &area);
    if (dibPicture_.loadForDpi(pictures.dib256, dpi, fw::resourceModule(), {area.right, area.bottom})) {
      HPALETTE previous = dibPicture_.selectPalette(screen, false);
      dibPicture_.makeBitmap(screen);
      if (previous) SelectPalette(screen, previous, FALSE);
    }
  } else {
    plainPicture_.reset(static_cast<HBITMAP>(LoadImageA(
        fw::resourceModule(), MAKEINTRESOURCEA(pictures.plain16), IMAGE_BITMAP, 0, 0, 0)));
  }
  if (screen) ReleaseDC(nullptr, screen);
  separator_.reset(fw::loadPicture(fw::resourceModule(), IDB_DEV_SEPARATOR, dpi));
  fw::attachAccessible(item(IDC_DEV_PICTURE), this);
  return TRUE;
}

void CDevGeneralPage::drawPicture(HDC dc, int x, int y) {
  if (plainPicture_) {
    srv::drawTransparentBitmap(dc, x, y, plainPicture_.get(), kPictureKey);
  } else if (dibPicture_.bitmap()) {
    HPALETTE previous = dibPicture_.selectPalette(dc, true);
    srv::drawTransparentBitmap(dc, x, y, dibPicture_.bitmap(), kPictureKey);
    if (previous) SelectPalette(dc, previous, TRUE);
  }
}

void CDevGeneralPage::paint(HDC dc) {
  if (item(IDC_DEV_PICTURE)) {
    const RECT area = controlRect(IDC_DEV_PICTURE);
    drawPicture(dc, area.left, area.top);
  }
  if (item(IDC_DEV_SEPARATOR)) paintSeparator(dc, controlRect(IDC_DEV_SEPARATOR), separator_.get());
}

INT_PTR CDevGeneralPage::handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  // The picture's control repaints it when it is repainted alone.
  if (message == WM_DRAWITEM && wParam == IDC_DEV_PICTURE) {
    const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    drawPicture(draw->hDC, 0, 0);
    handled = true;
    return TRUE;
  }
  return HelpedPage::handleMessage(message, wParam, lParam, handled);
}

bool CDevGeneralPage::accessibleItem(HWND, long child, fw::AccessibleItem& out) {
  if (child != CHILDID_SELF) return false;
  out.name = fw::widen(fw::loadString(IDS_DEV_ACC_PICTURE));
  out.value = fw::widen(fw::loadString(inv::deviceTypeName(device_.deviceType)));
  out.role = ROLE_SYSTEM_GRAPHIC;
  out.state = STATE_SYSTEM_READONLY;
  return true;
}

}  // namespace dev
