// The About box: the suite's picture and title, the version line and the notice text.
#pragma once

#include <windows.h>

#include <string>

#include "framework/dialog.h"
#include "pages/dibimage.h"
#include "pages/drawing.h"

namespace srv {

// The version the About box names.
constexpr const char* kAboutVersion = "6.0.0.0030";

class CAboutDlg : public fw::Dialog {
 public:
  explicit CAboutDlg(HWND parent = nullptr);

 protected:
  BOOL onInitDialog() override;
  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  void makeFonts();
  void paint(HDC dc);

  HWND notice = nullptr;  // the rich-edit control
  std::string versionText;
  GdiObject<HFONT> versionFont;  // 5/4 of the dialog font
  GdiObject<HFONT> titleFont;    // twice the height, heavy
  DibImage picture;
};

// ShowVelmoraAboutDialog (no owner) and the device list's About command (its window).
void showAbout(HWND owner = nullptr);

}  // namespace srv
