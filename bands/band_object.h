// What the three band objects share: the five interface tables a band host asks for
// (IDeskBand with IDockingWindow and IOleWindow, IInputObject, IObjectWithSite,
// IPersistStream, IContextMenu), the band window as a child of the site's window with the
// object as its user data, focus reporting to the host, band information from the band's
// row of kBandMetrics, and the connection to CorvathObj made when the window is created.
// Each band supplies its window class, its contents and its context menu.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <shlobj.h>

#include "bands/band_tables.h"
#include "client/corvath_obj_driver.h"
#include "framework/modulelock.h"

// Declared outside any anonymous namespace: GCC drops calls through COM interfaces that
// are declared in one.
class BandObject : public IDeskBand,
                   public IInputObject,
                   public IObjectWithSite,
                   public IPersistStream,
                   public IContextMenu {
 public:
  BandObject(bands::BandKind kind, const CLSID& clsid);
  BandObject(const BandObject&) = delete;
  BandObject& operator=(const BandObject&) = delete;

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  // IOleWindow
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
  // IDockingWindow
  STDMETHODIMP ShowDW(BOOL show) override;
  STDMETHODIMP CloseDW(DWORD reserved) override;
  STDMETHODIMP ResizeBorderDW(LPCRECT border, IUnknown* site, BOOL reserved) override;
  // IDeskBand
  STDMETHODIMP GetBandInfo(DWORD bandId, DWORD viewMode, DESKBANDINFO* info) override;
  // IInputObject
  STDMETHODIMP UIActivateIO(BOOL activate, MSG* msg) override;
  STDMETHODIMP HasFocusIO() override;
  STDMETHODIMP TranslateAcceleratorIO(MSG* msg) override;
  // IObjectWithSite
  STDMETHODIMP SetSite(IUnknown* site) override;
  STDMETHODIMP GetSite(REFIID riid, void** out) override;
  // IPersist, IPersistStream: the bands keep no state.
  STDMETHODIMP GetClassID(CLSID* clsid) override;
  STDMETHODIMP IsDirty() override;
  STDMETHODIMP Load(IStream* stream) override;
  STDMETHODIMP Save(IStream* stream, BOOL clearDirty) override;
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;

 protected:
  virtual ~BandObject();

  struct WindowClass {
    const char* name;
    UINT style;
    int backgroundColour;  // COLOR_ index of the class brush
    bool border;           // the band window gets a border
  };
  virtual WindowClass windowClass() const = 0;
  // WM_CREATE of the band window (window() is set).
  virtual void onCreate() = 0;
  // Any other message; answer true in handled to stop default processing.
  virtual LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual void onShow(bool show) {}
  // The band window got the keyboard focus (from the host or a click); a band whose
  // control takes the keys hands the focus on to it.
  virtual void onFocus() {}
  // The band and its controls lost the keyboard focus to another window.
  virtual void onFocusLost() {}
  // Destroys what onCreate made, before the band window goes.
  virtual void onClose() {}
  // One of the band's modal actions (a window of Corvath, the shell's Properties), run by
  // runModal or postModal. The host may close and release the band meanwhile.
  virtual void onModal(WPARAM action, LPARAM argument) {}

  // Runs onModal now, with the band and its connection held until it returns (the band
  // may be gone afterwards: the caller touches nothing of it after this call).
  void runModal(WPARAM action, LPARAM argument);
  // Runs onModal from the band window's own message instead of inside a control's
  // notification: a band closed during the action then takes down no control that is
  // still inside its own code.
  void postModal(WPARAM action, LPARAM argument);

  HWND window() const { return window_; }
  HWND siteWindow() const { return siteWindow_; }
  CorvathObjDriver& corvath() { return corvath_; }
  // CoInitialize (balanced when the band closes) and CorvathObj by its ProgID; on
  // failure the user is told and false is answered.
  bool connectCorvath();
  // A tooltip window (TTS_ALWAYSTIP, TTS_NOPREFIX) owned by the band window; the band
  // adds its tools and destroys it.
  HWND createTooltip() const;
  // The cursor in the band window's (or a child's) client coordinates.
  POINT cursorIn(HWND window) const;
  // F1: the suite's help file from the install folder.
  void showHelp() const;
  // The band's control that takes the keys: focus on it is the band's, and focus leaving
  // it for a window outside the band is reported to the site.
  void watchFocus(HWND control);

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK watchedProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR data);
  bool registerWindowClass() const;
  // Hides and destroys the band window and its contents, releases CorvathObj and
  // balances CoInitialize. Safe to call again.
  void closeBand();
  void focusChanged(bool focus);

  LONG refs_ = 1;
  fw::ModuleLock moduleLock_;
  bands::BandKind kind_;
  CLSID clsid_;
  HWND siteWindow_ = nullptr;
  HWND window_ = nullptr;
  DWORD bandId_ = 0;
  DWORD viewMode_ = 0;
  bool focus_ = false;
  IInputObjectSite* inputSite_ = nullptr;
  CorvathObjDriver corvath_;
  bool comInitialized_ = false;
};

namespace bands {
extern const CLSID CLSID_ScsiTreeBand;
extern const CLSID CLSID_AppStripBand;
extern const CLSID CLSID_AdapterButtonBand;

// IContextMenu::GetCommandString of the two explorer bars: only command 0 has a verb
// ("command") and a help text.
HRESULT bandCommandString(UINT_PTR command, UINT type, LPSTR name, UINT size,
                          const char* helpText);

HRESULT createTreeBand(REFIID iid, void** out);
HRESULT createStripBand(REFIID iid, void** out);
HRESULT createDeskBand(REFIID iid, void** out);
}  // namespace bands
