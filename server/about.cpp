#include "server/about.h"

#include <richedit.h>

#include <cstdlib>

#include "framework/dpi.h"
#include "framework/strings.h"
#include "server/about_res.h"

namespace srv {
namespace {

constexpr COLORREF kPictureKey = RGB(255, 255, 255);
// Pixels at 96 DPI: the picture's indent in its frame, the gap under it, the shadow's
// offsets and the thickening of the title's face.
constexpr int kPictureIndent = 10;
constexpr int kTitleGap = 2;
constexpr int kShadowRight = 2;
constexpr int kShadowDown = 1;
constexpr int kThicken = 1;

// The title is embossed in the scheme's colours: its face in the 3-D highlight over a
// shadow, or in the button text where the highlight would hardly show on the face (a
// light face, a high-contrast scheme with a white face).
COLORREF titleFace() {
  const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  return fw::contrastRatio(highlight, GetSysColor(COLOR_BTNFACE)) < 1.5 ? GetSysColor(COLOR_BTNTEXT)
                                                                        : highlight;
}

HFONT arialBold(int height, int width, int weight) {
  return CreateFontA(height, width, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                     VARIABLE_PITCH | FF_SWISS, "Arial Bold");
}

}  // namespace

CAboutDlg::CAboutDlg(HWND parent)
    : Dialog(IDD_ABOUT, parent), versionText(fw::formatString(IDS_ABOUT_VERSION, kAboutVersion)) {}

void CAboutDlg::makeFonts() {
  HDC dc = GetDC(hwnd());
  if (!dc) return;
  HGDIOBJ previous =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(hwnd(), WM_GETFONT, 0, 0)));
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, previous);
  ReleaseDC(hwnd(), dc);
  const int height = metrics.tmHeight, width = metrics.tmAveCharWidth;
  versionFont.reset(arialBold(height * 5 / 4, width * 5 / 4, FW_NORMAL));
  titleFont.reset(arialBold(height * 2, width * 9 / 4, FW_HEAVY));
}

BOOL CAboutDlg::onInitDialog() {
  notice = item(IDC_ABOUT_NOTICE);
  SetWindowTextA(notice, fw::loadString(IDS_ABOUT_NOTICE).c_str());
  SetDlgItemTextA(hwnd(), IDC_ABOUT_VERSION, versionText.c_str());
  makeFonts();
  if (versionFont)
    SendDlgItemMessageA(hwnd(), IDC_ABOUT_VERSION, WM_SETFONT,
                        reinterpret_cast<WPARAM>(versionFont.get()), FALSE);

  // The picture's own bitmap for this screen and its scale, made under its palette.
  // It fits in the frame above the title.
  const unsigned dpi = fw::dpiOf(hwnd());
  RECT frame = {};
  GetClientRect(item(IDC_ABOUT_FRAME), &frame);
  LOGFONTA title = {};
  if (titleFont) GetObjectA(titleFont.get(), sizeof title, &title);
  const SIZE fit = {frame.right - fw::scaled(kPictureIndent, dpi),
                    frame.bottom - std::abs(static_cast<int>(title.lfHeight)) - fw::scaled(kTitleGap, dpi)};
  if (picture.loadForDpi(IDB_ABOUT_PICTURE, dpi, nullptr, fit)) {
    if (HDC dc = GetDC(hwnd())) {
      HPALETTE previous = picture.selectPalette(dc, false);
      picture.makeBitmap(dc);
      if (previous) SelectPalette(dc, previous, FALSE);
      ReleaseDC(hwnd(), dc);
    }
  }
  Dialog::onInitDialog();
  // Focus on OK, so the notice is not shown all selected.
  SetFocus(item(IDOK));
  return FALSE;
}

void CAboutDlg::paint(HDC dc) {
  RECT frame;
  GetWindowRect(item(IDC_ABOUT_FRAME), &frame);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&frame), 2);

  const unsigned dpi = fw::dpiOf(hwnd());
  HPALETTE previous = picture.selectPalette(dc, false);
  drawTransparentBitmap(dc, frame.left + fw::scaled(kPictureIndent, dpi), frame.top,
                        picture.bitmap(), kPictureKey);
  if (previous) SelectPalette(dc, previous, FALSE);

  const std::string title = fw::loadString(IDS_ABOUT_TITLE);
  Selection font(dc, titleFont.get());
  SIZE extent = {};
  GetTextExtentPoint32A(dc, title.c_str(), static_cast<int>(title.size()), &extent);
  const int x = frame.left + (frame.right - frame.left - extent.cx) / 2;
  const int y = frame.top + picture.height() + fw::scaled(kTitleGap, dpi);
  const int n = static_cast<int>(title.size());
  const int right = fw::scaled(kShadowRight, dpi), down = fw::scaled(kShadowDown, dpi);
  const int thicken = fw::scaled(kThicken, dpi);
  SetBkMode(dc, TRANSPARENT);
  // A shadow down and to the right, then the face thickened by one pixel (at 96 DPI).
  SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
  for (int d = 0; d <= thicken; ++d) TextOutA(dc, x + right + d, y + down, title.c_str(), n);
  SetTextColor(dc, titleFace());
  for (int d = 0; d <= thicken; ++d) TextOutA(dc, x + d, y, title.c_str(), n);
}

INT_PTR CAboutDlg::handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = false;
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (HDC dc = BeginPaint(hwnd(), &ps)) {
        paint(dc);
        EndPaint(hwnd(), &ps);
      }
      handled = true;
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) != item(IDC_ABOUT_VERSION)) return FALSE;
      // The scheme's text over the dialog's face.
      SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNTEXT));
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      handled = true;
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    default: return FALSE;
  }
}

void showAbout(HWND owner) {
  CAboutDlg dialog(owner);
  dialog.doModal();
}

}  // namespace srv
