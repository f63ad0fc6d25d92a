// What the SCSI Explorer window decides, apart from drawing it: which command does what
// in which host, the view modes, the sort order of adapters and the menu states.
// Platform-free (no windows.h), unit-tested natively.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "contract/records.h"
#include "explorer/explorer_res.h"

namespace explorer {

// The two programs that show the window differ in a few ids and in their start-up.
enum class ExplorerHost : uint8_t { ControlPanel, Standalone };

struct ExplorerFlavor {
  ExplorerHost host;
  uint16_t templateId;
  uint16_t filePropertiesId;  // File menu's Properties
  uint16_t fileSeldarnId;     // File menu's Seldarn
  uint16_t closeId;
  uint16_t noServerTextId;    // the server component cannot be created
  uint16_t noAdaptersTextId;
  uint16_t captionId;         // caption of the window's messages
  uint16_t settingsKeyId;     // "Software\Velmora\Orvane\6.0"
  std::array<uint16_t, 4> columnTextIds;  // Details headings
};

constexpr ExplorerFlavor kAppletFlavor = {
    ExplorerHost::ControlPanel, IDD_EXPLORER_APPLET, ID_APPLET_PROPERTIES, ID_APPLET_SELDARN,
    ID_APPLET_CLOSE, 57602, 57603, 57607, 32774, {32775, 32776, 32789, 32790}};
constexpr ExplorerFlavor kStandaloneFlavor = {
    ExplorerHost::Standalone, IDD_EXPLORER_STANDALONE, ID_STANDALONE_PROPERTIES,
    ID_STANDALONE_SELDARN, ID_STANDALONE_CLOSE, 102, 103, 130, 106, {104, 107, 105, 129}};

enum class Action : uint8_t {
  None, Open, Properties, Seldarn, Close, ToggleStatusBar, SwitchView,
  ArrangeByName, ArrangeByDriver, ArrangeByScsiId, HelpTopics, About
};
// What a command id does in this host's window (None: not one of its commands).
Action commandAction(const ExplorerFlavor& flavor, uint32_t id);

// View modes.
enum class ViewStyle : uint8_t { Icon, SmallIcon, List, Report };
struct ViewMode {
  uint16_t command;
  ViewStyle style;
  bool largeImages;  // the large image list as LVSIL_NORMAL, else the small one as LVSIL_SMALL
};
constexpr ViewMode kViewModes[] = {
    {ID_VIEW_LARGE_ICONS, ViewStyle::Icon, true},
    {ID_VIEW_SMALL_ICONS, ViewStyle::SmallIcon, false},
    {ID_VIEW_LIST, ViewStyle::List, false},
    {ID_VIEW_DETAILS, ViewStyle::Report, false},
};
// The mode of a view command; an unknown stored value shows large icons.
const ViewMode& viewMode(int32_t view);
bool isViewCommand(int32_t view);

// Details columns: fixed widths, the last one takes the window's width minus 360 (pixels
// at 96 DPI; at another DPI each is that much larger).
constexpr std::array<int, 3> kFixedColumnWidths = {180, 100, 80};
constexpr int kFixedColumnsTotal = 360;
int lastColumnWidth(int windowWidth, unsigned dpi = 96);

// Texts of a record, each read no further than its field.
std::string fieldText(const char* field, size_t size);
std::string adapterName(const inv::HostAdapterInfo& a);
std::string adapterDriver(const inv::HostAdapterInfo& a);
// The Details row: name, driver, SCSI ID, devices attached.
std::array<std::string, 4> detailsRow(const inv::HostAdapterInfo& a);

// How many records of the server's array the window lists: the count it was given,
// never more than the array says it holds.
size_t listedRecordCount(uint32_t count, const inv::HostAdapterInfo* first);

// Sorting: a 32-bit LVM_SORTITEMS parameter, low word the key, high word the
// direction (1 ascending, 0 descending).
enum class SortField : uint16_t { Name = 1, Driver = 2, AdapterNumber = 3 };
uint32_t makeSortKey(SortField field, bool ascending);
SortField sortKeyField(uint32_t key);
bool sortKeyAscending(uint32_t key);

using TextCompare = int (*)(const char*, const char*);
// Names and drivers compare as text (compare is lstrcmpA in the window); adapter
// numbers as unsigned bytes and never equal.
int compareAdapters(const inv::HostAdapterInfo& a, const inv::HostAdapterInfo& b,
                    uint32_t key, TextCompare compare);

// The three direction flags (name, driver, adapter number), all descending at start.
class SortState {
 public:
  // Arrange command: ascending, and remembered as such.
  uint32_t arrange(SortField field);
  // Header click on a column: flips that key's direction; nothing for columns 2 and up.
  std::optional<uint32_t> headerClick(int column);
  bool ascending(SortField field) const { return flags_[index(field)]; }

 private:
  static size_t index(SortField f) { return static_cast<size_t>(f) - 1; }
  std::array<bool, 3> flags_{};
};

// State of the File menu (and the item menu's Open) for the selected record.
struct FileMenuState {
  bool openEnabled;
  bool propertiesEnabled;
  bool seldarnEnabled;
  bool openIsDefault;
};
FileMenuState fileMenuState(const inv::HostAdapterInfo* selected);

// Help file: the install folder (empty: none known) followed by the file name.
constexpr char kHelpFileName[] = "orvane60.chm";
std::string helpFile(const std::string& installFolder);
// Install folder from the application path's "Path" value (raw bytes, possibly without
// a terminator): the text up to the first NUL with "\" appended.
std::string installFolderFromPath(const char* data, size_t size);
constexpr char kBackgroundPicture[] = "images\\backgrounder.bmp";

}  // namespace explorer
