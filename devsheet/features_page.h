// What the SCSI Features page shows: the optional features a device announces in its
// standard INQUIRY data, and whether its adapter can tell the negotiated rate.
// Platform-free: control ids and bit positions.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dev {

// One line of the page: its label, the control beside which the mark is drawn, and the
// INQUIRY bit that says the feature is supported.
struct FeatureLine {
  uint16_t labelId;
  uint16_t markId;
  uint8_t byte;  // 5..7 of the INQUIRY header
  uint8_t bit;
};

constexpr FeatureLine kFeatureLines[] = {
    {1621, 1223, 7, 4},  // Synchronous Data Transfer (Sync)
    {1622, 1228, 7, 3},  // Linked Commands (Linked)
    {1623, 1229, 7, 1},  // Tagged Command Queuing (CmdQue)
    {1633, 1230, 7, 5},  // 16 Bit Data Transfer (WBus16)
    {1625, 1231, 7, 7},  // Relative Addressing (RelAdr)
    {1626, 1232, 7, 0},  // Soft Reset (SftRe)
    {1624, 1233, 6, 4},  // Multi-port Implementation (MultiP)
    {1627, 1234, 5, 7},  // Embedded Storage Array Controller (SCCS)
};
constexpr size_t kFeatureLineCount = sizeof kFeatureLines / sizeof kFeatureLines[0];

// inquiryHeader holds INQUIRY bytes 0..7.
bool featureSupported(const uint8_t (&inquiryHeader)[8], const FeatureLine& line);

// The negotiated rate line is shown only for adapters of the newest family that report
// the extended features.
bool showsNegotiatedRate(uint32_t familyLevel, uint32_t extendedFeatures);

}  // namespace dev
