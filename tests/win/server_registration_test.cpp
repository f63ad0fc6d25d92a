// Registration of corvath.dll with Wine's regsvr32, as an installer does it: the keys
// appear with their values, a second registration changes nothing, unregistration
// removes every key (and the type library), and a second unregistration is no error.
// The only program that unregisters: it runs alone (RUN_SERIAL) and leaves the server
// registered for the tests after it.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/win/server_support.h"

namespace {

using servertest::classesKeyExists;
using servertest::classesValue;

std::string clsidKey() { return std::string("CLSID\\") + servertest::kClsidText; }
std::string interfaceKey() { return std::string("Interface\\") + servertest::kIidText; }
std::string typeLibKey() { return std::string("TypeLib\\") + servertest::kLibidText; }

int regsvr32(const std::string& options) {
  std::string output;
  return servertest::runProcess("regsvr32.exe " + options + " \"" + servertest::corvathPath() + "\"",
                                servertest::binFolder(), &output);
}

std::string value(const std::string& key, const char* name = nullptr) {
  bool found = false;
  std::string text = classesValue(key, name, &found);
  return found ? text : "<missing>";
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return s;
}

// The registry holds the path as Windows spells it; compare without case.
std::string longPath(const std::string& path) {
  char full[MAX_PATH] = {};
  GetLongPathNameA(path.c_str(), full, MAX_PATH);
  return lower(full[0] ? full : path);
}

void expectRegistered() {
  const std::string dll = longPath(servertest::corvathPath());
  EXPECT_EQ(value("Corvath.CorvathObj\\CLSID"), servertest::kClsidText);
  EXPECT_EQ(value("Corvath.CorvathObj\\CurVer"), "Corvath.CorvathObj.1");
  EXPECT_EQ(value("Corvath.CorvathObj.1\\CLSID"), servertest::kClsidText);
  EXPECT_EQ(value(clsidKey() + "\\ProgID"), "Corvath.CorvathObj.1");
  EXPECT_EQ(value(clsidKey() + "\\VersionIndependentProgID"), "Corvath.CorvathObj");
  EXPECT_EQ(longPath(value(clsidKey() + "\\InprocServer32")), dll);
  EXPECT_EQ(value(clsidKey() + "\\InprocServer32", "ThreadingModel"), "Apartment");
  // The type library is registered under the module's own path, as version 0.0.
  // Under the system kind of this width: win32 or win64.
  const char* kind = sizeof(void*) == 8 ? "\\0.0\\0\\win64" : "\\0.0\\0\\win32";
  EXPECT_EQ(longPath(value(typeLibKey() + kind)), dll);
  EXPECT_EQ(value(interfaceKey() + "\\TypeLib"), servertest::kLibidText);
  EXPECT_EQ(value(interfaceKey()), "ICorvathObj");
}

TEST(ServerRegistration, Regsvr32RegistersUnregistersAndRepeatsHarmlessly) {
  ASSERT_EQ(regsvr32("/s"), 0);
  expectRegistered();
  ASSERT_EQ(regsvr32("/s"), 0);
  expectRegistered();

  ASSERT_EQ(regsvr32("/u /s"), 0);
  const std::string cls = clsidKey();
  const std::string itf = interfaceKey();
  const std::vector<std::string> gone = {
      "Corvath.CorvathObj\\CurVer", "Corvath.CorvathObj\\CLSID", "Corvath.CorvathObj",
      "Corvath.CorvathObj.1\\CLSID", "Corvath.CorvathObj.1", cls + "\\ProgID",
      cls + "\\VersionIndependentProgID", cls + "\\InprocServer32", cls,
      itf + "\\ProxyStubClsid", itf + "\\ProxyStubClsid32", itf + "\\TypeLib", itf,
      typeLibKey()};
  for (const std::string& key : gone) EXPECT_FALSE(classesKeyExists(key)) << key;

  // Nothing left to remove is not an error.
  EXPECT_EQ(regsvr32("/u /s"), 0);

  // Leave the server registered for the programs that run after this one.
  ASSERT_EQ(regsvr32("/s"), 0);
  expectRegistered();
}

TEST(ServerRegistration, UnregistrationLeavesOtherEntriesOfTheClassTreeAlone) {
  // A key an administrator added below the ProgID keeps that ProgID key (only the listed
  // keys are deleted, never whole trees).
  ASSERT_EQ(regsvr32("/s"), 0);
  HKEY extra = nullptr;
  ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "Corvath.CorvathObj\\Extra", &extra), ERROR_SUCCESS);
  RegCloseKey(extra);
  EXPECT_EQ(regsvr32("/u /s"), 0);
  EXPECT_TRUE(classesKeyExists("Corvath.CorvathObj\\Extra"));
  EXPECT_FALSE(classesKeyExists("Corvath.CorvathObj\\CLSID"));
  EXPECT_FALSE(classesKeyExists(clsidKey()));
  RegDeleteKeyA(HKEY_CLASSES_ROOT, "Corvath.CorvathObj\\Extra");
  RegDeleteKeyA(HKEY_CLASSES_ROOT, "Corvath.CorvathObj");
  ASSERT_EQ(regsvr32("/s"), 0);
  expectRegistered();
}

}  // namespace
