// Context-help data of the property pages and sheets: the (control id, topic) pairs handed
// to the HTML Help control, and the text pop-up rules of the two sheets' own buttons.
// Platform-free data, walked by server/help.cpp and checked natively against the topics of
// the help file.
#pragma once

#include <cstddef>
#include <cstdint>

namespace srv {

// One row of a page's pair table; a table ends with {0, 0}. The HTML Help control reads
// the table as an array of DWORD pairs, so the layout is fixed.
struct HelpPair {
  uint32_t controlId;
  uint32_t topic;
};
static_assert(sizeof(HelpPair) == 8, "HelpPair is two DWORDs");

// Topics live in "context.txt" inside the help file. A label and its value field share a
// topic where they explain the same thing.
constexpr HelpPair kHelpDeviceGeneral[] = {
    {1554, 199}, {1516, 199}, {1592, 101}, {1215, 102}, {1524, 103}, {1525, 104},
    {1526, 105}, {1631, 106}, {1527, 106}, {1224, 107}, {1529, 107}, {1632, 108},
    {1532, 108}, {1555, 109}, {1528, 109},
    // Listed a second time with the next topic; the first pair found for an id wins.
    {1555, 110}, {1528, 110}, {0, 0}};

constexpr HelpPair kHelpDeviceCache[] = {
    {1593, 199}, {1516, 199}, {1242, 141}, {3529, 142}, {3505, 142}, {1589, 143},
    {1244, 143}, {1591, 144}, {1245, 144}, {1243, 145}, {3530, 146}, {3506, 146},
    {1590, 147}, {1583, 147}, {1592, 148}, {1585, 148}, {0, 0}};

constexpr HelpPair kHelpDeviceDefects[] = {
    {1593, 199}, {1516, 199}, {1559, 121}, {1560, 122}, {1515, 123}, {1561, 124},
    {1239, 125}, {1237, 125}, {0, 0}};

constexpr HelpPair kHelpDeviceModePages[] = {
    {1593, 199}, {1516, 199}, {1617, 131}, {1581, 132}, {1589, 133}, {1582, 133},
    {1590, 134}, {1583, 134}, {1591, 135}, {1584, 135}, {0, 0}};

constexpr HelpPair kHelpDeviceFeatures[] = {
    {1593, 199}, {1516, 199}, {1621, 111}, {1223, 111}, {1622, 111}, {1228, 111},
    {1623, 111}, {1229, 111}, {1625, 111}, {1231, 111}, {1624, 111}, {1233, 111},
    {1627, 111}, {1234, 111}, {1628, 111}, {1235, 111}, {0, 0}};

constexpr HelpPair kHelpAdapterGeneral[] = {
    {1516, 99}, {1213, 1}, {1215, 2}, {1214, 3}, {1216, 4}, {1217, 5},
    {1231, 6},  {1233, 7}, {1232, 8}, {0, 0}};

constexpr HelpPair kHelpAdapterPci[] = {{1516, 99}, {1279, 11}, {0, 0}};

constexpr HelpPair kHelpBusInterface[] = {
    {1516, 99},  {1560, 201}, {1248, 201}, {1249, 202}, {1297, 203},
    {1163, 203}, {1247, 203}, {1162, 203}, {1246, 203}, {0, 0}};

constexpr HelpPair kHelpBootDevice[] = {
    {1516, 99},  {1165, 211}, {1298, 211}, {1182, 212}, {1299, 212},
    {1286, 213}, {1250, 213}, {1287, 214}, {1300, 214}, {0, 0}};

constexpr HelpPair kHelpDeviceConfig[] = {
    {1516, 99},  {1302, 221}, {1261, 221}, {1628, 222}, {1301, 222}, {1252, 223},
    {1253, 224}, {1254, 225}, {1262, 226}, {1303, 227}, {1255, 227}, {1256, 227},
    {1257, 227}, {1258, 228}, {1259, 229}, {1138, 230}, {0, 0}};

constexpr HelpPair kHelpAdvanced[] = {
    {1516, 99},  {1265, 231}, {1266, 232}, {1267, 233}, {1268, 234}, {1262, 234},
    {1269, 235}, {1263, 235}, {1632, 236}, {1264, 236}, {1270, 237}, {1271, 238},
    {1272, 239}, {0, 0}};

// Every page with context help, by its dialog template.
struct HelpPage {
  uint32_t dialogId;
  const char* name;
  const HelpPair* pairs;
  size_t count;  // rows including the closing {0, 0}
};

#define SRV_HELP_PAGE(dialog, name, table) \
  HelpPage { dialog, name, table, sizeof(table) / sizeof(table[0]) }
constexpr HelpPage kHelpPages[] = {
    SRV_HELP_PAGE(1000, "Device General", kHelpDeviceGeneral),
    SRV_HELP_PAGE(1456, "R/W Cache", kHelpDeviceCache),
    SRV_HELP_PAGE(1429, "Defect List", kHelpDeviceDefects),
    SRV_HELP_PAGE(1431, "Mode Parameters", kHelpDeviceModePages),
    SRV_HELP_PAGE(1419, "SCSI Features", kHelpDeviceFeatures),
    SRV_HELP_PAGE(117, "Adapter General", kHelpAdapterGeneral),
    SRV_HELP_PAGE(1457, "PCI Configuration", kHelpAdapterPci),
    SRV_HELP_PAGE(1030, "Bus Interface", kHelpBusInterface),
    SRV_HELP_PAGE(1031, "Boot Device", kHelpBootDevice),
    SRV_HELP_PAGE(1032, "Device Config", kHelpDeviceConfig),
    SRV_HELP_PAGE(1033, "Advanced", kHelpAdvanced),
};
#undef SRV_HELP_PAGE

// The pair table of the page built from that dialog template; null for any other.
constexpr const HelpPair* helpPairsForDialog(uint32_t dialogId) {
  for (const HelpPage& page : kHelpPages)
    if (page.dialogId == dialogId) return page.pairs;
  return nullptr;
}

// The topic the help control shows for a control of a table (the first pair found);
// 0 when the control has none.
constexpr uint32_t helpTopicFor(const HelpPair* pairs, uint32_t controlId) {
  for (const HelpPair* p = pairs; p && (p->controlId != 0 || p->topic != 0); ++p)
    if (p->controlId == controlId) return p->topic;
  return 0;
}

// ---- Text pop-ups of the sheets' own buttons ----

constexpr uint32_t rgbColour(uint8_t r, uint8_t g, uint8_t b) {
  return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16);
}

constexpr uint32_t kSheetTabControl = 0x3020;
constexpr uint32_t kSheetApplyButton = 0x3021;

struct PopupSubstitution {
  uint32_t controlId;
  uint32_t stringId;
};

// A sheet that shows string-table texts as pop-ups: the string id is the control id
// unless substituted; a missing string shows the fallback.
struct TextPopupUser {
  const PopupSubstitution* substitutions;
  size_t substitutionCount;
  uint32_t fallbackStringId;  // 0: no string, the fixed text below
  const char* fallbackText;   // also used when the fallback string itself is missing
  uint32_t foundBackground;
  uint32_t fallbackBackground;
};

constexpr PopupSubstitution kAdapterSheetSubstitutions[] = {{kSheetTabControl, 32847}};
constexpr PopupSubstitution kSeldarnSheetSubstitutions[] = {
    {1, 32841}, {2, 32842}, {kSheetApplyButton, 32843}, {kSheetTabControl, 32845}};

constexpr uint32_t kNoHelpTopicString = 32972;

constexpr TextPopupUser kAdapterSheetPopups = {
    kAdapterSheetSubstitutions, sizeof(kAdapterSheetSubstitutions) / sizeof(PopupSubstitution),
    0, "No Help topic is associated with this item!!!!",
    rgbColour(255, 255, 228), rgbColour(255, 255, 208)};

constexpr TextPopupUser kSeldarnSheetPopups = {
    kSeldarnSheetSubstitutions, sizeof(kSeldarnSheetSubstitutions) / sizeof(PopupSubstitution),
    kNoHelpTopicString, "No help topic is associated with this item.....",
    rgbColour(255, 255, 228), rgbColour(255, 255, 228)};

constexpr uint32_t popupStringId(const TextPopupUser& user, uint32_t controlId) {
  for (size_t i = 0; i < user.substitutionCount; ++i)
    if (user.substitutions[i].controlId == controlId) return user.substitutions[i].stringId;
  return controlId;
}

}  // namespace srv
