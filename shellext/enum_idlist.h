// The folder's enumerator: the adapters of the server's list (the root) or the devices
// of one adapter's record copy, each as a fresh identifier. Every enumerator makes its
// own connection to Corvath, so each enumeration reads the server's list afresh.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <vector>

#include "client/corvath_obj_driver.h"
#include "contract/records.h"
#include "framework/modulelock.h"
#include "shellext/item_id_manager.h"

namespace shx {

class CEnumIDList final : public IEnumIDList {
 public:
  // adapter: the devices of that record; null: the server's adapters.
  explicit CEnumIDList(const inv::HostAdapterInfo* adapter);
  ~CEnumIDList();
  CEnumIDList(const CEnumIDList&) = delete;
  CEnumIDList& operator=(const CEnumIDList&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP Next(ULONG count, LPITEMIDLIST* out, ULONG* fetched) override;
  STDMETHODIMP Skip(ULONG count) override;
  STDMETHODIMP Reset() override;
  STDMETHODIMP Clone(IEnumIDList** out) override;

  size_t size() const { return items_.size(); }

 private:
  void fill(const inv::HostAdapterInfo* adapter);

  LONG refs_ = 1;
  bool comInitialized_ = false;
  std::unique_ptr<ItemIdManager> ids_;
  CorvathObjDriver corvath_;
  intptr_t adapterList_ = 0;
  std::vector<OwnedIdList> items_;
  size_t current_ = 0;
  fw::ModuleLock lock_;
};

}  // namespace shx
