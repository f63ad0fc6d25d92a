// Small helpers over the common controls' list view shared by the list windows: the
// selection, hit tests, the view style, columns, a tiled background picture, an owning
// image list and the painting of owner-drawn report rows.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <utility>

namespace fw {

int selectedCount(HWND list);
// The first selected item from the top, or -1.
int firstSelected(HWND list);
// The item under a point in screen coordinates, or -1.
int itemAtScreenPoint(HWND list, POINT screen);
// Where a context menu asked for from the keyboard (Shift+F10, the menu key: WM_CONTEXTMENU
// at -1, -1) belongs: below the focused item when it is selected and shows, with that
// item; else at the list's top-left corner, with -1.
POINT keyboardMenuPoint(HWND list, int* item);
// True for the point of a WM_CONTEXTMENU that came from the keyboard.
inline bool fromKeyboard(POINT screen) { return screen.x == -1 && screen.y == -1; }
LPARAM itemData(HWND list, int item);
std::string itemText(HWND list, int item, int subItem);

// Switches the LVS_TYPEMASK bits (LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT).
void setViewStyle(HWND list, DWORD view);
int columnCount(HWND list);
void deleteAllColumns(HWND list);
bool insertColumn(HWND list, int index, const std::string& title, int width,
                  int format = LVCFMT_LEFT);

// The picture file tiled behind the items, with item text drawn without a background.
// False when the control refused it, and when the scheme's window text would not read on
// it (a high-contrast scheme): the list keeps its window colour then.
bool setTiledBackground(HWND list, const std::string& path);
// The same for list views that cannot load a picture file themselves (Wine's): the file
// is loaded here and tiled behind the items by the list's own erase. False when the file
// is not a picture.
bool paintTiledBackground(HWND list, const std::string& path);

// WM_DRAWITEM of an LVS_OWNERDRAWFIXED list in report view. The row is painted across
// its full width: a highlighted row (selected while the list has the focus or always
// shows its selection, or a drop target) on the highlight colour, any other row
// transparent over the list's background. State image and small icon (blended when
// highlighted, with its overlay), then the item text and each sub-item in its column
// with the column's alignment: single line, vertically centred, no prefix, end ellipsis,
// inset by two blanks. A focus rectangle on the focused row while the list has focus.
void drawReportRow(const DRAWITEMSTRUCT& draw);

// Owns an image list.
class ImageList {
 public:
  ImageList() = default;
  explicit ImageList(HIMAGELIST list) : list_(list) {}
  ~ImageList() { reset(); }
  ImageList(ImageList&& other) noexcept : list_(std::exchange(other.list_, nullptr)) {}
  ImageList& operator=(ImageList&& other) noexcept {
    if (this != &other) reset(std::exchange(other.list_, nullptr));
    return *this;
  }
  ImageList(const ImageList&) = delete;
  ImageList& operator=(const ImageList&) = delete;

  HIMAGELIST get() const { return list_; }
  explicit operator bool() const { return list_ != nullptr; }
  void reset(HIMAGELIST list = nullptr) {
    if (list_) ImageList_Destroy(list_);
    list_ = list;
  }

  // Adds an icon resource of `module` loaded at the list's own image size, so small
  // lists get the icon's small image rather than a shrunken large one. -1 on failure.
  int addIcon(HINSTANCE module, UINT iconId);

 private:
  HIMAGELIST list_ = nullptr;
};

}  // namespace fw
