// The library's one simulator: which bus it serves and where that came from, its state
// file, its request log, its pending requests and its open miniport devices. Every
// export goes through here; the bus is loaded at the first call, not in DllMain.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

#include "simulator/simulator.h"
#include "simulator/win/completer.h"

namespace simwin {

constexpr const char* kBusEnv = "VRAX_SIM_BUS";
constexpr const char* kLogEnv = "VRAX_SIM_LOG";
constexpr const char* kStateEnv = "VRAX_SIM_STATE";
constexpr const char* kTraceEnv = "VRAX_SIM_TRACE";
constexpr const char* kBusFileName = "wnvrax32.bus";
constexpr const char* kDefaultStateFileName = "wnvrax32.state";

class Host {
 public:
  static Host& instance();

  uint32_t supportInfo();
  uint32_t send(void* block);
  uint32_t pciConfig(uint32_t adapter, uint8_t* buffer, uint32_t length);

  int loadBusFile(const char* path);  // null or empty: the built-in default bus
  int loadBusText(const char* text, const char* name);
  uint32_t lastError(char* buffer, uint32_t size);
  int setLog(const char* path);
  int releaseLate();
  void* heldEvent() { return completer_.heldEvent(); }
  int pendingCount();
  int resetState();
  int writeDeviceMapNow();

  uint32_t miniportOpen(const char* deviceName);
  int miniportControl(uint32_t handle, uint32_t code, void* in, uint32_t inSize, void* out,
                      uint32_t outSize, uint32_t* returned);
  int miniportClose(uint32_t handle);

 private:
  Host();
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  class Lock {
   public:
    explicit Lock(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
    ~Lock() { LeaveCriticalSection(&cs_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    CRITICAL_SECTION& cs_;
  };

  // With lock_ held.
  void ensureStarted();  // opens the log named by the environment, once
  void ensureLoaded();   // loads the bus of the environment, the file or the default, once
  bool loadFile(const std::string& path);
  bool install(const std::string& text, const std::string& name, const std::string& statePath);
  bool openLog(const std::string& path);
  void publishPorts();  // writes the device map of the current bus
  void refuse(const std::string& message);
  void saveState();
  void log(const std::string& line);
  uint32_t nextSeq() { return ++seq_; }
  uint32_t execute(scsi::ExecCommandBlock* block, uint32_t seq);

  CRITICAL_SECTION lock_;
  CRITICAL_SECTION logLock_;
  bool started_ = false;
  bool loaded_ = false;
  sim::Simulator sim_;
  std::string statePath_;  // empty: saved values live in memory only
  std::string lastError_;
  std::FILE* logFile_ = nullptr;
  std::FILE* traceFile_ = nullptr;  // every line of the process, whatever the log
  uint32_t seq_ = 0;
  Completer completer_;
  std::map<uint32_t, int> openPorts_;  // miniport handle -> SCSI port
  uint32_t nextHandle_ = 0x5C5C0001;
};

}  // namespace simwin
