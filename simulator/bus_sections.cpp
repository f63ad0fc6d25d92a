// The sections of a description: an adapter or device opens with its key and closes at
// the next section or the end, where what it left out is settled and checked.
#include <algorithm>

#include "simulator/bus_reader.h"

namespace sim {

bool BusReader::startAdapter() {
  closeAdapter();
  if (!ok) return false;
  uint64_t n;
  if (!decimal(1, 1000, n, "adapter number")) return false;
  if (n != bus.adapters.size()) {
    return fail("adapter " + std::to_string(n) + " out of order (expected adapter " +
                std::to_string(bus.adapters.size()) + ")");
  }
  if (bus.adapters.size() >= static_cast<size_t>(kMaxAdapters)) {
    return fail("too many adapters (at most " + std::to_string(kMaxAdapters) + ")");
  }
  bus.adapters.emplace_back();
  adapter = &bus.adapters.back();
  adapter->line = line;
  return true;
}

bool BusReader::startDevice() {
  closeDevice();
  if (!ok) return false;
  uint64_t t;
  if (!decimal(1, 255, t, "target")) return false;
  int max = adapter->maxTargets();
  if (t >= static_cast<uint64_t>(max)) {
    return fail("target " + std::to_string(t) + " is out of range (the adapter has " +
                std::to_string(max) + " targets: 0 to " + std::to_string(max - 1) + ")");
  }
  if (t == adapter->scsiId) {
    return fail("target " + std::to_string(t) + " is the adapter's own SCSI ID");
  }
  for (const Device& d : adapter->devices) {
    if (d.target == t) return fail("device " + std::to_string(t) + " given twice");
  }
  adapter->devices.emplace_back();
  device = &adapter->devices.back();
  device->target = static_cast<uint8_t>(t);
  device->line = line;
  return true;
}

void BusReader::closeDevice() {
  if (!device) return;
  Device& d = *device;
  if (d.inquiry.empty()) {
    fail("device " + std::to_string(d.target) + " has no inquiry data", d.line);
    return;
  }
  size_t total = 0;
  std::sort(pages.begin(), pages.end(),
            [](const PageDraft& a, const PageDraft& b) { return a.code < b.code; });
  for (PageDraft& p : pages) {
    if (!p.current && !p.saved && !p.defaults) {
      fail("page " + hexByte(p.code) + " has only changeable values", p.line);
      return;
    }
    ModePage page;
    page.code = p.code;
    // A device powers up with its saved values; what is not given follows from that.
    page.current = p.current ? *p.current : p.saved ? *p.saved : *p.defaults;
    page.saved = p.saved ? *p.saved : page.current;
    page.defaults = p.defaults ? *p.defaults : page.saved;
    size_t len = page.current.size();
    page.changeable = p.changeable ? *p.changeable : std::vector<uint8_t>(len, 0);
    if (!p.changeable) {
      page.changeable[0] = page.code;
      page.changeable[1] = static_cast<uint8_t>(len - 2);
    }
    if (page.defaults.size() != len || page.saved.size() != len || page.changeable.size() != len) {
      fail("the values of page " + hexByte(p.code) + " differ in length", p.line);
      return;
    }
    page.describedCurrent = page.current;
    page.describedSaved = page.saved;
    total += len;
    d.pages.push_back(std::move(page));
  }
  pages.clear();
  if (total > kMaxModeBytes) {
    fail("the mode pages of device " + std::to_string(d.target) + " total " +
             std::to_string(total) + " bytes; at most " + std::to_string(kMaxModeBytes) +
             " fit a MODE SENSE(6) answer",
         d.line);
    return;
  }
  if (!d.hasCompletion) d.completion = bus.completion;
  device = nullptr;
}

void BusReader::closeAdapter() {
  closeDevice();
  if (!adapter || !ok) return;
  std::sort(adapter->devices.begin(), adapter->devices.end(),
            [](const Device& a, const Device& b) { return a.target < b.target; });
  adapter = nullptr;
}

}  // namespace sim
