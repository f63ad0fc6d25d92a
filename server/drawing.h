// Drawing services of Corvath's pages and windows: the transparent bitmap painter, the
// routine that disables every control of a window, and small owners of GDI handles.
#pragma once

#include <windows.h>

#include <cstddef>
#include <utility>

namespace srv {

// A colour of a picture that stands for a colour of the scheme (COLOR_*).
struct SchemeColour {
  COLORREF drawn;
  int systemColour;
};

// Draws bitmap with its top-left corner at (x, y), at its own size. Pixels of keyColour
// leave what dc shows there (the button face of a classic page, the body of a themed
// one); the others are the picture's, or the scheme's colour where a role names them.
// An absent bitmap draws nothing.
void drawTransparentBitmap(HDC dc, int x, int y, HBITMAP bitmap, COLORREF keyColour,
                           const SchemeColour* roles, size_t roleCount);
inline void drawTransparentBitmap(HDC dc, int x, int y, HBITMAP bitmap, COLORREF keyColour) {
  drawTransparentBitmap(dc, x, y, bitmap, keyColour, nullptr, 0);
}
template <size_t N>
void drawTransparentBitmap(HDC dc, int x, int y, HBITMAP bitmap, COLORREF keyColour,
                           const SchemeColour (&roles)[N]) {
  drawTransparentBitmap(dc, x, y, bitmap, keyColour, &roles[0], N);
}

// The separator and corner-logo pictures (key red): their grey and white stand for the
// scheme's 3-D shadow and highlight.
extern const SchemeColour kEtchedLineColours[2];
// Draws such a picture at (x, y).
void drawEtchedLine(HDC dc, int x, int y, HBITMAP bitmap);

// Disables every child of window (first child, then each next sibling).
void disableChildren(HWND window);

// Owns a GDI object (bitmap, brush, palette, font) and deletes it.
template <typename Handle>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(Handle handle) : handle_(handle) {}
  ~GdiObject() { reset(); }
  GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void reset(Handle handle = nullptr) {
    if (handle_) DeleteObject(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = nullptr;
};

// A memory device context compatible with another, deleted with its selections undone.
class MemoryDC {
 public:
  explicit MemoryDC(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
  ~MemoryDC() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HDC dc_;
};

// Selects an object into a device context for the life of this object.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
  ~Selection() {
    if (previous_) SelectObject(dc_, previous_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace srv
