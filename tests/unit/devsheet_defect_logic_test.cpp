// The Defect List page's logic: list lines from READ DEFECT DATA answers (length rules,
// the cap, the formats), how a read's outcome is judged, and the order of the two reads
// on a fake disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <vector>

#include "devsheet/defect_logic.h"

namespace {

using dev::DefectOutcome;

const dev::DefectLineTexts kTexts = {"Cylinder: %1", "      Head: %1", "      Sector: %1"};

// A defect data buffer of `size` bytes whose header claims `length` and whose entries
// are `entries` (8 bytes each), the rest zero.
std::vector<uint8_t> answer(uint16_t length, const std::vector<std::vector<uint8_t>>& entries,
                            size_t size = dev::kDefectBufferSize) {
  std::vector<uint8_t> data(std::max<size_t>(size, 4 + 8 * entries.size()), 0);
  data[1] = 0x15;
  data[2] = static_cast<uint8_t>(length >> 8);
  data[3] = static_cast<uint8_t>(length);
  size_t at = 4;
  for (const auto& entry : entries) {
    std::memcpy(&data[at], entry.data(), entry.size());
    at += entry.size();
  }
  data.resize(size);
  return data;
}

dev::DefectListView view(const std::vector<uint8_t>& data) {
  return dev::defectListView(data.data(), data.size(), kTexts, "No Primary Defects.");
}

TEST(DevsheetDefectLogic, LinesInListOrderWithTheirFormats) {
  const auto data = answer(24, {{0x00, 0x12, 0x34, 0x05, 0x00, 0x00, 0x01, 0x00},
                                {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
                                {0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00, 0x09}});
  const dev::DefectListView v = view(data);
  ASSERT_EQ(v.lines.size(), 3u);
  EXPECT_EQ(v.lines[0], "Cylinder: 04660      Head: 05      Sector: 00256");
  // Widest values: nothing is cut, and the whole-track sector is not negative.
  EXPECT_EQ(v.lines[1], "Cylinder: 16777215      Head: 255      Sector: 4294967295");
  EXPECT_EQ(v.lines[2], "Cylinder: 00007      Head: 00      Sector: 00009");
  EXPECT_EQ(v.total, "3");
}

TEST(DevsheetDefectLogic, LengthRules) {
  // Empty: the empty text alone, total 0.
  EXPECT_EQ(view(answer(0, {})).lines, std::vector<std::string>{"No Primary Defects."});
  EXPECT_EQ(view(answer(0, {})).total, "0");
  // 12 bytes: one whole entry; the half entry is not shown.
  const auto twelve = view(answer(12, {{0, 0, 1, 2, 0, 0, 0, 3}, {9, 9, 9, 9}}));
  EXPECT_EQ(twelve.lines.size(), 1u);
  EXPECT_EQ(twelve.total, "1");
  // Under one entry: no line and no empty text (the length is not 0).
  EXPECT_TRUE(view(answer(7, {})).lines.empty());
  EXPECT_EQ(view(answer(7, {})).total, "0");
}

TEST(DevsheetDefectLogic, LengthCappedByTheBuffer) {
  // Past 8192: 8188 bytes, 1023 entries, the last one ending at the buffer's last byte.
  std::vector<uint8_t> full = answer(0xFFFF, {});
  for (size_t i = 4; i < full.size(); ++i) full[i] = static_cast<uint8_t>(i);
  EXPECT_EQ(dev::defectListLength(full.data(), full.size()), 8188u);
  const dev::DefectListView v = view(full);
  EXPECT_EQ(v.lines.size(), 1023u);
  EXPECT_EQ(v.total, "1023");
  const dev::Defect last = dev::defectAt(full.data(), full.size(), 1022);
  const size_t at = 4 + 1022 * 8;
  EXPECT_EQ(last.cylinder, (static_cast<uint32_t>(at & 0xFF) << 16) | (((at + 1) & 0xFF) << 8) | ((at + 2) & 0xFF));
  EXPECT_EQ(last.sector & 0xFF, (at + 7) & 0xFF);
  EXPECT_EQ(8188u, dev::defectListLength(answer(8189, {}).data(), dev::kDefectBufferSize));
  EXPECT_EQ(8184u, dev::defectListLength(answer(8184, {}).data(), dev::kDefectBufferSize));
  // A smaller buffer bounds the length by what it holds; no buffer holds nothing.
  EXPECT_EQ(dev::defectListLength(answer(800, {}, 20).data(), 20), 16u);
  EXPECT_EQ(dev::defectCount(answer(800, {}, 20).data(), 20), 2u);
  EXPECT_EQ(dev::defectListLength(answer(800, {}, 3).data(), 3), 0u);
  EXPECT_EQ(dev::defectListLength(nullptr, 8192), 0u);
  EXPECT_EQ(dev::defectAt(full.data(), full.size(), 1023).cylinder, 0u) << "past the last entry";
}

scsi::ExecCommandBlock finished(uint8_t status, uint8_t adapterStatus, uint8_t targetStatus) {
  scsi::ExecCommandBlock block = {};
  block.header.status = status;
  block.adapterStatus = adapterStatus;
  block.targetStatus = targetStatus;
  return block;
}

TEST(DevsheetDefectLogic, OutcomeOfARead) {
  struct Case {
    uint8_t status, adapter, target;
    DefectOutcome outcome;
    uint32_t message;
  };
  const Case cases[] = {
      {1, 0x00, 0x00, DefectOutcome::Success, 0},
      {4, 0x12, 0x00, DefectOutcome::Success, 0},     // underrun: a short list
      {1, 0x12, 0x00, DefectOutcome::Success, 0},
      {4, 0x12, 0x02, DefectOutcome::Unreadable, 1011},
      {4, 0x00, 0x02, DefectOutcome::Unreadable, 1011},
      {2, 0x00, 0x00, DefectOutcome::Aborted, 1013},
      {4, 0x00, 0x08, DefectOutcome::Busy, 1012},
      {4, 0x12, 0x08, DefectOutcome::Busy, 1012},
      {4, 0x11, 0x00, DefectOutcome::Report, 0},     // selection time-out
      {4, 0x14, 0x00, DefectOutcome::Report, 0},
      {0, 0x00, 0x00, DefectOutcome::Report, 0},     // never finished
      {0, 0x12, 0x00, DefectOutcome::Report, 0},
      {0x81, 0x00, 0x00, DefectOutcome::Report, 0},  // refused by the manager
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.status) << "/" << int(c.adapter) << "/" << int(c.target));
    const DefectOutcome outcome = dev::classifyDefectRead(finished(c.status, c.adapter, c.target));
    EXPECT_EQ(outcome, c.outcome);
    EXPECT_EQ(dev::defectMessageId(outcome), c.message);
  }
}

// A disk that answers each read with the next scripted outcome and fills the buffer.
class FakeDisk : public dev::DefectPort {
 public:
  std::deque<DefectOutcome> outcomes;
  std::vector<scsi::DefectList> reads;
  std::vector<bool> zeroed;
  DefectOutcome read(scsi::DefectList list, uint8_t* buffer) override {
    reads.push_back(list);
    bool clean = true;
    for (size_t i = 0; i < dev::kDefectBufferSize; ++i) clean = clean && buffer[i] == 0;
    zeroed.push_back(clean);
    buffer[3] = list == scsi::DefectList::Primary ? 8 : 16;
    const DefectOutcome outcome = outcomes.empty() ? DefectOutcome::Success : outcomes.front();
    if (!outcomes.empty()) outcomes.pop_front();
    return outcome;
  }
};

TEST(DevsheetDefectLogic, GrownListOnlyAfterAGoodPrimaryRead) {
  using scsi::DefectList;
  std::vector<uint8_t> primary(dev::kDefectBufferSize, 0xEE), grown(dev::kDefectBufferSize, 0xEE);
  FakeDisk good;
  EXPECT_TRUE(dev::readDefectLists(good, primary.data(), grown.data()));
  EXPECT_EQ(good.reads, (std::vector<DefectList>{DefectList::Primary, DefectList::Grown}));
  EXPECT_EQ(good.zeroed, (std::vector<bool>{true, true}));
  EXPECT_EQ(primary[3], 8);
  EXPECT_EQ(grown[3], 16);

  for (DefectOutcome failure : {DefectOutcome::Unreadable, DefectOutcome::Aborted,
                                DefectOutcome::Busy, DefectOutcome::Report}) {
    FakeDisk first;
    first.outcomes = {failure};
    std::fill(grown.begin(), grown.end(), 0xEE);
    EXPECT_FALSE(dev::readDefectLists(first, primary.data(), grown.data()));
    EXPECT_EQ(first.reads, std::vector<DefectList>{DefectList::Primary});
    EXPECT_EQ(grown[0], 0) << "the grown buffer is zeroed even when it is not read";

    FakeDisk second;
    second.outcomes = {DefectOutcome::Success, failure};
    EXPECT_FALSE(dev::readDefectLists(second, primary.data(), grown.data()));
    EXPECT_EQ(second.reads.size(), 2u);
    EXPECT_EQ(primary[3], 8) << "the primary list is kept";
  }
}

}  // namespace
