// The inventory records. Their layout is a contract between all five deliverables: the
// front ends read them in place through addresses handed across the automation
// interface, and the shell extension stores byte copies inside its item identifiers.
// Every size and offset is checked at compile time. Address fields are 32-bit.
#pragma once

#include <cstddef>
#include <cstdint>

namespace inv {

constexpr int kMaxAdapters = 15;      // room of the label table
constexpr int kMaxDevices = 32;       // room of HostAdapterInfo.devices
constexpr uint32_t kEepromImageFull = 512;

#pragma pack(push, 1)

// One row of the adapter identification table; also HostAdapterInfo.model.
struct AdapterModel {
  char modelName[80];       // empty name ends the table
  uint16_t pciDeviceId;
  uint16_t pciSubsystemId;  // 0xFFFF matches any subsystem ID
  uint32_t channelCount;    // 1, 2 or 4
  uint32_t connectorLayout; // 1 = LVD/SE and SE connector per channel
  uint32_t lvdTerminationChoices;  // 0, 3 or 5
  uint32_t seTerminationChoices;   // 0, 3 or 5
  uint32_t familyLevel;     // 1 (oldest) .. 4 (newest)
  uint8_t reserved[20];
};

struct DeviceInfo {
  uint8_t adapterNumber;
  uint8_t target;
  uint8_t lun;
  uint8_t deviceType;        // INQUIRY byte 0 AND 0x1F
  uint8_t inquiryHeader[8];  // INQUIRY bytes 0..7
  char vendor[9];            // bytes 8..15, trailing white space removed
  char product[17];          // bytes 16..31, blanks kept
  char revision[5];          // bytes 32..35
  uint8_t reserved[25];
  uint32_t adapter;          // address of the owning HostAdapterInfo
};

struct AdapterLabel {
  char text[80];             // "%s %c at %.2X:%.2X:%.2X"
  uint8_t pciLocation[3];    // bus, device, function
  uint8_t reserved[5];
  uint32_t adapter;          // address of that adapter's HostAdapterInfo
};

struct HostAdapterInfo {
  uint8_t adapterNumber;
  uint8_t adapterScsiId;
  char managerId[17];
  char adapterIdentifier[17];
  uint8_t adapterUnique[16];
  char displayName[64];
  uint8_t deviceCount;
  uint8_t maxTargets;
  uint8_t reserved1[2];
  DeviceInfo devices[kMaxDevices];
  uint8_t pciBus;
  uint8_t pciDevice;
  uint8_t pciFunction;
  uint8_t pciConfig[256];
  uint8_t reserved2;
  uint32_t eepromImageSize;  // 512 once the EEPROM blocks were read
  uint8_t eepromImage[512];  // channel A block at 0, channel B block at 64
  AdapterModel model;        // all zero when no row matched
  uint8_t reserved3[56];
  int32_t adapterCount;      // records in the array (repeated in every record)
  AdapterLabel labels[kMaxAdapters];
  uint32_t extendedFeatures; // 1 when model.familyLevel >= 4
};

#pragma pack(pop)

static_assert(sizeof(AdapterModel) == 124, "AdapterModel size");
static_assert(offsetof(AdapterModel, pciDeviceId) == 80, "pciDeviceId");
static_assert(offsetof(AdapterModel, pciSubsystemId) == 82, "pciSubsystemId");
static_assert(offsetof(AdapterModel, channelCount) == 84, "channelCount");
static_assert(offsetof(AdapterModel, connectorLayout) == 88, "connectorLayout");
static_assert(offsetof(AdapterModel, lvdTerminationChoices) == 92, "lvdTerminationChoices");
static_assert(offsetof(AdapterModel, seTerminationChoices) == 96, "seTerminationChoices");
static_assert(offsetof(AdapterModel, familyLevel) == 100, "familyLevel");
static_assert(offsetof(AdapterModel, reserved) == 104, "reserved");

static_assert(sizeof(DeviceInfo) == 72, "DeviceInfo size");
static_assert(offsetof(DeviceInfo, target) == 1, "target");
static_assert(offsetof(DeviceInfo, lun) == 2, "lun");
static_assert(offsetof(DeviceInfo, deviceType) == 3, "deviceType");
static_assert(offsetof(DeviceInfo, inquiryHeader) == 4, "inquiryHeader");
static_assert(offsetof(DeviceInfo, vendor) == 12, "vendor");
static_assert(offsetof(DeviceInfo, product) == 21, "product");
static_assert(offsetof(DeviceInfo, revision) == 38, "revision");
static_assert(offsetof(DeviceInfo, reserved) == 43, "reserved");
static_assert(offsetof(DeviceInfo, adapter) == 68, "adapter");

static_assert(sizeof(AdapterLabel) == 92, "AdapterLabel size");
static_assert(offsetof(AdapterLabel, pciLocation) == 80, "pciLocation");
static_assert(offsetof(AdapterLabel, reserved) == 83, "reserved");
static_assert(offsetof(AdapterLabel, adapter) == 88, "adapter");

static_assert(sizeof(HostAdapterInfo) == 4768, "HostAdapterInfo size");
static_assert(offsetof(HostAdapterInfo, adapterScsiId) == 1, "adapterScsiId");
static_assert(offsetof(HostAdapterInfo, managerId) == 2, "managerId");
static_assert(offsetof(HostAdapterInfo, adapterIdentifier) == 19, "adapterIdentifier");
static_assert(offsetof(HostAdapterInfo, adapterUnique) == 36, "adapterUnique");
static_assert(offsetof(HostAdapterInfo, displayName) == 52, "displayName");
static_assert(offsetof(HostAdapterInfo, deviceCount) == 116, "deviceCount");
static_assert(offsetof(HostAdapterInfo, maxTargets) == 117, "maxTargets");
static_assert(offsetof(HostAdapterInfo, reserved1) == 118, "reserved1");
static_assert(offsetof(HostAdapterInfo, devices) == 120, "devices");
static_assert(offsetof(HostAdapterInfo, pciBus) == 2424, "pciBus");
static_assert(offsetof(HostAdapterInfo, pciDevice) == 2425, "pciDevice");
static_assert(offsetof(HostAdapterInfo, pciFunction) == 2426, "pciFunction");
static_assert(offsetof(HostAdapterInfo, pciConfig) == 2427, "pciConfig");
static_assert(offsetof(HostAdapterInfo, reserved2) == 2683, "reserved2");
static_assert(offsetof(HostAdapterInfo, eepromImageSize) == 2684, "eepromImageSize");
static_assert(offsetof(HostAdapterInfo, eepromImage) == 2688, "eepromImage");
static_assert(offsetof(HostAdapterInfo, model) == 3200, "model");
static_assert(offsetof(HostAdapterInfo, reserved3) == 3324, "reserved3");
static_assert(offsetof(HostAdapterInfo, adapterCount) == 3380, "adapterCount");
static_assert(offsetof(HostAdapterInfo, labels) == 3384, "labels");
static_assert(offsetof(HostAdapterInfo, extendedFeatures) == 4764, "extendedFeatures");
static_assert(sizeof(HostAdapterInfo::labels) == 1380, "label table");

// PCI configuration space offsets the suite reads.
namespace pci {
constexpr size_t kDeviceId = 0x02;
constexpr size_t kBar0 = 0x10;
constexpr size_t kSubsystemId = 0x2E;
}  // namespace pci

// Address fields carry 32-bit process addresses.
inline uint32_t addressOf(const void* p) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
}
template <typename T>
inline T* fromAddress(uint32_t address) {
  return reinterpret_cast<T*>(static_cast<uintptr_t>(address));
}

}  // namespace inv
