#include "simulator/simulator.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "scsi/bytes.h"
#include "simulator/bus_parser.h"

namespace sim {

namespace {

Device* findDevice(Bus& bus, uint8_t adapter, uint8_t target) {
  if (adapter >= bus.adapters.size()) return nullptr;
  for (Device& d : bus.adapters[adapter].devices) {
    if (d.target == target) return &d;
  }
  return nullptr;
}

// The mode page a MODE SENSE asks for, or the first one a MODE SELECT carries; -1 for
// other commands and lists too short to tell.
int requestPage(const scsi::ExecCommandBlock& block, const uint8_t* dataOut) {
  if (block.cdb[0] == kOpModeSense6) return block.cdb[2] & 0x3F;
  if (block.cdb[0] != kOpModeSelect6 || !dataOut) return kAnyPage;
  const size_t length =
      std::min(static_cast<size_t>(block.cdb[4]), static_cast<size_t>(block.dataLength));
  if (length < 4) return kAnyPage;
  const size_t page = 4 + static_cast<size_t>(dataOut[3]);
  return page < length ? dataOut[page] & 0x3F : kAnyPage;
}

Fault* takeFault(Device& d, uint8_t opcode, int page) {
  for (Fault& f : d.faults) {
    if (f.remaining == 0) continue;
    if (f.opcode != kAnyOpcode && f.opcode != opcode) continue;
    if (f.page != kAnyPage && f.page != page) continue;
    if (f.skip > 0) {
      --f.skip;
      continue;
    }
    if (f.remaining > 0) --f.remaining;
    return &f;
  }
  return nullptr;
}

CommandResult failure(uint8_t status, uint8_t adapterStatus = 0, uint8_t targetStatus = 0) {
  CommandResult r;
  r.status = status;
  r.adapterStatus = adapterStatus;
  r.targetStatus = targetStatus;
  return r;
}

void copyText(char* dst, const std::string& s) {
  std::memset(dst, 0, 16);
  std::memcpy(dst, s.data(), std::min<size_t>(s.size(), 16));
}

}  // namespace

bool Simulator::load(std::string_view text, std::string_view name) {
  ParseResult parsed = parseBus(text, name);
  if (!parsed.ok) {
    bus_.name = std::string(name);
    unload(parsed.error);
    return false;
  }
  bus_ = std::move(parsed.bus);
  initialised_ = true;
  error_.clear();
  return true;
}

void Simulator::unload(std::string_view reason) {
  std::string name = bus_.name;
  bus_ = Bus{};
  bus_.name = name;
  initialised_ = false;
  error_ = std::string(reason);
}

int Simulator::applyState(std::string_view text) {
  int ignored = 0;
  std::vector<Token> tokens;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    std::string err;
    if (!tokenizeLine(line, tokens, err)) {
      ++ignored;
      continue;
    }
    if (tokens.empty()) continue;
    std::vector<uint8_t> bytes;
    unsigned a = 0, t = 0, code = 0;
    char extra = 0;
    if (tokens.size() < 5 || tokens[0].text != "saved" ||
        std::sscanf(tokens[1].text.c_str(), "%u%c", &a, &extra) != 1 ||
        std::sscanf(tokens[2].text.c_str(), "%u%c", &t, &extra) != 1 ||
        std::sscanf(tokens[3].text.c_str(), "%x%c", &code, &extra) != 1 ||
        !parseByteList(tokens, 4, bytes, err) || a > 255 || t > 255) {
      ++ignored;
      continue;
    }
    Device* d = findDevice(bus_, static_cast<uint8_t>(a), static_cast<uint8_t>(t));
    ModePage* page = nullptr;
    if (d) {
      for (ModePage& p : d->pages) {
        if (p.code == code) page = &p;
      }
    }
    if (!page || bytes.size() != page->saved.size()) {
      ++ignored;
      continue;
    }
    // Only changeable bits come from the file; the rest stays as described.
    for (size_t i = 2; i < bytes.size(); ++i) {
      page->saved[i] = static_cast<uint8_t>((page->describedSaved[i] & ~page->changeable[i]) |
                                            (bytes[i] & page->changeable[i]));
    }
    page->current = page->saved;  // the device powers up with its saved values
  }
  return ignored;
}

std::string Simulator::stateText() const {
  std::string out;
  for (size_t a = 0; a < bus_.adapters.size(); ++a) {
    for (const Device& d : bus_.adapters[a].devices) {
      for (const ModePage& p : d.pages) {
        if (p.saved == p.describedSaved) continue;
        char head[40];
        std::snprintf(head, sizeof head, "saved %u %u %02X", static_cast<unsigned>(a),
                      static_cast<unsigned>(d.target), static_cast<unsigned>(p.code));
        out += head;
        for (uint8_t b : p.saved) {
          char hex[4];
          std::snprintf(hex, sizeof hex, " %02X", b);
          out += hex;
        }
        out += '\n';
      }
    }
  }
  if (!out.empty()) {
    out = "# Saved mode page values of the simulated bus (delete this file to forget them)\n" + out;
  }
  return out;
}

void Simulator::resetState() {
  for (Adapter& a : bus_.adapters) {
    for (Device& d : a.devices) resetSavedValues(d);
  }
}

uint32_t Simulator::supportInfo() const {
  if (!initialised_) return static_cast<uint32_t>(kManagerNotInitialised) << 8;
  return (static_cast<uint32_t>(bus_.managerStatus) << 8) |
         static_cast<uint32_t>(bus_.adapters.size() & 0xFF);
}

uint8_t Simulator::inquire(scsi::AdapterInquiryBlock& block) const {
  block.adapterCount = static_cast<uint8_t>(bus_.adapters.size());
  if (block.header.adapterNumber >= bus_.adapters.size()) {
    block.header.status = kStatusInvalidAdapter;
    return block.header.status;
  }
  const Adapter& a = bus_.adapters[block.header.adapterNumber];
  block.adapterScsiId = a.scsiId;
  copyText(block.managerId, a.managerId);
  copyText(block.adapterIdentifier, a.identifier);
  std::memcpy(block.adapterUnique, a.unique.data(), 16);
  block.header.status = scsi::kStatusDone;
  return block.header.status;
}

Answer Simulator::execute(const scsi::ExecCommandBlock& block, const uint8_t* dataOut) {
  Answer answer;
  const uint8_t adapterNumber = block.header.adapterNumber;
  if (adapterNumber >= bus_.adapters.size()) {
    answer.result = failure(kStatusInvalidAdapter);
    return answer;
  }
  if (block.cdbLength == 0 || block.cdbLength > 16 ||
      (block.dataLength > 0 && block.dataBuffer == 0)) {
    answer.result = failure(kStatusInvalidRequest);
    return answer;
  }
  Device* d = findDevice(bus_, adapterNumber, block.target);
  if (!d || block.lun != 0) {
    answer.result = failure(scsi::kStatusError, scsi::kHaSelectionTimeout);
    answer.timing = bus_.completion == Completion::Pending ? Timing::Pending : Timing::Immediate;
    return answer;
  }
  answer.timing = d->completion == Completion::Pending ? Timing::Pending : Timing::Immediate;
  const uint8_t opcode = block.cdb[0];
  const Fault* fault = takeFault(*d, opcode, requestPage(block, dataOut));
  if (fault) {
    switch (fault->kind) {
      case FaultKind::Busy:
        answer.result = failure(scsi::kStatusError, 0, scsi::kTargetBusy);
        return answer;
      case FaultKind::Check:
        answer.result = checkCondition(fault->senseKey, fault->asc, fault->ascq);
        return answer;
      case FaultKind::Aborted:
        answer.result = failure(scsi::kStatusAborted);
        return answer;
      case FaultKind::SelectionTimeout:
        answer.result = failure(scsi::kStatusError, scsi::kHaSelectionTimeout);
        return answer;
      case FaultKind::AdapterStatus:
        answer.result = failure(scsi::kStatusError, fault->adapterStatus);
        return answer;
      case FaultKind::Never:
        answer.result = failure(scsi::kStatusPending);
        answer.timing = Timing::Never;
        return answer;
      case FaultKind::Late:
        answer.timing = Timing::Late;
        break;
      case FaultKind::Delay:
        answer.timing = Timing::Pending;
        answer.delayMs = fault->delayMs;
        break;
      case FaultKind::Short:
      case FaultKind::Underrun:
        break;
    }
  }
  // A transfer against the command's own direction never gets through the bus phases.
  const uint8_t dir = block.header.flags & (scsi::kFlagDataIn | scsi::kFlagDataOut);
  const Direction want = directionOf(opcode);
  if ((want == Direction::In && dir == scsi::kFlagDataOut) ||
      (want == Direction::Out && dir == scsi::kFlagDataIn) ||
      dir == (scsi::kFlagDataIn | scsi::kFlagDataOut)) {
    answer.result = failure(scsi::kStatusError, scsi::kHaPhaseSequenceFailure);
    return answer;
  }
  answer.result = runCommand(*d, block.cdb, block.cdbLength,
                             want == Direction::Out ? dataOut : nullptr, block.dataLength);
  answer.stateChanged = answer.result.savedPages;
  // A device that stops sending early: only what it sent reaches the buffer. An answer
  // that already ends in a data underrun (a defect list shorter than the buffer) carries
  // data too and is cut the same way, keeping its underrun.
  const bool carriesData =
      answer.result.status == scsi::kStatusDone ||
      (answer.result.status == scsi::kStatusError && !answer.result.hasSense &&
       answer.result.adapterStatus == scsi::kHaDataOverUnderrun &&
       answer.result.targetStatus == scsi::kTargetGood);
  if (fault && (fault->kind == FaultKind::Short || fault->kind == FaultKind::Underrun) &&
      carriesData) {
    if (answer.result.dataIn.size() > fault->length) answer.result.dataIn.resize(fault->length);
    if (fault->kind == FaultKind::Underrun) {
      answer.result.status = scsi::kStatusError;
      answer.result.adapterStatus = scsi::kHaDataOverUnderrun;
    }
  }
  return answer;
}

bool Simulator::pciConfig(uint32_t adapterNumber, uint8_t* buffer, uint32_t length) const {
  adapterNumber &= 0xFF;
  if (!buffer || adapterNumber >= bus_.adapters.size()) return false;
  std::memcpy(buffer, bus_.adapters[adapterNumber].pci.data(),
              std::min<size_t>(length, kPciConfigSize));
  return true;
}

uint32_t ioAddressOf(const Adapter& a) {
  return a.hasIoAddress ? a.ioAddress : (scsi::le32(a.pci.data() + 0x10) & 0xFFFE);
}

int portFromDeviceName(std::string_view name) {
  constexpr std::string_view prefix = "\\\\.\\scsi";
  if (name.size() < prefix.size() + 2 || name.back() != ':') return -1;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char c = name[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return -1;
  }
  std::string_view digits = name.substr(prefix.size(), name.size() - prefix.size() - 1);
  if (digits.empty() || digits.size() > 3) return -1;
  int n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n;
}

}  // namespace sim
