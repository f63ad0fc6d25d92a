// The Device Config page: one target's settings at a time.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "biosconfig/see_page.h"

namespace bios {

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

}  // namespace bios
