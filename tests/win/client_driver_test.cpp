// CorvathObjDriver against a recording IDispatch: each operation must be exactly one
// Invoke of its dispatch id, as a method, with the interface's argument types in
// DISPPARAMS order (last argument first), and must read the result it is given.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/corvath_obj_driver.h"

namespace {

struct Recorded {
  DISPID id;
  WORD flags;
  std::vector<VARTYPE> types;  // rgvarg order
  std::vector<long> values;    // rgvarg order
  bool wantsResult;
};

class RecordingDispatch : public IDispatch {
 public:
  std::vector<Recorded> calls;
  VARIANT answer;  // what every Invoke returns in pVarResult
  HRESULT failure = S_OK;
  LONG refs = 1;

  RecordingDispatch() { VariantInit(&answer); }
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  STDMETHODIMP GetTypeInfoCount(UINT* n) override { return *n = 0, S_OK; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT* result,
                      EXCEPINFO*, UINT*) override {
    Recorded r{id, flags, {}, {}, result != nullptr};
    for (UINT i = 0; i < p->cArgs; ++i) {
      r.types.push_back(V_VT(&p->rgvarg[i]));
      const VARIANT& v = p->rgvarg[i];
      r.values.push_back(V_VT(&v) == VT_I2   ? V_I2(&v)
                         : V_VT(&v) == VT_I8 ? static_cast<long>(V_I8(&v))
                                             : V_I4(&v));
    }
    EXPECT_EQ(p->cNamedArgs, 0u);
    calls.push_back(r);
    if (FAILED(failure)) return failure;
    if (result) VariantCopy(result, &answer);
    return S_OK;
  }
};

void answerI4(RecordingDispatch& d, long value) {
  V_VT(&d.answer) = VT_I4;
  V_I4(&d.answer) = value;
}

TEST(CorvathObjDriver, EachOperationIsOneMethodCallWithTheInterfaceTypes) {
  RecordingDispatch fake;
  CorvathObjDriver driver;
  fake.AddRef();
  driver.attach(&fake);
  ASSERT_TRUE(driver.valid());
  answerI4(fake, 0x1234);

  driver.ShowDeviceList(0x1000);
  EXPECT_EQ(driver.GetHostAdaptersCount(), 0x1234);
  EXPECT_EQ(driver.GetHostAdaptersList(), 0x1234);
  driver.ShowHostAdapterProperty(0x2000, 1);
  driver.ShowDeviceProperty(0x3000);
  EXPECT_EQ(driver.GetDeviceIcon(5), 0x1234);
  EXPECT_EQ(driver.GetHostAdapterIcon(), 0x1234);
  EXPECT_EQ(driver.GetScsiLogoIcon(), 0x1234);
  driver.ShowVelmoraAboutDialog();
  EXPECT_EQ(driver.GetVelmoraIcon(), 0x1234);
  EXPECT_EQ(driver.GetAppListCount(255), 0x1234);  // converted to the short it is
  driver.GetAppList(3, 0x4000);
  driver.ShowSeldarn(0x5000);

  struct Expected {
    DISPID id;
    std::vector<VARTYPE> types;
    std::vector<long> values;
    bool result;
  };
  // Addresses go as VT_I4 in the 32-bit build and as VT_I8 in the 64-bit one.
  const VARTYPE a = sizeof(void*) == 8 ? VT_I8 : VT_I4;
  const std::vector<Expected> expected = {
      {1, {a}, {0x1000}, false},
      {2, {}, {}, true},
      {3, {}, {}, true},
      {4, {VT_I2, a}, {1, 0x2000}, false},
      {5, {a}, {0x3000}, false},
      {6, {VT_I2}, {5}, true},
      {7, {}, {}, true},
      {8, {}, {}, true},
      {9, {}, {}, false},
      {10, {}, {}, true},
      {11, {VT_I2}, {255}, true},
      {12, {a, VT_I2}, {0x4000, 3}, false},
      {13, {a}, {0x5000}, false},
  };
  ASSERT_EQ(fake.calls.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("dispatch id " + std::to_string(expected[i].id));
    EXPECT_EQ(fake.calls[i].id, expected[i].id);
    EXPECT_EQ(fake.calls[i].flags, DISPATCH_METHOD);
    EXPECT_EQ(fake.calls[i].types, expected[i].types);
    EXPECT_EQ(fake.calls[i].values, expected[i].values);
    EXPECT_EQ(fake.calls[i].wantsResult, expected[i].result);
  }
  EXPECT_EQ(driver.lastError(), S_OK);
  driver.release();
  EXPECT_EQ(fake.refs, 1);
}

TEST(CorvathObjDriver, FailuresGiveZeroAndTheirResult) {
  CorvathObjDriver none;
  EXPECT_FALSE(none.valid());
  EXPECT_EQ(none.GetHostAdaptersCount(), 0);
  EXPECT_EQ(none.lastError(), E_POINTER);
  none.ShowSeldarn(1);  // harmless without an object

  RecordingDispatch fake;
  CorvathObjDriver driver;
  fake.AddRef();
  driver.attach(&fake);
  fake.failure = DISP_E_MEMBERNOTFOUND;
  EXPECT_EQ(driver.GetVelmoraIcon(), 0);
  EXPECT_EQ(driver.lastError(), DISP_E_MEMBERNOTFOUND);

  // A result that cannot be read as the expected type counts as a failure.
  fake.failure = S_OK;
  V_VT(&fake.answer) = VT_BSTR;
  V_BSTR(&fake.answer) = SysAllocString(L"not a number");
  EXPECT_EQ(driver.GetHostAdaptersList(), 0);
  EXPECT_EQ(driver.lastError(), DISP_E_TYPEMISMATCH);
  VariantClear(&fake.answer);

  EXPECT_EQ(driver.detach(), &fake);
  EXPECT_FALSE(driver.valid());
  EXPECT_EQ(fake.refs, 2);  // detach handed the reference back
}

TEST(CorvathObjDriver, CreateFailsCleanlyForAnUnknownProgId) {
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  {
    CorvathObjDriver driver;
    EXPECT_FALSE(driver.create("Corvath.NoSuchObject"));
    EXPECT_FALSE(driver.valid());
    EXPECT_TRUE(FAILED(driver.lastError()));
  }
  CoUninitialize();
}

}  // namespace
