#include "server/about.h"

#include <richedit.h>

#include "framework/strings.h"
#include "server/about_res.h"

namespace srv {
namespace {

constexpr COLORREF kPictureKey = RGB(255, 255, 255);
constexpr COLORREF kTitleShadow = RGB(178, 178, 178);
constexpr COLORREF kTitleFace = RGB(255, 255, 255);
constexpr int kPictureIndent = 10;

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

  // The picture's own bitmap for this screen, made under its palette.
  if (picture.load(IDB_ABOUT_PICTURE)) {
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

  HPALETTE previous = picture.selectPalette(dc, false);
  drawTransparentBitmap(dc, frame.left + kPictureIndent, frame.top, picture.bitmap(), kPictureKey);
  if (previous) SelectPalette(dc, previous, FALSE);

  const std::string title = fw::loadString(IDS_ABOUT_TITLE);
  Selection font(dc, titleFont.get());
  SIZE extent = {};
  GetTextExtentPoint32A(dc, title.c_str(), static_cast<int>(title.size()), &extent);
  const int x = frame.left + (frame.right - frame.left - extent.cx) / 2;
  const int y = frame.top + picture.height() + 2;
  const int n = static_cast<int>(title.size());
  SetBkMode(dc, TRANSPARENT);
  // A grey shadow down and to the right, then the white face thickened by one pixel.
  SetTextColor(dc, kTitleShadow);
  TextOutA(dc, x + 2, y + 1, title.c_str(), n);
  TextOutA(dc, x + 3, y + 1, title.c_str(), n);
  SetTextColor(dc, kTitleFace);
  TextOutA(dc, x, y, title.c_str(), n);
  TextOutA(dc, x + 1, y, title.c_str(), n);
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
      // Black text over the dialog's face.
      SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 0));
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
