#include "devsheet/mode_page.h"

#include <cstring>

#include "devsheet/devsheet.h"
#include "devsheet/devsheet_res.h"
#include "devsheet/mode_page_res.h"
#include "framework/module.h"
#include "framework/strings.h"
#include "framework/waitcursor.h"
#include "pages/help.h"
#include "scsi/manager.h"
#include "scsi/report.h"

namespace dev {
namespace {

// Disabled after a failed read, enabled after a good one; the names stay listed.
constexpr int kParameterControls[] = {IDC_DEV_MODE_PARAMETERS_LABEL, IDC_DEV_MODE_PARAMETERS,
                                      IDC_DEV_MODE_VALUES_GROUP,     IDC_DEV_MODE_CURRENT_LABEL,
                                      IDC_DEV_MODE_SAVED_LABEL,      IDC_DEV_MODE_DEFAULT_LABEL};
constexpr int kValueTexts[] = {IDC_DEV_MODE_CURRENT, IDC_DEV_MODE_SAVED, IDC_DEV_MODE_DEFAULT};

std::string valueText(const ModeValue& value) {
  return value.textId ? fw::loadString(value.textId) : value.number;
}

}  // namespace

CDevModePage::CDevModePage(HICON icon, const inv::DeviceInfo& device, HMODULE library)
    : HelpedPage(IDD_DEV_MODE, srv::kHelpDeviceModePages),
      icon_(icon),
      device_(device),
      library_(library) {}

BOOL CDevModePage::onInitDialog() {
  PropertyPage::onInitDialog();
  separator_.reset(showPageHeading(hwnd(), sheet(), device_, icon_, IDC_DEV_MODE_ICON));

  HWND combo = item(IDC_DEV_MODE_PAGES);
  for (const ModePageEntry& entry : kModePages) {
    const std::string name = fw::loadString(entry.nameId);
    const LRESULT index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    if (index >= 0) SendMessageA(combo, CB_SETITEMDATA, index, entry.code);
  }
  fillParameterNames(kModePages[0]);
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
  selectedPage_ = kModePages[0].code;
  shownEntry_ = 0;
  readSelectedPage();
  return TRUE;
}

bool CDevModePage::onCommand(WORD id, WORD notifyCode, HWND) {
  if (id == IDC_DEV_MODE_PAGES && notifyCode == CBN_SELCHANGE) {
    onPageChosen();
    return true;
  }
  if (id == IDC_DEV_MODE_PARAMETERS && notifyCode == LBN_SELCHANGE) {
    onParameterChosen();
    return true;
  }
  return false;
}

void CDevModePage::readSelectedPage() {
  bool read;
  {
    fw::WaitCursor wait;
    read = readModeAnswers(*this, selectedPage_, answers_);
  }
  for (int id : kParameterControls) EnableWindow(item(id), read);
}

void CDevModePage::fillParameterNames(const ModePageEntry& entry) {
  HWND list = item(IDC_DEV_MODE_PARAMETERS);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (size_t i = 0; i < entry.count; ++i) {
    const std::string name = fw::loadString(entry.parameters[i].nameId);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
}

void CDevModePage::showValues(bool visible) {
  for (int id : kValueTexts) ShowWindow(item(id), visible ? SW_SHOWNA : SW_HIDE);
}

void CDevModePage::onPageChosen() {
  HWND combo = item(IDC_DEV_MODE_PAGES);
  const int index = static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
  // The same entry again: its answers are already held.
  if (index == shownEntry_ || index < 0) return;
  current_.clear();
  saved_.clear();
  defaults_.clear();
  for (int id : kValueTexts) SetDlgItemTextA(hwnd(), id, "");
  showValues(false);
  shownEntry_ = index;
  SendDlgItemMessageA(hwnd(), IDC_DEV_MODE_PARAMETERS, LB_RESETCONTENT, 0, 0);
  selectedPage_ = static_cast<uint8_t>(SendMessageA(combo, CB_GETITEMDATA, index, 0));
  readSelectedPage();
  if (const ModePageEntry* entry = modePageEntry(selectedPage_)) fillParameterNames(*entry);
}

void CDevModePage::onParameterChosen() {
  const ModePageEntry* entry = modePageEntry(selectedPage_);
  const int index =
      static_cast<int>(SendDlgItemMessageA(hwnd(), IDC_DEV_MODE_PARAMETERS, LB_GETCURSEL, 0, 0));
  if (!entry || index < 0 || static_cast<size_t>(index) >= entry->count) return;
  const ModeValues values = decodeParameter(answers_, entry->parameters[index]);
  current_ = valueText(values.current);
  saved_ = valueText(values.saved);
  defaults_ = valueText(values.defaults);
  SetDlgItemTextA(hwnd(), IDC_DEV_MODE_CURRENT, current_.c_str());
  SetDlgItemTextA(hwnd(), IDC_DEV_MODE_SAVED, saved_.c_str());
  SetDlgItemTextA(hwnd(), IDC_DEV_MODE_DEFAULT, defaults_.c_str());
  showValues(true);
}

bool CDevModePage::sense(uint8_t pageCode, uint8_t pageControl, uint8_t* buffer) {
  scsi::ExecCommandBlock block;
  const scsi::SendResult sent =
      scsi::sendCommand(block, device_.adapterNumber, device_.target,
                        scsi::modeSense(pageCode, pageControl), buffer, scsi::Feedback::None);
  return sent.ok || scsi::reportPageOutcome(hwnd(), block);
}

void CDevModePage::paint(HDC dc) {
  paintEtched(dc, IDC_DEV_SEPARATOR, separator_.get());
}

}  // namespace dev
