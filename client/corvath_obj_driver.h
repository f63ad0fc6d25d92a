// Client side of the Corvath automation object, shared by the front ends: one call per
// dispatch id, each exactly one IDispatch::Invoke with DISPATCH_METHOD and the argument
// types of the interface (long = VT_I4, short = VT_I2).
//
//   CorvathObjDriver corvath;
//   if (!corvath.create()) { ...show the front end's own message...; }
//   long count = corvath.GetHostAdaptersCount();
//   auto* list = inv::fromAddress<inv::HostAdapterInfo>(corvath.GetHostAdaptersList());
//
// A call that fails (or is made without an object) returns 0 and leaves its HRESULT in
// lastError(); nothing is thrown. Addresses and icon handles are those of the server in
// this process: the records stay owned by the object, the icons are shared.
#pragma once

#include <windows.h>
#include <oaidl.h>

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

  // The automation methods, dispatch ids 1 to 13.
  void ShowDeviceList(long pHA);
  long GetHostAdaptersCount();
  long GetHostAdaptersList();
  void ShowHostAdapterProperty(long HAptr, short Page);
  void ShowDeviceProperty(long DevPtr);
  long GetDeviceIcon(short DevType);
  long GetHostAdapterIcon();
  long GetScsiLogoIcon();
  void ShowVelmoraAboutDialog();
  long GetVelmoraIcon();
  short GetAppListCount(short DevType);
  void GetAppList(short DevType, long pAppDescr);
  void ShowSeldarn(long HAptr);

 private:
  // One Invoke of id with args given first-to-last; result converted to resultType
  // (VT_EMPTY: none). Returns the converted result, VT_EMPTY on failure.
  VARIANT call(DISPID id, VARIANT* args, UINT count, VARTYPE resultType);
  long callLong(DISPID id, VARIANT* args = nullptr, UINT count = 0);
  void callVoid(DISPID id, VARIANT* args = nullptr, UINT count = 0);

  IDispatch* dispatch_ = nullptr;
  HRESULT lastError_ = S_OK;
};
