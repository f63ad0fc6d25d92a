// Every adapter's configuration block read through the miniport channel when the sheet
// opens.
#pragma once

#include "biosconfig/eeprom_config.h"

namespace bios {

// Reads the blocks; a failure for the configured adapter is reported to the user and
// answers false.
bool readAllBlocks(HostAdapterInfo& adapter);

}  // namespace bios
