// The test build of the library serves the scripted machine of passthrough/fake, never
// this computer's devices. Read when the library is first used in a process:
//
//   VRAX_PT_FAKE       "no-rights": a process that is not elevated (nothing opens for
//                      data access); "none": a machine without SCSI ports; "wine": the
//                      optical drive as Wine shows it; anything else or unset: the
//                      standard machine of the tests
//   VRAX_PT_FAKE_LOG   a file that every open and control request is appended to, with
//                      the CDB and the data sent of each pass-through request
//
// Like the SCSI port driver at start-up, it publishes the machine's ports in the
// registry's device map (volatile keys, marked as the simulated manager marks its own,
// so that either replaces the other's), and it exports the simulated manager's miniport
// seam, so that the suite's miniport channel reaches the miniport driver of the fake
// machine's ports (its requests then appear in the log too).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "passthrough/fake/fake_system.h"
#include "passthrough/nt_layout.h"
#include "passthrough/win/library.h"
#include "simulator/bus.h"
#include "simulator/win/devicemap.h"

namespace ptwin {

namespace {

std::string environment(const char* name) {
  char value[1024];
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n && n < sizeof value ? std::string(value, n) : std::string();
}

std::string hex(const uint8_t* bytes, size_t size) {
  std::string text;
  char digits[4];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(digits, sizeof digits, i ? " %02X" : "%02X", bytes[i]);
    text += digits;
  }
  return text;
}

// The fake, with every request written down for tests in other processes.
class LoggedSystem : public pt::System {
 public:
  LoggedSystem(std::unique_ptr<pt::fake::FakeSystem> fake, const std::string& path)
      : fake_(std::move(fake)), file_(std::fopen(path.c_str(), "ab")) {}
  ~LoggedSystem() override {
    if (file_) std::fclose(file_);
  }

  pt::Handle open(const std::string& path, pt::Access access, uint32_t& error) override {
    const pt::Handle h = fake_->open(path, access, error);
    write("open " + path + (access == pt::Access::ReadWrite ? " rw " : " query ") +
          (h ? "ok" : "error " + std::to_string(error)));
    if (h) {
      std::lock_guard<std::mutex> guard(lock_);
      paths_.emplace_back(h, path);
    }
    return h;
  }

  void close(pt::Handle handle) override {
    fake_->close(handle);
    std::lock_guard<std::mutex> guard(lock_);
    paths_.erase(std::remove_if(paths_.begin(), paths_.end(),
                                [handle](const std::pair<pt::Handle, std::string>& p) { return p.first == handle; }),
                 paths_.end());
  }

  pt::IoResult control(pt::Handle handle, uint32_t code, const void* in, uint32_t inSize, void* out,
                       uint32_t outSize) override {
    std::string line = "control " + pathOf(handle);
    char number[16];
    std::snprintf(number, sizeof number, " %05X", static_cast<unsigned>(code));
    line += number;
    const bool direct = code == pt::nt::kIoctlScsiPassThroughDirect;
    pt::nt::PassThroughNative s;
    if ((direct || code == pt::nt::kIoctlScsiPassThrough) && in && inSize >= sizeof s) {
      std::memcpy(&s, in, sizeof s);
      line += direct ? " direct" : " buffered";
      line += " cdb " + hex(s.cdb, std::min<size_t>(s.cdbLength, sizeof s.cdb));
      const uint8_t* data = direct ? reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(s.dataBuffer))
                                   : static_cast<const uint8_t*>(in) + s.dataBuffer;
      const bool inside = direct || s.dataBuffer + uint64_t{s.dataTransferLength} <= inSize;
      if (s.dataIn == pt::nt::kDataOut && data && inside) line += " data " + hex(data, s.dataTransferLength);
    }
    const pt::IoResult r = fake_->control(handle, code, in, inSize, out, outSize);
    write(line + (r.ok ? " ok" : " error " + std::to_string(r.error)));
    return r;
  }

  bool deviceMap(std::vector<pt::DeviceMapEntry>& entries) override { return fake_->deviceMap(entries); }
  std::vector<pt::PortNode> portNodes() override { return fake_->portNodes(); }
  std::vector<std::string> opticalDrives() override { return fake_->opticalDrives(); }

 private:
  std::string pathOf(pt::Handle handle) {
    std::lock_guard<std::mutex> guard(lock_);
    for (const auto& p : paths_)
      if (p.first == handle) return p.second;
    return "?";
  }

  void write(const std::string& line) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!file_) return;
    std::fputs(line.c_str(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);
  }

  std::unique_ptr<pt::fake::FakeSystem> fake_;
  std::FILE* file_;
  std::mutex lock_;
  std::vector<std::pair<pt::Handle, std::string>> paths_;
};

// "Scsi Port N" and its driver, with the I/O address and interrupt of the port's
// device node where it has them, as the simulated manager publishes its own ports.
sim::Bus publishedPorts(const pt::fake::Machine& machine) {
  sim::Bus bus;
  for (const pt::DeviceMapEntry& entry : machine.deviceMap) {
    int number = -1;
    if (std::sscanf(entry.keyName.c_str(), "Scsi Port %d", &number) != 1 || number < 0 || number > 15) continue;
    sim::Adapter a;
    a.port = number;
    a.portDriver = entry.driver;
    a.hasIoAddress = true;
    for (const pt::fake::Port& port : machine.ports) {
      if (port.number != number || !port.hasNode) continue;
      bool io = false, line = false;
      for (const pt::Resource& r : port.node.resources) {
        if (r.kind == pt::Resource::Kind::Io && !io) {
          a.ioAddress = static_cast<uint32_t>(r.base & 0xFFFE);
          io = true;
        } else if (r.kind == pt::Resource::Kind::Interrupt && r.base < 0xFF && !line) {
          a.pci[0x3C] = static_cast<uint8_t>(r.base);
          line = true;
        }
      }
    }
    bus.adapters.push_back(std::move(a));
  }
  return bus;
}

}  // namespace

std::unique_ptr<pt::System> makeSystem() {
  const std::string variant = environment("VRAX_PT_FAKE");
  std::unique_ptr<pt::fake::FakeSystem> fake(new pt::fake::FakeSystem(
      variant == "none" ? pt::fake::Machine{} : variant == "wine" ? pt::fake::wineMachine() : pt::fake::standardMachine()));
  fake->denyReadWrite(variant == "no-rights");
  std::string error;
  if (!simwin::writeDeviceMap(publishedPorts(fake->machine()), error)) OutputDebugStringA(error.c_str());
  const std::string log = environment("VRAX_PT_FAKE_LOG");
  if (log.empty()) return std::unique_ptr<pt::System>(fake.release());
  return std::unique_ptr<pt::System>(new LoggedSystem(std::move(fake), log));
}

}  // namespace ptwin

// The simulated manager's miniport seam (names and signatures in simulator/controls.h):
// the suite's miniport channel opens and asks the fake machine's SCSI ports through it.
extern "C" {

uint32_t __cdecl VraxSimMiniportOpen(const char* deviceName) {
  uint32_t error = pt::nt::error::kInvalidParameter;
  const pt::Handle h = deviceName ? ptwin::Library::instance().system().open(deviceName, pt::Access::ReadWrite, error) : 0;
  // The fake's handles are small numbers; the seam carries 32 bits.
  if (h > 0xFFFFFFFFu) {
    ptwin::Library::instance().system().close(h);
    SetLastError(ERROR_TOO_MANY_OPEN_FILES);
    return 0;
  }
  if (!h) SetLastError(error);
  return static_cast<uint32_t>(h);
}

int __cdecl VraxSimMiniportControl(uint32_t device, uint32_t ioControlCode, void* inBuffer, uint32_t inSize,
                                   void* outBuffer, uint32_t outSize, uint32_t* bytesReturned) {
  const pt::IoResult r =
      ptwin::Library::instance().system().control(device, ioControlCode, inBuffer, inSize, outBuffer, outSize);
  if (bytesReturned) *bytesReturned = r.ok ? r.returned : 0;
  if (!r.ok) SetLastError(r.error);
  return r.ok ? 1 : 0;
}

int __cdecl VraxSimMiniportClose(uint32_t device) {
  if (!device) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  ptwin::Library::instance().system().close(device);
  return 1;
}

}  // extern "C"
