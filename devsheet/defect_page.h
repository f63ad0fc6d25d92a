// The Defect List page of the device sheet (disks only): the disk's primary and grown
// defect lists, read once when the page is first shown, one line per defect.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "contract/records.h"
#include "devsheet/defect_logic.h"
#include "pages/drawing.h"
#include "pages/helped_page.h"

namespace dev {

class CDevDefectPage : public srv::HelpedPage, private DefectPort {
 public:
  // library is the SCSI manager the sheet was given; commands go through the module's
  // SendAndWait on it.
  CDevDefectPage(HICON icon, const inv::DeviceInfo& device, HMODULE library);

  // Whether both lists were read (false also before the page was shown).
  bool listsRead() const { return listsRead_; }

 protected:
  BOOL onInitDialog() override;
  bool onCommand(WORD id, WORD notifyCode, HWND control) override;

 private:
  void paint(HDC dc) override;
  // Fills the list box, the description and the total from one buffer.
  void showList(const uint8_t* buffer, UINT emptyText, UINT description);

  // DefectPort
  DefectOutcome read(scsi::DefectList list, uint8_t* buffer) override;

  HICON icon_;
  const inv::DeviceInfo& device_;
  HMODULE library_;
  struct Buffers {
    uint8_t primary[kDefectBufferSize];
    uint8_t grown[kDefectBufferSize];
  };
  std::unique_ptr<Buffers> buffers_;
  bool listsRead_ = false;
  std::string total_;
  srv::GdiObject<HBITMAP> separator_;
};

}  // namespace dev
