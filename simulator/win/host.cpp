#include "simulator/win/host.h"

#include <algorithm>
#include <cstring>

#include "simulator/bus_parser.h"
#include "simulator/request_log.h"
#include "simulator/win/devicemap.h"

namespace simwin {

namespace {

constexpr size_t kMaxFileSize = 4 * 1024 * 1024;
constexpr size_t kMaxLoggedData = 65536;

// Read from the process environment itself (not the runtime's copy), so that a value
// set by the host program just before loading the library counts.
bool environment(const char* name, std::string& value) {
  char buffer[1024];
  DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  if (n == 0 || n >= sizeof buffer) return false;
  value.assign(buffer, n);
  return true;
}

std::string moduleFolder() {
  HMODULE self = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&moduleFolder), &self);
  char path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
  std::string folder(path, n < MAX_PATH ? n : 0);
  size_t slash = folder.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

bool fileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool readFile(const std::string& path, std::string& out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  out.clear();
  char chunk[16384];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
    out.append(chunk, n);
    if (out.size() > kMaxFileSize) break;  // the parser refuses it with a message
  }
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool writeFileReplacing(const std::string& path, const std::string& text) {
  std::string temporary = path + ".tmp";
  std::FILE* f = std::fopen(temporary.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = std::fclose(f) == 0 && ok;
  return ok && MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

// Where saved mode page values of a bus read from `busPath` are kept (empty `busPath`:
// the built-in bus). VRAX_SIM_STATE names another file, or "none" for memory only.
std::string statePathFor(const std::string& busPath) {
  std::string state;
  if (environment(kStateEnv, state)) return state == "none" ? std::string() : state;
  if (busPath.empty()) return moduleFolder() + "\\" + kDefaultStateFileName;
  return busPath + ".state";
}

}  // namespace

Host& Host::instance() {
  static Host host;
  return host;
}

Host::Host() {
  InitializeCriticalSection(&lock_);
  InitializeCriticalSection(&logLock_);
  completer_.setDoneHook([this](const Job& job, size_t written) {
    log(sim::logDone(job.seq, job.result, written));
  });
}

Host::~Host() {
  if (logFile_) std::fclose(logFile_);
  if (traceFile_) std::fclose(traceFile_);
  DeleteCriticalSection(&logLock_);
  DeleteCriticalSection(&lock_);
}

// ---- loading ---------------------------------------------------------------------------

void Host::ensureStarted() {
  if (started_) return;
  started_ = true;
  std::string path;
  if (environment(kLogEnv, path) && !path.empty()) openLog(path);
  // A file per process in the trace folder, so that whole test runs can be compared line
  // for line without the processes' writes interleaving.
  std::string folder;
  if (environment(kTraceEnv, folder) && !folder.empty()) {
    char name[64];
    std::snprintf(name, sizeof name, "\\trace-%08lX-%08lX.log",
                  static_cast<unsigned long>(GetCurrentProcessId()),
                  static_cast<unsigned long>(GetTickCount()));
    traceFile_ = std::fopen((folder + name).c_str(), "ab");
  }
}

void Host::ensureLoaded() {
  ensureStarted();
  if (loaded_) return;
  loaded_ = true;
  std::string busPath;
  const std::string beside = moduleFolder() + "\\" + kBusFileName;
  if (environment(kBusEnv, busPath) && !busPath.empty()) {
    loadFile(busPath);
  } else if (fileExists(beside)) {
    loadFile(beside);
  } else {
    install(std::string(sim::defaultBusText()), sim::kDefaultBusName, statePathFor(""));
  }
  // The ports are published at the first load, as the port driver does at start-up.
  publishPorts();
}

void Host::publishPorts() {
  std::string error;
  if (!writeDeviceMap(sim_.bus(), error)) log(sim::logError(error));
}

bool Host::loadFile(const std::string& path) {
  std::string text;
  if (!readFile(path, text)) {
    refuse("cannot read the bus description \"" + path + "\"");
    return false;
  }
  return install(text, path, statePathFor(path));
}

bool Host::install(const std::string& text, const std::string& name, const std::string& statePath) {
  bool ok = sim_.load(text, name);
  if (ok) {
    statePath_ = statePath;
    lastError_.clear();
    std::string saved;
    if (!statePath_.empty() && fileExists(statePath_) && readFile(statePath_, saved)) {
      int ignored = sim_.applyState(saved);
      if (ignored) {
        log("state \"" + statePath_ + "\": " + std::to_string(ignored) +
            " lines do not fit this bus and were ignored");
      }
    }
    log(sim::logBusLoaded(name, sim_.bus().adapters.size()));
  } else {
    statePath_.clear();
    refuse(sim_.error());
  }
  return ok;
}

void Host::refuse(const std::string& message) {
  if (sim_.initialised() || sim_.error() != message) sim_.unload(message);
  lastError_ = message;
  log(sim::logError(message));
  OutputDebugStringA(("wnvrax32 (simulated SCSI manager): " + message + "\n").c_str());
}

void Host::saveState() {
  if (statePath_.empty()) return;
  std::string text = sim_.stateText();
  bool ok = text.empty() ? (DeleteFileA(statePath_.c_str()) || !fileExists(statePath_))
                         : writeFileReplacing(statePath_, text);
  if (!ok) log(sim::logError("cannot write the state file \"" + statePath_ + "\""));
}

// ---- log -------------------------------------------------------------------------------

bool Host::openLog(const std::string& path) {
  EnterCriticalSection(&logLock_);
  if (logFile_) std::fclose(logFile_);
  logFile_ = path.empty() ? nullptr : std::fopen(path.c_str(), "ab");
  bool ok = path.empty() || logFile_;
  LeaveCriticalSection(&logLock_);
  return ok;
}

void Host::log(const std::string& line) {
  EnterCriticalSection(&logLock_);
  if (logFile_) {
    std::fputs(line.c_str(), logFile_);
    std::fputc('\n', logFile_);
    std::fflush(logFile_);
  }
  if (traceFile_) {
    std::fputs(line.c_str(), traceFile_);
    std::fputc('\n', traceFile_);
    std::fflush(traceFile_);
  }
  LeaveCriticalSection(&logLock_);
}

// ---- the manager's entry points --------------------------------------------------------

uint32_t Host::supportInfo() {
  Lock lock(lock_);
  ensureLoaded();
  return sim_.supportInfo();
}

uint32_t Host::send(void* p) {
  Lock lock(lock_);
  ensureLoaded();
  const uint32_t seq = nextSeq();
  if (!p) {
    log("#" + std::to_string(seq) + " recv (no block)");
    return sim::kStatusInvalidRequest;
  }
  auto* header = static_cast<scsi::RequestBlock*>(p);
  if (header->command == scsi::kCmdAdapterInquiry) {
    auto* block = static_cast<scsi::AdapterInquiryBlock*>(p);
    log(sim::logReceived(seq, static_cast<const uint8_t*>(p), sizeof *block));
    uint8_t status = sim_.inquire(*block);
    log(sim::logInquiryDone(seq, status));
    return status;
  }
  if (header->command == scsi::kCmdExecute) {
    return execute(static_cast<scsi::ExecCommandBlock*>(p), seq);
  }
  log(sim::logReceived(seq, static_cast<const uint8_t*>(p), sizeof *header));
  header->status = sim::kStatusInvalidRequest;
  log(sim::logInquiryDone(seq, header->status));
  return header->status;
}

uint32_t Host::execute(scsi::ExecCommandBlock* block, uint32_t seq) {
  log(sim::logReceived(seq, reinterpret_cast<const uint8_t*>(block), sizeof *block));
  uint8_t* buffer = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(block->dataBuffer));
  const bool writes = (block->header.flags & scsi::kFlagDataOut) ||
                      sim::directionOf(block->cdb[0]) == sim::Direction::Out;
  const uint8_t* dataOut = writes && buffer && block->dataLength ? buffer : nullptr;
  if (dataOut) {
    const size_t logged = std::min(static_cast<size_t>(block->dataLength), kMaxLoggedData);
    log(sim::logData(seq, dataOut, logged));
  }
  sim::Answer answer = sim_.execute(*block, dataOut);
  if (answer.stateChanged) saveState();

  HANDLE event = nullptr;
  if ((block->header.flags & scsi::kFlagPostEvent) && block->completionEvent) {
    // Our own handle: signalling it stays right even if the caller closes theirs early.
    HANDLE theirs = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(block->completionEvent));
    if (!DuplicateHandle(GetCurrentProcess(), theirs, GetCurrentProcess(), &event, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
      event = nullptr;
      log(sim::logError("#" + std::to_string(seq) + " the completion event is not a valid handle"));
    }
  }
  if (answer.timing == sim::Timing::Immediate) {
    completeRequest(block, buffer, answer.result, event, [&](size_t written) {
      log(sim::logDone(seq, answer.result, written));
    });
    return answer.result.status;
  }
  block->header.status = scsi::kStatusPending;
  log(sim::logPending(seq, answer.timing, answer.delayMs));
  Job job;
  job.seq = seq;
  job.block = block;
  job.buffer = buffer;
  job.result = std::move(answer.result);
  job.event = event;
  if (answer.timing == sim::Timing::Pending) {
    completer_.schedule(std::move(job), answer.delayMs);
  } else if (answer.timing == sim::Timing::Late) {
    completer_.hold(std::move(job));
  } else if (event) {
    CloseHandle(event);  // never completes
  }
  return 0;
}

uint32_t Host::pciConfig(uint32_t adapter, uint8_t* buffer, uint32_t length) {
  Lock lock(lock_);
  ensureLoaded();
  bool ok = sim_.pciConfig(adapter, buffer, length);
  log(sim::logPci(nextSeq(), adapter, length, ok));
  return ok ? 1 : 0;
}

// ---- simulator controls ----------------------------------------------------------------

int Host::loadBusFile(const char* path) {
  Lock lock(lock_);
  ensureStarted();
  loaded_ = true;
  if (!path || !*path) {
    return install(std::string(sim::defaultBusText()), sim::kDefaultBusName, statePathFor("")) ? 1 : 0;
  }
  return loadFile(path) ? 1 : 0;
}

int Host::loadBusText(const char* text, const char* name) {
  Lock lock(lock_);
  ensureStarted();
  loaded_ = true;
  return install(text ? text : "", name && *name ? name : "text", std::string()) ? 1 : 0;
}

uint32_t Host::lastError(char* buffer, uint32_t size) {
  Lock lock(lock_);
  if (buffer && size) {
    size_t n = std::min<size_t>(lastError_.size(), size - 1);
    std::memcpy(buffer, lastError_.data(), n);
    buffer[n] = 0;
  }
  return static_cast<uint32_t>(lastError_.size());
}

int Host::setLog(const char* path) {
  Lock lock(lock_);
  started_ = true;  // an explicit choice replaces the environment's
  return openLog(path ? path : "") ? 1 : 0;
}

int Host::releaseLate() { return completer_.releaseLate(); }

int Host::pendingCount() { return completer_.outstanding(); }

int Host::resetState() {
  Lock lock(lock_);
  ensureLoaded();
  sim_.resetState();
  if (!statePath_.empty()) DeleteFileA(statePath_.c_str());
  return 1;
}

int Host::writeDeviceMapNow() {
  Lock lock(lock_);
  ensureLoaded();
  std::string error;
  if (writeDeviceMap(sim_.bus(), error)) return 1;
  log(sim::logError(error));
  return 0;
}

// ---- miniport stand-in -----------------------------------------------------------------

uint32_t Host::miniportOpen(const char* deviceName) {
  Lock lock(lock_);
  ensureLoaded();
  const std::string name = deviceName ? deviceName : "";
  const int port = sim::portFromDeviceName(name);
  const bool ok = port >= 0 && sim_.miniportOpen(port);
  log(sim::logMiniportOpen(nextSeq(), name, port, ok));
  if (!ok) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  uint32_t handle = nextHandle_++;
  openPorts_[handle] = port;
  return handle;
}

int Host::miniportControl(uint32_t handle, uint32_t code, void* in, uint32_t inSize, void* out,
                          uint32_t outSize, uint32_t* returned) {
  Lock lock(lock_);
  ensureLoaded();
  if (returned) *returned = 0;
  auto it = openPorts_.find(handle);
  if (it == openPorts_.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  const uint32_t seq = nextSeq();
  log(sim::logMiniportReceived(seq, it->second, code, inSize, outSize, static_cast<uint8_t*>(in)));
  sim::MiniportAnswer a = sim_.miniportControl(it->second, code, static_cast<uint8_t*>(in), inSize,
                                               static_cast<uint8_t*>(out), outSize);
  log(sim::logMiniportDone(seq, a, static_cast<uint8_t*>(out)));
  if (returned) *returned = a.returned;
  if (!a.ok) {
    SetLastError(a.error);
    return 0;
  }
  return 1;
}

int Host::miniportClose(uint32_t handle) {
  Lock lock(lock_);
  if (openPorts_.erase(handle)) return 1;
  SetLastError(ERROR_INVALID_HANDLE);
  return 0;
}

}  // namespace simwin
