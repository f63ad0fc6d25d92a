#include "devsheet/mode_logic.h"

#include <cstring>

#include "framework/text.h"
#include "scsi/mode_data.h"

namespace dev {
namespace {

constexpr size_t kHeaderSize = 4;

}  // namespace

const ModePageEntry* modePageEntry(uint8_t code) {
  for (const ModePageEntry& entry : kModePages)
    if (entry.code == code) return &entry;
  return nullptr;
}

bool answerIsEmpty(const uint8_t* answer) {
  // Only the header is read; judged by what the device claims, not by what the buffer
  // holds of it.
  const scsi::ModeLayout layout = scsi::modeLayout(answer, kHeaderSize);
  return layout.claimed <= layout.pageOffset;
}

bool readModeAnswers(ModePort& port, uint8_t pageCode, ModeAnswers& answers) {
  uint8_t* const buffers[] = {answers.current, answers.changeable, answers.defaults, answers.saved};
  for (uint8_t control = 0; control < 4; ++control) {
    std::memset(buffers[control], 0, kModeDataSize);
    if (!port.sense(pageCode, control, buffers[control])) return false;
    // The saved values are not tested: a device that keeps none still has the page.
    if (control < 3 && answerIsEmpty(buffers[control])) return false;
  }
  return true;
}

ModeValue decodeValue(const uint8_t* answer, size_t size, const ModeParameter& p) {
  ModeValue value;
  const scsi::ModeLayout layout = scsi::modeLayout(answer, size);
  if (p.last < p.first || p.last - p.first > 3 || !layout.holds(p.last)) return value;
  const uint8_t* field = answer + layout.pageOffset + p.first;
  const unsigned masked = static_cast<unsigned>((field[0] & p.mask) >> p.shift);
  switch (p.decode) {
    case Decode::Number:
      value.textId = 0;
      value.number = fw::format("%u", masked);
      break;
    case Decode::Signed:
      // The masked byte as it stands (0 to 255).
      value.textId = 0;
      value.number = fw::format("%d", static_cast<int>(masked));
      break;
    case Decode::Flag:
      value.textId = (field[0] & p.mask) ? p.setText : p.clearText;
      break;
    case Decode::Wide: {
      unsigned long wideValue = 0;
      for (size_t i = 0; i <= static_cast<size_t>(p.last - p.first); ++i)
        wideValue = (wideValue << 8) | field[i];
      value.textId = 0;
      value.number = fw::format("%lu", wideValue);
      break;
    }
  }
  return value;
}

ModeValues decodeParameter(const ModeAnswers& answers, const ModeParameter& p) {
  ModeValues values;
  // The current page's length decides for all three; its length byte must itself have
  // been returned.
  const scsi::ModeLayout layout = scsi::modeLayout(answers.current, kModeDataSize);
  if (!layout.holds(1)) return values;
  const size_t pageLength = answers.current[layout.pageOffset + 1];
  // The field's last byte, so that no byte of a wide field lies past the page.
  if (p.last < 2 || static_cast<size_t>(p.last - 2) >= pageLength) return values;
  values.current = decodeValue(answers.current, kModeDataSize, p);
  values.saved = decodeValue(answers.saved, kModeDataSize, p);
  values.defaults = decodeValue(answers.defaults, kModeDataSize, p);
  return values;
}

}  // namespace dev
