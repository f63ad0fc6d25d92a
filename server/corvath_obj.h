// CorvathObj: the one automation object of Corvath. The front ends create it by its
// ProgID and call it by dispatch id (scripts by name); see the member table in
// corvath_obj.cpp for ids, argument and result types. Addresses of records cross the
// interface as integers of the process's width (fw::Address: VT_I4 in the 32-bit build,
// VT_I8 in the 64-bit one): the server runs in the client's process.
#pragma once

#include <windows.h>

#include "framework/dispatch.h"
#include "inventory/library_port.h"

namespace srv {

class CorvathObj : public fw::AutomationObject {
 public:
  CorvathObj();

  // The automation methods, in dispatch-id order. The Show methods take only addresses
  // of this object's own records (a device inside one of them): any other number, a
  // copy's address included, is answered E_INVALIDARG and opens nothing.
  fw::Status showDeviceList(fw::Address pHA);
  long getHostAdaptersCount();
  fw::Address getHostAdaptersList();
  fw::Status showHostAdapterProperty(fw::Address HAptr, short Page);
  fw::Status showDeviceProperty(fw::Address DevPtr);
  long getDeviceIcon(short DevType);
  long getHostAdapterIcon();
  long getScsiLogoIcon();
  void showVelmoraAboutDialog();
  long getVelmoraIcon();
  short getAppListCount(short DevType);
  void getAppList(short DevType, fw::Address pAppDescr);
  fw::Status showSeldarn(fw::Address HAptr);

 private:
  ~CorvathObj() override = default;  // frees the adapter array with the inventory

  // The record of this object's array that starts at the address, or null. Decided on
  // the number alone: nothing is read through an address before it is found here.
  inv::HostAdapterInfo* ownAdapter(fw::Address address) const;
  // The device record (of a device the record lists) that starts at the address, or null.
  const inv::DeviceInfo* ownDevice(fw::Address address) const;

  inv::AdapterInventory inventory_;
};

// The class factory's creation function.
HRESULT createCorvathObj(REFIID iid, void** out);

// Icons come from Corvath's own resources as shared handles: clients never destroy them.
long sharedIcon(unsigned id);

}  // namespace srv
