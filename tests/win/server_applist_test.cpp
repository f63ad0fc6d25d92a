// The application list over the registry of the Wine prefix, with real program files.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "framework/module.h"
#include "server/applist_registry.h"

namespace {

const char* const kParentKey = "Software\\Velmora\\Orvane\\6.0";

std::string binFolder() { return fw::moduleFolder(nullptr); }

class AppListTest : public testing::Test {
 protected:
  void SetUp() override { clear(); }
  void TearDown() override { clear(); }

  static void clear() {
    HKEY parent;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kParentKey, 0, KEY_ALL_ACCESS, &parent) == ERROR_SUCCESS) {
      RegDeleteKeyA(parent, "AppList");
      RegCloseKey(parent);
    }
  }

  static void add(const std::string& name, const std::string& data, DWORD type = REG_SZ) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, srv::kAppListKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, type,
                             reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>(data.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

  // countApps then listApps, as the callers do, into an array with guard elements after it.
  static std::vector<srv::AppDescriptor> list(uint8_t type, size_t* written = nullptr) {
    int16_t n = srv::countApps(type);
    std::vector<srv::AppDescriptor> apps(static_cast<size_t>(n) + 2);
    std::memset(apps.data(), 0, apps.size() * sizeof(srv::AppDescriptor));
    size_t w = srv::listApps(type, apps.data());
    EXPECT_EQ(w, static_cast<size_t>(n));
    for (size_t i = n; i < apps.size(); ++i) EXPECT_EQ(apps[i].appName[0], 0) << "written past the count";
    if (written) *written = w;
    apps.resize(static_cast<size_t>(n));
    return apps;
  }

  static std::set<std::string> names(const std::vector<srv::AppDescriptor>& apps) {
    std::set<std::string> out;
    for (const auto& a : apps) out.insert(a.appName);
    return out;
  }
};

TEST_F(AppListTest, TheKeyIsTheSuiteKeyFollowedByAppList) {
  EXPECT_EQ(srv::appListKey(), std::string(kParentKey) + "\\AppList");
}

TEST_F(AppListTest, MissingKeyGivesAnEmptyList) {
  EXPECT_EQ(srv::countApps(255), 0);
  srv::AppDescriptor guard;
  std::memset(&guard, 'g', sizeof guard);
  EXPECT_EQ(srv::listApps(255, &guard), 0u);
  EXPECT_EQ(guard.appName[0], 'g');
}

TEST_F(AppListTest, CodesSelectTheDeviceTypesAsSubstrings) {
  add("Burner", binFolder() + "server_applist_probe.exe#0105");
  add("Anything", binFolder() + "server_applist_test.exe");
  add("Disks", "C:\\nowhere\\disk.exe#00");

  EXPECT_EQ(names(list(1)), std::set<std::string>({"Burner"}));
  EXPECT_EQ(names(list(5)), std::set<std::string>({"Burner"}));
  EXPECT_EQ(names(list(10)), std::set<std::string>({"Burner"}));
  EXPECT_EQ(names(list(0)), std::set<std::string>({"Disks"}));
  EXPECT_TRUE(list(2).empty());
  EXPECT_EQ(names(list(255)), std::set<std::string>({"Burner", "Anything", "Disks"}));
  EXPECT_EQ(srv::countApps(4), 0);

  auto burner = list(5);
  ASSERT_EQ(burner.size(), 1u);
  EXPECT_EQ(std::string(burner[0].appPath), binFolder() + "server_applist_probe.exe");
}

TEST_F(AppListTest, DescriptionsComeFromTheVersionResourceAndIconsFromTheShell) {
  add("Probe", binFolder() + "server_applist_probe.exe");
  add("Self", binFolder() + "server_applist_test.exe");
  add("Missing", "C:\\nowhere\\missing.exe");
  int16_t n = srv::countApps(255);
  ASSERT_EQ(n, 3);
  std::vector<srv::AppDescriptor> apps(3);
  std::memset(apps.data(), 0, apps.size() * sizeof(srv::AppDescriptor));
  for (auto& a : apps) std::strcpy(a.appDescription, "as the caller left it");
  ASSERT_EQ(srv::listApps(255, apps.data()), 3u);
  for (const auto& a : apps) {
    std::string name = a.appName;
    if (name == "Probe") {
      EXPECT_STREQ(a.appDescription, "Probe described in Windows block");
      EXPECT_NE(a.appIcon, 0u);
    } else if (name == "Self") {
      EXPECT_STREQ(a.appDescription, "Application list test program");
      EXPECT_NE(a.appIcon, 0u);
    } else {
      EXPECT_EQ(name, "Missing");
      EXPECT_STREQ(a.appDescription, "as the caller left it");
      EXPECT_EQ(a.appIcon, 0u);
    }
  }
  // A second list hands out the same icons rather than new ones.
  std::vector<srv::AppDescriptor> again(3);
  ASSERT_EQ(srv::listApps(255, again.data()), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(again[i].appIcon, apps[i].appIcon);
}

TEST_F(AppListTest, FileDescriptionLeavesTheTextAloneWithoutVersionResource) {
  char path[MAX_PATH];
  GetTempPathA(MAX_PATH, path);
  std::string plain = std::string(path) + "orv_no_version.txt";
  HANDLE file = CreateFileA(plain.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written;
  WriteFile(file, "text", 4, &written, nullptr);
  CloseHandle(file);
  std::string out = "unchanged";
  EXPECT_FALSE(srv::fileDescription(plain, out));
  EXPECT_EQ(out, "unchanged");
  EXPECT_FALSE(srv::fileDescription("C:\\nowhere\\missing.exe", out));
  EXPECT_TRUE(srv::fileDescription(binFolder() + "server_applist_probe.exe", out));
  EXPECT_EQ(out, "Probe described in Windows block");
  DeleteFileA(plain.c_str());
}

TEST_F(AppListTest, UnusableValuesAreSkippedAndTheRestListed) {
  add("Good one", "a.exe#05");
  add(std::string(300, 'N'), "long-name.exe#05");
  add("Long data", std::string(300, 'p') + "#05");
  add("Just fits", std::string(256, 'q') + "#05");  // 259 characters and the zero
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, srv::kAppListKey, 0, KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
  DWORD number = 5;
  RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
  RegCloseKey(key);
  add("Good two", "b.exe#05");

  auto apps = list(5);
  EXPECT_EQ(names(apps), std::set<std::string>({"Good one", "Just fits", "Good two"}));
  for (const auto& a : apps) EXPECT_LT(std::strlen(a.appPath), 260u);
}

TEST_F(AppListTest, ListingAfterTheListGrewStaysWithinTheCount) {
  add("First", "a.exe#05");
  ASSERT_EQ(srv::countApps(5), 1);
  add("Second", "b.exe#05");
  add("Third", "c.exe#05");
  std::vector<srv::AppDescriptor> apps(3);
  std::memset(apps.data(), 0, apps.size() * sizeof(srv::AppDescriptor));
  EXPECT_EQ(srv::listApps(5, apps.data()), 1u);
  EXPECT_NE(apps[0].appName[0], 0);
  EXPECT_EQ(apps[1].appName[0], 0);
  // A new count lets the next list take them all.
  ASSERT_EQ(srv::countApps(5), 3);
  EXPECT_EQ(srv::listApps(5, apps.data()), 3u);
  EXPECT_EQ(srv::listApps(5, apps.data(), 2), 2u);
}

}  // namespace
