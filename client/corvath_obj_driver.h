// Client side of the Corvath automation object, shared by the front ends: one call per
// dispatch id, each exactly one IDispatch::Invoke with DISPATCH_METHOD and the argument
// types of the interface (long = VT_I4, short = VT_I2, intptr_t = a record address:
// VT_I4 in the 32-bit build, VT_I8 in the 64-bit one).
//
//   CorvathObjDriver corvath;
//   if (!corvath.create()) { ...show the front end's own message...; }
//   long count = corvath.GetHostAdaptersCount();
//   auto* list = CorvathObjDriver::records<inv::HostAdapterInfo>(corvath.GetHostAdaptersList());
//
// A call that fails (or is made without an object) returns 0 and leaves its HRESULT in
// lastError(); nothing is thrown. Addresses and icon handles are those of the server in
// this process: the records stay owned by the object, the icons are shared.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>

class CorvathObjDriver {
 public:
  CorvathObjDriver() = default;
  ~CorvathObjDriver() { release(); }
  CorvathObjDriver(const CorvathObjDriver&) = delete;
  CorvathObjDriver& operator=(const CorvathObjDriver&) = delete;

  // CLSIDFromProgID + CoCreateInstance(CLSCTX_INPROC_SERVER) for IDispatch; COM must be
  // initialised on this thread. Releases any object held before. False on failure.
  bool create(const char* progId = "Corvath.CorvathObj");
  // Takes over one reference of dispatch (the caller's), releasing any object held before.
  void attach(IDispatch* dispatch);
  // Hands the reference back to the caller without releasing it.
  IDispatch* detach();
  void release();
  bool valid() const { return dispatch_ != nullptr; }
  IDispatch* dispatch() const { return dispatch_; }
  HRESULT lastError() const { return lastError_; }

  // Record addresses as the interface carries them, and back.
  template <class T>
  static T* records(intptr_t address) { return reinterpret_cast<T*>(address); }
  static intptr_t address(const void* record) { return reinterpret_cast<intptr_t>(record); }

  // The automation methods, dispatch ids 1 to 13.
  void ShowDeviceList(intptr_t pHA);
  long GetHostAdaptersCount();
  intptr_t GetHostAdaptersList();
  void ShowHostAdapterProperty(intptr_t HAptr, short Page);
  void ShowDeviceProperty(intptr_t DevPtr);
  long GetDeviceIcon(short DevType);
  long GetHostAdapterIcon();
  long GetScsiLogoIcon();
  void ShowVelmoraAboutDialog();
  long GetVelmoraIcon();
  short GetAppListCount(short DevType);
  void GetAppList(short DevType, intptr_t pAppDescr);
  void ShowSeldarn(intptr_t HAptr);

 private:
  // One Invoke of id with args given first-to-last; result converted to resultType
  // (VT_EMPTY: none). Returns the converted result, VT_EMPTY on failure.
  VARIANT call(DISPID id, VARIANT* args, UINT count, VARTYPE resultType);
  long callLong(DISPID id, VARIANT* args = nullptr, UINT count = 0);
  intptr_t callAddress(DISPID id);
  void callVoid(DISPID id, VARIANT* args = nullptr, UINT count = 0);

  IDispatch* dispatch_ = nullptr;
  HRESULT lastError_ = S_OK;
};
