// A scripted SCSI manager and message sink for the inventory's native tests and its
// fuzz target: adapters with inquiry answers and PCI spaces, targets with INQUIRY
// answers and the way each request completes, and a record of every call.
#pragma once

#include <algorithm>
#include <array>
#include <memory>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "inventory/manager_port.h"
#include "inventory/message.h"

namespace invtest {

struct FakeTarget {
  inv::Completion completion = inv::Completion::Immediate;
  uint8_t status = scsi::kStatusDone;
  uint8_t adapterStatus = 0;
  std::array<uint8_t, 36> inquiry{};
};

struct FakeAdapter {
  uint8_t scsiId = 7;
  std::string managerId = "VRAX-SIM";
  std::string identifier = "vlm7800";  // up to 16 characters, no NUL at 16
  std::array<uint8_t, 16> unique{};
  std::array<uint8_t, 256> pci{};
  std::map<uint8_t, FakeTarget> targets;  // absent targets: a selection time-out

  FakeAdapter& at(uint8_t bus, uint8_t device, uint8_t function) {
    unique[12] = bus, unique[13] = device, unique[14] = function, unique[15] = 0x81;
    return *this;
  }
  FakeAdapter& ids(uint16_t deviceId, uint16_t subsystemId) {
    pci[2] = static_cast<uint8_t>(deviceId), pci[3] = static_cast<uint8_t>(deviceId >> 8);
    pci[0x2E] = static_cast<uint8_t>(subsystemId);
    pci[0x2F] = static_cast<uint8_t>(subsystemId >> 8);
    return *this;
  }
};

// An INQUIRY answer: type byte, then vendor, product and revision as given (padded).
inline std::array<uint8_t, 36> inquiryData(uint8_t type, const char* vendor8,
                                           const char* product16, const char* revision4) {
  std::array<uint8_t, 36> d{};
  d[0] = type;
  d[2] = 2;
  d[4] = 31;
  std::memcpy(&d[8], vendor8, std::min<size_t>(std::strlen(vendor8), 8));
  std::memcpy(&d[16], product16, std::min<size_t>(std::strlen(product16), 16));
  std::memcpy(&d[32], revision4, std::min<size_t>(std::strlen(revision4), 4));
  return d;
}

class FakeManager : public inv::ManagerPort {
 public:
  uint32_t support = 0x0100;  // initialised, no adapters
  std::vector<FakeAdapter> adapters;
  bool hasPciEntry = true;
  bool canExecute = true;
  inv::Completion absentCompletion = inv::Completion::Immediate;

  // What the inventory asked.
  int supportCalls = 0;
  std::vector<uint8_t> inquiries;
  std::vector<uint8_t> pciReads;
  std::vector<scsi::ExecCommandBlock> executes;  // as sent
  int scans = 0;

  // An initialised manager with these adapters.
  void install(std::vector<FakeAdapter> list) {
    adapters = std::move(list);
    support = 0x0100 | static_cast<uint32_t>(adapters.size() & 0xFF);
  }
  void forget() {
    supportCalls = scans = 0;
    inquiries.clear(), pciReads.clear(), executes.clear();
  }

  uint32_t supportInfo() override {
    ++supportCalls;
    return support;
  }
  void inquireAdapter(scsi::AdapterInquiryBlock& block) override {
    inquiries.push_back(block.header.adapterNumber);
    block.header.status = scsi::kStatusDone;
    if (block.header.adapterNumber >= adapters.size()) return;
    const FakeAdapter& a = adapters[block.header.adapterNumber];
    block.adapterScsiId = a.scsiId;
    std::memcpy(block.managerId, a.managerId.data(), std::min<size_t>(a.managerId.size(), 16));
    std::memcpy(block.adapterIdentifier, a.identifier.data(),
                std::min<size_t>(a.identifier.size(), 16));
    std::memcpy(block.adapterUnique, a.unique.data(), 16);
  }
  bool readPciConfig(uint8_t adapterNumber, uint8_t (&config)[inv::kPciConfigSize]) override {
    if (!hasPciEntry) return false;
    pciReads.push_back(adapterNumber);
    if (adapterNumber < adapters.size())
      std::memcpy(config, adapters[adapterNumber].pci.data(), inv::kPciConfigSize);
    return true;
  }

  class Session : public inv::ScanSession {
   public:
    explicit Session(FakeManager& owner) : owner_(owner) {}
    inv::Completion execute(scsi::ExecCommandBlock& block, uint8_t* data,
                            uint32_t length) override {
      owner_.executes.push_back(block);
      FakeTarget absent;
      absent.completion = owner_.absentCompletion;
      absent.status = scsi::kStatusError;
      absent.adapterStatus = scsi::kHaSelectionTimeout;
      const FakeTarget* target = &absent;
      if (block.header.adapterNumber < owner_.adapters.size()) {
        auto& targets = owner_.adapters[block.header.adapterNumber].targets;
        auto it = targets.find(block.target);
        if (it != targets.end()) target = &it->second;
      }
      if (target->completion == inv::Completion::Expired) return inv::Completion::Expired;
      block.header.status = target->status;
      block.adapterStatus = target->adapterStatus;
      std::memcpy(data, target->inquiry.data(), std::min<size_t>(length, 36));
      return target->completion;
    }

   private:
    FakeManager& owner_;
  };
  std::unique_ptr<inv::ScanSession> beginScan() override {
    if (!canExecute) return nullptr;
    ++scans;
    return std::make_unique<Session>(*this);
  }
};

struct ShownMessage {
  unsigned id;
  std::vector<inv::MessageArg> args;
};

class FakeSink : public inv::MessageSink {
 public:
  std::vector<ShownMessage> shown;
  void show(unsigned id, const std::vector<inv::MessageArg>& args) override {
    shown.push_back({id, args});
  }
  std::string text(unsigned id) override {
    return id == 32973 ? "SCSI Host Adapter" : std::string();
  }
};

}  // namespace invtest
