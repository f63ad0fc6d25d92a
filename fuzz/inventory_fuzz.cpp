// Fuzz target: arbitrary manager answers (support word, adapter inquiry answers,
// adapter-unique bytes, PCI configuration spaces, INQUIRY data and the way each
// request completes) fed through the whole inventory, with the records' invariants
// checked afterwards. Builds as a libFuzzer target or under the seeded driver.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "inventory/inventory.h"
#include "inventory/model_table.h"
#include "tests/unit/inventory_fake_manager.h"

namespace {

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
  uint8_t byte() { return p_ < end_ ? *p_++ : 0; }
  void bytes(uint8_t* out, size_t n) {
    for (size_t i = 0; i < n; ++i) out[i] = byte();
  }
  bool empty() const { return p_ >= end_; }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

#define INV_CHECK(condition) \
  do {                       \
    if (!(condition)) std::abort(); \
  } while (0)

bool terminated(const char* text, size_t size) { return strnlen(text, size) < size; }

invtest::FakeAdapter readAdapter(Reader& in) {
  invtest::FakeAdapter a;
  uint8_t shape = in.byte();
  a.scsiId = in.byte();
  char text[16];
  in.bytes(reinterpret_cast<uint8_t*>(text), 16);
  a.managerId.assign(text, 16);
  in.bytes(reinterpret_cast<uint8_t*>(text), 16);
  if (shape & 0x01) std::memcpy(text + (shape >> 4) % 13, "ESDI", 4);
  a.identifier.assign(text, 16);
  in.bytes(a.unique.data(), 16);
  if (shape & 0x08) a.unique[15] = 0x81, a.unique[14] &= 1;  // a located channel A or B
  if (shape & 0x02) {
    // A known card, so that matched rows, names and letters are exercised too.
    const inv::AdapterModel& row = inv::AdapterModelTable[in.byte() % (inv::kAdapterModelRows + 1)];
    a.ids(row.pciDeviceId, row.pciSubsystemId == 0xFFFF ? in.byte() : row.pciSubsystemId);
  } else {
    in.bytes(a.pci.data(), shape & 0x04 ? 256 : 48);
  }
  uint8_t targets = in.byte() % 40;
  for (uint8_t i = 0; i < targets && !in.empty(); ++i) {
    invtest::FakeTarget t;
    uint8_t how = in.byte();
    t.completion = static_cast<inv::Completion>(how % 3);
    t.status = (how & 0x80) ? scsi::kStatusDone : (how >> 3) & 7;
    t.adapterStatus = (how & 0x40) ? scsi::kHaSelectionTimeout : 0;
    in.bytes(t.inquiry.data(), 36);
    a.targets[in.byte() % 40] = t;
  }
  return a;
}

void checkRecords(const inv::Inventory& inventory, const invtest::FakeManager& manager) {
  int32_t count = inventory.recordCount();
  INV_CHECK(count >= 0 && count <= inv::kMaxAdapters);
  const inv::HostAdapterInfo* records = inventory.records();
  size_t scanned = 0;
  for (int32_t r = 0; r < count; ++r) {
    const inv::HostAdapterInfo& record = records[r];
    INV_CHECK(record.maxTargets <= inv::kMaxDevices);
    INV_CHECK(record.deviceCount <= record.maxTargets);
    scanned += record.maxTargets;
    INV_CHECK(terminated(record.managerId, 16) && terminated(record.adapterIdentifier, 16));
    INV_CHECK(terminated(record.displayName, sizeof record.displayName));
    INV_CHECK(record.extendedFeatures <= 1);
    INV_CHECK(record.adapterCount == 0 || record.adapterCount == count);
    inv::AdapterModel zero{};
    bool known = std::memcmp(&record.model, &zero, sizeof zero) == 0;
    for (int i = 0; i < inv::kAdapterModelRows && !known; ++i)
      known = std::memcmp(&record.model, &inv::AdapterModelTable[i], sizeof zero) == 0;
    INV_CHECK(known);
    int previous = -1;
    for (int d = 0; d < record.deviceCount; ++d) {
      const inv::DeviceInfo& device = record.devices[d];
      INV_CHECK(device.target > previous && device.target < record.maxTargets);
      previous = device.target;
      INV_CHECK(device.adapter == inv::addressOf(&record));
      INV_CHECK(device.adapterNumber == record.adapterNumber && device.lun == 0);
      INV_CHECK(device.deviceType < 32);
      INV_CHECK(terminated(device.vendor, 9) && terminated(device.product, 17) &&
                terminated(device.revision, 5));
      size_t n = std::strlen(device.vendor);
      INV_CHECK(n == 0 || device.vendor[n - 1] != ' ');
    }
    for (int j = 0; j < inv::kMaxAdapters; ++j) {
      const inv::AdapterLabel& label = record.labels[j];
      INV_CHECK(terminated(label.text, sizeof label.text));
      INV_CHECK(label.adapter == (j < record.adapterCount ? inv::addressOf(&records[j]) : 0));
    }
  }
  INV_CHECK(manager.executes.size() <= scanned);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in(data, size);
  invtest::FakeManager manager;
  invtest::FakeSink sink;
  uint8_t status = in.byte();
  uint8_t total = in.byte();
  uint8_t options = in.byte();
  manager.support = (static_cast<uint32_t>(status & 1 ? 1 : status) << 8) | total;
  manager.hasPciEntry = !(options & 1);
  manager.canExecute = !(options & 2);
  manager.absentCompletion = static_cast<inv::Completion>((options >> 2) % 3);
  for (unsigned i = 0; i < total && !in.empty(); ++i) manager.adapters.push_back(readAdapter(in));

  inv::Inventory inventory(manager, sink);
  int32_t count = inventory.countAdapters();
  INV_CHECK(count >= 0 && count <= inv::kMaxAdapters);
  inv::RecordAddress list = inventory.buildAdapterList();
  INV_CHECK(list == 0 || list == inventory.adapterList());
  checkRecords(inventory, manager);
  // The second call answers from the same array and sends no bus traffic.
  size_t sent = manager.executes.size();
  inv::RecordAddress again = inventory.buildAdapterList();
  INV_CHECK(again == 0 || inventory.adapterList() == again);
  INV_CHECK(manager.executes.size() == sent);
  return 0;
}
