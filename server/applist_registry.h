// The application list read from the registry: the module operations behind
// GetAppListCount and GetAppList, the version-resource file description and the shell's
// large icon of a program.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "server/applist.h"

namespace srv {

// Under HKEY_CURRENT_USER: the suite's key (string 106) followed by "\AppList". This is
// what the key is when the string table carries no string 106.
constexpr const char* kAppListKey = "Software\\Velmora\\Orvane\\6.0\\AppList";

// The application list's key, from the string table of the resource module.
std::string appListKey();

// The number of applications registered for deviceType (255: all). A missing key gives 0.
int16_t countApps(uint8_t deviceType);

// Fills out[0..n) with the applications for deviceType and returns n. The caller sized
// out with countApps for the same type, so n never exceeds what that call counted, even
// when the list grew in between; without an earlier count the list is counted now.
size_t listApps(uint8_t deviceType, AppDescriptor* out);

// The same with the capacity of out given by the caller.
size_t listApps(uint8_t deviceType, AppDescriptor* out, size_t capacity);

// The FileDescription of the file's version resource (US English, code page 1252 first,
// then Unicode); false, with out unchanged, when there is none.
bool fileDescription(const std::string& path, std::string& out);

// The shell's large icon for the file, or 0. The module keeps one icon per path for its
// whole life, so that repeated lists hand out the same handles instead of leaking new ones.
uint32_t shellLargeIcon(const std::string& path);

}  // namespace srv
