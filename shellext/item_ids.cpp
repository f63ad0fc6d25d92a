#include "shellext/item_ids.h"

#include <cstring>

#include "contract/record_width.h"

namespace shx {
namespace {

uint16_t readU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t readU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool itemSound(const uint8_t* item) {
  const uint32_t kind = readU32(item + offsetof(ItemId, kind));
  if (kind == kKindAdapter) {
    const uint8_t count =
        item[offsetof(ItemId, record) + offsetof(inv::HostAdapterInfo32, deviceCount)];
    return count <= inv::kMaxDevices;
  }
  return kind == kKindDevice;
}

}  // namespace

void makeAdapterItem(const inv::HostAdapterInfo& adapter, ItemAllocation& out) {
  std::memset(&out, 0, sizeof out);
  out.item.cb = kItemCb;
  out.item.kind = kKindAdapter;
  inv::HostAdapterInfo32 wire;
  inv::convertAdapter(adapter, wire);
  std::memcpy(out.item.record, &wire, sizeof wire);
}

void makeDeviceItem(const inv::DeviceInfo& device, ItemAllocation& out) {
  std::memset(&out, 0, sizeof out);
  out.item.cb = kItemCb;
  out.item.kind = kKindDevice;
  inv::DeviceInfo32 wire;
  inv::convertDevice(device, wire);
  std::memcpy(out.item.record, &wire, sizeof wire);
}

inv::HostAdapterInfo adapterRecord(const ItemId& item) {
  inv::HostAdapterInfo32 wire;
  std::memcpy(&wire, item.record, sizeof wire);
  inv::HostAdapterInfo record;
  inv::convertAdapter(wire, record);
  return record;
}

inv::DeviceInfo deviceRecord(const ItemId& item) {
  inv::DeviceInfo32 wire;
  std::memcpy(&wire, item.record, sizeof wire);
  inv::DeviceInfo record;
  inv::convertDevice(wire, record);
  return record;
}

uint8_t deviceType(const ItemId& item) { return item.record[offsetof(inv::DeviceInfo32, deviceType)]; }

size_t foreignListBytes(const void* data, size_t limit) {
  if (!data) return 0;
  const auto* p = static_cast<const uint8_t*>(data);
  size_t at = 0;
  for (size_t items = 0; items <= kMaxListItems; ++items) {
    if (limit < 2 || at > limit - 2) return 0;
    const uint16_t cb = readU16(p + at);
    if (cb == 0) return at + 2;
    if (cb < 2 || items == kMaxListItems) return 0;
    at += cb;
  }
  return 0;
}

ItemList ItemList::check(const void* data, size_t limit) {
  ItemList list;
  if (!data) return list;
  const auto* p = static_cast<const uint8_t*>(data);
  size_t at = 0;
  size_t count = 0;
  for (;;) {
    if (limit < 2 || at > limit - 2) break;
    const uint16_t cb = readU16(p + at);
    if (cb == 0) {
      list.data_ = p;
      list.count_ = count;
      return list;
    }
    // The whole item and at least the size field after it must lie within the limit.
    if (cb != kItemCb || count == kMaxListItems || limit - at < size_t{kItemCb} + 2) break;
    if (!itemSound(p + at)) break;
    at += kItemCb;
    ++count;
  }
  list.valid_ = false;
  return list;
}

const ItemId& ItemList::item(size_t index) const {
  return *reinterpret_cast<const ItemId*>(data_ + index * kItemCb);
}

ItemList ItemList::from(size_t index) const {
  ItemList rest;
  rest.valid_ = valid_;
  if (!data_ || index > count_) return rest;
  rest.data_ = data_ + index * kItemCb;
  rest.count_ = count_ - index;
  return rest;
}

std::string itemName(const ItemId& item) {
  if (item.kind == kKindAdapter) {
    char name[sizeof inv::HostAdapterInfo::displayName];
    std::memcpy(name, item.record + offsetof(inv::HostAdapterInfo32, displayName), sizeof name);
    return bands::recordText(name);
  }
  char product[sizeof inv::DeviceInfo::product];
  std::memcpy(product, item.record + offsetof(inv::DeviceInfo32, product), sizeof product);
  return bands::recordText(product);
}

std::string fitBuffer(const std::string& text, size_t bufferSize) {
  if (bufferSize == 0) return std::string();
  return text.size() < bufferSize ? text : text.substr(0, bufferSize - 1);
}

std::string itemPath(const ItemList& list, size_t bufferSize) {
  std::string path;
  for (size_t i = 0; i < list.count(); ++i) {
    path += itemName(list.item(i));
    if (i + 1 < list.count()) path += '\\';
    if (path.size() >= bufferSize) break;
  }
  return fitBuffer(path, bufferSize);
}

}  // namespace shx
