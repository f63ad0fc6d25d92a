// The test build of the library serves the scripted machine of passthrough/fake, never
// this computer's devices. Read when the library is first used in a process:
//
//   VRAX_PT_FAKE       "no-rights": a process that is not elevated (nothing opens for
//                      data access); "none": a machine without SCSI ports; anything else
//                      or unset: the standard machine of the tests
//   VRAX_PT_FAKE_LOG   a file that every open and control request is appended to, with
//                      the CDB and the data sent of each pass-through request
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "passthrough/fake/fake_system.h"
#include "passthrough/nt_layout.h"
#include "passthrough/win/library.h"

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
    if (h) paths_.emplace_back(h, path);
    return h;
  }

  void close(pt::Handle handle) override { fake_->close(handle); }

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

}  // namespace

std::unique_ptr<pt::System> makeSystem() {
  const std::string variant = environment("VRAX_PT_FAKE");
  std::unique_ptr<pt::fake::FakeSystem> fake(
      new pt::fake::FakeSystem(variant == "none" ? pt::fake::Machine{} : pt::fake::standardMachine()));
  fake->denyReadWrite(variant == "no-rights");
  const std::string log = environment("VRAX_PT_FAKE_LOG");
  if (log.empty()) return std::unique_ptr<pt::System>(fake.release());
  return std::unique_ptr<pt::System>(new LoggedSystem(std::move(fake), log));
}

}  // namespace ptwin
