#include "biosconfig/advanced_page.h"

#include <commctrl.h>

#include "biosconfig/biosconfig_res.h"
#include "biosconfig/see_common.h"
#include "framework/strings.h"

namespace bios {
namespace {

constexpr int kAdvancedBoxes[] = {IDC_SEE_BUS_RESET,         IDC_SEE_CTRL_A,
                                  IDC_SEE_TRANSLATION,       IDC_SEE_DOMAIN_VALIDATION,
                                  IDC_SEE_BOOT_CDROM,        IDC_SEE_INT13_EXTENSIONS};
// Items of the Int 13h support and removable disk combos, by index.
const std::vector<std::string> kInt13Items = {"Enabled", "Disabled with no bus scan",
                                              "Disabled with bus scan"};
const std::vector<std::string> kRemovableItems = {"Disabled", "Boot Disk Only", "All Disks"};

}  // namespace

CSeeAdvCfg::CSeeAdvCfg(HostAdapterInfo& adapter)
    : CSeePage(IDD_SEE_ADVANCED, srv::kHelpAdvanced, adapter) {}

BOOL CSeeAdvCfg::onInitDialog() {
  CSeePage::onInitDialog();
  if (!configurationRead()) return TRUE;
  EepromConfig& b = block();
  for (int id : kAdvancedBoxes) check(id, optionChecked(b, advancedOption(id, family())));
  std::vector<std::string> post;
  for (int i = 0; i < postModeItemCount(b, family()); ++i)
    post.push_back(fw::loadString(kPostModeItems[i]));
  fillCombo(IDC_SEE_POST, post);
  select(IDC_SEE_POST, postModeIndex(b, family()));
  fillCombo(IDC_SEE_INT13, kInt13Items);
  select(IDC_SEE_INT13, int13Index(b));
  fillCombo(IDC_SEE_REMOVABLE, kRemovableItems);
  select(IDC_SEE_REMOVABLE, removableIndex(b));
  enableInt13Options();
  return TRUE;
}

void CSeeAdvCfg::enableInt13Options() {
  const bool on = int13Enabled(block());
  for (int id : {IDC_SEE_DOMAIN_VALIDATION, IDC_SEE_BOOT_CDROM, IDC_SEE_REMOVABLE_LABEL,
                 IDC_SEE_REMOVABLE, IDC_SEE_ADVANCED_INT13_GROUP})
    enable(id, on);
  enable(IDC_SEE_INT13_EXTENSIONS, on && !isFamily4(family()));
}

bool CSeeAdvCfg::onSetActive() {
  if (configurationRead()) enableInt13Options();
  return true;
}

bool CSeeAdvCfg::onCommand(WORD id, WORD notifyCode, HWND control) {
  EepromConfig& b = block();
  if (isClick(notifyCode)) {
    const OptionBit option = advancedOption(id, family());
    if (!option.bit) return false;
    writeOption(b, option, checked(id));
    changed();
    return true;
  }
  if (!isSelection(notifyCode)) return false;
  const int index = selection(id);
  if (index < 0) return false;
  switch (id) {
    case IDC_SEE_POST: writePostMode(b, index); break;
    case IDC_SEE_INT13:
      writeInt13(b, index);
      enableInt13Options();
      break;
    case IDC_SEE_REMOVABLE: writeRemovable(b, index); break;
    default: return false;
  }
  changed();
  return true;
}

}  // namespace bios
