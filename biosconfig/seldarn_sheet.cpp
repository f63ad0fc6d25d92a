#include "biosconfig/seldarn_sheet.h"

#include <commctrl.h>

#include <cstring>

#include "adaptersheet/adaptersheet.h"
#include "biosconfig/biosconfig_res.h"
#include "framework/dpi.h"
#include "framework/module.h"
#include "framework/msgbox.h"
#include "framework/strings.h"
#include "scsi/miniport_channel.h"
#include "server/help.h"
#include "server/module_res.h"

namespace bios {
namespace {

// The target columns of the All Device Configuration lists, laid out for 96 DPI.
constexpr int kTargetColumnWidth = 32;

std::string field(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

std::string headingText(const HostAdapterInfo& adapter) {
  return fw::formatString(
      IDS_SEE_HEADING, field(adapter.adapterIdentifier, sizeof adapter.adapterIdentifier).c_str(),
      field(adapter.displayName, sizeof adapter.displayName).c_str());
}

// The corner logo drawn for the window's scale.
HBITMAP loadLogo(HWND window) {
  return fw::loadPicture(fw::resourceModule(), IDB_SEE_LOGO, fw::dpiOf(window));
}

std::vector<std::string> stringItems(const std::vector<unsigned>& ids) {
  std::vector<std::string> items;
  for (unsigned id : ids) items.push_back(fw::loadString(id));
  return items;
}

// The miniport channel, and message 32961 for the configured adapter. One channel reads
// every adapter's block, with the ports looked up in the registry once.
class ChannelReader : public EepromReader {
 public:
  bool read(HostAdapterInfo& adapter) override { return channel_.readEepromBlock(adapter); }
  void reportFailure(const HostAdapterInfo& adapter) override {
    fw::messageBoxText(nullptr,
                       fw::formatString(IDS_SEE_READ_FAILED,
                                        field(adapter.displayName, sizeof adapter.displayName).c_str()),
                       IDS_SEE_CAPTION, MB_OK | MB_ICONEXCLAMATION);
  }

 private:
  scsi::WindowsMiniportSystem system_;
  scsi::RememberedPorts ports_{system_};
  scsi::MiniportChannel channel_{ports_};
};

bool readAll(HostAdapterInfo& adapter) {
  ChannelReader reader;
  return eepromReadAll(adapter, reader);
}

bool isClick(WORD notifyCode) { return notifyCode == BN_CLICKED; }
bool isSelection(WORD notifyCode) { return notifyCode == CBN_SELCHANGE; }

}  // namespace

// ---- the sheet ----

CSeldarnPropertySheet::CSeldarnPropertySheet(HostAdapterInfo& adapter, const std::string& title,
                                             HWND parent, UINT startPage)
    : PropertySheet(title, parent, startPage),
      adapter_(adapter),
      configurationRead_(readAll(adapter)) {
  setTitle(title);
  busInterface_ = std::make_unique<CSeeBusInf>(adapter);
  bootDevice_ = std::make_unique<CSeeBootDev>(adapter);
  deviceConfig_ = std::make_unique<CSeeScsiDev>(adapter);
  advanced_ = std::make_unique<CSeeAdvCfg>(adapter);
  addPage(busInterface_.get());
  addPage(bootDevice_.get());
  addPage(deviceConfig_.get());
  addPage(advanced_.get());
  snapshot_.take(adapter);
}

CSeldarnPropertySheet::~CSeldarnPropertySheet() = default;

void CSeldarnPropertySheet::onInitialized() {
  SetWindowLongPtrA(hwnd(), GWL_EXSTYLE, GetWindowLongPtrA(hwnd(), GWL_EXSTYLE) | WS_EX_CONTEXTHELP);
  headingFont_.reset(ha::createHeadingFont(hwnd()));
}

LRESULT CSeldarnPropertySheet::handleMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                             bool& handled) {
  if (message == WM_HELP && lParam) {
    const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
    srv::showTextPopup(srv::kSeldarnSheetPopups, static_cast<HWND>(info->hItemHandle),
                       info->MousePos, static_cast<UINT>(info->iCtrlId));
    handled = true;
    return TRUE;
  }
  return PropertySheet::handleMessage(message, wParam, lParam, handled);
}

// ---- pages in common ----

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

// ---- Bus Interface ----

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

// ---- Boot Device ----

CSeeBootDev::CSeeBootDev(HostAdapterInfo& adapter)
    : CSeePage(IDD_SEE_BOOT_DEVICE, srv::kHelpBootDevice, adapter) {}

std::vector<std::string> CSeeBootDev::cardTexts() const {
  std::vector<std::string> texts;
  for (int j : qualifyingLabels(adapter_))
    texts.push_back(field(adapter_.labels[j].text, sizeof adapter_.labels[j].text));
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

// ---- Device Config ----

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
                             field(d->vendor, sizeof d->vendor).c_str(),
                             field(d->product, sizeof d->product).c_str())
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

// ---- Advanced ----

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

// ---- All Device Configuration ----

AllDeviceDialog::AllDeviceDialog(HWND parent, const uint16_t* deviceWords, unsigned familyLevel,
                                 const std::string& heading, int columns)
    : Dialog(IDD_SEE_ALL_DEVICES, parent),
      family_(familyLevel),
      heading_(heading),
      columns_(columns < 0 ? 0 : columns > int(kTargetWords) ? int(kTargetWords) : columns) {
  std::memcpy(words_, deviceWords, sizeof words_);
}

void AllDeviceDialog::fillList(int id, const std::vector<std::vector<std::string>>& rows) {
  HWND list = item(id);
  LVCOLUMNA column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = fw::scaled(list, kTargetColumnWidth);
  for (int t = 0; t < columns_; ++t) {
    char title[8];
    wsprintfA(title, "#%u", unsigned(t));
    column.pszText = title;
    column.iSubItem = t;
    SendMessageA(list, LVM_INSERTCOLUMNA, t, reinterpret_cast<LPARAM>(&column));
  }
  for (size_t r = 0; r < rows.size(); ++r) {
    LVITEMA entry = {};
    entry.mask = LVIF_TEXT;
    entry.iItem = static_cast<int>(r);
    entry.pszText = const_cast<char*>(columns_ > 0 ? rows[r][0].c_str() : "");
    const int at =
        static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&entry)));
    for (int t = 1; at >= 0 && t < columns_; ++t) {
      entry.iItem = at;
      entry.iSubItem = t;
      entry.pszText = const_cast<char*>(rows[r][static_cast<size_t>(t)].c_str());
      SendMessageA(list, LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&entry));
    }
  }
}

void AllDeviceDialog::placeLabel(int listId, int row, HWND label) {
  HWND list = item(listId);
  RECT cell = {LVIR_BOUNDS, 0, 0, 0};
  if (!label || !SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&cell))) return;
  MapWindowPoints(list, hwnd(), reinterpret_cast<POINT*>(&cell), 2);
  RECT own = {};
  GetWindowRect(label, &own);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&own), 2);
  const int height = own.bottom - own.top;
  SetWindowPos(label, nullptr, own.left, (cell.top + cell.bottom - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL AllDeviceDialog::onInitDialog() {
  Dialog::onInitDialog();
  SetDlgItemTextA(hwnd(), IDC_SEE_ALL_HEADING, heading_.c_str());
  logo_.reset(loadLogo(hwnd()));
  const bool family4 = isFamily4(family_);
  const DeviceBits& bits = deviceBits(family_);
  const std::string yes = fw::loadString(IDS_SEE_YES), no = fw::loadString(IDS_SEE_NO);
  auto yesNo = [&](uint16_t word, uint16_t bit) { return (word & bit) ? yes : no; };

  std::vector<std::vector<std::string>> settings(6, std::vector<std::string>(kTargetWords));
  std::vector<std::vector<std::string>> int13(3, std::vector<std::string>(kTargetWords));
  const std::string noChange = fw::loadString(IDS_SEE_NO_CHANGE);
  for (int t = 0; t < columns_; ++t) {
    const uint16_t w = words_[t];
    settings[0][t] = allDeviceRateText(family_, w);
    settings[1][t] = yesNo(w, bits.wide);
    settings[2][t] = yesNo(w, bits.disconnect);
    settings[3][t] = yesNo(w, bits.startUnit);
    if (family4) {
      settings[4][t] = yesNo(w, bits.packetized);
      settings[5][t] = yesNo(w, bits.quickArbitrate);
    } else {
      const int writeBack = writeBackChoice(w);
      int13[0][t] = writeBack == 0 ? yes : writeBack == 1 ? no : writeBack == 2 ? noChange : "";
    }
    int13[1][t] = yesNo(w, bits.multipleLun);
    int13[2][t] = yesNo(w, bits.biosScan);
  }
  fillList(IDC_SEE_ALL_SETTINGS, settings);
  fillList(IDC_SEE_ALL_INT13, int13);
  if (!family4) {
    EnableWindow(item(IDC_SEE_ALL_PACKETIZED_LABEL), FALSE);
    EnableWindow(item(IDC_SEE_ALL_QUICK_LABEL), FALSE);
  } else {
    EnableWindow(item(IDC_SEE_ALL_WRITE_BACK_LABEL), FALSE);
  }

  // Each row's label beside its row: the labels precede their list in the template.
  for (int listId : {IDC_SEE_ALL_SETTINGS, IDC_SEE_ALL_INT13}) {
    HWND list = item(listId);
    const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    HWND label = list;
    for (int r = rows - 1; r >= 0; --r) {
      label = GetWindow(label, GW_HWNDPREV);
      placeLabel(listId, r, label);
    }
  }
  return TRUE;
}

INT_PTR AllDeviceDialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    if (HWND bar = item(IDC_SEE_LOGO)) {
      RECT area = {};
      GetWindowRect(bar, &area);
      MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&area), 2);
      srv::drawEtchedLine(dc, area.left, area.top, logo_.get());
    }
    EndPaint(hwnd(), &ps);
    handled = true;
    return 0;
  }
  return Dialog::handleMessage(message, wParam, lParam, handled);
}

void showSeldarnSheet(HostAdapterInfo& adapter) {
  const std::string title = fw::formatString(
      IDS_SELDARN_SHEET_TITLE, field(adapter.displayName, sizeof adapter.displayName).c_str());
  CSeldarnPropertySheet sheet(adapter, title, nullptr, 0);
  sheet.doModal();
}

}  // namespace bios
