// A helper object for the script tests ("OrvTest.AddressProbe"): numbers that a script
// cannot make itself, since neither engine does arithmetic on a 64-bit address. It only
// computes addresses; it never reads or writes through one.
#include <windows.h>

#include "contract/records.h"
#include "framework/classfactory.h"
#include "framework/dispatch.h"
#include "framework/modulelock.h"

namespace {

// {6F1C2B7E-54A1-4C1B-9E0D-3A7B5C2D9E41}
const CLSID kProbeClass = {0x6f1c2b7e, 0x54a1, 0x4c1b, {0x9e, 0x0d, 0x3a, 0x7b, 0x5c, 0x2d, 0x9e, 0x41}};
// {6F1C2B7F-54A1-4C1B-9E0D-3A7B5C2D9E41}
const IID kProbeInterface = {0x6f1c2b7f, 0x54a1, 0x4c1b, {0x9e, 0x0d, 0x3a, 0x7b, 0x5c, 0x2d, 0x9e, 0x41}};

class AddressProbe : public fw::AutomationObject {
 public:
  AddressProbe();
  // The address moved by some bytes.
  fw::Address offset(fw::Address address, long bytes) {
    return static_cast<fw::Address>(static_cast<intptr_t>(address) + bytes);
  }
  // An address on this thread's stack (of a frame that has returned when it is used).
  fw::Address stackAddress() {
    volatile char local = 0;
    return fw::toAddress(const_cast<const char*>(&local));
  }
  // Where device `index` of record `adapter` of an array at `list` lies.
  fw::Address device(fw::Address list, short adapter, short index) {
    const auto base = static_cast<intptr_t>(list);
    const intptr_t record = base + adapter * static_cast<intptr_t>(sizeof(inv::HostAdapterInfo));
    return static_cast<fw::Address>(record + static_cast<intptr_t>(offsetof(inv::HostAdapterInfo, devices)) +
                                    index * static_cast<intptr_t>(sizeof(inv::DeviceInfo)));
  }
};

constexpr fw::DispatchMember kMembers[] = {
    fw::dispatchMethod<&AddressProbe::offset>(1, "Offset"),
    fw::dispatchMethod<&AddressProbe::stackAddress>(2, "StackAddress"),
    fw::dispatchMethod<&AddressProbe::device>(3, "Device"),
};
const fw::DispatchTable kTable(kMembers);

AddressProbe::AddressProbe() : AutomationObject(this, kTable, kProbeInterface) {}

fw::ClassFactory g_factory(kProbeClass, &fw::createObject<AddressProbe>);
fw::ClassFactory* const kFactories[] = {&g_factory};

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return fw::getClassObject(kFactories, clsid, iid, out);
}

STDAPI DllCanUnloadNow() { return fw::moduleCanUnload() ? S_OK : S_FALSE; }
