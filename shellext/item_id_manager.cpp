#include "shellext/item_id_manager.h"

#include <cstring>

namespace shx {

ItemIdManager::ItemIdManager() { SHGetMalloc(malloc_.put()); }

LPITEMIDLIST ItemIdManager::allocate(size_t bytes) const {
  if (!malloc_ || bytes == 0 || bytes > 0xFFFFFFF) return nullptr;
  return static_cast<LPITEMIDLIST>(malloc_->Alloc(static_cast<ULONG>(bytes)));
}

LPITEMIDLIST ItemIdManager::makeAdapter(const inv::HostAdapterInfo& adapter) const {
  auto* out = reinterpret_cast<ItemAllocation*>(allocate(kItemAllocation));
  if (out) makeAdapterItem(adapter, *out);
  return reinterpret_cast<LPITEMIDLIST>(out);
}

LPITEMIDLIST ItemIdManager::makeDevice(const inv::DeviceInfo& device) const {
  auto* out = reinterpret_cast<ItemAllocation*>(allocate(kItemAllocation));
  if (out) makeDeviceItem(device, *out);
  return reinterpret_cast<LPITEMIDLIST>(out);
}

LPITEMIDLIST ItemIdManager::copy(LPCITEMIDLIST list) const {
  const size_t bytes = foreignListBytes(list);
  LPITEMIDLIST out = allocate(bytes);
  if (out) std::memcpy(out, list, bytes);
  return out;
}

LPITEMIDLIST ItemIdManager::concat(LPCITEMIDLIST first, LPCITEMIDLIST second) const {
  const size_t firstBytes = foreignListBytes(first);
  const size_t secondBytes = foreignListBytes(second);
  if ((first && !firstBytes) || (second && !secondBytes)) return nullptr;
  if (!first) return copy(second);
  if (!second) return copy(first);
  // The first list's terminator is dropped.
  LPITEMIDLIST out = allocate(firstBytes - 2 + secondBytes);
  if (!out) return nullptr;
  auto* bytes = reinterpret_cast<uint8_t*>(out);
  std::memcpy(bytes, first, firstBytes - 2);
  std::memcpy(bytes + firstBytes - 2, second, secondBytes);
  return out;
}

void ItemIdManager::free(LPITEMIDLIST list) const {
  if (list && malloc_) malloc_->Free(list);
}

}  // namespace shx
