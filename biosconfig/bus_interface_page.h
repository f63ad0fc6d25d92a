// The Bus Interface page: host id, parity and termination.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "biosconfig/see_page.h"

namespace bios {

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

}  // namespace bios
