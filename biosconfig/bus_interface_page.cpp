#include "biosconfig/bus_interface_page.h"

#include <commctrl.h>

#include "biosconfig/biosconfig_res.h"
#include "biosconfig/see_common.h"
#include "framework/msgbox.h"
#include "framework/strings.h"

namespace bios {
namespace {

std::vector<std::string> stringItems(const std::vector<unsigned>& ids) {
  std::vector<std::string> items;
  for (unsigned id : ids) items.push_back(fw::loadString(id));
  return items;
}

}  // namespace

CSeeBusInf::CSeeBusInf(HostAdapterInfo& adapter)
    : CSeePage(IDD_SEE_BUS_INTERFACE, srv::kHelpBusInterface, adapter) {}

BOOL CSeeBusInf::onInitDialog() {
  CSeePage::onInitDialog();
  if (!configurationRead()) return TRUE;
  fillNumbers(IDC_SEE_HOST_ID, hostIdItemCount(adapter_));
  select(IDC_SEE_HOST_ID, hostIdIndex(adapter_));
  check(IDC_SEE_PARITY, parityChecked(block(), family()));

  termination_ = terminationLayout(adapter_);
  if (termination_.unsupported) {
    fw::messageBox(GetParent(hwnd()), IDS_SEE_NOT_SUPPORTED, IDS_SEE_CAPTION, MB_OK | MB_ICONSTOP);
    PostMessageA(GetParent(hwnd()), PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    return TRUE;
  }
  fillCombo(IDC_SEE_LVD, stringItems(termination_.lvd.items));
  select(IDC_SEE_LVD, readTermination(termination_.lvd, block().adapterControl));
  if (termination_.seShown) {
    fillCombo(IDC_SEE_SE, stringItems(termination_.se.items));
    select(IDC_SEE_SE, readTermination(termination_.se, block().adapterControl));
  } else {
    SendDlgItemMessageA(hwnd(), IDC_SEE_SE, CB_RESETCONTENT, 0, 0);
    enable(IDC_SEE_SE, false);
    enable(IDC_SEE_SE_LABEL, false);
  }
  return TRUE;
}

bool CSeeBusInf::onCommand(WORD id, WORD notifyCode, HWND control) {
  EepromConfig& b = block();
  if (id == IDC_SEE_HOST_ID && isSelection(notifyCode)) {
    const int index = selection(id);
    if (index >= 0) writeHostId(b, index);
  } else if (id == IDC_SEE_PARITY && isClick(notifyCode)) {
    writeParity(b, family(), checked(id));
  } else if (id == IDC_SEE_LVD && isSelection(notifyCode)) {
    b.adapterControl = writeTermination(termination_.lvd, b.adapterControl, selection(id));
  } else if (id == IDC_SEE_SE && isSelection(notifyCode)) {
    b.adapterControl = writeTermination(termination_.se, b.adapterControl, selection(id));
  } else {
    return false;
  }
  changed();
  return true;
}

void CSeeBusInf::onReset() {
  if (owner()) owner()->restoreSnapshot();
}

}  // namespace bios
