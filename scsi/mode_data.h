// Mode data as MODE SENSE returns it and MODE SELECT takes it back: a header (4 bytes
// after a 6-byte CDB, 8 after a 10-byte one), block descriptors, then the pages. Every
// length in it comes from the device, so each is held against the buffer before use.
// Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>

namespace scsi {

enum class ModeHeader : uint8_t { Six, Ten };

// What a header says, held against the `size` bytes it arrived in.
struct ModeLayout {
  size_t claimed = 0;     // mode data length + its own field: what the device says it sent
  size_t returned = 0;    // claimed, never more than the buffer; 0 when the header is not in it
  size_t pageOffset = 0;  // the first page: header + block descriptor length
  // True when byte `pageByte` of the first page lies inside what was returned.
  bool holds(size_t pageByte) const { return pageOffset + pageByte < returned; }
};
ModeLayout modeLayout(const uint8_t* data, size_t size, ModeHeader header = ModeHeader::Six);

// Where a page lies in an answer.
struct ModePage {
  size_t offset = 0;      // page byte 0
  size_t listLength = 0;  // header + descriptors + page: the MODE SELECT length; 0: no page
  explicit operator bool() const { return listLength != 0; }
};

// The page `pageCode` (PS bit ignored) as the first page of an answer. It must lie inside
// both the buffer and what the device says it returned, hold at least one parameter byte
// (page byte 2), and fit the parameter list length field of the matching MODE SELECT;
// anything else is no page.
ModePage locateModePage(const uint8_t* data, size_t size, uint8_t pageCode,
                        ModeHeader header = ModeHeader::Six);

// Turns an answer holding `pageCode` into a MODE SELECT parameter list in place: the mode
// data length is reserved on a select and the PS bit must be 0. Returns the page; when
// there is none, nothing is changed.
ModePage prepareModeSelectList(uint8_t* list, size_t size, uint8_t pageCode,
                               ModeHeader header = ModeHeader::Six);

}  // namespace scsi
