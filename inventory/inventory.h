// The inventory: which host adapters the SCSI manager reports, what model each is, and
// which devices answer on its bus, gathered into one array of HostAdapterInfo records
// that the front ends read in place.
//
// Bounds the manager cannot push past: at most kMaxAdapters records (the room of the
// label table; further adapters are neither counted nor listed), at most kMaxDevices
// targets scanned per adapter (maxTargets is capped), identifiers copied with at most
// 15 characters and a NUL.
#pragma once

#include <cstdint>
#include <memory>

#include "contract/records.h"
#include "inventory/manager_port.h"
#include "inventory/message.h"
#include "scsi/commands.h"

namespace inv {

constexpr uint8_t kDefaultTargets = 8;  // adapterUnique byte 3 of 0
constexpr const char* kPciConfigFunctionText = "GetHAPCIConfigInfo()";

// Support word status of a manager that found SCSI ports but may open none of them: the
// process is not elevated. The user is told once what to do (IDS_NO_RIGHTS).
constexpr uint8_t kManagerStatusNoRights = 0xE5;
// Our own manager over Windows' SCSI pass-through (passthrough/) lists every controller
// of the computer, of any maker; it is known by its manager id.
constexpr const char* kPassThroughManagerId = "VRAX PASS-THRU";
// The maker's PCI vendor ID: the identification table lists only its cards.
constexpr uint16_t kMakerVendorId = 0x1D5A;

// The inventory state of one automation object: the array is built by the first
// successful list request and lives as long as this object.
class Inventory {
 public:
  Inventory(ManagerPort& manager, MessageSink& messages)
      : manager_(manager), messages_(messages) {}
  Inventory(const Inventory&) = delete;
  Inventory& operator=(const Inventory&) = delete;

  // The adapters whose identifier does not contain "ESDI", asked afresh each time.
  int32_t countAdapters();
  // Address of the array, or 0 after showing why there is none.
  RecordAddress buildAdapterList();

  int32_t adapterCount() const { return adapterCount_; }
  RecordAddress adapterList() const { return addressOf(adapterList_.get()); }
  int32_t lastCount() const { return lastCount_; }
  // Records allocated in the array (0 until it exists).
  int32_t recordCount() const { return recordCount_; }
  HostAdapterInfo* records() const { return adapterList_.get(); }

 private:
  ManagerPort& manager_;
  MessageSink& messages_;
  int32_t adapterCount_ = 0;
  std::unique_ptr<HostAdapterInfo[]> adapterList_;
  int32_t recordCount_ = 0;
  int32_t lastCount_ = 0;
  bool noRights_ = false;  // the last count's manager may open no device
};

// True when the inquiry answer's adapter identifier contains "ESDI" (such adapters are
// not SCSI adapters of ours and are skipped).
bool isEsdi(const scsi::AdapterInquiryBlock& answer);

// Fills the record's adapter fields from an inquiry answer: number, SCSI ID, both
// identifiers, the adapter-unique bytes, the PCI location when byte 15 marks it valid,
// and maxTargets.
void fillAdapter(HostAdapterInfo& record, uint8_t adapterNumber,
                 const scsi::AdapterInquiryBlock& answer);

// Reads the PCI configuration space into the record; false (after message 1229) when
// the library lacks the extension.
bool identifyPci(ManagerPort& manager, MessageSink& messages, HostAdapterInfo& record);

// Looks the record's device and subsystem IDs up; on a match copies the row into
// `model` and sets extendedFeatures and displayName. No message here.
bool identifyModel(HostAdapterInfo& record);

// Whether an adapter that identifyModel does not know is worth message 1228 ("not fully
// supported"): under the maker's manager every adapter is one of its cards, so always;
// under the pass-through manager only a card of the maker's own, not the computer's
// other controllers, which the suite shows as well as it can without a message.
bool reportsUnknownModel(const HostAdapterInfo& record);

// INQUIRY to targets 0 .. maxTargets-1, LUN 0; fills `devices` in target order and
// returns how many answered.
uint8_t scanDevices(ManagerPort& manager, HostAdapterInfo& record);

// Fills the label table of every record and its adapterCount.
void makeLabels(HostAdapterInfo* records, int32_t count);

// A device record from a 36-byte INQUIRY answer.
void fillDevice(DeviceInfo& device, const HostAdapterInfo& record, uint8_t target,
                const uint8_t (&inquiry)[scsi::kInquiryLength]);

}  // namespace inv
