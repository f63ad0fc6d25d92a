// How each peripheral device type is named and drawn. Types 4 and 5 share the optical
// icon; type 11 borrows the host adapter's icon; any type not listed is "Unknown".
#pragma once

#include <cstdint>

#include "inventory/inventory_res.h"

namespace inv {

struct DeviceTypeRow {
  uint8_t deviceType;
  unsigned nameId;  // string id
  unsigned iconId;  // icon resource id
};

// clang-format off
inline constexpr DeviceTypeRow DeviceTypeTable[] = {
  { 0, IDS_DEVTYPE_DISK,           151},
  { 1, IDS_DEVTYPE_TAPE,           157},
  { 2, IDS_DEVTYPE_PRINTER,        153},
  { 3, IDS_DEVTYPE_PROCESSOR,      155},
  { 4, IDS_DEVTYPE_WORM,           152},
  { 5, IDS_DEVTYPE_CDROM,          152},
  { 6, IDS_DEVTYPE_SCANNER,        162},
  { 7, IDS_DEVTYPE_OPTICAL,        154},
  { 8, IDS_DEVTYPE_CHANGER,        159},
  { 9, IDS_DEVTYPE_COMMUNICATIONS, 158},
  {10, IDS_DEVTYPE_UNKNOWN,        168},
  {11, IDS_DEVTYPE_UNKNOWN,        145},  // the host adapter icon
};
// clang-format on

constexpr unsigned kUnknownTypeIcon = 166;

// String id of the type's name.
constexpr unsigned deviceTypeName(unsigned deviceType) {
  for (const DeviceTypeRow& row : DeviceTypeTable)
    if (row.deviceType == deviceType) return row.nameId;
  return IDS_DEVTYPE_UNKNOWN;
}

// Icon resource id of the type.
constexpr unsigned deviceTypeIcon(unsigned deviceType) {
  for (const DeviceTypeRow& row : DeviceTypeTable)
    if (row.deviceType == deviceType) return row.iconId;
  return kUnknownTypeIcon;
}

}  // namespace inv
