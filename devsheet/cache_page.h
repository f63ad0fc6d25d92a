// The R/W Cache page of the device sheet (disks only): whether the disk's read and write
// caches can be switched, their current and factory-default states, and the two check
// boxes that switch them on Apply, saved in the device.
#pragma once

#include <windows.h>

#include <string>

#include "contract/records.h"
#include "devsheet/cache_logic.h"
#include "pages/drawing.h"
#include "pages/helped_page.h"

namespace dev {

class CDevCachePage : public srv::HelpedPage, private CachePort {
 public:
  // library is the SCSI manager the sheet was given; commands go through the module's
  // SendAndWait on it.
  CDevCachePage(HICON icon, const inv::DeviceInfo& device, HMODULE library);

  const CacheState& state() const { return state_; }
  bool readModified() const { return readModified_; }
  bool writeModified() const { return writeModified_; }

 protected:
  void doDataExchange(fw::DataExchange& dx) override;
  BOOL onInitDialog() override;
  bool onCommand(WORD id, WORD notifyCode, HWND control) override;
  bool onApply() override;

 private:
  void paint(HDC dc) override;
  // Fills the texts and check boxes from state_; the unavailable state disables every
  // control of the page.
  void showState();
  // Reads the Caching page and shows what it holds (unavailable when it cannot be read).
  void refresh();
  void switchCache(Cache cache, bool enable, UINT failedMessage);

  // CachePort
  bool sense(uint8_t pageCode, uint8_t pageControl, uint8_t* buffer) override;
  SelectOutcome select(const uint8_t* list, uint8_t length, bool report) override;
  bool confirmWriteCache() override;

  HICON icon_;
  const inv::DeviceInfo& device_;
  HMODULE library_;
  ModeBuffers buffers_ = {};
  CacheState state_;
  bool readModified_ = false;
  bool writeModified_ = false;
  std::string title_;
  std::string readCurrent_, readDefault_, readSupported_;
  std::string writeCurrent_, writeDefault_, writeSupported_;
  int readTicked_ = BST_UNCHECKED;
  int writeTicked_ = BST_UNCHECKED;
  srv::GdiObject<HBITMAP> separator_;
};

}  // namespace dev
