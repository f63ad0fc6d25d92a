#include "tests/win/passthrough_suite_support.h"

#include <fstream>
#include <sstream>

namespace pttest {

std::string folder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string full(path);
  return full.substr(0, full.find_last_of("\\/") + 1);
}

HRESULT registerCorvath() {
  HMODULE dll = LoadLibraryA((folder() + "..\\corvath.dll").c_str());
  if (!dll) return HRESULT_FROM_WIN32(GetLastError());
  using Fn = HRESULT(WINAPI*)();
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
  const HRESULT hr = fn ? fn() : E_NOINTERFACE;
  FreeLibrary(dll);
  return hr;
}

RequestLog::RequestLog(const std::string& name) : path_(folder() + name) {}

size_t RequestLog::size() const {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExA(path_.c_str(), GetFileExInfoStandard, &data)) return 0;
  return data.nFileSizeLow;
}

std::vector<std::string> RequestLog::linesSince(size_t offset) const {
  std::ifstream in(path_, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(offset));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool hasLine(const std::vector<std::string>& lines, const std::string& start, const std::string& end) {
  for (const std::string& line : lines) {
    if (line.compare(0, start.size(), start) != 0 || line.size() < start.size() + end.size()) continue;
    if (line.compare(line.size() - end.size(), end.size(), end) == 0) return true;
  }
  return false;
}

}  // namespace pttest
