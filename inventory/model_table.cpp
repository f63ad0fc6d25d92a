#include "inventory/model_table.h"

#include <cstring>

namespace inv {

static_assert(AdapterModelTable[kAdapterModelRows].modelName[0] == '\0', "end row");

bool AdapterModelFinder::find(uint16_t deviceId, uint16_t subsystemId) {
  for (int32_t i = 0;; ++i) {
    const AdapterModel& row = AdapterModelTable[i];
    if (row.modelName[0] == '\0') {
      rowIndex = i;
      return false;
    }
    if (row.pciDeviceId == deviceId &&
        (row.pciSubsystemId == subsystemId || row.pciSubsystemId == kAnySubsystem)) {
      rowIndex = i;
      return true;
    }
  }
}

void AdapterModelFinder::copyRow(AdapterModel& destination) const {
  // rowIndex only ever holds a row found by find(), or the end row.
  int32_t i = rowIndex >= 0 && rowIndex <= kAdapterModelRows ? rowIndex : kAdapterModelRows;
  std::memcpy(&destination, &AdapterModelTable[i], sizeof destination);
}

}  // namespace inv
