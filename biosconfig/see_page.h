// What the four pages of the Seldarn sheet share.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "biosconfig/config_logic.h"
#include "biosconfig/seldarn_sheet.h"
#include "inventory/records.h"
#include "server/drawing.h"
#include "server/help_tables.h"
#include "server/helped_page.h"

namespace bios {

// Shared by the four pages: the heading with the sheet's font, the logo bar, help from
// the page's pair table, and the controls disabled when nothing was read.
class CSeePage : public srv::HelpedPage {
 protected:
  CSeePage(UINT templateId, const srv::HelpPair* helpPairs, HostAdapterInfo& adapter);

  BOOL onInitDialog() override;
  void paint(HDC dc) override;

  bool configurationRead() const;
  CSeldarnPropertySheet* owner() const { return static_cast<CSeldarnPropertySheet*>(sheet()); }
  EepromConfig& block() { return configBlock(adapter_); }
  unsigned family() const { return familyOf(adapter_); }

  void fillCombo(int id, const std::vector<std::string>& items);
  void fillNumbers(int id, int count);
  void select(int id, int index);
  int selection(int id) const;
  void check(int id, bool on);
  bool checked(int id) const;
  void enable(int id, bool on);
  // A change written into the block: the sheet offers Apply.
  void changed() { setModified(true); }

  HostAdapterInfo& adapter_;
  std::string heading_;

 private:
  srv::GdiObject<HBITMAP> logo_;
};

}  // namespace bios
