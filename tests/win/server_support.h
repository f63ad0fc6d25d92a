// Helpers of Corvath's Windows tests: the installed folder, registration of the server
// in the test prefix, and child processes with their output.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace servertest {

// Corvath's identifiers as a client sees them (registry text form).
constexpr const char* kClsidText = "{FBB789C4-7636-4F9E-9F17-FD95A7571E1A}";
constexpr const char* kIidText = "{C0108951-E79C-415B-AACF-A9CC0C3C1A1D}";
constexpr const char* kLibidText = "{8B891CFD-6E58-4FD2-B3D1-A020DC302D08}";
extern const CLSID kClsid;
extern const IID kIid;

// Folder of this test program (with a trailing backslash): the binaries sit beside it.
std::string binFolder();
std::string corvathPath();

// Registers corvath.dll beside the test through its own DllRegisterServer; the HRESULT.
HRESULT registerCorvath();

// Runs a command line, waits for it and collects what it wrote to stdout and stderr.
// Returns the exit code, or -1 when it could not be started. started, when given, hears
// the process id as soon as it runs.
int runProcess(const std::string& commandLine, const std::string& folder, std::string* output,
               const std::function<void(DWORD)>& started = nullptr);

// Text of a value under HKEY_CLASSES_ROOT; nullopt-like "missing" flag through found.
std::string classesValue(const std::string& key, const char* name, bool* found);
bool classesKeyExists(const std::string& key);

}  // namespace servertest
