// Fuzz target of the shell folder's identifier lists: arbitrary bytes handed to every
// operation that takes a list from the shell (the check itself, attributes, comparison by
// every sort key, names and paths with every flag, images, the second column), as two
// lists of the given bytes. The bytes sit in a buffer of exactly their size, so reading
// beyond them is caught by AddressSanitizer. Checked: a list is accepted only when every
// size field is 4774 and every kind 0 or 1; answers stay within their ranges; names fit
// their buffer. Runs as a native test over seeded inputs; build with -fsanitize=fuzzer and
// SHELLEXT_LIBFUZZER defined for longer runs.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>

#include "shellext/folder_logic.h"

namespace {

#define IDS_CHECK(condition)        \
  do {                              \
    if (!(condition)) std::abort(); \
  } while (0)

void exercise(const shx::ItemList& list, const uint8_t* data, size_t size) {
  if (list.valid()) {
    IDS_CHECK(list.bytes() == (list.data() ? list.count() * shx::kItemCb + 2 : 0));
    IDS_CHECK(list.bytes() <= size);
    for (size_t i = 0; i < list.count(); ++i) {
      const shx::ItemId& item = list.item(i);
      IDS_CHECK(item.cb == shx::kItemCb);
      IDS_CHECK(item.kind <= 1);
      shx::itemName(item);
      shx::secondColumnText(item);
      IDS_CHECK(shx::listImage(item) >= 0 && shx::listImage(item) < 12);
      IDS_CHECK(shx::extractorImage(item) >= 0 && shx::extractorImage(item) < 12);
      if (item.kind == shx::kKindAdapter) IDS_CHECK(shx::adapterRecord(item).deviceCount <= 32);
    }
  } else {
    IDS_CHECK(list.count() == 0 && list.first() == nullptr);
  }
  for (uint32_t flags : {0u, shx::kNameInFolder, shx::kNameForParsing,
                         shx::kNameForParsing | shx::kNameInFolder}) {
    IDS_CHECK(shx::displayName(list, flags, "::{folder}").size() < 260);
  }
  IDS_CHECK(shx::itemPath(list, 16).size() < 16);
  IDS_CHECK(shx::foreignListBytes(data, size) <= size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first two bytes split the rest into two lists.
  if (size < 2) return 0;
  const size_t split = std::min<size_t>((data[0] | data[1] << 8) * 7u, size - 2);
  const size_t firstSize = split, secondSize = size - 2 - split;
  std::unique_ptr<uint8_t[]> first(new uint8_t[firstSize ? firstSize : 1]);
  std::unique_ptr<uint8_t[]> second(new uint8_t[secondSize ? secondSize : 1]);
  std::memcpy(first.get(), data + 2, firstSize);
  std::memcpy(second.get(), data + 2 + split, secondSize);

  const shx::ItemList a = shx::ItemList::check(first.get(), firstSize);
  const shx::ItemList b = shx::ItemList::check(second.get(), secondSize);
  exercise(a, first.get(), firstSize);
  exercise(b, second.get(), secondSize);
  const shx::ItemList both[] = {a, b};
  const uint32_t attributes = shx::attributesOf(both, 2);
  IDS_CHECK((attributes & ~(shx::kAttrHasPropSheet | shx::kAttrFolder | shx::kAttrHasSubfolder)) == 0);
  for (uint32_t key = 11; key <= 18; ++key) {
    const uint16_t ab = shx::compareLists(key, a, b, shx::asciiCompareNoCase);
    const uint16_t ba = shx::compareLists(key, b, a, shx::asciiCompareNoCase);
    IDS_CHECK(ab == 0 || ab == 1 || ab == 0xFFFF);
    IDS_CHECK(ab == 0 ? ba == 0 : ab != ba);
  }
  return 0;
}

#ifndef SHELLEXT_LIBFUZZER
#include <gtest/gtest.h>

#include <vector>

namespace {

// Lists of our own identifiers, then spoiled here and there (sizes, kinds, counts, text
// fields without their NUL, cuts), so that the checks and the readers see both sides.
void plausibleList(std::mt19937& rng, std::vector<uint8_t>& out) {
  const int items = static_cast<int>(rng() % 4);
  for (int i = 0; i < items; ++i) {
    shx::ItemAllocation item;
    if (rng() % 2) {
      inv::HostAdapterInfo adapter = {};
      adapter.adapterNumber = static_cast<uint8_t>(rng() % 4);
      adapter.deviceCount = static_cast<uint8_t>(rng() % 8 ? rng() % 33 : rng());
      for (char& c : adapter.displayName) c = static_cast<char>(rng() % 8 ? 'A' + rng() % 26 : 0);
      for (char& c : adapter.adapterIdentifier) c = static_cast<char>(rng() % 4 ? 'a' + rng() % 26 : 0);
      shx::makeAdapterItem(adapter, item);
    } else {
      inv::DeviceInfo device = {};
      device.target = static_cast<uint8_t>(rng() % 16);
      device.deviceType = static_cast<uint8_t>(rng() % 32);
      for (char& c : device.product) c = static_cast<char>(rng() % 8 ? ' ' + rng() % 90 : 0);
      for (char& c : device.vendor) c = static_cast<char>(rng() % 8 ? ' ' + rng() % 90 : 0);
      shx::makeDeviceItem(device, item);
    }
    if (rng() % 10 == 0) item.item.kind = static_cast<uint32_t>(rng() % 4);
    if (rng() % 10 == 0) item.item.cb = static_cast<uint16_t>(rng() % 2 ? 4774 + rng() % 3 - 1 : rng());
    const auto* p = reinterpret_cast<const uint8_t*>(&item.item);
    out.insert(out.end(), p, p + shx::kItemCb);
  }
  out.push_back(0);
  out.push_back(0);
  if (rng() % 6 == 0) out.resize(rng() % (out.size() + 1));
}

TEST(ShellextIdsFuzz, ArbitraryListsAreCheckedBeforeTheyAreRead) {
  std::mt19937 rng(20261209);
  std::vector<uint8_t> input;
  for (int run = 0; run < 4000; ++run) {
    input.clear();
    if (run % 5 == 0) {
      input.resize(2 + rng() % 12000);
      for (uint8_t& b : input) b = static_cast<uint8_t>(rng() % 3 ? rng() : 0);
    } else {
      std::vector<uint8_t> a, b;
      plausibleList(rng, a);
      plausibleList(rng, b);
      // The split is a multiple of 7 bytes: pad the first list up to one.
      const size_t units = (a.size() + 6) / 7;
      a.resize(units * 7, 0);
      input.push_back(static_cast<uint8_t>(units & 0xFF));
      input.push_back(static_cast<uint8_t>(units >> 8));
      input.insert(input.end(), a.begin(), a.end());
      input.insert(input.end(), b.begin(), b.end());
    }
    LLVMFuzzerTestOneInput(input.data(), input.size());
  }
}

}  // namespace
#endif
