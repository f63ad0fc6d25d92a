// A band site of our own for Gastrel's tests: the host side that the shell or the browser
// would be. It offers IOleWindow (the site window, of a class the test chooses) and
// IInputObjectSite (recording focus reports), loads gastrel.dll beside the test and makes
// bands through its class factory, and reads what a band draws.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "framework/comptr.h"

namespace bandtest {

// Gastrel's class ids as a host registers them.
extern const CLSID kTreeBand;
extern const CLSID kStripBand;
extern const CLSID kDeskBand;
constexpr const char* kTreeBandText = "{0ABE984F-D4D0-4F97-8F0D-754BA2980A3E}";
constexpr const char* kStripBandText = "{B9C5F117-A7B8-4B0E-9FCA-39AC4F75ABCC}";
constexpr const char* kDeskBandText = "{223F5313-EEBC-4871-91A7-866EAF2E887E}";

std::string gastrelPath();
// gastrel.dll, loaded once for the process.
HMODULE gastrel();
HRESULT getClassObject(const CLSID& clsid, REFIID iid, void** out);
HRESULT canUnloadNow();
// A band made by its class factory, as IDeskBand.
fw::ComPtr<IDeskBand> createBand(const CLSID& clsid);

// Declared outside any anonymous namespace (GCC and COM interfaces).
class FakeSite : public IOleWindow, public IInputObjectSite {
 public:
  // A visible top-level site window of that class, with that client size.
  FakeSite(const char* windowClass, int width, int height);
  ~FakeSite();
  FakeSite(const FakeSite&) = delete;
  FakeSite& operator=(const FakeSite&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP OnFocusChangeIS(IUnknown* band, BOOL focus) override;

  HWND window() const { return window_; }
  IUnknown* unknown() { return static_cast<IOleWindow*>(this); }
  LONG references() const { return refs_; }
  // OnFocusChangeIS calls: true for gained, false for lost.
  std::vector<bool> focusReports;
  IUnknown* lastFocusBand = nullptr;

 private:
  LONG refs_ = 1;
  HWND window_ = nullptr;
};

// The band window a band made, a child of the site's window.
HWND bandWindow(IDeskBand* band);
std::string className(HWND window);
// Dispatches the messages waiting on this thread (no waiting).
void pumpMessages();

// The client area of a window as it paints itself (WM_PRINTCLIENT), as COLORREFs.
struct Pixels {
  int width = 0, height = 0;
  std::vector<COLORREF> rgb;
  COLORREF at(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};
Pixels printClient(HWND window);

}  // namespace bandtest
