// The module whose resources (dialog templates, string table, icons, menus) the
// framework loads from. Each binary links its own copy of the framework, so the default
// is the binary the code is linked into; tests may point it at another module.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

HINSTANCE resourceModule();
void setResourceModule(HINSTANCE module);

// Folder of the given module's file, ending in a backslash ("C:\dir\").
std::string moduleFolder(HMODULE module);

}  // namespace fw
