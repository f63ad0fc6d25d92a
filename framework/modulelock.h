// The module's count of live objects and server locks, which DllCanUnloadNow answers
// from. Every COM object of a module holds one count for its lifetime (ModuleLock as a
// member), and IClassFactory::LockServer adds and removes one. Each binary links its own
// copy of the framework, so the count is per module.
// Platform-free so that the counting rules are tested natively.
#pragma once

namespace fw {

void lockModule();
// A release without a matching lock is a caller's fault; the count never goes below 0.
void unlockModule();
long moduleLockCount();
// True when no object lives and no lock is held.
bool moduleCanUnload();

// One count for the lifetime of the holder.
class ModuleLock {
 public:
  ModuleLock() { lockModule(); }
  ~ModuleLock() { unlockModule(); }
  ModuleLock(const ModuleLock&) { lockModule(); }
  ModuleLock& operator=(const ModuleLock&) { return *this; }
};

}  // namespace fw
