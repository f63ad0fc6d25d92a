#include "simulator/device.h"

#include <algorithm>

#include "scsi/bytes.h"
#include "scsi/records.h"

namespace sim {

namespace {

// Hands `data` to the initiator: at most `allocation` bytes, and when that is more
// than the buffer holds, the buffer's worth with a data overrun.
CommandResult deliver(const std::vector<uint8_t>& data, size_t allocation, uint32_t bufferLength) {
  CommandResult r;
  size_t n = std::min(data.size(), allocation);
  if (n > bufferLength) {
    r.status = scsi::kStatusError;
    r.adapterStatus = scsi::kHaDataOverUnderrun;
    n = bufferLength;
  }
  r.dataIn.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n));
  return r;
}

size_t cdbLengthOf(uint8_t opcode) {
  switch (opcode >> 5) {
    case 0: return 6;
    case 1: case 2: return 10;
    case 4: return 16;
    case 5: return 12;
    default: return 6;
  }
}

const std::vector<uint8_t>& version(const ModePage& p, int pageControl) {
  switch (pageControl) {
    case 1: return p.changeable;
    case 2: return p.defaults;
    case 3: return p.saved;
    default: return p.current;
  }
}

uint32_t reportedBlocks(const Device& d) {
  return d.hasCapacity ? static_cast<uint32_t>(std::min<uint64_t>(d.blocks, 0xFFFFFF)) : 0;
}

CommandResult inquiry(const Device& d, const uint8_t* cdb, uint32_t bufferLength) {
  if ((cdb[1] & 0x01) || cdb[2] != 0) {
    return checkCondition(kKeyIllegalRequest, kAscInvalidFieldInCdb, 0);
  }
  return deliver(d.inquiry, cdb[4], bufferLength);
}

CommandResult readCapacity(const Device& d, uint32_t bufferLength) {
  if (!d.hasCapacity) return checkCondition(kKeyIllegalRequest, kAscInvalidOpcode, 0);
  std::vector<uint8_t> data(8);
  scsi::putBe32(data.data(), static_cast<uint32_t>(std::min<uint64_t>(d.blocks - 1, 0xFFFFFFFF)));
  scsi::putBe32(data.data() + 4, d.blockLength);
  return deliver(data, data.size(), bufferLength);
}

// The whole 64-bit block address, for disks that READ CAPACITY(10) answers FFFFFFFFh for.
CommandResult readCapacity16(const Device& d, const uint8_t* cdb, uint32_t bufferLength) {
  if ((cdb[1] & 0x1F) != kSaReadCapacity16) return checkCondition(kKeyIllegalRequest, kAscInvalidFieldInCdb, 0);
  if (!d.hasCapacity) return checkCondition(kKeyIllegalRequest, kAscInvalidOpcode, 0);
  std::vector<uint8_t> data(32);
  scsi::putBe32(data.data(), static_cast<uint32_t>((d.blocks - 1) >> 32));
  scsi::putBe32(data.data() + 4, static_cast<uint32_t>(d.blocks - 1));
  scsi::putBe32(data.data() + 8, d.blockLength);
  return deliver(data, scsi::be32(cdb + 10), bufferLength);
}

CommandResult modeSense(const Device& d, const uint8_t* cdb, uint32_t bufferLength) {
  if (cdb[3] != 0) return checkCondition(kKeyIllegalRequest, kAscInvalidFieldInCdb, 0);
  // A device without block descriptors answers as if DBD were always set.
  const bool dbd = (cdb[1] & 0x08) != 0 || !d.blockDescriptors;
  std::vector<uint8_t> data = modeSenseData(d, cdb[2] & 0x3F, cdb[2] >> 6, dbd);
  if (data.empty()) {
    if (!d.emptyForMissingPage) return checkCondition(kKeyIllegalRequest, kAscInvalidFieldInCdb, 0);
    data = modeSenseData(d, 0x3F, 0, dbd);  // the header and descriptor alone
    data.resize(4 + data[3]);
    data[0] = static_cast<uint8_t>(data.size() - 1);
  }
  return deliver(data, cdb[4], bufferLength);
}

CommandResult modeSelect(Device& d, const uint8_t* cdb, const uint8_t* list, uint32_t bufferLength) {
  const bool pageFormat = (cdb[1] & 0x10) != 0;
  const bool savePages = (cdb[1] & 0x01) != 0;
  const uint32_t length = cdb[4];
  if (length == 0) return CommandResult{};
  if (!pageFormat) return checkCondition(kKeyIllegalRequest, kAscInvalidFieldInCdb, 0);
  if (length > bufferLength || !list) {
    // The device asks for more than the initiator offers.
    CommandResult r;
    r.status = scsi::kStatusError;
    r.adapterStatus = scsi::kHaDataOverUnderrun;
    return r;
  }
  const CommandResult badList = checkCondition(kKeyIllegalRequest, kAscInvalidFieldInList, 0);
  const CommandResult badLength = checkCondition(kKeyIllegalRequest, kAscParameterListLength, 0);
  if (length < 4) return badLength;
  if (list[0] != 0) return badList;  // mode data length is reserved here
  const uint32_t descriptorLength = list[3];
  if (descriptorLength != 0 && descriptorLength != 8) return badList;
  if (4 + descriptorLength > length) return badLength;
  if (descriptorLength == 8) {
    const uint8_t* bd = list + 4;
    uint32_t blocks = scsi::be24(bd + 1);
    uint32_t blockLength = scsi::be24(bd + 5);
    uint32_t ownLength = d.hasCapacity ? d.blockLength : 0;
    if (bd[0] != 0 || (blocks != 0 && blocks != reportedBlocks(d)) || bd[4] != 0 ||
        (blockLength != 0 && blockLength != ownLength)) {
      return badList;
    }
  }
  // Check every page before changing any.
  struct Change {
    ModePage* page;
    const uint8_t* bytes;
  };
  std::vector<Change> changes;
  for (uint32_t off = 4 + descriptorLength; off < length;) {
    if (off + 2 > length) return badLength;
    const uint8_t* p = list + off;
    if (p[0] & 0xC0) return badList;  // PS is reserved here; no subpages
    ModePage* page = nullptr;
    for (ModePage& candidate : d.pages) {
      if (candidate.code == (p[0] & 0x3F)) page = &candidate;
    }
    if (off + 2 + p[1] > length) return badLength;
    if (!page || page->current.size() != static_cast<size_t>(p[1]) + 2) return badList;
    for (size_t i = 2; i < page->current.size(); ++i) {
      if ((p[i] ^ page->current[i]) & ~page->changeable[i]) return badList;
    }
    for (const SelectQuirk& q : d.selectQuirks) {
      if (q.kind == SelectQuirk::Refuse && q.page == page->code && q.byte < page->current.size() &&
          (p[q.byte] & q.mask)) {
        return badList;
      }
    }
    changes.push_back({page, p});
    off += 2 + p[1];
  }
  CommandResult r;
  for (const Change& c : changes) {
    std::vector<uint8_t>& cur = c.page->current;
    for (size_t i = 2; i < cur.size(); ++i) {
      uint8_t takes = c.page->changeable[i];
      for (const SelectQuirk& q : d.selectQuirks) {
        if (q.kind == SelectQuirk::Ignore && q.page == c.page->code && q.byte == i) takes &= ~q.mask;
      }
      cur[i] = static_cast<uint8_t>((cur[i] & ~takes) | (c.bytes[i] & takes));
    }
    if (savePages) {
      c.page->saved = cur;
      r.savedPages = true;
    }
  }
  return r;
}

CommandResult readDefectData(const Device& d, const uint8_t* cdb, uint32_t bufferLength) {
  if ((cdb[2] & 0x07) != 0x05) return checkCondition(kKeyIllegalRequest, kAscInvalidFieldInCdb, 0);
  std::vector<uint8_t> data = defectData(d, (cdb[2] & 0x10) != 0, (cdb[2] & 0x08) != 0);
  CommandResult r = deliver(data, scsi::be16(cdb + 7), bufferLength);
  if (r.status == scsi::kStatusDone && r.dataIn.size() < bufferLength) {
    // A list shorter than the buffer: the adapter reports the underrun.
    r.status = scsi::kStatusError;
    r.adapterStatus = scsi::kHaDataOverUnderrun;
  }
  return r;
}

}  // namespace

Direction directionOf(uint8_t opcode) {
  switch (opcode) {
    case kOpInquiry:
    case kOpModeSense6:
    case kOpReadCapacity10:
    case kOpReadDefectData10:
    case kOpServiceActionIn16:
      return Direction::In;
    case kOpModeSelect6:
      return Direction::Out;
    default:
      return Direction::None;
  }
}

CommandResult checkCondition(uint8_t key, uint8_t asc, uint8_t ascq) {
  CommandResult r;
  r.status = scsi::kStatusError;
  r.targetStatus = scsi::kTargetCheckCondition;
  r.hasSense = true;
  r.sense[0] = 0x70;  // current error, fixed format
  r.sense[2] = key;
  r.sense[7] = kSenseSize - 8;
  r.sense[12] = asc;
  r.sense[13] = ascq;
  return r;
}

CommandResult runCommand(Device& d, const uint8_t* cdb, size_t cdbLength, const uint8_t* dataOut,
                         uint32_t bufferLength) {
  const uint8_t op = cdb[0];
  if (directionOf(op) == Direction::None) {
    return checkCondition(kKeyIllegalRequest, kAscInvalidOpcode, 0);
  }
  if (cdbLength < cdbLengthOf(op)) return checkCondition(kKeyIllegalRequest, kAscInvalidFieldInCdb, 0);
  if (cdb[1] & 0xE0) return checkCondition(kKeyIllegalRequest, kAscLunNotSupported, 0);
  switch (op) {
    case kOpInquiry: return inquiry(d, cdb, bufferLength);
    case kOpReadCapacity10: return readCapacity(d, bufferLength);
    case kOpServiceActionIn16: return readCapacity16(d, cdb, bufferLength);
    case kOpModeSense6: return modeSense(d, cdb, bufferLength);
    case kOpModeSelect6: return modeSelect(d, cdb, dataOut, bufferLength);
    default: return readDefectData(d, cdb, bufferLength);
  }
}

std::vector<uint8_t> modeSenseData(const Device& d, uint8_t pageCode, int pageControl, bool dbd) {
  std::vector<uint8_t> data(4, 0);
  if (!dbd) {
    data[3] = 8;
    uint8_t bd[8] = {};
    scsi::putBe24(bd + 1, reportedBlocks(d));
    scsi::putBe24(bd + 5, d.hasCapacity ? d.blockLength : 0);
    data.insert(data.end(), bd, bd + 8);
  }
  bool any = false;
  for (const ModePage& p : d.pages) {
    if (pageCode != 0x3F && p.code != pageCode) continue;
    const std::vector<uint8_t>& v = version(p, pageControl);
    size_t at = data.size();
    data.insert(data.end(), v.begin(), v.end());
    data[at] = static_cast<uint8_t>(p.code | 0x80);  // every page can be saved
    any = true;
  }
  if (!any && pageCode != 0x3F) return {};
  data.resize(std::min<size_t>(data.size(), 256));
  data[0] = static_cast<uint8_t>(data.size() - 1);
  return data;
}

std::vector<uint8_t> defectData(const Device& d, bool primary, bool grown) {
  std::vector<Defect> entries;
  if (primary) entries.insert(entries.end(), d.primary.begin(), d.primary.end());
  if (grown) entries.insert(entries.end(), d.grown.begin(), d.grown.end());
  entries.resize(std::min(entries.size(), kMaxDefects));
  std::vector<uint8_t> data(4 + entries.size() * 8);
  data[1] = static_cast<uint8_t>((primary ? 0x10 : 0) | (grown ? 0x08 : 0) | 0x05);
  int length = static_cast<int>(entries.size() * 8);
  if (primary != grown) {
    const int claimed = primary ? d.primaryLength : d.grownLength;
    if (claimed >= 0) length = claimed;
  }
  scsi::putBe16(data.data() + 2, static_cast<uint16_t>(length));
  uint8_t* p = data.data() + 4;
  for (const Defect& e : entries) {
    scsi::putBe24(p, e.cylinder);
    p[3] = e.head;
    scsi::putBe32(p + 4, e.sector);
    p += 8;
  }
  return data;
}

void resetSavedValues(Device& d) {
  for (ModePage& p : d.pages) {
    p.saved = p.describedSaved;
    p.current = p.describedCurrent;
  }
}

}  // namespace sim
