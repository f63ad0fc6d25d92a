// The icon extractor: an item's picture from the module-wide image lists.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <new>

#include "framework/modulelock.h"
#include "shellext/folder_logic.h"
#include "shellext/item_id_manager.h"
#include "shellext/module.h"
#include "shellext/objects.h"

namespace shx {

class CExtractIcon final : public IExtractIconA {
 public:
  explicit CExtractIcon(LPCITEMIDLIST list) : list_(ids_, ids_.copy(list)) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IExtractIconA)) return E_NOINTERFACE;
    *out = static_cast<IExtractIconA*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // The index in the module's lists; the file buffer is left alone.
  STDMETHODIMP GetIconLocation(UINT, LPSTR, UINT, int* index, UINT* flags) override {
    if (!index || !flags) return E_INVALIDARG;
    const ItemList list = ItemList::check(list_.get());
    if (!list.last()) return E_INVALIDARG;
    *flags = GIL_NOTFILENAME;
    *index = extractorImage(*list.last());
    return S_OK;
  }

  STDMETHODIMP Extract(LPCSTR, UINT index, HICON* large, HICON* small, UINT) override {
    if (large) *large = nullptr;
    if (small) *small = nullptr;
    const FenwoldApp& app = FenwoldApp::instance();
    // The lists exist once a folder was enumerated; before that there is nothing to draw.
    if (!app.hasImageLists() || index >= 12) return E_FAIL;
    if (large) *large = ImageList_GetIcon(app.largeImages(), static_cast<int>(index), ILD_TRANSPARENT);
    if (small) *small = ImageList_GetIcon(app.smallImages(), static_cast<int>(index), ILD_TRANSPARENT);
    return S_OK;
  }

  bool valid() const { return list_.get() != nullptr; }

 private:
  ~CExtractIcon() = default;
  LONG refs_ = 1;
  ItemIdManager ids_;
  OwnedIdList list_;
  fw::ModuleLock lock_;
};

HRESULT createExtractIcon(LPCITEMIDLIST list, REFIID riid, void** out) {
  CExtractIcon* icon = new (std::nothrow) CExtractIcon(list);
  if (!icon) return E_OUTOFMEMORY;
  const HRESULT hr = icon->valid() ? icon->QueryInterface(riid, out) : E_OUTOFMEMORY;
  icon->Release();
  return hr;
}

}  // namespace shx
