#include "biosconfig/config_logic.h"

#include <iterator>

namespace bios {
namespace {

template <typename T, size_t N>
constexpr size_t countOf(const T (&)[N]) {
  return N;
}

const TerminationScheme* schemeFor(const TerminationScheme* schemes, size_t count,
                                   uint32_t choices) {
  for (size_t i = 0; i < count; ++i)
    if (schemes[i].choices == choices) return &schemes[i];
  return nullptr;
}

TerminationCombo comboFor(const TerminationScheme* schemes, size_t count, uint32_t choices) {
  TerminationCombo combo;
  combo.items = terminationItems(choices);
  combo.scheme = schemeFor(schemes, count, choices);
  return combo;
}

const RateList* rateListFor(unsigned family, bool wide) {
  for (const RateList& list : kRateLists)
    if (list.family == family && list.wide == wide) return &list;
  return nullptr;
}

const FamilyRates* familyRates(unsigned family) {
  for (const FamilyRates& rates : kFamilyRates)
    if (rates.family == family) return &rates;
  return nullptr;
}

const PeriodRow* periodRow(uint16_t word) {
  const uint8_t factor = static_cast<uint8_t>(word & kPeriodFactorMask);
  for (const PeriodRow& row : kPeriodRows)
    if (row.factor == factor) return &row;
  return nullptr;
}

// Families 1-3: the text of a synchronous word's rate; null for a code the family's table
// does not have.
const char* rateText(unsigned family, uint16_t word) {
  const FamilyRates* rates = familyRates(family);
  if (!rates) return nullptr;
  const uint8_t code = rateCode(word) & rates->codeMask;
  const bool wide = isWide(family, word);
  for (size_t i = 0; i < rates->textCount; ++i)
    if (rates->texts[i].code == code) return wide ? rates->texts[i].wide : rates->texts[i].narrow;
  return nullptr;
}

void markBoot(HostAdapterInfo& adapter, uint8_t keepMask, uint8_t value) {
  EepromConfig& own = configBlock(adapter);
  own.bootByte = static_cast<uint8_t>((own.bootByte & keepMask) | value);
  if (!hasBios300OrLater(own)) return;
  for (int j = 0; j < labelCount(adapter); ++j) {
    HostAdapterInfo* other = labelAdapter(adapter, j);
    if (!other) continue;
    EepromConfig& block = configBlock(*other);
    if (!hasBios300OrLater(block)) continue;
    block.bootByte = static_cast<uint8_t>((block.bootByte & keepMask) | value);
    recomputeChecksum(block);
  }
}

}  // namespace

unsigned familyOf(const HostAdapterInfo& adapter) { return adapter.model.familyLevel; }

bool isFamily4(unsigned family) { return family == kNewestFamily; }

// ---- Bus Interface ----

int hostIdItemCount(const HostAdapterInfo& adapter) { return adapter.maxTargets > 8 ? 16 : 8; }

int hostIdIndex(const HostAdapterInfo& adapter) {
  const int id = configBlock(adapter).hostIdByte & 0x0F;
  return id < hostIdItemCount(adapter) ? id : -1;
}

void writeHostId(EepromConfig& block, int index) {
  block.hostIdByte = static_cast<uint8_t>((block.hostIdByte & 0xF0) | (index & 0x0F));
}

bool parityChecked(const EepromConfig& block, unsigned family) {
  return isFamily4(family) ? (block.biosControl & kBiosParity4) != 0
                           : (block.adapterControl & kAdapterParity13) != 0;
}

void writeParity(EepromConfig& block, unsigned family, bool on) {
  if (isFamily4(family))
    block.biosControl = withBit(block.biosControl, kBiosParity4, on);
  else
    block.adapterControl = withBit(block.adapterControl, kAdapterParity13, on);
}

std::vector<unsigned> terminationItems(uint32_t choices) {
  if (choices == 3) return {std::begin(kThreeChoiceItems), std::end(kThreeChoiceItems)};
  if (choices == 5) return {std::begin(kFiveChoiceItems), std::end(kFiveChoiceItems)};
  return {};
}

TerminationLayout terminationLayout(const HostAdapterInfo& adapter) {
  const inv::AdapterModel& model = adapter.model;
  const bool family4 = isFamily4(model.familyLevel);
  const TerminationScheme* lvd = family4 ? kLvdSchemes4 : kLvdSchemes13;
  const size_t lvdCount = family4 ? countOf(kLvdSchemes4) : countOf(kLvdSchemes13);
  TerminationLayout layout;
  if (model.connectorLayout != 1) {
    // One connector: channel B's termination is the SE connector's, read and written
    // with the SE encoding so that a choice reads back as made.
    if (adapter.pciFunction != 0)
      layout.lvd = comboFor(kSeSchemes, countOf(kSeSchemes), model.seTerminationChoices);
    else
      layout.lvd = comboFor(lvd, lvdCount, model.lvdTerminationChoices);
    return layout;
  }
  layout.unsupported = model.channelCount != 1;
  layout.lvd = comboFor(lvd, lvdCount, model.lvdTerminationChoices);
  layout.seShown = true;
  layout.se = comboFor(kSeSchemes, countOf(kSeSchemes), model.seTerminationChoices);
  return layout;
}

int readTermination(const TerminationCombo& combo, uint16_t adapterControl) {
  const TerminationScheme* s = combo.scheme;
  if (!s) return 0;
  const uint16_t bits = adapterControl & s->mask;
  for (size_t i = 0; i < s->readCount; ++i)
    if (s->reads[i].bits == bits) return s->reads[i].index;
  return 0;
}

uint16_t writeTermination(const TerminationCombo& combo, uint16_t adapterControl, int index) {
  const TerminationScheme* s = combo.scheme;
  if (!s || index < 0 || static_cast<size_t>(index) >= s->writeCount) return adapterControl;
  return static_cast<uint16_t>((adapterControl & ~s->mask) | s->writes[index]);
}

// ---- Boot Device ----

int bootTargetItemCount(const HostAdapterInfo& adapter) { return adapter.maxTargets != 8 ? 16 : 8; }

int bootTargetIndex(const HostAdapterInfo& adapter) {
  const int target = configBlock(adapter).bootByte >> 4;
  return target < bootTargetItemCount(adapter) ? target : -1;
}

int bootLunIndex(const HostAdapterInfo& adapter) {
  const int lun = configBlock(adapter).bootByte & 0x0F;
  return lun < kBootLunItems ? lun : -1;
}

BootMode bootMode(const EepromConfig& block) {
  if (hasNewestLayout(block)) return BootMode::NewestLayout;
  if (hasBios3x(block)) return BootMode::Bios3x;
  return BootMode::Older;
}

std::vector<int> qualifyingLabels(const HostAdapterInfo& adapter) {
  std::vector<int> labels;
  for (int j = 0; j < labelCount(adapter); ++j) {
    const HostAdapterInfo* a = labelAdapter(adapter, j);
    if (a && qualifiesForCardChoice(configBlock(*a))) labels.push_back(j);
  }
  return labels;
}

int cardIndex(const HostAdapterInfo& adapter, uint8_t bit) {
  int seen = 0;
  for (int j : qualifyingLabels(adapter)) {
    if (cardFlags(*labelAdapter(adapter, j)) & bit) return seen;
    ++seen;
  }
  return 0;
}

void markCard(const HostAdapterInfo& adapter, uint8_t bit, int index) {
  int number = 0;
  for (int j = 0; j < labelCount(adapter); ++j) {
    HostAdapterInfo* a = labelAdapter(adapter, j);
    if (!a) continue;
    const bool qualifies = qualifiesForCardChoice(configBlock(*a));
    uint8_t& flags = cardFlags(*a);
    if (qualifies && number == index)
      flags = static_cast<uint8_t>(flags | bit);
    else
      flags = static_cast<uint8_t>(flags & ~bit);
    if (qualifies) ++number;
  }
}

void writeBootTarget(HostAdapterInfo& adapter, int index) {
  if (index < 0 || index >= bootTargetItemCount(adapter)) return;
  markBoot(adapter, 0x0F, static_cast<uint8_t>((index & 0x0F) << 4));
}

void writeBootLun(HostAdapterInfo& adapter, int index) {
  if (index < 0 || index >= kBootLunItems) return;
  markBoot(adapter, 0xF0, static_cast<uint8_t>(index & 0x0F));
}

// ---- Device Config ----

int deviceItemCount(const HostAdapterInfo& adapter) {
  return adapter.maxTargets < kTargetWords ? adapter.maxTargets : static_cast<int>(kTargetWords);
}

const inv::DeviceInfo* deviceAt(const HostAdapterInfo& adapter, int target) {
  const int count = adapter.deviceCount < inv::kMaxDevices ? adapter.deviceCount : inv::kMaxDevices;
  for (int i = 0; i < count; ++i)
    if (adapter.devices[i].target == target) return &adapter.devices[i];
  return nullptr;
}

const DeviceBits& deviceBits(unsigned family) {
  return isFamily4(family) ? kDeviceBits4 : kDeviceBits13;
}

bool isWide(unsigned family, uint16_t word) { return (word & deviceBits(family).wide) != 0; }

std::vector<std::string> rateItems(unsigned family, bool wide) {
  std::vector<std::string> items;
  if (const RateList* list = rateListFor(family, wide))
    items.assign(list->items, list->items + list->count);
  items.push_back(kAsyncText);
  return items;
}

uint8_t rateCode(uint16_t word) {
  return static_cast<uint8_t>((word & kRateCodeLowMask) | ((word & kRateCodeBit3) ? 8 : 0) |
                              ((word & kRateCodeBit4) ? 16 : 0));
}

uint16_t withRateCode(uint16_t word, uint8_t code) {
  uint16_t w = static_cast<uint16_t>(word & ~(kRateCodeLowMask | kRateCodeBit3 | kRateCodeBit4));
  w |= kSyncBit | (code & kRateCodeLowMask);
  if (code & 8) w |= kRateCodeBit3;
  if (code & 16) w |= kRateCodeBit4;
  return w;
}

int rateIndex(unsigned family, uint16_t word) {
  const bool wide = isWide(family, word);
  if (isFamily4(family)) {
    const PeriodRow* row = periodRow(word);
    if (!row) return -1;
    return wide ? row->wideIndex : row->narrowIndex;
  }
  const char* text = (word & kSyncBit) ? rateText(family, word) : kAsyncText;
  if (!text) return -1;
  const std::vector<std::string> items = rateItems(family, wide);
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].find(text) != std::string::npos) return static_cast<int>(i);
  return -1;
}

RateWrite writeRate(unsigned family, uint16_t word, int index) {
  const bool wide = isWide(family, word);
  if (isFamily4(family)) {
    const uint8_t* factors = wide ? kWideFactors : kNarrowFactors;
    const size_t count = wide ? countOf(kWideFactors) : countOf(kNarrowFactors);
    if (index < 0 || static_cast<size_t>(index) >= count) return {word, false};
    return {static_cast<uint16_t>((word & ~kPeriodFactorMask) | factors[index]), false};
  }
  const std::vector<std::string> items = rateItems(family, wide);
  if (index < 0 || static_cast<size_t>(index) >= items.size()) return {word, false};
  const std::string& text = items[static_cast<size_t>(index)];
  if (text == kAsyncText) return {static_cast<uint16_t>(word & ~kSyncBit), false};
  if (const FamilyRates* rates = familyRates(family)) {
    for (size_t k = 0; k < rates->keyCount; ++k)
      if (text.find(rates->keys[k].key) != std::string::npos)
        return {withRateCode(word, wide ? rates->keys[k].wide : rates->keys[k].narrow), false};
  }
  return {withRateCode(word, kUninterpretedRateCode), true};
}

int writeBackChoice(uint16_t word) {
  switch (word & 0xC000) {
    case kWriteBackEnabled: return 0;
    case kWriteBackDisabled: return 1;
    case kWriteBackNoChange: return 2;
    default: return -1;
  }
}

uint16_t writeWriteBack(uint16_t word, int choice) {
  static constexpr uint16_t kCodes[] = {kWriteBackEnabled, kWriteBackDisabled, kWriteBackNoChange};
  if (choice < 0 || choice > 2) return word;
  return static_cast<uint16_t>((word & 0x3FFF) | kCodes[choice]);
}

uint16_t withBit(uint16_t word, uint16_t bit, bool on) {
  return static_cast<uint16_t>(on ? word | bit : word & ~bit);
}

std::string allDeviceRateText(unsigned family, uint16_t word) {
  if (isFamily4(family)) {
    const PeriodRow* row = periodRow(word);
    if (!row) return kUnknownRateText;
    return isWide(family, word) ? row->wideText : row->narrowText;
  }
  if (!(word & kSyncBit)) return kAsyncText;
  const char* text = rateText(family, word);
  return text ? text : kUnknownRateText;
}

int allDeviceColumns(const EepromConfig& block) {
  return block.targetCountByte < kTargetWords ? block.targetCountByte
                                              : static_cast<int>(kTargetWords);
}

// ---- Advanced ----

namespace {

struct AdvancedRow {
  int controlId;
  OptionBit families13;
  OptionBit family4;
};

constexpr AdvancedRow kAdvancedRows[] = {
    {1265, {ControlWord::Adapter, kAdapterBusReset13}, {ControlWord::Bios, kBiosBit11}},
    {1266, {ControlWord::Bios, kBiosCtrlAMessage}, {ControlWord::Bios, kBiosCtrlAMessage}},
    {1267, {ControlWord::Bios, kBiosExtendedTranslation},
     {ControlWord::Bios, kBiosExtendedTranslation}},
    {1270, {ControlWord::Adapter, kAdapterDomainValidation13},
     {ControlWord::Bios, kBiosDomainValidation4}},
    {1271, {ControlWord::Bios, kBiosBit11}, {ControlWord::Bios, kBiosBootCdRom4}},
    {1272, {ControlWord::Bios, kBiosInt13Extensions}, {ControlWord::Bios, kBiosInt13Extensions}},
};

uint16_t& wordOf(EepromConfig& block, ControlWord word) {
  return word == ControlWord::Bios ? block.biosControl : block.adapterControl;
}

int indexOfCode(const uint16_t (&codes)[3], unsigned value) {
  for (int i = 0; i < 3; ++i)
    if (codes[i] == value) return i;
  return -1;
}

}  // namespace

OptionBit advancedOption(int controlId, unsigned family) {
  for (const AdvancedRow& row : kAdvancedRows)
    if (row.controlId == controlId) return isFamily4(family) ? row.family4 : row.families13;
  return {ControlWord::Bios, 0};
}

bool optionChecked(const EepromConfig& block, OptionBit option) {
  const uint16_t word = option.word == ControlWord::Bios ? block.biosControl : block.adapterControl;
  return option.bit != 0 && (word & option.bit) != 0;
}

void writeOption(EepromConfig& block, OptionBit option, bool on) {
  if (option.bit == 0) return;
  uint16_t& word = wordOf(block, option.word);
  word = withBit(word, option.bit, on);
}

int postModeItemCount(const EepromConfig& block, unsigned family) {
  return isFamily4(family) || hasBios3x(block) ? 3 : 2;
}

int postModeIndex(const EepromConfig& block, unsigned family) {
  const int mode = (block.biosControl & kPostModeMask) >> kPostModeShift;
  return mode < postModeItemCount(block, family) ? mode : -1;
}

void writePostMode(EepromConfig& block, int index) {
  if (index < 0 || index > 2) return;
  block.biosControl =
      static_cast<uint16_t>((block.biosControl & ~kPostModeMask) | (index << kPostModeShift));
}

int int13Index(const EepromConfig& block) {
  return indexOfCode(kInt13Codes, (block.biosControl & kInt13Mask) >> 2);
}

void writeInt13(EepromConfig& block, int index) {
  if (index < 0 || index > 2) return;
  block.biosControl =
      static_cast<uint16_t>((block.biosControl & ~kInt13Mask) | (kInt13Codes[index] << 2));
}

bool int13Enabled(const EepromConfig& block) {
  return (block.biosControl & kInt13Mask) == kInt13Enabled;
}

int removableIndex(const EepromConfig& block) {
  return indexOfCode(kRemovableCodes, block.biosControl & kRemovableMask);
}

void writeRemovable(EepromConfig& block, int index) {
  if (index < 0 || index > 2) return;
  block.biosControl =
      static_cast<uint16_t>((block.biosControl & ~kRemovableMask) | kRemovableCodes[index]);
}

}  // namespace bios
