// Shared by the SCSI Explorer window's Windows tests: a recording stand-in for the
// automation object with a bus of adapter records, and the reads and actions a person's
// eye and hand would make on the window (commands, list contents, menus, status bar).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "contract/records.h"
#include "explorer/explorer_res.h"
#include "explorer/explorer_server.h"
#include "explorer/settings.h"

namespace explorertest {

// Adapter records as the object would hand them out, plus what the window asked of it.
struct FakeBus {
  std::vector<inv::HostAdapterInfo> records;
  bool listFails = false;   // GetHostAdaptersList answers 0
  HICON icon = nullptr;
  std::vector<std::string> calls;
  int created = 0;

  void add(uint8_t number, const char* name, const char* driver, uint8_t scsiId,
           uint8_t devices, bool extended) {
    inv::HostAdapterInfo r;
    std::memset(&r, 0, sizeof r);
    r.adapterNumber = number;
    r.adapterScsiId = scsiId;
    std::strncpy(r.displayName, name, sizeof r.displayName - 1);
    std::strncpy(r.adapterIdentifier, driver, sizeof r.adapterIdentifier - 1);
    r.deviceCount = devices;
    r.extendedFeatures = extended ? 1 : 0;
    records.push_back(r);
    for (auto& each : records) each.adapterCount = static_cast<int32_t>(records.size());
  }
  intptr_t address(size_t index) const { return reinterpret_cast<intptr_t>(&records[index]); }
  // Name of the record at an address the window passed back.
  std::string nameAt(intptr_t address) const;
};

// Five adapters in an order that no sort keeps: array order differs from name, driver,
// adapter number and SCSI ID order.
void fillDefaultBus(FakeBus& bus);

class FakeServer : public explorer::ExplorerServer {
 public:
  explicit FakeServer(FakeBus& bus) : bus_(bus) { ++bus_.created; }
  void showDeviceList(intptr_t a) override { bus_.calls.push_back("ShowDeviceList " + bus_.nameAt(a)); }
  long getHostAdaptersCount() override {
    bus_.calls.push_back("GetHostAdaptersCount");
    return static_cast<long>(bus_.records.size());
  }
  intptr_t getHostAdaptersList() override {
    bus_.calls.push_back("GetHostAdaptersList");
    return bus_.listFails || bus_.records.empty() ? 0 : bus_.address(0);
  }
  void showHostAdapterProperty(intptr_t a, short page) override {
    bus_.calls.push_back("ShowHostAdapterProperty " + bus_.nameAt(a) + " " + std::to_string(page));
  }
  long getHostAdapterIcon() override {
    bus_.calls.push_back("GetHostAdapterIcon");
    return static_cast<long>(reinterpret_cast<LONG_PTR>(bus_.icon));
  }
  long getScsiLogoIcon() override {
    bus_.calls.push_back("GetScsiLogoIcon");
    return static_cast<long>(reinterpret_cast<LONG_PTR>(bus_.icon));
  }
  void showVelmoraAboutDialog() override { bus_.calls.push_back("ShowVelmoraAboutDialog"); }
  void showSeldarn(intptr_t a) override { bus_.calls.push_back("ShowSeldarn " + bus_.nameAt(a)); }

 private:
  FakeBus& bus_;
};

explorer::ServerFactory fakeFactory(FakeBus& bus);
explorer::ServerFactory failingFactory();

// Posts a command as a menu would and lets the window handle it.
void command(HWND window, int id);
// Runs this thread's pending messages.
void pump();

HWND list(HWND window);
std::vector<std::string> column(HWND window, int subItem);
std::vector<int> columnWidths(HWND window);  // every column the header has
std::vector<std::string> headings(HWND window);
DWORD viewStyle(HWND window);
void select(HWND window, int item);
std::string statusText(HWND window);
bool statusBarShown(HWND window);
// A click on a column header, down and up, as the mouse would.
void clickHeader(HWND window, int column);
// Centre of an item in screen coordinates.
POINT itemCentre(HWND window, int item);

// Menu bar item state (MF_GRAYED, MF_CHECKED bits) by command id.
UINT menuState(HWND window, UINT id);
// The radio-checked view command, 0 for none.
UINT checkedView(HMENU viewMenu);
// Lets the window prepare its File menu, as opening it does.
void openFileMenu(HWND window);

// The popup menu a WM_CONTEXTMENU brings up, read while it shows and then dismissed.
struct ShownMenu {
  bool shown = false;
  std::vector<UINT> ids;        // command ids of the top level, 0 for separators/popups
  std::vector<UINT> states;     // MF_* state per item
  UINT defaultId = static_cast<UINT>(-1);
  UINT checkedView = 0;         // for the background menu: radio mark in its View submenu
};
ShownMenu contextMenu(HWND window, POINT screen);

// The settings key, read raw and written raw.
constexpr char kSettingsKey[] = "Software\\Velmora\\Orvane\\6.0\\Settings";
// The install folder the window reads from the App Paths key; tests point it at the
// binaries, where the background picture lies.
constexpr char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Orvane";
void setInstallFolder(const std::string& folder);

void deleteSettings();
void storeSettings(const explorer::ExplorerSettings& s);
bool loadSettings(explorer::ExplorerSettings& s);  // false: no key

// Records the help requests instead of opening help windows.
struct HelpCall {
  HWND owner;
  std::string file;
  UINT command;
};
std::vector<HelpCall>& helpCalls();
void recordHelp();

}  // namespace explorertest
