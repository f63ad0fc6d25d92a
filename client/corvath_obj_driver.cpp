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

// An address in the interface's type of this width.
VARIANT addressArg(intptr_t value) {
  VARIANT v;
  VariantInit(&v);
#ifdef _WIN64
  V_VT(&v) = VT_I8;
  V_I8(&v) = value;
#else
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
#endif
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

intptr_t CorvathObjDriver::callAddress(DISPID id) {
#ifdef _WIN64
  VARIANT result = call(id, nullptr, 0, VT_I8);
  return V_VT(&result) == VT_I8 ? static_cast<intptr_t>(V_I8(&result)) : 0;
#else
  return callLong(id);
#endif
}

void CorvathObjDriver::callVoid(DISPID id, VARIANT* args, UINT count) {
  call(id, args, count, VT_EMPTY);
}

void CorvathObjDriver::ShowDeviceList(intptr_t pHA) {
  VARIANT args[] = {addressArg(pHA)};
  callVoid(kShowDeviceList, args, 1);
}

long CorvathObjDriver::GetHostAdaptersCount() { return callLong(kGetHostAdaptersCount); }

intptr_t CorvathObjDriver::GetHostAdaptersList() { return callAddress(kGetHostAdaptersList); }

void CorvathObjDriver::ShowHostAdapterProperty(intptr_t HAptr, short Page) {
  VARIANT args[] = {addressArg(HAptr), i2(Page)};
  callVoid(kShowHostAdapterProperty, args, 2);
}

void CorvathObjDriver::ShowDeviceProperty(intptr_t DevPtr) {
  VARIANT args[] = {addressArg(DevPtr)};
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

void CorvathObjDriver::GetAppList(short DevType, intptr_t pAppDescr) {
  VARIANT args[] = {i2(DevType), addressArg(pAppDescr)};
  callVoid(kGetAppList, args, 2);
}

void CorvathObjDriver::ShowSeldarn(intptr_t HAptr) {
  VARIANT args[] = {addressArg(HAptr)};
  callVoid(kShowSeldarn, args, 1);
}
