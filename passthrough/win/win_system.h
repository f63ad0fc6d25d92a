// The seam over Windows itself: CreateFileA and DeviceIoControl, the registry's device
// map, SetupAPI and Configuration Manager for the storage port device nodes.
#pragma once

#include "passthrough/system.h"

namespace ptwin {

class WinSystem : public pt::System {
 public:
  pt::Handle open(const std::string& path, pt::Access access, uint32_t& error) override;
  void close(pt::Handle handle) override;
  pt::IoResult control(pt::Handle handle, uint32_t code, const void* in, uint32_t inSize,
                       void* out, uint32_t outSize) override;
  bool deviceMap(std::vector<pt::DeviceMapEntry>& entries) override;
  std::vector<pt::PortNode> portNodes() override;
  std::vector<std::string> opticalDrives() override;
};

}  // namespace ptwin
