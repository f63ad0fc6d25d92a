// ScsiTreeBand: the vertical explorer bar with a tree of host adapters and their devices.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "bands/adapter_view.h"
#include "bands/band_object.h"
#include "bands/gastrel_res.h"
#include "framework/classfactory.h"
#include "framework/module.h"
#include "framework/strings.h"

namespace bands {

constexpr int kTreeId = 101;

class TreeBand : public BandObject {
 public:
  TreeBand() : BandObject(BandKind::tree, CLSID_ScsiTreeBand) {}

  // IContextMenu
  STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last,
                                UINT flags) override;
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
  STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT* reserved, LPSTR name,
                                UINT size) override;

 protected:
  WindowClass windowClass() const override {
    return {"ScsiExplBarClass", CS_HREDRAW | CS_VREDRAW | CS_GLOBALCLASS, COLOR_WINDOW, true};
  }
  void onCreate() override;
  LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  void onClose() override;
  void onModal(WPARAM, LPARAM) override { showProperties(); }

 private:
  void buildImageLists();
  void fill();
  HTREEITEM insertItem(HTREEITEM parent, std::string text, int image, LPARAM data,
                       int children);
  // An item's data: a root's record address, a device's index in its record; -1 if none.
  LPARAM itemData(HTREEITEM item) const;
  LRESULT onNotify(NMHDR* header, bool& handled);
  void onInfoTip(HTREEITEM item, char* textA, WCHAR* textW, int size);
  // The adapter of a root item, or of a device item's parent, from this band's list.
  const inv::HostAdapterInfo* adapterOf(HTREEITEM item) const;
  // Properties of the selected item: the device sheet or the adapter sheet.
  void showProperties();

  HWND tree_ = nullptr;
  HIMAGELIST small_ = nullptr;
  HIMAGELIST large_ = nullptr;
  AdapterView adapters_;
};

void TreeBand::onCreate() {
  RECT rc = {};
  GetClientRect(window(), &rc);
  tree_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, nullptr,
                          WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                              TVS_SHOWSELALWAYS | TVS_TRACKSELECT | TVS_SINGLEEXPAND |
                              TVS_INFOTIP | TVS_FULLROWSELECT | TVS_NONEVENHEIGHT,
                          0, 0, rc.right, rc.bottom, window(),
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTreeId)),
                          reinterpret_cast<HINSTANCE>(fw::resourceModule()), nullptr);
  if (!connectCorvath()) {
    if (tree_) DestroyWindow(tree_);
    tree_ = nullptr;
    return;
  }
  buildImageLists();
  fill();
  if (!tree_) return;
  TreeView_SetBkColor(tree_, GetSysColor(COLOR_SCROLLBAR));
  TreeView_SetImageList(tree_, large_, TVSIL_NORMAL);
}

void TreeBand::buildImageLists() {
  const int smallSide[2] = {GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)};
  const int largeSide[2] = {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)};
  small_ = ImageList_Create(smallSide[0], smallSide[1], ILC_COLORDDB | ILC_MASK, 12, 0);
  large_ = ImageList_Create(largeSide[0], largeSide[1], ILC_COLORDDB | ILC_MASK, 12, 0);
  for (short type : kTreeIconTypes) {
    // Shared icons of the server: never destroyed here.
    HICON icon = reinterpret_cast<HICON>(static_cast<INT_PTR>(corvath().GetDeviceIcon(type)));
    if (small_) ImageList_AddIcon(small_, icon);
    if (large_) ImageList_AddIcon(large_, icon);
  }
}

void TreeBand::fill() {
  long count = corvath().GetHostAdaptersCount();
  intptr_t list = count > 0 ? corvath().GetHostAdaptersList() : 0;
  adapters_ = AdapterView(count, list);
  if (!tree_) return;
  for (int i = 0; i < adapters_.count(); ++i) {
    const inv::HostAdapterInfo& adapter = *adapters_.at(i);
    const int devices = AdapterView::deviceCount(adapter);
    HTREEITEM root = insertItem(TVI_ROOT, recordText(adapter.displayName), kAdapterImage,
                                adapters_.addressAt(i), devices);
    if (!root) continue;
    for (int d = 0; d < devices; ++d) {
      const inv::DeviceInfo& device = adapter.devices[d];
      insertItem(root, recordText(device.product), treeImageForDeviceType(device.deviceType), d, 0);
    }
  }
}

HTREEITEM TreeBand::insertItem(HTREEITEM parent, std::string text, int image, LPARAM data,
                               int children) {
  TVINSERTSTRUCTA insert = {};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = &text[0];
  insert.item.iImage = insert.item.iSelectedImage = image;
  insert.item.lParam = data;
  if (children) {
    insert.item.mask |= TVIF_CHILDREN;
    insert.item.cChildren = children;
  }
  return reinterpret_cast<HTREEITEM>(
      SendMessageA(tree_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

LPARAM TreeBand::itemData(HTREEITEM item) const {
  TVITEMA data = {};
  data.mask = TVIF_PARAM;
  data.hItem = item;
  return SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data)) ? data.lParam : -1;
}

void TreeBand::onClose() {
  if (tree_ && IsWindow(tree_)) DestroyWindow(tree_);
  tree_ = nullptr;
  if (small_) ImageList_Destroy(small_);
  if (large_) ImageList_Destroy(large_);
  small_ = large_ = nullptr;
  adapters_ = AdapterView();
}

LRESULT TreeBand::onMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  switch (message) {
    case WM_SIZE:
      if (tree_) MoveWindow(tree_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      handled = true;
      return 0;
    case WM_NOTIFY:
      return onNotify(reinterpret_cast<NMHDR*>(lParam), handled);
    default:
      return 0;
  }
}

const inv::HostAdapterInfo* TreeBand::adapterOf(HTREEITEM item) const {
  if (!tree_ || !item) return nullptr;
  HTREEITEM parent = TreeView_GetParent(tree_, item);
  return adapters_.at(adapters_.indexOf(itemData(parent ? parent : item)));
}

LRESULT TreeBand::onNotify(NMHDR* header, bool& handled) {
  if (!header || header->hwndFrom != tree_ || !tree_) return 0;
  switch (header->code) {
    case TVN_GETINFOTIPA: {
      auto* tip = reinterpret_cast<NMTVGETINFOTIPA*>(header);
      onInfoTip(tip->hItem, tip->pszText, nullptr, tip->cchTextMax);
      handled = true;
      return 0;
    }
    case TVN_GETINFOTIPW: {
      auto* tip = reinterpret_cast<NMTVGETINFOTIPW*>(header);
      onInfoTip(tip->hItem, nullptr, tip->pszText, tip->cchTextMax);
      handled = true;
      return 0;
    }
    case NM_CUSTOMDRAW: {
      auto* draw = reinterpret_cast<NMTVCUSTOMDRAW*>(header);
      handled = true;
      if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
      if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        HTREEITEM item = reinterpret_cast<HTREEITEM>(draw->nmcd.dwItemSpec);
        if (TreeView_GetParent(tree_, item)) draw->clrTextBk = GetSysColor(COLOR_3DLIGHT);
        return CDRF_NEWFONT;
      }
      return CDRF_DODEFAULT;
    }
    case NM_DBLCLK:
      postModal(0, 0);
      handled = true;
      return 0;
    default:
      return 0;
  }
}

void TreeBand::onInfoTip(HTREEITEM item, char* textA, WCHAR* textW, int size) {
  if (size <= 0 || (!textA && !textW)) return;
  std::string text;
  const inv::HostAdapterInfo* adapter = adapterOf(item);
  if (adapter) {
    if (TreeView_GetParent(tree_, item)) {
      if (const inv::DeviceInfo* device = AdapterView::deviceAt(*adapter, static_cast<long>(itemData(item))))
        text = deviceTip(fw::loadString(IDS_DEVICE_TIP), *device, *adapter);
    } else {
      text = recordText(adapter->displayName);
    }
  }
  if (textA) {
    lstrcpynA(textA, text.c_str(), size);
  } else if (!MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, textW, size)) {
    // Too long for the host's buffer: as much as fits.
    textW[0] = L'\0';
    std::string cut = text.substr(0, static_cast<size_t>(size - 1));
    MultiByteToWideChar(CP_ACP, 0, cut.c_str(), -1, textW, size);
  }
}

void TreeBand::showProperties() {
  if (!tree_) return;
  HTREEITEM item = TreeView_GetSelection(tree_);
  const inv::HostAdapterInfo* adapter = adapterOf(item);
  if (!adapter) return;
  if (TreeView_GetParent(tree_, item)) {
    if (const inv::DeviceInfo* device = AdapterView::deviceAt(*adapter, static_cast<long>(itemData(item))))
      corvath().ShowDeviceProperty(CorvathObjDriver::address(device));
  } else {
    corvath().ShowHostAdapterProperty(CorvathObjDriver::address(adapter), 0);
  }
}

// ---- IContextMenu ----------------------------------------------------------------------

STDMETHODIMP TreeBand::QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last,
                                        UINT flags) {
  if (flags & CMF_DEFAULTONLY) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
  HTREEITEM item = nullptr;
  if (tree_) {
    TVHITTESTINFO hit = {};
    hit.pt = cursorIn(tree_);
    item = TreeView_HitTest(tree_, &hit);
    if (!(hit.flags & TVHT_ONITEM)) item = nullptr;
  }
  // Only ids up to the host's last one.
  if (item) {
    TreeView_SelectItem(tree_, item);
    if (first + 3 <= last) {
      InsertMenuA(menu, index, MF_BYPOSITION | MF_STRING, first + 3,
                  fw::loadString(IDS_PROPERTY).c_str());
      SetMenuDefaultItem(menu, first + 3, FALSE);
    }
  } else {
    if (first + 1 <= last)
      InsertMenuA(menu, index, MF_BYPOSITION | MF_STRING, first + 1,
                  fw::loadString(IDS_LARGE_ICON).c_str());
    if (first + 2 <= last)
      InsertMenuA(menu, index + 1, MF_BYPOSITION | MF_STRING, first + 2,
                  fw::loadString(IDS_SMALL_ICON).c_str());
  }
  return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 5);
}

STDMETHODIMP TreeBand::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  if (!info || HIWORD(reinterpret_cast<UINT_PTR>(info->lpVerb))) return E_INVALIDARG;
  switch (LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb))) {
    case 1:
      if (tree_) TreeView_SetImageList(tree_, large_, TVSIL_NORMAL);
      return S_OK;
    case 2:
      if (tree_) TreeView_SetImageList(tree_, small_, TVSIL_NORMAL);
      return S_OK;
    case 3:
      runModal(0, 0);
      return S_OK;
    default:
      return E_INVALIDARG;
  }
}

}  // namespace bands

namespace bands {

// The one command string the explorer bar and the command bar answer: command 0.
HRESULT bandCommandString(UINT_PTR command, UINT type, LPSTR name, UINT size,
                          const char* helpText) {
  if (command != 0) return E_INVALIDARG;
  const char* text = nullptr;
  switch (type) {
    case GCS_VALIDATEA:
    case GCS_VALIDATEW:
      return S_OK;
    case GCS_VERBA:
    case GCS_VERBW:
      text = "command";
      break;
    case GCS_HELPTEXTA:
    case GCS_HELPTEXTW:
      text = helpText;
      break;
    default:
      return E_INVALIDARG;
  }
  if (!name || size == 0) return E_INVALIDARG;
  if (type & GCS_UNICODE) {
    auto* wide = reinterpret_cast<WCHAR*>(name);
    if (!MultiByteToWideChar(CP_ACP, 0, text, -1, wide, static_cast<int>(size))) wide[0] = L'\0';
  } else {
    lstrcpynA(name, text, static_cast<int>(size));
  }
  return S_OK;
}

STDMETHODIMP TreeBand::GetCommandString(UINT_PTR command, UINT type, UINT*, LPSTR name,
                                        UINT size) {
  return bandCommandString(command, type, name, size, "Explorer Bar command help text");
}

HRESULT createTreeBand(REFIID iid, void** out) { return fw::createObject<TreeBand>(iid, out); }

}  // namespace bands
