// What the BIOS configuration pages show of a configuration block and what each choice
// writes into it, by hardware family. The pages only move these answers to and from their
// controls; every index here is a combo or list item, -1 meaning no selection. Bytes of
// a block come from the adapter and may hold anything: every reading stays within the
// block and its tables.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "biosconfig/config_tables.h"
#include "biosconfig/eeprom_config.h"

namespace bios {

constexpr unsigned kNewestFamily = 4;

unsigned familyOf(const HostAdapterInfo& adapter);
bool isFamily4(unsigned family);

// ---- Bus Interface ----

// "0".."7", and "8".."15" when the adapter scans more than 8 targets.
int hostIdItemCount(const HostAdapterInfo& adapter);
int hostIdIndex(const HostAdapterInfo& adapter);
void writeHostId(EepromConfig& block, int index);

bool parityChecked(const EepromConfig& block, unsigned family);
void writeParity(EepromConfig& block, unsigned family, bool on);

// One termination combo: its items (string ids) and the encoding it reads and writes;
// a null scheme (a choice count other than 3 or 5) reads as item 0 and writes nothing.
struct TerminationCombo {
  std::vector<unsigned> items;
  const TerminationScheme* scheme = nullptr;
};

struct TerminationLayout {
  // Two connectors per channel on a card with more than one channel: not supported.
  bool unsupported = false;
  TerminationCombo lvd;  // combo 1247
  bool seShown = false;  // combo 1246 and its label enabled
  TerminationCombo se;   // combo 1246
};

TerminationLayout terminationLayout(const HostAdapterInfo& adapter);
std::vector<unsigned> terminationItems(uint32_t choices);
int readTermination(const TerminationCombo& combo, uint16_t adapterControl);
uint16_t writeTermination(const TerminationCombo& combo, uint16_t adapterControl, int index);

// ---- Boot Device ----

int bootTargetItemCount(const HostAdapterInfo& adapter);  // 16 unless exactly 8 targets
constexpr int kBootLunItems = 8;
int bootTargetIndex(const HostAdapterInfo& adapter);
int bootLunIndex(const HostAdapterInfo& adapter);

enum class BootMode { NewestLayout, Bios3x, Older };
BootMode bootMode(const EepromConfig& block);

// Labels (indexes into the label table) of the adapters the card lists offer, in order.
std::vector<int> qualifyingLabels(const HostAdapterInfo& adapter);
// The list item of the first qualifying adapter whose cardFlags has `bit`; 0 when none.
int cardIndex(const HostAdapterInfo& adapter, uint8_t bit);
// Sets `bit` on the qualifying adapter shown as item `index` and clears it on every
// other adapter of the label table.
void markCard(const HostAdapterInfo& adapter, uint8_t bit, int index);

// The adapter's own boot target (LUN); with a BIOS 3.00 or later the value goes to
// every adapter with such a BIOS too, each block's checksum recomputed.
void writeBootTarget(HostAdapterInfo& adapter, int index);
void writeBootLun(HostAdapterInfo& adapter, int index);

// ---- Device Config ----

// Targets the device combo lists: the adapter's targets, at most one per device word.
int deviceItemCount(const HostAdapterInfo& adapter);
// The first device record at `target`; null when none.
const inv::DeviceInfo* deviceAt(const HostAdapterInfo& adapter, int target);

const DeviceBits& deviceBits(unsigned family);
bool isWide(unsigned family, uint16_t word);

// The rate combo's items for the family and width, "Asyn" last.
std::vector<std::string> rateItems(unsigned family, bool wide);
// The item showing the word's rate in that list; -1 when none does.
int rateIndex(unsigned family, uint16_t word);

struct RateWrite {
  uint16_t word;
  bool uninterpreted;  // the item's text matched no key: code 0x3F was written
};
// The word with the rate of item `index` of the word's current list.
RateWrite writeRate(unsigned family, uint16_t word, int index);
// Families 1-3: the word with RateCode `code` (synchronous).
uint16_t withRateCode(uint16_t word, uint8_t code);
uint8_t rateCode(uint16_t word);

// Write-back cache buttons: 0 "Enabled", 1 "Disabled", 2 "No change", -1 none.
int writeBackChoice(uint16_t word);
uint16_t writeWriteBack(uint16_t word, int choice);

uint16_t withBit(uint16_t word, uint16_t bit, bool on);

// The all-device table's rate text ("0.0" for a rate the tables do not know).
std::string allDeviceRateText(unsigned family, uint16_t word);
// Columns of the all-device table.
int allDeviceColumns(const EepromConfig& block);

// ---- Advanced ----

enum class ControlWord { Bios, Adapter };
struct OptionBit {
  ControlWord word;
  uint16_t bit;
};
// The bit behind one of the Advanced page's check boxes (1265-1267, 1270-1272); a bit
// of 0 for any other control.
OptionBit advancedOption(int controlId, unsigned family);
bool optionChecked(const EepromConfig& block, OptionBit option);
void writeOption(EepromConfig& block, OptionBit option, bool on);

int postModeItemCount(const EepromConfig& block, unsigned family);
int postModeIndex(const EepromConfig& block, unsigned family);
void writePostMode(EepromConfig& block, int index);

int int13Index(const EepromConfig& block);
void writeInt13(EepromConfig& block, int index);
bool int13Enabled(const EepromConfig& block);

int removableIndex(const EepromConfig& block);
void writeRemovable(EepromConfig& block, int index);

}  // namespace bios
