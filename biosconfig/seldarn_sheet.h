// The BIOS configuration sheet: the serial EEPROM blocks of every adapter read when it
// opens, four pages that edit the configured adapter's block in memory, the snapshot
// that Cancel puts back, and the read-only table of every target's settings. Nothing is
// ever written back to an adapter.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "biosconfig/config_logic.h"
#include "framework/dialog.h"
#include "framework/propsheet.h"
#include "inventory/records.h"
#include "server/drawing.h"
#include "server/help_tables.h"
#include "server/helped_page.h"

namespace bios {

class CSeeBusInf;
class CSeeBootDev;
class CSeeScsiDev;
class CSeeAdvCfg;

class CSeldarnPropertySheet : public fw::PropertySheet {
 public:
  // Reads the blocks (the configured adapter's failure is reported here) and takes the
  // snapshot. adapter and the records of its label table must outlive the sheet.
  CSeldarnPropertySheet(HostAdapterInfo& adapter, const std::string& title, HWND parent,
                        UINT startPage);
  ~CSeldarnPropertySheet() override;

  HostAdapterInfo& adapter() { return adapter_; }
  // Whether the configured adapter's block was read; the pages stay disabled otherwise.
  bool configurationRead() const { return configurationRead_; }
  HFONT headingFont() const { return headingFont_.get(); }
  const ConfigSnapshot& snapshot() const { return snapshot_; }

  // Cancel: every adapter's image as it was when the sheet opened, Apply or not (the
  // snapshot is taken once: Apply writes nothing anywhere, so it has nothing to keep).
  void restoreSnapshot() { snapshot_.restore(); }

 protected:
  void onInitialized() override;
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  HostAdapterInfo& adapter_;
  bool configurationRead_;
  // Destroyed in reverse order: the font, the snapshot, then the pages.
  std::unique_ptr<CSeeBusInf> busInterface_;
  std::unique_ptr<CSeeBootDev> bootDevice_;
  std::unique_ptr<CSeeScsiDev> deviceConfig_;
  std::unique_ptr<CSeeAdvCfg> advanced_;
  ConfigSnapshot snapshot_;
  srv::GdiObject<HFONT> headingFont_;
};

// ShowSeldarn: the sheet for the adapter, titled "<displayName> Seldarn(TM)", run
// modally with no owner.
void showSeldarnSheet(HostAdapterInfo& adapter);

}  // namespace bios
