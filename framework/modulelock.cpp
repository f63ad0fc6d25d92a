#include "framework/modulelock.h"

#include <atomic>

namespace fw {
namespace {
std::atomic<long> g_count{0};
}

void lockModule() { ++g_count; }

void unlockModule() {
  long current = g_count.load();
  while (current > 0 && !g_count.compare_exchange_weak(current, current - 1)) {
  }
}

long moduleLockCount() { return g_count.load(); }

bool moduleCanUnload() { return g_count.load() == 0; }

}  // namespace fw
