// The Mode Parameters page of the device sheet (disks only): one of six mode pages
// chosen in a combo box, one of its parameters chosen in a list, and that parameter's
// current, power-on (saved) and factory-default values. It only reads.
#pragma once

#include <windows.h>

#include <string>

#include "contract/records.h"
#include "devsheet/mode_logic.h"
#include "pages/drawing.h"
#include "pages/helped_page.h"

namespace dev {

class CDevModePage : public srv::HelpedPage, private ModePort {
 public:
  // library is the SCSI manager the sheet was given; commands go through the module's
  // SendAndWait on it.
  CDevModePage(HICON icon, const inv::DeviceInfo& device, HMODULE library);

  uint8_t selectedPage() const { return selectedPage_; }

 protected:
  BOOL onInitDialog() override;
  bool onCommand(WORD id, WORD notifyCode, HWND control) override;

 private:
  void paint(HDC dc) override;
  // Reads the selected page; enables or disables the parameter controls accordingly.
  void readSelectedPage();
  void fillParameterNames(const ModePageEntry& entry);
  void onPageChosen();
  void onParameterChosen();
  void showValues(bool visible);

  // ModePort
  bool sense(uint8_t pageCode, uint8_t pageControl, uint8_t* buffer) override;

  HICON icon_;
  const inv::DeviceInfo& device_;
  HMODULE library_;
  uint8_t selectedPage_ = 0x08;
  int shownEntry_ = 0;
  ModeAnswers answers_ = {};
  std::string current_, saved_, defaults_;
  srv::GdiObject<HBITMAP> separator_;
};

}  // namespace dev
