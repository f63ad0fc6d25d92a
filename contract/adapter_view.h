// The server's adapter array as the bands and the shell folder read it in place: only the
// records the server counted, only the devices a record holds, and addresses accepted only
// when they are those of this list. Platform-free, tested natively.
#pragma once

#include <cstdint>
#include <string>

#include "contract/record_text.h"
#include "contract/records.h"

namespace bands {

class AdapterView {
 public:
  AdapterView() = default;
  // count: GetHostAdaptersCount; address: GetHostAdaptersList (0: none). The records
  // used are at most what both the count and the array itself say.
  AdapterView(long count, intptr_t address);

  int count() const { return count_; }
  const inv::HostAdapterInfo* at(int index) const;
  // Index of the record at that address, or -1 when it is not one of this list's.
  int indexOf(intptr_t address) const;
  intptr_t addressAt(int index) const;

  // Devices of a record, bounded by the record's room.
  static int deviceCount(const inv::HostAdapterInfo& adapter);
  static const inv::DeviceInfo* deviceAt(const inv::HostAdapterInfo& adapter, long index);

 private:
  const inv::HostAdapterInfo* records_ = nullptr;
  int count_ = 0;
};

// The records' text fields, by the name the bands and the folder use.
using inv::recordText;

// The tip of a device: pattern (string 6, "%s %s Rev:%s\nconnected to %s on Scsi ID %d")
// filled with vendor, product, revision, the adapter's name and the target. Only "%s"
// and "%d" in that order are filled, so a changed pattern cannot read wrong arguments.
std::string deviceTip(const std::string& pattern, const inv::DeviceInfo& device,
                      const inv::HostAdapterInfo& adapter);

}  // namespace bands
