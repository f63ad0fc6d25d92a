#include "devsheet/cache_logic.h"

#include <cstring>
#include <initializer_list>

#include "scsi/mode_data.h"

namespace dev {
namespace {

constexpr uint8_t kPageControlCurrent = 0;
constexpr uint8_t kPageControlChangeable = 1;
constexpr uint8_t kPageControlDefault = 2;

bool holdsPage(const uint8_t* buffer, uint8_t pageCode) {
  return static_cast<bool>(scsi::locateModePage(buffer, kModeBufferSize, pageCode));
}

// Page byte 2 of a buffer that readModePage found holding the page.
uint8_t pageBits(const uint8_t (&buffer)[kModeBufferSize], uint8_t pageCode) {
  const scsi::ModePage page = scsi::locateModePage(buffer, kModeBufferSize, pageCode);
  return page ? buffer[page.offset + kPageBitsByte] : 0;
}

bool cacheOn(Cache cache, uint8_t bits) {
  return cache == Cache::Read ? (bits & kRcd) == 0 : (bits & kWce) != 0;
}

uint8_t withCache(Cache cache, uint8_t bits, bool enable) {
  const uint8_t bit = cache == Cache::Read ? kRcd : kWce;
  // RCD disables, WCE enables.
  const bool set = cache == Cache::Read ? !enable : enable;
  return static_cast<uint8_t>(set ? bits | bit : bits & ~bit);
}

// Writes the sensed page back with new bits; failures unreported, as the caller judges
// the switch by what the device shows afterwards.
SelectOutcome writeCaching(CachePort& port, const ModeBuffers& buffers, uint8_t bits) {
  uint8_t list[kModeBufferSize];
  const uint8_t length = buildModeSelect(buffers.current, kCachingPage, bits, list);
  if (!length) return SelectOutcome::Failed;
  SelectOutcome outcome = port.select(list, length, false);
  if (outcome == SelectOutcome::IllegalRequest && (bits & kRetryBits)) {
    buildModeSelect(buffers.current, kCachingPage, static_cast<uint8_t>(bits & ~kRetryBits), list);
    outcome = port.select(list, length, false);
  }
  return outcome;
}

bool followRecoveryPage(CachePort& port, ModeBuffers& buffers, uint8_t bit, bool enable) {
  if (!readModePage(port, kRecoveryPage, buffers)) return false;
  const uint8_t current = pageBits(buffers.current, kRecoveryPage);
  const uint8_t factory = pageBits(buffers.defaults, kRecoveryPage) & bit;
  if (enable && (current & bit)) return true;
  if (!enable && (current & bit) == factory) return true;
  const uint8_t bits = static_cast<uint8_t>(enable ? current | bit : (current & ~bit) | factory);
  uint8_t list[kModeBufferSize];
  const uint8_t length = buildModeSelect(buffers.current, kRecoveryPage, bits, list);
  return length && port.select(list, length, true) == SelectOutcome::Done;
}

}  // namespace

uint8_t buildModeSelect(const uint8_t (&sensed)[kModeBufferSize], uint8_t pageCode, uint8_t bits,
                        uint8_t (&list)[kModeBufferSize]) {
  std::memcpy(list, sensed, sizeof list);
  const scsi::ModePage page = scsi::prepareModeSelectList(list, sizeof list, pageCode);
  // Nothing the device did not send goes back to it.
  std::memset(list + page.listLength, 0, sizeof list - page.listLength);
  if (!page) return 0;
  list[page.offset + kPageBitsByte] = bits;
  return static_cast<uint8_t>(page.listLength);
}

CacheState decodeCacheState(const ModeBuffers& caching) {
  CacheState state;
  for (const uint8_t* buffer : {caching.current, caching.changeable, caching.defaults})
    if (!holdsPage(buffer, kCachingPage)) return state;
  const uint8_t changeable = pageBits(caching.changeable, kCachingPage);
  if (!(changeable & kRcd) || !(changeable & kWce)) return state;
  const uint8_t current = pageBits(caching.current, kCachingPage);
  const uint8_t factory = pageBits(caching.defaults, kCachingPage);
  state.available = true;
  state.readEnabled = cacheOn(Cache::Read, current);
  state.readDefault = cacheOn(Cache::Read, factory);
  state.writeEnabled = cacheOn(Cache::Write, current);
  state.writeDefault = cacheOn(Cache::Write, factory);
  return state;
}

uint32_t writeCacheQuestion(const char* vendor, size_t size) {
  const size_t length = vendor ? strnlen(vendor, size) : 0;
  return length == 6 && std::memcmp(vendor, "MAXTOR", 6) == 0 ? kQuestionMaxtor
                                                              : kQuestionFactoryOff;
}

bool readModePage(CachePort& port, uint8_t pageCode, ModeBuffers& buffers) {
  struct Read {
    uint8_t pageControl;
    uint8_t* buffer;
  };
  const Read reads[] = {{kPageControlCurrent, buffers.current},
                        {kPageControlChangeable, buffers.changeable},
                        {kPageControlDefault, buffers.defaults}};
  for (const Read& read : reads) {
    std::memset(read.buffer, 0, kModeBufferSize);
    if (!port.sense(pageCode, read.pageControl, read.buffer)) return false;
    if (!holdsPage(read.buffer, pageCode)) return false;
  }
  return true;
}

bool setCache(CachePort& port, ModeBuffers& buffers, Cache cache, bool enable) {
  if (!readModePage(port, kCachingPage, buffers)) return false;
  const uint8_t current = pageBits(buffers.current, kCachingPage);
  if (enable && cacheOn(cache, current)) return true;
  if (cache == Cache::Write && enable && !cacheOn(Cache::Write, pageBits(buffers.defaults, kCachingPage)) &&
      !port.confirmWriteCache()) {
    return true;
  }
  if (writeCaching(port, buffers, withCache(cache, current, enable)) != SelectOutcome::Done)
    return false;
  if (!readModePage(port, kCachingPage, buffers)) return false;
  if (cacheOn(cache, pageBits(buffers.current, kCachingPage)) != enable) return false;
  return followRecoveryPage(port, buffers, cache == Cache::Read ? kArre : kAwre, enable);
}

}  // namespace dev
