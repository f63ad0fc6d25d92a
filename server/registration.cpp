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

struct Entry {
  std::string key;
  const char* name;  // null: the default value
  std::string value;
};

HRESULT writeEntries(const Entry* begin, const Entry* end) {
  for (const Entry* e = begin; e != end; ++e) {
    if (FAILED(fw::setClassesText(e->key, e->name, e->value))) return SELFREG_E_CLASS;
  }
  return S_OK;
}

// The two ProgIDs, naming the class: the same for both widths.
HRESULT registerProgIds() {
  const std::string clsid = fw::guidText(CLSID_CorvathObj);
  const Entry entries[] = {
      {kProgId, nullptr, kClassDescription},
      {subkey(kProgId, "CLSID"), nullptr, clsid},
      {subkey(kProgId, "CurVer"), nullptr, kVersionedProgId},
      {kVersionedProgId, nullptr, kClassDescription},
      {subkey(kVersionedProgId, "CLSID"), nullptr, clsid},
  };
  return writeEntries(entries, entries + sizeof entries / sizeof entries[0]);
}

// The other width's registry view (on 32-bit Windows the flag names the only view).
constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

bool existsInOtherView(const std::string& key) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE | kOtherView, &k) !=
      ERROR_SUCCESS)
    return false;
  RegCloseKey(k);
  return true;
}

}  // namespace

HRESULT registerServer(HMODULE module) {
  if (FAILED(fw::registerModuleTypeLib(module))) return SELFREG_E_TYPELIB;

  const std::string path = modulePath(module);
  if (path.empty()) return SELFREG_E_CLASS;
  if (FAILED(registerProgIds())) return SELFREG_E_CLASS;
  const std::string cls = classKey();
  const Entry entries[] = {
      {cls, nullptr, kClassDescription},
      {subkey(cls, "ProgID"), nullptr, kVersionedProgId},
      {subkey(cls, "VersionIndependentProgID"), nullptr, kProgId},
      {subkey(cls, "InprocServer32"), nullptr, path},
      {subkey(cls, "InprocServer32"), "ThreadingModel", "Apartment"},
  };
  return writeEntries(entries, entries + sizeof entries / sizeof entries[0]);
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
  // Not registered (TYPE_E_LIBNOTREGISTERED) is the normal case of a second run. Only
  // this width's entry of the type library goes; the other width's stays.
  fw::unregisterTypeLib(LIBID_Corvath, kTypeLibMajor, kTypeLibMinor, 0);
  for (const std::string& key : unregistrationKeys()) fw::deleteClassesKey(key);
  // 64-bit Windows keeps one class key per width but one set of ProgIDs for both: when
  // the other width's server is still registered and its ProgIDs went with ours, they
  // are put back for its clients.
  const std::string progIdClass = subkey(kProgId, "CLSID");
  if (existsInOtherView(subkey(classKey(), "InprocServer32")) && !existsInOtherView(progIdClass))
    registerProgIds();
  return S_OK;
}

}  // namespace srv
