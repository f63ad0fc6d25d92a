#include "shellext/shell_folder.h"

#include <shlwapi.h>

#include <new>
#include <vector>

#include "client/corvath_obj_driver.h"
#include "framework/comptr.h"
#include "shellext/enum_idlist.h"
#include "shellext/folder_logic.h"
#include "shellext/module.h"
#include "shellext/objects.h"

namespace shx {
namespace {

static_assert(kAttrHasPropSheet == SFGAO_HASPROPSHEET, "attribute bits");
static_assert(kAttrFolder == SFGAO_FOLDER, "attribute bits");
static_assert(kAttrHasSubfolder == static_cast<uint32_t>(SFGAO_HASSUBFOLDER), "attribute bits");
static_assert(kNameInFolder == SHGDN_INFOLDER && kNameForParsing == SHGDN_FORPARSING, "name flags");

int windowsCompare(const char* a, const char* b) { return lstrcmpiA(a, b); }

// Checked views of the given lists; false when any is malformed.
bool checkAll(UINT count, LPCITEMIDLIST* lists, std::vector<ItemList>& out) {
  if (count > 0 && !lists) return false;
  out.clear();
  for (UINT i = 0; i < count; ++i) {
    out.push_back(ItemList::check(lists[i]));
    if (!out.back().valid()) return false;
  }
  return true;
}

template <class T, class... Args>
HRESULT makeAndQuery(REFIID riid, void** out, Args&&... args) {
  T* object = new (std::nothrow) T(std::forward<Args>(args)...);
  if (!object) return E_OUTOFMEMORY;
  const HRESULT hr = object->QueryInterface(riid, out);
  object->Release();
  return hr;
}

}  // namespace

CShellFolder::CShellFolder(CShellFolder* parent, LPCITEMIDLIST relative)
    : parent_(parent), relative_(ids_, relative ? ids_.copy(relative) : nullptr) {
  if (parent_) parent_->AddRef();
}

CShellFolder::~CShellFolder() {
  relative_.reset();
  absolute_.reset();
  if (connection_) connection_->Release();
  if (parent_) parent_->Release();
}

IDispatch* CShellFolder::connection() {
  if (parent_) return parent_->connection();
  if (!connection_) {
    CorvathObjDriver made;
    if (made.create()) connection_ = made.detach();
  }
  if (connection_) connection_->AddRef();
  return connection_;
}

STDMETHODIMP CShellFolder::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IShellFolder)) {
    *out = static_cast<IShellFolder*>(this);
  } else if (IsEqualIID(riid, IID_IPersist) || IsEqualIID(riid, IID_IPersistFolder)) {
    *out = static_cast<IPersistFolder*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CShellFolder::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) CShellFolder::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

STDMETHODIMP CShellFolder::ParseDisplayName(HWND, LPBC, LPOLESTR, ULONG*, LPITEMIDLIST* out, ULONG*) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CShellFolder::EnumObjects(HWND, DWORD, IEnumIDList** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  const ItemList relative = ItemList::check(relative_.get());
  const ItemId* first = relative.first();
  CEnumIDList* list = nullptr;
  if (first && first->kind == kKindAdapter) {
    const inv::HostAdapterInfo adapter = adapterRecord(*first);
    list = new (std::nothrow) CEnumIDList(&adapter);
  } else {
    list = new (std::nothrow) CEnumIDList(nullptr);
  }
  if (!list) return E_OUTOFMEMORY;
  *out = list;
  return S_OK;
}

STDMETHODIMP CShellFolder::BindToObject(LPCITEMIDLIST list, LPBC, REFIID riid, void** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  SFGAOF attributes = SFGAO_FOLDER;
  if (FAILED(GetAttributesOf(1, &list, &attributes)) || !(attributes & SFGAO_FOLDER) ||
      ItemList::check(list).empty()) {
    return E_INVALIDARG;
  }
  CShellFolder* child = new (std::nothrow) CShellFolder(this, list);
  if (!child) return E_OUTOFMEMORY;
  if (!child->relative()) {
    child->Release();
    return E_OUTOFMEMORY;
  }
  OwnedIdList absolute(ids_, ids_.concat(absolute_.get(), list));
  child->Initialize(absolute.get());
  const HRESULT hr = child->QueryInterface(riid, out);
  child->Release();
  return hr;
}

STDMETHODIMP CShellFolder::BindToStorage(LPCITEMIDLIST, LPBC, REFIID, void** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

int CShellFolder::compareItems(const ItemList& first, const ItemList& second) const {
  return shx::compareItems(sortKey_, first, second, windowsCompare);
}

STDMETHODIMP CShellFolder::CompareIDs(LPARAM, LPCITEMIDLIST first, LPCITEMIDLIST second) {
  const ItemList a = ItemList::check(first);
  const ItemList b = ItemList::check(second);
  if (!a.valid() || !b.valid()) return E_INVALIDARG;
  // In step, as compareLists does, through the folder's own item comparison.
  for (size_t i = 0;; ++i) {
    const bool aEnded = i >= a.count(), bEnded = i >= b.count();
    if (aEnded || bEnded) {
      const uint16_t result = aEnded && bEnded ? 0 : (aEnded ? 0xFFFF : 1);
      return MAKE_HRESULT(SEVERITY_SUCCESS, 0, result);
    }
    const int result = compareItems(a.from(i), b.from(i));
    if (result) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, static_cast<uint16_t>(result));
  }
}

STDMETHODIMP CShellFolder::CreateViewObject(HWND, REFIID riid, void** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (IsEqualIID(riid, IID_IShellView)) return createShellView(this, riid, out);
  if (IsEqualIID(riid, IID_IContextMenu)) return createContextMenu(this, 0, nullptr, riid, out);
  return E_NOINTERFACE;
}

STDMETHODIMP CShellFolder::GetAttributesOf(UINT count, LPCITEMIDLIST* lists, SFGAOF* attributes) {
  if (!attributes) return E_INVALIDARG;
  std::vector<ItemList> checked;
  if (!checkAll(count, lists, checked)) return E_INVALIDARG;
  *attributes = attributesOf(checked.data(), checked.size());
  return S_OK;
}

STDMETHODIMP CShellFolder::GetUIObjectOf(HWND, UINT count, LPCITEMIDLIST* lists, REFIID riid,
                                         UINT*, void** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  std::vector<ItemList> checked;
  if (!checkAll(count, lists, checked)) return E_INVALIDARG;
  // Every object made here acts on items: a list without one names nothing.
  for (const ItemList& list : checked)
    if (list.empty()) return E_INVALIDARG;
  if (IsEqualIID(riid, IID_IContextMenu)) return createContextMenu(this, count, lists, riid, out);
  if (count != 1) return E_INVALIDARG;
  if (IsEqualIID(riid, IID_IExtractIconA)) return createExtractIcon(lists[0], riid, out);
  return E_NOINTERFACE;
}

std::string CShellFolder::parsingName() const {
  if (!absolute_.get()) return std::string();
  fw::ComPtr<IShellFolder> desktop;
  if (FAILED(SHGetDesktopFolder(desktop.put()))) return std::string();
  STRRET name = {};
  if (FAILED(desktop->GetDisplayNameOf(absolute_.get(), SHGDN_FORPARSING, &name))) return std::string();
  char buffer[MAX_PATH] = {};
  if (FAILED(StrRetToBufA(&name, absolute_.get(), buffer, sizeof buffer))) return std::string();
  return buffer;
}

STDMETHODIMP CShellFolder::GetDisplayNameOf(LPCITEMIDLIST list, SHGDNF flags, STRRET* name) {
  if (!name) return E_INVALIDARG;
  const ItemList checked = ItemList::check(list);
  if (!checked.valid()) return E_INVALIDARG;
  const bool needsFolder = (flags & SHGDN_FORPARSING) && !(flags & SHGDN_INFOLDER);
  return wideStrRet(displayName(checked, flags, needsFolder ? parsingName() : std::string(), MAX_PATH),
                    name);
}

STDMETHODIMP CShellFolder::SetNameOf(HWND, LPCITEMIDLIST, LPCOLESTR, SHGDNF, LPITEMIDLIST* out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CShellFolder::GetClassID(CLSID* clsid) {
  if (!clsid) return E_INVALIDARG;
  *clsid = CLSID_FenwoldFolder;
  return S_OK;
}

STDMETHODIMP CShellFolder::Initialize(LPCITEMIDLIST absolute) {
  // The absolute list carries the shell's own items before ours: measured, not checked.
  if (absolute && !foreignListBytes(absolute)) return E_INVALIDARG;
  absolute_ = OwnedIdList(ids_, ids_.copy(absolute));
  return S_OK;
}

HRESULT createRootFolder(REFIID riid, void** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  return makeAndQuery<CShellFolder>(riid, out, nullptr, nullptr);
}

HRESULT wideStrRet(const std::string& text, STRRET* out) {
  out->uType = STRRET_WSTR;
  out->pOleStr = nullptr;
  const int chars = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (chars <= 0) return E_FAIL;
  auto* wide = static_cast<LPWSTR>(CoTaskMemAlloc(static_cast<size_t>(chars) * sizeof(WCHAR)));
  if (!wide) return E_OUTOFMEMORY;
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, chars);
  out->pOleStr = wide;
  return S_OK;
}

}  // namespace shx
