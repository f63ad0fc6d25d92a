// Fuzz target of the simulator's bus description reader (and of what a description
// makes the devices do). Its property: a description that reads is printed back, and the
// print reads as the same bus. Built as a native test that runs the target over
// mutations of the default bus and over random texts from the format's words, for a
// bounded count; build it with -fsanitize=fuzzer and SIM_LIBFUZZER defined for longer
// runs by hand.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "scsi/records.h"
#include "simulator/bus_parser.h"
#include "simulator/simulator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  const sim::ParseResult read = sim::parseBus(text, "fuzz.bus");
  if (read.ok) {
    const std::string printed = sim::printBus(read.bus);
    const sim::ParseResult again = sim::parseBus(printed, "fuzz.bus");
    if (!again.ok || !sim::sameBus(read.bus, again.bus)) {
      std::fprintf(stderr, "the printed bus reads back %s\n--- printed:\n%s\n",
                   again.ok ? "as another bus" : ("refused: " + again.error).c_str(), printed.c_str());
      std::abort();
    }
  }
  sim::Simulator s;
  s.applyState(text);
  if (!s.load(text, "fuzz.bus")) return 0;
  s.applyState(text);
  // Every device gets CDBs cut from the input itself.
  uint8_t buffer[256];
  for (const sim::Adapter& a : s.bus().adapters) {
    for (const sim::Device& d : a.devices) {
      for (size_t at = 0; at + 10 <= size && at < 400; at += 37) {
        scsi::ExecCommandBlock b;
        std::memset(&b, 0, sizeof b);
        b.header.command = scsi::kCmdExecute;
        b.header.adapterNumber = static_cast<uint8_t>(&a - s.bus().adapters.data());
        b.target = d.target;
        b.cdbLength = 10;
        std::memcpy(b.cdb, data + at, 10);
        b.dataLength = data[at] % 2 ? sizeof buffer : data[at + 1];
        b.dataBuffer = scsi::blockAddress(buffer);
        std::memset(buffer, data[at + 2], sizeof buffer);
        s.execute(b, buffer);
      }
    }
  }
  return 0;
}

#ifndef SIM_LIBFUZZER
#include <gtest/gtest.h>

namespace {

const char* const kWords[] = {
    "adapter", "device", "identifier", "manager-id", "scsi-id", "unique", "pci", "eeprom",
    "eeprom-shared", "port", "port-fault", "inquiry", "capacity", "page", "plist", "glist",
    "rate", "completion", "fault", "select-refuse", "select-ignore", "manager-status", "devicemap",
    "current", "changeable",
    "default", "saved", "busy", "check", "late", "never", "delay", "times", "after", "x2", "async",
    "pending", "immediate", "0", "1", "7", "15", "16", "08", "12", "FF", "00*300", "\"",
    "\"text\"", "1/2/3", "*", "#", "\n", "\n", "\n", "  ",
};

TEST(SimBusParserFuzz, TheDefaultBusPrintsBackAsItself) {
  const sim::ParseResult read = sim::parseBus(sim::defaultBusText(), "default.bus");
  ASSERT_TRUE(read.ok) << read.error;
  const sim::ParseResult again = sim::parseBus(sim::printBus(read.bus), "default.bus");
  ASSERT_TRUE(again.ok) << again.error;
  EXPECT_TRUE(sim::sameBus(read.bus, again.bus));
  // The comparison sees a difference in any value.
  sim::Bus changed = again.bus;
  changed.adapters.back().devices.back().inquiry.back() ^= 1;
  EXPECT_FALSE(sim::sameBus(read.bus, changed));
  changed = again.bus;
  changed.adapters.front().devices.front().faults.push_back(sim::Fault{});
  EXPECT_FALSE(sim::sameBus(read.bus, changed));
}

TEST(SimBusParserFuzz, SeededMutationsNeverCrashAndPrintBackAsThemselves) {
  std::mt19937 rng(20240601);
  const std::string base(sim::defaultBusText());
  auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
  for (int round = 0; round < 600; ++round) {
    std::string text = base;
    int edits = 1 + static_cast<int>(pick(6));
    for (int e = 0; e < edits; ++e) {
      size_t at = pick(text.size());
      switch (pick(4)) {
        case 0: text[at] = static_cast<char>(rng()); break;
        case 1: text.erase(at, pick(40)); break;
        case 2: text.insert(at, kWords[pick(std::size(kWords))]); break;
        default: text.insert(at, text.substr(pick(text.size()), pick(200))); break;
      }
    }
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  }
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    int n = 1 + static_cast<int>(pick(60));
    for (int w = 0; w < n; ++w) {
      text += kWords[pick(std::size(kWords))];
      text += pick(5) ? " " : "\n";
    }
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  }
}

}  // namespace
#endif
