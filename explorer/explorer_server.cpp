#include "explorer/explorer_server.h"

#include <string>

#include "client/corvath_obj_driver.h"

namespace explorer {
namespace {

class CorvathServer : public ExplorerServer {
 public:
  bool create(const char* progId) { return driver_.create(progId); }
  void showDeviceList(intptr_t adapter) override { driver_.ShowDeviceList(adapter); }
  long getHostAdaptersCount() override { return driver_.GetHostAdaptersCount(); }
  intptr_t getHostAdaptersList() override { return driver_.GetHostAdaptersList(); }
  void showHostAdapterProperty(intptr_t adapter, short page) override {
    driver_.ShowHostAdapterProperty(adapter, page);
  }
  long getHostAdapterIcon() override { return driver_.GetHostAdapterIcon(); }
  long getScsiLogoIcon() override { return driver_.GetScsiLogoIcon(); }
  void showVelmoraAboutDialog() override { driver_.ShowVelmoraAboutDialog(); }
  void showSeldarn(intptr_t adapter) override { driver_.ShowSeldarn(adapter); }

 private:
  CorvathObjDriver driver_;
};

}  // namespace

ServerFactory corvathServerFactory(const char* progId) {
  std::string id = progId;
  return [id]() -> std::unique_ptr<ExplorerServer> {
    auto server = std::make_unique<CorvathServer>();
    if (!server->create(id.c_str())) return nullptr;
    return server;
  };
}

}  // namespace explorer
