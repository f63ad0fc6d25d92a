// The Boot Device page: the boot target and LUN, and the master and boot cards.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "biosconfig/see_page.h"

namespace bios {

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

}  // namespace bios
