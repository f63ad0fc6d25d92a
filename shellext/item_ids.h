// Fenwold's shell item identifiers: one fixed layout, kept in the shell's folder lists and
// view state and handed back to us by the shell and by other programs. The layout is a
// persisted format (sizes and offsets checked at compile time); every list received is
// checked here before any of its bytes beyond the size fields are read. The records in
// it have the 32-bit layout in both widths (the 64-bit build converts them), so that
// identifiers saved by either width read in the other. Platform-free, tested natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "contract/adapter_view.h"
#include "contract/records.h"

namespace shx {

constexpr uint16_t kItemCb = 4774;         // an identifier's size without the terminator
constexpr size_t kItemAllocation = 4776;   // one identifier and the list's terminator
constexpr size_t kRecordBytes = 4768;
constexpr uint32_t kKindDevice = 0;
constexpr uint32_t kKindAdapter = 1;
// More items than any path of ours can have (root, adapter, device, and the shell's own
// items before them) with a wide margin; a longer chain of size fields is refused.
constexpr size_t kMaxListItems = 64;

#pragma pack(push, 1)

struct ItemId {
  uint16_t cb;     // always kItemCb
  uint32_t kind;   // kKindAdapter or kKindDevice
  uint8_t record[kRecordBytes];  // HostAdapterInfo32, or DeviceInfo32 in the first 72 bytes
};

// What one identifier is allocated as: the item and the zero that ends the list.
struct ItemAllocation {
  ItemId item;
  uint16_t terminator;
};

#pragma pack(pop)

static_assert(offsetof(ItemId, cb) == 0, "cb");
static_assert(offsetof(ItemId, kind) == 2, "kind");
static_assert(offsetof(ItemId, record) == 6, "record");
static_assert(sizeof(ItemId) == kItemCb, "item size");
static_assert(offsetof(ItemAllocation, terminator) == 4774, "terminator");
static_assert(sizeof(ItemAllocation) == kItemAllocation, "allocation size");
static_assert(sizeof(inv::HostAdapterInfo32) == kRecordBytes, "adapter record fills the item");
static_assert(sizeof(inv::DeviceInfo32) <= kRecordBytes, "device record fits the item");

// Fills out (kItemAllocation bytes) with one identifier and the terminator. The spare
// part of a device identifier is zero.
void makeAdapterItem(const inv::HostAdapterInfo& adapter, ItemAllocation& out);
void makeDeviceItem(const inv::DeviceInfo& device, ItemAllocation& out);

// The record of an item, copied into this width's layout (the item's bytes need not be
// aligned).
inv::HostAdapterInfo adapterRecord(const ItemId& item);
inv::DeviceInfo deviceRecord(const ItemId& item);
uint8_t deviceType(const ItemId& item);

// The size of any identifier list (the shell's own items included) by its size fields,
// terminator included; 0 for a null list, for a size field below 2, for a chain that
// runs past limit bytes from data or longer than kMaxListItems items. Only the size
// fields are read.
size_t foreignListBytes(const void* data, size_t limit = SIZE_MAX);

// A list of our own identifiers, checked: every size field exactly kItemCb, every kind 0
// or 1, an adapter's device count within its record, nothing read at or beyond limit
// bytes from data. A null list is valid and empty. A list that fails any check is
// invalid and has no items.
class ItemList {
 public:
  ItemList() = default;
  static ItemList check(const void* data, size_t limit = SIZE_MAX);

  bool valid() const { return valid_; }
  bool empty() const { return count_ == 0; }
  size_t count() const { return count_; }
  // Size with the terminator (0 for a null list).
  size_t bytes() const { return data_ ? count_ * kItemCb + 2 : 0; }
  const uint8_t* data() const { return data_; }
  const ItemId& item(size_t index) const;
  const ItemId* first() const { return count_ ? &item(0) : nullptr; }
  const ItemId* last() const { return count_ ? &item(count_ - 1) : nullptr; }
  // The items from index on (shares the bytes).
  ItemList from(size_t index) const;

 private:
  const uint8_t* data_ = nullptr;
  size_t count_ = 0;
  bool valid_ = true;
};

// The item's name: an adapter's displayName, a device's product (blanks kept).
std::string itemName(const ItemId& item);

// The names of the list's items joined with "\", cut so that it fits a buffer of
// bufferSize bytes with its terminator (a name at the bound is cut, never left open).
std::string itemPath(const ItemList& list, size_t bufferSize = 260);

// Text cut to fit a buffer of bufferSize bytes with its terminator.
std::string fitBuffer(const std::string& text, size_t bufferSize);

}  // namespace shx
