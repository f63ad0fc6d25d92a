// CExplorerListCtrl: the adapter list of the SCSI Explorer window (control 1000). Items
// carry the address of their HostAdapterInfo record; in Details view the window draws
// the rows itself (LVS_OWNERDRAWFIXED) so that the background picture shows through.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <string>

#include "explorer/explorer_model.h"

namespace explorer {

class CExplorerListCtrl {
 public:
  void attach(HWND list) { hwnd_ = list; }
  HWND hwnd() const { return hwnd_; }

  // Clears items and columns and sets the view style and its image list.
  void setView(const ViewMode& mode, HIMAGELIST large, HIMAGELIST small);
  // The fixed columns at their widths for dpi, the last one at lastWidth.
  void insertColumns(const std::array<std::string, 4>& headings, int lastWidth, unsigned dpi);
  void addAdapter(const inv::HostAdapterInfo& record, bool details);
  int count() const;

  // The record of the first selected item, or nullptr.
  const inv::HostAdapterInfo* selectedRecord() const;
  // The item at a point in screen coordinates, -1 for none.
  int itemAt(POINT screen) const;
  const inv::HostAdapterInfo* record(int item) const;

  void sort(uint32_t key);
  // Tiled picture behind the items, with text drawn straight over it.
  void setBackground(const std::string& picture);

  // WM_DRAWITEM of a Details row.
  void drawItem(const DRAWITEMSTRUCT& dis);

 private:
  HWND hwnd_ = nullptr;
};

}  // namespace explorer
