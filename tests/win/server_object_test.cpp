// CorvathObj as a front end uses it: created by ProgID through COM, every dispatch id
// called through CorvathObjDriver, on the simulated bus beside the test.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "client/corvath_obj_driver.h"
#include "contract/records.h"
#include "framework/comptr.h"
#include "tests/support/modal_driver.h"
#include "tests/win/server_support.h"

namespace {

using CanUnloadFn = HRESULT(WINAPI*)();

// An element of GetAppList's array as a client declares it (784 bytes).
#pragma pack(push, 1)
struct ClientAppRecord {
  char name[260];
  char path[260];
  char description[260];
  uint32_t icon;
};
#pragma pack(pop)
static_assert(sizeof(ClientAppRecord) == 784, "AppDescriptor as the clients see it");

class ServerObject : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(servertest::registerCorvath(), S_OK);
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
  }
  void TearDown() override {
    // Any message box the server shows unexpectedly is closed and reported.
    EXPECT_TRUE(driver.unexpected().empty()) << driver.unexpected().front();
    CoUninitialize();
  }
  HRESULT canUnloadNow() {
    HMODULE dll = GetModuleHandleA("corvath.dll");
    if (!dll) return E_FAIL;
    auto fn = reinterpret_cast<CanUnloadFn>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
    return fn ? fn() : E_FAIL;
  }

  orvtest::ModalDriver driver;
};

TEST_F(ServerObject, AdapterCountAndListComeFromTheSimulatedBus) {
  CorvathObjDriver corvath;
  ASSERT_TRUE(corvath.create()) << std::hex << corvath.lastError();
  const long count = corvath.GetHostAdaptersCount();
  EXPECT_GT(count, 0);
  const intptr_t list = corvath.GetHostAdaptersList();
  ASSERT_NE(list, 0);
  EXPECT_EQ(corvath.GetHostAdaptersList(), list);  // built once per object
  const auto* records = CorvathObjDriver::records<inv::HostAdapterInfo>(list);
  EXPECT_EQ(records[0].adapterCount, count);

  // A second object has its own array.
  CorvathObjDriver other;
  ASSERT_TRUE(other.create());
  const intptr_t otherList = other.GetHostAdaptersList();
  EXPECT_NE(otherList, 0);
  EXPECT_NE(otherList, list);
}

TEST_F(ServerObject, IconsAreSharedAndChosenByTheLowByteOfTheType) {
  CorvathObjDriver corvath;
  ASSERT_TRUE(corvath.create());
  const long disk = corvath.GetDeviceIcon(0);
  ASSERT_NE(disk, 0);
  EXPECT_EQ(corvath.GetDeviceIcon(5), corvath.GetDeviceIcon(4));
  EXPECT_EQ(corvath.GetDeviceIcon(11), corvath.GetHostAdapterIcon());
  EXPECT_EQ(corvath.GetDeviceIcon(256), disk);
  EXPECT_EQ(corvath.GetDeviceIcon(-256), disk);
  EXPECT_EQ(corvath.GetDeviceIcon(0x1F), corvath.GetDeviceIcon(12));  // both "other"

  // Every type and fixed icon is a real 32x32 icon; the distinct ones differ.
  std::set<long> distinct;
  for (int type : {0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 31}) {
    long icon = corvath.GetDeviceIcon(static_cast<short>(type));
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(static_cast<intptr_t>(icon)), &info)) << type;
    BITMAP bm = {};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 32) << type;
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    distinct.insert(icon);
  }
  EXPECT_EQ(distinct.size(), 12u);
  const long logo = corvath.GetScsiLogoIcon(), maker = corvath.GetVelmoraIcon();
  EXPECT_NE(logo, 0);
  EXPECT_NE(maker, 0);
  EXPECT_EQ(distinct.count(logo) + distinct.count(maker), 0u);
  EXPECT_NE(logo, maker);
  // Shared handles: asking again gives the same handle.
  EXPECT_EQ(corvath.GetScsiLogoIcon(), logo);
  EXPECT_EQ(corvath.lastError(), S_OK);
}

TEST_F(ServerObject, EveryDispatchIdAnswersAsAMethod) {
  CorvathObjDriver corvath;
  ASSERT_TRUE(corvath.create());
  const intptr_t list = corvath.GetHostAdaptersList();
  ASSERT_NE(list, 0);
  const auto* adapter = CorvathObjDriver::records<inv::HostAdapterInfo>(list);
  const intptr_t device = CorvathObjDriver::address(&adapter->devices[0]);

  // Windows that other parts of the suite add open through these; until then they
  // return at once without showing anything. The device list, the sheets and the About
  // box run modally and return when they close.
  driver.expect(std::string(adapter->displayName) + " Devices",
                [](HWND window) { orvtest::pressButton(window, IDCANCEL); });
  corvath.ShowDeviceList(list);
  EXPECT_EQ(corvath.lastError(), S_OK);
  driver.expect(std::string(adapter->displayName) + " Properties",
                [](HWND window) { orvtest::pressButton(window, IDCANCEL); });
  corvath.ShowHostAdapterProperty(list, 0);
  EXPECT_EQ(corvath.lastError(), S_OK);
  driver.expect("ARVELL HD-73U320        Properties",
                [](HWND window) { orvtest::pressButton(window, IDCANCEL); });
  corvath.ShowDeviceProperty(device);
  EXPECT_EQ(corvath.lastError(), S_OK);
  driver.expect("About Velmora SCSI Explorer",
                [](HWND window) { orvtest::pressButton(window, IDOK); });
  corvath.ShowVelmoraAboutDialog();
  EXPECT_EQ(corvath.lastError(), S_OK);
  EXPECT_TRUE(driver.allDone());
  driver.expect(std::string(adapter->displayName) + " Seldarn(TM)",
                [](HWND sheet) { PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); });
  corvath.ShowSeldarn(list);
  EXPECT_EQ(corvath.lastError(), S_OK);
  EXPECT_TRUE(driver.allDone());
  EXPECT_GE(corvath.GetAppListCount(255), 0);
  EXPECT_EQ(corvath.lastError(), S_OK);
  corvath.GetAppList(255, 0);  // no array: nothing written
  EXPECT_EQ(corvath.lastError(), S_OK);

  // Late-bound callers by name, and a call that is not a method.
  LPOLESTR name[] = {const_cast<LPOLESTR>(L"gethostadapterscount")};
  DISPID id = 0;
  EXPECT_EQ(corvath.dispatch()->GetIDsOfNames(IID_NULL, name, 1, 0, &id), S_OK);
  EXPECT_EQ(id, 2);
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(corvath.dispatch()->Invoke(14, IID_NULL, 0, DISPATCH_METHOD, &none, &result, nullptr,
                                       nullptr),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(corvath.dispatch()->Invoke(6, IID_NULL, 0, DISPATCH_METHOD, &none, &result, nullptr,
                                       nullptr),
            DISP_E_BADPARAMCOUNT);
}

// The per-user application list; the key is shared with the list's own tests, which
// never run at the same time as this one (RESOURCE_LOCK hkcu_applist).
constexpr const char* kAppListKey = "Software\\Velmora\\Orvane\\6.0\\AppList";

void setApp(const char* name, const std::string& data) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kAppListKey, &key), ERROR_SUCCESS);
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                 static_cast<DWORD>(data.size() + 1));
  RegCloseKey(key);
}

TEST_F(ServerObject, ApplicationListCrossesTheInterfaceByTheLowByteOfTheType) {
  RegDeleteKeyA(HKEY_CURRENT_USER, kAppListKey);
  const std::string program = servertest::binFolder() + "server_object_test.exe";
  setApp("Recorder", program + "#0105");
  setApp("Viewer", program);
  CorvathObjDriver corvath;
  ASSERT_TRUE(corvath.create());
  EXPECT_EQ(corvath.GetAppListCount(255), 2);
  EXPECT_EQ(corvath.GetAppListCount(5), 1);
  EXPECT_EQ(corvath.GetAppListCount(0x105), 1);
  EXPECT_EQ(corvath.GetAppListCount(0), 0);

  std::vector<ClientAppRecord> apps(3);
  std::memset(apps.data(), 0, apps.size() * sizeof apps[0]);
  corvath.GetAppList(0x105, CorvathObjDriver::address(apps.data()));
  EXPECT_STREQ(apps[0].name, "Recorder");
  EXPECT_EQ(program, apps[0].path);
  EXPECT_NE(apps[0].icon, 0u);  // the program's own icon from the shell
  EXPECT_EQ(apps[1].name[0], 0) << "written past the count";
  RegDeleteKeyA(HKEY_CURRENT_USER, kAppListKey);
}

// Texts the object and its module take from Corvath's string table: the sheet titles
// and the suite's per-user key, below which the application list lies.
TEST_F(ServerObject, SheetTitlesAndTheSuiteKeyAreInTheStringTable) {
  CorvathObjDriver corvath;
  ASSERT_TRUE(corvath.create());
  HMODULE dll = GetModuleHandleA("corvath.dll");
  ASSERT_NE(dll, nullptr);
  const struct {
    UINT id;
    const char* text;
  } strings[] = {{105, "%s %s Properties"},
                 {106, "Software\\Velmora\\Orvane\\6.0"},
                 {121, "%s Properties"},
                 {122, "%s Seldarn(TM)"}};
  for (const auto& s : strings) {
    char text[128] = {};
    LoadStringA(dll, s.id, text, sizeof text);
    EXPECT_STREQ(text, s.text) << s.id;
  }
}

TEST_F(ServerObject, TypeInformationDescribesTheInterface) {
  CorvathObjDriver corvath;
  ASSERT_TRUE(corvath.create());
  fw::ComPtr<IUnknown> own;
  EXPECT_EQ(corvath.dispatch()->QueryInterface(servertest::kIid, own.putVoid()), S_OK);

  UINT count = 0;
  ASSERT_EQ(corvath.dispatch()->GetTypeInfoCount(&count), S_OK);
  ASSERT_EQ(count, 1u);
  fw::ComPtr<ITypeInfo> info;
  ASSERT_EQ(corvath.dispatch()->GetTypeInfo(0, 0, info.put()), S_OK);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
  EXPECT_TRUE(IsEqualGUID(attr->guid, servertest::kIid));
  const WORD functions = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  ASSERT_EQ(functions, 13);

  struct Expected {
    const wchar_t* name;
    VARTYPE result;
    std::wstring params;  // "name:vt,..."
  };
  // Addresses are VT_I4 (3) in the 32-bit library and VT_I8 (20) in the 64-bit one.
  const bool wide = sizeof(void*) == 8;
  const VARTYPE address = wide ? VT_I8 : VT_I4;
  const std::wstring a = wide ? L"20" : L"3";
  const Expected expected[] = {
      {L"ShowDeviceList", VT_VOID, L"pHA:" + a},
      {L"GetHostAdaptersCount", VT_I4, L""},
      {L"GetHostAdaptersList", address, L""},
      {L"ShowHostAdapterProperty", VT_VOID, L"HAptr:" + a + L",Page:2"},
      {L"ShowDeviceProperty", VT_VOID, L"DevPtr:" + a},
      {L"GetDeviceIcon", VT_I4, L"DevType:2"},
      {L"GetHostAdapterIcon", VT_I4, L""},
      {L"GetScsiLogoIcon", VT_I4, L""},
      {L"ShowVelmoraAboutDialog", VT_VOID, L""},
      {L"GetVelmoraIcon", VT_I4, L""},
      {L"GetAppListCount", VT_I2, L"DevType:2"},
      {L"GetAppList", VT_VOID, L"DevType:2,pAppDescr:" + a},
      {L"ShowSeldarn", VT_VOID, L"HAptr:" + a},
  };
  for (UINT i = 0; i < 13; ++i) {
    FUNCDESC* f = nullptr;
    ASSERT_EQ(info->GetFuncDesc(i, &f), S_OK);
    EXPECT_EQ(f->memid, static_cast<MEMBERID>(i + 1));
    EXPECT_EQ(f->invkind, INVOKE_FUNC);
    EXPECT_EQ(f->elemdescFunc.tdesc.vt, expected[i].result) << i + 1;
    BSTR names[8] = {};
    UINT got = 0;
    ASSERT_EQ(info->GetNames(f->memid, names, 8, &got), S_OK);
    std::wstring params;
    for (UINT p = 1; p < got; ++p) {
      if (p > 1) params += L",";
      params += std::wstring(names[p]) + L":" +
                std::to_wstring(f->lprgelemdescParam[p - 1].tdesc.vt);
    }
    EXPECT_EQ(std::wstring(names[0]), expected[i].name);
    EXPECT_EQ(params, expected[i].params) << i + 1;
    EXPECT_EQ(got, static_cast<UINT>(f->cParams + 1));
    for (UINT p = 0; p < got; ++p) SysFreeString(names[p]);
    info->ReleaseFuncDesc(f);
  }
}

TEST_F(ServerObject, ModuleMayUnloadOnlyWhenTheLastObjectIsGone) {
  CorvathObjDriver first, second;
  ASSERT_TRUE(first.create());
  ASSERT_TRUE(second.create());
  EXPECT_EQ(canUnloadNow(), S_FALSE);
  first.release();
  EXPECT_EQ(canUnloadNow(), S_FALSE);
  second.release();
  EXPECT_EQ(canUnloadNow(), S_OK);

  // The module starts again for the next object, manager and all.
  CorvathObjDriver again;
  ASSERT_TRUE(again.create());
  EXPECT_GT(again.GetHostAdaptersCount(), 0);
  EXPECT_NE(again.GetHostAdaptersList(), 0);
  again.release();
  EXPECT_EQ(canUnloadNow(), S_OK);
}

}  // namespace
