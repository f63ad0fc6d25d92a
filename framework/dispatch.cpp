#include "framework/dispatch.h"

#include <cstdint>
#include <new>

#include "framework/module.h"

namespace fw {
namespace {

wchar_t lowerAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? c - L'A' + L'a' : c; }

bool sameName(const OLECHAR* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    if (lowerAscii(*a) != lowerAscii(static_cast<unsigned char>(*b))) return false;
  }
  return *a == 0 && *b == 0;
}

// Releases the coerced copies of the arguments however invoke() leaves.
struct ArgumentCopies {
  VARIANT values[kMaxDispatchArgs];
  ArgumentCopies() {
    for (VARIANT& v : values) VariantInit(&v);
  }
  ~ArgumentCopies() {
    for (VARIANT& v : values) VariantClear(&v);
  }
};

bool isMissingArgument(const VARIANT& v) {
  return V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND;
}

// A whole number in [0, 2^64) out of a double, exactly.
bool wholeAddress(double d, ULONGLONG& out) {
  if (!(d >= 0.0) || d >= 18446744073709551616.0) return false;  // NaN, negative, too large
  const ULONGLONG n = static_cast<ULONGLONG>(d);
  if (static_cast<double>(n) != d) return false;  // a fraction
  out = n;
  return true;
}

}  // namespace

HRESULT coerceAddress(VARIANT& out, const VARIANT& in) {
  if constexpr (kAddressType == VT_I4) {
    return VariantChangeType(&out, const_cast<VARIANT*>(&in), 0, VT_I4);
  } else {
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = VariantCopyInd(&value, const_cast<VARIANT*>(&in));
    if (FAILED(hr)) return hr == E_OUTOFMEMORY ? hr : DISP_E_TYPEMISMATCH;
    ULONGLONG address = 0;
    bool ok = true;
    switch (V_VT(&value)) {
      case VT_I1: ok = V_I1(&value) >= 0; address = static_cast<ULONGLONG>(V_I1(&value)); break;
      case VT_UI1: address = V_UI1(&value); break;
      case VT_I2: ok = V_I2(&value) >= 0; address = static_cast<ULONGLONG>(V_I2(&value)); break;
      case VT_UI2: address = V_UI2(&value); break;
      case VT_I4: address = static_cast<ULONG>(V_I4(&value)); break;
      case VT_INT: address = static_cast<ULONG>(V_INT(&value)); break;
      case VT_UI4: address = V_UI4(&value); break;
      case VT_UINT: address = V_UINT(&value); break;
      case VT_I8: ok = V_I8(&value) >= 0; address = static_cast<ULONGLONG>(V_I8(&value)); break;
      case VT_UI8: address = V_UI8(&value); break;
      case VT_R8: ok = wholeAddress(V_R8(&value), address); break;
      case VT_R4: ok = wholeAddress(V_R4(&value), address); break;
      default: ok = false; break;
    }
    VariantClear(&value);
    if (!ok || address > static_cast<ULONGLONG>(INTPTR_MAX)) return DISP_E_TYPEMISMATCH;
    VariantClear(&out);
    V_VT(&out) = VT_I8;
    V_I8(&out) = static_cast<LONGLONG>(address);
    return S_OK;
  }
}

int DispatchMember::argCount() const {
  int n = 0;
  while (n < kMaxDispatchArgs && argTypes[n] != VT_EMPTY) ++n;
  return n;
}

const DispatchMember* DispatchTable::find(DISPID id) const {
  for (size_t i = 0; i < count_; ++i) {
    if (members_[i].id == id) return &members_[i];
  }
  return nullptr;
}

const DispatchMember* DispatchTable::find(const OLECHAR* name) const {
  if (!name) return nullptr;
  for (size_t i = 0; i < count_; ++i) {
    if (sameName(name, members_[i].name)) return &members_[i];
  }
  return nullptr;
}

HRESULT DispatchTable::getIDsOfNames(REFIID riid, LPOLESTR* names, UINT count,
                                     DISPID* ids) const {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (!names || !ids || count == 0) return E_INVALIDARG;
  const DispatchMember* member = find(names[0]);
  ids[0] = member ? member->id : DISPID_UNKNOWN;
  for (UINT i = 1; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  return member && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT DispatchTable::invoke(void* object, DISPID id, REFIID riid, WORD flags,
                              DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                              UINT* argError) const {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  const DispatchMember* member = find(id);
  if (!member || !(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;

  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  if (!params) params = &none;
  if (params->cNamedArgs > 0) return DISP_E_NONAMEDARGS;
  const int count = member->argCount();
  if (params->cArgs != static_cast<UINT>(count)) return DISP_E_BADPARAMCOUNT;
  if (count > 0 && !params->rgvarg) return E_INVALIDARG;

  // rgvarg holds the arguments last-first; declared argument i is at cArgs-1-i.
  ArgumentCopies copies;
  for (int i = 0; i < count; ++i) {
    const UINT slot = params->cArgs - 1 - static_cast<UINT>(i);
    VARIANT& source = params->rgvarg[slot];
    HRESULT hr;
    if (isMissingArgument(source)) {
      hr = DISP_E_PARAMNOTFOUND;
    } else if (member->addressArgs & (1u << i)) {
      hr = coerceAddress(copies.values[i], source);
    } else {
      hr = VariantChangeType(&copies.values[i], &source, 0, member->argTypes[i]);
    }
    if (FAILED(hr)) {
      if (hr == E_OUTOFMEMORY) return hr;
      if (argError) *argError = slot;
      return hr == DISP_E_PARAMNOTFOUND ? DISP_E_PARAMNOTFOUND : DISP_E_TYPEMISMATCH;
    }
  }

  VARIANT value;
  VariantInit(&value);
  HRESULT hr;
  try {
    hr = member->handler(object, DispatchArgs(copies.values, count), value);
  } catch (const std::bad_alloc&) {
    hr = E_OUTOFMEMORY;
  } catch (...) {
    hr = E_UNEXPECTED;
  }
  if (SUCCEEDED(hr) && member->resultType != VT_EMPTY && V_VT(&value) != member->resultType) {
    hr = VariantChangeType(&value, &value, 0, member->resultType);
  }
  if (FAILED(hr) || member->resultType == VT_EMPTY || !result) {
    VariantClear(&value);
    if (result) VariantInit(result);
    return FAILED(hr) ? hr : S_OK;
  }
  *result = value;  // ownership moves to the caller
  return S_OK;
}

// AutomationObject -------------------------------------------------------------------

AutomationObject::AutomationObject(void* target, const DispatchTable& table,
                                   const IID& interfaceId)
    : target_(target), table_(table), interfaceId_(interfaceId) {}

AutomationObject::~AutomationObject() = default;

STDMETHODIMP AutomationObject::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
      IsEqualIID(riid, interfaceId_)) {
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) AutomationObject::AddRef() { return InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) AutomationObject::Release() {
  LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

ITypeInfo* AutomationObject::typeInfo() {
  if (!typeInfoLoaded_) {
    typeInfoLoaded_ = true;
    WCHAR path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(resourceModule(), path, MAX_PATH);
    ComPtr<ITypeLib> library;
    // A module without an embedded type library simply has no type information.
    if (n > 0 && n < MAX_PATH && SUCCEEDED(LoadTypeLibEx(path, REGKIND_NONE, library.put()))) {
      if (FAILED(library->GetTypeInfoOfGuid(interfaceId_, typeInfo_.put()))) typeInfo_.reset();
    }
  }
  return typeInfo_.get();
}

STDMETHODIMP AutomationObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = typeInfo() ? 1 : 0;
  return S_OK;
}

STDMETHODIMP AutomationObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  ITypeInfo* ti = typeInfo();
  if (index != 0 || !ti) return DISP_E_BADINDEX;
  ti->AddRef();
  *info = ti;
  return S_OK;
}

STDMETHODIMP AutomationObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                             DISPID* ids) {
  return table_.getIDsOfNames(riid, names, count, ids);
}

STDMETHODIMP AutomationObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags,
                                      DISPPARAMS* params, VARIANT* result,
                                      EXCEPINFO* exception, UINT* argError) {
  // Keep the object alive through a handler that runs a modal loop.
  AddRef();
  HRESULT hr = table_.invoke(target_, id, riid, flags, params, result, exception, argError);
  Release();
  return hr;
}

}  // namespace fw
