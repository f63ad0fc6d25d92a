// The inventory bound to the module's SCSI manager library, and its messages shown as
// the suite's message boxes. This is what CorvathObj owns.
#pragma once

#include <windows.h>

#include <string>

#include "inventory/inventory.h"
#include "scsi/manager.h"

namespace inv {

// Each entry point is resolved from the library handle when it is used.
class LibraryManagerPort : public ManagerPort {
 public:
  explicit LibraryManagerPort(scsi::ScsiManager& manager = scsi::scsiManager())
      : manager_(manager) {}
  uint32_t supportInfo() override;
  void inquireAdapter(scsi::AdapterInquiryBlock& block) override;
  bool readPciConfig(uint8_t adapterNumber, uint8_t (&config)[kPciConfigSize]) override;
  std::unique_ptr<ScanSession> beginScan() override;

  // INQUIRY requests whose wait expired and that the manager has not finished yet.
  static size_t abandonedCount();

 private:
  scsi::ScsiManager& manager_;
};

// Message boxes owned by the active window, caption 32848, exclamation icon.
class MessageBoxSink : public MessageSink {
 public:
  void show(unsigned id, const std::vector<MessageArg>& args) override;
  // Once per process, whichever object asks: the process's rights do not change.
  void showOnce(unsigned id, const std::vector<MessageArg>& args) override;
  std::string text(unsigned id) override;
};

// The inventory state of one automation object with its bindings.
class AdapterInventory {
 public:
  AdapterInventory() : inventory_(port_, messages_) {}
  int32_t countAdapters() { return inventory_.countAdapters(); }
  RecordAddress buildAdapterList() { return inventory_.buildAdapterList(); }
  const Inventory& state() const { return inventory_; }

 private:
  LibraryManagerPort port_;
  MessageBoxSink messages_;
  Inventory inventory_;
};

// The name of a device type, from the string table.
std::string deviceTypeText(unsigned deviceType);

}  // namespace inv
