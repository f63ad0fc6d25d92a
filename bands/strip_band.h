// AppStripBand: the horizontal explorer bar with a slowly scrolling strip of programs to
// start: the web resource, the help lesson and the applications registered with Corvath.
// The object and its messages are in strip_band.cpp, the strip's drawing in
// strip_paint.cpp, its entries and the programs they start in strip_programs.cpp.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "bands/band_object.h"
#include "bands/strip_layout.h"
#include "contract/app_descriptor.h"
#include "framework/accessible.h"
#include "framework/dpi.h"

namespace bands {

class StripBand : public BandObject, private fw::AccessibleSource {
 public:
  StripBand() : BandObject(BandKind::strip, CLSID_AppStripBand) {}

  STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last,
                                UINT flags) override;
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
  STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT* reserved, LPSTR name,
                                UINT size) override {
    return bandCommandString(command, type, name, size, "Comm Band command help text");
  }

 protected:
  WindowClass windowClass() const override {
    return {"ScsiCommBarClass", CS_HREDRAW | CS_VREDRAW | CS_GLOBALCLASS | CS_DBLCLKS,
            COLOR_WINDOW, true};
  }
  void onCreate() override;
  LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  void onShow(bool show) override;
  void onClose() override;
  // The shell's Properties of the entry's program, which the host may outlive.
  void onModal(WPARAM, LPARAM entry) override { showFileProperties(static_cast<int>(entry)); }
  void onFocus() override {
    focused_ = true;
    choose(chosen_);
  }
  void onFocusLost() override {
    focused_ = false;
    renderStrip(-1);
    if (window()) InvalidateRect(window(), nullptr, FALSE);
  }

 private:
  int entryCount() const { return static_cast<int>(entries_.size()); }
  int clientWidth() const;
  int entryUnderCursor() const;
  void buildEntries();
  void renderStrip(int highlight);
  void addTools();
  void paint(HDC dc);
  void tick();
  void start(int entry);
  void showFileProperties(int entry);
  LRESULT onNotify(NMHDR* header, bool& handled);
  // The keys of a person without a mouse: arrows, Home and End choose an entry (the strip
  // holds still while the band has the focus), Enter starts it.
  bool onKey(WPARAM key);
  void choose(int entry);
  // Shift+F10 or the menu key: "&Property" for the chosen entry, below it.
  void keyboardMenu();
  // The chosen entry as the window shows it; empty when it does not show.
  RECT chosenRect() const;
  // The lengths for the band's screen; the strip is drawn again when they change.
  void takeMetrics();
  // The entries read as their names, with the description as value.
  long accessibleCount(HWND window) override { return entryCount(); }
  bool accessibleItem(HWND window, long child, fw::AccessibleItem& out) override;
  bool accessibleDoDefault(HWND window, long child) override;
  long accessibleFocus(HWND window) override;

  std::vector<srv::AppDescriptor> entries_;
  HBITMAP strip_ = nullptr;
  int highlight_ = -1;
  int chosen_ = 0;  // the keyboard's entry
  bool focused_ = false;
  int offset_ = 0;
  StripMetrics metrics_ = stripMetrics(fw::kBaseDpi);
  bool timerRunning_ = false;
  HWND tooltip_ = nullptr;
  std::wstring tipText_;
};

}  // namespace bands
