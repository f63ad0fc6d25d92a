// The fault matrix's table: which window sends which command, each fault kind the
// simulated manager injects, and from the two what the user must be shown. A new
// window or page is one row of windows, a new command one row of commands.
#pragma once

#include <string>
#include <vector>

namespace faultmatrix {

enum class Window {
  Explorer, DeviceList, About, DeviceGeneral, DeviceFeatures, DeviceDefects, DeviceMode,
  DeviceCache, AdapterGeneral, AdapterPci, Seldarn,
};

// Where the fault's bus text goes: into the device's section, the adapter's, before the
// first adapter, or instead of the whole bus.
enum class Scope { Device, Adapter, Bus, WholeBus };

// When a "late" request is completed: not at all by the cell, by another thread while
// the window waits for it, or after the window gave up waiting.
enum class Release { None, WhileWaited, AfterWait };

// How the request ends as the window sees it.
enum class Outcome {
  Answered,    // good status with the whole answer
  Refused,     // a failure status, reported through the completion
  Absent,      // selection time-out: nobody at that target
  Unanswered,  // no completion within the wait
  Short,       // good status, part of the answer
  Empty,       // good status, no answer at all
};

struct Fault {
  const char* name;  // part of the cell's test name
  const char* text;  // bus text; "OP" stands for the command's opcode
  Scope scope;
  Release release;
  Outcome outcome;
  // The failure dialog's host adapter, target status and sense key fields for the
  // faults a page request reports with it ("" when another message or none is shown).
  const char* adapterField;
  const char* targetField;
  const char* senseKeyField;
  const char* senseCodeField;
  const char* qualifierField;
  // A message the failing layer itself shows whatever the window does ("caption: text").
  const char* ownMessage = "";
};

struct Expected {
  std::vector<std::string> messages;  // "caption: text" of each message, in order
  bool windowShown = true;
  std::string shows;  // the window's checked control once it is up
};

struct Cell {
  Window window;
  std::string name;  // window_command_fault
  int adapter;       // where the command goes (manager numbering)
  int target;
  std::string opcode;
  Fault fault;
  Expected expected;
  const char* variant;  // manager variant folder the cell needs, "" for the usual one
  // Added to a device fault's text: which of the command's requests it hits
  // (" page 08 after 1": the second request about page 08).
  std::string qualifier = "";
  // The cache switch (a control id) the user flips and applies before the window is read;
  // 0 for none.
  int flips = 0;
};

// The cells of the manager variant this process runs with (ORV_FAULT_MANAGER).
const std::vector<Cell>& cells();
std::string cellName(const Cell& cell);
// The default bus with the cell's fault put in its place.
std::string busWithFault(const std::string& bus, const Cell& cell);

}  // namespace faultmatrix
