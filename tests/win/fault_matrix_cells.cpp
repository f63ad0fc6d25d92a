#include "tests/win/fault_matrix_cells.h"

#include "devsheet/cache_page_res.h"

#include <windows.h>

#include <cstring>
#include <iterator>

namespace faultmatrix {
namespace {

// ---- fault kinds ------------------------------------------------------------------------

constexpr const char* kNoHa = "00 - No host adapter error";
constexpr const char* kGood = "00 - Good status";
constexpr const char* kCheck = "02 - Check condition";
constexpr const char* kNoSense = "00 - No sense";

// Every fault of a SCSI command. A check condition comes with each sense key of the
// failure report's table, and with one it does not list (8).
const Fault kScsiFaults[] = {
    {"NoFault", "", Scope::Device, Release::None, Outcome::Answered, "", "", "", "", ""},
    {"SelectionTimeout", "fault OP timeout", Scope::Device, Release::None, Outcome::Absent,
     "11 - Selection timeout", kGood, kNoSense, "00 ", "00 "},
    {"Busy", "fault OP busy", Scope::Device, Release::None, Outcome::Refused, "", "", "", "", ""},
    {"CheckNoSense", "fault OP check 0 00 00", Scope::Device, Release::None, Outcome::Refused,
     kNoHa, kCheck, "00 - No sense", "00 ", "00 "},
    {"CheckRecoveredError", "fault OP check 1 17 01", Scope::Device, Release::None, Outcome::Refused,
     kNoHa, kCheck, "01 - Recovered error", "17 ", "01 "},
    {"CheckNotReady", "fault OP check 2 04 01", Scope::Device, Release::None, Outcome::Refused,
     kNoHa, kCheck, "02 - Not ready", "04 ", "01 "},
    {"CheckMediumError", "fault OP check 3 11 00", Scope::Device, Release::None, Outcome::Refused,
     kNoHa, kCheck, "03 - Medium error", "11 ", "00 "},
    {"CheckHardwareError", "fault OP check 4 44 00", Scope::Device, Release::None, Outcome::Refused,
     kNoHa, kCheck, "04 - Hardware error", "44 ", "00 "},
    {"CheckIllegalRequest", "fault OP check 5 20 00", Scope::Device, Release::None, Outcome::Refused,
     kNoHa, kCheck, "05 - Illegal request", "20 ", "00 "},
    {"CheckUnitAttention", "fault OP check 6 29 00", Scope::Device, Release::None, Outcome::Refused,
     kNoHa, kCheck, "06 - Unit attention", "29 ", "00 "},
    {"CheckDataProtect", "fault OP check 7 27 00", Scope::Device, Release::None, Outcome::Refused,
     kNoHa, kCheck, "07 - Data protect", "27 ", "00 "},
    {"CheckBlankCheck", "fault OP check 8 00 05", Scope::Device, Release::None, Outcome::Refused,
     kNoHa, kCheck, "08 ", "00 ", "05 "},
    {"CheckVolumeOverflow", "fault OP check D 00 02", Scope::Device, Release::None, Outcome::Refused,
     kNoHa, kCheck, "0D - Volume overflow", "00 ", "02 "},
    {"CheckMiscompare", "fault OP check E 1D 00", Scope::Device, Release::None, Outcome::Refused,
     kNoHa, kCheck, "0E - Miscompare", "1D ", "00 "},
    {"Aborted", "fault OP aborted", Scope::Device, Release::None, Outcome::Refused, "", "", "", "", ""},
    {"DataOverrun", "fault OP adapter 12", Scope::Device, Release::None, Outcome::Refused,
     "12 - Data overrun/underrun", kGood, kNoSense, "00 ", "00 "},
    {"UnexpectedBusFree", "fault OP adapter 13", Scope::Device, Release::None, Outcome::Refused,
     "13 - Unexpected bus free", kGood, kNoSense, "00 ", "00 "},
    {"PhaseSequenceFailure", "fault OP adapter 14", Scope::Device, Release::None, Outcome::Refused,
     "14 - Bus phase sequence failure", kGood, kNoSense, "00 ", "00 "},
    {"NeverCompletes", "fault OP never", Scope::Device, Release::None, Outcome::Unanswered,
     kNoHa, kGood, kNoSense, "00 ", "00 "},
    {"LateWithinTheWait", "fault OP late", Scope::Device, Release::WhileWaited, Outcome::Answered,
     "", "", "", "", ""},
    {"LateAfterTheWait", "fault OP late", Scope::Device, Release::AfterWait, Outcome::Unanswered,
     kNoHa, kGood, kNoSense, "00 ", "00 "},
    {"Delayed", "fault OP delay 30", Scope::Device, Release::None, Outcome::Answered, "", "", "", "", ""},
    {"DataUnderrun", "fault OP underrun 4", Scope::Device, Release::None, Outcome::Refused,
     "12 - Data overrun/underrun", kGood, kNoSense, "00 ", "00 "},
    {"ShortAnswer", "fault OP short 4", Scope::Device, Release::None, Outcome::Short, "", "", "", "", ""},
    {"EmptyAnswer", "fault OP short 0", Scope::Device, Release::None, Outcome::Empty, "", "", "", "", ""},
};

// Every way the miniport channel can fail: no port published for the driver (the
// miniport is missing), the port cannot be opened, the control call fails, or the
// driver answers with a failure status.
const Fault kMiniportFaults[] = {
    {"NoFault", "", Scope::Adapter, Release::None, Outcome::Answered, "", "", "", "", ""},
    {"MissingMiniport", "devicemap off", Scope::Bus, Release::None, Outcome::Refused, "", "", "", "", ""},
    {"PortDoesNotOpen", "port-fault open", Scope::Adapter, Release::None, Outcome::Refused, "", "", "", "", "",
     "Velmora SCSI Explorer: invalid file handle"},
    {"ControlCallFails", "port-fault call", Scope::Adapter, Release::None, Outcome::Refused, "", "", "", "", ""},
    {"DriverStatusFails", "port-fault status", Scope::Adapter, Release::None, Outcome::Refused, "", "", "", "", ""},
};

// The defect list page takes a data overrun or underrun with good target status for a
// list shorter than the buffer: the underrun's four bytes (the header alone) are a short
// answer, the overrun (no data) an empty one.
struct DefectFaults {
  Fault rows[std::size(kScsiFaults)];
  DefectFaults() {
    for (size_t i = 0; i < std::size(kScsiFaults); ++i) {
      rows[i] = kScsiFaults[i];
      if (std::strcmp(rows[i].name, "DataUnderrun") == 0) rows[i].outcome = Outcome::Short;
      if (std::strcmp(rows[i].name, "DataOverrun") == 0) rows[i].outcome = Outcome::Empty;
    }
  }
};
const DefectFaults kDefectFaults;

// The EEPROM block of a two-channel card is read again through the port of its other
// function when the control call fails, so the default bus's dual card still gets it.
struct EepromFaults {
  Fault rows[std::size(kMiniportFaults)];
  EepromFaults() {
    for (size_t i = 0; i < std::size(kMiniportFaults); ++i) {
      rows[i] = kMiniportFaults[i];
      if (std::strcmp(rows[i].name, "ControlCallFails") == 0) rows[i].outcome = Outcome::Answered;
    }
  }
};
const EepromFaults kEepromFaults;

// ---- commands -----------------------------------------------------------------------------

// What a window does with a failed request: nothing, what a page request shows, or what
// the defect list page shows itself.
// CacheSelect: the cache page's switch, which reports its failure itself (after the page
// request's report when the recovery page is written).
enum class Style { Silent, PageRequest, DefectRead, EepromRead, CacheSelect };

struct Command {
  Window window;
  const char* name;
  const char* opcode;
  int adapter, target;
  Style style;
  const char* cdbField;  // field 1610 of the failure dialog; for EepromRead the adapter's name
  // What the window shows, by Outcome.
  const char* shows[6];
  const Fault* faults;
  size_t faultCount;
  // Narrows the fault to one of the window's requests of that opcode (see Cell).
  const char* qualifier = "";
  int flips = 0;  // see Cell
  // CacheSelect: the question asked first ("" for none), the failure's own message, and
  // whether the page request's report comes before it.
  const char* question = "";
  const char* failure = "";
  bool reported = false;
};

// The default bus: adapter 0 is the newest card on port 0 (the miniport serves it); its
// target 0 is a disk (143374744 blocks of 512 bytes, 320 MB/s), targets 1, 4 and 5 answer
// too. A failed INQUIRY at target 4 ends the adapter's scan (targets 0 and 1 listed); a
// target that times out or does not answer is only skipped (0, 1 and 5).
const Command kCommands[] = {
    {Window::DeviceGeneral, "ReadCapacity", "25", 0, 0, Style::Silent, "",
     // A capacity that did not come shows as not available, not as 0.
     {"70007 MBytes", "N/A", "N/A", "N/A", "0 MBytes", "0 MBytes"},
     kScsiFaults, std::size(kScsiFaults)},
    {Window::DeviceList, "Inquiry", "12", 0, 4, Style::Silent, "",
     {"4 devices", "2 devices", "3 devices", "3 devices", "4 devices", "4 devices"},
     kScsiFaults, std::size(kScsiFaults)},
    {Window::DeviceFeatures, "RateQuery", "", 0, 0, Style::Silent, "",
     {"320.0 MB/Sec", "0.0 MB/Sec", "0.0 MB/Sec", "0.0 MB/Sec", "0.0 MB/Sec", "0.0 MB/Sec"},
     kMiniportFaults, std::size(kMiniportFaults)},
    // The total of the primary list (14 entries on the disk); a header that came alone
    // still tells the length.
    {Window::DeviceDefects, "ReadDefectData", "37", 0, 0, Style::DefectRead,
     "37 00 15 00 00 00 00 20 00 00 ",
     {"14", "0, disabled", "0, disabled", "0, disabled", "14", "0"},
     kDefectFaults.rows, std::size(kDefectFaults.rows)},
    // The Caching page's "Maximum Pre-fetch Ceiling" (FFFFh on the disk).
    {Window::DeviceMode, "ModeSense", "1A", 0, 0, Style::PageRequest, "1A 00 08 00 54 00 ",
     {"65535", "Unavailable, disabled", "Unavailable, disabled", "Unavailable, disabled",
      "Unavailable", "Unavailable, disabled"},
     kScsiFaults, std::size(kScsiFaults)},
    // The Caching page's read cache, current value.
    {Window::DeviceCache, "ModeSense", "1A", 0, 0, Style::PageRequest, "1A 00 08 00 54 00 ",
     {"Enabled", "None, disabled", "None, disabled", "None, disabled", "None, disabled",
      "None, disabled"},
     kScsiFaults, std::size(kScsiFaults)},
    // The other page controls of the Caching page, each after the ones before it came:
    // the current value that came stays readable, the parameters are disabled.
    {Window::DeviceMode, "ModeSenseChangeable", "1A", 0, 0, Style::PageRequest, "1A 00 48 00 54 00 ",
     {"65535", "65535, disabled", "65535, disabled", "65535, disabled", "65535", "65535, disabled"},
     kScsiFaults, std::size(kScsiFaults), " page 08 after 1"},
    {Window::DeviceMode, "ModeSenseDefault", "1A", 0, 0, Style::PageRequest, "1A 00 88 00 54 00 ",
     {"65535", "65535, disabled", "65535, disabled", "65535, disabled", "65535", "65535, disabled"},
     kScsiFaults, std::size(kScsiFaults), " page 08 after 2"},
    // A device that keeps no saved values answers nothing: the page is still there.
    {Window::DeviceMode, "ModeSenseSaved", "1A", 0, 0, Style::PageRequest, "1A 00 C8 00 54 00 ",
     {"65535", "65535, disabled", "65535, disabled", "65535, disabled", "65535", "65535"},
     kScsiFaults, std::size(kScsiFaults), " page 08 after 3"},
    {Window::DeviceCache, "ModeSenseChangeable", "1A", 0, 0, Style::PageRequest, "1A 00 48 00 54 00 ",
     {"Enabled", "None, disabled", "None, disabled", "None, disabled", "None, disabled",
      "None, disabled"},
     kScsiFaults, std::size(kScsiFaults), " page 08 after 1"},
    {Window::DeviceCache, "ModeSenseDefault", "1A", 0, 0, Style::PageRequest, "1A 00 88 00 54 00 ",
     {"Enabled", "None, disabled", "None, disabled", "None, disabled", "None, disabled",
      "None, disabled"},
     kScsiFaults, std::size(kScsiFaults), " page 08 after 2"},
    // The grown list, read after a good primary list: the primary's total stays, the
    // list that cannot be whole is disabled.
    {Window::DeviceDefects, "ReadGrownDefects", "37", 0, 0, Style::DefectRead,
     "37 00 0D 00 00 00 00 20 00 00 ",
     {"14", "14, disabled", "14, disabled", "14, disabled", "14", "14"},
     kDefectFaults.rows, std::size(kDefectFaults.rows), " after 1"},
    // A disk above 2 TB: READ CAPACITY(10) answers FFFFFFFFh, READ CAPACITY(16) tells
    // (a short answer with good status reads as READ CAPACITY(10)'s does).
    {Window::DeviceGeneral, "ReadCapacity16", "9E", 1, 3, Style::Silent, "",
     {"3815447 MBytes", "N/A", "N/A", "N/A", "0 MBytes", "0 MBytes"},
     kScsiFaults, std::size(kScsiFaults)},
    // The Caching page written back when the read cache is switched off.
    {Window::DeviceCache, "ModeSelectCaching", "15", 0, 0, Style::CacheSelect, "",
     {"Disabled", "Enabled", "Enabled", "Enabled", "Disabled", "Disabled"},
     kScsiFaults, std::size(kScsiFaults), " page 08", IDC_DEV_READ_CACHE, "",
     "The Disk Cache Utility is unable to change the  SCSI read cache settings  on this device."},
    // The recovery page written after the write cache is switched on (automatic write
    // reallocation follows it), once the user said yes to the question.
    {Window::DeviceCache, "ModeSelectRecovery", "15", 1, 2, Style::CacheSelect, "15 11 00 00 18 00 ",
     {"Enabled", "Enabled", "Enabled", "Enabled", "Enabled", "Enabled"},
     kScsiFaults, std::size(kScsiFaults), " page 01", IDC_DEV_WRITE_CACHE,
     "We have seen some MAXTOR drives (specifically the MXT-540/1240 series) cause system hangs, "
     "under heavy disk I/O, when write caching is enabled.  Are you sure you would like to "
     "enable SCSI write caching?",
     "The Disk Cache Utility is unable to change the  SCSI write cache settings on this device.", true},
    // The serial EEPROM block read when the BIOS configuration sheet opens: the Bus
    // Interface page's host SCSI ID, or no choices and every control disabled.
    {Window::Seldarn, "EepromRead", "", 0, 0, Style::EepromRead, "Velmora Halden HX42 Dual A",
     {"7", "none, disabled", "none, disabled", "none, disabled", "none, disabled", "none, disabled"},
     kEepromFaults.rows, std::size(kEepromFaults.rows)},
    // The card's other function, whose block is the same EEPROM's. (The older cards'
    // blocks are not read: their miniport has no EEPROM channel.)
    {Window::Seldarn, "EepromRead1", "", 1, 0, Style::EepromRead, "Velmora Halden HX42 Dual B",
     {"7", "none, disabled", "none, disabled", "none, disabled", "none, disabled", "none, disabled"},
     kEepromFaults.rows, std::size(kEepromFaults.rows)},
};

// ---- whole-manager faults, one cell each ----------------------------------------------

const char* const kCaption = "Velmora SCSI Explorer";
std::string box(const char* caption, const char* text) { return std::string(caption) + ": " + text; }

Fault managerFault(const char* name, const char* text, Scope scope) {
  return {name, text, scope, Release::None, Outcome::Refused, "", "", "", "", ""};
}

std::vector<Cell> managerCells() {
  const std::string noVrax = box(kCaption, "Unable to initialize VRAX for Windows!");
  const std::string noAdapters = box(kCaption,
      "No Velmora SCSI Host Adapter is detected in your computer.\nVelmora SCSI Explorer will exit now.");
  const std::string noPciFunction = box(kCaption,
      "The WinVRAX version on your computer does not support\nGetHAPCIConfigInfo() function.\n"
      "Please obtain an OEM version of WinVRAX.");
  const std::string fiveAdapters = "The computer has 5 logical SCSI host adapter(s). ";
  return {
      {Window::Explorer, "", 0, 0, "", managerFault("NoFault", "", Scope::Bus),
       {{}, true, fiveAdapters}, ""},
      {Window::About, "", 0, 0, "", managerFault("NoFault", "", Scope::Bus),
       {{}, true, "Version 6.0.0.0030"}, ""},
      {Window::AdapterGeneral, "", 0, 0, "", managerFault("NoFault", "", Scope::Bus),
       {{}, true, "KESTREL-U320 Velmora Halden HX42 Dual A"}, ""},
      {Window::AdapterPci, "", 0, 0, "", managerFault("NoFault", "", Scope::Bus),
       {{}, true, "28 rows"}, ""},
      // Adapters are counted but no list comes: the window has nothing to show and says so
      // instead of reading records that are not there.
      {Window::Explorer, "", 0, 0, "", managerFault("ManagerNotInitialised", "manager-status 00", Scope::Bus),
       {{noVrax, noAdapters}, false, ""}, ""},
      {Window::Explorer, "", 0, 0, "", managerFault("NoAdapters", "completion pending\n", Scope::WholeBus),
       {{noAdapters}, false, ""}, ""},
      // Once per adapter, as the list is built.
      {Window::Explorer, "", 0, 0, "", managerFault("MissingPciEntryPoint", "", Scope::Bus),
       {std::vector<std::string>(5, noPciFunction), true, fiveAdapters}, "managers\\no_pci"},
      {Window::AdapterPci, "", 0, 0, "", managerFault("MissingPciEntryPoint", "", Scope::Bus),
       {std::vector<std::string>(5, noPciFunction), true, "0 rows, disabled"}, "managers\\no_pci"},
      {Window::Explorer, "", 0, 0, "", managerFault("MissingSendEntryPoint", "", Scope::Bus),
       {{noAdapters}, false, ""}, "managers\\no_send"},
  };
}

const char* windowName(Window w) {
  switch (w) {
    case Window::Explorer: return "Explorer";
    case Window::DeviceList: return "DeviceList";
    case Window::About: return "About";
    case Window::DeviceGeneral: return "DeviceGeneral";
    case Window::DeviceFeatures: return "DeviceFeatures";
    case Window::DeviceDefects: return "DeviceDefects";
    case Window::DeviceMode: return "DeviceMode";
    case Window::DeviceCache: return "DeviceCache";
    case Window::AdapterGeneral: return "AdapterGeneral";
    case Window::AdapterPci: return "AdapterPci";
    case Window::Seldarn: return "Seldarn";
  }
  return "?";
}

// What a page request's failure report shows for the fault (see scsi/report.h).
std::vector<std::string> pageMessages(const Command& c, const Fault& f) {
  if (f.outcome == Outcome::Answered || f.outcome == Outcome::Short || f.outcome == Outcome::Empty)
    return {};
  const std::string text = f.text;
  if (text.find(" busy") != std::string::npos)
    return {box("SCSI Error", "The device is busy at this time.")};
  if (text.find(" aborted") != std::string::npos)
    return {box("SCSI Error",
                "The VRAX request sent was aborted due to unexpected timeout failure.  The "
                "selected SCSI device may be busy.")};
  if (text.find(" check 5 ") != std::string::npos)
    return {box("Corvath", "The command is not supported by the device.")};
  return {std::string("SCSI Command Failure: [") + c.cdbField + "] [" + f.adapterField + "] [" +
          f.targetField + "] [" + f.senseKeyField + "] [" + f.senseCodeField + "] [" +
          f.qualifierField + "]"};
}

// What the defect list page shows for the fault: its own three messages (with the suite's
// caption), else the failure report's dialog.
std::vector<std::string> defectMessages(const Command& c, const Fault& f) {
  if (f.outcome == Outcome::Answered || f.outcome == Outcome::Short || f.outcome == Outcome::Empty)
    return {};
  const std::string text = f.text;
  if (text.find(" busy") != std::string::npos)
    return {box(kCaption, "The device is busy at this time.")};
  if (text.find(" aborted") != std::string::npos)
    return {box(kCaption,
                "The VRAX request sent was aborted due to unexpected timeout failure.  The "
                "selected SCSI device may be busy.")};
  if (text.find(" check ") != std::string::npos)
    return {box(kCaption, "The defect list for this device cannot be read. ")};
  return {std::string("SCSI Command Failure: [") + c.cdbField + "] [" + f.adapterField + "] [" +
          f.targetField + "] [" + f.senseKeyField + "] [" + f.senseCodeField + "] [" +
          f.qualifierField + "]"};
}

std::vector<Cell> makeCells() {
  std::vector<Cell> out;
  for (const Command& c : kCommands) {
    for (size_t i = 0; i < c.faultCount; ++i) {
      const Fault& f = c.faults[i];
      Cell cell{c.window, c.name, c.adapter, c.target, c.opcode, f, {}, "", c.qualifier, c.flips};
      if (*f.ownMessage) cell.expected.messages.push_back(f.ownMessage);
      if (c.style == Style::CacheSelect) {
        if (*c.question) cell.expected.messages.push_back(box(kCaption, c.question));
        if (f.outcome != Outcome::Answered && f.outcome != Outcome::Short && f.outcome != Outcome::Empty) {
          if (c.reported) {
            for (const std::string& m : pageMessages(c, f)) cell.expected.messages.push_back(m);
          }
          // The page's own failure message carries the server's caption.
          cell.expected.messages.push_back(box("Corvath", c.failure));
        }
      }
      if (c.style == Style::PageRequest) {
        for (const std::string& m : pageMessages(c, f)) cell.expected.messages.push_back(m);
      }
      if (c.style == Style::DefectRead) {
        for (const std::string& m : defectMessages(c, f)) cell.expected.messages.push_back(m);
      }
      // The configured adapter's block that cannot be read is reported once.
      if (c.style == Style::EepromRead && f.outcome != Outcome::Answered) {
        cell.expected.messages.push_back(
            box(kCaption, (std::string("Error reading the serial EEPROM of \n") + c.cdbField + ".").c_str()));
      }
      cell.expected.shows = c.shows[static_cast<int>(f.outcome)];
      // An underrun on the way out still delivered the list, and a completion that came
      // too late still came from a device that took it: the device has the change.
      if (c.style == Style::CacheSelect &&
          (std::strcmp(f.name, "DataUnderrun") == 0 || std::strcmp(f.name, "LateAfterTheWait") == 0))
        cell.expected.shows = c.shows[static_cast<int>(Outcome::Answered)];
      out.push_back(cell);
    }
  }
  for (Cell& cell : managerCells()) {
    cell.name = "Opening";
    out.push_back(cell);
  }
  return out;
}

}  // namespace

const std::vector<Cell>& cells() {
  static const std::vector<Cell> all = makeCells();
  static const std::vector<Cell> mine = [] {
    char variant[MAX_PATH] = {};
    GetEnvironmentVariableA("ORV_FAULT_MANAGER", variant, sizeof variant);
    std::vector<Cell> out;
    for (const Cell& c : all)
      if (std::string(c.variant) == variant) out.push_back(c);
    return out;
  }();
  return mine;
}

std::string cellName(const Cell& cell) {
  return std::string(windowName(cell.window)) + "_" + cell.name + "_" + cell.fault.name;
}

std::string busWithFault(const std::string& bus, const Cell& cell) {
  std::string text = cell.fault.text;
  for (size_t at; (at = text.find("OP")) != std::string::npos;) text.replace(at, 2, cell.opcode);
  if (text.empty()) return bus;
  if (cell.fault.scope == Scope::Device) text += cell.qualifier;
  text += "\n";
  switch (cell.fault.scope) {
    case Scope::WholeBus:
      return text;
    case Scope::Bus:
      return text + bus;
    case Scope::Adapter:
    case Scope::Device: {
      size_t at = bus.find("\nadapter " + std::to_string(cell.adapter) + "\n");
      if (at == std::string::npos) return bus;
      at = bus.find('\n', at + 1) + 1;
      if (cell.fault.scope == Scope::Device) {
        at = bus.find("  device " + std::to_string(cell.target) + "\n", at);
        if (at == std::string::npos) return bus;
        at = bus.find('\n', at) + 1;
        text = "    " + text;
      } else {
        text = "  " + text;
      }
      return bus.substr(0, at) + text + bus.substr(at);
    }
  }
  return bus;
}

}  // namespace faultmatrix
