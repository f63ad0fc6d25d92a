#include "explorer/explorer_model.h"

#include "contract/record_text.h"
#include "framework/scale.h"


#include <algorithm>
#include <cstring>

namespace explorer {
namespace {

struct CommandRow {
  uint32_t id;
  Action action;
};

// Commands both hosts share; the File menu's own ids come from the flavor.
constexpr CommandRow kSharedCommands[] = {
    {ID_FILE_OPEN, Action::Open},
    {ID_ITEM_PROPERTIES, Action::Properties},
    {ID_ITEM_SELDARN, Action::Seldarn},
    {ID_VIEW_STATUS_BAR, Action::ToggleStatusBar},
    {ID_VIEW_LARGE_ICONS, Action::SwitchView},
    {ID_VIEW_SMALL_ICONS, Action::SwitchView},
    {ID_VIEW_LIST, Action::SwitchView},
    {ID_VIEW_DETAILS, Action::SwitchView},
    {ID_ARRANGE_BY_NAME, Action::ArrangeByName},
    {ID_ARRANGE_BY_DRIVER, Action::ArrangeByDriver},
    {ID_ARRANGE_BY_SCSI_ID, Action::ArrangeByScsiId},
    {ID_HELP_TOPICS, Action::HelpTopics},
    {ID_HELP_ABOUT, Action::About},
};

}  // namespace

Action commandAction(const ExplorerFlavor& flavor, uint32_t id) {
  if (id == flavor.filePropertiesId) return Action::Properties;
  if (id == flavor.fileSeldarnId) return Action::Seldarn;
  if (id == flavor.closeId) return Action::Close;
  for (const CommandRow& row : kSharedCommands)
    if (row.id == id) return row.action;
  return Action::None;
}

bool isViewCommand(int32_t view) {
  return std::any_of(std::begin(kViewModes), std::end(kViewModes),
                     [view](const ViewMode& m) { return m.command == view; });
}

const ViewMode& viewMode(int32_t view) {
  for (const ViewMode& m : kViewModes)
    if (m.command == view) return m;
  return kViewModes[0];
}

int lastColumnWidth(int windowWidth, unsigned dpi) {
  // A window narrower than the fixed columns gets an empty last column, not a negative one.
  return std::max(0, windowWidth - fw::scaled(kFixedColumnsTotal, dpi));
}

std::string fieldText(const char* field, size_t size) { return inv::fixedText(field, size); }

std::string adapterName(const inv::HostAdapterInfo& a) {
  return fieldText(a.displayName, sizeof a.displayName);
}

std::string adapterDriver(const inv::HostAdapterInfo& a) {
  return fieldText(a.adapterIdentifier, sizeof a.adapterIdentifier);
}

std::array<std::string, 4> detailsRow(const inv::HostAdapterInfo& a) {
  return {adapterName(a), adapterDriver(a), std::to_string(unsigned{a.adapterScsiId}),
          std::to_string(unsigned{a.deviceCount})};
}

size_t listedRecordCount(uint32_t count, const inv::HostAdapterInfo* first) {
  if (!first) return 0;
  if (first->adapterCount > 0 && static_cast<uint32_t>(first->adapterCount) < count)
    return static_cast<size_t>(first->adapterCount);
  return count;
}

uint32_t makeSortKey(SortField field, bool ascending) {
  return static_cast<uint32_t>(field) | (static_cast<uint32_t>(ascending ? 1 : 0) << 16);
}

SortField sortKeyField(uint32_t key) { return static_cast<SortField>(key & 0xFFFF); }
bool sortKeyAscending(uint32_t key) { return (key >> 16) != 0; }

int compareAdapters(const inv::HostAdapterInfo& a, const inv::HostAdapterInfo& b,
                    uint32_t key, TextCompare compare) {
  bool ascending = sortKeyAscending(key);
  switch (sortKeyField(key)) {
    case SortField::Name:
    case SortField::Driver: {
      bool byName = sortKeyField(key) == SortField::Name;
      std::string x = byName ? adapterName(a) : adapterDriver(a);
      std::string y = byName ? adapterName(b) : adapterDriver(b);
      return ascending ? compare(x.c_str(), y.c_str()) : compare(y.c_str(), x.c_str());
    }
    case SortField::AdapterNumber:
      if (ascending) return a.adapterNumber < b.adapterNumber ? -1 : 1;
      return a.adapterNumber > b.adapterNumber ? -1 : 1;
  }
  return 0;
}

uint32_t SortState::arrange(SortField field) {
  flags_[index(field)] = true;
  return makeSortKey(field, true);
}

std::optional<uint32_t> SortState::headerClick(int column) {
  if (column != 0 && column != 1) return std::nullopt;
  SortField field = column == 0 ? SortField::Name : SortField::Driver;
  bool& flag = flags_[index(field)];
  flag = !flag;
  return makeSortKey(field, flag);
}

FileMenuState fileMenuState(const inv::HostAdapterInfo* selected) {
  if (!selected) return {false, false, false, false};
  return {true, true, selected->extendedFeatures != 0, true};
}

std::string helpFile(const std::string& installFolder) { return installFolder + kHelpFileName; }

std::string installFolderFromPath(const char* data, size_t size) {
  return fieldText(data, size) + "\\";
}

}  // namespace explorer
