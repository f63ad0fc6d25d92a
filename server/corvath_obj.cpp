#include "server/corvath_obj.h"

#include <algorithm>
#include <cstdint>

#include "corvath_idl.h"
#include "adaptersheet/adaptersheet.h"
#include "biosconfig/seldarn_sheet.h"
#include "devsheet/devsheet.h"
#include "framework/classfactory.h"
#include "inventory/device_types.h"
#include "server/about.h"
#include "server/applist_registry.h"
#include "server/devicelist.h"
#include "server/icons_res.h"
#include "server/module.h"

namespace srv {
namespace {

// Dispatch ids are the positions in this table; they are part of the interface.
constexpr fw::DispatchMember kMembers[] = {
    fw::dispatchMethod<&CorvathObj::showDeviceList>(1, "ShowDeviceList"),
    fw::dispatchMethod<&CorvathObj::getHostAdaptersCount>(2, "GetHostAdaptersCount"),
    fw::dispatchMethod<&CorvathObj::getHostAdaptersList>(3, "GetHostAdaptersList"),
    fw::dispatchMethod<&CorvathObj::showHostAdapterProperty>(4, "ShowHostAdapterProperty"),
    fw::dispatchMethod<&CorvathObj::showDeviceProperty>(5, "ShowDeviceProperty"),
    fw::dispatchMethod<&CorvathObj::getDeviceIcon>(6, "GetDeviceIcon"),
    fw::dispatchMethod<&CorvathObj::getHostAdapterIcon>(7, "GetHostAdapterIcon"),
    fw::dispatchMethod<&CorvathObj::getScsiLogoIcon>(8, "GetScsiLogoIcon"),
    fw::dispatchMethod<&CorvathObj::showVelmoraAboutDialog>(9, "ShowVelmoraAboutDialog"),
    fw::dispatchMethod<&CorvathObj::getVelmoraIcon>(10, "GetVelmoraIcon"),
    fw::dispatchMethod<&CorvathObj::getAppListCount>(11, "GetAppListCount"),
    fw::dispatchMethod<&CorvathObj::getAppList>(12, "GetAppList"),
    fw::dispatchMethod<&CorvathObj::showSeldarn>(13, "ShowSeldarn"),
};
const fw::DispatchTable kTable(kMembers);

constexpr bool idsArePositions() {
  for (size_t i = 0; i < sizeof kMembers / sizeof kMembers[0]; ++i) {
    if (kMembers[i].id != static_cast<DISPID>(i + 1)) return false;
  }
  return true;
}
static_assert(idsArePositions(), "dispatch ids are the 1-based positions");

}  // namespace

long sharedIcon(unsigned id) {
  HICON icon = LoadIconA(corvathModule().instance(), MAKEINTRESOURCEA(id));
  return static_cast<long>(reinterpret_cast<intptr_t>(icon));
}

CorvathObj::CorvathObj() : AutomationObject(this, kTable, DIID_ICorvathObj) {}

namespace {

// The index of the element of an array that starts exactly at the address, or -1.
// Works on the numbers only: an address outside the array is never formed into a pointer.
template <class T>
long elementAt(const T* array, long count, fw::Address address) {
  if (!array || count <= 0) return -1;
  const auto base = reinterpret_cast<uintptr_t>(array);
  const auto at = static_cast<uintptr_t>(static_cast<intptr_t>(address));
  if (at < base) return -1;
  const uintptr_t offset = at - base;
  if (offset % sizeof(T) != 0 || offset / sizeof(T) >= static_cast<uintptr_t>(count)) return -1;
  return static_cast<long>(offset / sizeof(T));
}

constexpr fw::Status kNotOurs = fw::status(E_INVALIDARG);

}  // namespace

inv::HostAdapterInfo* CorvathObj::ownAdapter(fw::Address address) const {
  inv::HostAdapterInfo* records = inventory_.state().records();
  const long index = elementAt(records, inventory_.state().recordCount(), address);
  return index < 0 ? nullptr : &records[index];
}

const inv::DeviceInfo* CorvathObj::ownDevice(fw::Address address) const {
  const inv::HostAdapterInfo* records = inventory_.state().records();
  for (int32_t a = 0; records && a < inventory_.state().recordCount(); ++a) {
    const inv::HostAdapterInfo& record = records[a];
    const long listed = std::min<long>(record.deviceCount, inv::kMaxDevices);
    const long index = elementAt(record.devices, listed, address);
    if (index >= 0) return &record.devices[index];
  }
  return nullptr;
}

fw::Status CorvathObj::showDeviceList(fw::Address pHA) {
  const inv::HostAdapterInfo* adapter = ownAdapter(pHA);
  if (!adapter) return kNotOurs;
  srv::showDeviceList(*adapter, [this](const inv::DeviceInfo& device) {
    showDeviceProperty(fw::toAddress(&device));
  });
  return fw::kDone;
}

long CorvathObj::getHostAdaptersCount() { return inventory_.countAdapters(); }

fw::Address CorvathObj::getHostAdaptersList() {
  return static_cast<fw::Address>(inventory_.buildAdapterList());
}

fw::Status CorvathObj::showHostAdapterProperty(fw::Address HAptr, short Page) {
  const inv::HostAdapterInfo* adapter = ownAdapter(HAptr);
  if (!adapter) return kNotOurs;
  ha::showHostAdapterPropertySheet(*adapter, Page);
  return fw::kDone;
}

fw::Status CorvathObj::showDeviceProperty(fw::Address DevPtr) {
  const inv::DeviceInfo* device = ownDevice(DevPtr);
  if (!device) return kNotOurs;
  dev::showDevicePropertySheet(corvathModule().libraryHandle(), *device);
  return fw::kDone;
}

long CorvathObj::getDeviceIcon(short DevType) {
  return sharedIcon(inv::deviceTypeIcon(static_cast<unsigned>(DevType) & 0xFF));
}

long CorvathObj::getHostAdapterIcon() { return sharedIcon(IDI_HOST_ADAPTER); }

long CorvathObj::getScsiLogoIcon() { return sharedIcon(IDI_SCSI_LOGO); }

void CorvathObj::showVelmoraAboutDialog() { showAbout(); }

long CorvathObj::getVelmoraIcon() { return sharedIcon(IDI_VELMORA); }

short CorvathObj::getAppListCount(short DevType) {
  return countApps(static_cast<uint8_t>(DevType & 0xFF));
}

void CorvathObj::getAppList(short DevType, fw::Address pAppDescr) {
  // The caller's array, sized by GetAppListCount for the same type. A null address
  // has no room for anything.
  auto* out = fw::fromAddress<AppDescriptor>(pAppDescr);
  if (out) listApps(static_cast<uint8_t>(DevType & 0xFF), out);
}

fw::Status CorvathObj::showSeldarn(fw::Address HAptr) {
  // The sheet edits the record's image in memory: only ever one of this object's records.
  inv::HostAdapterInfo* adapter = ownAdapter(HAptr);
  if (!adapter) return kNotOurs;
  bios::showSeldarnSheet(*adapter);
  return fw::kDone;
}

HRESULT createCorvathObj(REFIID iid, void** out) { return fw::createObject<CorvathObj>(iid, out); }

}  // namespace srv
