// The Mode Parameters page's logic: the tables' shapes and orders, the four reads of a
// page on a fake disk, and the decoding of parameters from answers of every shape,
// including answers whose lengths point past what they hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <set>
#include <vector>

#include "devsheet/mode_logic.h"

namespace {

using dev::ModeValue;

// A MODE SENSE answer: header, `descriptors` bytes of block descriptors, the page.
std::vector<uint8_t> answer(uint8_t descriptors, std::vector<uint8_t> page) {
  std::vector<uint8_t> a(4 + descriptors, 0xDD);
  a[1] = a[2] = 0;
  a[3] = descriptors;
  a.insert(a.end(), page.begin(), page.end());
  a[0] = static_cast<uint8_t>(a.size() - 1);
  return a;
}

void put(const std::vector<uint8_t>& bytes, uint8_t (&buffer)[dev::kModeDataSize]) {
  std::memset(buffer, 0, sizeof buffer);
  std::memcpy(buffer, bytes.data(), std::min(bytes.size(), sizeof buffer));
}

ModeValue text(uint16_t id) { return {id, ""}; }
ModeValue num(const char* n) { return {0, n}; }
const ModeValue kUnavailable = text(dev::kTextUnavailable);

const dev::ModeParameter& parameter(uint8_t page, size_t index) {
  return dev::modePageEntry(page)->parameters[index];
}

TEST(DevsheetModeLogic, TablesInListOrder) {
  const uint8_t codes[] = {0x08, 0x02, 0x0A, 0x01, 0x04, 0x1C};
  const size_t counts[] = {9, 7, 9, 14, 9, 7};
  const uint16_t names[] = {32896, 32897, 32898, 32899, 32900, 32949};
  std::set<uint16_t> seen;
  for (size_t i = 0; i < dev::kModePageCount; ++i) {
    const dev::ModePageEntry& entry = dev::kModePages[i];
    EXPECT_EQ(entry.code, codes[i]);
    EXPECT_EQ(entry.count, counts[i]);
    EXPECT_EQ(entry.nameId, names[i]);
    EXPECT_EQ(dev::modePageEntry(entry.code), &entry);
    for (size_t j = 0; j < entry.count; ++j) {
      const dev::ModeParameter& p = entry.parameters[j];
      EXPECT_TRUE(seen.insert(p.nameId).second) << p.nameId;
      EXPECT_GE(p.first, 2);
      EXPECT_LE(p.last - p.first, 3);
      EXPECT_LT(p.last, dev::kModeDataSize);
    }
  }
  EXPECT_EQ(seen.size(), 55u);
  EXPECT_EQ(dev::modePageEntry(0x03), nullptr);
  // The recovery page lists 32939 first and the offsets before the write retry count.
  const dev::ModePageEntry& recovery = *dev::modePageEntry(0x01);
  EXPECT_EQ(recovery.parameters[0].nameId, 32939);
  EXPECT_EQ(recovery.parameters[1].nameId, 32926);
  EXPECT_EQ(recovery.parameters[10].nameId, 32937);
  EXPECT_EQ(recovery.parameters[12].nameId, 32935);
}

// Current, saved and default answers of one page, each with its own descriptors.
dev::ModeAnswers answers(const std::vector<uint8_t>& current, const std::vector<uint8_t>& saved,
                         const std::vector<uint8_t>& defaults) {
  dev::ModeAnswers a = {};
  put(current, a.current);
  put(saved, a.saved);
  put(defaults, a.defaults);
  return a;
}

TEST(DevsheetModeLogic, DecodingKinds) {
  // Caching: WCE and RCD set, priorities 3 and 5, a wide prefetch field.
  const std::vector<uint8_t> caching = {0x88, 0x12, 0x05, 0x35, 0x12, 0x34, 0, 0, 0xFF, 0xFF,
                                        0xAB, 0xCD, 0, 0, 0, 0, 0, 0, 0, 0};
  std::vector<uint8_t> cleared = caching;
  cleared[2] = 0x02;  // only the multiplication factor
  const dev::ModeAnswers a = answers(answer(8, caching), answer(0, cleared), answer(8, cleared));
  auto values = [&](size_t index) {
    const dev::ModeValues v = dev::decodeParameter(a, parameter(0x08, index));
    return std::vector<ModeValue>{v.current, v.saved, v.defaults};
  };
  EXPECT_EQ(values(0), (std::vector<ModeValue>{text(dev::kTextEnabled), text(dev::kTextDisabled),
                                               text(dev::kTextDisabled)}));
  // RCD set reads "Disabled".
  EXPECT_EQ(values(1), (std::vector<ModeValue>{text(dev::kTextDisabled), text(dev::kTextEnabled),
                                               text(dev::kTextEnabled)}));
  EXPECT_EQ(values(2)[0], num("3"));
  EXPECT_EQ(values(3)[0], num("5"));
  EXPECT_EQ(values(4)[0], num("4660"));
  EXPECT_EQ(values(5), (std::vector<ModeValue>{num("0"), num("1"), num("1")}));
  EXPECT_EQ(values(8)[0], num("43981"));
  // Every answer at its own offset: the saved one has no block descriptor.
  EXPECT_EQ(values(7), (std::vector<ModeValue>{num("65535"), num("65535"), num("65535")}));

  // Geometry: 24-bit cylinders; recovery: the offsets as the masked byte.
  std::vector<uint8_t> geometry(24, 0);
  geometry[0] = 0x04;
  geometry[1] = 0x16;
  geometry[2] = 0x00, geometry[3] = 0x3A, geometry[4] = 0x98;
  geometry[20] = 0x1C, geometry[21] = 0x20;
  const dev::ModeAnswers g = answers(answer(8, geometry), answer(8, geometry), answer(8, geometry));
  EXPECT_EQ(dev::decodeParameter(g, parameter(0x04, 0)).current, num("15000"));
  EXPECT_EQ(dev::decodeParameter(g, parameter(0x04, 8)).current, num("7200"));
  const std::vector<uint8_t> recovery = {0x01, 0x0A, 0x10, 0x0B, 0x08, 0xFE, 0x80, 0, 0x05, 0, 0x01, 0x2C};
  const dev::ModeAnswers r = answers(answer(8, recovery), answer(8, recovery), answer(8, recovery));
  EXPECT_EQ(dev::decodeParameter(r, parameter(0x01, 3)).current, text(dev::kTextNo)) << "DCR set";
  EXPECT_EQ(dev::decodeParameter(r, parameter(0x01, 0)).current, text(dev::kTextNo));
  EXPECT_EQ(dev::decodeParameter(r, parameter(0x01, 10)).current, num("254"));
  EXPECT_EQ(dev::decodeParameter(r, parameter(0x01, 11)).current, num("128"));
  EXPECT_EQ(dev::decodeParameter(r, parameter(0x01, 12)).current, num("5"));
  EXPECT_EQ(dev::decodeParameter(r, parameter(0x01, 13)).current, num("300"));
  // Exceptions: a 32-bit field at its widest.
  const std::vector<uint8_t> exceptions = {0x1C, 0x0A, 0x8D, 0x03, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 1};
  const dev::ModeAnswers e = answers(answer(8, exceptions), answer(8, exceptions), answer(8, exceptions));
  EXPECT_EQ(dev::decodeParameter(e, parameter(0x1C, 0)).current, num("1"));
  EXPECT_EQ(dev::decodeParameter(e, parameter(0x1C, 1)).current, text(dev::kTextDisabled));
  EXPECT_EQ(dev::decodeParameter(e, parameter(0x1C, 2)).current, num("1"));
  EXPECT_EQ(dev::decodeParameter(e, parameter(0x1C, 4)).current, num("3"));
  EXPECT_EQ(dev::decodeParameter(e, parameter(0x1C, 5)).current, num("4294967295"));
  EXPECT_EQ(dev::decodeParameter(e, parameter(0x1C, 6)).current, num("1"));
}

TEST(DevsheetModeLogic, FieldsPastThePageReadUnavailable) {
  const dev::ModeParameter& ceiling = parameter(0x08, 8);   // bytes 10-11
  const dev::ModeParameter& maximum = parameter(0x08, 7);   // bytes 8-9
  auto page = [](uint8_t length) {
    std::vector<uint8_t> p(2 + length, 0x11);
    p[0] = 0x08;
    p[1] = length;
    return p;
  };
  auto all = [](const dev::ModeValues& v) { return std::vector<ModeValue>{v.current, v.saved, v.defaults}; };
  const std::vector<ModeValue> unavailable(3, kUnavailable);
  // Length 0Ah: bytes 10-11 are the last two of the page.
  const dev::ModeAnswers ten = answers(answer(8, page(0x0A)), answer(8, page(0x0A)), answer(8, page(0x0A)));
  EXPECT_EQ(all(dev::decodeParameter(ten, ceiling)), std::vector<ModeValue>(3, num("4369")));
  // Length 08h: the field lies beyond the page.
  const dev::ModeAnswers eight = answers(answer(8, page(0x08)), answer(8, page(0x08)), answer(8, page(0x08)));
  EXPECT_EQ(all(dev::decodeParameter(eight, ceiling)), unavailable);
  EXPECT_EQ(all(dev::decodeParameter(eight, maximum)), std::vector<ModeValue>(3, num("4369")));
  // Length 09h: the first byte of the field is inside, its last byte is not.
  const dev::ModeAnswers nine = answers(answer(8, page(0x09)), answer(8, page(0x09)), answer(8, page(0x09)));
  EXPECT_EQ(all(dev::decodeParameter(nine, ceiling)), unavailable);

  // The current page decides the range, but each answer is bounded by its own length:
  // a saved answer cut before the field, and a default answer whose descriptors push
  // the page past the buffer.
  std::vector<uint8_t> cut = answer(8, page(0x0A));
  cut[0] = static_cast<uint8_t>(4 + 8 + 10);  // returned through page byte 9 only
  std::vector<uint8_t> pushed = answer(0, page(0x0A));
  pushed[3] = 70;  // page at 74: byte 11 would be 85, past the 84-byte buffer
  pushed[0] = 0xFF;
  const dev::ModeAnswers mixed = answers(answer(8, page(0x0A)), cut, pushed);
  const dev::ModeValues v = dev::decodeParameter(mixed, ceiling);
  EXPECT_EQ(v.current, num("4369"));
  EXPECT_EQ(v.saved, kUnavailable);
  EXPECT_EQ(v.defaults, kUnavailable);
  EXPECT_EQ(dev::decodeParameter(mixed, maximum).saved, num("4369"));

  // A current answer that says it holds less than its own page length byte, or nothing.
  std::vector<uint8_t> headerOnly = answer(8, page(0x0A));
  headerOnly[0] = 12;  // through the page code only
  EXPECT_EQ(all(dev::decodeParameter(answers(headerOnly, cut, cut), maximum)), unavailable);
  std::vector<uint8_t> huge = answer(0, page(0x0A));
  huge[3] = 0xFF;
  huge[0] = 0xFF;
  EXPECT_EQ(all(dev::decodeParameter(answers(huge, huge, huge), maximum)), unavailable);
  EXPECT_EQ(all(dev::decodeParameter(dev::ModeAnswers{}, maximum)), unavailable);
}

// A disk that answers each MODE SENSE with the scripted answer (or fails).
class FakeDisk : public dev::ModePort {
 public:
  struct Answer {
    bool completes;
    std::vector<uint8_t> bytes;
  };
  std::deque<Answer> script;
  std::vector<std::pair<int, int>> sent;  // page code, page control
  std::vector<bool> zeroed;
  bool sense(uint8_t page, uint8_t control, uint8_t* buffer) override {
    sent.push_back({page, control});
    zeroed.push_back(std::all_of(buffer, buffer + dev::kModeDataSize, [](uint8_t b) { return b == 0; }));
    Answer a = script.empty() ? Answer{true, answer(8, {0x08, 0x02, 0, 0})} : script.front();
    if (!script.empty()) script.pop_front();
    std::memcpy(buffer, a.bytes.data(), std::min(a.bytes.size(), dev::kModeDataSize));
    return a.completes;
  }
};

TEST(DevsheetModeLogic, FourReadsStoppingAtAFailureOrAnEmptyAnswer) {
  const std::vector<uint8_t> good = answer(8, {0x08, 0x02, 0, 0});
  const std::vector<uint8_t> empty = answer(8, {});
  dev::ModeAnswers a;
  std::memset(&a, 0xEE, sizeof a);
  FakeDisk disk;
  EXPECT_TRUE(dev::readModeAnswers(disk, 0x1C, a));
  EXPECT_EQ(disk.sent, (std::vector<std::pair<int, int>>{{0x1C, 0}, {0x1C, 1}, {0x1C, 2}, {0x1C, 3}}));
  EXPECT_EQ(disk.zeroed, std::vector<bool>(4, true));
  EXPECT_EQ(a.saved[0], good[0]);

  for (size_t at = 0; at < 3; ++at) {
    SCOPED_TRACE(at);
    FakeDisk noPage;
    for (size_t i = 0; i < at; ++i) noPage.script.push_back({true, good});
    noPage.script.push_back({true, empty});
    EXPECT_FALSE(dev::readModeAnswers(noPage, 0x08, a));
    EXPECT_EQ(noPage.sent.size(), at + 1);

    FakeDisk failing;
    for (size_t i = 0; i < at; ++i) failing.script.push_back({true, good});
    failing.script.push_back({false, good});
    EXPECT_FALSE(dev::readModeAnswers(failing, 0x08, a));
    EXPECT_EQ(failing.sent.size(), at + 1);
  }
  // The saved answer is not tested for a page; its failure still fails the read.
  FakeDisk savedEmpty;
  savedEmpty.script = {{true, good}, {true, good}, {true, good}, {true, empty}};
  EXPECT_TRUE(dev::readModeAnswers(savedEmpty, 0x08, a));
  FakeDisk savedFails;
  savedFails.script = {{true, good}, {true, good}, {true, good}, {false, good}};
  EXPECT_FALSE(dev::readModeAnswers(savedFails, 0x08, a));
  // Empty means mode data length not above descriptor length + 3.
  std::vector<uint8_t> header = {11, 0, 0, 8};
  EXPECT_TRUE(dev::answerIsEmpty(header.data()));
  header[0] = 12;
  EXPECT_FALSE(dev::answerIsEmpty(header.data()));
  const uint8_t wrapped[] = {0xFF, 0, 0, 0xFF};  // descriptor length + 3 past one byte
  EXPECT_TRUE(dev::answerIsEmpty(wrapped));
}

}  // namespace
