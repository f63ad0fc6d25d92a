#include "server/devicelist_view.h"

#include "framework/scale.h"

#include <algorithm>

namespace srv {
namespace {

// Image slot of device types 0..10; types 4 and 5 share the optical drive icon.
constexpr int kTypeSlots[] = {0, 1, 2, 3, 4, 4, 5, 6, 7, 8, 9};
constexpr int kOtherSlot = 10;

struct ArrangeRow {
  unsigned command;
  int32_t key;
};
constexpr ArrangeRow kArrangeCommands[] = {
    {32794, kSortName}, {32793, kSortVendor}, {32792, kSortTarget}};

// Report column -> sort key; "Type" and "Revision" do not sort.
constexpr int32_t kColumnKeys[kReportColumnCount] = {kSortVendor, kSortName, kSortNone, kSortTarget,
                                                     kSortNone};

int sign(int v) { return (v > 0) - (v < 0); }

}  // namespace

int deviceImageSlot(uint8_t deviceType) {
  constexpr size_t n = sizeof kTypeSlots / sizeof kTypeSlots[0];
  return deviceType < n ? kTypeSlots[deviceType] : kOtherSlot;
}

const ViewModeRow* viewModeRow(unsigned command) {
  for (const ViewModeRow& row : kViewModes)
    if (row.command == command) return &row;
  return nullptr;
}

int columnWidth(const ReportColumn& column, int windowWidth, unsigned dpi) {
  return column.width == kRestOfWindow ? windowWidth - fw::scaled(kFixedColumnsWidth, dpi)
                                       : fw::scaled(column.width, dpi);
}

int32_t* SortState::flag(int32_t key) {
  switch (key) {
    case kSortName: return &nameAscending;
    case kSortVendor: return &vendorAscending;
    case kSortTarget: return &targetAscending;
    default: return nullptr;
  }
}

bool SortState::arrange(unsigned command) {
  for (const ArrangeRow& row : kArrangeCommands) {
    if (row.command == command) {
      sortKey = row.key;
      *flag(row.key) = 1;
      return true;
    }
  }
  return false;
}

bool SortState::columnClick(int column) {
  if (column < 0 || column >= kReportColumnCount) return false;
  int32_t key = kColumnKeys[column];
  int32_t* f = flag(key);
  if (!f) return false;
  sortKey = key;
  *f = *f ? 0 : 1;
  return true;
}

bool SortState::ascending() const {
  switch (sortKey) {
    case kSortName: return nameAscending != 0;
    case kSortVendor: return vendorAscending != 0;
    case kSortTarget: return targetAscending != 0;
    default: return false;
  }
}

int compareDevices(const inv::DeviceInfo& a, const inv::DeviceInfo& b, int32_t key, bool ascending,
                   TextCompare compare) {
  int order;
  switch (key) {
    case kSortName:
      order = sign(compare(fieldText(a.product).c_str(), fieldText(b.product).c_str()));
      break;
    case kSortVendor:
      order = sign(compare(fieldText(a.vendor).c_str(), fieldText(b.vendor).c_str()));
      break;
    case kSortTarget: order = sign(static_cast<int>(a.target) - static_cast<int>(b.target)); break;
    default: return 0;
  }
  return ascending ? order : -order;
}

size_t listedDeviceCount(const inv::HostAdapterInfo& adapter) {
  return std::min<size_t>(adapter.deviceCount, inv::kMaxDevices);
}

}  // namespace srv
