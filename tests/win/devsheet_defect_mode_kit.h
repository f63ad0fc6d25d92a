// What the window tests of the device sheet's reading pages (Defect List, Mode
// Parameters) share: a bus of their own served by the simulator, the sheet linked in
// directly and opened on one page, messages answered on the way, the request blocks the
// device received, and the page's context help and separator.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "contract/records.h"
#include "inventory/library_port.h"
#include "pages/help.h"
#include "simulator/controls.h"
#include "tests/support/modal_driver.h"

namespace devtest {

using Bytes = std::vector<int>;

class DirectPageTest : public testing::Test {
 protected:
  // bus: the description served; templateId and index: the page and its place in the sheet.
  DirectPageTest(const char* bus, UINT templateId, int index, const char* caption)
      : bus_(bus), templateId_(templateId), index_(index), caption_(caption) {}
  void SetUp() override;
  void TearDown() override;

  const inv::DeviceInfo& disk(int target);
  // Opens the device's sheet, goes to the page as a click on its tab would and runs
  // action on it; then Cancel. onTab runs just before the tab is chosen (the page then
  // reads the device).
  void onPage(int target, const std::function<void(HWND sheet, HWND page)>& action,
              const std::function<void()>& onTab = {});
  // A message box's step: checks its text, presses OK.
  void expectMessage(const std::string& caption, const std::string& text);
  // The blocks of that opcode the device received since the last call, as sent: without
  // the buffer address, the event and the status, which differ per request.
  std::vector<Bytes> received(int opcode);

  orvtest::ModalDriver driver_;

 private:
  const char* bus_;
  UINT templateId_;
  int index_;
  const char* caption_;
  inv::AdapterInventory inventory_;
  const inv::HostAdapterInfo* list_ = nullptr;
  std::string log_;
  simctl::SetLogFn setLog_ = nullptr;
};

// An execute block as a page fills it for a command that reads `dataLength` bytes.
Bytes readBlock(int target, const Bytes& cdb, uint32_t dataLength);
// The lines of a list box.
std::vector<std::string> listBoxLines(HWND list);
// Asks the page for help on the control as the caption's "?" would and answers the pair
// table the page handed on (null when it asked nothing or for another control).
const srv::HelpPair* helpPairsFor(HWND page, int control);
// Whether that table is the one given (each user of the header has its own copy).
template <size_t N>
bool helpUsesPairs(HWND page, int control, const srv::HelpPair (&pairs)[N]) {
  const srv::HelpPair* asked = helpPairsFor(page, control);
  return asked && std::memcmp(asked, pairs, sizeof pairs) == 0;
}
// Whether the separator line is drawn at the top of control 1238.
bool separatorDrawn(HWND page);

}  // namespace devtest
