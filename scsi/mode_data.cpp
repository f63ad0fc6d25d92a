#include "scsi/mode_data.h"

#include "scsi/bytes.h"

namespace scsi {
namespace {

constexpr uint8_t kPsBit = 0x80;
constexpr uint8_t kPageCodeMask = 0x3F;
constexpr size_t kFirstParameter = 2;  // page byte 2, after code and length

struct HeaderFormat {
  size_t size;
  size_t lengthField;    // bytes of the mode data length, at byte 0
  size_t maxListLength;  // what the MODE SELECT CDB's length field can carry
};

HeaderFormat format(ModeHeader header) {
  return header == ModeHeader::Six ? HeaderFormat{4, 1, 0xFF} : HeaderFormat{8, 2, 0xFFFF};
}

}  // namespace

ModeLayout modeLayout(const uint8_t* data, size_t size, ModeHeader header) {
  ModeLayout layout;
  const HeaderFormat f = format(header);
  if (!data || size < f.size) return layout;
  // The mode data length counts the bytes after itself.
  layout.claimed = static_cast<size_t>(f.lengthField == 1 ? data[0] : be16(data)) + f.lengthField;
  layout.returned = layout.claimed < size ? layout.claimed : size;
  // The block descriptor length ends the header.
  const size_t descriptors = static_cast<size_t>(f.lengthField == 1 ? data[3] : be16(data + 6));
  layout.pageOffset = f.size + descriptors;
  return layout;
}

ModePage locateModePage(const uint8_t* data, size_t size, uint8_t pageCode, ModeHeader header) {
  ModePage page;
  const ModeLayout layout = modeLayout(data, size, header);
  if (!layout.holds(kFirstParameter)) return page;
  const size_t offset = layout.pageOffset;
  if ((data[offset] & kPageCodeMask) != (pageCode & kPageCodeMask)) return page;
  const size_t length = offset + kFirstParameter + data[offset + 1];
  if (length > layout.returned || length <= offset + kFirstParameter ||
      length > format(header).maxListLength)
    return page;
  page.offset = offset;
  page.listLength = length;
  return page;
}

ModePage prepareModeSelectList(uint8_t* list, size_t size, uint8_t pageCode, ModeHeader header) {
  const ModePage page = locateModePage(list, size, pageCode, header);
  if (!page) return page;
  for (size_t i = 0; i < format(header).lengthField; ++i) list[i] = 0;
  list[page.offset] = static_cast<uint8_t>(list[page.offset] & ~kPsBit);
  return page;
}

}  // namespace scsi
