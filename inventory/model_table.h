// The adapter identification table: every host adapter is known by its PCI device ID
// and subsystem ID, and its row gives the model name, the channel count, the connector
// columns the BIOS configuration pages read and the family level (1 oldest .. 4 newest).
// The first matching row wins; 0xFFFF in the subsystem column matches any subsystem.
// Some rows can never match because an earlier row already has their key; they are kept
// because the table is product data and the rows are listed by family.
#pragma once

#include <cstddef>
#include <cstdint>

#include "contract/records.h"

namespace inv {

constexpr uint16_t kAnySubsystem = 0xFFFF;
constexpr int kAdapterModelRows = 37;  // rows before the all-zero end row

namespace model_detail {
// One row: name, device ID, subsystem ID, channels, connector layout, LVD/SE and SE
// termination choice counts, family level. Reserved bytes stay zero.
template <size_t N>
constexpr AdapterModel row(const char (&name)[N], uint16_t device, uint16_t subsystem,
                           uint32_t channels, uint32_t layout, uint32_t lvdChoices,
                           uint32_t seChoices, uint32_t family) {
  static_assert(N <= sizeof(AdapterModel::modelName), "model name too long");
  AdapterModel m{};
  for (size_t i = 0; i < N; ++i) m.modelName[i] = name[i];
  m.pciDeviceId = device;
  m.pciSubsystemId = subsystem;
  m.channelCount = channels;
  m.connectorLayout = layout;
  m.lvdTerminationChoices = lvdChoices;
  m.seTerminationChoices = seChoices;
  m.familyLevel = family;
  return m;
}
}  // namespace model_detail

// clang-format off
inline constexpr AdapterModel AdapterModelTable[kAdapterModelRows + 1] = {
  //                model name                          device  subsys  ch lay lvd se fam
  // Family 4: Halden (row 5 repeats row 0 and never matches).
  model_detail::row("Velmora Halden HX42 Dual",         0x5C40, 0x4C20, 2, 0, 5, 5, 4),
  model_detail::row("Velmora Halden HX41",              0x5C41, 0x4C10, 1, 1, 5, 3, 4),
  model_detail::row("Velmora Halden HX42 Dual OEM",     0x5C40, 0x4C22, 2, 0, 5, 5, 4),
  model_detail::row("Velmora Halden HX44 Quad",         0x5C44, 0x4C40, 4, 0, 5, 5, 4),
  model_detail::row("Velmora Halden HX41 Low Profile",  0x5C41, 0x4C12, 1, 1, 5, 3, 4),
  model_detail::row("Velmora Halden HX42 Dual",         0x5C40, 0x4C20, 2, 0, 5, 5, 4),
  // Family 3: Kestrin (rows 11 and 12 repeat rows 6 and 7).
  model_detail::row("Velmora Kestrin KT31",             0x5C31, 0x3110, 1, 1, 5, 3, 3),
  model_detail::row("Velmora Kestrin KT32 Dual",        0x5C32, 0x3120, 2, 0, 5, 5, 3),
  model_detail::row("Velmora Kestrin KT31 Low Profile", 0x5C31, 0x3112, 1, 1, 5, 3, 3),
  model_detail::row("Velmora Kestrin KT34 Quad",        0x5C34, 0x3140, 4, 0, 5, 5, 3),
  model_detail::row("Velmora Kestrin KT32 Dual OEM",    0x5C32, 0x3122, 2, 0, 5, 5, 3),
  model_detail::row("Velmora Kestrin KT31",             0x5C31, 0x3110, 1, 1, 5, 3, 3),
  model_detail::row("Velmora Kestrin KT32 Dual RAID",   0x5C32, 0x3120, 2, 0, 5, 5, 3),
  // Family 2: Orlin (row 18 repeats row 13).
  model_detail::row("Velmora Orlin OR21",               0x5C21, 0x2160, 1, 0, 3, 3, 2),
  model_detail::row("Velmora Orlin OR22 Dual",          0x5C22, 0x2220, 2, 0, 3, 3, 2),
  model_detail::row("Velmora Orlin OR21 Wide",          0x5C21, 0x2162, 1, 1, 3, 3, 2),
  model_detail::row("Velmora Orlin OR22 Dual OEM",      0x5C22, 0x2222, 2, 0, 3, 3, 2),
  model_detail::row("Velmora Orlin OR23 Dual",          0x5C23, 0x2230, 2, 0, 3, 3, 2),
  model_detail::row("Velmora Orlin OR21",               0x5C21, 0x2160, 1, 0, 3, 3, 2),
  model_detail::row("Velmora Orlin OR23 Dual OEM",      0x5C23, 0x2232, 2, 0, 3, 3, 2),
  // Family 1: Brisk, the only family with subsystem wildcards (rows 22 and 27 fall
  // under the wildcards of rows 20 and 21).
  model_detail::row("Velmora Brisk BR10",               0x5C10, 0xFFFF, 1, 0, 3, 3, 1),
  model_detail::row("Velmora Brisk BR12 Dual",          0x5C12, 0xFFFF, 2, 0, 3, 3, 1),
  model_detail::row("Velmora Brisk BR10 Narrow",        0x5C10, 0x1010, 1, 0, 3, 3, 1),
  model_detail::row("Velmora Brisk BR14 Dual",          0x5C14, 0x1410, 2, 0, 3, 3, 1),
  model_detail::row("Velmora Brisk BR14 Dual OEM",      0x5C14, 0x1412, 2, 0, 3, 3, 1),
  model_detail::row("Velmora Brisk BR15",               0x5C15, 0xFFFF, 1, 0, 3, 3, 1),
  model_detail::row("Velmora Brisk BR16 Dual",          0x5C16, 0xFFFF, 2, 0, 3, 3, 1),
  model_detail::row("Velmora Brisk BR12 Dual OEM",      0x5C12, 0x1220, 2, 0, 3, 3, 1),
  model_detail::row("Velmora Brisk BR17",               0x5C17, 0x1710, 1, 0, 3, 3, 1),
  model_detail::row("Velmora Brisk BR18",               0x5C18, 0xFFFF, 1, 0, 3, 3, 1),
  model_detail::row("Velmora Brisk BR19 Dual",          0x5C19, 0xFFFF, 2, 0, 3, 3, 1),
  model_detail::row("Velmora Brisk BR11",               0x5C11, 0x1110, 1, 0, 3, 3, 1),
  model_detail::row("Velmora Brisk BR11 Narrow",        0x5C11, 0x1112, 1, 0, 3, 3, 1),
  model_detail::row("Velmora Brisk BR13 Dual",          0x5C13, 0x1310, 2, 0, 3, 3, 1),
  model_detail::row("Velmora Brisk BR14 Dual",          0x5C14, 0xFFFF, 2, 0, 3, 3, 1),
  model_detail::row("Velmora Brisk BR13 Dual OEM",      0x5C13, 0x1312, 2, 0, 3, 3, 1),
  model_detail::row("Velmora Brisk BR11 Low Profile",   0x5C11, 0x1114, 1, 0, 3, 3, 1),
  AdapterModel{},  // end of the table
};
// clang-format on

// Looks adapters up in AdapterModelTable. rowIndex starts at the end row, so a finder
// that never found anything copies the all-zero row.
class AdapterModelFinder {
 public:
  int32_t rowIndex = kAdapterModelRows;

  // The first row whose device ID matches and whose subsystem ID matches or is the
  // wildcard; rowIndex is left at that row, or at the end row when none matches.
  bool find(uint16_t deviceId, uint16_t subsystemId);
  // The 124 bytes of row rowIndex.
  void copyRow(AdapterModel& destination) const;
};

}  // namespace inv
