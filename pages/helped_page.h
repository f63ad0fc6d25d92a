// The common ground of Corvath's property pages: the page paints its pictures over its
// own background, whatever the scheme or theme makes it (their key colour lets it show
// through), and the caption's "?" and right-click help come from the page's pair table.
#pragma once

#include <windows.h>

#include "framework/propsheet.h"
#include "pages/help.h"

namespace srv {

class HelpedPage : public fw::PropertyPage {
 protected:
  HelpedPage(UINT templateId, const HelpPair* helpPairs);

  // Paint handling and help; a subclass handles its own messages first and passes the
  // rest here.
  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  // Draws the page's pictures (WM_PAINT and WM_PRINTCLIENT).
  virtual void paint(HDC dc) {}
  // A control's rectangle in page coordinates; empty when there is no such control.
  RECT controlRect(int id) const;
  // A separator or corner-logo picture at the top-left of its placeholder control, its red
  // transparent and its lines in the scheme's 3-D colours; nothing without the control or
  // the picture.
  void paintEtched(HDC dc, int controlId, HBITMAP picture) const;

 private:
  const HelpPair* helpPairs_;
};

}  // namespace srv
