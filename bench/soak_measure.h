// What the soak counts in its own process between open-and-close cycles of a window.
// GetGuiResources answers 0 under Wine, so GUI objects are counted another way:
//  - GDI: the live entries of the process's GDI handle table (the PEB's shared table),
//    checked against a probe brush; where the table is not readable, the slot a fresh
//    probe gets after a burst of probes (see USER);
//  - USER: a burst of probe menus: handle slots are reused last-freed-first, so the
//    highest slot of a burst larger than the free list is (objects in use + burst size);
//  - kernel handles: GetProcessHandleCount, or where it answers 0 (Wine) a burst of events;
//  - private memory: committed private pages (VirtualQuery walk) and the bytes of busy
//    blocks in the process's heaps (HeapWalk), which sees small leaks that pages hide;
//  - threads: a Toolhelp snapshot.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace soak {

struct Counts {
  long gdi = 0;
  long user = 0;
  long kernel = 0;
  long threads = 0;
  int64_t privateBytes = 0;
  int64_t heapBytes = 0;
};

Counts measure();
// Busy heap blocks of the process by size: (size, count), by size. Two of these, taken
// before and after cycles, show which allocations a window keeps (the first one is a
// block of its own during the second walk).
using HeapSizes = std::vector<std::pair<size_t, long>>;
HeapSizes heapSizes();
// The sizes whose count grew from `before` to `after`, most bytes first, as
// "size x count" items; at most `limit` of them.
std::string heapGrowth(const HeapSizes& before, const HeapSizes& after, size_t limit = 12);

// How the GDI figure was taken ("handle table" or "probe slot").
std::string gdiMethod();

}  // namespace soak
