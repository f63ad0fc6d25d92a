// The inventory records. Their layout is a contract between all five deliverables: the
// front ends read them in place through addresses handed across the automation
// interface, and the shell extension stores byte copies inside its item identifiers.
// Every size and offset of both widths is checked at compile time. Address fields are as
// wide as the process's addresses: 32-bit in the 32-bit build, 64-bit in the 64-bit one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

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

// The records are written once over the width of their address fields: `Address` is
// uint32_t in the 32-bit layout and uint64_t in the 64-bit one. Each address field takes
// the room it needs from the reserved bytes before it and lies on a boundary of its own
// width; every other field keeps its 32-bit offset. A build uses the layout of its own
// width; the 32-bit one is also the wire form of the shell's item identifiers.
template <class Address>
struct BasicDeviceInfo {
  uint8_t adapterNumber;
  uint8_t target;
  uint8_t lun;
  uint8_t deviceType;        // INQUIRY byte 0 AND 0x1F
  uint8_t inquiryHeader[8];  // INQUIRY bytes 0..7
  char vendor[9];            // bytes 8..15, trailing white space removed
  char product[17];          // bytes 16..31, blanks kept
  char revision[5];          // bytes 32..35
  uint8_t reserved[29 - sizeof(Address)];
  Address adapter;           // address of the owning HostAdapterInfo
};

template <class Address>
struct BasicAdapterLabel {
  char text[80];             // "%s %c at %.2X:%.2X:%.2X"
  uint8_t pciLocation[3];    // bus, device, function
  uint8_t reserved[5];
  Address adapter;           // address of that adapter's HostAdapterInfo
};

template <class Address>
struct BasicHostAdapterInfo {
  uint8_t adapterNumber;
  uint8_t adapterScsiId;
  char managerId[17];
  char adapterIdentifier[17];
  uint8_t adapterUnique[16];
  char displayName[64];
  uint8_t deviceCount;
  uint8_t maxTargets;
  uint8_t reserved1[2];
  BasicDeviceInfo<Address> devices[kMaxDevices];
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
  BasicAdapterLabel<Address> labels[kMaxAdapters];
  uint32_t extendedFeatures; // 1 when model.familyLevel >= 4
};

#pragma pack(pop)

using DeviceInfo32 = BasicDeviceInfo<uint32_t>;
using DeviceInfo64 = BasicDeviceInfo<uint64_t>;
using AdapterLabel32 = BasicAdapterLabel<uint32_t>;
using AdapterLabel64 = BasicAdapterLabel<uint64_t>;
using HostAdapterInfo32 = BasicHostAdapterInfo<uint32_t>;
using HostAdapterInfo64 = BasicHostAdapterInfo<uint64_t>;

// The records of this build: addresses as wide as the process's.
static_assert(sizeof(void*) == 4 || sizeof(void*) == 8, "32-bit or 64-bit addresses");
using RecordAddress = std::conditional_t<sizeof(void*) == 8, uint64_t, uint32_t>;
using DeviceInfo = BasicDeviceInfo<RecordAddress>;
using AdapterLabel = BasicAdapterLabel<RecordAddress>;
using HostAdapterInfo = BasicHostAdapterInfo<RecordAddress>;

static_assert(sizeof(AdapterModel) == 124, "AdapterModel size");
static_assert(offsetof(AdapterModel, pciDeviceId) == 80, "pciDeviceId");
static_assert(offsetof(AdapterModel, pciSubsystemId) == 82, "pciSubsystemId");
static_assert(offsetof(AdapterModel, channelCount) == 84, "channelCount");
static_assert(offsetof(AdapterModel, connectorLayout) == 88, "connectorLayout");
static_assert(offsetof(AdapterModel, lvdTerminationChoices) == 92, "lvdTerminationChoices");
static_assert(offsetof(AdapterModel, seTerminationChoices) == 96, "seTerminationChoices");
static_assert(offsetof(AdapterModel, familyLevel) == 100, "familyLevel");
static_assert(offsetof(AdapterModel, reserved) == 104, "reserved");

// Both widths, checked in every build: the fields they share sit at the same offsets.
template <class D, size_t Size, size_t Reserved, size_t Adapter>
constexpr bool deviceLayout() {
  static_assert(sizeof(D) == Size, "DeviceInfo size");
  static_assert(offsetof(D, target) == 1, "target");
  static_assert(offsetof(D, lun) == 2, "lun");
  static_assert(offsetof(D, deviceType) == 3, "deviceType");
  static_assert(offsetof(D, inquiryHeader) == 4, "inquiryHeader");
  static_assert(offsetof(D, vendor) == 12, "vendor");
  static_assert(offsetof(D, product) == 21, "product");
  static_assert(offsetof(D, revision) == 38, "revision");
  static_assert(offsetof(D, reserved) == 43, "reserved");
  static_assert(sizeof(D::reserved) == Reserved, "reserved size");
  static_assert(offsetof(D, adapter) == Adapter, "adapter");
  return true;
}
static_assert(deviceLayout<DeviceInfo32, 72, 25, 68>(), "32-bit DeviceInfo");
static_assert(deviceLayout<DeviceInfo64, 72, 21, 64>(), "64-bit DeviceInfo");

template <class L, size_t Size>
constexpr bool labelLayout() {
  static_assert(sizeof(L) == Size, "AdapterLabel size");
  static_assert(offsetof(L, pciLocation) == 80, "pciLocation");
  static_assert(offsetof(L, reserved) == 83, "reserved");
  static_assert(offsetof(L, adapter) == 88, "adapter");
  return true;
}
static_assert(labelLayout<AdapterLabel32, 92>(), "32-bit AdapterLabel");
static_assert(labelLayout<AdapterLabel64, 96>(), "64-bit AdapterLabel");

template <class H, size_t Size, size_t Labels, size_t ExtendedFeatures>
constexpr bool adapterLayout() {
  static_assert(sizeof(H) == Size, "HostAdapterInfo size");
  static_assert(offsetof(H, adapterScsiId) == 1, "adapterScsiId");
  static_assert(offsetof(H, managerId) == 2, "managerId");
  static_assert(offsetof(H, adapterIdentifier) == 19, "adapterIdentifier");
  static_assert(offsetof(H, adapterUnique) == 36, "adapterUnique");
  static_assert(offsetof(H, displayName) == 52, "displayName");
  static_assert(offsetof(H, deviceCount) == 116, "deviceCount");
  static_assert(offsetof(H, maxTargets) == 117, "maxTargets");
  static_assert(offsetof(H, reserved1) == 118, "reserved1");
  static_assert(offsetof(H, devices) == 120, "devices");
  static_assert(offsetof(H, pciBus) == 2424, "pciBus");
  static_assert(offsetof(H, pciDevice) == 2425, "pciDevice");
  static_assert(offsetof(H, pciFunction) == 2426, "pciFunction");
  static_assert(offsetof(H, pciConfig) == 2427, "pciConfig");
  static_assert(offsetof(H, reserved2) == 2683, "reserved2");
  static_assert(offsetof(H, eepromImageSize) == 2684, "eepromImageSize");
  static_assert(offsetof(H, eepromImage) == 2688, "eepromImage");
  static_assert(offsetof(H, model) == 3200, "model");
  static_assert(offsetof(H, reserved3) == 3324, "reserved3");
  static_assert(offsetof(H, adapterCount) == 3380, "adapterCount");
  static_assert(offsetof(H, labels) == 3384, "labels");
  static_assert(sizeof(H::labels) == Labels, "label table");
  static_assert(offsetof(H, extendedFeatures) == ExtendedFeatures, "extendedFeatures");
  return true;
}
static_assert(adapterLayout<HostAdapterInfo32, 4768, 1380, 4764>(), "32-bit HostAdapterInfo");
static_assert(adapterLayout<HostAdapterInfo64, 4828, 1440, 4824>(), "64-bit HostAdapterInfo");

// PCI configuration space offsets the suite reads.
namespace pci {
constexpr size_t kVendorId = 0x00;
constexpr size_t kDeviceId = 0x02;
constexpr size_t kBar0 = 0x10;
constexpr size_t kSubsystemId = 0x2E;
}  // namespace pci

// Address fields carry the process's own addresses, at its own width.
inline RecordAddress addressOf(const void* p) {
  return static_cast<RecordAddress>(reinterpret_cast<uintptr_t>(p));
}
template <typename T>
inline T* fromAddress(RecordAddress address) {
  return reinterpret_cast<T*>(static_cast<uintptr_t>(address));
}

}  // namespace inv
