// The drawing services on real device contexts: pixels are read back from memory bitmaps.
#include <windows.h>
#include <gtest/gtest.h>

#include <vector>

#include "pages/dibimage.h"
#include "pages/drawing.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kCyan = RGB(0, 255, 255);
constexpr COLORREF kGround = RGB(10, 20, 30);

// The pictures' pixels, row by row from the top (see server_drawing_pictures.py).
const COLORREF kPicture[3][4] = {
    {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255)},
    {RGB(0, 255, 255), RGB(0, 0, 0), RGB(0, 255, 255), RGB(255, 0, 0)},
    {RGB(255, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255), RGB(0, 255, 0)},
};

// A memory DC with a screen-compatible bitmap filled with one colour.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill) : width_(width), height_(height) {
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    previous_ = SelectObject(dc_, bitmap_);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) SetPixel(dc_, x, y, fill);
  }
  ~Canvas() {
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bitmap_; }
  COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }
  // Lets go of the bitmap so that it can be drawn from another DC.
  void release() { SelectObject(dc_, previous_); }

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
};

// The picture as a screen-compatible bitmap, not selected anywhere.
HBITMAP pictureBitmap(Canvas& canvas) {
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) SetPixel(canvas.dc(), x, y, kPicture[y][x]);
  canvas.release();
  return canvas.bitmap();
}

bool selectable(HBITMAP bitmap) {
  HDC screen = GetDC(nullptr);
  HDC probe = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  HGDIOBJ previous = SelectObject(probe, bitmap);
  bool ok = previous != nullptr;
  if (ok) SelectObject(probe, previous);
  DeleteDC(probe);
  return ok;
}

TEST(DrawTransparentBitmap, KeyColourLeavesTheGroundOthersStay) {
  Canvas source(4, 3, kGround);
  HBITMAP picture = pictureBitmap(source);
  Canvas target(12, 10, kGround);
  HGDIOBJ targetBitmap = GetCurrentObject(target.dc(), OBJ_BITMAP);
  SetTextColor(target.dc(), RGB(1, 2, 3));
  SetBkColor(target.dc(), RGB(4, 5, 6));

  srv::drawTransparentBitmap(target.dc(), 3, 5, picture, kRed);

  // Key pixels leave what the target shows (a themed page body, not only the face).
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 12; ++x) {
      bool inside = x >= 3 && x < 7 && y >= 5 && y < 8;
      COLORREF expected = kGround;
      if (inside) {
        COLORREF p = kPicture[y - 5][x - 3];
        expected = p == kRed ? kGround : p;
      }
      EXPECT_EQ(target.at(x, y), expected) << x << "," << y;
    }
  }
  // Every temporary let go: the picture can be selected elsewhere and the target DC
  // keeps its own bitmap and colours.
  EXPECT_TRUE(selectable(picture));
  EXPECT_EQ(GetCurrentObject(target.dc(), OBJ_BITMAP), targetBitmap);
  EXPECT_EQ(GetTextColor(target.dc()), RGB(1, 2, 3));
  EXPECT_EQ(GetBkColor(target.dc()), RGB(4, 5, 6));
}

TEST(DrawTransparentBitmap, AbsentBitmapDrawsNothingAndOtherKeysWork) {
  Canvas target(6, 6, kGround);
  srv::drawTransparentBitmap(target.dc(), 0, 0, nullptr, kRed);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(target.at(x, y), kGround);

  Canvas source(4, 3, kGround);
  HBITMAP picture = pictureBitmap(source);
  srv::drawTransparentBitmap(target.dc(), 0, 0, picture, kCyan);
  EXPECT_EQ(target.at(0, 1), kGround);
  EXPECT_EQ(target.at(2, 1), kGround);
  EXPECT_EQ(target.at(0, 0), kRed);
  EXPECT_EQ(target.at(1, 1), RGB(0, 0, 0));
}

// A colour that stands for a scheme colour is shown in the scheme's colour; others stay.
TEST(DrawTransparentBitmap, RoleColoursTakeTheSchemesColour) {
  Canvas source(4, 3, kGround);
  HBITMAP picture = pictureBitmap(source);
  Canvas target(4, 3, kGround);
  const srv::SchemeColour roles[] = {{RGB(255, 255, 255), COLOR_WINDOWTEXT},
                                     {RGB(0, 0, 255), COLOR_HIGHLIGHT}};
  srv::drawTransparentBitmap(target.dc(), 0, 0, picture, kRed, roles);
  EXPECT_EQ(target.at(3, 0), GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(target.at(2, 2), GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(target.at(2, 0), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(target.at(1, 2), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(target.at(1, 0), RGB(0, 255, 0));
  EXPECT_EQ(target.at(0, 0), kGround);
}

// Fills the process's GDI handle table up to a little headroom, so that an object
// leaked per call soon makes the calls fail. (Wine keeps no per-process GDI count.)
class GdiPressure {
 public:
  explicit GdiPressure(size_t headroom) {
    for (;;) {
      HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
      if (!brush) break;
      brushes_.push_back(brush);
    }
    for (size_t i = 0; i < headroom && !brushes_.empty(); ++i) {
      DeleteObject(brushes_.back());
      brushes_.pop_back();
    }
  }
  ~GdiPressure() {
    for (HBRUSH brush : brushes_) DeleteObject(brush);
  }
  bool full() const { return !brushes_.empty(); }

 private:
  std::vector<HBRUSH> brushes_;
};

TEST(DrawTransparentBitmap, RepeatedDrawingHoldsNoGdiObjects) {
  Canvas source(4, 3, kGround);
  HBITMAP picture = pictureBitmap(source);
  Canvas target(8, 8, kGround);
  GdiPressure pressure(24);
  ASSERT_TRUE(pressure.full());
  for (int i = 0; i < 100; ++i) {
    SetPixel(target.dc(), 2, 1, kGround);
    srv::drawTransparentBitmap(target.dc(), 1, 1, picture, kRed);
    ASSERT_EQ(target.at(2, 1), kPicture[0][1]) << "draw " << i;
  }
}

TEST(DisableChildren, DisablesEveryDirectChild) {
  HWND parent = CreateWindowExA(0, "STATIC", "parent", WS_POPUP, 0, 0, 200, 100, nullptr,
                                nullptr, nullptr, nullptr);
  ASSERT_TRUE(parent);
  std::vector<HWND> children;
  for (int i = 0; i < 4; ++i)
    children.push_back(CreateWindowExA(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE, 10 * i, 0, 10,
                                       10, parent, reinterpret_cast<HMENU>(100 + i), nullptr,
                                       nullptr));
  HWND grandchild = CreateWindowExA(0, "BUTTON", "g", WS_CHILD, 0, 0, 5, 5, children[0],
                                    nullptr, nullptr, nullptr);
  srv::disableChildren(parent);
  for (HWND child : children) EXPECT_FALSE(IsWindowEnabled(child));
  EXPECT_TRUE(IsWindowEnabled(parent));
  // Only the direct children are walked; the grandchild follows its disabled parent.
  EXPECT_TRUE((GetWindowLongA(grandchild, GWL_STYLE) & WS_DISABLED) == 0);
  srv::disableChildren(nullptr);  // no window, nothing to do
  DestroyWindow(parent);
}

TEST(DibImage, PaletteBitmapLoadsWithItsColourTableAsPalette) {
  srv::DibImage image;
  ASSERT_TRUE(image.load(2001));
  EXPECT_EQ(image.width(), 4);
  EXPECT_EQ(image.height(), 3);
  EXPECT_EQ(image.bitCount(), 8);
  EXPECT_EQ(image.colourCount(), 7u);  // the header's colours-used
  ASSERT_TRUE(image.palette());
  PALETTEENTRY entries[8] = {};
  EXPECT_EQ(GetPaletteEntries(image.palette(), 0, 8, entries), 7u);
  EXPECT_EQ(RGB(entries[5].peRed, entries[5].peGreen, entries[5].peBlue), kCyan);
  EXPECT_EQ(RGB(entries[1].peRed, entries[1].peGreen, entries[1].peBlue), kRed);

  // The device-dependent bitmap holds the picture, top row first.
  HDC screen = GetDC(nullptr);
  ASSERT_TRUE(image.makeBitmap(screen));
  ReleaseDC(nullptr, screen);
  Canvas target(6, 5, kGround);
  srv::drawTransparentBitmap(target.dc(), 1, 1, image.bitmap(), kCyan);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(target.at(x + 1, y + 1), kPicture[y][x] == kCyan ? kGround : kPicture[y][x])
          << x << "," << y;

  // Selecting the palette hands back the one it replaced.
  HPALETTE stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  HPALETTE previous = image.selectPalette(target.dc(), true);
  EXPECT_EQ(previous, stock);
  EXPECT_EQ(GetCurrentObject(target.dc(), OBJ_PAL), image.palette());
  SelectPalette(target.dc(), previous, TRUE);
}

TEST(DibImage, TrueColourBitmapByNameHasNoPaletteAndDrawsStretched) {
  srv::DibImage image;
  ASSERT_TRUE(image.load("PICTURE24"));
  EXPECT_EQ(image.bitCount(), 24);
  EXPECT_EQ(image.colourCount(), 0u);
  EXPECT_EQ(image.palette(), nullptr);
  Canvas target(12, 8, kGround);
  HPALETTE none = image.selectPalette(target.dc(), false);
  EXPECT_EQ(none, nullptr);

  // Whole picture doubled.
  ASSERT_TRUE(image.drawStretched(target.dc(), RECT{0, 0, 8, 6}, RECT{0, 0, 4, 3}));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(target.at(x, y), kPicture[y / 2][x / 2]) << x << "," << y;
  // A part of it, rows counted from the top: the lower right 2 x 2.
  ASSERT_TRUE(image.drawStretched(target.dc(), RECT{9, 0, 11, 2}, RECT{2, 1, 4, 3}));
  EXPECT_EQ(target.at(9, 0), kPicture[1][2]);
  EXPECT_EQ(target.at(10, 0), kPicture[1][3]);
  EXPECT_EQ(target.at(9, 1), kPicture[2][2]);
  EXPECT_EQ(target.at(10, 1), kPicture[2][3]);
}

TEST(DibImage, MissingResourceLeavesItEmptyAndDestroyFreesEverything) {
  srv::DibImage image;
  EXPECT_FALSE(image.load(2999));
  EXPECT_FALSE(image.load("NO_SUCH_PICTURE"));
  EXPECT_FALSE(image.load(static_cast<const char*>(nullptr)));
  EXPECT_FALSE(image.loaded());
  HDC screen = GetDC(nullptr);
  EXPECT_FALSE(image.makeBitmap(screen));
  EXPECT_FALSE(image.drawStretched(screen, RECT{0, 0, 1, 1}, RECT{0, 0, 1, 1}));

  ASSERT_TRUE(image.load(2001));
  ASSERT_TRUE(image.makeBitmap(screen));
  ReleaseDC(nullptr, screen);
  HPALETTE palette = image.palette();
  HBITMAP bitmap = image.bitmap();
  image.destroy();
  EXPECT_FALSE(image.loaded());
  EXPECT_EQ(image.palette(), nullptr);
  EXPECT_EQ(image.bitmap(), nullptr);
  EXPECT_EQ(GetObjectType(palette), 0u);
  EXPECT_EQ(GetObjectType(bitmap), 0u);
}

}  // namespace
