#include "simulator/win/devicemap.h"

#include <windows.h>

#include <cstdio>

#include "simulator/simulator.h"

namespace simwin {

namespace {

class Key {
 public:
  Key() = default;
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

std::string portName(int n) {
  char name[32];
  std::snprintf(name, sizeof name, "Scsi Port %d", n);
  return name;
}

bool setDword(HKEY key, const char* name, DWORD value) {
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                        sizeof value) == ERROR_SUCCESS;
}

}  // namespace

bool writeDeviceMap(const sim::Bus& bus, std::string& error) {
  Key scsi;
  LONG rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kDeviceMapKey, 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, scsi.out(), nullptr);
  if (rc != ERROR_SUCCESS) {
    error = "cannot open HKLM\\" + std::string(kDeviceMapKey) + " (error " + std::to_string(rc) + ")";
    return false;
  }
  for (int n = 0; n < 16; ++n) {
    std::string name = portName(n);
    bool ours = false;
    {
      Key port;
      if (RegOpenKeyExA(scsi.get(), name.c_str(), 0, KEY_READ, port.out()) != ERROR_SUCCESS) continue;
      ours = RegQueryValueExA(port.get(), kOwnerValue, nullptr, nullptr, nullptr, nullptr) ==
             ERROR_SUCCESS;
    }
    if (ours) RegDeleteKeyA(scsi.get(), name.c_str());
  }
  if (!bus.deviceMap) return true;
  for (const sim::Adapter& a : bus.adapters) {
    if (a.port < 0) continue;
    Key port;
    rc = RegCreateKeyExA(scsi.get(), portName(a.port).c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                         KEY_ALL_ACCESS, nullptr, port.out(), nullptr);
    if (rc != ERROR_SUCCESS) {
      error = "cannot create the key of SCSI port " + std::to_string(a.port) + " (error " +
              std::to_string(rc) + ")";
      return false;
    }
    bool ok = RegSetValueExA(port.get(), "Driver", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(a.portDriver.c_str()),
                             static_cast<DWORD>(a.portDriver.size() + 1)) == ERROR_SUCCESS;
    ok = ok && setDword(port.get(), "Interrupt", a.pci[0x3C]);
    ok = ok && setDword(port.get(), "IOAddress", sim::ioAddressOf(a));
    ok = ok && setDword(port.get(), kOwnerValue, 1);
    if (!ok) {
      error = "cannot write the values of SCSI port " + std::to_string(a.port);
      return false;
    }
  }
  return true;
}

}  // namespace simwin
