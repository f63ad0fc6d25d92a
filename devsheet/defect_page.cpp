#include "devsheet/defect_page.h"

#include <cstring>

#include "devsheet/defect_page_res.h"
#include "devsheet/devsheet.h"
#include "devsheet/devsheet_res.h"
#include "framework/module.h"
#include "framework/msgbox.h"
#include "framework/strings.h"
#include "framework/waitcursor.h"
#include "pages/help.h"
#include "scsi/manager.h"
#include "scsi/report.h"
#include "scsi/scsi_res.h"

namespace dev {
CDevDefectPage::CDevDefectPage(HICON icon, const inv::DeviceInfo& device, HMODULE library)
    : HelpedPage(IDD_DEV_DEFECTS, srv::kHelpDeviceDefects),
      icon_(icon),
      device_(device),
      library_(library),
      buffers_(std::make_unique<Buffers>()) {
  std::memset(buffers_.get(), 0, sizeof(Buffers));
}

BOOL CDevDefectPage::onInitDialog() {
  PropertyPage::onInitDialog();
  separator_.reset(showPageHeading(hwnd(), sheet(), device_, icon_, IDC_DEV_DEFECTS_ICON));
  {
    fw::WaitCursor wait;
    listsRead_ = readDefectLists(*this, buffers_->primary, buffers_->grown);
  }
  if (!listsRead_) srv::disableChildren(hwnd());
  CheckRadioButton(hwnd(), IDC_DEV_PRIMARY_LIST, IDC_DEV_GROWN_LIST, IDC_DEV_PRIMARY_LIST);
  showList(buffers_->primary, IDS_DEV_NO_PRIMARY, IDS_DEV_PRIMARY_DESCRIPTION);
  return TRUE;
}

bool CDevDefectPage::onCommand(WORD id, WORD notifyCode, HWND) {
  if (notifyCode != BN_CLICKED) return false;
  // Both lists are already held: a click only redraws.
  if (id == IDC_DEV_PRIMARY_LIST) showList(buffers_->primary, IDS_DEV_NO_PRIMARY, IDS_DEV_PRIMARY_DESCRIPTION);
  else if (id == IDC_DEV_GROWN_LIST) showList(buffers_->grown, IDS_DEV_NO_GROWN, IDS_DEV_GROWN_DESCRIPTION);
  else return false;
  return true;
}

void CDevDefectPage::showList(const uint8_t* buffer, UINT emptyText, UINT description) {
  const DefectLineTexts texts = {fw::loadString(IDS_DEV_DEFECT_CYLINDER),
                                 fw::loadString(IDS_DEV_DEFECT_HEAD),
                                 fw::loadString(IDS_DEV_DEFECT_SECTOR)};
  const DefectListView view =
      defectListView(buffer, kDefectBufferSize, texts, fw::loadString(emptyText));
  HWND list = item(IDC_DEV_DEFECT_LIST);
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& line : view.lines)
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  SetDlgItemTextA(hwnd(), IDC_DEV_DEFECT_DESCRIPTION, fw::loadString(description).c_str());
  total_ = view.total;
  SetDlgItemTextA(hwnd(), IDC_DEV_DEFECT_TOTAL, total_.c_str());
}

DefectOutcome CDevDefectPage::read(scsi::DefectList list, uint8_t* buffer) {
  scsi::ExecCommandBlock block;
  scsi::sendCommand(block, device_.adapterNumber, device_.target, scsi::readDefectData(list), buffer,
                    scsi::Feedback::None);
  const DefectOutcome outcome = classifyDefectRead(block);
  if (const uint32_t message = defectMessageId(outcome))
    fw::messageBox(hwnd(), message, IDS_SUITE_CAPTION, MB_OK | MB_ICONEXCLAMATION);
  else if (outcome == DefectOutcome::Report)
    scsi::reportCommandFailure(hwnd(), block);
  return outcome;
}

void CDevDefectPage::paint(HDC dc) {
  paintEtched(dc, IDC_DEV_SEPARATOR, separator_.get());
}

}  // namespace dev
