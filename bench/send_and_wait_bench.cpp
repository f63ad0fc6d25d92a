// Cost per request of SendAndWait against a bare SendVRAX32Command on the simulated
// manager, with immediate and with pending completion. Rows on stdout for bench/run
// (bench_kit.h); the bare call with a fresh event per request goes to stderr.
//   send_and_wait_bench.exe [requests per round]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <functional>
#include <vector>

#include "bench/bench_kit.h"
#include "scsi/commands.h"
#include "scsi/manager.h"
#include "simulator/controls.h"

namespace {

const char kBus[] = R"(devicemap off
adapter 0
  identifier "BENCH-HBA"
  device 0
    inquiry    00 00 03 02 1F 00 00 32 "HALDEN  " "AT-ONCE         " "0001"
    capacity   1000 512
    completion immediate
  device 1
    inquiry    00 00 03 02 1F 00 00 32 "HALDEN  " "LATER           " "0001"
    capacity   2000 512
    completion pending
)";

double seconds() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Microseconds per request over one round; negative when a request failed.
double perRequest(int count, const std::function<bool()>& request) {
  double start = seconds();
  for (int i = 0; i < count; ++i) {
    if (!request()) {
      std::fprintf(stderr, "request %d failed\n", i);
      return -1;
    }
  }
  return (seconds() - start) * 1e6 / count;
}

constexpr int kRounds = 7;

}  // namespace

int main(int argc, char** argv) {
  int count = argc > 1 ? std::atoi(argv[1]) : 2000;
  if (count <= 0) count = 2000;
  scsi::ScsiManager& manager = scsi::scsiManager();
  if (!manager.load()) {
    std::fprintf(stderr, "%s not found\n", scsi::kManagerFileName);
    return 1;
  }
  auto loadBus = reinterpret_cast<simctl::LoadBusTextFn>(
      reinterpret_cast<void*>(GetProcAddress(manager.handle(), simctl::kLoadBusText)));
  auto setLog = reinterpret_cast<simctl::SetLogFn>(
      reinterpret_cast<void*>(GetProcAddress(manager.handle(), simctl::kSetLog)));
  if (!loadBus || !setLog || !loadBus(kBus, "bench") || !setLog("")) {
    std::fprintf(stderr, "the manager is not the simulator, or the bench bus did not load\n");
    return 1;
  }

  uint8_t data[8];
  const scsi::Command capacity = scsi::readCapacity();

  // The bare call, as a caller that keeps one event and its own block would make it;
  // then the same with a fresh event per request, as SendAndWait makes it.
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  auto bareWith = [&](uint8_t target, HANDLE ev) {
    scsi::SendCommandFn sendCommand = scsi::resolveSendCommand(manager.handle());
    scsi::ExecCommandBlock block;
    scsi::fillExecBlock(block, 0, target, capacity, data);
    block.completionEvent = scsi::blockAddress(ev);
    ResetEvent(ev);
    if (sendCommand(&block) == 0) WaitForSingleObject(ev, scsi::kWaitMs);
    return block.header.status == scsi::kStatusDone;
  };
  using Request = std::function<bool()>;
  auto bare = [&](uint8_t target) -> Request { return [&, target] { return bareWith(target, event); }; };
  auto bareFreshEvent = [&](uint8_t target) -> Request {
    return [&, target] {
      HANDLE ev = CreateEventA(nullptr, TRUE, FALSE, nullptr);
      bool ok = bareWith(target, ev);
      CloseHandle(ev);
      return ok;
    };
  };
  auto shared = [&](uint8_t target) -> Request {
    return [&, target] {
      scsi::ExecCommandBlock block;
      scsi::fillExecBlock(block, 0, target, capacity, data);
      return scsi::sendAndWait(block, scsi::Feedback::None).ok;
    };
  };

  std::fprintf(stderr, "READ CAPACITY(10): microseconds per request, median of %d rounds of %d\n",
               kRounds, count);
  std::fprintf(stderr, "%-10s %12s %14s %14s\n", "completion", "bare send", "+event each",
               "SendAndWait");
  for (uint8_t target : {uint8_t{0}, uint8_t{1}}) {
    Request variants[] = {bare(target), bareFreshEvent(target), shared(target)};
    for (Request& r : variants)
      for (int i = 0; i < 20; ++i) r();  // warm up
    // Rounds alternate, so that a slow phase of the host weighs on every variant alike.
    bench::Figures times[3];
    for (int round = 0; round < kRounds; ++round) {
      for (int v = 0; v < 3; ++v) {
        double t = perRequest(count, variants[v]);
        if (t < 0) return 1;
        times[v].runs.push_back(t);
      }
    }
    std::fprintf(stderr, "%-10s %12.2f %14.2f %14.2f\n", target ? "pending" : "immediate",
                 times[0].median(), times[1].median(), times[2].median());
    bench::Row row;
    row.section = "Commands";
    row.what = std::string("Command round trip (SendAndWait), ") +
               (target ? "pending answer" : "immediate answer");
    row.unit = "us";
    row.measured = times[2];
    row.floor = "bare call into the manager, event kept";
    row.floorFigures = times[0];
    row.ratio = bench::pairedRatio(times[2], times[0]);
    row.target = 1.5;
    row.targetText = "<= 1.5x";
    bench::printRow(row);
  }
  CloseHandle(event);
  scsi::stopManager();
  return 0;
}
