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

class CSeeBusInf : public CSeePage {
 public:
  explicit CSeeBusInf(HostAdapterInfo& adapter);

 protected:
  BOOL onInitDialog() override;
  bool onCommand(WORD id, WORD notifyCode, HWND control) override;
  void onReset() override;

 private:
  TerminationLayout termination_;
};

class CSeeBootDev : public CSeePage {
 public:
  explicit CSeeBootDev(HostAdapterInfo& adapter);

 protected:
  BOOL onInitDialog() override;
  bool onSetActive() override;
  bool onCommand(WORD id, WORD notifyCode, HWND control) override;

 private:
  void applyDisabling();
  std::vector<std::string> cardTexts() const;
};

class CSeeScsiDev : public CSeePage {
 public:
  explicit CSeeScsiDev(HostAdapterInfo& adapter);

 protected:
  BOOL onInitDialog() override;
  bool onSetActive() override;
  bool onCommand(WORD id, WORD notifyCode, HWND control) override;

 private:
  uint16_t& word() { return block().deviceWords[target_]; }
  void showTarget();
  void fillRates();
  void enableInt13Options();
  void writeBit(int id, uint16_t bit);

  int target_ = 0;
};

class CSeeAdvCfg : public CSeePage {
 public:
  explicit CSeeAdvCfg(HostAdapterInfo& adapter);

 protected:
  BOOL onInitDialog() override;
  bool onSetActive() override;
  bool onCommand(WORD id, WORD notifyCode, HWND control) override;

 private:
  void enableInt13Options();
};

// The read-only table of every target's settings.
class AllDeviceDialog : public fw::Dialog {
 public:
  AllDeviceDialog(HWND parent, const uint16_t* deviceWords, unsigned familyLevel,
                  const std::string& heading, int columns);

 protected:
  BOOL onInitDialog() override;
  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  void fillList(int id, const std::vector<std::vector<std::string>>& rows);
  void placeLabel(int listId, int row, HWND label);

  uint16_t words_[kTargetWords];
  unsigned family_;
  std::string heading_;
  int columns_;
  srv::GdiObject<HBITMAP> logo_;
};

// ShowSeldarn: the sheet for the adapter, titled "<displayName> Seldarn(TM)", run
// modally with no owner.
void showSeldarnSheet(HostAdapterInfo& adapter);

}  // namespace bios
