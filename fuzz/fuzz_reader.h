// The input of a fuzz target read as a stream of values: bytes, little-endian numbers and
// short texts. Past its end every read gives zeros, so that any input is a whole script.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

// A broken invariant ends the program, where libFuzzer and the sanitizers catch it.
#define ORV_FUZZ_CHECK(condition)    \
  do {                               \
    if (!(condition)) std::abort();  \
  } while (0)

namespace orvfuzz {

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
  uint8_t byte() { return p_ < end_ ? *p_++ : 0; }
  uint32_t u16() { return byte() | (uint32_t{byte()} << 8); }
  uint32_t u32() { return u16() | (u16() << 16); }
  // A length byte (at most `most`), then that many characters.
  std::string text(size_t most) {
    std::string s;
    for (size_t n = byte() % (most + 1); n > 0; --n) s += static_cast<char>(byte());
    return s;
  }
  bool empty() const { return p_ >= end_; }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

}  // namespace orvfuzz
