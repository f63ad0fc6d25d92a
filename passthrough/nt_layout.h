// Windows' SCSI port and storage query interface (ntddscsi.h, ntddstor.h) as bytes: the
// control codes, the error codes the logic tells apart, and every structure laid out
// explicitly for a 32-bit and a 64-bit process, so that the logic builds and reads them
// the same way on any host. The Windows binding checks these layouts against the
// platform's own headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace pt::nt {

constexpr uint32_t ctlCode(uint32_t deviceType, uint32_t function, uint32_t method,
                           uint32_t access) {
  return (deviceType << 16) | (access << 14) | (function << 2) | method;
}
constexpr uint32_t kFileDeviceController = 0x04;
constexpr uint32_t kFileDeviceMassStorage = 0x2D;
constexpr uint32_t kMethodBuffered = 0;
constexpr uint32_t kFileAnyAccess = 0;
constexpr uint32_t kFileReadWriteAccess = 3;

constexpr uint32_t kIoctlScsiPassThrough =
    ctlCode(kFileDeviceController, 0x401, kMethodBuffered, kFileReadWriteAccess);
constexpr uint32_t kIoctlScsiGetInquiryData =
    ctlCode(kFileDeviceController, 0x403, kMethodBuffered, kFileAnyAccess);
constexpr uint32_t kIoctlScsiGetCapabilities =
    ctlCode(kFileDeviceController, 0x404, kMethodBuffered, kFileAnyAccess);
constexpr uint32_t kIoctlScsiPassThroughDirect =
    ctlCode(kFileDeviceController, 0x405, kMethodBuffered, kFileReadWriteAccess);
constexpr uint32_t kIoctlScsiGetAddress =
    ctlCode(kFileDeviceController, 0x406, kMethodBuffered, kFileAnyAccess);
// Carried by the port to its miniport driver, which alone knows what it asks.
constexpr uint32_t kIoctlScsiMiniport =
    ctlCode(kFileDeviceController, 0x402, kMethodBuffered, kFileReadWriteAccess);
constexpr uint32_t kIoctlStorageQueryProperty =
    ctlCode(kFileDeviceMassStorage, 0x500, kMethodBuffered, kFileAnyAccess);

// SCSI_PASS_THROUGH.DataIn
constexpr uint8_t kDataOut = 0;
constexpr uint8_t kDataIn = 1;
constexpr uint8_t kDataUnspecified = 2;

// STORAGE_PROPERTY_QUERY
constexpr uint32_t kStorageAdapterProperty = 1;
constexpr uint32_t kPropertyStandardQuery = 0;

// Win32 error codes (winerror.h) that change what the logic does.
namespace error {
constexpr uint32_t kSuccess = 0;
constexpr uint32_t kInvalidFunction = 1;
constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kPathNotFound = 3;
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kBadUnit = 20;
constexpr uint32_t kCrc = 23;
constexpr uint32_t kGenFailure = 31;
constexpr uint32_t kNotSupported = 50;
constexpr uint32_t kDevNotExist = 55;
constexpr uint32_t kInvalidParameter = 87;
constexpr uint32_t kSemTimeout = 121;
constexpr uint32_t kInsufficientBuffer = 122;
constexpr uint32_t kMoreData = 234;
constexpr uint32_t kNoSuchDevice = 433;
constexpr uint32_t kBusReset = 1111;
constexpr uint32_t kIoDevice = 1117;
constexpr uint32_t kDeviceNotConnected = 1167;
constexpr uint32_t kTimeout = 1460;
}  // namespace error

#pragma pack(push, 1)

// SCSI_PASS_THROUGH and SCSI_PASS_THROUGH_DIRECT share one layout: `dataBuffer` is the
// data's offset from the start of the structure (buffered) or its address (direct).
// Only that field and the padding around it differ between the two widths.
struct PassThrough32 {
  uint16_t length;
  uint8_t scsiStatus;
  uint8_t pathId;
  uint8_t targetId;
  uint8_t lun;
  uint8_t cdbLength;
  uint8_t senseInfoLength;
  uint8_t dataIn;
  uint8_t pad0[3];
  uint32_t dataTransferLength;
  uint32_t timeOutValue;
  uint32_t dataBuffer;
  uint32_t senseInfoOffset;
  uint8_t cdb[16];
};

struct PassThrough64 {
  uint16_t length;
  uint8_t scsiStatus;
  uint8_t pathId;
  uint8_t targetId;
  uint8_t lun;
  uint8_t cdbLength;
  uint8_t senseInfoLength;
  uint8_t dataIn;
  uint8_t pad0[3];
  uint32_t dataTransferLength;
  uint32_t timeOutValue;
  uint8_t pad1[4];
  uint64_t dataBuffer;
  uint32_t senseInfoOffset;
  uint8_t cdb[16];
  uint8_t pad2[4];
};

// SCSI_ADDRESS
struct ScsiAddress {
  uint32_t length;
  uint8_t portNumber;
  uint8_t pathId;
  uint8_t targetId;
  uint8_t lun;
};

// IO_SCSI_CAPABILITIES
struct ScsiCapabilities {
  uint32_t length;
  uint32_t maximumTransferLength;
  uint32_t maximumPhysicalPages;
  uint32_t supportedAsynchronousEvents;
  uint32_t alignmentMask;
  uint8_t taggedQueuing;
  uint8_t adapterScansDown;
  uint8_t adapterUsesPio;
  uint8_t pad0;
};

// IOCTL_SCSI_GET_INQUIRY_DATA answers a SCSI_ADAPTER_BUS_INFO: the bus count, one
// SCSI_BUS_DATA per bus, and per bus a chain of SCSI_INQUIRY_DATA entries. Every offset
// counts from the start of the answer.
struct AdapterBusInfoHeader {
  uint8_t numberOfBuses;
  uint8_t pad0[3];
};

struct BusData {
  uint8_t numberOfLogicalUnits;
  uint8_t initiatorBusId;
  uint8_t pad0[2];
  uint32_t inquiryDataOffset;
};

struct InquiryDataHeader {
  uint8_t pathId;
  uint8_t targetId;
  uint8_t lun;
  uint8_t deviceClaimed;
  uint32_t inquiryDataLength;
  uint32_t nextInquiryDataOffset;
  // the INQUIRY data follows
};

// STORAGE_PROPERTY_QUERY
struct StoragePropertyQuery {
  uint32_t propertyId;
  uint32_t queryType;
  uint8_t additionalParameters[1];
  uint8_t pad0[3];
};

// STORAGE_ADAPTER_DESCRIPTOR; older systems answer up to busMinorVersion only.
struct StorageAdapterDescriptor {
  uint32_t version;
  uint32_t size;
  uint32_t maximumTransferLength;
  uint32_t maximumPhysicalPages;
  uint32_t alignmentMask;
  uint8_t adapterUsesPio;
  uint8_t adapterScansDown;
  uint8_t commandQueueing;
  uint8_t acceleratedTransfer;
  uint8_t busType;
  uint8_t pad0;
  uint16_t busMajorVersion;
  uint16_t busMinorVersion;
  uint8_t srbType;
  uint8_t addressType;
};

#pragma pack(pop)

static_assert(offsetof(PassThrough32, scsiStatus) == 2, "ScsiStatus");
static_assert(offsetof(PassThrough32, pathId) == 3, "PathId");
static_assert(offsetof(PassThrough32, targetId) == 4, "TargetId");
static_assert(offsetof(PassThrough32, lun) == 5, "Lun");
static_assert(offsetof(PassThrough32, cdbLength) == 6, "CdbLength");
static_assert(offsetof(PassThrough32, senseInfoLength) == 7, "SenseInfoLength");
static_assert(offsetof(PassThrough32, dataIn) == 8, "DataIn");
static_assert(offsetof(PassThrough32, dataTransferLength) == 12, "DataTransferLength");
static_assert(offsetof(PassThrough32, timeOutValue) == 16, "TimeOutValue");
static_assert(offsetof(PassThrough32, dataBuffer) == 20, "DataBuffer(Offset)");
static_assert(offsetof(PassThrough32, senseInfoOffset) == 24, "SenseInfoOffset");
static_assert(offsetof(PassThrough32, cdb) == 28, "Cdb");
static_assert(sizeof(PassThrough32) == 44, "SCSI_PASS_THROUGH, 32-bit");

static_assert(offsetof(PassThrough64, dataIn) == 8, "DataIn");
static_assert(offsetof(PassThrough64, dataTransferLength) == 12, "DataTransferLength");
static_assert(offsetof(PassThrough64, timeOutValue) == 16, "TimeOutValue");
static_assert(offsetof(PassThrough64, dataBuffer) == 24, "DataBuffer(Offset)");
static_assert(offsetof(PassThrough64, senseInfoOffset) == 32, "SenseInfoOffset");
static_assert(offsetof(PassThrough64, cdb) == 36, "Cdb");
static_assert(sizeof(PassThrough64) == 56, "SCSI_PASS_THROUGH, 64-bit");

static_assert(sizeof(ScsiAddress) == 8 && offsetof(ScsiAddress, portNumber) == 4, "SCSI_ADDRESS");
static_assert(offsetof(ScsiCapabilities, alignmentMask) == 16, "AlignmentMask");
static_assert(offsetof(ScsiCapabilities, taggedQueuing) == 20, "TaggedQueuing");
static_assert(sizeof(ScsiCapabilities) == 24, "IO_SCSI_CAPABILITIES");
static_assert(sizeof(AdapterBusInfoHeader) == 4, "SCSI_ADAPTER_BUS_INFO.BusData");
static_assert(sizeof(BusData) == 8 && offsetof(BusData, inquiryDataOffset) == 4, "SCSI_BUS_DATA");
static_assert(sizeof(InquiryDataHeader) == 12, "SCSI_INQUIRY_DATA.InquiryData");
static_assert(offsetof(InquiryDataHeader, nextInquiryDataOffset) == 8, "NextInquiryDataOffset");
static_assert(sizeof(StoragePropertyQuery) == 12, "STORAGE_PROPERTY_QUERY");
static_assert(offsetof(StorageAdapterDescriptor, alignmentMask) == 16, "AlignmentMask");
static_assert(offsetof(StorageAdapterDescriptor, busType) == 24, "BusType");
static_assert(offsetof(StorageAdapterDescriptor, busMajorVersion) == 26, "BusMajorVersion");
static_assert(offsetof(StorageAdapterDescriptor, srbType) == 30, "SrbType");
static_assert(sizeof(StorageAdapterDescriptor) == 32, "STORAGE_ADAPTER_DESCRIPTOR");

// The pass-through layout of the process this is built for.
using PassThroughNative = std::conditional_t<sizeof(void*) == 8, PassThrough64, PassThrough32>;

}  // namespace pt::nt
