// The host adapter property sheet: one adapter of the inventory, its General page and its
// PCI Configuration page, the heading font its pages share, and the text pop-ups of the
// sheet's own controls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "contract/records.h"
#include "framework/accessible.h"
#include "framework/propsheet.h"
#include "pages/drawing.h"
#include "pages/heading.h"
#include "pages/help_tables.h"
#include "pages/helped_page.h"
#include "pages/page_picture.h"

namespace ha {

class CHAGeneralPage;
class CHAPciPage;

// The heading helpers by their former names, for the pages not yet moved to pages/.
using srv::createHeadingFont;
using srv::fitHeading;

class CHAPropertySheet : public fw::PropertySheet {
 public:
  // adapter must stay valid while the sheet is open.
  CHAPropertySheet(const inv::HostAdapterInfo& adapter, const std::string& title, HWND parent,
                   UINT startPage);
  ~CHAPropertySheet() override;

  const inv::HostAdapterInfo& adapter() const { return adapter_; }
  // The heading font of the pages' control 1516; null before the sheet's window exists
  // and when it could not be made.
  HFONT headingFont() const { return headingFont_.get(); }

 protected:
  void onInitialized() override;
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  const inv::HostAdapterInfo& adapter_;
  // The pages go after the font (members are destroyed in reverse order).
  std::unique_ptr<CHAGeneralPage> general_;
  std::unique_ptr<CHAPciPage> pci_;
  srv::GdiObject<HFONT> headingFont_;
};

// Shared by the pages: heading font on 1516, the logo drawn at 1238, button-face
// background, context help from the page's pair table.
class CHAPage : public srv::HelpedPage {
 protected:
  CHAPage(UINT templateId, const srv::HelpPair* helpPairs);
  BOOL onInitDialog() override;
  void paint(HDC dc) override;

 private:
  srv::GdiObject<HBITMAP> logo_;
};

class CHAGeneralPage : public CHAPage, private fw::AccessibleSource {
 public:
  // Works out every text at once from the record.
  explicit CHAGeneralPage(const inv::HostAdapterInfo& adapter);

  const std::string& text(int controlId) const;

 protected:
  void doDataExchange(fw::DataExchange& dx) override;
  BOOL onInitDialog() override;
  void paint(HDC dc) override;
  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  // The picture control reads as the picture of the host adapter, with its name.
  bool accessibleItem(HWND window, long child, fw::AccessibleItem& out) override;

  const inv::HostAdapterInfo& adapter_;
  const uint8_t* pciConfig_;
  struct Field {
    int controlId;
    std::string text;
  };
  Field fields_[9];
  srv::PagePicture picture_;
};

class CHAPciPage : public CHAPage {
 public:
  // Keeps its own copy of the record's configuration space.
  explicit CHAPciPage(const inv::HostAdapterInfo& adapter);

  const std::string& heading() const { return heading_; }

 protected:
  void doDataExchange(fw::DataExchange& dx) override;
  BOOL onInitDialog() override;

 private:
  HWND list() const { return item(1279); }
  void addRow(int index, UINT nameId, uint8_t value);
  void addRow(int index, UINT nameId, uint16_t value);
  void addRow(int index, UINT nameId, uint32_t value);
  void addRow(int index, const std::string& name, uint32_t value);
  void insertRow(int index, const std::string& name, const std::string& value);

  uint8_t config_[256];
  std::string heading_;
};

// ShowHostAdapterProperty: the sheet for adapter titled "<displayName> Properties", page
// `page` shown first, run modally with no owner.
void showHostAdapterPropertySheet(const inv::HostAdapterInfo& adapter, int page);

}  // namespace ha
