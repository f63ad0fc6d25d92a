#include "devsheet/cache_page.h"

#include <cstring>

#include "contract/record_text.h"
#include "devsheet/cache_page_res.h"
#include "devsheet/devsheet.h"
#include "devsheet/devsheet_res.h"
#include "framework/dpi.h"
#include "framework/module.h"
#include "framework/msgbox.h"
#include "framework/strings.h"
#include "pages/help.h"
#include "scsi/manager.h"
#include "scsi/report.h"
#include "scsi/scsi_res.h"

namespace dev {
namespace {



std::string onOff(bool enabled) {
  return fw::loadString(enabled ? IDS_DEV_CACHE_ENABLED : IDS_DEV_CACHE_DISABLED);
}

int tick(bool ticked) { return ticked ? BST_CHECKED : BST_UNCHECKED; }

}  // namespace

CDevCachePage::CDevCachePage(HICON icon, const inv::DeviceInfo& device, HMODULE library)
    : HelpedPage(IDD_DEV_CACHE, srv::kHelpDeviceCache),
      icon_(icon),
      device_(device),
      library_(library),
      title_(deviceHeading(device)) {}

void CDevCachePage::doDataExchange(fw::DataExchange& dx) {
  dx.text(IDC_DEV_TITLE, title_);
  dx.text(IDC_DEV_READ_SUPPORTED, readSupported_);
  dx.text(IDC_DEV_READ_CURRENT, readCurrent_);
  dx.text(IDC_DEV_READ_DEFAULT, readDefault_);
  dx.text(IDC_DEV_WRITE_SUPPORTED, writeSupported_);
  dx.text(IDC_DEV_WRITE_CURRENT, writeCurrent_);
  dx.text(IDC_DEV_WRITE_DEFAULT, writeDefault_);
  dx.check(IDC_DEV_READ_CACHE, readTicked_);
  dx.check(IDC_DEV_WRITE_CACHE, writeTicked_);
}

BOOL CDevCachePage::onInitDialog() {
  PropertyPage::onInitDialog();
  auto* owner = static_cast<CDevPropertySheet*>(sheet());
  HFONT font = owner ? owner->titleFont() : nullptr;
  if (font) SendDlgItemMessageA(hwnd(), IDC_DEV_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendDlgItemMessageA(hwnd(), IDC_DEV_CACHE_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
  separator_.reset(fw::loadPicture(fw::resourceModule(), IDB_DEV_SEPARATOR, fw::dpiOf(hwnd())));
  refresh();
  return TRUE;
}

void CDevCachePage::refresh() {
  state_ = readModePage(*this, kCachingPage, buffers_) ? decodeCacheState(buffers_) : CacheState{};
  showState();
}

void CDevCachePage::showState() {
  if (state_.available) {
    readSupported_ = writeSupported_ = fw::loadString(IDS_DEV_YES);
    readCurrent_ = onOff(state_.readEnabled);
    readDefault_ = onOff(state_.readDefault);
    writeCurrent_ = onOff(state_.writeEnabled);
    writeDefault_ = onOff(state_.writeDefault);
  } else {
    readSupported_ = writeSupported_ = fw::loadString(IDS_DEV_NO);
    readCurrent_ = readDefault_ = writeCurrent_ = writeDefault_ = fw::loadString(IDS_DEV_CACHE_NONE);
  }
  readTicked_ = tick(state_.available && state_.readEnabled);
  writeTicked_ = tick(state_.available && state_.writeEnabled);
  updateData(false);
  if (!state_.available) srv::disableChildren(hwnd());
}

bool CDevCachePage::onCommand(WORD id, WORD notifyCode, HWND) {
  if (notifyCode != BN_CLICKED || (id != IDC_DEV_READ_CACHE && id != IDC_DEV_WRITE_CACHE)) return false;
  const bool ticked = IsDlgButtonChecked(hwnd(), id) == BST_CHECKED;
  // Ticking and unticking again is no change.
  if (id == IDC_DEV_READ_CACHE) readModified_ = ticked != state_.readEnabled;
  else writeModified_ = ticked != state_.writeEnabled;
  setModified(readModified_ || writeModified_);
  return true;
}

void CDevCachePage::switchCache(Cache cache, bool enable, UINT failedMessage) {
  if (setCache(*this, buffers_, cache, enable)) return;
  fw::messageBoxText(hwnd(), fw::loadString(failedMessage), scsi::applicationTitle(),
                     MB_OK | MB_ICONEXCLAMATION);
}

bool CDevCachePage::onApply() {
  // A page that could not read the Caching page offers nothing to apply; reading it again
  // would only repeat the message it showed.
  if (state_.available) {
    if (readModified_)
      switchCache(Cache::Read, IsDlgButtonChecked(hwnd(), IDC_DEV_READ_CACHE) == BST_CHECKED,
                  IDS_DEV_READ_CACHE_FAILED);
    if (writeModified_)
      switchCache(Cache::Write, IsDlgButtonChecked(hwnd(), IDC_DEV_WRITE_CACHE) == BST_CHECKED,
                  IDS_DEV_WRITE_CACHE_FAILED);
    // What the device really has now, whatever the switches achieved.
    refresh();
  }
  readModified_ = writeModified_ = false;
  setModified(false);
  return true;
}

bool CDevCachePage::sense(uint8_t pageCode, uint8_t pageControl, uint8_t* buffer) {
  scsi::ExecCommandBlock block;
  const scsi::SendResult sent =
      scsi::sendCommand(block, device_.adapterNumber, device_.target,
                        scsi::modeSense(pageCode, pageControl), buffer, scsi::Feedback::WaitCursor);
  return sent.ok || scsi::reportPageOutcome(hwnd(), block);
}

SelectOutcome CDevCachePage::select(const uint8_t* list, uint8_t length, bool report) {
  // The request gets its own copy of the list.
  uint8_t data[kModeBufferSize] = {};
  std::memcpy(data, list, sizeof data);
  scsi::ExecCommandBlock block;
  const scsi::SendResult sent = scsi::sendCommand(block, device_.adapterNumber, device_.target,
                                                  scsi::modeSelect(length), data,
                                                  scsi::Feedback::None);
  if (sent.ok) return SelectOutcome::Done;
  const bool illegal = scsi::classifyPageRequest(block) == scsi::PageOutcome::NotSupported;
  if (report) scsi::reportPageOutcome(hwnd(), block);
  return illegal ? SelectOutcome::IllegalRequest : SelectOutcome::Failed;
}

bool CDevCachePage::confirmWriteCache() {
  const std::string vendor = inv::recordText(device_.vendor);
  const std::string text =
      fw::formatMessage(writeCacheQuestion(device_.vendor, sizeof device_.vendor), {vendor});
  return fw::messageBoxText(hwnd(), text, IDS_SUITE_CAPTION,
                            MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void CDevCachePage::paint(HDC dc) {
  paintEtched(dc, IDC_DEV_SEPARATOR, separator_.get());
}

}  // namespace dev
