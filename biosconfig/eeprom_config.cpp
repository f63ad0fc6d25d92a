#include "biosconfig/eeprom_config.h"

#include <cstring>

namespace bios {

size_t blockOffset(const HostAdapterInfo& adapter) {
  return adapter.pciFunction != 0 ? kChannelBBlock : kChannelABlock;
}

EepromConfig& configBlock(HostAdapterInfo& adapter) {
  return *reinterpret_cast<EepromConfig*>(adapter.eepromImage + blockOffset(adapter));
}

const EepromConfig& configBlock(const HostAdapterInfo& adapter) {
  return *reinterpret_cast<const EepromConfig*>(adapter.eepromImage + blockOffset(adapter));
}

size_t cardFlagsOffset(const HostAdapterInfo& adapter) {
  if (adapter.pciFunction == 1) return 192;
  return adapter.eepromImageSize == 128 ? 64 : 128;
}

uint8_t& cardFlags(HostAdapterInfo& adapter) { return adapter.eepromImage[cardFlagsOffset(adapter)]; }

uint8_t cardFlags(const HostAdapterInfo& adapter) {
  return adapter.eepromImage[cardFlagsOffset(adapter)];
}

uint16_t blockChecksum(const EepromConfig& block) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&block);
  uint32_t sum = 0;
  for (size_t w = 0; w < kChecksummedWords; ++w)
    sum += uint32_t(bytes[2 * w]) | (uint32_t(bytes[2 * w + 1]) << 8);
  return static_cast<uint16_t>(sum);
}

void recomputeChecksum(EepromConfig& block) { block.checksumWord = blockChecksum(block); }

bool hasBios3x(const EepromConfig& block) {
  return block.biosVersionWord >= 0x0300 && block.biosVersionWord <= 0x0350;
}

bool hasNewestLayout(const EepromConfig& block) { return block.signatureWord >= 0x0400; }

bool hasBios300OrLater(const EepromConfig& block) { return block.biosVersionWord >= 0x0300; }

bool qualifiesForCardChoice(const EepromConfig& block) {
  return hasBios3x(block) || hasNewestLayout(block);
}

int labelCount(const HostAdapterInfo& adapter) {
  if (adapter.adapterCount <= 0) return 0;
  return adapter.adapterCount < inv::kMaxAdapters ? adapter.adapterCount : inv::kMaxAdapters;
}

HostAdapterInfo* labelAdapter(const HostAdapterInfo& adapter, int label) {
  if (label < 0 || label >= labelCount(adapter)) return nullptr;
  const inv::RecordAddress address = adapter.labels[label].adapter;
  return address ? inv::fromAddress<HostAdapterInfo>(address) : nullptr;
}

bool eepromReadAll(HostAdapterInfo& adapter, EepromReader& reader) {
  for (int j = 0; j < labelCount(adapter); ++j) {
    HostAdapterInfo* a = labelAdapter(adapter, j);
    if (!a || a->extendedFeatures != 1) continue;
    if (!reader.read(*a) && a == &adapter) {
      reader.reportFailure(adapter);
      return false;
    }
  }
  return true;
}

void ConfigSnapshot::take(const HostAdapterInfo& adapter) {
  constexpr size_t image = sizeof adapter.eepromImage;
  const int count = labelCount(adapter);
  bytes_.assign(static_cast<size_t>(count) * image, 0);
  adapters_.assign(static_cast<size_t>(count), nullptr);
  for (int j = 0; j < count; ++j) {
    HostAdapterInfo* a = labelAdapter(adapter, j);
    adapters_[static_cast<size_t>(j)] = a;
    if (a) std::memcpy(&bytes_[static_cast<size_t>(j) * image], a->eepromImage, image);
  }
}

void ConfigSnapshot::restore() const {
  constexpr size_t image = sizeof HostAdapterInfo::eepromImage;
  for (size_t j = 0; j < adapters_.size(); ++j)
    if (adapters_[j]) std::memcpy(adapters_[j]->eepromImage, &bytes_[j * image], image);
}

}  // namespace bios
