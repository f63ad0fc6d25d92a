// What the folder, its view, context menus and icon extractor decide about items, over
// checked identifier lists (item_ids.h): attributes, sort order, names, images, verbs
// and the items of the context menus. Platform-free, tested natively; the COM objects
// only carry these answers to the shell.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "shellext/fenwold_res.h"
#include "shellext/item_ids.h"

namespace shx {

// Attribute bits, as the shell defines them.
constexpr uint32_t kAttrHasPropSheet = 0x00000040;
constexpr uint32_t kAttrFolder = 0x20000000;
constexpr uint32_t kAttrHasSubfolder = 0x80000000;

// SFGAO_HASPROPSHEET always; SFGAO_FOLDER and SFGAO_HASSUBFOLDER for no items or when the
// last item of any list is an adapter. Lists that failed their check count as empty
// lists (they name no adapter).
uint32_t attributesOf(const ItemList* lists, size_t count);

// Sort keys (the view's commands 12 to 17).
enum SortKey : uint32_t {
  kSortAdapterName = 12,
  kSortAdapterDriver = 13,
  kSortAdapterNumber = 14,
  kSortDeviceVendor = 15,
  kSortDeviceName = 16,
  kSortDeviceTarget = 17,
};

// Case-insensitive text comparison (lstrcmpiA on Windows): negative, 0 or positive.
using TextCompare = int (*)(const char*, const char*);
int asciiCompareNoCase(const char* a, const char* b);

// One item of each list (the compared item and the rest of its list), by key: -1, 0, 1.
// A key that does not fit both items' kind compares their paths.
int compareItems(uint32_t key, const ItemList& a, const ItemList& b, TextCompare compare);
// Both lists in step; the answer as the low 16 bits of a success code (0xFFFF, 0, 1).
uint16_t compareLists(uint32_t key, const ItemList& a, const ItemList& b, TextCompare compare);

// Display-name flags, as the shell defines them.
constexpr uint32_t kNameInFolder = 0x0001;
constexpr uint32_t kNameForParsing = 0x8000;

// The display name of a list (at most bufferSize-1 characters): the last item's name;
// with for-parsing and in-folder the list's path; with for-parsing alone the folder's
// own parsing name, "\" and the path (when there is a path).
std::string displayName(const ItemList& list, uint32_t flags, const std::string& folderParsingName,
                        size_t bufferSize = 260);

// Module-wide image lists: the GetDeviceIcon argument of each image, in index order.
constexpr short kImageIconArguments[12] = {4, 8, 9, 10, 11, 0, 2, 3, 7, 6, 1, 255};
constexpr int kAdapterImage = 4;
// Image of an item: the list view's (type 11 has no picture of its own there) or the
// icon extractor's (type 11 shares type 10's picture).
int listImage(const ItemId& item);
int extractorImage(const ItemId& item);

// The second column: an adapter's manager identification, a device's "vendor revision".
std::string secondColumnText(const ItemId& item);

// Command ids of the menus and the toolbar.
enum Command : int {
  kCmdExplore = 1,
  kCmdOpen = 2,
  kCmdProperties = 3,
  kCmdSeldarnTool = 4,
  kCmdSeparator = 5,
  kCmdViewMenu = 6,
  kCmdViewLarge = 7,
  kCmdViewSmall = 8,
  kCmdViewList = 9,
  kCmdArrangeMenu = 11,
  kCmdSeldarn = 18,
  kCmdViewDetails = 19,
  kCommandCount = 20,  // ids used by a context menu
};

// The canonical verbs: id of a verb (case-insensitive), -1 when it is none of them;
// verb of an id, null when it has none.
int verbCommand(const char* verb);
const char* commandVerb(int id);

// One entry of a context menu (ids relative to the menu's first id).
struct MenuEntry {
  int id;          // kCmdSeparator for a separator
  unsigned text;   // string id, 0 for a separator
  bool isDefault;
  std::vector<MenuEntry> submenu;  // the View and Arrange Icons submenus
};

struct MenuRequest {
  bool defaultOnly;   // CMF_DEFAULTONLY
  bool explore;       // CMF_EXPLORE
  bool background;    // no items: the folder's background
  bool rootFolder;    // background of the root (adapters sorted, else devices)
  bool folderItems;   // the items are folders (adapters)
};
std::vector<MenuEntry> contextMenuEntries(const MenuRequest& request);

// The string ids of the menus' texts.
namespace text {
constexpr unsigned kHostAdapterName = IDS_HOST_ADAPTER_NAME;
constexpr unsigned kDeviceName = IDS_DEVICE_NAME;
constexpr unsigned kManagerColumn = IDS_MANAGER_COLUMN;
constexpr unsigned kVendorRevision = IDS_VENDOR_REVISION;
constexpr unsigned kFolderName = IDS_FOLDER_NAME;
constexpr unsigned kArrangeIcons = IDS_ARRANGE_ICONS;
constexpr unsigned kView = IDS_VIEW;
constexpr unsigned kByName = IDS_BY_NAME;
constexpr unsigned kByMiniport = IDS_BY_MINIPORT;
constexpr unsigned kByScsiId = IDS_BY_SCSI_ID;
constexpr unsigned kLargeIcons = IDS_LARGE_ICONS;
constexpr unsigned kSmallIcons = IDS_SMALL_ICONS;
constexpr unsigned kList = IDS_LIST;
constexpr unsigned kDetails = IDS_DETAILS;
constexpr unsigned kProperties = IDS_PROPERTIES;
constexpr unsigned kExplore = IDS_EXPLORE;
constexpr unsigned kOpen = IDS_OPEN;
constexpr unsigned kByVendor = IDS_BY_VENDOR;
constexpr unsigned kByDeviceName = IDS_BY_DEVICE_NAME;
constexpr unsigned kByTarget = IDS_BY_TARGET;
constexpr unsigned kSeldarnApplication = IDS_SELDARN_APPLICATION;
constexpr unsigned kSeldarn = IDS_SELDARN;
}  // namespace text

// The sort commands of the Arrange Icons submenu: adapters in the root, devices in an
// adapter folder.
struct SortCommand {
  int id;
  unsigned text;
};
constexpr SortCommand kAdapterSorts[] = {{12, text::kByName}, {13, text::kByMiniport},
                                         {14, text::kByScsiId}};
constexpr SortCommand kDeviceSorts[] = {{15, text::kByVendor}, {16, text::kByDeviceName},
                                        {17, text::kByTarget}};
// The view commands (menus and toolbar), with their texts.
constexpr SortCommand kViewCommands[] = {{kCmdViewLarge, text::kLargeIcons},
                                         {kCmdViewSmall, text::kSmallIcons},
                                         {kCmdViewList, text::kList},
                                         {kCmdViewDetails, text::kDetails}};

// The live record that a copied one stands for, in the server's array (count records at
// records): the adapter with that adapter number; the device with that adapter number
// and target. Null when there is none. Address fields of the copies are never followed.
const inv::HostAdapterInfo* liveAdapter(const inv::HostAdapterInfo* records, long count,
                                        uint8_t adapterNumber);
const inv::DeviceInfo* liveDevice(const inv::HostAdapterInfo* records, long count,
                                  uint8_t adapterNumber, uint8_t target);

}  // namespace shx
