#include "scsi/keeper.h"

#include <algorithm>

namespace scsi {

RequestKeeper::~RequestKeeper() {
  reclaim();
  // Still with a manager that may write them: deliberately never freed.
  for (auto& request : kept_) (void)request.release();
}

void RequestKeeper::keep(std::unique_ptr<PendingRequest> request) {
  if (request) kept_.push_back(std::move(request));
}

void RequestKeeper::reclaim() {
  kept_.erase(std::remove_if(kept_.begin(), kept_.end(),
                             [](const std::unique_ptr<PendingRequest>& r) { return r->finished(); }),
              kept_.end());
}

void RequestKeeper::releaseAfterUnload(bool libraryGone) {
  if (libraryGone) kept_.clear();
  else reclaim();
}

}  // namespace scsi
