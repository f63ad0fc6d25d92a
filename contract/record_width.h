// Records of one width as records of the other. The shell's item identifiers keep the
// 32-bit layout in both builds, so that a folder saved by one width reads in the other;
// the 64-bit build converts on the way in and out. Every field but the addresses is
// carried over; an address of the other width means nothing in this process and becomes
// 0 (the live record is always found again by adapter number). Platform-free.
#pragma once

#include <cstring>
#include <type_traits>

#include "contract/records.h"

namespace inv {

template <class To, class From>
void convertDevice(const BasicDeviceInfo<From>& from, BasicDeviceInfo<To>& to) {
  if constexpr (std::is_same_v<To, From>) {
    std::memcpy(&to, &from, sizeof to);
  } else {
    std::memset(&to, 0, sizeof to);
    std::memcpy(&to, &from, offsetof(BasicDeviceInfo<From>, reserved));
  }
}

template <class To, class From>
void convertLabel(const BasicAdapterLabel<From>& from, BasicAdapterLabel<To>& to) {
  if constexpr (std::is_same_v<To, From>) {
    std::memcpy(&to, &from, sizeof to);
  } else {
    std::memset(&to, 0, sizeof to);
    std::memcpy(&to, &from, offsetof(BasicAdapterLabel<From>, adapter));
  }
}

template <class To, class From>
void convertAdapter(const BasicHostAdapterInfo<From>& from, BasicHostAdapterInfo<To>& to) {
  if constexpr (std::is_same_v<To, From>) {
    std::memcpy(&to, &from, sizeof to);
  } else {
    using F = BasicHostAdapterInfo<From>;
    std::memset(&to, 0, sizeof to);
    // The fields between the address-carrying tables sit at the same offsets.
    std::memcpy(&to, &from, offsetof(F, devices));
    for (int d = 0; d < kMaxDevices; ++d) convertDevice(from.devices[d], to.devices[d]);
    std::memcpy(&to.pciBus, &from.pciBus, offsetof(F, labels) - offsetof(F, pciBus));
    for (int j = 0; j < kMaxAdapters; ++j) convertLabel(from.labels[j], to.labels[j]);
    to.extendedFeatures = from.extendedFeatures;
  }
}

}  // namespace inv
