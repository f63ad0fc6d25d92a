#include "explorer/settings.h"

#include "scsi/bytes.h"

namespace explorer {
namespace {

// The field keeps its default unless the value has exactly the field's size.
void decodeInto(const StoredValue& value, int32_t* fields, size_t count) {
  if (!value || value->size() != count * 4) return;
  for (size_t i = 0; i < count; ++i)
    fields[i] = static_cast<int32_t>(scsi::le32(value->data() + 4 * i));
}

}  // namespace

ExplorerSettings decodeSettings(const StoredValue& statusBar, const StoredValue& view,
                                const StoredValue& sizePos) {
  ExplorerSettings s;
  decodeInto(statusBar, &s.statusBar, 1);
  decodeInto(view, &s.view, 1);
  decodeInto(sizePos, s.sizePos.data(), s.sizePos.size());
  return s;
}

EncodedSettings encodeSettings(const ExplorerSettings& settings) {
  EncodedSettings e{};
  scsi::putLe32(e.statusBar.data(), static_cast<uint32_t>(settings.statusBar));
  scsi::putLe32(e.view.data(), static_cast<uint32_t>(settings.view));
  for (size_t i = 0; i < 4; ++i)
    scsi::putLe32(e.sizePos.data() + 4 * i, static_cast<uint32_t>(settings.sizePos[i]));
  return e;
}

bool placementCentres(const std::array<int32_t, 4>& r) {
  // 64-bit differences: stored corners can be anything.
  int64_t width = static_cast<int64_t>(r[2]) - r[0];
  int64_t height = static_cast<int64_t>(r[3]) - r[1];
  return width <= 0 || height <= 0;
}

}  // namespace explorer
