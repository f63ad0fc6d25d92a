#include "shellext/enum_idlist.h"

#include "contract/adapter_view.h"
#include "shellext/module.h"

namespace shx {

CEnumIDList::CEnumIDList(const inv::HostAdapterInfo* adapter) {
  comInitialized_ = SUCCEEDED(CoInitialize(nullptr));
  // Without a connection the enumerator is empty (the message says why), not a failure.
  ids_ = std::make_unique<ItemIdManager>();
  if (!corvath_.create()) {
    showNoCorvath();
    return;
  }
  FenwoldApp::instance().createImageLists(corvath_);
  if (ids_->valid()) fill(adapter);
}

CEnumIDList::~CEnumIDList() {
  items_.clear();
  ids_.reset();
  corvath_.release();
  if (comInitialized_) CoUninitialize();
}

void CEnumIDList::fill(const inv::HostAdapterInfo* adapter) {
  if (adapter) {
    for (int i = 0; i < bands::AdapterView::deviceCount(*adapter); ++i) {
      // An identifier that cannot be allocated is left out.
      if (LPITEMIDLIST item = ids_->makeDevice(adapter->devices[i])) items_.emplace_back(*ids_, item);
    }
    return;
  }
  const long count = corvath_.GetHostAdaptersCount();
  if (count == 0) return;
  adapterList_ = corvath_.GetHostAdaptersList();
  if (adapterList_ == 0) return;
  const bands::AdapterView view(count, adapterList_);
  for (int i = 0; i < view.count(); ++i) {
    if (LPITEMIDLIST item = ids_->makeAdapter(*view.at(i))) items_.emplace_back(*ids_, item);
  }
}

STDMETHODIMP CEnumIDList::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IEnumIDList)) return E_NOINTERFACE;
  *out = static_cast<IEnumIDList*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CEnumIDList::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) CEnumIDList::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

STDMETHODIMP CEnumIDList::Next(ULONG count, LPITEMIDLIST* out, ULONG* fetched) {
  if (fetched) *fetched = 0;
  if (!ids_) return E_FAIL;
  if (count > 1 && !fetched) return E_INVALIDARG;
  if (!out && count > 0) return E_INVALIDARG;
  ULONG handed = 0;
  while (handed < count && current_ < items_.size()) {
    LPITEMIDLIST copy = ids_->copy(items_[current_].get());
    if (!copy) break;
    out[handed++] = copy;
    ++current_;
  }
  if (fetched) *fetched = handed;
  return handed < count ? S_FALSE : S_OK;
}

STDMETHODIMP CEnumIDList::Skip(ULONG count) {
  const size_t left = items_.size() - current_;
  if (count > left) {
    current_ = items_.size();
    return S_FALSE;
  }
  current_ += count;
  return S_OK;
}

STDMETHODIMP CEnumIDList::Reset() {
  current_ = 0;
  return S_OK;
}

STDMETHODIMP CEnumIDList::Clone(IEnumIDList** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

}  // namespace shx
