// Requests whose wait expired while the manager still held them. The manager may write
// the block and the buffer and signal the event at any later time, so all three stay
// alive here until the event shows the request finished, or until the manager library
// is gone from the process.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "scsi/handle.h"
#include "scsi/records.h"

namespace scsi {

// What the manager is handed for one request: all of it owned by the sender.
struct PendingRequest {
  ExecCommandBlock block;
  std::unique_ptr<uint8_t[]> data;
  UniqueHandle event;

  bool finished() const { return WaitForSingleObject(event.get(), 0) == WAIT_OBJECT_0; }
};

class RequestKeeper {
 public:
  RequestKeeper() = default;
  ~RequestKeeper();
  RequestKeeper(const RequestKeeper&) = delete;
  RequestKeeper& operator=(const RequestKeeper&) = delete;

  void keep(std::unique_ptr<PendingRequest> request);
  // Frees the requests the manager has finished since.
  void reclaim();
  // After the manager library was released: with the library gone nothing can touch
  // the requests any more and all are freed; while another reference keeps it loaded,
  // unfinished ones stay kept (and are left allocated for good if the keeper goes
  // first, rather than freed under the manager).
  void releaseAfterUnload(bool libraryGone);
  size_t count() const { return kept_.size(); }

 private:
  std::vector<std::unique_ptr<PendingRequest>> kept_;
};

}  // namespace scsi
