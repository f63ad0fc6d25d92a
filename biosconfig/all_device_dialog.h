// The Seldarn sheet's read-only table of every target's settings.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "biosconfig/config_logic.h"
#include "framework/dialog.h"
#include "server/drawing.h"

namespace bios {

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

}  // namespace bios
