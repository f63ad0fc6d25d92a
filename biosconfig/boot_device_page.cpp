#include "biosconfig/boot_device_page.h"

#include <commctrl.h>

#include "biosconfig/biosconfig_res.h"
#include "biosconfig/see_common.h"
#include "framework/strings.h"

namespace bios {

CSeeBootDev::CSeeBootDev(HostAdapterInfo& adapter)
    : CSeePage(IDD_SEE_BOOT_DEVICE, srv::kHelpBootDevice, adapter) {}

std::vector<std::string> CSeeBootDev::cardTexts() const {
  std::vector<std::string> texts;
  for (int j : qualifyingLabels(adapter_))
    texts.push_back(fixedText(adapter_.labels[j].text, sizeof adapter_.labels[j].text));
  return texts;
}

BOOL CSeeBootDev::onInitDialog() {
  CSeePage::onInitDialog();
  if (!configurationRead()) return TRUE;
  SendDlgItemMessageA(hwnd(), IDC_SEE_MASTER, CB_RESETCONTENT, 0, 0);
  SendDlgItemMessageA(hwnd(), IDC_SEE_BOOT_CARD, CB_RESETCONTENT, 0, 0);
  fillNumbers(IDC_SEE_BOOT_TARGET, bootTargetItemCount(adapter_));
  select(IDC_SEE_BOOT_TARGET, bootTargetIndex(adapter_));
  fillNumbers(IDC_SEE_BOOT_LUN, kBootLunItems);
  select(IDC_SEE_BOOT_LUN, bootLunIndex(adapter_));
  const BootMode mode = bootMode(block());
  if (mode != BootMode::Older) {
    const std::vector<std::string> cards = cardTexts();
    fillCombo(IDC_SEE_MASTER, cards);
    select(IDC_SEE_MASTER, cards.empty() ? -1 : cardIndex(adapter_, kMasterCard));
    if (mode == BootMode::Bios3x) {
      fillCombo(IDC_SEE_BOOT_CARD, cards);
      select(IDC_SEE_BOOT_CARD, cards.empty() ? -1 : cardIndex(adapter_, kBootCard));
    }
  }
  applyDisabling();
  return TRUE;
}

void CSeeBootDev::applyDisabling() {
  switch (bootMode(block())) {
    case BootMode::NewestLayout:
      for (int id : {IDC_SEE_BOOT_CARD_LABEL, IDC_SEE_BOOT_CARD, IDC_SEE_BOOT_GROUP,
                     IDC_SEE_BOOT_TARGET_LABEL, IDC_SEE_BOOT_TARGET, IDC_SEE_BOOT_LUN_LABEL,
                     IDC_SEE_BOOT_LUN})
        enable(id, false);
      break;
    case BootMode::Older:
      for (int id : {IDC_SEE_SINGLE_IMAGE, IDC_SEE_MASTER_LABEL, IDC_SEE_BOOT_CARD_LABEL,
                     IDC_SEE_MASTER, IDC_SEE_BOOT_CARD})
        enable(id, false);
      break;
    case BootMode::Bios3x:
      break;
  }
}

bool CSeeBootDev::onSetActive() {
  if (configurationRead()) applyDisabling();
  return true;
}

bool CSeeBootDev::onCommand(WORD id, WORD notifyCode, HWND control) {
  if (!isSelection(notifyCode)) return false;
  const int index = selection(id);
  if (index < 0) return false;
  switch (id) {
    case IDC_SEE_MASTER: markCard(adapter_, kMasterCard, index); break;
    case IDC_SEE_BOOT_CARD: markCard(adapter_, kBootCard, index); break;
    case IDC_SEE_BOOT_TARGET: writeBootTarget(adapter_, index); break;
    case IDC_SEE_BOOT_LUN: writeBootLun(adapter_, index); break;
    default: return false;
  }
  changed();
  return true;
}

}  // namespace bios
