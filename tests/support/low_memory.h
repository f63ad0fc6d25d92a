// Arrays for tests of code that reaches records and buffers through 32-bit address
// fields. In the native build for a 64-bit host (ORV_NATIVE_HOST_WORD) the array lives
// in one mapping in the low 2 GB, so that those addresses still reach it, and the rest
// of the mapping's last page is out of bounds for AddressSanitizer; elsewhere it is an
// ordinary zeroed heap array.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <utility>

#if defined(ORV_NATIVE_HOST_WORD) && defined(__x86_64__) && defined(__linux__)
#define ORV_LOW_MEMORY_MAP 1
#include <sanitizer/asan_interface.h>
#include <sys/mman.h>

#include <cstdlib>
#endif

namespace orvtest {

#ifdef ORV_LOW_MEMORY_MAP
// Mappings given back are kept for the next array of the same size: unmapping costs far
// more than the tests' work (a fuzz target makes one array per input). Single-threaded.
class LowPages {
 public:
  void* take(size_t bytes) {
    for (Kept& k : kept_)
      if (k.at && k.bytes == bytes) {
        void* p = k.at;
        k.at = nullptr;
        return p;
      }
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT,
                   -1, 0);
    if (p == MAP_FAILED) std::abort();
    return p;
  }
  void give(void* at, size_t bytes) {
    for (Kept& k : kept_)
      if (!k.at) {
        k = {at, bytes};
        return;
      }
    munmap(at, bytes);
  }

 private:
  struct Kept {
    void* at;
    size_t bytes;
  };
  Kept kept_[8] = {};
};

inline LowPages& lowPages() {
  static LowPages pages;
  return pages;
}
#endif

template <typename T>
class LowArray {
 public:
  explicit LowArray(size_t count) : count_(count) {
#ifdef ORV_LOW_MEMORY_MAP
    const size_t page = 4096;
    mapped_ = (count * sizeof(T) + page - 1) / page * page;
    if (mapped_ == 0) mapped_ = page;
    void* p = lowPages().take(mapped_);
    items_ = static_cast<T*>(p);
    ASAN_UNPOISON_MEMORY_REGION(items_, count * sizeof(T));
    ASAN_POISON_MEMORY_REGION(items_ + count, mapped_ - count * sizeof(T));
    for (size_t i = 0; i < count; ++i) new (items_ + i) T();
#else
    owned_.reset(new T[count]());
    items_ = owned_.get();
#endif
  }
  ~LowArray() { release(); }
  // Moving keeps the items where they are: addresses taken of them stay good.
  LowArray(LowArray&& other) noexcept { take(other); }
  LowArray& operator=(LowArray&& other) noexcept {
    if (this != &other) {
      release();
      take(other);
    }
    return *this;
  }
  LowArray(const LowArray&) = delete;
  LowArray& operator=(const LowArray&) = delete;

  T& operator[](size_t i) { return items_[i]; }
  const T& operator[](size_t i) const { return items_[i]; }
  T* get() { return items_; }
  const T* get() const { return items_; }
  size_t size() const { return count_; }

 private:
  void release() {
#ifdef ORV_LOW_MEMORY_MAP
    if (!items_) return;
    for (size_t i = 0; i < count_; ++i) items_[i].~T();
    ASAN_POISON_MEMORY_REGION(items_, mapped_);
    lowPages().give(items_, mapped_);
#else
    owned_.reset();
#endif
    items_ = nullptr;
    count_ = 0;
  }
  void take(LowArray& other) {
    count_ = other.count_;
    items_ = other.items_;
#ifdef ORV_LOW_MEMORY_MAP
    mapped_ = other.mapped_;
#else
    owned_ = std::move(other.owned_);
#endif
    other.items_ = nullptr;
    other.count_ = 0;
  }

  size_t count_ = 0;
  T* items_ = nullptr;
#ifdef ORV_LOW_MEMORY_MAP
  size_t mapped_ = 0;
#else
  std::unique_ptr<T[]> owned_;
#endif
};

}  // namespace orvtest
