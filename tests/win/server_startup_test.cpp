// Start-up of Corvath in a process that cannot load the SCSI manager: the user sees
// message 107 and the object cannot be created, each time it is asked for. The test
// copies itself and corvath.dll into a folder without wnvrax32.dll and runs the copy
// there (a library is looked for beside the program, not beside the DLL).
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "client/corvath_obj_driver.h"
#include "framework/comptr.h"
#include "tests/support/modal_driver.h"
#include "tests/win/server_support.h"

namespace {

constexpr const char* kChildFlag = "ORV_SERVER_STARTUP_CHILD";
constexpr const char* kNoManagerText = "Unable to load Wnvrax32.dll. Please reinstall Orvane 6.0";

bool isChild() { return GetEnvironmentVariableA(kChildFlag, nullptr, 0) > 0; }

void expectMessage107(orvtest::ModalDriver& driver) {
  driver.expect("Velmora SCSI Explorer", [](HWND box) {
    EXPECT_EQ(orvtest::messageBoxText(box), kNoManagerText);
    orvtest::pressButton(box, IDOK);
  });
}

TEST(ServerStartup, WithoutTheManagerCreationFailsAfterMessage107) {
  if (!isChild()) {
    // The parent: make the folder, run the copy, clean up.
    ASSERT_EQ(servertest::registerCorvath(), S_OK);
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder =
        std::string(temp) + "corvath_nomanager_" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    ASSERT_TRUE(CopyFileA(self, (folder + "startup_child.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(servertest::corvathPath().c_str(), (folder + "corvath.dll").c_str(), FALSE));
    ASSERT_EQ(GetFileAttributesA((folder + "wnvrax32.dll").c_str()), INVALID_FILE_ATTRIBUTES);
    SetEnvironmentVariableA(kChildFlag, "1");
    std::string output;
    int code = servertest::runProcess(
        "\"" + folder + "startup_child.exe\" --gtest_filter=ServerStartup.*", folder, &output);
    SetEnvironmentVariableA(kChildFlag, nullptr);
    DeleteFileA((folder + "startup_child.exe").c_str());
    DeleteFileA((folder + "corvath.dll").c_str());
    RemoveDirectoryA(folder.c_str());
    EXPECT_EQ(code, 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
    return;
  }

  // The child, in the folder without the manager.
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  orvtest::ModalDriver driver;

  // Through COM, as a front end creates it (the registered server is the one in the
  // build folder, but the manager is looked for beside this program).
  expectMessage107(driver);
  {
    CorvathObjDriver corvath;
    EXPECT_FALSE(corvath.create());
    EXPECT_FALSE(corvath.valid());
    EXPECT_TRUE(FAILED(corvath.lastError()));
  }
  EXPECT_TRUE(driver.allDone());

  // The module copied here, asked directly: every request runs start-up again.
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string here(self);
  here = here.substr(0, here.find_last_of('\\') + 1);
  HMODULE dll = LoadLibraryA((here + "corvath.dll").c_str());
  ASSERT_NE(dll, nullptr);
  using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
  using CanUnloadFn = HRESULT(WINAPI*)();
  auto getClassObject =
      reinterpret_cast<GetClassObjectFn>(
      reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
  auto canUnload =
      reinterpret_cast<CanUnloadFn>(reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
  ASSERT_TRUE(getClassObject && canUnload);
  for (int attempt = 0; attempt < 2; ++attempt) {
    expectMessage107(driver);
    fw::ComPtr<IClassFactory> factory;
    EXPECT_TRUE(FAILED(getClassObject(servertest::kClsid, IID_IClassFactory, factory.putVoid())));
    EXPECT_FALSE(factory);
    EXPECT_TRUE(driver.allDone()) << "attempt " << attempt;
  }
  // Another class never starts the module.
  fw::ComPtr<IClassFactory> factory;
  EXPECT_EQ(getClassObject(IID_IDispatch, IID_IClassFactory, factory.putVoid()),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(canUnload(), S_OK);
  EXPECT_TRUE(driver.unexpected().empty());
  FreeLibrary(dll);
  CoUninitialize();
}

}  // namespace
