// The inventory's view of the SCSI manager library: the support word, the adapter
// inquiry, the PCI configuration extension and INQUIRY requests sent with a completion
// event. The Windows binding sits behind it; tests and the fuzz target put a fake there.
#pragma once

#include <cstdint>
#include <memory>

#include "scsi/records.h"

namespace inv {

constexpr size_t kPciConfigSize = 256;

// How an execute request ended.
enum class Completion {
  Immediate,  // the send answered non-zero: the block already holds the outcome
  Signalled,  // the send answered 0 and the completion event came within the wait
  Expired,    // the send answered 0 and the wait ran out; the block is as it was sent
};

// One bus scan: a single completion event serves every request of the scan.
class ScanSession {
 public:
  virtual ~ScanSession() = default;
  // Sends a filled execute block whose buffer is `data` (`length` bytes), with the
  // session's event, and waits for it when the manager says it is pending. On return
  // `block` and `data` hold what the manager wrote, unless the wait expired: then they
  // are left as they were sent (the manager keeps working on a copy of its own).
  virtual Completion execute(scsi::ExecCommandBlock& block, uint8_t* data, uint32_t length) = 0;
};

class ManagerPort {
 public:
  virtual ~ManagerPort() = default;
  // Bits 15..8 the manager status (1 = initialised), bits 7..0 the adapter total.
  virtual uint32_t supportInfo() = 0;
  // Sends a cleared adapter inquiry block (command 0, adapter number set); the manager
  // answers it at once, in place.
  virtual void inquireAdapter(scsi::AdapterInquiryBlock& block) = 0;
  // Has the manager fill `config` with the adapter's PCI configuration space; false
  // when the library lacks the extension (nothing is called then).
  virtual bool readPciConfig(uint8_t adapterNumber, uint8_t (&config)[kPciConfigSize]) = 0;
  // Starts a bus scan; null when the library cannot take execute requests.
  virtual std::unique_ptr<ScanSession> beginScan() = 0;
};

}  // namespace inv
