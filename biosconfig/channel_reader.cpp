#include "biosconfig/channel_reader.h"

#include "biosconfig/biosconfig_res.h"
#include "biosconfig/eeprom_config.h"
#include "biosconfig/see_common.h"
#include "framework/msgbox.h"
#include "framework/strings.h"
#include "scsi/miniport_channel.h"

namespace bios {
namespace {

// The miniport channel, and message 32961 for the configured adapter. One channel reads
// every adapter's block, with the ports looked up in the registry once.
class ChannelReader : public EepromReader {
 public:
  bool read(HostAdapterInfo& adapter) override { return channel_.readEepromBlock(adapter); }
  void reportFailure(const HostAdapterInfo& adapter) override {
    fw::messageBoxText(nullptr,
                       fw::formatString(IDS_SEE_READ_FAILED,
                                        fixedText(adapter.displayName, sizeof adapter.displayName).c_str()),
                       IDS_SEE_CAPTION, MB_OK | MB_ICONEXCLAMATION);
  }

 private:
  scsi::WindowsMiniportSystem system_;
  scsi::RememberedPorts ports_{system_};
  scsi::MiniportChannel channel_{ports_};
};

}  // namespace

bool readAllBlocks(HostAdapterInfo& adapter) {
  ChannelReader reader;
  return eepromReadAll(adapter, reader);
}

}  // namespace bios
