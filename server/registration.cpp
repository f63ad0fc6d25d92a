#include "server/registration.h"

#include <olectl.h>

#include "corvath_idl.h"
#include "framework/comreg.h"
#include "framework/text.h"

namespace srv {
namespace {

std::string subkey(const std::string& key, const char* name) {
  return fw::format("%s\\%s", key.c_str(), name);
}

std::string classKey() { return "CLSID\\" + fw::guidText(CLSID_CorvathObj); }
std::string interfaceKey() { return "Interface\\" + fw::guidText(DIID_ICorvathObj); }

std::string modulePath(HMODULE module) {
  char path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
  return (n == 0 || n >= MAX_PATH) ? std::string() : std::string(path, n);
}

}  // namespace

HRESULT registerServer(HMODULE module) {
  if (FAILED(fw::registerModuleTypeLib(module))) return SELFREG_E_TYPELIB;

  const std::string path = modulePath(module);
  if (path.empty()) return SELFREG_E_CLASS;
  const std::string clsid = fw::guidText(CLSID_CorvathObj);
  const std::string cls = classKey();
  struct Entry {
    std::string key;
    const char* name;  // null: the default value
    std::string value;
  };
  const Entry entries[] = {
      {kProgId, nullptr, kClassDescription},
      {subkey(kProgId, "CLSID"), nullptr, clsid},
      {subkey(kProgId, "CurVer"), nullptr, kVersionedProgId},
      {kVersionedProgId, nullptr, kClassDescription},
      {subkey(kVersionedProgId, "CLSID"), nullptr, clsid},
      {cls, nullptr, kClassDescription},
      {subkey(cls, "ProgID"), nullptr, kVersionedProgId},
      {subkey(cls, "VersionIndependentProgID"), nullptr, kProgId},
      {subkey(cls, "InprocServer32"), nullptr, path},
      {subkey(cls, "InprocServer32"), "ThreadingModel", "Apartment"},
  };
  for (const Entry& e : entries) {
    if (FAILED(fw::setClassesText(e.key, e.name, e.value))) return SELFREG_E_CLASS;
  }
  return S_OK;
}

std::vector<std::string> unregistrationKeys() {
  const std::string cls = classKey();
  const std::string itf = interfaceKey();
  return {
      subkey(kProgId, "CurVer"),
      subkey(kProgId, "CLSID"),
      kProgId,
      subkey(kVersionedProgId, "CLSID"),
      kVersionedProgId,
      subkey(cls, "ProgID"),
      subkey(cls, "VersionIndependentProgID"),
      subkey(cls, "InprocServer32"),
      cls,
      subkey(itf, "ProxyStubClsid"),
      subkey(itf, "ProxyStubClsid32"),
      subkey(itf, "TypeLib"),
      itf,
  };
}

HRESULT unregisterServer() {
  // Not registered (TYPE_E_LIBNOTREGISTERED) is the normal case of a second run.
  fw::unregisterTypeLib(LIBID_Corvath, kTypeLibMajor, kTypeLibMinor, 0);
  for (const std::string& key : unregistrationKeys()) fw::deleteClassesKey(key);
  return S_OK;
}

}  // namespace srv
