// Dunmere, the Control Panel applet: one entry, "Velmora SCSI Explorer", whose
// double-click runs the SCSI Explorer window. CPlApplet (dunmere.cpp) hands each Control
// Panel message to the one applet object through appletMessage().
#pragma once

#include <windows.h>
#include <cpl.h>

#include "explorer/explorer_server.h"
#include "explorer/settings.h"

namespace applet {

// The applet base: answers every Control Panel request with a neutral reply. Its
// constructor makes it the module's applet.
class CPanelApplet {
 public:
  CPanelApplet();
  virtual ~CPanelApplet();
  CPanelApplet(const CPanelApplet&) = delete;
  CPanelApplet& operator=(const CPanelApplet&) = delete;

  virtual LONG OnDblclk(HWND controlPanel, LPARAM lParam1, LPARAM lParam2);
  virtual LONG OnExit();
  virtual LONG OnGetCount();
  virtual LONG OnInit();
  virtual LONG OnNewInquire(LPARAM lParam1, LPARAM lParam2);
  virtual LONG OnSelect(LPARAM lParam1, LPARAM lParam2);
  virtual LONG OnStop(LPARAM lParam1, LPARAM lParam2);
};

class CExplorerApplet : public CPanelApplet {
 public:
  LONG OnDblclk(HWND controlPanel, LPARAM lParam1, LPARAM lParam2) override;
  LONG OnNewInquire(LPARAM lParam1, LPARAM lParam2) override;
};

// The module's application: the applet, COM for the Control Panel's thread, and the
// window settings, which are written when the Control Panel lets the applet go.
class CDunmereApp {
 public:
  CDunmereApp();

  // Start of the applet's work: COM for this thread (string 57606 when that fails).
  bool initInstance();
  // End: the settings are written, COM is released.
  void exitInstance();

  explorer::ExplorerSettings& settings() { return settings_; }
  void noteSettingsRead() { settingsRead_ = true; }
  const explorer::ServerFactory& serverFactory() const { return serverFactory_; }
  // Test seam: where the window gets its automation object from.
  void setServerFactory(explorer::ServerFactory factory) { serverFactory_ = std::move(factory); }

 private:
  CExplorerApplet applet_;
  explorer::ExplorerSettings settings_;
  explorer::ServerFactory serverFactory_;
  bool started_ = false;
  bool comInitialised_ = false;
  bool settingsRead_ = false;
};

CDunmereApp& dunmereApp();
CPanelApplet* currentApplet();

// CPlApplet's dispatch to the applet object.
LONG appletMessage(HWND controlPanel, UINT message, LPARAM lParam1, LPARAM lParam2);

}  // namespace applet
