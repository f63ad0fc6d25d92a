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

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  // Only on FreeLibrary: at process end the common controls may be gone already.
  if (reason == DLL_PROCESS_DETACH && !reserved) shx::FenwoldApp::instance().end();
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  shx::FenwoldApp::instance().start();
  return fw::getClassObject(shx::kFactories, clsid, iid, out);
}

STDAPI DllCanUnloadNow() { return fw::moduleCanUnload() ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
  return shx::registerFolder(reinterpret_cast<HMODULE>(fw::resourceModule()));
}

STDAPI DllUnregisterServer() { return shx::unregisterFolder(); }
