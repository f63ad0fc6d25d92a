// The folder: the root lists the server's host adapters, an adapter folder the devices in
// its identifier's record copy. One object answers IShellFolder and IPersistFolder.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "framework/modulelock.h"
#include "shellext/item_id_manager.h"

namespace shx {

class CShellFolder : public IShellFolder, public IPersistFolder {
 public:
  // parent: null for the root; relative: this folder's item under its parent (copied).
  CShellFolder(CShellFolder* parent, LPCITEMIDLIST relative);
  virtual ~CShellFolder();
  CShellFolder(const CShellFolder&) = delete;
  CShellFolder& operator=(const CShellFolder&) = delete;

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  // IShellFolder
  STDMETHODIMP ParseDisplayName(HWND, LPBC, LPOLESTR, ULONG*, LPITEMIDLIST*, ULONG*) override;
  STDMETHODIMP EnumObjects(HWND window, DWORD flags, IEnumIDList** out) override;
  STDMETHODIMP BindToObject(LPCITEMIDLIST list, LPBC bindContext, REFIID riid, void** out) override;
  STDMETHODIMP BindToStorage(LPCITEMIDLIST list, LPBC bindContext, REFIID riid, void** out) override;
  STDMETHODIMP CompareIDs(LPARAM parameter, LPCITEMIDLIST first, LPCITEMIDLIST second) override;
  STDMETHODIMP CreateViewObject(HWND owner, REFIID riid, void** out) override;
  STDMETHODIMP GetAttributesOf(UINT count, LPCITEMIDLIST* lists, SFGAOF* attributes) override;
  STDMETHODIMP GetUIObjectOf(HWND owner, UINT count, LPCITEMIDLIST* lists, REFIID riid,
                             UINT* reserved, void** out) override;
  STDMETHODIMP GetDisplayNameOf(LPCITEMIDLIST list, SHGDNF flags, STRRET* name) override;
  STDMETHODIMP SetNameOf(HWND, LPCITEMIDLIST, LPCOLESTR, SHGDNF, LPITEMIDLIST*) override;
  // IPersist, IPersistFolder
  STDMETHODIMP GetClassID(CLSID* clsid) override;
  STDMETHODIMP Initialize(LPCITEMIDLIST absolute) override;

  // One item of each list by the sort key: -1, 0 or 1.
  virtual int compareItems(const ItemList& first, const ItemList& second) const;

  void setSortKey(uint32_t key) { sortKey_ = key; }
  uint32_t sortKey() const { return sortKey_; }
  LPCITEMIDLIST relative() const { return relative_.get(); }
  LPCITEMIDLIST absolute() const { return absolute_.get(); }
  const ItemIdManager& ids() const { return ids_; }
  // The desktop's parsing name of this folder's absolute list ("" without one).
  std::string parsingName() const;
  // The connection to Corvath that the menus of this folder and of its subfolders share
  // (the root's, made by the first command and kept while the root lives), with a
  // reference for the caller; null when the object cannot be made. Its records stay valid
  // as long as it lives, so commands find their live records there instead of building a
  // whole new inventory each time.
  IDispatch* connection();

 private:
  LONG refs_ = 1;
  CShellFolder* parent_;
  ItemIdManager ids_;
  OwnedIdList relative_;
  OwnedIdList absolute_;
  uint32_t sortKey_ = 0;
  IDispatch* connection_ = nullptr;
  fw::ModuleLock lock_;
};

HRESULT createRootFolder(REFIID riid, void** out);

// A wide copy of text in the task allocator, as a STRRET_WSTR answer.
HRESULT wideStrRet(const std::string& text, STRRET* out);

}  // namespace shx
