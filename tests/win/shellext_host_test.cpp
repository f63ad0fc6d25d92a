// Fenwold driven as a shell drives it: the module's class factory, the root folder under
// My Computer, its enumerators, attributes, comparisons and names, an adapter folder, the
// view in a browser frame of our own, the context menus with every command and the icon
// extractor. The real Corvath serves a small simulated bus.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/soak_measure.h"
#include "client/corvath_obj_driver.h"
#include "contract/records.h"
#include "simulator/controls.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/win/server_support.h"
#include "tests/win/shared_bus.h"
#include "tests/win/shellext_browser.h"

namespace {

using namespace shelltest;

// Two adapters; the first one's devices include a type 11 device and a blank-padded
// product, the second one's are listed out of vendor order.
const std::string kBus = orvtest::legacyPairBus("AVOCET-UW");

constexpr UINT kItemCb = 4774;

std::string field(const char* text, size_t size) {
  size_t n = 0;
  while (n < size && text[n]) ++n;
  return std::string(text, n);
}
#define FIELD(f) field(f, sizeof f)

std::string wideText(const WCHAR* w) {
  char out[600] = {};
  WideCharToMultiByte(CP_ACP, 0, w, -1, out, sizeof out - 1, nullptr, nullptr);
  return out;
}

// An identifier list owned by the test (task allocator).
struct Pidl {
  LPITEMIDLIST p = nullptr;
  Pidl() = default;
  explicit Pidl(LPITEMIDLIST list) : p(list) {}
  Pidl(const Pidl&) = delete;
  Pidl& operator=(const Pidl&) = delete;
  Pidl(Pidl&& o) noexcept : p(o.p) { o.p = nullptr; }
  ~Pidl() { CoTaskMemFree(p); }
  LPCITEMIDLIST get() const { return p; }
};

// Items of our own layout made by the test: one record copy and the terminator.
Pidl makeItem(uint32_t kind, const void* record, size_t size) {
  auto* bytes = static_cast<uint8_t*>(CoTaskMemAlloc(kItemCb + 2));
  std::memset(bytes, 0, kItemCb + 2);
  bytes[0] = kItemCb & 0xFF;
  bytes[1] = kItemCb >> 8;
  std::memcpy(bytes + 2, &kind, 4);
  std::memcpy(bytes + 6, record, size);
  return Pidl(reinterpret_cast<LPITEMIDLIST>(bytes));
}

Pidl join(LPCITEMIDLIST a, LPCITEMIDLIST b) { return Pidl(ILCombine(a, b)); }

std::string nameOf(IShellFolder* folder, LPCITEMIDLIST item, SHGDNF flags, HRESULT* result = nullptr) {
  STRRET name = {};
  const HRESULT hr = folder->GetDisplayNameOf(item, flags, &name);
  if (result) *result = hr;
  if (FAILED(hr)) return "<failed>";
  EXPECT_EQ(name.uType, static_cast<UINT>(STRRET_WSTR));
  const std::string text = wideText(name.pOleStr);
  CoTaskMemFree(name.pOleStr);
  return text;
}

std::vector<Pidl> enumerate(IShellFolder* folder) {
  std::vector<Pidl> out;
  fw::ComPtr<IEnumIDList> items;
  if (FAILED(folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items.put())) || !items)
    return out;
  LPITEMIDLIST item = nullptr;
  while (items->Next(1, &item, nullptr) == S_OK) out.emplace_back(item);
  return out;
}

short compare(IShellFolder* folder, LPCITEMIDLIST a, LPCITEMIDLIST b) {
  const HRESULT hr = folder->CompareIDs(0, a, b);
  EXPECT_TRUE(SUCCEEDED(hr));
  return static_cast<short>(HRESULT_CODE(hr));
}

class ShellHost : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_FALSE(orvtest::serveBus(kBus, "orv_{pid}_shellext.bus").empty());
    ASSERT_EQ(servertest::registerCorvath(), S_OK);
    ASSERT_NE(fenwold(), nullptr);
  }
  void SetUp() override {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    ASSERT_TRUE(server.create());
    count = server.GetHostAdaptersCount();
    records = CorvathObjDriver::records<inv::HostAdapterInfo>(server.GetHostAdaptersList());
    ASSERT_EQ(count, 2);
    ASSERT_NE(records, nullptr);
    root = rootFolder();
    ASSERT_TRUE(root);
    adapters = enumerate(root.get());
    ASSERT_EQ(adapters.size(), 2u);
  }
  void TearDown() override {
    EXPECT_TRUE(driver.unexpected().empty()) << driver.unexpected().front();
    adapters.clear();
    root.reset();
    server.release();
    CoUninitialize();
  }

  fw::ComPtr<IShellFolder> bind(LPCITEMIDLIST item) {
    fw::ComPtr<IShellFolder> folder;
    EXPECT_EQ(root->BindToObject(item, nullptr, IID_IShellFolder, folder.putVoid()), S_OK);
    return folder;
  }

  orvtest::ModalDriver driver;
  CorvathObjDriver server;  // the same bus, for comparison
  long count = 0;
  const inv::HostAdapterInfo* records = nullptr;
  fw::ComPtr<IShellFolder> root;
  std::vector<Pidl> adapters;
};

// ---- module, factory and folder interfaces -------------------------------------------

TEST_F(ShellHost, FactoryAndFolderInterfacesAnswerAsAShellExpects) {
  fw::ComPtr<IClassFactory> factory;
  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(getClassObject(IID_IShellFolder, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(none, nullptr);
  ASSERT_EQ(getClassObject(kFolder, IID_IClassFactory, factory.putVoid()), S_OK);
  EXPECT_EQ(factory->LockServer(TRUE), E_NOTIMPL);
  fw::ComPtr<IUnknown> refused;
  EXPECT_EQ(factory->CreateInstance(factory.get(), IID_IUnknown, refused.putVoid()),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, refused.putVoid()), E_NOINTERFACE);

  fw::ComPtr<IUnknown> folder;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, folder.putVoid()), S_OK);
  for (const IID* iid : {&IID_IShellFolder, &IID_IPersist, &IID_IPersistFolder}) {
    fw::ComPtr<IUnknown> table, identity;
    ASSERT_EQ(folder->QueryInterface(*iid, table.putVoid()), S_OK);
    ASSERT_EQ(table->QueryInterface(IID_IUnknown, identity.putVoid()), S_OK);
    EXPECT_EQ(identity.get(), folder.get());
  }
  fw::ComPtr<IUnknown> other;
  EXPECT_EQ(folder->QueryInterface(IID_IShellView, other.putVoid()), E_NOINTERFACE);
  fw::ComPtr<IPersistFolder> persist;
  ASSERT_EQ(folder->QueryInterface(IID_IPersistFolder, persist.putVoid()), S_OK);
  CLSID clsid = {};
  EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
  EXPECT_TRUE(IsEqualCLSID(clsid, kFolder));

  EXPECT_EQ(root->ParseDisplayName(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
  void* storage = reinterpret_cast<void*>(1);
  EXPECT_EQ(root->BindToStorage(adapters[0].get(), nullptr, IID_IStream, &storage), E_NOTIMPL);
  EXPECT_EQ(storage, nullptr);
  EXPECT_EQ(root->SetNameOf(nullptr, adapters[0].get(), L"x", 0, nullptr), E_NOTIMPL);
  fw::ComPtr<IUnknown> viewObject;
  EXPECT_EQ(root->CreateViewObject(nullptr, IID_IDropTarget, viewObject.putVoid()), E_NOINTERFACE);
}

TEST_F(ShellHost, RootEnumeratesTheServersAdaptersInArrayOrder) {
  for (size_t i = 0; i < adapters.size(); ++i)
    EXPECT_EQ(nameOf(root.get(), adapters[i].get(), SHGDN_NORMAL), FIELD(records[i].displayName));

  fw::ComPtr<IEnumIDList> items;
  ASSERT_EQ(root->EnumObjects(nullptr, 0, items.put()), S_OK);
  LPITEMIDLIST got[4] = {};
  ULONG fetched = 99;
  EXPECT_EQ(items->Next(2, got, nullptr), E_INVALIDARG);
  EXPECT_EQ(items->Next(1, got, nullptr), S_OK);  // no count pointer: one at a time works
  CoTaskMemFree(got[0]);
  EXPECT_EQ(items->Next(4, got, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 1u);
  CoTaskMemFree(got[0]);
  EXPECT_EQ(items->Next(1, got, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(items->Reset(), S_OK);
  EXPECT_EQ(items->Skip(1), S_OK);
  EXPECT_EQ(items->Next(2, got, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 1u);
  EXPECT_EQ(nameOf(root.get(), got[0], 0), FIELD(records[1].displayName));
  CoTaskMemFree(got[0]);
  EXPECT_EQ(items->Reset(), S_OK);
  EXPECT_EQ(items->Skip(3), S_FALSE);
  EXPECT_EQ(items->Reset(), S_OK);
  EXPECT_EQ(items->Next(2, got, &fetched), S_OK);
  EXPECT_EQ(fetched, 2u);
  CoTaskMemFree(got[0]);
  CoTaskMemFree(got[1]);
  fw::ComPtr<IEnumIDList> clone;
  EXPECT_EQ(items->Clone(clone.put()), E_NOTIMPL);
  EXPECT_EQ(ILGetSize(adapters[0].get()), kItemCb + 2u);
}

TEST_F(ShellHost, AttributesForNoItemsADeviceAndAMix) {
  fw::ComPtr<IShellFolder> adapter = bind(adapters[0].get());
  ASSERT_TRUE(adapter);
  std::vector<Pidl> devices = enumerate(adapter.get());
  ASSERT_EQ(devices.size(), 4u);
  const SFGAOF all = SFGAO_HASPROPSHEET | SFGAO_FOLDER | SFGAO_HASSUBFOLDER;
  SFGAOF attributes = 0xFFFFFFFF;
  EXPECT_EQ(root->GetAttributesOf(0, nullptr, &attributes), S_OK);
  EXPECT_EQ(attributes, all);
  LPCITEMIDLIST device[] = {devices[0].get()};
  attributes = SFGAO_FOLDER;
  EXPECT_EQ(adapter->GetAttributesOf(1, device, &attributes), S_OK);
  EXPECT_EQ(attributes, static_cast<SFGAOF>(SFGAO_HASPROPSHEET));
  LPCITEMIDLIST mix[] = {devices[1].get(), adapters[1].get()};
  EXPECT_EQ(root->GetAttributesOf(2, mix, &attributes), S_OK);
  EXPECT_EQ(attributes, all);
  EXPECT_EQ(root->GetAttributesOf(1, mix, nullptr), E_INVALIDARG);
}

TEST_F(ShellHost, AdaptersOpenAsFoldersOfTheirDevicesAndDevicesDoNot) {
  fw::ComPtr<IShellFolder> adapter = bind(adapters[0].get());
  ASSERT_TRUE(adapter);
  std::vector<Pidl> devices = enumerate(adapter.get());
  ASSERT_EQ(devices.size(), 4u);
  for (size_t i = 0; i < devices.size(); ++i)
    EXPECT_EQ(nameOf(adapter.get(), devices[i].get(), 0), FIELD(records[0].devices[i].product));
  // Blanks kept as the device sent them.
  EXPECT_EQ(nameOf(adapter.get(), devices[0].get(), SHGDN_INFOLDER), "QX-18LVD        ");

  fw::ComPtr<IShellFolder> none;
  EXPECT_EQ(adapter->BindToObject(devices[0].get(), nullptr, IID_IShellFolder, none.putVoid()),
            E_INVALIDARG);
  EXPECT_FALSE(none);
  EXPECT_EQ(root->BindToObject(nullptr, nullptr, IID_IShellFolder, none.putVoid()), E_INVALIDARG);
  // The child folder's absolute list continues the root's.
  fw::ComPtr<IPersistFolder> persist;
  EXPECT_EQ(adapter->QueryInterface(IID_IPersistFolder, persist.putVoid()), S_OK);
  fw::ComPtr<IShellFolder> second = bind(adapters[1].get());
  EXPECT_EQ(enumerate(second.get()).size(), 3u);
}

TEST_F(ShellHost, CompareIdsWalksTheListsInStep) {
  fw::ComPtr<IShellFolder> adapter = bind(adapters[0].get());
  std::vector<Pidl> devices = enumerate(adapter.get());
  ASSERT_EQ(devices.size(), 4u);
  Pidl path = join(adapters[0].get(), devices[0].get());
  Pidl other = join(adapters[0].get(), devices[1].get());
  EXPECT_EQ(compare(root.get(), adapters[0].get(), path.get()), -1);  // the prefix first
  EXPECT_EQ(compare(root.get(), path.get(), adapters[0].get()), 1);
  EXPECT_EQ(compare(root.get(), path.get(), path.get()), 0);
  // "QX-18LVD" after "STORAGE BRIDGE"? No: Q before S.
  EXPECT_EQ(compare(root.get(), path.get(), other.get()), -1);
  // Key 0 compares names: "KESTREL..." and the second adapter's name.
  const int byName = lstrcmpiA(records[0].displayName, records[1].displayName) < 0 ? -1 : 1;
  EXPECT_EQ(compare(root.get(), adapters[0].get(), adapters[1].get()), byName);
  EXPECT_EQ(compare(root.get(), nullptr, nullptr), 0);
}

TEST_F(ShellHost, DisplayNamesForEachFlagCombination) {
  fw::ComPtr<IShellFolder> adapter = bind(adapters[0].get());
  std::vector<Pidl> devices = enumerate(adapter.get());
  ASSERT_FALSE(devices.empty());
  const std::string name = FIELD(records[0].displayName);
  EXPECT_EQ(nameOf(root.get(), adapters[0].get(), SHGDN_NORMAL), name);
  EXPECT_EQ(nameOf(root.get(), adapters[0].get(), SHGDN_INFOLDER), name);
  EXPECT_EQ(nameOf(root.get(), adapters[0].get(), SHGDN_FORPARSING | SHGDN_INFOLDER), name);
  const std::string parsing = nameOf(root.get(), adapters[0].get(), SHGDN_FORPARSING);
  EXPECT_EQ(lstrcmpiA(parsing.substr(0, 41).c_str(), "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\"), 0) << parsing;
  EXPECT_EQ(parsing.substr(parsing.size() - name.size() - 1), "\\" + name);

  Pidl path = join(adapters[0].get(), devices[0].get());
  EXPECT_EQ(nameOf(root.get(), path.get(), SHGDN_INFOLDER), "QX-18LVD        ");
  EXPECT_EQ(nameOf(root.get(), path.get(), SHGDN_FORPARSING | SHGDN_INFOLDER),
            name + "\\QX-18LVD        ");
  EXPECT_EQ(root->GetDisplayNameOf(path.get(), SHGDN_NORMAL, nullptr), E_INVALIDARG);
}

// ---- identifiers that are not ours, or were spoiled ----------------------------------

TEST_F(ShellHost, MalformedIdentifierListsAreRefusedEverywhere) {
  struct Spoil {
    const char* what;
    size_t offset;
    uint8_t value;
  } spoils[] = {{"size", 0, 0x10}, {"kind", 2, 7}, {"device count", 6 + 116, 40}};
  for (const Spoil& spoil : spoils) {
    SCOPED_TRACE(spoil.what);
    Pidl bad(ILClone(adapters[0].get()));
    reinterpret_cast<uint8_t*>(bad.p)[spoil.offset] = spoil.value;
    if (spoil.offset == 0) {
      // A short item of another folder, properly terminated within its size.
      reinterpret_cast<uint8_t*>(bad.p)[0x10] = 0;
      reinterpret_cast<uint8_t*>(bad.p)[0x11] = 0;
    }
    LPCITEMIDLIST lists[] = {bad.get()};
    SFGAOF attributes = 0;
    EXPECT_EQ(root->GetAttributesOf(1, lists, &attributes), E_INVALIDARG);
    fw::ComPtr<IShellFolder> folder;
    EXPECT_EQ(root->BindToObject(bad.get(), nullptr, IID_IShellFolder, folder.putVoid()), E_INVALIDARG);
    EXPECT_EQ(root->CompareIDs(0, bad.get(), adapters[0].get()), E_INVALIDARG);
    STRRET name = {};
    EXPECT_EQ(root->GetDisplayNameOf(bad.get(), 0, &name), E_INVALIDARG);
    fw::ComPtr<IUnknown> object;
    EXPECT_EQ(root->GetUIObjectOf(nullptr, 1, lists, IID_IContextMenu, nullptr, object.putVoid()),
              E_INVALIDARG);
    EXPECT_EQ(root->GetUIObjectOf(nullptr, 1, lists, IID_IExtractIconA, nullptr, object.putVoid()),
              E_INVALIDARG);
  }
}

// ---- icon extractor ------------------------------------------------------------------

TEST_F(ShellHost, IconExtractorGivesImagesByTypeWithType11SharingType10s) {
  fw::ComPtr<IShellFolder> adapter = bind(adapters[0].get());
  std::vector<Pidl> devices = enumerate(adapter.get());
  ASSERT_EQ(devices.size(), 4u);
  // Disk, type 11, CD-ROM, tape.
  const int expected[] = {5, 3, 0, 10};
  for (size_t i = 0; i < devices.size(); ++i) {
    LPCITEMIDLIST one[] = {devices[i].get()};
    fw::ComPtr<IExtractIconA> icon;
    ASSERT_EQ(adapter->GetUIObjectOf(nullptr, 1, one, IID_IExtractIconA, nullptr, icon.putVoid()), S_OK);
    char file[MAX_PATH] = "untouched";
    int index = -1;
    UINT flags = 0;
    EXPECT_EQ(icon->GetIconLocation(0, file, sizeof file, &index, &flags), S_OK);
    EXPECT_EQ(index, expected[i]) << i;
    EXPECT_EQ(flags, static_cast<UINT>(GIL_NOTFILENAME));
    EXPECT_STREQ(file, "untouched");
    HICON large = nullptr, small = nullptr;
    EXPECT_EQ(icon->Extract(file, static_cast<UINT>(index), &large, &small, MAKELONG(32, 16)), S_OK);
    EXPECT_NE(large, nullptr);
    EXPECT_NE(small, nullptr);
    ICONINFO info = {};
    if (large && GetIconInfo(large, &info)) {
      BITMAP bm = {};
      GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
      EXPECT_EQ(bm.bmWidth, GetSystemMetrics(SM_CXICON));
      DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
    }
    DestroyIcon(large);
    DestroyIcon(small);
  }
  LPCITEMIDLIST one[] = {adapters[0].get()};
  fw::ComPtr<IExtractIconA> icon;
  ASSERT_EQ(root->GetUIObjectOf(nullptr, 1, one, IID_IExtractIconA, nullptr, icon.putVoid()), S_OK);
  int index = -1;
  UINT flags = 0;
  EXPECT_EQ(icon->GetIconLocation(0, nullptr, 0, &index, &flags), S_OK);
  EXPECT_EQ(index, 4);
  LPCITEMIDLIST two[] = {adapters[0].get(), adapters[1].get()};
  fw::ComPtr<IUnknown> refused;
  EXPECT_EQ(root->GetUIObjectOf(nullptr, 2, two, IID_IExtractIconA, nullptr, refused.putVoid()),
            E_INVALIDARG);
  EXPECT_EQ(root->GetUIObjectOf(nullptr, 1, one, IID_IDataObject, nullptr, refused.putVoid()),
            E_NOINTERFACE);
}

// ---- context menus -------------------------------------------------------------------

fw::ComPtr<IContextMenu> menuOf(IShellFolder* folder, std::vector<LPCITEMIDLIST> items) {
  fw::ComPtr<IContextMenu> menu;
  if (items.empty()) {
    EXPECT_EQ(folder->CreateViewObject(nullptr, IID_IContextMenu, menu.putVoid()), S_OK);
  } else {
    EXPECT_EQ(folder->GetUIObjectOf(nullptr, static_cast<UINT>(items.size()), items.data(),
                                    IID_IContextMenu, nullptr, menu.putVoid()),
              S_OK);
  }
  return menu;
}

std::vector<std::string> queried(IContextMenu* menu, UINT flags, UINT first = 0) {
  HMENU popup = CreatePopupMenu();
  const HRESULT hr = menu->QueryContextMenu(popup, 0, first, first + 100, flags);
  EXPECT_EQ(hr, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 20));
  std::vector<std::string> texts = menuTexts(popup);
  // Submenus follow their entry, indented.
  for (int i = GetMenuItemCount(popup) - 1; i >= 0; --i) {
    if (HMENU sub = GetSubMenu(popup, i)) {
      std::vector<std::string> inner = menuTexts(sub);
      for (std::string& each : inner) each = "  " + each;
      texts.insert(texts.begin() + i + 1, inner.begin(), inner.end());
    }
  }
  if (first) {
    std::vector<UINT> ids = menuIds(popup);
    EXPECT_EQ(ids.front() - first, 1u);  // relative to the first id
  }
  DestroyMenu(popup);
  return texts;
}

TEST_F(ShellHost, ContextMenusOfAdaptersDevicesAndTheBackground) {
  fw::ComPtr<IShellFolder> adapter = bind(adapters[0].get());
  std::vector<Pidl> devices = enumerate(adapter.get());
  auto adapterMenu = menuOf(root.get(), {adapters[0].get()});
  using V = std::vector<std::string>;
  EXPECT_EQ(queried(adapterMenu.get(), CMF_EXPLORE, 100),
            V({"*&Explore", "&Open", "-", "P&roperties", "&Seldarn"}));
  EXPECT_EQ(queried(adapterMenu.get(), CMF_NORMAL), V({"*&Open", "&Explore", "P&roperties"}));
  EXPECT_EQ(queried(adapterMenu.get(), CMF_DEFAULTONLY | CMF_EXPLORE), V({"*&Explore"}));
  EXPECT_EQ(queried(adapterMenu.get(), CMF_DEFAULTONLY), V({"*&Open"}));
  auto deviceMenu = menuOf(adapter.get(), {devices[0].get(), devices[1].get()});
  EXPECT_EQ(queried(deviceMenu.get(), CMF_EXPLORE), V({"*P&roperties"}));
  auto rootBackground = menuOf(root.get(), {});
  EXPECT_EQ(queried(rootBackground.get(), CMF_NORMAL),
            V({"View", "  Lar&ge Icons", "  S&mall Icons", "  &List", "  &Details",
               "Arrange &Icons", "  by &Name", "  by &Miniport", "  by &Scsi ID"}));
  auto adapterBackground = menuOf(adapter.get(), {});
  EXPECT_EQ(queried(adapterBackground.get(), CMF_NORMAL),
            V({"View", "  Lar&ge Icons", "  S&mall Icons", "  &List", "  &Details",
               "Arrange &Icons", "  by Device &Vendor", "  by Device &Name", "  by Device &Target ID"}));
}

TEST_F(ShellHost, CommandStringsGiveTheCanonicalVerbs) {
  auto menu = menuOf(root.get(), {adapters[0].get()});
  char verb[32] = {};
  EXPECT_EQ(menu->GetCommandString(18, GCS_VERBA, nullptr, verb, sizeof verb), S_OK);
  EXPECT_STREQ(verb, "seldarn");
  EXPECT_EQ(menu->GetCommandString(3, GCS_VERBA, nullptr, verb, 5), S_OK);
  EXPECT_STREQ(verb, "prop");  // cut to the buffer
  WCHAR wide[32] = {};
  EXPECT_EQ(menu->GetCommandString(1, GCS_VERBW, nullptr, reinterpret_cast<LPSTR>(wide), 32), S_OK);
  EXPECT_EQ(wideText(wide), "explore");
  EXPECT_EQ(menu->GetCommandString(4, GCS_VERBA, nullptr, verb, sizeof verb), E_INVALIDARG);
  EXPECT_EQ(menu->GetCommandString(7, GCS_VALIDATEA, nullptr, nullptr, 0), S_OK);
  EXPECT_EQ(menu->GetCommandString(0, GCS_HELPTEXTA, nullptr, verb, sizeof verb), S_OK);
  EXPECT_EQ(menu->GetCommandString(1, GCS_HELPTEXTA, nullptr, verb, sizeof verb), E_INVALIDARG);
  EXPECT_EQ(menu->GetCommandString(1, GCS_HELPTEXTW, nullptr, verb, sizeof verb), E_INVALIDARG);
}

HRESULT invoke(IContextMenu* menu, const char* verb, UINT size = sizeof(CMINVOKECOMMANDINFO)) {
  CMINVOKECOMMANDINFO info = {};
  info.cbSize = size;
  info.lpVerb = verb;
  info.nShow = SW_SHOWNORMAL;
  return menu->InvokeCommand(&info);
}
HRESULT invoke(IContextMenu* menu, int id) { return invoke(menu, MAKEINTRESOURCEA(id)); }

TEST_F(ShellHost, EveryCommandIdDoesWhatItsEntrySays) {
  fw::ComPtr<IShellFolder> adapter = bind(adapters[0].get());
  std::vector<Pidl> devices = enumerate(adapter.get());
  ASSERT_EQ(devices.size(), 4u);
  auto adapterMenu = menuOf(root.get(), {adapters[1].get(), adapters[0].get()});
  auto deviceMenu = menuOf(adapter.get(), {devices[0].get()});

  EXPECT_EQ(invoke(adapterMenu.get(), MAKEINTRESOURCEA(3), 20), E_INVALIDARG);
  EXPECT_EQ(invoke(adapterMenu.get(), 20), E_INVALIDARG);
  EXPECT_EQ(invoke(adapterMenu.get(), "bogus"), E_INVALIDARG);
  EXPECT_EQ(adapterMenu->InvokeCommand(nullptr), E_INVALIDARG);

  // Properties of the first selected item only.
  driver.expect(FIELD(records[1].displayName) + " Properties",
                [](HWND sheet) { orvtest::pressButton(sheet, IDCANCEL); });
  EXPECT_EQ(invoke(adapterMenu.get(), 3), S_OK);
  EXPECT_TRUE(driver.allDone());
  driver.expect("QUORIX QX-18LVD         Properties",
                [](HWND sheet) { orvtest::pressButton(sheet, IDCANCEL); });
  EXPECT_EQ(invoke(deviceMenu.get(), "Properties"), S_OK);
  EXPECT_TRUE(driver.allDone());

  // The editor of an adapter by its verb in any case; on a device only a message.
  for (int i = 0; i < 2; ++i)
    driver.expect(FIELD(records[1].displayName) + " Seldarn(TM)",
                  [](HWND sheet) { PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); });
  EXPECT_EQ(invoke(adapterMenu.get(), "SELDARN"), S_OK);
  EXPECT_EQ(invoke(adapterMenu.get(), 18), S_OK);
  EXPECT_TRUE(driver.allDone());
  std::string message;
  driver.expect("Velmora Scsi Explorer", [&](HWND box) {
    message = orvtest::messageBoxText(box);
    orvtest::pressButton(box, IDOK);
  });
  EXPECT_EQ(invoke(deviceMenu.get(), "seldarn"), S_OK);
  EXPECT_TRUE(driver.allDone());
  EXPECT_EQ(message, "Unknown Error 1 !");

  // Ids without an action of their own.
  // The tool's Seldarn (4) opens the editor of the device's adapter.
  for (int id : {0, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 19}) {
    if (id == 4)
      driver.expect(FIELD(records[0].displayName) + " Seldarn(TM)",
                    [](HWND sheet) { PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); });
    EXPECT_EQ(invoke(deviceMenu.get(), id), S_OK) << id;
    EXPECT_TRUE(driver.allDone()) << id;
  }

  // Explore and open go to the shell with the item's absolute list. Outside its own
  // explorer Wine's shell has no program for such an item: the caller hears it failed
  // (no message of the shell's own), so that a view can browse there itself.
  for (int id : {1, 2}) EXPECT_TRUE(FAILED(invoke(adapterMenu.get(), id))) << id;
}

TEST_F(ShellHost, CopiesAreMatchedToTheServersOwnRecordsNeverFollowed) {
  // A device copy whose address field points nowhere: the server's own record is used.
  inv::DeviceInfo device = records[0].devices[0];
  device.adapter = 0xDEAD0000;
  Pidl stale = makeItem(0, &device, sizeof device);
  fw::ComPtr<IShellFolder> adapter = bind(adapters[0].get());
  auto menu = menuOf(adapter.get(), {stale.get()});
  driver.expect("QUORIX QX-18LVD         Properties",
                [](HWND sheet) { orvtest::pressButton(sheet, IDCANCEL); });
  EXPECT_EQ(invoke(menu.get(), 3), S_OK);
  EXPECT_TRUE(driver.allDone());

  // Copies of things no longer present get a message, nothing else.
  inv::HostAdapterInfo gone = records[0];
  gone.adapterNumber = 9;
  for (auto& label : gone.labels) label.adapter = 0xDEAD0000;
  Pidl goneAdapter = makeItem(1, &gone, sizeof gone);
  device.target = 14;
  Pidl goneDevice = makeItem(0, &device, sizeof device);
  for (LPCITEMIDLIST item : {goneAdapter.get(), goneDevice.get()}) {
    auto goneMenu = menuOf(root.get(), {item});
    for (int id : {3, 18}) {
      if (item == goneDevice.get() && id == 18) continue;
      std::string message;
      driver.expect("Velmora Scsi Explorer", [&](HWND box) {
        message = orvtest::messageBoxText(box);
        orvtest::pressButton(box, IDOK);
      });
      EXPECT_EQ(invoke(goneMenu.get(), id), S_OK);
      EXPECT_TRUE(driver.allDone());
      EXPECT_NE(message.find("no longer present"), std::string::npos) << message;
    }
  }
}

// Every id a menu (and its submenus) holds.
void collectIds(HMENU menu, std::vector<UINT>& ids) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      collectIds(sub, ids);
    } else if (!(GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR)) {
      ids.push_back(GetMenuItemID(menu, i));
    }
  }
}

TEST_F(ShellHost, MenusTakeNoIdPastTheHostsLastOne) {
  fw::ComPtr<IShellFolder> adapter = bind(adapters[0].get());
  auto adapterMenu = menuOf(root.get(), {adapters[0].get()});
  auto background = menuOf(root.get(), {});
  for (IContextMenu* menu : {adapterMenu.get(), background.get()}) {
    for (UINT room = 0; room <= 22; ++room) {
      HMENU popup = CreatePopupMenu();
      const HRESULT hr = menu->QueryContextMenu(popup, 0, 100, 100 + room, CMF_EXPLORE);
      EXPECT_LE(HRESULT_CODE(hr), static_cast<int>(room + 1)) << room;
      std::vector<UINT> ids;
      collectIds(popup, ids);
      for (UINT id : ids) {
        EXPECT_GE(id, 100u);
        EXPECT_LE(id, 100 + room) << room;
      }
      // No empty submenu is left where its entries did not fit.
      for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        if (HMENU sub = GetSubMenu(popup, i)) {
          EXPECT_GT(GetMenuItemCount(sub), 0);
        }
      }
      DestroyMenu(popup);
    }
  }
  // With room for all, all: Seldarn is id 18 of the adapter's menu.
  HMENU popup = CreatePopupMenu();
  EXPECT_EQ(adapterMenu->QueryContextMenu(popup, 0, 100, 118, CMF_EXPLORE), MAKE_HRESULT(0, 0, 19));
  EXPECT_EQ(menuTexts(popup).back(), "&Seldarn");
  DestroyMenu(popup);
}

// The menu's commands act through the folder's connection: its inventory is built once,
// not again for each command (the PCI configuration is read only by a new inventory).
TEST_F(ShellHost, CommandsReuseTheFoldersConnection) {
  auto setLog = reinterpret_cast<simctl::SetLogFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("wnvrax32.dll"), simctl::kSetLog)));
  ASSERT_NE(setLog, nullptr);
  fw::ComPtr<IShellFolder> adapter = bind(adapters[0].get());
  std::vector<Pidl> devices = enumerate(adapter.get());
  ASSERT_FALSE(devices.empty());
  auto adapterMenu = menuOf(root.get(), {adapters[0].get()});
  auto deviceMenu = menuOf(adapter.get(), {devices[0].get()});
  auto closeSheet = [](HWND sheet) { PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); };
  driver.expect(FIELD(records[0].displayName) + " Properties", closeSheet);
  EXPECT_EQ(invoke(adapterMenu.get(), 3), S_OK);  // the first command makes the connection

  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string log = std::string(temp) + "orv_" + std::to_string(GetCurrentProcessId()) +
                          "_shellext_reuse.log";
  DeleteFileA(log.c_str());
  ASSERT_EQ(setLog(log.c_str()), 1);
  driver.expect(FIELD(records[0].displayName) + " Properties", closeSheet);
  EXPECT_EQ(invoke(adapterMenu.get(), 3), S_OK);
  driver.expect(FIELD(records[0].displayName) + " Seldarn(TM)", closeSheet);
  EXPECT_EQ(invoke(adapterMenu.get(), 18), S_OK);
  driver.expect("QUORIX QX-18LVD         Properties", closeSheet);
  EXPECT_EQ(invoke(deviceMenu.get(), 3), S_OK);
  setLog(nullptr);
  EXPECT_TRUE(driver.allDone());
  std::string text;
  if (FILE* f = std::fopen(log.c_str(), "rb")) {
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    std::fclose(f);
  }
  DeleteFileA(log.c_str());
  EXPECT_EQ(text.find(" pci "), std::string::npos) << "a new inventory was built:\n" << text;
}

// The host lets go of the menu and of every folder while a window the menu opened is
// open: the menu and its folder's connection stay until the command returns, then go.
TEST_F(ShellHost, MenuAndFoldersReleasedWhileItsWindowIsOpen) {
  fw::ComPtr<IShellFolder> adapter = bind(adapters[1].get());
  auto menu = menuOf(root.get(), {adapters[1].get()});
  IContextMenu* calling = menu.get();
  driver.expect(FIELD(records[1].displayName) + " Seldarn(TM)", [&](HWND sheet) {
    menu.reset();
    adapter.reset();
    root.reset();
    EXPECT_EQ(canUnloadNow(), S_FALSE) << "the menu went in the middle of its own command";
    // The sheet still works on the records: every page in turn.
    for (int i = orvtest::tabCount(sheet) - 1; i >= 0; --i)
      SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(i), 0);
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  });
  EXPECT_EQ(invoke(calling, 18), S_OK);
  EXPECT_TRUE(driver.allDone());
  EXPECT_EQ(canUnloadNow(), S_OK);
}

// ---- the view ------------------------------------------------------------------------

class ShellViewHost : public ShellHost {
 protected:
  void open(IShellFolder* folder, UINT mode, bool withTree = false) {
    browser = std::make_unique<FakeBrowser>(withTree);
    ASSERT_EQ(folder->CreateViewObject(browser->frame(), IID_IShellView, view.putVoid()), S_OK);
    FOLDERSETTINGS settings = {mode, 0};
    RECT area = browser->viewArea();
    ASSERT_EQ(view->CreateViewWindow(nullptr, &settings, browser.get(), &area, &window), S_OK);
    ASSERT_NE(window, nullptr);
    list = GetDlgItem(window, 2000);
    ASSERT_NE(list, nullptr);
    pumpMessages();
  }
  void TearDown() override {
    if (view) {
      EXPECT_EQ(view->DestroyViewWindow(), S_OK);
      EXPECT_FALSE(IsWindow(window));
      view.reset();
    }
    if (browser) {
      EXPECT_EQ(browser->references(), 1);
    }
    browser.reset();
    ShellHost::TearDown();
  }
  std::string cell(int row, int column) {
    char text[260] = {};
    ListView_GetItemText(list, row, column, text, sizeof text);
    return text;
  }
  std::vector<std::string> column0() {
    std::vector<std::string> out;
    for (int i = 0; i < ListView_GetItemCount(list); ++i) out.push_back(cell(i, 0));
    return out;
  }
  int image(int row) {
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
  }
  std::string columnTitle(int index) {
    char text[128] = {};
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT;
    column.pszText = text;
    column.cchTextMax = sizeof text;
    ListView_GetColumn(list, index, &column);
    return text;
  }
  void command(int id) {
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    pumpMessages();
  }
  void shot(const std::string& name) {
    pumpMessages();
    RedrawWindow(browser->frame(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_FALSE(orvtest::saveScreenshot(browser->frame(), name).empty());
  }

  std::unique_ptr<FakeBrowser> browser;
  fw::ComPtr<IShellView> view;
  HWND window = nullptr;
  HWND list = nullptr;
};

TEST_F(ShellViewHost, RootViewListsTheAdaptersWithToolbarAndInterfaces) {
  open(root.get(), FVM_DETAILS);
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  EXPECT_STREQ(name, "VelmoraFenwold");
  EXPECT_EQ(GetParent(window), browser->frame());
  EXPECT_EQ(GetWindowLongA(list, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_EQ(columnTitle(0), "Host Adapter Name");
  EXPECT_EQ(columnTitle(1), "Scsi Progr. Interface Manager");
  EXPECT_EQ(ListView_GetColumnWidth(list, 0), 138);
  // Web-style activation follows the user's shell settings (Wine answers neither classic
  // nor double-click: one click activates, hot items are underlined), also when they change.
  SHELLFLAGSTATE state = {};
  SHGetSettings(&state, SSF_DOUBLECLICKINWEBVIEW | SSF_WIN95CLASSIC);
  const DWORD web = LVS_EX_TRACKSELECT | LVS_EX_ONECLICKACTIVATE | LVS_EX_UNDERLINEHOT;
  const DWORD expected = !state.fWin95Classic && !state.fDoubleClickInWebView ? web : 0;
  EXPECT_EQ(ListView_GetExtendedListViewStyle(list) & web, expected);
  ListView_SetExtendedListViewStyleEx(list, web, web ^ expected);
  SendMessageA(window, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>("Other"));
  EXPECT_EQ(ListView_GetExtendedListViewStyle(list) & web, web ^ expected);
  SendMessageA(window, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>("ShellState"));
  EXPECT_EQ(ListView_GetExtendedListViewStyle(list) & web, expected);
  ASSERT_EQ(ListView_GetItemCount(list), 2);
  EXPECT_EQ(cell(0, 1), FIELD(records[0].managerId));
  EXPECT_EQ(image(0), 4);
  EXPECT_EQ(ListView_GetImageList(list, LVSIL_SMALL) != nullptr, true);

  ASSERT_EQ(browser->toolbarItems.size(), 6u);
  EXPECT_EQ(browser->toolbarFlags, static_cast<UINT>(FCT_MERGE));
  const int ids[] = {5, 7, 8, 9, 19, 5};
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(browser->toolbarItems[i].idCommand, ids[i]) << i;
  EXPECT_TRUE(SendMessageA(browser->toolbar(), TB_ISBUTTONCHECKED, 19, 0));

  fw::ComPtr<IOleWindow> ole;
  EXPECT_EQ(view->QueryInterface(IID_IOleWindow, ole.putVoid()), S_OK);
  HWND got = nullptr;
  EXPECT_EQ(ole->GetWindow(&got), S_OK);
  EXPECT_EQ(got, window);
  EXPECT_EQ(view->ContextSensitiveHelp(TRUE), E_NOTIMPL);
  EXPECT_EQ(view->EnableModeless(TRUE), E_NOTIMPL);
  MSG msg = {window, WM_KEYDOWN, VK_F5, 0, 0, {0, 0}};
  EXPECT_EQ(view->TranslateAccelerator(&msg), S_FALSE);
  FOLDERSETTINGS info = {};
  EXPECT_EQ(view->GetCurrentInfo(&info), S_OK);
  EXPECT_EQ(info.ViewMode, static_cast<UINT>(FVM_DETAILS));
  EXPECT_EQ(view->SaveViewState(), S_OK);
  EXPECT_EQ(view->SelectItem(nullptr, 0), E_NOTIMPL);
  EXPECT_EQ(view->AddPropertySheetPages(0, nullptr, 0), E_NOTIMPL);
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(view->GetItemObject(SVGIO_SELECTION, IID_IContextMenu, &object), E_NOTIMPL);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(view->Refresh(), S_OK);
  EXPECT_EQ(ListView_GetItemCount(list), 2);
  shot("shellext_root_details");
}

TEST_F(ShellViewHost, ActivationMergesTheMenusAndSetsTheStatusText) {
  fw::ComPtr<IShellFolder> adapter = bind(adapters[0].get());
  open(adapter.get(), FVM_ICON);
  EXPECT_EQ(columnTitle(0), "Device Name");
  EXPECT_EQ(columnTitle(1), "Vendor - Revision");
  EXPECT_EQ(view->UIActivate(SVUIA_ACTIVATE_FOCUS), S_OK);
  ASSERT_NE(browser->menu, nullptr);
  EXPECT_EQ(browser->menuActiveWindow, window);
  using V = std::vector<std::string>;
  EXPECT_EQ(browser->submenuTexts(FCIDM_MENU_VIEW),
            V({"&Status Bar", "-", "Lar&ge Icons", "S&mall Icons", "&List", "&Details", "-",
               "Arrange &Icons", "-", "Folder &Options..."}));
  EXPECT_EQ(browser->submenuTexts(FCIDM_MENU_TOOLS),
            V({"Map &Network Drive...", "-", "Seldarn Application"}));
  EXPECT_EQ(browser->statusText(), "Velmora Scsi Explorer");
  // The radio mark follows the view mode.
  HMENU viewMenu = GetSubMenu(browser->menu, 2);
  SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(viewMenu), 2);
  MENUITEMINFOA state = {};
  state.cbSize = sizeof state;
  state.fMask = MIIM_STATE;
  GetMenuItemInfoA(viewMenu, 7, FALSE, &state);
  EXPECT_TRUE(state.fState & MFS_CHECKED);

  EXPECT_EQ(view->UIActivate(SVUIA_ACTIVATE_FOCUS), S_OK);  // the same state: nothing
  EXPECT_EQ(browser->removedMenus, 0);
  EXPECT_EQ(view->UIActivate(SVUIA_DEACTIVATE), S_OK);
  EXPECT_EQ(browser->menu, nullptr);
  EXPECT_EQ(browser->removedMenus, 1);
  SendMessageA(window, WM_SETFOCUS, 0, 0);
  EXPECT_GE(browser->activeReports, 1);
  EXPECT_NE(browser->menu, nullptr);

  // The root's Tools menu is the browser's own; its Arrange menu sorts adapters.
  view->DestroyViewWindow();
  view.reset();
  open(root.get(), FVM_ICON);
  view->UIActivate(SVUIA_ACTIVATE_NOFOCUS);
  EXPECT_EQ(browser->submenuTexts(FCIDM_MENU_TOOLS), V({"Map &Network Drive..."}));
}

TEST_F(ShellViewHost, DevicesInEachViewModeWithTheirImagesAndColumns) {
  fw::ComPtr<IShellFolder> adapter = bind(adapters[0].get());
  open(adapter.get(), FVM_ICON);
  ASSERT_EQ(ListView_GetItemCount(list), 4);
  // Sorted by path (sort key 0): names in order.
  EXPECT_EQ(column0(), std::vector<std::string>({"CDR-48S         ", "QX-18LVD        ",
                                                 "STORAGE BRIDGE  ", "TDL-80          "}));
  EXPECT_EQ(cell(1, 1), "QUORIX 0911");
  // CD-ROM 0, disk 5, type 11 shows image 11 in the list, tape 10.
  EXPECT_EQ(image(0), 0);
  EXPECT_EQ(image(1), 5);
  EXPECT_EQ(image(2), 11);
  EXPECT_EQ(image(3), 10);
  shot("shellext_devices_large");
  const struct {
    int command;
    DWORD style;
    const char* shotName;
  } modes[] = {{8, LVS_SMALLICON, "shellext_devices_small"},
               {9, LVS_LIST, "shellext_devices_list"},
               {19, LVS_REPORT, "shellext_devices_details"},
               {7, LVS_ICON, nullptr}};
  for (const auto& mode : modes) {
    command(mode.command);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(list, GWL_STYLE) & LVS_TYPEMASK), mode.style);
    EXPECT_TRUE(SendMessageA(browser->toolbar(), TB_ISBUTTONCHECKED, mode.command, 0)) << mode.command;
    if (mode.shotName) shot(mode.shotName);
  }
}

TEST_F(ShellViewHost, SortCommandsReorderTheList) {
  open(root.get(), FVM_DETAILS);
  command(14);  // by adapter number
  EXPECT_EQ(column0(), std::vector<std::string>({FIELD(records[0].displayName),
                                                 FIELD(records[1].displayName)}));
  command(13);  // by driver name: AVOCET before KESTREL
  EXPECT_EQ(column0(), std::vector<std::string>({FIELD(records[1].displayName),
                                                 FIELD(records[0].displayName)}));
  // Equal adapter numbers compare 0 under key 14.
  command(14);
  EXPECT_EQ(root->CompareIDs(0, adapters[1].get(), adapters[1].get()), S_OK);
  EXPECT_EQ(static_cast<short>(HRESULT_CODE(root->CompareIDs(0, adapters[1].get(), adapters[0].get()))), 1);

  view->DestroyViewWindow();
  view.reset();
  fw::ComPtr<IShellFolder> adapter = bind(adapters[1].get());
  open(adapter.get(), FVM_DETAILS);
  command(15);  // vendor: ARVELL, MIRLOW, TESSELL
  EXPECT_EQ(column0(), std::vector<std::string>({"ENCLOSURE SEP   ", "FLATSCAN 1200   ",
                                                 "TLA-8 LOADER    "}));
  command(17);  // target: 1, 6, 9
  EXPECT_EQ(column0(), std::vector<std::string>({"FLATSCAN 1200   ", "ENCLOSURE SEP   ",
                                                 "TLA-8 LOADER    "}));
  command(16);  // name
  EXPECT_EQ(column0(), std::vector<std::string>({"ENCLOSURE SEP   ", "FLATSCAN 1200   ",
                                                 "TLA-8 LOADER    "}));
  shot("shellext_devices_by_name");
}

TEST_F(ShellViewHost, ActivatingADeviceOpensItsPropertiesAndCommandsGoToTheSelection) {
  fw::ComPtr<IShellFolder> adapter = bind(adapters[0].get());
  open(adapter.get(), FVM_DETAILS);
  view->UIActivate(SVUIA_ACTIVATE_FOCUS);
  ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  driver.expect("QUORIX QX-18LVD         Properties",
                [](HWND sheet) { orvtest::pressButton(sheet, IDCANCEL); });
  NMITEMACTIVATE activate = {};
  activate.hdr.hwndFrom = list;
  activate.hdr.idFrom = 2000;
  activate.hdr.code = LVN_ITEMACTIVATE;
  activate.iItem = 1;
  SendMessageA(window, WM_NOTIFY, 2000, reinterpret_cast<LPARAM>(&activate));
  EXPECT_TRUE(driver.allDone());

  driver.expect("QUORIX QX-18LVD         Properties",
                [](HWND sheet) { orvtest::pressButton(sheet, IDCANCEL); });
  command(3);
  EXPECT_TRUE(driver.allDone());

  // Tools' "Seldarn Application" in an adapter folder and label editing refused.
  driver.expect(FIELD(records[0].displayName) + " Seldarn(TM)",
                [](HWND sheet) { PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); });
  command(4);
  EXPECT_TRUE(driver.allDone());
  NMLVDISPINFOA edit = {};
  edit.hdr.hwndFrom = list;
  edit.hdr.code = LVN_BEGINLABELEDITA;
  EXPECT_EQ(SendMessageA(window, WM_NOTIFY, 2000, reinterpret_cast<LPARAM>(&edit)), TRUE);
  edit.hdr.code = LVN_ENDLABELEDITA;
  EXPECT_EQ(SendMessageA(window, WM_NOTIFY, 2000, reinterpret_cast<LPARAM>(&edit)), FALSE);
  NMTTDISPINFOA tip = {};
  tip.hdr.idFrom = 8;
  tip.hdr.code = TTN_NEEDTEXTA;
  SendMessageA(window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
  EXPECT_STREQ(tip.szText, "S&mall Icons");
}

// The popup of a right click, seen from inside its own menu loop and then closed.
std::vector<std::string> g_popupTexts;
bool g_popupShot = false;
void CALLBACK lookAtPopup(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  if (HWND popup = FindWindowA("#32768", nullptr)) {
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
    if (menu) g_popupTexts = menuTexts(menu);
    RedrawWindow(popup, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
    g_popupShot = !orvtest::saveScreenshot(nullptr, "shellext_context_menu").empty();
  }
  EndMenu();
}

TEST_F(ShellViewHost, RightClickOnAnAdapterShowsItsMenuWhereTheBrowserHasATree) {
  open(root.get(), FVM_DETAILS, true);
  view->UIActivate(SVUIA_ACTIVATE_FOCUS);
  ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  RECT row = {};
  ListView_GetItemRect(list, 0, &row, LVIR_LABEL);
  POINT at = {row.left + 20, row.top + 4};
  ClientToScreen(list, &at);
  g_popupTexts.clear();
  SetTimer(nullptr, 0, 0, &lookAtPopup);
  SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(at.x, at.y));
  EXPECT_TRUE(g_popupShot);
  EXPECT_EQ(g_popupTexts,
            std::vector<std::string>({"*&Explore", "&Open", "-", "P&roperties", "&Seldarn"}));
  EXPECT_TRUE(driver.allDone());
}

TEST_F(ShellViewHost, ActivatingAnAdapterBrowsesToItWhenTheShellCannotOpenIt) {
  open(root.get(), FVM_DETAILS, true);
  ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  // As a browser does: leaving the folder destroys and releases the view at once.
  browser->onBrowse = [this] {
    view->DestroyViewWindow();
    view.reset();
  };
  NMITEMACTIVATE activate = {};
  activate.hdr.hwndFrom = list;
  activate.hdr.idFrom = 2000;
  activate.hdr.code = LVN_ITEMACTIVATE;
  activate.iItem = 1;
  SendMessageA(window, WM_NOTIFY, 2000, reinterpret_cast<LPARAM>(&activate));
  pumpMessages();
  EXPECT_FALSE(view);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(browser->browseFlags, static_cast<UINT>(SBSP_DEFBROWSER | SBSP_ABSOLUTE));
  // My Computer's list followed by the adapter's identifier.
  LPITEMIDLIST computer = nullptr;
  ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
  const UINT prefix = ILGetSize(computer) - 2;
  CoTaskMemFree(computer);
  ASSERT_EQ(browser->browsed.size(), prefix + kItemCb + 2);
  // The second row (sorted by name) is the second adapter.
  const BYTE* item = browser->browsed.data() + prefix;
  EXPECT_EQ(item[2], 1);
  inv::HostAdapterInfo copy;
  std::memcpy(&copy, item + 6, sizeof copy);
  EXPECT_EQ(copy.adapterNumber, records[1].adapterNumber);
  EXPECT_EQ(FIELD(copy.displayName), FIELD(records[1].displayName));
}

TEST_F(ShellViewHost, ModuleMayUnloadOnceEverythingIsReleased) {
  open(root.get(), FVM_LIST);
  HIMAGELIST images = ListView_GetImageList(list, LVSIL_NORMAL);
  ASSERT_NE(images, nullptr);
  EXPECT_GT(ImageList_GetImageCount(images), 0);
  EXPECT_EQ(canUnloadNow(), S_FALSE);
  view->DestroyViewWindow();
  view.reset();
  adapters.clear();
  root.reset();
  // The module's image lists go when it may unload, not later from DllMain.
  EXPECT_EQ(canUnloadNow(), S_OK);
  EXPECT_EQ(ImageList_GetImageCount(images), 0);
}

// Identifier copies in the task allocator, counted while a view lives: each row owns one.
// Registered once for the process and never revoked: COM keeps calling a revoked spy for
// the blocks allocated while it was registered.
class TaskAllocations : public IMallocSpy {
 public:
  static TaskAllocations& watch(size_t size) {
    static TaskAllocations* spy = [] {
      auto* made = new TaskAllocations;
      made->registered_ = SUCCEEDED(CoRegisterMallocSpy(made));
      return made;
    }();
    spy->size_ = size;
    spy->live_.clear();
    return *spy;
  }
  bool registered() const { return registered_; }
  // Blocks of the watched size allocated since watch() and not yet freed.
  size_t live() const { return live_.size(); }

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IMallocSpy)) {
      *out = static_cast<IMallocSpy*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T request) override {
    request_ = request;
    return request;
  }
  STDMETHODIMP_(void*) PostAlloc(void* actual) override {
    if (actual && request_ == size_) live_.push_back(actual);
    return actual;
  }
  STDMETHODIMP_(void*) PreFree(void* request, BOOL) override {
    live_.erase(std::remove(live_.begin(), live_.end(), request), live_.end());
    return request;
  }
  STDMETHODIMP_(void) PostFree(BOOL) override {}
  STDMETHODIMP_(SIZE_T) PreRealloc(void* request, SIZE_T size, void** newRequest, BOOL) override {
    live_.erase(std::remove(live_.begin(), live_.end(), request), live_.end());
    *newRequest = request;
    request_ = size;
    return size;
  }
  STDMETHODIMP_(void*) PostRealloc(void* actual, BOOL) override {
    if (actual && request_ == size_) live_.push_back(actual);
    return actual;
  }
  STDMETHODIMP_(void*) PreGetSize(void* request, BOOL) override { return request; }
  STDMETHODIMP_(SIZE_T) PostGetSize(SIZE_T actual, BOOL) override { return actual; }
  STDMETHODIMP_(void*) PreDidAlloc(void* request, BOOL) override { return request; }
  STDMETHODIMP_(int) PostDidAlloc(void*, BOOL, int actual) override { return actual; }
  STDMETHODIMP_(void) PreHeapMinimize() override {}
  STDMETHODIMP_(void) PostHeapMinimize() override {}

 private:
  TaskAllocations() = default;
  size_t size_ = 0;
  SIZE_T request_ = 0;
  std::vector<void*> live_;
  bool registered_ = false;
};

// The rows' identifier copies are freed however the view goes: through DestroyViewWindow
// (the list's deletion notifications reach the view) or by its last Release alone.
TEST_F(ShellViewHost, RowCopiesAreFreedHoweverTheViewGoes) {
  for (bool destroyFirst : {true, false}) {
    SCOPED_TRACE(destroyFirst ? "DestroyViewWindow, then Release" : "Release alone");
    TaskAllocations& copies = TaskAllocations::watch(kItemCb + 2);
    ASSERT_TRUE(copies.registered());
    open(root.get(), FVM_DETAILS);
    EXPECT_GE(copies.live(), static_cast<size_t>(ListView_GetItemCount(list)));
    EXPECT_EQ(ListView_GetItemCount(list), 2);
    if (destroyFirst) {
      EXPECT_EQ(view->DestroyViewWindow(), S_OK);
    }
    view.reset();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(copies.live(), 0u);
    browser.reset();
  }
}

// A View menu that takes no item: the Arrange Icons popup made for it goes again, each
// time the view merges its menus.
TEST_F(ShellViewHost, APopupThatItsMenuDidNotTakeIsDestroyed) {
  browser = std::make_unique<FakeBrowser>(false);
  browser->staleViewMenu = true;
  ASSERT_EQ(root->CreateViewObject(browser->frame(), IID_IShellView, view.putVoid()), S_OK);
  FOLDERSETTINGS settings = {FVM_ICON, 0};
  RECT area = browser->viewArea();
  ASSERT_EQ(view->CreateViewWindow(nullptr, &settings, browser.get(), &area, &window), S_OK);
  auto cycle = [&] {
    view->UIActivate(SVUIA_ACTIVATE_FOCUS);
    view->UIActivate(SVUIA_DEACTIVATE);
  };
  cycle();
  const long before = soak::measure().user;
  for (int i = 0; i < 12; ++i) cycle();
  EXPECT_LT(soak::measure().user - before, 6) << "menus left behind by the merges";
}

}  // namespace
