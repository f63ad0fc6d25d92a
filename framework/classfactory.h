// The class factory of an in-process server's creatable class, and the lookup that
// DllGetClassObject runs over the module's factories.
//
//   fw::ClassFactory g_factory(CLSID_Thing, &fw::createObject<CThing>);
//   STDAPI DllGetClassObject(REFCLSID c, REFIID i, void** o) {
//     static fw::ClassFactory* const all[] = {&g_factory};
//     return fw::getClassObject(all, c, i, o);
//   }
//
// Factories are static objects: their references count as module locks, so a client
// holding a factory keeps the module loaded, as LockServer does.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstddef>
#include <new>

namespace fw {

using CreateInstanceFn = HRESULT (*)(REFIID iid, void** out);

class ClassFactory : public IClassFactory {
 public:
  ClassFactory(const CLSID& clsid, CreateInstanceFn create) : clsid_(clsid), create_(create) {}
  ClassFactory(const ClassFactory&) = delete;
  ClassFactory& operator=(const ClassFactory&) = delete;

  const CLSID& clsid() const { return clsid_; }

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  // Aggregation is not supported (CLASS_E_NOAGGREGATION).
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override;
  STDMETHODIMP LockServer(BOOL lock) override;

 private:
  CLSID clsid_;
  CreateInstanceFn create_;
};

// DllGetClassObject over the given factories: CLASS_E_CLASSNOTAVAILABLE for another class.
HRESULT getClassObject(ClassFactory* const* factories, size_t count, REFCLSID clsid,
                       REFIID iid, void** out);
template <size_t N>
HRESULT getClassObject(ClassFactory* const (&factories)[N], REFCLSID clsid, REFIID iid,
                       void** out) {
  return getClassObject(factories, N, clsid, iid, out);
}

// Creates a T (constructed with a reference count of 1) and asks it for iid.
template <class T>
HRESULT createObject(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  T* object = nullptr;
  try {
    object = new T();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
  HRESULT hr = object->QueryInterface(iid, out);
  object->Release();
  return hr;
}

}  // namespace fw
