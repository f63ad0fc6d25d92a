// IDispatch from a table of members, so that an automation object is a class with plain
// C++ methods plus one constexpr array naming them:
//
//   class CCalc : public fw::AutomationObject {
//    public:
//     CCalc() : AutomationObject(this, kCalcTable, DIID_ICalc) {}
//     long add(long a, short b) { return a + b; }
//     void reset() {}
//   };
//   constexpr fw::DispatchMember kCalcMembers[] = {
//       fw::dispatchMethod<&CCalc::add>(1, "Add"),      // VT_I4, VT_I2 -> VT_I4
//       fw::dispatchMethod<&CCalc::reset>(2, "Reset"),  // no arguments, no result
//   };
//   const fw::DispatchTable kCalcTable(kCalcMembers);
//
// The argument and result types follow from the method's signature (long/int -> VT_I4,
// short -> VT_I2, fw::Address -> the width's address type, void -> no result, fw::Status ->
// no result but Invoke answers that status). Members are methods only (DISPATCH_METHOD) and
// take no named arguments. Invoke coerces each argument with VariantChangeType and
// answers DISP_E_MEMBERNOTFOUND, DISP_E_BADPARAMCOUNT, DISP_E_NONAMEDARGS, or
// DISP_E_TYPEMISMATCH / DISP_E_PARAMNOTFOUND with puArgErr = the argument's index in
// rgvarg (which holds the arguments last-first). GetIDsOfNames matches member names
// without regard to case, so scripts can call by name.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstddef>
#include <type_traits>
#include <utility>

#include "framework/comptr.h"
#include "framework/modulelock.h"

namespace fw {

constexpr int kMaxDispatchArgs = 4;

// An address of this process crossing the interface: VT_I4 in the 32-bit build, VT_I8
// in the 64-bit one. As an argument, the 64-bit build takes any VARIANT that holds such
// an address whole (see coerceAddress); the 32-bit build coerces to VT_I4 as for long.
enum class Address : intptr_t {};
constexpr VARTYPE kAddressType = sizeof(void*) == 8 ? VT_I8 : VT_I4;

// The result of a member that answers no value but may refuse its call: the HRESULT that
// Invoke answers (kDone, or an error such as E_INVALIDARG for an argument that names
// nothing the object has). It crosses the interface as no value, like void.
enum class Status : HRESULT {};
constexpr Status kDone = static_cast<Status>(S_OK);
constexpr Status status(HRESULT hr) { return static_cast<Status>(hr); }

inline Address toAddress(const void* p) { return static_cast<Address>(reinterpret_cast<intptr_t>(p)); }
template <class T>
inline T* fromAddress(Address a) {
  return reinterpret_cast<T*>(static_cast<intptr_t>(a));
}

// An address argument out of a caller's VARIANT (by reference or not) into a VARIANT of
// kAddressType. In the 64-bit build: VT_I4 (read as unsigned: its 32 bits are all the
// address there is), VT_UI4, VT_I8, VT_UI8, VT_I2, VT_UI2, VT_I1, VT_UI1, VT_INT,
// VT_UINT, and VT_R8/VT_R4 holding a whole number (script engines pass numbers as
// doubles); anything else, a fraction, a negative or an out-of-range number is
// DISP_E_TYPEMISMATCH.
HRESULT coerceAddress(VARIANT& out, const VARIANT& in);

// The coerced arguments of one call, in declaration order.
class DispatchArgs {
 public:
  DispatchArgs(const VARIANT* values, int count) : values_(values), count_(count) {}
  int count() const { return count_; }
  const VARIANT& at(int index) const { return values_[index]; }

 private:
  const VARIANT* values_;
  int count_;
};

// Runs one member on the object given to invoke(). result is VT_EMPTY on entry; for a
// member with a result it is converted to the member's result type afterwards.
using DispatchHandler = HRESULT (*)(void* object, const DispatchArgs& args, VARIANT& result);

struct DispatchMember {
  DISPID id;
  const char* name;                    // ASCII
  VARTYPE resultType;                  // VT_EMPTY: the member returns nothing
  VARTYPE argTypes[kMaxDispatchArgs];  // declared arguments; VT_EMPTY after the last
  DispatchHandler handler;
  unsigned addressArgs = 0;            // bit i: argument i is an fw::Address

  int argCount() const;
};

class DispatchTable {
 public:
  template <size_t N>
  constexpr DispatchTable(const DispatchMember (&members)[N]) : members_(members), count_(N) {}

  const DispatchMember* find(DISPID id) const;
  const DispatchMember* find(const OLECHAR* name) const;  // case-insensitive
  size_t size() const { return count_; }
  const DispatchMember& operator[](size_t i) const { return members_[i]; }

  // IDispatch::GetIDsOfNames: names[0] is the member; further names (parameter names)
  // are not known and come back as DISPID_UNKNOWN with DISP_E_UNKNOWNNAME.
  HRESULT getIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) const;
  // IDispatch::Invoke on object (handed to the member's handler).
  HRESULT invoke(void* object, DISPID id, REFIID riid, WORD flags, DISPPARAMS* params,
                 VARIANT* result, EXCEPINFO* exception, UINT* argError) const;

 private:
  const DispatchMember* members_;
  size_t count_;
};

// Member rows made from a method's signature ---------------------------------------

namespace detail {

template <class T>
constexpr VARTYPE varType() {
  if constexpr (std::is_void_v<T> || std::is_same_v<T, Status>) {
    return VT_EMPTY;
  } else if constexpr (std::is_same_v<T, short>) {
    return VT_I2;
  } else if constexpr (std::is_same_v<T, long> || std::is_same_v<T, int>) {
    return VT_I4;
  } else if constexpr (std::is_same_v<T, Address>) {
    return kAddressType;
  } else {
    static_assert(sizeof(T) == 0, "no automation type for this C++ type");
    return VT_EMPTY;
  }
}

template <class T>
T fromVariant(const VARIANT& v) {
  if constexpr (std::is_same_v<T, short>) {
    return V_I2(&v);
  } else if constexpr (std::is_same_v<T, Address> && kAddressType == VT_I8) {
    return static_cast<Address>(V_I8(&v));
  } else {
    return static_cast<T>(V_I4(&v));
  }
}

template <class T>
void toVariant(VARIANT& v, T value) {
  V_VT(&v) = varType<T>();
  if constexpr (std::is_same_v<T, short>) {
    V_I2(&v) = value;
  } else if constexpr (std::is_same_v<T, Address> && kAddressType == VT_I8) {
    V_I8(&v) = static_cast<LONGLONG>(value);
  } else {
    V_I4(&v) = static_cast<LONG>(value);
  }
}

template <class M>
struct MethodTraits;

template <class T, class R, class... P>
struct MethodTraits<R (T::*)(P...)> {
  using Object = T;
  using Result = R;
  static constexpr size_t kArgCount = sizeof...(P);

  template <R (T::*M)(P...), size_t... I>
  static HRESULT call(void* object, const DispatchArgs& args, VARIANT& result,
                      std::index_sequence<I...>) {
    T* self = static_cast<T*>(object);
    if constexpr (std::is_void_v<R>) {
      (self->*M)(fromVariant<P>(args.at(static_cast<int>(I)))...);
    } else if constexpr (std::is_same_v<R, Status>) {
      return static_cast<HRESULT>((self->*M)(fromVariant<P>(args.at(static_cast<int>(I)))...));
    } else {
      toVariant<R>(result, (self->*M)(fromVariant<P>(args.at(static_cast<int>(I)))...));
    }
    return S_OK;
  }

  static constexpr DispatchMember member(DISPID id, const char* name, DispatchHandler handler) {
    static_assert(sizeof...(P) <= kMaxDispatchArgs, "too many arguments");
    DispatchMember row{id, name, varType<R>(), {}, handler, 0};
    VARTYPE types[] = {varType<P>()..., VT_EMPTY};
    bool addresses[] = {std::is_same_v<P, Address>..., false};
    for (size_t i = 0; i < sizeof...(P); ++i) {
      row.argTypes[i] = types[i];
      if (addresses[i]) row.addressArgs |= 1u << i;
    }
    return row;
  }
};

template <auto M>
HRESULT callMethod(void* object, const DispatchArgs& args, VARIANT& result) {
  using Traits = MethodTraits<decltype(M)>;
  return Traits::template call<M>(object, args, result,
                                  std::make_index_sequence<Traits::kArgCount>());
}

}  // namespace detail

// A table row for a member function: types from its signature, the object given to
// invoke() is taken as the method's class.
template <auto M>
constexpr DispatchMember dispatchMethod(DISPID id, const char* name) {
  return detail::MethodTraits<decltype(M)>::member(id, name, &detail::callMethod<M>);
}

// A COM object answering IUnknown, IDispatch and its dispatch interface id through a
// table. Reference counted; deleted on the last Release. Holds a module lock while it
// lives. Its type information comes from the type library embedded in the module
// (TYPELIB 1), when there is one that describes the interface.
class AutomationObject : public IDispatch {
 public:
  // target: the object the table's handlers run on (the derived object's this).
  AutomationObject(void* target, const DispatchTable& table, const IID& interfaceId);
  AutomationObject(const AutomationObject&) = delete;
  AutomationObject& operator=(const AutomationObject&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                             DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

 protected:
  virtual ~AutomationObject();

 private:
  ITypeInfo* typeInfo();

  void* target_;
  const DispatchTable& table_;
  IID interfaceId_;
  LONG refs_ = 1;
  ModuleLock lock_;
  ComPtr<ITypeInfo> typeInfo_;
  bool typeInfoLoaded_ = false;
};

}  // namespace fw
