// What the Mode Parameters page reads and shows: the six mode pages it offers, each
// page's parameters as one table of rows, the four MODE SENSE(6) reads of a page, and
// the decoding of one parameter from the current, saved and default answers.
// Platform-free: texts are string-table ids, the commands go through a ModePort.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "scsi/commands.h"

namespace dev {

constexpr size_t kModeDataSize = scsi::kModeDataLength;  // 84, the allocation length

// String ids shared with the rest of the sheet.
constexpr uint16_t kTextYes = 32860;
constexpr uint16_t kTextNo = 32861;
constexpr uint16_t kTextEnabled = 32893;
constexpr uint16_t kTextDisabled = 32894;
constexpr uint16_t kTextUnavailable = 32895;

enum class Decode : uint8_t {
  Number,  // (byte AND mask) >> shift, "%u"
  Signed,  // the same, "%d"
  Flag,    // (byte AND mask) set: setText, clear: clearText
  Wide,    // bytes first..last big-endian, "%lu"
};

// One parameter: where it lies in the mode page (page byte 0 is the page code) and how
// it is shown.
struct ModeParameter {
  uint16_t nameId;
  uint8_t first;
  uint8_t last;  // == first except for wide numbers
  uint8_t mask;
  uint8_t shift;
  Decode decode;
  uint16_t setText;
  uint16_t clearText;
};

constexpr ModeParameter number(uint16_t name, uint8_t byte, uint8_t mask = 0xFF, uint8_t shift = 0) {
  return {name, byte, byte, mask, shift, Decode::Number, 0, 0};
}
constexpr ModeParameter signedNumber(uint16_t name, uint8_t byte) {
  return {name, byte, byte, 0xFF, 0, Decode::Signed, 0, 0};
}
constexpr ModeParameter flag(uint16_t name, uint8_t byte, uint8_t mask, uint16_t set, uint16_t clear) {
  return {name, byte, byte, mask, 0, Decode::Flag, set, clear};
}
constexpr ModeParameter yesNo(uint16_t name, uint8_t byte, uint8_t mask) {
  return flag(name, byte, mask, kTextYes, kTextNo);
}
constexpr ModeParameter wide(uint16_t name, uint8_t first, uint8_t last) {
  return {name, first, last, 0xFF, 0, Decode::Wide, 0, 0};
}

// In list order; the list index selects the row.
inline constexpr ModeParameter kCachingParameters[] = {
    flag(32901, 2, 0x04, kTextEnabled, kTextDisabled),  // WCE
    flag(32902, 2, 0x01, kTextDisabled, kTextEnabled),  // RCD: set disables
    number(32903, 3, 0xF0, 4),
    number(32904, 3, 0x0F),
    wide(32905, 4, 5),
    number(32906, 2, 0x02, 1),
    wide(32907, 6, 7),
    wide(32908, 8, 9),
    wide(32909, 10, 11),
};

inline constexpr ModeParameter kDisconnectParameters[] = {
    number(32910, 2), number(32911, 3), wide(32912, 4, 5), wide(32913, 6, 7),
    wide(32914, 8, 9), wide(32915, 10, 11), number(32916, 12, 0x03),
};

inline constexpr ModeParameter kControlParameters[] = {
    yesNo(32917, 2, 0x01), number(32918, 3, 0xF0, 4), yesNo(32919, 3, 0x02),
    yesNo(32920, 3, 0x01), yesNo(32921, 4, 0x80),     yesNo(32922, 4, 0x04),
    yesNo(32923, 4, 0x02), yesNo(32924, 4, 0x01),     wide(32925, 6, 7),
};

inline constexpr ModeParameter kRecoveryParameters[] = {
    yesNo(32939, 2, 0x80), yesNo(32926, 2, 0x40), yesNo(32927, 2, 0x20),
    flag(32928, 2, 0x10, kTextNo, kTextYes),  // DCR set: recovery may not delay
    yesNo(32929, 2, 0x08), yesNo(32930, 2, 0x04), yesNo(32931, 2, 0x02), yesNo(32932, 2, 0x01),
    number(32933, 3),      number(32934, 4),      signedNumber(32937, 5), signedNumber(32938, 6),
    number(32935, 8),      wide(32936, 10, 11),
};

inline constexpr ModeParameter kGeometryParameters[] = {
    wide(32940, 2, 4),   number(32941, 5),        wide(32945, 6, 8),
    wide(32946, 9, 11),  wide(32942, 12, 13),     wide(32943, 14, 16),
    number(32948, 17, 0x03), number(32947, 18),   wide(32944, 20, 21),
};

inline constexpr ModeParameter kExceptionsParameters[] = {
    number(32950, 2, 0x80, 7), flag(32951, 2, 0x08, kTextDisabled, kTextEnabled),
    number(32952, 2, 0x04, 2), number(32953, 2, 0x01),
    number(32954, 3, 0x0F),    wide(32955, 4, 7), wide(32956, 8, 11),
};

struct ModePageEntry {
  uint16_t nameId;  // the combo box text
  uint8_t code;
  const ModeParameter* parameters;
  size_t count;
};

template <size_t N>
constexpr ModePageEntry pageEntry(uint16_t name, uint8_t code, const ModeParameter (&rows)[N]) {
  return {name, code, rows, N};
}

// The combo box entries, in order.
inline constexpr ModePageEntry kModePages[] = {
    pageEntry(32896, 0x08, kCachingParameters),
    pageEntry(32897, 0x02, kDisconnectParameters),
    pageEntry(32898, 0x0A, kControlParameters),
    pageEntry(32899, 0x01, kRecoveryParameters),
    pageEntry(32900, 0x04, kGeometryParameters),
    pageEntry(32949, 0x1C, kExceptionsParameters),
};
constexpr size_t kModePageCount = sizeof kModePages / sizeof kModePages[0];

// The entry of a page code; null for a page the page does not offer.
const ModePageEntry* modePageEntry(uint8_t code);

// The answers of the last read, one per page control.
struct ModeAnswers {
  uint8_t current[kModeDataSize];
  uint8_t changeable[kModeDataSize];
  uint8_t defaults[kModeDataSize];
  uint8_t saved[kModeDataSize];
};

// An answer that holds no page: mode data length not above block descriptor length + 3.
bool answerIsEmpty(const uint8_t* answer);

// The reads, carried out (and their failures shown) by the page.
class ModePort {
 public:
  virtual ~ModePort() = default;
  // One MODE SENSE(6) of the page in that page control into `buffer` (84 bytes). True
  // when it completed.
  virtual bool sense(uint8_t pageCode, uint8_t pageControl, uint8_t* buffer) = 0;
};

// Current, changeable, default and saved values of the page, in that order. Each
// buffer is zeroed just before its own read, so that it never holds another page's
// bytes. Stops at the first read that fails and at the first of the first three
// answers that holds no page. True when all four completed.
bool readModeAnswers(ModePort& port, uint8_t pageCode, ModeAnswers& answers);

// One shown value: a string id, or (id 0) the number's text.
struct ModeValue {
  uint16_t textId = kTextUnavailable;
  std::string number;
  bool operator==(const ModeValue& o) const { return textId == o.textId && number == o.number; }
};

// The parameter from one answer: read at that answer's own page offset (4 + its block
// descriptor length), and "Unavailable" when any byte of the field lies past the answer
// (its mode data length + 1) or past `size`.
ModeValue decodeValue(const uint8_t* answer, size_t size, const ModeParameter& parameter);

struct ModeValues {
  ModeValue current, saved, defaults;
};

// The three texts of the parameter: all "Unavailable" when its last byte lies beyond
// the current page's length, otherwise each answer decoded on its own.
ModeValues decodeParameter(const ModeAnswers& answers, const ModeParameter& parameter);

}  // namespace dev
