#include "simulator/request_log.h"

#include <algorithm>
#include <cstdio>

#include "scsi/bytes.h"
#include "scsi/miniport_request.h"

namespace sim {

namespace {

std::string prefix(uint32_t seq) { return "#" + std::to_string(seq) + " "; }

std::string hex2(uint8_t v) {
  char b[3];
  std::snprintf(b, sizeof b, "%02X", v);
  return b;
}

}  // namespace

std::string hexBytes(const uint8_t* p, size_t n) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  if (!p) return out;
  out.reserve(n * 3);
  for (size_t i = 0; i < n; ++i) {
    if (i) out += ' ';
    out += digits[p[i] >> 4];
    out += digits[p[i] & 15];
  }
  return out;
}

std::string logReceived(uint32_t seq, const uint8_t* block, size_t n) {
  return prefix(seq) + "recv " + hexBytes(block, n);
}

std::string logData(uint32_t seq, const uint8_t* data, size_t n) {
  return prefix(seq) + "data " + hexBytes(data, n);
}

std::string logPending(uint32_t seq, Timing timing, uint32_t delayMs) {
  std::string s = prefix(seq) + "pending";
  if (timing == Timing::Late) s += " late";
  if (timing == Timing::Never) s += " never";
  if (timing == Timing::Pending && delayMs) s += " delay=" + std::to_string(delayMs);
  return s;
}

std::string logDone(uint32_t seq, const CommandResult& r, size_t inBytes) {
  std::string s = prefix(seq) + "done status=" + hex2(r.status) + " ha=" + hex2(r.adapterStatus) +
                  " ts=" + hex2(r.targetStatus) + " in=" + std::to_string(inBytes);
  if (r.hasSense) {
    s += " sense=" + hex2(r.sense[2] & 0x0F) + "/" + hex2(r.sense[12]) + "/" + hex2(r.sense[13]);
  }
  return s;
}

std::string logInquiryDone(uint32_t seq, uint8_t status) {
  return prefix(seq) + "done status=" + hex2(status);
}

std::string logPci(uint32_t seq, uint32_t adapter, uint32_t length, bool result) {
  return prefix(seq) + "pci adapter=" + std::to_string(adapter) + " length=" +
         std::to_string(length) + " result=" + (result ? "1" : "0");
}

std::string logMiniportOpen(uint32_t seq, std::string_view name, int port, bool result) {
  return prefix(seq) + "mopen \"" + std::string(name.substr(0, 64)) + "\" port=" +
         std::to_string(port) + " result=" + (result ? "1" : "0");
}

std::string logMiniportReceived(uint32_t seq, int port, uint32_t code, uint32_t inSize,
                                uint32_t outSize, const uint8_t* in) {
  char head[96];
  std::snprintf(head, sizeof head, "mrecv port=%d code=%08X in=%u out=%u ", port,
                static_cast<unsigned>(code), static_cast<unsigned>(inSize),
                static_cast<unsigned>(outSize));
  return prefix(seq) + head + hexBytes(in, in ? std::min<uint32_t>(inSize, 4096) : 0);
}

std::string logMiniportDone(uint32_t seq, const MiniportAnswer& a, const uint8_t* out) {
  std::string s = prefix(seq) + "mdone result=" + (a.ok ? "1" : "0") +
                  " error=" + std::to_string(a.error);
  if (a.ok && out && a.returned >= scsi::kRateRequestSize) {
    char tail[48];
    std::snprintf(tail, sizeof tail, " status=%02X value=%08X",
                  out[offsetof(scsi::MiniportRequest, completionStatus)],
                  static_cast<unsigned>(scsi::le32(out + offsetof(scsi::MiniportRequest, parameter1))));
    s += tail;
  }
  return s;
}

std::string logBusLoaded(std::string_view name, size_t adapters) {
  return "bus \"" + std::string(name) + "\": " + std::to_string(adapters) + " adapters";
}

std::string logError(std::string_view message) { return "error " + std::string(message); }

}  // namespace sim
