// What the SCSI Explorer window asks of the automation object: the calls it makes, one
// per dispatch id. The window holds one only while an object was created, so every call
// goes to a live object. corvathServerFactory() makes the real one (CorvathObj by its
// ProgID through CorvathObjDriver); tests hand the window their own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

namespace explorer {

class ExplorerServer {
 public:
  virtual ~ExplorerServer() = default;
  virtual void showDeviceList(intptr_t adapter) = 0;
  virtual long getHostAdaptersCount() = 0;
  virtual intptr_t getHostAdaptersList() = 0;
  virtual void showHostAdapterProperty(intptr_t adapter, short page) = 0;
  virtual long getHostAdapterIcon() = 0;
  virtual long getScsiLogoIcon() = 0;
  virtual void showVelmoraAboutDialog() = 0;
  virtual void showSeldarn(intptr_t adapter) = 0;
};

// Creates the object; nullptr when it cannot be created.
using ServerFactory = std::function<std::unique_ptr<ExplorerServer>()>;

constexpr char kCorvathProgId[] = "Corvath.CorvathObj";
ServerFactory corvathServerFactory(const char* progId = kCorvathProgId);

}  // namespace explorer
