// CScsiExplorerDlg: the "Velmora SCSI Explorer" window, a modal, resizable dialog that
// lists the computer's SCSI host adapters as the automation object reports them. The
// Control Panel applet and the stand-alone program show the same window; the flavor
// carries their differences (ids, template, strings, start-up order).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "explorer/explorer_list.h"
#include "explorer/explorer_model.h"
#include "explorer/explorer_server.h"
#include "explorer/settings.h"
#include "framework/dialog.h"
#include "framework/listview.h"
#include "framework/statusbar.h"

namespace explorer {

class CScsiExplorerDlg : public fw::Dialog {
 public:
  // settings: the host's settings, read when the window opens and updated while it runs.
  CScsiExplorerDlg(const ExplorerFlavor& flavor, ExplorerSettings& settings,
                   ServerFactory factory, HWND parent);
  ~CScsiExplorerDlg() override;

  // Whether this window read the settings from the registry (it does so only on the way
  // to showing the adapters).
  bool settingsRead() const { return settingsRead_; }

 protected:
  BOOL onInitDialog() override;
  bool onCommand(WORD id, WORD notifyCode, HWND control) override;
  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  void onDestroyed() override;

 private:
  bool startInControlPanel();
  bool startStandalone();
  void fail(UINT textId, INT_PTR result);
  void createImageLists();
  void readStoredSettings();
  void loadAdapterList();
  void setUpStatusBar();
  void readInstallFolder();
  void switchView(int32_t view);
  void markView(HMENU viewMenu) const;
  void placeWindow();
  void centreWindow();
  void storeWindowRect();
  void toggleStatusBar();
  void layoutChildren();
  bool statusBarShown() const;
  std::string adapterCountText() const;
  std::string helpPath() const;
  const inv::HostAdapterInfo* lookUpSelection();
  intptr_t addressOf(const inv::HostAdapterInfo* record) const;

  void onInitMenuPopup(HMENU popup, UINT index, bool systemMenu);
  void onContextMenu(POINT screen);
  void onNotify(const NMHDR& header);
  bool onHelp(const HELPINFO& info);
  bool paintMinimised();

  const ExplorerFlavor& flavor_;
  ExplorerSettings& settings_;
  ServerFactory factory_;
  std::unique_ptr<ExplorerServer> server_;
  CExplorerListCtrl list_;
  fw::StatusBar statusBar_;
  HICON icon_ = nullptr;  // shared, big and small: never destroyed here
  fw::ImageList smallImages_;
  fw::ImageList largeImages_;
  int adapterImage_ = -1;
  uint16_t adapterCount_ = 0;
  const inv::HostAdapterInfo* adapters_ = nullptr;
  size_t records_ = 0;
  SortState sort_;
  const inv::HostAdapterInfo* current_ = nullptr;
  std::string installFolder_;
  bool settingsRead_ = false;
  bool started_ = false;  // shown with its adapters; only then its place is worth keeping
};

}  // namespace explorer
