// Identifier lists in the shell's task allocator: made from records, copied, joined and
// freed. Lists of our own items are checked (item_ids.h) before they are read; lists that
// carry the shell's own items (absolute lists) are only measured by their size fields.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "contract/records.h"
#include "framework/comptr.h"
#include "framework/modulelock.h"
#include "shellext/item_ids.h"

namespace shx {

class ItemIdManager {
 public:
  ItemIdManager();
  ItemIdManager(const ItemIdManager&) = delete;
  ItemIdManager& operator=(const ItemIdManager&) = delete;

  bool valid() const { return static_cast<bool>(malloc_); }
  IMalloc* allocator() const { return malloc_.get(); }

  // A one-item list; null when it cannot be allocated.
  LPITEMIDLIST makeAdapter(const inv::HostAdapterInfo& adapter) const;
  LPITEMIDLIST makeDevice(const inv::DeviceInfo& device) const;
  // Copy of any list; null for a null list, a malformed chain or no memory.
  LPITEMIDLIST copy(LPCITEMIDLIST list) const;
  // The first list (any items) followed by the second; either may be null.
  LPITEMIDLIST concat(LPCITEMIDLIST first, LPCITEMIDLIST second) const;
  void free(LPITEMIDLIST list) const;
  // Our own items, checked.
  static ItemList check(LPCITEMIDLIST list) { return ItemList::check(list); }

 private:
  LPITEMIDLIST allocate(size_t bytes) const;
  fw::ComPtr<IMalloc> malloc_;
  fw::ModuleLock lock_;
};

// An identifier list owned in the task allocator.
class OwnedIdList {
 public:
  OwnedIdList() = default;
  OwnedIdList(const ItemIdManager& ids, LPITEMIDLIST list) : ids_(&ids), list_(list) {}
  ~OwnedIdList() { reset(); }
  OwnedIdList(const OwnedIdList&) = delete;
  OwnedIdList& operator=(const OwnedIdList&) = delete;
  OwnedIdList(OwnedIdList&& other) noexcept : ids_(other.ids_), list_(other.release()) {}
  OwnedIdList& operator=(OwnedIdList&& other) noexcept {
    if (this != &other) {
      reset();
      ids_ = other.ids_;
      list_ = other.release();
    }
    return *this;
  }
  LPITEMIDLIST get() const { return list_; }
  LPITEMIDLIST release() {
    LPITEMIDLIST list = list_;
    list_ = nullptr;
    return list;
  }
  void reset() {
    if (list_ && ids_) ids_->free(list_);
    list_ = nullptr;
  }

 private:
  const ItemIdManager* ids_ = nullptr;
  LPITEMIDLIST list_ = nullptr;
};

}  // namespace shx
