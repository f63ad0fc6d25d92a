// A disk for the cache switches' tests and fuzz target: it answers MODE SENSE of its
// Caching and Read-Write Error Recovery pages as a device would (header, one block
// descriptor, the page with PS set) and takes MODE SELECT of changeable bits, with the
// quirks real drives show. Every command is recorded.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "devsheet/cache_logic.h"

namespace cachetest {

struct Page {
  uint8_t code;
  std::vector<uint8_t> current, changeable, defaults;
};

struct Command {
  bool select;
  uint8_t page;          // MODE SENSE: the page asked for; MODE SELECT: the list's page
  uint8_t pageControl;   // MODE SENSE only
  std::vector<uint8_t> list;  // MODE SELECT: the parameter list sent
  bool report;
};

class FakeDisk : public dev::CachePort {
 public:
  Page caching{0x08,
               {0x08, 0x12, 0x01, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0x10, 0, 0, 0, 0, 0, 0},
               {0x08, 0x12, 0x05, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xA0, 0xFF, 0, 0, 0, 0, 0, 0},
               {0x08, 0x12, 0x00, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0x10, 0, 0, 0, 0, 0, 0}};
  Page recovery{0x01,
                {0x01, 0x0A, 0x00, 0x0B, 0, 0, 0, 0, 0x05, 0, 0xFF, 0xFF},
                {0x01, 0x0A, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0, 0xFF, 0xFF},
                {0x01, 0x0A, 0x00, 0x0B, 0, 0, 0, 0, 0x05, 0, 0xFF, 0xFF}};
  bool refusesRetryBits = false;  // ILLEGAL REQUEST while Caching byte 2 bits 3-7 are set
  bool keepsOldValues = false;    // completes MODE SELECT and changes nothing
  int failSenseAt = -1;           // the n-th MODE SENSE (from 0) fails
  bool failSelects = false;       // every MODE SELECT fails (not as an illegal request)
  bool answerYes = true;
  int questions = 0;
  std::vector<Command> log;

  std::vector<Command> selects() const {
    std::vector<Command> out;
    for (const Command& c : log)
      if (c.select) out.push_back(c);
    return out;
  }
  int senses() const { return static_cast<int>(log.size() - selects().size()); }

  bool sense(uint8_t pageCode, uint8_t pageControl, uint8_t* buffer) override {
    const int index = senses();
    log.push_back({false, pageCode, pageControl, {}, false});
    if (index == failSenseAt) return false;
    const Page* page = find(pageCode);
    static const std::vector<uint8_t> none;  // a page it lacks: header and descriptor alone
    const std::vector<uint8_t>& v = !page              ? none
                                    : pageControl == 1 ? page->changeable
                                    : pageControl == 2 ? page->defaults
                                                       : page->current;
    uint8_t answer[dev::kModeBufferSize] = {};
    const size_t length = 12 + v.size();
    answer[0] = static_cast<uint8_t>(length - 1);
    answer[3] = 8;
    answer[9] = 0x02;  // block length 512
    if (!v.empty()) std::memcpy(answer + 12, v.data(), v.size());
    if (page) answer[12] |= 0x80;
    std::memcpy(buffer, answer, length);
    return true;
  }

  dev::SelectOutcome select(const uint8_t* list, uint8_t length, bool report) override {
    std::vector<uint8_t> sent(list, list + length);
    const uint8_t code = length > 12 ? list[12] & 0x3F : 0xFF;
    log.push_back({true, code, 0, sent, report});
    Page* page = find(code);
    if (failSelects || !page || length != 12 + page->current.size())
      return dev::SelectOutcome::Failed;
    if (list[0] != 0 || (list[12] & 0x80)) return dev::SelectOutcome::IllegalRequest;
    const uint8_t* bytes = list + 12;
    if (refusesRetryBits && page == &caching && (bytes[2] & dev::kRetryBits)) return dev::SelectOutcome::IllegalRequest;
    for (size_t i = 2; i < page->current.size(); ++i)
      if ((bytes[i] ^ page->current[i]) & ~page->changeable[i])
        return dev::SelectOutcome::IllegalRequest;
    if (!keepsOldValues)
      for (size_t i = 2; i < page->current.size(); ++i) page->current[i] = bytes[i];
    return dev::SelectOutcome::Done;
  }

  bool confirmWriteCache() override {
    ++questions;
    return answerYes;
  }

 private:
  Page* find(uint8_t code) {
    if (code == caching.code) return &caching;
    if (code == recovery.code) return &recovery;
    return nullptr;
  }
};

}  // namespace cachetest
