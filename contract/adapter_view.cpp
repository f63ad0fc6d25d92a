#include "contract/adapter_view.h"

#include <algorithm>
#include <vector>

namespace bands {

AdapterView::AdapterView(long count, intptr_t address) {
  records_ = reinterpret_cast<const inv::HostAdapterInfo*>(address);
  if (!records_ || count <= 0) {
    records_ = nullptr;
    return;
  }
  long n = std::min<long>(count, inv::kMaxAdapters);
  // Every record repeats the array's own length.
  if (records_[0].adapterCount > 0) n = std::min<long>(n, records_[0].adapterCount);
  count_ = static_cast<int>(n);
}

const inv::HostAdapterInfo* AdapterView::at(int index) const {
  return index >= 0 && index < count_ ? &records_[index] : nullptr;
}

int AdapterView::indexOf(intptr_t address) const {
  for (int i = 0; i < count_; ++i)
    if (reinterpret_cast<intptr_t>(&records_[i]) == address) return i;
  return -1;
}

intptr_t AdapterView::addressAt(int index) const {
  return reinterpret_cast<intptr_t>(at(index));
}

int AdapterView::deviceCount(const inv::HostAdapterInfo& adapter) {
  return std::min<int>(adapter.deviceCount, inv::kMaxDevices);
}

const inv::DeviceInfo* AdapterView::deviceAt(const inv::HostAdapterInfo& adapter, long index) {
  return index >= 0 && index < deviceCount(adapter) ? &adapter.devices[index] : nullptr;
}

std::string deviceTip(const std::string& pattern, const inv::DeviceInfo& device,
                      const inv::HostAdapterInfo& adapter) {
  const std::vector<std::string> texts = {recordText(device.vendor), recordText(device.product),
                                          recordText(device.revision),
                                          recordText(adapter.displayName)};
  size_t nextText = 0;
  bool targetUsed = false;
  std::string out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c != '%' || i + 1 == pattern.size()) {
      out += c;
      continue;
    }
    const char spec = pattern[++i];
    if (spec == 's' && nextText < texts.size()) {
      out += texts[nextText++];
    } else if (spec == 'd' && !targetUsed) {
      out += std::to_string(device.target);
      targetUsed = true;
    } else if (spec == '%') {
      out += '%';
    } else {
      out += '%';
      out += spec;
    }
  }
  return out;
}

}  // namespace bands
