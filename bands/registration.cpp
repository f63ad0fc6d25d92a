#include "bands/registration.h"

#include <comcat.h>
#include <olectl.h>

#include <string>

#include "bands/band_object.h"
#include "bands/band_tables.h"
#include "framework/comptr.h"
#include "framework/comreg.h"
#include "framework/regkey.h"
#include "framework/strings.h"

namespace bands {
namespace {

const CATID kCatidDeskBand = {0x00021492, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const CATID kCatidInfoBand = {0x00021493, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const CATID kCatidCommBand = {0x00021494, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

struct BandRegistration {
  const CLSID* clsid;
  unsigned descriptionId;
  const CATID* category;
};

// In this order: desk band, explorer bar, command bar.
const BandRegistration kBands[] = {
    {&CLSID_AdapterButtonBand, kDeskDescriptionId, &kCatidDeskBand},
    {&CLSID_ScsiTreeBand, kTreeDescriptionId, &kCatidInfoBand},
    {&CLSID_AppStripBand, kStripDescriptionId, &kCatidCommBand},
};

std::string modulePath(HMODULE module) {
  char path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
  return (n == 0 || n >= MAX_PATH) ? std::string() : std::string(path, n);
}

// COM for the category manager, also when the caller (an installer) has not set it up.
class ComScope {
 public:
  ComScope() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~ComScope() {
    if (ok_) CoUninitialize();
  }

 private:
  bool ok_;
};

fw::ComPtr<ICatRegister> categoryManager() {
  fw::ComPtr<ICatRegister> manager;
  CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                   IID_ICatRegister, manager.putVoid());
  return manager;
}

}  // namespace

HRESULT registerBands(HMODULE module) {
  ComScope com;
  const std::string path = modulePath(module);
  if (path.empty()) return SELFREG_E_CLASS;
  fw::ComPtr<ICatRegister> categories = categoryManager();
  for (const BandRegistration& band : kBands) {
    const std::string key = "CLSID\\" + fw::guidText(*band.clsid);
    if (FAILED(fw::setClassesText(key, nullptr, fw::loadString(band.descriptionId))) ||
        FAILED(fw::setClassesText(key + "\\InprocServer32", nullptr, path)) ||
        FAILED(fw::setClassesText(key + "\\InprocServer32", "ThreadingModel", "Apartment"))) {
      return SELFREG_E_CLASS;
    }
    // Without the category manager the class stays registered without its category.
    if (!categories) continue;
    CATID category = *band.category;
    if (FAILED(categories->RegisterClassImplCategories(*band.clsid, 1, &category)))
      return SELFREG_E_CLASS;
  }
  return S_OK;
}

HRESULT unregisterBands() {
  ComScope com;
  fw::ComPtr<ICatRegister> categories = categoryManager();
  HRESULT result = S_OK;
  for (const BandRegistration& band : kBands) {
    const std::string clsid = fw::guidText(*band.clsid);
    // The category first: a class key that still has subkeys cannot be deleted.
    if (categories) {
      CATID category = *band.category;
      if (FAILED(categories->UnRegisterClassImplCategories(*band.clsid, 1, &category)))
        result = SELFREG_E_CLASS;
    }
    {
      fw::RegKey key;
      if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ("CLSID\\" + clsid).c_str(), 0, KEY_WRITE,
                        key.put()) != ERROR_SUCCESS) {
        result = SELFREG_E_CLASS;
        continue;
      }
      RegDeleteKeyA(key.get(), "InprocServer32");
      // Left empty by the category manager.
      RegDeleteKeyA(key.get(), "Implemented Categories");
    }
    fw::RegKey classes;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_WRITE, classes.put()) != ERROR_SUCCESS ||
        RegDeleteKeyA(classes.get(), clsid.c_str()) != ERROR_SUCCESS) {
      result = SELFREG_E_CLASS;
    }
  }
  return result;
}

}  // namespace bands
