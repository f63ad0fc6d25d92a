#include "passthrough/win/win_system.h"

#include <windows.h>
// The platform's own definitions, for the checks below.
#include <winioctl.h>
#include <ntddscsi.h>
#include <ntddstor.h>
#include <cfgmgr32.h>
#include <setupapi.h>

#include <cstddef>
#include <cstring>

#include "framework/regkey.h"
#include "passthrough/nt_layout.h"

namespace ptwin {

// ---- our layouts against the platform's headers -----------------------------------------

namespace nt = pt::nt;
using Native = nt::PassThroughNative;

#define PT_SAME_FIELD(theirs, field, ours, ourField) \
  static_assert(offsetof(theirs, field) == offsetof(ours, ourField), #theirs "." #field)

#define PT_PASS_THROUGH_LAYOUT(theirs, ours, bufferField)           \
  static_assert(sizeof(theirs) == sizeof(ours), #theirs " size");   \
  PT_SAME_FIELD(theirs, Length, ours, length);                      \
  PT_SAME_FIELD(theirs, ScsiStatus, ours, scsiStatus);              \
  PT_SAME_FIELD(theirs, PathId, ours, pathId);                      \
  PT_SAME_FIELD(theirs, TargetId, ours, targetId);                  \
  PT_SAME_FIELD(theirs, Lun, ours, lun);                            \
  PT_SAME_FIELD(theirs, CdbLength, ours, cdbLength);                \
  PT_SAME_FIELD(theirs, SenseInfoLength, ours, senseInfoLength);    \
  PT_SAME_FIELD(theirs, DataIn, ours, dataIn);                      \
  PT_SAME_FIELD(theirs, DataTransferLength, ours, dataTransferLength); \
  PT_SAME_FIELD(theirs, TimeOutValue, ours, timeOutValue);          \
  PT_SAME_FIELD(theirs, bufferField, ours, dataBuffer);             \
  PT_SAME_FIELD(theirs, SenseInfoOffset, ours, senseInfoOffset);    \
  PT_SAME_FIELD(theirs, Cdb, ours, cdb)

PT_PASS_THROUGH_LAYOUT(SCSI_PASS_THROUGH, Native, DataBufferOffset);
PT_PASS_THROUGH_LAYOUT(SCSI_PASS_THROUGH_DIRECT, Native, DataBuffer);
#ifdef _WIN64
// The 32-bit layout as a 64-bit system receives it from a 32-bit process.
PT_PASS_THROUGH_LAYOUT(SCSI_PASS_THROUGH32, nt::PassThrough32, DataBufferOffset);
#endif

static_assert(sizeof(SCSI_ADDRESS) == sizeof(nt::ScsiAddress), "SCSI_ADDRESS");
PT_SAME_FIELD(SCSI_ADDRESS, PortNumber, nt::ScsiAddress, portNumber);
PT_SAME_FIELD(SCSI_ADDRESS, Lun, nt::ScsiAddress, lun);
static_assert(sizeof(IO_SCSI_CAPABILITIES) == sizeof(nt::ScsiCapabilities), "IO_SCSI_CAPABILITIES");
PT_SAME_FIELD(IO_SCSI_CAPABILITIES, MaximumTransferLength, nt::ScsiCapabilities, maximumTransferLength);
PT_SAME_FIELD(IO_SCSI_CAPABILITIES, AlignmentMask, nt::ScsiCapabilities, alignmentMask);
static_assert(offsetof(SCSI_ADAPTER_BUS_INFO, BusData) == sizeof(nt::AdapterBusInfoHeader), "BusData");
static_assert(sizeof(SCSI_BUS_DATA) == sizeof(nt::BusData), "SCSI_BUS_DATA");
PT_SAME_FIELD(SCSI_BUS_DATA, InitiatorBusId, nt::BusData, initiatorBusId);
PT_SAME_FIELD(SCSI_BUS_DATA, InquiryDataOffset, nt::BusData, inquiryDataOffset);
static_assert(offsetof(SCSI_INQUIRY_DATA, InquiryData) == sizeof(nt::InquiryDataHeader), "InquiryData");
PT_SAME_FIELD(SCSI_INQUIRY_DATA, DeviceClaimed, nt::InquiryDataHeader, deviceClaimed);
PT_SAME_FIELD(SCSI_INQUIRY_DATA, InquiryDataLength, nt::InquiryDataHeader, inquiryDataLength);
PT_SAME_FIELD(SCSI_INQUIRY_DATA, NextInquiryDataOffset, nt::InquiryDataHeader, nextInquiryDataOffset);
static_assert(sizeof(STORAGE_PROPERTY_QUERY) == sizeof(nt::StoragePropertyQuery), "STORAGE_PROPERTY_QUERY");
PT_SAME_FIELD(STORAGE_ADAPTER_DESCRIPTOR, MaximumTransferLength, nt::StorageAdapterDescriptor, maximumTransferLength);
PT_SAME_FIELD(STORAGE_ADAPTER_DESCRIPTOR, AlignmentMask, nt::StorageAdapterDescriptor, alignmentMask);
PT_SAME_FIELD(STORAGE_ADAPTER_DESCRIPTOR, BusType, nt::StorageAdapterDescriptor, busType);
PT_SAME_FIELD(STORAGE_ADAPTER_DESCRIPTOR, BusMinorVersion, nt::StorageAdapterDescriptor, busMinorVersion);

static_assert(IOCTL_SCSI_PASS_THROUGH == nt::kIoctlScsiPassThrough, "IOCTL_SCSI_PASS_THROUGH");
static_assert(IOCTL_SCSI_PASS_THROUGH_DIRECT == nt::kIoctlScsiPassThroughDirect, "..._DIRECT");
static_assert(IOCTL_SCSI_GET_INQUIRY_DATA == nt::kIoctlScsiGetInquiryData, "IOCTL_SCSI_GET_INQUIRY_DATA");
static_assert(IOCTL_SCSI_GET_CAPABILITIES == nt::kIoctlScsiGetCapabilities, "IOCTL_SCSI_GET_CAPABILITIES");
static_assert(IOCTL_SCSI_GET_ADDRESS == nt::kIoctlScsiGetAddress, "IOCTL_SCSI_GET_ADDRESS");
static_assert(IOCTL_STORAGE_QUERY_PROPERTY == nt::kIoctlStorageQueryProperty, "IOCTL_STORAGE_QUERY_PROPERTY");
static_assert(IOCTL_SCSI_MINIPORT == nt::kIoctlScsiMiniport, "IOCTL_SCSI_MINIPORT");
static_assert(SCSI_IOCTL_DATA_IN == nt::kDataIn && SCSI_IOCTL_DATA_OUT == nt::kDataOut &&
              SCSI_IOCTL_DATA_UNSPECIFIED == nt::kDataUnspecified, "SCSI_IOCTL_DATA_*");
static_assert(StorageAdapterProperty == nt::kStorageAdapterProperty &&
              PropertyStandardQuery == nt::kPropertyStandardQuery, "STORAGE_PROPERTY_QUERY values");

static_assert(ERROR_INVALID_FUNCTION == nt::error::kInvalidFunction && ERROR_FILE_NOT_FOUND == nt::error::kFileNotFound &&
              ERROR_PATH_NOT_FOUND == nt::error::kPathNotFound && ERROR_ACCESS_DENIED == nt::error::kAccessDenied &&
              ERROR_BAD_UNIT == nt::error::kBadUnit && ERROR_CRC == nt::error::kCrc &&
              ERROR_GEN_FAILURE == nt::error::kGenFailure && ERROR_NOT_SUPPORTED == nt::error::kNotSupported &&
              ERROR_DEV_NOT_EXIST == nt::error::kDevNotExist && ERROR_INVALID_PARAMETER == nt::error::kInvalidParameter &&
              ERROR_SEM_TIMEOUT == nt::error::kSemTimeout && ERROR_INSUFFICIENT_BUFFER == nt::error::kInsufficientBuffer &&
              ERROR_MORE_DATA == nt::error::kMoreData &&
              ERROR_BUS_RESET == nt::error::kBusReset && ERROR_IO_DEVICE == nt::error::kIoDevice &&
              ERROR_DEVICE_NOT_CONNECTED == nt::error::kDeviceNotConnected && ERROR_TIMEOUT == nt::error::kTimeout,
              "Win32 error codes");  // ERROR_NO_SUCH_DEVICE (433) is not in these headers

// ---- the seam ------------------------------------------------------------------------------

namespace {

// GUID_DEVINTERFACE_STORAGEPORT, {2ACCFE60-C130-11D2-B082-00A0C91EFB8B}.
const GUID kStoragePortInterface = {0x2accfe60, 0xc130, 0x11d2, {0xb0, 0x82, 0x00, 0xa0, 0xc9, 0x1e, 0xfb, 0x8b}};

constexpr const char* kDeviceMapKey = "HARDWARE\\DEVICEMAP\\Scsi";
constexpr size_t kMaxName = 256;

HANDLE handleOf(pt::Handle h) { return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(h)); }

class DeviceInfoSet {
 public:
  explicit DeviceInfoSet(HDEVINFO set) : set_(set) {}
  ~DeviceInfoSet() {
    if (set_ != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(set_);
  }
  DeviceInfoSet(const DeviceInfoSet&) = delete;
  DeviceInfoSet& operator=(const DeviceInfoSet&) = delete;
  HDEVINFO get() const { return set_; }

 private:
  HDEVINFO set_;
};

// A registry property of a device node, as bytes; empty when it has none.
std::vector<char> property(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD which) {
  DWORD needed = 0;
  SetupDiGetDeviceRegistryPropertyA(set, &device, which, nullptr, nullptr, 0, &needed);
  std::vector<char> bytes(needed);
  if (!needed ||
      !SetupDiGetDeviceRegistryPropertyA(set, &device, which, nullptr,
                                         reinterpret_cast<BYTE*>(bytes.data()), needed, &needed))
    return {};
  bytes.resize(needed);
  return bytes;
}

std::string textProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD which) {
  std::vector<char> bytes = property(set, device, which);
  return std::string(bytes.data(), strnlen(bytes.data(), bytes.size()));
}

std::vector<std::string> listProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD which) {
  std::vector<char> bytes = property(set, device, which);
  std::vector<std::string> list;
  for (size_t at = 0; at < bytes.size();) {
    const size_t n = strnlen(bytes.data() + at, bytes.size() - at);
    if (n == 0) break;
    list.emplace_back(bytes.data() + at, n);
    at += n + 1;
  }
  return list;
}

bool numberProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD which, uint32_t& value) {
  DWORD number = 0;
  if (!SetupDiGetDeviceRegistryPropertyA(set, &device, which, nullptr, reinterpret_cast<BYTE*>(&number),
                                         sizeof number, nullptr))
    return false;
  value = number;
  return true;
}

// One resource descriptor of an allocated configuration, if it is one we show.
void addResource(RESOURCEID type, const std::vector<uint64_t>& data, ULONG size, std::vector<pt::Resource>& out) {
  using Kind = pt::Resource::Kind;
  const void* p = data.data();
  if (type == ResType_Mem && size >= sizeof(MEM_DES)) {
    const auto* d = static_cast<const MEM_DES*>(p);
    out.push_back({Kind::Memory, d->MD_Alloc_Base, (d->MD_Flags & mMD_Prefetchable) == fMD_PrefetchAllowed});
  } else if (type == ResType_MemLarge && size >= sizeof(MEM_LARGE_DES)) {
    const auto* d = static_cast<const MEM_LARGE_DES*>(p);
    out.push_back({Kind::Memory, d->MLD_Alloc_Base, (d->MLD_Flags & mMD_Prefetchable) == fMD_PrefetchAllowed});
  } else if (type == ResType_IO && size >= sizeof(IO_DES)) {
    out.push_back({Kind::Io, static_cast<const IO_DES*>(p)->IOD_Alloc_Base, false});
  } else if (type == ResType_IRQ && size >= sizeof(IRQ_DES)) {
    out.push_back({Kind::Interrupt, static_cast<const IRQ_DES*>(p)->IRQD_Alloc_Num, false});
  }
}

std::vector<pt::Resource> resources(DEVINST device) {
  std::vector<pt::Resource> out;
  LOG_CONF configuration = 0;
  if (CM_Get_First_Log_Conf(&configuration, device, ALLOC_LOG_CONF) != CR_SUCCESS) return out;
  RES_DES descriptor = 0;
  RESOURCEID type = 0;
  CONFIGRET next = CM_Get_Next_Res_Des(&descriptor, configuration, ResType_All, &type, 0);
  while (next == CR_SUCCESS) {
    ULONG size = 0;
    if (CM_Get_Res_Des_Data_Size(&size, descriptor, 0) == CR_SUCCESS && size) {
      std::vector<uint64_t> data((size + 7) / 8);  // 8-byte aligned for the 64-bit fields
      if (CM_Get_Res_Des_Data(descriptor, data.data(), size, 0) == CR_SUCCESS) addResource(type, data, size, out);
    }
    RES_DES following = 0;
    next = CM_Get_Next_Res_Des(&following, descriptor, ResType_All, &type, 0);
    CM_Free_Res_Des_Handle(descriptor);
    descriptor = following;
  }
  CM_Free_Log_Conf_Handle(configuration);
  return out;
}

}  // namespace

pt::Handle WinSystem::open(const std::string& path, pt::Access access, uint32_t& error) {
  const DWORD rights = access == pt::Access::ReadWrite ? GENERIC_READ | GENERIC_WRITE : 0;
  HANDLE h = CreateFileA(path.c_str(), rights, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return 0;
  }
  error = 0;
  return static_cast<pt::Handle>(reinterpret_cast<uintptr_t>(h));
}

void WinSystem::close(pt::Handle handle) { CloseHandle(handleOf(handle)); }

pt::IoResult WinSystem::control(pt::Handle handle, uint32_t code, const void* in, uint32_t inSize,
                                void* out, uint32_t outSize) {
  pt::IoResult r;
  DWORD returned = 0;
  r.ok = DeviceIoControl(handleOf(handle), code, const_cast<void*>(in), inSize, out, outSize, &returned,
                         nullptr) != FALSE;
  r.error = r.ok ? 0 : GetLastError();
  r.returned = returned;
  return r;
}

bool WinSystem::deviceMap(std::vector<pt::DeviceMapEntry>& entries) {
  fw::RegKey scsi;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDeviceMapKey, 0, KEY_READ, scsi.put()) != ERROR_SUCCESS) return false;
  for (DWORD i = 0;; ++i) {
    char name[kMaxName];
    DWORD length = sizeof name;
    const LONG found = RegEnumKeyExA(scsi.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (found == ERROR_NO_MORE_ITEMS) break;
    if (found != ERROR_SUCCESS) continue;
    pt::DeviceMapEntry entry;
    entry.keyName.assign(name, length);
    fw::RegKey port;
    char driver[kMaxName] = {};
    DWORD size = sizeof driver - 1;
    DWORD type = 0;
    if (RegOpenKeyExA(scsi.get(), name, 0, KEY_READ, port.put()) == ERROR_SUCCESS &&
        RegQueryValueExA(port.get(), "Driver", nullptr, &type, reinterpret_cast<BYTE*>(driver), &size) ==
            ERROR_SUCCESS &&
        type == REG_SZ)
      entry.driver.assign(driver, strnlen(driver, size));
    entries.push_back(std::move(entry));
  }
  return true;
}

std::vector<pt::PortNode> WinSystem::portNodes() {
  std::vector<pt::PortNode> nodes;
  DeviceInfoSet set(SetupDiGetClassDevsA(&kStoragePortInterface, nullptr, nullptr,
                                         DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
  if (set.get() == INVALID_HANDLE_VALUE) return nodes;
  for (DWORD i = 0;; ++i) {
    SP_DEVICE_INTERFACE_DATA interfaceData = {};
    interfaceData.cbSize = sizeof interfaceData;
    if (!SetupDiEnumDeviceInterfaces(set.get(), nullptr, &kStoragePortInterface, i, &interfaceData)) break;
    DWORD needed = 0;
    SetupDiGetDeviceInterfaceDetailA(set.get(), &interfaceData, nullptr, 0, &needed, nullptr);
    if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) continue;
    std::vector<uint64_t> storage((needed + 7) / 8);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof device;
    if (!SetupDiGetDeviceInterfaceDetailA(set.get(), &interfaceData, detail, needed, nullptr, &device)) continue;
    pt::PortNode node;
    node.interfacePath.assign(detail->DevicePath,
                              strnlen(detail->DevicePath, needed - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath)));
    node.service = textProperty(set.get(), device, SPDRP_SERVICE);
    node.enumerator = textProperty(set.get(), device, SPDRP_ENUMERATOR_NAME);
    node.hardwareIds = listProperty(set.get(), device, SPDRP_HARDWAREID);
    node.compatibleIds = listProperty(set.get(), device, SPDRP_COMPATIBLEIDS);
    node.hasLocation = numberProperty(set.get(), device, SPDRP_BUSNUMBER, node.busNumber) &&
                       numberProperty(set.get(), device, SPDRP_ADDRESS, node.address);
    node.resources = resources(device.DevInst);
    nodes.push_back(std::move(node));
  }
  return nodes;
}

std::vector<std::string> WinSystem::opticalDrives() {
  std::vector<std::string> drives;
  const DWORD letters = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(letters & (1u << i))) continue;
    const char root[] = {static_cast<char>('A' + i), ':', '\\', 0};
    if (GetDriveTypeA(root) == DRIVE_CDROM) drives.push_back(std::string("\\\\.\\") + root[0] + ":");
  }
  return drives;
}

}  // namespace ptwin
