// The module's object and lock count behind DllCanUnloadNow.
#include <gtest/gtest.h>

#include "framework/modulelock.h"

namespace {

TEST(ModuleLock, CountsHoldersAndLocksUntilTheLastGoes) {
  ASSERT_TRUE(fw::moduleCanUnload());
  {
    fw::ModuleLock object;
    fw::ModuleLock copy = object;  // a copied object is one more live object
    fw::lockModule();              // LockServer(TRUE)
    EXPECT_EQ(fw::moduleLockCount(), 3);
    fw::unlockModule();
    EXPECT_FALSE(fw::moduleCanUnload());
  }
  EXPECT_EQ(fw::moduleLockCount(), 0);
  EXPECT_TRUE(fw::moduleCanUnload());
}

TEST(ModuleLock, AnUnmatchedReleaseDoesNotWrapOrHideALaterLock) {
  fw::unlockModule();
  EXPECT_EQ(fw::moduleLockCount(), 0);
  fw::ModuleLock object;
  EXPECT_FALSE(fw::moduleCanUnload());
}

}  // namespace
