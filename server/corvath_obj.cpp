#include "server/corvath_obj.h"

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

void CorvathObj::showDeviceList(fw::Address pHA) {
  const auto* adapter = fw::fromAddress<const inv::HostAdapterInfo>(pHA);
  if (!adapter) return;
  srv::showDeviceList(*adapter, [this](const inv::DeviceInfo& device) {
    showDeviceProperty(fw::toAddress(&device));
  });
}

long CorvathObj::getHostAdaptersCount() { return inventory_.countAdapters(); }

fw::Address CorvathObj::getHostAdaptersList() {
  return static_cast<fw::Address>(inventory_.buildAdapterList());
}

void CorvathObj::showHostAdapterProperty(fw::Address HAptr, short Page) {
  const auto* adapter = fw::fromAddress<const inv::HostAdapterInfo>(HAptr);
  if (!adapter) return;
  ha::showHostAdapterPropertySheet(*adapter, Page);
}

void CorvathObj::showDeviceProperty(fw::Address DevPtr) {
  const auto* device = fw::fromAddress<const inv::DeviceInfo>(DevPtr);
  if (!device) return;
  dev::showDevicePropertySheet(corvathModule().libraryHandle(), *device);
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

void CorvathObj::showSeldarn(fw::Address HAptr) {
  // The sheet edits the record's image in memory; the record stays the caller's.
  auto* adapter = fw::fromAddress<inv::HostAdapterInfo>(HAptr);
  if (!adapter) return;
  bios::showSeldarnSheet(*adapter);
}

HRESULT createCorvathObj(REFIID iid, void** out) { return fw::createObject<CorvathObj>(iid, out); }

}  // namespace srv
