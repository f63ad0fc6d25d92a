// Fuzz target of the BIOS configuration pages' logic: arbitrary configuration blocks,
// model rows, target counts, label tables and card flags, read the way every page reads
// them and changed by every kind of choice with arbitrary items. Checked: each reading
// stays within its list, each choice changes only its own bits (and the boot settings
// only the boot bytes and checksums of other adapters), and a choice from a list reads
// back as that choice. Runs as a native test over seeded inputs for a bounded count;
// the campaigns build it as a libFuzzer program (scripts/fuzz-campaign).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "biosconfig/config_logic.h"
#include "tests/support/low_memory.h"

namespace {

#define BIOS_CHECK(condition)        \
  do {                               \
    if (!(condition)) std::abort();  \
  } while (0)

using namespace bios;

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
  uint8_t byte() { return p_ < end_ ? *p_++ : 0; }
  void bytes(void* out, size_t n) {
    auto* o = static_cast<uint8_t*>(out);
    for (size_t i = 0; i < n; ++i) o[i] = byte();
  }
  bool done() const { return p_ >= end_; }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

constexpr int kMaxRecords = 4;

struct Images {
  uint8_t bytes[kMaxRecords][512];
};

Images imagesOf(const inv::HostAdapterInfo* records, int n) {
  Images out;
  for (int i = 0; i < n; ++i) std::memcpy(out.bytes[i], records[i].eepromImage, 512);
  return out;
}

// Every byte of every image equal, except those `allowed` says may differ.
template <typename Allowed>
void checkOnly(const Images& before, const inv::HostAdapterInfo* records, int n, Allowed allowed) {
  for (int i = 0; i < n; ++i)
    for (size_t b = 0; b < 512; ++b)
      if (before.bytes[i][b] != records[i].eepromImage[b]) BIOS_CHECK(allowed(i, b));
}

void checkReadings(inv::HostAdapterInfo& a) {
  const EepromConfig& b = configBlock(a);
  const unsigned family = familyOf(a);
  const int hostId = hostIdIndex(a);
  BIOS_CHECK(hostId >= -1 && hostId < hostIdItemCount(a));
  const int target = bootTargetIndex(a);
  BIOS_CHECK(target >= -1 && target < bootTargetItemCount(a));
  const int lun = bootLunIndex(a);
  BIOS_CHECK(lun >= -1 && lun < kBootLunItems);
  const std::vector<int> cards = qualifyingLabels(a);
  for (uint8_t bit : {kMasterCard, kBootCard}) {
    const int k = cardIndex(a, bit);
    BIOS_CHECK(k >= 0 && (k == 0 || k < static_cast<int>(cards.size())));
  }
  const TerminationLayout t = terminationLayout(a);
  for (const TerminationCombo* c : {&t.lvd, &t.se}) {
    const int i = readTermination(*c, b.adapterControl);
    BIOS_CHECK(i >= 0 && (i == 0 || i < static_cast<int>(c->items.size())));
  }
  BIOS_CHECK(deviceItemCount(a) <= static_cast<int>(kTargetWords));
  for (int d = 0; d < deviceItemCount(a); ++d) {
    const inv::DeviceInfo* device = deviceAt(a, d);
    BIOS_CHECK(!device || (device >= a.devices && device < a.devices + inv::kMaxDevices));
  }
  BIOS_CHECK(allDeviceColumns(b) <= static_cast<int>(kTargetWords));
  for (uint16_t w : b.deviceWords) {
    const int r = rateIndex(family, w);
    BIOS_CHECK(r >= -1 && r < static_cast<int>(rateItems(family, isWide(family, w)).size()));
    BIOS_CHECK(!allDeviceRateText(family, w).empty());
    BIOS_CHECK(writeBackChoice(w) >= -1 && writeBackChoice(w) <= 2);
  }
  const int post = postModeIndex(b, family);
  BIOS_CHECK(post >= -1 && post < postModeItemCount(b, family));
  BIOS_CHECK(int13Index(b) >= -1 && int13Index(b) < 3);
  BIOS_CHECK(removableIndex(b) >= -1 && removableIndex(b) < 3);
}

void change(Reader& in, inv::HostAdapterInfo* records, int n) {
  inv::HostAdapterInfo& a = records[0];
  EepromConfig& b = configBlock(a);
  const size_t block = blockOffset(a);
  const unsigned family = familyOf(a);
  const int item = static_cast<int8_t>(in.byte());  // arbitrary, negative ones included
  const Images before = imagesOf(records, n);
  const auto ownBytes = [&](size_t from, size_t count) {
    return [=](int i, size_t at) { return i == 0 && at >= block + from && at < block + from + count; };
  };
  switch (in.byte() % 9) {
    case 0: {
      const uint8_t old = b.hostIdByte;
      writeHostId(b, item);
      BIOS_CHECK((b.hostIdByte & 0xF0) == (old & 0xF0));
      checkOnly(before, records, n, ownBytes(36, 1));
      break;
    }
    case 1: {
      const TerminationLayout t = terminationLayout(a);
      const TerminationCombo& c = in.byte() & 1 ? t.se : t.lvd;
      const uint16_t old = b.adapterControl;
      b.adapterControl = writeTermination(c, old, item);
      if (c.scheme) {
        BIOS_CHECK((b.adapterControl & ~c.scheme->mask) == (old & ~c.scheme->mask));
        if (item >= 0 && item < static_cast<int>(c.items.size()))
          BIOS_CHECK(readTermination(c, b.adapterControl) == item);
      } else {
        BIOS_CHECK(b.adapterControl == old);
      }
      checkOnly(before, records, n, ownBytes(34, 2));
      break;
    }
    case 2: {
      uint16_t& w = b.deviceWords[in.byte() % kTargetWords];
      const uint16_t old = w;
      const RateWrite written = writeRate(family, old, item);
      w = written.word;
      const uint16_t rateBits = isFamily4(family) ? kPeriodFactorMask : 0x00CF;
      BIOS_CHECK((w & ~rateBits) == (old & ~rateBits));
      const int count = static_cast<int>(rateItems(family, isWide(family, old)).size());
      if (item >= 0 && item < count && family >= 1 && family <= 4) {
        BIOS_CHECK(!written.uninterpreted);
        BIOS_CHECK(rateIndex(family, w) == item);
      }
      checkOnly(before, records, n, ownBytes(0, 32));
      break;
    }
    case 3: {
      uint16_t& w = b.deviceWords[in.byte() % kTargetWords];
      const uint16_t old = w;
      w = writeWriteBack(old, item);
      BIOS_CHECK((w & 0x3FFF) == (old & 0x3FFF));
      if (item >= 0 && item <= 2) BIOS_CHECK(writeBackChoice(w) == item);
      break;
    }
    case 4:
    case 5: {
      if (in.byte() & 1)
        writeBootTarget(a, item);
      else
        writeBootLun(a, item);
      checkOnly(before, records, n, [&](int i, size_t at) {
        const size_t own = blockOffset(records[i]);
        return at == own + 39 || at == own + 62 || at == own + 63;
      });
      for (int i = 0; i < n; ++i) {
        const EepromConfig& other = configBlock(records[i]);
        if (std::memcmp(before.bytes[i] + blockOffset(records[i]), &other, 64) != 0 && i != 0)
          BIOS_CHECK(other.checksumWord == blockChecksum(other));
      }
      break;
    }
    case 6: {
      const uint8_t bit = in.byte() & 1 ? kMasterCard : kBootCard;
      markCard(a, bit, item);
      checkOnly(before, records, n, [&](int i, size_t at) { return at == cardFlagsOffset(records[i]); });
      for (int i = 0; i < n; ++i) {
        const size_t at = cardFlagsOffset(records[i]);
        BIOS_CHECK(((before.bytes[i][at] ^ records[i].eepromImage[at]) & ~bit) == 0);
      }
      if (item >= 0 && item < static_cast<int>(qualifyingLabels(a).size()))
        BIOS_CHECK(cardIndex(a, bit) == item);
      break;
    }
    case 7: {
      static constexpr int kBoxes[] = {1265, 1266, 1267, 1270, 1271, 1272};
      const OptionBit option = advancedOption(kBoxes[in.byte() % 6], family);
      const bool on = in.byte() & 1;
      writeOption(b, option, on);
      BIOS_CHECK(optionChecked(b, option) == on);
      checkOnly(before, records, n, ownBytes(32, 4));
      break;
    }
    default: {
      const uint16_t old = b.biosControl;
      const int which = in.byte() % 3;
      if (which == 0) writePostMode(b, item);
      if (which == 1) writeInt13(b, item);
      if (which == 2) writeRemovable(b, item);
      const uint16_t field = which == 0 ? kPostModeMask : which == 1 ? kInt13Mask : kRemovableMask;
      BIOS_CHECK((b.biosControl & ~field) == (old & ~field));
      if (item >= 0 && item <= 2) {
        if (which == 1) BIOS_CHECK(int13Index(b) == item);
        if (which == 2) BIOS_CHECK(removableIndex(b) == item);
        if (which == 0 && item < postModeItemCount(b, family))
          BIOS_CHECK(postModeIndex(b, family) == item);
      }
      checkOnly(before, records, n, ownBytes(32, 2));
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in(data, size);
  const int n = 1 + in.byte() % kMaxRecords;
  // The label tables hold 32-bit record addresses.
  orvtest::LowArray<inv::HostAdapterInfo> records(n);
  for (int i = 0; i < n; ++i) {
    inv::HostAdapterInfo& r = records[i];
    r.adapterNumber = static_cast<uint8_t>(i);
    r.pciFunction = in.byte() % 4;
    r.maxTargets = in.byte();
    r.eepromImageSize = in.byte() & 1 ? 512 : 128;
    r.adapterCount = static_cast<int8_t>(in.byte());
    in.bytes(&r.model, sizeof r.model);
    if (in.byte() & 1) r.model.familyLevel = 1 + in.byte() % 4;  // mostly known families
    in.bytes(r.eepromImage + blockOffset(r), kBlockSize);
    r.eepromImage[cardFlagsOffset(r)] = in.byte();
    r.deviceCount = in.byte();
    for (int d = 0; d < 4; ++d) r.devices[d].target = in.byte();
    for (int j = 0; j < n; ++j) r.labels[j].adapter = inv::addressOf(&records[j]);
  }
  checkReadings(records[0]);
  for (int step = 0; step < 12 && !in.done(); ++step) {
    change(in, records.get(), n);
    checkReadings(records[0]);
  }
  return 0;
}

#ifndef ORV_LIBFUZZER_MAIN
#include <gtest/gtest.h>

namespace {

TEST(BiosconfigBlockFuzz, ArbitraryBlocksAndRowsStayWithinTheirLists) {
  std::mt19937 rng(20261209);
  std::vector<uint8_t> input;
  for (int run = 0; run < 6000; ++run) {
    input.resize(64 + rng() % 1400);
    for (uint8_t& b : input) b = static_cast<uint8_t>(rng());
    LLVMFuzzerTestOneInput(input.data(), input.size());
  }
}

}  // namespace
#endif
