// The device property sheet: one SCSI device of the inventory, its General and SCSI
// Features pages and the slots of the pages that follow them, the bold title font shared by every page, and the
// text of the device's negotiated transfer rate.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "contract/records.h"
#include "framework/accessible.h"
#include "framework/propsheet.h"
#include "pages/drawing.h"
#include "pages/helped_page.h"
#include "pages/page_picture.h"

namespace dev {

class CDevGeneralPage;
class CDevScsiPage;

class CDevPropertySheet : public fw::PropertySheet {
 public:
  // device must stay valid while the sheet is open; library is the SCSI manager, handed
  // on to the pages that send their own commands; icon is shared, not owned.
  CDevPropertySheet(HMODULE library, const inv::DeviceInfo& device, HICON icon,
                    const std::string& title, HWND parent, UINT startPage);
  ~CDevPropertySheet() override;

  const inv::DeviceInfo& device() const { return device_; }
  // The adapter the device sits on, from the record's adapter field; null when unset.
  const inv::HostAdapterInfo* adapter() const { return adapter_; }
  HMODULE library() const { return library_; }
  HICON icon() const { return icon_; }

  // The bold heading font of the pages' control 1516; null when it could not be made.
  HFONT titleFont();

  // Text of the negotiated rate of the device at targetId: "Async" for asynchronous
  // transfers, else "%s MB/Sec" with one decimal. Adapters of the newest family are asked
  // through the miniport channel; for the others, and when the query fails, the rate
  // known so far is shown. Answers 1.
  int negotiatedRateText(uint8_t targetId, std::string& text);
  uint32_t negotiatedRate() const { return negotiatedRate_; }

 protected:
  void onInitialized() override;

 private:
  HMODULE library_;
  const inv::DeviceInfo& device_;
  const inv::HostAdapterInfo* adapter_;
  HICON icon_;
  uint32_t negotiatedRate_ = 0;
  srv::GdiObject<HFONT> titleFont_;
  bool titleFontTried_ = false;

  // Page slots in tab order. Defect List, Mode Parameters and R/W Cache are added here as
  // they are built; only for disks (type 0).
  std::unique_ptr<CDevGeneralPage> general_;
  std::unique_ptr<CDevScsiPage> features_;
  std::unique_ptr<fw::PropertyPage> defects_;
  std::unique_ptr<fw::PropertyPage> modePages_;
  std::unique_ptr<fw::PropertyPage> cache_;
};

class CDevGeneralPage : public srv::HelpedPage, private fw::AccessibleSource {
 public:
  // Works out every text at once, the capacity with a READ CAPACITY to the device.
  CDevGeneralPage(HICON icon, const inv::DeviceInfo& device);

  const std::string& text(int controlId) const;

 protected:
  void doDataExchange(fw::DataExchange& dx) override;
  BOOL onInitDialog() override;
  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  void paint(HDC dc) override;
  // The picture control reads as the picture of the device, with the device type.
  bool accessibleItem(HWND window, long child, fw::AccessibleItem& out) override;

  HICON icon_;
  const inv::DeviceInfo& device_;
  struct Field {
    int controlId;
    std::string text;
  };
  Field fields_[10];
  srv::PagePicture picture_;
  srv::GdiObject<HBITMAP> separator_;
};

// The SCSI Features page: the device's optional features as supported or not-supported
// marks, and on adapters of the newest family the negotiated transfer rate. Everything is
// fixed when the page is initialised.
class CDevScsiPage : public srv::HelpedPage, private fw::AccessibleSource {
 public:
  // library is kept for symmetry with the other pages; this page sends no command.
  CDevScsiPage(HICON icon, const inv::DeviceInfo& device, HMODULE library);

  bool showsRate() const { return showsRate_; }
  const std::string& rateText() const { return rateText_; }

 protected:
  void doDataExchange(fw::DataExchange& dx) override;
  BOOL onInitDialog() override;
  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  void paint(HDC dc) override;
  void drawMark(HDC dc, int controlId, bool supported, POINT origin);
  // Each mark control reads as its line's label with "Yes" or "No" (the rate mark: the
  // rate), so that a screen reader says what the picture shows.
  bool accessibleItem(HWND window, long child, fw::AccessibleItem& out) override;

  HICON icon_;
  const inv::DeviceInfo& device_;
  HMODULE library_;
  const uint8_t (&inquiry_)[8];
  bool showsRate_;
  std::string title_;
  std::string rateText_;
  srv::GdiObject<HBITMAP> supported_;
  srv::GdiObject<HBITMAP> unsupported_;
  srv::GdiObject<HBITMAP> separator_;
  int overhang_ = 2;  // pixels the marks reach beyond their controls
};

// The pages' heading text, "%s  %s" with the device's vendor and product.
std::string deviceHeading(const inv::DeviceInfo& device);
// The heading of the pages that read a disk: "%s  %s" with vendor and product in the
// sheet's bold font on 1516 and the device icon on `iconId`; answers the separator
// picture, loaded for the page to paint.
HBITMAP showPageHeading(HWND page, fw::PropertySheet* sheet, const inv::DeviceInfo& device,
                        HICON icon, int iconId);

// The capacity text of a device: "%lu MBytes" from READ CAPACITY(10), or READ
// CAPACITY(16) where that cannot tell the size; "N/A" for types without a capacity and
// for a device that did not answer.
std::string capacityText(const inv::DeviceInfo& device);

// ShowDeviceProperty: the sheet for device, titled with its vendor and product and
// carrying its type's icon, run modally with no owner.
void showDevicePropertySheet(HMODULE library, const inv::DeviceInfo& device);

}  // namespace dev
