// The dispatch table, automation object and class factory of the framework, driven the
// way automation clients drive them: through IDispatch with DISPPARAMS built by hand.
#include <windows.h>
#include <gtest/gtest.h>

#include <vector>

#include "framework/classfactory.h"
#include "framework/comptr.h"
#include "framework/dispatch.h"
#include "framework/modulelock.h"

namespace {

// {6F1B6A52-3C2E-4D43-9A0B-5E2C7D9B1A01}
const IID kCalcIid = {0x6f1b6a52, 0x3c2e, 0x4d43, {0x9a, 0x0b, 0x5e, 0x2c, 0x7d, 0x9b, 0x1a, 0x01}};
const CLSID kCalcClsid = {0x6f1b6a52, 0x3c2e, 0x4d43, {0x9a, 0x0b, 0x5e, 0x2c, 0x7d, 0x9b, 0x1a, 0x02}};

extern const fw::DispatchTable kCalcTable;

class Calc : public fw::AutomationObject {
 public:
  Calc() : AutomationObject(this, kCalcTable, kCalcIid) { ++alive; }
  ~Calc() override { --alive; }
  static int alive;

  long subtract(long a, short b) { return a - b; }
  short half(short value) { return static_cast<short>(value / 2); }
  void remember(long value) { last = value; }
  fw::Address echo(fw::Address address) { return address; }
  long last = 0;
};
int Calc::alive = 0;

HRESULT failingHandler(void*, const fw::DispatchArgs&, VARIANT&) { return E_ACCESSDENIED; }
HRESULT throwingHandler(void*, const fw::DispatchArgs&, VARIANT&) { throw 42; }
// Answers in another type than declared; the table converts.
HRESULT textHandler(void*, const fw::DispatchArgs&, VARIANT& result) {
  V_VT(&result) = VT_BSTR;
  V_BSTR(&result) = SysAllocString(L"123");
  return S_OK;
}

constexpr fw::DispatchMember kCalcMembers[] = {
    fw::dispatchMethod<&Calc::subtract>(1, "Subtract"),
    fw::dispatchMethod<&Calc::half>(2, "Half"),
    fw::dispatchMethod<&Calc::remember>(3, "Remember"),
    {4, "Refuse", VT_EMPTY, {}, &failingHandler},
    {5, "Throw", VT_I4, {}, &throwingHandler},
    {6, "Text", VT_I4, {}, &textHandler},
    fw::dispatchMethod<&Calc::echo>(7, "Echo"),
};
const fw::DispatchTable kCalcTable(kCalcMembers);

static_assert(kCalcMembers[0].argTypes[0] == VT_I4 && kCalcMembers[0].argTypes[1] == VT_I2 &&
                  kCalcMembers[0].argTypes[2] == VT_EMPTY && kCalcMembers[0].resultType == VT_I4,
              "types follow the signature");
static_assert(kCalcMembers[2].resultType == VT_EMPTY, "void means no result");
static_assert(kCalcMembers[6].argTypes[0] == fw::kAddressType &&
                  kCalcMembers[6].resultType == fw::kAddressType &&
                  kCalcMembers[6].addressArgs == 1 && kCalcMembers[0].addressArgs == 0,
              "addresses are marked and of the width's type");
static_assert(fw::kAddressType == (sizeof(void*) == 8 ? VT_I8 : VT_I4), "width's address type");

VARIANT i4(long v) {
  VARIANT x;
  VariantInit(&x);
  V_VT(&x) = VT_I4;
  V_I4(&x) = v;
  return x;
}

VARIANT bstr(const wchar_t* text) {
  VARIANT x;
  VariantInit(&x);
  V_VT(&x) = VT_BSTR;
  V_BSTR(&x) = SysAllocString(text);
  return x;
}

struct Call {
  HRESULT hr;
  VARIANT result;
  UINT argError;
};

// Invokes with the arguments given first-to-last (stored last-first, as clients do).
Call invoke(IDispatch* d, DISPID id, std::vector<VARIANT> args, WORD flags = DISPATCH_METHOD) {
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr,
                       static_cast<UINT>(reversed.size()), 0};
  Call call{};
  VariantInit(&call.result);
  call.argError = 0xDEAD;
  call.hr = d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &call.result, nullptr,
                      &call.argError);
  for (VARIANT& v : reversed) VariantClear(&v);
  return call;
}

fw::ComPtr<IDispatch> newCalc() {
  fw::ComPtr<IDispatch> d;
  EXPECT_EQ(fw::createObject<Calc>(IID_IDispatch, d.putVoid()), S_OK);
  return d;
}

TEST(FrameworkDispatch, NamesMatchWithoutRegardToCase) {
  fw::ComPtr<IDispatch> d = newCalc();
  for (const wchar_t* name : {L"Subtract", L"subtract", L"SUBTRACT"}) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = 0;
    EXPECT_EQ(d->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, 1);
  }
  LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"Subtrac"), const_cast<LPOLESTR>(L"a")};
  DISPID ids[2] = {0, 0};
  EXPECT_EQ(d->GetIDsOfNames(IID_NULL, unknown, 1, LOCALE_USER_DEFAULT, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], DISPID_UNKNOWN);
  // A parameter name is not known, but the member still gets its id.
  unknown[0] = const_cast<LPOLESTR>(L"half");
  EXPECT_EQ(d->GetIDsOfNames(IID_NULL, unknown, 2, LOCALE_USER_DEFAULT, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], 2);
  EXPECT_EQ(ids[1], DISPID_UNKNOWN);
  EXPECT_EQ(d->GetIDsOfNames(kCalcIid, unknown, 1, LOCALE_USER_DEFAULT, ids),
            DISP_E_UNKNOWNINTERFACE);
}

TEST(FrameworkDispatch, ArgumentsArriveInDeclarationOrderCoercedToTheirTypes) {
  fw::ComPtr<IDispatch> d = newCalc();
  Call c = invoke(d.get(), 1, {i4(10), i4(3)});
  ASSERT_EQ(c.hr, S_OK);
  EXPECT_EQ(V_VT(&c.result), VT_I4);
  EXPECT_EQ(V_I4(&c.result), 7);  // 10 - 3, not 3 - 10

  // Scripts pass numbers as text or doubles; by-reference arguments are followed.
  LONG referenced = 100;
  VARIANT byRef;
  VariantInit(&byRef);
  V_VT(&byRef) = VT_I4 | VT_BYREF;
  V_I4REF(&byRef) = &referenced;
  c = invoke(d.get(), 1, {byRef, bstr(L"40")});
  ASSERT_EQ(c.hr, S_OK);
  EXPECT_EQ(V_I4(&c.result), 60);

  VARIANT real;
  VariantInit(&real);
  V_VT(&real) = VT_R8;
  V_R8(&real) = 9.0;
  c = invoke(d.get(), 2, {real}, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
  ASSERT_EQ(c.hr, S_OK);
  EXPECT_EQ(V_VT(&c.result), VT_I2);
  EXPECT_EQ(V_I2(&c.result), 4);
}

TEST(FrameworkDispatch, ResultsHaveTheDeclaredTypeOrNone) {
  fw::ComPtr<IDispatch> d = newCalc();
  Call c = invoke(d.get(), 6, {});
  ASSERT_EQ(c.hr, S_OK);
  EXPECT_EQ(V_VT(&c.result), VT_I4);
  EXPECT_EQ(V_I4(&c.result), 123);

  c = invoke(d.get(), 3, {i4(5)});
  EXPECT_EQ(c.hr, S_OK);
  EXPECT_EQ(V_VT(&c.result), VT_EMPTY);

  // No result slot at all is fine for a member with a result.
  VARIANT args[] = {i4(1), i4(2)};
  DISPPARAMS params = {args, nullptr, 2, 0};
  EXPECT_EQ(d->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
}

TEST(FrameworkDispatch, CallErrorsAreReportedPrecisely) {
  fw::ComPtr<IDispatch> d = newCalc();
  EXPECT_EQ(invoke(d.get(), 99, {}).hr, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(invoke(d.get(), 1, {i4(1), i4(2)}, DISPATCH_PROPERTYGET).hr, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(invoke(d.get(), 1, {i4(1), i4(2)}, DISPATCH_PROPERTYPUT).hr, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(invoke(d.get(), 1, {i4(1)}).hr, DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(invoke(d.get(), 1, {i4(1), i4(2), i4(3)}).hr, DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(invoke(d.get(), 6, {i4(1)}).hr, DISP_E_BADPARAMCOUNT);

  // The first declared argument is the last slot of rgvarg; puArgErr names the slot.
  Call c = invoke(d.get(), 1, {bstr(L"ten"), i4(2)});
  EXPECT_EQ(c.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(c.argError, 1u);
  c = invoke(d.get(), 1, {i4(10), i4(70000)});  // does not fit a short
  EXPECT_EQ(c.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(c.argError, 0u);
  VARIANT missing;
  VariantInit(&missing);
  V_VT(&missing) = VT_ERROR;
  V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
  c = invoke(d.get(), 1, {missing, i4(1)});
  EXPECT_EQ(c.hr, DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(c.argError, 1u);
  // Other failures leave puArgErr alone.
  c = invoke(d.get(), 1, {i4(1)});
  EXPECT_EQ(c.argError, 0xDEADu);

  VARIANT args[] = {i4(1)};
  DISPID named = 0;
  DISPPARAMS withNames = {args, &named, 1, 1};
  EXPECT_EQ(d->Invoke(3, IID_NULL, 0, DISPATCH_METHOD, &withNames, nullptr, nullptr, nullptr),
            DISP_E_NONAMEDARGS);
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  EXPECT_EQ(d->Invoke(6, kCalcIid, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
            DISP_E_UNKNOWNINTERFACE);

  // A handler's failure is the call's; a C++ exception never crosses the interface.
  c = invoke(d.get(), 4, {});
  EXPECT_EQ(c.hr, E_ACCESSDENIED);
  c = invoke(d.get(), 5, {});
  EXPECT_EQ(c.hr, E_UNEXPECTED);
  EXPECT_EQ(V_VT(&c.result), VT_EMPTY);
}

TEST(FrameworkDispatch, ObjectAnswersItsInterfacesAndHoldsTheModule) {
  const long before = fw::moduleLockCount();
  {
    fw::ComPtr<IDispatch> d = newCalc();
    EXPECT_EQ(Calc::alive, 1);
    EXPECT_EQ(fw::moduleLockCount(), before + 1);
    fw::ComPtr<IUnknown> unknown, own, other;
    EXPECT_EQ(d->QueryInterface(IID_IUnknown, unknown.putVoid()), S_OK);
    EXPECT_EQ(d->QueryInterface(kCalcIid, own.putVoid()), S_OK);
    EXPECT_EQ(static_cast<void*>(unknown.get()), static_cast<void*>(d.get()));
    EXPECT_EQ(d->QueryInterface(IID_IClassFactory, other.putVoid()), E_NOINTERFACE);
    EXPECT_FALSE(other);
    // Without a type library in the module there is no type information.
    UINT count = 9;
    EXPECT_EQ(d->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    fw::ComPtr<ITypeInfo> info;
    EXPECT_EQ(d->GetTypeInfo(0, 0, info.put()), DISP_E_BADINDEX);
  }
  EXPECT_EQ(Calc::alive, 0);
  EXPECT_EQ(fw::moduleLockCount(), before);
}

TEST(FrameworkClassFactory, CreatesLocksAndRefusesAggregation) {
  static fw::ClassFactory factory(kCalcClsid, &fw::createObject<Calc>);
  static fw::ClassFactory* const all[] = {&factory};
  ASSERT_TRUE(fw::moduleCanUnload());

  fw::ComPtr<IClassFactory> cf;
  EXPECT_EQ(fw::getClassObject(all, kCalcIid, IID_IClassFactory, cf.putVoid()),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_FALSE(cf);
  ASSERT_EQ(fw::getClassObject(all, kCalcClsid, IID_IClassFactory, cf.putVoid()), S_OK);
  EXPECT_FALSE(fw::moduleCanUnload());  // a held factory keeps the module

  fw::ComPtr<IDispatch> d;
  EXPECT_EQ(cf->CreateInstance(nullptr, IID_IDispatch, d.putVoid()), S_OK);
  Call c = invoke(d.get(), 1, {i4(5), i4(1)});
  EXPECT_EQ(V_I4(&c.result), 4);
  fw::ComPtr<IUnknown> aggregated;
  EXPECT_EQ(cf->CreateInstance(d.get(), IID_IUnknown, aggregated.putVoid()),
            CLASS_E_NOAGGREGATION);
  EXPECT_FALSE(aggregated);
  fw::ComPtr<IUnknown> wrong;
  EXPECT_EQ(cf->CreateInstance(nullptr, IID_IClassFactory, wrong.putVoid()), E_NOINTERFACE);
  EXPECT_EQ(Calc::alive, 1);  // the refused object was not leaked

  EXPECT_EQ(cf->LockServer(TRUE), S_OK);
  cf.reset();
  d.reset();
  EXPECT_FALSE(fw::moduleCanUnload());
  EXPECT_EQ(factory.LockServer(FALSE), S_OK);
  EXPECT_TRUE(fw::moduleCanUnload());
}

// An address goes out in the width's type and comes back from whatever a client holds
// it in. In the 64-bit build that is any integral VARIANT, a double holding a whole
// number (script engines) and any of them by reference (script variables); a fraction,
// a negative or text is no address.
TEST(FrameworkDispatch, AddressesRoundTripInTheTypesClientsHoldThem) {
  fw::ComPtr<IDispatch> d = newCalc();
  static int target;
  const intptr_t address = reinterpret_cast<intptr_t>(&target);
  auto echoes = [&](VARIANT arg) {
    Call c = invoke(d.get(), 7, {arg});
    if (c.hr != S_OK) return c.hr;
    EXPECT_EQ(V_VT(&c.result), fw::kAddressType);
    const intptr_t back = fw::kAddressType == VT_I8 ? static_cast<intptr_t>(V_I8(&c.result))
                                                    : static_cast<intptr_t>(V_I4(&c.result));
    EXPECT_EQ(back, address);
    return c.hr;
  };
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_R8;
  V_R8(&v) = static_cast<double>(address);
  EXPECT_EQ(echoes(v), S_OK);
  if (fw::kAddressType == VT_I4) {
    V_VT(&v) = VT_I4;
    V_I4(&v) = static_cast<LONG>(address);
    EXPECT_EQ(echoes(v), S_OK);
    return;
  }
  V_VT(&v) = VT_I8;
  V_I8(&v) = address;
  EXPECT_EQ(echoes(v), S_OK);
  V_VT(&v) = VT_UI8;
  V_UI8(&v) = static_cast<ULONGLONG>(address);
  EXPECT_EQ(echoes(v), S_OK);
  VARIANT held;  // a script variable, passed by reference
  VariantInit(&held);
  V_VT(&held) = VT_I8;
  V_I8(&held) = address;
  V_VT(&v) = VT_VARIANT | VT_BYREF;
  V_VARIANTREF(&v) = &held;
  EXPECT_EQ(echoes(v), S_OK);

  // VT_I4 carries the low 32 bits, read as unsigned.
  Call c = invoke(d.get(), 7, {i4(-2)});
  ASSERT_EQ(c.hr, S_OK);
  EXPECT_EQ(V_I8(&c.result), 0xFFFFFFFELL);

  V_VT(&v) = VT_R8;
  V_R8(&v) = static_cast<double>(address) + 0.5;
  EXPECT_EQ(echoes(v), DISP_E_TYPEMISMATCH);
  V_R8(&v) = -4096.0;
  EXPECT_EQ(echoes(v), DISP_E_TYPEMISMATCH);
  V_VT(&v) = VT_I8;
  V_I8(&v) = -4096;
  EXPECT_EQ(echoes(v), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(echoes(bstr(L"4096")), DISP_E_TYPEMISMATCH);
}

}  // namespace
