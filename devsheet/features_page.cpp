#include "devsheet/features_page.h"

#include <cstring>

#include <oleacc.h>

#include "contract/record_text.h"
#include "devsheet/devsheet.h"
#include "devsheet/devsheet_res.h"
#include "framework/dpi.h"
#include "framework/module.h"
#include "framework/strings.h"
#include "pages/help.h"

namespace dev {
namespace {

// The marks' transparent colour, and the colours of the scheme that theirs stand for: the
// box is a read-only check box of the scheme, the tick its text.
constexpr COLORREF kMarkKey = RGB(255, 0, 0);
constexpr srv::SchemeColour kMarkColours[] = {
    {RGB(255, 255, 255), COLOR_WINDOW},
    {RGB(128, 128, 128), COLOR_BTNSHADOW},
    {RGB(224, 224, 224), COLOR_3DLIGHT},
    {RGB(0, 128, 0), COLOR_WINDOWTEXT},
};
// The mark reaches this far beyond its control on every side (at 96 DPI).
constexpr int kMarkOverhang = 2;


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
      title_(deviceHeading(device)) {}

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
  // The drawings for the page's scale: 1x, 1.5x or 2x.
  const unsigned dpi = fw::dpiOf(hwnd());
  HINSTANCE module = fw::resourceModule();
  supported_.reset(fw::loadPicture(module, IDB_DEV_SUPPORTED, dpi));
  unsupported_.reset(fw::loadPicture(module, IDB_DEV_NOT_SUPPORTED, dpi));
  separator_.reset(fw::loadPicture(module, IDB_DEV_SEPARATOR, dpi));
  overhang_ = fw::scaled(kMarkOverhang, dpi);
  for (const FeatureLine& line : kFeatureLines) fw::attachAccessible(item(line.markId), this);
  if (showsRate_) fw::attachAccessible(item(IDC_DEV_RATE_MARK), this);
  return TRUE;
}

// The mark at its own size, reaching beyond the control's corner by the overhang; origin
// is where the control's corner lies in dc.
void CDevScsiPage::drawMark(HDC dc, int controlId, bool supported, POINT origin) {
  HBITMAP mark = supported ? supported_.get() : unsupported_.get();
  if (!mark || !item(controlId)) return;
  srv::drawTransparentBitmap(dc, origin.x - overhang_, origin.y - overhang_, mark, kMarkKey,
                             kMarkColours);
}

bool CDevScsiPage::accessibleItem(HWND window, long child, fw::AccessibleItem& out) {
  if (child != CHILDID_SELF) return false;
  const int id = GetDlgCtrlID(window);
  int labelId = 0;
  std::string value;
  if (id == IDC_DEV_RATE_MARK && showsRate_) {
    labelId = IDC_DEV_RATE_LABEL;
    value = rateText_;
  }
  for (const FeatureLine& line : kFeatureLines) {
    if (line.markId == id) {
      labelId = line.labelId;
      value = fw::loadString(featureSupported(inquiry_, line) ? IDS_DEV_YES : IDS_DEV_NO);
    }
  }
  if (!labelId) return false;
  out.name = fw::widen(fw::withoutMnemonic(fw::windowText(item(labelId))));
  out.value = fw::widen(value);
  out.role = ROLE_SYSTEM_GRAPHIC;
  out.state = STATE_SYSTEM_READONLY;
  return true;
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
  paintEtched(dc, IDC_DEV_SEPARATOR, separator_.get());
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
