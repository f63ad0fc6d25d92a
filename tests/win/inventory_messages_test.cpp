// The inventory's messages as the user sees them, and the inventory without a usable
// manager library.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inventory/library_port.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"

namespace {

constexpr const char* kCaption = "Velmora SCSI Explorer";

HICON messageBoxIcon(HWND box) {
  for (int id : {0x14, 0x440}) {
    if (HWND icon = GetDlgItem(box, id))
      return reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0));
  }
  return nullptr;
}

struct SeenBox {
  std::string text;
  HWND owner = nullptr;
  bool exclamation = false;
};

// Expects one message box with the suite's caption and records what it showed.
void expectBox(orvtest::ModalDriver& driver, SeenBox& seen, const char* screenshot = nullptr) {
  driver.expect(kCaption, [&seen, screenshot](HWND box) {
    seen.text = orvtest::messageBoxText(box);
    seen.owner = GetWindow(box, GW_OWNER);
    seen.exclamation = messageBoxIcon(box) == LoadIconA(nullptr, IDI_EXCLAMATION);
    if (screenshot) orvtest::saveScreenshot(box, screenshot);
    orvtest::pressButton(box, IDOK);
  });
}

// A visible, active top-level window, as a front end's window would be.
class ActiveWindow {
 public:
  ActiveWindow() {
    window_ = CreateWindowExA(0, "STATIC", "inventory owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              10, 10, 200, 100, nullptr, nullptr, nullptr, nullptr);
    SetActiveWindow(window_);
  }
  ~ActiveWindow() { DestroyWindow(window_); }
  HWND get() const { return window_; }

 private:
  HWND window_;
};

TEST(InventoryMessages, ShowTheirTextsOwnedByTheActiveWindow) {
  ActiveWindow owner;
  inv::MessageBoxSink sink;
  struct Case {
    unsigned id;
    std::vector<inv::MessageArg> args;
    const char* text;
  } cases[] = {
      {1228,
       {inv::MessageArg::ofNumber(0x5c99), inv::MessageArg::ofNumber(0x1)},
       "A SCSI Host Adapter with\n\n     Device ID: 5C99h,  Subsystem ID: 0001h\n\nis not "
       "fully supported by this application.\n\nSome of the Host Adapter's information "
       "and settings\nmay not be available for viewing."},
      {1229,
       {inv::MessageArg::ofText(inv::kPciConfigFunctionText)},
       "The WinVRAX version on your computer does not support\nGetHAPCIConfigInfo() "
       "function.\nPlease obtain an OEM version of WinVRAX."},
      {32835, {}, "There is no Velmora SCSI Cards in your computer."},
      {32836, {}, "Unable to initialize VRAX for Windows!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    orvtest::ModalDriver driver;
    SeenBox seen;
    expectBox(driver, seen, c.id == 1228 ? "inventory_adapter_not_supported" : nullptr);
    // Other programs of a parallel test run may take the activation away; the box
    // must be owned by whatever window is active when it is shown.
    SetActiveWindow(owner.get());
    HWND active = GetActiveWindow();
    sink.show(c.id, c.args);
    EXPECT_TRUE(driver.allDone());
    EXPECT_EQ(seen.text, c.text);
    EXPECT_EQ(seen.owner, active);
    EXPECT_TRUE(seen.exclamation);
  }
}

TEST(InventoryMessages, GenericAdapterAndDeviceTypeTexts) {
  EXPECT_EQ(inv::MessageBoxSink().text(32973), "SCSI Host Adapter");
  EXPECT_EQ(inv::deviceTypeText(4), "CD-R / WORM");
  EXPECT_EQ(inv::deviceTypeText(0x1F), "Unknown");
}

TEST(InventoryWithoutManager, CountsNothingAndSaysSo) {
  scsi::scsiManager().unload();  // no library: the support word reads 0
  inv::AdapterInventory inventory;
  EXPECT_EQ(inventory.countAdapters(), 0);
  orvtest::ModalDriver driver;
  SeenBox noCards;
  expectBox(driver, noCards);
  EXPECT_EQ(inventory.buildAdapterList(), 0u);
  EXPECT_TRUE(driver.allDone());
  EXPECT_EQ(noCards.text, "There is no Velmora SCSI Cards in your computer.");
  EXPECT_EQ(inventory.state().records(), nullptr);
}

}  // namespace
