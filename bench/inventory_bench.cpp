// Time to build the inventory of a large simulated bus, and the requests it takes.
// Writes a bus of 15 adapters, each scanning 16 targets with a device at every target
// but the adapter's own, all answering at once, and builds the inventory over the
// simulated manager as Corvath does, many times over.
//
//   scripts/wine build/win/bin/inventory_bench.exe [builds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "inventory/library_port.h"
#include "simulator/controls.h"

namespace {

constexpr int kAdapters = 15;
constexpr int kTargets = 16;

// The ID pairs of cards of every family the identification table knows.
constexpr struct {
  const char* deviceId;     // as PCI bytes 02..03
  const char* subsystemId;  // as PCI bytes 2E..2F
} kCards[] = {{"40 5C", "20 4C"}, {"31 5C", "10 31"}, {"21 5C", "60 21"}, {"10 5C", "01 00"}};

std::string busText() {
  std::string bus = "completion immediate\n";
  char line[512];
  for (int a = 0; a < kAdapters; ++a) {
    const auto& card = kCards[a % 4];
    std::snprintf(line, sizeof line,
                  "adapter %d\n  identifier \"KESTREL-%02d\"\n  manager-id \"VRAX SIMULATOR\"\n"
                  "  unique 03 00 02 10 00 00 10 00 00 00 00 00 %02X 0C %02X 81\n"
                  "  pci 00 5A 1D %s\n  pci 2C 5A 1D %s\n",
                  a, a, a / 2, a % 2, card.deviceId, card.subsystemId);
    bus += line;
    for (int t = 0; t < kTargets; ++t) {
      if (t == 7) continue;  // the adapter's own ID
      std::snprintf(line, sizeof line,
                    "  device %d\n    inquiry 00 00 03 02 1F 00 00 32 \"BENCH   \" "
                    "\"DISK %02d-%02d      \" \"0001\"\n",
                    t, a, t);
      bus += line;
    }
  }
  return bus;
}

// Counts what reaches the manager.
class CountingPort : public inv::ManagerPort {
 public:
  explicit CountingPort(inv::ManagerPort& inner) : inner_(inner) {}
  uint32_t supportInfo() override {
    ++supportCalls;
    return inner_.supportInfo();
  }
  void inquireAdapter(scsi::AdapterInquiryBlock& block) override {
    ++inquiries;
    inner_.inquireAdapter(block);
  }
  bool readPciConfig(uint8_t adapter, uint8_t (&config)[inv::kPciConfigSize]) override {
    ++pciReads;
    return inner_.readPciConfig(adapter, config);
  }
  std::unique_ptr<inv::ScanSession> beginScan() override {
    class Session : public inv::ScanSession {
     public:
      Session(std::unique_ptr<inv::ScanSession> inner, long& count)
          : inner_(std::move(inner)), count_(count) {}
      inv::Completion execute(scsi::ExecCommandBlock& b, uint8_t* d, uint32_t n) override {
        ++count_;
        return inner_->execute(b, d, n);
      }

     private:
      std::unique_ptr<inv::ScanSession> inner_;
      long& count_;
    };
    std::unique_ptr<inv::ScanSession> inner = inner_.beginScan();
    return inner ? std::make_unique<Session>(std::move(inner), executes) : nullptr;
  }
  long supportCalls = 0, inquiries = 0, pciReads = 0, executes = 0;

 private:
  inv::ManagerPort& inner_;
};

class CountingSink : public inv::MessageSink {
 public:
  void show(unsigned, const std::vector<inv::MessageArg>&) override { ++shown; }
  std::string text(unsigned id) override { return texts_.text(id); }
  long shown = 0;

 private:
  inv::MessageBoxSink texts_;
};

double millisecondsSince(const LARGE_INTEGER& start, const LARGE_INTEGER& frequency) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  const int builds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  const std::string busFile = std::string(folder) + "orv_inventory_bench.bus";
  std::ofstream(busFile, std::ios::binary) << busText();
  SetEnvironmentVariableA("VRAX_SIM_BUS", busFile.c_str());
  SetEnvironmentVariableA("VRAX_SIM_STATE", "none");
  if (!scsi::scsiManager().load()) {
    std::fprintf(stderr, "wnvrax32.dll cannot be loaded\n");
    return 1;
  }

  inv::LibraryManagerPort library;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> times;
  CountingPort first(library);
  CountingSink sink;
  int adapters = 0, devices = 0;
  for (int i = 0; i < builds; ++i) {
    CountingPort port(library);
    inv::Inventory inventory(i == 0 ? first : port, sink);
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    inventory.countAdapters();
    inv::RecordAddress list = inventory.buildAdapterList();
    times.push_back(millisecondsSince(start, frequency));
    if (!list) {
      char why[512] = "";
      auto lastError = reinterpret_cast<simctl::LastErrorFn>(reinterpret_cast<void*>(
          GetProcAddress(scsi::scsiManager().handle(), simctl::kLastError)));
      if (lastError) lastError(why, sizeof why);
      std::fprintf(stderr, "no adapter list: %s\n", why);
      return 1;
    }
    if (i == 0) {
      adapters = inventory.recordCount();
      for (int r = 0; r < adapters; ++r) devices += inventory.records()[r].deviceCount;
    }
  }
  scsi::scsiManager().unload();
  DeleteFileA(busFile.c_str());

  std::sort(times.begin(), times.end());
  double total = 0;
  for (double t : times) total += t;
  std::printf("inventory of %d adapters x %d targets (immediate completion), %d builds\n",
              kAdapters, kTargets, builds);
  std::printf("  found: %d adapters, %d devices; messages shown: %ld\n", adapters, devices,
              sink.shown);
  std::printf("  time per build (count + list): min %.3f ms, median %.3f ms, mean %.3f ms\n",
              times.front(), times[times.size() / 2], total / static_cast<double>(times.size()));
  std::printf("  requests per build: %ld (%ld adapter inquiries + %ld INQUIRY), "
              "plus %ld support-word calls and %ld PCI reads\n",
              first.inquiries + first.executes, first.inquiries, first.executes,
              first.supportCalls, first.pciReads);
  return 0;
}
