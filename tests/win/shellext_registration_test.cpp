// Registration of fenwold.dll with Wine's regsvr32 in a fresh prefix: every key and value
// of the folder, twice in a row; the folder found under My Computer by the shell and made
// from the registration alone; then unregistration, twice in a row. Corvath is not
// registered in this prefix, so the folder also shows what it does without it.
#include <windows.h>
#include <olectl.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "framework/comptr.h"
#include "tests/support/modal_driver.h"
#include "tests/win/server_support.h"
#include "tests/win/shellext_browser.h"

namespace {

using shelltest::kFolderText;

const std::string kClassKey = std::string("CLSID\\") + kFolderText;
const std::string kNameSpaceKey =
    std::string("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer\\NameSpace\\") +
    kFolderText;
constexpr char kApprovedKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
constexpr char kName[] = "Velmora Scsi Explorer";

int regsvr32(const std::string& options) {
  std::string output;
  return servertest::runProcess("regsvr32.exe " + options + " \"" + shelltest::fenwoldPath() + "\"",
                                servertest::binFolder(), &output);
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string longPath(const std::string& path) {
  char full[MAX_PATH] = {};
  GetLongPathNameA(path.c_str(), full, MAX_PATH);
  return lower(full[0] ? full : path);
}

// A value as text ("<missing>" when absent); binary values as hex bytes.
std::string value(HKEY root, const std::string& key, const char* name, DWORD* typeOut = nullptr) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return "<missing>";
  BYTE data[1024] = {};
  DWORD size = sizeof data - 1, type = 0;
  const LONG rc = RegQueryValueExA(k, name, nullptr, &type, data, &size);
  RegCloseKey(k);
  if (rc != ERROR_SUCCESS) return "<missing>";
  if (typeOut) *typeOut = type;
  if (type == REG_SZ) return std::string(reinterpret_cast<char*>(data));
  std::string hex;
  char byte[4];
  for (DWORD i = 0; i < size; ++i) {
    snprintf(byte, sizeof byte, "%02X", data[i]);
    hex += byte;
  }
  return hex;
}

bool keyExists(HKEY root, const std::string& key) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

void expectRegistered() {
  const std::string dll = longPath(shelltest::fenwoldPath());
  EXPECT_EQ(value(HKEY_CLASSES_ROOT, kClassKey, nullptr), kName);
  EXPECT_EQ(longPath(value(HKEY_CLASSES_ROOT, kClassKey + "\\InprocServer32", nullptr)), dll);
  EXPECT_EQ(value(HKEY_CLASSES_ROOT, kClassKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
  const std::string icon = value(HKEY_CLASSES_ROOT, kClassKey + "\\DefaultIcon", nullptr);
  ASSERT_GT(icon.size(), 2u);
  EXPECT_EQ(icon.substr(icon.size() - 2), ",0");
  EXPECT_EQ(longPath(icon.substr(0, icon.size() - 2)), dll);
  DWORD type = 0;
  EXPECT_EQ(value(HKEY_CLASSES_ROOT, kClassKey + "\\ShellFolder", "Attributes", &type), "000000A0");
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(value(HKEY_LOCAL_MACHINE, kNameSpaceKey, nullptr), kName);
  EXPECT_EQ(value(HKEY_LOCAL_MACHINE, kApprovedKey, kFolderText), kName);
}

void expectUnregistered() {
  EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kClassKey));
  EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kNameSpaceKey));
  EXPECT_EQ(value(HKEY_LOCAL_MACHINE, kApprovedKey, kFolderText), "<missing>");
}

// The items My Computer lists, by their display names.
std::vector<std::string> myComputerItems() {
  std::vector<std::string> names;
  fw::ComPtr<IShellFolder> desktop, computer;
  LPITEMIDLIST pidl = nullptr;
  if (FAILED(SHGetDesktopFolder(desktop.put())) ||
      FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &pidl))) {
    return names;
  }
  desktop->BindToObject(pidl, nullptr, IID_IShellFolder, computer.putVoid());
  CoTaskMemFree(pidl);
  fw::ComPtr<IEnumIDList> items;
  if (!computer || FAILED(computer->EnumObjects(nullptr, SHCONTF_FOLDERS, items.put())) || !items)
    return names;
  LPITEMIDLIST item = nullptr;
  while (items->Next(1, &item, nullptr) == S_OK) {
    STRRET name = {};
    char text[MAX_PATH] = {};
    if (SUCCEEDED(computer->GetDisplayNameOf(item, SHGDN_INFOLDER, &name)))
      StrRetToBufA(&name, item, text, sizeof text);
    names.push_back(text);
    CoTaskMemFree(item);
  }
  return names;
}

class FolderRegistration : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(CoInitialize(nullptr), S_OK); }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(FolderRegistration, RegistersUnderMyComputerTwiceAndUnregistersTwice) {
  expectUnregistered();
  ASSERT_EQ(regsvr32("/s"), 0);
  expectRegistered();
  ASSERT_EQ(regsvr32("/s"), 0);  // again: the same keys and values
  expectRegistered();

  // The shell lists the folder under My Computer and makes it from the registration.
  const std::vector<std::string> items = myComputerItems();
  EXPECT_NE(std::find(items.begin(), items.end(), kName), items.end());
  fw::ComPtr<IShellFolder> folder;
  ASSERT_EQ(CoCreateInstance(shelltest::kFolder, nullptr, CLSCTX_INPROC_SERVER, IID_IShellFolder,
                             folder.putVoid()),
            S_OK);
  {
    // Without Corvath the folder says so and lists nothing.
    orvtest::ModalDriver driver;
    std::string message;
    driver.expect(kName, [&](HWND box) {
      message = orvtest::messageBoxText(box);
      orvtest::pressButton(box, IDOK);
    });
    fw::ComPtr<IEnumIDList> none;
    EXPECT_EQ(folder->EnumObjects(nullptr, SHCONTF_FOLDERS, none.put()), S_OK);
    EXPECT_TRUE(driver.allDone());
    EXPECT_EQ(message, "Unable to connect to Corvath component");
    LPITEMIDLIST item = nullptr;
    ULONG fetched = 7;
    ASSERT_TRUE(none);
    EXPECT_EQ(none->Next(1, &item, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
  }
  folder.reset();
  CoFreeUnusedLibraries();

  ASSERT_EQ(regsvr32("/u /s"), 0);
  expectUnregistered();
  // Nothing left to remove: the class key cannot be opened, which is reported.
  EXPECT_NE(regsvr32("/u /s"), 0);
  expectUnregistered();
  const std::vector<std::string> after = myComputerItems();
  EXPECT_EQ(std::find(after.begin(), after.end(), kName), after.end());

  // And once more the whole way, as an upgrade would.
  ASSERT_EQ(regsvr32("/s"), 0);
  expectRegistered();
  ASSERT_EQ(regsvr32("/u /s"), 0);
  expectUnregistered();
}

TEST_F(FolderRegistration, OwnEntryPointsAnswerAsRegsvr32Saw) {
  HMODULE dll = LoadLibraryA(shelltest::fenwoldPath().c_str());
  ASSERT_NE(dll, nullptr);
  using Fn = HRESULT(WINAPI*)();
  auto reg = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
  auto unreg = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, "DllUnregisterServer")));
  auto canUnload = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
  ASSERT_TRUE(reg && unreg && canUnload);
  EXPECT_EQ(reg(), S_OK);
  EXPECT_EQ(reg(), S_OK);
  expectRegistered();
  EXPECT_EQ(unreg(), S_OK);
  EXPECT_EQ(unreg(), SELFREG_E_CLASS);
  expectUnregistered();
  EXPECT_EQ(canUnload(), S_OK);
  FreeLibrary(dll);
}

}  // namespace
