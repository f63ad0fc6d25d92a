// Corvath's exported entry points. Start-up runs on the first request for the class
// object (not in DllMain, where loading libraries and showing messages risk the loader
// lock) and module exit when COM asks whether the module may go and it may.
#include <windows.h>

#include "corvath_idl.h"
#include "framework/classfactory.h"
#include "framework/modulelock.h"
#include "server/corvath_obj.h"
#include "server/module.h"
#include "server/registration.h"

namespace {

fw::ClassFactory g_corvathObjFactory(CLSID_CorvathObj, &srv::createCorvathObj);
fw::ClassFactory* const kFactories[] = {&g_corvathObjFactory};

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_CorvathObj)) return CLASS_E_CLASSNOTAVAILABLE;
  // A failed start-up has shown its message; the client's creation fails.
  if (!srv::corvathModule().start()) return HRESULT_FROM_WIN32(ERROR_DLL_INIT_FAILED);
  return fw::getClassObject(kFactories, clsid, iid, out);
}

STDAPI DllCanUnloadNow() {
  if (!fw::moduleCanUnload()) return S_FALSE;
  // COM may now free the module: release the manager while that is still safe. A later
  // request for the class object starts the module again.
  srv::corvathModule().stop();
  return S_OK;
}

STDAPI DllRegisterServer() { return srv::registerServer(srv::corvathModule().instance()); }

STDAPI DllUnregisterServer() { return srv::unregisterServer(); }
