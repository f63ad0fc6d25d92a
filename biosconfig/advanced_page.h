// The Advanced page: the adapter's BIOS options.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "biosconfig/see_page.h"

namespace bios {

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

}  // namespace bios
