// The inventory scan over the simulated manager, as Corvath builds it, on buses of 1, 4
// and 15 adapters scanning 8 and 16 targets, with a disk at every target but the
// adapter's own and every answer at once. The figure is the cost per target scanned;
// it must stay flat as adapters and targets are added, so each case is compared with
// the smallest (1 adapter of 8 targets). One build of each case runs with the
// simulator's request log on, which must show exactly one INQUIRY per target.
// Rows on stdout for bench/run (bench_kit.h).
//
//   inventory_bench.exe [--runs N]
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_kit.h"
#include "inventory/library_port.h"
#include "scsi/manager.h"
#include "simulator/controls.h"

namespace {

// Messages would stop the scan for a person to read them; none is expected here.
class CountingSink : public inv::MessageSink {
 public:
  void show(unsigned, const std::vector<inv::MessageArg>&) override { ++shown; }
  std::string text(unsigned id) override { return texts_.text(id); }
  long shown = 0;

 private:
  inv::MessageBoxSink texts_;
};

struct Case {
  int adapters;
  int targets;
};

std::string busText(const Case& c) {
  std::string bus = "completion immediate\n";
  char line[256];
  for (int a = 0; a < c.adapters; ++a) {
    bus += bench::adapterText(a, c.targets);
    for (int t = 0; t < c.targets; ++t) {
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

// Milliseconds of one build (count, then list) on a fresh inventory; negative when the
// list did not come or lacks devices.
double buildOnce(const Case& c) {
  inv::LibraryManagerPort port;
  CountingSink sink;
  inv::Inventory inventory(port, sink);
  const double start = bench::nowMs();
  inventory.countAdapters();
  inv::RecordAddress list = inventory.buildAdapterList();
  const double ms = bench::nowMs() - start;
  if (!list || sink.shown || inventory.recordCount() != c.adapters) return -1;
  for (int a = 0; a < c.adapters; ++a)
    if (inventory.records()[a].deviceCount != c.targets - 1) return -1;
  return ms;
}

// The INQUIRY requests in the log, per (adapter, target).
std::map<std::pair<int, int>, int> inquiries(const std::string& logFile) {
  std::map<std::pair<int, int>, int> seen;
  std::ifstream log(logFile);
  std::string line;
  constexpr size_t kCdb = offsetof(scsi::ExecCommandBlock, cdb);
  constexpr size_t kTarget = offsetof(scsi::ExecCommandBlock, target);
  while (std::getline(log, line)) {
    std::istringstream in(line);
    std::string number, kind;
    if (!(in >> number >> kind) || kind != "recv") continue;
    std::vector<int> bytes;
    std::string hex;
    while (in >> hex) bytes.push_back(static_cast<int>(std::strtol(hex.c_str(), nullptr, 16)));
    if (bytes.size() <= kCdb || bytes[0] != scsi::kCmdExecute || bytes[kCdb] != 0x12) continue;
    ++seen[{bytes[2], bytes[kTarget]}];
  }
  return seen;
}

bool oneInquiryPerTarget(const Case& c) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  const std::string logFile = std::string(folder) + "orv_inventory_bench.log";
  DeleteFileA(logFile.c_str());
  auto setLog = reinterpret_cast<simctl::SetLogFn>(reinterpret_cast<void*>(
      GetProcAddress(scsi::scsiManager().handle(), simctl::kSetLog)));
  if (!setLog || !setLog(logFile.c_str())) return false;
  const bool built = buildOnce(c) >= 0;
  setLog(nullptr);
  std::map<std::pair<int, int>, int> seen = inquiries(logFile);
  DeleteFileA(logFile.c_str());
  if (!built || seen.size() != static_cast<size_t>(c.adapters * c.targets)) return false;
  for (const auto& entry : seen)
    if (entry.second != 1) return false;
  return true;
}

// One run: the bus loaded, then the median of several figures, each `repeat` builds
// together per target scanned. A small case repeated to as many targets as the case it
// is compared with spans as much time, and so meets as many preemptions of a shared
// machine: the median of short builds alone would leave them out and favour it.
std::vector<double> perTargetMicroseconds(const std::string& bus, const Case& c, int repeat) {
  bench::loadBus(bus, "inventory");
  bench::Figures figures;
  for (int i = 0; i < 5; ++i) {
    double ms = 0;
    for (int r = 0; r < repeat; ++r) {
      const double one = buildOnce(c);
      if (one < 0) return {};
      ms += one;
    }
    figures.runs.push_back(ms);
  }
  return {1000 * figures.median() / (repeat * c.adapters * c.targets)};
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 15;
  for (int i = 1; i < argc; ++i)
    if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
  SetEnvironmentVariableA("VRAX_SIM_BUS", nullptr);
  SetEnvironmentVariableA("VRAX_SIM_STATE", "none");

  const Case smallest = {1, 8};
  const Case cases[] = {{1, 16}, {4, 8}, {4, 16}, {15, 8}, {15, 16}};
  const std::string smallestBus = busText(smallest);
  for (const Case& c : cases) {
    const std::string bus = busText(c);
    std::fprintf(stderr, "measuring: inventory of %d adapters x %d targets\n", c.adapters, c.targets);
    bench::loadBus(bus, "inventory");
    if (!oneInquiryPerTarget(c))
      bench::fail("the log of " + std::to_string(c.adapters) + " x " + std::to_string(c.targets) +
                  " does not show exactly one INQUIRY per target");
    // The case and the smallest in turn, each run's build time divided by the targets
    // it scanned; the smallest built as often as it takes to scan as many targets.
    const int repeat = (c.adapters * c.targets) / (smallest.adapters * smallest.targets);
    bench::Session perTarget = [&] { return perTargetMicroseconds(bus, c, 1); };
    bench::Session perTargetSmallest = [&] {
      return perTargetMicroseconds(smallestBus, smallest, repeat);
    };
    bench::Alternated m = bench::alternate(perTarget, perTargetSmallest, runs);
    if (!m.ok) bench::fail("an inventory build failed");
    bench::Row row;
    row.section = "Inventory";
    row.what = "Inventory scan, " + std::to_string(c.adapters) + (c.adapters == 1 ? " adapter" : " adapters") +
               " x " + std::to_string(c.targets) + " targets: per target (one INQUIRY each, checked)";
    row.unit = "us";
    row.measured = m.a[0];
    row.floor = "same, 1 adapter x 8 targets, built " + std::to_string(repeat) + " times in a row";
    row.floorFigures = m.b[0];
    row.ratio = bench::pairedRatio(row.measured, row.floorFigures);
    row.target = 1.5;
    row.targetText = "<= 1.5x (flat)";
    bench::printRow(row);
  }
  scsi::stopManager();
  return 0;
}
