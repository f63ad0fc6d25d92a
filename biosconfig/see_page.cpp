#include "biosconfig/see_page.h"

#include <commctrl.h>

#include "adaptersheet/adaptersheet.h"
#include "biosconfig/biosconfig_res.h"
#include "biosconfig/see_common.h"
#include "framework/strings.h"

namespace bios {
namespace {

std::string headingText(const HostAdapterInfo& adapter) {
  return fw::formatString(
      IDS_SEE_HEADING, fixedText(adapter.adapterIdentifier, sizeof adapter.adapterIdentifier).c_str(),
      fixedText(adapter.displayName, sizeof adapter.displayName).c_str());
}

}  // namespace

CSeePage::CSeePage(UINT templateId, const srv::HelpPair* helpPairs, HostAdapterInfo& adapter)
    : HelpedPage(templateId, helpPairs), adapter_(adapter), heading_(headingText(adapter)) {}

bool CSeePage::configurationRead() const { return owner() && owner()->configurationRead(); }

BOOL CSeePage::onInitDialog() {
  PropertyPage::onInitDialog();
  SetDlgItemTextA(hwnd(), IDC_SEE_HEADING, heading_.c_str());
  HFONT font = owner() ? owner()->headingFont() : nullptr;
  if (font)
    SendDlgItemMessageA(hwnd(), IDC_SEE_HEADING, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ha::fitHeading(hwnd(), IDC_SEE_HEADING);
  logo_.reset(loadLogo(hwnd()));
  if (!configurationRead()) srv::disableChildren(hwnd());
  return TRUE;
}

void CSeePage::paint(HDC dc) {
  if (!item(IDC_SEE_LOGO)) return;
  const RECT area = controlRect(IDC_SEE_LOGO);
  srv::drawEtchedLine(dc, area.left, area.top, logo_.get());
}

void CSeePage::fillCombo(int id, const std::vector<std::string>& items) {
  HWND combo = item(id);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (const std::string& text : items)
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void CSeePage::fillNumbers(int id, int count) {
  std::vector<std::string> items;
  for (int i = 0; i < count; ++i) items.push_back(std::to_string(i));
  fillCombo(id, items);
}

void CSeePage::select(int id, int index) { SendDlgItemMessageA(hwnd(), id, CB_SETCURSEL, index, 0); }

int CSeePage::selection(int id) const {
  return static_cast<int>(SendDlgItemMessageA(hwnd(), id, CB_GETCURSEL, 0, 0));
}

void CSeePage::check(int id, bool on) { CheckDlgButton(hwnd(), id, on ? BST_CHECKED : BST_UNCHECKED); }

bool CSeePage::checked(int id) const { return IsDlgButtonChecked(hwnd(), id) == BST_CHECKED; }

void CSeePage::enable(int id, bool on) { EnableWindow(item(id), on); }

}  // namespace bios
