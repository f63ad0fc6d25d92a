// What the benchmark programs share: the clock, the figures of several runs, the rows
// that bench/run gathers into its table, buses written for a benchmark, and the moment
// a window is painted.
//
// A row is one line on stdout, fields separated by tabs:
//   row  SECTION  WHAT  UNIT  MEDIAN  MIN  MAX  FLOOR  FLOOR-MEDIAN  RATIO  TARGET  TARGET-TEXT
// TARGET is the ratio not to exceed (0: none). Everything else a program prints goes
// to stderr.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace bench {

// Milliseconds on the performance counter.
double nowMs();

struct Figures {
  std::vector<double> runs;
  double median() const;
  double min() const;
  double max() const;
};

// Median of the ratios run by run: a and b measured in turn, so that a slow phase of a
// shared machine weighs on both alike.
double pairedRatio(const Figures& a, const Figures& b);

struct Row {
  std::string section;
  std::string what;
  std::string unit = "ms";
  Figures measured;
  std::string floor;       // what it is compared with
  Figures floorFigures;
  double ratio = 0;        // measured against the floor
  double target = 0;       // the ratio not to exceed; 0 for none
  std::string targetText;  // how the target reads in the table
};
void printRow(const Row& row);

// A and B in turn, `runs` counted times after one warm-up of each; each run answers its
// phases' figures (empty: the run failed, and so does the whole measurement).
using Session = std::function<std::vector<double>()>;
struct Alternated {
  std::vector<Figures> a, b;
  bool ok = false;
};
Alternated alternate(const Session& a, const Session& b, int runs);

// Why the program stops: printed, and the exit status 1.
[[noreturn]] void fail(const std::string& why);

// ---- Buses --------------------------------------------------------------------------
// An adapter of the newest family (EEPROM, miniport port, negotiated rates) as bus text:
// number, targets scanned (8 or 16), and the device lines that follow it.
std::string adapterText(int number, int targets);
// A disk at that target with the six mode pages of the Mode Parameters page, caching,
// and `defects` primary defects (0 to 1023).
std::string diskText(int target, int defects = 2);
// Loads the text into the simulated manager and publishes its ports; fails loudly.
void loadBus(const std::string& text, const char* name);

// ---- Windows --------------------------------------------------------------------------
// Times a modal window opened by `open` (which returns when the window is closed): the
// first figure runs from the call until the window is shown and painted and its thread
// has nothing left to do; each action then runs on the window, and its figure lasts until
// everything is painted again. After the last, `close` runs on the window. Empty when the
// window did not come up.
using WindowAction = std::function<void(HWND)>;
std::vector<double> timeModal(const std::function<void()>& open,
                              const std::vector<WindowAction>& actions, const WindowAction& close);
// Closing a property sheet (Cancel) and a dialog (IDCANCEL, then WM_CLOSE).
void cancelSheet(HWND sheet);
void cancelDialog(HWND dialog);

// Runs `work` and then this thread's messages until none is left (everything painted);
// the milliseconds from the start of `work`.
double timeUntilIdle(const std::function<void()>& work);

}  // namespace bench

namespace bench {

// Where a window's time goes, by message: while on, every message this thread sends or
// dispatches is timed (sent ones from the hook before the window procedure to the one
// after it, dispatched ones from their retrieval to the next), per window class and
// message, with the time spent in messages sent from inside it counted apart. Printed
// to stderr, dearest first.
void startMessageProfile();
void printMessageProfile(const char* title);

}  // namespace bench
