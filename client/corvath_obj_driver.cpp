#include "client/corvath_obj_driver.h"

#include <string>
#include <utility>

namespace {

enum : DISPID {
  kShowDeviceList = 1,
  kGetHostAdaptersCount,
  kGetHostAdaptersList,
  kShowHostAdapterProperty,
  kShowDeviceProperty,
  kGetDeviceIcon,
  kGetHostAdapterIcon,
  kGetScsiLogoIcon,
  kShowVelmoraAboutDialog,
  kGetVelmoraIcon,
  kGetAppListCount,
  kGetAppList,
  kShowSeldarn,
};
static_assert(kShowSeldarn == 13, "dispatch ids are the positions 1..13");

VARIANT i4(long value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  return v;
}

VARIANT i2(short value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I2;
  V_I2(&v) = value;
  return v;
}

}  // namespace

bool CorvathObjDriver::create(const char* progId) {
  release();
  if (!progId) progId = "Corvath.CorvathObj";
  int n = MultiByteToWideChar(CP_ACP, 0, progId, -1, nullptr, 0);
  std::wstring wide(n > 0 ? static_cast<size_t>(n) : 1, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, progId, -1, &wide[0], n);
  CLSID clsid;
  lastError_ = CLSIDFromProgID(wide.c_str(), &clsid);
  if (FAILED(lastError_)) return false;
  IDispatch* created = nullptr;
  lastError_ = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(&created));
  if (FAILED(lastError_)) return false;
  dispatch_ = created;
  return true;
}

void CorvathObjDriver::attach(IDispatch* dispatch) {
  release();
  dispatch_ = dispatch;
}

IDispatch* CorvathObjDriver::detach() { return std::exchange(dispatch_, nullptr); }

void CorvathObjDriver::release() {
  if (dispatch_) std::exchange(dispatch_, nullptr)->Release();
}

VARIANT CorvathObjDriver::call(DISPID id, VARIANT* args, UINT count, VARTYPE resultType) {
  VARIANT result;
  VariantInit(&result);
  if (!dispatch_) {
    lastError_ = E_POINTER;
    return result;
  }
  // DISPPARAMS holds the arguments last-first.
  VARIANT reversed[2];
  if (count > 2) {
    lastError_ = E_INVALIDARG;
    return result;
  }
  for (UINT i = 0; i < count; ++i) reversed[count - 1 - i] = args[i];
  DISPPARAMS params = {count ? reversed : nullptr, nullptr, count, 0};
  UINT argError = 0;
  lastError_ = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                 resultType == VT_EMPTY ? nullptr : &result, nullptr,
                                 &argError);
  if (SUCCEEDED(lastError_) && resultType != VT_EMPTY && V_VT(&result) != resultType) {
    lastError_ = VariantChangeType(&result, &result, 0, resultType);
  }
  if (FAILED(lastError_)) VariantClear(&result);
  return result;
}

long CorvathObjDriver::callLong(DISPID id, VARIANT* args, UINT count) {
  VARIANT result = call(id, args, count, VT_I4);
  return V_VT(&result) == VT_I4 ? V_I4(&result) : 0;
}

void CorvathObjDriver::callVoid(DISPID id, VARIANT* args, UINT count) {
  call(id, args, count, VT_EMPTY);
}

void CorvathObjDriver::ShowDeviceList(long pHA) {
  VARIANT args[] = {i4(pHA)};
  callVoid(kShowDeviceList, args, 1);
}

long CorvathObjDriver::GetHostAdaptersCount() { return callLong(kGetHostAdaptersCount); }

long CorvathObjDriver::GetHostAdaptersList() { return callLong(kGetHostAdaptersList); }

void CorvathObjDriver::ShowHostAdapterProperty(long HAptr, short Page) {
  VARIANT args[] = {i4(HAptr), i2(Page)};
  callVoid(kShowHostAdapterProperty, args, 2);
}

void CorvathObjDriver::ShowDeviceProperty(long DevPtr) {
  VARIANT args[] = {i4(DevPtr)};
  callVoid(kShowDeviceProperty, args, 1);
}

long CorvathObjDriver::GetDeviceIcon(short DevType) {
  VARIANT args[] = {i2(DevType)};
  return callLong(kGetDeviceIcon, args, 1);
}

long CorvathObjDriver::GetHostAdapterIcon() { return callLong(kGetHostAdapterIcon); }

long CorvathObjDriver::GetScsiLogoIcon() { return callLong(kGetScsiLogoIcon); }

void CorvathObjDriver::ShowVelmoraAboutDialog() { callVoid(kShowVelmoraAboutDialog); }

long CorvathObjDriver::GetVelmoraIcon() { return callLong(kGetVelmoraIcon); }

short CorvathObjDriver::GetAppListCount(short DevType) {
  VARIANT args[] = {i2(DevType)};
  VARIANT result = call(kGetAppListCount, args, 1, VT_I2);
  return V_VT(&result) == VT_I2 ? V_I2(&result) : 0;
}

void CorvathObjDriver::GetAppList(short DevType, long pAppDescr) {
  VARIANT args[] = {i2(DevType), i4(pAppDescr)};
  callVoid(kGetAppList, args, 2);
}

void CorvathObjDriver::ShowSeldarn(long HAptr) {
  VARIANT args[] = {i4(HAptr)};
  callVoid(kShowSeldarn, args, 1);
}
