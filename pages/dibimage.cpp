#include "pages/dibimage.h"

#include <vector>

#include "framework/module.h"
#include "framework/scale.h"

namespace srv {

bool DibImage::load(UINT id, HINSTANCE module) { return loadResource(module, MAKEINTRESOURCEA(id)); }

bool DibImage::load(const char* name, HINSTANCE module) {
  return name && loadResource(module, name);
}

bool DibImage::loadForDpi(UINT id, unsigned dpi, HINSTANCE module, SIZE fit) {
  const bool limited = fit.cx > 0 && fit.cy > 0;
  for (int step = fw::pictureStep(dpi); step >= 0; --step) {
    if (!load(fw::pictureId(id, step), module)) continue;
    if (step == 0 || !limited || (width() <= fit.cx && height() <= fit.cy)) return true;
  }
  destroy();
  return false;
}

bool DibImage::loadResource(HINSTANCE module, LPCSTR name) {
  destroy();
  if (!module) module = fw::resourceModule();
  HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(2) /* RT_BITMAP */);
  if (!found) return false;
  DWORD size = SizeofResource(module, found);
  HGLOBAL resource = LoadResource(module, found);
  const uint8_t* data = resource ? static_cast<const uint8_t*>(LockResource(resource)) : nullptr;
  DibLayout layout;
  // The resource holds the header at an address aligned for it.
  if (!data || !parseDibLayout(data, size, layout)) {
    if (resource) FreeResource(resource);
    return false;
  }
  resource_ = resource;
  info_ = reinterpret_cast<const BITMAPINFO*>(data);
  bits_ = data + layout.bitsOffset;
  layout_ = layout;

  if (layout.bitCount <= 8 && layout.colourCount > 0) {
    std::vector<uint8_t> buffer(sizeof(LOGPALETTE) + layout.colourCount * sizeof(PALETTEENTRY));
    LOGPALETTE* logical = reinterpret_cast<LOGPALETTE*>(buffer.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = static_cast<WORD>(layout.colourCount);
    const RGBQUAD* table = reinterpret_cast<const RGBQUAD*>(data + layout.colourTableOffset);
    for (uint32_t i = 0; i < layout.colourCount; ++i) {
      logical->palPalEntry[i].peRed = table[i].rgbRed;
      logical->palPalEntry[i].peGreen = table[i].rgbGreen;
      logical->palPalEntry[i].peBlue = table[i].rgbBlue;
      logical->palPalEntry[i].peFlags = 0;
    }
    palette_.reset(CreatePalette(logical));
  }
  return true;
}

HPALETTE DibImage::selectPalette(HDC dc, bool background) const {
  if (!dc || !palette_) return nullptr;
  HPALETTE previous = SelectPalette(dc, palette_.get(), background ? TRUE : FALSE);
  RealizePalette(dc);
  return previous;
}

bool DibImage::makeBitmap(HDC dc) {
  bitmap_.reset();
  if (!dc || !info_) return false;
  HPALETTE previous = selectPalette(dc, false);
  bitmap_.reset(CreateDIBitmap(dc, &info_->bmiHeader, CBM_INIT, bits_, info_, DIB_RGB_COLORS));
  if (previous) SelectPalette(dc, previous, FALSE);
  return bitmap_.get() != nullptr;
}

bool DibImage::drawStretched(HDC dc, const RECT& destination, const RECT& source) const {
  if (!dc || !info_) return false;
  // StretchDIBits counts source rows from the bottom of a bottom-up bitmap.
  int sourceHeight = source.bottom - source.top;
  int sourceY = layout_.height > 0 ? height() - source.bottom : source.top;
  int previousMode = SetStretchBltMode(dc, COLORONCOLOR);
  int lines = StretchDIBits(dc, destination.left, destination.top,
                            destination.right - destination.left,
                            destination.bottom - destination.top, source.left, sourceY,
                            source.right - source.left, sourceHeight, bits_, info_,
                            DIB_RGB_COLORS, SRCCOPY);
  if (previousMode) SetStretchBltMode(dc, previousMode);
  return lines > 0;
}

void DibImage::destroy() {
  bitmap_.reset();
  palette_.reset();
  if (resource_) FreeResource(resource_);
  resource_ = nullptr;
  info_ = nullptr;
  bits_ = nullptr;
  layout_ = DibLayout();
}

}  // namespace srv
