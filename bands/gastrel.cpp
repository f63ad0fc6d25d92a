// Gastrel's exported entry points and the class factories of its three bands.
#include <windows.h>
#include <commctrl.h>

#include "bands/band_object.h"
#include "bands/registration.h"
#include "framework/classfactory.h"
#include "framework/module.h"
#include "framework/modulelock.h"

namespace bands {

// {0ABE984F-D4D0-4F97-8F0D-754BA2980A3E}
const CLSID CLSID_ScsiTreeBand = {
    0x0abe984f, 0xd4d0, 0x4f97, {0x8f, 0x0d, 0x75, 0x4b, 0xa2, 0x98, 0x0a, 0x3e}};
// {B9C5F117-A7B8-4B0E-9FCA-39AC4F75ABCC}
const CLSID CLSID_AppStripBand = {
    0xb9c5f117, 0xa7b8, 0x4b0e, {0x9f, 0xca, 0x39, 0xac, 0x4f, 0x75, 0xab, 0xcc}};
// {223F5313-EEBC-4871-91A7-866EAF2E887E}
const CLSID CLSID_AdapterButtonBand = {
    0x223f5313, 0xeebc, 0x4871, {0x91, 0xa7, 0x86, 0x6e, 0xaf, 0x2e, 0x88, 0x7e}};

namespace {

// The host keeps the module loaded through its band objects, not through LockServer.
class BandFactory : public fw::ClassFactory {
 public:
  using fw::ClassFactory::ClassFactory;
  STDMETHODIMP LockServer(BOOL) override { return E_NOTIMPL; }
};

BandFactory g_treeFactory(CLSID_ScsiTreeBand, &createTreeBand);
BandFactory g_stripFactory(CLSID_AppStripBand, &createStripBand);
BandFactory g_deskFactory(CLSID_AdapterButtonBand, &createDeskBand);
fw::ClassFactory* const kFactories[] = {&g_treeFactory, &g_stripFactory, &g_deskFactory};

// Module start: the common controls the bands use (outside DllMain and its loader lock).
void startModule() {
  static bool started = false;
  if (started) return;
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES |
                                              ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  started = true;
}

}  // namespace
}  // namespace bands

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  bands::startModule();
  return fw::getClassObject(bands::kFactories, clsid, iid, out);
}

STDAPI DllCanUnloadNow() { return fw::moduleCanUnload() ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
  return bands::registerBands(reinterpret_cast<HMODULE>(fw::resourceModule()));
}

STDAPI DllUnregisterServer() { return bands::unregisterBands(); }
