// The simulated buses of the window tests, built from the adapters and disks they share,
// so that a test writes out only what is special about its bus.
#pragma once

#include <windows.h>

#include <fstream>
#include <string>

namespace orvtest {

// An adapter of the wide family that the identification table knows, scanning 16 targets.
inline std::string wideAdapter(int number, const char* identifier = "KESTREL-UW") {
  return "adapter " + std::to_string(number) + "\n  identifier   \"" + identifier + "\"\n" +
         R"(  manager-id   "VRAX SIMULATOR"
  scsi-id      7
  unique       03 00 02 10 00 00 10 00 00 00 00 00 00 0E 00 81
  pci 00       5A 1D 21 5C 17 01 90 02 03 00 00 01 08 40 00 00
  pci 10       01 B8 00 00 00 E0 AF FE 00 00 00 00 00 00 00 00
  pci 20       00 00 00 00 00 00 00 00 00 00 00 00 5A 1D 60 21
  pci 30       00 00 00 00 00 00 00 00 00 00 00 00 09 01 08 08
)";
}

// A bus of one wide adapter (number 0) whose devices follow; `completion` is the bus's
// default answer, "immediate" or "pending".
inline std::string wideBus(const char* completion) {
  return std::string("completion ") + completion + "\n" + wideAdapter(0);
}

// A SCSI-2 disk of 512-byte blocks, firmware "0100"; vendor and product are blank-padded.
inline std::string disk(int target, std::string vendor, std::string product,
                        unsigned long blocks = 1000000) {
  vendor.resize(8, ' ');
  product.resize(16, ' ');
  return "  device " + std::to_string(target) + "\n    inquiry    00 00 02 02 1F 00 00 32 \"" +
         vendor + "\" \"" + product + "\" \"0100\"\n    capacity   " + std::to_string(blocks) +
         " 512\n";
}

// Two adapters on the older miniport whose devices cover the tree's images, a type 11
// device among them; the second adapter's identifier is given, its devices may follow.
inline std::string legacyPairBus(const char* secondIdentifier) {
  return R"(completion immediate
adapter 0
  identifier   "KESTREL-U160"
  manager-id   "VRAX SIMULATOR"
  scsi-id      7
  unique       03 00 02 00 00 00 10 00 00 00 00 00 02 04 00 81
  pci 00       5A 1D 31 5C 17 01 B0 02 02 00 00 01 08 40 00 00
  pci 10       01 C0 00 00 00 F0 AF FE 00 00 00 00 00 00 00 00
  pci 20       00 00 00 00 00 00 00 00 00 00 00 00 5A 1D 10 31
  pci 30       00 00 00 00 DC 00 00 00 00 00 00 00 05 01 28 19
  pci DC       01 00 02 06 00 00 00 00
  port 2 kslegacy
  device 0
    inquiry    00 00 03 02 1F 00 00 32 "QUORIX  " "QX-18LVD        " "0911"
    capacity   35843670 512
  device 2
    inquiry    0B 00 02 02 1F 00 00 00 "ARVELL  " "STORAGE BRIDGE  " "1.10"
  device 3
    inquiry    05 80 02 02 1F 00 00 10 "BRANWICK" "CDR-48S         " "1.20"
  device 5
    inquiry    01 80 02 02 1F 00 00 30 "TESSELL " "TDL-80          " "2.10"
)" + wideAdapter(1, secondIdentifier) +
         R"(  port 3 kslegacy
  device 1
    inquiry    06 00 02 02 1F 00 00 00 "MIRLOW  " "FLATSCAN 1200   " "1.02"
  device 6
    inquiry    03 00 02 02 1F 00 00 00 "ARVELL  " "ENCLOSURE SEP   " "1.10"
  device 9
    inquiry    08 80 02 02 1F 00 00 30 "TESSELL " "TLA-8 LOADER    " "3.00"
)";
}

// Writes the bus to a file of the temporary folder, `{pid}` in its name standing for the
// process id, and serves it without saved state; the simulated manager reads it when it
// is first used in this process. Answers the file's path, empty when it was not written.
inline std::string serveBus(const std::string& text, std::string name) {
  const size_t pid = name.find("{pid}");
  if (pid != std::string::npos) name.replace(pid, 5, std::to_string(GetCurrentProcessId()));
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  const std::string path = folder + name;
  {
    std::ofstream file(path, std::ios::binary);
    if (!(file << text).flush()) return std::string();
  }
  SetEnvironmentVariableA("VRAX_SIM_BUS", path.c_str());
  SetEnvironmentVariableA("VRAX_SIM_STATE", "none");
  return path;
}

}  // namespace orvtest
