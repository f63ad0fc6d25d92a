#include "devsheet/features_page.h"

#include <cstring>

#include "devsheet/devsheet.h"
#include "devsheet/devsheet_res.h"
#include "framework/module.h"
#include "framework/strings.h"
#include "server/devicelist_res.h"
#include "server/help.h"

namespace dev {
namespace {

constexpr COLORREF kSeparatorKey = RGB(255, 0, 0);

std::string field(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

HBITMAP loadBitmap(int id) {
  return static_cast<HBITMAP>(
      LoadImageA(fw::resourceModule(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
}

bool adapterShowsRate(const inv::DeviceInfo& device) {
  const auto* adapter = inv::fromAddress<const inv::HostAdapterInfo>(device.adapter);
  return adapter && showsNegotiatedRate(adapter->model.familyLevel, adapter->extendedFeatures);
}

}  // namespace

CDevScsiPage::CDevScsiPage(HICON icon, const inv::DeviceInfo& device, HMODULE library)
    : HelpedPage(IDD_DEV_FEATURES, srv::kHelpDeviceFeatures),
      icon_(icon),
      device_(device),
      library_(library),
      inquiry_(device.inquiryHeader),
      showsRate_(adapterShowsRate(device)),
      title_(fw::formatString(IDS_VENDOR_PRODUCT, field(device.vendor, sizeof device.vendor).c_str(),
                              field(device.product, sizeof device.product).c_str())) {}

void CDevScsiPage::doDataExchange(fw::DataExchange& dx) {
  dx.text(IDC_DEV_TITLE, title_);
  if (showsRate_) dx.text(IDC_DEV_RATE, rateText_);
}

BOOL CDevScsiPage::onInitDialog() {
  auto* owner = static_cast<CDevPropertySheet*>(sheet());
  // The rate is asked for before the controls are filled from the texts.
  if (showsRate_ && owner) owner->negotiatedRateText(device_.target, rateText_);
  PropertyPage::onInitDialog();
  HFONT font = owner ? owner->titleFont() : nullptr;
  if (font) SendDlgItemMessageA(hwnd(), IDC_DEV_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (showsRate_)
    for (int id : {IDC_DEV_RATE_LABEL, IDC_DEV_RATE_MARK, IDC_DEV_RATE}) ShowWindow(item(id), SW_SHOW);
  SendDlgItemMessageA(hwnd(), IDC_DEV_FEATURES_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
  supported_.reset(loadBitmap(IDB_DEV_SUPPORTED));
  unsupported_.reset(loadBitmap(IDB_DEV_NOT_SUPPORTED));
  separator_.reset(loadBitmap(IDB_DEV_SEPARATOR));
  return TRUE;
}

// Copies the mark unchanged at its own size, 2 pixels up and left of the control's corner;
// origin is where the control's corner lies in dc.
void CDevScsiPage::drawMark(HDC dc, int controlId, bool supported, POINT origin) {
  HBITMAP mark = supported ? supported_.get() : unsupported_.get();
  if (!mark || !item(controlId)) return;
  BITMAP info = {};
  if (!GetObjectA(mark, sizeof info, &info)) return;
  HDC source = CreateCompatibleDC(dc);
  if (!source) return;
  HGDIOBJ previous = SelectObject(source, mark);
  BitBlt(dc, origin.x - 2, origin.y - 2, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
  SelectObject(source, previous);
  DeleteDC(source);
}

void CDevScsiPage::paint(HDC dc) {
  for (const FeatureLine& line : kFeatureLines) {
    const RECT area = controlRect(line.markId);
    drawMark(dc, line.markId, featureSupported(inquiry_, line), {area.left, area.top});
  }
  if (showsRate_) {
    const RECT area = controlRect(IDC_DEV_RATE_MARK);
    drawMark(dc, IDC_DEV_RATE_MARK, true, {area.left, area.top});
  }
  if (item(IDC_DEV_SEPARATOR) && separator_) {
    const RECT line = controlRect(IDC_DEV_SEPARATOR);
    srv::drawTransparentBitmap(dc, line.left, line.top, separator_.get(), kSeparatorKey);
  }
}

INT_PTR CDevScsiPage::handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  // The mark controls are owner-drawn so that they keep the mark when repainted alone
  // (and stay visible for right-click help).
  if (message == WM_DRAWITEM) {
    handled = true;
    const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (draw->CtlID == IDC_DEV_RATE_MARK) {
      drawMark(draw->hDC, IDC_DEV_RATE_MARK, true, {0, 0});
    } else {
      for (const FeatureLine& line : kFeatureLines)
        if (draw->CtlID == line.markId)
          drawMark(draw->hDC, line.markId, featureSupported(inquiry_, line), {0, 0});
    }
    return TRUE;
  }
  return HelpedPage::handleMessage(message, wParam, lParam, handled);
}

}  // namespace dev
