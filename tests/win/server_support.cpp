#include "tests/win/server_support.h"

#include <vector>

namespace servertest {

const CLSID kClsid = {0xfbb789c4, 0x7636, 0x4f9e, {0x9f, 0x17, 0xfd, 0x95, 0xa7, 0x57, 0x1e, 0x1a}};
const IID kIid = {0xc0108951, 0xe79c, 0x415b, {0xaa, 0xcf, 0xa9, 0xcc, 0x0c, 0x3c, 0x1a, 0x1d}};

std::string binFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string full(path);
  return full.substr(0, full.find_last_of("\\/") + 1);
}

std::string corvathPath() { return binFolder() + "corvath.dll"; }

HRESULT registerCorvath() {
  HMODULE dll = LoadLibraryA(corvathPath().c_str());
  if (!dll) return HRESULT_FROM_WIN32(GetLastError());
  using Fn = HRESULT(WINAPI*)();
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
  HRESULT hr = fn ? fn() : E_NOINTERFACE;
  FreeLibrary(dll);
  return hr;
}

int runProcess(const std::string& commandLine, const std::string& folder, std::string* output,
               const std::function<void(DWORD)>& started) {
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return -1;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd;
  si.hStdError = writeEnd;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi = {};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  BOOL ran = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                            folder.empty() ? nullptr : folder.c_str(), &si, &pi);
  CloseHandle(writeEnd);
  if (!ran) {
    CloseHandle(readEnd);
    return -1;
  }
  if (started) started(pi.dwProcessId);
  std::string text;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0) text.append(buffer, n);
  CloseHandle(readEnd);
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  if (output) *output = text;
  return static_cast<int>(code);
}

std::string classesValue(const std::string& key, const char* name, bool* found) {
  *found = false;
  HKEY k = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) {
    return std::string();
  }
  char buffer[1024] = {};
  DWORD size = sizeof buffer - 1, type = 0;
  LONG rc = RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(k);
  if (rc != ERROR_SUCCESS || type != REG_SZ) return std::string();
  *found = true;
  return buffer;
}

bool classesKeyExists(const std::string& key) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

}  // namespace servertest
