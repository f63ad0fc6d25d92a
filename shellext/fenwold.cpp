// Fenwold's exported entry points and the folder's class factory.
#include <windows.h>

#include "framework/classfactory.h"
#include "framework/module.h"
#include "framework/modulelock.h"
#include "shellext/module.h"
#include "shellext/registration.h"
#include "shellext/shell_folder.h"

namespace shx {
namespace {

// The shell keeps the module loaded through its folder objects, not through LockServer.
class FolderFactory : public fw::ClassFactory {
 public:
  using fw::ClassFactory::ClassFactory;
  STDMETHODIMP LockServer(BOOL) override { return E_NOTIMPL; }
};

FolderFactory g_factory(CLSID_FenwoldFolder, &createRootFolder);
fw::ClassFactory* const kFactories[] = {&g_factory};

}  // namespace
}  // namespace shx

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  shx::FenwoldApp::instance().start();
  return fw::getClassObject(shx::kFactories, clsid, iid, out);
}

STDAPI DllCanUnloadNow() {
  if (!fw::moduleCanUnload()) return S_FALSE;
  // Nothing uses the image lists any more; the next enumerator makes them again. (Here,
  // not from DllMain: comctl32 must not be called under the loader lock.)
  shx::FenwoldApp::instance().end();
  return S_OK;
}

STDAPI DllRegisterServer() {
  return shx::registerFolder(reinterpret_cast<HMODULE>(fw::resourceModule()));
}

STDAPI DllUnregisterServer() { return shx::unregisterFolder(); }
