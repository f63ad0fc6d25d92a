// The SCSI Explorer window's persisted settings and their registry encoding: three
// REG_BINARY values under HKCU "<key>\Settings", little-endian 32-bit integers.
// Platform-free, so that the rules are tested natively; settings_store.h does the I/O.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "explorer/explorer_res.h"

namespace explorer {

struct ExplorerSettings {
  int32_t statusBar = 1;                   // nonzero: status bar shown
  int32_t view = ID_VIEW_LARGE_ICONS;      // view command; kept as stored even when unknown
  std::array<int32_t, 4> sizePos{};        // left, top, right, bottom in screen coordinates

  bool operator==(const ExplorerSettings& o) const {
    return statusBar == o.statusBar && view == o.view && sizePos == o.sizePos;
  }
};

constexpr char kSettingsSubkey[] = "\\Settings";
constexpr char kStatusBarValue[] = "StatusBar";
constexpr char kViewValue[] = "View";
constexpr char kSizePosValue[] = "SizePos";
constexpr size_t kStatusBarBytes = 4;
constexpr size_t kViewBytes = 4;
constexpr size_t kSizePosBytes = 16;

// A value as read from the registry; nullopt when it could not be read.
using StoredValue = std::optional<std::vector<uint8_t>>;

// Settings from the three stored values of an opened key. A value that is missing or
// has another size than its field takes the field's default, so a damaged value never
// leaves half-read fields behind.
ExplorerSettings decodeSettings(const StoredValue& statusBar, const StoredValue& view,
                                const StoredValue& sizePos);

struct EncodedSettings {
  std::array<uint8_t, kStatusBarBytes> statusBar;
  std::array<uint8_t, kViewBytes> view;
  std::array<uint8_t, kSizePosBytes> sizePos;
};
EncodedSettings encodeSettings(const ExplorerSettings& settings);

// Where the window goes when it opens: a stored rectangle without area (never stored,
// or damaged) means "centre it".
bool placementCentres(const std::array<int32_t, 4>& sizePos);

}  // namespace explorer
