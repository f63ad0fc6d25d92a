#include "shellext/registration.h"

#include <olectl.h>
#include <shlobj.h>

#include <string>

#include "framework/comreg.h"
#include "framework/regkey.h"
#include "shellext/module.h"

namespace shx {
namespace {

constexpr char kNameSpace[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer\\NameSpace\\";
constexpr char kApproved[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

bool onNt() { return (GetVersion() & 0x80000000u) == 0; }

LONG setValue(HKEY root, const std::string& path, const char* name, DWORD type, const void* data,
              DWORD size) {
  fw::RegKey key;
  LONG rc = RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                            nullptr, key.put(), nullptr);
  if (rc == ERROR_SUCCESS)
    rc = RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), size);
  return rc;
}

LONG setText(HKEY root, const std::string& path, const char* name, const std::string& text) {
  return setValue(root, path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

std::string modulePath(HMODULE module) {
  char path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
  return (n == 0 || n >= MAX_PATH) ? std::string() : std::string(path, n);
}

}  // namespace

HRESULT registerFolder(HMODULE module) {
  FenwoldApp::instance().start();
  const std::string name = FenwoldApp::instance().displayName();
  const std::string clsid = fw::guidText(CLSID_FenwoldFolder);
  const std::string key = "CLSID\\" + clsid;
  const std::string path = modulePath(module);
  if (path.empty()) return SELFREG_E_CLASS;
  const DWORD attributes = SFGAO_FOLDER | SFGAO_HASSUBFOLDER;
  // Every key the shell needs must be written, or the registration is reported as failed.
  if (setText(HKEY_CLASSES_ROOT, key, nullptr, name) != ERROR_SUCCESS ||
      setText(HKEY_CLASSES_ROOT, key + "\\InprocServer32", nullptr, path) != ERROR_SUCCESS ||
      setText(HKEY_CLASSES_ROOT, key + "\\InprocServer32", "ThreadingModel", "Apartment") !=
          ERROR_SUCCESS ||
      setText(HKEY_CLASSES_ROOT, key + "\\DefaultIcon", nullptr, path + ",0") != ERROR_SUCCESS ||
      setValue(HKEY_CLASSES_ROOT, key + "\\ShellFolder", "Attributes", REG_BINARY, &attributes,
               sizeof attributes) != ERROR_SUCCESS) {
    return SELFREG_E_CLASS;
  }
  if (setText(HKEY_LOCAL_MACHINE, kNameSpace + clsid, nullptr, name) != ERROR_SUCCESS)
    return SELFREG_E_CLASS;
  if (onNt() && setText(HKEY_LOCAL_MACHINE, kApproved, clsid.c_str(), name) != ERROR_SUCCESS)
    return SELFREG_E_CLASS;
  return S_OK;
}

HRESULT unregisterFolder() {
  const std::string clsid = fw::guidText(CLSID_FenwoldFolder);
  {
    fw::RegKey key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ("CLSID\\" + clsid).c_str(), 0, KEY_WRITE, key.put()) !=
        ERROR_SUCCESS) {
      return SELFREG_E_CLASS;
    }
    for (const char* subkey : {"InprocServer32", "DefaultIcon", "ShellFolder"})
      if (RegDeleteKeyA(key.get(), subkey) != ERROR_SUCCESS) return SELFREG_E_CLASS;
  }
  {
    fw::RegKey classes;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_WRITE, classes.put()) != ERROR_SUCCESS ||
        RegDeleteKeyA(classes.get(), clsid.c_str()) != ERROR_SUCCESS) {
      return SELFREG_E_CLASS;
    }
  }
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kNameSpace + clsid).c_str());
  if (onNt()) {
    HKEY approved = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kApproved, 0, KEY_WRITE, &approved) == ERROR_SUCCESS) {
      RegDeleteValueA(approved, clsid.c_str());
      if (RegCloseKey(approved) != ERROR_SUCCESS) return SELFREG_E_CLASS;
    }
  }
  return S_OK;
}

}  // namespace shx
