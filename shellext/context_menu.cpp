// Context menus of the folder's items and of its background. Actions on adapters and
// devices go to Corvath; opening an adapter goes to the shell.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <new>
#include <vector>

#include "client/corvath_obj_driver.h"
#include "framework/modal_call.h"
#include "framework/modulelock.h"
#include "framework/strings.h"
#include "shellext/folder_logic.h"
#include "shellext/item_id_manager.h"
#include "shellext/module.h"
#include "shellext/objects.h"
#include "shellext/shell_folder.h"

namespace shx {
namespace {

// The size of the basic command information: anything smaller is not one (36 bytes in
// the 32-bit build, 56 in the 64-bit one).
constexpr UINT kMinInvokeInfo = sizeof(void*) == 8 ? 56 : 36;
static_assert(sizeof(CMINVOKECOMMANDINFO) == kMinInvokeInfo, "command information size");

// Inserts the entries whose ids fit up to lastId; a submenu left empty is not inserted.
// used: the highest id offset inserted, -1 when none.
void insertEntries(HMENU menu, UINT& position, UINT firstId, UINT lastId,
                   const std::vector<MenuEntry>& entries, int& used) {
  for (const MenuEntry& entry : entries) {
    if (entry.id != kCmdSeparator && firstId + static_cast<UINT>(entry.id) > lastId) continue;
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    const std::string text = entry.text ? fw::loadString(entry.text) : std::string();
    if (entry.id == kCmdSeparator) {
      info.fMask = MIIM_FTYPE | MIIM_ID;
      info.fType = MFT_SEPARATOR;
    } else {
      info.fMask = MIIM_ID | MIIM_STRING;
      info.dwTypeData = const_cast<char*>(text.c_str());
    }
    info.wID = firstId + static_cast<UINT>(entry.id);
    HMENU submenu = nullptr;
    if (!entry.submenu.empty()) {
      submenu = CreatePopupMenu();
      if (!submenu) continue;
      UINT inner = 0;
      int innerUsed = -1;
      insertEntries(submenu, inner, firstId, lastId, entry.submenu, innerUsed);
      if (innerUsed < 0) {
        DestroyMenu(submenu);
        continue;
      }
      used = std::max(used, innerUsed);
      info.fMask |= MIIM_SUBMENU;
      info.hSubMenu = submenu;
    }
    if (InsertMenuItemA(menu, position, TRUE, &info)) {
      ++position;
      if (entry.id != kCmdSeparator) used = std::max(used, entry.id);
      if (entry.isDefault) SetMenuDefaultItem(menu, info.wID, FALSE);
    } else if (submenu) {
      // A popup its menu did not take is nobody's.
      DestroyMenu(submenu);
    }
  }
}

}  // namespace

class CContextMenu final : public IContextMenu {
 public:
  CContextMenu(CShellFolder* folder, UINT count, LPCITEMIDLIST* lists) : folder_(folder) {
    folder_->AddRef();
    for (UINT i = 0; i < count; ++i) items_.emplace_back(ids_, ids_.copy(lists[i]));
  }

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    // IShellExtInit is refused: this object is only made by its folder.
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IContextMenu)) return E_NOINTERFACE;
    *out = static_cast<IContextMenu*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId,
                                UINT flags) override {
    MenuRequest request = {};
    request.defaultOnly = (flags & CMF_DEFAULTONLY) != 0;
    request.explore = (flags & CMF_EXPLORE) != 0;
    request.background = items_.empty();
    // The root is the folder without an item of its own.
    request.rootFolder = folder_->relative() == nullptr;
    std::vector<ItemList> lists;
    for (const OwnedIdList& item : items_) lists.push_back(ItemList::check(item.get()));
    request.folderItems = !lists.empty() && (attributesOf(lists.data(), lists.size()) & kAttrFolder);
    UINT position = index;
    int used = -1;
    // Only ids up to the host's last one; the range kept is ours, as far as it reaches.
    insertEntries(menu, position, firstId, lastId, contextMenuEntries(request), used);
    const UINT room = lastId >= firstId ? lastId - firstId + 1 : 0;
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, std::min<UINT>(kCommandCount, room));
  }

  STDMETHODIMP InvokeCommand(LPCMINVOKECOMMANDINFO info) override {
    if (!comInitialized_) comInitialized_ = SUCCEEDED(CoInitialize(nullptr));
    if (!corvath_.valid()) {
      // The folder's connection: its records are the ones the folder's items stand for.
      if (IDispatch* shared = folder_->connection()) {
        corvath_.attach(shared);
      } else {
        showNoCorvath();
        return E_FAIL;
      }
    }
    if (!info || info->cbSize < kMinInvokeInfo) return E_INVALIDARG;
    UINT_PTR id = reinterpret_cast<UINT_PTR>(info->lpVerb);
    if (HIWORD(id)) {
      const int verb = verbCommand(info->lpVerb);
      if (verb >= 0) id = static_cast<UINT_PTR>(verb);
    }
    if (id >= kCommandCount) return E_INVALIDARG;
    // The host may let go of this menu and of its folders while a window opened here is
    // up; nothing of the menu is touched after the hold goes.
    fw::ModalCall hold(static_cast<IContextMenu*>(this), corvath_.dispatch());
    switch (id) {
      case kCmdExplore:
        return open(info->hwnd, "explore", "folder");
      case kCmdOpen:
        return open(info->hwnd, "open", "FOLDER");
      case kCmdProperties:
        properties();
        break;
      case kCmdSeldarn:
        seldarn(firstItem());
        break;
      case kCmdSeldarnTool:
        seldarnOfFolder();
        break;
      default:
        break;
    }
    return S_OK;
  }

  STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT*, LPSTR buffer, UINT size) override {
    switch (type) {
      case GCS_VALIDATEA:
        return S_OK;
      case GCS_HELPTEXTA:
        return command == 0 ? S_OK : E_INVALIDARG;
      case GCS_VERBA:
      case GCS_VERBW: {
        const char* verb = commandVerb(static_cast<int>(command));
        if (!verb || !buffer || size == 0) return E_INVALIDARG;
        if (type == GCS_VERBA) {
          lstrcpynA(buffer, verb, static_cast<int>(size));
        } else {
          auto* wide = reinterpret_cast<LPWSTR>(buffer);
          MultiByteToWideChar(CP_ACP, 0, verb, -1, wide, static_cast<int>(size));
          wide[size - 1] = 0;
        }
        return S_OK;
      }
      default:
        return E_INVALIDARG;
    }
  }

  bool valid() const {
    for (const OwnedIdList& item : items_)
      if (!item.get()) return false;
    return true;
  }

 private:
  ~CContextMenu() {
    items_.clear();
    corvath_.release();
    folder_->Release();
    if (comInitialized_) CoUninitialize();
  }

  // The first item of the selection (only that one is acted on), checked.
  const ItemId* firstItem() const {
    if (items_.empty()) return nullptr;
    return ItemList::check(items_[0].get()).last();
  }

  // The shell opens the item; when it cannot, the caller hears so (the view then opens
  // the item in its own browser) instead of being told it worked.
  HRESULT open(HWND invoker, const char* verb, const char* className) {
    if (items_.empty()) return S_OK;
    OwnedIdList absolute(ids_, ids_.concat(folder_->absolute(), items_[0].get()));
    if (!absolute.get()) return E_OUTOFMEMORY;
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_IDLIST | SEE_MASK_CLASSNAME | SEE_MASK_FLAG_NO_UI;
    info.hwnd = invoker ? GetParent(invoker) : nullptr;
    info.lpVerb = verb;
    info.lpClass = className;
    info.lpIDList = absolute.get();
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExA(&info)) return S_OK;
    const DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
  }

  // The server's own records for copies: found by adapter number and target in the list
  // of the object that receives the call, never through the copies' address fields.
  const inv::HostAdapterInfo* liveAdapterFor(uint8_t adapterNumber) {
    const long count = corvath_.GetHostAdaptersCount();
    const auto* records = CorvathObjDriver::records<const inv::HostAdapterInfo>(
        count > 0 ? corvath_.GetHostAdaptersList() : 0);
    const inv::HostAdapterInfo* live = liveAdapter(records, count, adapterNumber);
    if (!live) showMessage(IDS_NO_LIVE_RECORD);
    return live;
  }

  void properties() {
    const ItemId* item = firstItem();
    if (!item) return;
    if (item->kind == kKindAdapter) {
      if (const inv::HostAdapterInfo* live = liveAdapterFor(adapterRecord(*item).adapterNumber))
        corvath_.ShowHostAdapterProperty(CorvathObjDriver::address(live), 0);
      return;
    }
    const inv::DeviceInfo copy = deviceRecord(*item);
    const inv::HostAdapterInfo* adapter = liveAdapterFor(copy.adapterNumber);
    if (!adapter) return;
    const inv::DeviceInfo* live = liveDevice(adapter, 1, copy.adapterNumber, copy.target);
    if (!live) {
      showMessage(IDS_NO_LIVE_RECORD);
      return;
    }
    corvath_.ShowDeviceProperty(CorvathObjDriver::address(live));
  }

  void seldarn(const ItemId* item) {
    if (!item) return;
    if (item->kind != kKindAdapter) {
      showMessage(IDS_SELDARN_ON_DEVICE);
      return;
    }
    if (const inv::HostAdapterInfo* live = liveAdapterFor(adapterRecord(*item).adapterNumber))
      corvath_.ShowSeldarn(CorvathObjDriver::address(live));
  }

  // The Tools menu's entry in an adapter folder: the editor of the adapter shown.
  void seldarnOfFolder() {
    const ItemList folder = ItemList::check(folder_->relative());
    const ItemId* adapter = folder.first();
    if (adapter && adapter->kind == kKindAdapter) {
      seldarn(adapter);
    } else {
      const ItemId* item = firstItem();
      if (item && item->kind == kKindAdapter) seldarn(item);
    }
  }

  LONG refs_ = 1;
  CShellFolder* folder_;
  ItemIdManager ids_;
  std::vector<OwnedIdList> items_;
  CorvathObjDriver corvath_;
  bool comInitialized_ = false;
  fw::ModuleLock lock_;
};

HRESULT createContextMenu(CShellFolder* folder, UINT count, LPCITEMIDLIST* lists, REFIID riid,
                          void** out) {
  CContextMenu* menu = new (std::nothrow) CContextMenu(folder, count, lists);
  if (!menu) return E_OUTOFMEMORY;
  const HRESULT hr = menu->valid() ? menu->QueryInterface(riid, out) : E_OUTOFMEMORY;
  menu->Release();
  return hr;
}

}  // namespace shx
