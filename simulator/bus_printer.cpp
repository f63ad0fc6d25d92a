// Writes a bus back as a description: every value spelled out, so that reading the text
// gives the same bus.
#include <cstdio>

#include "simulator/bus_parser.h"
#include "simulator/bus_text.h"

namespace sim {

namespace {

template <class Bytes>
std::string byteList(const Bytes& bytes) {
  std::string out;
  for (uint8_t b : bytes) {
    out += ' ';
    out += hexByte(b);
  }
  return out;
}

std::string quotedText(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

const char* completionWord(Completion c) { return c == Completion::Pending ? "pending" : "immediate"; }

std::string timesText(int remaining) {
  return remaining == kEveryTime ? std::string() : " times " + std::to_string(remaining);
}

std::string defectList(const char* key, const std::vector<Defect>& list) {
  if (list.empty()) return std::string();
  std::string out = std::string("    ") + key;
  for (const Defect& d : list)
    out += " " + std::to_string(d.cylinder) + "/" + std::to_string(d.head) + "/" + std::to_string(d.sector);
  return out + "\n";
}

std::string faultText(const Fault& f) {
  std::string out = "    fault ";
  out += f.opcode == kAnyOpcode ? std::string("*") : hexByte(static_cast<unsigned>(f.opcode));
  switch (f.kind) {
    case FaultKind::Busy: out += " busy"; break;
    case FaultKind::Check:
      out += " check " + hexByte(f.senseKey) + " " + hexByte(f.asc) + " " + hexByte(f.ascq);
      break;
    case FaultKind::Aborted: out += " aborted"; break;
    case FaultKind::SelectionTimeout: out += " timeout"; break;
    case FaultKind::AdapterStatus: out += " adapter " + hexByte(f.adapterStatus); break;
    case FaultKind::Never: out += " never"; break;
    case FaultKind::Late: out += " late"; break;
    case FaultKind::Delay: out += " delay " + std::to_string(f.delayMs); break;
    case FaultKind::Short: out += " short " + std::to_string(f.length); break;
    case FaultKind::Underrun: out += " underrun " + std::to_string(f.length); break;
  }
  if (f.page != kAnyPage) out += " page " + hexByte(static_cast<unsigned>(f.page));
  if (f.skip > 0) out += " after " + std::to_string(f.skip);
  return out + timesText(f.remaining) + "\n";
}

}  // namespace

std::string printBus(const Bus& bus) {
  std::string out = "manager-status " + hexByte(bus.managerStatus) + "\n";
  out += std::string("completion ") + completionWord(bus.completion) + "\n";
  out += std::string("devicemap ") + (bus.deviceMap ? "on" : "off") + "\n";
  for (size_t n = 0; n < bus.adapters.size(); ++n) {
    const Adapter& a = bus.adapters[n];
    out += "adapter " + std::to_string(n) + "\n";
    out += "  identifier " + quotedText(a.identifier) + "\n";
    out += "  manager-id " + quotedText(a.managerId) + "\n";
    out += "  scsi-id " + std::to_string(a.scsiId) + "\n";
    out += "  unique" + byteList(a.unique) + "\n";
    out += "  pci 00" + byteList(a.pci) + "\n";
    out += "  eeprom 00" + byteList(a.eeprom) + "\n";
    if (a.eepromSharedWith >= 0) out += "  eeprom-shared " + std::to_string(a.eepromSharedWith) + "\n";
    if (a.port >= 0) {
      out += "  port " + std::to_string(a.port) + " " + quotedText(a.portDriver);
      if (a.hasIoAddress) {
        char io[16];
        std::snprintf(io, sizeof io, " %08X", static_cast<unsigned>(a.ioAddress));
        out += io;
      }
      out += "\n";
    }
    for (const PortFault& f : a.portFaults) {
      const char* kind = f.kind == PortFaultKind::Open ? "open" : f.kind == PortFaultKind::Call ? "call" : "status";
      out += std::string("  port-fault ") + kind + timesText(f.remaining) + "\n";
    }
    for (const Device& d : a.devices) {
      out += "  device " + std::to_string(d.target) + "\n";
      out += "    inquiry" + byteList(d.inquiry) + "\n";
      if (d.hasCapacity)
        out += "    capacity " + std::to_string(d.blocks) + " " + std::to_string(d.blockLength) + "\n";
      for (const ModePage& p : d.pages) {
        const std::string code = hexByte(p.code);
        out += "    page " + code + " current" + byteList(p.current) + "\n";
        out += "    page " + code + " changeable" + byteList(p.changeable) + "\n";
        out += "    page " + code + " default" + byteList(p.defaults) + "\n";
        out += "    page " + code + " saved" + byteList(p.saved) + "\n";
      }
      out += defectList("plist", d.primary);
      out += defectList("glist", d.grown);
      if (d.primaryLength >= 0) out += "    plist-length " + std::to_string(d.primaryLength) + "\n";
      if (d.grownLength >= 0) out += "    glist-length " + std::to_string(d.grownLength) + "\n";
      if (d.rate.offset == 0) {
        out += "    rate async\n";
      } else {
        out += "    rate " + std::to_string(d.rate.tenthsMBps) + (d.rate.doubled ? " x2" : "") + "\n";
      }
      out += std::string("    block-descriptors ") + (d.blockDescriptors ? "on" : "off") + "\n";
      out += std::string("    missing-page ") + (d.emptyForMissingPage ? "empty" : "check") + "\n";
      if (d.hasCompletion) out += std::string("    completion ") + completionWord(d.completion) + "\n";
      for (const Fault& f : d.faults) out += faultText(f);
      for (const SelectQuirk& q : d.selectQuirks) {
        out += std::string("    ") + (q.kind == SelectQuirk::Refuse ? "select-refuse " : "select-ignore ") +
               hexByte(q.page) + " " + hexByte(q.byte) + " " + hexByte(q.mask) + "\n";
      }
    }
  }
  return out;
}

}  // namespace sim
