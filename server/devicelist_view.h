// What the device list window shows and how it orders it, without windows.h: the
// device-type images, the view modes, the report columns and the sort rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "contract/record_text.h"
#include "contract/records.h"

namespace srv {

// Icons of the window's image lists, in image-list order. Unlike the automation
// object's device icons, every type without an icon of its own (11 included) shows the
// "other" icon here.
constexpr int kDeviceImageCount = 11;
constexpr uint16_t kDeviceListIcons[kDeviceImageCount] = {151, 157, 153, 155, 152, 162,
                                                          154, 159, 158, 168, 166};
// Position in kDeviceListIcons of a device type's icon.
int deviceImageSlot(uint8_t deviceType);

// List-view view styles (the LVS_* values of the common controls).
enum class ListView : uint32_t { Icon = 0, Report = 1, SmallIcon = 2, List = 3 };
enum class ImageSize { Large, Small };

struct ViewModeRow {
  unsigned command;
  ListView view;
  ImageSize images;
};
constexpr ViewModeRow kViewModes[] = {
    {32788, ListView::Icon, ImageSize::Large},
    {32789, ListView::SmallIcon, ImageSize::Small},
    {32790, ListView::List, ImageSize::Small},
    {32791, ListView::Report, ImageSize::Small},
};
constexpr unsigned kFirstViewCommand = 32788, kLastViewCommand = 32791;
constexpr unsigned kDetailsCommand = 32791;
// The row of a view command, or nullptr.
const ViewModeRow* viewModeRow(unsigned command);

// Report-view columns, all left-aligned; the last takes the window width less 360.
struct ReportColumn {
  unsigned titleId;
  int width;  // kRestOfWindow: window width - 360
};
constexpr int kRestOfWindow = -1;
constexpr int kFixedColumnsWidth = 360;
constexpr ReportColumn kReportColumns[] = {
    {129, 85},             // "Vendor"
    {102, 115},            // "Name"
    {103, 80},             // "Type"
    {112, 80},             // "SCSI ID"
    {114, kRestOfWindow},  // "Revision"
};
constexpr int kReportColumnCount = 5;
// A column's width in a window of that outer width at dpi: the widths above are pixels
// at 96 DPI.
int columnWidth(const ReportColumn& column, int windowWidth, unsigned dpi = 96);

// Sort keys; 0 before the first sort.
enum SortKey : int32_t { kSortNone = 0, kSortName = 1, kSortVendor = 2, kSortTarget = 3 };

struct SortState {
  int32_t sortKey = kSortNone;
  int32_t nameAscending = 0;
  int32_t vendorAscending = 0;
  int32_t targetAscending = 0;

  // The direction flag of a key, or nullptr for none.
  int32_t* flag(int32_t key);
  // Arrange command: that key, ascending. False for any other command.
  bool arrange(unsigned command);
  // Header click: flips the flag of the column's key. False for a column without a key.
  bool columnClick(int column);
  bool ascending() const;
};

// Locale-aware comparison of two texts, strcmp-style result.
using TextCompare = int (*)(const char*, const char*);

// Order of two devices under a key: product name, vendor (both through `compare`) or
// target ID; reversed when not ascending. 0 for an unknown key.
int compareDevices(const inv::DeviceInfo& a, const inv::DeviceInfo& b, int32_t key, bool ascending,
                   TextCompare compare);

// Devices the record really holds: deviceCount, never beyond the record's room.
size_t listedDeviceCount(const inv::HostAdapterInfo& adapter);

// A fixed-size text field up to its NUL, never beyond the field.
template <size_t N>
std::string fieldText(const char (&field)[N]) {
  return inv::recordText(field);
}

}  // namespace srv
