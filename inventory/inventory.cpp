#include "inventory/inventory.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "inventory/inventory_res.h"
#include "inventory/model_table.h"
#include "scsi/bytes.h"
#include "scsi/commands.h"

namespace inv {

namespace {

// The manager's identifier fields carry no NUL when 16 characters long.
template <size_t N, size_t M>
void copyIdentifier(char (&destination)[N], const char (&source)[M]) {
  static_assert(N >= 2, "room for a character and a NUL");
  size_t n = std::min(strnlen(source, M), std::min<size_t>(N - 1, 15));
  std::memcpy(destination, source, n);
  std::memset(destination + n, 0, N - n);
}

template <size_t N>
void copyText(char (&destination)[N], const std::string& text) {
  size_t n = std::min(text.size(), N - 1);
  std::memcpy(destination, text.data(), n);
  std::memset(destination + n, 0, N - n);
}

bool isTrailingSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

scsi::AdapterInquiryBlock inquire(ManagerPort& manager, uint8_t adapterNumber) {
  scsi::AdapterInquiryBlock block{};
  block.header.command = scsi::kCmdAdapterInquiry;
  block.header.adapterNumber = adapterNumber;
  manager.inquireAdapter(block);
  return block;
}

uint8_t managerStatus(uint32_t support) { return static_cast<uint8_t>(support >> 8); }
uint8_t adapterTotal(uint32_t support) { return static_cast<uint8_t>(support); }

}  // namespace

bool isEsdi(const scsi::AdapterInquiryBlock& answer) {
  std::string identifier(answer.adapterIdentifier,
                         strnlen(answer.adapterIdentifier, sizeof answer.adapterIdentifier));
  return identifier.find("ESDI") != std::string::npos;
}

int32_t Inventory::countAdapters() {
  const uint32_t support = manager_.supportInfo();
  // A manager without rights reports no adapters: the user learns why, once.
  noRights_ = managerStatus(support) == kManagerStatusNoRights;
  if (noRights_) messages_.showOnce(IDS_NO_RIGHTS, {});
  uint8_t total = adapterTotal(support);
  int32_t count = 0;
  for (unsigned i = 0; i < total; ++i) {
    if (!isEsdi(inquire(manager_, static_cast<uint8_t>(i)))) ++count;
  }
  // Clients read as many records as this count says: never more than the array can
  // hold, nor more than the array built earlier holds.
  count = std::min(count, kMaxAdapters);
  if (adapterList_) count = std::min(count, recordCount_);
  lastCount_ = count;
  return count;
}

RecordAddress Inventory::buildAdapterList() {
  int32_t c = countAdapters();
  adapterCount_ = c;
  if (c == 0) {
    // Without rights the count has said why there is nothing to list.
    if (!noRights_) messages_.show(IDS_NO_ADAPTERS, {});
    return 0;
  }
  if (adapterList_) return adapterList();

  adapterList_.reset(new (std::nothrow) HostAdapterInfo[c]());
  if (!adapterList_) return 0;
  recordCount_ = c;

  uint32_t support = manager_.supportInfo();
  if (managerStatus(support) != 1) {
    // The cleared array stays: a later call returns it without a message.
    messages_.show(IDS_MANAGER_NOT_INITIALISED, {});
    return 0;
  }

  std::string genericName = messages_.text(IDS_GENERIC_ADAPTER);
  int32_t k = 0;
  uint8_t total = adapterTotal(support);
  for (unsigned i = 0; i < total; ++i) {
    uint8_t number = static_cast<uint8_t>(i);
    scsi::AdapterInquiryBlock answer = inquire(manager_, number);
    if (isEsdi(answer)) continue;
    // An adapter beyond the counted ones has no record (the manager changed its mind
    // between the two passes, or reports more than the array's room).
    if (k >= c) continue;
    HostAdapterInfo& record = adapterList_[k];
    fillAdapter(record, number, answer);
    copyText(record.displayName, genericName);
    if (identifyPci(manager_, messages_, record) && !identifyModel(record) &&
        reportsUnknownModel(record)) {
      messages_.show(IDS_ADAPTER_NOT_SUPPORTED,
                     {MessageArg::ofNumber(scsi::le16(record.pciConfig + pci::kDeviceId)),
                      MessageArg::ofNumber(scsi::le16(record.pciConfig + pci::kSubsystemId))});
    }
    record.deviceCount = scanDevices(manager_, record);
    ++k;
  }
  makeLabels(adapterList_.get(), c);
  return adapterList();
}

void fillAdapter(HostAdapterInfo& record, uint8_t adapterNumber,
                 const scsi::AdapterInquiryBlock& answer) {
  const uint8_t* unique = answer.adapterUnique;
  if (unique[scsi::unique::kPciValid] == scsi::unique::kPciValidMark) {
    record.pciBus = unique[scsi::unique::kPciBus];
    record.pciDevice = unique[scsi::unique::kPciDevice];
    record.pciFunction = unique[scsi::unique::kPciFunction];
  }
  record.adapterNumber = adapterNumber;
  record.adapterScsiId = answer.adapterScsiId;
  copyIdentifier(record.managerId, answer.managerId);
  copyIdentifier(record.adapterIdentifier, answer.adapterIdentifier);
  std::memcpy(record.adapterUnique, unique, sizeof record.adapterUnique);
  uint8_t targets = unique[scsi::unique::kMaxTargets];
  if (targets == 0) targets = kDefaultTargets;
  // The record has room for 32 devices; a wider bus is scanned up to there.
  record.maxTargets = std::min<uint8_t>(targets, kMaxDevices);
}

bool identifyPci(ManagerPort& manager, MessageSink& messages, HostAdapterInfo& record) {
  if (manager.readPciConfig(record.adapterNumber, record.pciConfig)) return true;
  messages.show(IDS_FUNCTION_NOT_SUPPORTED, {MessageArg::ofText(kPciConfigFunctionText)});
  return false;
}

bool identifyModel(HostAdapterInfo& record) {
  AdapterModelFinder finder;
  if (!finder.find(scsi::le16(record.pciConfig + pci::kDeviceId),
                   scsi::le16(record.pciConfig + pci::kSubsystemId)))
    return false;
  finder.copyRow(record.model);
  record.extendedFeatures = record.model.familyLevel >= 4 ? 1 : 0;
  std::string name(record.model.modelName,
                   strnlen(record.model.modelName, sizeof record.model.modelName));
  if (record.model.channelCount == 2) name += record.pciFunction == 1 ? " B" : " A";
  copyText(record.displayName, name);
  return true;
}

bool reportsUnknownModel(const HostAdapterInfo& record) {
  const bool passThrough =
      strncmp(record.managerId, kPassThroughManagerId, sizeof record.managerId) == 0;
  return !passThrough || scsi::le16(record.pciConfig + pci::kVendorId) == kMakerVendorId;
}

void fillDevice(DeviceInfo& device, const HostAdapterInfo& record, uint8_t target,
                const uint8_t (&inquiry)[scsi::kInquiryLength]) {
  device = DeviceInfo{};
  device.adapterNumber = record.adapterNumber;
  device.target = target;
  device.lun = 0;
  device.deviceType = inquiry[0] & 0x1F;
  std::memcpy(device.inquiryHeader, inquiry, sizeof device.inquiryHeader);
  const char* vendor = reinterpret_cast<const char*>(inquiry + 8);
  size_t n = strnlen(vendor, 8);
  while (n > 0 && isTrailingSpace(vendor[n - 1])) --n;
  std::memcpy(device.vendor, vendor, n);
  std::memcpy(device.product, inquiry + 16, 16);
  std::memcpy(device.revision, inquiry + 32, 4);
  device.adapter = addressOf(&record);
}

uint8_t scanDevices(ManagerPort& manager, HostAdapterInfo& record) {
  std::unique_ptr<ScanSession> session = manager.beginScan();
  if (!session) return 0;
  const scsi::Command inquiry = scsi::inquiry();
  uint8_t count = 0;
  unsigned targets = std::min<unsigned>(record.maxTargets, kMaxDevices);
  for (unsigned t = 0; t < targets; ++t) {
    uint8_t data[scsi::kInquiryLength] = {};
    scsi::ExecCommandBlock block;
    scsi::fillExecBlock(block, record.adapterNumber, static_cast<uint8_t>(t), inquiry, data);
    Completion completion = session->execute(block, data, scsi::kInquiryLength);
    // A request that failed through its event ends the adapter's scan; an immediate
    // refusal or an expired wait only skips the target. A selection time-out only says
    // that nobody answers at this target, however it is reported, so the targets
    // behind a gap are still asked.
    bool absent = block.header.status == scsi::kStatusError &&
                  block.adapterStatus == scsi::kHaSelectionTimeout;
    if (completion == Completion::Signalled && block.header.status != scsi::kStatusDone &&
        !absent)
      break;
    if (block.header.status == scsi::kStatusDone && count < kMaxDevices) {
      fillDevice(record.devices[count], record, static_cast<uint8_t>(t), data);
      ++count;
    }
  }
  return count;
}

void makeLabels(HostAdapterInfo* records, int32_t count) {
  count = std::max(0, std::min(count, kMaxAdapters));
  AdapterLabel labels[kMaxAdapters] = {};
  for (int32_t j = 0; j < count; ++j) {
    HostAdapterInfo& record = records[j];
    record.adapterCount = count;
    char letter = ' ';
    if (record.model.channelCount == 2) letter = record.pciFunction == 0 ? 'A' : 'B';
    int nameLength =
        static_cast<int>(strnlen(record.model.modelName, sizeof record.model.modelName));
    std::snprintf(labels[j].text, sizeof labels[j].text, "%.*s %c at %.2X:%.2X:%.2X",
                  nameLength, record.model.modelName, letter, record.pciBus, record.pciDevice,
                  record.pciFunction);
    labels[j].pciLocation[0] = record.pciBus;
    labels[j].pciLocation[1] = record.pciDevice;
    labels[j].pciLocation[2] = record.pciFunction;
    labels[j].adapter = addressOf(&record);
  }
  for (int32_t j = 0; j < count; ++j) std::memcpy(records[j].labels, labels, sizeof labels);
}

}  // namespace inv
