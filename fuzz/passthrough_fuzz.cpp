// Fuzz target: arbitrary answers of the port and class drivers. The input goes straight
// through the readers of bus lists, capabilities, adapter descriptors, addresses, device
// IDs and pass-through replies of both widths, and then scripts a whole machine, every
// open and control answer of which comes from the input, for the manager to find, to
// describe and to send requests to. Builds as a libFuzzer target or under the seeded
// driver.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_reader.h"
#include "passthrough/driver_answers.h"
#include "passthrough/manager.h"
#include "passthrough/nt_layout.h"
#include "passthrough/pci_header.h"
#include "passthrough/translate.h"
#include "scsi/commands.h"
#include "tests/support/low_memory.h"

namespace {

using orvfuzz::Reader;

constexpr uint32_t kErrors[] = {
    pt::nt::error::kFileNotFound,       pt::nt::error::kAccessDenied,  pt::nt::error::kInsufficientBuffer,
    pt::nt::error::kMoreData,           pt::nt::error::kSemTimeout,    pt::nt::error::kIoDevice,
    pt::nt::error::kDeviceNotConnected, pt::nt::error::kInvalidFunction,
};
constexpr size_t kErrorCount = sizeof kErrors / sizeof kErrors[0];

const char* const kIdPrefixes[] = {"PCI\\VEN_", "PCI\\CC_", "USB\\VID_", "PCI\\"};

// Every answer from the input. An exhausted input answers "not found" and nothing else.
class ScriptedSystem : public pt::System {
 public:
  explicit ScriptedSystem(Reader& in) : in_(in) {}

  pt::Handle open(const std::string&, pt::Access, uint32_t& error) override {
    const uint8_t b = in_.byte();
    if (b % 4 == 0) {
      error = kErrors[(b / 4) % kErrorCount];
      return 0;
    }
    ++open_;
    return ++next_;
  }

  void close(pt::Handle handle) override {
    ORV_FUZZ_CHECK(handle != 0 && handle <= next_);
    ORV_FUZZ_CHECK(open_ > 0);
    --open_;
  }

  pt::IoResult control(pt::Handle, uint32_t code, const void*, uint32_t, void* out,
                       uint32_t outSize) override {
    pt::IoResult r;
    const uint8_t b = in_.byte();
    if (b % 5 == 0) {
      r.error = kErrors[(b / 5) % kErrorCount];
      return r;
    }
    uint8_t* bytes = static_cast<uint8_t*>(out);
    if (code == pt::nt::kIoctlScsiPassThroughDirect && outSize >= sizeof(pt::nt::PassThroughNative)) {
      // A driver writes no more than the request's length into the caller's buffer.
      pt::nt::PassThroughNative s;
      std::memcpy(&s, bytes, sizeof s);
      uint8_t* data = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(s.dataBuffer));
      const uint32_t n = std::min<uint32_t>(in_.u16(), s.dataTransferLength);
      for (uint32_t i = 0; data && i < n; ++i) data[i] = in_.byte();
    }
    // Then anything at all in the output buffer, and any byte count.
    const uint32_t from = in_.u16() % (outSize + 1);
    const uint32_t n = std::min<uint32_t>(in_.u16(), outSize - from);
    for (uint32_t i = 0; i < n; ++i) bytes[from + i] = in_.byte();
    r.ok = true;
    r.returned = b & 1 ? in_.u32() : from + n;
    return r;
  }

  bool deviceMap(std::vector<pt::DeviceMapEntry>& entries) override {
    const uint8_t count = in_.byte();
    if (count == 0xFF) return false;
    for (unsigned i = 0; i < count % 8; ++i) {
      const uint8_t form = in_.byte();
      std::string name = form & 1 ? in_.text(16) : "Scsi Port " + std::to_string(in_.byte() % 40);
      entries.push_back({name, in_.text(24)});
    }
    return true;
  }

  std::vector<pt::PortNode> portNodes() override {
    std::vector<pt::PortNode> nodes(in_.byte() % 5);
    for (pt::PortNode& n : nodes) {
      n.interfacePath = in_.text(8);
      n.service = in_.text(12);
      n.enumerator = in_.byte() & 1 ? "PCI" : in_.text(4);
      for (unsigned i = in_.byte() % 4; i > 0; --i)
        n.hardwareIds.push_back(kIdPrefixes[in_.byte() % 4] + in_.text(40));
      n.hasLocation = in_.byte() & 1;
      n.busNumber = in_.u32();
      n.address = in_.u32();
      for (unsigned i = in_.byte() % 9; i > 0; --i) {
        pt::Resource res;
        res.kind = static_cast<pt::Resource::Kind>(in_.byte() % 3);
        res.base = (uint64_t{in_.u32()} << 32) | in_.u32();
        res.prefetchable = in_.byte() & 1;
        n.resources.push_back(res);
      }
    }
    return nodes;
  }

  int openCount() const { return open_; }

 private:
  Reader& in_;
  pt::Handle next_ = 0;
  int open_ = 0;
};

void readAnswersDirectly(const uint8_t* data, size_t size) {
  std::vector<pt::PortBus> buses;
  if (pt::readInquiryData(data, size, buses)) {
    ORV_FUZZ_CHECK(buses.size() <= 255);
    for (const pt::PortBus& bus : buses)
      for (const pt::PortUnit& u : bus.units) {
        ORV_FUZZ_CHECK(u.pathId == bus.pathId);
        ORV_FUZZ_CHECK(u.inquiry.size() <= size);
      }
  }
  pt::readCapabilities(data, size);
  pt::readAdapterDescriptor(data, size);
  pt::Address address;
  pt::readAddress(data, size, address);
  for (pt::Width w : {pt::Width::Bits32, pt::Width::Bits64}) {
    pt::PassThroughReply reply;
    if (pt::readPassThrough(w, data, size, 36, reply)) {
      ORV_FUZZ_CHECK(reply.dataTransferred <= 36);
      ORV_FUZZ_CHECK(reply.senseLength <= pt::kSenseBufferSize);
    }
  }
  std::vector<std::string> ids;
  std::string id;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) ids.push_back(id), id.clear();
    else id += static_cast<char>(data[i]);
  }
  ids.push_back(id);
  pt::buildPciHeader(pt::readPciIds(ids), {});
}

void checkAnswer(const pt::ExecAnswer& a) {
  const uint8_t s = a.status;
  ORV_FUZZ_CHECK(s == scsi::kStatusDone || s == scsi::kStatusAborted || s == scsi::kStatusError ||
           s == pt::kStatusInvalidRequest || s == pt::kStatusInvalidAdapter);
  ORV_FUZZ_CHECK(a.senseLength <= pt::kSenseBufferSize);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  readAnswersDirectly(data, size);

  Reader in(data, size);
  ScriptedSystem system(in);
  {
    pt::Manager manager(system);
    const uint32_t support = manager.supportInfo();
    const uint8_t status = static_cast<uint8_t>(support >> 8);
    ORV_FUZZ_CHECK(status == pt::kManagerStatusReady || status == pt::kManagerStatusNoRights);
    const size_t count = manager.adapters().size();
    ORV_FUZZ_CHECK((support & 0xFF) == (status == pt::kManagerStatusReady ? count : 0));
    for (size_t i = 0; i <= count && i < 256; ++i) {
      scsi::AdapterInquiryBlock block{};
      block.header.adapterNumber = static_cast<uint8_t>(i);
      const uint8_t answered = manager.inquire(block);
      ORV_FUZZ_CHECK(answered == (i < count ? scsi::kStatusDone : pt::kStatusInvalidAdapter));
      if (i == count) continue;
      ORV_FUZZ_CHECK(block.adapterUnique[15] == 0 || block.adapterUnique[15] == 0x81);
      ORV_FUZZ_CHECK(block.adapterUnique[3] >= pt::kMinTargets);
      uint8_t pci[256];
      ORV_FUZZ_CHECK(manager.pciConfig(static_cast<uint32_t>(i), pci, sizeof pci));
    }
    // Requests of each kind, with buffers of exactly their length (in low memory: the
    // block holds 32-bit addresses); a fresh buffer each, at an odd address or not.
    const scsi::Command commands[] = {scsi::inquiry(), scsi::readCapacity16(),
                                      scsi::modeSelect(20), scsi::readDefectData(scsi::DefectList::Grown)};
    for (int n = 0; n < 6 && count; ++n) {
      const scsi::Command& c = commands[in.byte() % 4];
      const size_t skew = in.byte() % 2;
      orvtest::LowArray<uint8_t> buffer(c.dataLength + skew);
      scsi::ExecCommandBlock block;
      scsi::fillExecBlock(block, static_cast<uint8_t>(in.byte() % (count + 1)), in.byte() % 20, c,
                          buffer.get() + skew);
      checkAnswer(manager.execute(block));
    }
  }
  // Every handle the manager opened is closed with it.
  ORV_FUZZ_CHECK(system.openCount() == 0);
  return 0;
}
