#include "bench/soak_measure.h"

#include <tlhelp32.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace soak {
namespace {

constexpr int kProbeBurst = 3000;
constexpr size_t kGdiTableEntries = 0x10000;

// One entry of the GDI handle table as Wine lays it out (24 bytes in both widths); its type
// byte is zero for a free slot.
#pragma pack(push, 1)
struct GdiEntry {
  uint64_t object;
  uint32_t owner;
  uint16_t unique;
  uint8_t type;
  uint8_t flags;
  uint64_t userPointer;
};
#pragma pack(pop)
static_assert(sizeof(GdiEntry) == 24, "GDI table entry layout");

const GdiEntry* gdiTable() {
#if defined(__i386__)
  const uint8_t* peb = nullptr;
  asm("movl %%fs:0x30, %0" : "=r"(peb));
  return *reinterpret_cast<const GdiEntry* const*>(peb + 0x94);
#elif defined(__x86_64__)
  const uint8_t* peb = nullptr;
  asm("movq %%gs:0x60, %0" : "=r"(peb));
  return *reinterpret_cast<const GdiEntry* const*>(peb + 0xF8);
#else
  return nullptr;
#endif
}

// The table is used only when a probe brush shows up in it as a brush and its slot is
// freed again when the brush is deleted.
bool gdiTableWorks() {
  static int works = -1;
  if (works >= 0) return works == 1;
  works = 0;
  const GdiEntry* table = gdiTable();
  if (!table) return false;
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  if (!brush) return false;
  const size_t slot = reinterpret_cast<uintptr_t>(brush) & 0xFFFF;
  MEMORY_BASIC_INFORMATION info = {};
  bool readable = VirtualQuery(&table[slot], &info, sizeof info) && info.State == MEM_COMMIT;
  bool live = readable && table[slot].type == 0x10;  // brush
  DeleteObject(brush);
  works = live && table[slot].type == 0 ? 1 : 0;
  return works == 1;
}

long gdiFromTable() {
  const GdiEntry* table = gdiTable();
  long n = 0;
  for (size_t i = 0; i < kGdiTableEntries; ++i)
    if (table[i].type) ++n;
  return n;
}

// Highest slot of a burst of probes, less the burst: the objects in use (plus a constant).
template <typename Make, typename Slot, typename Free>
long probeBurst(Make make, Slot slot, Free release) {
  std::vector<decltype(make())> probes;
  probes.reserve(kProbeBurst);
  long highest = 0;
  for (int i = 0; i < kProbeBurst; ++i) {
    auto p = make();
    if (!p) break;
    highest = std::max(highest, slot(p));
    probes.push_back(p);
  }
  for (auto p : probes) release(p);
  return highest - static_cast<long>(probes.size()) + 1;
}

long gdiFromProbes() {
  return probeBurst([] { return CreateSolidBrush(RGB(4, 5, 6)); },
                    [](HBRUSH b) { return static_cast<long>(reinterpret_cast<uintptr_t>(b) & 0xFFFF); },
                    [](HBRUSH b) { DeleteObject(b); });
}

long userFromProbes() {
  // Wine numbers USER handles (index << 1) + 0x20 in their low word.
  return probeBurst([] { return CreatePopupMenu(); },
                    [](HMENU m) { return static_cast<long>(((reinterpret_cast<uintptr_t>(m) & 0xFFFF) - 0x20) >> 1); },
                    [](HMENU m) { DestroyMenu(m); });
}

// GetProcessHandleCount where it answers; Wine's answers 0, and its handle table hands
// out the lowest free slot, so the burst works there too.
long kernelHandles() {
  DWORD n = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &n) && n) return static_cast<long>(n);
  return probeBurst([] { return CreateEventA(nullptr, TRUE, FALSE, nullptr); },
                    [](HANDLE h) { return static_cast<long>(reinterpret_cast<uintptr_t>(h) >> 2); },
                    [](HANDLE h) { CloseHandle(h); });
}

long threadCount() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  long n = 0;
  const DWORD self = GetCurrentProcessId();
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == self) ++n;
  CloseHandle(snapshot);
  return n;
}

int64_t committedPrivate() {
  int64_t total = 0;
  MEMORY_BASIC_INFORMATION info = {};
  for (const uint8_t* at = nullptr; VirtualQuery(at, &info, sizeof info) == sizeof info;) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
    const uint8_t* next = static_cast<const uint8_t*>(info.BaseAddress) + info.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return total;
}

template <typename Visit>
void walkBusyBlocks(Visit visit) {
  std::vector<HANDLE> heaps(256);
  DWORD n = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
  heaps.resize(std::min<DWORD>(n, static_cast<DWORD>(heaps.size())));
  for (HANDLE heap : heaps) {
    if (!HeapLock(heap)) continue;
    PROCESS_HEAP_ENTRY entry = {};
    while (HeapWalk(heap, &entry))
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) visit(entry.cbData);
    HeapUnlock(heap);
  }
}

int64_t heapBusyBytes() {
  int64_t total = 0;
  walkBusyBlocks([&](DWORD size) { total += size; });
  return total;
}

}  // namespace

HeapSizes heapSizes() {
  // Gathered outside the heap, so that the walk does not count its own records.
  static size_t seen[1 << 17];
  size_t n = 0;
  walkBusyBlocks([&](DWORD size) {
    if (n < sizeof seen / sizeof seen[0]) seen[n++] = size;
  });
  std::sort(seen, seen + n);
  HeapSizes sizes;
  for (size_t i = 0; i < n; ++i) {
    if (sizes.empty() || sizes.back().first != seen[i]) sizes.emplace_back(seen[i], 0);
    ++sizes.back().second;
  }
  return sizes;
}

std::string heapGrowth(const HeapSizes& before, const HeapSizes& after, size_t limit) {
  std::vector<std::pair<size_t, long>> grown;
  for (const auto& s : after) {
    auto was = std::lower_bound(before.begin(), before.end(), std::make_pair(s.first, 0L));
    long more = s.second - (was != before.end() && was->first == s.first ? was->second : 0);
    if (more > 0) grown.emplace_back(s.first, more);
  }
  std::sort(grown.begin(), grown.end(), [](const auto& a, const auto& b) {
    return a.first * static_cast<size_t>(a.second) > b.first * static_cast<size_t>(b.second);
  });
  std::string text;
  for (size_t i = 0; i < grown.size() && i < limit; ++i) {
    char item[48];
    snprintf(item, sizeof item, "%s%zu x %ld", text.empty() ? "" : ", ", grown[i].first,
             grown[i].second);
    text += item;
  }
  return text.empty() ? "none" : text;
}

std::string gdiMethod() { return gdiTableWorks() ? "handle table" : "probe slot"; }

Counts measure() {
  Counts c;
  c.gdi = gdiTableWorks() ? gdiFromTable() : gdiFromProbes();
  c.user = userFromProbes();
  c.kernel = kernelHandles();
  c.threads = threadCount();
  c.privateBytes = committedPrivate();
  c.heapBytes = heapBusyBytes();
  return c;
}

}  // namespace soak
