// The ExplorerSettings in the registry: HKEY_CURRENT_USER, <key> + "\Settings".
#pragma once

#include <string>

#include "explorer/settings.h"

namespace explorer {

// Reads the three values; a value that cannot be read takes its default. When the key
// cannot be opened the settings are left as they are and the answer is false.
bool readSettings(const std::string& key, ExplorerSettings& settings);
// Creates or opens the key and writes the three values; failures are ignored.
void writeSettings(const std::string& key, const ExplorerSettings& settings);

}  // namespace explorer
