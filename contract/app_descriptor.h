// One element of the application list as the server hands it out: the front ends read
// the caller's array in place, so its layout is fixed and checked here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace srv {

constexpr size_t kAppTextSize = 260;
// The device type that asks for every registered application.
constexpr uint8_t kAllDeviceTypes = 255;

#pragma pack(push, 1)
// One element of the caller's array for GetAppList; read in place by the front ends.
struct AppDescriptor {
  char appName[kAppTextSize];
  char appPath[kAppTextSize];
  char appDescription[kAppTextSize];  // left as the caller supplied it when there is none
  uint32_t appIcon;                   // shell large icon handle, or 0
};
#pragma pack(pop)
static_assert(sizeof(AppDescriptor) == 784, "AppDescriptor is 784 bytes");
static_assert(offsetof(AppDescriptor, appName) == 0, "appName offset");
static_assert(offsetof(AppDescriptor, appPath) == 260, "appPath offset");
static_assert(offsetof(AppDescriptor, appDescription) == 520, "appDescription offset");
static_assert(offsetof(AppDescriptor, appIcon) == 780, "appIcon offset");

}  // namespace srv
