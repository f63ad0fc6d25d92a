// Pellmark, the stand-alone SCSI Explorer program: one window at a time on the desktop
// (a window titled "Velmora SCSI Explorer", its own or the Control Panel's, is brought
// forward instead), run modally, with the settings written when the program ends.
#pragma once

#include <windows.h>

#include "explorer/explorer_server.h"
#include "explorer/settings.h"

namespace standalone {

constexpr char kWindowClass[] = "PellmarkDialog";

class CPellmarkApp {
 public:
  CPellmarkApp();
  // The whole run: start-up, the window, the end. Returns the program's exit code.
  int run();

  const explorer::ExplorerSettings& settings() const { return settings_; }
  // Test seam: where the window gets its automation object from.
  void setServerFactory(explorer::ServerFactory factory) { serverFactory_ = std::move(factory); }

 private:
  bool initInstance();
  void exitInstance();

  bool started_ = false;
  bool settingsRead_ = false;
  explorer::ExplorerSettings settings_;
  explorer::ServerFactory serverFactory_;
};

// Registers "PellmarkDialog" as a copy of the system dialog class for the module that
// holds the window's template.
bool registerWindowClass(HINSTANCE module);

}  // namespace standalone
