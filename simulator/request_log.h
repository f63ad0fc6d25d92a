// The lines of the simulator's request log, one per event, each starting with the
// request's sequence number so that a late completion can be matched to its request:
//
//   #7 recv 02 00 01 48 ...       the block as received (60 or 80 bytes in hex)
//   #7 data 00 00 00 08 ...       the data sent with a write (dataLength bytes)
//   #7 pending                    answered 0 ("pending late", "pending never",
//                                 "pending delay=30" for the faults)
//   #7 done status=04 ha=00 ts=02 in=0 sense=05/26/00
//   #8 pci adapter=1 length=256 result=1
//   #9 mopen "\\.\Scsi0:" port=0 result=1
//   #10 mrecv port=0 code=0004D008 in=128 out=128 1C 00 00 00 ...
//   #10 mdone result=1 error=0 status=01 value=00000000
//   bus "NAME": 6 adapters        / error NAME:LINE: message
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "simulator/simulator.h"

namespace sim {

// "02 00 01 48" (upper-case, single spaces).
std::string hexBytes(const uint8_t* p, size_t n);

std::string logReceived(uint32_t seq, const uint8_t* block, size_t n);
std::string logData(uint32_t seq, const uint8_t* data, size_t n);
std::string logPending(uint32_t seq, Timing timing, uint32_t delayMs);
// `inBytes`: bytes written into the buffer.
std::string logDone(uint32_t seq, const CommandResult& r, size_t inBytes);
std::string logInquiryDone(uint32_t seq, uint8_t status);
std::string logPci(uint32_t seq, uint32_t adapter, uint32_t length, bool result);
std::string logMiniportOpen(uint32_t seq, std::string_view name, int port, bool result);
std::string logMiniportReceived(uint32_t seq, int port, uint32_t code, uint32_t inSize,
                                uint32_t outSize, const uint8_t* in);
std::string logMiniportDone(uint32_t seq, const MiniportAnswer& a, const uint8_t* out);
std::string logBusLoaded(std::string_view name, size_t adapters);
std::string logError(std::string_view message);

}  // namespace sim
