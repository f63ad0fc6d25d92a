#include "framework/module.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace fw {
namespace {
HINSTANCE g_resources = nullptr;
}

HINSTANCE resourceModule() {
  return g_resources ? g_resources : reinterpret_cast<HINSTANCE>(&__ImageBase);
}

void setResourceModule(HINSTANCE module) { g_resources = module; }

std::string moduleFolder(HMODULE module) {
  char path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::string();
  std::string full(path, n);
  size_t slash = full.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

}  // namespace fw
