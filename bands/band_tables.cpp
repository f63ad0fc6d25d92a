#include "bands/band_tables.h"

#include "framework/scale.h"

namespace bands {

DeskSize deskSizeAt(const DeskSize& size, unsigned dpi) {
  const int step = fw::pictureStep(dpi);
  const int percent = fw::pictureScalePercent(step);
  return {fw::pictureId(size.bitmapId, step), size.image * percent / 100,
          size.button * percent / 100};
}

BandMetrics bandMetricsAt(BandKind kind, unsigned dpi) {
  BandMetrics m = bandMetrics(kind);
  auto grow = [dpi](int& length) {
    if (length > 0) length = fw::scaled(length, dpi);
  };
  grow(m.minX);
  grow(m.minY);
  grow(m.maxX);
  grow(m.maxY);
  return m;
}

}  // namespace bands
