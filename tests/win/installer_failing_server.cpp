// A server whose registration writes part of its keys and then fails, the way a server
// does that cannot create one of its keys: setup has to take back that key as well as
// everything it did before.
#include <windows.h>
#include <olectl.h>

namespace {
constexpr char kKey[] = "OrvaneSetupTest.FailingServer";
}

STDAPI DllRegisterServer() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
      ERROR_SUCCESS)
    RegCloseKey(key);
  return SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
  RegDeleteKeyA(HKEY_CLASSES_ROOT, kKey);
  return S_OK;
}
