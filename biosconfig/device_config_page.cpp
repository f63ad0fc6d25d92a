#include "biosconfig/device_config_page.h"

#include <commctrl.h>

#include "biosconfig/all_device_dialog.h"
#include "biosconfig/biosconfig_res.h"
#include "biosconfig/see_common.h"
#include "framework/msgbox.h"
#include "framework/strings.h"

namespace bios {

CSeeScsiDev::CSeeScsiDev(HostAdapterInfo& adapter)
    : CSeePage(IDD_SEE_DEVICE_CONFIG, srv::kHelpDeviceConfig, adapter) {}

BOOL CSeeScsiDev::onInitDialog() {
  CSeePage::onInitDialog();
  if (!configurationRead()) return TRUE;
  std::vector<std::string> devices;
  const std::string none = fw::loadString(IDS_SEE_DEVICE_NONE);
  for (int t = 0; t < deviceItemCount(adapter_); ++t) {
    const inv::DeviceInfo* d = deviceAt(adapter_, t);
    devices.push_back(
        d ? fw::formatString(IDS_SEE_DEVICE_ITEM, unsigned{d->target},
                             fixedText(d->vendor, sizeof d->vendor).c_str(),
                             fixedText(d->product, sizeof d->product).c_str())
          : fw::formatString(IDS_SEE_DEVICE_ITEM, unsigned(t), none.c_str(), ""));
  }
  fillCombo(IDC_SEE_DEVICE, devices);
  if (target_ >= static_cast<int>(devices.size())) target_ = 0;
  select(IDC_SEE_DEVICE, devices.empty() ? -1 : target_);
  if (devices.empty()) {
    // No target to show: nothing here can be set.
    srv::disableChildren(hwnd());
    enable(IDC_SEE_HEADING, true);
    return TRUE;
  }
  showTarget();
  enableInt13Options();
  return TRUE;
}

void CSeeScsiDev::fillRates() {
  std::vector<std::string> items = rateItems(family(), isWide(family(), word()));
  items.back() = fw::loadString(IDS_SEE_ASYNC);
  fillCombo(IDC_SEE_RATE, items);
  select(IDC_SEE_RATE, rateIndex(family(), word()));
}

void CSeeScsiDev::showTarget() {
  const uint16_t w = word();
  const DeviceBits& bits = deviceBits(family());
  fillRates();
  check(IDC_SEE_WIDE, (w & bits.wide) != 0);
  check(IDC_SEE_DISCONNECT, (w & bits.disconnect) != 0);
  check(IDC_SEE_START_UNIT, (w & bits.startUnit) != 0);
  const bool family4 = isFamily4(family());
  check(IDC_SEE_PACKETIZED, bits.packetized && (w & bits.packetized));
  check(IDC_SEE_QUICK_ARBITRATE, bits.quickArbitrate && (w & bits.quickArbitrate));
  enable(IDC_SEE_PACKETIZED, family4);
  enable(IDC_SEE_QUICK_ARBITRATE, family4);
  const int writeBack = bits.writeBackMask ? writeBackChoice(w) : -1;
  check(IDC_SEE_WRITE_BACK_ENABLED, writeBack == 0);
  check(IDC_SEE_WRITE_BACK_DISABLED, writeBack == 1);
  check(IDC_SEE_WRITE_BACK_NO_CHANGE, writeBack == 2);
  if (family4)
    for (int id : {IDC_SEE_WRITE_BACK_LABEL, IDC_SEE_WRITE_BACK_ENABLED,
                   IDC_SEE_WRITE_BACK_DISABLED, IDC_SEE_WRITE_BACK_NO_CHANGE})
      enable(id, false);
  check(IDC_SEE_BIOS_SCAN, (w & bits.biosScan) != 0);
  check(IDC_SEE_MULTIPLE_LUN, (w & bits.multipleLun) != 0);
}

void CSeeScsiDev::enableInt13Options() {
  const bool on = int13Enabled(block());
  for (int id : {IDC_SEE_INT13_GROUP, IDC_SEE_MULTIPLE_LUN, IDC_SEE_BIOS_SCAN}) enable(id, on);
  const bool writeBack = on && !isFamily4(family());
  for (int id : {IDC_SEE_WRITE_BACK_LABEL, IDC_SEE_WRITE_BACK_ENABLED, IDC_SEE_WRITE_BACK_DISABLED,
                 IDC_SEE_WRITE_BACK_NO_CHANGE})
    enable(id, writeBack);
}

bool CSeeScsiDev::onSetActive() {
  if (configurationRead() && deviceItemCount(adapter_) > 0) enableInt13Options();
  return true;
}

void CSeeScsiDev::writeBit(int id, uint16_t bit) {
  if (bit) word() = withBit(word(), bit, checked(id));
}

bool CSeeScsiDev::onCommand(WORD id, WORD notifyCode, HWND control) {
  if (!configurationRead() || deviceItemCount(adapter_) == 0) return false;
  const DeviceBits& bits = deviceBits(family());
  if (isSelection(notifyCode)) {
    const int index = selection(id);
    if (index < 0) return false;
    if (id == IDC_SEE_DEVICE) {
      target_ = index;
      showTarget();
      return true;
    }
    if (id != IDC_SEE_RATE) return false;
    const RateWrite written = writeRate(family(), word(), index);
    word() = written.word;
    if (written.uninterpreted)
      fw::messageBox(GetParent(hwnd()), IDS_SEE_RATE_UNINTERPRETED, IDS_SEE_CAPTION,
                     MB_OK | MB_ICONSTOP);
    changed();
    return true;
  }
  if (!isClick(notifyCode)) return false;
  switch (id) {
    case IDC_SEE_WIDE:
      writeBit(id, bits.wide);
      fillRates();
      break;
    case IDC_SEE_DISCONNECT: writeBit(id, bits.disconnect); break;
    case IDC_SEE_START_UNIT: writeBit(id, bits.startUnit); break;
    case IDC_SEE_PACKETIZED: writeBit(id, bits.packetized); break;
    case IDC_SEE_MULTIPLE_LUN: writeBit(id, bits.multipleLun); break;
    case IDC_SEE_BIOS_SCAN: writeBit(id, bits.biosScan); break;
    case IDC_SEE_WRITE_BACK_ENABLED:
    case IDC_SEE_WRITE_BACK_DISABLED:
    case IDC_SEE_WRITE_BACK_NO_CHANGE:
      if (!bits.writeBackMask) return true;
      word() = writeWriteBack(word(), id - IDC_SEE_WRITE_BACK_ENABLED);
      break;
    case IDC_SEE_QUICK_ARBITRATE:
      // Shown, never changed: the box keeps showing the block's bit.
      check(id, bits.quickArbitrate && (word() & bits.quickArbitrate));
      return true;
    case IDC_SEE_SHOW_ALL: {
      const EepromConfig& b = block();
      AllDeviceDialog(GetParent(hwnd()), b.deviceWords, family(), heading_, allDeviceColumns(b))
          .doModal();
      return true;
    }
    default:
      return false;
  }
  changed();
  return true;
}

}  // namespace bios
