// Adapter arrays for the configuration tests: records whose label tables point at one
// another, as the inventory leaves them, with a block per record set up by the test.
#pragma once

#include <cstdio>
#include <cstring>

#include "biosconfig/eeprom_config.h"
#include "tests/support/low_memory.h"

namespace biostest {

struct Adapters {
  explicit Adapters(int count, unsigned family = 2) : n(count), records(count) {
    for (int i = 0; i < n; ++i) {
      inv::HostAdapterInfo& a = records[i];
      a.adapterNumber = static_cast<uint8_t>(i);
      a.maxTargets = 16;
      a.adapterCount = n;
      a.eepromImageSize = inv::kEepromImageFull;
      a.model.familyLevel = family;
      a.model.channelCount = 1;
      for (int j = 0; j < n; ++j) {
        std::snprintf(a.labels[j].text, sizeof a.labels[j].text, "Adapter %d", j);
        a.labels[j].adapter = inv::addressOf(&records[j]);
      }
    }
  }
  inv::HostAdapterInfo& operator[](int i) { return records[i]; }
  bios::EepromConfig& block(int i) { return bios::configBlock(records[i]); }

  int n;
  orvtest::LowArray<inv::HostAdapterInfo> records;
};

}  // namespace biostest
