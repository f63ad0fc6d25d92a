// Registration of gastrel.dll with Wine's regsvr32, as the installer does it: each band's
// class key, its in-process server and its component category, found again through the
// category manager the way a shell looks for bands; then unregistration. The only program
// that unregisters the bands: it runs alone and leaves them registered.
#include <windows.h>
#include <comcat.h>
#include <olectl.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/comptr.h"
#include "tests/win/bands_site.h"
#include "tests/win/server_support.h"

namespace {

using servertest::classesKeyExists;

struct Band {
  const char* clsid;
  const CLSID* id;
  const char* description;
  const char* category;
  const CATID* catid;
};

const CATID kDeskBandCategory = {0x00021492, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const CATID kInfoBandCategory = {0x00021493, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const CATID kCommBandCategory = {0x00021494, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

const Band kBands[] = {
    {bandtest::kDeskBandText, &bandtest::kDeskBand, "Velmora Scsi Desk Band",
     "{00021492-0000-0000-C000-000000000046}", &kDeskBandCategory},
    {bandtest::kTreeBandText, &bandtest::kTreeBand, "Velmora Scsi &Explorer Band",
     "{00021493-0000-0000-C000-000000000046}", &kInfoBandCategory},
    {bandtest::kStripBandText, &bandtest::kStripBand, "Velmora Scsi &Command Bar",
     "{00021494-0000-0000-C000-000000000046}", &kCommBandCategory},
};

int regsvr32(const std::string& options) {
  std::string output;
  return servertest::runProcess("regsvr32.exe " + options + " \"" + bandtest::gastrelPath() + "\"",
                                servertest::binFolder(), &output);
}

std::string value(const std::string& key, const char* name = nullptr) {
  bool found = false;
  std::string text = servertest::classesValue(key, name, &found);
  return found ? text : "<missing>";
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

// The classes the category manager lists for a category.
std::vector<CLSID> classesOf(const CATID& category) {
  std::vector<CLSID> out;
  fw::ComPtr<ICatInformation> info;
  if (FAILED(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                              IID_ICatInformation, info.putVoid()))) {
    return out;
  }
  CATID wanted = category;
  fw::ComPtr<IEnumGUID> classes;
  if (FAILED(info->EnumClassesOfCategories(1, &wanted, static_cast<ULONG>(-1), nullptr,
                                           classes.put()))) {
    return out;
  }
  CLSID clsid;
  ULONG fetched = 0;
  while (classes->Next(1, &clsid, &fetched) == S_OK && fetched == 1) out.push_back(clsid);
  return out;
}

bool listed(const CATID& category, const CLSID& clsid) {
  for (const CLSID& each : classesOf(category))
    if (IsEqualCLSID(each, clsid)) return true;
  return false;
}

void expectRegistered() {
  const std::string dll = longPath(bandtest::gastrelPath());
  for (const Band& band : kBands) {
    const std::string key = std::string("CLSID\\") + band.clsid;
    EXPECT_EQ(value(key), band.description);
    EXPECT_EQ(longPath(value(key + "\\InprocServer32")), dll);
    EXPECT_EQ(value(key + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_TRUE(classesKeyExists(key + "\\Implemented Categories\\" + band.category)) << key;
    EXPECT_TRUE(listed(*band.catid, *band.id)) << band.description;
  }
}

class BandRegistration : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(CoInitialize(nullptr), S_OK); }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(BandRegistration, Regsvr32RegistersEachBandWithItsCategoryAndUnregisters) {
  ASSERT_EQ(regsvr32("/s"), 0);
  expectRegistered();
  ASSERT_EQ(regsvr32("/s"), 0);  // again: the same keys and values
  expectRegistered();

  // A host makes the bands through COM from the registration alone.
  ASSERT_EQ(servertest::registerCorvath(), S_OK);
  for (const Band& band : kBands) {
    fw::ComPtr<IDeskBand> made;
    EXPECT_EQ(CoCreateInstance(*band.id, nullptr, CLSCTX_INPROC_SERVER, IID_IDeskBand,
                               made.putVoid()),
              S_OK)
        << band.description;
  }
  CoFreeUnusedLibraries();

  ASSERT_EQ(regsvr32("/u /s"), 0);
  for (const Band& band : kBands) {
    const std::string key = std::string("CLSID\\") + band.clsid;
    EXPECT_FALSE(classesKeyExists(key + "\\InprocServer32")) << key;
    EXPECT_FALSE(classesKeyExists(key)) << key;
    EXPECT_FALSE(listed(*band.catid, *band.id)) << band.description;
  }
  // Nothing left to remove: the class keys cannot be opened, which is reported.
  EXPECT_NE(regsvr32("/u /s"), 0);

  ASSERT_EQ(regsvr32("/s"), 0);
  expectRegistered();
}

TEST_F(BandRegistration, OwnEntryPointsAnswerAsRegsvr32Saw) {
  HMODULE dll = LoadLibraryA(bandtest::gastrelPath().c_str());
  ASSERT_NE(dll, nullptr);
  using Fn = HRESULT(WINAPI*)();
  auto reg = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
  auto unreg = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, "DllUnregisterServer")));
  ASSERT_TRUE(reg && unreg);
  EXPECT_EQ(unreg(), S_OK);
  EXPECT_EQ(unreg(), SELFREG_E_CLASS);
  EXPECT_EQ(reg(), S_OK);
  expectRegistered();
  FreeLibrary(dll);
}

}  // namespace
