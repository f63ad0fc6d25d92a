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

#include "inventory/manager_port.h"
#include "inventory/message.h"
#include "inventory/records.h"
#include "scsi/commands.h"

namespace inv {

constexpr uint8_t kDefaultTargets = 8;  // adapterUnique byte 3 of 0
constexpr const char* kPciConfigFunctionText = "GetHAPCIConfigInfo()";

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

// INQUIRY to targets 0 .. maxTargets-1, LUN 0; fills `devices` in target order and
// returns how many answered.
uint8_t scanDevices(ManagerPort& manager, HostAdapterInfo& record);

// Fills the label table of every record and its adapterCount.
void makeLabels(HostAdapterInfo* records, int32_t count);

// A device record from a 36-byte INQUIRY answer.
void fillDevice(DeviceInfo& device, const HostAdapterInfo& record, uint8_t target,
                const uint8_t (&inquiry)[scsi::kInquiryLength]);

}  // namespace inv
