// ScsiTreeBand: the vertical explorer bar with a tree of host adapters and their devices.
#include <windows.h>
#include <commctrl.h>

#include <oleacc.h>

#include <string>
#include <vector>

#include "bands/band_object.h"
#include "bands/gastrel_res.h"
#include "contract/adapter_view.h"
#include "framework/accessible.h"
#include "framework/classfactory.h"
#include "framework/dpi.h"
#include "framework/module.h"
#include "framework/scale.h"
#include "framework/strings.h"

namespace bands {

constexpr int kTreeId = 101;

class TreeBand : public BandObject, private fw::AccessibleSource {
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
  void onFocus() override {
    if (tree_) SetFocus(tree_);
  }

 private:
  void buildImageLists();
  // Shift+F10 or the menu key: "&Property" for the selected item, below it.
  void keyboardMenu();
  // Every item, roots and their devices, in the order they are shown.
  std::vector<HTREEITEM> allItems() const;
  // The tree's items read as their text, with the adapter's device count or the device's
  // tip as value.
  long accessibleCount(HWND window) override;
  bool accessibleItem(HWND window, long child, fw::AccessibleItem& out) override;
  bool accessibleDoDefault(HWND window, long child) override;
  long accessibleFocus(HWND window) override;
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
  fw::attachAccessible(tree_, this);
  watchFocus(tree_);
}

void TreeBand::buildImageLists() {
  // The icon sizes of the screen the band is on.
  const unsigned dpi = fw::dpiOf(window());
  const int smallSide[2] = {fw::systemMetric(SM_CXSMICON, dpi), fw::systemMetric(SM_CYSMICON, dpi)};
  const int largeSide[2] = {fw::systemMetric(SM_CXICON, dpi), fw::systemMetric(SM_CYICON, dpi)};
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
  if (tree_ && IsWindow(tree_)) {
    fw::detachAccessible(tree_);
    DestroyWindow(tree_);
  }
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
    case WM_CONTEXTMENU:
      if (static_cast<short>(LOWORD(lParam)) != -1 || static_cast<short>(HIWORD(lParam)) != -1)
        return 0;  // a right click: the host shows the band's menu
      keyboardMenu();
      handled = true;
      return 0;
    case fw::kDpiChangedAfterParent: {
      // On a screen of another DPI: pictures of its sizes.
      const bool large = tree_ && TreeView_GetImageList(tree_, TVSIL_NORMAL) == large_;
      HIMAGELIST oldSmall = small_, oldLarge = large_;
      buildImageLists();
      if (tree_) TreeView_SetImageList(tree_, large ? large_ : small_, TVSIL_NORMAL);
      if (oldSmall) ImageList_Destroy(oldSmall);
      if (oldLarge) ImageList_Destroy(oldLarge);
      handled = true;
      return 0;
    }
    default:
      return 0;
  }
}

void TreeBand::keyboardMenu() {
  HTREEITEM item = tree_ ? TreeView_GetSelection(tree_) : nullptr;
  RECT rc = {};
  if (!item || !TreeView_GetItemRect(tree_, item, &rc, TRUE)) return;
  POINT at = {rc.left, rc.bottom};
  ClientToScreen(tree_, &at);
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  constexpr UINT kProperty = 3;
  AppendMenuA(menu, MF_STRING, kProperty, fw::loadString(IDS_PROPERTY).c_str());
  SetMenuDefaultItem(menu, kProperty, FALSE);
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, window(), nullptr));
  DestroyMenu(menu);
  if (chosen == kProperty) showProperties();
}

std::vector<HTREEITEM> TreeBand::allItems() const {
  std::vector<HTREEITEM> items;
  if (!tree_) return items;
  for (HTREEITEM root = TreeView_GetRoot(tree_); root; root = TreeView_GetNextSibling(tree_, root)) {
    items.push_back(root);
    for (HTREEITEM child = TreeView_GetChild(tree_, root); child;
         child = TreeView_GetNextSibling(tree_, child))
      items.push_back(child);
  }
  return items;
}

long TreeBand::accessibleCount(HWND) { return static_cast<long>(allItems().size()); }

bool TreeBand::accessibleItem(HWND, long child, fw::AccessibleItem& out) {
  if (child == CHILDID_SELF) return false;  // the tree itself: the standard answers
  const std::vector<HTREEITEM> items = allItems();
  if (child < 1 || child > static_cast<long>(items.size())) return false;
  HTREEITEM item = items[static_cast<size_t>(child - 1)];
  char text[260] = {};
  TVITEMA data = {};
  data.mask = TVIF_TEXT | TVIF_STATE;
  data.hItem = item;
  data.pszText = text;
  data.cchTextMax = sizeof text;
  data.stateMask = TVIS_SELECTED | TVIS_EXPANDED;
  SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
  out.name = fw::widen(text);
  const inv::HostAdapterInfo* adapter = adapterOf(item);
  HTREEITEM parent = TreeView_GetParent(tree_, item);
  if (adapter && parent) {
    if (const inv::DeviceInfo* device = AdapterView::deviceAt(*adapter, static_cast<long>(itemData(item)))) {
      std::string tip = deviceTip(fw::loadString(IDS_DEVICE_TIP), *device, *adapter);
      for (char& c : tip)
        if (c == '\n') c = ' ';
      out.value = fw::widen(tip);
    }
  } else if (adapter) {
    out.value = fw::widen(fw::formatString(IDS_ACC_DEVICE_COUNT, AdapterView::deviceCount(*adapter)));
  }
  out.role = ROLE_SYSTEM_OUTLINEITEM;
  out.defaultAction = fw::widen(fw::withoutMnemonic(fw::loadString(IDS_PROPERTY)));
  out.state = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
  if (data.state & TVIS_SELECTED) {
    out.state |= STATE_SYSTEM_SELECTED;
    if (GetFocus() == tree_) out.state |= STATE_SYSTEM_FOCUSED;
  }
  if (!parent && TreeView_GetChild(tree_, item))
    out.state |= (data.state & TVIS_EXPANDED) ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
  if (!TreeView_GetItemRect(tree_, item, &out.bounds, TRUE)) out.state |= STATE_SYSTEM_INVISIBLE;
  return true;
}

bool TreeBand::accessibleDoDefault(HWND, long child) {
  const std::vector<HTREEITEM> items = allItems();
  if (child < 1 || child > static_cast<long>(items.size())) return false;
  TreeView_SelectItem(tree_, items[static_cast<size_t>(child - 1)]);
  showProperties();
  return true;
}

long TreeBand::accessibleFocus(HWND) {
  if (!tree_ || GetFocus() != tree_) return -1;
  HTREEITEM selected = TreeView_GetSelection(tree_);
  const std::vector<HTREEITEM> items = allItems();
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i] == selected) return static_cast<long>(i + 1);
  return CHILDID_SELF;
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
        // Devices on the scheme's 3-D light, where the item's text reads on it (not so in
        // some high-contrast schemes).
        if (TreeView_GetParent(tree_, item) &&
            fw::contrastRatio(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_3DLIGHT)) >= 4.5)
          draw->clrTextBk = GetSysColor(COLOR_3DLIGHT);
        return CDRF_NEWFONT;
      }
      return CDRF_DODEFAULT;
    }
    case NM_DBLCLK:
    case NM_RETURN:  // Enter: what a double click does
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

STDMETHODIMP TreeBand::GetCommandString(UINT_PTR command, UINT type, UINT*, LPSTR name,
                                        UINT size) {
  return bandCommandString(command, type, name, size, "Explorer Bar command help text");
}

HRESULT createTreeBand(REFIID iid, void** out) { return fw::createObject<TreeBand>(iid, out); }

}  // namespace bands
