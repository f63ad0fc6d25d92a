#include "shellext/folder_logic.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace shx {
namespace {

bool isAdapter(const ItemId& item) { return item.kind == kKindAdapter; }

int sign(int value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

template <typename T>
int compareNumbers(T a, T b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}

// Text fields of the two records at that offset, each bounded by the field's size.
template <size_t N>
int compareFields(const ItemId& a, const ItemId& b, size_t offset, TextCompare compare) {
  char left[N + 1] = {}, right[N + 1] = {};
  std::memcpy(left, a.record + offset, N);
  std::memcpy(right, b.record + offset, N);
  return sign(compare(left, right));
}

int comparePaths(const ItemList& a, const ItemList& b, TextCompare compare) {
  return sign(compare(itemPath(a).c_str(), itemPath(b).c_str()));
}

// Images by device type: the list view's, in type order 0 to 11; any other type 11.
constexpr int kListImages[] = {5, 10, 6, 7, 0, 0, 9, 8, 1, 2, 3, 11};

struct Verb {
  const char* text;
  int id;
};
constexpr Verb kVerbs[] = {{"explore", kCmdExplore},
                           {"open", kCmdOpen},
                           {"properties", kCmdProperties},
                           {"seldarn", kCmdSeldarn}};

MenuEntry item(int id, unsigned textId, bool isDefault = false) { return {id, textId, isDefault, {}}; }
MenuEntry separator() { return {kCmdSeparator, 0, false, {}}; }

}  // namespace

uint32_t attributesOf(const ItemList* lists, size_t count) {
  uint32_t attributes = kAttrHasPropSheet;
  bool folder = count == 0;
  for (size_t i = 0; i < count && !folder; ++i) {
    const ItemId* last = lists[i].last();
    folder = last && isAdapter(*last);
  }
  if (folder) attributes |= kAttrFolder | kAttrHasSubfolder;
  return attributes;
}

int asciiCompareNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const int x = std::tolower(static_cast<unsigned char>(*a));
    const int y = std::tolower(static_cast<unsigned char>(*b));
    if (x != y || x == 0) return x - y;
  }
}

int compareItems(uint32_t key, const ItemList& a, const ItemList& b, TextCompare compare) {
  const ItemId* x = a.first();
  const ItemId* y = b.first();
  if (!x || !y) return compareNumbers(x != nullptr, y != nullptr);
  const bool adapters = isAdapter(*x) && isAdapter(*y);
  const bool devices = !isAdapter(*x) && !isAdapter(*y);
  switch (key) {
    case kSortAdapterDriver:
      if (adapters)
        return compareFields<sizeof inv::HostAdapterInfo::adapterIdentifier>(
            *x, *y, offsetof(inv::HostAdapterInfo32, adapterIdentifier), compare);
      break;
    case kSortAdapterNumber:
      if (adapters) return compareNumbers(x->record[0], y->record[0]);
      break;
    case kSortDeviceVendor:
      if (devices)
        return compareFields<sizeof inv::DeviceInfo::vendor>(
            *x, *y, offsetof(inv::DeviceInfo32, vendor), compare);
      break;
    case kSortDeviceTarget:
      if (devices)
        return compareNumbers(x->record[offsetof(inv::DeviceInfo32, target)],
                              y->record[offsetof(inv::DeviceInfo32, target)]);
      break;
    default:
      break;
  }
  return comparePaths(a, b, compare);
}

uint16_t compareLists(uint32_t key, const ItemList& a, const ItemList& b, TextCompare compare) {
  for (size_t i = 0;; ++i) {
    const bool aEnded = i >= a.count();
    const bool bEnded = i >= b.count();
    if (aEnded && bEnded) return 0;
    if (aEnded) return 0xFFFF;
    if (bEnded) return 1;
    const int result = compareItems(key, a.from(i), b.from(i), compare);
    if (result) return static_cast<uint16_t>(result);
  }
}

std::string displayName(const ItemList& list, uint32_t flags, const std::string& folderParsingName,
                        size_t bufferSize) {
  if (!(flags & kNameForParsing)) {
    const ItemId* last = list.last();
    return fitBuffer(last ? itemName(*last) : std::string(), bufferSize);
  }
  const std::string path = itemPath(list, bufferSize);
  if (flags & kNameInFolder) return path;
  std::string name = folderParsingName;
  if (!path.empty()) {
    if (!name.empty()) name += '\\';
    name += path;
  }
  return fitBuffer(name, bufferSize);
}

int listImage(const ItemId& item) {
  if (isAdapter(item)) return kAdapterImage;
  const uint8_t type = deviceType(item);
  return type < sizeof kListImages / sizeof kListImages[0] ? kListImages[type] : 11;
}

int extractorImage(const ItemId& item) {
  if (!isAdapter(item) && deviceType(item) == 11) return 3;
  return listImage(item);
}

std::string secondColumnText(const ItemId& item) {
  if (isAdapter(item)) {
    const inv::HostAdapterInfo adapter = adapterRecord(item);
    return bands::recordText(adapter.managerId);
  }
  const inv::DeviceInfo device = deviceRecord(item);
  return bands::recordText(device.vendor) + " " + bands::recordText(device.revision);
}

int verbCommand(const char* verb) {
  if (!verb) return -1;
  for (const Verb& each : kVerbs)
    if (asciiCompareNoCase(each.text, verb) == 0) return each.id;
  return -1;
}

const char* commandVerb(int id) {
  for (const Verb& each : kVerbs)
    if (each.id == id) return each.text;
  return nullptr;
}

std::vector<MenuEntry> contextMenuEntries(const MenuRequest& request) {
  if (request.defaultOnly) {
    return {request.explore ? item(kCmdExplore, text::kExplore, true)
                            : item(kCmdOpen, text::kOpen, true)};
  }
  if (request.background) {
    MenuEntry view = item(kCmdViewMenu, text::kView);
    for (const SortCommand& each : kViewCommands) view.submenu.push_back(item(each.id, each.text));
    MenuEntry arrange = item(kCmdArrangeMenu, text::kArrangeIcons);
    if (request.rootFolder) {
      for (const SortCommand& each : kAdapterSorts) arrange.submenu.push_back(item(each.id, each.text));
    } else {
      for (const SortCommand& each : kDeviceSorts) arrange.submenu.push_back(item(each.id, each.text));
    }
    return {view, arrange};
  }
  if (!request.folderItems) return {item(kCmdProperties, text::kProperties, true)};
  if (request.explore) {
    return {item(kCmdExplore, text::kExplore, true), item(kCmdOpen, text::kOpen), separator(),
            item(kCmdProperties, text::kProperties), item(kCmdSeldarn, text::kSeldarn)};
  }
  return {item(kCmdOpen, text::kOpen, true), item(kCmdExplore, text::kExplore),
          item(kCmdProperties, text::kProperties)};
}

const inv::HostAdapterInfo* liveAdapter(const inv::HostAdapterInfo* records, long count,
                                        uint8_t adapterNumber) {
  const bands::AdapterView view(count, reinterpret_cast<intptr_t>(records));
  for (int i = 0; i < view.count(); ++i)
    if (view.at(i)->adapterNumber == adapterNumber) return view.at(i);
  return nullptr;
}

const inv::DeviceInfo* liveDevice(const inv::HostAdapterInfo* records, long count,
                                  uint8_t adapterNumber, uint8_t target) {
  const inv::HostAdapterInfo* adapter = liveAdapter(records, count, adapterNumber);
  if (!adapter) return nullptr;
  for (int i = 0; i < bands::AdapterView::deviceCount(*adapter); ++i) {
    const inv::DeviceInfo* device = bands::AdapterView::deviceAt(*adapter, i);
    if (device->target == target) return device;
  }
  return nullptr;
}

}  // namespace shx
