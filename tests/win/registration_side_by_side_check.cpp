// Both widths registered side by side in one 64-bit (WoW64) prefix, as setup leaves them
// on 64-bit Windows: a 32-bit client gets the 32-bit servers and type library, a 64-bit
// client the 64-bit ones, and unregistering either width leaves the other whole. The
// type library key and the ProgIDs are shared between the two registry views, so one
// width's unregistration must not take them from the other.
// Run by registration_side_by_side_test.sh with ORV_BIN32 and ORV_BIN64 (the two builds'
// binary folders as Windows paths); the tests run in this order and build on each other.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "framework/regkey.h"

namespace {

constexpr char kProgId[] = "Corvath.CorvathObj";
constexpr char kLibId[] = "{8B891CFD-6E58-4FD2-B3D1-A020DC302D08}";
constexpr DWORD kPatience = 120000;

std::string bin(int width) {
  const char* v = std::getenv(width == 64 ? "ORV_BIN64" : "ORV_BIN32");
  return v ? std::string(v) + "\\" : std::string();
}

std::string systemFolder(int width) {
  char path[MAX_PATH] = {};
  if (width == 64)
    GetSystemDirectoryA(path, MAX_PATH);
  else
    GetSystemWow64DirectoryA(path, MAX_PATH);
  return path;
}

// Runs a command line; its exit code and what it printed.
DWORD run(const std::string& commandLine, std::string* output = nullptr) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return 0xDEAD;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION info = {};
  std::string line = commandLine;
  BOOL started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                &startup, &info);
  CloseHandle(writeEnd);
  std::string text;
  if (started) {
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n) text.append(buffer, n);
  }
  CloseHandle(readEnd);
  if (!started) return 0xDEAD;
  DWORD code = 0xBAD;
  if (WaitForSingleObject(info.hProcess, kPatience) == WAIT_OBJECT_0)
    GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  if (output) *output = text;
  return code;
}

// regsvr32 of the module's width on that width's copy of the module.
DWORD regsvr(int width, const std::string& module, bool unregister = false) {
  return run("\"" + systemFolder(width) + "\\regsvr32.exe\" /s " + (unregister ? "/u " : "") + "\"" +
             bin(width) + module + "\"");
}

std::vector<std::string> servers() {
  std::vector<std::string> modules = {"corvath.dll"};
  for (const char* optional : {"fenwold.dll", "gastrel.dll"}) {
    if (GetFileAttributesA((bin(64) + optional).c_str()) != INVALID_FILE_ATTRIBUTES)
      modules.push_back(optional);
  }
  return modules;
}

bool readText(HKEY root, const std::string& key, const char* name, std::string& out, REGSAM sam) {
  fw::RegKey k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | sam, k.put()) != ERROR_SUCCESS) return false;
  char data[1024] = {};
  DWORD size = sizeof data - 1, type = 0;
  if (RegQueryValueExA(k.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
      ERROR_SUCCESS)
    return false;
  out = data;
  return true;
}

// The class ids whose in-process server is that module, in the view of its width.
std::vector<std::string> classesServedBy(const std::string& module, int width) {
  const REGSAM sam = width == 64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
  std::vector<std::string> out;
  fw::RegKey clsid;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ | sam, clsid.put()) != ERROR_SUCCESS)
    return out;
  char name[128];
  for (DWORD i = 0;; ++i) {
    DWORD n = sizeof name;
    if (RegEnumKeyExA(clsid.get(), i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    std::string server;
    if (readText(clsid.get(), std::string(name) + "\\InprocServer32", nullptr, server, sam) &&
        lstrcmpiA(server.c_str(), module.c_str()) == 0)
      out.push_back(name);
  }
  return out;
}

// Every class of the suite by module, its ProgID and the type library: what a client of
// the width asks for.
struct Asked {
  std::vector<std::string> arguments;
  std::map<std::string, std::string> moduleOf;  // argument -> module name
};
Asked g_asked;

// What a client of that width gets: argument -> the module that served it, or the error.
std::map<std::string, std::string> whatAClientGets(int width) {
  std::string line = "\"" + bin(width) + "registration_side_by_side_client.exe\"";
  for (const auto& a : g_asked.arguments) line += " " + a;
  line += std::string(" --typelib ") + kLibId;
  std::string output;
  EXPECT_EQ(run(line, &output), 0u) << output;
  std::map<std::string, std::string> got;
  std::istringstream lines(output);
  for (std::string l; std::getline(lines, l);) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    auto space = l.find(' ');
    if (space != std::string::npos) got[l.substr(0, space)] = l.substr(space + 1);
  }
  return got;
}

// The client of that width gets every class and the type library from its own width's
// modules.
void expectServedBy(int width) {
  SCOPED_TRACE(std::to_string(width) + "-bit client");
  auto got = whatAClientGets(width);
  for (const auto& a : g_asked.arguments)
    EXPECT_TRUE(lstrcmpiA(got[a].c_str(), (bin(width) + g_asked.moduleOf[a]).c_str()) == 0)
        << a << " served by " << got[a];
  EXPECT_TRUE(lstrcmpiA(got[kLibId].c_str(), (bin(width) + "corvath.dll").c_str()) == 0)
      << "type library: " << got[kLibId];
}

// The client of that width finds no server of the suite and no type library of its
// width. (Where a library has no 64-bit entry, oleaut32 gives a 64-bit client the
// 32-bit one.)
void expectNothingFor(int width) {
  SCOPED_TRACE(std::to_string(width) + "-bit client");
  auto got = whatAClientGets(width);
  for (const auto& a : g_asked.arguments)
    EXPECT_EQ(got[a].rfind("error ", 0), 0u) << a << " served by " << got[a];
  EXPECT_TRUE(got[kLibId].rfind("error ", 0) == 0 ||
              lstrcmpiA(got[kLibId].c_str(), (bin(width) + "corvath.dll").c_str()) != 0)
      << "type library: " << got[kLibId];
}

TEST(SideBySide, EachWidthRegistersInItsOwnView) {
  ASSERT_FALSE(bin(32).empty());
  ASSERT_FALSE(bin(64).empty());
  for (int width : {32, 64})
    for (const auto& module : servers()) EXPECT_EQ(regsvr(width, module), 0u) << module << " " << width;

  g_asked.arguments.push_back(kProgId);
  g_asked.moduleOf[kProgId] = "corvath.dll";
  for (const auto& module : servers()) {
    auto classes64 = classesServedBy(bin(64) + module, 64);
    EXPECT_EQ(classesServedBy(bin(32) + module, 32), classes64) << module;
    EXPECT_FALSE(classes64.empty()) << module;
    for (const auto& c : classes64) {
      g_asked.arguments.push_back(c);
      g_asked.moduleOf[c] = module;
    }
  }
}

TEST(SideBySide, AClientOfEachWidthGetsItsOwnWidth) {
  expectServedBy(32);
  expectServedBy(64);
}

TEST(SideBySide, UnregisteringThe64BitServersLeavesThe32BitOnesWhole) {
  for (const auto& module : servers()) EXPECT_EQ(regsvr(64, module, true), 0u) << module;
  expectNothingFor(64);
  expectServedBy(32);
}

TEST(SideBySide, UnregisteringThe32BitServersLeavesThe64BitOnesWhole) {
  for (const auto& module : servers()) EXPECT_EQ(regsvr(64, module), 0u) << module;
  for (const auto& module : servers()) EXPECT_EQ(regsvr(32, module, true), 0u) << module;
  expectNothingFor(32);
  expectServedBy(64);
}

TEST(SideBySide, UnregisteringBothLeavesNoKeyOfTheSuite) {
  for (const auto& module : servers()) EXPECT_EQ(regsvr(64, module, true), 0u) << module;
  expectNothingFor(32);
  expectNothingFor(64);
  for (REGSAM sam : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    for (std::string key : {std::string(kProgId), std::string(kProgId) + ".1",
                            std::string("TypeLib\\") + kLibId}) {
      fw::RegKey k;
      EXPECT_NE(RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ | sam, k.put()),
                ERROR_SUCCESS)
          << key;
    }
    for (const auto& a : g_asked.arguments) {
      if (a[0] != '{') continue;
      fw::RegKey k;
      EXPECT_NE(RegOpenKeyExA(HKEY_CLASSES_ROOT, ("CLSID\\" + a).c_str(), 0, KEY_READ | sam, k.put()),
                ERROR_SUCCESS)
          << a;
    }
  }
}

// ---- the 64-bit server alone, on hosts where no 32-bit program runs ---------------------
// The 32-bit server's entries are written by the test as its registration writes them,
// so that what the 64-bit server's registration does to the 32-bit view shows.

constexpr char kServer32[] = "C:\\Program Files (x86)\\Orvane\\corvath.dll";

std::string text(const std::string& key, REGSAM sam) {
  std::string v;
  return readText(HKEY_CLASSES_ROOT, key, nullptr, v, sam) ? v : "<missing>";
}

bool keyExists(const std::string& key, REGSAM sam) {
  fw::RegKey k;
  return RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ | sam, k.put()) == ERROR_SUCCESS;
}

void writeText(const std::string& key, const std::string& value, REGSAM sam) {
  fw::RegKey k;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE | sam, nullptr,
                            k.put(), nullptr),
            ERROR_SUCCESS)
      << key;
  ASSERT_EQ(RegSetValueExA(k.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>(value.size() + 1)),
            ERROR_SUCCESS);
}

std::string g_clsid;

std::string typeLibKey(const char* kind) { return std::string("TypeLib\\") + kLibId + "\\0.0\\0\\" + kind; }

// What the 32-bit Corvath's registration leaves beside the ProgIDs, which both widths
// share: its class in the 32-bit view and its entry of the type library.
std::vector<std::string> registration32() {
  return {"CLSID\\" + g_clsid + "\\InprocServer32", "CLSID\\" + g_clsid, typeLibKey("win32")};
}

void write32BitRegistration() {
  writeText("CLSID\\" + g_clsid + "\\InprocServer32", kServer32, KEY_WOW64_32KEY);
  writeText(typeLibKey("win32"), kServer32, KEY_WOW64_32KEY);
}

TEST(OwnView, The64BitServerRegistersInThe64BitViewOnly) {
  ASSERT_FALSE(bin(64).empty());
  ASSERT_EQ(regsvr(64, "corvath.dll"), 0u);
  g_clsid = text(std::string(kProgId) + "\\CLSID", KEY_WOW64_64KEY);
  ASSERT_EQ(g_clsid.size(), 38u) << g_clsid;
  EXPECT_EQ(text("CLSID\\" + g_clsid + "\\InprocServer32", KEY_WOW64_64KEY), bin(64) + "corvath.dll");
  EXPECT_FALSE(keyExists("CLSID\\" + g_clsid, KEY_WOW64_32KEY));
  EXPECT_EQ(text(typeLibKey("win64"), KEY_WOW64_64KEY), bin(64) + "corvath.dll");
  EXPECT_FALSE(keyExists(typeLibKey("win32"), KEY_WOW64_64KEY));
}

TEST(OwnView, RegisteringAndUnregisteringThe64BitServerLeavesThe32BitOneWhole) {
  write32BitRegistration();
  // Registered again over the other width's entries: they stay as they are.
  ASSERT_EQ(regsvr(64, "corvath.dll"), 0u);
  EXPECT_EQ(text("CLSID\\" + g_clsid + "\\InprocServer32", KEY_WOW64_32KEY), kServer32);
  g_asked.arguments = {kProgId, g_clsid};
  g_asked.moduleOf = {{kProgId, "corvath.dll"}, {g_clsid, "corvath.dll"}};
  expectServedBy(64);

  ASSERT_EQ(regsvr(64, "corvath.dll", true), 0u);
  expectNothingFor(64);
  // The 32-bit server still answers to its class, both ProgIDs and its type library.
  EXPECT_EQ(text("CLSID\\" + g_clsid + "\\InprocServer32", KEY_WOW64_32KEY), kServer32);
  EXPECT_EQ(text(std::string(kProgId) + "\\CLSID", KEY_WOW64_64KEY), g_clsid);
  EXPECT_EQ(text(std::string(kProgId) + "\\CurVer", KEY_WOW64_64KEY), std::string(kProgId) + ".1");
  EXPECT_EQ(text(std::string(kProgId) + ".1\\CLSID", KEY_WOW64_64KEY), g_clsid);
  EXPECT_EQ(text(typeLibKey("win32"), KEY_WOW64_32KEY), kServer32);
  EXPECT_FALSE(keyExists(typeLibKey("win64"), KEY_WOW64_64KEY));
}

TEST(OwnView, UnregisteringThe64BitServerAloneLeavesNoKeyOfIt) {
  // The 32-bit server's own entries gone, as its unregistration leaves them.
  for (const std::string& key : registration32())
    RegDeleteKeyExA(HKEY_CLASSES_ROOT, key.c_str(), KEY_WOW64_32KEY, 0);
  EXPECT_FALSE(keyExists("CLSID\\" + g_clsid, KEY_WOW64_32KEY));
  ASSERT_EQ(regsvr(64, "corvath.dll"), 0u);
  ASSERT_EQ(regsvr(64, "corvath.dll", true), 0u);
  for (REGSAM sam : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    for (const std::string& key : {std::string(kProgId), std::string(kProgId) + ".1", "CLSID\\" + g_clsid,
                                   std::string("TypeLib\\") + kLibId + "\\0.0\\0"})
      EXPECT_FALSE(keyExists(key, sam)) << key;
  }
}

}  // namespace
