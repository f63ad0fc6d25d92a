// A device-independent bitmap taken from a bitmap resource, held as the resource itself
// (header, colour table, bits), with a logical palette built from its colour table and a
// device-dependent bitmap made from it for drawing. Used by the pictures of the About box
// and of the device and adapter General pages.
#pragma once

#include <windows.h>

#include <cstdint>

#include "pages/dibimage_layout.h"
#include "pages/drawing.h"

namespace srv {

class DibImage {
 public:
  DibImage() = default;
  ~DibImage() { destroy(); }
  DibImage(const DibImage&) = delete;
  DibImage& operator=(const DibImage&) = delete;

  // Loads the bitmap resource from module (null: the framework's resource module). A
  // missing or malformed resource leaves the image empty and answers false.
  bool load(UINT id, HINSTANCE module = nullptr);
  bool load(const char* name, HINSTANCE module = nullptr);
  // The drawing of picture id that suits dpi (fw::pictureStep), or the nearest smaller
  // one that the module has. With a fit, a larger drawing that would not fit in it (dialog
  // units do not grow exactly with the DPI in every font) gives way to a smaller one;
  // the 1x drawing is taken whatever its size.
  bool loadForDpi(UINT id, unsigned dpi, HINSTANCE module = nullptr, SIZE fit = {0, 0});

  bool loaded() const { return info_ != nullptr; }
  int width() const { return layout_.width; }
  int height() const { return layout_.height < 0 ? -layout_.height : layout_.height; }
  int bitCount() const { return layout_.bitCount; }
  // Colours-used of the header, else 2, 16 or 256 for 1, 4 or 8 bits per pixel, else 0.
  uint32_t colourCount() const { return layout_.colourCount; }
  const BITMAPINFO* info() const { return info_; }
  const void* bits() const { return bits_; }

  // The logical palette (version 0x300) of a bitmap of at most 8 bits per pixel with a
  // colour table; null otherwise.
  HPALETTE palette() const { return palette_.get(); }

  // Selects the palette into dc and realises it; answers the palette selected before
  // (null when there is no palette), for the caller to put back.
  HPALETTE selectPalette(HDC dc, bool background) const;

  // Makes the device-dependent bitmap in dc's format (with the palette realised in dc);
  // replaces any earlier one.
  bool makeBitmap(HDC dc);
  HBITMAP bitmap() const { return bitmap_.get(); }

  // Draws the source rectangle of the image (rows counted from the top) into the
  // destination rectangle of dc.
  bool drawStretched(HDC dc, const RECT& destination, const RECT& source) const;

  // Frees the resource, the palette and the bitmap.
  void destroy();

 private:
  bool loadResource(HINSTANCE module, LPCSTR name);

  HGLOBAL resource_ = nullptr;
  const BITMAPINFO* info_ = nullptr;
  const void* bits_ = nullptr;
  DibLayout layout_;
  GdiObject<HPALETTE> palette_;
  GdiObject<HBITMAP> bitmap_;
};

}  // namespace srv
