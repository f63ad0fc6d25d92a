#include "adaptersheet/adaptersheet.h"

#include <cstring>
#include <string>

#include <oleacc.h>

#include "adaptersheet/adapter_info.h"
#include "adaptersheet/adaptersheet_res.h"
#include "contract/record_text.h"
#include "framework/dpi.h"
#include "framework/module.h"
#include "framework/strings.h"
#include "pages/help.h"
#include "pages/sheet_res.h"

namespace ha {
namespace {

// A column laid out for 96 DPI.
constexpr int kPciNameWidth = 200;

std::string headingText(const inv::HostAdapterInfo& adapter) {
  return fw::formatString(IDS_HA_HEADING, inv::recordText(adapter.adapterIdentifier).c_str(),
                          inv::recordText(adapter.displayName).c_str());
}

}  // namespace

// ---- the sheet ----

CHAPropertySheet::CHAPropertySheet(const inv::HostAdapterInfo& adapter, const std::string& title,
                                   HWND parent, UINT startPage)
    : PropertySheet(title, parent, startPage), adapter_(adapter) {
  setTitle(title);
  general_ = std::make_unique<CHAGeneralPage>(adapter);
  addPage(general_.get());
  pci_ = std::make_unique<CHAPciPage>(adapter);
  addPage(pci_.get());
}

CHAPropertySheet::~CHAPropertySheet() = default;

void CHAPropertySheet::onInitialized() {
  // The caption's "?" button for the pages' context help.
  SetWindowLongPtrA(hwnd(), GWL_EXSTYLE, GetWindowLongPtrA(hwnd(), GWL_EXSTYLE) | WS_EX_CONTEXTHELP);
  headingFont_.reset(srv::createHeadingFont(hwnd()));
}

LRESULT CHAPropertySheet::handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  // Help on the sheet's own controls (tab strip, buttons); the pages answer for theirs.
  if (message == WM_HELP && lParam) {
    const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
    srv::showTextPopup(srv::kAdapterSheetPopups, static_cast<HWND>(info->hItemHandle),
                       info->MousePos, static_cast<UINT>(info->iCtrlId));
    handled = true;
    return TRUE;
  }
  return PropertySheet::handleMessage(message, wParam, lParam, handled);
}

// ---- pages in common ----

CHAPage::CHAPage(UINT templateId, const srv::HelpPair* helpPairs)
    : HelpedPage(templateId, helpPairs) {}

BOOL CHAPage::onInitDialog() {
  PropertyPage::onInitDialog();
  auto* owner = static_cast<CHAPropertySheet*>(sheet());
  HFONT font = owner ? owner->headingFont() : nullptr;
  if (font) SendDlgItemMessageA(hwnd(), IDC_HA_HEADING, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  srv::fitHeading(hwnd(), IDC_HA_HEADING);
  logo_.reset(fw::loadPicture(fw::resourceModule(), IDB_HA_LOGO, fw::dpiOf(hwnd())));
  return TRUE;
}

void CHAPage::paint(HDC dc) { paintEtched(dc, IDC_HA_LOGO, logo_.get()); }

// ---- General ----

CHAGeneralPage::CHAGeneralPage(const inv::HostAdapterInfo& adapter)
    : CHAPage(IDD_HA_GENERAL, srv::kHelpAdapterGeneral),
      adapter_(adapter),
      pciConfig_(adapter.pciConfig) {
  const uint8_t* unique = adapter.adapterUnique;
  const AlignmentWord align = alignmentWord(alignmentMask(unique));
  const std::string word = align.hasNumber ? fw::formatString(align.stringId, unsigned{align.number})
                                           : fw::loadString(align.stringId);
  const NumberedText transfer = maximumTransfer(maximumTransferLength(unique));
  const std::string residual =
      fw::loadString(residualSupported(unique) ? IDS_HA_SUPPORTED : IDS_HA_NOT_SUPPORTED);
  fields_[0] = {IDC_HA_HEADING, headingText(adapter)};
  fields_[1] = {IDC_HA_LOCATION, fw::formatString(IDS_HA_LOCATION, unsigned{adapter.pciBus},
                                                  unsigned{adapter.pciDevice},
                                                  unsigned{adapter.pciFunction})};
  fields_[2] = {IDC_HA_SCSI_ID, fw::formatString(IDS_HA_SCSI_ID, unsigned{adapter.adapterScsiId})};
  fields_[3] = {IDC_HA_DEVICES, fw::formatString(IDS_HA_DEVICES, unsigned{adapter.maxTargets})};
  fields_[4] = {IDC_HA_IO_PORT, fw::formatString(IDS_HA_IO_PORT, unsigned{ioPortBase(pciConfig_)})};
  fields_[5] = {IDC_HA_INTERRUPT,
                fw::formatString(IDS_HA_INTERRUPT, unsigned{interruptLine(pciConfig_)})};
  fields_[6] = {IDC_HA_RESIDUAL, fw::formatString(IDS_HA_RESIDUAL, residual.c_str())};
  fields_[7] = {IDC_HA_MAX_TRANSFER,
                fw::formatString(transfer.stringId, static_cast<unsigned long>(transfer.number))};
  fields_[8] = {IDC_HA_ALIGNMENT, fw::formatString(IDS_HA_ALIGNED, word.c_str())};
}

const std::string& CHAGeneralPage::text(int controlId) const {
  static const std::string none;
  for (const Field& f : fields_)
    if (f.controlId == controlId) return f.text;
  return none;
}

void CHAGeneralPage::doDataExchange(fw::DataExchange& dx) {
  for (Field& f : fields_) dx.text(f.controlId, f.text);
}

BOOL CHAGeneralPage::onInitDialog() {
  CHAPage::onInitDialog();
  picture_.load(hwnd(), IDC_HA_PICTURE, IDB_HA_PICTURE256, IDB_HA_PICTURE16);
  fw::attachAccessible(item(IDC_HA_PICTURE), this);
  return TRUE;
}

void CHAGeneralPage::paint(HDC dc) {
  if (item(IDC_HA_PICTURE)) {
    const RECT area = controlRect(IDC_HA_PICTURE);
    picture_.draw(dc, area.left, area.top);
  }
  CHAPage::paint(dc);
}

INT_PTR CHAGeneralPage::handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  // The picture's control repaints it when it is repainted alone.
  if (message == WM_DRAWITEM && picture_.drawItem(wParam, lParam, IDC_HA_PICTURE)) {
    handled = true;
    return TRUE;
  }
  return CHAPage::handleMessage(message, wParam, lParam, handled);
}

bool CHAGeneralPage::accessibleItem(HWND, long child, fw::AccessibleItem& out) {
  return srv::pictureItem(child, IDS_HA_ACC_PICTURE, inv::recordText(adapter_.displayName), out);
}

// ---- PCI Configuration ----

CHAPciPage::CHAPciPage(const inv::HostAdapterInfo& adapter)
    : CHAPage(IDD_HA_PCI, srv::kHelpAdapterPci), heading_(headingText(adapter)) {
  static_assert(sizeof config_ == sizeof adapter.pciConfig, "the whole configuration space");
  std::memcpy(config_, adapter.pciConfig, sizeof config_);
}

void CHAPciPage::doDataExchange(fw::DataExchange& dx) { dx.text(IDC_HA_HEADING, heading_); }

BOOL CHAPciPage::onInitDialog() {
  CHAPage::onInitDialog();
  HWND view = list();
  if (!view) return TRUE;
  ListView_DeleteAllItems(view);
  RECT client = {};
  GetClientRect(view, &client);
  const int nameWidth = fw::scaled(view, kPciNameWidth);
  const int valueWidth = client.right - nameWidth - 2 * GetSystemMetrics(SM_CXBORDER) -
                         GetSystemMetrics(SM_CXVSCROLL) - 2;
  const std::string fieldHeader = fw::loadString(IDS_PCI_FIELD);
  const std::string valueHeader = fw::loadString(IDS_PCI_VALUE);
  LVCOLUMNA column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = nameWidth;
  column.pszText = const_cast<char*>(fieldHeader.c_str());
  SendMessageA(view, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  column.cx = valueWidth;
  column.pszText = const_cast<char*>(valueHeader.c_str());
  column.iSubItem = 1;
  SendMessageA(view, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));

  // A header that reads as all zeros was never read: nothing to show.
  if (!pciConfigRead(config_)) {
    srv::disableChildren(hwnd());
    return TRUE;
  }
  int row = 0;
  for (const PciField& f : pciFields()) {
    const uint32_t value = pciValue(config_, f);
    if (f.baseAddressIndex >= 0)
      addRow(row, fw::formatString(f.nameId, unsigned(f.baseAddressIndex)), value);
    else if (f.width == 8)
      addRow(row, f.nameId, static_cast<uint8_t>(value));
    else if (f.width == 16)
      addRow(row, f.nameId, static_cast<uint16_t>(value));
    else
      addRow(row, f.nameId, value);
    ++row;
  }
  return TRUE;
}

void CHAPciPage::insertRow(int index, const std::string& name, const std::string& value) {
  LVITEMA entry = {};
  entry.mask = LVIF_TEXT;
  entry.iItem = index;
  entry.pszText = const_cast<char*>(name.c_str());
  const int at = static_cast<int>(
      SendMessageA(list(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&entry)));
  if (at < 0) return;
  entry.iItem = at;
  entry.iSubItem = 1;
  entry.pszText = const_cast<char*>(value.c_str());
  SendMessageA(list(), LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&entry));
}

void CHAPciPage::addRow(int index, UINT nameId, uint8_t value) {
  insertRow(index, fw::loadString(nameId), pciValueText(value, 8));
}
void CHAPciPage::addRow(int index, UINT nameId, uint16_t value) {
  insertRow(index, fw::loadString(nameId), pciValueText(value, 16));
}
void CHAPciPage::addRow(int index, UINT nameId, uint32_t value) {
  insertRow(index, fw::loadString(nameId), pciValueText(value, 32));
}
void CHAPciPage::addRow(int index, const std::string& name, uint32_t value) {
  insertRow(index, name, pciValueText(value, 32));
}

void showHostAdapterPropertySheet(const inv::HostAdapterInfo& adapter, int page) {
  const std::string title = fw::formatString(
      IDS_ADAPTER_SHEET_TITLE, inv::recordText(adapter.displayName).c_str());
  CHAPropertySheet sheet(adapter, title, nullptr, 0);
  sheet.setActivePage(static_cast<UINT>(page));
  sheet.doModal();
}

}  // namespace ha
